#!/usr/bin/env python3
"""Draws Kavrik's tool-bar bitmaps, cursors, icon, remote pointer and About
picture into viewer/resources. Shapes are rendered with supersampling, so
the output needs nothing beyond the standard library.

Run it again after changing a drawing; the files it writes are committed."""
import math
import os
import struct
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "viewer", "resources")


class Canvas:
    """RGBA pixels as floats 0..1; shapes are predicates on (x, y)."""

    def __init__(self, width, height, background=(0, 0, 0, 0), samples=4):
        self.w, self.h, self.n = width, height, samples
        self.px = [list(background) for _ in range(width * height)]

    def fill(self, inside, color, box=None):
        r, g, b = (c / 255 for c in color[:3])
        a = color[3] / 255 if len(color) > 3 else 1.0
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0) - 1), max(0, int(y0) - 1)
        x1, y1 = min(self.w, int(x1) + 2), min(self.h, int(y1) + 2)
        n = self.n
        offsets = [(i + 0.5) / n for i in range(n)]
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = sum(1 for dy in offsets for dx in offsets if inside(x + dx, y + dy))
                if not hits:
                    continue
                cover = a * hits / (n * n)
                p = self.px[y * self.w + x]
                out_a = cover + p[3] * (1 - cover)
                if out_a > 0:
                    for i, c in enumerate((r, g, b)):
                        p[i] = (c * cover + p[i] * p[3] * (1 - cover)) / out_a
                p[3] = out_a

    def bytes_rgba(self):
        return [tuple(int(round(max(0, min(1, c)) * 255)) for c in p) for p in self.px]


# Shapes -------------------------------------------------------------------

def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside, bounds(points)


def bounds(points, pad=0):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return (min(xs) - pad, min(ys) - pad, max(xs) + pad, max(ys) + pad)


def disc(cx, cy, r):
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r), (cx - r, cy - r, cx + r, cy + r)


def ring(cx, cy, r, width, start=0.0, end=360.0):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > width / 2:
            return False
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return (angle - start) % 360 <= (end - start) % 360 or end - start >= 360
    return inside, (cx - r - width, cy - r - width, cx + r + width, cy + r + width)


def line(x0, y0, x1, y1, width):
    def inside(x, y):
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        t = max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / length2))
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) <= width / 2
    return inside, bounds([(x0, y0), (x1, y1)], width)


def polyline(points, width):
    parts = [line(*points[i], *points[i + 1], width) for i in range(len(points) - 1)]
    return union(*parts)


def rect(x0, y0, x1, y1):
    return (lambda x, y: x0 <= x <= x1 and y0 <= y <= y1), (x0, y0, x1, y1)


def union(*shapes):
    box = (min(s[1][0] for s in shapes), min(s[1][1] for s in shapes),
           max(s[1][2] for s in shapes), max(s[1][3] for s in shapes))
    return (lambda x, y: any(s[0](x, y) for s in shapes)), box


def minus(shape, hole):
    return (lambda x, y: shape[0](x, y) and not hole[0](x, y)), shape[1]


def arrow_head(tip, direction_deg, size):
    a = math.radians(direction_deg)
    back = (tip[0] - size * math.cos(a), tip[1] + size * math.sin(a))
    side = (math.sin(a) * size * 0.6, math.cos(a) * size * 0.6)
    return polygon([tip, (back[0] + side[0], back[1] + side[1]), (back[0] - side[0], back[1] - side[1])])


def arc_tip(cx, cy, r, angle, ahead):
    """A point `ahead` beyond the counter-clockwise end of an arc at `angle`."""
    a = math.radians(angle)
    x, y = cx + r * math.cos(a), cy - r * math.sin(a)
    return x - ahead * math.sin(a), y - ahead * math.cos(a)


def draw(canvas, shape, color):
    canvas.fill(shape[0], color, shape[1])


# Writers ------------------------------------------------------------------

def bmp_bytes(canvas, alpha):
    bpp = 32 if alpha else 24
    rows = []
    pixels = canvas.bytes_rgba()
    for y in reversed(range(canvas.h)):
        row = bytearray()
        for x in range(canvas.w):
            r, g, b, a = pixels[y * canvas.w + x]
            row += bytes((b, g, r, a)) if alpha else bytes((b, g, r))
        row += b"\0" * ((-len(row)) % 4)
        rows.append(bytes(row))
    data = b"".join(rows)
    return bpp, data


def write_bmp(name, canvas, alpha=True):
    bpp, data = bmp_bytes(canvas, alpha)
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, bpp, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)))
        f.write(header + data)


def write_cur(name, canvas, hotspot):
    _, xor = bmp_bytes(canvas, True)
    stride = ((canvas.w + 31) // 32) * 4
    mask = bytearray()
    pixels = canvas.bytes_rgba()
    for y in reversed(range(canvas.h)):
        row = bytearray(stride)
        for x in range(canvas.w):
            if pixels[y * canvas.w + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + bytes(mask)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(struct.pack("<HHH", 0, 2, 1))
        f.write(struct.pack("<BBBBHHII", canvas.w, canvas.h, 0, 0, hotspot[0], hotspot[1], len(image), 22))
        f.write(image)


def write_png(name, canvas):
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in canvas.bytes_rgba()[y * canvas.w:(y + 1) * canvas.w])
                   for y in range(canvas.h))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


# Drawings -----------------------------------------------------------------

BLUE = (38, 110, 190)
DARK = (45, 52, 64)
GREEN = (46, 150, 70)
RED = (205, 60, 50)
ORANGE = (230, 140, 30)
PALE = (150, 190, 235)
WHITE = (255, 255, 255)


def cube(c, x, y, s, top=PALE, left=(110, 160, 220), right=BLUE, edge=DARK, width=1.2):
    """An isometric cube whose top vertex is at (x, y), edge length s."""
    h = s * 0.5
    t = [(x, y), (x + s, y + h), (x, y + 2 * h), (x - s, y + h)]
    l = [(x - s, y + h), (x, y + 2 * h), (x, y + 2 * h + s), (x - s, y + h + s)]
    r = [(x, y + 2 * h), (x + s, y + h), (x + s, y + h + s), (x, y + 2 * h + s)]
    for face, color in ((t, top), (l, left), (r, right)):
        draw(c, polygon(face), color)
    outline = [(x, y), (x + s, y + h), (x + s, y + h + s), (x, y + 2 * h + s), (x - s, y + h + s), (x - s, y + h), (x, y)]
    draw(c, polyline(outline, width), edge)
    draw(c, polyline([(x - s, y + h), (x, y + 2 * h), (x + s, y + h)], width), edge)
    draw(c, line(x, y + 2 * h, x, y + 2 * h + s, width), edge)


# Tool bitmaps are opaque: their corner colour is the transparent one, and
# close to the tool bar's own so that smoothed edges blend in.
TOOL_BACKGROUND = (246, 245, 244)


def tool(name, paint):
    c = Canvas(24, 24, background=tuple(v / 255 for v in TOOL_BACKGROUND) + (1,))
    paint(c)
    c.px[0] = [v / 255 for v in TOOL_BACKGROUND] + [1]
    write_bmp(name, c, alpha=False)


def rotate_tool(c):
    draw(c, ring(12, 12, 7.5, 2.4, 100, 50), BLUE)
    draw(c, arrow_head(arc_tip(12, 12, 7.5, 50, 3.2), 140, 6.5), BLUE)
    draw(c, disc(12, 12, 2), DARK)


def pan_tool(c):
    draw(c, line(12, 4, 12, 20, 2.2), BLUE)
    draw(c, line(4, 12, 20, 12, 2.2), BLUE)
    for tip, angle in (((12, 2), 90), ((12, 22), 270), ((2, 12), 180), ((22, 12), 0)):
        draw(c, arrow_head(tip, angle, 5.5), BLUE)


def zoom_tool(c):
    draw(c, line(14.5, 14.5, 21, 21, 3.6), DARK)
    draw(c, disc(10, 10, 7), (235, 243, 252))
    draw(c, ring(10, 10, 6.5, 2.2), BLUE)
    draw(c, line(6.5, 10, 13.5, 10, 1.8), DARK)
    draw(c, line(10, 6.5, 10, 13.5, 1.8), DARK)


def selection_tool(c):
    for x0, y0, x1, y1 in ((3, 3, 21, 3), (21, 3, 21, 18), (21, 18, 3, 18), (3, 18, 3, 3)):
        length = math.hypot(x1 - x0, y1 - y0)
        steps = int(length // 3)
        for i in range(0, steps, 2):
            a, b = i / steps, min(1, (i + 1) / steps)
            draw(c, line(x0 + (x1 - x0) * a, y0 + (y1 - y0) * a, x0 + (x1 - x0) * b, y0 + (y1 - y0) * b, 1.3), DARK)
    for x, y in ((8, 8), (12, 12), (16, 9), (9, 14)):
        draw(c, disc(x, y, 1.6), RED)
    draw(c, polygon([(14, 13), (14, 23), (16.5, 20.5), (18.5, 24), (20, 23.2), (18, 19.8), (21.5, 19.5)]), WHITE)
    draw(c, polyline([(14, 13), (14, 23), (16.5, 20.5), (18.5, 24), (20, 23.2), (18, 19.8), (21.5, 19.5), (14, 13)], 1.0), DARK)


def fit_tool(c):
    cube(c, 12, 6, 5.5)
    for (x, y), (dx, dy) in (((2, 2), (1, 1)), ((22, 2), (-1, 1)), ((2, 22), (1, -1)), ((22, 22), (-1, -1))):
        draw(c, polyline([(x, y + 5 * dy), (x, y), (x + 5 * dx, y)], 1.8), DARK)


def view_tool(face):
    def paint(c):
        grey = (205, 212, 222)
        faces = {"top": (ORANGE, grey, grey), "left": (grey, ORANGE, grey), "front": (grey, grey, ORANGE)}[face]
        cube(c, 12, 2, 9, *faces)
    return paint


def play_tool(c):
    draw(c, disc(12, 12, 10), GREEN)
    draw(c, polygon([(9, 6.5), (9, 17.5), (18, 12)]), WHITE)


def annotation_tool(c):
    draw(c, polygon([(3, 4), (21, 4), (21, 16), (11, 16), (6, 21), (7, 16), (3, 16)]), (250, 220, 90))
    draw(c, polyline([(3, 4), (21, 4), (21, 16), (11, 16), (6, 21), (7, 16), (3, 16), (3, 4)], 1.2), (150, 110, 20))
    for y in (8, 11.5):
        draw(c, line(6.5, y, 17.5, y, 1.4), DARK)


def measure_tool(c):
    draw(c, polygon([(2, 15), (15, 2), (22, 9), (9, 22)]), (240, 200, 80))
    draw(c, polyline([(2, 15), (15, 2), (22, 9), (9, 22), (2, 15)], 1.2), (140, 100, 20))
    for i in range(1, 7):
        x, y = 2 + i * 13 / 7, 15 - i * 13 / 7
        tick = 4 if i % 2 else 2.5
        draw(c, line(x, y, x + tick * 0.7, y + tick * 0.7, 1.1), DARK)


def cut_tool(c):
    cube(c, 12, 3, 8)
    draw(c, polygon([(1, 14), (13, 8), (23, 13), (11, 19)]), (220, 60, 50, 200))
    draw(c, polyline([(1, 14), (13, 8), (23, 13), (11, 19), (1, 14)], 1.0), (140, 30, 20))


def info_tool(c):
    draw(c, disc(12, 12, 10), BLUE)
    draw(c, disc(12, 6.8, 1.8), WHITE)
    draw(c, rect(10.4, 9.8, 13.6, 18.5), WHITE)


def cursor(name, hotspot, paint):
    c = Canvas(32, 32)
    shapes = paint()
    for shape in shapes:  # a white rim keeps the cursor visible on dark scenes
        draw(c, grow(shape, 1.6), WHITE)
    for shape in shapes:
        draw(c, shape, (20, 20, 20))
    write_cur(name + ".cur", c, hotspot)


def grow(shape, by):
    inside, box = shape
    offsets = [(by * math.cos(a), by * math.sin(a)) for a in (i * math.pi / 4 for i in range(8))] + [(0, 0)]
    return (lambda x, y: any(inside(x + dx, y + dy) for dx, dy in offsets)), \
        (box[0] - by, box[1] - by, box[2] + by, box[3] + by)


def crosshair(cx=16, cy=16, gap=3, size=10):
    return [line(cx - size, cy, cx - gap, cy, 1.6), line(cx + gap, cy, cx + size, cy, 1.6),
            line(cx, cy - size, cx, cy - gap, 1.6), line(cx, cy + gap, cx, cy + size, 1.6)]


def stroke_letter(letter, x, y, w, h):
    """Block capitals as polylines, for the About picture's title."""
    shapes = {
        "K": [[(0, 0), (0, 1)], [(1, 0), (0, 0.55)], [(0.28, 0.4), (1, 1)]],
        "A": [[(0, 1), (0.5, 0), (1, 1)], [(0.22, 0.62), (0.78, 0.62)]],
        "V": [[(0, 0), (0.5, 1), (1, 0)]],
        "R": [[(0, 1), (0, 0), (0.75, 0), (0.95, 0.12), (0.95, 0.38), (0.75, 0.5), (0, 0.5)], [(0.45, 0.5), (1, 1)]],
        "I": [[(0.5, 0), (0.5, 1)]],
    }[letter]
    return [[(x + px * w, y + py * h) for px, py in stroke] for stroke in shapes]


def about_picture():
    c = Canvas(420, 230, background=(221 / 255, 221 / 255, 221 / 255, 1), samples=2)
    draw(c, rect(0, 0, 420, 6), BLUE)
    cube(c, 110, 40, 62, width=3)
    draw(c, polygon([(40, 140), (110, 105), (180, 140), (110, 175)]), (220, 60, 50, 150))
    x = 215
    for letter in "KAVRIK":
        width = 10 if letter == "I" else 26
        for stroke in stroke_letter(letter, x, 92, width, 44):
            draw(c, polyline(stroke, 6), DARK)
        x += width + 8
    draw(c, rect(215, 152, 400, 154), BLUE)
    write_bmp("ab_free.bmp", c, alpha=False)


def remote_pointer():
    key = (255, 0, 255)
    c = Canvas(32, 32, background=tuple(v / 255 for v in key) + (1,), samples=1)
    arrow = [(2, 2), (2, 24), (8, 18), (12, 28), (16, 26), (12, 17), (20, 17)]
    draw(c, polygon(arrow), (250, 130, 20))
    draw(c, polyline(arrow + [(2, 2)], 1.0), (90, 40, 0))
    write_bmp("cur_remote.bmp", c, alpha=False)


def application_icon():
    c = Canvas(64, 64)
    draw(c, union(rect(6, 2, 58, 62), rect(2, 6, 62, 58), disc(6, 6, 4), disc(58, 6, 4), disc(6, 58, 4), disc(58, 58, 4)),
         (38, 90, 160))
    cube(c, 32, 10, 20, top=(235, 242, 250), left=(170, 200, 235), right=(120, 165, 220), edge=(20, 40, 80), width=1.6)
    draw(c, polygon([(8, 38), (32, 27), (56, 38), (32, 49)]), (230, 70, 55, 190))
    write_png("AA_ICON_KAVRIK.png", c)


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, paint in (("but_rotate.bmp", rotate_tool), ("but_pan.bmp", pan_tool), ("but_zoom.bmp", zoom_tool),
                        ("but_sel.bmp", selection_tool), ("view_fit.bmp", fit_tool),
                        ("view_left.bmp", view_tool("left")), ("view_front.bmp", view_tool("front")),
                        ("view_top.bmp", view_tool("top")), ("but_play.bmp", play_tool),
                        ("but_annot.bmp", annotation_tool), ("but_cot.bmp", measure_tool),
                        ("but_cut.bmp", cut_tool), ("but_info.bmp", info_tool)):
        tool(name, paint)
    cursor("WXCURSOR_ORBIT", (16, 16), lambda: [ring(16, 16, 9, 2.2, 100, 50),
                                                 arrow_head(arc_tip(16, 16, 9, 50, 3.5), 140, 7),
                                                 disc(16, 16, 2)])
    cursor("WXCURSOR_PAN", (16, 16), lambda: [line(16, 5, 16, 27, 2), line(5, 16, 27, 16, 2),
                                               arrow_head((16, 2), 90, 6), arrow_head((16, 30), 270, 6),
                                               arrow_head((2, 16), 180, 6), arrow_head((30, 16), 0, 6)])
    cursor("WXCURSOR_ZOOM", (12, 12), lambda: [ring(12, 12, 8, 2.2), line(18, 18, 28, 28, 3.5),
                                                line(8, 12, 16, 12, 1.8), line(12, 8, 12, 16, 1.8)])
    cursor("WXCURSOR_SELECT", (16, 16), lambda: crosshair() + [
        polyline([(20, 20), (28, 20), (28, 28), (20, 28), (20, 20)], 1.4)])
    cursor("WXCURSOR_COT", (16, 16), lambda: crosshair() + [line(20, 27, 30, 27, 1.6), line(20, 24, 20, 30, 1.4),
                                                             line(30, 24, 30, 30, 1.4)])
    cursor("WXCURSOR_PLANCUT", (16, 16), lambda: crosshair() + [
        polyline([(19, 24), (25, 21), (31, 24), (25, 27), (19, 24)], 1.4)])
    about_picture()
    remote_pointer()
    application_icon()


if __name__ == "__main__":
    sys.exit(main())
