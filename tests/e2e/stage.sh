#!/usr/bin/env bash
# Stages the complete install of a build folder into STAGE, afresh: the end-to-end tests run the
# program as it is installed, not as it lies in the build folder.
#   stage.sh BUILD_DIR STAGE
set -euo pipefail
rm -rf "$2"
DESTDIR=$2 cmake --install "$1" >/dev/null
