"""An example parent: a timeline of what was in front, kept in SQLite, and a report of it.

Each record opens an interval that the next record closes; the last one is closed when the
recording stops. Times are seconds since the epoch, as the records arrived.
"""

import os
import re
import sqlite3
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
    ended       REAL            -- NULL while open, or when the recording was cut off
)
"""

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
    committed as it comes, so that a reader sees the timeline grow."""

    def __init__(self, path):
        self._db = sqlite3.connect(path, timeout=10)
        self._db.execute(SCHEMA)
        self._db.commit()
        self._open_id = None
        self._open_started = None

    def add(self, record):
        """Closes the open interval at the record's arrival and opens the record's own."""
        if record.kind == "app":
            row = ("app", record.path, record.description, record.title, None, None)
        elif record.kind == "site":
            row = ("site", record.path, None, record.title, record.url, site_host(record.url))
        else:
            return  # a notice is no change of window
        with self._db:
            self._close_open(record.time)
            self._open_id = self._db.execute(
                "INSERT INTO intervals (kind, application, description, title, address,"
                " site_host, started) VALUES (?, ?, ?, ?, ?, ?, ?)",
                row + (record.time,)).lastrowid
            self._open_started = record.time

    def close(self, at):
        """Closes the open interval at `at` (not before it started) and the database."""
        with self._db:
            self._close_open(at)
        self._db.close()

    def _close_open(self, at):
        if self._open_id is not None:
            self._db.execute("UPDATE intervals SET ended = ? WHERE id = ?",
                             (max(at, self._open_started), self._open_id))
            self._open_id = None


def totals(path):
    """(per application, per site host): lists of (name, seconds), longest first. Intervals
    left open (a recording that was cut off) are not counted."""
    db = sqlite3.connect(path, timeout=10)
    try:
        def query(name_column, condition):
            return db.execute(
                "SELECT %s, SUM(ended - started) AS seconds FROM intervals"
                " WHERE ended IS NOT NULL AND %s GROUP BY %s ORDER BY seconds DESC, %s"
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
