#!/usr/bin/env python3
"""Draws the program's bitmap resources as uncompressed .bmp files.

Usage: make_bitmaps.py OUTDIR   -> OUTDIR/toolbar.bmp   (bitmap 128, 14 toolbar buttons, 16 x 15 each)
                                   OUTDIR/tree.bmp      (bitmap 101, 7 folder tree images, 16 x 15 each)
                                   OUTDIR/smallpic.bmp  (bitmap 134, the report mode picture, 16 x 16)
                                   OUTDIR/favorites.bmp (bitmap 135, favorites menu images, 16 x 15 each)
The files are checked in; run this again only to change the pictures.

Every image is a grid of letters, one per pixel, looked up in PALETTE. '.' is the background of the
strip: button face grey in the toolbar (mapped to the system colours when it is loaded), magenta in
the tree and favorites strips and white in the small picture (the mask colours of their image lists).
The toolbar is written with the 16-colour palette so that its colour table can be remapped; the
other bitmaps are 24-bit.
"""
import struct
import sys

# The 16 colours of the standard VGA palette, in their usual order, plus a few softer shades for
# the 24-bit bitmaps.
VGA = [
    ('k', (0, 0, 0)), ('R', (128, 0, 0)), ('G', (0, 128, 0)), ('Y', (128, 128, 0)),
    ('B', (0, 0, 128)), ('M', (128, 0, 128)), ('C', (0, 128, 128)), ('s', (192, 192, 192)),
    ('K', (128, 128, 128)), ('r', (255, 0, 0)), ('g', (0, 255, 0)), ('y', (255, 255, 0)),
    ('b', (0, 0, 255)), ('m', (255, 0, 255)), ('c', (0, 255, 255)), ('w', (255, 255, 255)),
]
PALETTE = dict(VGA)
PALETTE.update({
    'o': (255, 220, 120),   # folder yellow, light
    'O': (215, 165, 40),    # folder yellow, dark
    'e': (240, 240, 235),   # off-white (paper, frame) for bitmaps whose mask colour is white
    'a': (110, 170, 240),   # sky blue
    'h': (40, 150, 60),     # hill green
    'u': (255, 210, 40),    # sun
    'd': (90, 90, 90),      # dark grey
    'l': (225, 225, 225),   # light grey
})

FACE, MAGENTA, WHITE = (192, 192, 192), (255, 0, 255), (255, 255, 255)

# --- Toolbar (bitmap 128), in button order -------------------------------------------------------

ACQUIRE = [  # a flatbed scanner with its glass and scan light
    '................',
    '................',
    '................',
    '................',
    '.....kkkkkkkkkkk',
    '....kwwwwwwwwwkk',
    '...kwBBcBBBBwkKk',
    '..kwBBcBBBBwkKKk',
    '.kwBBcBBBBwkKKk.',
    'kwwwwwwwwwkKKk..',
    'kkkkkkkkkkkKk...',
    'kwwwwwwwgwkk....',
    'kKKKKKKKKKk.....',
    'kkkkkkkkkkk.....',
    '................',
]

DISPLAY_MODE = [  # a grid of four thumbnails
    '................',
    'kkkkkkk..kkkkkkk',
    'kccycck..kcccyck',
    'kccccck..kccccck',
    'kgggGgk..kgGgggk',
    'kGgggGk..kggGggk',
    'kkkkkkk..kkkkkkk',
    '................',
    '................',
    'kkkkkkk..kkkkkkk',
    'kcyccck..kccccyk',
    'kccccck..kccccck',
    'kgGgggk..kggggGk',
    'kggGggk..kGgggGk',
    'kkkkkkk..kkkkkkk',
]

OPEN = [  # an opening folder
    '................',
    '..........kkk...',
    '.........k...k.k',
    '..............kk',
    '.kkkk........kkk',
    'kYYYYk..........',
    'kYYYYYkkkkkkk...',
    'kYYYYYYYYYYYk...',
    'kYYYkkkkkkkkkkkk',
    'kYYkwyyyyyyyyyyk',
    'kYkyyyyyyyyyyyk.',
    'kYkyyyyyyyyyyk..',
    'kkyyyyyyyyyyk...',
    'kkkkkkkkkkkk....',
    '................',
]

PRINT = [  # a printer with a sheet coming out
    '................',
    '....kkkkkkkkk...',
    '....kwwwwwwwk...',
    '....kwkkkkkwk...',
    '....kwwwwwwwk...',
    '..kkkkkkkkkkkkk.',
    '.kwwwwwwwwwwwwKk',
    '.kwwwwwwwwwggwKk',
    '.kKKKKKKKKKKKKKk',
    '.kKkkkkkkkkkkKKk',
    '.kkwwwwwwwwwkkkk',
    '...kwkkkkkwk....',
    '...kwwwwwwwk....',
    '...kkkkkkkkk....',
    '................',
]

PRINT_PREVIEW = [  # a page under a magnifier
    'kkkkkkkk........',
    'kwwwwwwkk.......',
    'kwkkkkwkwk......',
    'kwwwwwwkkkk.....',
    'kwkkkwwkkkk.....',
    'kwwwwwkcccck....',
    'kwkkkkcwcccck...',
    'kwwwwkwccccck...',
    'kwkkkkcccccck...',
    'kwwwwkcccccck...',
    'kwkkkwkcccckk...',
    'kwwwwwwkkkkkkk..',
    'kwwwwwwwwwk.kkk.',
    'kkkkkkkkkkk..kkk',
    '..............kk',
]

SEND_MAIL = [  # an envelope
    '................',
    '................',
    '................',
    'kkkkkkkkkkkkkkkk',
    'kwkwwwwwwwwwwkwk',
    'kwwkwwwwwwwwkwwk',
    'kwwwkwwwwwwkwwwk',
    'kwwwwkwwwwkwwwwk',
    'kwwwkwkkkkwkwwwk',
    'kwwkwwwwwwwwkwwk',
    'kwkwwwwwwwwwwkwk',
    'kkwwwwwwwwwwwwkk',
    'kkkkkkkkkkkkkkkk',
    '................',
    '................',
]

ANNOTATE = [  # a note with a pencil writing on it
    '.............kk.',
    'kkkkkkkkkkkkkrrk',
    'kyyyyyyyyyykrrk.',
    'kykkkkkkyykrrk..',
    'kyyyyyyyykrrk...',
    'kykkkkkykwwk....',
    'kyyyyyykwkyk....',
    'kykkkkykkyyk....',
    'kyyyyyyyyyyk....',
    'kykkkkkkkkyk....',
    'kyyyyyyyyyyk....',
    'kykkkkkkkkyk....',
    'kyyyyyyyyyyk....',
    'kkkkkkkkkkkk....',
    '................',
]

FIND = [  # binoculars
    '................',
    '..kkkk....kkkk..',
    '..kBBk....kBBk..',
    '..kBBk....kBBk..',
    '.kkkkkkkkkkkkkk.',
    '.kBbBkkBBkkBbBk.',
    'kBbBBBkBBkBbBBBk',
    'kBbBBBkkkkBbBBBk',
    'kBBBBBk..kBBBBBk',
    'kBBBBBk..kBBBBBk',
    'kkkkkkk..kkkkkkk',
    'kccccck..kccccck',
    'kcwccck..kcwccck',
    'kkkkkkk..kkkkkkk',
    '................',
]

SLIDE_SHOW = [  # a projection screen on a stand, showing a picture
    '.......kk.......',
    'kkkkkkkkkkkkkkkk',
    '.kwwwwwwwwwwwwk.',
    '.kwccccccccywwk.',
    '.kwcccccccyyywk.',
    '.kwccccccccywwk.',
    '.kwcccGccccccwk.',
    '.kwccGGGcccGwwk.',
    '.kwcGGGGGcGGGwk.',
    '.kwwwwwwwwwwwwk.',
    'kkkkkkkkkkkkkkkk',
    '.......kk.......',
    '......k..k......',
    '.....k....k.....',
    '....k......k....',
]

WALLPAPER = [  # a monitor showing a desktop picture
    '.kkkkkkkkkkkkkk.',
    '.kwwwwwwwwwwwwKk',
    '.kwkkkkkkkkkkwKk',
    '.kwkccccccyykwKk',
    '.kwkcccccccykwKk',
    '.kwkccGccccckwKk',
    '.kwkcGGGcccGkwKk',
    '.kwkGGGGGcGGkwKk',
    '.kwkkkkkkkkkkwKk',
    '.kwwwwwwwwwwgwKk',
    '.kkkkkkkkkkkkkkk',
    '......kKKk......',
    '....kkkkkkkk....',
    '....kKKKKKKk....',
    '....kkkkkkkk....',
]

ADD_TO_FAVORITES = [  # a star
    '.......kk.......',
    '......kyyk......',
    '......kyyk......',
    '.....kyyyyk.....',
    'kkkkkkyyyykkkkkk',
    '.kyyyyyyyyyyyyk.',
    '..kyyyyyyyyyyk..',
    '...kyyyyyyyyk...',
    '....kyyyyyyk....',
    '....kyyyyyyk....',
    '...kyyyyyyyyk...',
    '...kyyykkyyyk...',
    '..kyyk....kyyk..',
    '..kkk......kkk..',
    '................',
]

REFRESH = [  # two arrows chasing each other round a circle
    '................',
    '.....GGGGG......',
    '...GGGGGGGGG....',
    '..GGG.....GGG...',
    '.GG........GG...',
    '.GG......GGGGGG.',
    'GG........GGGG..',
    'GG.........GG...',
    '..GGGG........GG',
    '.GGGGGG......GG.',
    '...GG........GG.',
    '...GGG.....GGG..',
    '....GGGGGGGGG...',
    '......GGGGG.....',
    '................',
]

START_AUTO_ADVANCE = [  # a play triangle
    '................',
    '................',
    '....kk..........',
    '....kgk.........',
    '....kggk........',
    '....kgggk.......',
    '....kggggk......',
    '....kgggggk.....',
    '....kggggggk....',
    '....kgggggk.....',
    '....kggggk......',
    '....kgggk.......',
    '....kggk........',
    '....kgk.........',
    '....kk..........',
]

STOP_AUTO_ADVANCE = [  # a stop square
    '................',
    '................',
    '................',
    '...kkkkkkkkkk...',
    '...krrrrrrrrk...',
    '...krrrrrrrrk...',
    '...krrrrrrrrk...',
    '...krrrrrrrrk...',
    '...krrrrrrrrk...',
    '...krrrrrrrrk...',
    '...krrrrrrrrk...',
    '...krrrrrrrrk...',
    '...kkkkkkkkkk...',
    '................',
    '................',
]

TOOLBAR = [ACQUIRE, DISPLAY_MODE, OPEN, PRINT, PRINT_PREVIEW, SEND_MAIL, ANNOTATE, FIND, SLIDE_SHOW,
           WALLPAPER, ADD_TO_FAVORITES, REFRESH, START_AUTO_ADVANCE, STOP_AUTO_ADVANCE]

# --- Folder tree (bitmap 101): fixed, removable, CD-ROM, network and RAM drives, then folders ----

def drive(front, above=(), below=()):
    """A drive box (8 rows) with the given front panel row, between rows drawn above and below it."""
    rows = list(above) + [
        '...kkkkkkkkkkkkk',
        '..klllllllllllKk',
        '.klllllllllllKKk',
        'kkkkkkkkkkkkkKdk',
        front,
        'klllllllllgglkk.',
        'kKKKKKKKKKKKKk..',
        'kkkkkkkkkkkkkk..',
    ] + list(below)
    return rows + ['.' * 16] * (15 - len(rows))


def overlay(base, top):
    """Draws the pixels of top that are not background over base."""
    return [''.join(t if t != '.' else b for b, t in zip(brow, trow)) for brow, trow in zip(base, top)]


FIXED_DRIVE = drive('klllllllllllkKk.', above=['.' * 16] * 4)

REMOVABLE_DRIVE = drive('kllkkkkkkkkllkk.', above=['.' * 16] * 4)

CDROM_DRIVE = overlay(drive('klkkkkkkkkllkkk.', above=['.' * 16] * 6), [  # a disc on the drive
    '...kkkkk........',
    '..kwwlcck.......',
    '.kwwwlccck......',
    '.kwwkkkcck......',
    '.kwlk.kclk......',
    '.kllkkkwwk......',
    '.kyyllwwwk......',
    '..kyylwwk.......',
    '...kkkkk........',
] + ['.' * 16] * 6)

NETWORK_DRIVE = drive('klllllllllllkKk.', above=['.' * 16] * 2, below=[
    '......kk........',
    '......kk........',
    'kkkkkkkkkkkkkk..',
    'kkkkkkkkkkkkkk..',
])

RAM_DRIVE = [  # a memory module
    '................',
    '................',
    '................',
    '................',
    'GGGGGGGGGGGGGGGG',
    'GkkkGkkkGkkkGkkG',
    'GkkkGkkkGkkkGkkG',
    'GkkkGkkkGkkkGkkG',
    'GGGGGGGGGGGGGGGG',
    'GGGGGGGGGGGGGGGG',
    'GyGyGyGyGyGyGyGG',
    '.y.y.y.y.y.y.y..',
    '................',
    '................',
    '................',
]

FOLDER = [
    '................',
    '................',
    '..kkkkk.........',
    '.kooooOk........',
    'kooooooOkkkkkkk.',
    'kwwwwwwwwwwwwwOk',
    'kwoooooooooooOOk',
    'kwoooooooooooOOk',
    'kwoooooooooooOOk',
    'kwoooooooooooOOk',
    'kwoooooooooooOOk',
    'kwoooooooooooOOk',
    'kOOOOOOOOOOOOOOk',
    '.kkkkkkkkkkkkkk.',
    '................',
]

FOLDER_OPEN = [
    '................',
    '................',
    '..kkkkk.........',
    '.kOOOOOk........',
    'kOOOOOOOkkkkkk..',
    'kOOOOOOOOOOOOk..',
    'kOOOkkkkkkkkkkkk',
    'kOOkwwwwwwwwwwwk',
    'kOOkoooooooooook',
    'kOkoooooooooooOk',
    'kOkooooooooooOk.',
    'kkoooooooooooOk.',
    'kkooooooooooOk..',
    'kkkkkkkkkkkkkk..',
    '................',
]

TREE = [FIXED_DRIVE, REMOVABLE_DRIVE, CDROM_DRIVE, NETWORK_DRIVE, RAM_DRIVE, FOLDER, FOLDER_OPEN]

# --- Small picture (bitmap 134) and favorites images (bitmap 135) --------------------------------

SMALL_PICTURE = [
    '................',
    '................',
    'kkkkkkkkkkkkkkkk',
    'keeeeeeeeeeeeeek',
    'keaaaaaaaaaaaaek',
    'keaaaaaaaaauuaek',
    'keaaaaaaaauuuuek',
    'keaaaaaaaauuuuek',
    'keaaahaaaaauuaek',
    'keaahhhaaaaaaaek',
    'keahhhhhaaaahhek',
    'kehhhhhhhahhhhek',
    'kehhhhhhhhhhhhek',
    'keeeeeeeeeeeeeek',
    'kkkkkkkkkkkkkkkk',
    '................',
]

PICTURE_FILE = [
    '.kkkkkkkkk......',
    '.kwwwwwwwkk.....',
    '.kwwwwwwwkwk....',
    '.kwwwwwwwkkkk...',
    '.kwwwwwwwwwwk...',
    '.kwkkkkkkkkwk...',
    '.kwkaaaauukwk...',
    '.kwkaaaaaukwk...',
    '.kwkahaaaakwk...',
    '.kwkhhhaahkwk...',
    '.kwkhhhhhhkwk...',
    '.kwkkkkkkkkwk...',
    '.kwwwwwwwwwwk...',
    '.kkkkkkkkkkkk...',
    '................',
]

FAVORITES = [FOLDER, PICTURE_FILE]


def pixels(images, background):
    """Joins equally sized letter grids side by side into rows (top first) of (r, g, b)."""
    height = len(images[0])
    rows = []
    for y in range(height):
        row = []
        for image in images:
            assert len(image) == height, 'images of one strip have one height'
            line = image[y]
            assert len(line) == 16, f'row {y} of an image is {len(line)} pixels wide: {line!r}'
            for ch in line:
                row.append(background if ch == '.' else PALETTE[ch])
        rows.append(row)
    return rows


def bmp(rows, bits):
    """An uncompressed bottom-up BMP: 4 bits per pixel with the VGA palette, or 24 bits."""
    height, width = len(rows), len(rows[0])
    if bits == 4:
        index = {rgb: i for i, (_, rgb) in enumerate(VGA)}
        table = b''.join(bytes((b, g, r, 0)) for _, (r, g, b) in VGA)
        stride = ((width * 4 + 31) // 32) * 4
        data = b''
        for row in reversed(rows):
            line = bytearray(stride)
            for x, rgb in enumerate(row):
                if rgb not in index:
                    raise ValueError(f'colour {rgb} is not in the 16-colour palette')
                line[x // 2] |= index[rgb] << (4 if x % 2 == 0 else 0)
            data += bytes(line)
        colours = 16
    else:
        table = b''
        stride = (width * 3 + 3) & ~3
        data = b''
        for row in reversed(rows):
            line = b''.join(bytes((b, g, r)) for r, g, b in row)
            data += line + b'\0' * (stride - len(line))
        colours = 0
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(data), 2835, 2835, colours, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    return header + info + table + data


if __name__ == '__main__':
    outdir = sys.argv[1] if len(sys.argv) > 1 else '.'
    for name, images, background, bits in (
            ('toolbar.bmp', TOOLBAR, FACE, 4),
            ('tree.bmp', TREE, MAGENTA, 24),
            ('smallpic.bmp', [SMALL_PICTURE], WHITE, 24),
            ('favorites.bmp', FAVORITES, MAGENTA, 24)):
        with open(f'{outdir}/{name}', 'wb') as f:
            f.write(bmp(pixels(images, background), bits))
