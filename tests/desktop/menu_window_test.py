"""The menu run whole in a real X server, as a person would use it.

Each test starts Xvfb, runs the real launcher from a copy of the sample disc with the system
drive in a temporary folder, and checks what the screen shows: where the windows are, that the
main window's client area shows the decoded page picture pixel for pixel, and that clicks on the
hot regions, or the keys, turn pages and end the program. The paths come from CTest: LUMARC_LAUNCHER,
LUMARC_JPEG2BMP and LUMARC_DISC.
"""

import os
import shutil
import struct
import subprocess
import tempfile
import unittest
import unittest.mock

from menu_pages import (CLIENT_OFFSET, FAREWELL, HELP, LARGE, LARGE_FOCUS, PRODUCT_SETUP_BOX,
                        READER_SETUP_BOX, SMALL, SMALL_FOCUS, WELCOME, with_focus)
from x_session import XSession, XSessionError, require_packages, wait_until

HERE = os.path.dirname(os.path.abspath(__file__))
HAND_CURSOR_PICTURE = os.path.join(HERE, "..", "..", "resources", "hand_cursor.txt")
LAUNCHER = os.environ.get("LUMARC_LAUNCHER", "")
JPEG2BMP = os.environ.get("LUMARC_JPEG2BMP", "")
DISC = os.environ.get("LUMARC_DISC", "")

# What the SDL backend draws window captions and message boxes with.
CAPTION_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
# The cursor theme the X cursor library falls back on; without one the system's arrow has no
# name ("left_ptr") to be told by.
DEFAULT_CURSOR_THEME = "/usr/share/icons/default/index.theme"

# Generous: under the sanitizers the program decodes its four pictures several times slower.
STARTUP_TIMEOUT = 60
STEP_TIMEOUT = 20

# An installer that takes its time: it notes when it starts and when it ends in its current
# directory, which it inherits from the menu (the disc).
SLOW_SETUP = """#!/bin/sh
echo started >> setup.log
sleep 3
echo ended >> setup.log
"""


def hand_cursor_pixels():
    """The program's hand cursor as ARGB pixels, from the text picture it is built from:
    '.' transparent, '#' black, 'o' white."""
    colours = {".": None, "#": 0xFF000000, "o": 0xFFFFFFFF}
    with open(HAND_CURSOR_PICTURE) as picture:
        return [colours[c] for line in picture.read().split() for c in line]


def decoded_picture(page_file):
    """The page picture as rows of RGB bytes, top row first, decoded by jpeg2bmp."""
    with tempfile.TemporaryDirectory() as folder:
        bmp = os.path.join(folder, "page.bmp")
        subprocess.run([JPEG2BMP, page_file, bmp], check=True, timeout=60)
        with open(bmp, "rb") as file:
            data = file.read()
    pixels_at, = struct.unpack_from("<I", data, 10)
    header_size, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    palette = [data[14 + header_size + 4 * i:14 + header_size + 4 * i + 3] for i in range(256)]
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        stored = height - 1 - y if height > 0 else y  # a positive height is stored bottom-up
        row = data[pixels_at + stored * stride:pixels_at + stored * stride + width * bits // 8]
        if bits == 24:
            rgb = bytearray(len(row))
            rgb[0::3], rgb[1::3], rgb[2::3] = row[2::3], row[1::3], row[0::3]
        else:
            rgb = bytearray(b"".join(bytes(reversed(palette[index])) for index in row))
        rows.append(bytes(rgb))
    return width, rows


def cut(picture, width, height):
    """The top-left width x height of a decoded picture, as a screenshot returns it."""
    _, rows = picture
    return b"".join(row[:width * 3] for row in rows[:height])


class MenuRun:
    """The launcher running on an X session from a fresh copy of the disc; killed on exit."""

    def __init__(self, session, disc_changes=None):
        require_packages(files={CAPTION_FONT: "fonts-dejavu-core",
                                DEFAULT_CURSOR_THEME: "adwaita-icon-theme"})
        self.session = session
        self.folder = tempfile.TemporaryDirectory()
        self.disc = os.path.join(self.folder.name, "disc")
        shutil.copytree(DISC, self.disc)
        if disc_changes:
            disc_changes(self.disc)
        system_drive = os.path.join(self.folder.name, "system-drive")
        os.mkdir(system_drive)
        env = dict(session.env, LUMARC_SYSTEM_DRIVE=system_drive)
        env.pop("LUMARC_BACKEND", None)
        self.process = subprocess.Popen([LAUNCHER], cwd=self.disc, env=env)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=10)
        self.folder.cleanup()
        return False


class MissingPackageTest(unittest.TestCase):

    def test_a_missing_program_is_named_by_its_package_at_once(self):
        with unittest.mock.patch.dict(os.environ, {"PATH": "/nonexistent"}):
            with self.assertRaisesRegex(XSessionError, r"Xvfb \(Debian package xvfb\)"):
                XSession(640, 480).__enter__()


@unittest.skipUnless(LAUNCHER and JPEG2BMP and DISC, "run through CTest, which passes the paths")
class MenuWindowTest(unittest.TestCase):

    def client_origin(self, session, main):
        x, y, _, _ = session.window_geometry(main)
        return x + CLIENT_OFFSET[0], y + CLIENT_OFFSET[1]

    def assert_client_shows(self, session, main, layout, page, focus=None):
        """The client area equals the page picture cut to it, once the program has painted; with
        a focus outline (left, top, right, bottom), the picture with the focus drawn there."""
        expected_picture = decoded_picture(
            os.path.join(DISC, "brivant", f"{page}{layout.suffix}.dat"))
        width = layout.picture[0] - 2 * CLIENT_OFFSET[0]
        height = layout.picture[1] - CLIENT_OFFSET[1] - CLIENT_OFFSET[0]
        expected = cut(expected_picture, width, height)
        if focus:
            expected = with_focus(expected, width, focus)
        x, y = self.client_origin(session, main)
        shown = []

        def painted():
            shown[:] = [session.screenshot(x, y, width, height)]
            return shown[0] == expected
        try:
            wait_until(painted, STEP_TIMEOUT, interval=0.2)
        except TimeoutError:
            differing = sum(a != b for a, b in zip(shown[0], expected)) if shown else "all"
            what = f" with the focus at {focus}" if focus else ""
            self.fail(f"client area is not picture {page}{layout.suffix}.dat{what}: "
                      f"{differing} of {len(expected)} bytes differ")

    def click_client(self, session, main, point):
        x, y = self.client_origin(session, main)
        session.click(x + point[0], y + point[1])

    def assert_cursor(self, session, expected):
        """"hand" (the program's cursor 102), "arrow" or "wait" (the system's shapes)."""
        def is_hand(cursor):
            if (cursor.width, cursor.height, cursor.hotspot) != (32, 32, (1, 1)):
                return False
            return all(want is None and not pixel >> 24 or pixel == want
                       for pixel, want in zip(cursor.argb, hand_cursor_pixels()))

        def shown():
            cursor = session.cursor()
            if expected == "hand":
                return is_hand(cursor)
            if expected == "arrow":
                return cursor.name == "left_ptr"
            # The X cursor font's watch has no name here; unlike the arrow and the hand, its
            # hot spot is in its middle.
            x, y = cursor.hotspot
            return (not is_hand(cursor) and cursor.name != "left_ptr" and
                    cursor.width // 3 <= x < 2 * cursor.width // 3 and
                    cursor.height // 3 <= y < 2 * cursor.height // 3)
        try:
            wait_until(shown, STEP_TIMEOUT)
        except TimeoutError:
            cursor = session.cursor()
            self.fail(f"cursor is {cursor.width}x{cursor.height} {cursor.name!r} with hot spot "
                      f"{cursor.hotspot}, not {expected}")

    def move_on_client(self, session, main, point):
        x, y = self.client_origin(session, main)
        session.move(x + point[0], y + point[1])

    def assert_title(self, session, main, title):
        try:
            wait_until(lambda: session.window_name(main) == title, STEP_TIMEOUT)
        except TimeoutError:
            self.fail(f"title is {session.window_name(main)!r}, not {title!r}")

    def walk_through(self, layout):
        with XSession(*layout.screen) as session, MenuRun(session) as run:
            main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
            frame = session.find_window("^Install$", STEP_TIMEOUT)
            screen_w, screen_h = layout.screen
            pic_w, pic_h = layout.picture
            self.assertEqual(session.window_geometry(frame), (0, 0, screen_w, screen_h))
            self.assertEqual(session.window_geometry(main),
                             ((screen_w - pic_w) // 2, (screen_h - pic_h) // 2, pic_w, pic_h))
            if screen_w > pic_w:  # the frame window shows black around the main window
                self.assertEqual(session.screenshot(0, 0, 4, 4), bytes(4 * 4 * 3))
            self.assert_client_shows(session, main, layout, 1)
            self.move_on_client(session, main, (10, 10))
            self.assert_cursor(session, "arrow")
            self.move_on_client(session, main, layout.welcome_next)
            self.assert_cursor(session, "hand")

            # Page 0 and page 1 share their caption: the picture alone shows the turn.
            self.click_client(session, main, layout.welcome_next)
            self.assert_client_shows(session, main, layout, 2)
            self.assert_title(session, main, WELCOME)

            self.click_client(session, main, layout.install_help)
            self.assert_title(session, main, HELP)
            self.assert_client_shows(session, main, layout, 4)

            self.click_client(session, main, layout.help_back_to_install)
            self.assert_title(session, main, WELCOME)
            self.assert_client_shows(session, main, layout, 2)

            self.click_client(session, main, layout.install_next)
            self.assert_title(session, main, FAREWELL)
            self.assert_client_shows(session, main, layout, 3)

            self.click_client(session, main, layout.farewell_quit)
            self.assertEqual(run.process.wait(timeout=STEP_TIMEOUT), 1)

    def start_on_install_page(self, session):
        main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
        self.assert_client_shows(session, main, LARGE, 1)
        self.click_client(session, main, LARGE.welcome_next)
        self.assert_client_shows(session, main, LARGE, 2)
        return main

    def test_checksum_error_box_holds_the_start_until_answered(self):
        def damage_first_picture(disc):
            with open(os.path.join(disc, "brivant", "1.dat"), "r+b") as picture:
                picture.seek(8192)  # the first byte the checksum samples
                sampled = picture.read(1)[0]
                picture.seek(8192)
                picture.write(bytes([sampled ^ 1]))

        with XSession(*LARGE.screen) as session, \
                MenuRun(session, damage_first_picture) as run:
            box = session.find_window("^Error$", STARTUP_TIMEOUT)
            self.assertEqual(session.window_name(box), "Error")
            with self.assertRaises(TimeoutError):
                session.find_window(f"^{WELCOME}$", 1)
            x, y, width, height = session.window_geometry(box)
            session.move(x + width // 2, y + height // 2)
            session.key("Return")

            main = session.find_window(f"^{WELCOME}$", STEP_TIMEOUT)
            client_x, client_y = self.client_origin(session, main)
            # The page without its picture shows the black class background.
            self.assertEqual(session.screenshot(client_x, client_y, 794, 575), bytes(794 * 575 * 3))
            self.assertIsNone(run.process.poll())

    def test_clicks_while_a_started_program_runs_are_dropped(self):
        def slow_setup(disc):
            with open(os.path.join(disc, "setup.exe"), "w") as setup:
                setup.write(SLOW_SETUP)

        with XSession(*LARGE.screen) as session, MenuRun(session, slow_setup) as run:
            main = self.start_on_install_page(session)
            log = os.path.join(run.disc, "setup.log")

            def setup_log():
                if not os.path.exists(log):
                    return ""
                with open(log) as text:
                    return text.read()
            self.click_client(session, main, LARGE.install_setup)
            wait_until(lambda: "started" in setup_log(), STEP_TIMEOUT)
            self.assert_cursor(session, "wait")
            self.click_client(session, main, LARGE.install_next)
            wait_until(lambda: "ended" in setup_log(), STEP_TIMEOUT)

            self.assert_client_shows(session, main, LARGE, 2)
            self.assertEqual(session.window_name(main), WELCOME)
            self.click_client(session, main, LARGE.install_next)
            self.assert_title(session, main, FAREWELL)

    def test_install_buttons_show_what_a_real_disc_would_install(self):
        with XSession(*LARGE.screen) as session, MenuRun(session):
            main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
            # A person clicks a button once it shows; under the sanitizers the page comes later.
            self.assert_client_shows(session, main, LARGE, 1)
            for button, title in ((LARGE.welcome_install_reader, READER_SETUP_BOX),
                                  (LARGE.install_setup, PRODUCT_SETUP_BOX)):
                self.click_client(session, main, button)
                box = session.find_window(f"^{title}$", STEP_TIMEOUT)
                x, y, width, height = session.window_geometry(box)
                session.move(x + width // 2, y + height // 2)
                session.key("Return")  # closes the box, and with it the stand-in

                def box_closed():
                    try:
                        session.find_window(f"^{title}$", 0.1)
                    except TimeoutError:
                        return True
                    return False
                wait_until(box_closed, STEP_TIMEOUT)
                # The reader's button moves on to the install page, whose button stays there.
                self.assert_client_shows(session, main, LARGE, 2)

    def test_uncovered_client_area_is_painted_again(self):
        with XSession(*LARGE.screen) as session, MenuRun(session):
            main = self.start_on_install_page(session)
            client_x, client_y = self.client_origin(session, main)
            cover = subprocess.Popen(
                ["xmessage", "-geometry", f"300x200+{client_x + 100}+{client_y + 100}", "cover"],
                env=session.env)
            try:
                session.find_window("^xmessage$", STEP_TIMEOUT)
            finally:
                cover.kill()
                cover.wait(timeout=STEP_TIMEOUT)
            self.assert_client_shows(session, main, LARGE, 2)

    def test_alt_f4_and_the_window_managers_close_end_the_menu_as_quit_does(self):
        def alt_f4(session, main, frame):
            self.move_on_client(session, main, (10, 10))  # the keyboard goes where it points
            session.key("alt+F4")

        cases = [
            ("Alt+F4", alt_f4),
            ("closing the main window", lambda session, main, frame: session.close_window(main)),
            ("closing the frame window",
             lambda session, main, frame: session.close_window(frame)),
        ]
        for what, close in cases:
            with self.subTest(what), XSession(*LARGE.screen) as session, \
                    MenuRun(session) as run:
                main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
                frame = session.find_window("^Install$", STEP_TIMEOUT)
                self.assert_client_shows(session, main, LARGE, 1)
                close(session, main, frame)
                self.assertEqual(run.process.wait(timeout=STEP_TIMEOUT), 1)

    def test_keys_other_than_alt_f4_leave_the_menu_running(self):
        with XSession(*LARGE.screen) as session, MenuRun(session) as run:
            main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
            self.assert_client_shows(session, main, LARGE, 1)
            self.move_on_client(session, main, (10, 10))
            for key in ("Escape", "Return", "space", "F4", "q", "alt+x"):
                session.key(key)
            self.click_client(session, main, LARGE.welcome_next)  # still answers the mouse
            self.assert_client_shows(session, main, LARGE, 2)
            self.assertIsNone(run.process.poll())

    def test_the_keyboard_alone_walks_the_menu_to_its_end(self):
        for layout, focus in ((LARGE, LARGE_FOCUS), (SMALL, SMALL_FOCUS)):
            with self.subTest(layout.suffix or "large"), XSession(*layout.screen) as session, \
                    MenuRun(session) as run:
                main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
                # Until a navigation key, the page is its picture and nothing else.
                self.assert_client_shows(session, main, layout, 1)
                self.move_on_client(session, main, (10, 10))  # the keyboard goes where it points
                steps = (
                    ("Tab", 1, focus.welcome_reader),
                    ("Right", 1, focus.welcome_next),
                    ("Return", 2, focus.install_setup),
                    ("shift+Tab", 2, focus.install_next),
                )
                for key, page, outline in steps:
                    session.key(key)
                    self.assert_client_shows(session, main, layout, page, outline)
                # A page the mouse turns shows no focus; the next key brings it back.
                self.click_client(session, main, layout.install_help)
                self.assert_title(session, main, HELP)
                self.assert_client_shows(session, main, layout, 4)
                self.move_on_client(session, main, (10, 10))
                session.key("Up")
                self.assert_client_shows(session, main, layout, 4, focus.help_back)
                session.key("space")
                self.assert_client_shows(session, main, layout, 2, focus.install_setup)
                session.key("Left")
                self.assert_client_shows(session, main, layout, 2, focus.install_next)
                session.key("Return")
                self.assert_title(session, main, FAREWELL)
                self.assert_client_shows(session, main, layout, 3, focus.farewell_quit)
                session.key("Return")
                self.assertEqual(run.process.wait(timeout=STEP_TIMEOUT), 1)

    def test_large_layout_on_1024_by_768(self):
        self.walk_through(LARGE)

    def test_small_layout_on_640_by_480(self):
        self.walk_through(SMALL)


if __name__ == "__main__":
    unittest.main()
