#include "TextUtilities.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <random>

using namespace TorUtility;

namespace {

using Pieces = std::vector<std::string>;

TEST(Split, KeepsEmptyPiecesButNoTrailingOne)
{
    EXPECT_EQ(Split("a;b;c", ";"), (Pieces{"a", "b", "c"}));
    EXPECT_EQ(Split("a;;b", ";"), (Pieces{"a", "", "b"}));
    EXPECT_EQ(Split(";a", ";"), (Pieces{"", "a"}));
    EXPECT_EQ(Split("a;b;", ";"), (Pieces{"a", "b"}));
    EXPECT_EQ(Split(";", ";"), (Pieces{""}));
    EXPECT_EQ(Split("abc", ";"), (Pieces{"abc"}));
}

TEST(Split, EmptyTextOrSeparatorGivesNothing)
{
    EXPECT_TRUE(Split("", ";").empty());
    EXPECT_TRUE(Split("a;b", "").empty());
}

TEST(Split, SeparatorLongerThanOneCharacter)
{
    EXPECT_EQ(Split("a::b::::c", "::"), (Pieces{"a", "b", "", "c"}));
    EXPECT_EQ(Split("myarea;1;3;4;17", ";"), (Pieces{"myarea", "1", "3", "4", "17"}));
}

TEST(ToText, PlainDecimal)
{
    EXPECT_EQ(ToText(0), "0");
    EXPECT_EQ(ToText(-42), "-42");
    EXPECT_EQ(ToText(2147483647), "2147483647");
    EXPECT_EQ(ToText(INT32_MIN), "-2147483648");
    EXPECT_EQ(ToText(INT64_MIN), "-9223372036854775808");
}

TEST(ReplaceAll, ReplacesEveryOccurrence)
{
    EXPECT_EQ(ReplaceAll("a-b-c", "-", "+"), "a+b+c");
    EXPECT_EQ(ReplaceAll("abc", "-", "+"), "abc");
    EXPECT_EQ(ReplaceAll("", "-", "+"), "");
    EXPECT_EQ(ReplaceAll("http://www.tiremola.it", "http://www.", "info@"), "info@tiremola.it");
}

TEST(ReplaceAll, RescansFromTheStartAfterEachReplacement)
{
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "a");
    // Replacements as long as the search text, or longer, whose loops end.
    EXPECT_EQ(ReplaceAll("aa", "aa", "ab"), "ab");
    EXPECT_EQ(ReplaceAll("ab", "ab", "ba"), "ba");
    EXPECT_EQ(ReplaceAll("aabb", "ab", "ba"), "bbaa");
    // Each "xy" turns into "yyx": the "x" moves right until no "y" follows it.
    EXPECT_EQ(ReplaceAll("xyy", "xy", "yyx"), "yyyyx");
}

// The loop the result is defined by: search from the start, replace the first occurrence, again
// until none is left. None when it has not ended after this many replacements, which over the
// texts below only a loop that never ends reaches (the longest that ends takes 121). A
// replacement holding the search text makes a new occurrence at every step.
std::optional<std::string> PlainLoop(std::string text, const std::string& search, const std::string& replacement)
{
    if (replacement.find(search) != std::string::npos && text.find(search) != std::string::npos)
        return std::nullopt;
    for (int steps = 0; steps < 200; ++steps) {
        const std::size_t found = text.find(search);
        if (found == std::string::npos)
            return text;
        text.replace(found, search.size(), replacement);
    }
    return std::nullopt;
}

std::vector<std::string> WordsUpTo(std::size_t length)
{
    std::vector<std::string> words{""};
    for (std::size_t i = 0; i < words.size(); ++i)
        if (words[i].size() < length)
            for (char letter : {'a', 'b'})
                words.push_back(words[i] + letter);
    return words;
}

TEST(ReplaceAll, GivesThePlainLoopsResultWheneverTheLoopEnds)
{
    int ending = 0;
    for (const std::string& text : WordsUpTo(6))
        for (const std::string& search : WordsUpTo(3))
            for (const std::string& replacement : WordsUpTo(4)) {
                if (search.empty())
                    continue;
                const std::optional<std::string> loop = PlainLoop(text, search, replacement);
                ending += loop.has_value();
                ASSERT_EQ(ReplaceAll(text, search, replacement), loop.value_or(text))
                    << "(\"" << text << "\", \"" << search << "\", \"" << replacement << "\")";
            }
    // Every argument set of the alphabet was tried, and the bound above left out only the
    // loops that never end.
    EXPECT_EQ(ending, 42066);
}

std::string Repeated(const std::string& piece, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// However long the text, a loop that ends gives its own result: only a run of steps that feeds on
// what the replacements wrote counts towards the bound, not the work on the text itself.
TEST(ReplaceAll, LongTextsGiveTheLoopsResultToo)
{
    std::string semicolons(100000, 'a');
    for (std::size_t at = 0; at < semicolons.size(); at += 9000)
        semicolons[at] = ';';
    std::string commas = semicolons;
    std::replace(commas.begin(), commas.end(), ';', ',');
    const std::string megabyte(std::size_t{1} << 20, '.');
    const struct {
        std::string text, search, replacement, result;
    } cases[] = {
        {std::string(1100, '-'), "-", "+", std::string(1100, '+')},
        {std::string(1000, 'x'), "x", "yy", std::string(2000, 'y')},
        {semicolons, ";", ",", commas},
        {megabyte + "-" + megabyte, "-", "+", megabyte + "+" + megabyte},
        {std::string(std::size_t{1} << 20, 'x'), "x", "yy", std::string(std::size_t{2} << 20, 'y')},
        // Each "x" walks past the "y"s after it, each step feeding on the one before, but every
        // walk is short: 600,000 replacements in all, in 200,000 runs of three.
        {Repeated("xyyy.", 200000), "xy", "yyx", Repeated("yyyyyyx.", 200000)},
        // Every step but the first feeds on the "a" the step before wrote, 69,999 in one run,
        // more than a growing loop is allowed; a shorter replacement ends however long it runs.
        {std::string(70000, 'a'), "aa", "a", "a"},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(ReplaceAll(c.text, c.search, c.replacement) == c.result)
            << c.text.size() << " characters, \"" << c.search << "\" -> \"" << c.replacement << "\"";
    // A loop that never ends is stopped however long the text it starts in.
    EXPECT_TRUE(ReplaceAll(megabyte + "aab", "ab", "bbaa") == megabyte + "aab");
}

TEST(ReplaceAll, ArgumentsThatCouldNeverFinishLeaveTheTextAlone)
{
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("a-b", "-", "--"), "a-b");
    EXPECT_EQ(ReplaceAll("a-b", "-", "-"), "a-b");
    // Each "ab" turns into "bbaa", whose "a"s meet the "b"s after them again, for ever.
    EXPECT_EQ(ReplaceAll("aab", "ab", "bbaa"), "aab");
    // The zero bytes around a replacement rebuild the search text at both of its ends.
    const std::string zero(1, '\0');
    const std::string search = zero + "e";
    const std::string replacement = "ee\x80\xca" + zero + zero;
    EXPECT_EQ(ReplaceAll(zero + zero + "e\xe9", search, replacement), zero + zero + "e\xe9");
}

TEST(ReplaceAll, ShorterReplacementsAlwaysFinishAndLeaveNoOccurrence)
{
    EXPECT_EQ(ReplaceAll(std::string(1000, 'a'), "aa", "a"), "a");
    EXPECT_EQ(ReplaceAll("abababab", "ab", ""), "");
    EXPECT_EQ(ReplaceAll("aabb", "ab", "b"), "bb");
}

TEST(ReplaceAll, ReplacementsThatCannotMeetTheSearchTextFinishAtOnce)
{
    EXPECT_EQ(ReplaceAll("http://www.a.it http://www.b.it", "http://www.", "info@"), "info@a.it info@b.it");
    EXPECT_EQ(ReplaceAll("x.y.z", ".", "::"), "x::y::z");
}

TEST(WideText, EachByteIsTheCodeUnitOfTheSameValue)
{
    const std::string latin = "caf\xE9 \xE8";
    const std::wstring wide = ToWide(latin);
    ASSERT_EQ(wide.size(), latin.size());
    EXPECT_EQ(wide[3], static_cast<wchar_t>(0xE9));
    EXPECT_EQ(wide[5], static_cast<wchar_t>(0xE8));
    EXPECT_EQ(ToNarrow(wide), latin);
}

TEST(WideText, WideningStopsAtTheFirstZeroByte)
{
    EXPECT_EQ(ToWide(std::string("ab\0cd", 5)), L"ab");
}

TEST(WideText, NarrowingKeepsTheLowByte)
{
    EXPECT_EQ(ToNarrow(std::wstring{static_cast<wchar_t>(0x0141), L'x'}), std::string("\x41x"));
}

TEST(WideText, RoundTripOverRandomByteStrings)
{
    std::mt19937 generator(12345);
    std::uniform_int_distribution<int> length(0, 64);
    std::uniform_int_distribution<int> byte(1, 255);
    for (int round = 0; round < 20000; ++round) {
        std::string text(static_cast<std::size_t>(length(generator)), ' ');
        for (char& c : text)
            c = static_cast<char>(byte(generator));
        ASSERT_EQ(ToNarrow(ToWide(text)), text) << "round " << round;
    }
}

}
