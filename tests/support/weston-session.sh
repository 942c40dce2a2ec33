#!/bin/sh
# Runs a command as a client of a private Wayland desktop without an X server: weston on its
# headless backend, with the variables a desktop session sets.
set -eu
runtime=$(mktemp -d "${TMPDIR:-/tmp}/comterm-weston-XXXXXX")
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --idle-time=0 \
    --socket=wayland-0 --log="$runtime/weston.log" &
weston=$!
trap 'kill "$weston" 2>/dev/null || true; wait "$weston" 2>/dev/null || true; rm -rf "$runtime"' EXIT
tries=0
until [ -S "$runtime/wayland-0" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 400 ] || ! kill -0 "$weston" 2>/dev/null; then
        echo "weston did not start:" >&2
        cat "$runtime/weston.log" >&2
        exit 1
    fi
    sleep 0.05
done
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland "$@"
