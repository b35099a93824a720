"""Reads the BMP files jpeg2bmp writes (24-bit, or 8-bit with a palette) as RGB rows."""

import struct


def read_bmp_rows(path):
    """(width, rows): each row RGB bytes, the top row first, as a screenshot returns them."""
    with open(path, "rb") as file:
        data = file.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path} is not a BMP file")
    pixels_at, = struct.unpack_from("<I", data, 10)
    header_size, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    if bits not in (8, 24):
        raise ValueError(f"{path}: {bits} bits per pixel")
    # Palette entries are blue, green, red, reserved.
    palette_at = 14 + header_size
    palette = [bytes(reversed(data[palette_at + 4 * i:palette_at + 4 * i + 3]))
               for i in range(256)] if bits == 8 else []
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        stored = height - 1 - y if height > 0 else y  # a positive height is stored bottom-up
        start = pixels_at + stored * stride
        row = data[start:start + width * bits // 8]
        if bits == 24:
            rgb = bytearray(len(row))
            rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        else:
            rgb = b"".join(palette[index] for index in row)
        rows.append(bytes(rgb))
    return width, rows


def top_left(rows, width, height):
    """The top-left width x height pixels of the rows, as one RGB byte string."""
    return b"".join(row[:width * 3] for row in rows[:height])
