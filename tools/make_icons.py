#!/usr/bin/env python3
"""Draws the program icons (a framed landscape photo) as .ico files with 32x32 and 16x16 images.

Usage: make_icons.py OUTDIR   -> OUTDIR/lumavex.ico (icon 128) and OUTDIR/small.ico (icon 141)
The files are checked in; run this again only to change the pictures.
"""
import struct
import sys


def photo(size):
    """Returns rows (top first) of (r, g, b, opaque) for a framed photo with sky, sun and hills."""
    rows = []
    border = max(1, size // 16)
    for y in range(size):
        row = []
        for x in range(size):
            inner = border <= x < size - border and border + size // 8 <= y < size - border - size // 16
            frame = (0 <= x < size) and (size // 8 - 1 <= y < size - size // 16 + 1)
            if not frame:
                row.append((0, 0, 0, False))
                continue
            if not inner:
                edge = x in (0, size - 1) or y in (size // 8 - 1, size - size // 16)
                row.append((60, 60, 60, True) if edge else (250, 250, 245, True))
                continue
            # Sun, hills and sky.
            sx, sy, sr = size * 0.70, size * 0.36, size * 0.12
            hill = size * 0.78 - 0.22 * size * (1 - ((x - size * 0.3) / (size * 0.6)) ** 2)
            if (x - sx) ** 2 + (y - sy) ** 2 <= sr * sr:
                row.append((255, 210, 40, True))
            elif y >= hill:
                row.append((40, 150, 60, True))
            else:
                t = (y - size / 8) / (size * 0.7)
                row.append((int(90 + 80 * t), int(150 + 60 * t), 235, True))
        rows.append(row)
    return rows


def dib(size):
    pixels = photo(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    stride = (size * 3 + 3) & ~3
    xor = b''
    for row in reversed(pixels):
        line = b''.join(bytes((b, g, r)) for r, g, b, _ in row)
        xor += line + b'\0' * (stride - len(line))
    mask_stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(pixels):
        bits = 0
        line = bytearray(mask_stride)
        for x, (_, _, _, opaque) in enumerate(row):
            if not opaque:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + xor + mask


def ico(sizes):
    images = [dib(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


if __name__ == '__main__':
    outdir = sys.argv[1] if len(sys.argv) > 1 else '.'
    with open(f'{outdir}/lumavex.ico', 'wb') as f:
        f.write(ico([32, 16]))
    with open(f'{outdir}/small.ico', 'wb') as f:
        f.write(ico([16]))
