# The driver itself on a window with one control of each kind: list-view items
# and their check boxes, list box items out of view, typing, check boxes,
# message boxes answered, and failures that name what was seen.
source "$SOURCE_DIR/tests/driver/gui_lib.sh"

target=$(winpath "$(dirname "$GUI_DRIVER")/driver_target.exe")

drive <<EOF2
start "$target"
wait-window "Цель \\\\ драйвера" 20000
expect-caption "Цель \\\\ драйвера"
expect-count 201 3
expect-item 201 0 "Альфа" unchecked
expect-item 201 2 "Гамма" checked
item-click 201 1 box
expect-item 201 1 "Бета" checked
item-click 201 1 box
expect-item 201 1 "Бета" unchecked
expect-count 202 8
expect-item 202 7 "Строка 7"
item-click 202 7
expect-text 206 "Строка 7"
item-click 202 0
expect-text 206 "Строка 0"
type 203 "Путь C:\\\\Тест\\\\"
expect-text 203 "Путь C:\\\\Тест\\\\"
click "Флажок"
expect 204 checked visible enabled
click "Спросить"
wait-msgbox "Вопрос" "Строка 1\nСтрока 2"
answer no
expect-text 206 "нет"
click 205
wait-msgbox "Вопрос" "Строка 1\nСтрока 2"
answer yes
expect-text 206 "да"
close
wait-exit 10000 7
EOF2

# A failing step stops the script with a message that shows both texts, and
# ends the program it started.
set +e
message=$(drive 2>&1 <<EOF2
start "$target"
wait-window "Цель \\\\ драйвера" 20000
expect-text 206 "что-то" 300
EOF2
)
status=$?
set -e
[[ $status == 1 ]] || fail "a failing step ended the driver with $status"
grep -qF 'line 3 (expect-text): control 206 reads "", expected "что-то"' <<<"$message" ||
  fail "unexpected failure message: $message"
echo "PASS"
