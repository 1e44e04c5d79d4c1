#!/usr/bin/env bash
# The window as a screen reader meets it: a client over AT-SPI (atspi_client.py, run by Debian's
# Python, which has pyatspi) finds the frame, the shown finger buttons with their names, ids,
# states and group, reads the simulated reader's prompt in the status line, moves the focus with
# an arrow key, presses a finger through the Action interface and closes the window with Escape.
# Once in English and once in German: the German run speaks German, and its standard output is
# byte for byte the English run's. Each run has its own display, XDG_RUNTIME_DIR (where the
# accessibility bus's socket lives) and session bus (dbus-run-session).
source "$(dirname "$0")/lib.sh"
CLIENT=$(dirname "$0")/atspi_client.py
PROMPT="Swipe your finger again, more slowly"

# one_run OUT_COPY NAMES STATUS: one run inside a session bus of its own; the output is kept.
one_run() {
  export GTK_MODULES=gail:atk-bridge VELMORA_SANDBOX_LOCALE=$VELMORA_STAGE/usr/share/locale
  export VELMORA_SIM_PROMPT=$PROMPT VELMORA_SIM_DELAY_MS=60000 VELMORA_SIM_UNINTERRUPTIBLE=1
  e2e_root
  enable_simulator
  start_host --json --fingers 7,2,1
  window=$(wait_window)
  xdotool windowfocus --sync "$window"
  wait_for_line "Capturing..."
  /usr/bin/python3 "$CLIENT" "$OUT" 7 2 "$2" "$3" >"$E2E_TMP/client" 2>&1 || fail "$(cat "$E2E_TMP/client")"
  wait_host
  expect_eq "host status (done, no sample)" 2 "$STATUS"
  expect_block "The button 7 pressed" "m_SelectedFinger: 7" "Connect succeeded" "Capturing..." \
    "The button 2 pressed" "m_SelectedFinger: 2"
  expect_lines "SampleSize: 0" "Selected finger: 0" "bIsScanDone: true"
  cp "$OUT" "$1"
}

if [ "${1:-}" = --inside ]; then
  shift
  begin_case "$1"
  one_run "$2" "$3" "$4"
  e2e_finish
  exit
fi

# run NAME OUT_COPY NAMES STATUS [VARIABLE=VALUE...]: one_run in a fresh session bus, which
# starts the accessibility bus and its registry with this display and runtime folder (the registry
# synthesises the client's keys on that display).
run() {
  begin_case "$1"
  start_display
  XDG_RUNTIME_DIR=$(mktemp -d "$E2E_TMP/runtime.XXXXXX")
  env XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" "${@:5}" dbus-run-session -- bash "$0" --inside "$1" "$2" "$3" "$4" ||
    fail "the $1 run failed"
  stop_display
}

unset LANGUAGE LC_ALL LC_MESSAGES
run English "$E2E_TMP/en" "7=Left index finger;1=Right thumb;2=Right index finger" "$PROMPT" LANG=C.UTF-8
run German "$E2E_TMP/de" "7=Linker Zeigefinger;1=Rechter Daumen;2=Rechter Zeigefinger" \
  "Ziehen Sie den Finger langsamer erneut über den Leser" LANGUAGE=de LANG=C.UTF-8
begin_case "standard output in German"
cmp "$E2E_TMP/en" "$E2E_TMP/de" || fail "the German run's standard output differs: $(diff "$E2E_TMP/en" "$E2E_TMP/de")"
e2e_finish
