// libFuzzer target for the text utilities: no input may crash or hang them, and their round
// trips hold on whatever text the fuzzer makes up.

#include "TextUtilities.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

using namespace TorUtility;

namespace {

void Require(bool holds, const char* property)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

std::string Join(const std::vector<std::string>& pieces, const std::string& separator)
{
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        joined += (i ? separator : std::string()) + pieces[i];
    return joined;
}

// Search from the start, replace the first occurrence, again until none is left; none when it
// has not ended after 200 replacements or has grown past 1024 characters.
std::optional<std::string> PlainLoop(std::string text, const std::string& search, const std::string& replacement)
{
    for (int steps = 0; steps < 200 && text.size() <= 1024; ++steps) {
        const std::size_t found = text.find(search);
        if (found == std::string::npos)
            return text;
        text.replace(found, search.size(), replacement);
    }
    return std::nullopt;
}

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string text = input.ConsumeRandomLengthString(256);
    const std::string separator = input.ConsumeRandomLengthString(8);
    const std::string search = input.ConsumeRandomLengthString(8);
    const std::string replacement = input.ConsumeRandomLengthString(8);

    // Widening stops at the first zero byte; everything before it comes back unchanged.
    Require(ToNarrow(ToWide(text)) == text.substr(0, text.find('\0')), "ToNarrow(ToWide(s)) == s");

    const std::vector<std::string> pieces = Split(text, separator);
    if (!text.empty() && !separator.empty() && !EndsWith(text, separator))
        Require(Join(pieces, separator) == text, "joining Split's pieces gives the text back");

    // Refused arguments give the text back. Otherwise the result is the plain loop's whenever
    // that loop ends within a few hundred steps, well inside the work ReplaceAll allows itself;
    // a shorter replacement always ends and leaves no search text.
    const std::string replaced = ReplaceAll(text, search, replacement);
    if (search.empty() || replacement.find(search) != std::string::npos)
        Require(replaced == text, "refused arguments leave the text unchanged");
    else if (const std::optional<std::string> loop = PlainLoop(text, search, replacement))
        Require(replaced == *loop, "ReplaceAll gives the plain loop's result when the loop ends");
    else if (replacement.size() < search.size())
        Require(replaced.find(search) == std::string::npos, "no search text is left after a shorter replacement");
    return 0;
}
