#!/usr/bin/env python3
"""Writes comterm.ico: one 32 x 32 icon, the plug of a nine-pin serial cable on blue.

Usage: make-windows-icon.py OUTPUT.ico  (the Windows build keeps its result in
src/app/win32/comterm.ico; run again only when the picture changes).
"""
import struct
import sys

SIZE = 32
BLUE = (40, 70, 140)
SHELL = (220, 220, 225)
PIN = (40, 40, 40)


def in_rounded_square(x, y, radius=5.0):
    cx = min(max(x, radius), SIZE - radius)
    cy = min(max(y, radius), SIZE - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_shell(x, y):
    # The trapezoid from (4, 9)-(28, 9) at the top to (7, 23)-(25, 23) at the bottom.
    if not 9 <= y <= 23:
        return False
    inset = 3 * (y - 9) / 14
    return 4 + inset <= x <= 28 - inset


def on_pin(x, y):
    pins = [(8.5 + p * 3.75, 13.5) for p in range(5)] + [(10.4 + p * 3.75, 18.5) for p in range(4)]
    # At this size a pin is a small square; a round one would come out as a cross.
    return any(abs(x - px) <= 1.2 and abs(y - py) <= 1.2 for px, py in pins)


def colour_at(x, y):
    if on_pin(x, y):
        return PIN + (255,)
    if in_shell(x, y):
        return SHELL + (255,)
    if in_rounded_square(x, y):
        return BLUE + (255,)
    return (0, 0, 0, 0)


def pixel(x, y):
    # The colour most of sixteen points inside the pixel have: edges without smoothing,
    # which a one-bit mask could not show anyway.
    samples = [colour_at(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4)]
    return max(set(samples), key=samples.count)


def main():
    rows = []
    mask_rows = []
    for y in reversed(range(SIZE)):  # bottom row first
        colours = [pixel(x, y) for x in range(SIZE)]
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a) for r, g, b, a in colours))
        bits = 0
        for x, (_, _, _, a) in enumerate(colours):
            if a == 0:
                bits |= 1 << (31 - x)
        mask_rows.append(struct.pack(">I", bits))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    image = header + b"".join(rows) + b"".join(mask_rows)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + image)


if __name__ == "__main__":
    main()
