#!/usr/bin/env bash
# Builds comterm and runs every test: once as it ships, once under AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows build under Wine, and every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-packages.sh
jobs=$(nproc)

run_suite() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCOMTERM_TESTS=ON -DCOMTERM_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" -j"$jobs" --output-on-failure
}

run_suite build
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-asan -DCOMTERM_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug

tools/test-windows.sh

# Every fuzz target for a minute; any finding fails the run.
tools/fuzz.sh 60
