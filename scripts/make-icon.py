#!/usr/bin/env python3
"""Writes the program's icon (32x32 and 16x16, 32-bit colour with alpha):
a teal tile with rounded corners and a white "T". Run once; the result is
committed as src/ui/resources/tessaro.ico.
Usage: make-icon.py OUTPUT"""
import struct
import sys

TILE = (0x8a, 0x7a, 0x10)   # B, G, R: a deep teal
MARK = (0xff, 0xff, 0xff)


def pixel(x, y, size):
    """BGRA of one pixel, (x, y) from the top-left corner."""
    radius = size // 6
    # Rounded corners: transparent outside the quarter circles.
    for cx, cy in ((radius, radius), (size - 1 - radius, radius),
                   (radius, size - 1 - radius), (size - 1 - radius, size - 1 - radius)):
        if (x < radius or x > size - 1 - radius) and (y < radius or y > size - 1 - radius):
            if (x - cx) ** 2 + (y - cy) ** 2 > radius ** 2 and abs(x - cx) <= radius and abs(y - cy) <= radius:
                return (0, 0, 0, 0)
    unit = size / 16.0
    bar = 3 <= x / unit < 13 and 3 <= y / unit < 6
    stem = 6.5 <= x / unit < 9.5 and 3 <= y / unit < 13
    b, g, r = MARK if bar or stem else TILE
    return (b, g, r, 0xff)


def image(size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA rows, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = bytearray()
        mask = bytearray(mask_stride)
        for x in range(size):
            b, g, r, a = pixel(x, y, size)
            row += bytes((b, g, r, a))
            if a == 0:
                mask[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    return header + b"".join(rows) + b"".join(mask_rows)


def main():
    sizes = (32, 16)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
