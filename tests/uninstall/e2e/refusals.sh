# The uninstaller refuses to act without a log or a yes, finds a relative log
# beside itself, and stops when a program run before the removal says no.
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"

rm -rf "$ROOT"
mkdir -p "$ROOT/tools" "$ROOT/Lower" "$ROOT/Stop"
cp "$TESTS_BIN/marker.exe" "$ROOT/tools/"

# No log beside the program: the built-in text names the path it looked for.
place_uninstaller "$ROOT/Missing" ""
drive <<'SCRIPT'
start "C:\ReapTest\Missing\Reapwell.exe"
wait-msgbox "Uninstaller      " "Installation log file C:\\ReapTest\\Missing\\install.log not found!" 20000
answer ok
wait-exit 10000 0
SCRIPT
wine_settle
check "without a log the uninstaller stays" present "$ROOT/Missing/Reapwell.exe"

# Answering No leaves everything, the log and the uninstaller included.
place_uninstaller "$ROOT/Lower" lower-case.log
echo one >"$ROOT/Lower/one.txt"
echo xy >"$ROOT/Lower/x=y.txt"
drive <<'SCRIPT'
start "C:\ReapTest\Lower\Reapwell.exe"
wait-msgbox "Uninstaller      " "Are you sure you want to completely remove the selected application and all of its components?" 20000
answer no
wait-exit 10000 0
SCRIPT
wine_settle
check "No keeps the files" present "$ROOT/Lower/one.txt"
check "No keeps the log" present "$ROOT/Lower/install.log"
check "No keeps the uninstaller" present "$ROOT/Lower/Reapwell.exe"

# A relative log path is taken from the program's folder, whatever the
# current folder; lower-case section names are the same sections.
mkdir -p "$ROOT/Rel/logs"
cp "$SOWELL_BIN/Reapwell.exe" "$ROOT/Rel/"
cp "$SOURCE_DIR/tests/uninstall/logs/lower-case.log" "$ROOT/Rel/logs/my.log"
rm "$ROOT/Lower/install.log" "$ROOT/Lower/Reapwell.exe"
drive <<'SCRIPT'
start "C:\ReapTest\Rel\Reapwell.exe" "logs\\my.log"
wait-msgbox "Uninstaller      " "Are you sure you want to completely remove the selected application and all of its components?" 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 20000
expect-count 101 3
expect-item 101 0 "Removing files... ok"
expect-item 101 1 "Removing directories... ok"
expect-item 101 2 "Application uninstall finished."
click 1
wait-exit 10000 0
SCRIPT
wine_settle
check "[copyfiles] read as CopyFiles" absent "$ROOT/Lower/one.txt"
check "a path with = removed" absent "$ROOT/Lower/x=y.txt"
check "[createdirs] read as CreateDirs" absent "$ROOT/Lower"
check "the relative log was deleted" absent "$ROOT/Rel/logs/my.log"
check "a program not waited for ran and, exiting with 5, did not stop the removal" grep -q 'args=5;' "$ROOT/nowait.txt"

# A program run before the removal exits with 1: nothing is removed, the
# programs after removal never run, and only Close is left to press.
place_uninstaller "$ROOT/Stop" prerun-stop.log
echo keep >"$ROOT/Stop/keep.txt"
drive <<'SCRIPT'
start "C:\ReapTest\Stop\Reapwell.exe"
wait-msgbox "Uninstaller      " "Are you sure you want to completely remove the selected application and all of its components?" 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 20000
expect-count 101 0
click 1
wait-exit 10000 0
SCRIPT
wine_settle
check "the program before removal ran" grep -q 'args=1;' "$ROOT/stop.txt"
check "its refusal kept the files" present "$ROOT/Stop/keep.txt"
check "its refusal kept the log" present "$ROOT/Stop/install.log"
check "no program after removal ran" absent "$ROOT/never.txt"
check "the uninstaller still removed itself" absent "$ROOT/Stop/Reapwell.exe"
finish
