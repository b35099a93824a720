"""make-disc-image.sh with the real tools: the image made from the sample disc and read back with
xorriso, the way Windows (Joliet) and Linux (Rock Ridge) see it, and the folders it refuses.
CTest passes the paths: LUMARC_SOURCE_DIR, LUMARC_DISC_CHECK, LUMARC_DISC and LUMARC_WINDOWS_BUILD
(a Windows build folder whose launcher.exe and sample disc go on the image where it has them)."""

import filecmp
import os
import re
import shutil
import signal
import stat
import subprocess
import tempfile
import time
import unittest

SOURCE = os.environ.get("LUMARC_SOURCE_DIR", "")
CHECKER = os.environ.get("LUMARC_DISC_CHECK", "")
DISC = os.environ.get("LUMARC_DISC", "")
WINDOWS_BUILD = os.environ.get("LUMARC_WINDOWS_BUILD", "")
SCRIPT = os.path.join(SOURCE, "scripts", "make-disc-image.sh")

# Without a Windows build folder the script cross-builds launcher.exe.
BUILD_TIMEOUT = 1200
SECTOR = 2048


def make_image(*args, timeout=BUILD_TIMEOUT, env=None):
    return subprocess.run([SCRIPT, "--checker", CHECKER, *args], capture_output=True, text=True,
                          timeout=timeout, env=env)


def tree_of(folder):
    """Every name under the folder with what it is and holds, to show that nothing changed."""
    found = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(root, name)
            mode = os.lstat(path).st_mode
            content = None
            if stat.S_ISREG(mode):
                with open(path, "rb") as file:
                    content = file.read()
            found[os.path.relpath(path, folder)] = (stat.S_IFMT(mode), content)
    return found


def xorriso(image, *commands, joliet=False):
    """Runs xorriso's commands on the image, read as Windows (Joliet names) or as Linux does."""
    read = ["-read_fs", "norock"] if joliet else []
    result = subprocess.run(["xorriso", "-report_about", "FAILURE", *read, "-indev", image,
                             *commands], capture_output=True, text=True, timeout=60, check=True)
    return result.stdout


def files_on_disc(folder):
    """The files of a disc folder that go on the disc, by their path there."""
    found = set()
    for root, dirs, files in os.walk(folder):
        dirs[:] = [d for d in dirs if not d.startswith(".")]
        found.update(os.path.relpath(os.path.join(root, f), folder)
                     for f in files if not f.startswith("."))
    return found


def joliet_volume_id(image):
    """The label Windows shows: the volume identifier of the Joliet volume descriptor."""
    with open(image, "rb") as iso:
        for sector in range(16, 32):
            iso.seek(sector * SECTOR)
            descriptor = iso.read(SECTOR)
            if descriptor[0] == 2 and descriptor[88:91] in (b"%/@", b"%/C", b"%/E"):
                return descriptor[40:72].decode("utf-16-be").rstrip()
    raise AssertionError("no Joliet volume descriptor")


@unittest.skipUnless(SOURCE and CHECKER and DISC, "run through CTest, which passes the paths")
class DiscImageTest(unittest.TestCase):

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)
        self.tmp = self.folder.name

    def stand_in_launcher(self):
        """An empty launcher.exe: the checks and xorriso take any file."""
        launcher = os.path.join(self.tmp, "launcher.exe")
        open(launcher, "wb").close()
        return launcher

    def stand_in_xorriso(self):
        """The environment of a run whose xorriso, at one step ("size" or "write"), fails
        (XORRISO_FAILS_AT) or writes a first part, touches XORRISO_STOPPED and waits for ever
        (XORRISO_STOPS_AT). Otherwise it is the real one."""
        tools = os.path.join(self.tmp, "tools")
        if not os.path.isdir(tools):
            os.mkdir(tools)
            with open(os.path.join(tools, "xorriso"), "w") as stand_in:
                stand_in.write(f"""#!/bin/sh
case " $* " in *" -print_size "*) step=size ;; *) step=write ;; esac
if [ "$step" = "$XORRISO_FAILS_AT" ]; then echo "xorriso: cannot $step" >&2; exit 5; fi
if [ "$step" = "$XORRISO_STOPS_AT" ]; then
  while [ "$1" != -outdev ]; do shift; done
  echo "the first sectors" >"$2"
  touch "$XORRISO_STOPPED"
  exec sleep 600
fi
exec {shutil.which("xorriso")} "$@"
""")
            os.chmod(os.path.join(tools, "xorriso"), 0o755)
        return dict(os.environ, PATH=tools + os.pathsep + os.environ["PATH"])

    def copy_of_the_sample(self, name):
        disc = os.path.join(self.tmp, name)
        shutil.copytree(DISC, disc)
        return disc

    def test_sample_disc_image_reads_back(self):
        windows_build = WINDOWS_BUILD
        launcher_option = ["--launcher", os.path.join(windows_build, "bin", "launcher.exe")]
        if not os.path.isfile(launcher_option[1]):
            windows_build, launcher_option = os.path.join(SOURCE, "build-windows"), []
        image = os.path.join(self.tmp, "sample.iso")
        # A file of the user's with the name a temporary image once had.
        with open(f"{image}.partial", "w") as partial:
            partial.write("the user's own\n")
        result = make_image("--label", "SAMPLE_DISC", *launcher_option, image)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(sorted(os.listdir(self.tmp)), ["sample.iso", "sample.iso.partial"])
        with open(f"{image}.partial") as partial:
            self.assertEqual(partial.read(), "the user's own\n")
        # Without a folder the image holds the sample disc the Windows build staged.
        sample = os.path.join(windows_build, "disc")

        expected = files_on_disc(sample) | {"launcher.exe", "autorun.inf"}
        self.assertIn(f"{image}: {len(expected)} files, {os.path.getsize(image)} bytes (",
                      result.stdout)
        self.assertIn("of a CD), label SAMPLE_DISC", result.stdout)

        # Windows reads the Joliet tree: the same names, the dot files left off.
        names = xorriso(image, "-find", "/", "-type", "f", joliet=True)
        self.assertEqual(set(re.findall(r"^'/(.*)'$", names, re.MULTILINE)), expected)

        # Linux reads Rock Ridge: every file as it was, byte for byte.
        extracted = os.path.join(self.tmp, "extracted")
        xorriso(image, "-osirrox", "on", "-extract", "/", extracted)
        self.assertEqual(files_on_disc(extracted), expected)
        for name in expected - {"launcher.exe", "autorun.inf"}:
            self.assertTrue(filecmp.cmp(os.path.join(sample, name), os.path.join(extracted, name),
                                        shallow=False), name)
        launcher = os.path.join(windows_build, "bin", "launcher.exe")
        self.assertTrue(filecmp.cmp(launcher, os.path.join(extracted, "launcher.exe"),
                                    shallow=False))
        with open(os.path.join(extracted, "autorun.inf"), "rb") as autorun:
            self.assertEqual(autorun.read(), b"[autorun]\r\nopen=launcher.exe\r\n"
                                             b"icon=launcher.exe,0\r\nlabel=SAMPLE_DISC\r\n")

        self.assertIn("Volume Id    : SAMPLE_DISC\n", xorriso(image, "-pvd_info"))
        self.assertEqual(joliet_volume_id(image), "SAMPLE_DISC")

    def test_refused_folders_name_the_file_and_leave_no_image(self):
        long_name = "a" * 61 + ".txt"  # 65 characters, one more than a Joliet name holds

        def damage_picture(disc):
            with open(os.path.join(disc, "brivant", "2.dat"), "r+b") as picture:
                picture.seek(8192)
                byte = picture.read(1)[0]
                picture.seek(8192)
                picture.write(bytes([byte ^ 0x02]))

        def cut_picture(disc):
            # The sampled bytes end at 18191: the checksum still passes, the decoder does not.
            os.truncate(os.path.join(disc, "brivant", "3l.dat"), 20000)

        def add_file(name, size=1):
            def change(disc):
                with open(os.path.join(disc, name), "wb") as file:
                    file.truncate(size)  # sparse: a large one costs no disc space
            return change

        cases = [
            ("damaged picture", damage_picture,
             ["brivant/2.dat: its checksum is", "but the menu expects 25800",
              "picture-checksum --set 25800 "]),
            ("picture that does not decode", cut_picture,
             ["brivant/3l.dat: the image library cannot decode it"]),
            ("picture of the other layout",
             lambda disc: shutil.copy(os.path.join(disc, "brivant", "1l.dat"),
                                      os.path.join(disc, "brivant", "1.dat")),
             ["brivant/1.dat: it is 640 x 480 pixels, but its layout shows 800 x 600"]),
            ("missing reader installer",
             lambda disc: os.remove(os.path.join(disc, "acrobat", "ar40eng.exe")),
             ["acrobat/ar40eng.exe: missing: a program the menu starts"]),
            ("over-long name", add_file(long_name),
             [f"{long_name}: the name has 65 characters", "at most 64"]),
            ("names that differ only in case", add_file("SETUP.EXE"),
             ["setup.exe: Windows, which ignores case in names, takes it for SETUP.EXE"]),
            ("more than a CD holds", add_file("movie.bin", 700 * 1024 * 1024),
             ["more than a CD holds", "--dvd"]),
        ]
        # The checks refuse before anything is written, so a stand-in launcher.exe will do.
        launcher = self.stand_in_launcher()
        for what, change, messages in cases:
            with self.subTest(what):
                disc = self.copy_of_the_sample(what.replace(" ", "_"))
                change(disc)
                image = os.path.join(self.tmp, "refused.iso")
                result = make_image("--launcher", launcher, disc, image, timeout=120)
                self.assertEqual(result.returncode, 1, result.stderr)
                for message in messages:
                    self.assertIn(message, result.stderr)
                self.assertEqual([f for f in os.listdir(self.tmp) if f.startswith("refused")],
                                 [])
                shutil.rmtree(disc)

    def test_wrong_usage_exits_2_with_the_usage(self):
        cases = [
            [],
            ["a", "b", "c.iso"],
            ["--unknown", "out.iso"],
            ["--label", "lower_case", "out.iso"],
            ["--label", "SEVENTEEN_LETTERS", "out.iso"],
            ["--label"],
            [os.path.join(self.tmp, "no_such_folder"), "out.iso"],
            [DISC, os.path.join(DISC, "inside.iso")],
        ]
        for args in cases:
            with self.subTest(args=args):
                result = make_image(*args, timeout=60)
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertIn("Usage: scripts/make-disc-image.sh", result.stderr)
        self.assertFalse(os.path.exists(os.path.join(DISC, "inside.iso")))

    def test_outputs_that_are_no_image_file_are_refused_untouched(self):
        disc = self.copy_of_the_sample("disc")
        os.symlink(disc, os.path.join(self.tmp, "link_to_disc"))
        os.mkdir(os.path.join(self.tmp, "folder"))
        os.mkfifo(os.path.join(self.tmp, "pipe"))
        cases = [
            ("an existing folder", [disc, "folder"], "folder is a folder"),
            ("a name ending in /", [disc, "new/"], "new/ names a folder"),
            ("a pipe", [disc, "pipe"], "pipe is not a regular file"),
            ("the disc folder through a link", [disc, "link_to_disc/disc.iso"],
             "inside the disc folder"),
            ("the disc folder given through a link", ["link_to_disc", "disc/disc.iso"],
             "inside the disc folder"),
        ]
        launcher = self.stand_in_launcher()
        before = tree_of(self.tmp)
        for what, (disc_folder, output), message in cases:
            with self.subTest(what):
                result = subprocess.run([SCRIPT, "--checker", CHECKER, "--launcher", launcher,
                                         disc_folder, output], capture_output=True, text=True,
                                        timeout=120, cwd=self.tmp)
                self.assertEqual(result.returncode, 2, result.stderr)
                self.assertIn(message, result.stderr)
                self.assertIn("Usage: scripts/make-disc-image.sh", result.stderr)
                self.assertEqual(tree_of(self.tmp), before)

    def test_failing_steps_exit_1_and_remove_only_what_they_made(self):
        disc = self.copy_of_the_sample("disc")
        launcher = self.stand_in_launcher()
        images = os.path.join(self.tmp, "images")
        os.mkdir(images)
        # Files of the user's beside the image, named as a run's own once were.
        for name in ("out.iso.partial", "out.iso"):
            with open(os.path.join(images, name), "w") as file:
                file.write("the user's own\n")
        missing_installer = self.copy_of_the_sample("missing_installer")
        os.remove(os.path.join(missing_installer, "acrobat", "ar40eng.exe"))
        cases = [
            ("the check refuses", missing_installer, "", "cannot make a working disc"),
            ("xorriso cannot size the image", disc, "size", "xorriso could not size the image"),
            ("xorriso cannot write the image", disc, "write", "failed: xorriso"),
        ]
        before = tree_of(images)
        for what, disc_folder, fails_at, message in cases:
            with self.subTest(what):
                env = dict(self.stand_in_xorriso(), XORRISO_FAILS_AT=fails_at)
                result = make_image("--launcher", launcher, disc_folder,
                                    os.path.join(images, "out.iso"), timeout=120, env=env)
                self.assertEqual(result.returncode, 1, result.stderr)
                last_line = result.stderr.splitlines()[-1]
                self.assertTrue(last_line.startswith("make-disc-image.sh: "), result.stderr)
                self.assertIn(message, last_line)
                self.assertEqual(tree_of(images), before)

    def test_signals_while_writing_leave_no_temporary_image(self):
        disc = self.copy_of_the_sample("disc")
        launcher = self.stand_in_launcher()
        images = os.path.join(self.tmp, "images")
        os.mkdir(images)
        stopped = os.path.join(self.tmp, "stopped")
        env = dict(self.stand_in_xorriso(), XORRISO_STOPS_AT="write", XORRISO_STOPPED=stopped)
        for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
            with self.subTest(number.name):
                if os.path.exists(stopped):
                    os.remove(stopped)
                # A session of its own: the signal goes to the whole run, as Ctrl+C sends it.
                run = subprocess.Popen([SCRIPT, "--checker", CHECKER, "--launcher", launcher,
                                        disc, os.path.join(images, "out.iso")], env=env,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                       text=True, start_new_session=True)
                try:
                    deadline = time.monotonic() + 120
                    while not os.path.exists(stopped):
                        if run.poll() is not None or time.monotonic() > deadline:
                            self.fail(f"xorriso never started writing: {run.stderr.read()}")
                        time.sleep(0.1)
                    self.assertEqual(len(os.listdir(images)), 1)  # the image being written
                    os.killpg(run.pid, number)
                    run.communicate(timeout=60)
                    self.assertEqual(run.returncode, -number)  # ended by the signal
                    self.assertEqual(os.listdir(images), [])
                finally:
                    if run.poll() is None:
                        os.killpg(run.pid, signal.SIGKILL)
                    run.communicate()

    def test_names_are_taken_as_given_with_a_newline_at_the_end(self):
        launcher = self.stand_in_launcher()
        os.mkdir(os.path.join(self.tmp, "images\n"))
        cases = [
            ("the image's name", DISC, "out.iso\n"),
            ("the image's folder", DISC, "images\n/out.iso"),
            ("the disc folder", self.copy_of_the_sample("disc\n"), "out.iso"),
        ]
        for what, disc, output in cases:
            with self.subTest(what):
                image = os.path.join(self.tmp, output)
                result = make_image("--launcher", launcher, disc, image, timeout=120)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertTrue(result.stdout.startswith(f"{image}: "), result.stdout)
                self.assertIn("/setup.exe", xorriso(image, "-find", "/setup.exe"))
                os.remove(image)
                self.assertNotIn("out.iso", os.listdir(self.tmp))


if __name__ == "__main__":
    unittest.main()
