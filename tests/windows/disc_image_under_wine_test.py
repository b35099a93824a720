"""The disc image as a customer meets it: made by scripts/make-disc-image.sh with the cross-built
launcher.exe, extracted into a read-only folder (a disc is read-only) and the menu started from
there under Wine on Xvfb. It opens on its first page, walks through the pages and Quit ends it.
CTest passes LUMARC_SOURCE_DIR and the paths the other Wine tests take."""

import os
import stat
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))

from launcher_under_wine_test import (JPEG2BMP, LAUNCHER, PREFIX, RUNNER,  # noqa: E402
                                      LauncherUnderWineTest, MenuRun)
from menu_pages import LARGE  # noqa: E402
from wine_desktop import WineDesktop  # noqa: E402

SOURCE = os.environ.get("LUMARC_SOURCE_DIR", "")
# The script builds disc-check with the default preset when it has not been built yet.
IMAGE_TIMEOUT = 1200


class DiscRun(MenuRun):
    """launcher.exe started from the disc folder itself, which it must not need to write to."""

    def __init__(self, desktop, disc):
        self.desktop = desktop
        self.folder = tempfile.TemporaryDirectory()  # for the pictures jpeg2bmp.exe decodes
        self.disc = disc
        self._decoded = {}
        self.process = desktop.start(os.path.join(disc, "launcher.exe"), cwd=disc)


def set_writable(folder, writable):
    for root, dirs, files in os.walk(folder):
        for name in [root] + [os.path.join(root, f) for f in files]:
            mode = os.stat(name).st_mode
            os.chmod(name, mode | stat.S_IWUSR if writable else
                     mode & ~(stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH))


@unittest.skipUnless(SOURCE and RUNNER and PREFIX and LAUNCHER and JPEG2BMP,
                     "run through CTest, which passes the paths")
class DiscImageUnderWineTest(unittest.TestCase):
    # The screen checks and the walk of the launcher's own Wine tests.
    client_rect = LauncherUnderWineTest.client_rect
    assert_client_shows = LauncherUnderWineTest.assert_client_shows
    assert_client_shows_page = LauncherUnderWineTest.assert_client_shows_page
    assert_title = LauncherUnderWineTest.assert_title
    click_client = LauncherUnderWineTest.click_client
    walk_through_pages = LauncherUnderWineTest.walk_through_pages

    def test_menu_runs_from_the_read_only_extracted_image(self):
        with tempfile.TemporaryDirectory() as tmp:
            image = os.path.join(tmp, "disc.iso")
            script = os.path.join(SOURCE, "scripts", "make-disc-image.sh")
            result = subprocess.run([script, "--launcher", LAUNCHER, image], capture_output=True,
                                    text=True, timeout=IMAGE_TIMEOUT)
            self.assertEqual(result.returncode, 0, result.stderr)

            disc = os.path.join(tmp, "disc")
            subprocess.run(["xorriso", "-report_about", "FAILURE", "-osirrox", "on", "-indev",
                            image, "-extract", "/", disc], check=True, capture_output=True,
                           timeout=60)
            set_writable(disc, False)
            try:
                with WineDesktop(RUNNER, PREFIX, *LARGE.screen) as desktop, \
                        DiscRun(desktop, disc) as run:
                    self.walk_through_pages(run, LARGE, 4, "Help")
            finally:
                set_writable(disc, True)


if __name__ == "__main__":
    unittest.main()
