# The [Dialogs] switches: pages left out, Back on a first page that has one,
# the component list when its page is switched off, Full after unchecking a
# first package that is not required, the progress page as the only page, and
# an install folder that is empty with no page to type one.
source "$SOURCE_DIR/tests/driver/gui_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"

cp "$SOWELL_BIN/Sowell.exe" "$WORK_DIR/"
exe=$(winpath "$WORK_DIR/Sowell.exe")
Q="Вы хотите прервать установку ?"

packages() {
  cat <<'INI'
[Packages]
Package0=Первый
Package1=Второй
Package2=Третий

[Package1]
Main=1
INI
}

# No welcome, no install type, no ready page: folder, language, shortcuts, progress.
{ cat <<'INI'
[Dialogs]
Wellcome=0
Custom=0
Start=0

[Install]
ProgramName=Тест
InstallPath=D:\
InstallFolder=Tool
INI
  packages; } | write_ini "$WORK_DIR/setup.ini"
drive <<EOF2
start "$exe"
wait-window "Тест Setup" 20000
expect $ID_LDIR visible
expect-text $ID_LINFO "Выбор каталога установки"
expect-text $ID_EDIT_PATH "D:\Tool"
# Back on the first page of the sequence stays there.
click "< Назад"
expect $ID_LDIR visible
expect-text $ID_LINFO "Выбор каталога установки"
click "Далее >"
expect $ID_LLANGUAGE visible
click "< Назад"
expect $ID_LDIR visible
click "Далее >"
click "Далее >"
expect $ID_LICON_TYPE visible
expect $ID_CB_DESKTOP unchecked
expect $ID_CB_PROGRAM checked
# Without the install-type page every package stays checked.
expect-item $ID_CL 0 "Первый" checked enabled
expect-item $ID_CL 1 "Второй" checked disabled
expect-item $ID_CL 2 "Третий" checked enabled
# The close box before the installation, confirmed, ends the program.
close
wait-msgbox "Подтверждение" "$Q"
answer ok
wait-exit 10000 0
EOF2

# Starting on the install-type page; Full after unchecking keeps the first item's mark.
{ cat <<'INI'
[Dialogs]
Wellcome=0
Path=0

[Install]
ProgramName=Тест
InstallPath=D:\
InstallFolder=Tool
INI
  packages; } | write_ini "$WORK_DIR/setup.ini"
drive <<EOF2
start "$exe"
wait-window "Тест Setup" 20000
expect $ID_LPAK_TYPE visible
expect-text $ID_LINFO "Выбор типа установки"
click "< Назад"
expect $ID_LPAK_TYPE visible
click $ID_RB_CUSTOM
click "Далее >"
expect $ID_LPAK_SELECT visible
item-click $ID_CL 0
item-click $ID_CL 1
item-click $ID_CL 2 box
expect-item $ID_CL 0 "Первый" unchecked enabled
expect-item $ID_CL 1 "Второй" checked disabled
expect-item $ID_CL 2 "Третий" unchecked enabled
click "< Назад"
click $ID_RB_FULL
expect-item $ID_CL 0 "Первый" unchecked
expect-item $ID_CL 1 "Второй" checked
expect-item $ID_CL 2 "Третий" checked
# Cancel confirmed ends the program too.
click "Отмена"
wait-msgbox "Подтверждение" "$Q"
answer ok
wait-exit 10000 0
EOF2

# Every switch off: the progress page comes at once and ends as the finish page;
# its OK closes without a question. Nothing but the uninstaller is installed.
write_ini "$WORK_DIR/setup.ini" <<'INI'
[Dialogs]
Wellcome=0
Path=0
Custom=0
Languge=0
IconType=0
Start=0

[Install]
ProgramName=Тест
InstallPath=C:\SowellSwitches\
InstallFolder=Tool
SupportUninstall=0
INI
drive <<EOF2
start "$exe"
wait-window "Тест Setup" 20000
expect $ID_PANEL2 visible
expect-text $ID_LINFO "Установка завершена !"
expect-text $ID_B_CANCEL_PROGRESS "OK"
click "OK"
wait-exit 10000 0
EOF2

# The install-folder page is off and setup.ini names no folder: nothing is installed.
write_ini "$WORK_DIR/setup.ini" <<'INI'
[Dialogs]
Path=0
Custom=0
Languge=0
IconType=0
Start=0

[Install]
ProgramName=Тест
INI
drive <<EOF2
start "$exe"
wait-window "Тест Setup" 20000
expect $ID_LWELCOME visible
click "Далее >"
wait-msgbox "Внимание!" "Не указан каталог установки.\nУстановка невозможна, программа установки будет закрыта."
answer ok
wait-exit 10000 1
EOF2
echo "PASS"
