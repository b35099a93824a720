"""The application manifest of every Windows program of the disc, read back from the built
executables by another program's resource reader (icoutils' wrestool), as Windows reads it when
it starts the program: resource type 24 (RT_MANIFEST), id 1. CTest passes the executables'
paths in LUMARC_WINDOWS_PROGRAMS, separated as in PATH.

Each must run as the invoker (so that Windows' installer detection leaves a stand-in named
setup.exe alone), name every Windows from Vista to 10/11 as supported (so that none of them
treats it as a legacy program), and leave scaling to Windows (DPI-unaware: the pictures are
fixed-size pixel art that the program does not scale itself)."""

import os
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree

PROGRAMS = [path for path in os.environ.get("LUMARC_WINDOWS_PROGRAMS", "").split(os.pathsep) if path]

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V2 = "{urn:schemas-microsoft-com:asm.v2}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


def manifests_of(program):
    """The names of the program's manifest resources, and the text of the one with id 1."""
    listing = subprocess.run(["wrestool", "--list", "--type=24", program],
                             capture_output=True, text=True, check=True).stdout
    names = [line.split("--name=")[1].split()[0] for line in listing.splitlines()]
    text = subprocess.run(["wrestool", "-x", "--raw", "--type=24", "--name=1", program],
                          capture_output=True, check=True).stdout
    return names, text


@unittest.skipUnless(PROGRAMS, "run through CTest, which passes the programs' paths")
class ProgramManifestsTest(unittest.TestCase):

    def test_every_program_carries_the_manifest(self):
        self.assertEqual(len(PROGRAMS), 3)
        for program in PROGRAMS:
            with self.subTest(program=os.path.basename(program)):
                names, text = manifests_of(program)
                self.assertEqual(names, ["1"])
                assembly = ElementTree.fromstring(text)
                self.assertEqual(assembly.tag, ASM_V1 + "assembly")
                self.assertEqual(assembly.get("manifestVersion"), "1.0")

                levels = assembly.findall(
                    f"{ASM_V2}trustInfo/{ASM_V2}security/{ASM_V2}requestedPrivileges/"
                    f"{ASM_V2}requestedExecutionLevel")
                self.assertEqual([(level.get("level"), level.get("uiAccess"))
                                  for level in levels], [("asInvoker", "false")])

                systems = assembly.findall(
                    f"{COMPATIBILITY}compatibility/{COMPATIBILITY}application/"
                    f"{COMPATIBILITY}supportedOS")
                self.assertEqual({system.get("Id") for system in systems}, SUPPORTED_OS)
                self.assertEqual(len(systems), len(SUPPORTED_OS))

                settings = f"{ASM_V3}application/{ASM_V3}windowsSettings/"
                self.assertEqual(assembly.findtext(settings + SETTINGS_2005 + "dpiAware"),
                                 "false")
                self.assertEqual(assembly.findtext(settings + SETTINGS_2016 + "dpiAwareness"),
                                 "unaware")


if __name__ == "__main__":
    unittest.main()
