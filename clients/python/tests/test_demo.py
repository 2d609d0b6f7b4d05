import re
import subprocess
import unittest

from lookout_stream import RecordReader, SiteRecord
from tests.stage import WINE, bin_path, windows_path

VER, PLAIN = windows_path("testwin_ver.exe"), windows_path("testwin_plain.exe")


class PathOf(str):
    """Equal to any path of this executable (the tree player runs from a folder of its own)."""

    def __eq__(self, other):
        return isinstance(other, str) and other.lower().endswith("\\" + self.lower())

    __hash__ = str.__hash__


DESCRIPTION = "Lookout Test Window"
# A record of each scenario the demo shows, in its order (tests/programs/demo.cpp).
SCENARIOS = [
    ("app", VER, DESCRIPTION, "Report.txt - Writer"),
    ("app", PLAIN, "-", "Untitled - Sketch"),
    ("app", "Desktop", "Desktop", "Program Manager"),
    ("app", VER, DESCRIPTION, "Invoice S120 - Editor"),
    ("app", VER, DESCRIPTION, "Invoice S125 (edited) - Editor"),
    ("app", PLAIN, "-", ""),
    ("site", "http://example.com/", "Example Domain - Internet Explorer", VER),
    ("site", "https://example.org/?price=S5", "Example - Chrome", PLAIN),
    ("app", PLAIN, "-", "An Electron application"),
    ("site", "https://www.example.org/", "Example Domain - Mozilla Firefox",
     PathOf("firefox.exe")),
    ("site", "http://dde.example/news", "News (from DDE)", PLAIN),
    ("site", "http://opera.example/", "Opera page (from DDE)", PLAIN),
    ("app", "com.example.Inventory --store 42", DESCRIPTION, "Inventory"),
]
_ESCAPE = re.compile(r"<LF>|<([0-9A-F]{2})>")


def raw_bytes(line):
    """The bytes of one "raw:" line of the demo (demo.exe --help describes the escapes)."""
    return _ESCAPE.sub(lambda m: chr(int(m.group(1), 16)) if m.group(1) else "\n",
                       line).encode("latin-1")


def fields(record):
    if isinstance(record, SiteRecord):
        return ("site", record.url, record.title, record.path)
    return ("app", record.path, record.description, record.title)


class Demo(unittest.TestCase):
    def test_the_reader_parses_every_scenario_of_the_demo(self):
        demo = subprocess.run([WINE, bin_path("demo.exe"), "--raw"], stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, encoding="latin-1", timeout=240)
        self.assertEqual(demo.returncode, 0, demo.stdout + demo.stderr)
        chunks = [raw_bytes(line.split("raw: ", 1)[1])
                  for line in demo.stdout.splitlines() if line.startswith("   raw: ")]
        reader = RecordReader("cp1252")
        records = [record for chunk in chunks for record in reader.feed(chunk)]
        records += reader.finish()
        # Nothing lost or changed: the fields joined again are the stream's bytes.
        self.assertEqual(b"".join("$".join(fields(r) + ("\n", "")).encode("cp1252")
                                  for r in records), b"".join(chunks))
        # Every scenario, in order; a scenario the demo gains later may come in between.
        parsed = iter(map(fields, records))
        missing = [scenario for scenario in SCENARIOS if scenario not in parsed]
        self.assertEqual(missing, [])


if __name__ == "__main__":
    unittest.main()
