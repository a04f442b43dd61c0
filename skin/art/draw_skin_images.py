#!/usr/bin/env python3
"""Draws the skin's images from the shapes and colours below: flat fills, 6-pixel rounded
corners, thin borders, no gradients. Every image is written at 1x; the icons also at 2x
into "commonEnalarge/" for the enlarged-image mode. zlib and struct only.

Usage: draw_skin_images.py OUTPUT_DIR

Button strips are cells side by side, one per state (normal, hot, pushed), each a rounded
rectangle that fills its cell, so that a nine-slice with a 6-pixel corner keeps the corner.
The colours are chosen for text contrast of at least 4.5:1 (the window tests check the
rendered buttons): black or #17171A text sits on ACCENT and the light fills, white text on
ACCENT_DEEP and darker.
"""
import math
import os
import struct
import sys
import zlib

ACCENT = (0x26, 0x8F, 0xD6)
ACCENT_LIGHT = (0x3D, 0x9B, 0xE0)    # hot, under black text
ACCENT_PRESSED = (0x1F, 0x80, 0xC2)  # pushed, under black text
ACCENT_DEEP = (0x1A, 0x6F, 0xA8)     # under white text
ACCENT_DEEP_HOT = (0x1F, 0x78, 0xB4)
ACCENT_DEEP_PRESSED = (0x15, 0x5D, 0x8E)
ACCENT_DISABLED = (0xA9, 0xCB, 0xE6)
WHITE = (0xFF, 0xFF, 0xFF)
LINE = (0xC9, 0xD1, 0xDA)
HOT_FILL = (0xEE, 0xF5, 0xFB)
PRESSED_FILL = (0xDD, 0xEB, 0xF6)
TEXT = (0x17, 0x17, 0x1A)
CLOSE_GLYPH = (0x5F, 0x63, 0x68)
CLOSE_HOT = (0xEC, 0xEE, 0xF1)
CLOSE_PRESSED = (0xDC, 0xE0, 0xE5)
RADIUS = 6
SAMPLES = 4  # per axis, for smooth edges


def write_png(path, width, height, rgba):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        rows.extend(rgba[y * width * 4:(y + 1) * width * 4])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) +
                  chunk(b"IEND", b""))


# Shapes: functions (x, y) -> bool, in pixel units of the image being drawn.
def rounded_rect(left, top, right, bottom, radius):
    def inside(x, y):
        if x < left or x >= right or y < top or y >= bottom:
            return False
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def render(width, height, layers):
    """layers: (shape, rgb) painted in order with the 'over' operator."""
    out = bytearray(width * height * 4)
    step = 1.0 / SAMPLES
    for y in range(height):
        for x in range(width):
            r = g = b = a = 0.0
            for shape, colour in layers:
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        hits += shape(x + (sx + 0.5) * step, y + (sy + 0.5) * step)
                cover = hits / (SAMPLES * SAMPLES)
                if cover == 0:
                    continue
                # Premultiplied over.
                r = colour[0] * cover + r * (1 - cover)
                g = colour[1] * cover + g * (1 - cover)
                b = colour[2] * cover + b * (1 - cover)
                a = cover + a * (1 - cover)
            i = (y * width + x) * 4
            if a > 0:
                out[i:i + 4] = bytes((round(r / a), round(g / a), round(b / a), round(a * 255)))
    return out


def strip(cell_width, height, cells):
    """cells: per state, a list of (shape maker taking the cell's left edge, colour)."""
    width = cell_width * len(cells)
    layers = []
    for index, cell in enumerate(cells):
        left = index * cell_width
        for make, colour in cell:
            layers.append((make(left), colour))
    return width, height, render(width, height, layers)


def filled(cell_width, height, fill, border=None, scale=1):
    def cell():
        layers = []
        if border:
            layers.append((lambda left: rounded_rect(left, 0, left + cell_width, height, RADIUS * scale), border))
            layers.append((lambda left: rounded_rect(left + scale, scale, left + cell_width - scale, height - scale,
                                                     (RADIUS - 1) * scale), fill))
        else:
            layers.append((lambda left: rounded_rect(left, 0, left + cell_width, height, RADIUS * scale), fill))
        return layers
    return cell()


def button_strip(cell_width, height, states):
    return strip(cell_width, height, [filled(cell_width, height, fill, border) for fill, border in states])


def close_strip(size):
    cells = []
    for background in (None, CLOSE_HOT, CLOSE_PRESSED):
        cell = []
        if background:
            cell.append((lambda left: rounded_rect(left + 2, 2, left + size - 2, size - 2, RADIUS), background))
        glyph = CLOSE_GLYPH if background is None else TEXT
        a, b = size * 0.34, size * 0.66
        cell.append((lambda left, a=a, b=b: segment(left + a, a, left + b, b, 1.6), glyph))
        cell.append((lambda left, a=a, b=b: segment(left + b, a, left + a, b, 1.6), glyph))
        cells.append(cell)
    return strip(size, size, cells)


def notice_icon(scale):
    s = 48 * scale
    c = s / 2
    layers = [(circle(c, c, 20 * scale), ACCENT_DEEP),
              (segment(c, 13 * scale, c, 28 * scale, 4.5 * scale), WHITE),
              (circle(c, 34.5 * scale, 2.6 * scale), WHITE)]
    return s, s, render(s, s, layers)


def ok_icon(scale):
    s = 48 * scale
    c = s / 2
    layers = [(circle(c, c, 20 * scale), ACCENT_DEEP),
              (segment(14.5 * scale, 24.5 * scale, 21 * scale, 31 * scale, 4 * scale), WHITE),
              (segment(21 * scale, 31 * scale, 33.5 * scale, 17.5 * scale, 4 * scale), WHITE)]
    return s, s, render(s, s, layers)


def main():
    out = sys.argv[1]
    plain = [(WHITE, LINE), (HOT_FILL, ACCENT), (PRESSED_FILL, ACCENT_PRESSED)]
    images = {
        "common/btn_bg_default.png": button_strip(20, 28, [(ACCENT, None), (ACCENT_LIGHT, None),
                                                           (ACCENT_PRESSED, None)]),
        "common/btn_bg.png": button_strip(20, 28, plain),
        # Cell 0 is the disabled look; the buttons use cells 1 to 3.
        "remote/btn_32.png": button_strip(16, 32, [(ACCENT_DISABLED, None), (ACCENT_DEEP, None),
                                                   (ACCENT_DEEP_HOT, None), (ACCENT_DEEP_PRESSED, None)]),
        "remote/btn_cancel.png": button_strip(20, 28, plain),
        "button_box_cancel.png": button_strip(100, 32, plain),
        "button_box_hot.png": button_strip(100, 32, [(ACCENT_DEEP, None), (ACCENT_DEEP_HOT, None),
                                                     (ACCENT_DEEP_PRESSED, None)]),
        "common/btn_close.png": close_strip(28),
        "common/msg_noice48.png": notice_icon(1),
        "common/msg_ok48.png": ok_icon(1),
        "commonEnalarge/msg_noice48.png": notice_icon(2),
        "commonEnalarge/msg_ok48.png": ok_icon(2),
    }
    for name, (width, height, rgba) in images.items():
        write_png(os.path.join(out, name), width, height, rgba)


if __name__ == "__main__":
    main()
