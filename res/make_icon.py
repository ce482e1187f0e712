#!/usr/bin/env python3
"""Draws the program's icon, a red stopwatch on black, as one 48x48 32-bit
image with alpha, and writes it to timer.ico beside this script.

The committed timer.ico is this script's output; run it again only to change
the picture."""
import math
import os
import struct

SIZE = 48


def pixel(x, y):
    """Colour (b, g, r, a) of the pixel whose centre is (x + .5, y + .5), top row y = 0."""
    cx, cy = 24.0, 26.5
    px, py = x + 0.5, y + 0.5
    d = math.hypot(px - cx, py - cy)
    red = (0x20, 0x20, 0xE8, 0xFF)
    dark = (0x18, 0x18, 0x18, 0xFF)
    # Crown and button on top of the watch.
    if 21 <= px <= 27 and 2.5 <= py <= 6.5:
        return red
    if 23 <= px <= 25 and 6.5 <= py <= 9.5:
        return red
    if d > 19.5:
        return (0, 0, 0, 0)
    if d > 16.5:
        return red
    # The hand points to ten past: a thick line from the centre.
    angle = math.radians(-60)
    hx, hy = math.sin(-angle), -math.cos(-angle)
    t = (px - cx) * hx + (py - cy) * hy
    dist = abs((px - cx) * hy - (py - cy) * hx)
    if 0 <= t <= 13 and dist <= 1.6:
        return red
    if d <= 2.5:
        return red
    # Twelve marks around the dial.
    for mark in range(12):
        a = math.radians(mark * 30)
        mx, my = cx + 14 * math.sin(a), cy - 14 * math.cos(a)
        if math.hypot(px - mx, py - my) <= 1.3:
            return (0xC0, 0xC0, 0xC0, 0xFF)
    return dark


def main():
    rows = []
    mask_rows = []
    for y in reversed(range(SIZE)):  # bottom row first
        row = b"".join(struct.pack("4B", *pixel(x, y)) for x in range(SIZE))
        rows.append(row)
        bits = 0
        for x in range(SIZE):
            if pixel(x, y)[3] == 0:
                bits |= 1 << (SIZE - 1 - x)
        mask_rows.append(bits.to_bytes(SIZE // 8, "big") + b"\0\0")  # rows padded to 32 bits
    pixels = b"".join(rows)
    mask = b"".join(r[:8] for r in mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels), 0, 0, 0, 0)
    image = header + pixels + mask
    assert len(image) == 9640, len(image)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "timer.ico")
    with open(path, "wb") as f:
        f.write(directory + entry + image)


if __name__ == "__main__":
    main()
