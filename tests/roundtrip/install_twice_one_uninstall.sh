# The example installed twice into one folder, first in Russian without the
# samples, then in English with every component: the one log holds both
# installations' records, each path once, and one removal takes both away.
source "$SOURCE_DIR/tests/roundtrip/roundtrip_lib.sh"

clean_product
snapshot "$WORK_DIR/before.txt"

install rus 2
install eng

# The second installation's files replace the first one's (the English help).
check_files core help samples
K='HKCU\Software\Notebook Demo'
expect_reg "$K" "" Notebook
expect_reg "$K" Language en
expect_reg "$K\\Recent" File0 "$APP_WIN\\samples\\welcome.txt"
expect_reg "$K\\Recent" File1 "$APP_WIN\\samples\\Список покупок.txt"
expect_reg "$UNINSTALL_KEY" UninstallString "\"$APP_WIN\\\\Reapwell.exe\""
ICON="$APP_WIN\\notebook.exe,0"
check_shortcuts "$N.lnk" "" "$APP_WIN" "$ICON" "Записная книжка, небольшой текстовый редактор"
check_shortcuts Notebook.lnk "" "$APP_WIN" "$ICON" "Notebook, a small text editor"
check_shortcuts "Notebook Help.lnk" index.txt "$APP_WIN\\help" "$ICON" "Help on Notebook"

check_log_form
D=$DESKTOP_WIN
G=$GROUP_WIN
check_log_set Shortcuts "$G\\Удалить $N.lnk" "$(
  printf '%s\n' "$G\\Удалить $N.lnk"
  for name in "$N" "Прочти меня" "Справка" Notebook "Read me" "Notebook Help"; do
    printf '%s\n' "$D\\$name.lnk" "$G\\$name.lnk"
  done)"
check_log_set CreateKeys "$UNINSTALL_KEY" "$(printf '%s\n' "$UNINSTALL_KEY" "$K" "$K\\Settings" "$K\\Recent" \
  'HKLM\Software\Notebook Demo')"
check_log_files core help-rus help samples
want=$(printf '%s\n' "$K\\''=Notebook" "$K\\'InstallPath'=$APP_WIN" "$K\\'Language'=en" \
  "$K\\'Version'=65538" "$K\\'WordWrap'=1" "$K\\Settings\\'FontName'=Courier New" "$K\\Settings\\'FontSize'=10" \
  "$K\\Settings\\'DocumentsFolder'=$APP_WIN\\samples" "$K\\Settings\\'WindowRect'=<binary>" \
  "$K\\Recent\\'File0'=$APP_WIN\\samples\\welcome.txt" \
  "HKLM\\Software\\Notebook Demo\\'InstallPath'=$APP_WIN" "HKLM\\Software\\Notebook Demo\\'HelpFile'=$APP_WIN\\help\\index.txt" \
  "$K\\Recent\\'File1'=$APP_WIN\\samples\\Список покупок.txt")
# A value written again is replaced in place: the first installation's order, the second's data.
check "install.log: [AddReg] each value once, in first-write order, with the last data" test "$(addreg_records)" = "$want"
[[ $(addreg_records) == "$want" ]] || show_diff "$want" "$(addreg_records)"

uninstall_registered
snapshot "$WORK_DIR/after.txt"
check_after "$WORK_DIR/before.txt" "$WORK_DIR/after.txt"
check "desktop shortcuts of both installations removed" \
  bash -c "! ls '$DESKTOP' | grep -qE '^($N|Прочти меня|Справка|Notebook|Read me|Notebook Help)\\.lnk\$'"
finish
