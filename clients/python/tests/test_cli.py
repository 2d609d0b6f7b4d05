import fcntl
import json
import os
import signal
import termios
import time
import unittest

from tests.stage import DEADLINE, end_process, Lines, TestWindows, hex_text, start_cli, wait_for


def unread_output_bytes(pid):
    """The bytes in the pipe on process `pid`'s standard output that nobody has read yet."""
    fd = os.open("/proc/%d/fd/1" % pid, os.O_RDONLY | os.O_NONBLOCK)
    try:
        return int.from_bytes(fcntl.ioctl(fd, termios.FIONREAD, bytes(4)), "little")
    finally:
        os.close(fd)


class JsonOutput(unittest.TestCase):
    def test_records_as_json_lines_and_ctrl_c_keeps_the_last_record(self):
        windows = TestWindows("testwin_ver.exe")
        self.addCleanup(windows.close)
        titles = ["Price $5 - Editor", "Caf\xe9 \x81\x9d \x80", "The last one"]
        handles = [windows.command("create", "PyJson", hex_text(title)) for title in titles]
        windows.command("show", handles[0])
        started = time.time()
        cli = start_cli("--json")
        self.addCleanup(end_process, cli)
        lines = Lines(cli.stdout)

        def expect(title):
            record = json.loads(lines.next())
            arrived = record.pop("time")
            self.assertTrue(started <= arrived <= time.time())
            self.assertTrue(started - 0.001 <= record.pop("seen") <= arrived)  # /time
            self.assertEqual(record, {"kind": "app", "path": windows.path, "title": title,
                                      "description": "Lookout Test Window"})

        expect("Price S5 - Editor")
        windows.command("show", handles[1])
        expect("Caf\xe9 \x81\x9d \u20ac")  # the bytes 1252 leaves undefined, kept as Windows does
        # Ctrl+C while the last record waits unread in the pipe: it still comes out.
        os.kill(cli.pid, signal.SIGSTOP)
        with open("/proc/%d/task/%d/children" % (cli.pid, cli.pid)) as children:
            lookout_pid = int(children.read().split()[0])
        windows.command("show", handles[2])
        size = len("app$%s$Lookout Test Window$The last one$\n$" % windows.path)
        wait_for(lambda: unread_output_bytes(lookout_pid) >= size, "record in the pipe")
        os.kill(cli.pid, signal.SIGINT)
        os.kill(cli.pid, signal.SIGCONT)
        expect("The last one")
        self.assertEqual(cli.wait(DEADLINE), 0)
        self.assertEqual(cli.stdout.read() + cli.stderr.read(), b"")
        self.assertFalse(os.path.exists("/proc/%d" % lookout_pid), "Lookout has ended")


if __name__ == "__main__":
    unittest.main()
