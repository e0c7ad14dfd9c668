# Cancel while a large package is being extracted: the question answered
# Cancel among the small files (extraction waits while it is open, then goes
# on), then OK while the last, big member is being written, which ends the
# program at once. What was installed stays, the log is sound and names every
# extracted file, and the uninstaller removes what the log names.
source "$SOURCE_DIR/tests/setup/run/install_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"

NAME="CxlCancel Test"
INSTALL_WIN='C:\CxlCancel\Программа'
INSTALL=$DRIVE_C/CxlCancel/Программа
# Paths are compared as bytes.
export LC_ALL=C
UNINSTALL_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$NAME"
# Left from an earlier failed run, the program group would not count as created by this one.
cleanup() {
  rm -rf "$DRIVE_C/CxlCancel" "$DRIVE_C"/users/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs/"$NAME"
  wine_quiet reg delete "$UNINSTALL_KEY" /f || true
  # The big member's archive takes 1 GB; the rest stays for a look after a failure.
  [[ -z ${PKG:-} ]] || rm -f "$PKG/$BIG" "$DIST/big.rar"
}
trap cleanup EXIT
cleanup

# 2,000 small files in 10 folders, then one of 1 GB (members are sorted):
# long enough under Wine to cancel among the small ones and again inside the
# big one, which the extraction writes at hundreds of MB a second.
PKG=$WORK_DIR/pkg
DIST=$WORK_DIR/dist
mkdir -p "$DIST"
for d in $(seq 0 9); do
  mkdir -p "$PKG/data/d$d"
  for i in $(seq 0 199); do
    head -c 2048 /dev/urandom >"$PKG/data/d$d/f$i.bin"
  done
done
BIG=data/zz_big.bin
# Sparse: it takes no room here, only in the archive and the install folder.
truncate -s $((1024 << 20)) "$PKG/$BIG"
"$RARWRITER" "$DIST/big.rar" "$PKG" >/dev/null
mapfile -t MEMBERS < <(bsdtar -tf "$DIST/big.rar" | sed 's:/$::')
TOTAL=${#MEMBERS[@]}
FILES=$(find "$PKG" -type f | wc -l)
cp "$SOWELL_BIN/Sowell.exe" "$SOWELL_BIN/UnRAR.dll" "$DIST/"
write_ini "$DIST/setup.ini" <<INI
[Install]
ProgramName=$NAME
InstallPath=C:\\CxlCancel\\
InstallFolder=Программа
SupportUninstall=1
CreateDesktopIcon=0

[Dialogs]
Wellcome=0
Path=0
Custom=0
Languge=0
IconType=0
Start=1

[Packages]
Package0=Данные

[Package0]
Main=1
FilesCount=$TOTAL
Pak0=big.rar
INI

LOG=$INSTALL/install.log
# Counted while the program runs: the saved log and the journal of records since.
copied() { log_keys_live "$LOG" CopyFiles 2>/dev/null | wc -l; }
# wait_copied N SECONDS: until the log names at least N files.
wait_copied() {
  local deadline=$((SECONDS + $2))
  until (($(copied) >= $1)); do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}
HS=$(winpath "$WORK_DIR")
drive >"$WORK_DIR/driver.out" 2>&1 <<EOF2 &
start "$(winpath "$DIST/Sowell.exe")"
wait-window "$NAME Setup" 20000
expect $ID_LSTART visible
click "Далее >"
handshake "$HS\\begun" 60000
click $ID_B_CANCEL_PROGRESS
wait-msgbox "Подтверждение" "Вы хотите прервать установку ?"
handshake "$HS\\asked" 30000
answer cancel
handshake "$HS\\resumed" 60000
expect-text $ID_B_CANCEL_PROGRESS "Отмена"
click $ID_B_CANCEL_PROGRESS
wait-msgbox "Подтверждение" "Вы хотите прервать установку ?"
answer ok
wait-exit 3000 0
EOF2
DRIVER=$!

# Extraction has visibly begun once the log names files.
answer_handshake begun wait_copied 100 40 || { cat "$WORK_DIR/driver.out"; fail "extraction did not get to 100 files"; }
# While the question is open the extraction waits.
asked_at=0
note_paused() {
  asked_at=$(copied)
  sleep 1
  PAUSED_GREW=$(($(copied) - asked_at))
}
answer_handshake asked note_paused || fail "no handshake at the question"
# Answered Cancel, the extraction goes on, to the big member.
wait_big() {
  local deadline=$((SECONDS + 60))
  until [[ -e $INSTALL/$BIG ]]; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
  RESUMED_AT=$(copied)
}
answer_handshake resumed wait_big ||
  { cat "$WORK_DIR/driver.out"; fail "extraction did not go on to the big member after the question was answered Cancel (stuck at $(copied))"; }
wait "$DRIVER" || { cat "$WORK_DIR/driver.out"; fail "the driver failed"; }
wine_settle

check "the log did not grow while the question was open (grew by $PAUSED_GREW)" test "$PAUSED_GREW" = 0
logged=$(copied)
check "extraction went on after Cancel at the question ($asked_at, then $RESUMED_AT files)" test "$RESUMED_AT" -gt "$asked_at"
check "the log names the $((FILES - 1)) small files and the big one being written ($logged)" test "$logged" = "$FILES"

faults=$(log_shape_faults "$LOG" "[Shortcuts] [CreateKeys] [Display] [Strings] [CreateDirs] [CopyFiles] ")
[[ -z $faults ]] || echo "$faults"
check "the log is well formed" test -z "$faults"

# Every logged file is there, whole but the one cut short; every logged folder is there.
bad_files=0
while IFS= read -r key; do
  member=${key#"$INSTALL_WIN\\"}
  unix=$(unix_of "$key") || { echo "  key outside drive C: $key"; bad_files=$((bad_files + 1)); continue; }
  [[ ${member//\\//} == "$BIG" && -f $unix ]] && continue
  if ! cmp -s "$unix" "$PKG/${member//\\//}"; then
    echo "  logged but missing or different: $key"
    bad_files=$((bad_files + 1))
  fi
done < <(log_keys "$LOG" CopyFiles)
check "every logged file is installed and whole" test "$bad_files" = 0
bad_dirs=0
while IFS= read -r key; do
  [[ -d $(unix_of "$key") ]] || { echo "  logged folder missing: $key"; bad_dirs=$((bad_dirs + 1)); }
done < <(log_keys "$LOG" CreateDirs | grep -a '^C:')
check "every logged folder on drive C exists" test "$bad_dirs" = 0

# Files in the install folder that the log does not name: only the log and the
# uninstaller, which the log names in other ways. The member being written
# when Cancel came is recorded as the program ends, so the uninstaller finds it.
listed=$(log_keys "$LOG" CopyFiles | while IFS= read -r k; do
  k=${k#"$INSTALL_WIN\\"}
  echo "${k//\\//}"
done | sort)
present_files=$(cd "$INSTALL" && find . -type f | sed 's:^\./::' | sort)
unlisted=$(comm -13 <(echo "$listed") <(echo "$present_files") | grep -vx -e install.log -e Reapwell.exe || true)
last_logged=$(log_keys "$LOG" CopyFiles | tail -2 | head -1)
last_logged=${last_logged#"$INSTALL_WIN\\"}
last_logged=${last_logged//\\//}
next_member=""
for ((m = 0; m < TOTAL; m++)); do
  if [[ ${MEMBERS[m]} == "$last_logged" ]]; then
    for ((n = m + 1; n < TOTAL; n++)); do
      [[ -f $PKG/${MEMBERS[n]} ]] && { next_member=${MEMBERS[n]}; break; }
    done
    break
  fi
done
echo "installed but not logged: ${unlisted:-nothing} ($(stat -c %s "$INSTALL/$BIG" 2>/dev/null || echo no) of $(stat -c %s "$PKG/$BIG") bytes of $BIG)"
check "every installed file is in the log" test -z "$unlisted"
check "the last record is the member that followed the last whole one ($next_member)" \
  test "$(log_keys "$LOG" CopyFiles | tail -1)" = "$INSTALL_WIN\\${next_member//\//\\}"
check "it is the big one, cut short" test "$(stat -c %s "$INSTALL/$BIG" 2>/dev/null || echo 0)" -lt "$(stat -c %s "$PKG/$BIG")"
check "the uninstaller is in the install folder" test -f "$INSTALL/Reapwell.exe"
check "the uninstall entry is registered" reg_has_key "$UNINSTALL_KEY"
GROUP=$(log_keys "$LOG" Shortcuts | head -1)
# What the uninstaller must remove: every logged path.
LOGGED_PATHS=()
while IFS= read -r key; do
  path=$(unix_of "$key") || continue
  path=${path%/}
  LOGGED_PATHS+=("$path")
done < <(log_keys "$LOG" CopyFiles; log_keys "$LOG" CreateDirs)
check "the uninstall shortcut exists" test -f "$(unix_of "$GROUP")"

drive <<EOF2
start "$INSTALL_WIN\\Reapwell.exe"
wait-msgbox "Uninstaller      " "Вы уверены, что хотите полностью удалить $NAME и все его компоненты? " 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 60000
expect-text 1 "Закрыть"
click 1
wait-exit 10000 0
EOF2
wine_settle

gone_logged=0
for path in "${LOGGED_PATHS[@]}"; do
  [[ ! -e $path ]] || { echo "  still there: $path"; gone_logged=$((gone_logged + 1)); }
done
check "every file and folder the log named is gone" test "$gone_logged" = 0
remaining=$(if [[ -d $DRIVE_C/CxlCancel ]]; then cd "$DRIVE_C/CxlCancel" && find . -type f | sed 's:^\./::'; fi)
check "no installed file is left (left: ${remaining:-none})" test -z "$remaining"
check "the install folder is gone" absent "$DRIVE_C/CxlCancel/Программа"
check "and the folder above it, which the installation made" absent "$DRIVE_C/CxlCancel"
check "the uninstall entry is gone" reg_no_key "$UNINSTALL_KEY"
check "the uninstall shortcut is gone" test ! -e "$(unix_of "$GROUP")"
check "the program group folder is gone" test ! -e "$(dirname "$(unix_of "$GROUP")")"
finish
