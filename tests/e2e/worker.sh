#!/usr/bin/env bash
# The capture worker's log and what reaches the record, for a reader that works and for each of
# its failures.
source "$(dirname "$0")/lib.sh"
start_display
e2e_root
enable_simulator
export VELMORA_SIM_DELAY_MS=0 VELMORA_SIM_SAMPLE=VELMORA-SAMPLE-0001
sample_hex=$(printf %s "$VELMORA_SIM_SAMPLE" | od -An -tx1 | tr -d ' \n')

begin_case "a clean capture"
run_host --json --fingers 7,2,1
expect_eq "host status" 0 "$STATUS"
expect_block "Connect succeeded" "Capturing..." "Capture succeeded" "Disconnect Succeeded" \
  "CaptureSampleThread END"
# The result is written only after the unit was disconnected.
expect_lines "Disconnect Succeeded" "SampleSize: 19" "Selected finger: 7" "bIsScanDone: true"
expect_eq "sample" "$sample_hex" "$(json_field sample)"
expect_eq "sample size" 19 "$(json_field sample_size)"
expect_eq "units" 1 "$(json_field units)"
expect_eq "program status" 0 "$(json_field exit_status)"

begin_case "the log opens with the request"
expect_block "Staring Dactyra main: enrollmentSize[3]" 7 2 1 "UnitCount = [1]"
grep -qE '^shmid: [0-9]+$' "$OUT" || fail "no shmid line"

begin_case "several units: the first one captures, all are counted"
trace=$E2E_TMP/trace
VELMORA_SIM_UNITS=4,9 VELMORA_SIM_TRACE=$trace run_host --json --fingers 7
expect_eq "host status" 0 "$STATUS"
expect_lines "UnitCount = [2]"
expect_eq "units" 2 "$(json_field units)"
expect_eq "calls on units" "FpxConnect 4 0 0 0
FpxSensorCaptureSample 4 2 1
FpxDisconnect 4" "$(grep -E '^Fpx(Connect|SensorCaptureSample|Disconnect) ' "$trace")"
# The plug-in is unloaded only after the program has finished with it.
expect_eq "last call" unload "$(tail -n 1 "$trace")"

begin_case "connect fails: the capture goes on"
VELMORA_SIM_FAIL=connect run_host --json --fingers 2
expect_eq "host status" 0 "$STATUS"
expect_no_line "Connect succeeded"
expect_block "Capturing..." "Capture succeeded" "Disconnect Succeeded" "CaptureSampleThread END"
expect_eq "finger" 2 "$(json_field finger)"

begin_case "capture fails: nothing is published"
# The simulator leaves a sample behind even when it reports failure; none of it may reach the
# record, which keeps what the parent left there.
VELMORA_SIM_FAIL=capture run_parent --enrolled 07 --fill-byte 5a
expect_eq "program" "exit 0" "$PROGRAM_STATUS"
expect_block "Connect succeeded" "Capturing..." "Failed: Capture" "Disconnect Succeeded" \
  "CaptureSampleThread END"
expect_eq "sample area and size" "$(printf '5a%.0s' $(seq 1 260))" "$(record_range 0 259)"
expect_eq "selected finger" 5a "$(record_byte 275)"
expect_eq "done" 0100 "$(record_range 276 277)"
expect_eq "gap" 5a5a "$(record_range 278 279)"
expect_eq "unit count" 5a5a5a5a "$(record_range 280 283)"

begin_case "disconnect fails: the window stays until it is closed"
VELMORA_SIM_FAIL=disconnect start_host --json --fingers 3
window=$(wait_window)
wait_for_line "CaptureSampleThread END"
expect_block "Capture succeeded" "Failed: Disconnect" "CaptureSampleThread END"
expect_no_line "bIsScanDone: true"
close_window "$window"
wait_host
expect_eq "host status" 0 "$STATUS"
expect_eq "finger" 3 "$(json_field finger)"
expect_lines "SampleSize: 19" "Selected finger: 3" "bIsScanDone: true"

e2e_finish
