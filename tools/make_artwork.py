#!/usr/bin/env python3
"""Draws the panel's own artwork: the application icon and the logo.

Writes res/vexilo.ico (16, 32, 48 and 256 px), res/vexilo.png (256 px), res/logo.bmp (154 x 55,
24 bits, white background, which the main window treats as transparent), res/logo.png (the
same logo with a real alpha channel, for the Qt build) and the desktop icons res/icons/NxN.png
(16 to 512 px, each drawn at its size; 256 is res/vexilo.png) and res/icons/scalable.svg. Python standard library only; the output
is deterministic, so running it again changes no committed file.

Motif: a signal that enters as a smooth analog wave and leaves as a square digital one, on a
deep blue tile with an amber output bar; the logo adds the word "Vexilo".
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "res")

TILE_TOP = (0x24, 0x6B, 0xA8)
TILE_BOTTOM = (0x0F, 0x35, 0x5C)
WAVE = (0xFF, 0xFF, 0xFF)
AMBER = (0xF2, 0xA5, 0x1A)
INK = (0x14, 0x3C, 0x66)


class Canvas:
    """RGBA floating-point canvas with coverage-based anti-aliased painting."""

    def __init__(self, width, height, background=None):
        self.w, self.h = width, height
        if background is None:
            self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]
        else:
            r, g, b = background
            self.px = [[r, g, b, 1.0] for _ in range(width * height)]

    def blend(self, x, y, color, coverage):
        if coverage <= 0.0:
            return
        a = min(coverage, 1.0)
        p = self.px[y * self.w + x]
        out_a = a + p[3] * (1.0 - a)
        for i in range(3):
            p[i] = (color[i] * a + p[i] * p[3] * (1.0 - a)) / out_a
        p[3] = out_a

    def fill(self, box, coverage_at, color_at):
        x0, y0, x1, y1 = box
        for y in range(max(0, int(y0) - 1), min(self.h, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(x0) - 1), min(self.w, int(math.ceil(x1)) + 1)):
                c = coverage_at(x + 0.5, y + 0.5)
                if c > 0.0:
                    self.blend(x, y, color_at(x + 0.5, y + 0.5), c)

    def rounded_rect(self, x0, y0, x1, y1, radius, color_at):
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

        def cover(px, py):
            qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
            outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
            d = outside + min(max(qx, qy), 0.0) - radius
            return min(max(0.5 - d, 0.0), 1.0)

        self.fill((x0, y0, x1, y1), cover, color_at)

    def stroke(self, points, width, color):
        segs = list(zip(points, points[1:]))
        half = width / 2

        def cover(px, py):
            best = float("inf")
            for (ax, ay), (bx, by) in segs:
                dx, dy = bx - ax, by - ay
                t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy or 1.0)
                t = min(max(t, 0.0), 1.0)
                best = min(best, math.hypot(px - ax - t * dx, py - ay - t * dy))
            return min(max(half - best + 0.5, 0.0), 1.0)

        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        box = (min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half)
        self.fill(box, cover, lambda *_: color)

    def disc(self, cx, cy, r, color):
        self.fill((cx - r, cy - r, cx + r, cy + r),
                  lambda x, y: min(max(r - math.hypot(x - cx, y - cy) + 0.5, 0.0), 1.0),
                  lambda *_: color)

    def rgba_rows(self):
        for y in range(self.h):
            row = []
            for x in range(self.w):
                p = self.px[y * self.w + x]
                row.append(tuple(int(round(min(max(v, 0.0), 1.0) * 255)) for v in p))
            yield row


def mix(a, b, t):
    return tuple((a[i] + (b[i] - a[i]) * t) / 255.0 for i in range(3))


def unit(color):
    return tuple(c / 255.0 for c in color)


def tile_shapes(x0, y0, s):
    """The icon's strokes: (wave points, wave width, bar points, bar width)."""
    width = max(1.3, 0.085 * s)
    mid, amp = y0 + 0.44 * s, 0.17 * s
    left, split, right = x0 + 0.13 * s, x0 + 0.47 * s, x0 + 0.87 * s
    # Analog half: one full sine period, ending where the square wave starts (high).
    pts = []
    n = 24
    for i in range(n + 1):
        t = i / n
        x = left + (split - left) * t
        pts.append((x, mid - amp * math.sin(2 * math.pi * t * 1.25)))
    # Digital half: the sine's crest runs on as the first plateau of a square wave.
    step = (right - split) / 3
    hi, lo = mid - amp, mid + amp
    pts += [(split + step, hi), (split + step, lo), (split + 2 * step, lo),
            (split + 2 * step, hi), (right, hi)]
    bar_y = y0 + 0.78 * s
    return pts, width, [(x0 + 0.22 * s, bar_y), (x0 + 0.78 * s, bar_y)], max(1.2, 0.075 * s)


def draw_tile(canvas, x0, y0, size):
    """The icon: the tile, the analog-to-digital wave and the output bar."""
    s = size
    canvas.rounded_rect(x0, y0, x0 + s, y0 + s, 0.2 * s,
                        lambda x, y: mix(TILE_TOP, TILE_BOTTOM, (y - y0) / s))
    wave, wave_width, bar, bar_width = tile_shapes(x0, y0, s)
    canvas.stroke(wave, wave_width, unit(WAVE))
    canvas.stroke(bar, bar_width, unit(AMBER))


def icon_svg(size=256):
    """The same icon as vector art, for any size a desktop asks for."""
    wave, wave_width, bar, bar_width = tile_shapes(0.0, 0.0, float(size))

    def hexcolor(c):
        return "#%02X%02X%02X" % c

    def points(pts):
        return " ".join("%.2f,%.2f" % p for p in pts)

    return ('<svg xmlns="http://www.w3.org/2000/svg" width="{s}" height="{s}" '
            'viewBox="0 0 {s} {s}">\n'
            '  <defs>\n'
            '    <linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">\n'
            '      <stop offset="0" stop-color="{top}"/>\n'
            '      <stop offset="1" stop-color="{bottom}"/>\n'
            '    </linearGradient>\n'
            '  </defs>\n'
            '  <rect width="{s}" height="{s}" rx="{r:.2f}" fill="url(#tile)"/>\n'
            '  <polyline points="{wave}" fill="none" stroke="{white}" stroke-width="{ww:.2f}" '
            'stroke-linecap="round" stroke-linejoin="round"/>\n'
            '  <polyline points="{bar}" fill="none" stroke="{amber}" stroke-width="{bw:.2f}" '
            'stroke-linecap="round"/>\n'
            '</svg>\n').format(s=size, r=0.2 * size, top=hexcolor(TILE_TOP),
                                bottom=hexcolor(TILE_BOTTOM), wave=points(wave),
                                white=hexcolor(WAVE), ww=wave_width, bar=points(bar),
                                amber=hexcolor(AMBER), bw=bar_width).encode("ascii")


def draw_word(canvas, x, baseline, cap, color):
    """'Vexilo' in a geometric line face: cap height `cap`, strokes of one weight."""
    w = 0.15 * cap
    c = unit(color)

    def arc(cx, cy, r, a0, a1, steps=40):
        return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
                 cy - r * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
                for i in range(steps + 1)]

    top = baseline - cap
    xh = baseline - 0.68 * cap  # x-height line
    rx = 0.34 * cap
    cy = (xh + baseline) / 2
    r = (baseline - xh) / 2
    # V
    canvas.stroke([(x, top), (x + 0.36 * cap, baseline), (x + 0.72 * cap, top)], w, c)
    x += 0.72 * cap + 0.16 * cap
    # e
    canvas.stroke([(x, cy), (x + 2 * rx, cy)] + arc(x + rx, cy, r, 0, 315)[1:], w, c)
    x += 2 * rx + 0.16 * cap
    # x
    canvas.stroke([(x, xh), (x + 0.56 * cap, baseline)], w, c)
    canvas.stroke([(x + 0.56 * cap, xh), (x, baseline)], w, c)
    x += 0.56 * cap + 0.2 * cap
    # i
    canvas.stroke([(x, xh), (x, baseline)], w, c)
    canvas.disc(x, top + 0.1 * cap, 0.6 * w, c)
    x += 0.24 * cap
    # l
    canvas.stroke([(x, top), (x, baseline)], w, c)
    x += 0.2 * cap
    # o
    canvas.stroke(arc(x + rx, cy, r, 0, 360, 60), w, c)
    return x + 2 * rx


def png_bytes(width, height, rows, alpha):
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for p in row:
            raw.extend(p if alpha else p[:3])

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def icon_dib(size, rows):
    """32-bit DIB as an icon image: header with doubled height, BGRA bottom-up, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels.extend((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    return header + bytes(pixels) + bytes(mask_stride * size)


def ico_bytes(images):
    """images: list of (size, data); sizes of 256 are stored as 0 in the directory."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def bmp24_bytes(width, height, rows):
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line.extend((b, g, r))
        line.extend(bytes(stride - len(line)))
        pixels.extend(line)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    return header + info + bytes(pixels)


def render_icon(size):
    canvas = Canvas(size, size)
    draw_tile(canvas, 0.0, 0.0, float(size))
    return list(canvas.rgba_rows())


def render_logo(background):
    canvas = Canvas(154, 55, background)
    draw_tile(canvas, 4.0, 5.5, 44.0)
    draw_word(canvas, 58.0, 40.0, 26.0, INK)
    return list(canvas.rgba_rows())


HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256, 512)


def write(name, data):
    path = os.path.join(RES, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("wrote", os.path.relpath(path))


def main():
    os.makedirs(RES, exist_ok=True)
    icons = {size: render_icon(size) for size in HICOLOR_SIZES}
    images = [(s, icon_dib(s, icons[s])) for s in (16, 32, 48)]
    images.append((256, png_bytes(256, 256, icons[256], True)))
    write("vexilo.ico", ico_bytes(images))
    write("vexilo.png", png_bytes(256, 256, icons[256], True))
    write("logo.bmp", bmp24_bytes(154, 55, render_logo((1.0, 1.0, 1.0))))
    write("logo.png", png_bytes(154, 55, render_logo(None), True))
    # The desktop's icon theme: every usual size drawn at that size, and the vector form.
    for size in HICOLOR_SIZES:
        if size == 256:
            continue  # res/vexilo.png serves this size
        write("icons/%dx%d.png" % (size, size), png_bytes(size, size, icons[size], True))
    write("icons/scalable.svg", icon_svg())
    return 0


if __name__ == "__main__":
    sys.exit(main())
