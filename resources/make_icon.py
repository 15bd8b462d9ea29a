#!/usr/bin/env python3
"""Draws the embark icon (a white bow of a ship on a teal tile, riding an
orange wave) and writes it as embark.ico with 16, 32 and 48 pixel images.
The drawing has three colours and hard edges, so each image is a 16-colour
bitmap with a transparency mask: a fifth of the size of 32-bit images, and
read by every Windows version."""
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


PALETTE = [(0, 0, 0), (255, 255, 255), (255, 153, 51), (0, 128, 128)]  # index 0: under the mask


def packed_row(bits, per_byte):
    """Pixels of 8 / per_byte bits each, padded to whole 32-bit words."""
    width = 8 // per_byte
    data = bytearray()
    for i in range(0, len(bits), per_byte):
        byte = 0
        for j, value in enumerate(bits[i:i + per_byte]):
            byte |= value << (8 - width * (j + 1))
        data.append(byte)
    return bytes(data) + b"\0" * (-len(data) % 4)


def image(size):
    colours, masks = [], []
    for y in reversed(range(size)):  # bitmaps are stored bottom-up
        row = [pixel(x, y, size) for x in range(size)]
        colours.append(packed_row([PALETTE.index(p[:3]) if p[3] else 0 for p in row], 2))
        masks.append(packed_row([0 if p[3] else 1 for p in row], 8))
    xor, and_mask = b"".join(colours), b"".join(masks)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE + [(0, 0, 0)] * (16 - len(PALETTE)))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(and_mask), 0, 0, 16, 0)
    return header + palette + xor + and_mask


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "embark.ico")
