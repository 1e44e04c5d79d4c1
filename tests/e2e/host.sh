#!/usr/bin/env bash
# velmora-capture-host as a user runs it, with fake-capture (or a program that does nothing, or
# none) as the capture program: the summary, the JSON object, the exit statuses, the timeout, a
# segment that exists already and an interrupted host. Each case runs in a sandbox of its own,
# whose private IPC namespace holds no segment but the ones the case makes.
source "$(dirname "$0")/lib.sh"
: "${VELMORA_FAKE_CAPTURE:?}" "${VELMORA_TEST_PARENT:?}"
e2e_root
export HOST FAKE=$VELMORA_FAKE_CAPTURE PARENT=$VELMORA_TEST_PARENT

# segments_left: the number of segments in this IPC namespace.
segments_left() { ipcs -m | grep -c '^0x' || true; }

# in_sandbox CASE: runs the function CASE in a sandbox of its own; OUT and ERR hold its output.
in_sandbox() {
  OUT=$E2E_TMP/out ERR=$E2E_TMP/err
  "$SANDBOX" "$ETC" "$LIB" bash -c "$1" >"$OUT" 2>"$ERR" || fail "the case itself failed"
  drop_coverage_noise
}

# expect_text TEXT: the output holds TEXT somewhere.
expect_text() {
  grep -qF -- "$1" "$OUT" || fail "missing text '$1'"
}

# --- the cases, each a function that runs inside the sandbox --------------------------------

program_does_nothing() {
  "$HOST" --program /bin/true
  echo "host $?"
  echo "left $(segments_left)"
}

# The test parent holds a segment under the key, filled with 5a, while the host tries its luck.
existing_segment() {
  "$PARENT" --fill-byte 5a -- \
    bash -c '"$HOST" --program "$FAKE" 2>&1; echo "host $?"; echo "left $(segments_left)"'
  echo "left-after $(segments_left)"
}

reports_the_result() {
  FAKE_CAPTURE_SAMPLE=hello FAKE_CAPTURE_FINGER=7 FAKE_CAPTURE_UNITS=2 \
    "$HOST" --fingers 7,2,1 --program "$FAKE"
  echo "host $?"
  echo "left $(segments_left)"
}

json_result() {
  export FAKE_CAPTURE_SAMPLE=ab FAKE_CAPTURE_SAMPLE_SIZE=40 FAKE_CAPTURE_FINGER=2
  {
    "$HOST" --json --fingers 2 --program "$FAKE"
    echo "host $?"
  } | grep -v fake-capture
}

exit_statuses() {
  "$HOST" --program "$FAKE" >/dev/null
  echo "none $?"
  FAKE_CAPTURE_MODE=no-done FAKE_CAPTURE_SAMPLE=x "$HOST" --program "$FAKE" >/dev/null
  echo "early $?"
  FAKE_CAPTURE_MODE=crash FAKE_CAPTURE_SAMPLE=x "$HOST" --json --program "$FAKE"
  echo "crash $?"
  "$HOST" --program /nonexistent/capture 2>/dev/null
  echo "missing $?"
  "$HOST" --fingers 11 --program "$FAKE" 2>/dev/null
  echo "badargs $?"
  echo "left $(segments_left)"
}

timeout_kills() {
  FAKE_CAPTURE_MODE=hang "$HOST" --timeout 1 --program "$FAKE"
  echo "host $?"
  echo "left $(segments_left)"
}

# Waits until the program has attached (its line shows), then terminates the host.
terminated_host() {
  local out host child tries=0
  out=$(mktemp)
  FAKE_CAPTURE_MODE=hang "$HOST" --program "$FAKE" >"$out" 2>/dev/null &
  host=$!
  until grep -q fake-capture "$out" || [ $tries -ge 600 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  echo "attached $(segments_left)"
  child=$(sed -n 's/fake-capture: pid \([0-9]*\).*/\1/p' "$out")
  kill -TERM "$host"
  wait "$host"
  echo "host $?"
  if kill -0 "$child" 2>/dev/null; then echo "child alive"; else echo "child gone"; fi
  echo "left $(segments_left)"
  grep -c program: "$out"
  rm -f "$out"
}

export -f segments_left program_does_nothing existing_segment reports_the_result json_result exit_statuses \
  timeout_kills terminated_host

begin_case "a program that does nothing did not finish"
in_sandbox program_does_nothing
expect_block "program: exited with status 0" "done: no" "sample: none"
expect_lines "host 3" "left 0"

begin_case "an existing segment is left alone"
in_sandbox existing_segment
expect_text "exists already; another capture may be running, so it is left alone"
expect_block "host 1" "left 1"
grep -qF "fake-capture: pid" "$OUT" && fail "the program must not be started"
expect_lines "record $(printf '5a%.0s' $(seq 1 284))" "left-after 0"

begin_case "the result that the program wrote"
in_sandbox reports_the_result
# The program's output passes through, right before the summary.
before=$(grep -B 1 -xF -m 1 "program: exited with status 0" "$OUT" | head -n 1) || true
[[ $before == "fake-capture: pid "*" enrollmentSize 3 enrolled 070201" ]] ||
  fail "the program's line before the summary: '$before'"
expect_block "done: yes" "sample_size: 5" "sample: 68656c6c6f" "finger: 7 (Left index finger)" "units: 2" \
  "host 0" "left 0"

begin_case "JSON carries the same result"
in_sandbox json_result
expect_eq "output" '{"exit_status":0,"signal":null,"timed_out":false,"done":true,"sample_size":40,"sample":"6162","finger":2,"finger_name":"Right index finger","units":1}
host 0' "$(cat "$OUT")"

begin_case "the status tells how the program ended"
in_sandbox exit_statuses
expect_lines "none 2" "early 3"
expect_text '"exit_status":null,"signal":6,'
expect_lines "crash 3" "missing 1" "badargs 1" "left 0"

begin_case "the timeout kills a hanging program"
in_sandbox timeout_kills
expect_block "program: killed after the timeout" "done: no"
expect_block "host 3" "left 0"

begin_case "a terminated host ends the program and removes the segment"
in_sandbox terminated_host
expect_lines "attached 1"
expect_lines "host 143"  # ended by SIGTERM
# No summary after an interruption.
expect_block "child gone" "left 0" "0"

e2e_finish
