import contextlib
import io
import random
import time
import unittest
from types import SimpleNamespace

from lookout_stream import (AppRecord, CutRecord, RecordReader, RecordSplitter, SiteRecord,
                            StreamError, make_decoder)
from lookout_stream import cli
from lookout_stream.records import Notice
from lookout_stream.timeline import site_host

T = 1700000000.5
# The README's examples, an empty title, and a title of bytes a field may hold: LF, CR, 1252
# text and the five bytes code page 1252 leaves undefined.
RECORDS = [
    (b"app$C:\\Windows\\notepad.exe$Notepad$Price S5 - Notepad$\n$",
     AppRecord("C:\\Windows\\notepad.exe", "Notepad", "Price S5 - Notepad", T)),
    (b"app$C:\\Tools\\clock.exe$-$$\n$", AppRecord("C:\\Tools\\clock.exe", "-", "", T)),
    (b"app$Desktop$Desktop$Program Manager$\n$",
     AppRecord("Desktop", "Desktop", "Program Manager", T)),
    (b"site$https://www.example.org/?id=S7$Example Domain$C:\\Firefox\\firefox.exe$\n$",
     SiteRecord("https://www.example.org/?id=S7", "Example Domain", "C:\\Firefox\\firefox.exe", T)),
    (b"app$C:\\x.exe$Caf\xe9 \x80$a\nb\r\x81\x8d\x8f\x90\x9d$\n$",
     AppRecord("C:\\x.exe", "Caf\xe9 \u20ac", "a\nb\r\x81\x8d\x8f\x90\x9d", T)),
    # With /time; a title that is a lone line feed does not end the record.
    (b"app$C:\\a.exe$-$\n$2026-12-09T14:03:07.125Z$\n$",
     AppRecord("C:\\a.exe", "-", "\n", T, 1796824987.125)),
    (b"site$http://x.test/$$C:\\b.exe$1601-01-01T00:00:00.000Z$\n$",
     SiteRecord("http://x.test/", "", "C:\\b.exe", T, -11644473600.0)),
]
STREAM = b"".join(data for data, _ in RECORDS)
EXPECTED = [record for _, record in RECORDS]


def read_all(chunks):
    reader = RecordReader("cp1252")
    found = [record for chunk in chunks for record in reader.feed(chunk, T)]
    return found + reader.finish(T)


class Splitting(unittest.TestCase):
    def test_every_chunking_gives_the_same_records(self):
        chunkings = [[STREAM[i:i + 1] for i in range(len(STREAM))]]
        chunkings += [[STREAM[:i], STREAM[i:]] for i in range(len(STREAM) + 1)]
        rng = random.Random(15)
        for _ in range(300):
            cuts = [0] + sorted(rng.sample(range(1, len(STREAM)), rng.randint(1, 30)))
            chunkings.append([STREAM[a:b] for a, b in zip(cuts, cuts[1:] + [len(STREAM)])])
        for chunks in chunkings:
            self.assertEqual(read_all(chunks), EXPECTED, chunks)

    def test_a_record_comes_out_with_its_last_byte_and_a_cut_one_is_reported_at_the_end(self):
        boundaries = [0]
        for data, _ in RECORDS:
            boundaries.append(boundaries[-1] + len(data))
        for end in range(len(STREAM) + 1):
            reader = RecordReader("cp1252")
            whole = [b for b in boundaries if b <= end]
            self.assertEqual(reader.feed(STREAM[:end], T), EXPECTED[:len(whole) - 1])
            if end == whole[-1]:
                self.assertEqual(reader.finish(T), [])
                continue
            self.assertEqual(reader.finish(T), [CutRecord(STREAM[whole[-1]:end], T)])

    def test_what_is_not_a_record_stream_is_refused(self):
        for bad in (b"app$a$b$c$x$", b"app$a$b$c$\n\n$", b"app$a$b$c$$", b"text$", b"$",
                    b"app$a$b$c$\n$\napp$", b"app$a$b$c$2026-12-09T14:03:07.125Z$x$",
                    b"app$a$b$c$2026-12-09T14:03:07Z$\n$", b"app$a$b$c$2026-12-09 14:03:07.125Z$"):
            with self.assertRaises(StreamError, msg=bad):
                RecordReader().feed(bad)
        splitter = RecordSplitter(max_record_bytes=100)
        splitter.feed(b"app$" + b"x" * 96)
        with self.assertRaises(StreamError):
            splitter.feed(b"x")  # no end in sight: not buffered without bound

    def test_the_user_name_line_between_records_is_a_notice(self):
        notice = b"GetUserName error\n"
        first = len(RECORDS[0][0])
        stream = STREAM[:first] + notice + STREAM[first:] + notice
        self.assertEqual(read_all([stream]), EXPECTED[:1] + [Notice("GetUserName error", T)]
                         + EXPECTED[1:] + [Notice("GetUserName error", T)])


class Decoding(unittest.TestCase):
    def test_code_page_1252_as_windows_decodes_it_and_utf8_cut_inside_a_character(self):
        text = make_decoder("cp1252")(bytes(range(256)))
        self.assertEqual(len(text), 256)
        self.assertEqual([text[b] for b in (0x80, 0xE9, 0x81, 0x8D, 0x8F, 0x90, 0x9D)],
                         ["\u20ac", "\xe9", "\x81", "\x8d", "\x8f", "\x90", "\x9d"])
        utf8 = make_decoder("utf-8")
        self.assertEqual(utf8("\u65e5 \U0001f600".encode() + b" \xe6\x97"),
                         "\u65e5 \U0001f600 \ufffd")

    def test_site_hosts_of_addresses_as_browsers_show_them(self):
        cases = {"https://www.Example.org/?id=S7": "www.example.org",
                 "example.org/news": "example.org", "localhost:3000/x": "localhost",
                 "http://[::1]:8080/": "::1", "about:blank": None, "": None,
                 "file:///C:/page.html": None}
        self.assertEqual({address: site_host(address) for address in cases}, cases)


class Outcome(unittest.TestCase):
    def test_the_exit_status_and_the_reason_say_how_lookout_ended(self):
        cases = [  # exit code, stop asked for: status, reason
            (1, True, 0, ""), (1, False, 1, "stopped from elsewhere"), (0, True, 1, "crashed"),
            (-9, False, 1, "killed by signal 9"), (255, False, 1, "ended from outside with"),
            (0xC000013A, False, 1, "Ctrl+Break")]
        for code, asked, status, reason in cases:
            lookout = SimpleNamespace(exit_code=code, killed=False,
                                      stop_requested_at=T if asked else None)
            with contextlib.redirect_stderr(io.StringIO()) as said:
                self.assertEqual(cli._outcome(lookout, None), status, code)
            self.assertIn(reason, said.getvalue(), code)
            self.assertNotIn("by itself", said.getvalue())

    def test_the_readable_line_is_one_line_at_the_time_of_the_change(self):
        record = AppRecord("C:\\new\\a.exe", "-", "two\nlines\r\x01", T, T + 3661.25)
        with contextlib.redirect_stdout(io.StringIO()) as printed:
            cli._print_readable(record)
        local = time.strftime("%H:%M:%S", time.localtime(T + 3661))
        self.assertEqual(printed.getvalue(),
                         local + ".750 [app ] C:\\new\\a.exe | - | two\\nlines\\r\\x01\n")


if __name__ == "__main__":
    unittest.main()
