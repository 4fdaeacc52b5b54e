#!/usr/bin/env python3
"""Draws the Find dialog's search animation: a magnifying glass circling over a page, as an
uncompressed 8-bit AVI (32 x 32, 8 frames, 8 frames a second) that the animation control plays.

Usage: make_find_clip.py OUT.avi   (the file is checked in as app/res/find.avi)
"""
import math
import struct
import sys

SIZE = 32
FRAMES = 8
# Palette: 0 the dialog face (the control's transparent colour: the first pixel), then the page,
# its lines, the glass's rim, the glass and the handle.
PALETTE = [(192, 192, 192), (255, 255, 255), (128, 128, 128), (0, 0, 0), (160, 200, 255), (128, 64, 0)]


def frame(step):
    """Returns rows of palette indices, top row first."""
    pixels = [[0] * SIZE for _ in range(SIZE)]
    for y in range(4, 28):
        for x in range(7, 25):
            edge = x in (7, 24) or y in (4, 27)
            pixels[y][x] = 2 if edge else 1
        if 8 <= y <= 24 and y % 4 == 0:
            for x in range(10, 22):
                pixels[y][x] = 2
    angle = 2 * math.pi * step / FRAMES
    cx = 15 + 5 * math.cos(angle)
    cy = 14 + 5 * math.sin(angle)
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x - cx, y - cy)
            if d <= 4.0:
                pixels[y][x] = 4
            elif d <= 5.5:
                pixels[y][x] = 3
            # The handle runs down to the right.
            t = ((x - cx) + (y - cy)) / 2
            if 5 <= t <= 10 and abs((x - cx) - (y - cy)) <= 1.5:
                pixels[y][x] = 5
    return pixels


def chunk(fourcc, data):
    pad = b"\0" if len(data) % 2 else b""
    return fourcc + struct.pack("<I", len(data)) + data + pad


def riff_list(kind, fourcc, body):
    return kind + struct.pack("<I", len(body) + 4) + fourcc + body


def main(path):
    stride = (SIZE + 3) & ~3
    frame_bytes = stride * SIZE
    frames = []
    for step in range(FRAMES):
        rows = frame(step)
        data = b"".join(bytes(row) + b"\0" * (stride - SIZE) for row in reversed(rows))  # bottom-up
        frames.append(data)
    avih = struct.pack("<IIIIIIIIII16x", 125000, frame_bytes * 8, 0, 0x10, FRAMES, 0, 1, frame_bytes, SIZE, SIZE)
    strh = b"vids" + b"DIB " + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, 8, 0, FRAMES, frame_bytes, 0xFFFFFFFF,
                                           0, 0, 0, SIZE, SIZE)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (256 * 4 - len(palette))
    strf = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 8, 0, frame_bytes, 0, 0, 256, 0) + palette
    strl = riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", strf))
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) + strl)
    movi_body = b""
    index = b""
    for data in frames:
        offset = 4 + len(movi_body)  # from the 'movi' fourcc
        movi_body += chunk(b"00db", data)
        index += b"00db" + struct.pack("<III", 0x10, offset, len(data))
    movi = riff_list(b"LIST", b"movi", movi_body)
    body = hdrl + movi + chunk(b"idx1", index)
    with open(path, "wb") as out:
        out.write(riff_list(b"RIFF", b"AVI ", body))


if __name__ == "__main__":
    main(sys.argv[1])
