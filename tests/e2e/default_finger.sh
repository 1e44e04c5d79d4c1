#!/usr/bin/env bash
# The default finger: which enrolled finger the window selects before the user does anything.
# Each case runs a whole capture with a fast simulated reader; the host reports the finger that
# came back with the sample.
source "$(dirname "$0")/lib.sh"
start_display
e2e_root
enable_simulator
export VELMORA_SIM_DELAY_MS=0

# check_default FINGERS EXPECTED: enrolled list FINGERS gives EXPECTED (0: no finger chosen).
check_default() {
  begin_case "fingers $1"
  run_host --json --fingers "$1"
  expect_eq "host status" 0 "$STATUS"
  expect_eq "finger" "$2" "$(json_field finger)"
  expect_lines "Selected finger: $2" "bIsScanDone: true"
  if [ "$2" = 0 ]; then
    expect_no_line "The button 0 pressed"
    grep -q '^m_SelectedFinger' "$OUT" && fail "a handler ran without a chosen finger"
  else
    expect_count 1 "The button $2 pressed"
    expect_count 1 "m_SelectedFinger: $2"
    expect_block "The button $2 pressed" "m_SelectedFinger: $2"
  fi
}

check_default 7,2,1 7
check_default 3,2 2
check_default 2,7 7
check_default 4,9 4
check_default 6 6
check_default 6,3 6
check_default 5,6 5
check_default 10 10
check_default 1 1
check_default 7,7,2 7

e2e_finish
