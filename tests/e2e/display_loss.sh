#!/usr/bin/env bash
# The display goes away while the reader's capture is inside the plug-in. The toolkit then ends the
# program with exit(1) while the worker is still inside the library: the library must stay loaded
# under it and its own destructors must not run under the call, so the program ends with status 1
# and never by a signal or a hang, and the parent finds its record as it left it, as with no
# display at all. Two plug-ins: one that spins in its own code, as a driver polling its device
# does, and a C++ one that waits on a condition variable of namespace scope, whose destructor
# would block for good under the waiting call. VELMORA_DISPLAY_LOSS_RUNS sets the number of runs
# of the spinning one (default 20); the waiting one runs a quarter as often.
source "$(dirname "$0")/lib.sh"
: "${VELMORA_BUSY_PLUGIN:?}" "${VELMORA_WAITING_PLUGIN:?}"
runs=${VELMORA_DISPLAY_LOSS_RUNS:-20}
# As the parent writes it: 0x33 everywhere but the enrolled count (2) and list (7, 2).
untouched=$(printf '33%.0s' $(seq 1 260))020000000702$(printf '33%.0s' $(seq 1 18))

# lose_display NAME LIBRARY RUNS [TRACE_LINE]: RUNS captures through LIBRARY, each ended by the
# loss of the display once "Capturing..." is logged and, with TRACE_LINE, once the plug-in has
# written that line into its trace.
lose_display() {
  local name=$1 library=$2 runs=$3 traced=${4:-} ended=0
  e2e_root
  add_entry "$name" "$library" 1
  export VELMORA_TP_TRACE=$E2E_TMP/trace
  for run in $(seq 1 "$runs"); do
    begin_case "$name: run $run of $runs"
    : >"$VELMORA_TP_TRACE"
    start_display
    start_parent --fill-byte 33 --enrolled 07,02 --timeout 120
    wait_window >/dev/null || break
    wait_for_line "Capturing..." || break
    [ -z "$traced" ] || wait_for_line_in "$VELMORA_TP_TRACE" "$traced" || break
    stop_display
    wait_parent
    expect_eq "program" "exit 1" "$PROGRAM_STATUS"
    expect_eq "record untouched" "$untouched" "$RECORD"
    [ "$E2E_FAILURES" -ne 0 ] && break
    ended=$((ended + 1))
  done
  begin_case "$name"
  expect_eq "runs that ended with status 1" "$runs" "$ended"
  echo "display lost during a $name capture: $ended of $runs runs ended with status 1"
}

lose_display spinning "$VELMORA_BUSY_PLUGIN" "$runs"
lose_display waiting "$VELMORA_WAITING_PLUGIN" $(((runs + 3) / 4)) waiting
e2e_finish
