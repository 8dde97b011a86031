#!/usr/bin/env python3
"""Draws Zorvane's target icons and writes them as .ico files into resources/.

Each icon holds 48, 32 and 16 pixel images twice: 32-bit with alpha (XP and
later) and 16-colour with a transparency mask (older shells). Only the
standard library is used; the .ico files are committed, so the build never
runs this script. Usage: python3 scripts/make_icons.py [output folder]
"""
import math
import os
import struct
import sys

SIZES = (48, 32, 16)
SAMPLES = 5  # supersampling per axis, for smooth ring edges

RED = (208, 32, 32)
WHITE = (255, 255, 255)
DARK = (32, 32, 32)

# The 16 colours of the standard VGA palette, for the 4-bit images.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def bullseye(bands, outline):
    """A shape: rings of colour from the outside in, a dark rim and a crosshair."""
    def shape(x, y, pixel):
        half_line = pixel  # crosshair two pixels wide, centred on the pixel grid
        r = math.hypot(x, y)
        on_cross = (abs(x) < half_line or abs(y) < half_line) and r > 0.22
        if on_cross:
            return DARK
        if outline[0] <= r < outline[1]:
            return DARK
        found = None
        for radius, colour in bands:  # bands run from the outside in
            if r < radius:
                found = colour
        return found
    return shape


def reticle(x, y, pixel):
    """A shape: thin sight ring, crosshair with a gap, and a red centre dot."""
    r = math.hypot(x, y)
    if r < 0.16:
        return RED
    ring = max(pixel, 0.07)
    if abs(r - 0.72) < ring:
        return DARK
    if (abs(x) < pixel or abs(y) < pixel) and 0.32 < r < 0.98:
        return DARK
    return None


# Icon 200: the program's picture (class icon, About box); 201: the small and
# tray icon, fewer and wider rings so that it reads at 16 pixels; 5002: spare.
ICONS = {
    'zorvane.ico': bullseye([(0.86, RED), (0.64, WHITE), (0.42, RED), (0.20, WHITE), (0.10, RED)],
                            (0.86, 0.96)),
    'zorvane_small.ico': bullseye([(0.84, RED), (0.52, WHITE), (0.26, RED)], (0.84, 0.98)),
    'zorvane_spare.ico': reticle,
}


def render(shape, size):
    """Returns rows (top first) of (r, g, b, a) pixels, anti-aliased."""
    pixel = 2.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0.0, 0.0, 0.0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = -1.0 + (px + (sx + 0.5) / SAMPLES) * pixel
                    y = -1.0 + (py + (sy + 0.5) / SAMPLES) * pixel
                    colour = shape(x, y, pixel)
                    if colour is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += colour[i]
            if covered:
                rgb = tuple(int(round(total[i] / covered)) for i in range(3))
                alpha = int(round(255.0 * covered / (SAMPLES * SAMPLES)))
            else:
                rgb, alpha = (0, 0, 0), 0
            row.append(rgb + (alpha,))
        rows.append(row)
    return rows


def and_mask(rows, size):
    """The 1-bit mask, bottom row first, rows padded to 32 bits: 1 = transparent."""
    stride = ((size + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return bytes(data)


def bitmap_header(size, bits, colours):
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def image_32(rows, size):
    data = bytearray(bitmap_header(size, 32, 0))
    for row in reversed(rows):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    return bytes(data + and_mask(rows, size))


def nearest_vga(rgb):
    return min(range(16), key=lambda i: sum((rgb[c] - VGA[i][c]) ** 2 for c in range(3)))


def image_4(rows, size):
    data = bytearray(bitmap_header(size, 4, 16))
    for r, g, b in VGA:
        data += bytes((b, g, r, 0))
    stride = ((size * 4 + 31) // 32) * 4
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            index = nearest_vga((r, g, b)) if a >= 128 else 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        data += line
    return bytes(data + and_mask(rows, size))


def icon_file(shape):
    images = []  # (size, colour count, bits, data)
    rendered = {size: render(shape, size) for size in SIZES}
    for size in SIZES:
        images.append((size, 0, 32, image_32(rendered[size], size)))
    for size in SIZES:
        images.append((size, 16, 4, image_4(rendered[size], size)))
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, colours, bits, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    for image in images:
        out += image[3]
    return bytes(out)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
    for name, shape in ICONS.items():
        path = os.path.join(folder, name)
        with open(path, 'wb') as f:
            f.write(icon_file(shape))
        print('wrote', os.path.normpath(path))


if __name__ == '__main__':
    main()
