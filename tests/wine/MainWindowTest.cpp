#include "GameFixture.h"

#include "ElementRegistry.h"
#include "FormAbout.h"
#include "Image.h"
#include "Menu.h"
#include "Palette.h"
#include "PanelChildren.h"
#include "Product.h"
#include "resource.h"

#include <algorithm>
#include <map>
#include <vector>

using namespace MyGame;
using GameTest::seams;
using TestSupport::Canvas;
using TestSupport::PixelOf;
using TestSupport::PumpMessages;

namespace {

using MainWindowTest = GameTest::GameTest;

// The captions of a platform menu's entries, in order.
std::vector<std::string> Captions(HMENU menu)
{
    std::vector<std::string> captions;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t caption[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), caption, 256, MF_BYPOSITION);
        captions.push_back(TorUtility::ToNarrow(caption));
    }
    return captions;
}

// What a cell shows and is called, to tell whether anything about it changed.
struct CellState {
    std::string name;
    std::int32_t backColor;
    bool backPainted;
    std::string text;
    std::int32_t textColor;

    bool operator==(const CellState&) const = default;
};

CellState StateOf(CellControl* cell)
{
    return CellState{cell->tag, cell->backColor, cell->backPainted, cell->GetText(), cell->textColor};
}

void PrintTo(const CellState& state, std::ostream* out)
{
    *out << "{\"" << state.name << "\", back " << std::hex << state.backColor << (state.backPainted ? " painted" : "")
         << ", \"" << state.text << "\" in " << state.textColor << std::dec << "}";
}

// Whether two 64 x 50 pictures hold the same pixels.
bool SamePixels(HBITMAP a, HBITMAP b)
{
    Canvas left(64, 50, RGB(0, 0, 0));
    Canvas right(64, 50, RGB(0, 0, 0));
    for (auto [canvas, picture] : {std::pair{&left, a}, std::pair{&right, b}}) {
        HDC source = CreateCompatibleDC(nullptr);
        HGDIOBJ previous = SelectObject(source, picture);
        BitBlt(canvas->dc, 0, 0, 64, 50, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 64; ++x)
            if (left.Pixel(x, y) != right.Pixel(x, y))
                return false;
    return true;
}

// Paints a window and its children now, as the screen would show them.
void PaintNow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// Paint messages per window, sent (UpdateWindow) or fetched from the queue.
std::map<HWND, int> paintsOf;

LRESULT CALLBACK CountSentPaint(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_PAINT)
        ++paintsOf[sent->hwnd];
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CountFetchedPaint(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* fetched = reinterpret_cast<const MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && fetched->message == WM_PAINT)
        ++paintsOf[fetched->hwnd];
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Refuses to make a form's window, as the platform may when it runs out of resources.
LRESULT CALLBACK RefuseForms(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && TestSupport::ClassNameOf(reinterpret_cast<HWND>(wParam)).starts_with(L"Window"))
        return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK CollectShown(HWND window, LPARAM windows)
{
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

TEST_F(MainWindowTest, ClientAreaIsFixedAt640By400WithAMinimizeBoxOnly)
{
    RECT client{};
    GetClientRect(Game().handle, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 400);
    const auto style = static_cast<DWORD>(GetWindowLongW(Game().handle, GWL_STYLE));
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    ASSERT_NE(Game().iconHandle, nullptr);
    EXPECT_EQ(SendMessageW(Game().handle, WM_GETICON, ICON_SMALL, 0), reinterpret_cast<LRESULT>(Game().iconHandle))
        << "the title bar shows the game's icon";
}

TEST_F(MainWindowTest, BoardsStartAtTheirCornersWithCellsOf23Pixels)
{
    for (auto [board, left] : {std::pair{&Game().playerCells, 10}, std::pair{&Game().enemyCells, 375}}) {
        for (int r = 0; r < 11; ++r) {
            for (int c = 0; c < 11; ++c) {
                CellControl* cell = (*board)[static_cast<std::size_t>(r * 11 + c)];
                const POINT at = cell->GetPosition();
                ASSERT_EQ(at.x, left + 23 * c) << r << "," << c;
                ASSERT_EQ(at.y, 67 + 23 * r) << r << "," << c;
                RECT outer{};
                GetWindowRect(cell->handle, &outer);
                ASSERT_EQ(outer.right - outer.left, 23);
                ASSERT_EQ(outer.bottom - outer.top, 23);
            }
        }
    }
}

TEST_F(MainWindowTest, HeaderCellsShowLettersAndNumbersAndTakeNoPresses)
{
    EXPECT_EQ(Game().playerCells[0]->GetText(), "@");
    for (int c = 1; c <= 10; ++c) {
        EXPECT_EQ(Game().playerCells[static_cast<std::size_t>(c)]->GetText(), std::string(1, static_cast<char>('A' + c - 1)));
        EXPECT_EQ(Game().enemyCells[static_cast<std::size_t>(c * 11)]->GetText(), std::to_string(c));
    }
    for (int i = 0; i < 11; ++i)
        for (CellControl* header : {Game().playerCells[static_cast<std::size_t>(i)],
                                    Game().enemyCells[static_cast<std::size_t>(i * 11)]}) {
            EXPECT_TRUE(header->tag.empty());
            EXPECT_EQ(header->onLeftDown, nullptr);
            EXPECT_EQ(header->backColor, static_cast<std::int32_t>(headerGrey));
        }
}

TEST_F(MainWindowTest, CellsAndPicturesCarryTheirNames)
{
    for (int r = 1; r <= 10; ++r) {
        for (int c = 1; c <= 10; ++c) {
            const std::string position = std::to_string(c) + ";" + std::to_string(r);
            EXPECT_EQ(Game().PlayerCell(c, r)->tag, "myarea;0;" + position + ";-1");
            EXPECT_EQ(Game().EnemyCell(c, r)->tag, "areanemica;0;" + position + ";-1");
        }
    }
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(Game().shipPictures[static_cast<std::size_t>(k)]->tag, "drag;" + std::to_string(k));
}

TEST_F(MainWindowTest, ShipPicturesWaitInTheTrayAtTheirHomes)
{
    ASSERT_EQ(Game().shipHomes.size(), 9u);
    for (int k = 0; k < 9; ++k) {
        CellControl* picture = Game().shipPictures[static_cast<std::size_t>(k)];
        const POINT at = picture->GetPosition();
        EXPECT_EQ(at.x, 15 + 69 * k);
        EXPECT_EQ(at.y, 335);
        EXPECT_EQ(Game().shipHomes[static_cast<std::size_t>(k)].x, at.x);
        EXPECT_TRUE(picture->visible);
        EXPECT_TRUE(IsWindowVisible(picture->handle));
    }
    EXPECT_EQ(Game().shipPictures[8]->GetPosition().x + 64, 631);

    // Each picture shows the ship of its length: the tray holds its ships shortest first.
    const int pictureIds[] = {IDB_SHIP2, IDB_SHIP3, IDB_SHIP4};
    for (int k = 0; k < 9; ++k) {
        const int length = MyGame::ShipLength(k);
        ASSERT_GE(length, 2);
        ASSERT_LE(length, 4);
        TestSupport::Owned<HBITMAP> expected(static_cast<HBITMAP>(LoadImageW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(pictureIds[length - 2]), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        EXPECT_TRUE(SamePixels(Game().shipPictures[static_cast<std::size_t>(k)]->picture, expected))
            << "picture " << k << " shows a ship of " << length;
    }
}

TEST_F(MainWindowTest, CountersStatusLineAndButtonsStartAsTheGameBegins)
{
    EXPECT_EQ(Game().playerCounter->GetText(), "0");
    EXPECT_EQ(Game().enemyCounter->GetText(), "0");
    EXPECT_EQ(Game().statusBar->GetText(), "");
    EXPECT_FALSE(IsWindowEnabled(Game().statusBar->handle));
    EXPECT_EQ(Game().startButton->GetText(), "Inizia");
    EXPECT_EQ(Game().infoButton->GetText(), "Info");
    EXPECT_EQ(Game().closeButton->GetText(), "Chiudi");
    EXPECT_TRUE(Game().tickTimer->running);

    struct Place {
        TorUtility::GUIElement* element;
        RECT box;
    };
    for (const Place& place :
         {Place{Game().startButton, {265, 15, 365, 55}}, Place{Game().infoButton, {420, 15, 520, 55}},
          Place{Game().closeButton, {530, 15, 630, 55}}, Place{Game().playerPicture, {270, 67, 369, 154}},
          Place{Game().enemyPicture, {270, 217, 369, 304}}, Place{Game().playerCounter, {270, 167, 300, 189}},
          Place{Game().enemyCounter, {339, 167, 369, 189}}, Place{Game().statusBar, {10, 330, 630, 390}}}) {
        RECT box{};
        GetWindowRect(place.element->handle, &box);
        MapWindowPoints(nullptr, Game().handle, reinterpret_cast<POINT*>(&box), 2);
        EXPECT_EQ(box, place.box) << place.element->typeName << " " << place.element->id;
    }
}

TEST_F(MainWindowTest, ScreenShowsTheGamesColours)
{
    PumpMessages();
    PaintNow(Game().handle);
    EXPECT_EQ(PixelOf(Game().handle, 250, 5), formBackground);
    EXPECT_EQ(PixelOf(Game().playerCells[1]->handle, 12, 12), headerGrey) << "a header cell, away from its letter";
    EXPECT_EQ(PixelOf(Game().PlayerCell(5, 5)->handle, 10, 10), water);
    EXPECT_EQ(PixelOf(Game().startButton->handle, 4, 4), hitRed) << "the start button's owner-drawn face";
}

TEST_F(MainWindowTest, MenuBarHoldsFileAndHelpAndThePlacementChoicesStayOffIt)
{
    HMENU bar = GetMenu(Game().handle);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(Captions(bar), (std::vector<std::string>{"&File", "&?"}));
    HMENU file = GetSubMenu(bar, 0);
    HMENU help = GetSubMenu(bar, 1);
    EXPECT_EQ(Captions(file), (std::vector<std::string>{"&Esci"}));
    EXPECT_EQ(Captions(help), (std::vector<std::string>{"&Guida", "&Home"}));
    // The entries carry the identifiers their items answer to when chosen.
    EXPECT_EQ(GetMenuItemID(file, 0), static_cast<UINT>(Game().exitItem->id));
    EXPECT_EQ(GetMenuItemID(help, 0), static_cast<UINT>(Game().guideItem->id));
    EXPECT_EQ(GetMenuItemID(help, 1), static_cast<UINT>(Game().homeItem->id));

    EXPECT_EQ(Game().placementMenu->GetText(), "&Posizionamento");
    EXPECT_FALSE(Game().placementMenu->created);
    EXPECT_EQ(Game().placementMenu->menuHandle, nullptr);
    TorUtility::ShowPopup(Game().placementMenu, &Game(), 0, 0);
    EXPECT_TRUE(TestSupport::log.Matches({OrientationPopup(POINT{0, 0})}));
}

TEST_F(MainWindowTest, PlayerCellTakesItsShipsNameGridEntryAndLookAndGivesThemBack)
{
    CellControl* cell = Game().PlayerCell(3, 4);
    std::int32_t& entry = Game().playerGrid[(4 - 1) * 10 + (3 - 1)];
    const int shipId = Game().shipPictures[5]->id;

    Game().SetPlayerCell(3, 4, "myarea", true, shipId);
    EXPECT_EQ(cell->tag, "myarea;1;3;4;" + std::to_string(shipId));
    EXPECT_EQ(entry, 1);
    EXPECT_EQ(cell->backColor, static_cast<std::int32_t>(shipBlue));
    EXPECT_EQ(cell->textColor, static_cast<std::int32_t>(white));
    EXPECT_EQ(cell->GetText(), "6") << "the sixth picture of the tray";
    PaintNow(cell->handle);
    auto shown = Canvas::Capture(cell->handle);
    EXPECT_EQ(shown->Pixel(2, 2), shipBlue);
    // The fill leaves the last column and row to the white class background: look inside them.
    EXPECT_GT(shown->Count(white, RECT{0, 0, shown->width - 1, shown->height - 1}), 0) << "the number is white";

    Game().SetPlayerCell(3, 4, "myarea", true, 0x7FFF);
    EXPECT_EQ(cell->GetText(), "1") << "a ship without a picture counts as the first";
    EXPECT_EQ(cell->tag, "myarea;1;3;4;32767");

    Game().SetPlayerCell(3, 4, "myarea", false, shipId);
    EXPECT_EQ(cell->tag, "myarea;0;3;4;-1");
    EXPECT_EQ(entry, 0);
    EXPECT_EQ(cell->GetText(), "");
    EXPECT_EQ(cell->textColor, static_cast<std::int32_t>(black));
    EXPECT_FALSE(cell->backPainted);
    PaintNow(cell->handle);
    shown = Canvas::Capture(cell->handle);
    EXPECT_EQ(shown->Count(water), shown->width * shown->height) << "water again, all of it";
}

TEST_F(MainWindowTest, EmptyPrefixKeepsTheOneTheCellsNameAlreadyHas)
{
    const int shipId = Game().shipPictures[0]->id;
    const std::string id = std::to_string(shipId);
    Game().SetPlayerCell(2, 9, "", true, shipId);
    EXPECT_EQ(Game().PlayerCell(2, 9)->tag, "myarea;1;2;9;" + id);

    Game().PlayerCell(7, 1)->tag = "altrove;0;7;1;-1";
    Game().SetPlayerCell(7, 1, "", true, shipId);
    EXPECT_EQ(Game().PlayerCell(7, 1)->tag, "altrove;1;7;1;" + id);
    Game().SetPlayerCell(7, 1, "", false, -1);
    EXPECT_EQ(Game().PlayerCell(7, 1)->tag, "altrove;0;7;1;-1");
}

TEST(MainWindowModel, AnyShipLeftWhileASingleCellOfTheGridIsNonZero)
{
    Grid grid{};
    EXPECT_FALSE(FormMain::AnyShipLeft(grid));
    for (std::size_t i = 0; i < grid.size(); ++i) {
        grid.fill(0);
        grid[i] = 1;
        EXPECT_TRUE(FormMain::AnyShipLeft(grid)) << "ship cell " << i;
    }
}

TEST_F(MainWindowTest, CountersShowTheCellsLeftNegated)
{
    const struct {
        std::int32_t player, enemy;
        const char* playerShown;
        const char* enemyShown;
    } cases[] = {{27, 0, "-27", "0"}, {0, 5, "0", "-5"}};
    for (const auto& c : cases) {
        Game().playerCellsLeft = c.player;
        Game().enemyCellsLeft = c.enemy;
        Game().UpdateCounters();
        EXPECT_EQ(Game().playerCounter->GetText(), c.playerShown);
        EXPECT_EQ(Game().enemyCounter->GetText(), c.enemyShown);
    }
}

TEST_F(MainWindowTest, RevealingTheEnemyFleetPaintsOnlyItsUnhitCellsRed)
{
    Game().PlaceComputerFleet();
    Grid& grid = Game().enemyGrid;
    // Two ship cells already hit, the way a shot leaves them, and one unhit cell with a text.
    std::vector<std::size_t> ships;
    for (std::size_t i = 0; i < grid.size(); ++i)
        if (grid[i] != 0)
            ships.push_back(i);
    ASSERT_EQ(ships.size(), 27u);
    auto cellAt = [&](std::size_t i) {
        return Game().EnemyCell(static_cast<int>(i % 10) + 1, static_cast<int>(i / 10) + 1);
    };
    auto states = [&] {
        std::vector<CellState> all;
        for (std::size_t i = 0; i < grid.size(); ++i)
            all.push_back(StateOf(cellAt(i)));
        return all;
    };
    for (std::size_t i : {ships[0], ships[1]}) {
        grid[i] = 0;
        cellAt(i)->SetBackColor(static_cast<std::int32_t>(hitRed));
        cellAt(i)->ChangeTextColor(static_cast<std::int32_t>(white));
        cellAt(i)->SetText("#");
    }
    cellAt(ships[2])->SetText("?");
    std::vector<CellState> before = states();

    Game().RevealFleet(grid, Game().enemyCells);
    for (std::size_t i = 0; i < grid.size(); ++i) {
        CellState expected = before[i];
        if (grid[i] != 0) {
            expected.backColor = static_cast<std::int32_t>(hitRed);
            expected.backPainted = true;
        }
        EXPECT_EQ(StateOf(cellAt(i)), expected) << "cell " << i;
    }
    PaintNow(cellAt(ships[3])->handle);
    EXPECT_EQ(PixelOf(cellAt(ships[3])->handle, 2, 2), hitRed);

    // After a won match nothing is left to show.
    grid.fill(0);
    before = states();
    Game().RevealFleet(grid, Game().enemyCells);
    EXPECT_EQ(states(), before);
}

TEST_F(MainWindowTest, ControlsAreColouredGreenAndTheStartButtonRedEachWithAFreshBrush)
{
    struct Request {
        TorUtility::GUIElement* control;
        COLORREF background;
        COLORREF ink;
    };
    const Request requests[] = {{Game().startButton, hitRed, white},
                                {Game().infoButton, controlGreen, black},
                                {Game().statusBar, controlGreen, black},
                                {Game().startButton, hitRed, white}};
    HBRUSH previous = nullptr;
    for (const Request& request : requests) {
        HDC dc = GetDC(request.control->handle);
        SetBkColor(dc, RGB(1, 2, 3));
        SetTextColor(dc, RGB(4, 5, 6));
        HBRUSH brush = Game().ColorChild(dc);
        EXPECT_EQ(GetBkColor(dc), request.background);
        EXPECT_EQ(GetTextColor(dc), request.ink);
        ReleaseDC(request.control->handle, dc);
        LOGBRUSH description{};
        ASSERT_TRUE(GetObjectW(brush, sizeof description, &description));
        EXPECT_EQ(description.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(description.lbColor, request.background);
        EXPECT_EQ(brush, Game().controlBrush);
        if (previous) {
            EXPECT_EQ(GetObjectType(previous), 0u) << "the brush of the previous request is freed";
        }
        previous = brush;
    }
}

// The window appears at its final size: nothing is painted before the client size is set and
// painted again after it.
TEST_F(MainWindowTest, EveryWindowOnScreenIsPaintedExactlyOnceAtStartUp)
{
    form.reset();
    paintsOf.clear();
    const DWORD thread = GetCurrentThreadId();
    HHOOK sent = SetWindowsHookExW(WH_CALLWNDPROC, CountSentPaint, nullptr, thread);
    HHOOK fetched = SetWindowsHookExW(WH_GETMESSAGE, CountFetchedPaint, nullptr, thread);
    form = std::make_unique<FormMain>(GetModuleHandleW(nullptr), "Tiremola");
    PumpMessages();
    UnhookWindowsHookEx(sent);
    UnhookWindowsHookEx(fetched);

    std::vector<HWND> shown{Game().handle};
    EnumChildWindows(Game().handle, CollectShown, reinterpret_cast<LPARAM>(&shown));
    // The form, 242 board cells, 9 ship pictures, 3 buttons, 3 images, 2 counters, the status line.
    EXPECT_EQ(shown.size(), 261u);
    for (HWND window : shown) {
        TorUtility::GUIElement* element = TorUtility::ElementRegistry::LastWithHandle(window);
        ASSERT_NE(element, nullptr);
        ASSERT_EQ(paintsOf[window], 1) << "the first window painted other than once: a " << element->typeName
                                       << " \"" << element->GetText() << "\" at " << element->GetPosition().x << ","
                                       << element->GetPosition().y;
    }
}

// Without its window the program tells the player and ends with a failure code, instead of
// waiting for ever, unseen, for messages that no window will get.
TEST_F(MainWindowTest, ProgramWhoseWindowCannotBeMadeSaysSoAndEnds)
{
    form.reset();
    HHOOK refusal = SetWindowsHookExW(WH_CBT, RefuseForms, nullptr, GetCurrentThreadId());
    int exitCode = 0;
    EXPECT_TRUE(TestSupport::EndsByItself([&exitCode] { exitCode = RunGame(GetModuleHandleW(nullptr)); }, 3000));
    UnhookWindowsHookEx(refusal);
    EXPECT_EQ(exitCode, 1);
    EXPECT_TRUE(TestSupport::log.Matches(
        {"box Tiremola: Impossibile aprire la finestra del gioco. (MB_OK|MB_ICONERROR|MB_TASKMODAL, over no window, held)"}));

    // The message loop of a form without a window, or whose window is gone without the quit
    // message that the first window's destruction posts, returns as well.
    TorUtility::Form windowless(GetModuleHandleW(nullptr));
    TorUtility::Form gone(GetModuleHandleW(nullptr));
    gone.Create();
    DestroyWindow(gone.handle);
    for (TorUtility::Form* mainForm : {&windowless, &gone})
        EXPECT_TRUE(TestSupport::EndsByItself([mainForm] { TorUtility::RunMessageLoop(mainForm); }, 3000));
}

TEST_F(MainWindowTest, FormBuiltAsTheProgramBuildsItIsTitledAndLeavesNothingBehind)
{
    form.reset();
    EXPECT_EQ(TorUtility::ElementRegistry::Count(), 0u);
    const std::int64_t before = TestSupport::OutstandingGdiObjects();

    form = std::make_unique<FormMain>(GetModuleHandleW(nullptr), std::string(productName) + " " + copyrightNotice);
    PumpMessages();
    wchar_t title[128] = {};
    GetWindowTextW(Game().handle, title, 128);
    EXPECT_STREQ(title, L"Tiremola \u00A9 2026 tiremola.test");

    // Everything that makes GDI objects runs once: painting, control colours, the about box.
    PaintNow(Game().handle);
    Game().OpenAboutBox();
    PaintNow(Game().aboutBox->handle);
    PumpMessages();

    // Each form and panel registers a window class of its own, and a class with a background
    // colour is given a brush made for it. The classes are unregistered with their elements, and
    // the system deletes a class's brush with the class, so the program never deletes those
    // brushes itself. They are the form's own class, the 2 x 121 cells of the boards, the status
    // line and the nine ship pictures; the counters and the about box paint on the system's
    // button face.
    std::vector<HBRUSH> classBrushes;
    for (TorUtility::GUIElement* element : TorUtility::ElementRegistry::Elements()) {
        const bool ownClass =
            dynamic_cast<TorUtility::Form*>(element) || dynamic_cast<TorUtility::PanelChildren*>(element);
        if (!ownClass || !element->created)
            continue;
        const auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(element->handle, GCLP_HBRBACKGROUND));
        if (brush && brush != GetSysColorBrush(COLOR_BTNFACE))
            classBrushes.push_back(brush);
    }
    EXPECT_EQ(classBrushes.size(), 1u + 2 * 121 + 1 + 9);

    form.reset();
    PumpMessages();
    EXPECT_EQ(TorUtility::ElementRegistry::Count(), 0u);
    EXPECT_EQ(TestSupport::OutstandingGdiObjects() - before, static_cast<std::int64_t>(classBrushes.size()));
    const auto stillThere = std::count_if(classBrushes.begin(), classBrushes.end(),
                                          [](HBRUSH brush) { return GetObjectType(brush) != 0; });
    EXPECT_EQ(stillThere, 0) << "brushes of classes that were never unregistered";
}

}
