# The two-disk example installed from a drive root: the prompt for disk 2
# (OK with the wrong disk in the drive asks again), the prompt for disk 1 at
# the end, the files and log entries of both disks' packages; then a second
# installation whose disk prompts are answered Cancel, which skips those
# archives and ends saying so.
source "$SOURCE_DIR/tests/setup/run/install_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"
export LC_ALL=C

SET=$(dirname "$SOWELL_BIN")/dist-multidisk
[[ -f $SET/disk1/setup.ini && -f $SET/disk2/setup.ini ]] || fail "the two-disk distribution is not laid out ($SET)"
cp -r "$SET/disk1" "$SET/disk2" "$WORK_DIR/"

DRIVE=$WINEPREFIX/dosdevices/r:
[[ ! -e $DRIVE && ! -L $DRIVE ]] || fail "drive R: is already taken in the prefix"
insert() { ln -sfn "$WORK_DIR/$1" "$DRIVE"; }
NAME="Записная книжка Плюс"
UNINSTALL_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$NAME"
cleanup() {
  rm -f "$DRIVE"
  rm -rf "$DRIVE_C/CxlDisks" "$DRIVE_C"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/"$NAME"
  wine_quiet reg delete "$UNINSTALL_KEY" /f || true
  wine_quiet reg delete 'HKCU\Software\Notebook Demo' /f || true
  wine_quiet reg delete 'HKLM\Software\Notebook Demo' /f || true
}
trap cleanup EXIT
cleanup
insert disk1

# members ARCHIVE: the archive's members as Unix paths under the install folder.
members() { LC_ALL=C.UTF-8 bsdtar -tf "$WORK_DIR/$1" | sed 's:/$::'; }
# member_data ARCHIVE MEMBER: a member's contents.
member_data() { LC_ALL=C.UTF-8 bsdtar -xOf "$WORK_DIR/$1" "$2"; }

# install FOLDER SCRIPT_AFTER_START [HEADER]: walks the wizard in English with
# every package, runs the rest of the driver script given and expects the
# header the run ends with.
install() {
  drive >"$WORK_DIR/driver.out" 2>&1 <<EOF2 &
start "R:\\Sowell.exe"
wait-window "$NAME Setup" 20000
click "Далее >"
expect $ID_LDIR visible
type $ID_EDIT_PATH "C:\\CxlDisks\\$1"
click "Далее >"
expect $ID_LPAK_TYPE visible
click "Далее >"
expect $ID_LLANGUAGE visible
expect $ID_RB_ENG checked
click "Далее >"
expect $ID_LICON_TYPE visible
click "Далее >"
expect $ID_LSTART visible
click "Далее >"
$2
expect-text $ID_LINFO "${3:-Установка завершена !}" 30000
click $ID_B_CANCEL_PROGRESS
wait-exit 10000 0
EOF2
  DRIVER=$!
}
not_in_log() { ! iconv -f CP1251 -t UTF-8 "$2" | grep -qF "$1"; }
HS=$(winpath "$WORK_DIR")
D2="Вставьте диск 2 и нажмите кнопку ОК"
D1="Вставьте диск 1 и нажмите кнопку ОК."

# Run 1: OK with disk 1 still in the drive asks again; then disk 2; at the end disk 1 back.
install Run1 "wait-msgbox \"Внимание!\" \"$D2\" 30000
answer ok
wait-msgbox \"Внимание!\" \"$D2\" 5000
handshake \"$HS\\disk2\" 30000
answer ok
wait-msgbox \"Внимание!\" \"$D1\" 30000
handshake \"$HS\\disk1\" 30000
answer ok"
answer_handshake disk2 insert disk2 || { cat "$WORK_DIR/driver.out"; fail "no prompt for disk 2"; }
answer_handshake disk1 insert disk1 || { cat "$WORK_DIR/driver.out"; fail "no prompt for disk 1 at the end"; }
wait "$DRIVER" || { cat "$WORK_DIR/driver.out"; fail "the first installation did not go as expected"; }
wine_settle

APP=$DRIVE_C/CxlDisks/Run1
LOG=$APP/install.log
faults=$(log_shape_faults "$LOG" "[Shortcuts] [CreateKeys] [Display] [Strings] [CreateDirs] [CopyFiles] [AddReg] ")
[[ -z $faults ]] || echo "$faults"
check "run 1: the log is well formed" test -z "$faults"
# every_member_installed ARCHIVE FOLDER: each member is there and logged in its section.
every_member_installed() {
  local archive=$1 app=$2 m bad=0 files dirs
  files=$(log_keys "$app/install.log" CopyFiles)
  dirs=$(log_keys "$app/install.log" CreateDirs)
  local base=${app#"$DRIVE_C"}
  base="C:${base//\//\\}"
  while IFS= read -r m; do
    [[ $m == setup.tmp ]] && continue   # [DelFiles] removes it after the extraction
    local key="$base\\${m//\//\\}"
    if [[ -d $app/$m ]]; then
      grep -qxF "$key" <<<"$dirs" || { echo "  folder $m is not under [CreateDirs]"; bad=1; }
    elif [[ -f $app/$m ]]; then
      cmp -s "$app/$m" <(member_data "$archive" "$m") || { echo "  $m differs from the archive"; bad=1; }
      grep -qxF "$key" <<<"$files" || { echo "  file $m is not under [CopyFiles]"; bad=1; }
    else
      echo "  $m from $archive is not installed"; bad=1
    fi
  done < <(members "$archive")
  return "$bad"
}
for archive in disk1/core.rar disk1/help.rar disk2/samples.rar disk2/letters.rar disk2/forms.rar; do
  check "run 1: $archive installed and logged" every_member_installed "$archive" "$APP"
done
check "run 1: setup.tmp logged, then deleted" bash -c "grep -q 'setup.tmp=' '$LOG' && [[ ! -e '$APP/setup.tmp' ]]"
check "run 1: the registry file of disk 2 was imported" test "$(reg_value 'HKCU\Software\Notebook Demo\Templates' Folder)" = 'C:\CxlDisks\Run1\templates'
check "run 1: the program of [RunApp] ran" test -f "$APP/registered.txt"
copied=$(log_keys "$LOG" CopyFiles | wc -l)
mkdir -p "$WORK_DIR/all"
for a in disk1/core.rar disk1/help.rar disk2/samples.rar disk2/letters.rar disk2/forms.rar; do
  LC_ALL=C.UTF-8 bsdtar -xf "$WORK_DIR/$a" -C "$WORK_DIR/all"
done
expected=$(find "$WORK_DIR/all" -type f | wc -l)
check "run 1: [CopyFiles] names $expected files (it names $copied)" test "$copied" = "$expected"

# Run 2: every prompt for disk 2 answered Cancel: those archives are skipped
# without a further message, the run goes on, and it ends saying that not
# everything was installed.
wine_quiet reg delete 'HKCU\Software\Notebook Demo' /f || true
insert disk1
install Run2 "wait-msgbox \"Внимание!\" \"$D2\" 30000
answer cancel
wait-msgbox \"Внимание!\" \"$D2\" 10000
answer cancel
wait-msgbox \"Внимание!\" \"$D2\" 10000
answer cancel
no-window \"Внимание!\" 1500" "Установка завершена с ошибками !"
wait "$DRIVER" || { cat "$WORK_DIR/driver.out"; fail "the second installation did not go as expected"; }
wine_settle

APP=$DRIVE_C/CxlDisks/Run2
LOG=$APP/install.log
faults=$(log_shape_faults "$LOG" "[Shortcuts] [CreateKeys] [Display] [Strings] [CreateDirs] [CopyFiles] [AddReg] ")
[[ -z $faults ]] || echo "$faults"
check "run 2: the log is well formed" test -z "$faults"
for archive in disk1/core.rar disk1/help.rar; do
  check "run 2: $archive installed and logged" every_member_installed "$archive" "$APP"
done
for archive in disk2/samples.rar disk2/letters.rar disk2/forms.rar; do
  last=$(members "$archive" | tail -1)
  check "run 2: nothing of $archive installed ($last)" test ! -e "$APP/$last"
  key=$(sed 's:/:\\:g' <<<"CxlDisks/Run2/$last=")
  check "run 2: nothing of $archive logged" not_in_log "$key" "$LOG"
done
check "run 2: the registry file of disk 2 was skipped" reg_no_key 'HKCU\Software\Notebook Demo\Templates'
check "run 2: the program of [RunApp] ran" test -f "$APP/registered.txt"
finish
