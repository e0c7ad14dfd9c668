# The example installed with no window and no question, as a deployment tool
# runs it (/VERYSILENT with folder, components, language and an account),
# checked file by file, shortcut by shortcut and value by value, then removed
# by the entry's QuietUninstallString as a package manager runs it; then once
# more with the progress window only, without shortcuts, in Russian, removed
# with no window at all. Each time the machine is as it was. No GUI driver.
source "$SOURCE_DIR/tests/roundtrip/roundtrip_lib.sh"

clean_product
# The keys for the list of installed programs.
sed -i 's/^\[Install\]\r$/[Install]\r\nVersion=1.2.3\r\nPublisher=Sowell Examples\r\nURL=http:\/\/example.org\/notebook\r/' \
  "$WORK_DIR/dist/setup.ini"
grep -q '^Version=1.2.3'$'\r''$' "$WORK_DIR/dist/setup.ini" || fail "the test's setup.ini lacks Version"
snapshot "$WORK_DIR/before.txt"

# account FILE: the account in UTF-8 without line ends or times.
account() { iconv -f CP1251 -t UTF-8 "$1" | tr -d '\r' | cut -c21-; }
has_line() { account "$1" | grep -xF -- "$2" >/dev/null; }

ACCOUNT=$WORK_DIR/setup-account.txt
rc=0
"$WINE_RUN" "$WORK_DIR/dist/Sowell.exe" /VERYSILENT "/DIR=$APP_WIN" /COMPONENTS=1 /LANG=ENG \
  "/LOG=$(winpath "$ACCOUNT")" >/dev/null 2>&1 || rc=$?
wine_settle
check "/VERYSILENT installation exits with 0" test "$rc" = 0

# The required core and the English help; English shortcuts on the desktop and in the group.
check_files core help
ICON="$APP_WIN\\notebook.exe,0"
check_shortcuts "Notebook.lnk" "" "$APP_WIN" "$ICON" "Notebook, a small text editor"
check_shortcuts "Read me.lnk" readme.txt "$APP_WIN" "" "What Notebook is and how to use it"
check_shortcuts "Notebook Help.lnk" index.txt "$APP_WIN\\help" "$ICON" "Help on Notebook"
check_link "$GROUP/Удалить $N.lnk" "$APP_WIN\\Reapwell.exe" "" "$APP_WIN\\" "" ""
check "no Russian shortcut" absent "$DESKTOP/$N.lnk"
expect_reg 'HKCU\Software\Notebook Demo' Language en

# The uninstall entry, every value.
kb=$( (cd "$PACKAGES/core" && find . -type f -printf '%s\n'; cd "$PACKAGES/help" && find . -type f -printf '%s\n';
       stat -c %s "$SOWELL_BIN/notebook.exe") | awk '{ s += $1 } END { printf "0x%x", int((s + 1023) / 1024) }')
expect_reg "$UNINSTALL_KEY" DisplayName "$N"
expect_reg "$UNINSTALL_KEY" UninstallString "\"$APP_WIN\\\\Reapwell.exe\""
expect_reg "$UNINSTALL_KEY" QuietUninstallString "\"$APP_WIN\\\\Reapwell.exe\" /SILENT"
expect_reg "$UNINSTALL_KEY" DisplayIcon "$APP_WIN\\notebook.exe"
expect_reg "$UNINSTALL_KEY" InstallLocation "$APP_WIN"
expect_reg "$UNINSTALL_KEY" InstallDate "$(date +%Y%m%d)"
expect_reg "$UNINSTALL_KEY" EstimatedSize "$kb"
expect_reg "$UNINSTALL_KEY" NoModify 0x1
expect_reg "$UNINSTALL_KEY" NoRepair 0x1
expect_reg "$UNINSTALL_KEY" DisplayVersion 1.2.3
expect_reg "$UNINSTALL_KEY" Publisher "Sowell Examples"
expect_reg "$UNINSTALL_KEY" URLInfoAbout "http://example.org/notebook"

# The account names what was made, as it was made.
for line in "Распакован: $APP_WIN\\notebook.exe" "Распакован: $APP_WIN\\help\\index.txt" \
    "Программа удаления: $APP_WIN\\\\Reapwell.exe" "Ярлык: $DESKTOP_WIN\\Notebook.lnk" \
    "Ярлык: $GROUP_WIN\\Notebook Help.lnk" "Реестр: HKCU\\Software\\Notebook Demo\\InstallPath" \
    "Список установленных программ: EstimatedSize=$((kb))" \
    "Запуск: \"$APP_WIN\\notebook.exe\" /register (в каталоге $APP_WIN)" "Программа завершилась с кодом 0" \
    "Удалён файл: $APP_WIN\\setup.tmp" "Установка завершена" "Код завершения 0"; do
  check "setup account: $line" has_line "$ACCOUNT" "$line"
done
check "setup account: nothing of the samples" bash -c "! grep -q samples '$ACCOUNT'"

# The quiet removal string, run as it stands by a caller that waits for it.
quiet=$(reg_data "$UNINSTALL_KEY" QuietUninstallString) || fail "no QuietUninstallString"
program=${quiet#\"}
program=${program%%\"*}
arguments=${quiet##*\" }
check "the quiet string is the uninstaller with /SILENT" test "$arguments" = /SILENT
rc=0
"$WINE_RUN" "$program" $arguments >/dev/null 2>&1 || rc=$?
wine_settle
check "the quiet removal exits with 0" test "$rc" = 0
snapshot "$WORK_DIR/after.txt"
check_after "$WORK_DIR/before.txt" "$WORK_DIR/after.txt"
check "desktop shortcuts removed" bash -c "! ls '$DESKTOP' | grep -qE '^(Notebook|Read me|Notebook Help)\\.lnk\$'"

# Again: the progress window only, Russian, only the required package, no
# shortcuts at all (not the uninstaller's either); removed with no window.
clean_product
snapshot "$WORK_DIR/before2.txt"
rc=0
"$WINE_RUN" "$WORK_DIR/dist/Sowell.exe" -silent "-dir=$APP_WIN" -components= -lang=rus -nodesktop -nogroup \
  >/dev/null 2>&1 || rc=$?
wine_settle
check "/SILENT installation exits with 0" test "$rc" = 0
check_files core
check "no desktop shortcut" absent "$DESKTOP/$N.lnk"
check "no program group at all" absent "$GROUP"
check "no shortcut recorded" test -z "$(log_keys Shortcuts)"
expect_reg 'HKCU\Software\Notebook Demo' Language ru
expect_reg "$UNINSTALL_KEY" DisplayVersion 1.2.3

REAP_ACCOUNT=$WORK_DIR/reap-account.txt
rc=0
"$WINE_RUN" "$APP/Reapwell.exe" "$APP_WIN\\install.log" /VERYSILENT "/LOG=$(winpath "$REAP_ACCOUNT")" \
  >/dev/null 2>&1 || rc=$?
wine_settle
check "/VERYSILENT removal exits with 0" test "$rc" = 0
snapshot "$WORK_DIR/after2.txt"
check_after "$WORK_DIR/before2.txt" "$WORK_DIR/after2.txt"
for line in "Удаление файлов... ok" "Удаление каталогов... ok" "Удаление $N закончено." \
    "removed: file $APP_WIN\\notebook.exe" "removed: folder $APP_WIN\\templates" \
    "removed: registry value HKCU\\Software\\Notebook Demo [Language]" "removed: registry key $UNINSTALL_KEY" \
    "Exit code 0"; do
  check "removal account: $line" has_line "$REAP_ACCOUNT" "$line"
done
check "removal account: nothing left behind" bash -c "! grep -q 'not removed' '$REAP_ACCOUNT'"
finish
