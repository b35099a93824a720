"""The sample disc's menu as the desktop tests walk through it, on Linux and under Wine alike:
the page titles, where a window's client area starts, and for each layout a point inside each
hot region the walk clicks."""

from dataclasses import dataclass

WELCOME = "Welcome to TAVO setup"
FAREWELL = "YOU'VE MADE THE BRIVANT CHOICE"
HELP = "Help"

# A window's client area lies 3 pixels in from its left edge and 22 below its top: the fixed
# frame, then the 19-pixel title bar (our layer's metrics, and Wine's classic ones).
CLIENT_OFFSET = (3, 22)


@dataclass
class Layout:
    """A screen size, the pictures its layout shows and a point inside each hot region used
    (client coordinates, inside the region's strict bounds)."""
    screen: tuple
    picture: tuple
    suffix: str
    welcome_next: tuple
    install_help: tuple
    help_back_to_install: tuple
    install_next: tuple
    farewell_quit: tuple
    welcome_install_reader: tuple
    install_setup: tuple


LARGE = Layout((1024, 768), (800, 600), "", (460, 550), (590, 550), (727, 550), (692, 550),
               (719, 550), (335, 550), (150, 550))
SMALL = Layout((640, 480), (640, 480), "l", (369, 440), (474, 440), (574, 440), (550, 440),
               (573, 440), (262, 440), (118, 440))

# The boxes of the disc's installer stand-ins, by their titles: the reader's installer on the
# welcome page, the product's setup on the install page.
READER_SETUP_BOX = "Document Reader Setup"
PRODUCT_SETUP_BOX = "TAVO Setup"


@dataclass
class FocusOutlines:
    """Where the keyboard's focus is drawn on each button of a layout: what shows of the hot
    region in the client area, without its border pixels, as (left, top, right, bottom) in client
    coordinates, right and bottom excluded."""
    welcome_reader: tuple
    welcome_next: tuple
    install_setup: tuple
    install_next: tuple
    help_back: tuple
    farewell_quit: tuple


# The regions run past the bottom of the client area (575 or 455 pixels high): they are cut there.
LARGE_FOCUS = FocusOutlines((301, 525, 370, 575), (426, 525, 495, 575), (95, 524, 209, 575),
                            (663, 524, 722, 575), (693, 527, 762, 575), (690, 530, 749, 575))
SMALL_FOCUS = FocusOutlines((236, 418, 290, 455), (343, 418, 397, 455), (74, 421, 163, 455),
                            (526, 421, 575, 455), (553, 421, 597, 455), (554, 421, 593, 455))


def with_focus(client, width, outline):
    """Client pixels (RGB bytes, rows of `width` pixels) with the focus drawn as DrawFocusRect
    draws it under Wine and in our layer: every other pixel of the outline inverted, counted from
    its top-right pixel, which is inverted."""
    left, top, right, bottom = outline
    shown = bytearray(client)
    for y in range(top, bottom):
        for x in range(left, right):
            on_outline = x in (left, right - 1) or y in (top, bottom - 1)
            if on_outline and (right - 1 - x + y - top) % 2 == 0:
                at = (y * width + x) * 3
                shown[at:at + 3] = bytes(255 - value for value in shown[at:at + 3])
    return bytes(shown)
