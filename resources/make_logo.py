#!/usr/bin/env python3
"""Draws the Pomarelo logo and writes it as a PNG datastream.

    python3 resources/make_logo.py [output.png]

The picture is 1440 x 900, 8-bit RGBA: the shop's mark on the left, the
word POMARELO in a rounded block face on the right, a green rule under the
word, soft drop shadows, and transparent white everywhere else (also in
the middle of the picture, between the mark and the word).

The stream is laid out as IHDR, sBIT, pHYs, tEXt (Software), IDAT chunks
of 8192 bytes of data each with a shorter last one, IEND. Every row gets
the filter (Sub, Up or Paeth) with the smallest sum of absolute values.
The data is compressed by deflate.py, which takes its matches from far
enough back that zlib inflates them quickly (the saver decodes the logo
at every start). The output depends only on these scripts.
"""

import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import (Canvas, Mark, box, ring, capsule, coverage, soft, rgb,  # noqa: E402
                     mix, clamp01)
import deflate  # noqa: E402

WIDTH = 1440
HEIGHT = 900
IDAT_SIZE = 8192

TEXT_LIGHT = rgb(0xFFF7EA)
TEXT_WARM = rgb(0xF6DFC4)
RULE_LEFT = rgb(0x3E9A45)
RULE_RIGHT = rgb(0x8FD16A)


# --- the word: a rounded block face built from boxes, rings and strokes --------

def letter_shapes(ch, x, y, h, s):
    """Returns (advance width, distance function) of one capital letter."""
    def clip(d, x0, y0, x1, y1, px, py):
        e = box(px, py, x0, y0, x1, y1)
        return d if d > e else e

    if ch == "P":
        w = 0.62 * h

        def f(px, py):
            stem = box(px, py, x, y, x + s, y + h)
            bowl = ring(px, py, x, y, x + w, y + 0.58 * h, 0.26 * h, s)
            return min(stem, bowl)
        return w, f
    if ch == "O":
        w = 0.70 * h

        def f(px, py):
            return ring(px, py, x, y, x + w, y + h, 0.36 * w, s)
        return w, f
    if ch == "M":
        w = 0.82 * h

        def f(px, py):
            left = box(px, py, x, y, x + s, y + h)
            right = box(px, py, x + w - s, y, x + w, y + h)
            r = 0.5 * s
            d1 = capsule(px, py, x + r, y + r, x + 0.5 * w, y + 0.62 * h, r)
            d2 = capsule(px, py, x + w - r, y + r, x + 0.5 * w, y + 0.62 * h, r)
            return min(left, right, clip(min(d1, d2), x, y, x + w, y + h, px, py))
        return w, f
    if ch == "A":
        w = 0.70 * h

        def f(px, py):
            arch = ring(px, py, x, y, x + w, y + 2.0 * h, 0.5 * w, s)
            arch = clip(arch, x - 1.0, y - 1.0, x + w + 1.0, y + h, px, py)
            bar = box(px, py, x, y + 0.56 * h, x + w, y + 0.56 * h + 0.9 * s)
            return min(arch, bar)
        return w, f
    if ch == "R":
        w = 0.66 * h

        def f(px, py):
            stem = box(px, py, x, y, x + s, y + h)
            bowl = ring(px, py, x, y, x + w, y + 0.58 * h, 0.26 * h, s)
            r = 0.5 * s
            leg = capsule(px, py, x + 0.40 * w, y + 0.50 * h, x + w - r, y + h - r, r)
            leg = clip(leg, x, y, x + w, y + h, px, py)
            return min(stem, bowl, leg)
        return w, f
    if ch == "E":
        w = 0.56 * h

        def f(px, py):
            stem = box(px, py, x, y, x + s, y + h)
            top = box(px, py, x, y, x + w, y + s)
            mid = box(px, py, x, y + 0.5 * (h - s), x + 0.86 * w, y + 0.5 * (h + s))
            bottom = box(px, py, x, y + h - s, x + w, y + h)
            return min(stem, top, mid, bottom)
        return w, f
    if ch == "L":
        w = 0.52 * h

        def f(px, py):
            stem = box(px, py, x, y, x + s, y + h)
            bottom = box(px, py, x, y + h - s, x + w, y + h)
            return min(stem, bottom)
        return w, f
    raise ValueError("no glyph for " + ch)


def layout_word(text, x, y, h, s, gap):
    glyphs = []
    for ch in text:
        w, f = letter_shapes(ch, x, y, h, s)
        glyphs.append((x, x + w, f))
        x += w + gap
    return glyphs, x - gap


def word_distance(glyphs, reach):
    """Distance to the word, looking only at glyphs within `reach` of px."""
    def d(px, py):
        best = 1e9
        for x0, x1, f in glyphs:
            if x0 - reach <= px <= x1 + reach:
                e = f(px, py)
                if e < best:
                    best = e
        return best
    return d


def draw_logo():
    canvas = Canvas(WIDTH, HEIGHT)

    # The mark: a square of 440 pixels left of the middle.
    mark = Mark(110.0, 228.0, 440.0)
    mark.draw(canvas)

    # The word, right of the middle of the picture, centred vertically.
    h = 106.0
    s = 22.0
    gap = 14.0
    x_start = 742.0
    y_top = 450.0 - h * 0.5 - 12.0
    glyphs, x_end = layout_word("POMARELO", x_start, y_top, h, s, gap)
    rule_y = y_top + h + 24.0
    rule_h = 9.0

    text_d = word_distance(glyphs, 24.0)
    sx, sy, blur = 4.0, 6.0, 7.0

    def shade_text_shadow(px, py):
        a = soft(text_d(px - sx, py - sy), blur)
        ra = soft(box(px - sx, py - sy, x_start, rule_y, x_end, rule_y + rule_h, 4.5), blur)
        a = a if a > ra else ra
        return (0.0, 0.0, 0.0, 0.34 * a)
    canvas.layer((x_start - 20.0, y_top - 20.0, x_end + 30.0, rule_y + rule_h + 30.0),
                 shade_text_shadow)

    def shade_text(px, py):
        t = clamp01((py - y_top) / h)
        return mix(TEXT_LIGHT, TEXT_WARM, t) + (coverage(text_d(px, py)),)
    canvas.layer((x_start - 2.0, y_top - 2.0, x_end + 2.0, y_top + h + 2.0), shade_text)

    span = x_end - x_start

    def shade_rule(px, py):
        t = clamp01((px - x_start) / span)
        d = box(px, py, x_start, rule_y, x_end, rule_y + rule_h, 4.5)
        return mix(RULE_LEFT, RULE_RIGHT, t) + (coverage(d),)
    canvas.layer((x_start - 2.0, rule_y - 2.0, x_end + 2.0, rule_y + rule_h + 2.0), shade_rule)
    return canvas


# --- PNG encoding ------------------------------------------------------------

def paeth(a, b, c):
    p = a + b - c
    pa = abs(p - a)
    pb = abs(p - b)
    pc = abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    if pb <= pc:
        return b
    return c


def filter_row(row, prev, bpp):
    """Returns the filtered row with the cheapest of Sub, Up and Paeth."""
    n = len(row)
    sub = bytearray(n)
    up = bytearray(n)
    pae = bytearray(n)
    for i in range(n):
        x = row[i]
        a = row[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        sub[i] = (x - a) & 255
        up[i] = (x - b) & 255
        pae[i] = (x - paeth(a, b, c)) & 255

    def cost(data):
        return sum(v if v < 128 else 256 - v for v in data)
    candidates = [(cost(sub), 1, sub), (cost(up), 2, up), (cost(pae), 4, pae)]
    best = min(candidates, key=lambda c: (c[0], c[1]))
    return bytes([best[1]]) + bytes(best[2]), best[1]


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode_png(rows, width, height):
    prev = bytes(4 * width)
    filtered = []
    used = {}
    for row in rows:
        data, kind = filter_row(row, prev, 4)
        used[kind] = used.get(kind, 0) + 1
        filtered.append(data)
        prev = row
    compressed = deflate.compress(b"".join(filtered), 4 * width + 1)

    out = [b"\x89PNG\r\n\x1a\n"]
    out.append(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
    out.append(chunk(b"sBIT", bytes([8, 8, 8, 8])))
    out.append(chunk(b"pHYs", struct.pack(">IIB", 2835, 2835, 1)))
    out.append(chunk(b"tEXt", b"Software\x00Pomarelo make_logo"))
    for i in range(0, len(compressed), IDAT_SIZE):
        out.append(chunk(b"IDAT", compressed[i:i + IDAT_SIZE]))
    out.append(chunk(b"IEND", b""))
    return b"".join(out), used, len(compressed)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    target = argv[1] if len(argv) > 1 else os.path.join(here, "logo.png")
    rows = draw_logo().rgba_rows()
    png, used, idat_bytes = encode_png(rows, WIDTH, HEIGHT)
    with open(target, "wb") as f:
        f.write(png)
    names = {1: "Sub", 2: "Up", 4: "Paeth"}
    summary = ", ".join("%s %d" % (names[k], used[k]) for k in sorted(used))
    print("%s: %d bytes, %d bytes of image data, rows: %s" % (target, len(png), idat_bytes, summary))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
