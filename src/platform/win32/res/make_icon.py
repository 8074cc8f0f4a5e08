#!/usr/bin/env python3
"""Draws the program icon (a clipboard with lines of text on a sky-blue tile) and writes
kolvex20.ico with 16, 32 and 48 pixel images. Run it again after changing the drawing."""
import struct
import sys
from pathlib import Path


def pixel(x, y, n):
    """RGBA of pixel (x, y) on an n x n icon, drawn on a 16 x 16 design grid."""
    u, v = (x + 0.5) * 16 / n, (y + 0.5) * 16 / n
    # Rounded tile.
    r = 3.0
    cx = min(max(u, r), 16 - r)
    cy = min(max(v, r), 16 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    colour = (0x2E, 0x86, 0xC1, 255)
    # Board.
    if 3 <= u < 13 and 2.5 <= v < 14.5:
        colour = (0x8B, 0x5A, 0x2B, 255)
    # Paper.
    if 4 <= u < 12 and 4 <= v < 13.5:
        colour = (255, 255, 255, 255)
        # Lines of text.
        for top in (6, 8, 10):
            if top <= v < top + 0.9 and 5 <= u < (11 if top != 10 else 9):
                colour = (0x40, 0x40, 0x40, 255)
    # Clip.
    if 6 <= u < 10 and 1.5 <= v < 4.5:
        colour = (0xB0, 0xB0, 0xB8, 255)
    return colour


def image(n):
    """One ICO image: a 32-bit BITMAPINFOHEADER, bottom-up BGRA pixels, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(n)):
        row = bytearray()
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_row = ((n + 31) // 32) * 4
    mask = bytes(mask_row * n)  # transparency comes from the alpha channel
    return header + b"".join(rows) + mask


def main():
    sizes = (16, 32, 48)
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("kolvex20.ico")
    target.write_bytes(out)


if __name__ == "__main__":
    main()
