#!/usr/bin/env bash
# The fingerprint service's plug-in, installed as its README says and alone in the catalogue,
# against the real fprintd on libfprint's virtual_device_storage reader, with a private system bus
# and a polkit stand-in (tests/support/fprintd_standin.sh). The test plays the finger on the
# reader's socket once fprintd says that the reader waits for one.
source "$(dirname "$0")/../support/fprintd_standin.sh"
standin_private "$@"
source "$(dirname "$0")/lib.sh"
trap 'standin_end; e2e_cleanup' EXIT
start_display
e2e_root
cp "$VELMORA_STAGE$VELMORA_EXAMPLE_DIR/fprintd" "$ETC/fprintd"
standin_begin "$E2E_TMP/standin"
standin_start_fprintd
me=$(id -un)

# start_verifying: the host, returning once the reader waits for the finger.
start_verifying() {
  start_host --json --fingers 7 --timeout 120
  standin_press || fail "the reader never waited for a finger"
}

# expect_plugin_line TEXT: the plug-in said exactly one thing on standard error, holding TEXT.
expect_plugin_line() {
  expect_eq "lines of the plug-in" 1 "$(grep -c '^velmora fprintd: ' "$ERR" || true)"
  grep -q -F -- "$1" "$ERR" || fail "standard error lacks '$1'"
}

begin_case "no enrolled finger: the capture fails and says how to enrol"
run_host --json --fingers 7 --timeout 120
expect_failed_capture
expect_plugin_line "enrol one in the desktop's settings or with \`fprintd-enroll\`"

standin_enroll right-index-finger print-a || fail "enrolling through fprintd failed"

begin_case "a match gives the sample in the record"
start_verifying
standin_press "SCAN print-a"
wait_host
expect_eq "host status" 0 "$STATUS"
expect_block "Connect succeeded" "Capturing..." "Capture succeeded" "Disconnect Succeeded" \
  "CaptureSampleThread END"
sample=$(json_field sample | xxd -r -p)
expect_eq "sample" "fpx1;verify=match;finger=any;user=$me;device=fprintd/0" "$sample"
expect_eq "sample size" "${#sample}" "$(json_field sample_size)"

begin_case "someone else's finger gives no sample"
start_verifying
standin_press "SCAN print-b"
wait_host
expect_failed_capture
expect_plugin_line "the finger does not match any enrolled finger"

begin_case "a retry, then the match: the capture still succeeds"
start_verifying
# 1: libfprint's retry "swipe too short".
standin_press "RETRY 1" "SCAN print-a"
wait_host
expect_eq "host status" 0 "$STATUS"
expect_lines "Capturing..." "Capture succeeded"
expect_plugin_line "velmora fprintd: the swipe was too short, present the finger again"

begin_case "a reader error fails the capture"
start_verifying
# 0: libfprint's general device error, which fprintd reports as verify-unknown-error.
standin_press "ERROR 0"
wait_host
expect_failed_capture
expect_plugin_line "the reader reported an error on "

begin_case "a reader that another client holds: in use, with the likely holders"
coproc holder { standin_client hold; }
read -r -t 60 claimed <&"${holder[0]}" || claimed=
expect_eq "the other client's claim" claimed "$claimed"
run_host --json --fingers 7 --timeout 120
expect_failed_capture
expect_plugin_line "is in use by another program (the lock screen, sudo or a settings panel"
exec {holder[1]}>&-
wait "$holder_PID" || fail "the other client could not release the reader"

begin_case "not authorized by polkit"
standin_polkit_allow_all false
run_host --json --fingers 7 --timeout 120
standin_polkit_allow_all true
expect_failed_capture
expect_plugin_line "not authorized by polkit (net.reactivated.fprint.device.verify)"

begin_case "the window closed during the verification frees the reader at once"
start_verifying
close_window "$(wait_window)"
wait_host
expect_eq "host status (done, no sample)" 2 "$STATUS"
expect_lines "Capturing..." "SampleSize: 0" "bIsScanDone: true"
expect_no_line "Capture succeeded"
claim_err=$(standin_client claim 2>&1) || fail "another client could not claim the reader: $claim_err"

begin_case "fprintd killed during the verification: the capture fails, never hangs"
start_verifying
standin_kill_fprintd
wait_host
expect_failed_capture
expect_plugin_line "the fingerprint service fprintd went away during the verification"

begin_case "no fprintd on the bus: no units, with the reason"
OUT=$E2E_TMP/out ERR=$E2E_TMP/err
"$SANDBOX" "$ETC" "$LIB" "$VELMORA_STAGE/usr/bin/velmora-units" >"$OUT" 2>"$ERR" || true
expect_lines 'entry "fprintd": library "'"$VELMORA_PLUGIN_DIR"'/libfpx-fprintd.so", type 1' \
  "  skipped: no units"
expect_plugin_line \
  "velmora fprintd: the fingerprint service fprintd is not installed or not running; no units"

e2e_finish
