# A real installation (2,100 files in three packages, registry files, desktop
# and program-group shortcuts) ended with TerminateProcess at moments spread
# over its run, each time followed by the uninstaller: the installed one when
# it is in place, else the built one given the log's path. Each time the
# machine must be as before, but for the empty install folder when the kill
# came before the first record. KILLS sets the number of moments (8 here; the
# documented full run takes 32).
source "$SOURCE_DIR/tests/setup/run/install_lib.sh"

KILLS=${KILLS:-8}
NAME="Kill Test"
PARENT=$DRIVE_C/KillTest
INSTALL_WIN='C:\KillTest\Приложение'
INSTALL=$PARENT/Приложение
LOG=$INSTALL/install.log
UNINSTALL_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$NAME"
KILLER=$TESTS_BIN/kill_after.exe
SPARE=$DRIVE_C/windows/temp/kill-test-uninstaller
export LC_ALL=C
[[ -f $KILLER ]] || fail "kill_after.exe is not built"

# A process ended in the middle of its start can leave Wine's own services
# waiting for it; after a minute the prefix is restarted, as a machine would be.
settle() {
  timeout 60 env WINEPREFIX="$WINEPREFIX" wineserver -w || {
    echo "(the prefix did not settle within 60 s; restarted)"
    WINEPREFIX="$WINEPREFIX" wineserver -k || true
    sleep 1
  }
}

# The packages: 1 KB files in folders, one archive each.
DIST=$WORK_DIR/dist
PKG=$WORK_DIR/pkg
mkdir -p "$DIST"
KB=$(printf 'k%.0s' {1..1000})
make_package() {
  local name=$1 folders=$2 per=$3 d i
  for ((d = 0; d < folders; d++)); do
    mkdir -p "$PKG/$name/$name$d"
    for ((i = 0; i < per; i++)); do printf '%s %s %d %d\n' "$KB" "$name" "$d" "$i" >"$PKG/$name/$name$d/file$i.txt"; done
  done
  "$RARWRITER" "$DIST/$name.rar" "$PKG/$name" >/dev/null
}
make_package core 10 100
make_package help 5 100
make_package extra 6 100
count() { find "$PKG/$1" | tail -n +2 | wc -l; }
cp "$SOWELL_BIN/Sowell.exe" "$SOWELL_BIN/UnRAR.dll" "$DIST/"
write_ini "$DIST/core.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Kill Test]
"Version"="1.0"

[HKEY_CURRENT_USER\Software\Kill Test\Settings]
"Folder"="%InstallPath%"

[HKEY_LOCAL_MACHINE\Software\Kill Test]
"Installed"=dword:00000001
REG
write_ini "$DIST/help.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Kill Test\Help]
"Index"="help0\\file0.txt"
REG
write_ini "$DIST/setup.ini" <<INI
[Install]
ProgramName=$NAME
InstallPath=C:\\KillTest\\
InstallFolder=Приложение
SupportUninstall=1
CreateDesktopIcon=1

[Dialogs]
Wellcome=0
Path=0
Custom=0
Languge=0
IconType=0
Start=0

[Packages]
Package0=Основа
Package1=Справка
Package2=Дополнения

[Package0]
Main=1
FilesCount=$(count core)
Pak0=core.rar
RegFile0=core.reg
Ico_Link0=%InstallPath%\\core0\\file0.txt
Ico_Name0=Kill Test.lnk
Ico_WDir0=%InstallPath%

[Package1]
Main=1
FilesCount=$(count help)
Pak0=help.rar
RegFile0=help.reg
Ico_Link0=%InstallPath%\\help1\\file1.txt
Ico_Name0=Kill Test Help.lnk
Ico_WDir0=%InstallPath%

[Package2]
Main=1
FilesCount=$(count extra)
Pak0=extra.rar
INI

# The prefix's disk (but the Windows and temporary folders, which Wine itself
# changes) and the registry keys the product touches.
reg_utf8() { "$WINE_RUN" reg query "$@" 2>/dev/null | iconv -f CP866 -t UTF-8 | tr -d '\r'; }
snapshot() {
  (cd "$DRIVE_C" && find . \( -path ./windows -o -iname temp \) -prune -o -mindepth 1 \
    \( -type f -printf 'f %P %s\n' -o -type d -printf 'd %P\n' -o -printf '%y %P\n' \)) | sort
  local key
  for key in 'HKCU\Software\Kill Test' 'HKLM\Software\Kill Test' "$UNINSTALL_KEY"; do
    echo "registry $key:"
    reg_utf8 "$key" /s || echo "(no key)"
  done
}
clean_product() {
  rm -rf "$PARENT" "$SPARE"
  find "$DRIVE_C/users" -name 'Kill Test*.lnk' -delete 2>/dev/null || true
  find "$DRIVE_C/users" -type d -name "$NAME" -prune -exec rm -rf {} + 2>/dev/null || true
  wine_quiet reg delete 'HKCU\Software\Kill Test' /f || true
  wine_quiet reg delete 'HKLM\Software\Kill Test' /f || true
  wine_quiet reg delete "$UNINSTALL_KEY" /f || true
  # The parent is there before, as the folders of Program Files are.
  mkdir -p "$PARENT"
  settle
}

# Removes what a killed installation left, as a person would: with the
# uninstaller in the install folder, or with the built one and the log's path.
uninstall() {
  local program args=""
  if [[ -f $INSTALL/Reapwell.exe ]] && cmp -s "$INSTALL/Reapwell.exe" "$SOWELL_BIN/Reapwell.exe"; then
    program="$INSTALL_WIN\\Reapwell.exe"
  else
    mkdir -p "$SPARE"
    cp "$SOWELL_BIN/Reapwell.exe" "$SPARE/"
    program=$(winpath "$SPARE/Reapwell.exe")
    args=" \"$INSTALL_WIN\\install.log\""
  fi
  drive <<EOF2
start "$program"$args
wait-dialog "Uninstaller      " 30000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 120000
click 1
wait-exit 20000 0
EOF2
  settle
  rm -rf "$SPARE"
}

clean_product
snapshot >"$WORK_DIR/before.txt"

# How long a whole run takes here: from the start to the finish page (the
# driver's own start counted in).
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"
started=$(date +%s%N)
drive <<EOF2 || fail "the whole installation did not reach its finish page"
start "$(winpath "$DIST/Sowell.exe")"
wait-window "$NAME Setup" 60000
expect-text $ID_LINFO "Установка завершена !" 300000
EOF2
RUN_MS=$((($(date +%s%N) - started) / 1000000))
# The program waits on its finish page: ended there, as the last kill of this test.
WINEPREFIX="$WINEPREFIX" wineserver -k || true
settle
echo "a whole installation takes $RUN_MS ms here"
recorded_files=$(log_keys "$LOG" CopyFiles | grep -c '\\file[0-9]*\.txt$' || true)
check "the whole installation recorded every file ($recorded_files of 2100)" test "$recorded_files" = 2100
check "the desktop shortcut is there" test -n "$(find "$DRIVE_C/users" -path '*esktop*' -name 'Kill Test.lnk')"
check "the program group's shortcut is there" test -n "$(find "$DRIVE_C/users" -path "*/$NAME/*" -name 'Kill Test Help.lnk')"
uninstall
snapshot >"$WORK_DIR/after-full.txt"
check "the whole installation is removed completely" diff "$WORK_DIR/before.txt" "$WORK_DIR/after-full.txt"

for ((k = 1; k <= KILLS; k++)); do
  clean_product
  at=$((RUN_MS * (2 * k - 1) / (2 * KILLS)))
  # Into a file, not a pipe: a wine server started by this call outlives it
  # and would hold a pipe open.
  "$WINE_RUN" "$KILLER" "$at" "$(winpath "$DIST/Sowell.exe")" >"$WORK_DIR/kill-$k.txt" 2>&1 || true
  settle
  outcome=$(tr -d '\r' <"$WORK_DIR/kill-$k.txt")
  files=$( (find "$INSTALL" -type f 2>/dev/null || true) | wc -l)
  recorded=no
  [[ -f $LOG || -f $LOG.journal ]] && recorded=yes
  echo "kill $k at $at ms: $outcome; $files files on disk; a log or journal: $recorded"
  if [[ $recorded == yes ]]; then uninstall; fi
  snapshot >"$WORK_DIR/after-$k.txt"
  differences=$(diff "$WORK_DIR/before.txt" "$WORK_DIR/after-$k.txt" || true)
  if [[ $recorded == no && -d $INSTALL && -z $(ls -A "$INSTALL") ]]; then
    # Before the first record only the empty install folder may be left.
    differences=$(grep -v -x -e '[0-9a-z,]*' -e "> d KillTest/Приложение" <<<"$differences" || true)
  fi
  check "kill $k at $at ms: the machine is as before" test -z "$differences"
  [[ -z $differences ]] || echo "$differences" | head -20 | sed 's/^/       /'
done

clean_product
rm -rf "$PARENT"
finish
