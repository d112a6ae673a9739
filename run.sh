#!/usr/bin/env bash
# Installs what is missing, builds, and starts the launcher (or WYN_MAIN) on the sample data.
# Returns when the last program of the set has ended (the launcher hands over to the front-end
# and the game through the stand-by window, each in a process of its own), with its exit code.
set -euo pipefail
# A process log the user names is theirs, wherever they named it from.
if [ -n "${WYN_PROCESS_LOG:-}" ]; then export WYN_PROCESS_LOG=$(realpath -m "$WYN_PROCESS_LOG"); fi
cd "$(dirname "$0")"
bash scripts/setup.sh
BUILD_DIR=$(cat .last-build-dir)
# The launcher, the program the user starts; WYN_MAIN names another program of the folder.
MAIN=${WYN_MAIN:-wynopen}
cd "$BUILD_DIR/bin"
# The game on its own plays the sample stage unless its airport and stage are given.
if [ "$MAIN" = wyntower ] && (($# == 0)); then set -- rjtt stage01; fi

# The process log tells which programs the set started and when each ended: the user's, read
# from its end as it is now, or one of this run's own.
OWN_LOG=
if [ -z "${WYN_PROCESS_LOG:-}" ]; then
    OWN_LOG=$(mktemp "${TMPDIR:-/tmp}/wyn-run.XXXXXX")
    trap 'rm -f "$OWN_LOG"' EXIT
    export WYN_PROCESS_LOG=$OWN_LOG
fi
SKIP=$(stat -c %s "$WYN_PROCESS_LOG" 2>/dev/null || echo 0)
this_run() { tail -c +$((SKIP + 1)) "$WYN_PROCESS_LOG" 2>/dev/null || true; }
alive() { [ -r "/proc/$1/stat" ] && ! awk '{ exit !($0 ~ /\) Z /) }' "/proc/$1/stat"; }

code=0
"./$MAIN" "$@" || code=$?
# "<date> <time> start <name> <pid> -> <new pid> <line>": wait until every started program
# has ended (logged its end, or is gone).
while :; do
    running=0
    while read -r _ _ kind _ _ _ child _; do
        if [ "$kind" = start ] && alive "$child" &&
            ! this_run | grep -q " end [^ ]* $child exit "; then
            running=1
        fi
    done < <(this_run)
    ((running)) || break
    sleep 0.5
done
# "<date> <time> end <name> <pid> exit <code>": the last program to end gives the exit code.
last=$(this_run | awk '$3 == "end" { c = $NF } END { print c }')
exit "${last:-$code}"
