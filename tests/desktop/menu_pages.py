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
