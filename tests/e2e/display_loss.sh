#!/usr/bin/env bash
# The display goes away while the reader's capture spins in the plug-in's own code, as a driver
# polling its device does. The toolkit then ends the program with exit(1) while the worker is
# still inside the library: the library must stay loaded under it, so the program ends with
# status 1 and never by a signal, and the parent finds its record as it left it, as with no
# display at all. VELMORA_DISPLAY_LOSS_RUNS sets the number of runs (default 20).
source "$(dirname "$0")/lib.sh"
: "${VELMORA_BUSY_PLUGIN:?}"
e2e_root
add_entry busy "$VELMORA_BUSY_PLUGIN" 1
runs=${VELMORA_DISPLAY_LOSS_RUNS:-20}
# As the parent writes it: 0x33 everywhere but the enrolled count (2) and list (7, 2).
untouched=$(printf '33%.0s' $(seq 1 260))020000000702$(printf '33%.0s' $(seq 1 18))
ended=0

for run in $(seq 1 "$runs"); do
  begin_case "run $run of $runs"
  start_display
  start_parent --fill-byte 33 --enrolled 07,02 --timeout 120
  wait_window >/dev/null || break
  wait_for_line "Capturing..." || break
  stop_display
  wait_parent
  expect_eq "program" "exit 1" "$PROGRAM_STATUS"
  expect_eq "record untouched" "$untouched" "$RECORD"
  [ "$E2E_FAILURES" -ne 0 ] && break
  ended=$((ended + 1))
done

expect_eq "runs that ended with status 1" "$runs" "$ended"
echo "display lost during a busy capture: $ended of $runs runs ended with status 1"
e2e_finish
