#!/usr/bin/env bash
# Fails, naming them, when two test sources in different folders share a file name: a name
# says which code a test is of, and one name for two codes hides which one failed.
set -uo pipefail
dups=$(git ls-files 'tests/*.cpp' 'tests/*.h' | awk -F/ '{print $NF}' | sort | uniq -d)
if [ -n "$dups" ]; then
  echo "test files sharing a name (give each the name of its code):"
  for d in $dups; do git ls-files "tests/*/$d" | sed 's/^/  /'; done
  exit 1
fi
