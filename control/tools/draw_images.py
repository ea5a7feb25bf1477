#!/usr/bin/env python3
"""Draws the control's pictures: the overlay button "but.sys" (a 24-bit
bitmap whose first pixel colour is transparent), the tool buttons and the
About picture (PNG). Run from anywhere; writes into control/resources."""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
SS = 4  # supersampling per axis


def canvas(w, h, rgba=(0, 0, 0, 0)):
    return [[list(rgba) for _ in range(w)] for _ in range(h)]


def paint(img, inside, color):
    """Blends `color` wherever inside(x, y) holds, antialiased by supersampling."""
    h, w = len(img), len(img[0])
    for y in range(h):
        for x in range(w):
            hits = sum(inside(x + (i + 0.5) / SS, y + (j + 0.5) / SS) for i in range(SS) for j in range(SS))
            if not hits:
                continue
            a = color[3] / 255 * hits / (SS * SS)
            px = img[y][x]
            out_a = a + px[3] / 255 * (1 - a)
            for c in range(3):
                px[c] = round((color[c] * a + px[c] * px[3] / 255 * (1 - a)) / out_a) if out_a else 0
            px[3] = round(out_a * 255)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def polygon(points):
    def inside(x, y):
        odd = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                odd = not odd
        return odd
    return inside


def segment(ax, ay, bx, by, width):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= (width / 2) ** 2
    return inside


def write_png(path, img):
    h, w = len(img), len(img[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in img)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_bmp24(path, img, key):
    """Bottom-up 24-bit bitmap; transparent pixels take the key colour."""
    h, w = len(img), len(img[0])
    stride = (w * 3 + 3) & ~3
    rows = []
    for row in reversed(img):
        line = bytearray()
        for r, g, b, a in row:
            if a < 128:
                r, g, b = key
            line += bytes((b, g, r))
        rows.append(bytes(line) + b"\0" * (stride - w * 3))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def overlay_button():
    img = canvas(60, 26)
    paint(img, rounded_rect(1, 1, 59, 25, 11), (28, 52, 92, 255))
    paint(img, rounded_rect(3, 3, 57, 13, 6), (70, 110, 170, 255))
    # a small cube: the tools of this view
    paint(img, polygon([(16, 6), (24, 10), (16, 14), (8, 10)]), (255, 176, 60, 255))
    paint(img, polygon([(8, 10), (16, 14), (16, 22), (8, 18)]), (230, 120, 20, 255))
    paint(img, polygon([(16, 14), (24, 10), (24, 18), (16, 22)]), (190, 90, 10, 255))
    for cx in (34, 42, 50):
        paint(img, circle(cx, 13, 2.6), (235, 240, 250, 255))
    # hard edge: the bitmap's transparency is one colour
    for row in img:
        for px in row:
            px[3] = 255 if px[3] >= 128 else 0
    return img


def tool_button(kind):
    img = canvas(32, 32)
    paint(img, rounded_rect(1, 1, 31, 31, 6), (236, 240, 246, 255))
    blue = (40, 80, 150, 255)
    if kind == "open":
        paint(img, polygon([(6, 9), (13, 9), (15, 11), (26, 11), (26, 24), (6, 24)]), (200, 150, 50, 255))
        paint(img, polygon([(9, 14), (29, 14), (26, 24), (6, 24)]), (245, 200, 90, 255))
    elif kind == "play":
        paint(img, polygon([(11, 7), (25, 16), (11, 25)]), (40, 150, 60, 255))
    elif kind == "stop":
        paint(img, rounded_rect(9, 9, 23, 23, 2), (190, 40, 40, 255))
    elif kind == "about":
        paint(img, circle(16, 16, 11), blue)
        paint(img, circle(16, 10.5, 2), (255, 255, 255, 255))
        paint(img, rounded_rect(14.3, 14, 17.7, 23, 1), (255, 255, 255, 255))
    paint(img, segment(2, 31, 30, 31, 1), (150, 160, 175, 255))
    return img


def about_picture():
    w, h = 320, 120
    img = canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = y / h
            img[y][x] = [round(20 + 30 * t), round(40 + 50 * t), round(80 + 70 * t), 255]
    # a shaded cube with its wire frame, the picture of a 3D view
    top = [(70, 22), (110, 40), (70, 58), (30, 40)]
    paint(img, polygon(top), (255, 186, 80, 255))
    paint(img, polygon([(30, 40), (70, 58), (70, 100), (30, 82)]), (232, 124, 26, 255))
    paint(img, polygon([(70, 58), (110, 40), (110, 82), (70, 100)]), (180, 84, 12, 255))
    for a, b in [((30, 40), (70, 58)), ((70, 58), (110, 40)), ((70, 58), (70, 100))]:
        paint(img, segment(*a, *b, 1.2), (255, 235, 200, 255))
    # orbit arrow around it
    for i in range(40):
        t0, t1 = math.pi * (0.15 + i / 36), math.pi * (0.15 + (i + 1) / 36)
        paint(img, segment(70 + 62 * math.cos(t0), 62 + 18 * math.sin(t0),
                           70 + 62 * math.cos(t1), 62 + 18 * math.sin(t1), 2), (160, 200, 255, 200))
    # horizon lines on the right
    for i, y in enumerate(range(30, 95, 13)):
        paint(img, segment(150, y, 300 - i * 18, y, 5), (200, 220, 250, 90 + i * 20))
    return img


if __name__ == "__main__":
    os.makedirs(os.path.join(OUT, "glimmer"), exist_ok=True)
    write_bmp24(os.path.join(OUT, "but.sys"), overlay_button(), key=(255, 0, 255))
    for number, kind in [(204, "open"), (205, "stop"), (206, "play"), (207, "about")]:
        write_png(os.path.join(OUT, "glimmer", "bitmap%d.png" % number), tool_button(kind))
    write_png(os.path.join(OUT, "glimmer", "bitmap208.png"), about_picture())
