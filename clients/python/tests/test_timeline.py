import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time
import unittest
from collections import defaultdict
from contextlib import closing

from lookout_stream.timeline import format_duration
from tests.stage import DEADLINE, end_process, PACKAGE_DIR, TestWindows, hex_text, start_cli, wait_for

# Which window comes to the front, and for how long (seconds) before the next switch.
SWITCHES = [("writer", 0.3), ("ie", 1.0), ("sketch", 0.4), ("chrome", 0.7), ("writer", 0.5),
            ("ie", 0.4)]


def rows(db_path):
    try:
        with closing(sqlite3.connect(db_path, timeout=DEADLINE)) as db:
            return db.execute("SELECT kind, application, description, title, address,"
                              " site_host, started, ended FROM intervals ORDER BY id").fetchall()
    except sqlite3.OperationalError:  # not created yet
        return []


class Timeline(unittest.TestCase):
    def stage(self):
        """The windows, each with the fields its interval should have."""
        ver, plain = TestWindows("testwin_ver.exe"), TestWindows("testwin_plain.exe")
        self.addCleanup(ver.close)
        self.addCleanup(plain.close)

        def tree(process, parent, *children):  # (class, text, children...) under parent
            for window_class, text, *grandchildren in children:
                tree(process, process.command("child", parent, window_class, hex_text(text)),
                     *grandchildren)

        ie = ver.command("create", "IEFrame", hex_text("Example Domain - Internet Explorer"))
        tree(ver, ie, ("ReBarWindow32", "", ("ToolbarWindow32", "Links")),
             ("PyAddressBand", "", ("ToolbarWindow32", "Address Combo Control"),
              ("ComboBoxEx32", "", ("Edit", "http://example.com/"))))
        chrome = plain.command("create", "Chrome_WidgetWin_1", hex_text("Example - Chrome"))
        tree(plain, chrome, ("PyView", "", ("Chrome_OmniboxView", "https://example.org/?p=$5")))
        return {
            "writer": (ver, ver.command("create", "PyWriter", hex_text("Report - Writer")),
                       ("app", ver.path, "Lookout Test Window", "Report - Writer", None, None)),
            "sketch": (plain, plain.command("create", "PySketch", hex_text("")),
                       ("app", plain.path, "-", "", None, None)),
            "ie": (ver, ie, ("site", ver.path, None, "Example Domain - Internet Explorer",
                             "http://example.com/", "example.com")),
            "chrome": (plain, chrome, ("site", plain.path, None, "Example - Chrome",
                                       "https://example.org/?p=S5", "example.org")),
        }

    def test_intervals_follow_the_switches_and_the_report_sums_them(self):
        windows = self.stage()
        folder = tempfile.mkdtemp(prefix="lookout-timeline-")
        self.addCleanup(shutil.rmtree, folder, True)
        db_path = os.path.join(folder, "timeline.db")
        windows["writer"][0].command("show", windows["writer"][1])
        switched, seen = [time.time()], []  # per switch: just before it, when its row came
        cli = start_cli("record", "--db", db_path)
        self.addCleanup(end_process, cli)
        for index, (name, hold) in enumerate(SWITCHES):
            if index > 0:
                switched.append(time.time())
                windows[name][0].command("show", windows[name][1])
            wait_for(lambda: len(rows(db_path)) > index, "interval %d" % index)
            seen.append(time.time())
            time.sleep(hold)  # how long a window stays in front is what is recorded
        stopped = time.time()
        cli.send_signal(signal.SIGINT)
        self.assertEqual(cli.wait(DEADLINE), 0, cli.stderr.read())
        intervals = rows(db_path)
        self.assertEqual([row[:6] for row in intervals], [windows[n][2] for n, _ in SWITCHES])
        ends = [row[6] for row in intervals[1:]] + [time.time()]
        for index, (_, _, _, _, _, _, start, end) in enumerate(intervals):
            self.assertTrue(switched[index] <= start <= seen[index], index)
            self.assertTrue(end == ends[index] if index + 1 < len(SWITCHES) else
                            stopped <= end <= ends[-1], index)
            self.assertGreaterEqual(end - start, SWITCHES[index][1])

        report = subprocess.run([sys.executable, "-m", "lookout_stream", "report", "--db",
                                 db_path], capture_output=True, text=True, timeout=DEADLINE,
                                env=dict(os.environ, PYTHONPATH=PACKAGE_DIR))
        totals = (defaultdict(float), defaultdict(float))
        for _, application, _, _, _, host, start, end in intervals:
            totals[0][application] += end - start
            totals[1][host] += end - start if host else 0
        expected = []
        for heading, total in zip(("Time per application", "Time per site host"), totals):
            expected.append(heading)
            expected += ["  %12s  %s" % (format_duration(seconds), name) for name, seconds in
                         sorted(total.items(), key=lambda item: -item[1]) if name]
        self.assertEqual(report.stdout.splitlines(), expected, report.stderr)
        self.assertEqual(len(expected), 6)  # two applications, two hosts


if __name__ == "__main__":
    unittest.main()
