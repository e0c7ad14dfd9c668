# Logs that name drive roots, system folders, registry roots, empty paths or
# climb out with "..", a log with LF-only line ends, and one with 100,000
# records: nothing is removed that a record does not really name.
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"

rm -rf "$ROOT"
mkdir -p "$ROOT/Victim/Empty" "$ROOT/Victim/sub" "$ROOT/Many"
echo keep >"$ROOT/Victim/keep.txt"
wine_quiet reg add 'HKCU' /v victimvalue /d stays /f
count_files() { find "$DRIVE_C/windows" -maxdepth 2 -type f | wc -l; }
before=$(count_files)

run_log() {
  place_uninstaller "$ROOT/$1" "$2"
  drive <<SCRIPT
start "C:\\ReapTest\\$1\\Reapwell.exe"
wait-msgbox "Uninstaller      " "Are you sure you want to completely remove the selected application and all of its components?" 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled ${3:-30000}
click 1
wait-exit 10000 0
SCRIPT
  wine_settle
}

run_log Hostile hostile.log
check "a file reached through .. is kept" present "$ROOT/Victim/keep.txt"
check "an empty folder reached through .. is kept" present "$ROOT/Victim/Empty"
check "the Windows folder keeps every file" test "$(count_files)" = "$before"
check "a value in a registry root is kept" reg_has_value 'HKCU' victimvalue
check "HKLM\\Software is kept" reg_has_key 'HKLM\Software'
check "HKCR is kept" reg_has_key 'HKCR\CLSID'

run_log Lf lf-only.log
check "an LF-only log removes nothing" present "$ROOT/Victim/keep.txt"
check "an LF-only log removes no folder" present "$ROOT/Victim/Empty"
check "the LF-only log itself is deleted at the end, as every log" absent "$ROOT/Lf/install.log"

# 100,000 records, of which the first thousand name real files.
for i in $(seq -w 0 999); do : >"$ROOT/Many/f00$i.txt"; done
{
  printf '\r\n[CopyFiles]\r\n'
  for i in $(seq -w 0 99999); do printf 'C:\\ReapTest\\Many\\f%s.txt=\r\n' "$i"; done
  printf '\r\n[CreateDirs]\r\nC:\\ReapTest\\Many\\=\r\n'
} >"$WORK_DIR/many.log"
mkdir -p "$ROOT/ManyRun"
cp "$SOWELL_BIN/Reapwell.exe" "$ROOT/ManyRun/"
cp "$WORK_DIR/many.log" "$ROOT/ManyRun/install.log"
start=$SECONDS
run_log ManyRun "" 240000
echo "100,000 records took $((SECONDS - start)) s"
check "every named file of 100,000 records removed" test -z "$(ls -A "$ROOT/Many")"
check "and their folder" absent "$ROOT/Many"
check "the victim is still there" present "$ROOT/Victim/keep.txt"
wine_quiet reg delete 'HKCU' /v victimvalue /f
finish
