"""Typed records: the split stream decoded into text, with the time each record arrived and,
when Lookout was started with /time, the time Lookout saw the change."""

import time as _time
from dataclasses import asdict, dataclass
from datetime import datetime, timezone
from typing import ClassVar, Optional

from .stream import CutRecordError, RawNotice, RecordSplitter
from .text import ANSI, make_decoder


@dataclass(frozen=True)
class AppRecord:
    """An application came to the front, or its title changed."""
    path: str         # the executable's long path, "Desktop", or a Java command
    description: str  # the executable's file description, "-" when it has none
    title: str
    time: float       # when the record arrived, in seconds since the epoch
    seen: Optional[float] = None  # when Lookout saw the change (/time), in seconds since the epoch
    kind: ClassVar[str] = "app"


@dataclass(frozen=True)
class SiteRecord:
    """A browser window came to the front, or its title changed; `url` is what it shows."""
    url: str
    title: str
    path: str         # the browser's executable
    time: float
    seen: Optional[float] = None
    kind: ClassVar[str] = "site"


@dataclass(frozen=True)
class Notice:
    """A line Lookout wrote outside its records ("GetUserName error")."""
    text: str
    time: float
    kind: ClassVar[str] = "notice"


@dataclass(frozen=True)
class CutRecord:
    """The stream ended in the middle of a record: Lookout was killed while writing it, or was
    stopped while nobody read. The bytes are dropped; what Lookout's exit code says still holds."""
    data: bytes
    time: float
    kind: ClassVar[str] = "cut"


def parse_time(item):
    """A record's time item ("2026-12-09T14:03:07.125Z", UTC) in seconds since the epoch."""
    seen = datetime.strptime(item.decode("ascii"), "%Y-%m-%dT%H:%M:%S.%fZ")
    return seen.replace(tzinfo=timezone.utc).timestamp()


def as_dict(item):
    """The record as a plain dict, "kind" first (for JSON)."""
    return {"kind": item.kind, **asdict(item)}


class RecordReader:
    """Typed records from the stream's bytes, fed in chunks of any size."""

    def __init__(self, encoding=ANSI, splitter=None):
        self._splitter = splitter or RecordSplitter()
        self._decode = make_decoder(encoding)

    def feed(self, data, arrived=None):
        """The records and notices that `data`, arrived at `arrived` (default: now), completes.

        Raises StreamError when the stream is not a record stream.
        """
        arrived = _time.time() if arrived is None else arrived
        return [self._typed(raw, arrived) for raw in self._splitter.feed(data)]

    def finish(self, arrived=None):
        """Call at the end of the stream: the notices left, and a CutRecord when the stream
        ended in the middle of a record."""
        arrived = _time.time() if arrived is None else arrived
        try:
            return [self._typed(raw, arrived) for raw in self._splitter.finish()]
        except CutRecordError as cut:
            return [CutRecord(cut.data, arrived)]

    def _typed(self, raw, arrived):
        if isinstance(raw, RawNotice):
            return Notice(self._decode(raw.line), arrived)
        first, second, third = (self._decode(field) for field in raw.fields)
        seen = None if raw.time is None else parse_time(raw.time)
        if raw.kind == b"app":
            return AppRecord(first, second, third, arrived, seen)
        return SiteRecord(first, second, third, arrived, seen)

