# Sowell opens its window, captioned after the product, and ends cleanly when closed.
source "$SOURCE_DIR/tests/driver/gui_lib.sh"

cp "$SOWELL_BIN/Sowell.exe" "$WORK_DIR/"
cp "$SOURCE_DIR/examples/demo/setup.ini" "$WORK_DIR/"
exe=$(winpath "$WORK_DIR/Sowell.exe")

drive <<EOF2
start "$exe"
wait-window "Записная книжка Setup" 20000
close
wait-exit 10000 0
EOF2

# Without setup.ini every value takes its default: the caption is " Setup".
rm "$WORK_DIR/setup.ini"
drive <<EOF2
start "$exe"
wait-window " Setup" 20000
close
wait-exit 10000 0
EOF2
echo "PASS"
