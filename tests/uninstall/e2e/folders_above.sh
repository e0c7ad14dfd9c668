# A log that lists the folders its installation created above the install
# folder: the uninstaller, still running in the install folder while its
# folder step runs, leaves them to its self-deleting batch file, which removes
# them after the install folder, deepest first, each only when empty by then.
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"

rm -rf "$ROOT"
APP=$ROOT/Фирма/Набор/Программа
mkdir -p "$APP/bin" "$ROOT/Kept/App"
echo readme >"$APP/readme.txt"
echo tool >"$APP/bin/tool.exe"
echo readme >"$ROOT/Kept/App/readme.txt"
echo "another program's" >"$ROOT/Kept/other.txt"
place_uninstaller "$APP" above-install.log
place_uninstaller "$ROOT/Kept/App" above-kept.log
# The batch files anywhere on drive C: down to the temporary folder's depth.
batches() { find "$DRIVE_C" -maxdepth 4 -name '*.bat' | wc -l; }
batches_before=$(batches)

remove() {
  drive <<SCRIPT
start "$1"
wait-msgbox "Uninstaller      " "Are you sure you want to completely remove the selected application and all of its components?" 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 30000
click 1
wait-exit 10000 0
SCRIPT
  wine_settle
}

remove 'C:\ReapTest\Фирма\Набор\Программа\Reapwell.exe'
check "the uninstaller removed itself" absent "$APP/Reapwell.exe"
check "and the install folder" absent "$APP"
check "the created folder above it went" absent "$ROOT/Фирма/Набор"
check "and the one above that" absent "$ROOT/Фирма"
check "a folder the log does not list stays" present "$ROOT"

remove 'C:\ReapTest\Kept\App\Reapwell.exe'
check "the install folder went" absent "$ROOT/Kept/App"
check "a created folder above it that holds another file stays" present "$ROOT/Kept"
check "with that file" present "$ROOT/Kept/other.txt"
check "no batch file is left behind" test "$(batches)" = "$batches_before"
finish
