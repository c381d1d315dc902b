#include "Random.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <ctime>

namespace MyGame {
namespace {

// Seed 1 by hand, state = state * 214013 + 2531011 (mod 2^32), draw = (state >> 16) & 0x7FFF:
//   1 * 214013 + 2531011          = 2745024                     -> 41
//   2745024 * 214013 + 2531011    = 587473352323 -> 3357800067  -> 51235 & 0x7FFF = 18467
//   3357800067 * 214013 + 2531011 = 718612868269882 -> 415139642 -> 6334
// A reseed from the clock between the draws would break the sequence.
TEST(RandomDraw, ReproducesTheGeneratorBitForBit)
{
    SeedRandom(1);
    EXPECT_TRUE(randomSeeded);
    EXPECT_EQ(RandomDraw(), 41);
    EXPECT_EQ(RandomDraw(), 18467);
    EXPECT_EQ(RandomDraw(), 6334);
    EXPECT_TRUE(randomSeeded);
}

// Runs in a process of its own, where nothing has seeded the sequence yet.
[[noreturn]] void ExitZeroIfFirstDrawSeedsFromClock()
{
    if (randomSeeded)
        std::exit(1);
    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    const int draw = RandomDraw();
    const auto after = static_cast<std::uint32_t>(std::time(nullptr));
    if (!randomSeeded)
        std::exit(2);
    for (std::uint32_t second = before; second <= after; ++second) {
        SeedRandom(second);
        if (RandomDraw() == draw)
            std::exit(0);
    }
    std::exit(3);
}

TEST(RandomDrawDeathTest, FirstDrawSeedsFromTheClock)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitZeroIfFirstDrawSeedsFromClock(), testing::ExitedWithCode(0), "");
}

TEST(RandomBetween, OneToTenReachesEveryValueAndNothingElse)
{
    SeedRandom(7);
    std::array<int, 11> seen{};
    for (int i = 0; i < 10000; ++i) {
        const int value = RandomBetween(1, 10);
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 10);
        ++seen[value];
    }
    for (int value = 1; value <= 10; ++value)
        EXPECT_GT(seen[value], 800) << value;
}

TEST(RandomBetween, ReducesOneDrawToTheRange)
{
    for (std::uint32_t seed : {0u, 1u, 99u, 0xFFFFFFFFu}) {
        SeedRandom(seed);
        const int draw = RandomDraw();
        const std::uint64_t drawsBefore = RandomDrawCount();
        SeedRandom(seed);
        EXPECT_EQ(RandomBetween(1, 10), draw % 10 + 1);
        SeedRandom(seed);
        EXPECT_EQ(RandomBetween(3, 7), draw % 5 + 3);
        SeedRandom(seed);
        EXPECT_EQ(RandomBetween(-4, 4), draw % 9 - 4);
        EXPECT_EQ(RandomDrawCount() - drawsBefore, 3u);
    }
}

TEST(RandomBetween, EmptyRangeGivesItsLowEndWithoutDrawing)
{
    SeedRandom(1);
    const std::uint64_t drawsBefore = RandomDrawCount();
    EXPECT_EQ(RandomBetween(1, 0), 1);
    EXPECT_EQ(RandomBetween(5, 4), 5);
    EXPECT_EQ(RandomDrawCount(), drawsBefore);
    EXPECT_EQ(RandomDraw(), 41);
}

}
}
