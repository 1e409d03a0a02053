#!/usr/bin/env python3
"""Draws the installer's icon (a light "T" on a rounded teal tile) and
writes it as a Windows .ico with 16, 32 and 48 pixel 32-bit images."""
import struct
import sys


def pixel(size, x, y):
    """RGBA of one pixel: rounded tile, vertical gradient, a bar-and-stem T."""
    r = size * 0.22
    cx = min(max(x + 0.5, r), size - r)
    cy = min(max(y + 0.5, r), size - r)
    if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    u, v = (x + 0.5) / size, (y + 0.5) / size
    bar = 0.22 <= v <= 0.36 and 0.2 <= u <= 0.8
    stem = 0.36 < v <= 0.8 and 0.42 <= u <= 0.58
    if bar or stem:
        return (250, 246, 232, 255)
    t = v
    return (int(20 + 30 * t), int(140 - 60 * t), int(150 - 40 * t), 255)


def icon_image(size):
    """BITMAPINFOHEADER + bottom-up BGRA rows + AND mask, as .ico wants."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):
        row = b""
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            row += bytes((b, g, r, a))
        rows.append(row)
    mask_row = b"\0" * (((size + 31) // 32) * 4)
    return header + b"".join(rows) + mask_row * size


def main(path):
    sizes = (16, 32, 48)
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
