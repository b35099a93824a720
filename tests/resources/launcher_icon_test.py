"""The application icon as another program reads it: ImageMagick decodes the generated
launcher.ico, and every pixel must be the colour its character in the picture names, or
transparent where the picture has '.'. CTest passes LUMARC_ICON_FILE and LUMARC_ICON_PICTURE."""

import os
import subprocess
import unittest

ICON = os.environ.get("LUMARC_ICON_FILE", "")
PICTURE = os.environ.get("LUMARC_ICON_PICTURE", "")

# The 16 colours of the Windows standard palette, by their characters in the picture.
COLOURS = {
    '#': (0, 0, 0), 'r': (128, 0, 0), 'g': (0, 128, 0), 'y': (128, 128, 0),
    'b': (0, 0, 128), 'm': (128, 0, 128), 'c': (0, 128, 128), 's': (192, 192, 192),
    'd': (128, 128, 128), 'R': (255, 0, 0), 'G': (0, 255, 0), 'Y': (255, 255, 0),
    'B': (0, 0, 255), 'M': (255, 0, 255), 'C': (0, 255, 255), 'o': (255, 255, 255),
}


@unittest.skipUnless(ICON and PICTURE, "run through CTest, which passes the paths")
class LauncherIconTest(unittest.TestCase):

    def test_icon_shows_the_picture(self):
        with open(PICTURE, encoding="ascii") as picture:
            lines = picture.read().splitlines()
        # 16 colours, which every Windows display shows as drawn.
        self.assertRegex(subprocess.run(["identify", ICON], capture_output=True, text=True,
                                        check=True).stdout, r" ICO 32x32 .* 4-bit ")
        pixels = subprocess.run(["convert", "ico:" + ICON, "-depth", "8", "rgba:-"],
                                capture_output=True, check=True).stdout
        self.assertEqual(len(pixels), 32 * 32 * 4)
        for y, line in enumerate(lines):
            for x, char in enumerate(line):
                at = (y * 32 + x) * 4
                red, green, blue, alpha = pixels[at:at + 4]
                if char == ".":
                    self.assertEqual(alpha, 0, (x, y))
                else:
                    self.assertEqual((red, green, blue, alpha), (*COLOURS[char], 255), (x, y))


if __name__ == "__main__":
    unittest.main()
