# Logs that name drive roots, system folders, registry roots, empty paths or
# climb out with "..", a log that spells protected folders every other way
# the system reads them, a log with LF-only line ends, and one with 100,000
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

# Every other spelling of a protected folder: a mask there, a removal of it
# (empty, so the system would allow it), and font and COM server records of
# files the installation did not make are refused, while the test product of
# the same log goes.
SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
FONTS_KEY='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts'
COM_CLSID='HKCR\CLSID\{5A1D2E0B-6C3F-4B8A-9E41-0F2B7C9D1A21}'
unix_of() { "$WINE_RUN" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
wine_echo() { "$WINE_RUN" cmd /c echo "$1" 2>/dev/null | tr -d '\r'; }
DESKTOP=$(reg_value "$SHELL_FOLDERS" Desktop) || fail "no Desktop folder"
PROGRAMS=$(reg_value "$SHELL_FOLDERS" Programs) || fail "no Programs folder"
PROFILE=$(wine_echo '%USERPROFILE%')
TEMP_DIR=$(wine_echo '%TEMP%')
PF_SHORT=$("$WINE_RUN" "$(winpath "$TESTS_BIN/short_path.exe")" 'C:\Program Files' | tr -d '\r')
[[ -n $PROFILE && -n $TEMP_DIR && -n $PF_SHORT && $PF_SHORT != 'C:\Program Files' ]] ||
  fail "the test cannot name the profile, temporary or short Program Files folder"
[[ $(readlink -f "$WINEPREFIX/dosdevices/z:") == / ]] || fail "drive Z: is not the Unix root"
Z_WINDOWS="Z:$(readlink -f "$DRIVE_C/windows" | tr / '\\')"
U_DESKTOP=$(unix_of "$DESKTOP")
U_PROGRAMS=$(unix_of "$PROGRAMS")
U_PROFILE=$(unix_of "$PROFILE")
U_TEMP=$(unix_of "$TEMP_DIR")
[[ -d $U_DESKTOP && -d $U_PROGRAMS && -d $U_PROFILE && -d $U_TEMP ]] || fail "the user's folders are not there"

P=$ROOT/Product
mkdir -p "$P/bin" "$P/Data" "$U_PROGRAMS/ReapTest Product" "$DRIVE_C/windows/reaptest-empty" \
  "$U_PROFILE/Music" "$U_PROFILE/Videos"
for f in readme.txt notes.txt a.tmp b.tmp bin/tool.dll Data/data.bin; do echo "$f" >"$P/$f"; done
cp /usr/share/wine/fonts/courier.ttf "$P/product.ttf"
cp /usr/share/wine/fonts/courier.ttf "$DRIVE_C/windows/Fonts/reaptest-product2.ttf"
cp /usr/share/wine/fonts/courier.ttf "$DRIVE_C/windows/Fonts/reaptest-system.ttf"
echo shared >"$DRIVE_C/windows/system32/reaptest-shared.dll"
cp "$TESTS_BIN/com_test_server.dll" "$DRIVE_C/windows/system32/reaptest-syscom.dll"
echo lnk >"$U_DESKTOP/ReapTest Product.lnk"
echo lnk >"$U_DESKTOP/ReapTest Other.lnk"
VICTIMS=("$DRIVE_C/reaptest-root-victim.txt" "$DRIVE_C/Program Files/reaptest-victim.txt" "$U_PROFILE/reaptest-victim.txt"
         "$U_TEMP/reaptest-victim.txt" "$DRIVE_C/users/reaptest-victim.txt" "$DRIVE_C/ProgramData/reaptest-victim.txt")
for v in "${VICTIMS[@]}"; do echo victim >"$v"; done
ini_sums=$(md5sum "$DRIVE_C/windows/win.ini" "$DRIVE_C/windows/system.ini")
reg_import <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Fonts]
"ReapTest System (TrueType)"="reaptest-system.ttf"
"ReapTest Product (TrueType)"="C:\\ReapTest\\Product\\product.ttf"
"ReapTest Product 2 (TrueType)"="reaptest-product2.ttf"
REG
wine_quiet regsvr32 /s 'C:\windows\system32\reaptest-syscom.dll'
reg_has_key "$COM_CLSID" || fail "the system's stand-in COM server did not register"
reg_has_value "$FONTS_KEY" 'ReapTest System (TrueType)' || fail "the fonts were not registered"
# Backslashes and "&" in the values must reach the log as they are.
sed_value() { sed -e 's/[\\&|]/\\&/g' <<<"$1"; }
sed -e "s|{DESKTOP}|$(sed_value "$DESKTOP")|g" -e "s|{PROGRAMS}|$(sed_value "$PROGRAMS")|g" \
    -e "s|{PROFILE}|$(sed_value "$PROFILE")|g" -e "s|{TEMP}|$(sed_value "$TEMP_DIR")|g" \
    -e "s|{PF_SHORT}|$(sed_value "$PF_SHORT")|g" -e "s|{Z_WINDOWS}|$(sed_value "$Z_WINDOWS")|g" \
    "$SOURCE_DIR/tests/uninstall/logs/spellings.log" >"$P/install.log"
grep -q '{' "$P/install.log" && fail "a name was left unfilled in the log"
run_log Product ""

check "win.ini and system.ini are untouched" test "$(md5sum "$DRIVE_C/windows/win.ini" "$DRIVE_C/windows/system.ini")" = "$ini_sums"
for v in "${VICTIMS[@]}"; do check "a mask left $v" present "$v"; done
check "another program's shortcut on the desktop stays" present "$U_DESKTOP/ReapTest Other.lnk"
check "the keep file of a stream record stays" present "$ROOT/Victim/keep.txt"
check "an empty folder in the Windows folder stays, however spelled" present "$DRIVE_C/windows/reaptest-empty"
check "the profile's empty Music folder stays" present "$U_PROFILE/Music"
check "the profile's empty Videos folder stays" present "$U_PROFILE/Videos"
check "the desktop stays" present "$U_DESKTOP"
check "the system's font stays registered" reg_has_value "$FONTS_KEY" 'ReapTest System (TrueType)'
check "and its file stays" present "$DRIVE_C/windows/Fonts/reaptest-system.ttf"
check "the system's COM server stays registered" reg_has_key "$COM_CLSID"
check "the product's files go" bash -c "! ls -A '$P' 2>/dev/null | grep -q ."
check "the product's folder goes" absent "$P"
check "the product's shortcut goes" absent "$U_DESKTOP/ReapTest Product.lnk"
check "the product's program group goes" absent "$U_PROGRAMS/ReapTest Product"
check "the product's shared library in the system folder goes" absent "$DRIVE_C/windows/system32/reaptest-shared.dll"
check "the product's font goes from the fonts folder" absent "$DRIVE_C/windows/Fonts/reaptest-product2.ttf"
check "its registration goes" reg_no_value "$FONTS_KEY" 'ReapTest Product 2 (TrueType)'
check "the registration of the product's font spelled otherwise goes" reg_no_value "$FONTS_KEY" 'ReapTest Product (TrueType)'

wine_quiet regsvr32 /s /u 'C:\windows\system32\reaptest-syscom.dll' || true
wine_quiet reg delete "$FONTS_KEY" /v 'ReapTest System (TrueType)' /f || true
rm -rf "${VICTIMS[@]}" "$U_DESKTOP/ReapTest Other.lnk" "$DRIVE_C/windows/reaptest-empty" \
  "$DRIVE_C/windows/Fonts/reaptest-system.ttf" "$DRIVE_C/windows/system32/reaptest-syscom.dll"

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
