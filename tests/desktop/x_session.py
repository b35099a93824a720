"""A private X server (Xvfb) for end-to-end tests, driven with xdotool, xwininfo and import.

Every wait has a timeout, and the server is stopped however the block ends, so a failing test
never leaves a display or a hanging program behind.
"""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import subprocess
import time

DEFAULT_TIMEOUT = 10.0
_COMMAND_TIMEOUT = 10.0

# The Debian package of each program a session runs.
_SESSION_TOOLS = {"Xvfb": "xvfb", "xdotool": "xdotool", "xwininfo": "x11-utils",
                  "import": "imagemagick"}


class XSessionError(RuntimeError):
    pass


def require_packages(tools=None, files=None):
    """Fails at once, naming the Debian packages, when a program (tools: name -> package) or a
    file (files: path -> package) that a test needs is missing, rather than letting the test
    wait for a window that cannot appear."""
    missing = {package: name for name, package in (tools or {}).items() if not shutil.which(name)}
    missing.update({package: path for path, package in (files or {}).items()
                    if not os.path.exists(path)})
    if missing:
        raise XSessionError(
            "missing on this machine: " +
            ", ".join(f"{what} (Debian package {package})" for package, what in missing.items()) +
            "; scripts/install-deps.sh installs them")


def wait_until(predicate, timeout=DEFAULT_TIMEOUT, interval=0.05):
    """Calls predicate until it returns something truthy, which is returned; raises on timeout."""
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise TimeoutError(f"condition not met within {timeout} s")
        time.sleep(interval)


class XSession:
    """`with XSession(1024, 768) as x:` starts Xvfb at that size (24-bit) on a free display.

    x.display is ":N" and x.env a copy of os.environ with DISPLAY set to it (and WAYLAND_DISPLAY
    removed, so programs started with it use this server).
    """

    def __init__(self, width, height, depth=24):
        self.width = width
        self.height = height
        self.depth = depth
        self.display = None
        self.env = None
        self._server = None

    def __enter__(self):
        self._start_server()
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    def close(self):
        if self._server is None:
            return
        self._server.terminate()
        try:
            self._server.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self._server.kill()
            self._server.wait()
        self._server = None

    def _start_server(self):
        require_packages(_SESSION_TOOLS)
        # -displayfd lets the server pick a free display number and tell us which it took.
        read_end, write_end = os.pipe()
        screen = f"{self.width}x{self.height}x{self.depth}"
        self._server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        try:
            number = self._read_display_number(read_end)
        except Exception:
            self.close()
            raise
        finally:
            os.close(read_end)
        self.display = f":{number}"
        self.env = dict(os.environ)
        self.env["DISPLAY"] = self.display
        self.env.pop("WAYLAND_DISPLAY", None)
        wait_until(self._server_answers, timeout=DEFAULT_TIMEOUT)

    def _read_display_number(self, read_end):
        text = b""
        deadline = time.monotonic() + DEFAULT_TIMEOUT
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                raise XSessionError("Xvfb did not report a display number")
            chunk = os.read(read_end, 64)
            if not chunk:
                raise XSessionError("Xvfb exited before reporting a display number")
            text += chunk
        return int(text.strip())

    def _server_answers(self):
        return subprocess.run(["xwininfo", "-root"], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=_COMMAND_TIMEOUT).returncode == 0

    def _run(self, *args):
        result = subprocess.run(list(args), env=self.env, capture_output=True,
                                timeout=_COMMAND_TIMEOUT)
        if result.returncode != 0:
            raise XSessionError(f"{args[0]} failed ({result.returncode}): "
                                f"{result.stderr.decode(errors='replace').strip()}")
        return result.stdout

    def find_window(self, name_regex, timeout=DEFAULT_TIMEOUT):
        """The id of a visible window whose name matches name_regex, waiting up to timeout."""
        def search():
            result = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--name", name_regex], env=self.env,
                capture_output=True, timeout=_COMMAND_TIMEOUT)
            ids = result.stdout.split()
            return int(ids[0]) if ids else self._find_top_level(name_regex)
        return wait_until(search, timeout)

    def _find_top_level(self, name_regex):
        """xdotool cannot read a name stored as WM_NAME of type "UTF-8" (some toolkits store it
        so); xwininfo can. Only the root's children, which without a window manager are
        the top-level windows."""
        listing = self._run("xwininfo", "-root", "-children").decode(errors="replace")
        for wid, name in re.findall(r'^\s+(0x[0-9a-f]+) "(.*)":', listing, re.MULTILINE):
            if re.search(name_regex, name) and self._viewable(wid):
                return int(wid, 16)
        return None

    def _viewable(self, wid):
        return "IsViewable" in self._run("xwininfo", "-id", str(wid)).decode(errors="replace")

    def window_name(self, wid):
        return self._run("xdotool", "getwindowname", str(wid)).decode().rstrip("\n")

    def window_geometry(self, wid):
        """(x, y, width, height) of the window's outer rectangle in root coordinates."""
        text = self._run("xwininfo", "-id", str(wid)).decode()

        def field(label):
            return int(re.search(rf"{label}:\s*(-?\d+)", text).group(1))
        return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                field("Height"))

    def pointer(self):
        """Where the mouse pointer is: (x, y) in root coordinates."""
        text = self._run("xdotool", "getmouselocation", "--shell").decode()
        return (int(re.search(r"^X=(-?\d+)", text, re.MULTILINE).group(1)),
                int(re.search(r"^Y=(-?\d+)", text, re.MULTILINE).group(1)))

    def move(self, x, y):
        # xdotool's --sync waits for the pointer to leave where it is, so a move to the same
        # place would wait for ever.
        if self.pointer() != (x, y):
            self._run("xdotool", "mousemove", "--sync", str(x), str(y))

    def click(self, x, y, button=1):
        self.move(x, y)
        self._run("xdotool", "click", str(button))

    def key(self, name):
        """Presses and releases a key (an X keysym name such as "Return") for the window under
        the pointer, which has the keyboard when no window manager moves the focus."""
        self._run("xdotool", "key", name)

    def screenshot(self, x, y, width, height):
        """The root window's pixels in that rectangle, as bytes: 3 per pixel (R, G, B), rows top
        to bottom."""
        data = self._run("import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}",
                         "-depth", "8", "rgb:-")
        if len(data) != width * height * 3:
            raise XSessionError(f"screenshot has {len(data)} bytes, not {width * height * 3}")
        return data

    def cursor(self):
        """The pointer's current shape, which screenshots leave out: a Cursor with its size,
        hot spot, name (system shapes, e.g. "left_ptr") and ARGB pixels, rows top-down."""
        return _read_cursor(self.display)

    def close_window(self, wid):
        """Asks a window to close as a window manager's close button does: the client message
        WM_PROTOCOLS with WM_DELETE_WINDOW (xdotool's windowclose destroys the window instead)."""
        _send_delete_window(self.display, wid)

    def screenshot_png(self, path):
        """The whole screen as a PNG file, for a person to look at."""
        self._run("import", "-window", "root", str(path))



class Cursor:
    def __init__(self, width, height, hotspot, name, argb):
        self.width = width
        self.height = height
        self.hotspot = hotspot
        self.name = name
        self.argb = argb

    def opaque(self, x, y):
        return self.argb[y * self.width + x] >> 24 >= 0x80


class _XFixesCursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def _read_cursor(display):
    """XFixesGetCursorImage through ctypes: libXfixes comes with SDL's X11 dependencies."""
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xfixes = ctypes.CDLL(ctypes.util.find_library("Xfixes") or "libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_XFixesCursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        raise XSessionError(f"cannot open display {display}")
    try:
        image = xfixes.XFixesGetCursorImage(connection)
        if not image:
            raise XSessionError("the X server has no cursor image")
        try:
            shown = image.contents
            argb = [shown.pixels[i] & 0xFFFFFFFF for i in range(shown.width * shown.height)]
            return Cursor(shown.width, shown.height, (shown.xhot, shown.yhot),
                          (shown.name or b"").decode(errors="replace"), argb)
        finally:
            x11.XFree(image)
    finally:
        x11.XCloseDisplay(connection)


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("client", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


_CLIENT_MESSAGE = 33


def _send_delete_window(display, wid):
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(_XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    connection = x11.XOpenDisplay(display.encode())
    if not connection:
        raise XSessionError(f"cannot open display {display}")
    try:
        event = _XEvent()
        event.client.type = _CLIENT_MESSAGE
        event.client.window = wid
        event.client.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
        event.client.format = 32
        event.client.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
        if not x11.XSendEvent(connection, wid, 0, 0, ctypes.byref(event)):
            raise XSessionError("XSendEvent failed")
        x11.XFlush(connection)
    finally:
        x11.XCloseDisplay(connection)
