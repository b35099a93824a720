#!/usr/bin/env python3
"""Turns a 32 x 32 text picture into a 16-colour Windows icon file.

The picture has 32 lines of 32 characters. '.' lets the desktop show through; every other
character is one of the 16 colours that every Windows display shows without dithering:

  '#' black    'r' maroon   'g' green    'y' olive    'b' navy     'm' purple   'c' teal
  's' silver   'd' grey     'R' red      'G' lime     'Y' yellow   'B' blue     'M' fuchsia
  'C' aqua     'o' white

Usage: make_icon.py PICTURE --ico OUT.ico
"""
import argparse
import struct
import sys

from text_picture import SIZE, PictureError, read_picture

TRANSPARENT = '.'
# Palette order is the icon's colour table: index, then (red, green, blue).
COLOURS = {
    '#': (0, 0, 0), 'r': (128, 0, 0), 'g': (0, 128, 0), 'y': (128, 128, 0),
    'b': (0, 0, 128), 'm': (128, 0, 128), 'c': (0, 128, 128), 's': (192, 192, 192),
    'd': (128, 128, 128), 'R': (255, 0, 0), 'G': (0, 255, 0), 'Y': (255, 255, 0),
    'B': (0, 0, 255), 'M': (255, 0, 255), 'C': (0, 255, 255), 'o': (255, 255, 255),
}
INDEX = {char: index for index, char in enumerate(COLOURS)}


def colour_row(line):
    """Two pixels a byte, the left one in the high nibble; 32 pixels fill a 4-byte DIB row."""
    indices = [INDEX.get(char, 0) for char in line]
    return bytes(high << 4 | low for high, low in zip(indices[0::2], indices[1::2]))


def mask_row(line):
    """One bit a pixel, set where the desktop shows through."""
    bits = 0
    for char in line:
        bits = (bits << 1) | (char == TRANSPARENT)
    return bits.to_bytes(SIZE // 8, 'big')


def ico_file(lines):
    # An icon image is a DIB twice as high as the icon: the colour plane, then the mask, both
    # bottom-up. Transparent pixels are colour 0 (black) under a set mask bit.
    palette = b''.join(bytes([blue, green, red, 0]) for red, green, blue in COLOURS.values())
    planes = (b''.join(colour_row(line) for line in reversed(lines)) +
              b''.join(mask_row(line) for line in reversed(lines)))
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 4, 0, len(planes), 0, 0,
                       len(COLOURS), 0)
    image = info + palette + planes
    header = struct.pack('<HHH', 0, 1, 1)  # reserved, type 1 = icon, one image
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, len(COLOURS), 0, 1, 4, len(image),
                        len(header) + 16)
    return header + entry + image


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('picture')
    parser.add_argument('--ico', required=True)
    args = parser.parse_args()
    try:
        lines = read_picture(args.picture, set(COLOURS) | {TRANSPARENT})
    except (OSError, UnicodeDecodeError, PictureError) as error:
        sys.exit(f'make_icon.py: {error}')
    with open(args.ico, 'wb') as f:
        f.write(ico_file(lines))


if __name__ == '__main__':
    main()
