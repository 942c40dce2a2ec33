#!/usr/bin/env python3
"""Runs a Windows test program with pseudo-terminals standing in for COM5 and COM12.

Usage: pty_peer.py WINE PROGRAM [ARGUMENTS...]

Each port is a pty whose device side is linked into the Wine prefix as dosdevices/comN.
The controller side answers what the program sends: "?" with the device side's line
settings and its name ("<baud> <data bits> <parity> <stop bits> <rts/cts flow> <xon/xoff>
<port>\\r"), any other byte with itself. The devices start raw, XON/XOFF off, so every byte
value passes as long as the program leaves that setting alone. "!" takes the port away as an
unplugged adapter goes: its pty closes, and a new one comes back under the same link after
AWAY seconds. The program's exit status is passed on.
"""
import os
import select
import subprocess
import sys
import termios
import threading
import time
import tty

PORTS = ("com5", "com12")
AWAY = 0.5
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


def plug_in(link):
    """A new pty, raw, whose device side the link names; its controller and device ends."""
    controller, device = os.openpty()
    tty.setraw(device)
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(os.ttyname(device), link)
    return controller, device


def serve(ports, links, stop):
    away = {}
    while not stop.is_set():
        for port, back in list(away.items()):
            if time.monotonic() >= back:
                del away[port]
                ports[port] = plug_in(links[port])
        controllers = {controller: port for port, (controller, _) in ports.items()}
        ready, _, _ = select.select(list(controllers), [], [], 0.05)
        for controller in ready:
            port = controllers[controller]
            try:
                data = os.read(controller, 4096)
            except OSError:
                continue
            device = ports[port][1]
            if ord("!") in data:
                os.close(controller)
                os.close(device)
                del ports[port]
                away[port] = time.monotonic() + AWAY
                continue
            reply = b"".join(describe(device, port) if byte == ord("?")
                             else bytes([byte]) for byte in data)
            os.write(controller, reply)


def main():
    prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
    links = {port: os.path.join(prefix, "dosdevices", port) for port in PORTS}
    ports = {port: plug_in(link) for port, link in links.items()}
    stop = threading.Event()
    server = threading.Thread(target=serve, args=(ports, links, stop))
    server.start()
    try:
        status = subprocess.call(sys.argv[1:])
    finally:
        stop.set()
        server.join()
        for link in links.values():
            if os.path.lexists(link):
                os.unlink(link)
    sys.exit(status)


if __name__ == "__main__":
    main()
