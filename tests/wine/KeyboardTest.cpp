// The game played by keys alone, as sequence tables: each key the player presses, and what must
// follow it, in order: the game's handlers as they are called, every move of the keyboard focus
// and of a ship picture, and the beeps, sounds, boxes and popups the platform is asked for.
#include "GameFixture.h"

#include "ElementRegistry.h"
#include "Palette.h"

#include <map>

using namespace MyGame;
using GameTest::seams;
using TestSupport::Expected;
using TestSupport::log;

namespace {

// The real game, noting each call of the handlers a key may lead to before it runs.
class NotingGame : public FormMain {
public:
    using FormMain::FormMain;

    void OnCellPressed(CellControl* cell) override
    {
        log.Record("press " + Name(cell));
        FormMain::OnCellPressed(cell);
    }

    void OnFormPressed(std::int32_t px, std::int32_t py) override
    {
        log.Record("background");
        FormMain::OnFormPressed(px, py);
    }

    void OnButtonClicked(TorUtility::Button* button) override
    {
        log.Record("button " + button->GetText());
        FormMain::OnButtonClicked(button);
    }

    void OnMenuCommand(TorUtility::SubMenu* item) override
    {
        log.Record("menu " + TorUtility::ToNarrow(item->text));
        FormMain::OnMenuCommand(item);
    }

    // A cell as a player reads it: "mine C3", "enemy C3", "ship 4"; anything else by its text.
    static std::string Name(TorUtility::GUIElement* element)
    {
        auto* cell = dynamic_cast<CellControl*>(element);
        if (!cell || cell->tag.empty())
            return element ? element->GetText() : "nothing";
        const CellName name = ReadCellName(cell->tag);
        if (name.kind == ShipPictureKind)
            return "ship " + std::to_string(name.PictureNumber());
        return std::string(name.kind == PlayerCellKind ? "mine " : "enemy ") + static_cast<char>('A' + name.column - 1) +
               std::to_string(name.row);
    }
};

class KeyboardTest : public GameTest::GameTest {
protected:
    std::unique_ptr<FormMain> MakeGame() override
    {
        return std::make_unique<NotingGame>(GetModuleHandleW(nullptr), "Tiremola");
    }

    void SetUp() override
    {
        GameTest::SetUp();
        SetForegroundWindow(Game().handle);
        TestSupport::PumpMessages();
        NoteWhereThingsAre();
        log.Clear();
    }

    // A key as the platform delivers it to the window with the focus (the game's own window when
    // nothing in it has the focus): down, its character for the keys that make one, up. Then the
    // focus and the pictures are noted where they moved.
    void Key(UINT key, bool shift = false)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        HWND target = GetFocus();
        if (target != Game().handle && !IsChild(Game().handle, target))
            target = Game().handle;
        SendMessageW(target, WM_KEYDOWN, key, 1);
        if (key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE)
            SendMessageW(target, WM_CHAR, key, 1);
        SendMessageW(target, WM_KEYUP, key, 0xC0000001);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        TestSupport::PumpMessages();
        NoteWhereThingsAre();
    }

    // What the mouse or a test did before is noted, so that the table that follows begins afresh.
    void Settle()
    {
        TestSupport::PumpMessages();
        NoteWhereThingsAre();
        log.Clear();
    }

    // Presses the keys one after the other and compares what followed with the table.
    ::testing::AssertionResult Keys(std::initializer_list<UINT> keys, const std::vector<Expected>& expected)
    {
        log.Clear();
        for (UINT key : keys)
            Key(key);
        return log.Matches(expected);
    }

    void NoteWhereThingsAre()
    {
        HWND focus = GetFocus();
        if (focus != lastFocus) {
            lastFocus = focus;
            TorUtility::GUIElement* focused = focus == Game().handle ? nullptr : TorUtility::ElementRegistry::LastWithHandle(focus);
            log.Record("focus " + (focus == Game().handle ? std::string("game") : NotingGame::Name(focused)));
        }
        for (int k = 0; k < 9; ++k) {
            CellControl* picture = Game().shipPictures[static_cast<std::size_t>(k)];
            const POINT at = picture->GetPosition();
            const std::string where = std::to_string(at.x) + "," + std::to_string(at.y) +
                                      (IsWindowVisible(picture->handle) ? "" : " hidden");
            if (pictureAt[k] != where) {
                if (!pictureAt[k].empty())
                    log.Record("ship " + std::to_string(k) + " at " + where);
                pictureAt[k] = where;
            }
        }
    }

    // The orientation popup as the log names it, at the bottom-left corner of the player's cell
    // (c, r) on the screen: the cell's window is 23 logical pixels square, its top-left corner at
    // (10 + 23 c, 67 + 23 r) in the client area, and at 100 % a logical pixel is a device pixel.
    std::string PopupAtCell(int c, int r) const
    {
        POINT corner{10 + 23 * c, 67 + 23 * (r + 1)};
        ClientToScreen(form->handle, &corner);
        return OrientationPopup(corner);
    }

    // Where a ship dragged by keys stands over the player's cell (c, r): ten pixels right of and
    // below the cell's top-left corner.
    static std::string DraggedOver(int k, int c, int r)
    {
        return "ship " + std::to_string(k) + " at " + std::to_string(20 + 23 * c) + "," + std::to_string(77 + 23 * r);
    }

    static std::string Home(int k) { return "ship " + std::to_string(k) + " at " + std::to_string(15 + 69 * k) + ",335"; }
    static std::string Hidden(int k) { return Home(k) + " hidden"; }

    HWND lastFocus = nullptr;
    std::map<int, std::string> pictureAt;
};

// Tab goes forward and Shift+Tab back, wrapping, through the start button, "Info", "Chiudi", the
// player's board, the computer's board and the tray; the tray only while placing and while it
// shows a picture.
TEST_F(KeyboardTest, TabVisitsTheButtonsTheBoardsAndTheTrayInReadingOrder)
{
    const std::vector<Expected> withTray = {"focus Inizia", "focus Info",  "focus Chiudi", "focus mine A1",
                                            "focus enemy A1", "focus ship 0", "focus Inizia"};
    EXPECT_TRUE(Keys({VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB}, withTray)) << "placing";
    log.Clear();
    for (int i = 0; i < 4; ++i)
        Key(VK_TAB, true);
    EXPECT_TRUE(log.Matches({"focus ship 0", "focus enemy A1", "focus mine A1", "focus Chiudi"})) << "backwards";

    // Ship 0 on the board: the tray's stop is its first picture still shown.
    PlaceShip(0, 1, 1);
    Settle();
    EXPECT_TRUE(Keys({VK_TAB, VK_TAB, VK_TAB}, {"focus mine A1", "focus enemy A1", "focus ship 1"})) << "ship 0 placed";

    // The last ship placed by the mouse while the keyboard's focus rests on its picture: the focus
    // leaves the picture that is hidden for the player's board.
    form->ResetPlayerBoard();
    PlaceFleet();
    Settle();
    ASSERT_EQ(GetFocus(), static_cast<HWND>(Game().PlayerCell(1, 1)->handle));
    EXPECT_TRUE(Keys({VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB},
                     {"focus enemy A1", "focus Inizia", "focus Info", "focus Chiudi", "focus mine A1", "focus enemy A1"}))
        << "every ship placed";
    for (int i = 0; i < 4; ++i)
        Key(VK_TAB, true);
    EXPECT_TRUE(Keys({VK_RETURN}, {"button Inizia"}));
    ASSERT_TRUE(Game().playing);
    // The start button reads as the state says.
    const auto withoutTray = [](const std::string& start) {
        return std::vector<Expected>{"focus Info",   "focus Chiudi", "focus mine A1", "focus enemy A1",
                                     "focus " + start, "focus Info"};
    };
    EXPECT_TRUE(Keys({VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB}, withoutTray("Abbandona"))) << "playing";
    Key(VK_TAB, true);

    // The match won: every ship cell of the computer hit.
    for (CellControl* cell : Game().enemyCells)
        if (cell->tag.starts_with("areanemica;1;"))
            Press(cell);
    ASSERT_TRUE(Game().matchOver);
    Settle();
    EXPECT_TRUE(Keys({VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB}, withoutTray("Nuova"))) << "over";
}

// A board is one stop with a focused cell inside it: arrows move one cell and stop at the edges,
// Home and End go to the row's ends, Page Up and Page Down to the column's; coming back by Tab
// finds the cell focused last. In the tray, Left and Right go among the pictures still shown.
TEST_F(KeyboardTest, ArrowsHomeEndAndPageKeysMoveInsideABoardAndTheTray)
{
    Key(VK_TAB);
    Key(VK_TAB);
    Key(VK_TAB);
    Key(VK_TAB);
    EXPECT_TRUE(Keys({VK_LEFT, VK_UP, VK_HOME, VK_PRIOR, VK_RIGHT, VK_END, VK_RIGHT, VK_DOWN, VK_NEXT, VK_DOWN,
                      VK_RIGHT, VK_HOME, VK_LEFT, VK_NEXT, VK_PRIOR, VK_UP},
                     {"focus mine B1", "focus mine J1", "focus mine J2", "focus mine J10", "focus mine A10",
                      "focus mine A1"}))
        << "the player's board, every edge and corner";
    EXPECT_TRUE(Keys({VK_RIGHT, VK_DOWN, VK_DOWN, VK_TAB, VK_END, VK_NEXT, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB,
                      VK_TAB},
                     {"focus mine B1", "focus mine B2", "focus mine B3", "focus enemy A1", "focus enemy J1",
                      "focus enemy J10", "focus ship 0", "focus Inizia", "focus Info", "focus Chiudi", "focus mine B3",
                      "focus enemy J10"}))
        << "each board keeps the cell focused last";

    PlaceShip(1, 1, 1);
    PlaceShip(8, 10, 1, true);
    Key(VK_TAB);
    EXPECT_TRUE(Keys({VK_LEFT, VK_RIGHT, VK_RIGHT, VK_UP, VK_HOME, VK_END, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT,
                      VK_RIGHT, VK_RIGHT, VK_LEFT},
                     {"focus ship 2", "focus ship 3", "focus ship 4", "focus ship 5", "focus ship 6", "focus ship 7",
                      "focus ship 6"}))
        << "the tray skips the pictures placed and stops at its ends";
}

// Enter or Space on a cell is a press on it: a picture becomes the dragged ship and the focus goes
// to the player's board, with the picture over the focused cell; drops fitting one way, both ways
// (the popup at the cell), neither way, on a ship; a pick-up; Escape puts the ship back.
TEST_F(KeyboardTest, EnterAndSpacePressWhatHasTheFocusWhilePlacing)
{
    for (int i = 0; i < 6; ++i)
        Key(VK_TAB);
    ASSERT_EQ(GetFocus(), static_cast<HWND>(Game().shipPictures[0]->handle));
    TestSupport::popups.choice = Game().verticalItem->id;
    EXPECT_TRUE(Keys({VK_RETURN}, {"press ship 0", "focus mine A1", DraggedOver(0, 1, 1)})) << "picked from the tray";
    EXPECT_TRUE(Keys({VK_RIGHT, VK_DOWN}, {"focus mine B1", DraggedOver(0, 2, 1), "focus mine B2", DraggedOver(0, 2, 2)}))
        << "the picture follows the focus";
    EXPECT_TRUE(Keys({VK_SPACE}, {"press mine B2", PopupAtCell(2, 2), "menu Posizionamento verticale", Hidden(0)}))
        << "fits both ways: the popup opens at the cell, and chooses";
    EXPECT_EQ(Game().PlayerCell(2, 3)->GetText(), "1");
    TestSupport::popups.choice = 0;

    Key(VK_TAB);
    Key(VK_TAB);
    ASSERT_EQ(GetFocus(), static_cast<HWND>(Game().shipPictures[1]->handle)) << "the tray's stop moved on";
    EXPECT_TRUE(Keys({VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RETURN},
                     {"focus ship 2", "focus ship 3", "focus ship 4", "focus ship 5", "focus ship 6", "press ship 6",
                      "focus mine B2", DraggedOver(6, 2, 2)}));
    EXPECT_TRUE(Keys({VK_RETURN}, {"press mine B2", "beep 0xFFFFFFFF (running)"})) << "on a ship";
    EXPECT_TRUE(Keys({VK_NEXT, VK_END, VK_RETURN}, {"focus mine B10", DraggedOver(6, 2, 10), "focus mine J10",
                                                    DraggedOver(6, 10, 10), "press mine J10", "beep 0xFFFFFFFF (running)"}))
        << "fits neither way";
    EXPECT_TRUE(Keys({VK_PRIOR, VK_LEFT, VK_LEFT, VK_RETURN},
                     {"focus mine J1", DraggedOver(6, 10, 1), "focus mine I1", DraggedOver(6, 9, 1), "focus mine H1",
                      DraggedOver(6, 8, 1), "press mine H1", Hidden(6)}))
        << "fits one way only: placed at once";
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(Game().PlayerCell(8, r)->GetText(), "7") << r;

    EXPECT_TRUE(Keys({VK_DOWN, VK_DOWN, VK_RETURN}, {"focus mine H2", "focus mine H3", "press mine H3",
                                                     DraggedOver(6, 8, 3)}))
        << "a placed ship picked up again";
    EXPECT_EQ(Game().PlayerCell(8, 1)->GetText(), "");
    EXPECT_TRUE(Keys({VK_ESCAPE}, {"background", "focus ship 6", Home(6)})) << "Escape sends it home";
    EXPECT_EQ(Game().draggedShip, nullptr);
    EXPECT_TRUE(Keys({VK_ESCAPE, VK_HOME, VK_END}, {})) << "Escape with nothing dragged, and Home in the tray";
}

// During a match Enter fires at the focused cell of the computer's board, with the mouse's rules,
// sounds and texts; on the player's board and outside the player's turn it does nothing.
TEST_F(KeyboardTest, EnterFiresAtTheComputersBoardDuringAMatch)
{
    PlaceFleet();
    Click(Game().startButton);
    ASSERT_TRUE(Game().playing);
    for (int i = 0; i < 5; ++i)
        Key(VK_TAB);
    ASSERT_EQ(GetFocus(), static_cast<HWND>(Game().EnemyCell(1, 1)->handle));
    CellControl* ship = nullptr;
    CellControl* water = nullptr;
    for (int r = 1; r <= 10; ++r)
        for (int c = 1; c <= 10; ++c) {
            CellControl* cell = Game().EnemyCell(c, r);
            if (!ship && cell->tag.starts_with("areanemica;1;") && c > 1)
                ship = cell;
            if (!water && cell->tag.starts_with("areanemica;0;") && c > 1)
                water = cell;
        }
    ASSERT_TRUE(ship && water);
    const auto moveTo = [&](CellControl* cell) {
        const CellName name = ReadCellName(cell->tag);
        Key(VK_HOME);
        Key(VK_PRIOR);
        for (int c = 1; c < name.column; ++c)
            Key(VK_RIGHT);
        for (int r = 1; r < name.row; ++r)
            Key(VK_DOWN);
    };
    moveTo(ship);
    const std::string target = NotingGame::Name(ship);
    EXPECT_TRUE(Keys({VK_RETURN}, {"press " + target, "sound 1013 (held)"})) << "a hit";
    EXPECT_EQ(ship->GetText(), "#");
    EXPECT_TRUE(Keys({VK_SPACE}, {"press " + target, "beep 0xFFFFFFFF (running)"})) << "a cell shot already";
    EXPECT_TRUE(Game().playerTurn) << "the turn stays with the player";
    moveTo(water);
    EXPECT_TRUE(Keys({VK_RETURN}, {"press " + NotingGame::Name(water), "sound 1014 (held)"})) << "a miss";
    EXPECT_FALSE(Game().playerTurn);
    EXPECT_TRUE(Keys({VK_RETURN}, {"press " + NotingGame::Name(water)})) << "the computer's turn: nothing";
    Key(VK_TAB, true);
    EXPECT_TRUE(Keys({VK_RETURN}, {"press mine A1"})) << "the player's board is the computer's to shoot at";
}

// A ship dragged by keys stays over the focused cell while the mouse rests, wherever it rests;
// the moment the mouse moves, the picture follows the mouse again and no longer the focus.
TEST_F(KeyboardTest, TheMouseTakesOverAKeyboardDragTheMomentItMoves)
{
    MouseAt(500, 20);
    for (int i = 0; i < 6; ++i)
        Key(VK_TAB);
    EXPECT_TRUE(Keys({VK_RETURN}, {"press ship 0", "focus mine A1", DraggedOver(0, 1, 1)}));
    Tick(3);
    NoteWhereThingsAre();
    EXPECT_TRUE(Keys({VK_RIGHT}, {"focus mine B1", DraggedOver(0, 2, 1)})) << "the mouse at rest leaves it to the keys";
    log.Clear();
    MouseAt(300, 200);
    Tick();
    NoteWhereThingsAre();
    EXPECT_TRUE(log.Matches({"ship 0 at 310,210"})) << "the mouse moved";
    EXPECT_TRUE(Keys({VK_RIGHT, VK_DOWN}, {"focus mine C1", "focus mine C2"})) << "the focus moves alone now";
    Tick();
    NoteWhereThingsAre();
    EXPECT_EQ(Game().shipPictures[0]->GetPosition().x, 310);
}

}
