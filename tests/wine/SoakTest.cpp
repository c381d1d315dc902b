#include "GameFixture.h"

#include "Button.h"
#include "FormAbout.h"
#include "Palette.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace MyGame;

namespace {

// Enough for about a minute of the test command; TIREMOLA_SOAK_MATCHES and
// TIREMOLA_SOAK_REPAINTS ask for longer runs.
constexpr int defaultMatches = 100;
constexpr int defaultRepaints = 250;
constexpr int fleetCells = 27;
// Private bytes may move by this much (heap pages, Wine's caches) without counting as growth.
constexpr std::int64_t memoryTolerance = 2 * 1024 * 1024;

int FromEnvironment(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    const int parsed = value ? std::atoi(value) : 0;
    return parsed > 0 ? parsed : fallback;
}

// The private bytes committed. Wine leaves PrivateUsage at 0 and reports the same figure as
// PagefileUsage, which is what Windows keeps there too.
std::int64_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<std::int64_t>(counters.PagefileUsage);
}

struct Reading {
    int after;
    std::int64_t privateBytes;
    std::int64_t gdiBalance;
};

// Prints the readings for the record and checks that they stay flat: the GDI balance exactly,
// private bytes within the tolerance of the first reading.
void ExpectFlat(const std::vector<Reading>& readings, const char* unit)
{
    for (const Reading& reading : readings) {
        std::printf("after %6d %s: private bytes %.2f MiB, GDI objects made - deleted %lld\n", reading.after, unit,
                    static_cast<double>(reading.privateBytes) / (1024.0 * 1024.0),
                    static_cast<long long>(reading.gdiBalance));
        EXPECT_EQ(reading.gdiBalance, readings.front().gdiBalance) << "after " << reading.after << " " << unit;
        EXPECT_LE(reading.privateBytes - readings.front().privateBytes, memoryTolerance)
            << "after " << reading.after << " " << unit;
    }
    std::fflush(stdout);
}

int CountShown(const MyGame::FormMain::Board& board, const std::string& mark)
{
    int count = 0;
    for (int r = 1; r <= BoardSide; ++r)
        for (int c = 1; c <= BoardSide; ++c)
            count += board[static_cast<std::size_t>(r * FormMain::boardStride + c)]->GetText() == mark;
    return count;
}

int CountShips(const Grid& grid)
{
    int count = 0;
    for (std::int32_t entry : grid)
        count += entry != 0;
    return count;
}

// Whole matches on the real window, one after another: the player's fleet placed by dragging,
// the player's shots at random cells not shot yet, the computer's as its ticks bring them, and
// "Nuova" between matches. The process-wide GDI ledger is read only within one test's window.
class SoakTest : public GameTest::GameTest {
protected:
    Reading Read(int after) const { return {after, PrivateBytes(), TestSupport::OutstandingGdiObjects()}; }

    // A random cell not shot yet; with 'shipsFirst', one holding a ship while any is left, so that
    // the player wins that match.
    CellControl* RandomUnshotEnemyCell(bool shipsFirst)
    {
        std::vector<CellControl*> unshot;
        for (int r = 1; r <= BoardSide; ++r)
            for (int c = 1; c <= BoardSide; ++c)
                if (CellControl* cell = Game().EnemyCell(c, r);
                    cell->GetText().empty() && (!shipsFirst || TorUtility::Split(cell->tag, ";")[1] == "1"))
                    unshot.push_back(cell);
        if (unshot.empty())
            return nullptr;
        return unshot[std::uniform_int_distribution<std::size_t>(0, unshot.size() - 1)(dice)];
    }

    // Plays one match to its end and checks its outcome; answers whether the player won.
    bool PlayMatch(bool shipsFirst)
    {
        PlaceFleet();
        EXPECT_EQ(CountShips(Game().playerGrid), fleetCells);
        Click(Game().startButton);
        EXPECT_TRUE(Game().playing);
        // The log keeps one match at a time: it would otherwise pile up in this process.
        TestSupport::log.Clear();
        // Each turn is one shot; a match has at most 100 of each side's and the computer needs
        // two hundred ticks for one: aim, then resolve.
        for (int turns = 0; !Game().matchOver && turns < 400; ++turns) {
            if (Game().playerTurn) {
                CellControl* target = RandomUnshotEnemyCell(shipsFirst);
                if (!target)
                    break;
                Press(target);
            } else {
                Tick(200);
            }
        }
        EXPECT_TRUE(Game().matchOver) << "the match did not end";

        const bool won = Game().enemyCellsLeft == 0;
        EXPECT_NE(won, Game().playerCellsLeft == 0) << "exactly one side has lost all its cells";
        EXPECT_EQ(CountShown(Game().enemyCells, "#"), fleetCells - Game().enemyCellsLeft);
        EXPECT_EQ(CountShown(Game().playerCells, "#"), fleetCells - Game().playerCellsLeft);
        EXPECT_EQ(CountShips(Game().enemyGrid), Game().enemyCellsLeft);
        EXPECT_EQ(CountShips(Game().playerGrid), Game().playerCellsLeft);
        EXPECT_EQ(Game().playerCounter->GetText(), std::to_string(-Game().playerCellsLeft));
        EXPECT_EQ(Game().enemyCounter->GetText(), std::to_string(-Game().enemyCellsLeft));
        for (int r = 1; r <= BoardSide; ++r) {
            for (int c = 1; c <= BoardSide; ++c) {
                CellControl* cell = Game().EnemyCell(c, r);
                const bool ship = TorUtility::Split(cell->tag, ";")[1] == "1";
                const std::string shown = cell->GetText();
                EXPECT_TRUE(shown.empty() || shown == (ship ? "#" : "X")) << c << "," << r << " shows " << shown;
                if (ship) {
                    EXPECT_EQ(cell->backColor, static_cast<std::int32_t>(hitRed)) << "ship cell " << c << "," << r;
                }
            }
        }
        EXPECT_TRUE(TestSupport::log.Only("box").Matches(
            {won ? "box Hai vinto: Bravo.. hai vinto (MB_OK|MB_TASKMODAL, over Tiremola, held)"
                 : "box Hai perso: Peccato.. hai perso (MB_OK|MB_TASKMODAL, over Tiremola, held)"}))
            << "one message box ends the match";
        EXPECT_EQ(Game().startButton->GetText(), "Nuova");

        Click(Game().startButton);
        ExpectBoardReset();
        return won;
    }

    void ExpectBoardReset()
    {
        EXPECT_FALSE(Game().playing);
        EXPECT_FALSE(Game().matchOver);
        EXPECT_EQ(Game().startButton->GetText(), "Inizia");
        EXPECT_EQ(CountShips(Game().playerGrid), 0);
        RedrawWindow(Game().handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        for (int r = 1; r <= BoardSide; ++r) {
            for (int c = 1; c <= BoardSide; ++c) {
                CellControl* cell = Game().PlayerCell(c, r);
                const std::string position = std::to_string(c) + ";" + std::to_string(r);
                ASSERT_EQ(cell->tag, "myarea;0;" + position + ";-1");
                ASSERT_EQ(cell->GetText(), "") << position;
                ASSERT_EQ(TestSupport::PixelOf(cell->handle, 3, 3), water) << position;
            }
        }
        for (std::size_t k = 0; k < Game().shipPictures.size(); ++k) {
            CellControl* picture = Game().shipPictures[k];
            const POINT at = picture->GetPosition();
            EXPECT_EQ(at.x, Game().shipHomes[k].x) << "picture " << k;
            EXPECT_EQ(at.y, Game().shipHomes[k].y) << "picture " << k;
            EXPECT_TRUE(picture->visible && IsWindowVisible(picture->handle)) << "picture " << k;
        }
    }

    std::mt19937 dice{20260611};
};

TEST_F(SoakTest, MatchesEndWithTheRightWinnerAndLeaveNothingBehind)
{
    const int matches = FromEnvironment("TIREMOLA_SOAK_MATCHES", defaultMatches);
    std::vector<Reading> readings{Read(0)};
    int won = 0;
    for (int match = 1; match <= matches && !HasFailure(); ++match) {
        // Random shots rarely beat the computer: every other match the player aims at ships.
        won += PlayMatch(match % 2 == 0);
        if (match % 100 == 0 || match == matches)
            readings.push_back(Read(match));
    }
    std::printf("%d matches: the player won %d, the computer %d\n", matches, won, matches - won);
    ExpectFlat(readings, "matches");
}

TEST_F(SoakTest, RepaintsLeaveNothingBehind)
{
    const int repaints = FromEnvironment("TIREMOLA_SOAK_REPAINTS", defaultRepaints);
    RedrawWindow(Game().handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::vector<Reading> readings{Read(0)};
    for (int repaint = 1; repaint <= repaints; ++repaint) {
        RedrawWindow(Game().handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        if (repaint % 1000 == 0 || repaint == repaints)
            readings.push_back(Read(repaint));
    }
    ExpectFlat(readings, "repaints");
}

// Opened with "Info" and closed with "OK", a thousand times: each box's window classes and
// their brushes go with it.
TEST_F(SoakTest, AboutBoxesLeaveNothingBehind)
{
    auto openAndClose = [this] {
        Click(Game().infoButton);
        SendMessageW(Game().aboutBox->okButton->handle, BM_CLICK, 0, 0);
        TestSupport::PumpMessages();
    };
    openAndClose();
    std::vector<Reading> readings{Read(1)};
    for (int opened = 2; opened <= 1000 && !HasFailure(); ++opened) {
        openAndClose();
        ASSERT_TRUE(IsWindowEnabled(Game().handle)) << "after box " << opened;
        if (opened % 250 == 0)
            readings.push_back(Read(opened));
    }
    ExpectFlat(readings, "about boxes");
}

}
