# The example installed through every page of the wizard (custom type without
# the samples, Russian, both shortcut kinds), checked file by file, value by
# value, shortcut by shortcut and record by record, then removed through the
# uninstaller that the system's list of programs names: the machine is as it
# was, apart from notebook's registration mark and the folder holding it.
source "$SOURCE_DIR/tests/roundtrip/roundtrip_lib.sh"

clean_product
snapshot "$WORK_DIR/before.txt"

install rus 2

# The files: core and the Russian help, nothing of the samples.
check_files core help-rus

# The registry files: notebook.reg, then notebook-rus.reg over it.
K='HKCU\Software\Notebook Demo'
expect_reg "$K" "" "$N"
expect_reg "$K" InstallPath "$APP_WIN"
expect_reg "$K" Language ru
expect_reg "$K" Version 0x10002
expect_reg "$K" WordWrap 0x1
expect_reg "$K\\Settings" FontName "Courier New"
expect_reg "$K\\Settings" FontSize 0xa
expect_reg "$K\\Settings" DocumentsFolder "$APP_WIN\\samples"
expect_reg "$K\\Settings" WindowRect 640000005000000080020000E0010000
expect_reg "$K\\Recent" File0 "$APP_WIN\\samples\\Добро пожаловать.txt"
expect_reg "$K\\Recent" File1 "$APP_WIN\\samples\\Список покупок.txt"
expect_reg 'HKLM\Software\Notebook Demo' InstallPath "$APP_WIN"
expect_reg 'HKLM\Software\Notebook Demo' HelpFile "$APP_WIN\\help\\index.txt"

# The uninstall entry; the doubled backslash is the uninstaller path as built.
expect_reg "$UNINSTALL_KEY" DisplayName "$N"
expect_reg "$UNINSTALL_KEY" UninstallString "\"$APP_WIN\\\\Reapwell.exe\""

# The shortcuts of the Russian sections, on the desktop and in the group.
ICON="$APP_WIN\\notebook.exe,0"
check_shortcuts "$N.lnk" "" "$APP_WIN" "$ICON" "Записная книжка, небольшой текстовый редактор"
check_shortcuts "Прочти меня.lnk" readme.txt "$APP_WIN" "" "Что такое Записная книжка и как ею пользоваться"
check_shortcuts "Справка.lnk" index.txt "$APP_WIN\\help" "$ICON" "Справка по Записной книжке"
# The shell reports the target with the doubled separator taken as one.
check_link "$GROUP/Удалить $N.lnk" "$APP_WIN\\Reapwell.exe" "" "$APP_WIN\\" "" ""
check "no English shortcut" absent "$DESKTOP/Notebook.lnk"

# The log.
check_log_form
D=$DESKTOP_WIN
G=$GROUP_WIN
check "install.log: [Shortcuts] the uninstall shortcut, then the packages' in creation order" \
  test "$(log_keys Shortcuts)" = "$(printf '%s\n' "$G\\Удалить $N.lnk" "$D\\$N.lnk" "$G\\$N.lnk" \
    "$D\\Прочти меня.lnk" "$G\\Прочти меня.lnk" "$D\\Справка.lnk" "$G\\Справка.lnk")"
check_log_set CreateKeys "$UNINSTALL_KEY" "$(printf '%s\n' "$UNINSTALL_KEY" 'HKCU\Software\Notebook Demo' \
  'HKCU\Software\Notebook Demo\Settings' 'HKCU\Software\Notebook Demo\Recent' 'HKLM\Software\Notebook Demo')"
check_log_files core help-rus
want=$(printf '%s\n' "$K\\''=$N" "$K\\'InstallPath'=$APP_WIN" "$K\\'Language'=ru" "$K\\'Version'=65538" \
    "$K\\'WordWrap'=1" "$K\\Settings\\'FontName'=Courier New" "$K\\Settings\\'FontSize'=10" \
    "$K\\Settings\\'DocumentsFolder'=$APP_WIN\\samples" "$K\\Settings\\'WindowRect'=<binary>" \
    "$K\\Recent\\'File0'=$APP_WIN\\samples\\Добро пожаловать.txt" \
    "HKLM\\Software\\Notebook Demo\\'InstallPath'=$APP_WIN" "HKLM\\Software\\Notebook Demo\\'HelpFile'=$APP_WIN\\help\\index.txt" \
    "$K\\Recent\\'File1'=$APP_WIN\\samples\\Список покупок.txt")
check "install.log: [AddReg] every value written, in writing order, data as stored" test "$(addreg_records)" = "$want"
[[ $(addreg_records) == "$want" ]] || show_diff "$want" "$(addreg_records)"

uninstall_registered
snapshot "$WORK_DIR/after.txt"
check_after "$WORK_DIR/before.txt" "$WORK_DIR/after.txt"
check "desktop shortcuts removed" bash -c "! ls '$DESKTOP' | grep -qE '^($N|Прочти меня|Справка)\\.lnk\$'"
finish
