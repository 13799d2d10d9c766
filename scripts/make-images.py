#!/usr/bin/env python3
"""Draws the program's pictures into resources/images: the send button in its four states
(SENDU up, SENDD pressed, SENDF focused, SENDX disabled) and the About box picture.
Plain Python (zlib only), so the pictures can be redrawn anywhere: python3 scripts/make-images.py"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "images")

# 5x7 letters for the button caption.
FONT = {
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
}


class Image:
    def __init__(self, w, h, colour):
        self.w, self.h = w, h
        self.px = [[colour] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c); self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c); self.set(x1, y, c)

    def text(self, x, y, s, c, scale=2):
        for ch in s:
            for row, bits in enumerate(FONT[ch]):
                for col, bit in enumerate(bits):
                    if bit == "1":
                        self.rect(x + col * scale, y + row * scale, x + col * scale + scale - 1, y + row * scale + scale - 1, c)
            x += 6 * scale

    def png(self, path):
        raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in self.px)
        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        data = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
        with open(path, "wb") as f:
            f.write(data)


FACE, LIGHT, SHADOW, DARK, BLACK = (212, 208, 200), (255, 255, 255), (128, 128, 128), (64, 64, 64), (0, 0, 0)
GREEN, PAPER, GREY = (0, 128, 64), (250, 250, 245), (150, 150, 150)


def printer(img, x, y, body, ink, paper):
    """A small printer: paper coming out of the top, the body, the output slot."""
    img.rect(x + 4, y, x + 15, y + 6, paper); img.frame(x + 4, y, x + 15, y + 6, ink)
    img.rect(x, y + 6, x + 19, y + 15, body); img.frame(x, y + 6, x + 19, y + 15, ink)
    img.rect(x + 3, y + 11, x + 16, y + 12, ink)
    img.set(x + 16, y + 8, (200, 0, 0) if ink != GREY else GREY)


def arrow(img, x, y, c):
    img.rect(x, y + 3, x + 7, y + 5, c)
    for k in range(5):
        img.rect(x + 8 + k, y + k - 0, x + 8 + k, y + 8 - k, c)


def button(state):
    w, h = 118, 34
    img = Image(w, h, FACE)
    pressed = state == "D"
    top, bottom = (SHADOW, LIGHT) if pressed else (LIGHT, DARK)
    img.rect(0, 0, w - 1, 0, top); img.rect(0, 0, 0, h - 1, top)
    img.rect(0, h - 1, w - 1, h - 1, bottom); img.rect(w - 1, 0, w - 1, h - 1, bottom)
    if not pressed:
        img.rect(1, h - 2, w - 2, h - 2, SHADOW); img.rect(w - 2, 1, w - 2, h - 2, SHADOW)
    d = 1 if pressed else 0
    ink = GREY if state == "X" else BLACK
    printer(img, 10 + d, 8 + d, (230, 230, 225) if state != "X" else FACE, ink, PAPER if state != "X" else FACE)
    arrow(img, 34 + d, 12 + d, GREY if state == "X" else GREEN)
    if state == "X":
        img.text(56 + 1, 11 + 1, "SEND", LIGHT)
    img.text(56 + d, 11 + d, "SEND", ink)
    if state == "F":
        for x in range(4, w - 4, 2):
            img.set(x, 4, BLACK); img.set(x, h - 5, BLACK)
        for y in range(4, h - 4, 2):
            img.set(4, y, BLACK); img.set(w - 5, y, BLACK)
    return img


def about():
    img = Image(96, 96, (192, 192, 192))
    # a stack of sheets
    for k in range(4):
        x, y = 14 + k * 4, 6 + k * 4
        img.rect(x, y, x + 40, y + 52, PAPER); img.frame(x, y, x + 40, y + 52, DARK)
    for line in range(6):
        img.rect(32, 26 + line * 6, 62, 27 + line * 6, (120, 120, 160))
    # the printer under them
    img.rect(8, 64, 88, 88, (90, 96, 110)); img.frame(8, 64, 88, 88, BLACK)
    img.rect(16, 72, 80, 75, (30, 30, 30))
    img.rect(74, 80, 80, 84, (0, 170, 80))
    arrow(img, 58, 50, GREEN)
    return img


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for state in "UDFX":
        button(state).png(os.path.join(OUT, f"SEND{state}.png"))
    about().png(os.path.join(OUT, "about.png"))
    print("pictures written to", os.path.normpath(OUT))
