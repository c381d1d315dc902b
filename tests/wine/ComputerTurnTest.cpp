#include "GameFixture.h"

#include "Palette.h"
#include "Random.h"

#include <algorithm>
#include <deque>

using namespace MyGame;
using TestSupport::PixelOf;
using TorUtility::Split;

namespace {

using TestSupport::log;

class ComputerTurnTest : public GameTest::GameTest {
protected:
    // A match under way; the log starts with it.
    void StartMatch()
    {
        PlaceFleet();
        Click(Game().startButton);
        log.Clear();
    }

    // The first enemy cell, in reading order, with a ship or with water, that was not shot.
    CellControl* UnshotEnemyCell(bool ship)
    {
        for (int r = 1; r <= BoardSide; ++r) {
            for (int c = 1; c <= BoardSide; ++c) {
                CellControl* cell = Game().EnemyCell(c, r);
                if (cell->GetText().empty() && (Split(cell->tag, ";")[1] == "1") == ship)
                    return cell;
            }
        }
        return nullptr;
    }

    void PlayerShoots(bool atShip)
    {
        CellControl* cell = UnshotEnemyCell(atShip);
        ASSERT_NE(cell, nullptr) << "no enemy cell left to shoot";
        Press(cell);
    }

    CellControl* AimedCell() { return Game().PlayerCell(aimColumn + 1, aimRow + 1); }

    // The player's board as text: what each cell shows and whether it paints its own colour.
    std::string PlayerBoard()
    {
        std::string all;
        for (int r = 1; r <= BoardSide; ++r) {
            for (int c = 1; c <= BoardSide; ++c) {
                CellControl* cell = Game().PlayerCell(c, r);
                all += "[";
                all += cell->GetText();
                if (cell->backPainted) {
                    all += "*";
                    all += std::to_string(cell->backColor);
                }
                all += "]";
            }
        }
        return all;
    }

    std::vector<std::string> PlayerTexts()
    {
        std::vector<std::string> texts;
        for (CellControl* cell : Game().playerCells)
            texts.push_back(cell->GetText());
        return texts;
    }

    // The colour on the screen inside a cell, away from its text.
    static COLORREF Shown(CellControl* cell)
    {
        TestSupport::PumpMessages();
        return PixelOf(cell->handle, 2, 2);
    }

    // Back to placing: the player's board is water again and every picture waits at its home.
    void ExpectPlacingAnew()
    {
        EXPECT_FALSE(Game().playing);
        EXPECT_FALSE(Game().matchOver);
        EXPECT_EQ(Game().startButton->GetText(), "Inizia");
        EXPECT_EQ(Game().statusBar->GetText(), "");
        EXPECT_FALSE(IsWindowEnabled(Game().statusBar->handle));
        EXPECT_FALSE(FormMain::AnyShipLeft(Game().playerGrid));
        std::string water;
        for (int r = 1; r <= BoardSide; ++r) {
            for (int c = 1; c <= BoardSide; ++c) {
                EXPECT_EQ(Game().PlayerCell(c, r)->tag,
                          "myarea;0;" + std::to_string(c) + ";" + std::to_string(r) + ";-1");
                water += "[]";
            }
        }
        EXPECT_EQ(PlayerBoard(), water);
        for (std::size_t k = 0; k < Game().shipPictures.size(); ++k) {
            EXPECT_TRUE(IsWindowVisible(Game().shipPictures[k]->handle)) << k;
            EXPECT_EQ(Game().shipPictures[k]->GetPosition().x, Game().shipHomes[k].x) << k;
            EXPECT_EQ(Game().shipPictures[k]->GetPosition().y, Game().shipHomes[k].y) << k;
        }
    }

    // Every ship cell of the computer's is red, hit or not; no water cell is.
    void ExpectFleetRevealed()
    {
        for (int r = 1; r <= BoardSide; ++r) {
            for (int c = 1; c <= BoardSide; ++c) {
                CellControl* cell = Game().EnemyCell(c, r);
                const bool red = cell->backPainted && cell->backColor == static_cast<std::int32_t>(hitRed);
                EXPECT_EQ(red, Split(cell->tag, ";")[1] == "1") << c << "," << r;
            }
        }
    }
};

TEST_F(ComputerTurnTest, TicksOutsideTheComputersTurnOnlyMoveTheDraggedShip)
{
    Press(Game().shipPictures[4]);
    MouseAt(200, 150);
    Tick(250);
    EXPECT_EQ(tickCount, 0);
    EXPECT_FALSE(aimPending);
    EXPECT_EQ(Game().shipPictures[4]->GetPosition().x, 210);
    EXPECT_EQ(Game().shipPictures[4]->GetPosition().y, 160);
    EXPECT_TRUE(log.Matches({}));
    Press(&Game());

    StartMatch();
    const std::string board = PlayerBoard();
    Tick(250);
    EXPECT_EQ(tickCount, 0);
    EXPECT_FALSE(aimPending);
    EXPECT_TRUE(Game().playerTurn);
    EXPECT_EQ(PlayerBoard(), board);
    EXPECT_TRUE(log.Matches({}));
}

// Each action of the computer is checked against the cell it chose, until it has both missed and
// hit while following an earlier hit.
TEST_F(ComputerTurnTest, ComputerAimsOnTheHundredthTickAndShootsOnTheNextHundredth)
{
    SeedRandom(20240611);
    StartMatch();
    int misses = 0;
    int hitsWhileHunting = 0;
    for (int shot = 0; shot < 60 && (misses < 2 || hitsWhileHunting < 1); ++shot) {
        if (Game().playerTurn)
            PlayerShoots(false);
        ASSERT_FALSE(Game().playerTurn);
        log.Clear();

        std::string board = PlayerBoard();
        Tick(99);
        ASSERT_FALSE(aimPending);
        ASSERT_EQ(tickCount, 99);
        ASSERT_EQ(PlayerBoard(), board);
        const std::vector<std::string> texts = PlayerTexts();
        Tick(1);
        ASSERT_TRUE(aimPending) << "shot " << shot;
        EXPECT_EQ(tickCount, 0);
        CellControl* aimed = AimedCell();
        const std::string shown = aimed->GetText();
        EXPECT_TRUE(shown != "#" && shown != "X") << "aimed at a cell shot already";
        EXPECT_EQ(PlayerTexts(), texts) << "the aim changes no text";
        EXPECT_EQ(aimed->backColor, static_cast<std::int32_t>(aimYellow));
        EXPECT_EQ(Shown(aimed), aimYellow);
        EXPECT_TRUE(log.Matches({}));
        EXPECT_TRUE(Game().tickTimer->running);

        const bool ship = Split(aimed->tag, ";")[1] == "1";
        EXPECT_EQ(aimIsHit, ship);
        const Position hunted = Game().lastHit;
        std::deque<Position> queued = Game().earlierHits;
        const std::int32_t left = Game().playerCellsLeft;
        board = PlayerBoard();
        Tick(99);
        ASSERT_TRUE(aimPending);
        ASSERT_EQ(PlayerBoard(), board);
        Tick(1);
        EXPECT_FALSE(aimPending);
        EXPECT_TRUE(Game().tickTimer->running);

        if (ship) {
            EXPECT_TRUE(log.Matches({"sound 1013 (held)"}));
            EXPECT_EQ(aimed->GetText(), "#");
            EXPECT_EQ(aimed->textColor, static_cast<std::int32_t>(white));
            EXPECT_EQ(Shown(aimed), hitRed);
            EXPECT_EQ(Game().playerGrid[static_cast<std::size_t>(aimRow * BoardSide + aimColumn)], 0);
            EXPECT_EQ(Game().playerCellsLeft, left - 1);
            EXPECT_EQ(Game().playerCounter->GetText(), std::to_string(1 - left));
            EXPECT_EQ(Game().statusBar->GetText(), "Sei stato colpito. Tocca ancora al pc..");
            EXPECT_FALSE(Game().playerTurn);
            EXPECT_EQ(Game().lastHit, (Position{aimColumn, aimRow}));
            if (IsSet(hunted)) {
                queued.push_back(hunted);
                ++hitsWhileHunting;
            }
            EXPECT_EQ(Game().earlierHits, queued);
        } else {
            EXPECT_TRUE(log.Matches({"sound 1014 (held)"}));
            EXPECT_EQ(aimed->GetText(), "X");
            EXPECT_EQ(aimed->textColor, static_cast<std::int32_t>(black));
            EXPECT_EQ(Shown(aimed), water);
            EXPECT_EQ(Game().playerCellsLeft, left);
            EXPECT_EQ(Game().statusBar->GetText(), "Ora tocca a te..");
            EXPECT_TRUE(Game().playerTurn);
            EXPECT_EQ(Game().lastHit, hunted);
            EXPECT_EQ(Game().earlierHits, queued);
            ++misses;
        }
        EXPECT_EQ(Game().enemyCounter->GetText(), "-27");
    }
    EXPECT_GE(misses, 2);
    EXPECT_GE(hitsWhileHunting, 1);
}

TEST_F(ComputerTurnTest, ComputersLastHitWinsRevealsItsFleetAndNuovaStartsOver)
{
    SeedRandom(7);
    StartMatch();
    PlayerShoots(true);
    int actions = 0;
    // The log keeps the computer's last action only.
    while (Game().playing && actions < 400) {
        if (Game().playerTurn)
            PlayerShoots(false);
        log.Clear();
        Tick(100);
        ++actions;
    }
    ASSERT_FALSE(Game().playing) << "no end after " << actions << " actions of the computer";

    EXPECT_TRUE(log.Matches(
        {"sound 1013 (held)", "box Hai perso: Peccato.. hai perso (MB_OK|MB_TASKMODAL, over Tiremola, held)"}));
    EXPECT_EQ(Game().statusBar->GetText(), "Peccato.. hai perso");
    EXPECT_TRUE(Game().matchOver);
    EXPECT_EQ(Game().startButton->GetText(), "Nuova");
    EXPECT_EQ(Game().playerCellsLeft, 0);
    EXPECT_EQ(Game().playerCounter->GetText(), "0");
    EXPECT_EQ(Game().enemyCounter->GetText(), "-26");
    EXPECT_TRUE(Game().tickTimer->running);
    ExpectFleetRevealed();
    CellControl* unhit = UnshotEnemyCell(true);
    ASSERT_NE(unhit, nullptr);
    EXPECT_EQ(Shown(unhit), hitRed);

    const std::string board = PlayerBoard();
    log.Clear();
    Tick(500);
    EXPECT_EQ(PlayerBoard(), board);
    EXPECT_TRUE(log.Matches({}));

    Click(Game().startButton);
    ExpectPlacingAnew();
}

TEST_F(ComputerTurnTest, AbandonDuringTheComputersTurnEndsIt)
{
    StartMatch();
    PlayerShoots(true);
    PlayerShoots(false);
    Tick(100);
    ASSERT_TRUE(aimPending);
    log.Clear();

    Click(Game().startButton);
    ExpectPlacingAnew();
    ExpectFleetRevealed();
    EXPECT_EQ(std::count_if(Game().enemyCells.begin(), Game().enemyCells.end(),
                            [](CellControl* cell) { return cell->GetText() == "#"; }),
              1);

    const std::string board = PlayerBoard();
    const int ticks = tickCount;
    Tick(500);
    EXPECT_EQ(PlayerBoard(), board);
    EXPECT_EQ(tickCount, ticks);
    EXPECT_TRUE(log.Matches({}));
}

// An aim the computer took just before the player abandoned belongs to the old board: the next
// match starts its computer's turn with an aim of its own, on time.
TEST_F(ComputerTurnTest, AimLeftByAnAbandonedMatchIsNotResolvedInTheNext)
{
    StartMatch();
    PlayerShoots(false);
    Tick(100);
    ASSERT_TRUE(aimPending);
    Tick(57);
    Click(Game().startButton);

    PlaceFleet();
    Click(Game().startButton);
    EXPECT_FALSE(aimPending);
    EXPECT_EQ(tickCount, 0);
    PlayerShoots(false);
    log.Clear();
    const std::string board = PlayerBoard();
    Tick(99);
    EXPECT_EQ(PlayerBoard(), board);
    Tick(1);
    EXPECT_TRUE(log.Matches({}));
    ASSERT_TRUE(aimPending);
    EXPECT_EQ(AimedCell()->backColor, static_cast<std::int32_t>(aimYellow));
    const BoardView view = Game().ReadPlayerBoard();
    EXPECT_EQ(std::count(view.begin(), view.end(), Shot::None), BoardSide * BoardSide) << "a shot on the new board";
}

}
