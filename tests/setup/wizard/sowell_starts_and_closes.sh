# Sowell opens its window, captioned after the product; closing it before the
# installation asks first, and a confirmed close ends the program cleanly.
source "$SOURCE_DIR/tests/driver/gui_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"

cp "$SOWELL_BIN/Sowell.exe" "$WORK_DIR/"
cp "$SOURCE_DIR/examples/demo/setup.ini" "$WORK_DIR/"
exe=$(winpath "$WORK_DIR/Sowell.exe")

drive <<EOF2
start "$exe"
wait-window "Записная книжка Setup" 20000
close
wait-msgbox "Подтверждение" "Вы хотите прервать установку ?"
answer ok
wait-exit 10000 0
EOF2

# Without setup.ini every value takes its default: the caption is " Setup",
# the folder field and the component list are empty, every page is shown.
# The keyboard works the wizard as the buttons do.
rm "$WORK_DIR/setup.ini"
drive <<EOF2
start "$exe"
wait-window " Setup" 20000
expect $ID_LWELCOME visible
expect-text $ID_EDIT_PATH ""
expect-count $ID_CL 0
# Enter presses the page's default button, Next; Escape is Cancel.
key enter
expect $ID_LDIR visible
expect-text $ID_LINFO "Выбор каталога установки"
key escape
wait-msgbox "Подтверждение" "Вы хотите прервать установку ?"
answer ok
wait-exit 10000 0
EOF2
echo "PASS"
