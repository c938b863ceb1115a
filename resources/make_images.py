#!/usr/bin/env python3
"""Draws the tool bar icons (48 x 48), the window logo (512 x 512) and the
Windows application icon (the logo at the sizes Windows shows) and the
Linux desktop icons (the logo at the hicolor theme's usual sizes).

Plain Python, no imaging library: each picture is a few filled shapes on a
transparent canvas, written as an RGBA PNG. Run it from anywhere; it writes
into resources/images next to this script, the icon into
packaging/windows/tarnterm.ico and the desktop icons into
packaging/linux/icons/<size>.png.
"""
import math
import os
import struct
import zlib


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def fill(self, inside, colour):
        s = self.size
        for y in range(s):
            for x in range(s):
                if inside((x + 0.5) / s, (y + 0.5) / s):
                    self.put(x, y, colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, colour)

    def disc(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour)

    def ring(self, cx, cy, r, w, colour):
        self.fill(lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= w / 2, colour)

    def line(self, ax, ay, bx, by, w, colour):
        def near(x, y):
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            return math.hypot(x - ax - t * dx, y - ay - t * dy) <= w / 2
        self.fill(near, colour)

    def polygon(self, points, colour):
        def inside(x, y):
            hit = False
            for i in range(len(points)):
                (x0, y0), (x1, y1) = points[i], points[i - 1]
                if (y0 > y) != (y1 > y) and x < (x1 - x0) * (y - y0) / (y1 - y0) + x0:
                    hit = not hit
            return hit
        self.fill(inside, colour)

    def png(self):
        raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in self.pixels)
        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
        header = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

    def bmp(self):
        """The picture as an icon's device-independent bitmap: 32-bit BGRA
        rows bottom up, then an all-clear AND mask (the alpha does its work)."""
        s = self.size
        mask_row = ((s + 31) // 32) * 4
        header = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 32, 0, 0, 0, 0, 0, 0)
        rows = b"".join(bytes((b, g, r, a)) for row in reversed(self.pixels)
                        for (r, g, b, a) in row)
        return header + rows + bytes(mask_row * s)

    def save(self, path):
        with open(path, "wb") as f:
            f.write(self.png())

    def shrunk(self, size):
        """The picture at a smaller size, each pixel the average of the ones
        it covers (weighted by alpha, so transparent pixels add no colour)."""
        small = Canvas(size)
        bounds = [self.size * i // size for i in range(size + 1)]
        for y in range(size):
            for x in range(size):
                block = [self.pixels[sy][sx] for sy in range(bounds[y], bounds[y + 1])
                         for sx in range(bounds[x], bounds[x + 1])]
                alpha = sum(p[3] for p in block)
                if alpha:
                    colour = [round(sum(p[i] * p[3] for p in block) / alpha) for i in range(3)]
                    small.put(x, y, (*colour, round(alpha / len(block))))
        return small


def save_icon(path, picture, sizes):
    """An .ico file of the picture at several sizes: bitmaps for the small
    ones, which every Windows version reads, PNG for 256 x 256."""
    images = []
    for size in sizes:
        canvas = picture.shrunk(size)
        images.append((size, canvas.png() if size >= 256 else canvas.bmp()))
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, data in images:
        # A width or height of 256 is written as 0.
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                                 len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(directory + b"".join(data for _, data in images))


GREEN = (67, 136, 101, 255)
DARK = (40, 48, 56, 255)
WHITE = (250, 250, 250, 255)
RED = (200, 50, 50, 255)
BLUE = (50, 100, 190, 255)
YELLOW = (235, 180, 40, 255)
GREY = (150, 150, 150, 255)


def delete(c):
    c.disc(0.5, 0.5, 0.44, RED)
    c.line(0.3, 0.3, 0.7, 0.7, 0.12, WHITE)
    c.line(0.7, 0.3, 0.3, 0.7, 0.12, WHITE)


def edit(c):
    c.polygon([(0.2, 0.85), (0.15, 0.95), (0.25, 0.9)], DARK)
    c.line(0.22, 0.83, 0.78, 0.27, 0.16, YELLOW)
    c.line(0.78, 0.27, 0.85, 0.2, 0.16, RED)


def palette(c):
    c.disc(0.5, 0.5, 0.44, (222, 200, 160, 255))
    c.disc(0.32, 0.35, 0.08, RED)
    c.disc(0.52, 0.25, 0.08, BLUE)
    c.disc(0.72, 0.38, 0.08, GREEN)
    c.disc(0.7, 0.62, 0.08, YELLOW)
    c.disc(0.4, 0.66, 0.1, WHITE)


def info(c):
    c.disc(0.5, 0.5, 0.44, BLUE)
    c.disc(0.5, 0.28, 0.07, WHITE)
    c.rect(0.43, 0.42, 0.57, 0.78, WHITE)


def menu(c):
    for y in (0.25, 0.5, 0.75):
        c.rect(0.15, y - 0.06, 0.85, y + 0.06, DARK)


def rightup(c):
    c.line(0.2, 0.8, 0.72, 0.28, 0.14, GREEN)
    c.polygon([(0.45, 0.18), (0.82, 0.18), (0.82, 0.55)], GREEN)


def saveas(c):
    c.rect(0.12, 0.12, 0.88, 0.88, BLUE)
    c.rect(0.28, 0.12, 0.72, 0.4, WHITE)
    c.rect(0.25, 0.58, 0.75, 0.88, GREY)


def erase(c):
    c.polygon([(0.15, 0.6), (0.5, 0.25), (0.85, 0.6), (0.5, 0.95)], (230, 120, 150, 255))
    c.polygon([(0.15, 0.6), (0.33, 0.42), (0.68, 0.77), (0.5, 0.95)], WHITE)


def hexa(c):
    c.rect(0.08, 0.2, 0.92, 0.8, DARK)
    for i, x in enumerate((0.2, 0.4, 0.6, 0.8)):
        c.rect(x - 0.06, 0.35, x + 0.06, 0.65, GREEN if i % 2 else YELLOW)


def find(c):
    c.ring(0.42, 0.42, 0.26, 0.1, DARK)
    c.disc(0.42, 0.42, 0.21, (200, 225, 250, 255))
    c.line(0.62, 0.62, 0.86, 0.86, 0.14, DARK)


def logo(c):
    c.disc(0.5, 0.5, 0.47, GREEN)
    c.ring(0.5, 0.5, 0.43, 0.03, WHITE)
    c.rect(0.25, 0.28, 0.75, 0.38, WHITE)
    c.rect(0.45, 0.28, 0.55, 0.76, WHITE)


PICTURES = {
    "delete.png": (48, delete), "edit.png": (48, edit), "palette.png": (48, palette),
    "info.png": (48, info), "menu.png": (48, menu), "rightup.png": (48, rightup),
    "saveas.png": (48, saveas), "erase.png": (48, erase), "hexa.png": (48, hexa),
    "find.png": (48, find),
    "TARNWICK_LOGO.png": (512, logo),
}

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    folder = os.path.join(here, "images")
    os.makedirs(folder, exist_ok=True)
    for name, (size, draw) in PICTURES.items():
        canvas = Canvas(size)
        draw(canvas)
        canvas.save(os.path.join(folder, name))
        if name == "TARNWICK_LOGO.png":
            save_icon(os.path.join(here, "..", "packaging", "windows", "tarnterm.ico"),
                      canvas, (16, 24, 32, 48, 64, 256))
            icons = os.path.join(here, "..", "packaging", "linux", "icons")
            os.makedirs(icons, exist_ok=True)
            for size in (16, 32, 48, 64, 128, 256):
                canvas.shrunk(size).save(os.path.join(icons, "%d.png" % size))
