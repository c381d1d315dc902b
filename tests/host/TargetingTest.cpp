#include "FleetLayout.h"
#include "Random.h"
#include "Targeting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <random>
#include <vector>

namespace MyGame {

void PrintTo(const Position& position, std::ostream* out)
{
    *out << '(' << position.x << ',' << position.y << ')';
}

namespace {

Shot& At(BoardView& view, Position cell)
{
    return view[cell.y * BoardSide + cell.x];
}

BoardView ViewWith(std::initializer_list<Position> hits, std::initializer_list<Position> misses = {})
{
    BoardView view{};
    for (Position cell : hits)
        At(view, cell) = Shot::Hit;
    for (Position cell : misses)
        At(view, cell) = Shot::Miss;
    return view;
}

std::vector<Position> NeighboursOnBoard(Position cell)
{
    std::vector<Position> neighbours;
    for (Position n : {Position{cell.x - 1, cell.y}, {cell.x + 1, cell.y}, {cell.x, cell.y - 1}, {cell.x, cell.y + 1}}) {
        if (OnBoard(n.x, n.y))
            neighbours.push_back(n);
    }
    return neighbours;
}

TEST(CellState, OnlyExactMarksCount)
{
    EXPECT_EQ(ClassifyCellText("#"), Shot::Hit);
    EXPECT_EQ(ClassifyCellText("X"), Shot::Miss);
    for (const char* text : {"", "x", " #", "##", "X ", "A1"})
        EXPECT_EQ(ClassifyCellText(text), Shot::None) << '"' << text << '"';
}

TEST(CellState, NeighbourhoodPredicates)
{
    const BoardView view = ViewWith({{5, 5}}, {{1, 0}, {0, 1}, {9, 8}});
    EXPECT_TRUE(IsBoxedInByMisses(view, 0, 0));
    EXPECT_FALSE(IsBoxedInByMisses(view, 9, 9)); // (8,9) is open
    EXPECT_FALSE(IsBoxedInByMisses(ViewWith({{4, 5}}, {{6, 5}, {5, 4}, {5, 6}}), 5, 5));
    EXPECT_TRUE(IsBoxedInByMisses(ViewWith({}, {{4, 5}, {6, 5}, {5, 4}, {5, 6}}), 5, 5));

    EXPECT_FALSE(IsUnshot(view, 5, 5));
    EXPECT_FALSE(IsUnshot(view, 1, 0));
    EXPECT_TRUE(IsUnshot(view, 0, 0));
    EXPECT_FALSE(IsUnshot(view, -1, 0));
    EXPECT_FALSE(IsUnshot(view, 0, 10));

    EXPECT_TRUE(TouchesHit(view, 5, 4));
    EXPECT_TRUE(TouchesHit(view, 4, 5));
    EXPECT_FALSE(TouchesHit(view, 4, 4)); // diagonal only
    EXPECT_FALSE(TouchesHit(view, 5, 5)); // the hit itself
}

TEST(Hunt, FollowsAShipDownAndThenSearchesAtRandom)
{
    BoardView view{};
    Position lastHit = NoPosition;
    std::deque<Position> earlierHits;
    auto hit = [&](Position cell) {
        At(view, cell) = Shot::Hit;
        RecordHit(lastHit, earlierHits, cell);
    };

    hit({4, 4});
    EXPECT_EQ(TakeAim(view, lastHit, earlierHits), (Position{3, 4}));
    At(view, {3, 4}) = Shot::Miss;
    EXPECT_EQ(TakeAim(view, lastHit, earlierHits), (Position{4, 5}));
    hit({4, 5});
    EXPECT_EQ(lastHit, (Position{4, 5}));
    EXPECT_EQ(earlierHits, (std::deque<Position>{{4, 4}}));
    // Two hits down the column: only up and down remain, and up is the hit (4,4).
    EXPECT_EQ(TakeAim(view, lastHit, earlierHits), (Position{4, 6}));
    hit({4, 6});
    EXPECT_EQ(TakeAim(view, lastHit, earlierHits), (Position{4, 7}));
    hit({4, 7});

    // (4,4)-(4,7) is a whole ship: every origin on it is used up in turn and the search goes random.
    SeedRandom(5);
    const Position aim = TakeAim(view, lastHit, earlierHits);
    EXPECT_EQ(lastHit, NoPosition);
    EXPECT_TRUE(earlierHits.empty());
    SeedRandom(5);
    Position expected;
    do
        expected = ChooseRandomTarget(view);
    while (!IsUnshot(view, expected.x, expected.y));
    EXPECT_EQ(aim, expected);
}

TEST(Hunt, TriesLeftDownUpRightInTurn)
{
    const Position origin{5, 5};
    BoardView view = ViewWith({origin});
    for (Position expected : {Position{4, 5}, {5, 6}, {5, 4}, {6, 5}}) {
        EXPECT_EQ(NextHuntTarget(view, origin), expected);
        At(view, expected) = Shot::Miss;
    }
    EXPECT_EQ(NextHuntTarget(view, origin), NoPosition);
    EXPECT_EQ(NextHuntTarget(ViewWith({{0, 0}}), (Position{0, 0})), (Position{0, 1}));
    EXPECT_EQ(NextHuntTarget(ViewWith({{3, 5}, origin}), origin), (Position{5, 6})); // (4,5) touches (3,5)
}

TEST(Hunt, KeepsToTheLineOfARun)
{
    EXPECT_EQ(NextHuntTarget(ViewWith({{4, 4}, {5, 4}}), (Position{5, 4})), (Position{6, 4}));
    EXPECT_EQ(NextHuntTarget(ViewWith({{4, 4}, {5, 4}}, {{6, 4}}), (Position{5, 4})), NoPosition);
    EXPECT_EQ(NextHuntTarget(ViewWith({{4, 4}, {4, 5}}), (Position{4, 4})), (Position{4, 3}));
    EXPECT_EQ(NextHuntTarget(ViewWith({{4, 4}, {4, 5}}, {{4, 3}}), (Position{4, 4})), NoPosition);
    // Runs both ways: no direction is dropped, so up is tried once left is gone.
    EXPECT_EQ(NextHuntTarget(ViewWith({{4, 4}, {5, 4}, {4, 5}}, {{3, 4}}), (Position{4, 4})), (Position{4, 3}));
}

TEST(Hunt, RunOfFourLeadsNowhere)
{
    for (int x = 2; x <= 5; ++x) {
        EXPECT_EQ(NextHuntTarget(ViewWith({{2, 4}, {3, 4}, {4, 4}, {5, 4}}), (Position{x, 4})), NoPosition);
        EXPECT_EQ(NextHuntTarget(ViewWith({{4, 2}, {4, 3}, {4, 4}, {4, 5}}), (Position{4, x})), NoPosition);
    }
}

TEST(Hunt, NeverAimsNextToAHitOtherThanItsOrigin)
{
    std::mt19937 generator(2024);
    std::uniform_int_distribution<int> coordinate(0, 9), percent(0, 99);
    int aims = 0;
    for (int round = 0; round < 20000; ++round) {
        BoardView view;
        for (Shot& cell : view) {
            const int roll = percent(generator);
            cell = roll < 15 ? Shot::Hit : roll < 35 ? Shot::Miss : Shot::None;
        }
        const Position origin{coordinate(generator), coordinate(generator)};
        At(view, origin) = Shot::Hit;
        const Position aim = NextHuntTarget(view, origin);
        if (aim == NoPosition)
            continue;
        ++aims;
        ASSERT_EQ(std::abs(aim.x - origin.x) + std::abs(aim.y - origin.y), 1);
        ASSERT_EQ(At(view, aim), Shot::None);
        for (Position n : NeighboursOnBoard(aim))
            ASSERT_TRUE(n == origin || At(view, n) != Shot::Hit) << "round " << round;
    }
    EXPECT_GT(aims, 5000);
}

TEST(HuntMemory, NewHitQueuesTheOldOneAndTheOldestWaitingHitTakesOver)
{
    Position lastHit = NoPosition;
    std::deque<Position> earlierHits;
    RecordHit(lastHit, earlierHits, {2, 2});
    EXPECT_EQ(lastHit, (Position{2, 2}));
    EXPECT_TRUE(earlierHits.empty());
    RecordHit(lastHit, earlierHits, {7, 7});
    RecordHit(lastHit, earlierHits, {0, 9});
    EXPECT_EQ(lastHit, (Position{0, 9}));
    EXPECT_EQ(earlierHits, (std::deque<Position>{{2, 2}, {7, 7}}));

    // (0,9) is hemmed in by misses, so the hunt resumes from (2,2).
    const BoardView view = ViewWith({{2, 2}, {7, 7}, {0, 9}}, {{1, 9}, {0, 8}});
    EXPECT_EQ(TakeAim(view, lastHit, earlierHits), (Position{1, 2}));
    EXPECT_EQ(lastHit, (Position{2, 2}));
    EXPECT_EQ(earlierHits, (std::deque<Position>{{7, 7}}));
}

TEST(RandomTarget, PassesOverACornerBoxedInByMisses)
{
    const BoardView view = ViewWith({}, {{1, 0}, {0, 1}});
    int cornerFirstDrawn = 0;
    for (std::uint32_t seed = 0; seed < 20000; ++seed) {
        SeedRandom(seed);
        cornerFirstDrawn += RandomDraw() % 10 == 0 && RandomDraw() % 10 == 0;
        SeedRandom(seed);
        ASSERT_NE(ChooseRandomTarget(view), (Position{0, 0})) << "seed " << seed;
    }
    EXPECT_GT(cornerFirstDrawn, 100);
}

TEST(RandomTarget, AvoidsHitsAndDeadEndsUntilTwentyRejections)
{
    std::mt19937 generator(7);
    std::uniform_int_distribution<int> percent(0, 99);
    int limited = 0;
    int unlimited = 0;
    for (std::uint32_t round = 0; round < 5000; ++round) {
        const int hitShare = percent(generator) / 2;
        BoardView view;
        for (Shot& cell : view) {
            const int roll = percent(generator);
            cell = roll < hitShare ? Shot::Hit : roll < hitShare + 15 ? Shot::Miss : Shot::None;
        }
        SeedRandom(round);
        int rejections = -1;
        const Position aim = ChooseRandomTarget(view, &rejections);
        ASSERT_TRUE(OnBoard(aim.x, aim.y));
        ASSERT_FALSE(IsBoxedInByMisses(view, aim.x, aim.y));
        ASSERT_GE(rejections, 0);
        ASSERT_LE(rejections, 20);
        if (rejections == 20) {
            ++limited;
            continue;
        }
        ++unlimited;
        EXPECT_FALSE(TouchesHit(view, aim.x, aim.y)) << "round " << round;
        const std::vector<Position> neighbours = NeighboursOnBoard(aim);
        EXPECT_TRUE(std::any_of(neighbours.begin(), neighbours.end(), [&](Position n) {
            const std::vector<Position> around = NeighboursOnBoard(n);
            return At(view, n) == Shot::None
                && std::none_of(around.begin(), around.end(), [&](Position a) { return At(view, a) == Shot::Hit; });
        })) << "round " << round;
    }
    EXPECT_GT(limited, 100);
    EXPECT_GT(unlimited, 1000);
}

// On a checkerboard of hits every unshot cell touches a hit and every hit is hemmed in by cells
// touching hits, so only the rejection limit lets a cell through, and then it may be any cell.
TEST(RandomTarget, GivesUpAvoidingHitsAfterTwentyRejections)
{
    BoardView view{};
    for (int y = 0; y < BoardSide; ++y) {
        for (int x = (y + 1) % 2; x < BoardSide; x += 2)
            At(view, {x, y}) = Shot::Hit;
    }
    int hitsOffered = 0;
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        SeedRandom(seed);
        int rejections = 0;
        const Position aim = ChooseRandomTarget(view, &rejections);
        EXPECT_EQ(rejections, 20);
        hitsOffered += At(view, aim) == Shot::Hit;
    }
    EXPECT_GT(hitsOffered, 50);
}

TEST(RandomTarget, EndsOnViewsWithNoOpenUnshotCell)
{
    BoardView missed;
    missed.fill(Shot::Miss);
    SeedRandom(3);
    const Position draw = ChooseRandomTarget(missed);
    EXPECT_TRUE(OnBoard(draw.x, draw.y));
    Position lastHit = NoPosition;
    std::deque<Position> earlierHits;
    EXPECT_EQ(TakeAim(missed, lastHit, earlierHits), NoPosition);

    // The one unshot cell is boxed in, while the misses around it are not.
    BoardView lone = missed;
    At(lone, {0, 0}) = Shot::None;
    for (std::uint32_t seed = 0; seed < 100; ++seed) {
        SeedRandom(seed);
        EXPECT_EQ(TakeAim(lone, lastHit, earlierHits), (Position{0, 0}));
    }
}

// A fleet the player could set up: each ship dropped on an empty cell where it fits, so that ships
// touch at most at a corner. A layout that paints itself into a corner starts over.
Grid PlayerFleet(std::mt19937& generator)
{
    std::uniform_int_distribution<int> coordinate(1, BoardSide), coin(0, 1);
    for (;;) {
        Grid grid{};
        int ship = 0;
        for (int tries = 0; ship < FleetShipCount && tries < 1000; ++tries) {
            const int column = coordinate(generator), row = coordinate(generator), length = ShipLength(ship);
            const bool vertical = coin(generator) == 1;
            if (grid[(row - 1) * BoardSide + column - 1] == 1
                || !(vertical ? FitsVertically(grid, column, row, length) : FitsHorizontally(grid, column, row, length)))
                continue;
            for (int j = 0; j < length; ++j)
                grid[(row - 1 + (vertical ? j : 0)) * BoardSide + column - 1 + (vertical ? 0 : j)] = 1;
            ++ship;
            tries = 0;
        }
        if (ship == FleetShipCount)
            return grid;
    }
}

TEST(TakeAim, SinksTenThousandPlayerFleetsWithoutShootingACellTwice)
{
    using Clock = std::chrono::steady_clock;
    constexpr int Matches = 10000;
    std::vector<int> shotsPerMatch;
    shotsPerMatch.reserve(Matches);
    Clock::duration totalAimTime{}, worstAimTime{};
    std::uint64_t worstDraws = 0;
    long aims = 0;
    for (std::uint32_t seed = 0; seed < Matches; ++seed) {
        std::mt19937 generator(seed);
        const Grid fleet = PlayerFleet(generator);
        ASSERT_EQ(std::count(fleet.begin(), fleet.end(), 1), 27);
        SeedRandom(seed);
        BoardView view{};
        Position lastHit = NoPosition;
        std::deque<Position> earlierHits;
        int hits = 0;
        int shots = 0;
        while (hits < 27) {
            const std::uint64_t drawsBefore = RandomDrawCount();
            const Clock::time_point start = Clock::now();
            const Position aim = TakeAim(view, lastHit, earlierHits);
            const Clock::duration took = Clock::now() - start;
            const std::uint64_t draws = RandomDrawCount() - drawsBefore;
            totalAimTime += took;
            worstAimTime = std::max(worstAimTime, took);
            worstDraws = std::max(worstDraws, draws);
            ++aims;
            ++shots;
            ASSERT_TRUE(OnBoard(aim.x, aim.y)) << "seed " << seed << " shot " << shots;
            ASSERT_EQ(At(view, aim), Shot::None) << "seed " << seed << " shot " << shots;
            ASSERT_LT(draws, 100000u) << "seed " << seed << " shot " << shots;
            if (fleet[aim.y * BoardSide + aim.x] == 1) {
                At(view, aim) = Shot::Hit;
                RecordHit(lastHit, earlierHits, aim);
                ++hits;
            } else {
                At(view, aim) = Shot::Miss;
            }
        }
        shotsPerMatch.push_back(shots);
    }
    std::sort(shotsPerMatch.begin(), shotsPerMatch.end());
    long totalShots = 0;
    for (int shots : shotsPerMatch)
        totalShots += shots;
    using Micro = std::chrono::duration<double, std::micro>;
    std::printf("shots to sink the fleet: mean %.2f, median %d, min %d, max %d\n",
                static_cast<double>(totalShots) / Matches, shotsPerMatch[Matches / 2], shotsPerMatch.front(),
                shotsPerMatch.back());
    std::printf("one aim: mean %.2f us, worst %.2f us; most draws in one aim %llu\n",
                Micro(totalAimTime).count() / static_cast<double>(aims), Micro(worstAimTime).count(),
                static_cast<unsigned long long>(worstDraws));
}

}
}
