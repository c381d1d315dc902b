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

std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement)
{
    if (search.empty() || replacement.find(search) != std::string::npos)
        return text;
    std::string result = text;
    for (std::size_t found = result.find(search); found != std::string::npos; found = result.find(search))
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
