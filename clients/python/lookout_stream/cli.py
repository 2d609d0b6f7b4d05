"""python3 -m lookout_stream: runs Lookout and prints its records, or keeps a timeline.

    python3 -m lookout_stream [--json] [options]     one line per record
    python3 -m lookout_stream record --db FILE [options]
    python3 -m lookout_stream report --db FILE

Ctrl+C stops Lookout; its last records are still printed (or recorded) before this ends.
"""

import argparse
import json
import os
import signal
import sys
import time

from .process import EXIT_CRASHED, EXIT_STOPPED, ON_WINDOWS, Lookout
from .records import as_dict
from .stream import StreamError
from .text import ANSI, make_decoder
from .timeline import Timeline, write_report

EXIT_OK = 0
EXIT_FAILED = 1  # Lookout ended by itself, did not stop as it should, or wrote a broken stream
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


def _print_readable(item):
    if item.kind == "app":
        fields = (item.path, item.description, item.title)
    else:
        fields = (item.url, item.title, item.path)
    stamp = time.strftime("%H:%M:%S", time.localtime(item.time))
    print("%s [%-4s] %s" % (stamp, item.kind, " | ".join(fields)), flush=True)


def _stop_on_signals(lookout):
    """Ctrl+C (and a termination signal) asks Lookout to stop instead of ending this at once."""
    def on_signal(number, frame):
        # On Windows the console's Ctrl+C has reached Lookout too.
        lookout.request_stop(ctrl_c_already_delivered=ON_WINDOWS and number == signal.SIGINT)

    for name in ("SIGINT", "SIGTERM", "SIGHUP"):
        if hasattr(signal, name):
            signal.signal(getattr(signal, name), on_signal)


def _outcome(lookout, stream_error):
    """The exit status, with the reason on stderr when it is not a clean stop."""
    if stream_error is not None:
        problem = "the stream is broken: %s" % stream_error
    elif lookout.killed:
        problem = "Lookout did not end after Ctrl+C and was ended"
    elif lookout.stop_requested_at is not None and lookout.exit_code == EXIT_STOPPED:
        return EXIT_OK
    elif lookout.exit_code == EXIT_CRASHED:
        problem = "Lookout crashed (exit code 0); its dump is in the dumps folder of the " \
                  "user's documents"
    else:
        problem = "Lookout ended by itself with exit code %s" % lookout.exit_code
    print("lookout_stream: %s" % problem, file=sys.stderr)
    return EXIT_FAILED


def _run(args, on_record):
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
            for item in lookout.records():
                if item.kind == "notice":
                    print("lookout_stream: Lookout says: %s" % item.text, file=sys.stderr)
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
            timeline = Timeline(args.db)

            def on_record(record):
                timeline.add(record)
                _print_readable(record)

            status, lookout = _run(args, on_record)
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
