#!/usr/bin/env python3
"""Draws the embark icon (a white bow of a ship on a teal tile, riding an
orange wave) and writes it as embark.ico with 16, 32 and 48 pixel images."""
import struct
import sys


def pixel(x, y, size):
    # Work in a unit square, y growing downwards.
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    r = 0.18  # corner radius of the tile
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    # The bow: a triangle pointing up and right.
    if 0.22 <= v <= 0.64 and u >= 0.28 and (u - 0.28) <= (v - 0.22) * 1.25 + 0.02 and u <= 0.80:
        return (255, 255, 255, 255)
    # The wave: a band below the bow.
    wave_top = 0.70 + 0.05 * (1 if int(u * 4) % 2 == 0 else -1) * (u * 4 % 1)
    if wave_top <= v <= wave_top + 0.09 and 0.12 <= u <= 0.88:
        return (255, 153, 51, 255)
    return (0, 128, 128, 255)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bitmaps are stored bottom-up
        row = b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in (pixel(x, y, size) for x in range(size)))
        rows.append(row)
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "embark.ico")
