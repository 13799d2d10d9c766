#!/usr/bin/env python3
"""Draws the program's icon: a sheet going into a printer, with the green send arrow. The same
shapes give the scalable icon (spxl.svg) and the 48 px picture (spxl-48.png), so both always
agree. Plain Python (zlib only): python3 packaging/make-icon.py"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIZE = 48


def rounded(x0, y0, x1, y1, r, steps=6):
    """Corners of a rounded rectangle as a polygon."""
    points = []
    for cx, cy, start in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for i in range(steps + 1):
            a = math.radians(start + 90 * i / steps)
            points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points


# (fill colour RGBA, outline colour or None, polygon) in painting order, on a 48 x 48 canvas.
SHAPES = [
    # the printer body and its shadow
    ((40, 44, 52, 60), None, rounded(5, 21, 45, 43, 4)),
    ((92, 99, 112, 255), (52, 57, 66, 255), rounded(4, 19, 44, 41, 4)),
    # the output slot
    ((36, 40, 48, 255), None, [(10, 34), (38, 34), (38, 37), (10, 37)]),
    # the sheet going in, with its folded corner
    ((252, 252, 248, 255), (120, 120, 120, 255), [(12, 4), (30, 4), (36, 10), (36, 27), (12, 27)]),
    ((214, 214, 208, 255), (120, 120, 120, 255), [(30, 4), (30, 10), (36, 10)]),
    # lines of print on the sheet
    ((150, 156, 166, 255), None, [(15, 13), (28, 13), (28, 15), (15, 15)]),
    ((150, 156, 166, 255), None, [(15, 18), (32, 18), (32, 20), (15, 20)]),
    # the send arrow
    ((0, 140, 70, 255), (0, 90, 45, 255), [(30, 26), (38, 26), (38, 21), (46, 30), (38, 39), (38, 34), (30, 34)]),
    # the status light
    ((120, 220, 120, 255), None, rounded(8, 23, 12, 27, 2, 3)),
]


def svg():
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           f'<svg xmlns="http://www.w3.org/2000/svg" width="{SIZE}" height="{SIZE}" viewBox="0 0 {SIZE} {SIZE}">']
    for fill, stroke, poly in SHAPES:
        points = " ".join(f"{x:.2f},{y:.2f}" for x, y in poly)
        attrs = f'fill="rgb({fill[0]},{fill[1]},{fill[2]})"'
        if fill[3] != 255:
            attrs += f' fill-opacity="{fill[3] / 255:.2f}"'
        if stroke:
            attrs += f' stroke="rgb({stroke[0]},{stroke[1]},{stroke[2]})" stroke-width="1" stroke-linejoin="round"'
        out.append(f'  <polygon points="{points}" {attrs}/>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def inside(poly, x, y):
    result = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def near_edge(poly, x, y, half_width):
    for i in range(len(poly)):
        (x0, y0), (x1, y1) = poly[i - 1], poly[i]
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        if math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= half_width:
            return True
    return False


def blend(under, over, coverage):
    a = over[3] / 255 * coverage
    out_a = a + under[3] / 255 * (1 - a)
    if out_a == 0:
        return (0, 0, 0, 0)
    rgb = tuple((over[k] * a + under[k] * under[3] / 255 * (1 - a)) / out_a for k in range(3))
    return tuple(int(round(v)) for v in rgb) + (int(round(out_a * 255)),)


def png(scale=SIZE / 48, samples=4):
    pixels = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]
    offsets = [(i + 0.5) / samples for i in range(samples)]
    for fill, stroke, poly in SHAPES:
        for py in range(SIZE):
            for px in range(SIZE):
                hits_fill = hits_stroke = 0
                for oy in offsets:
                    for ox in offsets:
                        x, y = (px + ox) / scale, (py + oy) / scale
                        if stroke and near_edge(poly, x, y, 0.5):
                            hits_stroke += 1
                        elif inside(poly, x, y):
                            hits_fill += 1
                total = samples * samples
                if hits_fill:
                    pixels[py][px] = blend(pixels[py][px], fill, hits_fill / total)
                if hits_stroke:
                    pixels[py][px] = blend(pixels[py][px], stroke, hits_stroke / total)
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    with open(os.path.join(HERE, "spxl.svg"), "w") as f:
        f.write(svg())
    with open(os.path.join(HERE, "spxl-48.png"), "wb") as f:
        f.write(png())
