#!/usr/bin/env python3
"""Draws the banner (1200 x 60) and the application icons (48, 256) as RGBA
PNGs, with the standard library only. Run from anywhere; writes next to res/.

    python3 res/tools/make_images.py
"""
import os
import struct
import zlib

RES = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SS = 4  # supersampling per axis

# 5 x 7 glyphs, '#' = ink.
GLYPHS = {
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "d": ["....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"],
    "u": [".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"],
    "c": [".....", ".....", ".###.", "#....", "#....", "#...#", ".###."],
    "t": [".#...", ".#...", "###..", ".#...", ".#...", ".#..#", "..##."],
    "i": [".#...", ".....", "##...", ".#...", ".#...", ".#...", "###.."],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "p": [".....", ".....", "####.", "#...#", "####.", "#....", "#...."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}
ADVANCE = {"i": 4, "t": 5, "r": 5, " ": 3}


def write_png(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples, 8 bits each; colour type 6."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def render(width, height, shade):
    """shade(x, y) -> (r, g, b, a) as floats 0..1 at sample coordinates in
    output pixels; returns the box-filtered 8-bit image."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    r, g, b, a = shade(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            if alpha > 0:
                col = [acc[i] / acc[3] for i in range(3)]
            else:
                col = [0.0, 0.0, 0.0]
            row.append(tuple(int(round(min(1.0, max(0.0, v)) * 255)) for v in col + [alpha]))
        rows.append(row)
    return rows


def text_mask(text, x0, y0, cell):
    """Returns (inside, right edge): inside(x, y) tells whether a point lies on
    the text drawn with square cells of the given size."""
    grid = set()
    x = x0
    for ch in text:
        for gy, line in enumerate(GLYPHS[ch]):
            for gx, c in enumerate(line):
                if c == "#":
                    grid.add((round((x - x0) / cell) + gx, gy))
        x += ADVANCE.get(ch, 6) * cell

    def inside(px, py):
        if px < x0 or py < y0:
            return False
        return (int((px - x0) // cell), int((py - y0) // cell)) in grid

    return inside, x


def rounded_rect(x, y, x0, y0, x1, y1, radius):
    cx = min(max(x, x0 + radius), x1 - radius)
    cy = min(max(y, y0 + radius), y1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


NAVY = (0.06, 0.16, 0.34)
TEAL = (0.05, 0.52, 0.60)
CHIP = (0.13, 0.15, 0.18)
PIN = (0.80, 0.72, 0.42)
GREEN = (0.30, 0.78, 0.42)
RED = (0.90, 0.33, 0.30)
WHITE = (1.0, 1.0, 1.0)


def chip(x, y, size, x0, y0):
    """The chip emblem in a size x size square at x0, y0: a dark package with
    gold pins and a small OK/NG bar pair. Returns (r, g, b, a) or None."""
    u = (x - x0) / size
    v = (y - y0) / size
    if not (0 <= u < 1 and 0 <= v < 1):
        return None
    if rounded_rect(u, v, 0.2, 0.2, 0.8, 0.8, 0.06):
        if 0.32 <= u < 0.44 and 0.36 <= v < 0.68:
            return GREEN + (1.0,)
        if 0.56 <= u < 0.68 and 0.54 <= v < 0.68:
            return RED + (1.0,)
        return CHIP + (1.0,)
    for k in range(4):
        c = 0.29 + k * 0.14
        along = abs(u - c) < 0.035 or abs(v - c) < 0.035
        if along and (0.08 <= u < 0.2 or 0.8 <= u < 0.92) and abs(v - c) < 0.035:
            return PIN + (1.0,)
        if along and (0.08 <= v < 0.2 or 0.8 <= v < 0.92) and abs(u - c) < 0.035:
            return PIN + (1.0,)
    return None


def banner():
    w, h = 1200, 60
    inside, _ = text_mask("QZ8840 Production Report", 76, 13, 5)

    def shade(x, y):
        t = x / w
        base = lerp(NAVY, TEAL, t)
        # Fade out over the last fifth so the banner blends into the dialog.
        alpha = 1.0 if t < 0.8 else 1.0 - (t - 0.8) / 0.2 * 0.85
        # A thin light rule along the bottom edge.
        if y >= h - 3:
            return lerp(base, WHITE, 0.35) + (alpha,)
        c = chip(x, y, 52, 12, 4)
        if c is not None:
            return c
        if inside(x, y):
            return WHITE + (1.0,)
        return base + (alpha,)

    write_png(os.path.join(RES, "banner.png"), w, h, render(w, h, shade))


def icon(size):
    def shade(x, y):
        u, v = x / size, y / size
        if rounded_rect(u, v, 0.02, 0.02, 0.98, 0.98, 0.18):
            back = lerp(NAVY, TEAL, (u + v) / 2)
            c = chip(u, v, 1.0, 0.0, 0.0)
            if c is not None:
                return c
            return back + (1.0,)
        return (0.0, 0.0, 0.0, 0.0)

    write_png(os.path.join(RES, "icon-%d.png" % size), size, size, render(size, size, shade))


if __name__ == "__main__":
    banner()
    icon(48)
    icon(256)
