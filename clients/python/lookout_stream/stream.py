"""Splitting Lookout's record stream into records, byte by byte as it arrives.

Every item of the stream ends with "$". A record is five items: its kind ("app" or "site"),
three fields and an item that is a lone line feed; with Lookout's /time, six: the time of the
change ("2026-12-09T14:03:07.125Z") comes before the line feed. Fields never contain "$" (Lookout writes
"S" in its place) but may contain any other byte, line feeds included, so the stream is split
at "$" only. A read may end anywhere, so the unfinished rest waits for the next read.
"""

import re
from typing import NamedTuple, Optional, Tuple

SEPARATOR = b"$"
RECORD_END = b"\n"
KINDS = (b"app", b"site")
ITEMS_PER_RECORD = 5  # six with a time
TIME = re.compile(rb"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z")

# The one line Lookout writes outside any record: when it cannot get the user name, each
# Java lookup prints it, between two records, so it comes right before the next kind.
USER_NAME_NOTICE = b"GetUserName error\n"

# Lookout bounds its fields to about a kilobyte each (a Java command can be longer). A record
# this long means the stream is not Lookout's: stop rather than buffer it without end.
MAX_RECORD_BYTES = 1 << 20


class StreamError(ValueError):
    """The stream is not a record stream (the reading cannot go on)."""


class CutRecordError(StreamError):
    """The stream ended in the middle of a record; `data` holds its bytes."""

    def __init__(self, data):
        super().__init__("the stream ends in the middle of a record (%d bytes: %r)"
                         % (len(data), bytes(data[:80])))
        self.data = bytes(data)


class RawRecord(NamedTuple):
    kind: bytes
    fields: Tuple[bytes, bytes, bytes]
    time: Optional[bytes] = None  # the time item, when Lookout was started with /time


class RawNotice(NamedTuple):
    line: bytes  # without its line feed


class RecordSplitter:
    """Feed it the stream in chunks of any size; it returns each record once it is whole."""

    def __init__(self, max_record_bytes=MAX_RECORD_BYTES):
        self._max_record_bytes = max_record_bytes
        self._buffer = bytearray()  # from the start of the unfinished record
        self._items = []            # the unfinished record's items so far
        self._item_start = 0        # where its next item starts in _buffer
        self._offset = 0            # stream position of _buffer[0], for messages

    def feed(self, data):
        """The records (RawRecord) and notices (RawNotice) that `data` completes, in order.

        Raises StreamError when the stream is not a record stream.
        """
        self._buffer += data
        found = []
        search = max(self._item_start, len(self._buffer) - len(data))
        while True:
            end = self._buffer.find(SEPARATOR, search)
            if end < 0:
                break
            item = bytes(self._buffer[self._item_start:end])
            self._item_start = search = end + 1
            if not self._items:
                item = self._take_notices(item, found)
                if item not in KINDS:
                    self._fail("unknown record kind %r" % item[:40])
            self._items.append(item)
            if len(self._items) == ITEMS_PER_RECORD and item != RECORD_END:
                if not TIME.fullmatch(item):
                    self._fail("record ends in %r, neither a lone line feed nor a time"
                               % item[:40])
            elif len(self._items) == ITEMS_PER_RECORD + 1 and item != RECORD_END:
                self._fail("record ends in %r, not a lone line feed" % item[:40])
            if item == RECORD_END and len(self._items) >= ITEMS_PER_RECORD:
                time = self._items[4] if len(self._items) > ITEMS_PER_RECORD else None
                found.append(RawRecord(self._items[0], tuple(self._items[1:4]), time))
                self._items = []
                del self._buffer[:self._item_start]
                self._offset += self._item_start
                self._item_start = search = 0
        if len(self._buffer) > self._max_record_bytes:
            self._fail("no record ends within %d bytes" % self._max_record_bytes)
        return found

    def finish(self):
        """The notices left at the end of the stream; raises CutRecordError when a record was
        cut off (Lookout ended while writing it)."""
        found = []
        rest = self._take_notices(bytes(self._buffer), found)
        if rest or self._items:
            raise CutRecordError(self._buffer)
        return found

    @staticmethod
    def _take_notices(text, found):
        while text.startswith(USER_NAME_NOTICE):
            found.append(RawNotice(USER_NAME_NOTICE[:-1]))
            text = text[len(USER_NAME_NOTICE):]
        return text

    def _fail(self, what):
        raise StreamError("%s (record starting at byte %d of the stream)" % (what, self._offset))
