"""Lookout.exe as a child process: started on Windows or through Wine, read as it writes,
stopped by closing its standard input (/stdin) so that it writes its last records first."""

import os
import queue
import shutil
import subprocess
import sys
import threading
import time
from collections import deque

from .records import RecordReader
from .text import ANSI

ON_WINDOWS = sys.platform == "win32"

# Lookout's exit codes: 1 after a stop (the end of its standard input with /stdin, Ctrl+C or
# another termination signal), 0 after a crash in its monitor loop (a dump was written);
# 0xC000013A after Ctrl+Break, the console's closing, logoff or shutdown.
EXIT_STOPPED = 1
EXIT_CRASHED = 0
EXIT_CONSOLE_ENDED = 0xC000013A

# How often the reading loop looks at the process and at a stop request while nothing arrives.
_POLL_SECONDS = 0.1
# After a stop Lookout writes what it had queued for as long as this reads it, then ends. When
# nothing at all arrives for this long, it is ended without waiting further.
STOP_TIMEOUT_SECONDS = 5.0
_READ_SIZE = 65536

_WINE_DEFAULTS = {
    "WINEDEBUG": "-all",                 # Wine's own messages would go to the null device anyway
    "WINEDLLOVERRIDES": "mscoree,mshtml=",  # no Mono or Gecko installer prompts
}


def wine_command():
    """The Wine launcher to run Lookout.exe with: $LOOKOUT_WINE, else wine64, else wine."""
    for candidate in (os.environ.get("LOOKOUT_WINE"), "/usr/lib/wine/wine64",
                      shutil.which("wine64"), shutil.which("wine")):
        if candidate and os.path.isfile(candidate):
            return candidate
    raise FileNotFoundError("Wine is needed to run Lookout.exe here (Debian: apt-get install wine64)")


class Lookout:
    """Runs Lookout.exe and yields its records as they arrive.

        with Lookout("Lookout.exe") as lookout:
            for record in lookout.records():
                ...

    records() ends when Lookout has ended and every byte it wrote has been read. To stop it,
    call request_stop() (from a signal handler too): its standard input is closed, which stops
    it (/stdin), and records() goes on with the records Lookout writes before it ends. If this
    process ends without stopping it, the system closes that input and Lookout stops all the
    same. Records carry the time Lookout saw each change (/time) unless `times` is false.
    """

    def __init__(self, exe, args=(), encoding=ANSI, wine_prefix=None, wine=None, times=True):
        self.exe = exe
        self.args = list(args) + [switch for switch, wanted in (("/stdin", True),
                                                                 ("/time", times))
                                  if wanted and switch not in args]
        self.wine_prefix = wine_prefix
        self.wine = wine
        self.exit_code = None
        self.killed = False  # it had to be ended because it did not end after the stop
        self.stop_requested_at = None  # time.time() of request_stop()
        self._reader = RecordReader(encoding)
        self._process = None
        self._pipe = None
        self._pending = deque()
        self._ended = False
        self._input_closed = False
        self._last_arrival = None  # time.monotonic() of the last bytes, once stopping

    @property
    def pid(self):
        return self._process.pid if self._process else None

    def start(self):
        if not os.path.isfile(self.exe):
            raise FileNotFoundError("Lookout.exe not found at %s" % self.exe)
        command = [self.exe] + self.args
        env = None
        if not ON_WINDOWS:
            command.insert(0, self.wine or wine_command())
            env = dict(_WINE_DEFAULTS, **os.environ)
            if self.wine_prefix:
                env["WINEPREFIX"] = os.path.abspath(self.wine_prefix)
        # Standard input is the pipe that stops Lookout when it is closed; standard error is not
        # used. On Windows Lookout shares this console (a Ctrl+C typed there stops it too).
        # Under Wine it gets a process group of its own, so a Ctrl+C typed here reaches only
        # this process, which then closes the pipe.
        self._process = subprocess.Popen(
            command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, env=env, bufsize=0, start_new_session=not ON_WINDOWS)
        self._pipe = (_ThreadedPipe if ON_WINDOWS else _SelectPipe)(self._process.stdout)
        return self

    def __enter__(self):
        return self if self._process else self.start()

    def __exit__(self, *exc_info):
        self.close()

    def request_stop(self):
        """Asks for Lookout to be stopped; safe to call from a signal handler (the reading loop
        closes the pipe)."""
        if self.stop_requested_at is None:
            self.stop_requested_at = time.time()

    def records(self, idle=None):
        """Yields AppRecord, SiteRecord and Notice objects until Lookout has ended and its
        output is read, and a CutRecord last if it ended in the middle of a record. StreamError
        is raised as soon as the stream is not a record stream. `idle`, when given, is called
        whenever nothing has arrived for a moment while Lookout runs: everything it wrote so far
        has been read."""
        while True:
            while self._pending:
                yield self._pending.popleft()
            if self._ended:
                return
            if self._step() and idle is not None:
                idle()

    def close(self):
        """Stops Lookout if it still runs and waits for it; the records not read are dropped."""
        if self._process is None or self._ended:
            return
        self.request_stop()
        self._reader = None
        self._pending.clear()
        while not self._ended:
            self._step()

    def _step(self):
        """Reads once; True when nothing came and Lookout runs on."""
        self._advance_stop()
        data = self._pipe.read(_POLL_SECONDS)
        if data is None and self._process.poll() is None:
            return True
        if self._input_closed:
            self._last_arrival = time.monotonic()
        if not data:
            # Lookout has ended, or its output has. Under Wine the pipe's end need not come:
            # a service process of Wine's may hold a copy of it; what Lookout wrote is in the
            # pipe once it has ended.
            self._finish_process()
            data = self._pipe.read_rest()
            self._process.stdout.close()
            self._ended = True
        if self._reader is None:  # closing: nobody reads the records any more
            return False
        arrived = time.time()
        self._pending.extend(self._reader.feed(data, arrived))
        if self._ended:
            self._pending.extend(self._reader.finish(arrived))
        return False

    def _advance_stop(self):
        if self.stop_requested_at is None or self._process.poll() is not None:
            return
        if not self._input_closed:
            self._input_closed = True
            self._last_arrival = time.monotonic()
            self._process.stdin.close()
        elif time.monotonic() - self._last_arrival > STOP_TIMEOUT_SECONDS:
            self._process.kill()
            self.killed = True

    def _finish_process(self):
        try:
            self.exit_code = self._process.wait(STOP_TIMEOUT_SECONDS)
        except subprocess.TimeoutExpired:
            # Its output ended but it did not: it cannot write records any more.
            self._process.kill()
            self.killed = True
            self.exit_code = self._process.wait()
        if not self._input_closed:
            self._input_closed = True
            self._process.stdin.close()


class _SelectPipe:
    """A pipe read with select (POSIX)."""

    def __init__(self, pipe):
        import selectors

        self._fd = pipe.fileno()
        self._selector = selectors.DefaultSelector()
        self._selector.register(self._fd, selectors.EVENT_READ)

    def read(self, timeout):
        """Bytes, b"" at the end, None when nothing came within `timeout`."""
        if not self._selector.select(timeout):
            return None
        return os.read(self._fd, _READ_SIZE)

    def read_rest(self):
        """What the pipe holds now, without waiting."""
        os.set_blocking(self._fd, False)
        rest = bytearray()
        try:
            while True:
                data = os.read(self._fd, _READ_SIZE)
                if not data:
                    break
                rest += data
        except BlockingIOError:
            pass
        self._selector.close()
        return bytes(rest)


class _ThreadedPipe:
    """A pipe read by a thread of its own (Windows cannot select on pipes)."""

    def __init__(self, pipe):
        self._chunks = queue.Queue()
        self._at_end = False
        threading.Thread(target=self._run, args=(pipe,), daemon=True).start()

    def _run(self, pipe):
        try:
            while True:
                data = pipe.read(_READ_SIZE)
                self._chunks.put(data)
                if not data:
                    return
        except (OSError, ValueError):  # closed under us
            self._chunks.put(b"")

    def read(self, timeout):
        if self._at_end:
            return b""
        try:
            data = self._chunks.get(timeout=timeout)
        except queue.Empty:
            return None
        self._at_end = not data
        return data

    def read_rest(self):
        # On Windows nothing else holds the pipe: its end comes right after Lookout's.
        rest = bytearray()
        while not self._at_end:
            data = self.read(STOP_TIMEOUT_SECONDS)
            if data is None:
                break
            rest += data
        return bytes(rest)
