#!/usr/bin/env python3
"""Generate Tarnwick's toolbar/menu strips, small app images and the app icon.

Standard library only so the build needs nothing beyond Python 3; output is
byte-for-byte deterministic so regenerating never dirties the tree.
"""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "images")

SILVER = (192, 192, 192)
MAGENTA = (255, 0, 255)
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
       (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
       (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
       (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

# role -> (16-colour choice, true-colour choice). The 16-colour column must
# stay inside VGA so 4-bit output maps exactly, with no dithering.
ROLES = {
    "arrow":   ((0, 128, 0),     (52, 168, 72)),
    "arrowol": ((0, 0, 0),       (18, 84, 30)),
    "stop":    ((255, 0, 0),     (222, 44, 40)),
    "stopol":  ((128, 0, 0),     (118, 12, 12)),
    "white":   ((255, 255, 255), (255, 255, 255)),
    "black":   ((0, 0, 0),       (0, 0, 0)),
    "refresh": ((0, 0, 255),     (50, 118, 220)),
    "refrol":  ((0, 0, 128),     (14, 42, 116)),
    "roof":    ((255, 0, 0),     (204, 58, 42)),
    "roofol":  ((128, 0, 0),     (110, 26, 18)),
    "wall":    ((255, 255, 255),   (250, 232, 170)),
    "wallol":  ((0, 0, 0),       (92, 70, 40)),
    "door":    ((128, 0, 0),     (138, 84, 40)),
    "lens":    ((0, 255, 255),   (170, 214, 246)),
    "rim":     ((0, 0, 128),     (44, 56, 92)),
    "handle":  ((128, 0, 0),     (132, 78, 30)),
    "star":    ((255, 255, 0),   (252, 204, 40)),
    "starol":  ((128, 128, 0),   (150, 98, 0)),
    "body":    ((128, 128, 128), (150, 156, 168)),
    "bodyol":  ((0, 0, 0),       (48, 52, 60)),
    "slot":    ((0, 0, 0),       (40, 42, 48)),
    "led":     ((0, 255, 0),     (60, 220, 80)),
    "glyph":   ((0, 0, 128),     (26, 36, 110)),
}


def palette(mode):
    """Return role -> RGB for 'vga', 'cold' (muted), 'normal' or 'hot'."""
    out = {}
    for role, (vga, rgb) in ROLES.items():
        if mode == "vga":
            out[role] = vga
            continue
        lum = 0.3 * rgb[0] + 0.59 * rgb[1] + 0.11 * rgb[2]
        sat, gain = {"cold": (0.6, 0.94), "normal": (1.0, 1.0),
                     "hot": (1.25, 1.06)}[mode]
        out[role] = tuple(max(0, min(255, round((lum + (c - lum) * sat) * gain)))
                          for c in rgb)
    out["shade"] = 0.0 if mode == "vga" else (0.25 if mode == "cold" else 0.45)
    return out


# ---- shape predicates in a 23x23 design space, sampled at pixel centres ----

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1, a0=None, a1=None):
    """Annulus, optionally only between angles a0..a1 (degrees, y down)."""
    def f(x, y):
        d = math.hypot(x - cx, y - cy)
        if not r0 <= d <= r1:
            return False
        if a0 is None:
            return True
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (a - a0) % 360 <= (a1 - a0) % 360
    return f


def seg(x0, y0, x1, y1, w):
    def f(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) <= w / 2
    return f


def poly(pts):
    def f(x, y):
        inside = False
        j = len(pts) - 1
        for i in range(len(pts)):
            (xi, yi), (xj, yj) = pts[i], pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside
    return f


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def mirror(f):
    return lambda x, y: f(23 - x, y)


# ---- raster canvas ----

class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def cell(self, ox, s):
        return Cell(self, ox, s)


class Cell:
    """One s*s picture slot; shapes are sampled from design space so the same
    picture code serves both the 23px and the 16px strips."""

    def __init__(self, canvas, ox, s):
        self.c, self.ox, self.s = canvas, ox, s

    def mask(self, f):
        k = 23.0 / self.s
        return {(x, y) for y in range(self.s) for x in range(self.s)
                if f((x + 0.5) * k, (y + 0.5) * k)}

    def paint(self, f, fill, outline=None, shade=0.0):
        m = self.mask(f)
        if not m:
            return
        ys = [y for _, y in m]
        top, span = min(ys), max(1, max(ys) - min(ys))
        for x, y in m:
            edge = outline is not None and any(
                (x + dx, y + dy) not in m
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                col = outline
            else:
                # Light from above: a soft top highlight reads as "button art".
                t = shade * (1 - (y - top) / span)
                col = tuple(round(c + (255 - c) * t) for c in fill)
            self.c.px[y][self.ox + x] = col

    def bitmap(self, art, x0, y0, colour):
        for y, line in enumerate(art.strip("\n").splitlines()):
            for x, ch in enumerate(line):
                if ch == "#":
                    self.c.px[y0 + y][self.ox + x0 + x] = colour


# ---- toolbar / menu pictures ----

# 45-degree head edges keep the pixel staircase even at both sizes.
ARROW = union(poly([(1.5, 11.5), (11, 2), (11, 21)]), rect(10, 7.5, 21.5, 15.5))


def pic_back(c, P):
    c.paint(ARROW, P["arrow"], P["arrowol"], P["shade"])


def pic_forward(c, P):
    c.paint(mirror(ARROW), P["arrow"], P["arrowol"], P["shade"])


def pic_stop(c, P):
    a, b = 2.5, 8.0
    octagon = poly([(b, a), (23 - b, a), (23 - a, b), (23 - a, 23 - b),
                    (23 - b, 23 - a), (b, 23 - a), (a, 23 - b), (a, b)])
    c.paint(octagon, P["stop"], P["stopol"], P["shade"])
    w = 2.6 if c.s > 16 else 2.2
    c.paint(union(seg(7.5, 7.5, 15.5, 15.5, w), seg(15.5, 7.5, 7.5, 15.5, w)),
            P["white"])


def pic_refresh(c, P):
    cx, cy, a = 11.5, 12.5, math.radians(280)
    arc = ring(cx, cy, 4.6, 8.6, 5, 280)
    # Head sits across the arc's open end and points along the clockwise tangent.
    rad, tan = (math.cos(a), math.sin(a)), (-math.sin(a), math.cos(a))
    base = [(cx + r * rad[0], cy + r * rad[1]) for r in (2.0, 11.2)]
    mid = (cx + 6.6 * rad[0], cy + 6.6 * rad[1])
    head = poly([base[0], base[1], (mid[0] + 6.5 * tan[0], mid[1] + 6.5 * tan[1])])
    c.paint(union(arc, head), P["refresh"], P["refrol"], P["shade"])


def pic_home(c, P):
    c.paint(rect(15, 3, 18.5, 10), P["roof"], P["roofol"])
    c.paint(rect(4.5, 10, 18.5, 21), P["wall"], P["wallol"], P["shade"])
    c.paint(poly([(11.5, 1.5), (22.5, 12), (0.5, 12)]), P["roof"], P["roofol"], P["shade"])
    c.paint(rect(9, 14, 14, 21), P["door"], P["wallol"])


def pic_search(c, P):
    c.paint(seg(14.5, 14.5, 20.5, 20.5, 4.2), P["handle"], P["black"])
    c.paint(disc(9.5, 9.5, 7.7), P["rim"])
    c.paint(disc(9.5, 9.5, 5.4), P["lens"], None, P["shade"])
    c.paint(seg(7, 6.5, 6.5, 7, 1.6), P["white"])


def pic_star(c, P):
    pts = []
    for i in range(10):
        r = 11.0 if i % 2 == 0 else 5.0
        a = math.radians(-90 + 36 * i)
        pts.append((11.5 + r * math.cos(a), 12.6 + r * math.sin(a)))
    c.paint(poly(pts), P["star"], P["starol"], P["shade"])


def pic_printer(c, P):
    c.paint(rect(5.5, 1.5, 17.5, 10), P["white"], P["bodyol"])
    c.paint(rect(1.5, 8, 21.5, 17), P["body"], P["bodyol"], P["shade"])
    c.paint(rect(4.5, 14, 18.5, 16), P["slot"])
    c.paint(rect(5.5, 15, 17.5, 22), P["white"], P["bodyol"])
    c.paint(rect(17, 10.5, 19.5, 12.5), P["led"])
    if c.s > 16:
        c.paint(union(rect(8, 18, 15, 19), rect(8, 20, 13, 21)), P["body"])


# Letters are too small to survive geometric sampling, so they are hand-set.
GLYPHS = {
    23: [(1, 3, """
.....###.....
.....###.....
....#####....
....##.##....
....##.##....
...###.###...
...##...##...
...##...##...
..###...###..
..##.....##..
..#########..
.###########.
.##.......##.
.##.......##.
###.......###
##.........##
##.........##"""), (15, 11, """
.####..
##..##.
....##.
.#####.
##..##.
##..##.
##.###.
.##.###""")],
    16: [(0, 2, """
....#....
...###...
...#.#...
..##.##..
..##.##..
.##...##.
.#######.
.##...##.
##.....##
##.....##
##.....##"""), (10, 7, """
.###.
....#
.####
#...#
#..##
.##.#""")],
}


def pic_textsize(c, P):
    for x0, y0, art in GLYPHS[c.s]:
        c.bitmap(art, x0, y0, P["glyph"])


PICTURES = [pic_back, pic_forward, pic_stop, pic_refresh, pic_home,
            pic_search, pic_star, pic_printer, pic_textsize]


def strip(pics, s, mode):
    cv = Canvas(s * len(pics), s, SILVER)
    P = palette(mode)
    for i, pic in enumerate(pics):
        pic(cv.cell(i * s, s), P)
    return cv


# ---- small application images (magenta = transparent) ----

def app_closed_folder(c):
    ol, body = (128, 96, 0), (250, 210, 70)
    c.paint(poly([(1.5, 5), (3.5, 2), (9.5, 2), (11.5, 5)]), body, ol)
    c.paint(rect(1.5, 4.5, 21.5, 20.5), body, ol, 0.35)


def app_open_folder(c):
    ol, back, front = (128, 96, 0), (200, 150, 30), (252, 222, 100)
    c.paint(poly([(1.5, 5), (3.5, 2), (9.5, 2), (11.5, 5)]), back, ol)
    c.paint(rect(1.5, 4.5, 19.5, 20.5), back, ol)
    c.paint(poly([(6.5, 8.5), (22.8, 8.5), (17.5, 20.5), (1.5, 20.5)]), front, ol, 0.3)


def page(c):
    ol = (96, 96, 96)
    c.paint(poly([(3.5, 0.5), (14.5, 0.5), (20.5, 6.5), (20.5, 22.5), (3.5, 22.5)]),
            (255, 255, 255), ol)
    c.paint(poly([(14.5, 0.5), (20.5, 6.5), (14.5, 6.5)]), (208, 208, 208), ol)


def app_document(c):
    page(c)
    for y in (9, 12.5, 16, 19.5):
        c.paint(rect(7, y - 0.5, 17.5, y + 0.7), (120, 140, 190))


def app_webpage(c):
    page(c)
    c.paint(rect(7, 3, 12.5, 4.2), (120, 140, 190))
    c.paint(disc(11.5, 14, 6.8), (40, 100, 210), (20, 50, 140), 0.3)
    c.paint(union(poly([(8, 10), (12, 9.5), (11, 13.5), (8.5, 15)]),
                  poly([(13, 14), (16, 13.5), (15, 18.5), (13, 18)])), (60, 170, 70))


def app_padlock(c):
    steel, dark = (168, 170, 180), (70, 70, 80)
    shackle = union(ring(11.5, 8.5, 3.3, 6.7, 180, 0),
                    rect(4.8, 8, 8.2, 11), rect(14.8, 8, 18.2, 11))
    c.paint(shackle, steel, dark)
    c.paint(rect(2.5, 10, 20.5, 22.5), (240, 196, 40), (130, 90, 0), 0.4)
    c.paint(union(disc(11.5, 14.5, 2.0), rect(10.5, 14.5, 12.7, 19.5)), (90, 60, 0))


def app_empty(c):
    pass


# The application image list, left to right: its indexes are the AppImage
# enum in app/tarnwick_app.h, so change both together.
APP_PICTURES = [app_closed_folder, app_open_folder, app_document,
                app_webpage, app_padlock, app_empty]


# ---- file writers ----

def bmp_bytes(cv, bpp):
    if bpp == 4:
        index = {rgb: i for i, rgb in enumerate(VGA)}
        stride = ((cv.w * 4 + 31) // 32) * 4
        colours = b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in VGA)
    else:
        stride = ((cv.w * 24 + 31) // 32) * 4
        colours = b""
    rows = []
    for row in reversed(cv.px):  # bottom-up
        if bpp == 4:
            nib = [index[p] for p in row] + [0]
            data = bytes((nib[i] << 4) | nib[i + 1] for i in range(0, cv.w, 2))
        else:
            data = b"".join(struct.pack("<3B", b, g, r) for r, g, b in row)
        rows.append(data + b"\0" * (stride - len(data)))
    pixels = b"".join(rows)
    offset = 14 + 40 + len(colours)
    info = struct.pack("<IiiHHIIiiII", 40, cv.w, cv.h, 1, bpp, 0, len(pixels),
                       2835, 2835, 16 if bpp == 4 else 0, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + colours + pixels


def icon_pixels(s):
    """RGBA rows (top-down) of the app emblem: a shaded globe with a white T."""
    cx = cy = s / 2
    r = s / 2 - 0.25
    k = 23.0 / s
    light, dark, rim = (120, 190, 255), (16, 64, 168), (10, 36, 110)
    T = union(rect(5, 5, 18, 8.5), rect(9.75, 5, 13.25, 19))
    tmask = {(x, y) for y in range(s) for x in range(s)
             if T((x + 0.5) * k, (y + 0.5) * k)}
    grid = max(1.0, s / 20)
    out = []
    for y in range(s):
        row = []
        for x in range(s):
            # 4x4 supersampling keeps the round silhouette smooth via alpha.
            cover = sum((x + (i + 0.5) / 4 - cx) ** 2 + (y + (j + 0.5) / 4 - cy) ** 2 <= r * r
                        for i in range(4) for j in range(4)) / 16
            px, py = x + 0.5 - cx, y + 0.5 - cy
            d = math.hypot(px, py)
            t = max(0.0, min(1.0, 0.5 + (px + py) / (2.6 * r)))
            col = tuple(round(a + (b - a) * t) for a, b in zip(light, dark))
            # Meridians and parallels: faint lighter lines give the globe form.
            lines = [abs(py) - 0.0, abs(abs(py) - r * 0.55)]
            for f in (0.0, 0.6):
                w = r * math.sqrt(max(0.0, 1 - (py / r) ** 2))
                lines.append(abs(abs(px) - f * w))
            if s >= 32 and min(lines) < grid * 0.5:
                col = tuple(round(c + (255 - c) * 0.3) for c in col)
            if d > r - 1.2 * grid:
                col = rim
            if (x, y) in tmask:
                edge = any((x + dx, y + dy) not in tmask
                           for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                col = (255, 255, 255) if not edge or s < 32 else (220, 232, 250)
            elif any((x - dx, y - dy) in tmask for dx, dy in ((1, 1), (0, 1), (1, 0))):
                col = rim  # drop shadow lifts the T off the globe
            # Transparent pixels must be black: painters that ignore alpha XOR
            # this colour onto the screen wherever the AND mask is set.
            row.append(col + (round(255 * cover),) if cover else (0, 0, 0, 0))
        out.append(row)
    return out


def ico_bytes(sizes):
    images = []
    for s in sizes:
        px = icon_pixels(s)
        xor = b"".join(struct.pack("<4B", b, g, r, a)
                       for row in reversed(px) for r, g, b, a in row)
        mstride = ((s + 31) // 32) * 4
        mask = b""
        for row in reversed(px):
            bits = 0
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits |= 1 << (mstride * 8 - 1 - x)
            mask += bits.to_bytes(mstride, "big")
        info = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 32, 0,
                           len(xor) + len(mask), 0, 0, 0, 0)
        images.append((s, info + xor + mask))
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for s, blob in images:
        entries += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32,
                               len(blob), offset + len(blobs))
        blobs += blob
    return head + entries + blobs


def main():
    os.makedirs(OUT, exist_ok=True)
    apps = Canvas(96, 16, MAGENTA)
    for i, pic in enumerate(APP_PICTURES):
        pic(apps.cell(i * 16, 16))
    files = {
        "toolbar.bmp": bmp_bytes(strip(PICTURES[:5], 23, "vga"), 4),
        "toolbar_cold.bmp": bmp_bytes(strip(PICTURES, 23, "cold"), 24),
        "toolbar_hot.bmp": bmp_bytes(strip(PICTURES, 23, "hot"), 24),
        "menu.bmp": bmp_bytes(strip(PICTURES, 16, "normal"), 24),
        "menu16.bmp": bmp_bytes(strip(PICTURES, 16, "vga"), 4),
        "app_images.bmp": bmp_bytes(apps, 24),
        "tarnwick.ico": ico_bytes([16, 32]),
    }
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
