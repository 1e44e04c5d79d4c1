#!/usr/bin/env bash
# Requests that a careful parent would not send, or that leave no default finger: the program logs
# them as they are, reads no more than the record holds, and chooses no finger it cannot show.
source "$(dirname "$0")/lib.sh"
start_display
e2e_root
enable_simulator
export VELMORA_SIM_DELAY_MS=0

# check_request NAME EXPECTED_FINGER PARENT_ARGS...: a whole capture; the finger in the record.
check_request() {
  begin_case "$1"
  local expected=$2
  shift 2
  run_parent "$@"
  expect_eq "program" "exit 0" "$PROGRAM_STATUS"
  expect_eq "selected finger" "$expected" "$(record_byte 275)"
  expect_eq "done" 0100 "$(record_range 276 277)"
}

check_request "list 0, 3" 00 --enrolled 00,03
expect_block "Staring Dactyra main: enrollmentSize[2]" 0 3 "UnitCount = [1]"
grep -q '^m_SelectedFinger' "$OUT" && fail "a handler ran"

check_request "list 11, 3" 00 --enrolled 0b,03
expect_block "Staring Dactyra main: enrollmentSize[2]" b 3 "UnitCount = [1]"

check_request "list 0, 6: finger 6 opened the group but is not chosen" 00 --enrolled 00,06
grep -q '^m_SelectedFinger' "$OUT" && fail "a handler ran"

check_request "list 12, 4: no button for 12, and the first entry decides" 00 --enrolled 0c,04

check_request "an empty list" 00 --enrolled ""
expect_block "Staring Dactyra main: enrollmentSize[0]" "UnitCount = [1]"

check_request "a size above 10 reads ten entries" 07 --enrollment-size 12 --enrolled 01,02,03,04,05,06,07,08,09,0a
expect_block "Staring Dactyra main: enrollmentSize[12]" 1 2 3 4 5 6 7 8 9 a "UnitCount = [1]"

check_request "a negative size reads none" 00 --enrollment-size -3 --enrolled 07
expect_block "Staring Dactyra main: enrollmentSize[-3]" "UnitCount = [1]"

e2e_finish
