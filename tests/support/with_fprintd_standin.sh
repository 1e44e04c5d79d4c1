#!/usr/bin/env bash
# Runs a command on the fingerprint service's stand-in (fprintd_standin.sh) with fprintd running
# and the calling user's right index finger enrolled as the virtual reader's print "print-a". The
# command finds the reader's socket in READER and this folder's client in STANDIN_CLIENT; its exit
# status is the script's.
#   with_fprintd_standin.sh COMMAND [ARGS...]
set -euo pipefail
source "$(dirname "$0")/fprintd_standin.sh"
standin_private "$@"
tmp=$(mktemp -d /tmp/velmora-standin.XXXXXX)
trap 'standin_end; rm -rf "$tmp"' EXIT
standin_begin "$tmp"
standin_start_fprintd
standin_enroll right-index-finger print-a
export STANDIN_CLIENT
status=0
"$@" || status=$?
exit "$status"
