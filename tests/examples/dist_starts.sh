# The laid-out distributions start as they are: Sowell in the single folder
# and on disk 1 of the two-disk set reads the setup.ini beside it and lists
# that distribution's packages, the required one fixed.
source "$SOURCE_DIR/tests/driver/gui_lib.sh"
load_ids "$SOURCE_DIR/setup/wizard/wizard_ids.h"
build=$(dirname "$SOWELL_BIN")

# walk FOLDER CAPTION ITEM... : the component page of the distribution in FOLDER.
walk() {
  local folder=$1 caption=$2
  shift 2
  [[ -f $folder/Sowell.exe && -f $folder/UnRAR.dll ]] || fail "$folder is not laid out"
  local items="" i=0
  for name in "$@"; do
    if ((i == 0)); then
      items+="expect-item $ID_CL 0 \"$name\" checked disabled"$'\n'
    else
      items+="expect-item $ID_CL $i \"$name\" checked enabled"$'\n'
    fi
    i=$((i + 1))
  done
  drive <<EOF2
start "$(winpath "$folder/Sowell.exe")"
wait-window "$caption" 20000
click "Далее >"
expect-text $ID_EDIT_PATH "C:\\\\Program Files\\\\${FOLDER_NAME}"
click "Далее >"
click $ID_RB_CUSTOM
click $ID_BUTTON7
expect $ID_LPAK_SELECT visible
expect-count $ID_CL $#
$items
close
wait-msgbox "Подтверждение" "Вы хотите прервать установку ?"
answer ok
wait-exit 10000 0
EOF2
}

FOLDER_NAME=Notebook walk "$build/dist" "Записная книжка Setup" \
  "Основные файлы" "Справочная система" "Примеры документов"
FOLDER_NAME="Notebook Plus" walk "$build/dist-multidisk/disk1" "Записная книжка Плюс Setup" \
  "Основные файлы" "Справочная система" "Примеры документов" "Коллекция шаблонов"
echo "PASS"
