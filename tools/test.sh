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
report() {
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
stage "windows tests" tools/test-windows.sh
stage "fuzz build" tools/fuzz.sh --build-only
stage "fuzzing" tools/fuzz.sh 10
