# The laid-out example distributions hold what their setup.ini promises:
# every archive lies where the run will look for it, holds the members of its
# package folder, and as many as FilesCount says; shortcut targets, registry
# files, [RunApp] and [DelFiles] name things the distribution really carries;
# the two-disk set asks for each disk at a point where it makes sense.
# Usage: distributions.sh EXAMPLES DIST DIST_MULTIDISK
set -euo pipefail
examples=$1
single=$2
multi=$3
export LC_ALL=C.UTF-8

errors=0
fail() {
  echo "FAIL: $*" >&2
  errors=$((errors + 1))
}

# The setup.ini of a distribution as UTF-8 without CR, for the readers below.
ini_text() { iconv -f CP1251 -t UTF-8 "$1" | tr -d '\r'; }

# ini_get FILE SECTION KEY: the value as the setup program reads it (section
# names without regard to case, keys exact, first match, blanks trimmed).
ini_get() {
  ini_text "$1" | awk -v sec="$2" -v key="$3" '
    /^\[.*\]$/ { cur = tolower(substr($0, 2, length($0) - 2)); next }
    cur == tolower(sec) && index($0, "=") {
      k = substr($0, 1, index($0, "=") - 1); v = substr($0, index($0, "=") + 1)
      gsub(/^[ \t]+|[ \t]+$/, "", k); gsub(/^[ \t]+|[ \t]+$/, "", v)
      if (k == key) { print v; exit }
    }'
}

# ini_entries FILE SECTION: lines with a key in the section.
ini_entries() {
  ini_text "$1" | awk -v sec="$2" '
    /^\[.*\]$/ { cur = tolower(substr($0, 2, length($0) - 2)); next }
    cur == tolower(sec) && index($0, "=") { k = substr($0, 1, index($0, "=") - 1); gsub(/[ \t]/, "", k); if (k != "") n++ }
    END { print n + 0 }'
}

# The section the run reads package i from in a language (rus or eng).
package_section() {
  local ini=$1 i=$2 lang=$3
  if [[ $lang == rus && $(ini_entries "$ini" "Package$i.RUS") -gt 2 ]]; then
    echo "Package$i.RUS"
  else
    echo "Package$i"
  fi
}

members() { bsdtar -tf "$1" | sed 's:/$::' | sort; }

# The members each archive must hold, from the manifest that stages the
# project sowell-pack builds the distribution from: the source folders and
# programs staged into the archive's folder packages/NAME (NAME.rar).
expected_members() {
  local manifest=$1 archive=$2 package from
  package=packages/${archive%.rar}
  grep -qE "^stage [^ ]+ $package/?\$" "$manifest" || { echo "nothing is staged for $archive" >&2; return 1; }
  awk -v p="$package" '$1 == "stage" && ($3 == p || $3 == p "/") { print $2 }' "$manifest" | while read -r from; do
    case $from in
      @notebook) echo notebook.exe ;;
      @*) echo "${from#@}" ;;
      *) (cd "$examples/$from" && find . -mindepth 1 | sed 's:^\./::') ;;
    esac
  done | sort
}

# check_distribution MANIFEST INI FOLDER_OF_DISK_1 [FOLDER_OF_DISK_2 ...]
check_distribution() {
  local manifest=$1 ini=$2
  shift 2
  local disks=("$@")
  local multivolume
  multivolume=$(ini_get "$ini" Install MultiVolume)
  local picture
  picture=$(ini_get "$ini" Install InstallPicture)
  for f in Sowell.exe UnRAR.dll setup.ini "$picture"; do
    [[ -f ${disks[0]}/$f ]] || fail "$f is missing from ${disks[0]}"
  done

  local lang i k name section count pak volume disk folder total regfile link wdir argu target file
  local all_members=""
  for lang in eng rus; do
    local last_disk=1
    for ((i = 0; ; i++)); do
      name=$(ini_get "$ini" Packages "Package$i")
      [[ -n $name ]] || break
      section=$(package_section "$ini" "$i" "$lang")
      count=$(ini_get "$ini" "$section" FilesCount)
      volume=$(ini_get "$ini" "$section" Volume)
      disk=1
      if [[ $multivolume == 1 ]]; then
        [[ $volume =~ ^диск\ ([0-9]+)$ ]] || { fail "$section: Volume \"$volume\" names no disk"; continue; }
        disk=${BASH_REMATCH[1]}
        ((disk >= last_disk)) || fail "$section: back to disk $disk after disk $last_disk"
        last_disk=$disk
      fi
      folder=${disks[disk - 1]:-}
      [[ -n $folder ]] || { fail "$section: there is no disk $disk"; continue; }
      total=0
      local package_members=""
      for ((k = 0; ; k++)); do
        pak=$(ini_get "$ini" "$section" "Pak$k")
        [[ -n $pak ]] || break
        if [[ ! -f $folder/$pak ]]; then
          fail "$section: $pak is not on disk $disk ($folder)"
          continue
        fi
        # On another disk it would be extracted without the prompt for its own disk.
        for other in "${disks[@]}"; do
          [[ $other == "$folder" || ! -f $other/$pak ]] || fail "$section: $pak also lies in $other"
        done
        local listed
        listed=$(members "$folder/$pak")
        [[ $listed == "$(expected_members "$manifest" "$pak")" ]] || fail "$section: $pak does not hold its package folder"
        total=$((total + $(grep -c . <<<"$listed")))
        package_members+=$listed$'\n'
      done
      [[ $k -gt 0 ]] || fail "$section: no archive"
      [[ $count == "$total" ]] || fail "$section: FilesCount=$count, the archives hold $total members"
      all_members+=$package_members
      for ((k = 0; ; k++)); do
        regfile=$(ini_get "$ini" "$section" "RegFile$k")
        [[ -n $regfile ]] || break
        [[ -f $folder/$regfile ]] || fail "$section: $regfile is not beside the archives on disk $disk"
      done
      for ((k = 0; ; k++)); do
        link=$(ini_get "$ini" "$section" "Ico_Link$k")
        [[ -n $link ]] || break
        [[ -n $(ini_get "$ini" "$section" "Ico_Name$k") ]] || fail "$section: Ico_Name$k is empty"
        [[ $(ini_get "$ini" "$section" "Ico_Name$k") == *.lnk ]] || fail "$section: Ico_Name$k lacks .lnk"
        target=${link#%InstallPath%\\}
        target=${target//\\//}
        # The target must come with this package or with a required one.
        grep -qxF "$target" <<<"$package_members$(members_of_required "$ini" "$lang" "${disks[@]}")" ||
          fail "$section: shortcut target $target is installed by no package it may rely on"
        argu=$(ini_get "$ini" "$section" "Ico_Argu$k")
        if [[ -n $argu ]]; then
          wdir=$(ini_get "$ini" "$section" "Ico_WDir$k")
          wdir=${wdir#%InstallPath%}
          wdir=${wdir#\\}
          file=${wdir:+${wdir//\\//}/}$argu
          grep -qxF "$file" <<<"$package_members" || fail "$section: Ico_Argu$k names $file, not in the package"
        fi
      done
    done
  done

  local app
  app=$(ini_get "$ini" RunApp App0)
  [[ $app == '"%InstallPath%\notebook.exe" /register' ]] || fail "[RunApp] App0 is $app"
  grep -qxF notebook.exe <<<"$(members_of_required "$ini" eng "${disks[@]}")" ||
    fail "[RunApp] starts a program that no required package installs"
  for ((k = 0; ; k++)); do
    file=$(ini_get "$ini" DelFiles "File$k")
    [[ -n $file ]] || break
    file=${file#%InstallPath%\\}
    grep -qxF "${file//\\//}" <<<"$all_members" || fail "[DelFiles] File$k names $file, which no package installs"
  done
}

# Members of the packages marked Main, which are always installed.
members_of_required() {
  local ini=$1 lang=$2
  shift 2
  local disks=("$@") i section volume disk k pak
  for ((i = 0; ; i++)); do
    [[ -n $(ini_get "$ini" Packages "Package$i") ]] || break
    [[ $(ini_get "$ini" "Package$i" Main) == 1 ]] || continue
    section=$(package_section "$ini" "$i" "$lang")
    volume=$(ini_get "$ini" "$section" Volume)
    disk=1
    [[ $volume =~ ([0-9]+)$ ]] && disk=${BASH_REMATCH[1]}
    for ((k = 0; ; k++)); do
      pak=$(ini_get "$ini" "$section" "Pak$k")
      [[ -n $pak ]] || break
      [[ -f ${disks[disk - 1]}/$pak ]] && members "${disks[disk - 1]}/$pak"
    done
  done
}

echo "== single folder: $single"
[[ $(ini_get "$single/setup.ini" Install MultiVolume) == 0 ]] || fail "the single folder is marked MultiVolume"
cmp -s "$single/setup.ini" "$examples/demo/setup.ini" || fail "the single folder's setup.ini is not the example's"
check_distribution "$examples/demo/dist.txt" "$single/setup.ini" "$single"

echo "== two disks: $multi"
manifest=$examples/multidisk/dist.txt
[[ $(ini_get "$multi/disk1/setup.ini" Install MultiVolume) == 1 ]] || fail "the disk set is not marked MultiVolume"
# The run asks for disk 1 back until autorun.inf is in the drive's root; only disk 1 may carry it.
[[ -f $multi/disk1/autorun.inf ]] || fail "disk 1 has no autorun.inf"
[[ ! -e $multi/disk2/autorun.inf ]] || fail "disk 2 carries autorun.inf and would pass for disk 1"
[[ $(iconv -f CP1251 -t UTF-8 "$multi/disk1/autorun.inf" | tr -d '\r' | awk -F= '$1 == "open" { print $2 }') == Sowell.exe ]] ||
  fail "autorun.inf does not start Sowell.exe"
# setup.ini is read again from whichever disk is in the drive.
cmp -s "$multi/disk1/setup.ini" "$multi/disk2/setup.ini" || fail "the disks carry different setup.ini files"
check_distribution "$manifest" "$multi/disk1/setup.ini" "$multi/disk1" "$multi/disk2"

if ((errors)); then
  echo "$errors problem(s)" >&2
  exit 1
fi
echo "PASS"
