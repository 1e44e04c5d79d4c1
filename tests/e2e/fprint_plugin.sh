#!/usr/bin/env bash
# The libfprint readers' plug-in, installed as its README says and alone in the catalogue, with
# libfprint's virtual_image reader: the test plays the finger over the reader's socket.
source "$(dirname "$0")/lib.sh"
: "${VELMORA_VIRTUAL_FINGER:?}"
start_display
e2e_root
cp "$VELMORA_STAGE$VELMORA_EXAMPLE_DIR/fprint" "$ETC/fprint"
export FP_DRIVERS_WHITELIST=virtual_image FP_VIRTUAL_IMAGE=$E2E_TMP/reader.sock
export VELMORA_FPRINT_SAMPLE_DIR=$E2E_TMP/samples

begin_case "an image from the reader becomes the sample"
start_host --json --fingers 7 --timeout 120
wait_for_line "Capturing..."
"$VELMORA_VIRTUAL_FINGER" "$FP_VIRTUAL_IMAGE" || fail "the finger could not reach the reader"
wait_host
expect_eq "host status" 0 "$STATUS"
expect_block "Connect succeeded" "Capturing..." "Capture succeeded" "Disconnect Succeeded" \
  "CaptureSampleThread END"
expect_eq "program status" 0 "$(json_field exit_status)"
sample=$(json_field sample | xxd -r -p)
expect_eq "sample size" "${#sample}" "$(json_field sample_size)"
pattern="^fpx1;image=($VELMORA_FPRINT_SAMPLE_DIR/[^;]+\.pgm);width=256;height=360;minutiae=[0-9]+;"
pattern+="sha256=([0-9a-f]{64});device=virtual_image/[^;]+$"
if [[ $sample =~ $pattern ]]; then
  image=${BASH_REMATCH[1]} sha=${BASH_REMATCH[2]}
  expect_eq "checksum of the image" "$sha" "$(sha256sum "$image" | cut -d' ' -f1)"
  expect_eq "image mode" 600 "$(stat -c %a "$image")"
  expect_eq "folder mode" 700 "$(stat -c %a "$VELMORA_FPRINT_SAMPLE_DIR")"
  expect_eq "image header" "P5 256 360 255" "$(head -c 15 "$image" | tr '\n' ' ' | sed 's/ $//')"
else
  fail "the sample does not parse: '$sample'"
fi

begin_case "closing the window while the reader waits for a finger"
# libfprint's debug lines of its image devices tell when the reader waits for the finger.
G_MESSAGES_DEBUG=libfprint-image_device start_host --json --fingers 7 --timeout 120
window=$(wait_window)
wait_for_line --part "to FPI_IMAGE_DEVICE_STATE_AWAIT_FINGER_ON"
close_window "$window"
wait_host
expect_eq "host status (done, no sample)" 2 "$STATUS"
expect_eq "program status" 0 "$(json_field exit_status)"
expect_eq "sample size" 0 "$(json_field sample_size)"
expect_lines "Capturing..." "SampleSize: 0" "bIsScanDone: true"
expect_no_line "Capture succeeded"
# The plug-in closes the reader on a thread of its own (libfprint's image devices take about 100 ms
# to close), so the program usually ends first and the system releases the reader. Either way it
# must be free at once: the reader is opened anew and used by the next case.

# start_awaited: the host with libfprint's debug lines of its image devices, which tell when the
# reader waits for the finger; returns once it does.
start_awaited() {
  G_MESSAGES_DEBUG=libfprint-image_device start_host --json --fingers 7 --timeout 120
  wait_for_line --part "to FPI_IMAGE_DEVICE_STATE_AWAIT_FINGER_ON"
}

begin_case "a retry, then the image: the capture still succeeds"
start_awaited
# 2: libfprint's retry "finger not centred".
"$VELMORA_VIRTUAL_FINGER" --retry 2 "$FP_VIRTUAL_IMAGE" || fail "the finger could not reach the reader"
wait_host
expect_eq "host status" 0 "$STATUS"
expect_eq "program status" 0 "$(json_field exit_status)"
expect_lines "Capturing..." "Capture succeeded"
[ "$(json_field sample_size)" -gt 0 ] || fail "no sample"
expect_eq "lines of the plug-in" 1 "$(grep -c '^velmora fprint: ' "$ERR" || true)"
retry="velmora fprint: present the finger again: The finger was not centered properly, please try again."
expect_eq "the retry's line" 1 "$(grep -cxF -- "$retry" "$ERR" || true)"

begin_case "a reader error fails the capture"
start_awaited
"$VELMORA_VIRTUAL_FINGER" --error 1 "$FP_VIRTUAL_IMAGE" || fail "the finger could not reach the reader"
wait_host
expect_failed_capture

begin_case "a removed reader fails the capture"
start_awaited
"$VELMORA_VIRTUAL_FINGER" --remove "$FP_VIRTUAL_IMAGE" || fail "the finger could not reach the reader"
wait_host
expect_failed_capture

e2e_finish
