#include "GameFixture.h"

#include "Palette.h"

#include <array>

using namespace MyGame;
using TestSupport::PixelOf;
using GameTest::seams;
using TorUtility::Split;

namespace {

using TestSupport::log;

// What the game's stand-ins log for its boxes and sounds.
const std::string question =
    "box Uscita: Vuoi realmente uscire? (MB_YESNO|MB_ICONQUESTION|MB_TASKMODAL, over Tiremola, running)";
const std::string hitSound = "sound 1013 (held)";
const std::string missSound = "sound 1014 (held)";
const std::string beep = "beep 0xFFFFFFFF (running)";

class MatchTest : public GameTest::GameTest {
protected:
    // A match under way; the log starts with it.
    void StartMatch()
    {
        PlaceFleet();
        Click(Game().startButton);
        log.Clear();
    }

    // The enemy cells whose names say they hold a ship, or water, in reading order.
    std::vector<CellControl*> EnemyCells(bool ships)
    {
        std::vector<CellControl*> found;
        for (int r = 1; r <= BoardSide; ++r)
            for (int c = 1; c <= BoardSide; ++c)
                if ((Split(Game().EnemyCell(c, r)->tag, ";")[1] == "1") == ships)
                    found.push_back(Game().EnemyCell(c, r));
        return found;
    }

    // The phase the flags describe, with the start button's caption.
    std::string Phase()
    {
        const FormMain& game = Game();
        std::string phase = game.playing && game.matchOver ? "playing and over"
                            : game.matchOver               ? "over"
                            : !game.playing                ? "placing"
                            : game.playerTurn              ? "player's turn"
                                                           : "computer's turn";
        return phase + " / " + Game().startButton->GetText();
    }

    // Everything a press, a tick or a close could change, as one text to compare.
    std::string Snapshot()
    {
        FormMain& game = Game();
        std::string all = Phase() + "|" + game.playerCounter->GetText() + "|" + game.enemyCounter->GetText() + "|" +
                          game.statusBar->GetText() + "|" + std::to_string(IsWindowEnabled(game.statusBar->handle)) +
                          "|" + std::to_string(game.playerCellsLeft) + "|" + std::to_string(game.enemyCellsLeft) + "|" +
                          std::to_string(tickCount) + "|" + std::to_string(aimPending);
        for (const FormMain::Board* board : {&game.playerCells, &game.enemyCells})
            for (CellControl* cell : *board)
                all += "|" + cell->tag + "=" + cell->GetText() + "/" + std::to_string(cell->backColor) + "/" +
                       std::to_string(cell->backPainted) + "/" + std::to_string(cell->textColor);
        for (std::int32_t value : game.playerGrid)
            all += std::to_string(value);
        for (std::int32_t value : game.enemyGrid)
            all += std::to_string(value);
        return all;
    }

    // The colour on the screen inside a cell, away from its text.
    static COLORREF Shown(CellControl* cell)
    {
        TestSupport::PumpMessages();
        return PixelOf(cell->handle, 2, 2);
    }

    static std::size_t GridIndex(int c, int r) { return static_cast<std::size_t>((r - 1) * BoardSide + (c - 1)); }
};

TEST_F(MatchTest, StartWithAShipStillInTheTrayOnlyWarns)
{
    PlaceFleet();
    // The player takes the last ship back off the board; the background press sends it home.
    Press(Game().PlayerCell(6, 7));
    Press(&Game());
    ASSERT_TRUE(Game().shipPictures[8]->visible);
    Game().lastHit = Position{4, 4};
    const std::string before = Snapshot();
    log.Clear();

    Click(Game().startButton);

    EXPECT_TRUE(log.Matches(
        {"box Attenzione: Devi prima posizionare le navi nella tua area. (MB_OK|MB_TASKMODAL, over Tiremola, running)"}));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Phase(), "placing / Inizia");
    EXPECT_EQ(Game().lastHit, (Position{4, 4}));
    EXPECT_TRUE(Game().tickTimer->running);
}

TEST_F(MatchTest, StartLaysOutTheComputersFleetAndGivesThePlayerTheFirstShot)
{
    PlaceFleet();
    // Leftovers of an earlier match, which the new one must not inherit.
    Game().lastHit = Position{3, 3};
    Game().earlierHits = {Position{1, 1}};
    tickCount = 57;
    aimPending = true;
    log.Clear();

    Click(Game().startButton);

    EXPECT_EQ(Phase(), "player's turn / Abbandona");
    EXPECT_TRUE(Game().earlierHits.empty());
    EXPECT_EQ(Game().lastHit, NoPosition);
    EXPECT_EQ(tickCount, 0);
    EXPECT_FALSE(aimPending);
    EXPECT_EQ(Game().playerCellsLeft, 27);
    EXPECT_EQ(Game().enemyCellsLeft, 27);
    EXPECT_EQ(Game().playerCounter->GetText(), "-27");
    EXPECT_EQ(Game().enemyCounter->GetText(), "-27");
    EXPECT_EQ(Game().statusBar->GetText(), "Colpisci la nave nemica. Clicca sull'area nemica.");
    EXPECT_TRUE(IsWindowEnabled(Game().statusBar->handle));
    EXPECT_TRUE(log.Matches({}));

    // The names and the grid tell the same fleet: nine ships of 2, 2, 2, 3, 3, 3, 4, 4, 4 cells.
    std::array<int, FleetShipCount> shipCells{};
    for (int r = 1; r <= BoardSide; ++r) {
        for (int c = 1; c <= BoardSide; ++c) {
            const std::vector<std::string> fields = Split(Game().EnemyCell(c, r)->tag, ";");
            ASSERT_EQ(fields.size(), 5u);
            EXPECT_EQ(fields[0], "areanemica");
            EXPECT_EQ(Game().enemyGrid[GridIndex(c, r)], fields[1] == "1" ? 1 : 0) << c << "," << r;
            if (fields[1] == "1")
                ++shipCells[static_cast<std::size_t>(std::stoi(fields[4]))];
            else
                EXPECT_EQ(fields[4], "-1");
        }
    }
    for (int k = 0; k < FleetShipCount; ++k)
        EXPECT_EQ(shipCells[static_cast<std::size_t>(k)], ShipLength(k)) << "ship " << k;
}

TEST_F(MatchTest, PlayersShotsMarkTheCellAndDecideTheTurn)
{
    StartMatch();
    CellControl* ship = EnemyCells(true).front();
    const std::vector<std::string> shipFields = Split(ship->tag, ";");
    const std::size_t shipIndex = GridIndex(std::stoi(shipFields[2]), std::stoi(shipFields[3]));

    Press(ship);
    EXPECT_TRUE(log.Matches({hitSound}));
    EXPECT_EQ(ship->GetText(), "#");
    EXPECT_EQ(ship->textColor, static_cast<std::int32_t>(white));
    EXPECT_EQ(ship->backColor, static_cast<std::int32_t>(hitRed));
    EXPECT_EQ(Shown(ship), hitRed);
    EXPECT_EQ(Game().enemyGrid[shipIndex], 0);
    EXPECT_EQ(Split(ship->tag, ";")[1], "1") << "the name keeps the ship";
    EXPECT_EQ(Game().enemyCellsLeft, 26);
    EXPECT_EQ(Game().enemyCounter->GetText(), "-26");
    EXPECT_EQ(Game().playerCounter->GetText(), "-27");
    EXPECT_EQ(Game().statusBar->GetText(), "Colpita la nave nemica. Tocca ancora a te..");
    EXPECT_EQ(Phase(), "player's turn / Abbandona");
    EXPECT_TRUE(Game().tickTimer->running);

    // A second press on the same cell only beeps, and the turn stays.
    std::string before = Snapshot();
    log.Clear();
    Press(ship);
    EXPECT_TRUE(log.Matches({beep}));
    EXPECT_EQ(Snapshot(), before);

    CellControl* water = EnemyCells(false).front();
    log.Clear();
    Press(water);
    EXPECT_TRUE(log.Matches({missSound}));
    EXPECT_EQ(water->GetText(), "X");
    EXPECT_EQ(water->textColor, static_cast<std::int32_t>(black));
    EXPECT_EQ(Shown(water), MyGame::water);
    EXPECT_EQ(Game().enemyCellsLeft, 26);
    EXPECT_EQ(Game().statusBar->GetText(), "Ora tocca al pc..");
    EXPECT_EQ(Phase(), "computer's turn / Abbandona");
    EXPECT_TRUE(Game().tickTimer->running);

    // The enemy board takes no shots while the computer plays.
    before = Snapshot();
    log.Clear();
    Press(EnemyCells(false)[1]);
    Press(EnemyCells(true)[1]);
    EXPECT_TRUE(log.Matches({}));
    EXPECT_EQ(Snapshot(), before);

    for (int action = 0; action < 200 && !Game().playerTurn; ++action)
        Tick(100);
    ASSERT_TRUE(Game().playerTurn) << "the computer never missed";

    // The missed cell beeps like the hit one; the player still has the shot.
    before = Snapshot();
    log.Clear();
    Press(water);
    EXPECT_TRUE(log.Matches({beep}));
    EXPECT_EQ(Snapshot(), before);
    Press(EnemyCells(true)[1]);
    EXPECT_TRUE(log.Matches({beep, hitSound}));
    EXPECT_EQ(Game().enemyCellsLeft, 25);
}

TEST_F(MatchTest, TheTwentySeventhHitWinsAndNuovaStartsAFreshMatch)
{
    StartMatch();
    std::vector<TestSupport::Expected> expected;
    for (CellControl* ship : EnemyCells(true)) {
        ASSERT_EQ(Phase(), "player's turn / Abbandona");
        Press(ship);
        expected.emplace_back(hitSound);
    }
    expected.emplace_back("box Hai vinto: Bravo.. hai vinto (MB_OK|MB_TASKMODAL, over Tiremola, held)");
    EXPECT_TRUE(log.Matches(expected));
    EXPECT_EQ(Game().statusBar->GetText(), "Bravo.. hai vinto");
    EXPECT_EQ(Phase(), "over / Nuova");
    EXPECT_EQ(Game().enemyCellsLeft, 0);
    EXPECT_EQ(Game().enemyCounter->GetText(), "0");
    EXPECT_EQ(Game().playerCounter->GetText(), "-27");
    EXPECT_TRUE(Game().tickTimer->running);

    // Over means over: neither board answers and the computer does not play.
    const std::string before = Snapshot();
    log.Clear();
    Press(EnemyCells(false).front());
    Press(EnemyCells(true).front());
    Press(Game().PlayerCell(1, 1));
    Press(Game().PlayerCell(10, 10));
    Tick(300);
    EXPECT_TRUE(log.Matches({}));
    EXPECT_EQ(Snapshot(), before);

    // "Nuova" clears the way for a second match on the same window.
    Click(Game().startButton);
    EXPECT_EQ(Phase(), "placing / Inizia");
    EXPECT_EQ(Game().statusBar->GetText(), "");
    EXPECT_FALSE(IsWindowEnabled(Game().statusBar->handle));
    StartMatch();
    EXPECT_EQ(Phase(), "player's turn / Abbandona");
    EXPECT_EQ(Game().enemyCounter->GetText(), "-27");
    EXPECT_EQ(EnemyCells(true).size(), 27u);
    for (CellControl* cell : Game().enemyCells) {
        if (cell->tag.empty())
            continue;
        EXPECT_EQ(cell->GetText(), "") << cell->tag;
        EXPECT_FALSE(cell->backPainted) << cell->tag;
    }
}

TEST_F(MatchTest, EveryWayOutThePlayerTakesAsksAndAQuitFromOutsideDoesNot)
{
    StartMatch();
    Press(EnemyCells(true).front());
    seams.answer = IDNO;
    const std::string before = Snapshot();
    log.Clear();

    SendMessageW(Game().handle, WM_CLOSE, 0, 0);
    Click(Game().closeButton);
    Choose(Game().exitItem);

    EXPECT_TRUE(log.Matches({question, question, question}));
    EXPECT_TRUE(IsWindow(Game().handle));
    EXPECT_FALSE(Game().destroyed);
    EXPECT_TRUE(Game().tickTimer->running);
    EXPECT_EQ(Snapshot(), before);

    // Another program's quit message ends the message loop, and the game goes: nobody is asked
    // a question whose "No" could not keep it.
    PostMessageW(Game().handle, WM_QUIT, 0, 0);
    EXPECT_TRUE(TestSupport::EndsByItself([this] { TorUtility::RunMessageLoop(form.get()); }));
    HWND window = Game().handle;
    form.reset();
    EXPECT_TRUE(log.Matches({question, question, question}));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MatchTest, YesStopsTheTimerAndEndsTheMessageLoop)
{
    ASSERT_EQ(TorUtility::mainWindow, Game().handle);
    StartMatch();

    PostMessageW(Game().handle, WM_CLOSE, 0, 0);
    EXPECT_TRUE(TestSupport::EndsByItself([this] { TorUtility::RunMessageLoop(form.get()); }));

    EXPECT_TRUE(log.Matches({question}));
    EXPECT_FALSE(IsWindow(Game().handle));
    EXPECT_TRUE(Game().destroyed);
    EXPECT_FALSE(Game().tickTimer->running);
}

}
