#include "FleetLayout.h"
#include "Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <utility>

namespace MyGame {
namespace {

constexpr std::array<int, FleetShipCount> ExpectedLengths{2, 2, 2, 3, 3, 3, 4, 4, 4};

TEST(LayOutFleet, TenThousandSeedsGiveSoundFleets)
{
    std::array<long, FleetShipCount> attemptSum{}, drawSum{};
    std::array<int, FleetShipCount> attemptMax{}, drawMax{};
    int touchingShips = 0;
    constexpr int Seeds = 10000;
    for (std::uint32_t seed = 0; seed < Seeds; ++seed) {
        SeedRandom(seed);
        const std::uint64_t drawsBefore = RandomDrawCount();
        const FleetLayout layout = LayOutFleet();
        std::array<int, BoardSide * BoardSide> owner;
        owner.fill(-1);
        long drawsCounted = 0;
        for (int k = 0; k < FleetShipCount; ++k) {
            const PlacedShip& ship = layout.ships[k];
            const int dx = ship.vertical ? 0 : 1;
            const int dy = ship.vertical ? 1 : 0;
            ASSERT_EQ(ship.length, ExpectedLengths[k]);
            ASSERT_TRUE(OnBoard(ship.x, ship.y) && OnBoard(ship.x + (ship.length - 1) * dx, ship.y + (ship.length - 1) * dy))
                << "seed " << seed << " ship " << k;
            EXPECT_TRUE(!ship.vertical || ship.orientationDraw % 2 == 0);
            EXPECT_TRUE(ship.vertical || ship.orientationDraw % 2 != 0 || ship.y + ship.length > BoardSide);
            EXPECT_GE(ship.spacingAttempts, 1);
            EXPECT_LE(ship.spacingAttempts, SpacingAttemptLimit);
            bool touchesEarlierShip = false;
            for (int j = 0; j < ship.length; ++j) {
                const int x = ship.x + j * dx;
                const int y = ship.y + j * dy;
                ASSERT_EQ(owner[y * BoardSide + x], -1) << "seed " << seed << " ship " << k << " overlaps";
                for (auto [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}})
                    touchesEarlierShip |= OnBoard(nx, ny) && owner[ny * BoardSide + nx] != -1;
            }
            if (touchesEarlierShip) {
                ++touchingShips;
                EXPECT_EQ(ship.spacingAttempts, SpacingAttemptLimit) << "seed " << seed << " ship " << k;
            }
            for (int j = 0; j < ship.length; ++j)
                owner[(ship.y + j * dy) * BoardSide + ship.x + j * dx] = k;
            EXPECT_EQ(ship.randomDraws % 3, 0);
            drawsCounted += ship.randomDraws;
            attemptSum[k] += ship.spacingAttempts;
            drawSum[k] += ship.randomDraws;
            attemptMax[k] = std::max(attemptMax[k], ship.spacingAttempts);
            drawMax[k] = std::max(drawMax[k], ship.randomDraws);
        }
        for (int cell = 0; cell < BoardSide * BoardSide; ++cell)
            ASSERT_EQ(layout.grid[cell], owner[cell] == -1 ? 0 : 1) << "seed " << seed << " cell " << cell;
        EXPECT_EQ(std::count(layout.grid.begin(), layout.grid.end(), 1), 27);
        EXPECT_EQ(static_cast<std::uint64_t>(drawsCounted), RandomDrawCount() - drawsBefore);
    }
    std::printf("ship  spacing attempts (mean, max)  random draws (mean, max)\n");
    for (int k = 0; k < FleetShipCount; ++k) {
        std::printf("%4d  %10.2f %6d  %16.2f %6d\n", k, static_cast<double>(attemptSum[k]) / Seeds, attemptMax[k],
                    static_cast<double>(drawSum[k]) / Seeds, drawMax[k]);
    }
    std::printf("ships touching an earlier one along an edge: %d of %d\n", touchingShips, Seeds * FleetShipCount);
}

// Seed 1, for instance, draws 41, 18467, 6334: column 1, row 7, an even draw, so the first ship
// stands vertically on (1,7)-(1,8). A two-cell candidate is dropped only when it must run right
// from the last column.
TEST(LayOutFleet, FirstShipComesFromTheFirstCandidateThatFits)
{
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        SeedRandom(seed);
        int x, y, orientationDraw, candidates = 0;
        bool vertical;
        do {
            x = RandomDraw() % 10;
            y = RandomDraw() % 10;
            orientationDraw = RandomDraw();
            vertical = orientationDraw % 2 == 0 && y <= 8;
            ++candidates;
        } while (!vertical && x == 9);
        SeedRandom(seed);
        const PlacedShip first = LayOutFleet().ships[0];
        EXPECT_EQ(first.x, x);
        EXPECT_EQ(first.y, y);
        EXPECT_EQ(first.vertical, vertical);
        EXPECT_EQ(first.orientationDraw, orientationDraw);
        EXPECT_EQ(first.randomDraws, 3 * candidates);
        EXPECT_EQ(first.spacingAttempts, 1);
    }
}

// Player ships at 1-based (column, row) cells.
Grid GridWith(std::initializer_list<std::pair<int, int>> cells)
{
    Grid grid{};
    for (auto [column, row] : cells)
        grid[(row - 1) * BoardSide + column - 1] = 1;
    return grid;
}

TEST(PlayerFit, RunMustStayOnTheBoard)
{
    const Grid empty{};
    EXPECT_FALSE(FitsHorizontally(empty, 8, 1, 4));
    EXPECT_TRUE(FitsVertically(empty, 8, 1, 4));
    EXPECT_FALSE(FitsHorizontally(empty, 10, 10, 2));
    EXPECT_FALSE(FitsVertically(empty, 10, 10, 2));
    EXPECT_TRUE(FitsHorizontally(empty, 7, 10, 4));
    EXPECT_FALSE(FitsVertically(empty, 7, 10, 4));
}

TEST(PlayerFit, ShipsMayTouchOnlyAtACorner)
{
    const Grid upright = GridWith({{4, 5}, {4, 6}});
    EXPECT_FALSE(FitsHorizontally(upright, 1, 5, 3)); // its end would meet (4,5)
    EXPECT_TRUE(FitsVertically(upright, 1, 5, 3));
    EXPECT_FALSE(FitsVertically(upright, 5, 3, 3)); // its side would meet (4,5)
    EXPECT_FALSE(FitsHorizontally(upright, 3, 7, 2)); // below (4,6)

    const Grid single = GridWith({{5, 5}});
    EXPECT_TRUE(FitsHorizontally(single, 3, 4, 2)); // (4,4) meets (5,5) at a corner
    EXPECT_TRUE(FitsVertically(single, 6, 6, 3));
    EXPECT_FALSE(FitsHorizontally(single, 3, 5, 3)); // would cover (5,5)

    const Grid byEdge = GridWith({{1, 2}});
    EXPECT_FALSE(FitsHorizontally(byEdge, 1, 1, 4));
    EXPECT_TRUE(FitsHorizontally(byEdge, 2, 1, 4));
    EXPECT_TRUE(FitsVertically(byEdge, 1, 4, 4));
    EXPECT_FALSE(FitsVertically(byEdge, 1, 3, 4));
}

// Independent statement of the rule: every cell of the run lies on the board, and no cell of the
// run after the first, nor any cell sharing an edge with the run, holds a ship.
bool ReferenceFits(const Grid& grid, int column, int row, int length, bool vertical)
{
    std::set<std::pair<int, int>> run;
    for (int j = 0; j < length; ++j)
        run.insert(vertical ? std::pair{column, row + j} : std::pair{column + j, row});
    auto occupied = [&](int c, int r) { return c >= 1 && c <= 10 && r >= 1 && r <= 10 && grid[(r - 1) * 10 + c - 1] == 1; };
    for (auto [c, r] : run) {
        if (c > 10 || r > 10 || ((c != column || r != row) && occupied(c, r)))
            return false;
        for (auto [nc, nr] : {std::pair{c - 1, r}, {c + 1, r}, {c, r - 1}, {c, r + 1}}) {
            if (!run.count({nc, nr}) && occupied(nc, nr))
                return false;
        }
    }
    return true;
}

TEST(PlayerFit, AgreesWithNeighbourhoodReferenceOnRandomBoards)
{
    std::mt19937 generator(12345);
    std::uniform_int_distribution<int> coordinate(1, 10), length(1, 5), percent(0, 99);
    int fits = 0;
    for (int round = 0; round < 20000; ++round) {
        Grid grid{};
        const int density = percent(generator) / 4;
        for (auto& cell : grid)
            cell = percent(generator) < density ? 1 : 0;
        const int c = coordinate(generator), r = coordinate(generator), l = length(generator);
        const bool horizontal = FitsHorizontally(grid, c, r, l);
        const bool vertical = FitsVertically(grid, c, r, l);
        ASSERT_EQ(horizontal, ReferenceFits(grid, c, r, l, false)) << c << "," << r << " length " << l;
        ASSERT_EQ(vertical, ReferenceFits(grid, c, r, l, true)) << c << "," << r << " length " << l;
        fits += horizontal + vertical;
    }
    EXPECT_GT(fits, 2000);
}

}
}
