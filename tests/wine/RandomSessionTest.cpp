#include "GameFixture.h"

#include "FormAbout.h"
#include "Random.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <iterator>
#include <random>
#include <set>
#include <utility>

using namespace MyGame;
using GameTest::seams;
using TorUtility::SubMenu;
using TorUtility::Split;

namespace {

constexpr std::uint32_t sessionSeed = 1957;
constexpr int sessionEvents = 20000;
// Each about box is a whole window to build; a few of them are enough.
constexpr int aboutBoxLimit = 12;

struct Tally {
    int started = 0;
    int won = 0;
    int lost = 0;
    int abandoned = 0;
    int aboutBoxes = 0;
};

// One FormMain through thousands of random presses, clicks, menu choices and bursts of ticks,
// with every way of closing declined; the game's bookkeeping is checked after each of them.
class RandomSessionTest : public GameTest::GameTest {
protected:
    int Roll(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(dice); }

    template <typename Item>
    Item Pick(const std::vector<Item>& items)
    {
        return items[static_cast<std::size_t>(Roll(0, static_cast<int>(items.size()) - 1))];
    }

    // A third of the player's shots go anywhere, a third where the player has not shot yet and a
    // third at a ship not hit yet, so that the player wins some of the matches too.
    CellControl* EnemyTarget(CellControl* anywhere)
    {
        const int aim = Roll(0, 2);
        std::vector<CellControl*> targets;
        for (int r = 1; r <= BoardSide; ++r) {
            for (int c = 1; c <= BoardSide; ++c) {
                CellControl* cell = Game().EnemyCell(c, r);
                if (cell->GetText().empty() && (aim == 1 || Split(cell->tag, ";")[1] == "1"))
                    targets.push_back(cell);
            }
        }
        return aim == 0 || targets.empty() ? anywhere : Pick(targets);
    }

    // Plays one random event and says what it was.
    std::string PlayRandomEvent()
    {
        FormMain& game = Game();
        const int popupAnswer = Roll(0, 2);
        TestSupport::popups.choice =
            popupAnswer == 0 ? 0 : popupAnswer == 1 ? game.horizontalItem->id : game.verticalItem->id;
        const int c = Roll(1, BoardSide);
        const int r = Roll(1, BoardSide);
        const std::string at = std::to_string(c) + "," + std::to_string(r);
        const int kind = Roll(0, 99);
        if (kind < 28) {
            CellControl* target = EnemyTarget(game.EnemyCell(c, r));
            Press(target);
            return "enemy " + target->tag;
        }
        if (kind < 46) {
            Press(game.PlayerCell(c, r));
            return "player " + at +
                   (popupAnswer == 0 ? ", popup dismissed" : popupAnswer == 1 ? ", horizontal" : ", vertical");
        }
        if (kind < 56) {
            std::vector<CellControl*> shown;
            std::copy_if(game.shipPictures.begin(), game.shipPictures.end(), std::back_inserter(shown),
                         [](CellControl* picture) { return IsWindowVisible(picture->handle) != FALSE; });
            if (shown.empty())
                return "no picture to press";
            CellControl* picture = Pick(shown);
            Press(picture);
            return "picture " + picture->tag;
        }
        if (kind < 58) {
            const std::size_t i = static_cast<std::size_t>(Roll(0, FormMain::boardStride - 1));
            Press(Roll(0, 1) ? game.playerCells[i] : game.enemyCells[i * FormMain::boardStride]);
            return "header " + std::to_string(i);
        }
        if (kind < 62) {
            MouseAt(Roll(0, 639), Roll(0, 399));
            return "mouse moved";
        }
        if (kind < 65) {
            Press(&game, Roll(0, 639), Roll(0, 399));
            return "background";
        }
        if (kind < 68) {
            const std::vector<std::pair<SubMenu*, const char*>> items = {
                {game.exitItem, "Esci"},
                {game.guideItem, "Guida"},
                {game.homeItem, "Home"},
                {game.horizontalItem, "orizzontale"},
                {game.verticalItem, "verticale"}};
            const auto [item, name] = Pick(items);
            Choose(item);
            return std::string("menu ") + name;
        }
        if (kind < 69) {
            Click(game.closeButton);
            return "Chiudi";
        }
        if (kind < 70 && tally.aboutBoxes < aboutBoxLimit) {
            Click(game.infoButton);
            ++tally.aboutBoxes;
            // The box disables the main window until it goes, as a player would close it.
            if (game.aboutBox && game.aboutBox->created && !game.aboutBox->destroyed)
                SendMessageW(game.aboutBox->handle, WM_CLOSE, 0, 0);
            TestSupport::PumpMessages();
            return "Info";
        }
        // Abandoning is kept rare so that matches get played out.
        if (kind < 74 && (!game.playing || Roll(0, 99) == 0)) {
            const std::string caption = game.startButton->GetText();
            Click(game.startButton);
            return caption;
        }
        const int ticks = Roll(1, 250);
        Tick(ticks);
        return std::to_string(ticks) + " ticks";
    }

    // The first rule the game's state breaks, or nothing.
    std::string Violation()
    {
        FormMain& game = Game();
        if (game.playing && game.matchOver)
            return "playing and over at once";
        const std::string caption = game.startButton->GetText();
        const char* expected = game.playing ? "Abbandona" : game.matchOver ? "Nuova" : "Inizia";
        if (caption != expected)
            return "start button reads " + caption + ", not " + expected;
        if (game.playing) {
            const auto enemyShips = std::count(game.enemyGrid.begin(), game.enemyGrid.end(), 1);
            const auto playerShips = std::count(game.playerGrid.begin(), game.playerGrid.end(), 1);
            if (game.enemyCellsLeft != enemyShips)
                return "enemy counter " + std::to_string(game.enemyCellsLeft) + ", grid " + std::to_string(enemyShips);
            if (game.playerCellsLeft != playerShips)
                return "player counter " + std::to_string(game.playerCellsLeft) + ", grid " +
                       std::to_string(playerShips);
            if (game.enemyCounter->GetText() != std::to_string(-game.enemyCellsLeft) ||
                game.playerCounter->GetText() != std::to_string(-game.playerCellsLeft))
                return "counters show " + game.playerCounter->GetText() + " and " + game.enemyCounter->GetText();
        }
        if (!game.playing && !game.matchOver) {
            std::set<int> ships;
            for (int r = 1; r <= BoardSide; ++r)
                for (int c = 1; c <= BoardSide; ++c)
                    if (const auto fields = Split(game.PlayerCell(c, r)->tag, ";"); fields[1] == "1")
                        ships.insert(std::stoi(fields[4]));
            const auto shown = std::count_if(game.shipPictures.begin(), game.shipPictures.end(),
                                             [](CellControl* picture) { return IsWindowVisible(picture->handle); });
            if (shown != FleetShipCount - static_cast<int>(ships.size()))
                return std::to_string(shown) + " pictures shown with " + std::to_string(ships.size()) +
                       " ships on the board";
            int shipCells = 0;
            for (int id : ships)
                shipCells += ShipLength(game.ShipIndex(id));
            const auto gridCells = std::count(game.playerGrid.begin(), game.playerGrid.end(), 1);
            if (gridCells != shipCells)
                return std::to_string(gridCells) + " ship cells in the grid for ships of " +
                       std::to_string(shipCells) + " cells";
        }
        return "";
    }

    void Count(bool wasPlaying)
    {
        FormMain& game = Game();
        if (!wasPlaying && game.playing)
            ++tally.started;
        else if (wasPlaying && !game.playing && !game.matchOver)
            ++tally.abandoned;
        else if (wasPlaying && game.matchOver)
            ++(game.enemyCellsLeft == 0 ? tally.won : tally.lost);
    }

    std::mt19937 dice{sessionSeed};
    Tally tally;
};

TEST_F(RandomSessionTest, BookkeepingHoldsThroughALongRandomSession)
{
    SeedRandom(sessionSeed);
    seams.answer = IDNO;
    const auto began = std::chrono::steady_clock::now();
    std::deque<std::string> recent;
    for (int n = 1; n <= sessionEvents; ++n) {
        const bool wasPlaying = Game().playing;
        recent.push_back(PlayRandomEvent());
        if (recent.size() > 12)
            recent.pop_front();
        Count(wasPlaying);
        const std::string broken = Violation();
        if (!broken.empty()) {
            std::string history;
            for (const std::string& event : recent)
                history += "\n  " + event;
            FAIL() << "after event " << n << ": " << broken << "\nlast events:" << history;
        }
        ASSERT_TRUE(IsWindow(Game().handle)) << "the window went at event " << n;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("%d events in %.1f s: %d matches started, %d won, %d lost, %d abandoned; %d about boxes, "
                "%zu boxes answered No or OK\n",
                sessionEvents, seconds, tally.started, tally.won, tally.lost, tally.abandoned, tally.aboutBoxes,
                TestSupport::log.Only("box").Events().size());
    EXPECT_GT(tally.won, 0) << "the player never won";
    EXPECT_GT(tally.lost, 0) << "the computer never won";
}

}
