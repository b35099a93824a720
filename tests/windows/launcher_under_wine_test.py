"""The cross-built launcher.exe run whole under Wine, on virtual desktops of two sizes.

Each test runs the real 32-bit program from a fresh copy of the sample disc as its current
directory, clicks its hot regions or works them with the keys through the X server, and checks
what the screen shows: the layout chosen by the desktop width, the main window's title and outer
position, the client area equal pixel for pixel to the page picture as our own jpeg2bmp.exe
decodes it (with the keyboard's focus outline where one shows), the checksum message box, the
boxes of the disc's installer stand-ins, and the exit code. CTest passes the paths:
LUMARC_WINE_RUNNER, LUMARC_WINE_PREFIX, LUMARC_LAUNCHER_EXE, LUMARC_JPEG2BMP_EXE and LUMARC_DISC.

Where Wine is not Windows, in ways these tests depend on:
- The non-client metrics are Wine's: a 3-pixel fixed frame and a 19-pixel caption, those of
  classic Windows. A themed Windows draws wider frames, so there the client area is smaller and
  starts elsewhere; the outer position, which the program chooses, is the same.
- Wine's virtual desktop has no task bar, so the maximised frame window covers the whole desktop;
  on Windows it stops at the task bar.
- The message box is drawn by Wine; its X window carries the title, but its text cannot be read
  back, so only the title is checked.
- The exit code reaches the Unix parent modulo 256 (1 stays 1).
- The keyboard's focus outline is drawn by Wine's DrawFocusRect: every other pixel of the outline
  inverted, counted from its top-right pixel. Our layer draws the same dots; Windows may place
  them one pixel further along, which the eye cannot tell.
"""

import os
import shutil
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))

from bmp_picture import read_bmp_rows, top_left  # noqa: E402
from menu_pages import (CLIENT_OFFSET, FAREWELL, HELP, LARGE, LARGE_FOCUS,  # noqa: E402
                        PRODUCT_SETUP_BOX, READER_SETUP_BOX, SMALL, SMALL_FOCUS, WELCOME,
                        with_focus)
from wine_desktop import WineDesktop, answer_box, find_windows, wait_until  # noqa: E402

RUNNER = os.environ.get("LUMARC_WINE_RUNNER", "")
PREFIX = os.environ.get("LUMARC_WINE_PREFIX", "")
LAUNCHER = os.environ.get("LUMARC_LAUNCHER_EXE", "")
JPEG2BMP = os.environ.get("LUMARC_JPEG2BMP_EXE", "")
DISC = os.environ.get("LUMARC_DISC", "")

# Wine starts slowly the first time a prefix's server runs; the program then decodes four
# pictures before it shows a window.
STARTUP_TIMEOUT = 90
STEP_TIMEOUT = 20

MENU_TITLES = rf"^(Install|{WELCOME}|{FAREWELL}|Help|Restore)$"
BACKUP_MARKER = "brivant.res"


class MenuRun:
    """launcher.exe on a Wine desktop, started from a fresh copy of the disc."""

    def __init__(self, desktop, disc_changes=None):
        self.desktop = desktop
        self.folder = tempfile.TemporaryDirectory()
        self.disc = os.path.join(self.folder.name, "disc")
        shutil.copytree(DISC, self.disc)
        if disc_changes:
            disc_changes(self.disc)
        self._decoded = {}
        self.process = desktop.start(LAUNCHER, cwd=self.disc)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait(timeout=STEP_TIMEOUT)
        self.folder.cleanup()
        return False

    def picture(self, name):
        """The disc picture brivant/NAME as jpeg2bmp.exe decodes it: (width, RGB rows)."""
        if name not in self._decoded:
            source = os.path.join(self.disc, "brivant", name)
            bmp = os.path.join(self.folder.name, name + ".bmp")
            result = self.desktop.run(JPEG2BMP, "Z:" + source, "Z:" + bmp)
            if result.returncode != 0:
                raise AssertionError(f"jpeg2bmp.exe {name}: {result.stderr.decode()}")
            self._decoded[name] = read_bmp_rows(bmp)
        return self._decoded[name]


def damage_picture(name):
    """A disc change that alters one sampled byte of brivant/NAME, so its checksum fails."""
    def change(disc):
        path = os.path.join(disc, "brivant", name)
        with open(path, "r+b") as file:
            file.seek(8192)
            byte = file.read(1)[0]
            file.seek(8192)
            file.write(bytes([byte ^ 0x01]))
    return change


@unittest.skipUnless(RUNNER and PREFIX and LAUNCHER and JPEG2BMP and DISC,
                     "run through CTest, which passes the paths")
class LauncherUnderWineTest(unittest.TestCase):

    def client_rect(self, session, main, layout):
        x, y, _, _ = session.window_geometry(main)
        width = layout.picture[0] - 2 * CLIENT_OFFSET[0]
        height = layout.picture[1] - CLIENT_OFFSET[1] - CLIENT_OFFSET[0]
        return x + CLIENT_OFFSET[0], y + CLIENT_OFFSET[1], width, height

    def assert_client_shows(self, session, main, layout, expected, what):
        """The client area equals expected (RGB bytes) once the program has painted."""
        rect = self.client_rect(session, main, layout)
        shown = []

        def painted():
            shown[:] = [session.screenshot(*rect)]
            return shown[0] == expected
        try:
            wait_until(painted, STEP_TIMEOUT, interval=0.2)
        except TimeoutError:
            differing = sum(a != b for a, b in zip(shown[0], expected)) if shown else "all"
            self.fail(f"client area is not {what}: {differing} of {len(expected)} bytes differ")

    def assert_client_shows_page(self, run, main, layout, page, focus=None):
        """The page picture; with a focus outline (left, top, right, bottom), with the focus
        drawn there as DrawFocusRect draws it."""
        _, rows = run.picture(f"{page}{layout.suffix}.dat")
        _, _, width, height = self.client_rect(run.desktop.session, main, layout)
        expected = top_left(rows, width, height)
        if focus:
            expected = with_focus(expected, width, focus)
        what = f" with the focus at {focus}" if focus else ""
        self.assert_client_shows(run.desktop.session, main, layout, expected,
                                 f"picture {page}{layout.suffix}.dat{what}")

    def assert_title(self, session, main, title):
        try:
            wait_until(lambda: session.window_name(main) == title, STEP_TIMEOUT)
        except TimeoutError:
            self.fail(f"title is {session.window_name(main)!r}, not {title!r}")

    def click_client(self, session, main, layout, point):
        x, y, _, _ = self.client_rect(session, main, layout)
        session.click(x + point[0], y + point[1])

    def walk_through(self, layout, backup_in_place=False):
        with WineDesktop(RUNNER, PREFIX, *layout.screen) as desktop:
            # The marker on the prefix's drive C: switches the help page to its Restore picture.
            marker = os.path.join(desktop.system_drive, BACKUP_MARKER)
            if backup_in_place:
                with open(marker, "w") as file:
                    file.write("\r\n")
            try:
                with MenuRun(desktop) as run:
                    self.walk_through_pages(run, layout, *((5, "Restore") if backup_in_place
                                                           else (4, "Help")))
            finally:
                if os.path.exists(marker):
                    os.remove(marker)

    def walk_through_pages(self, run, layout, help_picture, help_title):
        session = run.desktop.session
        main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
        desktop_w, desktop_h = layout.screen
        picture_w, picture_h = layout.picture
        self.assertEqual(session.window_geometry(main),
                         ((desktop_w - picture_w) // 2, (desktop_h - picture_h) // 2,
                          picture_w, picture_h))
        self.assertEqual(session.window_geometry(session.find_window("^Install$")),
                         (0, 0, desktop_w, desktop_h))
        self.assert_client_shows_page(run, main, layout, 1)
        if desktop_w > picture_w:  # the frame window shows black around the main window
            self.assertEqual(session.screenshot(0, 0, 8, 8), bytes(8 * 8 * 3))

        # Page 0 and page 1 share their caption: the picture alone shows the turn.
        self.click_client(session, main, layout, layout.welcome_next)
        self.assert_client_shows_page(run, main, layout, 2)
        self.assert_title(session, main, WELCOME)

        self.click_client(session, main, layout, layout.install_help)
        self.assert_title(session, main, help_title)
        self.assert_client_shows_page(run, main, layout, help_picture)

        self.click_client(session, main, layout, layout.help_back_to_install)
        self.assert_title(session, main, WELCOME)
        self.assert_client_shows_page(run, main, layout, 2)

        self.click_client(session, main, layout, layout.install_next)
        self.assert_title(session, main, FAREWELL)
        self.assert_client_shows_page(run, main, layout, 3)

        self.click_client(session, main, layout, layout.farewell_quit)
        self.assertEqual(run.process.wait(timeout=STEP_TIMEOUT), 1)

    def test_large_layout_on_1024_by_768(self):
        self.walk_through(LARGE)

    def test_small_layout_on_640_by_480_with_a_backup_in_place(self):
        self.walk_through(SMALL, backup_in_place=True)

    def test_damaged_picture_reports_before_any_menu_window(self):
        layout = LARGE
        with WineDesktop(RUNNER, PREFIX, *layout.screen) as desktop, \
                MenuRun(desktop, damage_picture("2.dat")) as run:
            session = desktop.session
            session.find_window("^Error$", STARTUP_TIMEOUT)
            self.assertEqual(find_windows(session, MENU_TITLES), [])
            answer_box(session, "^Error$", "Return", STEP_TIMEOUT)

            # The menu runs all the same; the page whose picture failed shows the black class
            # background, and its regions still work.
            main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
            self.assert_client_shows_page(run, main, layout, 1)
            self.click_client(session, main, layout, layout.welcome_next)
            _, _, width, height = self.client_rect(session, main, layout)
            self.assert_client_shows(session, main, layout, bytes(width * height * 3),
                                     "black")
            self.click_client(session, main, layout, layout.install_next)
            self.assert_title(session, main, FAREWELL)

    def test_install_buttons_show_what_a_real_disc_would_install(self):
        layout = LARGE
        with WineDesktop(RUNNER, PREFIX, *layout.screen) as desktop, MenuRun(desktop) as run:
            session = desktop.session
            main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
            for button, box in ((layout.welcome_install_reader, READER_SETUP_BOX),
                                (layout.install_setup, PRODUCT_SETUP_BOX)):
                self.click_client(session, main, layout, button)
                session.find_window(f"^{box}$", STEP_TIMEOUT)
                # The key closes the stand-in's box, and with it the stand-in.
                answer_box(session, f"^{box}$", "Return", STEP_TIMEOUT)
                # The reader's button moves on to the install page, whose button stays there.
                self.assert_client_shows_page(run, main, layout, 2)
                self.assert_title(session, main, WELCOME)
            self.assertIsNone(run.process.poll())

    def test_keyboard_alone_walks_the_menu_on_both_layouts(self):
        for layout, focus in ((LARGE, LARGE_FOCUS), (SMALL, SMALL_FOCUS)):
            with self.subTest(layout.suffix or "large"), \
                    WineDesktop(RUNNER, PREFIX, *layout.screen) as desktop, \
                    MenuRun(desktop) as run:
                session = desktop.session
                main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
                # Until a navigation key, the page is its picture and nothing else.
                self.assert_client_shows_page(run, main, layout, 1)
                # Wine gives keys to its active window: a click off the buttons makes it the
                # main window, whatever Wine activated first.
                self.click_client(session, main, layout, (10, 10))
                self.assert_client_shows_page(run, main, layout, 1)
                for key, page, outline in (
                        ("Tab", 1, focus.welcome_reader),
                        ("Right", 1, focus.welcome_next),
                        ("Return", 2, focus.install_setup),
                        ("shift+Tab", 2, focus.install_next)):
                    session.key(key)
                    self.assert_client_shows_page(run, main, layout, page, outline)
                # A page the mouse turns shows no focus; the next key brings it back.
                self.click_client(session, main, layout, layout.install_help)
                self.assert_title(session, main, HELP)
                self.assert_client_shows_page(run, main, layout, 4)
                session.key("Up")
                self.assert_client_shows_page(run, main, layout, 4, focus.help_back)
                session.key("space")
                self.assert_client_shows_page(run, main, layout, 2, focus.install_setup)
                session.key("Left")
                self.assert_client_shows_page(run, main, layout, 2, focus.install_next)
                session.key("Return")
                self.assert_title(session, main, FAREWELL)
                self.assert_client_shows_page(run, main, layout, 3, focus.farewell_quit)
                session.key("Return")
                self.assertEqual(run.process.wait(timeout=STEP_TIMEOUT), 1)

    def test_alt_f4_ends_the_menu_as_quit_does(self):
        layout = LARGE
        with WineDesktop(RUNNER, PREFIX, *layout.screen) as desktop, MenuRun(desktop) as run:
            session = desktop.session
            main = session.find_window(f"^{WELCOME}$", STARTUP_TIMEOUT)
            self.assert_client_shows_page(run, main, layout, 1)
            # Wine gives the key to its active window, the main window.
            session.key("alt+F4")
            self.assertEqual(run.process.wait(timeout=STEP_TIMEOUT), 1)


if __name__ == "__main__":
    unittest.main()
