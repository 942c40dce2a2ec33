#!/usr/bin/env python3
"""Runs a Windows test program with pseudo-terminals standing in for COM5 and COM12.

Usage: pty_peer.py WINE PROGRAM [ARGUMENTS...]

Each port is a pty whose device side is linked into the Wine prefix as dosdevices/comN.
The controller side answers what the program sends: "?" with the device side's line
settings and its name ("<baud> <data bits> <parity> <stop bits> <rts/cts flow> <xon/xoff>
<port>\\r"), any other byte with itself. The devices start raw, XON/XOFF off, so every byte
value passes as long as the program leaves that setting alone. The program's exit status is
passed on.
"""
import os
import select
import subprocess
import sys
import termios
import threading
import tty

PORTS = ("com5", "com12")
SPEEDS = {getattr(termios, name): int(name[1:]) for name in dir(termios)
          if name.startswith("B") and name[1:].isdigit()}


def describe(device, port):
    iflag, oflag, cflag, lflag, ispeed, ospeed, cc = termios.tcgetattr(device)
    bits = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}
    return "{} {} {} {} {} {} {}\r".format(
        SPEEDS.get(ospeed, ospeed),
        bits[cflag & termios.CSIZE],
        "parity" if cflag & termios.PARENB else "noparity",
        "twostop" if cflag & termios.CSTOPB else "onestop",
        "crtscts" if cflag & termios.CRTSCTS else "noflow",
        "xon" if iflag & termios.IXON else "noxon",
        port).encode()


def serve(pairs, stop):
    controllers = {controller: (device, port) for port, (controller, device)
                   in zip(PORTS, pairs)}
    while not stop.is_set():
        ready, _, _ = select.select(list(controllers), [], [], 0.05)
        for controller in ready:
            try:
                data = os.read(controller, 4096)
            except OSError:
                continue
            reply = b"".join(describe(*controllers[controller]) if byte == ord("?")
                             else bytes([byte]) for byte in data)
            os.write(controller, reply)


def main():
    prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
    links = [os.path.join(prefix, "dosdevices", name) for name in PORTS]
    pairs = [os.openpty() for _ in PORTS]
    for _, device in pairs:
        tty.setraw(device)
    for link, (_, device) in zip(links, pairs):
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(os.ttyname(device), link)
    stop = threading.Event()
    server = threading.Thread(target=serve, args=(pairs, stop))
    server.start()
    try:
        status = subprocess.call(sys.argv[1:])
    finally:
        stop.set()
        server.join()
        for link in links:
            os.unlink(link)
    sys.exit(status)


if __name__ == "__main__":
    main()
