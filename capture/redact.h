#pragma once
// What /redact leaves of a text: every letter becomes "x" and every digit "0"; the length,
// punctuation, blanks and everything else stay, so the shape of an address or a title shows
// without its words.

#include <string>

std::wstring redactText(const std::wstring& text);
