"""Windows programs run under Wine on a virtual desktop of a chosen size, inside an Xvfb session.

Wine's virtual desktop is an X window of exactly the desktop's size that Wine fills itself, and
it draws the non-client frames of the windows in it as Windows does. Without it Wine hands the
frames to the window manager, of which Xvfb has none: the title bar would be missing and the X
window would cover only the client area. So the X screen is made the desktop's size, and root
coordinates are then Windows screen coordinates.
"""

import os
import subprocess
import time

from x_session import XSession, require_packages, wait_until

COMMAND_TIMEOUT = 60
KEY_RETRY_INTERVAL = 2.0
# Every program that connects to the prefix's server joins the desktop of this name; its size
# is read from the registry when the first of them creates it.
DESKTOP_NAME = "Lumarc"


class WineDesktop:
    """`with WineDesktop(runner, prefix, 1024, 768) as desktop:` gives an X session whose whole
    screen is a Wine desktop of that size; desktop.start(...) runs programs on it.

    runner is cmake/toolchains/run-with-wine.sh, which sets up the prefix on first use. Every
    Wine process of the prefix is killed when the block ends, however it ends.
    """

    def __init__(self, runner, prefix, width, height):
        self.runner = runner
        self.prefix = prefix
        self.width = width
        self.height = height
        self.session = None
        self._processes = []

    def __enter__(self):
        # The 32-bit prefix needs Wine's 32-bit half, an i386 package.
        require_packages({"wine": "wine"}, {"/usr/lib/wine/wine": "wine32:i386"})
        self._stop_server()
        self._choose_desktop_size()
        self.session = XSession(self.width, self.height).__enter__()
        return self

    def __exit__(self, *exc):
        try:
            for process in self._processes:
                if process.poll() is None:
                    process.kill()
                process.wait(timeout=COMMAND_TIMEOUT)
            self._stop_server()
        finally:
            self.session.__exit__(*exc)
        return False

    @property
    def system_drive(self):
        """The Unix folder that is drive C: of the prefix."""
        return os.path.join(self.prefix, "drive_c")

    def run(self, *args, **kwargs):
        """Runs a Windows program to its end; returns the CompletedProcess."""
        return subprocess.run([self.runner, self.prefix, *args], env=self._env(),
                              capture_output=True, timeout=COMMAND_TIMEOUT, **kwargs)

    def start(self, *args, cwd=None):
        """Starts a Windows program on the desktop; returns its Popen, whose exit status is the
        program's exit code modulo 256."""
        process = subprocess.Popen([self.runner, self.prefix, *args], cwd=cwd, env=self._env())
        self._processes.append(process)
        return process

    def _env(self):
        return self.session.env if self.session else dict(os.environ, DISPLAY="")

    def _choose_desktop_size(self):
        explorer_key = r"HKCU\Software\Wine\Explorer"
        for key, name, value in ((explorer_key, "Desktop", DESKTOP_NAME),
                                 (explorer_key + r"\Desktops", DESKTOP_NAME,
                                  f"{self.width}x{self.height}")):
            self.run("reg", "add", key, "/v", name, "/d", value, "/f", check=True)
        # reg itself has opened the desktop, with no display: a new server makes it anew.
        self._stop_server()

    def _stop_server(self):
        env = dict(os.environ, WINEPREFIX=self.prefix)
        if not os.path.isdir(self.prefix):
            return
        subprocess.run(["wineserver", "--kill"], env=env, timeout=COMMAND_TIMEOUT)
        subprocess.run(["wineserver", "--wait"], env=env, timeout=COMMAND_TIMEOUT)


def find_windows(session, name_regex):
    """The ids of the visible windows whose name matches, at once (no waiting)."""
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name_regex],
                            env=session.env, capture_output=True, timeout=COMMAND_TIMEOUT)
    return [int(wid) for wid in result.stdout.split()]


def answer_box(session, name_regex, key, timeout):
    """Presses key until no visible window matches name_regex, or raises after timeout.

    Wine maps a new process's window before it makes it the active one, and the key goes to the
    active window: pressed too early, it reaches the window behind (whose keys must do nothing)
    and the box stays. So the key is pressed again while the box is still there.
    """
    deadline = time.monotonic() + timeout
    while True:
        session.key(key)
        try:
            wait_until(lambda: not find_windows(session, name_regex),
                       min(KEY_RETRY_INTERVAL, max(deadline - time.monotonic(), 0)))
            return
        except TimeoutError:
            if time.monotonic() >= deadline:
                raise


__all__ = ["WineDesktop", "answer_box", "find_windows", "wait_until"]
