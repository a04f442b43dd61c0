#!/usr/bin/env python3
"""Draws the skin's images from the shapes and colours below: flat fills, 6-pixel rounded
corners, thin borders, no gradients. Every image is written at 1x; the icons and the main
window's images also at 2x into "commonEnalarge/" (same base name) for the enlarged-image
mode. zlib and struct only.

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
FIELD_LINE = (0x8C, 0x96, 0xA0)     # field and check box borders: 3:1 on white
FIELD_LINE_HOT = (0x5F, 0x6B, 0x78)
ERROR_LINE = (0xC6, 0x28, 0x28)     # 5.6:1 on white
PRIMARY_DISABLED = (0xE3, 0xE8, 0xED)  # under #56616D text
TRACK = (0xEB, 0xF0, 0xF5)
PANEL = (0xF1, 0xF5, 0xF9)           # the tip panel, under #17171A text
LOGO_BACK = (0xEA, 0xF3, 0xFB)
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


def ring(outer, inner):
    return lambda x, y: outer(x, y) and not inner(x, y)


def polygon(points):
    """A convex polygon, points in clockwise order (y down)."""
    def inside(x, y):
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            if (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0) < 0:
                return False
        return True
    return inside


def framed_cells(size, height, radius, states, scale):
    """Cells of a framed field: per state (fill, border), a 1-pixel (x scale) border."""
    cells = []
    for fill, border in states:
        cells.append([(lambda left: rounded_rect(left, 0, left + size, height, radius * scale), border),
                      (lambda left: rounded_rect(left + scale, scale, left + size - scale, height - scale,
                                                 (radius - 1) * scale), fill)])
    return strip(size, height, cells)


def field_strip(scale):
    # Normal, hot, focused: the edit box's states (also the browse button's).
    s = 28 * scale
    return framed_cells(s, s, 4, [(WHITE, FIELD_LINE), (WHITE, FIELD_LINE_HOT), (WHITE, ACCENT)], scale)


def error_field(scale):
    s = 10 * scale
    return framed_cells(s, s, 4, [(WHITE, ERROR_LINE)], scale)


def primary_strip(scale):
    # Normal, hot, pushed, disabled; white text on the first three, dark text on the last.
    w, h = 20 * scale, 44 * scale
    return strip(w, h, [[(lambda left: rounded_rect(left, 0, left + w, h, RADIUS * scale), fill)]
                        for fill in (ACCENT_DEEP, ACCENT_DEEP_HOT, ACCENT_DEEP_PRESSED, PRIMARY_DISABLED)])


def bar(colour, scale):
    w, h = 12 * scale, 8 * scale
    return w, h, render(w, h, [(rounded_rect(0, 0, w, h, 4 * scale), colour)])


def panel(scale):
    s = 20 * scale
    return s, s, render(s, s, [(rounded_rect(0, 0, s, s, RADIUS * scale), PANEL)])


def title_glyph_strip(glyph_layers, scale):
    """Normal, hot, pushed cells of a title-bar button; glyph_layers(left, size, colour)."""
    size = 28 * scale
    cells = []
    for background in (None, CLOSE_HOT, CLOSE_PRESSED):
        cell = []
        if background:
            cell.append((lambda left: rounded_rect(left + 2 * scale, 2 * scale, left + size - 2 * scale,
                                                   size - 2 * scale, RADIUS * scale), background))
        glyph = CLOSE_GLYPH if background is None else TEXT
        cell.extend(glyph_layers(size, scale, glyph))
        cells.append(cell)
    return strip(size, size, cells)


def minimise_glyph(size, scale, colour):
    a, b, y = size * 0.34, size * 0.66, size * 0.5
    return [(lambda left: segment(left + a, y, left + b, y, 1.6 * scale), colour)]


def contact_glyph(size, scale, colour):
    # A speech bubble with three dots: "talk to us".
    s = scale
    top, bottom, l, r = 8.5 * s, 18 * s, 7.5 * s, 20.5 * s
    line = 1.5 * s

    def bubble(left):
        outer = rounded_rect(left + l, top, left + r, bottom, 3 * s)
        inner = rounded_rect(left + l + line, top + line, left + r - line, bottom - line, 1.8 * s)
        tail = segment(left + 11 * s, bottom - 0.5 * s, left + 9.5 * s, 21.5 * s, line)
        return lambda x, y: ring(outer, inner)(x, y) or tail(x, y)
    layers = [(bubble, colour)]
    for dx in (11, 14, 17):
        layers.append((lambda left, dx=dx: circle(left + dx * s, 13.25 * s, 1.05 * s), colour))
    return layers


def check_strip(scale):
    # Unchecked, unchecked hot, checked, checked hot; 16 x 16 cells.
    s = 16 * scale
    cells = []
    for checked, hot in ((False, False), (False, True), (True, False), (True, True)):
        if checked:
            fill = ACCENT_DEEP_HOT if hot else ACCENT_DEEP
            cell = [(lambda left: rounded_rect(left, 0, left + s, s, 3 * scale), fill),
                    (lambda left: segment(left + 4 * scale, 8.2 * scale, left + 6.8 * scale, 11 * scale,
                                          1.8 * scale), WHITE),
                    (lambda left: segment(left + 6.8 * scale, 11 * scale, left + 12 * scale, 5.2 * scale,
                                          1.8 * scale), WHITE)]
        else:
            cell = [(lambda left: rounded_rect(left, 0, left + s, s, 3 * scale), ACCENT if hot else FIELD_LINE),
                    (lambda left: rounded_rect(left + scale, scale, left + s - scale, s - scale, 2 * scale), WHITE)]
        cells.append(cell)
    return strip(s, s, cells)


def logo(scale, badge):
    """The product mark: a rounded tile with a play sign; the variant 9 carries a ring badge."""
    s = 56 * scale
    k = scale * 56 / 72  # drawn on a 72-unit grid
    layers = [(rounded_rect(0, 0, s, s, 16 * k), ACCENT_DEEP),
              (polygon([(27 * k, 21 * k), (52 * k, 36 * k), (27 * k, 51 * k)]), WHITE)]
    if badge:
        # A "9": ring and a stem, in a white disc at the upper right.
        layers += [(circle(56 * k, 16 * k, 13 * k), WHITE),
                   (ring(circle(56 * k, 12.5 * k, 5.3 * k), circle(56 * k, 12.5 * k, 2.7 * k)), ACCENT_DEEP),
                   (segment(60 * k, 12.5 * k, 57.5 * k, 23 * k, 2.6 * k), ACCENT_DEEP)]
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
    # The main window's images, at 1x and 2x.
    main_window = {
        "browse_button.png": field_strip,
        "error_edit_bg.png": error_field,
        "btn_primary.png": primary_strip,
        "progress_bg.png": lambda k: bar(TRACK, k),
        "progress_fore.png": lambda k: bar(ACCENT, k),
        "tip_bg.png": panel,
        "check_box.png": check_strip,
        "common/btn_min.png": lambda k: title_glyph_strip(minimise_glyph, k),
        "common/btn_contact.png": lambda k: title_glyph_strip(contact_glyph, k),
        "logo.png": lambda k: logo(k, False),
        "logo9.png": lambda k: logo(k, True),
    }
    for name, draw in main_window.items():
        images[name] = draw(1)
        images["commonEnalarge/" + os.path.basename(name)] = draw(2)
    for name, (width, height, rgba) in images.items():
        write_png(os.path.join(out, name), width, height, rgba)


if __name__ == "__main__":
    main()
