#include "GameFixture.h"

#include "Palette.h"
#include "Random.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <utility>

using namespace MyGame;
using TestSupport::Canvas;
using TestSupport::PixelOf;

namespace {

using Spot = std::pair<int, int>;

// What a placement leaves on the computer's board: every cell's name, and the grid.
struct Layout {
    std::vector<std::string> names;
    Grid grid;

    bool operator==(const Layout&) const = default;
};

void PrintTo(const Layout& layout, std::ostream* out)
{
    for (std::size_t i = 0; i < layout.grid.size(); ++i)
        *out << (i % 10 == 0 ? "\n  " : "") << layout.grid[i];
}

class ComputerFleetTest : public GameTest::GameTest {
protected:
    Layout CurrentLayout()
    {
        Layout layout{{}, Game().enemyGrid};
        for (int y = 1; y <= 10; ++y)
            for (int x = 1; x <= 10; ++x)
                layout.names.push_back(Game().EnemyCell(x, y)->tag);
        return layout;
    }

    // The cell at an index of enemyGrid.
    CellControl* EnemyCellAt(std::ptrdiff_t index)
    {
        return Game().EnemyCell(static_cast<int>(index % 10) + 1, static_cast<int>(index / 10) + 1);
    }

    void ShowPendingPaints()
    {
        TestSupport::PumpMessages();
        RedrawWindow(Game().handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    // Leaves the computer's board as a finished match does: hits in red with "#", misses with
    // "X", and ship names from another fleet.
    void MarkBoard()
    {
        for (int i = 1; i <= 10; ++i) {
            CellControl* hit = Game().EnemyCell(i, i);
            hit->SetBackColor(static_cast<std::int32_t>(hitRed));
            hit->ChangeTextColor(static_cast<std::int32_t>(white));
            hit->SetText("#");
            hit->tag = "areanemica;1;" + std::to_string(i) + ";" + std::to_string(i) + ";4";
            Game().EnemyCell(11 - i, i)->SetText("X");
        }
        ShowPendingPaints();
        ASSERT_EQ(PixelOf(Game().EnemyCell(3, 3)->handle, 2, 2), hitRed) << "the marks reach the screen";
    }

    // Everything a fresh computer fleet leaves: clean cells named after what they hold, 27 ship
    // cells that the grid agrees with, each ship one straight run of its length, nothing shown.
    void ExpectFreshFleet(const std::string& context)
    {
        SCOPED_TRACE(context);
        ShowPendingPaints();
        std::array<std::vector<Spot>, FleetShipCount> runs;
        int shipCells = 0;
        for (int y = 1; y <= 10; ++y) {
            for (int x = 1; x <= 10; ++x) {
                CellControl* cell = Game().EnemyCell(x, y);
                const std::string at = std::to_string(x) + ";" + std::to_string(y) + ";";
                const std::int32_t entry = Game().enemyGrid[static_cast<std::size_t>((y - 1) * 10 + x - 1)];
                EXPECT_EQ(cell->GetText(), "") << at;
                EXPECT_EQ(cell->textColor, 0) << at;
                EXPECT_FALSE(cell->backPainted) << at;
                const auto shown = Canvas::Capture(cell->handle);
                EXPECT_EQ(shown->Count(water), shown->width * shown->height) << at;
                if (cell->tag == "areanemica;0;" + at + "-1") {
                    EXPECT_EQ(entry, 0) << at;
                    continue;
                }
                const std::string shipName = "areanemica;1;" + at;
                ASSERT_TRUE(cell->tag.starts_with(shipName)) << cell->tag;
                const int k = std::atoi(cell->tag.substr(shipName.size()).c_str());
                ASSERT_EQ(cell->tag, shipName + std::to_string(k));
                ASSERT_TRUE(k >= 0 && k < FleetShipCount) << cell->tag;
                EXPECT_EQ(entry, 1) << at;
                runs[static_cast<std::size_t>(k)].push_back({x, y});
                ++shipCells;
            }
        }
        EXPECT_EQ(shipCells, 27);
        EXPECT_EQ(std::count(Game().enemyGrid.begin(), Game().enemyGrid.end(), 1), 27);
        for (int k = 0; k < FleetShipCount; ++k) {
            const std::vector<Spot>& run = runs[static_cast<std::size_t>(k)];
            ASSERT_EQ(static_cast<int>(run.size()), k / 3 + 2) << "ship " << k;
            // Cells come in row order, so a straight run steps by one column or by one row.
            const bool across = run[1].second == run[0].second;
            for (std::size_t i = 1; i < run.size(); ++i)
                EXPECT_EQ(run[i], across ? Spot(run[0].first + static_cast<int>(i), run[0].second)
                                         : Spot(run[0].first, run[0].second + static_cast<int>(i)))
                    << "ship " << k << " cell " << i;
        }
    }
};

TEST_F(ComputerFleetTest, EverySeedLaysNineStraightNamedShipsOnACleanUnshownBoard)
{
    for (std::uint32_t seed : {1u, 7u, 2024u, 0xDEADBEEFu}) {
        MarkBoard();
        SeedRandom(seed);
        Game().PlaceComputerFleet();
        ExpectFreshFleet("seed " + std::to_string(seed));
    }
}

TEST_F(ComputerFleetTest, StartLaysAFreshFleetAlsoOverTheMarksOfTheMatchBefore)
{
    PlaceFleet();
    Click(Game().startButton);
    ASSERT_TRUE(Game().playing);
    ExpectFreshFleet("first match");

    // One hit and one miss, then the match is abandoned, which paints the rest of the fleet.
    const auto& grid = Game().enemyGrid;
    CellControl* hit = EnemyCellAt(std::find(grid.begin(), grid.end(), 1) - grid.begin());
    CellControl* miss = EnemyCellAt(std::find(grid.begin(), grid.end(), 0) - grid.begin());
    CellControl* unhit = EnemyCellAt(std::find(grid.rbegin(), grid.rend(), 1).base() - 1 - grid.begin());
    Press(hit);
    Press(miss);
    ASSERT_EQ(hit->GetText(), "#");
    ASSERT_EQ(miss->GetText(), "X");
    Click(Game().startButton);
    ASSERT_FALSE(Game().playing);
    ASSERT_TRUE(unhit->backPainted);
    const Layout previous = CurrentLayout();

    PlaceFleet();
    Click(Game().startButton);
    ASSERT_TRUE(Game().playing);
    ExpectFreshFleet("second match");
    EXPECT_NE(CurrentLayout(), previous);
}

TEST_F(ComputerFleetTest, LayoutFollowsTheSeedAndAnUnseededDrawSeedsFromTheClock)
{
    SeedRandom(99);
    Game().PlaceComputerFleet();
    const Layout first = CurrentLayout();
    SeedRandom(99);
    Game().PlaceComputerFleet();
    EXPECT_EQ(CurrentLayout(), first);
    SeedRandom(100);
    Game().PlaceComputerFleet();
    EXPECT_NE(CurrentLayout(), first) << "another seed, another fleet";

    randomSeeded = false;
    const std::time_t before = std::time(nullptr);
    Game().PlaceComputerFleet();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(randomSeeded);
    const Layout fromClock = CurrentLayout();
    bool matched = false;
    for (std::time_t t = before; t <= after && !matched; ++t) {
        SeedRandom(static_cast<std::uint32_t>(t));
        Game().PlaceComputerFleet();
        matched = CurrentLayout() == fromClock;
    }
    EXPECT_TRUE(matched) << "the fleet is the one a seed of the time in seconds gives";
}

}
