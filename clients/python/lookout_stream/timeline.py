"""An example parent: a timeline of what was in front, kept in SQLite, and a report of it.

Each record opens an interval that the next record closes; the last one is closed when the
recording stops. Times are seconds since the epoch: when Lookout saw each change (/time), or
when the record arrived from a Lookout without it. One recording at a time writes a database.
"""

import os
import re
import sqlite3
import sys
import time
import urllib.parse

SCHEMA = """
CREATE TABLE IF NOT EXISTS intervals (
    id          INTEGER PRIMARY KEY,
    kind        TEXT NOT NULL,  -- 'app' or 'site'
    application TEXT NOT NULL,  -- the executable's path, 'Desktop', or the Java command
    description TEXT,           -- the executable's file description (application records)
    title       TEXT NOT NULL,
    address     TEXT,           -- the address the browser showed (site records)
    site_host   TEXT,           -- the address's host, when it has one
    started     REAL NOT NULL,
    ended       REAL,           -- NULL while open, or when the recording was cut off
    last_seen   REAL            -- while open: the last time the recording knew it still was
)
"""
# How often the open interval's last_seen is brought up to date while nothing changes.
STILL_OPEN_EVERY_SECONDS = 1.0


class TimelineInUse(RuntimeError):
    """Another recording writes to the database."""


def _lock(path):
    """Holds a lock file beside the database for as long as this process keeps the returned
    file open; the system lets it go when the process ends, however it ends."""
    lock = open(path + ".lock", "a+b")
    try:
        if sys.platform == "win32":
            import msvcrt

            msvcrt.locking(lock.fileno(), msvcrt.LK_NBLCK, 1)
        else:
            import fcntl

            fcntl.flock(lock.fileno(), fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        lock.close()
        raise TimelineInUse("another recording writes to %s; run one at a time, or give this "
                            "one a database of its own" % path) from None
    return lock

# "about:blank", "mailto:..." and the like: a scheme with no host after it.
_SCHEME_WITHOUT_HOST = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]*:(?!\d|//)")


def site_host(address):
    """The host of an address, lower case, or None. Address bars often leave out the
    scheme ("example.org/news"), so an address without one is read as starting with a host."""
    if not address or _SCHEME_WITHOUT_HOST.match(address):
        return None
    text = address if "://" in address else "//" + address
    try:
        return urllib.parse.urlsplit(text).hostname or None
    except ValueError:
        return None


class Timeline:
    """Writes the intervals into the database at `path` (created when missing), each record
    committed as it comes, so that a reader sees the timeline grow. Raises TimelineInUse while
    another Timeline writes to it."""

    def __init__(self, path):
        self._lock = _lock(path)
        self._db = sqlite3.connect(path, timeout=10)
        self._db.execute(SCHEMA)
        columns = [row[1] for row in self._db.execute("PRAGMA table_info(intervals)")]
        if "last_seen" not in columns:  # a database of an earlier version
            self._db.execute("ALTER TABLE intervals ADD COLUMN last_seen REAL")
        self._db.commit()
        self._open_id = None
        self._open_started = None
        self._still_open_at = 0.0

    def add(self, record):
        """Closes the open interval when the record's change was seen (or when it arrived) and
        opens the record's own."""
        if record.kind == "app":
            row = ("app", record.path, record.description, record.title, None, None)
        elif record.kind == "site":
            row = ("site", record.path, None, record.title, record.url, site_host(record.url))
        else:
            return  # a notice is no change of window
        at = record.time if record.seen is None else record.seen
        with self._db:
            self._close_open(at)
            self._open_id = self._db.execute(
                "INSERT INTO intervals (kind, application, description, title, address,"
                " site_host, started, last_seen) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                row + (at, at)).lastrowid
            self._open_started = at

    def still_open(self, now=None):
        """Call while Lookout runs and everything it wrote has been read: the open interval
        still goes on. Recorded at most once a second, so that a recording cut off (its writer
        killed) is counted up to then."""
        now = time.time() if now is None else now
        if self._open_id is None or now - self._still_open_at < STILL_OPEN_EVERY_SECONDS:
            return
        self._still_open_at = now
        with self._db:
            self._db.execute("UPDATE intervals SET last_seen = ? WHERE id = ?",
                             (max(now, self._open_started), self._open_id))

    def close(self, at):
        """Closes the open interval at `at` (not before it started), the database and the lock."""
        with self._db:
            self._close_open(at)
        self._db.close()
        self._lock.close()

    def _close_open(self, at):
        if self._open_id is not None:
            self._db.execute("UPDATE intervals SET ended = ? WHERE id = ?",
                             (max(at, self._open_started), self._open_id))
            self._open_id = None


def totals(path):
    """(per application, per site host): lists of (name, seconds), longest first. An interval
    left open (its recording was cut off, or still runs) counts up to the last time its
    recording knew it was still open."""
    db = sqlite3.connect(path, timeout=10)
    try:
        def query(name_column, condition):
            return db.execute(
                "SELECT %s, SUM(COALESCE(ended, last_seen, started) - started) AS seconds"
                " FROM intervals WHERE %s GROUP BY %s ORDER BY seconds DESC, %s"
                % (name_column, condition, name_column, name_column)).fetchall()

        return (query("application", "1"),
                query("site_host", "kind = 'site' AND site_host IS NOT NULL"))
    finally:
        db.close()


def format_duration(seconds):
    """h:mm:ss.s"""
    tenths = int(round(seconds * 10))
    hours, tenths = divmod(tenths, 36000)
    minutes, tenths = divmod(tenths, 600)
    return "%d:%02d:%04.1f" % (hours, minutes, tenths / 10)


def write_report(path, out):
    """Prints the time per application and per site host, longest first."""
    if not os.path.isfile(path):
        raise FileNotFoundError("no timeline at %s" % path)
    applications, hosts = totals(path)
    for heading, rows in (("Time per application", applications),
                          ("Time per site host", hosts)):
        print(heading, file=out)
        for name, seconds in rows:
            print("  %12s  %s" % (format_duration(seconds), name), file=out)
        if not rows:
            print("  (none)", file=out)
