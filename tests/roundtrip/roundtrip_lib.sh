# Helpers of the end-to-end tests: the example distribution installed through
# the wizard, checked against its package folders, and removed through the
# uninstaller that the installation registered.
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"

BUILD_DIR=$(dirname "$SOWELL_BIN")
DIST=${SOWELL_DIST:-$BUILD_DIR/dist}
PACKAGES=$SOURCE_DIR/examples/demo/packages
LNK_READER=$TESTS_BIN/lnk_reader.exe
N='Записная книжка'
UNINSTALL_KEY="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$N"
# A parent that exists before the installation, so that the only folder the
# log leaves behind by design is the install folder itself.
PARENT_WIN='C:\Trip'
PARENT=$DRIVE_C/Trip
APP_WIN="$PARENT_WIN\\$N"
APP=$PARENT/$N

[[ -f $DIST/Sowell.exe && -f $DIST/core.rar ]] || fail "the example distribution is not laid out in $DIST"
[[ -f $LNK_READER ]] || fail "lnk_reader.exe is not built"

# reg.exe prints in the OEM code page; the tests speak UTF-8, as Wine takes
# a Unix program's arguments here.
reg_utf8() { "$WINE_RUN" reg query "$@" 2>/dev/null | iconv -f CP866 -t UTF-8 | tr -d '\r'; }
reg_gone() { ! "$WINE_RUN" reg query "$1" >/dev/null 2>&1; }
# Shows how two texts differ, under a failed check.
show_diff() { diff <(echo "$1") <(echo "$2") | sed 's/^/       /' || true; }
# reg_data KEY NAME: the data of a value ("" names the default value); fails when there is none.
reg_data() {
  local out
  if [[ -z $2 ]]; then out=$(reg_utf8 "$1" /ve) || return 1; else out=$(reg_utf8 "$1" /v "$2") || return 1; fi
  grep -q 'REG_' <<<"$out" || return 1
  grep 'REG_' <<<"$out" | head -1 | sed -E 's/^.*REG_[A-Z_]+ {4}//'
}
expect_reg() {
  local key=$1 name=$2 want=$3 got
  got=$(reg_data "$key" "$name") || got="<missing>"
  check "registry $key [${name:-@}] = $want" test "$got" = "$want"
  [[ $got == "$want" ]] || echo "       got: $got"
}

# The user's folders as Windows and as Unix paths, read from the system.
shell_folder() { reg_data 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' "$1"; }
DESKTOP_WIN=$(shell_folder Desktop) || fail "no Desktop folder registered"
PROGRAMS_WIN=$(shell_folder Programs) || fail "no Programs folder registered"
DESKTOP=$("$WINE_RUN" winepath -u "$DESKTOP_WIN" 2>/dev/null)
PROGRAMS=$("$WINE_RUN" winepath -u "$PROGRAMS_WIN" 2>/dev/null)
DESKTOP=${DESKTOP%/}
PROGRAMS=${PROGRAMS%/}
GROUP_WIN="$PROGRAMS_WIN\\$N"
GROUP=$PROGRAMS/$N

# Leftovers of an earlier failed run would make the snapshots meaningless.
clean_product() {
  local name
  for name in "$N.lnk" "Прочти меня.lnk" "Справка.lnk" Notebook.lnk "Read me.lnk" "Notebook Help.lnk"; do
    rm -f "$DESKTOP/$name"
  done
  rm -rf "$GROUP" "$PARENT"
  mkdir -p "$PARENT"
  wine_quiet reg delete 'HKCU\Software\Notebook Demo' /f || true
  wine_quiet reg delete 'HKLM\Software\Notebook Demo' /f || true
  wine_quiet reg delete "$UNINSTALL_KEY" /f || true
  # The distribution runs from the work folder, so nothing in the build changes.
  cp -r "$DIST" "$WORK_DIR/dist"
}

# The prefix's disk (without the Windows folder and temporary folders, which
# Wine itself changes) and the registry keys the product touches.
snapshot() {
  local out=$1
  {
    (cd "$DRIVE_C" && find . \( -path ./windows -o -iname temp \) -prune -o -mindepth 1 \
      \( -type f -printf 'f %P %s\n' -o -type d -printf 'd %P\n' -o -printf '%y %P\n' \)) |
      LC_ALL=C sort
    local key
    for key in 'HKCU\Software\Notebook Demo' 'HKLM\Software\Notebook Demo' \
               'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'; do
      echo "registry $key:"
      reg_utf8 "$key" /s || echo "(no key)"
    done
  } >"$out"
}

# install LANGUAGE UNCHECK... : the wizard from the first page to the last as a
# person goes through it: the install folder typed, the custom install type,
# the listed components unchecked (by number), the language (rus|eng) chosen,
# both shortcut kinds kept, OK on the finish page.
install() {
  local language=$1
  shift
  local clicks="" i
  for i in "$@"; do
    clicks+="item-click $ID_CL $i box"$'\n'"expect-item $ID_CL $i \"$(component "$i")\" unchecked"$'\n'
  done
  local radio=$ID_RB_ENG
  [[ $language == rus ]] && radio=$ID_RB_RUS
  drive <<EOF2
start "$(winpath "$WORK_DIR/dist/Sowell.exe")"
wait-window "$N Setup" 20000
expect $ID_LWELCOME visible
click "Далее >"
expect $ID_LDIR visible
type $ID_EDIT_PATH "$APP_WIN"
click "Далее >"
expect $ID_LPAK_TYPE visible
click $ID_RB_CUSTOM
click $ID_BUTTON7
expect $ID_LPAK_SELECT visible
expect-count $ID_CL 3
expect-item $ID_CL 0 "$(component 0)" checked disabled
$clicks
click "Далее >"
expect $ID_LLANGUAGE visible
click $radio
expect $radio checked
click "Далее >"
expect $ID_LICON_TYPE visible
expect $ID_CB_DESKTOP checked
expect $ID_CB_PROGRAM checked
click "Далее >"
expect $ID_LSTART visible
expect-text $ID_LINFO "Начало установки"
click "Далее >"
expect-text $ID_LINFO "Установка завершена !" 60000
expect $ID_PANEL2 visible
expect-text $ID_B_CANCEL_PROGRESS "OK"
click $ID_B_CANCEL_PROGRESS
wait-exit 10000 0
EOF2
  wine_settle
}
component() {
  case $1 in
    0) echo "Основные файлы" ;;
    1) echo "Справочная система" ;;
    2) echo "Примеры документов" ;;
  esac
}

# What the chosen packages put into the install folder: "relative path" lines,
# folders with a trailing slash, from the package folders themselves.
package_entries() {
  local pkg
  for pkg in "$@"; do
    (cd "$PACKAGES/$pkg" && find . -mindepth 1 \( -type d -printf '%P/\n' -o -printf '%P\n' \))
  done
  [[ " $* " == *" core "* ]] && echo notebook.exe
  return 0
}

# check_files PACKAGE... : every file of the packages (the later package wins a
# shared name) byte for byte, and the install folder holds nothing else than
# them, the uninstaller, the log and notebook's registration mark.
check_files() {
  local pkg rel failures=0
  for pkg in "$@"; do
    while IFS= read -r rel; do
      [[ $rel == setup.tmp ]] && continue
      if ! cmp -s "$PACKAGES/$pkg/$rel" "$APP/$rel"; then
        echo "       differs or missing: $rel"
        failures=$((failures + 1))
      fi
    done < <(cd "$PACKAGES/$pkg" && find . -type f -printf '%P\n')
  done
  check "the packages' files arrived byte for byte" test "$failures" = 0
  check "notebook.exe is the build's program" cmp -s "$SOWELL_BIN/notebook.exe" "$APP/notebook.exe"
  check "Reapwell.exe is the build's uninstaller" cmp -s "$SOWELL_BIN/Reapwell.exe" "$APP/Reapwell.exe"
  check "[DelFiles] removed setup.tmp" absent "$APP/setup.tmp"
  check "[RunApp] ran notebook /register in the install folder" \
    grep -qE '^Notebook registered [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}'$'\r''$' "$APP/registered.txt"
  local want got
  want=$( (package_entries "$@" | grep -v '^setup.tmp$'; printf '%s\n' Reapwell.exe install.log registered.txt) | LC_ALL=C sort -u)
  got=$(cd "$APP" && find . -mindepth 1 \( -type d -printf '%P/\n' -o -printf '%P\n' \) | LC_ALL=C sort)
  check "the install folder holds exactly the chosen packages" test "$want" = "$got"
  [[ $want == "$got" ]] || show_diff "$want" "$got"
}

# check_link FILE TARGET ARGUMENTS WORKDIR ICON DESCRIPTION
check_link() {
  local file=$1 want got
  want=$(printf 'target=%s\narguments=%s\nworkdir=%s\nicon=%s\ndescription=%s' "$2" "$3" "$4" "$5" "$6")
  if [[ ! -f $file ]]; then
    check "shortcut $(basename "$(dirname "$file")")/${file##*/} exists" false
    return
  fi
  got=$("$WINE_RUN" "$LNK_READER" "$(winpath "$file")" 2>&1 | iconv -f CP1251 -t UTF-8 | tr -d '\r')
  check "shortcut $(basename "$(dirname "$file")")/${file##*/} reads as made" test "$want" = "$got"
  [[ $want == "$got" ]] || show_diff "$want" "$got"
}

# check_shortcuts NAME ARGUMENTS WORKDIR ICON DESCRIPTION: the shortcut on the
# desktop and in the program group.
check_shortcuts() {
  check_link "$DESKTOP/$1" "$APP_WIN\\notebook.exe" "$2" "$3" "$4" "$5"
  check_link "$GROUP/$1" "$APP_WIN\\notebook.exe" "$2" "$3" "$4" "$5"
}

# The 23 texts of the uninstaller, as the log must carry them.
uninstaller_texts() {
  cat <<EOF2
1=Удаление $N
2=Не указан log-файл!
3=Log-файл не найден!
4=Вы уверены, что хотите полностью удалить $N и все его компоненты? 
5=Удаление $N закончено.
6=Удаление файлов...
7=Удаление параметров реестра...
8=Удаление разделов реестра...
9=Удаление записей в ini-файлах...
10=Удаление ярлыков...
11=Удаление каталогов...
12=Удаление COM-серверов...
13=Удаление шрифтов...
14=Проверка общих файлов...
15=Удалить общий файл?
16=Обнаружено, что следующий общий файл больше не используется ни одним приложением. Вы уверены, что хотите удалить общий файл?||||Если вы оставите этот файл, это не повредит системе. Если вы не знаете, как поступить, не удаляйте этот общий компонент.
17=Имя файла:
18=Находится в:
19=Да
20=Да для всех
21=Нет
22=Нет для всех
23=Закрыть
EOF2
}

LOG=$APP/install.log
# The log in UTF-8 without line ends, for the record checks.
# Binary registry data is stored as its raw bytes; its zero bytes are left out here.
log_text() { iconv -f CP1251 -t UTF-8 "$LOG" | tr -d '\r\0'; }
# log_section NAME: the section's record lines in file order.
log_section() { log_text | awk -v s="[$1]" '/^\[/ {on = ($0 == s); next} on && NF' ; }
log_keys() { log_section "$1" | sed 's/=$//'; }
# The texts as the uninstaller reads them: a value with blanks at an end is
# written in quotes, and one pair of enclosing quotes is removed on reading.
log_strings() { log_section Strings | sed -E "s/^([0-9]+)=\"(.*)\"\$/\1=\2/; s/^([0-9]+)='(.*)'\$/\1=\2/"; }
# The [AddReg] records in file order; binary data (how its zero bytes are
# stored is the writer's choice) shows as <binary>; a record split over lines
# would still show.
addreg_records() { log_section AddReg | sed -E "s/^(.*'WindowRect')=.*/\\1=<binary>/"; }
# in_app RELATIVE...: the Windows paths of entries of the install folder.
in_app() {
  local rel
  while IFS= read -r rel; do
    [[ -n $rel ]] && printf '%s\\%s\n' "$APP_WIN" "${rel//\//\\}"
  done
}

# Format checks that hold for every log the setup program writes.
check_log_form() {
  local raw
  raw=$LOG
  check "install.log exists" test -f "$raw"
  check "install.log: every line ends with CR LF" \
    bash -c "[[ \$(tail -c 2 '$raw' | od -An -c | tr -d ' ') == '\\r\\n' ]] && ! sed 's/\\r\$//' '$raw' | grep -q \$'\\r'"
  check "install.log: code page 1251 (the Cyrillic bytes)" grep -qF "$(iconv -f UTF-8 -t CP1251 <<<"1=Удаление $N")"$'\r' "$raw"
  check "install.log: no UTF-8 text" bash -c "! grep -qF 'Удаление' '$raw'"
  # A new record goes in after the empty line that ends the section before it,
  # so only the first header is sure to follow an empty line.
  check "install.log: begins with an empty line, then [Shortcuts]" \
    test "$(head -c 15 "$raw" | od -An -c | tr -s ' ' | sed 's/^ //')" = '\r \n [ S h o r t c u t s ] \r \n'
  check "install.log: sections in first-write order" \
    test "$(log_text | grep '^\[' | tr '\n' ' ')" = "[Shortcuts] [CreateKeys] [Display] [Strings] [CreateDirs] [CopyFiles] [AddReg] "
  check "install.log: [Display] Charset=204 only" test "$(log_section Display)" = "Charset=204"
  check "install.log: [Strings] 1..23 in order, product name in 1, 4, 5" test "$(log_strings)" = "$(uninstaller_texts)"
  local section
  for section in Shortcuts CreateKeys CreateDirs CopyFiles AddReg; do
    check "install.log: [$section] has no path twice" test -z "$(log_section "$section" | sed 's/=.*//' | sort | uniq -d)"
  done
}

# check_log_set SECTION "first key" EXPECTED-KEYS: the section's keys are the
# expected ones (each once, any order) and the given one comes first.
check_log_set() {
  local section=$1 first=$2 want=$3 got
  got=$(log_keys "$section" | LC_ALL=C sort)
  want=$(LC_ALL=C sort <<<"$want")
  check "install.log: [$section] holds exactly the expected records" test "$want" = "$got"
  [[ $want == "$got" ]] || show_diff "$want" "$got"
  if [[ -n $first ]]; then
    check "install.log: [$section] begins with $first" test "$(log_keys "$section" | head -1)" = "$first"
  fi
}

# One CopyFiles record for every extracted file, one CreateDirs record for every
# extracted folder (the program group and the install folder besides).
check_log_files() {
  local files dirs
  files=$(package_entries "$@" | grep -v '/$' | LC_ALL=C sort -u | in_app)
  dirs=$(package_entries "$@" | grep '/$' | sed 's|/$||' | LC_ALL=C sort -u | in_app)
  check_log_set CopyFiles "" "$files"
  check_log_set CreateDirs "$APP_WIN\\" "$APP_WIN\\"$'\n'"$GROUP_WIN"$'\n'"$dirs"
}

# The registered uninstaller as the system's list of programs starts it:
# UninstallString read, unquoted and started; the question answered; the
# progress lines; Close.
uninstall_registered() {
  local command program question
  command=$(reg_data "$UNINSTALL_KEY" UninstallString) || fail "no UninstallString registered"
  program=${command#\"}
  program=${program%\"}
  question=$(log_strings | sed -n 's/^4=//p')
  [[ -n $question ]] || fail "the log has no text 4"
  drive <<EOF2
start "$program"
wait-msgbox "Uninstaller      " "$question" 20000
answer yes
wait-window "Uninstaller      " 10000
expect 1 enabled 30000
expect-text 1 "Закрыть"
expect-count 101 6
expect-item 101 0 "Удаление ярлыков... ok"
expect-item 101 1 "Удаление параметров реестра... ok"
expect-item 101 2 "Удаление разделов реестра... ok"
expect-item 101 3 "Удаление файлов... ok"
expect-item 101 4 "Удаление каталогов... ok"
expect-item 101 5 "Удаление $N закончено."
click 1
wait-exit 10000 0
EOF2
  wine_settle
}

# check_after BEFORE AFTER: the disk and the registry as they were, apart from
# what the log leaves by design: notebook's registration mark, which no record
# names, and so the install folder that holds it.
check_after() {
  local before=$1 after=$2 size want
  size=$(stat -c %s "$APP/registered.txt" 2>/dev/null || echo missing)
  want=$(printf '%s\n' "> d Trip/$N" "> f Trip/$N/registered.txt $size")
  local got
  got=$(diff "$before" "$after" | grep '^[<>]' || true)
  check "after removal only the install folder and registered.txt remain of the installation" test "$want" = "$got"
  [[ $want == "$got" ]] || { echo "       difference before/after:"; diff "$before" "$after" | sed 's/^/       /' || true; }
  check "HKCU\\Software\\Notebook Demo removed" reg_gone 'HKCU\Software\Notebook Demo'
  check "HKLM\\Software\\Notebook Demo removed" reg_gone 'HKLM\Software\Notebook Demo'
  check "the uninstall entry removed" reg_gone "$UNINSTALL_KEY"
  check "the program group removed" absent "$GROUP"
  check "install.log removed" absent "$LOG"
  check "Reapwell.exe removed" absent "$APP/Reapwell.exe"
}
