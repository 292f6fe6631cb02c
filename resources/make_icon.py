#!/usr/bin/env python3
"""Draws the application icon and writes it as the two raw resources the
executable carries: app_icon.bin (the 32 x 32, 24-bit image with its mask, as
an icon resource holds it) and app_icon_group.bin (icon group 1, one entry
that refers to icon image 30001).

The picture: a database drum (three stacked blue discs) with a gold year tab,
on a transparent background. Run it from anywhere; it writes beside itself."""
import os
import struct

SIZE = 32
ICON_IMAGE_ID = 30001

BLUE = (0x1F, 0x5F, 0xB4)
BLUE_DARK = (0x12, 0x3C, 0x78)
BLUE_LIGHT = (0x7F, 0xB2, 0xEE)
GOLD = (0xF2, 0xB1, 0x24)
GOLD_DARK = (0x9C, 0x6A, 0x08)
OUTLINE = (0x10, 0x1A, 0x2C)


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def pixel(x, y):
    """Colour of pixel (x, y), y counted from the top; None is transparent."""
    cx, rx, ry = 14.5, 11.5, 4.0
    top, bottom = 6.0, 25.0
    fx, fy = x + 0.5, y + 0.5
    # Year tab in the lower right corner.
    if 19 <= x <= 30 and 20 <= y <= 29:
        if x in (19, 30) or y in (20, 29):
            return GOLD_DARK
        if 22 <= x <= 27 and y in (23, 24, 25, 26) and (x + y) % 2 == 0:
            return GOLD_DARK
        return GOLD
    body = abs(fx - cx) <= rx and top <= fy <= bottom
    lid = in_ellipse(fx, fy, cx, top, rx, ry)
    base = in_ellipse(fx, fy, cx, bottom, rx, ry)
    if not (body or lid or base):
        return None
    edge = not (abs(fx - cx) <= rx - 1 and (top <= fy <= bottom or
                in_ellipse(fx, fy, cx, top, rx - 1, ry - 1) or
                in_ellipse(fx, fy, cx, bottom, rx - 1, ry - 1)))
    if edge:
        return OUTLINE
    if in_ellipse(fx, fy, cx, top, rx - 1, ry - 1):
        return BLUE_LIGHT
    for ring in (12.5, 18.5):
        if in_ellipse(fx, fy, cx, ring, rx, ry) and not in_ellipse(fx, fy, cx, ring - 1, rx, ry):
            return BLUE_DARK
    return BLUE


def icon_image():
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    colours = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        bits = 0
        for x in range(SIZE):
            colour = pixel(x, y)
            if colour is None:
                colours += b'\0\0\0'
                bits |= 1 << (31 - x)
            else:
                r, g, b = colour
                colours += bytes((b, g, r))
        mask += struct.pack('>I', bits)
    image = header + colours + mask
    assert len(image) == 3240, len(image)
    return image


def icon_group(image_size):
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHIH', SIZE, SIZE, 0, 0, 1, 24, image_size, ICON_IMAGE_ID)
    return directory + entry


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    image = icon_image()
    with open(os.path.join(here, 'app_icon.bin'), 'wb') as out:
        out.write(image)
    with open(os.path.join(here, 'app_icon_group.bin'), 'wb') as out:
        out.write(icon_group(len(image)))


if __name__ == '__main__':
    main()
