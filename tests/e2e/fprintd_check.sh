#!/usr/bin/env bash
# velmora-plugin-check over the fprintd plug-in, against the real fprintd on libfprint's
# virtual_device_storage reader (tests/support/fprintd_standin.sh): first with no finger on the
# reader, then with the enrolled finger presented for every verification that fprintd starts.
#   VELMORA_PLUGIN_CHECK: the checker; VELMORA_FPRINTD_SO: the plug-in of the build.
set -euo pipefail
source "$(dirname "$0")/../support/fprintd_standin.sh"
standin_private "$@"
: "${VELMORA_PLUGIN_CHECK:?}" "${VELMORA_FPRINTD_SO:?}"
tmp=$(mktemp -d /tmp/velmora-fprintd-check.XXXXXX)
feeder_PID=
trap '[ -n "${feeder_PID:-}" ] && kill "$feeder_PID"; standin_end; rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# check OPTIONS...: the checker's table in $tmp/report; fails the test on any failed check.
check() {
  local status=0
  "$VELMORA_PLUGIN_CHECK" --timeout 120 --slow 10 "$@" "$VELMORA_FPRINTD_SO" >"$tmp/report" 2>"$tmp/err" || status=$?
  cat "$tmp/report"
  [ "$status" -eq 0 ] || fail "velmora-plugin-check $* exited $status: $(cat "$tmp/err")"
}

# expect_result ID PREFIX: the row of check ID begins with that result and detail.
expect_result() {
  grep -qE "^$1 +$2" "$tmp/report" || fail "$1: $(grep "^$1 " "$tmp/report" || echo missing)"
}

standin_begin "$tmp/standin"
standin_start_fprintd
standin_enroll right-index-finger print-a || fail "enrolling through fprintd failed"

# No finger yet: nothing is queued on the reader, so the disconnect meets a waiting verification.
check --no-capture
expect_result disconnect-during-capture "pass +the capture returned 1 after FpxDisconnect"
expect_result capture-after-disconnect "pass "

coproc feeder { standin_client feed "$READER" print-a; }
read -r -t 60 ready <&"${feeder[0]}" || ready=
[ "$ready" = feeding ] || fail "the feeder did not start"
check
expect_result capture-sequence "pass +sample of 55 bytes: \"fpx1;verify=match;finger=any;user=$(id -un);"
expect_result cycles "(pass|warn)"

[ "$failures" -eq 0 ] || exit 1
echo "all checks passed"
