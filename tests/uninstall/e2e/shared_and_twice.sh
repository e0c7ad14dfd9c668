# Shared files answered No (Escape) and No to all stay with their counters;
# a log written by two installations removes both; Escape and Enter do nothing
# while the removal runs; the title picture goes, and the uninstaller then
# takes its folder with it.
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"

rm -rf "$ROOT"
mkdir -p "$ROOT/Shared" "$ROOT/Twice/one" "$ROOT/Twice/two" "$ROOT/tools"
cp "$TESTS_BIN/marker.exe" "$ROOT/tools/"
for f in one.dll two.dll three.dll own.txt; do echo "$f" >"$ROOT/Shared/$f"; done
for f in one/a.txt two/b.txt common.txt first.lnk second.lnk; do echo "$f" >"$ROOT/Twice/$f"; done
place_uninstaller "$ROOT/Shared" shared-no.log
place_uninstaller "$ROOT/Twice" twice.log
convert -size 480x60 gradient:'#fff6d0-#f0c040' "BMP3:$ROOT/Twice/Reapwell.bmp"
reg_import <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs]
"C:\\ReapTest\\Shared\\one.dll"=dword:00000001
"C:\\ReapTest\\Shared\\two.dll"=dword:00000001
"C:\\ReapTest\\Shared\\three.dll"=dword:00000001
REG

drive <<'SCRIPT'
start "C:\ReapTest\Shared\Reapwell.exe"
wait-msgbox "Uninstaller      " "Are you sure you want to completely remove the selected application and all of its components?" 20000
answer yes
wait-window "Uninstaller      " 10000
wait-dialog "Remove shared file?" 20000
expect-text 104 "one.dll"
expect-text 103 "File name:"
expect-text 105 "Located in:"
expect-text 107 "Yes"
key escape
wait-dialog "Remove shared file?" 20000
expect-text 104 "two.dll"
answer 110
expect 1 enabled 20000
no-window "Remove shared file?" 500
expect-item 101 0 "Checking shared files... ok"
click 1
wait-exit 10000 0
SCRIPT
wine_settle
for f in one two three; do
  check "$f.dll kept" present "$ROOT/Shared/$f.dll"
  check "$f.dll counter kept" test "$(reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs' "C:\\ReapTest\\Shared\\$f.dll")" = 0x1
done
check "the installation's own file removed" absent "$ROOT/Shared/own.txt"

drive <<'SCRIPT'
start "C:\ReapTest\Twice\Reapwell.exe"
wait-msgbox "Uninstaller      " "Are you sure you want to completely remove the selected application and all of its components?" 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 disabled
key escape
key enter
sleep 500
expect 1 disabled
expect-count 101 0
expect 1 enabled 20000
expect-item 101 0 "Removing shortcuts... ok"
# Once Close is enabled, Escape closes as it does.
key escape
wait-exit 10000 0
SCRIPT
wine_settle
check "the program before removal ran and was waited for" grep -q 'args=0 4000;' "$ROOT/twice-pre.txt"
check "both installations' files, the title picture and the folder removed, the uninstaller last" absent "$ROOT/Twice"
finish
