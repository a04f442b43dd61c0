#!/usr/bin/env python3
"""Writes the gallery's images: small RGBA PNGs made with zlib and struct only.

Usage: make_images.py OUTPUT_DIR

btn.png is a 60x28 strip of three 20x28 states (normal, hot, pushed) drawn for a 6-pixel
nine-slice corner: each corner block has its own colour, the edges another and the
centre the state's colour, so that a screenshot shows what was stretched and what was not.
"""
import os
import struct
import sys
import zlib


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows))) +
                  chunk(b"IEND", b""))


CORNER = 6
CORNERS = {(0, 0): (255, 0, 0), (1, 0): (0, 255, 0), (0, 1): (0, 0, 255), (1, 1): (255, 255, 0)}
HORIZONTAL_EDGE = (0, 128, 128)
VERTICAL_EDGE = (128, 0, 128)
STATES = [(200, 200, 200), (220, 220, 255), (150, 150, 150)]


def button_pixel(x, y):
    state, x = divmod(x, 20)
    width, height = 20, 28
    left, right = x < CORNER, x >= width - CORNER
    top, bottom = y < CORNER, y >= height - CORNER
    if (left or right) and (top or bottom):
        return CORNERS[(1 if right else 0, 1 if bottom else 0)] + (255,)
    if top or bottom:
        return HORIZONTAL_EDGE + (255,)
    if left or right:
        return VERTICAL_EDGE + (255,)
    return STATES[state] + (255,)


def edit_pixel(x, y):
    state, x = divmod(x, 10)
    border = x == 0 or y == 0 or x == 9 or y == 9
    frame = [(160, 160, 160), (90, 140, 220), (30, 110, 230)][state]
    return (frame if border else (255, 255, 255)) + (255,)


def option_pixel(x, y):
    checked, x = divmod(x, 20)
    border = x in (2, 17) or y in (2, 17)
    inside = 2 < x < 17 and 2 < y < 17
    if border:
        return (60, 60, 60, 255)
    if inside:
        return ((40, 160, 60) if checked and 5 < x < 14 and 5 < y < 14 else (255, 255, 255)) + (255,)
    return (0, 0, 0, 0)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_png(os.path.join(out, "btn.png"), 60, 28, button_pixel)
    write_png(os.path.join(out, "fore.png"), 10, 10, lambda x, y: (0, 90, 200, 255))
    write_png(os.path.join(out, "edit.png"), 30, 10, edit_pixel)
    write_png(os.path.join(out, "option.png"), 40, 20, option_pixel)
    write_png(os.path.join(out, "logo.png"), 16, 16, lambda x, y: (240, 120, 0, 255) if (x // 4 + y // 4) % 2 else (0, 0, 0, 0))


if __name__ == "__main__":
    main()
