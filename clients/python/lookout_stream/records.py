"""Typed records: the split stream decoded into text, with the time each record arrived."""

import time as _time
from dataclasses import asdict, dataclass
from typing import ClassVar

from .stream import RawNotice, RecordSplitter
from .text import ANSI, make_decoder


@dataclass(frozen=True)
class AppRecord:
    """An application came to the front, or its title changed."""
    path: str         # the executable's long path, "Desktop", or a Java command
    description: str  # the executable's file description, "-" when it has none
    title: str
    time: float       # when the record arrived, in seconds since the epoch
    kind: ClassVar[str] = "app"


@dataclass(frozen=True)
class SiteRecord:
    """A browser window came to the front, or its title changed; `url` is what it shows."""
    url: str
    title: str
    path: str         # the browser's executable
    time: float
    kind: ClassVar[str] = "site"


@dataclass(frozen=True)
class Notice:
    """A line Lookout wrote outside its records ("GetUserName error")."""
    text: str
    time: float
    kind: ClassVar[str] = "notice"


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
        """Call at the end of the stream: what is left, or CutRecordError."""
        arrived = _time.time() if arrived is None else arrived
        return [self._typed(raw, arrived) for raw in self._splitter.finish()]

    def _typed(self, raw, arrived):
        if isinstance(raw, RawNotice):
            return Notice(self._decode(raw.line), arrived)
        first, second, third = (self._decode(field) for field in raw.fields)
        if raw.kind == b"app":
            return AppRecord(first, second, third, arrived)
        return SiteRecord(first, second, third, arrived)

