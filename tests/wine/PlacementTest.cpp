#include "GameFixture.h"

#include "FormAbout.h"
#include "Palette.h"

#include <algorithm>
#include <utility>

using namespace MyGame;
using GameTest::seams;
using TestSupport::log;
using TestSupport::PixelOf;

namespace {

using Spot = std::pair<int, int>;

// The refusal of a drop that fits neither way.
const std::string refusal = "beep 0xFFFFFFFF (running)";

Spot PositionOf(TorUtility::GUIElement* element)
{
    const POINT at = element->GetPosition();
    return {at.x, at.y};
}

// The popup stand-in of the fixture, wrapped to note whether the ticks ran while it was up.
decltype(TorUtility::platform.trackPopupMenu) fixturePopup = nullptr;
bool ticksDuringPopup = true;

BOOL WINAPI PopupNotingTicks(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* exclude)
{
    auto* game = dynamic_cast<FormMain*>(TorUtility::mainFormInstance);
    ticksDuringPopup = game && game->tickTimer->running;
    return fixturePopup(menu, flags, x, y, reserved, owner, exclude);
}

class PlacementTest : public GameTest::GameTest {
protected:
    CellControl* Picture(int k) { return Game().shipPictures[static_cast<std::size_t>(k)]; }

    Spot Home(int k)
    {
        const POINT home = Game().shipHomes[static_cast<std::size_t>(k)];
        return {home.x, home.y};
    }

    std::int32_t GridAt(int c, int r) { return Game().playerGrid[static_cast<std::size_t>((r - 1) * 10 + c - 1)]; }

    int ShipCells()
    {
        return static_cast<int>(std::count(Game().playerGrid.begin(), Game().playerGrid.end(), 1));
    }

    std::vector<std::string> PlayerNames()
    {
        std::vector<std::string> names;
        for (int r = 1; r <= 10; ++r)
            for (int c = 1; c <= 10; ++c)
                names.push_back(Game().PlayerCell(c, r)->tag);
        return names;
    }

    // Name, text and painting of every cell of the computer's board, headers included.
    std::vector<std::string> EnemyCells()
    {
        std::vector<std::string> cells;
        for (CellControl* cell : Game().enemyCells)
            cells.push_back(cell->tag + "|" + cell->GetText() + "|" + std::to_string(cell->backPainted));
        return cells;
    }

    ::testing::AssertionResult IsWater(int c, int r)
    {
        CellControl* cell = Game().PlayerCell(c, r);
        const std::string name = "myarea;0;" + std::to_string(c) + ";" + std::to_string(r) + ";-1";
        if (cell->tag == name && GridAt(c, r) == 0 && cell->GetText().empty() && !cell->backPainted)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "(" << c << "," << r << ") is \"" << cell->tag << "\", grid "
                                             << GridAt(c, r) << ", text \"" << cell->GetText() << "\", painted "
                                             << cell->backPainted;
    }

    ::testing::AssertionResult HoldsShip(int c, int r, int k)
    {
        CellControl* cell = Game().PlayerCell(c, r);
        const std::string name =
            "myarea;1;" + std::to_string(c) + ";" + std::to_string(r) + ";" + std::to_string(Picture(k)->id);
        const bool whiteOnBlue = cell->textColor == static_cast<std::int32_t>(white) &&
                                 cell->backColor == static_cast<std::int32_t>(shipBlue) && cell->backPainted;
        if (cell->tag == name && GridAt(c, r) == 1 && cell->GetText() == std::to_string(k + 1) && whiteOnBlue)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "(" << c << "," << r << ") is \"" << cell->tag << "\", grid "
                                             << GridAt(c, r) << ", text \"" << cell->GetText() << "\" in "
                                             << cell->textColor << " on " << cell->backColor << ", painted "
                                             << cell->backPainted << "; expected ship " << k;
    }

    ::testing::AssertionResult Shown(int k, bool shown)
    {
        const bool onScreen = IsWindowVisible(Picture(k)->handle) != FALSE;
        if (Picture(k)->visible == shown && onScreen == shown)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "picture " << k << ": visible " << Picture(k)->visible
                                             << ", window visible " << onScreen;
    }

    void ExpectChoiceChangesNothing(TorUtility::SubMenu* item, const char* why)
    {
        const std::vector<std::string> names = PlayerNames();
        const Grid grid = Game().playerGrid;
        Choose(item);
        EXPECT_EQ(PlayerNames(), names) << why;
        EXPECT_EQ(Game().playerGrid, grid) << why;
        EXPECT_EQ(Game().pendingShip, nullptr) << why;
    }

    // The background of a player cell as the screen shows it once pending paints are done.
    COLORREF ShownColour(int c, int r)
    {
        TestSupport::PumpMessages();
        RedrawWindow(Game().handle, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return PixelOf(Game().PlayerCell(c, r)->handle, 2, 2);
    }
};

TEST_F(PlacementTest, DraggedPictureTrailsTheMouseOnlyInsideItsBand)
{
    MouseAt(300, 200);
    Tick();
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(PositionOf(Picture(k)), Home(k)) << "nothing is dragged yet";

    Press(Picture(4));
    ASSERT_EQ(Game().draggedShip, Picture(4));
    EXPECT_TRUE(Game().tickTimer->running);
    struct Step {
        int x, y;
        Spot expected;
    };
    const Step steps[] = {
        {1, 51, {11, 61}},      {639, 479, {649, 489}}, {300, 200, {310, 210}}, {0, 200, {310, 210}},
        {640, 200, {310, 210}}, {300, 50, {310, 210}},  {300, 480, {310, 210}}, {-5, -5, {310, 210}},
    };
    for (const Step& step : steps) {
        MouseAt(step.x, step.y);
        Tick();
        EXPECT_EQ(PositionOf(Picture(4)), step.expected) << "mouse at " << step.x << "," << step.y;
    }
    for (int k = 0; k < 9; ++k)
        EXPECT_TRUE(k == 4 || PositionOf(Picture(k)) == Home(k)) << "picture " << k << " stays at home";
}

// GetCursorInfo fails, for instance, while another desktop has the input. The picture must then
// stay put wherever the window is, also when its client area begins left of and above the
// screen, where the (-1,-1) the read gives would otherwise land inside the band.
TEST_F(PlacementTest, UnreadableMouseLeavesTheDraggedPictureWhereItIs)
{
    Press(Picture(0));
    MouseAt(200, 150);
    Tick();
    ASSERT_EQ(PositionOf(Picture(0)), Spot(210, 160));

    seams.cursorReadable = false;
    Tick();
    EXPECT_EQ(PositionOf(Picture(0)), Spot(210, 160));

    SetWindowPos(Game().handle, nullptr, -300, -200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    TestSupport::PumpMessages();
    POINT origin{0, 0};
    ClientToScreen(Game().handle, &origin);
    // Screen point (-1,-1) is now client point (-1 - origin.x, -1 - origin.y), inside the band.
    ASSERT_LE(origin.x, -2);
    ASSERT_LE(origin.y, -52);
    Tick(3);
    EXPECT_EQ(PositionOf(Picture(0)), Spot(210, 160));
    EXPECT_EQ(Game().draggedShip, Picture(0));

    seams.cursorReadable = true;
    MouseAt(100, 100);
    Tick();
    EXPECT_EQ(PositionOf(Picture(0)), Spot(110, 110)) << "the drag goes on once the mouse can be read";
}

TEST_F(PlacementTest, DropThatFitsOneWayOnlyPlacesTheShipAtOnce)
{
    Press(Picture(6));
    MouseAt(200, 100);
    Tick();
    Press(Game().PlayerCell(8, 1));

    for (int r = 1; r <= 4; ++r)
        EXPECT_TRUE(HoldsShip(8, r, 6));
    EXPECT_EQ(ShipCells(), 4);
    EXPECT_TRUE(IsWater(8, 5));
    EXPECT_TRUE(IsWater(9, 1));
    EXPECT_EQ(ShownColour(8, 4), shipBlue);
    EXPECT_EQ(PositionOf(Picture(6)), Home(6));
    EXPECT_TRUE(Shown(6, false));
    EXPECT_EQ(Game().draggedShip, nullptr);
    EXPECT_TRUE(Game().tickTimer->running);
    EXPECT_TRUE(log.Matches({}));

    MouseAt(300, 200);
    Tick();
    EXPECT_EQ(PositionOf(Picture(6)), Home(6)) << "a placed ship no longer follows the mouse";
}

// While a box is open over the game, the mouse moves over the box: a dragged picture stays where
// it was, and follows the mouse again once the box has closed.
TEST_F(PlacementTest, DraggedPictureStaysPutBehindABoxAndFollowsAgainAfterIt)
{
    static decltype(this) test;
    test = this;
    const auto movesBehind = [](HWND, LPCSTR, LPCSTR caption, UINT) -> int {
        const Spot before = PositionOf(test->Picture(0));
        test->MouseAt(250, 250);
        test->Tick(3);
        log.Record(std::string("behind ") + caption + (PositionOf(test->Picture(0)) == before ? ": stays" : ": moved"));
        return IDNO;
    };
    TorUtility::platform.messageBox = movesBehind;
    Press(Picture(0));
    MouseAt(100, 100);
    Tick();
    ASSERT_EQ(PositionOf(Picture(0)), Spot(110, 110));

    Click(Game().startButton);
    Choose(Game().exitItem);
    EXPECT_TRUE(log.Matches({"behind Attenzione: stays", "behind Uscita: stays"}));
    MouseAt(120, 130);
    Tick();
    EXPECT_EQ(PositionOf(Picture(0)), Spot(130, 140)) << "after the boxes";

    Click(Game().infoButton);
    ASSERT_NE(Game().aboutBox, nullptr);
    MouseAt(250, 250);
    Tick(3);
    EXPECT_EQ(PositionOf(Picture(0)), Spot(130, 140)) << "behind the about box";
    SendMessageW(Game().aboutBox->handle, WM_CLOSE, 0, 0);
    TestSupport::PumpMessages();
    Tick();
    EXPECT_EQ(PositionOf(Picture(0)), Spot(260, 260)) << "after the about box";
}

TEST_F(PlacementTest, DropsThatFitNeitherWayBeepAndTheDragGoesOn)
{
    PlaceShip(3, 5, 3); // (5,3) to (7,3)
    ASSERT_TRUE(HoldsShip(7, 3, 3));
    const std::vector<std::string> names = PlayerNames();
    const Grid grid = Game().playerGrid;

    struct Drop {
        int k, c, r;
        const char* why;
    };
    const Drop drops[] = {
        {0, 10, 10, "a two-cell ship runs off the board both ways"},
        {6, 8, 8, "a four-cell ship runs off the board both ways"},
        {0, 6, 3, "on a cell of a placed ship"},
        {0, 5, 3, "on the first cell of a placed ship"},
        {4, 4, 2, "right along the ship's top, down beside its first cell"},
        {5, 6, 2, "the down run crosses the ship, the right run lies along its top"},
        {1, 8, 3, "the right run meets the ship end to end, the down run lies beside its end"},
    };
    for (const Drop& drop : drops) {
        log.Clear();
        Press(Picture(drop.k));
        MouseAt(150, 150);
        Tick();
        Press(Game().PlayerCell(drop.c, drop.r));
        EXPECT_EQ(Game().draggedShip, Picture(drop.k)) << drop.why;
        EXPECT_TRUE(Shown(drop.k, true)) << drop.why;
        EXPECT_EQ(PositionOf(Picture(drop.k)), Spot(160, 160)) << drop.why;
        EXPECT_EQ(PlayerNames(), names) << drop.why;
        EXPECT_EQ(Game().playerGrid, grid) << drop.why;
        EXPECT_TRUE(Game().tickTimer->running) << drop.why;
        MouseAt(170, 170);
        Tick();
        EXPECT_EQ(PositionOf(Picture(drop.k)), Spot(180, 180)) << drop.why << ": still dragged";
        Press(&Game(), 600, 60);
        EXPECT_TRUE(log.Matches({refusal})) << drop.why;
    }
}

TEST_F(PlacementTest, EdgeContactOneWayLeavesTheOtherAndCornerContactIsAllowed)
{
    PlaceShip(0, 5, 3);       // (5,3) and (6,3)
    PlaceShip(1, 5, 7, true); // (5,7) and (5,8)
    ASSERT_EQ(ShipCells(), 4);
    log.Clear();

    // Right from (3,2) the run would lie on the first ship's top edge at (5,2).
    Press(Picture(3));
    Press(Game().PlayerCell(3, 2));
    for (int r = 2; r <= 4; ++r)
        EXPECT_TRUE(HoldsShip(3, r, 3));

    // Down from (4,5) the run would lie beside the second ship at (4,7); across, it meets the
    // ship just placed at a corner only.
    Press(Picture(4));
    Press(Game().PlayerCell(4, 5));
    for (int c = 4; c <= 6; ++c)
        EXPECT_TRUE(HoldsShip(c, 5, 4));
    EXPECT_TRUE(log.Matches({}));

    // (7,6) meets the last ship at its corner (6,5) only: both ways stay open.
    PlaceShip(2, 7, 6, true);
    EXPECT_TRUE(log.Matches({OrientationPopup(seams.cursor)}));
    EXPECT_TRUE(HoldsShip(7, 6, 2));
    EXPECT_TRUE(HoldsShip(7, 7, 2));

    // Right from (6,9), the only way that stays on the board, meets the second ship's corner (5,8).
    PlaceShip(5, 6, 9);
    for (int c = 6; c <= 8; ++c)
        EXPECT_TRUE(HoldsShip(c, 9, 5));
    EXPECT_EQ(ShipCells(), 15);
    EXPECT_TRUE(log.Matches({OrientationPopup(seams.cursor)}));
}

TEST_F(PlacementTest, DropThatFitsBothWaysAsksAndADismissalLeavesEverythingAsItWas)
{
    PlaceShip(0, 1, 1);
    Press(Picture(4));
    MouseAt(80, 180);
    Tick();
    const POINT mouse = seams.cursor;
    const std::vector<std::string> names = PlayerNames();
    const Grid grid = Game().playerGrid;
    fixturePopup = TorUtility::platform.trackPopupMenu;
    TorUtility::platform.trackPopupMenu = PopupNotingTicks;
    log.Clear();
    Press(Game().PlayerCell(2, 5));
    TorUtility::platform.trackPopupMenu = fixturePopup;

    EXPECT_FALSE(ticksDuringPopup) << "the ticks wait while the player chooses";
    EXPECT_TRUE(Game().tickTimer->running);
    EXPECT_EQ(Game().pendingShip, Picture(4));
    EXPECT_EQ(Game().pendingLength, 3);
    EXPECT_EQ(Game().pendingRow, 5);
    EXPECT_EQ(Game().pendingColumn, 2);
    EXPECT_EQ(Game().draggedShip, nullptr);
    EXPECT_EQ(PositionOf(Picture(4)), Home(4));
    EXPECT_TRUE(Shown(4, true));
    EXPECT_EQ(PlayerNames(), names);
    EXPECT_EQ(Game().playerGrid, grid);

    MouseAt(300, 200);
    Tick();
    EXPECT_EQ(PositionOf(Picture(4)), Home(4)) << "the picture is no longer dragged";

    Click(Game().startButton);
    EXPECT_TRUE(log.Matches({OrientationPopup(mouse), "box Attenzione: Devi prima posizionare le navi nella tua area. "
                                                      "(MB_OK|MB_TASKMODAL, over Tiremola, running)"}));
    EXPECT_FALSE(Game().playing);
}

TEST_F(PlacementTest, ChoiceFromThePopupPlacesTheShipThatWay)
{
    PlaceShip(3, 2, 2, false);
    PlaceShip(7, 7, 4, true);

    EXPECT_TRUE(log.Matches({OrientationPopup(seams.cursor), OrientationPopup(seams.cursor)}));
    for (int c = 2; c <= 4; ++c)
        EXPECT_TRUE(HoldsShip(c, 2, 3));
    for (int r = 4; r <= 7; ++r)
        EXPECT_TRUE(HoldsShip(7, r, 7));
    EXPECT_EQ(ShipCells(), 7);
    for (int k : {3, 7}) {
        EXPECT_EQ(PositionOf(Picture(k)), Home(k));
        EXPECT_TRUE(Shown(k, false));
    }
    EXPECT_EQ(ShownColour(7, 7), shipBlue);
    EXPECT_EQ(Game().draggedShip, nullptr);
    EXPECT_TRUE(Game().tickTimer->running);
}

// A choice reaches the game as a menu command. Only the one that answers the popup places the
// ship: a repeated one, or one left over from a dismissed popup once the ship or the board has
// moved on, changes nothing.
TEST_F(PlacementTest, OnlyTheChoiceThatAnswersThePopupPlacesTheShip)
{
    PlaceShip(3, 2, 2);
    ExpectChoiceChangesNothing(Game().verticalItem, "the same popup answered twice");
    ExpectChoiceChangesNothing(Game().horizontalItem, "the same popup answered a third time");

    Press(Picture(4));
    Press(Game().PlayerCell(2, 6));
    ASSERT_EQ(Game().pendingShip, Picture(4));
    Press(Picture(4));
    Press(Game().PlayerCell(9, 1)); // fits only downwards, and is placed at once
    ASSERT_TRUE(HoldsShip(9, 3, 4));
    ExpectChoiceChangesNothing(Game().horizontalItem, "the ship was placed elsewhere since");
    EXPECT_TRUE(Shown(4, false));

    Press(Picture(5));
    Press(Game().PlayerCell(2, 6));
    ASSERT_EQ(Game().pendingShip, Picture(5));
    Press(Picture(5));
    ExpectChoiceChangesNothing(Game().verticalItem, "the ship is being dragged again");
    EXPECT_EQ(Game().draggedShip, Picture(5));
    EXPECT_TRUE(Shown(5, true));
    Press(&Game(), 600, 60);

    Press(Picture(6));
    Press(Game().PlayerCell(7, 6));
    ASSERT_EQ(Game().pendingShip, Picture(6));
    Press(Picture(1));
    Press(Game().PlayerCell(10, 7)); // (10,7) and (10,8), below the across run's last cell
    ASSERT_TRUE(HoldsShip(10, 8, 1));
    ExpectChoiceChangesNothing(Game().horizontalItem, "a ship now lies along the run");
    EXPECT_TRUE(Shown(6, true));

    EXPECT_TRUE(log.Matches(std::vector<TestSupport::Expected>(4, OrientationPopup(seams.cursor))));
}

TEST_F(PlacementTest, PressingAnyCellOfAPlacedShipPicksUpTheWholeShip)
{
    PlaceShip(0, 6, 4); // meets the ship across at a corner only, and stays where it is
    // From the third column or row, and from the board's first.
    for (const auto& run : {std::pair{false, 3}, std::pair{true, 3}, std::pair{false, 1}, std::pair{true, 1}}) {
        const bool vertical = run.first;
        const int start = run.second;
        for (int i = 0; i < 3; ++i) {
            const std::string where = std::string(vertical ? "down" : "across") + " from " + std::to_string(start) +
                                      ", cell " + std::to_string(i);
            PlaceShip(3, vertical ? 3 : start, vertical ? start : 3, vertical);
            auto cellAt = [&](int j) { return vertical ? Spot(3, start + j) : Spot(start + j, 3); };
            for (int j = 0; j < 3; ++j)
                ASSERT_TRUE(HoldsShip(cellAt(j).first, cellAt(j).second, 3)) << where;

            Press(Game().PlayerCell(cellAt(i).first, cellAt(i).second));
            for (int j = 0; j < 3; ++j)
                EXPECT_TRUE(IsWater(cellAt(j).first, cellAt(j).second)) << where;
            EXPECT_EQ(ShownColour(cellAt(i).first, cellAt(i).second), water) << where;
            EXPECT_TRUE(HoldsShip(6, 4, 0)) << where;
            EXPECT_TRUE(HoldsShip(7, 4, 0)) << where;
            EXPECT_EQ(ShipCells(), 2) << where;
            EXPECT_EQ(Game().draggedShip, Picture(3)) << where;
            EXPECT_TRUE(Shown(3, true)) << where;
            EXPECT_TRUE(Game().tickTimer->running) << where;

            MouseAt(250 + i, 120);
            Tick();
            EXPECT_EQ(PositionOf(Picture(3)), Spot(260 + i, 130)) << where;
            Press(&Game(), 600, 60);
        }
    }
    EXPECT_TRUE(log.Only("beep").Matches({}));
}

// A press that follows the last one on the same cell within the double-click time reaches the
// cell as a double-click; it still drops the ship it has just picked up.
TEST_F(PlacementTest, AQuickSecondPressOnTheSameCellCountsAsAPress)
{
    PlaceShip(3, 3, 3);
    Press(Game().PlayerCell(3, 3));
    ASSERT_EQ(Game().draggedShip, Picture(3));
    TestSupport::popups.choice = Game().horizontalItem->id;
    SendMessageW(Game().PlayerCell(3, 3)->handle, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(Game().PlayerCell(3, 3)->handle, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    TestSupport::PumpMessages();
    TestSupport::popups.choice = 0;
    for (int c = 3; c < 6; ++c)
        EXPECT_TRUE(HoldsShip(c, 3, 3)) << c;
    EXPECT_EQ(Game().draggedShip, nullptr);
}

TEST_F(PlacementTest, PressesWhileDraggingSendThePictureHome)
{
    Press(Picture(2));
    MouseAt(200, 200);
    Tick();
    ASSERT_EQ(PositionOf(Picture(2)), Spot(210, 210));

    Press(&Game(), 600, 60);
    EXPECT_EQ(Game().draggedShip, nullptr) << "a press on the form's background";
    EXPECT_EQ(PositionOf(Picture(2)), Home(2));
    EXPECT_TRUE(Shown(2, true));
    EXPECT_TRUE(Game().tickTimer->running);
    MouseAt(220, 220);
    Tick();
    EXPECT_EQ(PositionOf(Picture(2)), Home(2));

    Press(Picture(2));
    Tick();
    ASSERT_EQ(PositionOf(Picture(2)), Spot(230, 230));
    Press(Picture(2));
    EXPECT_EQ(Game().draggedShip, Picture(2)) << "the dragged picture itself, picked up again";
    EXPECT_EQ(PositionOf(Picture(2)), Home(2));
    MouseAt(240, 240);
    Tick();
    EXPECT_EQ(PositionOf(Picture(2)), Spot(250, 250));

    Press(Picture(8));
    EXPECT_EQ(Game().draggedShip, Picture(8)) << "another picture";
    EXPECT_EQ(PositionOf(Picture(2)), Home(2));
    EXPECT_TRUE(Shown(2, true));
    MouseAt(100, 100);
    Tick();
    EXPECT_EQ(PositionOf(Picture(8)), Spot(110, 110));
    EXPECT_EQ(PositionOf(Picture(2)), Home(2));
    EXPECT_TRUE(Game().tickTimer->running);
    EXPECT_EQ(ShipCells(), 0);
}

TEST_F(PlacementTest, ResetPlayerBoardClearsAPlacedFleetAndBringsEveryPictureHome)
{
    PlaceFleet();
    EXPECT_EQ(ShipCells(), 27);
    for (int k = 0; k < 9; ++k)
        EXPECT_TRUE(Shown(k, false));
    Game().statusBar->SetEnabled(true);
    Game().statusBar->SetText("Colpisci la nave nemica. Clicca sull'area nemica.");

    Game().ResetPlayerBoard();
    for (int r = 1; r <= 10; ++r)
        for (int c = 1; c <= 10; ++c)
            EXPECT_TRUE(IsWater(c, r));
    EXPECT_EQ(ShownColour(1, 1), water);
    EXPECT_EQ(ShipCells(), 0);
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(PositionOf(Picture(k)), Home(k));
        EXPECT_TRUE(Shown(k, true));
    }
    EXPECT_EQ(Game().statusBar->GetText(), "");
    EXPECT_FALSE(IsWindowEnabled(Game().statusBar->handle));
}

TEST_F(PlacementTest, PressesOffThePlayersBoardDoNothingWhilePlacing)
{
    PlaceShip(0, 1, 1);
    const std::vector<std::string> names = PlayerNames();
    const std::vector<std::string> enemyBefore = EnemyCells();
    log.Clear();

    for (bool dragging : {false, true}) {
        if (dragging) {
            Press(Picture(5));
            MouseAt(100, 100);
            Tick();
        }
        CellControl* const presses[] = {Game().EnemyCell(1, 1), Game().EnemyCell(6, 4), Game().EnemyCell(10, 10),
                                        Game().playerCells[0], Game().playerCells[3],
                                        Game().playerCells[static_cast<std::size_t>(4 * 11)],
                                        Game().enemyCells[7]};
        for (CellControl* cell : presses)
            Press(cell);
        EXPECT_EQ(Game().draggedShip, dragging ? Picture(5) : nullptr);
        if (dragging) {
            EXPECT_EQ(PositionOf(Picture(5)), Spot(110, 110));
        }
        EXPECT_EQ(PlayerNames(), names);
        EXPECT_EQ(ShipCells(), 2);
        EXPECT_EQ(EnemyCells(), enemyBefore);
    }
    EXPECT_TRUE(log.Matches({}));
    EXPECT_FALSE(Game().playing);
}

TEST_F(PlacementTest, DuringAMatchPicturesAndThePlayersBoardTakeNoPressesButTheDragStepRuns)
{
    PlaceFleet();
    Click(Game().startButton);
    ASSERT_TRUE(Game().playing);
    const std::vector<std::string> names = PlayerNames();
    log.Clear();

    Press(Picture(0));
    EXPECT_EQ(Game().draggedShip, nullptr);
    Press(Game().PlayerCell(1, 1));
    Press(Game().PlayerCell(10, 10));
    EXPECT_EQ(PlayerNames(), names);
    EXPECT_EQ(ShipCells(), 27);
    EXPECT_EQ(Game().draggedShip, nullptr);
    EXPECT_TRUE(log.Matches({}));
    for (int k = 0; k < 9; ++k)
        EXPECT_TRUE(Shown(k, false));

    // A picture left dragged still follows the mouse on every tick of the match.
    Game().draggedShip = Picture(0);
    MouseAt(300, 200);
    Tick();
    EXPECT_EQ(PositionOf(Picture(0)), Spot(310, 210));
    MouseAt(320, 220);
    Tick();
    EXPECT_EQ(PositionOf(Picture(0)), Spot(330, 230));
}

}
