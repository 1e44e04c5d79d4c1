#!/usr/bin/env bash
# The sample dump after "SampleSize": sixteen items a line, one closing newline, and never a byte
# outside the record whatever size the reader or the parent claims.
source "$(dirname "$0")/lib.sh"
start_display
e2e_root
enable_simulator
export VELMORA_SIM_DELAY_MS=0

begin_case "16 bytes: one line and no empty line"
VELMORA_SIM_SAMPLE=0123456789ABCDEF run_host --fingers 7
expect_eq "host status" 0 "$STATUS"
expect_block "SampleSize: 16" " 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46" "Selected finger: 7"

begin_case "17 bytes: a second line of one item"
VELMORA_SIM_SAMPLE=0123456789ABCDEFG run_host --fingers 7
expect_block "SampleSize: 17" " 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46" " 47" "Selected finger: 7"

begin_case "a negative size dumps nothing"
VELMORA_SIM_SAMPLE=abc VELMORA_SIM_SIZE=-5 run_host --fingers 7
expect_eq "host status" 0 "$STATUS"
expect_block "SampleSize: -5" "" "Selected finger: 7"

begin_case "a size beyond the record dumps the whole record and no more"
VELMORA_SIM_SAMPLE=0123456789ABCDEF VELMORA_SIM_SIZE=1000 run_host --fingers 7
expect_eq "host status" 0 "$STATUS"
dump=$(lines_after "SampleSize: 1000" 19)
expect_eq "last line" "Selected finger: 7" "$(sed -n 19p <<<"$dump")"
expect_eq "items" 284 "$(head -n 18 <<<"$dump" | wc -w)"
# Offset 256: the size itself, then enrollmentSize 1, finger 7, then the selected finger at 275.
expect_eq "line of offset 256" " E8 03 00 00 01 00 00 00 07 00 00 00 00 00 00 00" "$(sed -n 17p <<<"$dump")"
expect_eq "line of offset 272" " 00 00 00 07 00 00 00 00 01 00 00 00" "$(sed -n 18p <<<"$dump")"

begin_case "no sample: the parent's size and bytes are shown unchanged"
# No reader: the window stays until it is closed, and nothing of the result is written.
rm "$ETC/simulator"
export VELMORA_SIM_DELAY_MS=0
(
  run_parent --enrolled 07 --sample-size 17 --fill-byte 41 &
  parent=$!
  window=$(wait_window) && close_window "$window"
  wait "$parent"
) || true
OUT=$E2E_TMP/out
expect_block "SampleSize: 17" " 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41" " 41" "Selected finger: 65"
expect_lines "UnitCount = [0]" "bIsScanDone: true"

e2e_finish
