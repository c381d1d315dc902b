#include "TextUtilities.h"

#include <gtest/gtest.h>

#include <climits>
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
}

TEST(ReplaceAll, ArgumentsThatCouldNeverFinishLeaveTheTextAlone)
{
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("a-b", "-", "--"), "a-b");
    EXPECT_EQ(ReplaceAll("a-b", "-", "-"), "a-b");
    // Each "xy" turns into "yyx": the "x" moves right and meets the next "y" again, for ever.
    EXPECT_EQ(ReplaceAll("xyy", "xy", "yyx"), "xyy");
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
