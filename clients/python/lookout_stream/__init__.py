"""A reference reader of Lookout's record stream, standard library only.

    from lookout_stream import Lookout

    with Lookout(r"C:\\Tools\\Lookout.exe") as lookout:
        for record in lookout.records():
            print(record.kind, record.title)

RecordReader does the splitting and decoding alone, for bytes read some other way.
"""

from .process import Lookout
from .records import AppRecord, CutRecord, Notice, RecordReader, SiteRecord, as_dict
from .stream import CutRecordError, RecordSplitter, StreamError
from .text import make_decoder

__all__ = [
    "AppRecord", "CutRecord", "CutRecordError", "Lookout", "Notice", "RecordReader", "RecordSplitter",
    "SiteRecord", "StreamError", "as_dict", "make_decoder",
]
