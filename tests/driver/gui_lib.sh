# Helpers for the GUI tests, sourced by each test script. CTest sets WINE_RUN,
# SOWELL_BIN, GUI_DRIVER, SOURCE_DIR, WORK_DIR and GUI_PREFIXES.
set -euo pipefail

: "${WINE_RUN:?run this through ctest}"

# GUI tests run three at a time, each in a slot with a Wine prefix of its own, so
# that one test's programs, settling and restarts never meet another's. CTest
# hands out the slots (tests/gui-slots.json); a test run alone takes slot a.
GUI_SLOT=a
if [[ ${CTEST_RESOURCE_GROUP_0_GUI:-} =~ id:([a-z0-9]+) ]]; then GUI_SLOT=${BASH_REMATCH[1]}; fi
export WINEPREFIX=$GUI_PREFIXES-$GUI_SLOT
export SOWELL_WINEPREFIX=$WINEPREFIX

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A fresh work folder for this test.
rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR"
"$WINE_RUN" --env

# The Windows form of a Linux path.
winpath() {
  "$WINE_RUN" winepath -w "$1" 2>/dev/null | tr -d '\r'
}

# Runs a driver script given on standard input.
drive() {
  local script="$WORK_DIR/driver-$RANDOM.txt"
  cat >"$script"
  "$WINE_RUN" "$GUI_DRIVER" "$(winpath "$script")"
}

# Waits until every program of the prefix has ended, so files are final.
wine_settle() {
  WINEPREFIX="$WINEPREFIX" wineserver -w
}

# Makes the control ids of a header (lines "constexpr int ID_X = 123;") shell variables.
load_ids() {
  eval "$(sed -n 's/^constexpr int \(ID_[A-Z0-9_]*\) = \([0-9]*\);.*/\1=\2/p' "$1")"
}

# Writes a setup.ini given in UTF-8 on standard input as code page 1251 with CR LF line ends.
write_ini() {
  iconv -f UTF-8 -t CP1251 | sed 's/$/\r/' >"$1"
}
