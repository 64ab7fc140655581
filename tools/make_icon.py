#!/usr/bin/env python3
"""Draws the program's window icon (sys/kv.ic): a module face with a status lamp and a pulse
train, as a 32x32 and a 16x16 image in the Windows icon format."""
import struct
import sys


def draw(size):
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 32.0
    for y in range(size):
        for x in range(size):
            fx, fy = x / s, y / s
            # rounded module body
            inside = 2 <= fx < 30 and 3 <= fy < 29
            corner = min(abs(fx - 2), abs(fx - 30)) < 3 and min(abs(fy - 3), abs(fy - 29)) < 3
            if inside and not (corner and ((fx - (5 if fx < 16 else 27)) ** 2 +
                                            (fy - (6 if fy < 16 else 26)) ** 2) > 9):
                px[y][x] = (30, 60, 120, 255)
            # terminal strip
            if inside and 23 <= fy < 27 and int(fx) % 4 in (1, 2) and 5 <= fx < 27:
                px[y][x] = (200, 200, 200, 255)
            # status lamp
            if (fx - 24) ** 2 + (fy - 9) ** 2 <= 9:
                px[y][x] = (0, 255, 0, 255)
    # pulse train: the line's bits
    level = [1, 0, 0, 1, 1, 0, 1, 0]
    for i, bit in enumerate(level):
        for fx in range(5 + 2 * i, 7 + 2 * i):
            fy = 12 if bit else 17
            x, y = int(fx * s), int(fy * s)
            if x < size and y < size:
                px[y][x] = (255, 255, 255, 255)
        if i and level[i - 1] != bit:
            x = int((5 + 2 * i) * s)
            for fy in range(12, 18):
                px[int(fy * s)][x] = (255, 255, 255, 255)
    return px


def bmp_entry(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''.join(bytes(c for (r, g, b, a) in row for c in (b, g, r, a)) for row in reversed(px))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + rows + mask


def main(path):
    images = [bmp_entry(32), bmp_entry(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'sys/kv.ic')
