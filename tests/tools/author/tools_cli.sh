# sowell-pack and sowell-check as programs, natively or under Wine: the demo
# example packed from its project and passed, the same distribution broken
# and its finding named by file and line in text and in JSON, and under Wine
# the distributions the build laid out passed as they are.
# Environment: SOURCE_DIR, WORK_DIR, TOOLS (folder of the two programs), EXE
# (".exe" or empty), WINE_RUN (empty natively), PROGRAMS (folder holding
# Sowell.exe, UnRAR.dll and notebook.exe; empty for stand-ins), DIST (the
# build folder holding dist/ and dist-multidisk/; empty natively).
set -euo pipefail
export LC_ALL=C.UTF-8
examples=$SOURCE_DIR/examples
rm -rf "$WORK_DIR"
mkdir -p "$WORK_DIR"
errors=0
check() {
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAIL: $what" >&2; errors=$((errors + 1)); fi
}

# A path as the program takes it.
arg() { if [[ -n $WINE_RUN ]]; then "$WINE_RUN" winepath -w "$1" 2>/dev/null; else echo "$1"; fi; }
run() {
  local tool=$1
  shift
  if [[ -n $WINE_RUN ]]; then "$WINE_RUN" "$TOOLS/$tool$EXE" "$@"; else "$TOOLS/$tool$EXE" "$@"; fi
}

programs=${PROGRAMS:-$WORK_DIR/programs}
if [[ -z ${PROGRAMS:-} ]]; then
  mkdir -p "$programs"
  printf 'MZ setup' >"$programs/Sowell.exe"
  printf 'MZ library' >"$programs/UnRAR.dll"
  printf 'MZ notebook' >"$programs/notebook.exe"
fi

# The project, staged as the build stages it.
project=$WORK_DIR/project
while read -r verb from to; do
  [[ $verb == stage ]] || continue
  [[ $from == @notebook ]] && from=$programs/notebook.exe || from=$examples/$from
  if [[ -d $from ]]; then
    mkdir -p "$project/$to" && cp -r "$from/." "$project/$to/"
  elif [[ $to == */ ]]; then
    mkdir -p "$project/$to" && cp "$from" "$project/$to"
  else
    mkdir -p "$(dirname "$project/$to")" && cp "$from" "$project/$to"
  fi
done <"$examples/demo/dist.txt"

out=$WORK_DIR/out
set +e
run sowell-pack --sowell "$(arg "$programs/Sowell.exe")" --unrar "$(arg "$programs/UnRAR.dll")" \
  "$(arg "$project")" "$(arg "$out")" >"$WORK_DIR/pack.txt" 2>&1
rc=$?
set -e
check "sowell-pack builds the demo example (exit $rc)" test $rc -eq 0
check "sowell-pack's check of it finds nothing" grep -q '^0 errors, 0 warnings' <(tr -d '\r' <"$WORK_DIR/pack.txt")
check "its setup.ini is the example's, byte for byte" cmp -s "$out/setup.ini" "$examples/demo/setup.ini"
expected=$( (cd "$project/packages/core" && find . -mindepth 1 | sed 's:^\./::') | sort)
check "core.rar holds the folder packages/core" test "$(bsdtar -tf "$out/core.rar" | sed 's:/$::' | sort)" = "$expected"

set +e
run sowell-check --json "$(arg "$out")" >"$WORK_DIR/check.json"
rc=$?
set -e
check "sowell-check passes it (exit $rc)" test $rc -eq 0
check "the JSON report: no finding, both languages summed up" \
  jq -e '.errors == 0 and .warnings == 0 and (.findings | length) == 0 and .summary.languages[1].language == "Russian"
         and .summary.languages[0].packages[0].archives[0].members == 7' "$WORK_DIR/check.json"

# FilesCount of [Package0] one too many.
line=$(grep -n '^FilesCount=7' "$out/setup.ini" | head -1 | cut -d: -f1)
sed -i "${line}s/FilesCount=7/FilesCount=8/" "$out/setup.ini"
set +e
run sowell-check "$(arg "$out")" >"$WORK_DIR/check.txt"
rc=$?
run sowell-check --json "$(arg "$out")" >"$WORK_DIR/check.json"
set -e
check "a wrong count fails the check (exit $rc)" test $rc -eq 1
check "the text names the file and the line" \
  grep -qE "setup\.ini:$line: error: FilesCount is 8, but the archives hold 7 members" <(tr -d '\r' <"$WORK_DIR/check.txt")
check "the JSON names the file and the line" \
  jq -e --argjson line "$line" '.errors == 1 and .findings[0].line == $line and .findings[0].severity == "error"
         and (.findings[0].file | endswith("setup.ini"))' "$WORK_DIR/check.json"
set +e
run sowell-check --no-such-option "$(arg "$out")" >/dev/null 2>&1
rc=$?
set -e
check "a wrong call exits with 2" test $rc -eq 2

if [[ -n ${DIST:-} ]]; then
  for folder in dist dist-multidisk; do
    set +e
    run sowell-check --json "$(arg "$DIST/$folder")" >"$WORK_DIR/$folder.json"
    rc=$?
    set -e
    check "the laid-out $folder passes (exit $rc)" test $rc -eq 0
    check "$folder: no finding" jq -e '(.findings | length) == 0' "$WORK_DIR/$folder.json"
  done
  check "dist-multidisk is read as two disks" jq -e '.summary.disks | length == 2' "$WORK_DIR/dist-multidisk.json"
fi

if ((errors)); then
  echo "$errors check(s) failed" >&2
  exit 1
fi
echo PASS
