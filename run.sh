#!/usr/bin/env bash
# Installs what is missing, builds, and starts the main program on the sample data.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
BUILD_DIR=$(cat .last-build-dir)
# The most complete program the tree has so far.
MAIN=${WYN_MAIN:-krnview}
cd "$BUILD_DIR/bin"
exec "./$MAIN" "$@"
