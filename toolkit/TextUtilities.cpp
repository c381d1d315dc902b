#include "TextUtilities.h"

#include <algorithm>
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

// A loop that keeps feeding on its own output, each occurrence taking in text that a replacement
// wrote, may never end ("ab" by "bbaa" grows without end), and whether it will cannot be told in
// advance. Such a run of steps is given up once its replacements have written more than this many
// characters, a few milliseconds of work. A step whose occurrence is all original text ends the
// run; the text holds only so many of those, so a loop that never ends is always stopped, while
// the work on the original text, however long, is never counted.
constexpr std::size_t feedingBound = std::size_t{1} << 16;

}

std::string ReplaceAll(const std::string& text, const std::string& search, const std::string& replacement)
{
    if (search.empty() || replacement.find(search) != std::string::npos)
        return text;
    // A shorter replacement shrinks the text at every step, so that loop always ends.
    const bool bounded = replacement.size() >= search.size();
    // The text is `done` followed by `pending`, which is kept last character first so that a
    // replacement goes in front of it cheaply. `done` holds no occurrence, so the first one to end
    // where `done` ends is the leftmost of the whole text, the one each pass of the loop replaces;
    // its replacement goes back in front of `pending`, to be read again after the text before it.
    std::string done;
    std::string pending(text.rbegin(), text.rend());
    const std::string reversedReplacement(replacement.rbegin(), replacement.rend());
    // The bottom `original` characters of `pending` are what is left of the text, the ones above
    // them were written by replacements; in `done`, written text ends before `writtenEnd`.
    std::size_t original = text.size();
    std::size_t writtenEnd = 0;
    std::size_t runWritten = 0;
    while (!pending.empty()) {
        if (pending.size() > original)
            writtenEnd = done.size() + 1;
        else
            --original;
        done.push_back(pending.back());
        pending.pop_back();
        if (!done.ends_with(search))
            continue;
        const std::size_t found = done.size() - search.size();
        runWritten = writtenEnd > found ? runWritten + replacement.size() : 0;
        if (bounded && runWritten > feedingBound)
            return text;
        done.resize(found);
        writtenEnd = std::min(writtenEnd, found);
        pending += reversedReplacement;
    }
    return done;
}

std::string ToText(std::int64_t value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%" PRId64, value);
    return buffer;
}

}
