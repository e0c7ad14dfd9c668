# The example program: "/register" leaves its marker beside the program and
# ends at once; a document given on the command line is shown with CR LF line
# breaks and saved back after the close question; the registry's Language
# value switches the program to Russian.
source "$SOURCE_DIR/tests/driver/gui_lib.sh"
load_ids "$SOURCE_DIR/examples/demo/src/notebook_ids.h"

app=$WORK_DIR/app
mkdir -p "$app"
cp "$SOWELL_BIN/notebook.exe" "$app/"
exe=$(winpath "$app/notebook.exe")

# The setup program waits for this run, so it must not open a window.
(cd "$WORK_DIR" && timeout 120 "$WINE_RUN" "$app/notebook.exe" /register) || fail "/register ended with $?"
[[ -f $app/registered.txt ]] || fail "no registered.txt beside the program"
[[ ! -e $WORK_DIR/registered.txt ]] || fail "registered.txt went to the current folder"
grep -q '^Notebook registered [0-9-]* [0-9:]*'$'\r''$' "$app/registered.txt" || fail "registered.txt reads: $(cat "$app/registered.txt")"
(cd "$WORK_DIR" && timeout 120 "$WINE_RUN" "$app/notebook.exe" /REGISTER) || fail "/REGISTER ended with $?"

printf 'first line\nsecond line\n' >"$WORK_DIR/doc.txt"
doc=$(winpath "$WORK_DIR/doc.txt")
# The driver reads \n, \r, \t and \\ in its texts as escapes.
docText=${doc//\\/\\\\}
drive <<EOF2
start "$exe" "$doc"
wait-window "doc.txt - Notebook" 20000
expect-text $ID_EDIT "first line\r\nsecond line\r\n"
type $ID_EDIT "changed text"
close
wait-msgbox "Notebook" "Save changes to $docText?"
answer yes
wait-exit 10000 0
EOF2
wine_settle
[[ $(cat "$WORK_DIR/doc.txt") == "changed text" ]] || fail "doc.txt holds: $(cat "$WORK_DIR/doc.txt")"

# No is answered by leaving the file as it is.
drive <<EOF2
start "$exe" "$doc"
wait-window "doc.txt - Notebook" 20000
type $ID_EDIT "thrown away"
close
wait-msgbox "Notebook" "Save changes to $docText?"
answer no
wait-exit 10000 0
EOF2
wine_settle
[[ $(cat "$WORK_DIR/doc.txt") == "changed text" ]] || fail "No still changed doc.txt: $(cat "$WORK_DIR/doc.txt")"

key='HKCU\Software\Notebook Demo'
trap '"$WINE_RUN" reg delete "$key" /f >/dev/null 2>&1 || true' EXIT
"$WINE_RUN" reg add "$key" /v Language /t REG_SZ /d ru /f >/dev/null
drive <<EOF2
start "$exe"
wait-window "Безымянный - Записная книжка" 20000
type $ID_EDIT "текст"
close
wait-msgbox "Записная книжка" "Сохранить изменения в Безымянный?"
answer cancel
still-running 300
expect-caption "Безымянный - Записная книжка"
close
wait-msgbox "Записная книжка" "Сохранить изменения в Безымянный?"
answer no
wait-exit 10000 0
EOF2
echo "PASS"
