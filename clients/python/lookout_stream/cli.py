"""python3 -m lookout_stream: runs Lookout and prints its records, or keeps a timeline.

    python3 -m lookout_stream [--json] [options]     one line per record
    python3 -m lookout_stream record --db FILE [options]
    python3 -m lookout_stream report --db FILE

Ctrl+C stops Lookout; its last records are still printed (or recorded) before this ends.
Lookout is started with /stdin (this stops it by closing its standard input, and it stops when
this ends in any way) and /time (each record's time is when Lookout saw the change).
"""

import argparse
import json
import os
import signal
import sys
import time

from .process import EXIT_CONSOLE_ENDED, EXIT_CRASHED, EXIT_STOPPED, Lookout
from .records import as_dict
from .stream import StreamError
from .text import ANSI, make_decoder
from .timeline import Timeline, TimelineInUse, write_report

EXIT_OK = 0
EXIT_FAILED = 1  # Lookout ended without being asked, did not stop as it should, or wrote a
                 # broken stream
EXIT_USAGE = 2


def _lookout_options():
    options = argparse.ArgumentParser(add_help=False)
    # SUPPRESS: the same options before and after a subcommand must not overwrite each other.
    group = options.add_argument_group("running Lookout")
    group.add_argument("--exe", default=argparse.SUPPRESS,
                       help="path of Lookout.exe (default: $LOOKOUT_EXE)")
    group.add_argument("--encoding", default=argparse.SUPPRESS,
                       help="encoding of the fields: ansi (the ANSI code page; 1252 under "
                            "Wine), utf-8, or a code page such as cp1252 (default: ansi)")
    group.add_argument("--wine-prefix", default=argparse.SUPPRESS,
                       help="Wine prefix to run Lookout in, not on Windows "
                            "(default: $WINEPREFIX)")
    group.add_argument("--lookout-arg", action="append", default=argparse.SUPPRESS,
                       metavar="ARG", help="an argument for Lookout.exe (repeatable)")
    return options


def _parser():
    lookout_options = _lookout_options()
    parser = argparse.ArgumentParser(
        prog="python3 -m lookout_stream", parents=[lookout_options],
        description="Runs Lookout.exe and prints each record as it arrives; Ctrl+C stops it.")
    parser.add_argument("--json", action="store_true",
                        help="one JSON object per record instead of a readable line")
    commands = parser.add_subparsers(dest="command")
    record = commands.add_parser(
        "record", parents=[lookout_options],
        help="keep a timeline of what is in front in an SQLite database")
    record.add_argument("--db", required=True, help="the database file (created when missing)")
    report = commands.add_parser("report", help="time per application and per site host")
    report.add_argument("--db", required=True, help="a database written by record")
    return parser


def _print_json(item):
    # ASCII with \u escapes: the same bytes whatever encoding this process's output has.
    print(json.dumps(as_dict(item)), flush=True)


# Control characters (a title may hold line feeds) shown as escapes, so that a record stays one
# line; everything else, backslashes in paths included, as it is.
_CONTROL_ESCAPES = {code: "\\x%02x" % code for code in list(range(32)) + [127]}
_CONTROL_ESCAPES.update({ord("\n"): "\\n", ord("\r"): "\\r", ord("\t"): "\\t"})


def _print_readable(item):
    if item.kind == "app":
        fields = (item.path, item.description, item.title)
    else:
        fields = (item.url, item.title, item.path)
    at = item.time if item.seen is None else item.seen
    stamp = time.strftime("%H:%M:%S", time.localtime(at)) + ".%03d" % (at % 1 * 1000)
    line = " | ".join(field.translate(_CONTROL_ESCAPES) for field in fields)
    print("%s [%-4s] %s" % (stamp, item.kind, line), flush=True)


def _stop_on_signals(lookout):
    """Ctrl+C (and a termination signal) asks Lookout to stop instead of ending this at once."""
    def on_signal(number, frame):
        lookout.request_stop()

    for name in ("SIGINT", "SIGTERM", "SIGHUP"):
        if hasattr(signal, name):
            signal.signal(getattr(signal, name), on_signal)


def _outcome(lookout, stream_error):
    """The exit status, with the reason on stderr when it is not a clean stop."""
    code = lookout.exit_code
    if stream_error is not None:
        problem = "the stream is broken: %s" % stream_error
    elif lookout.killed:
        problem = "Lookout did not end after the stop and was ended"
    elif lookout.stop_requested_at is not None and code == EXIT_STOPPED:
        return EXIT_OK
    elif code == EXIT_CRASHED:
        problem = "Lookout crashed (exit code 0); its dump is in the dumps folder of the " \
                  "user's documents"
    elif code == EXIT_STOPPED:
        problem = "Lookout was stopped from elsewhere (Ctrl+C or a termination signal; " \
                  "exit code 1)"
    elif code is not None and code < 0:
        problem = "Lookout was killed by signal %d" % -code
    elif code == EXIT_CONSOLE_ENDED:
        problem = "Lookout was ended by Ctrl+Break, the closing of its console, logoff or " \
                  "shutdown (exit code 0xC000013A)"
    else:
        problem = "Lookout was ended from outside with exit code %s (killed by another " \
                  "process, or a fault nothing in it could catch)" % code
    print("lookout_stream: %s" % problem, file=sys.stderr)
    return EXIT_FAILED


def _run(args, on_record, idle=None):
    exe = getattr(args, "exe", None) or os.environ.get("LOOKOUT_EXE")
    if not exe:
        print("lookout_stream: say where Lookout.exe is with --exe or LOOKOUT_EXE",
              file=sys.stderr)
        return EXIT_USAGE, None
    lookout = Lookout(exe, getattr(args, "lookout_arg", []), getattr(args, "encoding", ANSI),
                      getattr(args, "wine_prefix", None))
    _stop_on_signals(lookout)
    stream_error = None
    with lookout:
        try:
            for item in lookout.records(idle):
                if item.kind == "notice":
                    print("lookout_stream: Lookout says: %s" % item.text, file=sys.stderr)
                elif item.kind == "cut":
                    print("lookout_stream: note: Lookout's output ends in the middle of a "
                          "record (%d bytes), which is dropped" % len(item.data),
                          file=sys.stderr)
                else:
                    on_record(item)
        except StreamError as error:
            stream_error = error
    return _outcome(lookout, stream_error), lookout


def main(argv=None):
    args = _parser().parse_args(argv)
    # A title the terminal's encoding cannot show must not end the reading.
    if hasattr(sys.stdout, "reconfigure"):
        sys.stdout.reconfigure(errors="backslashreplace")
    try:
        if args.command == "report":
            write_report(args.db, sys.stdout)
            return EXIT_OK
        make_decoder(getattr(args, "encoding", ANSI))  # an unknown encoding fails here, early
        if args.command == "record":
            try:
                timeline = Timeline(args.db)
            except TimelineInUse as error:
                print("lookout_stream: %s" % error, file=sys.stderr)
                return EXIT_FAILED

            def on_record(record):
                timeline.add(record)
                _print_readable(record)

            status, lookout = _run(args, on_record, timeline.still_open)
            end = time.time()
            if lookout is not None and lookout.stop_requested_at is not None:
                end = lookout.stop_requested_at  # what came after was not watched
            timeline.close(end)
            return status
        return _run(args, _print_json if args.json else _print_readable)[0]
    except BrokenPipeError:
        # Whoever read our output has gone (Lookout was stopped on the way out); nothing more
        # can be said there.
        sys.stdout = open(os.devnull, "w")
        return EXIT_FAILED
    except (OSError, LookupError) as error:
        print("lookout_stream: %s" % error, file=sys.stderr)
        return EXIT_USAGE
