# An administrator records one installation through the wizard (/SAVEINF,
# driven as a person would) and repeats it on a fresh machine with
# /LOADINF and no window: the two installations are the same, file for
# file, shortcut for shortcut, value for value and record for record. The
# wizard started with a switch says when the user cancels it (exit code 5),
# /? lists the switches (exit code 2), and a second copy started while the
# wizard is open says that one is running (exit code 6).
source "$SOURCE_DIR/tests/roundtrip/roundtrip_lib.sh"

clean_product
EXE=$(winpath "$WORK_DIR/dist/Sowell.exe")
ANSWERS=$WORK_DIR/answers.inf
ANSWERS_WIN=$(winpath "$ANSWERS")

# /? lists the switches and ends with 2.
drive <<EOF2
start "$EXE" "/?"
wait-dialog "Sowell" 20000
answer ok
wait-exit 10000 2
EOF2

# A second copy while the wizard is open: a message box, then 6; the first
# copy goes on as ever.
HS=$(winpath "$WORK_DIR")
drive >"$WORK_DIR/first.out" 2>&1 <<EOF2 &
start "$EXE"
wait-window "$N Setup" 20000
handshake "$HS\\second" 60000
expect $ID_LWELCOME visible
close
wait-msgbox "Подтверждение" "Вы хотите прервать установку ?"
answer ok
wait-exit 10000 0
EOF2
first=$!
for _ in $(seq 600); do
  [[ -e $WORK_DIR/second.ready ]] && break
  sleep 0.1
done
check "the first copy is open" test -e "$WORK_DIR/second.ready"
drive <<EOF2
start "$EXE"
wait-msgbox "Sowell" "Программа установки уже запущена. Дождитесь её завершения." 20000
answer ok
wait-exit 10000 6
EOF2
touch "$WORK_DIR/second.done"
rc=0
wait "$first" || rc=$?
check "the first copy went on and closed as ever" test "$rc" = 0
[[ $rc == 0 ]] || cat "$WORK_DIR/first.out"

# Cancelled by the user in a wizard started with a switch: 5, not 0.
drive <<EOF2
start "$EXE" "/LOG=$(winpath "$WORK_DIR/cancel.txt")"
wait-window "$N Setup" 20000
click "Отмена"
wait-msgbox "Подтверждение" "Вы хотите прервать установку ?"
answer ok
wait-exit 10000 5
EOF2
check "the cancelled run's account says so" grep -qF "$(iconv -f UTF-8 -t CP1251 <<<"Установка отменена пользователем")" "$WORK_DIR/cancel.txt"

# The recorded run: custom, without the samples, Russian, no desktop shortcuts.
drive <<EOF2
start "$EXE" "/SAVEINF=$ANSWERS_WIN"
wait-window "$N Setup" 20000
click "Далее >"
type $ID_EDIT_PATH "$APP_WIN"
click "Далее >"
click $ID_RB_CUSTOM
click $ID_BUTTON7
item-click $ID_CL 2 box
expect-item $ID_CL 2 "Примеры документов" unchecked
click "Далее >"
click $ID_RB_RUS
click "Далее >"
click $ID_CB_DESKTOP
expect $ID_CB_DESKTOP unchecked
click "Далее >"
click "Далее >"
expect-text $ID_LINFO "Установка завершена !" 60000
click $ID_B_CANCEL_PROGRESS
wait-exit 10000 0
EOF2
wine_settle
want=$(printf '%s\r\n' "[Setup]" "Dir=$APP_WIN" "Components=0,1" "Language=RUS" "Desktop=0" "Group=1")
check "the answer file holds the choices" test "$(iconv -f CP1251 -t UTF-8 "$ANSWERS")" = "$want"
[[ $(iconv -f CP1251 -t UTF-8 "$ANSWERS") == "$want" ]] || show_diff "$want" "$(iconv -f CP1251 -t UTF-8 "$ANSWERS")"

# state: what an installation made, as one text: the install folder file by
# file with checksums, the shortcuts of the group and the desktop, the
# product's registry keys and the uninstall entry, and the log.
state() {
  (cd "$APP" && find . -type f ! -name registered.txt -printf '%P ' -exec md5sum {} \; | awk '{print $1, $2}' | LC_ALL=C sort)
  echo "group:"
  ls "$GROUP" 2>/dev/null | LC_ALL=C sort || true
  echo "desktop:"
  ls "$DESKTOP" 2>/dev/null | grep -E "^($N|Прочти меня|Справка|Notebook|Read me|Notebook Help)\\.lnk\$" | LC_ALL=C sort || true
  local key
  for key in 'HKCU\Software\Notebook Demo' 'HKLM\Software\Notebook Demo' "$UNINSTALL_KEY"; do
    echo "registry $key:"
    reg_utf8 "$key" /s | grep -v '^$' || echo "(no key)"
  done
  echo "log:"
  iconv -f CP1251 -t UTF-8 "$LOG" | tr -d '\r'
}
state >"$WORK_DIR/recorded.txt"
check "the recorded installation has the Russian help" present "$APP/help/index.txt"
check "the recorded installation has no samples" absent "$APP/samples"

# The repeat on a fresh machine: a prefix of its own, nothing but the answers.
export SOWELL_WINEPREFIX=$WORK_DIR/fresh-prefix
"$WINE_RUN" --env
DRIVE_C=$SOWELL_WINEPREFIX/drive_c
PARENT=$DRIVE_C/Trip
APP=$PARENT/$N
LOG=$APP/install.log
DESKTOP=$("$WINE_RUN" winepath -u "$DESKTOP_WIN" 2>/dev/null)
DESKTOP=${DESKTOP%/}
PROGRAMS=$("$WINE_RUN" winepath -u "$PROGRAMS_WIN" 2>/dev/null)
GROUP=${PROGRAMS%/}/$N
mkdir -p "$PARENT"
cp "$ANSWERS" "$WORK_DIR/dist/answers.inf"
rc=0
"$WINE_RUN" "$WORK_DIR/dist/Sowell.exe" /VERYSILENT "/LOADINF=$(winpath "$WORK_DIR/dist/answers.inf")" >/dev/null 2>&1 || rc=$?
WINEPREFIX=$SOWELL_WINEPREFIX wineserver -w
check "the repeat exits with 0" test "$rc" = 0
check "the repeat installed on the fresh machine" present "$LOG"
state >"$WORK_DIR/repeated.txt"
check "the repeat is the same installation" cmp -s "$WORK_DIR/recorded.txt" "$WORK_DIR/repeated.txt"
cmp -s "$WORK_DIR/recorded.txt" "$WORK_DIR/repeated.txt" ||
  diff "$WORK_DIR/recorded.txt" "$WORK_DIR/repeated.txt" | sed 's/^/       /' | head -40
WINEPREFIX=$SOWELL_WINEPREFIX wineserver -k || true
rm -rf "$SOWELL_WINEPREFIX" "$SOWELL_WINEPREFIX.lock"
export SOWELL_WINEPREFIX=$WINEPREFIX

# The recorded installation goes again in the test's own prefix.
DRIVE_C=$WINEPREFIX/drive_c
APP=$DRIVE_C/Trip/$N
rc=0
"$WINE_RUN" "$APP/Reapwell.exe" /VERYSILENT >/dev/null 2>&1 || rc=$?
wine_settle
check "the recorded installation is removed with 0" test "$rc" = 0
finish
