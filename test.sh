#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite (headless; window tests
# use a virtual X display).
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
BUILD_DIR=$(cat .last-build-dir)
jobs=$(nproc)
if command -v xvfb-run >/dev/null && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" \
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$jobs" "$@"
fi
exec ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$jobs" "$@"
