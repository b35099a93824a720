"""The 32 x 32 text pictures the cursor and the icon are drawn in: one character a pixel."""

SIZE = 32


class PictureError(Exception):
    pass


def read_picture(path, pixels, hint=''):
    """The picture's lines, each checked to hold SIZE characters of `pixels`."""
    with open(path, encoding='ascii') as f:
        lines = f.read().splitlines()
    if len(lines) != SIZE:
        raise PictureError(f'{path}: expected {SIZE} lines, found {len(lines)}')
    for number, line in enumerate(lines, start=1):
        if len(line) != SIZE:
            raise PictureError(f'{path}:{number}: expected {SIZE} characters, found {len(line)}')
        for column, char in enumerate(line, start=1):
            if char not in pixels:
                raise PictureError(f"{path}:{number}:{column}: unknown pixel '{char}'{hint}")
    return lines
