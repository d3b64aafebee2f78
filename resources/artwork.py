"""Shared drawing code for the Pomarelo artwork (logo and icon).

Shapes are signed distance functions: negative inside, positive outside,
in pixels. Coverage of a pixel is taken analytically from the distance at
its centre, which gives soft one-pixel edges without supersampling.

Only exact arithmetic and square roots are used (no trigonometry or
exponentials), so the output does not depend on the C library's maths.
"""

from math import sqrt


def clamp01(v):
    return 0.0 if v < 0.0 else (1.0 if v > 1.0 else v)


def coverage(d):
    """Area coverage of a pixel whose centre lies at signed distance d."""
    return clamp01(0.5 - d)


def soft(d, blur):
    """A soft falloff over +-blur pixels (smoothstep), for shadows."""
    t = clamp01(0.5 - d / (2.0 * blur))
    return t * t * (3.0 - 2.0 * t)


def length(x, y):
    return sqrt(x * x + y * y)


# --- primitives ------------------------------------------------------------

def box(px, py, x0, y0, x1, y1, r=0.0):
    """Rounded box [x0,x1] x [y0,y1] with corner radius r."""
    cx = (x0 + x1) * 0.5
    cy = (y0 + y1) * 0.5
    qx = abs(px - cx) - ((x1 - x0) * 0.5 - r)
    qy = abs(py - cy) - ((y1 - y0) * 0.5 - r)
    ox = qx if qx > 0.0 else 0.0
    oy = qy if qy > 0.0 else 0.0
    inner = qx if qx > qy else qy
    if inner > 0.0:
        inner = 0.0
    return length(ox, oy) + inner - r


def ring(px, py, x0, y0, x1, y1, r, s):
    """Outline of stroke s lying inside the rounded box [x0,x1] x [y0,y1]."""
    h = s * 0.5
    return abs(box(px, py, x0 + h, y0 + h, x1 - h, y1 - h, r - h)) - h


def circle(px, py, cx, cy, r):
    return length(px - cx, py - cy) - r


def capsule(px, py, ax, ay, bx, by, r):
    """Segment from a to b with round ends of radius r."""
    pax = px - ax
    pay = py - ay
    bax = bx - ax
    bay = by - ay
    t = clamp01((pax * bax + pay * bay) / (bax * bax + bay * bay))
    return length(pax - bax * t, pay - bay * t) - r


def polygon(px, py, pts):
    """Exact distance to a simple polygon given as a list of (x, y)."""
    n = len(pts)
    vx, vy = pts[0]
    dx = px - vx
    dy = py - vy
    d = dx * dx + dy * dy
    sign = 1.0
    j = n - 1
    for i in range(n):
        ix, iy = pts[i]
        jx, jy = pts[j]
        ex = jx - ix
        ey = jy - iy
        wx = px - ix
        wy = py - iy
        t = clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey))
        bx = wx - ex * t
        by = wy - ey * t
        dd = bx * bx + by * by
        if dd < d:
            d = dd
        c1 = py >= iy
        c2 = py < jy
        c3 = ex * wy > ey * wx
        if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
            sign = -sign
        j = i
    return sign * sqrt(d)


def leaf(px, py, ax, ay, bx, by, width):
    """A pointed leaf (two circular arcs) from tip a to tip b."""
    mx = (ax + bx) * 0.5
    my = (ay + by) * 0.5
    half = length(bx - ax, by - ay) * 0.5
    nx = -(by - ay) / (2.0 * half)
    ny = (bx - ax) / (2.0 * half)
    b = width * 0.5
    r = (half * half + b * b) / (2.0 * b)
    off = r - b
    d1 = circle(px, py, mx + nx * off, my + ny * off, r)
    d2 = circle(px, py, mx - nx * off, my - ny * off, r)
    return d1 if d1 > d2 else d2


# --- compositing -------------------------------------------------------------

class Canvas:
    """Straight-alpha RGBA canvas of floats (0..1), transparent white."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        n = width * height
        self.r = [1.0] * n
        self.g = [1.0] * n
        self.b = [1.0] * n
        self.a = [0.0] * n

    def layer(self, bounds, shade):
        """Composite a layer over the canvas.

        bounds: (x0, y0, x1, y1) pixel rectangle outside which the layer is
        empty; shade(px, py) returns (r, g, b, alpha) for a pixel centre.
        """
        x0, y0, x1, y1 = bounds
        x0 = max(0, int(x0))
        y0 = max(0, int(y0))
        x1 = min(self.width, int(x1) + 1)
        y1 = min(self.height, int(y1) + 1)
        R, G, B, A = self.r, self.g, self.b, self.a
        for y in range(y0, y1):
            py = y + 0.5
            row = y * self.width
            for x in range(x0, x1):
                sr, sg, sb, sa = shade(x + 0.5, py)
                if sa <= 0.0:
                    continue
                i = row + x
                da = A[i]
                keep = da * (1.0 - sa)
                oa = sa + keep
                R[i] = (sr * sa + R[i] * keep) / oa
                G[i] = (sg * sa + G[i] * keep) / oa
                B[i] = (sb * sa + B[i] * keep) / oa
                A[i] = oa

    def rgba_rows(self):
        """8-bit RGBA rows; fully transparent pixels are transparent white."""
        rows = []
        w = self.width
        for y in range(self.height):
            out = bytearray(4 * w)
            base = y * w
            for x in range(w):
                i = base + x
                a = int(self.a[i] * 255.0 + 0.5)
                o = 4 * x
                if a == 0:
                    out[o:o + 4] = b"\xff\xff\xff\x00"
                else:
                    out[o] = int(self.r[i] * 255.0 + 0.5)
                    out[o + 1] = int(self.g[i] * 255.0 + 0.5)
                    out[o + 2] = int(self.b[i] * 255.0 + 0.5)
                    out[o + 3] = a
            rows.append(bytes(out))
        return rows


def rgb(hexcode):
    return ((hexcode >> 16 & 255) / 255.0, (hexcode >> 8 & 255) / 255.0,
            (hexcode & 255) / 255.0)


def mix(c1, c2, t):
    return (c1[0] + (c2[0] - c1[0]) * t, c1[1] + (c2[1] - c1[1]) * t,
            c1[2] + (c2[2] - c1[2]) * t)


# --- the shop's mark: a pomegranate with its crown and a leaf -----------------

BODY_LIGHT = rgb(0xE8404A)
BODY_DARK = rgb(0x8E1430)
CROWN = rgb(0xA31C34)
LEAF_LIGHT = rgb(0x7CC45A)
LEAF_DARK = rgb(0x2F8A3C)
VEIN = rgb(0x24702F)
SHADOW = (0.0, 0.0, 0.0)
WHITE = (1.0, 1.0, 1.0)


class Mark:
    """The mark drawn in a square of side `size` whose top-left is (ox, oy).

    All geometry is given on a 100-unit design grid and scaled.
    """

    def __init__(self, ox, oy, size):
        self.ox = ox
        self.oy = oy
        self.k = size / 100.0

    def _p(self, x, y):
        return (self.ox + x * self.k, self.oy + y * self.k)

    def body_d(self, px, py):
        cx, cy = self._p(48.0, 58.0)
        return circle(px, py, cx, cy, 38.0 * self.k)

    def crown_d(self, px, py):
        pts = [self._p(x, y) for (x, y) in (
            (36.0, 24.0), (38.0, 10.0), (43.0, 17.0), (48.0, 6.0),
            (53.0, 17.0), (58.0, 10.0), (60.0, 24.0), (58.0, 30.0),
            (38.0, 30.0))]
        return polygon(px, py, pts)

    def leaf_d(self, px, py):
        ax, ay = self._p(60.0, 22.0)
        bx, by = self._p(90.0, 6.0)
        return leaf(px, py, ax, ay, bx, by, 13.0 * self.k)

    def vein_d(self, px, py):
        ax, ay = self._p(63.0, 20.5)
        bx, by = self._p(85.0, 9.0)
        return capsule(px, py, ax, ay, bx, by, 0.8 * self.k)

    def highlight_d(self, px, py):
        c1x, c1y = self._p(42.0, 52.0)
        c2x, c2y = self._p(46.5, 56.5)
        d1 = circle(px, py, c1x, c1y, 26.0 * self.k)
        d2 = circle(px, py, c2x, c2y, 26.0 * self.k)
        return d1 if d1 > -d2 else -d2

    def silhouette_d(self, px, py):
        d = self.body_d(px, py)
        for f in (self.crown_d, self.leaf_d):
            e = f(px, py)
            if e < d:
                d = e
        return d

    def bounds(self, margin=0.0):
        return (self.ox - margin, self.oy - margin,
                self.ox + 100.0 * self.k + margin,
                self.oy + 100.0 * self.k + margin)

    def draw(self, canvas, shadow=True, edge=None):
        """Composite the mark; `edge` overrides the coverage function."""
        cov = edge or coverage
        k = self.k
        if shadow:
            sx = 2.2 * k
            sy = 3.0 * k
            blur = 3.5 * k

            def shade_shadow(px, py):
                return SHADOW + (0.38 * soft(self.silhouette_d(px - sx, py - sy), blur),)
            canvas.layer(self.bounds(8.0 * k), shade_shadow)

        lx, ly = self._p(36.0, 44.0)
        span = 60.0 * k

        def shade_body(px, py):
            t = clamp01(length(px - lx, py - ly) / span)
            return mix(BODY_LIGHT, BODY_DARK, t) + (cov(self.body_d(px, py)),)
        bx0, by0 = self._p(9.0, 19.0)
        bx1, by1 = self._p(87.0, 97.0)
        canvas.layer((bx0, by0, bx1, by1), shade_body)

        def shade_crown(px, py):
            return CROWN + (cov(self.crown_d(px, py)),)
        cx0, cy0 = self._p(35.0, 5.0)
        cx1, cy1 = self._p(61.0, 31.0)
        canvas.layer((cx0, cy0, cx1, cy1), shade_crown)

        def shade_highlight(px, py):
            return WHITE + (0.32 * cov(self.highlight_d(px, py)),)
        hx0, hy0 = self._p(15.0, 25.0)
        hx1, hy1 = self._p(70.0, 80.0)
        canvas.layer((hx0, hy0, hx1, hy1), shade_highlight)

        tipx, tipy = self._p(60.0, 22.0)
        leaf_span = 34.0 * k

        def shade_leaf(px, py):
            t = clamp01(length(px - tipx, py - tipy) / leaf_span)
            return mix(LEAF_DARK, LEAF_LIGHT, t) + (cov(self.leaf_d(px, py)),)
        fx0, fy0 = self._p(58.0, 3.0)
        fx1, fy1 = self._p(92.0, 26.0)
        canvas.layer((fx0, fy0, fx1, fy1), shade_leaf)

        if k >= 1.0:
            def shade_vein(px, py):
                return VEIN + (0.7 * cov(self.vein_d(px, py)) * cov(self.leaf_d(px, py) + 1.0),)
            canvas.layer((fx0, fy0, fx1, fy1), shade_vein)
