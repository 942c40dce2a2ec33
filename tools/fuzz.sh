#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each one for the given number of
# seconds (default 60), starting from a scratch copy of its committed seed corpus. Exits non-zero
# when any target finds a crash, a leak, a timeout or a broken invariant, naming the input kept.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build-fuzz
findings=$build/findings
logs=$build/fuzz-logs

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2
mkdir -p "$findings" "$logs"

# The settings target saves files with a sync to the disk each run; memory is faster.
base=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
scratch=$(mktemp -d "$base/comterm-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

status=0
for source in fuzz/*_fuzzer.cpp; do
    target=$(basename "$source" _fuzzer.cpp)
    corpus=$scratch/corpus/$target
    mkdir -p "$corpus"
    if [ -d "fuzz/corpus/$target" ]; then
        cp -r "fuzz/corpus/$target/." "$corpus/"
    fi
    log=$logs/$target.log
    if TMPDIR=$scratch "$build/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
        "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz $target: ${seconds}s, ${runs:-?} runs, no finding"
    else
        status=1
        echo "fuzz $target: FINDING (log: $log)"
        grep -E 'invariant failed|ERROR:|SUMMARY:' "$log" | head -5 || true
        sed -n "s/.*Test unit written to \(.*\)$/  input kept: \1/p" "$log" | sort -u
    fi
done
exit $status
