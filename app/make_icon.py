#!/usr/bin/env python3
"""Writes the program's icon (a white K on a green rounded square, 16x16 and 32x32,
32-bit with alpha) as an .ico file, so no binary image lives in the repository."""
import struct
import sys


def pixel(x, y, size):
    """BGRA of one pixel, in a unit square scaled to `size`."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    r = 0.18  # corner radius
    cx = min(max(u, r), 1 - r)
    cy = min(max(v, r), 1 - r)
    if (u - cx) ** 2 + (v - cy) ** 2 > r * r:
        return (0, 0, 0, 0)
    stroke = 0.13
    on_bar = 0.26 <= u <= 0.26 + stroke and 0.18 <= v <= 0.82
    # The two arms of the K meet the bar at mid-height.
    arm_up = abs((u - 0.39) - (0.50 - v) * 0.95) <= stroke * 0.7 and 0.18 <= v <= 0.52 and u >= 0.36
    arm_down = abs((u - 0.39) - (v - 0.50) * 0.95) <= stroke * 0.7 and 0.48 <= v <= 0.82 and u >= 0.36
    if on_bar or arm_up or arm_down:
        return (255, 255, 255, 255)
    shade = int(150 + 60 * (1 - v))
    return (40, shade, 30, 255)


def image(size):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        rows.append(b"".join(bytes(pixel(x, y, size)) for x in range(size)))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # alpha decides; the mask stays clear
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main(path):
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
