#!/bin/sh
# Idle processor time of whole programs on one X server, each in turn for SECONDS (default 60)
# after its start-up: the floor (an empty Qt program with a 40 ms timer), then each comterm
# given, with its port closed (auto-connect off) and open (on a pseudo-terminal that sends
# nothing, opened by auto-connect). The time is the sum over the process's threads.
#
#     xvfb-run -a bench/idle.sh [-s SECONDS] IDLE_FLOOR COMTERM...
set -eu

seconds=60
if [ "${1:-}" = "-s" ]; then
    seconds=$2
    shift 2
fi
floor=$1
shift

# Processor nanoseconds of all threads of a process.
cpu_ns() {
    cat /proc/"$1"/task/*/schedstat | awk '{ sum += $1 } END { print sum }'
}

# Runs a started process for the given seconds and prints its share of a core.
measure() { # name pid
    before=$(cpu_ns "$2")
    sleep "$seconds"
    after=$(cpu_ns "$2")
    echo "$1: $(echo "$before $after $seconds" |
        awk '{ printf "%.3f %% of one core, %.1f us per 40 ms tick", ($2 - $1) / ($3 * 1e7), ($2 - $1) / ($3 * 25 * 1e3) }')"
}

"$floor" $((seconds + 5)) >/dev/null &
floor_pid=$!
sleep 2
measure "floor (empty Qt program, 40 ms timer)" $floor_pid
kill $floor_pid

for comterm in "$@"; do
    for state in closed open; do
        dir=$(mktemp -d)
        cp "$comterm" "$dir/comterm"
        mkdir "$dir/ports"
        # A pseudo-terminal that sends nothing, as COM250.
        python3 -c 'import os, pty, sys, time
controller, device = pty.openpty()
os.symlink(os.ttyname(device), sys.argv[1])
time.sleep(1e6)' "$dir/ports/COM250" &
        pty_pid=$!
        autoconnect=0
        [ $state = open ] && autoconnect=1
        printf 'Port = COM250\r\nBauds = 115200\r\nInMode = 0\r\nLog = 0\r\nAutoConnect = %s\r\n' \
            $autoconnect >"$dir/Setting.ini"
        "$dir/comterm" &
        pid=$!
        # Auto-connect tries after 10 s.
        sleep 12
        if [ $state = open ] && ! ls -l /proc/$pid/fd | grep -q /dev/pts; then
            echo "$comterm: the port did not open" >&2
        fi
        measure "$comterm, port $state" $pid
        kill $pid $pty_pid
        wait $pid $pty_pid 2>/dev/null || true
        rm -rf "$dir"
    done
done
