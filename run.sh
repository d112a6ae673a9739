#!/usr/bin/env bash
# Installs what is missing, builds, and starts the launcher (or WYN_MAIN) on the sample data.
set -euo pipefail
cd "$(dirname "$0")"
bash scripts/setup.sh
BUILD_DIR=$(cat .last-build-dir)
# The launcher, the program the user starts; WYN_MAIN names another program of the folder.
MAIN=${WYN_MAIN:-wynopen}
cd "$BUILD_DIR/bin"
# The game on its own plays the sample stage unless its airport and stage are given.
if [ "$MAIN" = wyntower ] && (($# == 0)); then set -- rjtt stage01; fi
exec "./$MAIN" "$@"
