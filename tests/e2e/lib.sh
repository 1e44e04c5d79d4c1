# Shared helpers of the end-to-end tests. Each test script sources this file, builds a private
# configuration root with e2e_root, and runs the staged program as its parent runs it, inside
# scripts/sandbox (a private mount and IPC namespace) on a private Xvfb display.
#
# The test's environment (set by CTest) names the staged install and the test tools:
#   VELMORA_SOURCE, VELMORA_STAGE, VELMORA_TEST_PARENT, VELMORA_FAKE_CAPTURE, VELMORA_WM_DELETE,
#   VELMORA_BUSY_PLUGIN, VELMORA_WAITING_PLUGIN, VELMORA_VIRTUAL_FINGER;
# and the installed layout's paths (CMake's variables of the same names; scripts/sandbox reads
# them too): VELMORA_CONFIG_ROOT, VELMORA_DATA_DIR, VELMORA_PLUGIN_DIR, VELMORA_EXAMPLE_DIR.
set -euo pipefail
umask 022  # plug-in entries that group or others may write would be skipped

: "${VELMORA_SOURCE:?}" "${VELMORA_STAGE:?}" "${VELMORA_CONFIG_ROOT:?}" "${VELMORA_DATA_DIR:?}"
: "${VELMORA_PLUGIN_DIR:?}" "${VELMORA_EXAMPLE_DIR:?}"
export VELMORA_CONFIG_ROOT VELMORA_DATA_DIR
HOST=$VELMORA_STAGE/usr/bin/velmora-capture-host
PROGRAM=$VELMORA_STAGE/usr/bin/velmora-capture
SANDBOX=$VELMORA_SOURCE/scripts/sandbox
STAGED_LIB=$VELMORA_STAGE$VELMORA_DATA_DIR
WINDOW_TITLE="Fingerprint Capture"

E2E_TMP=$(mktemp -d /tmp/velmora-e2e.XXXXXX)
E2E_FAILURES=0
E2E_CASE="(setup)"
xvfb_pid=
e2e_cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

# --- the configuration root and the picture folder -------------------------------------------

# e2e_root: a fresh configuration root holding the installed "conf", and the staged picture
# folder. ETC and LIB name them for the sandbox.
e2e_root() {
  ETC=$(mktemp -d "$E2E_TMP/etc.XXXXXX")
  cp "$VELMORA_STAGE$VELMORA_CONFIG_ROOT/conf" "$ETC/conf"
  LIB=$STAGED_LIB
}

# enable_simulator: installs the simulator's example entry into the root, as the README says.
enable_simulator() {
  cp "$VELMORA_STAGE$VELMORA_EXAMPLE_DIR/simulator" "$ETC/simulator"
}

# add_entry NAME LIBRARY TYPE: a plain-file catalogue entry.
add_entry() {
  printf 'Name: %s\nType: %s\n' "$2" "$3" >"$ETC/$1"
}

# --- the display ------------------------------------------------------------------------------

# start_display [DPI]: a private Xvfb, found through -displayfd so that parallel tests never
# collide; with DPI, a screen of that resolution (and twice the size, room for a doubled window).
start_display() {
  local fifo=$E2E_TMP/displayfd screen=640x480x24 dpi=()
  [ $# -gt 0 ] && screen=1280x960x24 dpi=(-dpi "$1")
  rm -f "$fifo"
  mkfifo "$fifo"
  # -noreset: a server that resets when its last client leaves refuses clients meanwhile.
  Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "$screen" "${dpi[@]}" 3>"$fifo" 2>/dev/null &
  xvfb_pid=$!
  local number
  read -r -t 30 number <"$fifo" || fail "Xvfb did not start"
  export DISPLAY=:$number
}

# wait_window: prints the id of the program's window once it is mapped.
wait_window() {
  local id
  for _ in $(seq 1 300); do
    id=$(xdotool search --onlyvisible --name "^$WINDOW_TITLE\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "the window did not appear"
  return 1
}

# button_offset FINGER: the centre of that finger's button, relative to the window's inside.
button_offset() {
  case $1 in
    1) echo "38 200" ;; 2) echo "48 149" ;; 3) echo "70 139" ;; 4) echo "97 138" ;; 5) echo "123 163" ;;
    6) echo "95 80" ;; 7) echo "83 26" ;; 8) echo "60 17" ;; 9) echo "33 15" ;; 10) echo "13 40" ;;
  esac
}

# click_finger WINDOW FINGER: a left click on the finger's button.
click_finger() {
  local x y
  read -r x y < <(button_offset "$2")
  xdotool mousemove --window "$1" "$x" "$y" click 1
}

# close_window WINDOW: the close request of a window manager.
close_window() {
  "$VELMORA_WM_DELETE" "$1"
}

# --- running the program ------------------------------------------------------------------------

# drop_coverage_noise: in a coverage build (VELMORA_COVERAGE set by its test preset) the runtime
# reports on standard error the counters that it cannot write, as for a program run as another
# user; those lines are not the program's.
drop_coverage_noise() {
  if [ -n "${VELMORA_COVERAGE:-}" ]; then sed -i '/^profiling:/d' "$ERR"; fi
}

# run_host ARGS...: velmora-capture-host with the staged program; OUT, ERR and STATUS afterwards.
run_host() {
  OUT=$E2E_TMP/out ERR=$E2E_TMP/err
  STATUS=0
  "$SANDBOX" "$ETC" "$LIB" "$HOST" --program "$PROGRAM" "$@" >"$OUT" 2>"$ERR" || STATUS=$?
  drop_coverage_noise
}

# start_host ARGS...: as run_host, in the background; finish with wait_host. The output files
# are emptied first, here: the background job's own redirection may come after the caller has
# begun to wait for a line, which the previous run's output would then answer.
start_host() {
  OUT=$E2E_TMP/out ERR=$E2E_TMP/err
  : >"$OUT"
  : >"$ERR"
  "$SANDBOX" "$ETC" "$LIB" "$HOST" --program "$PROGRAM" "$@" >"$OUT" 2>"$ERR" &
  host_pid=$!
}
wait_host() {
  STATUS=0
  wait "$host_pid" || STATUS=$?
  drop_coverage_noise
}

# run_parent ARGS... -- : velmora-test-parent with the staged program; RECORD holds the record
# after the run as hex, PROGRAM_STATUS the program's exit ("exit N" or "signal N").
run_parent() {
  OUT=$E2E_TMP/out ERR=$E2E_TMP/err
  STATUS=0
  "$SANDBOX" "$ETC" "$LIB" "$VELMORA_TEST_PARENT" "$@" -- "$PROGRAM" >"$OUT" 2>"$ERR" || STATUS=$?
  drop_coverage_noise
  RECORD=$(sed -n 's/^record //p' "$OUT")
  PROGRAM_STATUS=$(grep -E '^(exit|signal) ' "$OUT" | tail -n 1)
}

# start_parent ARGS... --: as run_parent, in the background (the output files emptied first, as
# for start_host); finish with wait_parent.
start_parent() {
  OUT=$E2E_TMP/out ERR=$E2E_TMP/err
  : >"$OUT"
  : >"$ERR"
  "$SANDBOX" "$ETC" "$LIB" "$VELMORA_TEST_PARENT" "$@" -- "$PROGRAM" >"$OUT" 2>"$ERR" &
  parent_pid=$!
}
wait_parent() {
  STATUS=0
  wait "$parent_pid" || STATUS=$?
  drop_coverage_noise
  RECORD=$(sed -n 's/^record //p' "$OUT")
  PROGRAM_STATUS=$(grep -E '^(exit|signal) ' "$OUT" | tail -n 1)
}

# stop_display: kills the private Xvfb under whatever is connected to it, as a lost display.
stop_display() {
  kill -KILL "$xvfb_pid"
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
}

# wait_for_line [--part] TEXT: waits until the output holds that line, or with --part a line that
# holds TEXT (the program is still running).
wait_for_line() {
  local whole=-x
  if [ "$1" = --part ]; then whole=; shift; fi
  for _ in $(seq 1 300); do
    grep -q $whole -F -- "$1" "$OUT" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "never logged: $1"
  return 1
}

# wait_for_line_in FILE TEXT: as wait_for_line, for a whole line of another file (a plug-in's trace).
wait_for_line_in() {
  local OUT=$1
  wait_for_line "$2"
}

# --- assertions ---------------------------------------------------------------------------------

begin_case() { E2E_CASE=$1; }

fail() {
  echo "FAIL [$E2E_CASE]: $*" >&2
  if [ -n "${OUT:-}" ] && [ -f "$OUT" ]; then sed 's/^/  out| /' "$OUT" >&2; fi
  if [ -n "${ERR:-}" ] && [ -f "$ERR" ]; then sed 's/^/  err| /' "$ERR" >&2; fi
  E2E_FAILURES=$((E2E_FAILURES + 1))
}

expect_eq() {  # expect_eq WHAT EXPECTED ACTUAL
  [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
}

# expect_lines LINE...: the output holds these whole lines in this order (others may lie between).
expect_lines() {
  local line number=0 found
  for line in "$@"; do
    found=$(tail -n +"$((number + 1))" "$OUT" | grep -nxF -m 1 -- "$line" | cut -d: -f1) || true
    if [ -z "$found" ]; then
      fail "missing line (in this order): '$line'"
      return
    fi
    number=$((number + found))
  done
}

# expect_block LINE...: the output holds exactly these lines one after the other.
expect_block() {
  local expected actual
  expected=$(printf '%s\n' "$@")
  actual=$(grep -nxF -m 1 -- "$1" "$OUT" | cut -d: -f1) || true
  if [ -z "$actual" ]; then
    fail "missing block starting with '$1'"
    return
  fi
  actual=$(tail -n +"$actual" "$OUT" | head -n $#)
  [ "$expected" = "$actual" ] || fail "block differs: expected
$expected
got
$actual"
}

expect_no_line() {  # expect_no_line LINE
  ! grep -qxF -- "$1" "$OUT" || fail "unexpected line '$1'"
}

expect_count() {  # expect_count N LINE
  local n
  n=$(grep -cxF -- "$2" "$OUT") || true
  [ "$n" = "$1" ] || fail "'$2' logged $n times, expected $1"
}

# json_field NAME: a field of the host's --json object (numbers, booleans and strings).
# expect_failed_capture: the capture failed, the program ended normally without a sample.
expect_failed_capture() {
  expect_eq "host status (done, no sample)" 2 "$STATUS"
  expect_eq "program status" 0 "$(json_field exit_status)"
  expect_eq "sample size" 0 "$(json_field sample_size)"
  expect_lines "Capturing..." "Failed: Capture"
  expect_no_line "Capture succeeded"
}

json_field() {
  grep -o "\"$1\": *\(\"[^\"]*\"\|[^,}]*\)" "$OUT" | tail -n 1 | sed 's/^"[^"]*": *//; s/^"//; s/"$//'
}

# record_byte OFFSET: one byte of RECORD, as two lower-case hex digits.
record_byte() {
  echo "${RECORD:$(($1 * 2)):2}"
}

# record_range FIRST LAST: bytes FIRST..LAST of RECORD as hex.
record_range() {
  echo "${RECORD:$(($1 * 2)):$((($2 - $1 + 1) * 2))}"
}

e2e_finish() {
  if [ "$E2E_FAILURES" -ne 0 ]; then
    echo "$E2E_FAILURES check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

# lines_after LINE N: the N lines that follow LINE in the output.
lines_after() {
  local at
  at=$(grep -nxF -m 1 -- "$1" "$OUT" | cut -d: -f1) || true
  [ -n "$at" ] && tail -n +"$((at + 1))" "$OUT" | head -n "$2"
}
