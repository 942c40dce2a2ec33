#!/usr/bin/env bash
# Builds comterm and starts it, with a demo device on COM256 for machines without a serial port.
# Options are the demo device's: `tools/run.sh --reset 5` makes it reset every 5 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "comterm needs a display and none is set here: on a desktop session run tools/run.sh;" \
         "to try it on a virtual screen: tools/install-packages.sh && xvfb-run -a tools/run.sh"
    exit 1
fi

tools/install-packages.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target comterm demo-device

build/demo-device "$@" build/ports/COM256 &
demo=$!
# Ended at once: it was asked for its usage, or given options it does not know.
sleep 0.2
if ! kill -0 "$demo" 2>/dev/null; then
    wait "$demo" && exit 0 || exit $?
fi
trap 'kill "$demo" 2>/dev/null || true; wait "$demo" 2>/dev/null || true' EXIT
echo "A demo device is connected as COM256: choose COM256 in the port list and press Соединить."
build/comterm
