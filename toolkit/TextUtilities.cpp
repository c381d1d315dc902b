#include "TextUtilities.h"

#include <cinttypes>
#include <cstdio>
#include <string_view>

namespace TorUtility {

std::wstring ToWide(const std::string& text)
{
    std::wstring wide;
    wide.reserve(text.size());
    for (char c : text) {
        if (c == '\0')
            break;
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return wide;
}

std::string ToNarrow(const std::wstring& text)
{
    std::string narrow(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        narrow[i] = static_cast<char>(static_cast<unsigned>(text[i]) & 0xFFu);
    return narrow;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> pieces;
    if (text.empty() || separator.empty())
        return pieces;
    std::size_t start = 0;
    for (std::size_t found = text.find(separator); found != std::string::npos;
         found = text.find(separator, start)) {
        pieces.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    if (start < text.size())
        pieces.push_back(text.substr(start));
    return pieces;
}

namespace {

// Whether the search text can straddle the edge between a replacement and the text around it,
// so that replacing one occurrence can make another.
bool CanFormAcrossEdges(std::string_view search, std::string_view replacement)
{
    for (std::size_t k = 1; k < search.size(); ++k) {
        const std::string_view tail = search.substr(k);
        const std::string_view head = search.substr(0, k);
        const bool acrossStart = tail.size() <= replacement.size() ? replacement.starts_with(tail)
                                                                   : tail.starts_with(replacement);
        const bool acrossEnd = head.size() <= replacement.size() ? replacement.ends_with(head)
                                                                 : head.ends_with(replacement);
        if (acrossStart || acrossEnd)
            return true;
    }
    return false;
}

}

std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement)
{
    if (search.empty() || replacement.find(search) != std::string::npos)
        return text;
    // A shorter replacement shrinks the text at every step; one at least as long could feed new
    // occurrences to the next steps for ever when it can combine with its surroundings.
    if (replacement.size() >= search.size() && CanFormAcrossEdges(search, replacement))
        return text;
    std::string result = text;
    // Every pass looks again from the start; nothing before the last replacement can have
    // changed except where the search text overlaps the replacement, so the search resumes there.
    for (std::size_t found = result.find(search); found != std::string::npos;
         found = result.find(search, found >= search.size() - 1 ? found - (search.size() - 1) : 0))
        result.replace(found, search.size(), replacement);
    return result;
}

std::string ToText(std::int64_t value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
    return buffer;
}

}
