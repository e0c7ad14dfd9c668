# An installation that meets what the log once could not hold, removed
# through its registered uninstaller: member names with a blank before "=",
# with "\.\", with letters code page 1251 cannot spell (CJK, emoji, a box
# drawing letter of the OEM page); members in folders the archive does not
# list; a volume set with a link the library refuses in the middle; an
# install folder whose parent the installation creates; a registry file that
# writes into the user's environment, the autostart key and a vendor key that
# does not exist yet. Afterwards the disk and those keys are as they were.
source "$SOURCE_DIR/tests/setup/run/install_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"

NAME="Awk Names"
VENDOR=$DRIVE_C/AwkVendor
APP=$VENDOR/App
UNINSTALL_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$NAME"
RUN_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
cleanup() {
  rm -rf "$VENDOR" "$DRIVE_C"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/"$NAME"
  wine_quiet reg delete "$UNINSTALL_KEY" /f || true
  wine_quiet reg delete 'HKCU\Software\AwkVendor' /f || true
  wine_quiet reg delete 'HKCU\Environment' /v AWK_HOME /f || true
  wine_quiet reg delete 'HKCU\Environment' /v AWK_OTHER /f || true
  wine_quiet reg delete "$RUN_KEY" /v AwkTray /f || true
  wine_quiet reg delete "$RUN_KEY" /v OtherTray /f || true
}
trap cleanup EXIT
cleanup

# What the user and other programs keep in the shared keys.
wine_quiet reg add 'HKCU\Environment' /v AWK_OTHER /d keep /f
wine_quiet reg add "$RUN_KEY" /v OtherTray /d 'C:\other\tray.exe' /f
TEMP_BEFORE=$(reg_value 'HKCU\Environment' TEMP) || fail "the prefix has no TEMP variable"

DIST=$WORK_DIR/dist
SRC=$WORK_DIR/src
mkdir -p "$DIST" "$SRC"
echo small >"$SRC/small.dat"
head -c 100000 /dev/urandom >"$SRC/big.dat"
tab=$'\t'
cat >"$SRC/names.list" <<LIST
f${tab}a =b.txt${tab}small.dat
f${tab}c= d.txt${tab}small.dat
f${tab}x/./y.txt${tab}small.dat
f${tab}表.txt${tab}small.dat
f${tab}😀/e.txt${tab}small.dat
f${tab}Ⓗ ═.txt${tab}small.dat
f${tab}deep/er/f.txt${tab}small.dat
d${tab}plain
LIST
printf 'f\t╬ box.txt\tsmall.dat\n' >"$SRC/oem.list"
cat >"$SRC/set.list" <<LIST
f${tab}big.bin${tab}big.dat
l${tab}link${tab}big.bin
f${tab}after/g.txt${tab}small.dat
d${tab}after
d${tab}tail
LIST
"$RARWRITER" --rar5 --list "$SRC/names.list" "$DIST/names.rar" >/dev/null
"$RARWRITER" --oem-names --list "$SRC/oem.list" "$DIST/oem.rar" >/dev/null
"$RARWRITER" --volume-size 40000 --list "$SRC/set.list" "$DIST/set.rar" >/dev/null
[[ -f $DIST/set.part3.rar ]] || fail "the volume set has fewer volumes than the test needs"
cp "$SOWELL_BIN/Sowell.exe" "$SOWELL_BIN/UnRAR.dll" "$DIST/"
write_ini "$DIST/env.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Environment]
"AWK_HOME"="%InstallPath%"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run]
"AwkTray"="%InstallPath%\\tray.exe"

[HKEY_CURRENT_USER\Software\AwkVendor\App\Settings]
"Path"="%InstallPath%"
REG
write_ini "$DIST/setup.ini" <<INI
[Install]
ProgramName=$NAME
InstallPath=C:\\AwkVendor\\
InstallFolder=App
SupportUninstall=1

[Dialogs]
Wellcome=0
Path=0
Custom=0
Languge=0
IconType=0
Start=1

[Packages]
Package0=Names

[Package0]
Main=1
FilesCount=14
Pak0=names.rar
Pak1=oem.rar
Pak2=set.part1.rar
RegFile0=env.reg
INI

drive >"$WORK_DIR/driver.out" 2>&1 <<EOF2 || { cat "$WORK_DIR/driver.out"; fail "the installation did not go as expected"; }
start "$(winpath "$DIST/Sowell.exe")"
wait-window "$NAME Setup" 20000
expect $ID_LSTART visible
click "Далее >"
wait-msgbox "Продолжить установку ?" "link - Ошибка распаковки !" 60000
answer ok
wait-window "$NAME Setup" 5000
expect-text $ID_LINFO "Установка завершена с ошибками !" 60000
click $ID_B_CANCEL_PROGRESS
wait-exit 10000 0
EOF2
wine_settle

LOG=$APP/install.log
check "the names are on disk as the archive spells them" \
  bash -c "cd '$APP' && [[ -f 'a =b.txt' && -f 'c= d.txt' && -f x/y.txt && -f 表.txt && -f 😀/e.txt && -f 'Ⓗ ═.txt' && -f '╬ box.txt' && -f deep/er/f.txt ]]"
check "the volume set went on past the refused link" bash -c "[[ -f '$APP/big.bin' && -f '$APP/after/g.txt' && -d '$APP/tail' && ! -e '$APP/link' ]]"
files_on_disk=$(cd "$APP" && find . -type f ! -name install.log ! -name Reapwell.exe | wc -l)
records=$(log_keys "$LOG" CopyFiles | wc -l)
check "one record for each of the $files_on_disk files ($records)" test "$records" = "$files_on_disk"
# A letter the code page lacks would have become "?", which names other files as a wildcard.
no_stand_ins() { ! { log_keys "$LOG" CopyFiles; log_keys "$LOG" CreateDirs; } | grep -q '?'; }
check "no record holds a stand-in for a letter" no_stand_ins
dirs=$(log_keys "$LOG" CreateDirs)
for folder in 'C:\AwkVendor' 'C:\AwkVendor\App\' 'C:\AwkVendor\App\x' 'C:\AwkVendor\App\deep' \
              'C:\AwkVendor\App\deep\er' 'C:\AwkVendor\App\plain' 'C:\AwkVendor\App\after' 'C:\AwkVendor\App\tail'; do
  check "[CreateDirs] names $folder" grep -qxF "$folder" <<<"$dirs"
done
keys=$(log_keys "$LOG" CreateKeys | sort)
want_keys=$(printf '%s\n' "$UNINSTALL_KEY" 'HKCU\Software\AwkVendor' 'HKCU\Software\AwkVendor\App' \
  'HKCU\Software\AwkVendor\App\Settings' | sort)
check "[CreateKeys] holds only the keys the installation created" test "$keys" = "$want_keys"
[[ $keys == "$want_keys" ]] || echo "$keys"
check "the variable was set" test "$(reg_value 'HKCU\Environment' AWK_HOME)" = 'C:\AwkVendor\App'

command=$(reg_value "$UNINSTALL_KEY" UninstallString) || fail "no UninstallString registered"
program=${command#\"}
program=${program%\"}
drive <<EOF2 || fail "the removal did not go as expected"
start "$program"
wait-msgbox "Uninstaller      " "Вы уверены, что хотите полностью удалить $NAME и все его компоненты? " 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 60000
click 1
wait-exit 10000 0
EOF2
wine_settle
# The uninstaller's batch file removes its folder after it has ended.
for _ in $(seq 50); do [[ -e $VENDOR ]] || break; sleep 0.2; done

check "nothing of the installation is left on disk, the vendor folder included" absent "$VENDOR"
[[ -e $VENDOR ]] && (cd "$VENDOR" && find . | sed 's/^/       left: /')
check "the vendor key is gone" reg_no_key 'HKCU\Software\AwkVendor'
check "the product's variable is gone" reg_no_value 'HKCU\Environment' AWK_HOME
check "the user's other variables stay" test "$(reg_value 'HKCU\Environment' AWK_OTHER)" = keep
check "TEMP stays" test "$(reg_value 'HKCU\Environment' TEMP)" = "$TEMP_BEFORE"
check "the product's autostart entry is gone" reg_no_value "$RUN_KEY" AwkTray
check "other programs' autostart entries stay" test "$(reg_value "$RUN_KEY" OtherTray)" = 'C:\other\tray.exe'
check "the uninstall entry is gone" reg_no_key "$UNINSTALL_KEY"
finish
