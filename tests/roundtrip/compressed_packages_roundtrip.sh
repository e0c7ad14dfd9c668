# A distribution whose packages are compressed archives made by the archiver
# (from the library's fixtures): RAR 2.9, a solid RAR 2.9 archive, RAR 5, and
# a RAR 5 set of eight volumes whose members span them. Installed by the real
# setup program through the library, every file is checked byte for byte
# against the SHA-256 of its original, then the registered uninstaller takes
# it all away and the machine is as it was.
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"

FIXTURES=$SOURCE_DIR/tests/unrar/fixtures
FIXTURES2=$SOURCE_DIR/tests/unrar/fixtures2
N='Сжатые пакеты'
UNINSTALL_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$N"
PARENT=$DRIVE_C/Trip
APP_WIN='C:\Trip\Packed'
APP=$PARENT/Packed
DIST=$WORK_DIR/dist

reg_utf8() { "$WINE_RUN" reg query "$@" 2>/dev/null | iconv -f CP866 -t UTF-8 | tr -d '\r'; }

# A parent that exists before, and nothing left of an earlier run.
rm -rf "$PARENT"
mkdir -p "$PARENT"
wine_quiet reg delete "$UNINSTALL_KEY" /f || true
PROGRAMS=$("$WINE_RUN" winepath -u "$(reg_utf8 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Programs |
  grep REG_ | sed -E 's/^.*REG_[A-Z_]+ {4}//')" 2>/dev/null)
rm -rf "${PROGRAMS%/}/$N"

mkdir -p "$DIST"
cp "$SOWELL_BIN/Sowell.exe" "$SOWELL_BIN/UnRAR.dll" "$DIST/"
cp "$FIXTURES2/Rar.rar" "$FIXTURES2/Rar.solid.rar" "$FIXTURES2/Rar5.rar" "$DIST/"
cp "$FIXTURES"/test_read_format_rar5_multiarchive.part0[1-8].rar "$DIST/"
write_ini "$DIST/setup.ini" <<EOF2
[Install]
ProgramName=$N
InstallPath=C:\\Trip\\
InstallFolder=Packed
SupportUninstall=1
MultiVolume=0
CreateDesktopIcon=0

[Dialogs]
Wellcome=1
Path=0
Custom=0
Languge=0
IconType=0
Start=1

[Packages]
Package0=RAR 2.9
Package1=RAR 2.9, непрерывный
Package2=RAR 5
Package3=RAR 5, восемь томов

[Package0]
Main=1
FilesCount=6
Pak0=Rar.rar

[Package1]
FilesCount=6
Pak0=Rar.solid.rar

[Package2]
FilesCount=6
Pak0=Rar5.rar

[Package3]
FilesCount=2
Pak0=test_read_format_rar5_multiarchive.part01.rar
EOF2

# The prefix's disk (without the Windows folder and temporary folders) and
# the list of installed programs.
snapshot() {
  {
    (cd "$DRIVE_C" && find . \( -path ./windows -o -iname temp \) -prune -o -mindepth 1 \
      \( -type f -printf 'f %P %s\n' -o -type d -printf 'd %P\n' -o -printf '%y %P\n' \)) | LC_ALL=C sort
    reg_utf8 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s
  } >"$1"
}
snapshot "$WORK_DIR/before.txt"

drive <<EOF2
start "$(winpath "$DIST/Sowell.exe")"
wait-window "$N Setup" 20000
expect $ID_LWELCOME visible
click "Далее >"
expect $ID_LSTART visible
click "Далее >"
expect-text $ID_LINFO "Установка завершена !" 120000
expect $ID_PANEL2 visible
click $ID_B_CANCEL_PROGRESS
wait-exit 10000 0
EOF2
wine_settle

# What must be installed: "path<TAB>sha256" of every file, from the tables
# kept beside the archives; the three single archives hold the same files.
expected_files() {
  local t
  for t in Rar.rar Rar.solid.rar Rar5.rar; do
    awk -F'\t' 'NR > 1 && $2 == "file" { print $1 "\t" $9 }' "$FIXTURES2/expected/$t.tsv"
  done
  awk -F'\t' '$1 == "test_read_format_rar5_multiarchive.part01.rar" && $3 == "file" { print $2 "\t" $12 }' \
    "$FIXTURES/MEMBERS.tsv"
}
failures=0
count=0
while IFS=$'\t' read -r rel sha; do
  count=$((count + 1))
  got=$(sha256sum "$APP/$rel" 2>/dev/null | cut -d' ' -f1)
  if [[ ${#sha} != 64 || $got != "$sha" ]]; then
    echo "       differs or missing: $rel"
    failures=$((failures + 1))
  fi
done < <(expected_files | sort -u)
check "every installed file has its original's SHA-256 ($count files)" test "$failures" = 0
check "the four packages hold five distinct files" test "$count" = 5

want=$( (expected_files | cut -f1; printf '%s\n' Reapwell.exe install.log) | LC_ALL=C sort -u)
got=$(cd "$APP" && find . -type f -printf '%P\n' | LC_ALL=C sort)
check "the install folder holds exactly the packages' files, the uninstaller and the log" test "$want" = "$got"
[[ $want == "$got" ]] || diff <(echo "$want") <(echo "$got") | sed 's/^/       /' || true
for dir in Empty exe jpg home/antek/temp/build/unrar5/libarchive/bin; do
  check "folder $dir made" test -d "$APP/$dir"
done

# The uninstaller as the list of installed programs starts it.
command=$(reg_utf8 "$UNINSTALL_KEY" /v UninstallString | grep REG_ | sed -E 's/^.*REG_[A-Z_]+ {4}//')
[[ -n $command ]] || fail "no UninstallString registered"
program=${command#\"}
program=${program%\"}
drive <<EOF2
start "$program"
wait-msgbox "Uninstaller      " "Вы уверены, что хотите полностью удалить $N и все его компоненты? " 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 30000
expect-text 1 "Закрыть"
click 1
wait-exit 10000 0
EOF2
wine_settle

snapshot "$WORK_DIR/after.txt"
check "after removal the disk and the list of programs are as before" cmp -s "$WORK_DIR/before.txt" "$WORK_DIR/after.txt"
cmp -s "$WORK_DIR/before.txt" "$WORK_DIR/after.txt" || diff "$WORK_DIR/before.txt" "$WORK_DIR/after.txt" | sed 's/^/       /' || true
finish
