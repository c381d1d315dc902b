#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TorUtility {

// The program keeps its own text as 8-bit strings; each byte widens to the 16-bit code unit of
// the same value (ISO 8859-1) and narrows back by dropping the high byte.
std::wstring ToWide(const std::string& text);
std::string ToNarrow(const std::wstring& text);

// Empty pieces between separators are kept; a trailing separator adds no empty last piece.
std::vector<std::string> Split(const std::string& text, const std::string& separator);

// Replaces every occurrence, rescanning from the start after each replacement, so text made by a
// replacement is searched again ("aaa" with "aa" -> "a" gives "a"). Arguments with which that
// could go on for ever leave the text unchanged: an empty search text, a replacement containing
// it, and a loop that keeps feeding on its own output beyond a bound (see the definition).
std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement);

std::string ToText(std::int64_t value);

// Asks the desktop shell to "open" a file, program, web address or "mailto:" address, on behalf
// of the main window.
bool ShellOpen(const std::string& target);

}
