#!/bin/sh
# The program under a stream from a pseudo-terminal, beside a plain reader of the same stream
# (a loop of poll and read, nothing shown), in rounds, through the soak's runs (tests/soak):
# paced at 1,000,000 B/s in hexadecimal with the log on, flat out in hexadecimal and in
# characters, and paced at 104,858 and 300,000 B/s. Another build's soak, given second, runs
# the paced rounds too, for comparison.
#
#     bench/pace.sh [-s SECONDS] [-r ROUNDS] SOAK [OTHER_SOAK]
set -eu

seconds=20
rounds=1
while [ $# -gt 0 ]; do
    case $1 in
    -s) seconds=$2; shift 2 ;;
    -r) rounds=$2; shift 2 ;;
    *) break ;;
    esac
done
soak=$1
other=${2:-}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

run() { # title command...
    echo "== $1"
    shift
    "$@" --seconds "$seconds" 2>/dev/null || true
}

round=1
while [ $round -le "$rounds" ]; do
    echo "#### round $round"
    for baud in 10000000 1048580 3000000; do
        run "reference, $((baud / 10)) B/s" "$soak" --reference --baud $baud
        run "comterm, $((baud / 10)) B/s, hexadecimal, log on" "$soak" --baud $baud --report-limits
        [ -z "$other" ] || run "other comterm, $((baud / 10)) B/s, hexadecimal, log on" \
            "$other" --baud $baud --report-limits
    done
    run "reference, flat out" "$soak" --reference --flat-out
    run "comterm, flat out, hexadecimal, log on" "$soak" --flat-out --report-limits
    run "comterm, flat out, characters, log on" "$soak" --flat-out --char --report-limits
    round=$((round + 1))
done
