#!/usr/bin/env python3
"""Draws the program icon and writes it as a Windows .ico file.

    python3 resources/make_icon.py [output.ico]

Six images of the shop's mark: 48, 32 and 16 pixels square, each as a
32-bit image with straight alpha and as a 256-colour palettised image;
both carry the 1-bit AND mask. The palette of each 8-bit image is made
from that image's own colours by median cut.
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, Mark  # noqa: E402

SIZES = (48, 32, 16)
OPAQUE_FROM = 128  # alpha at which a pixel counts as opaque in the mask


def render(size, shadow):
    """Returns rows (top-down) of (r, g, b, a) byte tuples of the mark."""
    canvas = Canvas(size, size)
    Mark(0.0, 0.0, float(size)).draw(canvas, shadow=shadow)
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            i = y * size + x
            a = int(canvas.a[i] * 255.0 + 0.5)
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((int(canvas.r[i] * 255.0 + 0.5), int(canvas.g[i] * 255.0 + 0.5),
                            int(canvas.b[i] * 255.0 + 0.5), a))
        pixels.append(row)
    return pixels


def median_cut(colours, count):
    """Reduces a list of (r, g, b) to at most `count` representative colours."""
    boxes = [sorted(set(colours))]
    while len(boxes) < count:
        best = None
        for i, b in enumerate(boxes):
            if len(b) < 2:
                continue
            spans = [max(c[k] for c in b) - min(c[k] for c in b) for k in range(3)]
            span = max(spans)
            if best is None or span > best[0]:
                best = (span, i, spans.index(span))
        if best is None or best[0] == 0:
            break
        _, i, axis = best
        b = sorted(boxes.pop(i), key=lambda c: (c[axis], c))
        mid = len(b) // 2
        boxes[i:i] = [b[:mid], b[mid:]]
    palette = []
    for b in boxes:
        n = len(b)
        palette.append(tuple((sum(c[k] for c in b) + n // 2) // n for k in range(3)))
    return palette


def nearest(palette, colour):
    best = 0
    best_d = None
    for i, p in enumerate(palette):
        d = (p[0] - colour[0]) ** 2 + (p[1] - colour[1]) ** 2 + (p[2] - colour[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def and_mask(pixels, size):
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] < OPAQUE_FROM:
                bits[x >> 3] |= 0x80 >> (x & 7)
        out += bits
    return bytes(out)


def bitmap_header(size, bpp, image_bytes, colours):
    return struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bpp, 0, image_bytes, 0, 0, colours, 0)


def image_32(pixels, size):
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask = and_mask(pixels, size)
    return bitmap_header(size, 32, len(xor) + len(mask), 0) + bytes(xor) + mask


def image_8(pixels, size):
    opaque = [p[:3] for row in pixels for p in row if p[3] >= OPAQUE_FROM]
    # Index 0 stays black for the transparent pixels (screen shows through).
    palette = [(0, 0, 0)] + median_cut(opaque, 255)
    palette += [(0, 0, 0)] * (256 - len(palette))
    lookup = {}
    xor = bytearray()
    stride = (size + 3) & ~3
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] >= OPAQUE_FROM:
                c = p[:3]
                if c not in lookup:
                    lookup[c] = 1 + nearest(palette[1:], c)
                line[x] = lookup[c]
        xor += line
    mask = and_mask(pixels, size)
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    return bitmap_header(size, 8, len(xor) + len(mask), 256) + table + bytes(xor) + mask


def build_icon():
    images = []
    for size in SIZES:
        # The soft shadow needs alpha; the 8-bit images go without it.
        images.append((size, 32, image_32(render(size, size >= 32), size)))
        images.append((size, 8, image_8(render(size, False), size)))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    return header + entries + b"".join(d for _, _, d in images)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    target = argv[1] if len(argv) > 1 else os.path.join(here, "pomarelo.ico")
    data = build_icon()
    with open(target, "wb") as f:
        f.write(data)
    print("%s: %d bytes, %d images" % (target, len(data), 2 * len(SIZES)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
