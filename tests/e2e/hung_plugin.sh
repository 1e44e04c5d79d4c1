#!/usr/bin/env bash
# A reader whose capture never returns: closing the window must end the program, cleanly and
# every time, with the thread still inside the plug-in. VELMORA_HUNG_RUNS sets the number of
# runs (default 3; 200 make the long run under the sanitizers). The time from the close request
# to the end of the host is printed for each run and summed up at the end; it is a figure, not a
# check.
source "$(dirname "$0")/lib.sh"
e2e_root
enable_simulator
start_display
runs=${VELMORA_HUNG_RUNS:-3}
times=$E2E_TMP/close-ms

for run in $(seq 1 "$runs"); do
  begin_case "run $run of $runs"
  VELMORA_SIM_DELAY_MS=1000000000000 VELMORA_SIM_UNINTERRUPTIBLE=1 start_host --json --timeout 60 --fingers 7
  window=$(wait_window) || break
  wait_for_line "Capturing..." || break
  started=$(date +%s%N)
  close_window "$window"
  wait_host
  echo $((($(date +%s%N) - started) / 1000000)) >>"$times"
  expect_eq "host status (done, no sample)" 2 "$STATUS"
  expect_eq "program status" 0 "$(json_field exit_status)"
  expect_eq "done flag" true "$(json_field done)"
  expect_lines "Capturing..." "SampleSize: 0" "bIsScanDone: true"
  [ -s "$ERR" ] && fail "standard error: $(head -c 500 "$ERR")"
  [ "$E2E_FAILURES" -ne 0 ] && break
done

# wait_window fails inside a command substitution, so a missing window only shows in the count.
done_runs=$(cat "$times" 2>/dev/null | wc -l)
[ "$done_runs" -eq "$runs" ] || fail "only $done_runs of $runs runs reached the close"
if [ -s "$times" ]; then
  sort -n "$times" | awk '{ t[NR] = $1 } END {
    printf "close to exit: %d runs, median %d ms, max %d ms\n", NR, t[int((NR + 1) / 2)], t[NR] }'
fi
e2e_finish
