#!/usr/bin/env python3
"""Starts COMMAND and writes "MILLISECONDS PID SPAWNED" to OUT once a top-level
window whose title matches TITLE (a regular expression) is mapped on the X
display: the time from just before the process was spawned until the X
server mapped its window. It then waits for the process to end (whoever
asked stops it by its PID) and exits with its code.

The watcher listens for the root window's map events instead of polling, so
the figure is as late as the X server's map and no later; opening the
display and loading Xlib happen before the clock starts. Titles are read
from _NET_WM_NAME (UTF-8), else WM_NAME; a window mapped before its title
is set counts from the moment the title arrives. SPAWNED is the wall-clock
time of the spawn (seconds since 1970), for marks the program reports on its
standard error, which goes to OUT.stderr.

usage: first_window.py TITLE OUT COMMAND [ARG...]"""
import ctypes
import os
import re
import select
import subprocess
import sys
import time

MAP_NOTIFY = 19
PROPERTY_NOTIFY = 28
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
PROPERTY_CHANGE_MASK = 1 << 22
TIMEOUT_SECONDS = 60
TITLE_PROPERTIES = (b"_NET_WM_NAME", b"WM_NAME")


class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class PropertyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("atom", ctypes.c_ulong),
                ("time", ctypes.c_ulong), ("state", ctypes.c_int)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("map", MapEvent), ("property", PropertyEvent),
                ("pad", ctypes.c_long * 24)]


class Display:
    """The few Xlib calls the watcher needs, through ctypes."""

    def __init__(self):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XInternAtom.restype = ctypes.c_ulong
        self.handle = ctypes.c_void_p(self.x.XOpenDisplay(None))
        if not self.handle:
            sys.exit("first_window.py: cannot open the display")
        # A window may be gone before its title is read: ignore X errors.
        self.on_error = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
        self.x.XSetErrorHandler(self.on_error)
        self.root = ctypes.c_ulong(self.x.XDefaultRootWindow(self.handle))
        self.title_atoms = {self.atom(name) for name in TITLE_PROPERTIES}
        self.select(self.root, SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.handle)

    def atom(self, name):
        return self.x.XInternAtom(self.handle, ctypes.c_char_p(name), 0)

    def select(self, window, mask):
        self.x.XSelectInput(self.handle, window, ctypes.c_long(mask))

    def title(self, window):
        for name in TITLE_PROPERTIES:
            kind, fmt = ctypes.c_ulong(), ctypes.c_int()
            count, left, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.POINTER(ctypes.c_ubyte)()
            status = self.x.XGetWindowProperty(self.handle, ctypes.c_ulong(window), ctypes.c_ulong(self.atom(name)),
                                               ctypes.c_long(0), ctypes.c_long(1024), 0, ctypes.c_ulong(0),
                                               ctypes.byref(kind), ctypes.byref(fmt), ctypes.byref(count),
                                               ctypes.byref(left), ctypes.byref(data))
            if status == 0 and data:
                text = bytes(data[: count.value]) if fmt.value == 8 else b""
                self.x.XFree(data)
                if text:
                    return text.decode("utf-8", "replace")
        return ""

    def events(self, deadline):
        """Yields events until the deadline."""
        fd = self.x.XConnectionNumber(self.handle)
        event = Event()
        while time.monotonic() < deadline:
            if not self.x.XPending(self.handle):
                select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
                continue
            self.x.XNextEvent(self.handle, ctypes.byref(event))
            yield event


def wait_for_window(display, title, deadline):
    """Milliseconds since the start until a matching window is mapped."""
    mapped = set()
    for event in display.events(deadline):
        if event.type == MAP_NOTIFY and event.map.event == display.root.value:
            window = event.map.window
            mapped.add(window)
            display.select(ctypes.c_ulong(window), PROPERTY_CHANGE_MASK)
        elif event.type == PROPERTY_NOTIFY and event.property.atom in display.title_atoms:
            window = event.property.window
            if window not in mapped:
                continue
        else:
            continue
        if title.search(display.title(window)):
            return time.monotonic()
    return None


def main(title, out, command):
    display = Display()
    pattern = re.compile(title)
    errors = open(out + ".stderr", "wb")
    spawned = time.time()
    start = time.monotonic()
    process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=errors)
    shown = wait_for_window(display, pattern, start + TIMEOUT_SECONDS)
    if shown is None:
        process.kill()
        process.wait()
        sys.exit(f"first_window.py: no window titled {title} within {TIMEOUT_SECONDS} s")
    with open(out + ".part", "w") as file:
        file.write(f"{(shown - start) * 1000:.1f} {process.pid} {spawned:.6f}\n")
    os.rename(out + ".part", out)
    sys.exit(process.wait())


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3:])
