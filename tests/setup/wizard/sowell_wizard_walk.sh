# A person's way through every page of the example distribution: page texts
# byte for byte, header titles, the refused empty folder, the custom branch,
# the component list's clicks, the cancel question answered both ways, and
# the close box after the installation.
source "$SOURCE_DIR/tests/driver/gui_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"

cp "$SOWELL_BIN/Sowell.exe" "$WORK_DIR/"
write_ini "$WORK_DIR/setup.ini" <<'INI'
[Install]
ProgramName=Записная книжка
InstallPath=C:\Program Files\
InstallFolder=Notebook
CreateDesktopIcon=1

[Packages]
Package0=Основные файлы
Package1=Справочная система
Package2=Примеры документов

[Package0]
Main=1
INI
exe=$(winpath "$WORK_DIR/Sowell.exe")

# The wizard's line break is line feed then carriage return; names are indented by eleven blanks.
B='\n\r'
I='           '
N='Записная книжка'
P0="Добро пожаловать в программу установки $B$B$I$N.$B${B}Эта программа установит $N на ваш компьютер.$B${B}Настоятельно рекомендуется закрыть все Windows-приложения перед запуском этой программы.$B${B}Нажмите Отмена для выхода из программы установки и закройте все запущенные вами приложения.$B${B}Или нажмите Далее, чтобы продолжить установку."
P1="Выберите каталог, куда вы хотите установить $B$B$I$N.$B${B}Если вас не устраивает предложенный каталог, нажмите Обзор и выберите другой."
P2="Для продолжения установки нажмите Далее.$B"
P3="Выберите компоненты для установки.${B}Для продолжения установки нажмите Далее.$B"
P4="Выберите язык устанавливаемой программы.$B${B}Для продолжения установки нажмите Далее.$B"
P5="Выберите тип создаваемых ярлыков.$B${B}Для продолжения установки нажмите Далее.$B"
P6="Всё готово для установки$B$B$I$N.$B$B$B${B}Нажмите Далее для начала установки или Назад - если нужно изменить какие-либо данные по установке приложения."
P7="Пожалуйста подождите. Идет установка компонентов$B$I$N на ваш компьютер.${B}Если вы хотите прервать процесс установки, нажмите кнопку Отмена.${B}Но в этом случае правильная работа программы не гарантируется."
FIN="Приложение$B$B$I$N$B${B}успешно установлено на ваш компьютер.$B$B${B}Нажмите кнопку OK для выхода из программы установки."
Q="Вы хотите прервать установку ?"

drive <<EOF2
start "$exe"
wait-window "$N Setup" 20000
expect-caption "$N Setup"

# Welcome page; every page's text is filled when the window opens.
expect $ID_LWELCOME visible
expect "< Назад" hidden
expect-text $ID_LINFO "Добро Пожаловать!"
expect-text $ID_LWELCOME "$P0"
expect-text $ID_LDIR "$P1"
expect-text $ID_LPAK_TYPE "$P2"
expect-text $ID_LPAK_SELECT "$P3"
expect-text $ID_LLANGUAGE "$P4"
expect-text $ID_LICON_TYPE "$P5"
expect-text $ID_LSTART "$P6"
expect-text $ID_LPROGRESS "$P7"
expect-text $ID_LFINISH "$FIN"
expect $ID_PANEL2 hidden

# Install folder: InstallPath and InstallFolder joined; a blank field is refused.
click "Далее >"
expect $ID_LDIR visible
expect $ID_LWELCOME hidden
expect-text $ID_LINFO "Выбор каталога установки"
expect-text $ID_EDIT_PATH "C:\Program Files\Notebook"
type $ID_EDIT_PATH "   "
click "Далее >"
wait-msgbox "Внимание!" "Не указан каталог установки.\nВведите путь к каталогу или выберите его кнопкой Обзор."
answer ok
expect $ID_LDIR visible
type $ID_EDIT_PATH "C:\Apps\Записная книжка"
expect-text $ID_EDIT_PATH "C:\Apps\Записная книжка"
# A cancelled folder browser leaves the field as it was.
click "Обзор"
wait-dialog "*"
answer cancel
expect-text $ID_EDIT_PATH "C:\Apps\Записная книжка"

# Install type: custom leads to the component page.
click "Далее >"
expect $ID_LPAK_TYPE visible
expect-text $ID_LINFO "Выбор типа установки"
expect $ID_RB_FULL checked
expect $ID_RB_CUSTOM unchecked
click $ID_RB_CUSTOM
expect $ID_RB_FULL unchecked
click $ID_BUTTON7
expect $ID_LPAK_SELECT visible
expect-text $ID_LINFO "Выбор компонент"
expect-count $ID_CL 3
expect-item $ID_CL 0 "Основные файлы" checked disabled
expect-item $ID_CL 1 "Справочная система" checked enabled
expect-item $ID_CL 2 "Примеры документов" checked enabled

# One click changes one mark: on the text, again on the now selected item, on the box.
item-click $ID_CL 1
expect-item $ID_CL 1 "Справочная система" unchecked
item-click $ID_CL 1
expect-item $ID_CL 1 "Справочная система" checked
item-click $ID_CL 1 box
expect-item $ID_CL 1 "Справочная система" unchecked
item-click $ID_CL 2 box
expect-item $ID_CL 2 "Примеры документов" unchecked
# The required package never changes, whatever is clicked.
item-click $ID_CL 0
item-click $ID_CL 0 box
expect-item $ID_CL 0 "Основные файлы" checked disabled

# Next continues the sequence after the install type; Back from there returns to it.
click "Далее >"
expect $ID_LLANGUAGE visible
expect-text $ID_LINFO "Выбор языка программы"
expect $ID_RB_ENG checked
expect $ID_RB_RUS unchecked
click "< Назад"
expect $ID_LPAK_TYPE visible
expect-text $ID_LINFO "Выбор типа установки"

# Full checks every package from the second on again.
click $ID_RB_FULL
click $ID_RB_CUSTOM
click "Далее >"
expect $ID_LPAK_SELECT visible
expect-item $ID_CL 1 "Справочная система" checked
expect-item $ID_CL 2 "Примеры документов" checked
item-click $ID_CL 2
expect-item $ID_CL 2 "Примеры документов" unchecked
click $ID_BUTTON11
expect $ID_LPAK_TYPE visible
click "< Назад"
expect $ID_LDIR visible
click "Далее >"
expect $ID_LPAK_TYPE visible
click $ID_RB_FULL
expect-item $ID_CL 2 "Примеры документов" checked
click "Далее >"
expect $ID_LLANGUAGE visible
click $ID_RB_RUS
expect $ID_RB_RUS checked
expect $ID_RB_ENG unchecked

click "Далее >"
expect $ID_LICON_TYPE visible
expect-text $ID_LINFO "Создание ярлыков"
expect $ID_CB_DESKTOP checked
expect $ID_CB_PROGRAM checked
click $ID_CB_DESKTOP
expect $ID_CB_DESKTOP unchecked

click "Далее >"
expect $ID_LSTART visible
expect-text $ID_LINFO "Начало установки"

# Cancel and the close box ask the same question; Cancel there goes on.
click "Отмена"
wait-msgbox "Подтверждение" "$Q"
answer cancel
expect $ID_LSTART visible
close
wait-msgbox "Подтверждение" "$Q"
answer cancel
still-running 300
expect $ID_LSTART visible

# The progress page turns into the finish page; there is no way back.
click "Далее >"
expect $ID_PANEL2 visible
expect $ID_LFINISH visible
expect-text $ID_LINFO "Установка завершена !"
expect-text $ID_B_CANCEL_PROGRESS "OK"
expect 1170 visible disabled
expect 1171 visible disabled
expect $ID_B_CANCEL_PROGRESS enabled
expect-caption "$N Setup"

# After the installation the close box closes at once.
close
wait-exit 10000 0
EOF2
echo "PASS"
