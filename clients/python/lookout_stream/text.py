"""Turning the bytes of Lookout's fields into text.

Lookout writes its fields in the machine's ANSI code page (1252 on Western systems), or in
UTF-8 when told to. Decoding never fails: a field is always delivered, whatever its bytes.
"""

import codecs
import sys

ANSI = "ansi"
_KEEP_BYTE = "lookout-keep-byte"


def _keep_byte(error):
    # Windows' own table for code page 1252 maps the five bytes it leaves undefined (81, 8D,
    # 8F, 90, 9D) to the code points of the same value, and the A functions pass them on like
    # that. Python's strict codec refuses them; this keeps them the way Windows does.
    if not isinstance(error, UnicodeDecodeError):
        raise error
    undecoded = error.object[error.start:error.end]
    return "".join(chr(byte) for byte in undecoded), error.end


codecs.register_error(_KEEP_BYTE, _keep_byte)


def ansi_code_page():
    """The machine's ANSI code page as a Python encoding name.

    On Windows it is asked of the system; elsewhere Lookout runs under Wine, whose ANSI code
    page is 1252 whatever the locale.
    """
    if sys.platform == "win32":
        try:
            import ctypes

            return "cp%d" % ctypes.windll.kernel32.GetACP()
        except (ImportError, AttributeError, OSError):
            pass
    return "cp1252"


def make_decoder(encoding=ANSI):
    """A function from field bytes to text for `encoding`: "ansi" (or None) for the machine's
    ANSI code page, "utf-8", or any Python codec name such as "cp1252".

    Raises LookupError for an unknown encoding. Invalid UTF-8 (a text cut inside a character,
    say) becomes U+FFFD; a byte a code page leaves undefined becomes the code point of the
    same value.
    """
    if encoding in (None, ANSI):
        encoding = ansi_code_page()
    name = codecs.lookup(encoding).name
    errors = "replace" if name == "utf-8" else _KEEP_BYTE
    return lambda data: data.decode(name, errors)
