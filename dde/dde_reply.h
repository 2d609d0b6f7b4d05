#pragma once
// Splits a "WWW_GetWindowInfo" reply into address and title. The reply is a text of quoted
// fields: the first is the address, the second the title; what lies around them is not looked
// at. Inside a field a backslash escapes the character after it.

#include <cstddef>
#include <string>

constexpr std::size_t kNoPosition = std::string::npos;

// The index of the next quote at or after `start` that no backslash escapes, or kNoPosition.
std::size_t getNextNotSlahedSymbolPos(const std::string& source, std::size_t start);

// The next quoted field at or after `position`, exactly as it stands (escapes kept); `position`
// then stands after its closing quote. Empty, with `position` unchanged, when there is none.
std::string getStringInQuotes(const std::string& source, std::size_t& position);

// Replaces url with the first quoted field and title with the second (empty when missing).
void useFirstAndSecondPartOfDDEString(const std::string& reply, std::string& url,
                                      std::string& title);
