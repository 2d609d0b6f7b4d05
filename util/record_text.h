#pragma once
// Texts as the record carries them. By default they are bytes of the ANSI code page, as the
// system's A functions give them (a character the code page lacks becomes "?" or its nearest
// equivalent); with "/utf8" they are UTF-8, taken from the UTF-16 the system keeps them in.
// The one place where wide texts turn into record bytes.

#include <cstddef>
#include <string>

enum class RecordEncoding { kAnsiCodePage, kUtf8 };

// Set once at start-up, before any other thread starts; read by every thread afterwards.
void setRecordEncoding(RecordEncoding encoding);
bool recordsInUtf8();

// UTF-16 text in the ANSI code page, whatever the records are in (for the debug log, and for the
// records by default); cut to at most `maxBytes` bytes without splitting a character.
std::string ansiText(const std::wstring& text);
std::string ansiText(const std::wstring& text, std::size_t maxBytes);

// The same in `codePage`: the longest start of `text` whose conversion holds at most `maxBytes`
// bytes, so that a double-byte character is kept whole or left out. Without `bestFit` a
// character the code page lacks becomes "?" rather than a look-alike (a fullwidth "\" never
// becomes a real one).
std::string codePageText(const std::wstring& text, unsigned codePage, std::size_t maxBytes,
                         bool bestFit = true);

// UTF-16 text as the record carries it; cut to at most `maxBytes` bytes without splitting a
// character (in UTF-8: ending before the first character that does not fit).
std::string recordText(const std::wstring& text);
std::string recordText(const std::wstring& text, std::size_t maxBytes);

// A path as the record carries it: like recordText, but in the code page without best fit, so
// that look-alike characters in a folder name cannot dress it as another path.
std::string recordPathText(const std::wstring& path);

// Bytes of the ANSI code page (a DDE reply, a Java command) as the record carries them:
// unchanged by default, converted with "/utf8".
std::string recordTextFromAnsi(std::string bytes);

// A record text for the debug log, which stays in the ANSI code page.
std::string ansiFromRecordText(const std::string& text);
