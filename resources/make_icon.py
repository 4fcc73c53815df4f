#!/usr/bin/env python3
"""Draw the application icon and write it as a .ico file.

Usage: python3 resources/make_icon.py resources/app.ico

The artwork is a page with a few text lines and a blue double-headed
arrow beside it, for "line spacing". Standard library only, and the
output is byte-for-byte deterministic, so app.ico can be regenerated
and compared.
"""

import math
import struct
import sys

OUTLINE = (0x44, 0x4E, 0x5C)
PAPER = (0xFF, 0xFF, 0xFF)
FOLD = (0xD6, 0xDE, 0xE9)
TEXT = (0x6A, 0x75, 0x84)
ACCENT = (0x1E, 0x6E, 0xDC)
KEY_COLOURS = [OUTLINE, PAPER, FOLD, TEXT, ACCENT]

# Samples per pixel along each axis: 8 x 8 = 64 coverage levels.
SUPERSAMPLE = 8

# Each size is laid out by hand on the pixel grid (hinted), because a
# scaled drawing blurs every edge at 16 and 24 px. Coordinates are pixel
# edges: x = 5 is the left edge of column 5.
#   page:  left, top, right, bottom; fold: size of the dog-ear;
#   lines: (top, left, right) of each text line, `line` px thick;
#   arrow: centre x, top, bottom, stem width, head width, head height;
#   stepped: draw the arrow heads as whole-pixel steps, since a smoothed
#   diagonal only a few pixels long reads as a blur.
LAYOUTS = {
    16: dict(page=(6, 1, 16, 15), border=1, radius=1.0, fold=4,
             line=1, lines=[(5, 8, 14), (8, 8, 14), (11, 8, 12)],
             arrow=(2.5, 1, 15, 1, 5, 3), stepped=True),
    24: dict(page=(8, 1, 23, 23), border=1, radius=1.5, fold=6,
             line=2, lines=[(5, 10, 16), (9, 10, 21), (13, 10, 21), (17, 10, 17)],
             arrow=(4.0, 1, 23, 2, 6, 3), stepped=True),
    32: dict(page=(11, 2, 30, 30), border=1, radius=2.0, fold=7,
             line=2, lines=[(7, 14, 22), (12, 14, 27), (17, 14, 27), (22, 14, 23)],
             arrow=(5.0, 2, 30, 2, 9, 6)),
    48: dict(page=(16, 3, 45, 45), border=2, radius=3.0, fold=10,
             line=3, lines=[(10, 20, 33), (17, 20, 40), (24, 20, 40), (31, 20, 34)],
             arrow=(7.5, 3, 45, 3, 13, 9)),
}


# --- Shapes: point predicates over continuous pixel coordinates ---------

def half_plane(nx, ny, c):
    """Points with nx*x + ny*y <= c; (nx, ny) is normalised so that
    offsetting c by d moves the edge by d pixels."""
    n = math.hypot(nx, ny)
    return (nx / n, ny / n, c / n)


def convex(planes):
    def inside(x, y):
        return all(nx * x + ny * y <= c for nx, ny, c in planes)
    return inside


def polygon(points):
    """Convex polygon, points clockwise on screen (y grows downwards)."""
    planes = []
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        nx, ny = y1 - y0, x0 - x1
        planes.append(half_plane(nx, ny, nx * x0 + ny * y0))
    return convex(planes)


def rect(l, t, r, b):
    return lambda x, y: l <= x <= r and t <= y <= b


def rounded_rect(l, t, r, b, rad):
    def inside(x, y):
        if not (l <= x <= r and t <= y <= b):
            return False
        cx = min(max(x, l + rad), r - rad)
        cy = min(max(y, t + rad), b - rad)
        return (x - cx) ** 2 + (y - cy) ** 2 <= rad * rad
    return inside


def both(a, b):
    return lambda x, y: a(x, y) and b(x, y)


# --- Rasteriser ---------------------------------------------------------

def new_canvas(size):
    """Premultiplied RGBA floats, row 0 at the top."""
    return [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]


def paint(canvas, inside, colour, box):
    """Composite `colour` over the canvas where `inside` holds, weighting
    each pixel by the share of its samples that fall inside."""
    size = len(canvas)
    l, t, r, b = box
    x0, y0 = max(0, math.floor(l)), max(0, math.floor(t))
    x1, y1 = min(size, math.ceil(r)), min(size, math.ceil(b))
    offsets = [(i + 0.5) / SUPERSAMPLE for i in range(SUPERSAMPLE)]
    total = SUPERSAMPLE * SUPERSAMPLE
    cr, cg, cb = (v / 255.0 for v in colour)
    for py in range(y0, y1):
        row = canvas[py]
        for px in range(x0, x1):
            hits = sum(1 for oy in offsets for ox in offsets
                       if inside(px + ox, py + oy))
            if hits:
                a = hits / total
                r0, g0, b0, a0 = row[px]
                k = 1.0 - a
                row[px] = (cr * a + r0 * k, cg * a + g0 * k,
                           cb * a + b0 * k, a + a0 * k)


def draw(size):
    lay = LAYOUTS[size]
    canvas = new_canvas(size)
    l, t, r, b = lay['page']
    w, f, rad = lay['border'], lay['fold'], lay['radius']
    page_box = (l, t, r, b)

    def page(inset):
        # The dog-ear cut is the edge x - y <= r - f - t, moved in by `inset`.
        cut = half_plane(1, -1, r - f - t)
        return both(rounded_rect(l + inset, t + inset, r - inset, b - inset,
                                 max(rad - inset, 0.0)),
                    convex([(cut[0], cut[1], cut[2] - inset)]))

    # Border, then paper inside it: drawing two filled shapes keeps the
    # border exactly `w` px wide, also along the diagonal cut.
    paint(canvas, page(0), OUTLINE, page_box)
    paint(canvas, page(w), PAPER, page_box)

    # The dog-ear: a right triangle on the cut, bordered the same way.
    flap = [(r - f, t), (r, t + f), (r - f, t + f)]
    flap_box = (r - f, t, r, t + f)
    paint(canvas, polygon(flap), OUTLINE, flap_box)
    inner = [(r - f + w, t + w * (1 + math.sqrt(2))),
             (r - w * (1 + math.sqrt(2)), t + f - w),
             (r - f + w, t + f - w)]
    paint(canvas, polygon(inner), FOLD, flap_box)

    th = lay['line']
    for top, left, right in lay['lines']:
        paint(canvas, rect(left, top, right, top + th), TEXT,
              (left, top, right, top + th))

    cx, top, bottom, stem, head_w, head_h = lay['arrow']
    hw = head_w / 2
    # The stem runs half a pixel into each head so no seam shows.
    paint(canvas, rect(cx - stem / 2, top + head_h - 0.5,
                       cx + stem / 2, bottom - head_h + 0.5), ACCENT,
          (cx - hw, top, cx + hw, bottom))
    if lay.get('stepped'):
        # One row per step, each a pixel wider on both sides.
        for i in range(head_h):
            half = min(stem / 2 + i, hw)
            for y in (top + i, bottom - 1 - i):
                paint(canvas, rect(cx - half, y, cx + half, y + 1), ACCENT,
                      (cx - half, y, cx + half, y + 1))
    else:
        paint(canvas, polygon([(cx, top), (cx + hw, top + head_h),
                               (cx - hw, top + head_h)]), ACCENT,
              (cx - hw, top, cx + hw, top + head_h))
        paint(canvas, polygon([(cx - hw, bottom - head_h),
                               (cx + hw, bottom - head_h), (cx, bottom)]),
              ACCENT, (cx - hw, bottom - head_h, cx + hw, bottom))
    return canvas


def to_rgba8(canvas):
    """Straight (not premultiplied) 8-bit RGBA, as 32-bit icons expect."""
    out = []
    for row in canvas:
        line = []
        for r, g, b, a in row:
            if a <= 0.0:
                line.append((0, 0, 0, 0))
                continue
            line.append(tuple(min(255, round(v / a * 255)) for v in (r, g, b))
                        + (min(255, round(a * 255)),))
        out.append(line)
    return out


# --- 256-colour palette -------------------------------------------------

def make_palette():
    """Index 0 is black for the transparent pixels (the AND mask shows the
    background through them), then the artwork's colours, then blends of
    each pair of them so anti-aliased edges between two colours keep their
    smoothness; a grey ramp fills the rest."""
    pal = [(0, 0, 0)]
    pal += KEY_COLOURS
    for i, c0 in enumerate(KEY_COLOURS):
        for c1 in KEY_COLOURS[i + 1:]:
            for step in range(1, 8):
                t = step / 8
                pal.append(tuple(round(a + (b - a) * t) for a, b in zip(c0, c1)))
    free = 256 - len(pal)
    pal += [(round(i * 255 / (free - 1)),) * 3 for i in range(free)]
    assert len(pal) == 256
    return pal


def nearest(pal, colour, cache):
    if colour not in cache:
        # Index 0 is reserved for transparency; opaque black still maps
        # onto the grey ramp's own black.
        cache[colour] = min(range(1, 256), key=lambda i: sum(
            (p - c) ** 2 for p, c in zip(pal[i], colour)))
    return cache[colour]


# --- ICO writer -----------------------------------------------------------

def row_stride(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def and_mask(opaque):
    """1 bpp, bottom-up, 1 = transparent."""
    size = len(opaque)
    stride = row_stride(size)
    data = bytearray()
    for row in reversed(opaque):
        bits = bytearray(stride)
        for x, solid in enumerate(row):
            if not solid:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bits
    return bytes(data)


def bitmap_header(size, bpp, image_bytes):
    # The height counts both the colour image and the AND mask.
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0,
                       image_bytes, 0, 0, 0, 0)


def image_8bit(rgba, pal):
    size = len(rgba)
    # Without alpha, a pixel is either drawn or not: keep it if at least
    # half covered, and use its straight colour so edges do not darken.
    opaque = [[px[3] >= 128 for px in row] for row in rgba]
    cache = {}
    stride = row_stride(size * 8)
    xor = bytearray()
    for y in reversed(range(size)):
        line = bytearray(stride)
        for x, px in enumerate(rgba[y]):
            if opaque[y][x]:
                line[x] = nearest(pal, px[:3], cache)
        xor += line
    mask = and_mask(opaque)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in pal)
    return bitmap_header(size, 8, len(xor) + len(mask)) + colours + bytes(xor) + mask


def image_32bit(rgba):
    size = len(rgba)
    xor = bytearray()
    for row in reversed(rgba):
        for r, g, b, a in row:
            xor += struct.pack('<BBBB', b, g, r, a)
    # Alpha decides; the mask only matters to readers that ignore alpha.
    mask = and_mask([[px[3] > 0 for px in row] for row in rgba])
    return bitmap_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def write_ico(path, images):
    """images: list of (size, bpp, data)."""
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b'', b''
    for size, bpp, data in images:
        # Colour count 0 means "256 or more"; size 0 would mean 256 px.
        entries += struct.pack('<BBBBHHII', size, size, 0, 0, 1, bpp,
                               len(data), offset)
        blobs += data
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(header + entries + blobs)


def main(argv):
    if len(argv) != 2:
        sys.exit('usage: python3 make_icon.py OUTPUT.ico')
    pal = make_palette()
    art = {size: to_rgba8(draw(size)) for size in LAYOUTS}
    images = [(s, 8, image_8bit(art[s], pal)) for s in (16, 24, 32)]
    images += [(s, 32, image_32bit(art[s])) for s in (16, 24, 32, 48)]
    write_ico(argv[1], images)


if __name__ == '__main__':
    main(sys.argv)
