# Helpers of the uninstaller's end-to-end tests, on top of the GUI test library.
source "$SOURCE_DIR/tests/driver/gui_lib.sh"

DRIVE_C=$WINEPREFIX/drive_c
ROOT=$DRIVE_C/ReapTest
TESTS_BIN=$(dirname "$GUI_DRIVER")
FAILURES=0

# A check that does not stop the test, so one run reports every difference.
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok   - $what"
  else
    echo "FAIL - $what"
    FAILURES=$((FAILURES + 1))
  fi
}
# Wine names Unix files in UTF-8 here, so a path reads the same on both sides.
absent() { [[ ! -e $1 ]]; }
present() { [[ -e $1 ]]; }

wine_quiet() { "$WINE_RUN" "$@" >/dev/null 2>&1; }

# reg_value KEY NAME: prints the value's data as reg.exe shows it; fails when there is none.
reg_value() {
  local out
  if [[ -z $2 ]]; then
    out=$("$WINE_RUN" reg query "$1" /ve 2>/dev/null | tr -d '\r') || return 1
    grep -q 'REG_' <<<"$out" || return 1
    grep 'REG_' <<<"$out" | head -1 | sed -E 's/^.*REG_[A-Z_]+ *//'
  else
    out=$("$WINE_RUN" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
    grep -F "$2" <<<"$out" | grep 'REG_' | head -1 | sed -E 's/^.*REG_[A-Z_]+ *//'
  fi
}
reg_has_value() { reg_value "$1" "$2" >/dev/null; }
reg_no_value() { ! reg_has_value "$1" "$2"; }
reg_has_key() { wine_quiet reg query "$1"; }
reg_no_key() { ! reg_has_key "$1"; }

# Imports a registry file written here (UTF-8 text, converted for regedit).
reg_import() {
  local file=$WORK_DIR/import-$RANDOM.reg
  iconv -f UTF-8 -t CP1251 | sed 's/$/\r/' >"$file"
  wine_quiet regedit /S "$(winpath "$file")"
}

# Copies a log from tests/uninstall/logs and the uninstaller into a folder.
place_uninstaller() {
  local folder=$1 log=$2
  mkdir -p "$folder"
  cp "$SOWELL_BIN/Reapwell.exe" "$folder/"
  [[ -n $log ]] && cp "$SOURCE_DIR/tests/uninstall/logs/$log" "$folder/install.log"
  return 0
}

finish() {
  if ((FAILURES)); then
    echo "FAIL: $FAILURES check(s) failed"
    exit 1
  fi
  echo "PASS"
}
