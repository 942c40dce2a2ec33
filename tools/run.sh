#!/usr/bin/env bash
# Builds comterm and starts it, with a demo device on COM256 for machines without a serial port.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-packages.sh
cmake -S . -B build -DCOMTERM_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target comterm demo-device

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "comterm needs a display: none is set here. Run it on a virtual one with" \
         "'xvfb-run -a tools/run.sh', or log in to a desktop and run tools/run.sh there."
    exit 1
fi

build/demo-device build/ports/COM256 &
demo=$!
trap 'kill "$demo" 2>/dev/null || true; wait "$demo" 2>/dev/null || true' EXIT
echo "A demo device is connected as COM256: choose COM256 in the port list and press Соединить."
build/comterm
