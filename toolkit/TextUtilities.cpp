#include "TextUtilities.h"

#include <cinttypes>
#include <cstdio>

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

// A replacement at least as long as the search text can feed the loop for ever ("ab" by "bbaa"
// grows without end), and whether a given loop ends cannot be told in advance. Such a loop is
// given up once the lengths of the text at each of its steps add up to more than this: a few
// milliseconds of work, far beyond anything the program itself asks for.
constexpr std::size_t workBound = std::size_t{1} << 20;

}

std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement)
{
    if (search.empty() || replacement.find(search) != std::string::npos)
        return text;
    // A shorter replacement shrinks the text at every step, so that loop always ends.
    const bool bounded = replacement.size() >= search.size();
    std::size_t work = 0;
    std::string result = text;
    // Every pass looks again from the start; nothing before the last replacement can have
    // changed except where the search text overlaps the replacement, so the search resumes there.
    for (std::size_t found = result.find(search); found != std::string::npos;
         found = result.find(search, found >= search.size() - 1 ? found - (search.size() - 1) : 0)) {
        work += result.size();
        if (bounded && work > workBound)
            return text;
        result.replace(found, search.size(), replacement);
    }
    return result;
}

std::string ToText(std::int64_t value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
    return buffer;
}

}
