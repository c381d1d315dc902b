// What a screen reader is told about the game: every element's description in each state of a
// match, the objects the platform hands a reader for them, and the events it hears, in order.
#include "GameFixture.h"

#include "Accessible.h"
#include "Palette.h"

#include <oleacc.h>

#include <vector>

using namespace MyGame;
using TestSupport::log;
using TorUtility::Description;
using TorUtility::DescribeForReader;
using TorUtility::ToNarrow;

namespace {

// A description as one line: role, name, value, state and default action.
std::string Spoken(TorUtility::GUIElement* element)
{
    const Description d = DescribeForReader(element);
    return std::to_string(d.role) + " | " + ToNarrow(d.name) + " | " + ToNarrow(d.value) + " | " +
           TestSupport::Hex(static_cast<unsigned>(d.state)) + " | " + ToNarrow(d.action);
}

std::string Cell(const std::string& name, const std::string& word, unsigned state = STATE_SYSTEM_FOCUSABLE)
{
    return std::to_string(ROLE_SYSTEM_CELL) + " | " + name + ", " + word + " | " + word + " | " +
           TestSupport::Hex(state) + " | Premi";
}

std::string Picture(int number, int length, unsigned state = STATE_SYSTEM_FOCUSABLE)
{
    return std::to_string(ROLE_SYSTEM_PUSHBUTTON) + " | Nave " + std::to_string(number) + " da " +
           std::to_string(length) + " caselle |  | " + TestSupport::Hex(state) + " | Prendi";
}

std::string Button(const std::string& caption)
{
    return std::to_string(ROLE_SYSTEM_PUSHBUTTON) + " | " + caption + " |  | " +
           TestSupport::Hex(STATE_SYSTEM_FOCUSABLE) + " | Premi";
}

std::string Text(const std::string& name, unsigned state = 0)
{
    return std::to_string(ROLE_SYSTEM_STATICTEXT) + " | " + name + " |  | " + TestSupport::Hex(state) + " | ";
}

std::string Status(const std::string& text, unsigned state)
{
    return std::to_string(ROLE_SYSTEM_STATUSBAR) + " | " + text + " |  | " + TestSupport::Hex(state) + " | ";
}

// The events of the game's windows as an out-of-process reader hears them, named by kind and the
// name of the object each one names.
struct Heard {
    DWORD kind;
    HWND window;
    LONG child;
};
std::vector<Heard> heard;

void CALLBACK Hear(HWINEVENTHOOK, DWORD kind, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    if (object == OBJID_CLIENT)
        heard.push_back({kind, window, child});
}

IAccessible* ObjectOf(HWND window)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

VARIANT Child(LONG id)
{
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

std::string NameOf(IAccessible* object, LONG child = CHILDID_SELF)
{
    BSTR name = nullptr;
    if (!object || FAILED(object->get_accName(Child(child), &name)))
        return "(none)";
    std::string text = name ? ToNarrow(name) : std::string();
    SysFreeString(name);
    return text;
}

class AccessibleTest : public GameTest::GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        heard.clear();
    }

    void TearDown() override
    {
        StopHearing();
        GameTest::TearDown();
        CoUninitialize();
    }

    void StartHearing()
    {
        hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, Hear, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
        ASSERT_TRUE(hook);
        TestSupport::PumpMessages();
        heard.clear();
    }

    void StopHearing()
    {
        if (hook)
            UnhookWinEvent(hook);
        hook = nullptr;
    }

    // The events heard since the last call, each as "kind: name", the name read from the object the
    // event names, as a reader reads it once the event reaches it.
    std::vector<std::string> Events()
    {
        TestSupport::PumpMessages();
        std::vector<std::string> out;
        for (const Heard& event : heard) {
            const char* kind = event.kind == EVENT_SYSTEM_ALERT         ? "alert"
                               : event.kind == EVENT_OBJECT_NAMECHANGE  ? "name"
                               : event.kind == EVENT_OBJECT_STATECHANGE ? "state"
                               : event.kind == EVENT_OBJECT_FOCUS       ? "focus"
                                                                        : nullptr;
            if (!kind)
                continue;
            IAccessible* object = nullptr;
            VARIANT child;
            VariantInit(&child);
            std::string name = "(none)";
            if (SUCCEEDED(AccessibleObjectFromEvent(event.window, static_cast<DWORD>(OBJID_CLIENT), event.child,
                                                    &object, &child)) &&
                object) {
                name = NameOf(object, child.vt == VT_I4 ? child.lVal : CHILDID_SELF);
                object->Release();
            }
            out.push_back(std::string(kind) + ": " + name);
        }
        heard.clear();
        return out;
    }

    void StartMatch()
    {
        PlaceFleet();
        Click(Game().startButton);
    }

    // An enemy cell of the wanted kind, the first in reading order.
    CellControl* EnemyCell(bool ship)
    {
        for (int r = 1; r <= BoardSide; ++r)
            for (int c = 1; c <= BoardSide; ++c)
                if (ReadCellName(Game().EnemyCell(c, r)->tag).HasShip() == ship)
                    return Game().EnemyCell(c, r);
        return nullptr;
    }

    HWINEVENTHOOK hook = nullptr;
};

TEST_F(AccessibleTest, EveryElementSaysWhatItShowsInEachStateOfAMatch)
{
    FormMain& game = Game();
    const unsigned hidden = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_INVISIBLE;
    const unsigned disabled = STATE_SYSTEM_UNAVAILABLE;
    struct Row {
        const char* state;
        TorUtility::GUIElement* element;
        std::string spoken;
    };
    std::vector<Row> rows = {
        {"placing", game.PlayerCell(1, 1), Cell("A1", "mare")},
        {"placing", game.PlayerCell(10, 10), Cell("J10", "mare")},
        {"placing", game.EnemyCell(2, 3), Cell("B3", "sconosciuta")},
        {"placing", game.shipPictures[0], Picture(1, 2)},
        {"placing", game.shipPictures[5], Picture(6, 3)},
        {"placing", game.shipPictures[8], Picture(9, 4)},
        {"placing", game.startButton, Button("Inizia")},
        {"placing", game.infoButton, Button("Info")},
        {"placing", game.closeButton, Button("Chiudi")},
        {"placing", game.playerCounter, Text("Tua flotta: 0 caselle intatte")},
        {"placing", game.enemyCounter, Text("Flotta nemica: 0 caselle intatte")},
        {"placing", game.statusBar, Status("", disabled)},
        {"placing", game.PlayerCell(0, 3), Text("3")},
    };
    const auto check = [&rows]() {
        for (const Row& row : rows)
            EXPECT_EQ(Spoken(row.element), row.spoken) << row.state;
        rows.clear();
    };
    check();

    Press(game.shipPictures[7]);
    rows = {{"dragging", game.shipPictures[7], Picture(8, 4)}};
    check();
    Press(game.PlayerCell(8, 2));
    rows = {{"placed", game.PlayerCell(8, 2), Cell("H2", "nave 8")},
            {"placed", game.PlayerCell(8, 5), Cell("H5", "nave 8")},
            {"placed", game.PlayerCell(8, 6), Cell("H6", "mare")},
            {"placed", game.shipPictures[7], Picture(8, 4, hidden)}};
    check();
    Press(game.PlayerCell(8, 3));
    rows = {{"picked up", game.PlayerCell(8, 2), Cell("H2", "mare")},
            {"picked up", game.shipPictures[7], Picture(8, 4)}};
    check();

    StartMatch();
    CellControl* ship = EnemyCell(true);
    CellControl* sea = EnemyCell(false);
    const CellName shipName = ReadCellName(ship->tag);
    const CellName seaName = ReadCellName(sea->tag);
    const std::string shipAt = CellCoordinates(shipName.column, shipName.row);
    const std::string seaAt = CellCoordinates(seaName.column, seaName.row);
    rows = {{"playing", game.startButton, Button("Abbandona")},
            {"playing", game.playerCounter, Text("Tua flotta: 27 caselle intatte")},
            {"playing", game.enemyCounter, Text("Flotta nemica: 27 caselle intatte")},
            {"playing", game.statusBar, Status("Colpisci la nave nemica. Clicca sull'area nemica.", 0)},
            {"playing", game.PlayerCell(1, 1), Cell("A1", "nave 1")},
            {"playing", ship, Cell(shipAt, "sconosciuta")}};
    check();
    Press(ship);
    rows = {{"hit", ship, Cell(shipAt, "colpita")},
            {"hit", game.enemyCounter, Text("Flotta nemica: 26 caselle intatte")},
            {"hit", game.statusBar, Status("Colpita la nave nemica. Tocca ancora a te..", 0)}};
    check();
    Press(sea);
    rows = {{"miss", sea, Cell(seaAt, "acqua")}};
    check();

    // The computer's fleet shown, as the end of a lost match shows it, where it was not hit.
    CellControl* unshot = nullptr;
    for (CellControl* candidate : game.enemyCells)
        if (!unshot && ReadCellName(candidate->tag).HasShip() && candidate->GetText().empty())
            unshot = candidate;
    ASSERT_TRUE(unshot);
    const CellName unshotName = ReadCellName(unshot->tag);
    game.RevealFleet(game.enemyGrid, game.enemyCells);
    rows = {{"revealed", unshot, Cell(CellCoordinates(unshotName.column, unshotName.row), "nave")},
            {"revealed", ship, Cell(shipAt, "colpita")},
            {"revealed", sea, Cell(seaAt, "acqua")}};
    check();

    // The computer's shots on the player's board, then the player's, to a win.
    while (!game.playerTurn)
        Tick(100);
    for (int r = 1; r <= BoardSide; ++r)
        for (int c = 1; c <= BoardSide; ++c) {
            const std::string shown = game.PlayerCell(c, r)->GetText();
            if (shown == "#" || shown == "X") {
                const std::string word = shown == "#" ? "colpita" : "acqua";
                EXPECT_EQ(Spoken(game.PlayerCell(c, r)), Cell(CellCoordinates(c, r), word));
            }
        }
    for (CellControl* cell : game.enemyCells)
        if (ReadCellName(cell->tag).HasShip() && cell->GetText().empty())
            Press(cell);
    ASSERT_TRUE(game.matchOver);
    rows = {{"over", game.startButton, Button("Nuova")},
            {"over", game.enemyCounter, Text("Flotta nemica: 0 caselle intatte")},
            {"over", game.statusBar, Status("Bravo.. hai vinto", 0)},
            {"over", unshot, Cell(CellCoordinates(unshotName.column, unshotName.row), "colpita")}};
    check();
}

// Nothing a reader can read tells where the computer's ships lie before the screen shows them: all
// hundred cells read the same, through the very objects a reader gets, before and after a hit.
TEST_F(AccessibleTest, TheEnemyBoardRevealsNoShipTheScreenDoesNotShow)
{
    StartMatch();
    const auto names = [this]() {
        std::vector<std::string> read;
        for (int r = 1; r <= BoardSide; ++r)
            for (int c = 1; c <= BoardSide; ++c) {
                IAccessible* object = ObjectOf(Game().EnemyCell(c, r)->handle);
                BSTR value = nullptr;
                std::string spoken = NameOf(object);
                if (object && SUCCEEDED(object->get_accValue(Child(CHILDID_SELF), &value)) && value)
                    spoken += " / " + ToNarrow(value);
                SysFreeString(value);
                if (object)
                    object->Release();
                read.push_back(spoken);
            }
        return read;
    };
    std::vector<std::string> expected;
    for (int r = 1; r <= BoardSide; ++r)
        for (int c = 1; c <= BoardSide; ++c)
            expected.push_back(CellCoordinates(c, r) + ", sconosciuta / sconosciuta");
    EXPECT_EQ(names(), expected);

    CellControl* ship = EnemyCell(true);
    const CellName at = ReadCellName(ship->tag);
    Press(ship);
    expected[static_cast<std::size_t>((at.row - 1) * BoardSide + at.column - 1)] =
        CellCoordinates(at.column, at.row) + ", colpita / colpita";
    EXPECT_EQ(names(), expected) << "only the cell shot at says what it holds";
}

// The object of a cell, its board's table, its place on the screen and what is left of it once the
// game has gone: a reader may hold an object long after its window closed.
TEST_F(AccessibleTest, ACellsObjectSitsInItsBoardsTableAndOutlivesItsWindowSafely)
{
    CellControl* cell = Game().EnemyCell(4, 2);
    IAccessible* object = ObjectOf(cell->handle);
    ASSERT_TRUE(object);
    EXPECT_EQ(NameOf(object), "D2, sconosciuta");
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(object->accLocation(&left, &top, &width, &height, Child(CHILDID_SELF)), S_OK);
    RECT box{};
    GetWindowRect(cell->handle, &box);
    EXPECT_EQ((std::vector<long>{left, top, width, height}),
              (std::vector<long>{box.left, box.top, box.right - box.left, box.bottom - box.top}));
    VARIANT found;
    VariantInit(&found);
    ASSERT_EQ(object->accHitTest(box.right - 1, box.bottom - 1, &found), S_OK);
    EXPECT_EQ(found.vt, VT_I4);

    IDispatch* above = nullptr;
    ASSERT_EQ(object->get_accParent(&above), S_OK);
    IAccessible* table = nullptr;
    ASSERT_TRUE(above);
    above->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&table));
    above->Release();
    ASSERT_TRUE(table);
    EXPECT_EQ(NameOf(table), "Area nemica");
    VARIANT role;
    VariantInit(&role);
    table->get_accRole(Child(CHILDID_SELF), &role);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_TABLE);
    long count = 0;
    table->get_accChildCount(&count);
    EXPECT_EQ(count, 100);
    for (auto [index, name] : {std::pair{1L, "A1, sconosciuta"}, std::pair{14L, "D2, sconosciuta"},
                               std::pair{100L, "J10, sconosciuta"}}) {
        IDispatch* below = nullptr;
        ASSERT_EQ(table->get_accChild(Child(index), &below), S_OK) << index;
        IAccessible* member = nullptr;
        below->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&member));
        below->Release();
        EXPECT_EQ(NameOf(member), name) << index;
        if (member)
            member->Release();
    }

    form.reset();
    BSTR name = nullptr;
    EXPECT_EQ(object->get_accName(Child(CHILDID_SELF), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(object->accDoDefaultAction(Child(CHILDID_SELF)), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(table->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    table->Release();
    object->Release();
}

// A reader's default action is the press the Enter key makes, run once the request has returned;
// with a box open over the game there is none, as there is no press.
TEST_F(AccessibleTest, ADefaultActionPressesOnceTheRequestHasReturned)
{
    FormMain& game = Game();
    IAccessible* picture = ObjectOf(game.shipPictures[2]->handle);
    ASSERT_TRUE(picture);
    ASSERT_EQ(picture->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    EXPECT_EQ(game.draggedShip, nullptr) << "not yet: the request returns first";
    TestSupport::PumpMessages();
    EXPECT_EQ(game.draggedShip, game.shipPictures[2]);
    EXPECT_EQ(GetFocus(), game.PlayerCell(1, 1)->handle) << "the ship goes to the player's board, as by Enter";
    picture->Release();

    IAccessible* cell = ObjectOf(game.PlayerCell(1, 1)->handle);
    ASSERT_TRUE(cell);
    EnableWindow(game.handle, FALSE);
    EXPECT_EQ(cell->accDoDefaultAction(Child(CHILDID_SELF)), E_FAIL);
    EnableWindow(game.handle, TRUE);
    TestSupport::popups.choice = game.horizontalItem->id;
    ASSERT_EQ(cell->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    TestSupport::PumpMessages();
    TestSupport::popups.choice = 0;
    EXPECT_EQ(Spoken(game.PlayerCell(1, 1)), Cell("A1", "nave 3", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED));

    ASSERT_EQ(cell->accSelect(SELFLAG_TAKEFOCUS, Child(CHILDID_SELF)), S_OK);
    IAccessible* other = ObjectOf(game.EnemyCell(5, 5)->handle);
    ASSERT_EQ(other->accSelect(SELFLAG_TAKEFOCUS, Child(CHILDID_SELF)), S_OK);
    EXPECT_EQ(GetFocus(), game.EnemyCell(5, 5)->handle);
    EXPECT_EQ(game.boardCursors[1], game.EnemyCell(5, 5)) << "Tab comes back to the cell the reader went to";
    other->Release();
    cell->Release();
}

// What happens is said as it happens: each announcement an object of its own, alert first, the
// names and states of what changed after.
TEST_F(AccessibleTest, EachChangeIsHeardAndEachAnnouncementReadsItsOwnText)
{
    FormMain& game = Game();
    StartHearing();
    Press(game.shipPictures[6]);
    Press(game.PlayerCell(1, 10));
    EXPECT_EQ(Events(), (std::vector<std::string>{"name: A10, nave 7", "name: B10, nave 7", "name: C10, nave 7",
                                                   "name: D10, nave 7", "alert: Nave 7 posizionata da A10 a D10.",
                                                   "name: Nave 7 posizionata da A10 a D10.",
                                                   "state: Nave 7 da 4 caselle"}));
    Press(game.shipPictures[0]);
    Press(game.PlayerCell(2, 10));
    EXPECT_EQ(Events(), (std::vector<std::string>{"alert: La nave non entra qui.", "name: La nave non entra qui."}));
    TestSupport::popups.choice = game.verticalItem->id;
    Press(game.shipPictures[0]);
    Press(game.PlayerCell(3, 1));
    EXPECT_EQ(Events(), (std::vector<std::string>{"name: C1, nave 1", "name: C2, nave 1",
                                                   "alert: Nave 1 posizionata da C1 a C2.",
                                                   "name: Nave 1 posizionata da C1 a C2.",
                                                   "state: Nave 1 da 2 caselle"}));

    // Read late, after many more, an announcement still has its own text; the oldest go.
    HWND status = game.statusBar->handle;
    for (int i = 0; i < 40; ++i)
        game.Announce("annuncio " + std::to_string(i));
    TestSupport::PumpMessages();
    std::vector<std::string> names;
    for (const Heard& event : heard)
        if (event.kind == EVENT_SYSTEM_ALERT) {
            IAccessible* object = ObjectOf(status);
            names.push_back(NameOf(object, event.child));
            object->Release();
        }
    heard.clear();
    ASSERT_EQ(names.size(), 40U);
    for (int i = 0; i < 8; ++i)
        EXPECT_NE(names[static_cast<std::size_t>(i)], "annuncio " + std::to_string(i)) << "no more than 32 are kept";
    for (int i = 8; i < 40; ++i)
        EXPECT_EQ(names[static_cast<std::size_t>(i)], "annuncio " + std::to_string(i));
    IAccessible* line = ObjectOf(status);
    long count = 0;
    line->get_accChildCount(&count);
    EXPECT_EQ(count, 32);
    EXPECT_EQ(NameOf(line), "") << "the status line keeps its own text as its name";
    line->Release();

}

// A match: the player's shot and the computer's aim and shot, with the cells they name.
TEST_F(AccessibleTest, TheShotsOfBothSidesAreSaidWithTheirCells)
{
    FormMain& game = Game();
    PlaceFleet();
    StartHearing();
    Click(game.startButton);
    Events();
    CellControl* sea = EnemyCell(false);
    const CellName at = ReadCellName(sea->tag);
    const std::string where = CellCoordinates(at.column, at.row);
    Press(sea);
    EXPECT_EQ(Events(), (std::vector<std::string>{"name: " + where + ", acqua", "name: Ora tocca al pc..",
                                                   "alert: Ora tocca al pc..", "name: Ora tocca al pc.."}));
    while (!aimPending)
        Tick(1);
    const std::string aimed = CellCoordinates(aimColumn + 1, aimRow + 1);
    const std::vector<std::string> aim = Events();
    EXPECT_EQ(aim, (std::vector<std::string>{"alert: Il computer mira a " + aimed + ".",
                                             "name: Il computer mira a " + aimed + "."}));
    const bool hit = aimIsHit;
    Tick(100);
    const std::vector<std::string> shot = Events();
    ASSERT_GE(shot.size(), 3U);
    EXPECT_EQ(shot[0], "alert: Il computer spara in " + aimed + (hit ? ": colpita." : ": acqua."));
    EXPECT_EQ(shot[1], "name: Il computer spara in " + aimed + (hit ? ": colpita." : ": acqua."));
}

}
