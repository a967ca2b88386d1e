#!/usr/bin/env python3
"""Draws the program icon (a camera lens on the brand blue) as a .ico file
with 16, 32 and 48 pixel images, each a 32-bit BMP with alpha."""
import math
import struct
import sys

BLUE = (0x00, 0xA8, 0xE2)
DARK = (0x1E, 0x1E, 0x1E)
WHITE = (0xFF, 0xFF, 0xFF)


def pixel(size: int, x: int, y: int):
    """Colour and coverage of one pixel, sampled 4x4 for smooth edges."""
    samples = []
    for sy in range(4):
        for sx in range(4):
            px = (x + (sx + 0.5) / 4) / size * 2 - 1
            py = (y + (sy + 0.5) / 4) / size * 2 - 1
            r = math.hypot(px, py)
            if r > 0.96:
                samples.append(None)
            elif r > 0.80:
                samples.append(BLUE)
            elif r > 0.52:
                samples.append(DARK)
            elif math.hypot(px + 0.18, py + 0.18) < 0.14:
                samples.append(WHITE)
            else:
                samples.append(BLUE if r < 0.30 else DARK)
    hits = [s for s in samples if s is not None]
    if not hits:
        return (0, 0, 0, 0)
    rgb = [sum(c[i] for c in hits) // len(hits) for i in range(3)]
    return (rgb[0], rgb[1], rgb[2], 255 * len(hits) // len(samples))


def bmp_image(size: int) -> bytes:
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bottom-up
        row = bytearray()
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)  # alpha decides; the AND mask stays clear
    return header + b"".join(rows) + mask


def main(out_path: str) -> None:
    sizes = [16, 32, 48]
    images = [bmp_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(out_path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
