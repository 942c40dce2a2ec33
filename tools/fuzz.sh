#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, replays each target's corpus in fuzz/corpus/
# and fuzzes it for the given number of seconds (default 10), as many targets at a time as there
# are processors. Exits non-zero when any target finds a crash, a leak, a timeout or a broken
# invariant, naming the input kept.
#
#   tools/fuzz.sh [seconds] [--update-corpus]   fuzz; with --update-corpus, merge what the run
#                                                found into fuzz/corpus/, minimised
#   tools/fuzz.sh --build-only
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=10
update=0
build_only=0
for argument in "$@"; do
    case $argument in
    --update-corpus) update=1 ;;
    --build-only) build_only=1 ;;
    [0-9]*) seconds=$argument ;;
    *) echo "usage: tools/fuzz.sh [seconds] [--update-corpus] | --build-only" >&2; exit 2 ;;
    esac
done

build=build-fuzz
findings=$build/findings
logs=$build/fuzz-logs

cmake -S fuzz -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"
[ $build_only -eq 1 ] && exit 0
mkdir -p "$findings" "$logs"

# The settings target saves files with a sync to the disk each run; memory is faster.
base=${TMPDIR:-/tmp}
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
scratch=$(mktemp -d "$base/comterm-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

# Replays the committed corpus, then fuzzes from a scratch copy of it, so the tree stays as it is.
fuzz_target() {
    local target=$1
    local corpus=$scratch/corpus/$target
    local log=$logs/$target.log
    mkdir -p "$corpus"
    cp -r "fuzz/corpus/$target/." "$corpus/"
    if TMPDIR=$scratch "$build/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$target-" \
        "$corpus" >"$log" 2>&1; then
        local runs
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz $target: $(ls "fuzz/corpus/$target" | wc -l) inputs replayed," \
            "${seconds}s, ${runs:-?} runs, no finding"
    else
        echo "fuzz $target: FINDING (log: $log)"
        grep -E 'invariant failed|ERROR:|SUMMARY:' "$log" | head -5 || true
        sed -n "s/.*Test unit written to \(.*\)$/  input kept: \1/p" "$log" | sort -u
        return 1
    fi
}

# Keeps the smallest set of inputs that covers what the committed and the new ones cover.
update_corpus() {
    local target=$1
    local merged=$scratch/merged/$target
    mkdir -p "$merged"
    TMPDIR=$scratch "$build/${target}_fuzzer" -merge=1 -timeout=10 -rss_limit_mb=2048 \
        "$merged" "fuzz/corpus/$target" "$scratch/corpus/$target" >"$logs/$target-merge.log" 2>&1
    rm -rf "fuzz/corpus/$target"
    mv "$merged" "fuzz/corpus/$target"
    echo "corpus $target: $(ls "fuzz/corpus/$target" | wc -l) inputs"
}

status=0
running=0
for source in fuzz/*_fuzzer.cpp; do
    if [ $running -ge "$(nproc)" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
    fuzz_target "$(basename "$source" _fuzzer.cpp)" &
    running=$((running + 1))
done
while [ $running -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done

if [ $update -eq 1 ] && [ $status -eq 0 ]; then
    for source in fuzz/*_fuzzer.cpp; do
        update_corpus "$(basename "$source" _fuzzer.cpp)"
    done
fi
exit $status
