#!/usr/bin/env bash
# Cross-compiles the Windows build with MinGW-w64 and runs its tests under Wine.
# Needs g++-mingw-w64-x86-64-posix, wine, wine64 and xvfb-run (tools/install-packages.sh).
#
#   tools/test-windows.sh [build-folder] [--build-only]     (folder default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-windows
build_only=0
for argument in "$@"; do
    case $argument in
    --build-only) build_only=1 ;;
    -*) echo "usage: tools/test-windows.sh [build-folder] [--build-only]" >&2; exit 2 ;;
    *) dir=$argument ;;
    esac
done
export WINEDEBUG=-all

# Everything Wine starts, its desktop process included, must see the one virtual display the
# window tests use: a desktop started without a display leaves later windows unusable.
if [[ -z ${COMTERM_WINE_DISPLAY:-} ]]; then
    generator=()
    [ -f "$dir/CMakeCache.txt" ] || ! command -v ninja >/dev/null || generator=(-G Ninja)
    cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
        -DCOMTERM_WERROR=ON >/dev/null
    cmake --build "$dir" -j"$(nproc)"
    [ $build_only -eq 1 ] && exit 0
    exec env COMTERM_WINE_DISPLAY=1 xvfb-run -a "$0" "$dir"
fi
jobs=$(nproc)

# A Wine prefix of the build's own, so the ports linked into it and the server below touch
# nothing else. A server kept alive between test programs saves each of them seconds of
# start-up; it is started before the prefix is made or updated, so there is only ever one.
export WINEPREFIX=$PWD/$dir/wine-prefix
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true
wineserver -p >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true' EXIT
# The tests run in the Russian locale (cmake/mingw-w64.cmake); the prefix is made in it too, or
# the first test programs would find it changed and rework it while others start.
env LC_ALL=ru_RU.UTF-8 wineboot --init >/dev/null 2>&1 || true
# The virtual display has no window manager: Wine is told so, or it waits two seconds for one
# each time a shown window goes away.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# The test programs that show windows run one at a time; a Wine process living through the
# whole run keeps the desktop up between them, or each would wait for a desktop of its own.
wine cmd /c "ping -n 86400 127.0.0.1 >nul" >/dev/null 2>&1 &

ctest --test-dir "$dir" -j"$jobs" --output-on-failure --timeout 120
