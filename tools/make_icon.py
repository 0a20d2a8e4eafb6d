#!/usr/bin/env python3
"""Draw the installer icon and write it as a Windows .ico file.

The design is a rounded blue tile with an orange arrow pointing down into a
white tray.  The shapes are laid out on a 16-unit grid, so that at 16, 32 and
48 pixels every straight edge falls on a pixel boundary; the rounded corners
and, from 32 px up, the sloping sides of the arrow head are smoothed by
supersampling.  The 256-colour images use a flat blue instead of the
gradient, which keeps their palettes to a few dozen entries.

The file holds six images, 48/32/16 px in 256 colours and then 48/32/16 px
in 32-bit colour, each a bottom-up BMP DIB followed by its 1-bit AND mask,
except the 48 px 32-bit image, which is a PNG. The palettes hold only the
colours used.
Nothing depends on time, randomness or dictionary order (the palettes are
sorted), so every run writes the same file.

    python3 tools/make_icon.py [output]    (default: resources/qfsetup.ico)
"""

import os
import struct
import zlib
import sys

SIZES = (48, 32, 16)
GRID = 16    # design units across the tile
SUB = 8      # supersamples per pixel along each axis

TRANSPARENT = None
WHITE = (255, 255, 255)
ORANGE = (247, 148, 29)
BORDER = (22, 68, 148)
BLUE_TOP = (70, 144, 226)
BLUE_BOTTOM = (30, 90, 186)


def inside_rounded_tile(x, y, inset, radius):
    """True if (x, y) lies in the tile shrunk by inset, corners of radius."""
    lo, hi = inset, GRID - inset
    if not (lo <= x < hi and lo <= y < hi):
        return False
    r = radius - inset
    if r <= 0:
        return True
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_arrow(x, y, head_y):
    """head_y is y, or the centre of y's pixel row for a stepped head."""
    if 7 <= x < 9 and 2 <= y < 6.5:
        return True
    # Head: 45-degree sides from full width 11 at y = 6 to the apex (8, 11.5).
    # Taken at pixel-row centres these sides fall on pixel boundaries, which
    # is what keeps the 16 px head from blurring into the blue.
    if 6 <= y < 11.5:
        return abs(x - 8) < 5.5 - (head_y - 6)
    return False


def in_tray(x, y):
    if 2 <= x < 14 and 12 <= y < 14:
        return True
    return 9 <= y < 14 and (2 <= x < 4 or 12 <= x < 14)


def sample(x, y, head_y, border_width, gradient):
    """Colour of the design at a point, in grid units; None outside the tile."""
    if not inside_rounded_tile(x, y, 0, 3):
        return TRANSPARENT
    if in_arrow(x, y, head_y):
        return ORANGE
    if in_tray(x, y):
        return WHITE
    if not inside_rounded_tile(x, y, border_width, 3):
        return BORDER
    if not gradient:
        return BLUE_BOTTOM
    t = y / GRID
    return tuple(round(a + (b - a) * t) for a, b in zip(BLUE_TOP, BLUE_BOTTOM))


def render(size, gradient):
    """Rows top-down of (r, g, b, coverage) with coverage in 0..SUB*SUB."""
    unit = GRID / size
    stepped = size <= 16
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    x = (px + (sx + 0.5) / SUB) * unit
                    y = (py + (sy + 0.5) / SUB) * unit
                    head_y = (py + 0.5) * unit if stepped else y
                    c = sample(x, y, head_y, unit, gradient)
                    if c is not TRANSPARENT:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append(tuple((a + hits // 2) // hits for a in acc) + (hits,))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def and_mask(size, transparent):
    """1-bit mask rows bottom-up, each padded to 4 bytes; 1 = show background."""
    stride = (size + 31) // 32 * 4
    out = bytearray()
    for py in reversed(range(size)):
        line = bytearray(stride)
        for px in range(size):
            if transparent(px, py):
                line[px // 8] |= 0x80 >> (px % 8)
        out += line
    return bytes(out)


def bitmap_header(size, bpp, image_bytes, colours_used=0):
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0,
                       image_bytes, 0, 0, colours_used, 0)


def png_32(size):
    """The 32-bit image as PNG, which an icon may hold from Windows Vista on:
    the largest image is most of the file otherwise, and every copy of the
    installer carries it."""
    full = SUB * SUB
    rows = render(size, gradient=True)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for r, g, b, hits in row:
            alpha = (hits * 255 + full // 2) // full
            raw += bytes((r, g, b, alpha)) if alpha else bytes(4)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def dib_32(size):
    full = SUB * SUB
    rows = render(size, gradient=True)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, hits in row:
            alpha = (hits * 255 + full // 2) // full
            pixels += bytes((b, g, r, alpha)) if alpha else bytes(4)
    # Systems that ignore alpha fall back on the mask: cut at half coverage,
    # as in the 256-colour images.
    mask = and_mask(size, lambda x, y: rows[y][x][3] * 2 < full)
    return bitmap_header(size, 32, len(pixels) + len(mask)) + pixels + mask


def dib_8(size):
    full = SUB * SUB
    rows = render(size, gradient=False)
    opaque = lambda x, y: rows[y][x][3] * 2 >= full
    colours = sorted({rows[y][x][:3] for y in range(size) for x in range(size)
                      if opaque(x, y)})
    # Index 0 is black so that masked pixels leave the background unchanged.
    palette = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    if len(palette) > 256:
        raise SystemExit(f'{size} px: {len(palette)} colours do not fit a palette')
    index = {c: i for i, c in enumerate(palette)}
    stride = (size + 3) // 4 * 4
    pixels = bytearray()
    for py in reversed(range(size)):
        line = bytearray(stride)
        for px in range(size):
            if opaque(px, py):
                line[px] = index[rows[py][px][:3]]
        pixels += line
    mask = and_mask(size, lambda x, y: not opaque(x, y))
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    # Only the colours used are stored: still an 8-bit (256-colour) image.
    return (bitmap_header(size, 8, len(pixels) + len(mask), len(palette)) + table +
            pixels + mask)


def build_ico():
    images = [(s, 8, dib_8(s)) for s in SIZES] + \
        [(s, 32, png_32(s) if s == 48 else dib_32(s)) for s in SIZES]
    offset = 6 + 16 * len(images)
    directory = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    for size, bpp, dib in images:
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, bpp,
                                 len(dib), offset)
        offset += len(dib)
    return bytes(directory) + b''.join(dib for _, _, dib in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, '..', 'resources', 'qfsetup.ico')
    path = sys.argv[1] if len(sys.argv) > 1 else default
    with open(path, 'wb') as f:
        f.write(build_ico())


if __name__ == '__main__':
    main()
