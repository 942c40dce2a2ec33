#!/usr/bin/env bash
# The Windows build's emulator: runs a program under Wine in the Russian locale, whose ANSI code
# page is Windows-1251 as on the systems the program is made for.
#
#   wine-run.sh WINE PROGRAM [ARGUMENTS...]
#
# Under load Wine now and then ends at once, with a failure status and nothing printed, before
# the program has started (seen beside the fuzzers in about one of a few hundred starts). Such a
# start is made once more. A program that printed anything, as every test program does first,
# is never run again: its status stands.
set -u
wine=$1
shift
printed=$(mktemp)
trap 'rm -f "$printed"' EXIT
trap 'kill -TERM "$pid" 2>/dev/null; wait "$pid"; cat "$printed"; exit 143' TERM INT
for attempt in 1 2; do
    LC_ALL=ru_RU.UTF-8 "$wine" "$@" >"$printed" &
    pid=$!
    wait "$pid"
    status=$?
    if [ "$status" -eq 0 ] || [ -s "$printed" ] || [ "$attempt" -eq 2 ]; then
        cat "$printed"
        exit "$status"
    fi
    echo "wine-run.sh: Wine ended with status $status before the program started; starting it again" >&2
done
