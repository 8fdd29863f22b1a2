#!/usr/bin/env python3
"""Draws the application icon and writes it as a .ico file.

The picture: a blue rounded tile, lighter at the top, with a white "Q" whose
tail is a short bar. One 32 x 32 image with 256 colours (8 bits per pixel),
the format the dialog's icon resource holds.

The palette is black (entry 0, the colour under the transparent pixels) and
then a grid: 15 shades of the tile's blue (top to bottom) times 17 steps of
blending towards white, so an anti-aliased edge of the letter on any row of
the tile has a palette entry of its own. Pixels outside the tile are
transparent through the 1-bit mask.

Usage: gen_icon.py OUT.ico
"""
import math
import struct
import sys

SIZE = 32
SUBSAMPLES = 4  # per axis, for the anti-aliased coverage of each pixel
SHADES = 15  # rows of the palette grid: tile blue from top to bottom
BLENDS = 17  # columns: steps from the tile colour to white
TRANSPARENT = 0  # palette entry of black; SHADES * BLENDS + 1 == 256

TILE_TOP = (0x4A, 0x90, 0xE2)  # RGB
TILE_BOTTOM = (0x1C, 0x4E, 0xA8)
WHITE = (0xFF, 0xFF, 0xFF)

TILE_MARGIN = 1.0
TILE_RADIUS = 6.0
RING_CENTRE = (15.5, 14.5)
RING_OUTER = 9.0
RING_INNER = 5.6
TAIL_FROM = (17.5, 17.5)
TAIL_TO = (25.5, 26.0)
TAIL_HALF_WIDTH = 1.8


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def inside_tile(x, y):
    lo, hi = TILE_MARGIN, SIZE - TILE_MARGIN
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    # Distance from the nearest corner's centre decides the rounded corners.
    cx = min(max(x, lo + TILE_RADIUS), hi - TILE_RADIUS)
    cy = min(max(y, lo + TILE_RADIUS), hi - TILE_RADIUS)
    return math.hypot(x - cx, y - cy) <= TILE_RADIUS


def distance_to_segment(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def inside_letter(x, y):
    r = math.hypot(x - RING_CENTRE[0], y - RING_CENTRE[1])
    if RING_INNER <= r <= RING_OUTER:
        return True
    return distance_to_segment(x, y, TAIL_FROM, TAIL_TO) <= TAIL_HALF_WIDTH


def coverage(px, py, inside):
    hits = 0
    for sy in range(SUBSAMPLES):
        for sx in range(SUBSAMPLES):
            if inside(px + (sx + 0.5) / SUBSAMPLES, py + (sy + 0.5) / SUBSAMPLES):
                hits += 1
    return hits / (SUBSAMPLES * SUBSAMPLES)


def palette():
    colours = [(0, 0, 0)]
    for shade in range(SHADES):
        base = mix(TILE_TOP, TILE_BOTTOM, shade / (SHADES - 1))
        for blend in range(BLENDS):
            colours.append(mix(base, WHITE, blend / (BLENDS - 1)))
    return colours


def draw():
    """Returns (rows of palette indices, rows of opaque flags), top row first."""
    indices, opaque = [], []
    for y in range(SIZE):
        shade = min(SHADES - 1, y * SHADES // SIZE)
        row_indices, row_opaque = [], []
        for x in range(SIZE):
            tile = coverage(x, y, inside_tile)
            letter = coverage(x, y, inside_letter)
            blend = round(letter * (BLENDS - 1))
            visible = tile >= 0.5
            # Transparent pixels must be black in the colour bitmap, so that
            # the screen shows through unchanged (AND with the mask, then XOR).
            row_indices.append(1 + shade * BLENDS + blend if visible else TRANSPARENT)
            row_opaque.append(visible)
        indices.append(row_indices)
        opaque.append(row_opaque)
    return indices, opaque


def ico_bytes():
    indices, opaque = draw()
    colours = palette()
    assert len(colours) == 256

    # The image is a DIB: header with doubled height (colour rows, then mask
    # rows), the palette as BGRX, then both bitmaps bottom row first.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 0, 0)
    table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in colours)
    colour_rows = b"".join(bytes(indices[y]) for y in reversed(range(SIZE)))
    mask_rows = b""
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            if not opaque[y][x]:  # a set mask bit lets the background through
                bits |= 1 << (SIZE - 1 - x)
        mask_rows += struct.pack(">I", bits)  # 32 pixels: one aligned 4-byte row
    image = header + table + colour_rows + mask_rows

    directory = struct.pack("<HHH", 0, 1, 1)  # reserved, type icon, one image
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main(target):
    with open(target, "wb") as f:
        f.write(ico_bytes())


if __name__ == "__main__":
    main(sys.argv[1])
