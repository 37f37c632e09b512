#!/usr/bin/env python3
"""Draws Korvid.exe's icon (a mouse silhouette on a dark rounded square) and
writes it as resources/korvid.ico in the sizes 16, 24, 32, 48, 64, 128 and 256.
Run it again only to change the picture; the build uses the committed file."""
import math
import struct
import sys

SIZES = [16, 24, 32, 48, 64, 128, 256]
BACKGROUND = (0x26, 0x2B, 0x33)
BODY = (0x2E, 0xC4, 0xB6)
WHEEL = (0xF2, 0xF5, 0xF7)


def coverage(inside, x, y, samples=4):
    hit = 0
    for i in range(samples):
        for j in range(samples):
            if inside(x + (i + 0.5) / samples, y + (j + 0.5) / samples):
                hit += 1
    return hit / (samples * samples)


def draw(size):
    s = float(size)
    radius = s * 0.2

    def rounded_square(px, py):
        cx = min(max(px, radius), s - radius)
        cy = min(max(py, radius), s - radius)
        return (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2

    def mouse_body(px, py):
        dx = (px - s / 2) / (s * 0.27)
        dy = (py - s * 0.54) / (s * 0.37)
        return dx * dx + dy * dy <= 1.0

    def wheel(px, py):
        return abs(px - s / 2) <= max(s * 0.035, 0.6) and s * 0.26 <= py <= s * 0.42

    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            a_bg = coverage(rounded_square, x, y)
            a_body = coverage(mouse_body, x, y)
            a_wheel = coverage(wheel, x, y)
            color = [c * a_bg for c in BACKGROUND]
            color = [c * (1 - a_body) + b * a_body for c, b in zip(color, BODY)]
            color = [c * (1 - a_wheel) + w * a_wheel for c, w in zip(color, WHEEL)]
            alpha = max(a_bg, a_body)
            if alpha > 0:
                color = [min(255, round(c / max(a_bg, 1e-9))) if a_bg > 0 else round(c) for c in color]
            row.append((color, round(alpha * 255)))
        pixels.append(row)
    return pixels


def bmp_entry(size, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in reversed(range(size)):
        for (r, g, b), a in pixels[y]:
            xor += bytes((int(b), int(g), int(r), a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        bits = bytearray(mask_row)
        for x in range(size):
            if pixels[y][x][1] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def main(path):
    images = [(size, bmp_entry(size, draw(size))) for size in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size == 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/korvid.ico")
