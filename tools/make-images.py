#!/usr/bin/env python3
"""Draws Vestrel's own pictures (toolbar icons, banner, splash frames, About picture) as PNG files.

Only the standard library is used: shapes are rasterised on a supersampled grid, averaged down for
anti-aliasing and written with zlib. Run from anywhere:  python3 tools/make-images.py
The output goes to resources/images/ and is committed, so the build never needs this script.
"""

import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "resources", "images")

# Palette: charcoal coke, ember orange, steel blue.
COKE = (43, 47, 54)
COKE_LIGHT = (92, 98, 108)
EMBER = (232, 116, 42)
FLAME = (250, 190, 60)
STEEL = (47, 111, 168)
STEEL_DARK = (24, 62, 102)
PAPER = (246, 246, 242)
WHITE = (255, 255, 255)


class Canvas:
    """RGBA picture drawn at `ss` times its size; `png()` averages it down."""

    def __init__(self, width, height, ss=4):
        self.w, self.h, self.ss = width, height, ss
        self.W, self.H = width * ss, height * ss
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.W * self.H)]

    def _blend(self, x, y, colour, alpha=1.0):
        if not (0 <= x < self.W and 0 <= y < self.H):
            return
        p = self.px[y * self.W + x]
        a = alpha * (colour[3] / 255.0 if len(colour) > 3 else 1.0)
        out_a = a + p[3] * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            p[i] = (colour[i] * a + p[i] * p[3] * (1 - a)) / out_a
        p[3] = out_a

    # Shapes take coordinates in output pixels (floats); the fill rule is evaluated at sample centres.
    def fill(self, inside, colour, box=None):
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        s = self.ss
        for sy in range(max(0, int(y0 * s)), min(self.H, int(math.ceil(y1 * s)) + 1)):
            fy = (sy + 0.5) / s
            for sx in range(max(0, int(x0 * s)), min(self.W, int(math.ceil(x1 * s)) + 1)):
                fx = (sx + 0.5) / s
                c = inside(fx, fy)
                if c:
                    self._blend(sx, sy, c if isinstance(c, tuple) else colour)

    def rect(self, x, y, w, h, colour, radius=0.0):
        def inside(fx, fy):
            if not (x <= fx <= x + w and y <= fy <= y + h):
                return False
            if radius <= 0:
                return True
            cx = min(max(fx, x + radius), x + w - radius)
            cy = min(max(fy, y + radius), y + h - radius)
            return (fx - cx) ** 2 + (fy - cy) ** 2 <= radius * radius

        self.fill(inside, colour, (x, y, x + w, y + h))

    def gradient_rect(self, x, y, w, h, c0, c1, vertical=False, radius=0.0):
        def inside(fx, fy):
            if not (x <= fx <= x + w and y <= fy <= y + h):
                return False
            if radius > 0:
                cx = min(max(fx, x + radius), x + w - radius)
                cy = min(max(fy, y + radius), y + h - radius)
                if (fx - cx) ** 2 + (fy - cy) ** 2 > radius * radius:
                    return False
            t = (fy - y) / h if vertical else (fx - x) / w
            return tuple(int(c0[i] + (c1[i] - c0[i]) * t) for i in range(3))

        self.fill(inside, c0, (x, y, x + w, y + h))

    def circle(self, cx, cy, r, colour):
        self.fill(lambda fx, fy: (fx - cx) ** 2 + (fy - cy) ** 2 <= r * r, colour, (cx - r, cy - r, cx + r, cy + r))

    def ring(self, cx, cy, r, width, colour):
        lo, hi = (r - width / 2) ** 2, (r + width / 2) ** 2
        self.fill(lambda fx, fy: lo <= (fx - cx) ** 2 + (fy - cy) ** 2 <= hi, colour,
                  (cx - r - width, cy - r - width, cx + r + width, cy + r + width))

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(fx, fy):
            hit = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > fy) != (yj > fy) and fx < (xj - xi) * (fy - yi) / (yj - yi) + xi:
                    hit = not hit
                j = i
            return hit

        self.fill(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour)
        self.circle(x0, y0, width / 2, colour)
        self.circle(x1, y1, width / 2, colour)

    def text(self, x, y, text, cell, colour, spacing=1):
        """Block letters from the 5x7 font below; `cell` is the size of one font dot in pixels."""
        for ch in text:
            rows = FONT.get(ch)
            if rows is None:
                x += 4 * cell
                continue
            for r, bits in enumerate(rows):
                for c, bit in enumerate(bits):
                    if bit == "#":
                        self.rect(x + c * cell, y + r * cell, cell * 0.92, cell * 0.92, colour)
            x += (len(rows[0]) + spacing) * cell
        return x

    def png(self, path):
        s = self.ss
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(y * s, y * s + s):
                    for sx in range(x * s, x * s + s):
                        p = self.px[sy * self.W + sx]
                        for i in range(3):
                            acc[i] += p[i] * p[3]
                        acc[3] += p[3]
                a = acc[3] / (s * s)
                if acc[3] > 0:
                    rgb = [int(round(acc[i] / acc[3])) for i in range(3)]
                else:
                    rgb = [0, 0, 0]
                raw.extend(bytes(rgb + [int(round(a * 255))]))
        write_png(path, self.w, self.h, bytes(raw))


def write_png(path, width, height, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".####", "#....", "#....", "#....", "#....", "#....", ".####"],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "G": [".####", "#....", "#....", "#.###", "#...#", "#...#", ".###."],
    "I": ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#.#.#", "#..##", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "1": [".#.", "##.", ".#.", ".#.", ".#.", ".#.", "###"],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    ".": ["..", "..", "..", "..", "..", "..", "#."],
}


def coke_heap(c, x, y, w, h, lump):
    """A heap of coke lumps: rows of circles in a triangle whose base is at y + h."""
    rows = max(1, int(h / (lump * 1.6)))
    for r in range(rows):
        count = rows - r
        cy = y + h - lump - r * lump * 1.55
        row_w = count * lump * 2
        start = x + (w - row_w) / 2 + lump
        for i in range(count):
            shade = COKE if (i + r) % 2 == 0 else COKE_LIGHT
            c.circle(start + i * lump * 2, cy, lump * 1.05, shade)


def flame(c, cx, base, height, width):
    c.polygon([(cx - width / 2, base), (cx - width * 0.3, base - height * 0.55), (cx, base - height),
               (cx + width * 0.3, base - height * 0.5), (cx + width / 2, base)], EMBER)
    c.polygon([(cx - width / 4, base), (cx - width * 0.1, base - height * 0.5), (cx + width * 0.05, base - height * 0.7),
               (cx + width / 4, base)], FLAME)


def icon_home(path):
    c = Canvas(32, 32)
    c.polygon([(3, 15), (16, 3), (29, 15), (26, 15), (16, 6.5), (6, 15)], STEEL_DARK)
    c.polygon([(7, 15), (16, 7.5), (25, 15), (25, 29), (7, 29)], STEEL)
    c.rect(13, 19, 6, 10, EMBER, 1)
    c.rect(9, 17, 3, 3, PAPER)
    c.rect(20, 17, 3, 3, PAPER)
    c.png(path)


def icon_stock(path):
    c = Canvas(32, 32)
    c.polygon([(2, 12), (16, 3), (30, 12)], STEEL_DARK)
    c.rect(4, 12, 24, 17, STEEL)
    c.rect(7, 15, 18, 14, PAPER)
    coke_heap(c, 7, 16, 18, 13, 1.9)
    c.png(path)


def icon_history(path):
    c = Canvas(32, 32)
    c.rect(10, 4, 19, 24, PAPER, 2)
    c.rect(10, 4, 19, 24, (0, 0, 0, 40), 2)
    for i in range(4):
        c.line(18, 9 + i * 5, 26, 9 + i * 5, 1.6, COKE_LIGHT)
    c.circle(11, 20, 9, STEEL)
    c.circle(11, 20, 7, WHITE)
    c.line(11, 20, 11, 15, 1.8, COKE)
    c.line(11, 20, 14.5, 22, 1.8, EMBER)
    c.png(path)


def icon_calculator(path):
    c = Canvas(32, 32)
    c.rect(6, 2, 20, 28, STEEL_DARK, 3)
    c.rect(9, 5, 14, 6, (214, 232, 214), 1)
    c.line(12, 8, 20, 8, 1.2, COKE)
    for r in range(4):
        for k in range(3):
            colour = EMBER if (r, k) == (3, 2) else PAPER
            c.rect(9 + k * 5, 13.5 + r * 4, 4, 3, colour, 0.8)
    c.png(path)


def icon_exit(path):
    c = Canvas(32, 32)
    c.rect(5, 3, 15, 26, COKE_LIGHT, 1)
    c.polygon([(5, 3), (15, 6), (15, 31), (5, 29)], STEEL)
    c.circle(12.5, 17, 1.2, FLAME)
    c.line(18, 17, 28, 17, 3, EMBER)
    c.polygon([(24, 11), (31, 17), (24, 23)], EMBER)
    c.png(path)


def emblem(c, x, y, size):
    """The product mark: a flame rising from a coke heap on a blue tile."""
    c.gradient_rect(x, y, size, size, STEEL, STEEL_DARK, vertical=True, radius=size * 0.18)
    flame(c, x + size * 0.5, y + size * 0.62, size * 0.5, size * 0.36)
    coke_heap(c, x + size * 0.12, y + size * 0.5, size * 0.76, size * 0.38, size * 0.055)


def about_picture(path):
    c = Canvas(96, 96)
    emblem(c, 2, 2, 92)
    c.png(path)


def app_icon(path):
    c = Canvas(32, 32)
    emblem(c, 0, 0, 32)
    c.png(path)


def banner(path):
    w, h = 500, 45
    c = Canvas(w, h, ss=3)
    c.gradient_rect(0, 0, w, h, STEEL_DARK, STEEL)
    for i in range(12):
        x = 300 + i * 18
        c.polygon([(x, h), (x + 10, 0), (x + 16, 0), (x + 6, h)], (255, 255, 255, 18))
    emblem(c, 6, 3, 39)
    end = c.text(56, 7, "VESTREL", 3, WHITE)
    c.text(end + 8, 20, "1.0", 1.5, FLAME)
    c.text(57, 33, "PETROLEUM COKE BLENDING", 1.2, (210, 226, 240))
    c.png(path)


def splash_frame(path, lit):
    """Nine dots around a burning heap; the lit dots step round from frame to frame."""
    size = 48
    c = Canvas(size, size)
    cx = cy = size / 2
    for i in range(9):
        a = -math.pi / 2 + i * 2 * math.pi / 9
        colour = EMBER if i in lit else (200, 205, 212)
        c.circle(cx + math.cos(a) * 19, cy + math.sin(a) * 19, 3.2, colour)
    flame(c, cx, cy + 4, 14 + 3 * len(lit), 12)
    coke_heap(c, cx - 9, cy + 1, 18, 10, 1.6)
    c.png(path)


def main():
    os.makedirs(OUT, exist_ok=True)
    out = lambda name: os.path.join(OUT, name)
    icon_home(out("toolbar-home.png"))
    icon_stock(out("toolbar-stock.png"))
    icon_history(out("toolbar-history.png"))
    icon_calculator(out("toolbar-calculator.png"))
    icon_exit(out("toolbar-exit.png"))
    app_icon(out("vestrel.png"))
    about_picture(out("about.png"))
    banner(out("banner.png"))
    splash_frame(out("loading-0.png"), [])
    for f in range(1, 4):
        splash_frame(out("loading-%d.png" % f), [f - 1, f + 2, f + 5])


if __name__ == "__main__":
    main()
