# Each exit code of both programs, produced once by a real cause, in the
# unattended modes and without the GUI driver: every run ends by itself, and
# its account says why.
source "$SOURCE_DIR/tests/roundtrip/roundtrip_lib.sh"

account() { iconv -f CP1251 -t UTF-8 "$1" | tr -d '\r' | cut -c21-; }
has_text() { account "$1" | grep -F -- "$2" >/dev/null; }
# run CODE NAME PROGRAM ARGUMENT...: runs a program to its end and checks its exit code.
run() {
  local want=$1 what=$2 rc=0
  shift 2
  "$WINE_RUN" "$@" >/dev/null 2>&1 || rc=$?
  check "$what: exit code $want" test "$rc" = "$want"
  [[ $rc == "$want" ]] || echo "       got $rc"
}

clean_product
D=$WORK_DIR/dist
A=$WORK_DIR/accounts
mkdir -p "$A"
AW=$(winpath "$A")

# ---- Sowell ----
# 2: a switch it does not know; the account names it, and nothing is installed.
run 2 "unknown switch" "$D/Sowell.exe" /VERYSILENT /REBOOT "/LOG=$AW\\bad.txt"
check "the account names the switch" has_text "$A/bad.txt" "Неизвестный ключ: /REBOOT"
check "the account ends with the code" has_text "$A/bad.txt" "Код завершения 2"
run 2 "a component number with no package" "$D/Sowell.exe" /VERYSILENT "/DIR=$APP_WIN" /COMPONENTS=0,7 "/LOG=$AW\\range.txt"
check "the account names the number" has_text "$A/range.txt" "компонента с номером 7 нет"
check "nothing installed after a refused line" absent "$APP"

# 1: no setup.ini beside the program; the account is there all the same.
mkdir -p "$WORK_DIR/bare"
cp "$D/Sowell.exe" "$WORK_DIR/bare/"
run 1 "no setup.ini" "$WORK_DIR/bare/Sowell.exe" /VERYSILENT "/LOG=$AW\\bare.txt"
check "the account tells that setup.ini is missing" has_text "$A/bare.txt" "setup.ini"

# 3: the install folder would have to be made inside a file.
echo blocker >"$PARENT/blocker"
run 3 "install folder inside a file" "$D/Sowell.exe" /VERYSILENT "/DIR=C:\\Trip\\blocker\\App" "/LOG=$AW\\folder.txt"
check "the account names the folder" has_text "$A/folder.txt" 'Каталог установки не удаётся создать: C:\Trip\blocker\App\'
check "no uninstall entry for a refused folder" reg_gone "$UNINSTALL_KEY"

# 4: a member of a chosen package is damaged; the run ends there, on record.
cp "$D/help.rar" "$WORK_DIR/help.rar.good"
text=$(head -c 24 "$PACKAGES/help/help/index.txt")
offset=$(grep -obUaF -- "$text" "$D/help.rar" | head -1 | cut -d: -f1)
[[ -n $offset ]] || fail "index.txt not found stored in help.rar"
printf 'X' | dd of="$D/help.rar" bs=1 seek="$offset" conv=notrunc status=none
run 4 "a damaged member" "$D/Sowell.exe" /VERYSILENT "/DIR=$APP_WIN" /COMPONENTS=1 "/LOG=$AW\\member.txt"
wine_settle
check "the account names the member" has_text "$A/member.txt" "Ошибка распаковки: $APP_WIN\\help\\index.txt"
check "the account tells that the run ended" has_text "$A/member.txt" "Установка прервана, код завершения 4"
check "what was installed is on record" grep -qF "$(iconv -f UTF-8 -t CP1251 <<<"$APP_WIN\\notebook.exe=")" "$APP/install.log"
check "no program of [RunApp] ran" absent "$APP/registered.txt"
# The partial installation goes as a whole one does.
run 0 "removing the partial installation" "$APP/Reapwell.exe" /VERYSILENT
wine_settle
check "the partial installation is gone" absent "$APP"
check "its uninstall entry is gone" reg_gone "$UNINSTALL_KEY"
cp "$WORK_DIR/help.rar.good" "$D/help.rar"

# 6: another copy is running; the first holds the machine while a program of
# its [RunApp] runs, then ends as usual.
mkdir -p "$WORK_DIR/wait"
cp "$D/Sowell.exe" "$D/UnRAR.dll" "$WORK_DIR/wait/"
write_ini "$WORK_DIR/wait/setup.ini" <<INI
[Install]
ProgramName=Sowell Wait
InstallPath=C:\\Trip\\
InstallFolder=Wait
SupportUninstall=0

[RunApp]
App0="$(winpath "$TESTS_BIN/marker.exe")" C:\\Trip\\waited.txt 0 8000
INI
"$WINE_RUN" "$WORK_DIR/wait/Sowell.exe" /VERYSILENT "/LOG=$AW\\first.txt" >/dev/null 2>&1 &
first=$!
for _ in $(seq 100); do
  [[ -f $A/first.txt ]] && has_text "$A/first.txt" "Запуск:" && break
  sleep 0.2
done
check "the first copy reached its program" has_text "$A/first.txt" "Запуск:"
run 6 "a second copy" "$D/Sowell.exe" /VERYSILENT "/DIR=$APP_WIN" "/LOG=$AW\\second.txt"
check "the second copy says why" has_text "$A/second.txt" "Программа установки уже запущена"
check "the second copy installed nothing" absent "$APP"
rc=0
wait "$first" || rc=$?
check "the first copy ends with 0" test "$rc" = 0
check "the first copy's program ran" present "$PARENT/waited.txt"
wine_settle
rm -rf "$PARENT/Wait" "$PARENT/waited.txt" "$PARENT/blocker"

# ---- Reapwell ----
rm -rf "$ROOT"
mkdir -p "$ROOT/tools" "$ROOT/Stop" "$ROOT/Held"
cp "$TESTS_BIN/marker.exe" "$TESTS_BIN/holder.exe" "$ROOT/tools/"

# 2: a switch it does not know.
place_uninstaller "$ROOT/Bad" ""
run 2 "Reapwell, unknown switch" "$ROOT/Bad/Reapwell.exe" /VERYSILENT /FORCE "/LOG=$AW\\reap-bad.txt"
check "the account names the switch" has_text "$A/reap-bad.txt" "Unknown switch: /FORCE"

# 1: the log named is not there.
run 1 "Reapwell, log not found" "$ROOT/Bad/Reapwell.exe" 'C:\ReapTest\Nowhere\install.log' /SILENT \
  "/LOG=$AW\\reap-missing.txt"
check "the account names the log" has_text "$A/reap-missing.txt" 'Installation log file C:\ReapTest\Nowhere\install.log not found!'
check "the uninstaller stays" present "$ROOT/Bad/Reapwell.exe"

# 3: the program run before the removal says no.
place_uninstaller "$ROOT/Stop" prerun-stop.log
echo keep >"$ROOT/Stop/keep.txt"
run 3 "Reapwell, stopped before the removal" "$ROOT/Stop/Reapwell.exe" /VERYSILENT "/LOG=$AW\\reap-stop.txt"
wine_settle
check "the program before the removal ran" grep -q 'args=1;' "$ROOT/stop.txt"
check "nothing was removed" present "$ROOT/Stop/keep.txt"
check "the account says why" has_text "$A/reap-stop.txt" "A program run before the removal stopped it"

# 4: a file in use stays until the next start of Windows; the account lists it.
place_uninstaller "$ROOT/Held" ""
printf '\r\n[CopyFiles]\r\nC:\\ReapTest\\Held\\held.txt=\r\nC:\\ReapTest\\Held\\free.txt=\r\n\r\n[CreateDirs]\r\nC:\\ReapTest\\Held\\=\r\n' \
  >"$ROOT/Held/install.log"
echo held >"$ROOT/Held/held.txt"
echo free >"$ROOT/Held/free.txt"
trap 'touch "$ROOT/release"' EXIT
"$WINE_RUN" 'C:\ReapTest\tools\holder.exe' 'C:\ReapTest\Held\held.txt' 'C:\ReapTest\release' >/dev/null 2>&1 &
sleep 2
run 4 "Reapwell, a file in use" "$ROOT/Held/Reapwell.exe" /VERYSILENT "/LOG=$AW\\reap-held.txt"
touch "$ROOT/release"
wine_settle
check "the free file was removed" absent "$ROOT/Held/free.txt"
check "the account lists the file in use" has_text "$A/reap-held.txt" 'not removed: file C:\ReapTest\Held\held.txt'
check "the account lists nothing else" test "$(account "$A/reap-held.txt" | grep -c 'not removed')" = 1
check "the account ends with the code" has_text "$A/reap-held.txt" "Exit code 4"
finish
