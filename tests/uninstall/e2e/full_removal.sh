# A whole installation described by a hand-written log goes, and nothing else:
# files (read-only, hidden, Cyrillic names, "=" in a name, a mask, help
# companions, one in use), shortcuts, an INI entry, a font, registry values
# and keys, a COM server, shared files, and the programs run before and after.
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"

APP=$ROOT/App
rm -rf "$ROOT"
mkdir -p "$APP/bin" "$APP/Данные" "$APP/dir.tmp" "$ROOT/Menu/ReapTest App" "$ROOT/Desktop" "$ROOT/tools" "$ROOT/Other"
for f in bin/tool.exe readonly.txt hidden.dat Данные/Записи.txt a=b.txt held.dll x.tmp y.tmp guide.hlp guide.gid \
         guide.fts shared3.dll shared1.dll dir.tmp/inside.txt; do
  echo "$f" >"$APP/$f"
done
cp /usr/share/wine/fonts/courier.ttf "$APP/reaptest.ttf"
cp "$TESTS_BIN/com_test_server.dll" "$APP/testcom.dll"
cp "$TESTS_BIN/marker.exe" "$TESTS_BIN/holder.exe" "$ROOT/tools/"
echo lnk >"$ROOT/Menu/ReapTest App/Удалить ReapTest App.lnk"
echo lnk >"$ROOT/Desktop/Notebook.lnk"
echo pif >"$ROOT/Desktop/Notebook.pif"
echo other >"$ROOT/Desktop/Other.lnk"
echo dll >"$ROOT/Other/notours.dll"
printf '[Settings]\r\nRemove=1\r\nKeep=2\r\n[Other]\r\nx=1\r\n' >"$ROOT/app.ini"
place_uninstaller "$APP" full.log

wine_quiet attrib +r 'C:\ReapTest\App\readonly.txt'
wine_quiet attrib +h +s 'C:\ReapTest\App\hidden.dat'
reg_import <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\ReapTest\App]
"Path"="C:\\ReapTest\\App"
@="default"

[HKEY_CURRENT_USER\Software\ReapTest\App\Opts]
"Name\\With\\Backslash"="x"
"Other"="y"

[HKEY_CURRENT_USER\Software\ReapTest\Keep]
"v"="stays"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\ReapTest App]
"DisplayName"="ReapTest App"

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs]
"C:\\ReapTest\\App\\shared3.dll"=dword:00000003
"C:\\ReapTest\\App\\shared1.dll"=dword:00000001
"C:\\ReapTest\\Other\\notours.dll"=dword:00000001

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts]
"ReapTest Courier (TrueType)"="C:\\ReapTest\\App\\reaptest.ttf"
REG
wine_quiet regsvr32 /s 'C:\ReapTest\App\testcom.dll'
CLSID='HKCR\CLSID\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A21}'
reg_has_key "$CLSID" || fail "the test COM server did not register"
reg_has_value 'HKCU\Software\ReapTest\App\Opts' 'Name\With\Backslash' || fail "the registry was not prepared"

# held.dll stays open until the test lets it go (at the latest when it ends).
trap 'touch "$ROOT/release"' EXIT
"$WINE_RUN" 'C:\ReapTest\tools\holder.exe' 'C:\ReapTest\App\held.dll' 'C:\ReapTest\release' &
sleep 2

drive <<'SCRIPT'
start "C:\ReapTest\App\Reapwell.exe"
wait-msgbox "Uninstaller      " "Вы уверены, что хотите полностью удалить ReapTest App и все его компоненты?" 20000
answer yes
wait-window "Uninstaller      " 10000
wait-dialog "Удалить общий файл?" 20000
expect-text 104 "shared1.dll"
expect-text 106 "C:\\ReapTest\\App\\"
expect-text 107 "Да"
expect-text 108 "Да для всех"
expect-text 109 "Нет"
expect-text 110 "Нет для всех"
answer 107
expect 1 enabled 30000
expect-text 1 "Закрыть"
expect-count 101 11
expect-item 101 0 "Подготовка к удалению"
expect-item 101 1 "Проверка общих файлов... ok"
expect-item 101 2 "Удаление ярлыков... ok"
expect-item 101 3 "Удаление записей в ini-файлах... ok"
expect-item 101 4 "Удаление шрифтов... ok"
expect-item 101 5 "Удаление параметров реестра... ok"
expect-item 101 6 "Удаление разделов реестра... ok"
expect-item 101 7 "Удаление COM-серверов... ok"
expect-item 101 8 "Удаление файлов... ok"
expect-item 101 9 "Удаление каталогов... ok"
expect-item 101 10 "Удаление ReapTest App закончено."
click 1
wait-exit 10000 0
SCRIPT

# The file in use is scheduled for the next start of Windows.
pending=$("$WINE_RUN" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations 2>/dev/null | tr -d '\r')
check "held.dll is scheduled for deletion" grep -qi 'ReapTest\\App\\held.dll' <<<"$pending"
touch "$ROOT/release"
wine_settle

check "tool.exe removed" absent "$APP/bin/tool.exe"
check "read-only file removed" absent "$APP/readonly.txt"
check "hidden system file removed" absent "$APP/hidden.dat"
check "Cyrillic file removed" absent "$APP/Данные/Записи.txt"
check "file with = in its name removed" absent "$APP/a=b.txt"
check "mask removed x.tmp" absent "$APP/x.tmp"
check "mask removed y.tmp" absent "$APP/y.tmp"
check "mask left the folder dir.tmp" present "$APP/dir.tmp/inside.txt"
check "help file removed" absent "$APP/guide.hlp"
check "help index companion removed" absent "$APP/guide.gid"
check "help search companion removed" absent "$APP/guide.fts"
check "held.dll still there until restart" present "$APP/held.dll"
check "shared file with counter 3 kept" present "$APP/shared3.dll"
check "its counter lowered to 2" test "$(reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs' 'C:\ReapTest\App\shared3.dll')" = 0x2
check "unused shared file removed" absent "$APP/shared1.dll"
check "its counter deleted" reg_no_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs' 'C:\ReapTest\App\shared1.dll'
check "shared file of another program untouched" present "$ROOT/Other/notours.dll"
check "its counter untouched" test "$(reg_value 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs' 'C:\ReapTest\Other\notours.dll')" = 0x1
check "font file removed" absent "$APP/reaptest.ttf"
check "font registration removed" reg_no_value 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts' 'ReapTest Courier (TrueType)'
check "COM server file removed" absent "$APP/testcom.dll"
check "COM server unregistered" reg_no_key "$CLSID"
check "uninstall shortcut removed" absent "$ROOT/Menu/ReapTest App/Удалить ReapTest App.lnk"
check "shortcut without extension: .lnk removed" absent "$ROOT/Desktop/Notebook.lnk"
check "shortcut without extension: .pif removed" absent "$ROOT/Desktop/Notebook.pif"
check "other shortcut untouched" present "$ROOT/Desktop/Other.lnk"
check "program group folder removed" absent "$ROOT/Menu/ReapTest App"
check "empty sub-folder bin removed" absent "$APP/bin"
check "empty Cyrillic sub-folder removed" absent "$APP/Данные"
check "INI entry removed" bash -c "! grep -q '^Remove=' '$ROOT/app.ini'"
check "other INI entries kept" bash -c "grep -q '^Keep=2' '$ROOT/app.ini' && grep -q '^x=1' '$ROOT/app.ini'"
check "registry value Path removed" reg_no_value 'HKCU\Software\ReapTest\App' Path
check "key App removed" reg_no_key 'HKCU\Software\ReapTest\App'
check "key Opts removed" reg_no_key 'HKCU\Software\ReapTest\App\Opts'
check "key with an unlisted subkey kept" reg_has_key 'HKCU\Software\ReapTest'
check "unlisted key untouched" test "$(reg_value 'HKCU\Software\ReapTest\Keep' v)" = stays
check "uninstall registration removed" reg_no_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ReapTest App'
check "program before removal ran hidden in its folder" grep -q 'args=0;folder=C:\\ReapTest\\App;show=0' "$ROOT/pre.txt"
check "program after removal ran" grep -q 'args=0;folder=C:\\ReapTest;show=1' "$ROOT/post.txt"
check "install.log deleted" absent "$APP/install.log"
check "the uninstaller removed itself" absent "$APP/Reapwell.exe"

# The restart carries out the deferred deletion.
WINEPREFIX=$WINEPREFIX wineboot -r >/dev/null 2>&1
wine_settle
check "held.dll gone after restart" absent "$APP/held.dll"
finish
