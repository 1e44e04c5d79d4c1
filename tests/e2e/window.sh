#!/usr/bin/env bash
# The finger window as a user works it: clicks on the buttons, and closing the window with and
# without readers, also while a capture is still running.
source "$(dirname "$0")/lib.sh"
start_display

begin_case "the window's size and title"
e2e_root
start_host --fingers 7,2,1
window=$(wait_window)
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
expect_eq "geometry" 222x270 "$geometry"

begin_case "clicks: only the newly active button's handler logs"
click_finger "$window" 2
wait_for_line "m_SelectedFinger: 2"
click_finger "$window" 2
click_finger "$window" 1
wait_for_line "m_SelectedFinger: 1"
expect_block "The button 7 pressed" "m_SelectedFinger: 7" \
  "The button 2 pressed" "m_SelectedFinger: 2" \
  "The button 2 pressed" "m_SelectedFinger: 2" \
  "The button 1 pressed" "m_SelectedFinger: 1"
expect_count 1 "The button 7 pressed"

begin_case "closing the window without readers"
close_window "$window"
wait_host
expect_eq "host status (done, no sample)" 2 "$STATUS"
expect_lines "UnitCount = [0]" "SampleSize: 0" "Selected finger: 0" "bIsScanDone: true"
expect_no_line "Capturing..."
expect_no_line "CaptureSampleThread END"

begin_case "the finger clicked after the capture comes back with the sample"
# A reader whose disconnect fails keeps the window open after the capture.
e2e_root
enable_simulator
export VELMORA_SIM_DELAY_MS=0
VELMORA_SIM_FAIL=disconnect start_host --json --fingers 7,2,1
window=$(wait_window)
wait_for_line "CaptureSampleThread END"
click_finger "$window" 1
wait_for_line "m_SelectedFinger: 1"
close_window "$window"
wait_host
expect_eq "host status" 0 "$STATUS"
expect_eq "finger" 1 "$(json_field finger)"

begin_case "closing the window during a capture disconnects the reader"
trace=$E2E_TMP/trace
VELMORA_SIM_DELAY_MS=60000 VELMORA_SIM_TRACE=$trace start_host --json --fingers 7
window=$(wait_window)
wait_for_line "Capturing..."
close_window "$window"
wait_host
expect_eq "host status (done, no sample)" 2 "$STATUS"
expect_eq "program status" 0 "$(json_field exit_status)"
expect_lines "Capturing..." "bIsScanDone: true"
grep -q '^FpxDisconnect 1' "$trace" || fail "the reader was not disconnected"

begin_case "closing the window while the reader does not let go"
# The reader ignores the disconnect; the program must end at once and cleanly all the same.
VELMORA_SIM_DELAY_MS=60000 VELMORA_SIM_UNINTERRUPTIBLE=1 start_host --json --timeout 40 --fingers 7
window=$(wait_window)
wait_for_line "Capturing..."
close_window "$window"
wait_host
expect_eq "host status (done, no sample)" 2 "$STATUS"
expect_eq "program status" 0 "$(json_field exit_status)"
expect_lines "SampleSize: 0" "Selected finger: 0" "bIsScanDone: true"
expect_no_line "CaptureSampleThread END"

begin_case "without the picture the window still works"
e2e_root
LIB=$(mktemp -d "$E2E_TMP/lib.XXXXXX")
start_host --fingers 4
window=$(wait_window)
wait_for_line "m_SelectedFinger: 4"
close_window "$window"
wait_host
expect_eq "host status" 2 "$STATUS"
expect_eq "lines on standard error" 1 "$(grep -c hands.bmp "$ERR")"

e2e_finish
