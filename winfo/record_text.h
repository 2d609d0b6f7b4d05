#pragma once
// Texts that identification reads in UTF-16 (paths, descriptions) as the record carries them:
// bytes of the ANSI code page, as the system's A functions give them (a character the code page
// lacks becomes "?" or its nearest equivalent). The one place where those texts turn narrow.

#include <cstddef>
#include <string>

std::string recordText(const std::wstring& text);

// The same, cut to at most `maxBytes` bytes without splitting a character.
std::string recordText(const std::wstring& text, std::size_t maxBytes);
