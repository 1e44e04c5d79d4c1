#!/usr/bin/env bash
# A 192-dpi screen: the window, its picture and its buttons at twice the size, the buttons at
# twice the placement table's positions, where a click at twice a fingertip's place selects it.
source "$(dirname "$0")/lib.sh"
start_display 192
e2e_root

begin_case "the doubled window"
start_host --fingers 7,2,1
window=$(wait_window)
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
expect_eq "geometry" 444x540 "$geometry"

begin_case "clicks at twice the fingertips' places"
for finger in 2 1 7; do
  read -r x y < <(button_offset "$finger")
  xdotool mousemove --window "$window" $((2 * x)) $((2 * y)) click 1
  wait_for_line "m_SelectedFinger: $finger"
done
expect_block "The button 2 pressed" "m_SelectedFinger: 2" "The button 1 pressed" "m_SelectedFinger: 1" \
  "The button 7 pressed" "m_SelectedFinger: 7"

begin_case "closing the window"
close_window "$window"
wait_host
expect_eq "host status (done, no sample)" 2 "$STATUS"
expect_lines "UnitCount = [0]" "Selected finger: 0" "bIsScanDone: true"
e2e_finish
