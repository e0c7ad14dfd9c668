# Helpers of the installation end-to-end tests, on top of the uninstaller's
# (check, finish, registry look-ups).
source "$SOURCE_DIR/tests/uninstall/e2e/reap_lib.sh"

# The archive writer the build compiles for this machine.
RARWRITER=$(dirname "$SOWELL_BIN")/examples/host/rarwriter
[[ -x $RARWRITER ]] || fail "the host archive writer is not built ($RARWRITER)"

# The Unix path of a Windows path on drive C (UTF-8, as log_keys gives it and
# as Wine names Unix files here).
unix_of() {
  local p=${1//\\//}
  [[ ${p:0:2} == C: || ${p:0:2} == c: ]] || return 1
  printf '%s' "$DRIVE_C${p:2}"
}

# log_keys LOG SECTION: the keys of a section, one a line, without CR, in UTF-8.
log_keys() {
  iconv -f CP1251 -t UTF-8 "$1" | tr -d '\r' | awk -v sec="[$2]" '
    /^\[.*\]$/ { cur = $0; next }
    cur == sec && index($0, "=") { print substr($0, 1, index($0, "=") - 1) }'
}

# log_keys_live LOG SECTION: the keys of a section while the setup program is
# still running: the log as last saved, with the journal beside it folded in
# (records added, records taken back), in order.
log_keys_live() {
  {
    log_keys "$1" "$2" | sed 's/^/+\t/'
    [[ ! -f $1.journal ]] || iconv -f CP1251 -t UTF-8 "$1.journal" | tr -d '\r' |
      awk -F'\t' -v sec="$2" '{ op = substr($1, 10, 1); if (substr($1, 11) == sec) print op "\t" $2 }'
  } | awk -F'\t' '
    $1 == "+" && !($2 in on) { on[$2] = 1; order[++n] = $2 }
    $1 == "-" { delete on[$2] }
    END { for (i = 1; i <= n; i++) if (order[i] in on) print order[i] }'
}

# Prints what is wrong with the shape of an install log, nothing when it is sound:
# CR LF line ends throughout, every line a section header, an entry or blank,
# no section twice, the sections of a fresh log in their order, 23 texts.
log_shape_faults() {
  local log=$1
  [[ -s $log ]] || { echo "the log is empty or missing"; return; }
  local lines crlf
  lines=$(wc -l <"$log")
  crlf=$(grep -c $'\r$' "$log" || true)
  [[ $lines == "$crlf" ]] || echo "$((lines - crlf)) of $lines lines do not end with CR LF"
  [[ $(tail -c 2 "$log" | od -An -tx1 | tr -d ' \n') == 0d0a ]] || echo "the last line is cut off"
  local odd
  odd=$(tr -d '\r' <"$log" | grep -vn -e '^$' -e '^\[[^]]*\]$' -e '=' | head -3)
  [[ -z $odd ]] || echo "lines neither header nor entry: $odd"
  local order
  order=$(tr -d '\r' <"$log" | grep '^\[' | tr '\n' ' ')
  [[ $order == "$2" ]] || echo "sections are \"$order\", expected \"$2\""
  local texts
  texts=$(log_keys "$log" Strings | tr '\n' ' ')
  [[ $texts == "$(seq -s ' ' 1 23) " ]] || echo "[Strings] holds \"$texts\""
}

# answer_handshake NAME: waits for the driver to reach the handshake, runs the
# rest of the arguments, then lets the driver go on. The driver runs in the
# background as $DRIVER; its end stops the wait.
answer_handshake() {
  local name=$1 rc=0
  shift
  local deadline=$((SECONDS + 60))
  until [[ -e $WORK_DIR/$name.ready ]]; do
    kill -0 "$DRIVER" 2>/dev/null || { echo "the driver ended before $name" >&2; return 1; }
    ((SECONDS < deadline)) || { echo "the driver never reached $name" >&2; return 1; }
    sleep 0.1
  done
  rm -f "$WORK_DIR/$name.ready"
  "$@" || rc=$?
  touch "$WORK_DIR/$name.done"
  return "$rc"
}
