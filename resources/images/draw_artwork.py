#!/usr/bin/env python3
"""Draws the program's icons, toolbar images, hand cursor and About picture.

All artwork is drawn here from simple shapes; rerun to rebuild the PNG files
of this folder. Standard library only (a small RGBA canvas and PNG writer).
"""
import math
import struct
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent


class Canvas:
    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.pixels = [[fill for _ in range(width)] for _ in range(height)]

    def put(self, x, y, color):
        if 0 <= x < self.width and 0 <= y < self.height:
            if len(color) == 3:
                color = (*color, 255)
            self.pixels[y][x] = color

    def rect(self, x, y, w, h, color):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.put(xx, yy, color)

    def frame(self, x, y, w, h, color):
        for xx in range(x, x + w):
            self.put(xx, y, color)
            self.put(xx, y + h - 1, color)
        for yy in range(y, y + h):
            self.put(x, yy, color)
            self.put(x + w - 1, yy, color)

    def disc(self, cx, cy, r, color):
        for yy in range(int(cy - r - 1), int(cy + r + 2)):
            for xx in range(int(cx - r - 1), int(cx + r + 2)):
                if (xx + 0.5 - cx) ** 2 + (yy + 0.5 - cy) ** 2 <= r * r:
                    self.put(xx, yy, color)

    def line(self, x0, y0, x1, y1, color):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), color)

    def art(self, x, y, rows, palette):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in palette:
                    self.put(x + dx, y + dy, palette[ch])

    def save(self, name):
        raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in self.pixels)
        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
               chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
        (HERE / name).write_bytes(png)


TEAL, NAVY, GOLD = (0, 128, 128), (0, 0, 128), (214, 170, 40)
BOARD, DARK = (30, 110, 60), (20, 20, 20)
WHITE, GREY, SILVER, RED = (255, 255, 255), (128, 128, 128), (200, 200, 200), (200, 30, 30)


def chip(c, x, y, w, h, pins=True):
    c.rect(x, y, w, h, DARK)
    c.frame(x, y, w, h, (70, 70, 70))
    if pins:
        for px in range(x + 1, x + w - 1, 2):
            c.put(px, y - 1, SILVER)
            c.put(px, y + h, SILVER)


def program_icon(size):
    c = Canvas(size, size)
    s = size / 32
    # A board seen from above with one large processor and a "Z" trace.
    c.rect(round(1 * s), round(1 * s), round(30 * s), round(30 * s), BOARD)
    c.frame(round(1 * s), round(1 * s), round(30 * s), round(30 * s), (10, 60, 30))
    chip(c, round(8 * s), round(8 * s), round(16 * s), round(16 * s))
    z = [(11, 12), (21, 12), (11, 21), (21, 21)]
    for (x0, y0), (x1, y1) in zip(z, z[1:]):
        c.line(round(x0 * s), round(y0 * s), round(x1 * s), round(y1 * s), GOLD)
        c.line(round(x0 * s), round(y0 * s) + 1, round(x1 * s), round(y1 * s) + 1, GOLD)
    for i in range(3, 29, 4):
        c.put(round(i * s), round(3 * s), GOLD)
        c.put(round(i * s), round(28 * s), GOLD)
    return c


def toolbar_exit():
    c = Canvas(21, 21)
    c.rect(4, 2, 10, 17, (120, 72, 30))     # door
    c.frame(4, 2, 10, 17, (70, 40, 10))
    c.put(11, 11, GOLD)
    for i in range(5):                       # arrow out of the door
        c.line(12, 10, 19, 10, RED)
        c.line(12, 11, 19, 11, RED)
        c.line(19 - i, 10 - i, 19 - i, 11 + i, RED)
    return c


def toolbar_save():
    c = Canvas(21, 21)
    c.rect(2, 2, 17, 17, NAVY)
    c.rect(5, 2, 11, 7, WHITE)
    c.rect(12, 3, 2, 5, NAVY)
    c.rect(5, 12, 11, 7, SILVER)
    c.frame(2, 2, 17, 17, DARK)
    return c


def toolbar_system():
    c = Canvas(21, 21)
    c.rect(2, 2, 17, 13, SILVER)
    c.frame(2, 2, 17, 13, DARK)
    c.rect(4, 4, 13, 9, TEAL)
    c.line(5, 10, 8, 7, WHITE)
    c.line(8, 7, 11, 9, WHITE)
    c.line(11, 9, 15, 5, WHITE)
    c.rect(8, 15, 5, 2, GREY)
    c.rect(5, 17, 11, 2, SILVER)
    c.frame(5, 17, 11, 2, DARK)
    return c


def toolbar_ide():
    c = Canvas(21, 21)
    # A drive with its platter showing.
    c.rect(2, 4, 17, 13, SILVER)
    c.frame(2, 4, 17, 13, DARK)
    c.disc(9, 10.5, 5, GREY)
    c.disc(9, 10.5, 1.5, DARK)
    c.line(15, 6, 11, 12, NAVY)
    c.rect(15, 14, 2, 1, (0, 200, 0))
    return c


def toolbar_pci():
    c = Canvas(21, 21)
    c.rect(1, 4, 19, 11, BOARD)
    c.frame(1, 4, 19, 11, (10, 60, 30))
    chip(c, 4, 6, 6, 5)
    chip(c, 12, 7, 4, 3)
    for x in range(3, 19, 2):                # gold fingers
        c.rect(x, 15, 1, 3, GOLD)
    c.rect(17, 2, 3, 13, SILVER)             # bracket
    return c


def toolbar_superio():
    c = Canvas(21, 21)
    chip(c, 4, 4, 13, 13)
    for y in range(6, 16, 2):
        c.put(3, y, SILVER)
        c.put(17, y, SILVER)
    c.art(6, 7, ["#..#.##",
                 "#..#.#.",
                 "#..#.#.",
                 "#..#.##"], {"#": GOLD})
    c.disc(6, 14.5, 1, WHITE)
    return c


def toolbar_about():
    c = Canvas(21, 21)
    c.disc(10.5, 10.5, 9, NAVY)
    c.disc(10.5, 10.5, 7.5, (60, 90, 200))
    c.rect(9, 5, 3, 3, WHITE)
    c.rect(9, 9, 3, 7, WHITE)
    c.rect(8, 15, 5, 1, WHITE)
    return c


HAND = [
    ".......##.......",
    "......#ww#......",
    "......#ww#......",
    "......#ww#......",
    "......#ww#......",
    "......#ww###....",
    "......#ww#ww###.",
    "......#ww#ww#ww#",
    "...##.#ww#ww#ww##",
    "..#ww##wwwwwwww#w#",
    "..#www#wwwwwwwwww#",
    "...#ww#wwwwwwwwww#",
    "....#wwwwwwwwwwww#",
    "....#wwwwwwwwwww#.",
    ".....#wwwwwwwwww#.",
    ".....#wwwwwwwwww#.",
    "......#wwwwwwww#..",
    "......#wwwwwwww#..",
    "......##########..",
]


def hand_cursor():
    c = Canvas(32, 32)
    # Tip of the index finger at (9, 1): the cursor's hot spot.
    c.art(2, 0, HAND, {"#": (0, 0, 0), "w": WHITE})
    return c


def about_picture():
    w, h = 240, 110
    c = Canvas(w, h)
    for y in range(h):                        # the band's colours, left to right
        for x in range(w):
            t = x / (w - 1)
            c.put(x, y, (0, round(128 * (1 - t)), 128))
    c.rect(20, 14, 200, 82, BOARD)            # the board
    c.frame(20, 14, 200, 82, (10, 60, 30))
    for y in range(18, 92, 6):                # traces
        c.line(24, y, 60, y, (60, 150, 90))
    chip(c, 70, 24, 36, 36)                   # processor
    c.disc(88, 42, 10, (60, 60, 60))
    for x in (120, 130, 140):                 # memory slots
        c.rect(x, 20, 5, 70, (40, 40, 40))
        c.rect(x + 1, 22, 3, 66, (230, 230, 230))
    for y in (66, 76, 86):                    # PCI slots
        c.rect(32, y, 70, 5, WHITE)
        c.frame(32, y, 70, 5, (40, 40, 40))
    chip(c, 160, 30, 24, 24)                  # chipset
    chip(c, 170, 70, 16, 12)                  # Super-I/O
    c.rect(200, 20, 16, 28, SILVER)           # ports
    c.frame(200, 20, 16, 28, DARK)
    c.disc(196, 86, 5, (200, 200, 60))        # battery
    return c


if __name__ == "__main__":
    program_icon(32).save("icon-128.png")
    program_icon(16).save("icon-130.png")
    toolbar_exit().save("toolbar-32772.png")
    toolbar_save().save("toolbar-32771.png")
    toolbar_system().save("toolbar-32778.png")
    toolbar_ide().save("toolbar-32781.png")
    toolbar_pci().save("toolbar-32780.png")
    toolbar_superio().save("toolbar-32788.png")
    toolbar_about().save("toolbar-32784.png")
    hand_cursor().save("cursor-141.png")
    about_picture().save("about-146.png")
