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
                              " site_host, started, ended, last_seen FROM intervals"
                              " ORDER BY id").fetchall()
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

    def test_a_stalled_writer_keeps_the_times_of_the_switches_and_a_killed_one_counts_to_its_end(self):
        windows = self.stage()
        folder = tempfile.mkdtemp(prefix="lookout-timeline-")
        self.addCleanup(shutil.rmtree, folder, True)
        db_path = os.path.join(folder, "timeline.db")
        windows["writer"][0].command("show", windows["writer"][1])
        switched = [time.time()]  # just before each switch
        cli = start_cli("record", "--db", db_path)
        self.addCleanup(end_process, cli)
        wait_for(lambda: len(rows(db_path)) == 1, "the first interval")
        with open("/proc/%d/task/%d/children" % (cli.pid, cli.pid)) as children:
            lookout_pid = int(children.read().split()[0])
        second = start_cli("record", "--db", db_path)
        self.assertEqual(second.wait(DEADLINE), 1)
        self.assertIn(b"another recording writes to", second.communicate()[1])

        # The writer stalls (a busy parent, a debugger's pause) while the windows change: the
        # records come all at once when it goes on, and keep the times of the switches.
        os.kill(cli.pid, signal.SIGSTOP)
        for index, (name, hold) in enumerate(SWITCHES):
            if index > 0:
                switched.append(time.time())
                windows[name][0].command("show", windows[name][1])
            time.sleep(hold)
        os.kill(cli.pid, signal.SIGCONT)
        wait_for(lambda: len(rows(db_path)) == len(SWITCHES), "every interval")
        caught_up = time.time()
        wait_for(lambda: rows(db_path)[-1][8] >= caught_up, "the open interval's last look")
        # Killed outright: the last interval stays open, and Lookout stops as its input ends.
        cli.kill()
        cli.wait(DEADLINE)
        wait_for(lambda: not os.path.exists("/proc/%d" % lookout_pid), "Lookout's end")

        intervals = rows(db_path)
        self.assertEqual([row[:6] for row in intervals], [windows[n][2] for n, _ in SWITCHES])
        switched.append(caught_up)
        for index, (*_, start, end, last_seen) in enumerate(intervals):
            # Times are cut to the millisecond; the poll saw each switch before the next one.
            self.assertTrue(switched[index] - 0.001 <= start < switched[index + 1], index)
            if index + 1 < len(intervals):
                self.assertEqual(end, intervals[index + 1][6])
                self.assertGreaterEqual(end - start, SWITCHES[index][1] - 0.1)
        self.assertIsNone(intervals[-1][7])
        self.assertGreaterEqual(intervals[-1][8], caught_up)

        report = subprocess.run([sys.executable, "-m", "lookout_stream", "report", "--db",
                                 db_path], capture_output=True, text=True, timeout=DEADLINE,
                                env=dict(os.environ, PYTHONPATH=PACKAGE_DIR))
        totals = (defaultdict(float), defaultdict(float))
        for _, application, _, _, _, host, start, end, last_seen in intervals:
            end = last_seen if end is None else end
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
