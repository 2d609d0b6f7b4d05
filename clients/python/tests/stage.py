"""Our test programs under Wine, for the tests against the real Lookout. Waits have deadlines;
a switch has happened when its record has come."""

import os
import selectors
import signal
import subprocess
import sys
import time

PACKAGE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN_DIR = os.environ.get("LOOKOUT_BIN_DIR") or os.path.join(PACKAGE_DIR, "../../build/mingw/bin")
WINE = "/usr/lib/wine/wine64"
DEADLINE = 10.0


def bin_path(name):
    return os.path.abspath(os.path.join(BIN_DIR, name))


def windows_path(name):
    """How Lookout names a program of BIN_DIR: Wine's Z: drive is the Unix root."""
    return "Z:" + bin_path(name).replace("/", "\\")


def wait_for(condition, what):
    end = time.monotonic() + DEADLINE
    while not condition():
        if time.monotonic() > end:
            raise AssertionError("no %s within %s s" % (what, DEADLINE))
        time.sleep(0.01)


def hex_text(text):
    """A window text as the window programs take it, each character below U+0100 as the byte
    of that value (so "\\x81" is the byte 81 that code page 1252 leaves undefined)."""
    return text.encode("latin-1").hex()


def end_process(process):
    """Ends a process started here if it still runs (a reader with Ctrl+C first, so that it
    stops its Lookout) and closes its pipes."""
    process.send_signal(signal.SIGINT)
    try:
        process.wait(DEADLINE)
    except subprocess.TimeoutExpired:
        process.kill()
    with process:
        pass


def start_cli(*args):
    return subprocess.Popen(
        [sys.executable, "-m", "lookout_stream", *args, "--exe", bin_path("Lookout.exe")],
        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
        env=dict(os.environ, PYTHONPATH=PACKAGE_DIR, PYTHONDONTWRITEBYTECODE="1"))


class Lines:
    """The lines of a pipe, each waited for with a deadline."""

    def __init__(self, pipe):
        self._fd, self._buffer = pipe.fileno(), b""
        self._selector = selectors.DefaultSelector()
        self._selector.register(self._fd, selectors.EVENT_READ)

    def next(self):
        end = time.monotonic() + DEADLINE
        while b"\n" not in self._buffer:
            ready = self._selector.select(max(end - time.monotonic(), 0))
            data = os.read(self._fd, 65536) if ready else b""
            if not data:
                raise AssertionError("no whole line within %s s: %r" % (DEADLINE, self._buffer))
            self._buffer += data
        line, self._buffer = self._buffer.split(b"\n", 1)
        return line.decode("utf-8")


class TestWindows:
    """A test window process driven by line commands (tests/programs/window_commands.h)."""

    def __init__(self, exe):
        self.path = windows_path(exe)
        for _ in range(3):  # a Wine launch very rarely ends at once on a loaded machine
            self._process = subprocess.Popen([WINE, bin_path(exe)], stdin=subprocess.PIPE,
                                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            self._lines = Lines(self._process.stdout)
            try:
                if self._lines.next().startswith("ready "):
                    return
            except AssertionError:
                self._process.kill()
        raise AssertionError("%s did not start" % exe)

    def command(self, *words):
        """Sends one command line; returns the answer's last word (a window handle)."""
        self._process.stdin.write(" ".join(words).encode() + b"\n")
        self._process.stdin.flush()
        return self._lines.next().split()[-1]

    def close(self):
        self._process.stdin.close()  # the end of its input makes it quit
        self._process.wait(DEADLINE)
        self._process.stdout.close()
