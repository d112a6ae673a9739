#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ file differs from what clang-format makes of it.
set -uo pipefail
fmt=${1:-clang-format}
bad=$(git ls-files -z '*.cpp' '*.h' '*.c' '*.cc' |
      xargs -0 -P "$(nproc)" -n 16 sh -c 'for f; do [ ! -f "$f" ] || "$0" --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"; done' "$fmt")
if [ -n "$bad" ]; then
  echo "not formatted (run clang-format -i on them):"
  echo "$bad" | sed 's/^/  /'
  exit 1
fi
