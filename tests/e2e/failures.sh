#!/usr/bin/env bash
# Runs that end early: no display, no segment, a reader that cannot describe itself. The parent's
# record must then be left exactly as the parent wrote it.
source "$(dirname "$0")/lib.sh"
e2e_root
enable_simulator
export VELMORA_SIM_DELAY_MS=0

begin_case "no display"
unset DISPLAY
run_parent --enrolled 07,02 --fill-byte 33
expect_eq "program" "exit 1" "$PROGRAM_STATUS"
expect_eq "done flag untouched" 3333 "$(record_range 276 277)"
expect_eq "unit count untouched" 33333333 "$(record_range 280 283)"

start_display

begin_case "no segment"
OUT=$E2E_TMP/out ERR=$E2E_TMP/err
STATUS=0
"$SANDBOX" "$ETC" "$LIB" "$PROGRAM" >"$OUT" 2>"$ERR" || STATUS=$?
expect_eq "status" 1 "$STATUS"
grep -q '^shmget: ' "$ERR" || fail "no shmget error on standard error"
grep -q '^shmid' "$OUT" && fail "logged a segment id"

begin_case "FpxGetInfo fails: the record is untouched"
VELMORA_SIM_FAIL=getinfo run_parent --enrolled 07,02 --fill-byte 33
expect_eq "program" "exit 1" "$PROGRAM_STATUS"
expect_eq "standard error" "velmora-capture: FpxGetInfo failed" "$(grep -v '^velmora-test-parent' "$ERR")"
grep -q '^shmid' "$OUT" && fail "the segment was looked up"
expect_eq "done flag untouched" 3333 "$(record_range 276 277)"
expect_eq "sample area untouched" "$(printf '33%.0s' $(seq 1 256))" "$(record_range 0 255)"

e2e_finish
