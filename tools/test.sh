#!/usr/bin/env bash
# Builds comterm and runs every test: the build as it ships, the same under AddressSanitizer
# and UndefinedBehaviorSanitizer, the Windows build under Wine, and every fuzz target briefly.
# At the end it prints how long each stage took.
#
#   tools/test.sh           everything, as CI runs it
#   tools/test.sh --quick   between commits: rebuilds build/ and runs its tests but the soak
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
case ${1:-} in
--quick) quick=1 ;;
"") ;;
*) echo "usage: tools/test.sh [--quick]" >&2; exit 2 ;;
esac

tools/install-packages.sh
jobs=$(nproc)

times=()
# Runs one stage and notes its time, also when it fails.
stage() {
    local name=$1 start=$SECONDS status=0
    shift
    echo "==== $name"
    "$@" || status=$?
    times+=("$(printf '%-22s %4d s' "$name" $((SECONDS - start)))$([ $status -eq 0 ] || echo '  FAILED')")
    return $status
}
# A stage run beside the next ones: its output is shown, and its time noted, once it is waited for.
beside_pid=""
start_beside() {
    beside_name=$1
    beside_start=$SECONDS
    beside_log=$(mktemp)
    shift
    # A session of its own, so that a failed run can stop it with everything it started.
    setsid nice -n 19 "$@" >"$beside_log" 2>&1 &
    beside_pid=$!
}
finish_beside() {
    local status=0
    wait "$beside_pid" || status=$?
    beside_pid=""
    echo "==== $beside_name (beside the stages above)"
    cat "$beside_log"
    rm -f "$beside_log"
    times+=("$(printf '%-22s %4d s' "$beside_name" $((SECONDS - beside_start)))$([ $status -eq 0 ] || echo '  FAILED')")
    return $status
}

report() {
    [ -z "$beside_pid" ] || kill -- "-$beside_pid" 2>/dev/null || true
    [ ${#times[@]} -gt 0 ] || return 0
    echo
    echo "Stage times:"
    printf '  %s\n' "${times[@]}" "$(printf '%-22s %4d s' total "$SECONDS")"
}
trap report EXIT

# A new build folder is made for Ninja; one made earlier keeps its generator.
build() {
    local dir=$1
    shift
    local generator=()
    [ -f "$dir/CMakeCache.txt" ] || generator=(-G Ninja)
    cmake -S . -B "$dir" "${generator[@]}" -DCOMTERM_TESTS=ON -DCOMTERM_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j"$jobs"
}

# Most tests wait on timers, pseudo-terminals and X servers rather than compute, so twice as
# many run at once as there are processors.
run_tests() {
    local dir=$1
    shift
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" -j$((2 * jobs)) --output-on-failure "$@"
}

sanitized() {
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 "$@"
}

if [ $quick -eq 1 ]; then
    stage "build" build build
    stage "tests" run_tests build -LE soak
    exit 0
fi

stage "build" build build
stage "tests" run_tests build
stage "sanitizer build" build build-asan -DCOMTERM_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
stage "sanitizer tests" sanitized run_tests build-asan
stage "windows build" tools/test-windows.sh --build-only
# The Windows tests mostly wait for Wine, one window at a time: meanwhile the fuzz targets are
# built and run, at the lowest priority, so that they take only the time the tests leave.
start_beside "fuzz build and fuzzing" tools/fuzz.sh 10
stage "windows tests" tools/test-windows.sh
finish_beside
