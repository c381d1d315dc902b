// The game at the display's scale. The test command runs this program once in each of several Wine
// prefixes, whose displays are set to 96, 120, 144 and 192 dots per inch; every expectation here
// is worked out from that scale with whole numbers, not with the toolkit's own conversions.
#include "GameFixture.h"

#include "Dpi.h"
#include "ElementRegistry.h"
#include "FormAbout.h"
#include "Image.h"
#include "Label.h"
#include "Palette.h"
#include "resource.h"

#include <map>
#include <vector>

using namespace MyGame;
using TestSupport::Canvas;
using TestSupport::PumpMessages;
using TorUtility::GUIElement;

namespace {

using DpiTest = GameTest::GameTest;

UINT DisplayDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

// A logical length in device pixels at this scale, halves rounded up.
int Scaled(int logical, UINT dpi)
{
    return (2 * logical * static_cast<int>(dpi) + 96) / 192;
}

RECT Scaled(const RECT& logical, UINT dpi)
{
    return RECT{Scaled(logical.left, dpi), Scaled(logical.top, dpi), Scaled(logical.right, dpi),
                Scaled(logical.bottom, dpi)};
}

// Where a window lies in its parent's client area.
RECT PlaceInParent(HWND window)
{
    RECT box{};
    GetWindowRect(window, &box);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&box), 2);
    return box;
}

SIZE ClientOf(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return SIZE{client.right, client.bottom};
}

SIZE BitmapSize(HBITMAP bitmap)
{
    BITMAP description{};
    GetObjectW(bitmap, sizeof description, &description);
    return SIZE{description.bmWidth, description.bmHeight};
}

void PaintNow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
}

// Tells a form the platform moved it to a monitor of this scale, suggesting its window scaled.
void MoveToScale(TorUtility::Form& form, UINT from, UINT to)
{
    RECT window{};
    GetWindowRect(form.handle, &window);
    RECT suggested{window.left, window.top, window.left + MulDiv(window.right - window.left, to, from),
                   window.top + MulDiv(window.bottom - window.top, to, from)};
    SendMessageW(form.handle, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
    PumpMessages();
}

// The client area and every element in it are their logical rectangles scaled by their edges;
// the pictures are their logical size scaled.
void ExpectLaidOutAt(FormMain& game, UINT dpi)
{
    const SIZE client = ClientOf(game.handle);
    EXPECT_EQ(client.cx, Scaled(640, dpi));
    EXPECT_EQ(client.cy, Scaled(400, dpi));
    int checked = 0;
    for (GUIElement* element : TorUtility::ElementRegistry::Elements()) {
        if (element->parent != &game || !element->created || !IsWindow(element->handle) ||
            dynamic_cast<TorUtility::Image*>(element))
            continue;
        const RECT logical{element->x, element->y, element->x + element->width, element->y + element->height};
        ASSERT_EQ(PlaceInParent(element->handle), Scaled(logical, dpi)) << element->typeName << " " << element->id;
        ++checked;
    }
    EXPECT_EQ(checked, 2 * 121 + 9 + 3 + 2 + 1 + 1) << "both boards, the tray, the buttons, the counters, the "
                                                      "status line and the timer's window";
    for (auto [image, width, height] : {std::tuple{game.logoImage, 200, 50}, std::tuple{game.playerPicture, 99, 87},
                                        std::tuple{game.enemyPicture, 99, 87}}) {
        const SIZE shown = BitmapSize(image->bitmap);
        // A picture is sized by its edges too, where it stands: no row or column of it is cut.
        const RECT expected = Scaled(RECT{image->x, image->y, image->x + width, image->y + height}, dpi);
        EXPECT_EQ(shown.cx, expected.right - expected.left);
        EXPECT_EQ(shown.cy, expected.bottom - expected.top);
        EXPECT_EQ(PlaceInParent(image->handle), expected);
    }
    LOGFONTW font{};
    GetObjectW(game.formFont->GetFont(dpi), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, Scaled(14, dpi));
}

TEST_F(DpiTest, TheWindowAndEveryElementAreTheirLogicalSizesScaled)
{
    const std::map<UINT, SIZE> clientAt{{96, {640, 400}}, {120, {800, 500}}, {144, {960, 600}}, {192, {1280, 800}}};
    const UINT dpi = DisplayDpi();
    ASSERT_TRUE(clientAt.count(dpi)) << "the test command sets one of these scales, not " << dpi;
    EXPECT_EQ(Game().dpi, dpi);
    EXPECT_EQ(ClientOf(Game().handle).cx, clientAt.at(dpi).cx);
    EXPECT_EQ(ClientOf(Game().handle).cy, clientAt.at(dpi).cy);
    ExpectLaidOutAt(Game(), dpi);
    const POINT logical = Game().statusBar->GetPosition();
    EXPECT_EQ(logical.x, 10) << "positions read back in logical pixels";
    EXPECT_EQ(logical.y, 330);
}

// A cell's mark stands where the scaled font puts it, centred in the scaled cell.
TEST_F(DpiTest, MarksAreWrittenInTheScaledFontCentredInTheirCells)
{
    const UINT dpi = DisplayDpi();
    CellControl* cell = Game().playerCells[3];
    PaintNow(Game().handle);
    const RECT ink = Canvas::Capture(cell->handle)->BoundsApartFrom(headerGrey);
    TestSupport::Owned<HFONT> font(CreateFontW(Scaled(14, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                               DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS,
                                               CLEARTYPE_QUALITY, 0, L"Lucida Console"));
    const TestSupport::TextInk letter = TestSupport::MeasureInk(font, L"C");
    TestSupport::Canvas probe(10, 10, RGB(255, 255, 255));
    HGDIOBJ previous = SelectObject(probe.dc, font);
    TEXTMETRICW metrics{};
    GetTextMetricsW(probe.dc, &metrics);
    SelectObject(probe.dc, previous);
    const SIZE side = ClientOf(cell->handle);
    EXPECT_EQ(ink.top, (side.cy - metrics.tmHeight) / 2 + letter.ink.top);
    EXPECT_EQ(ink.left, (side.cx - letter.advance) / 2 + letter.ink.left);
    EXPECT_EQ(ink.bottom - ink.top, letter.ink.bottom - letter.ink.top) << "the letter at the scaled height";
}

// A bitmap's pixels on a canvas of its size.
std::unique_ptr<Canvas> PixelsOf(HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    auto canvas = std::make_unique<Canvas>(size.cx, size.cy, white);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(canvas->dc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    return canvas;
}

int PixelsThatDiffer(const Canvas& a, const Canvas& b)
{
    int differing = 0;
    for (int y = 0; y < std::min(a.height, b.height); ++y)
        for (int x = 0; x < std::min(a.width, b.width); ++x)
            differing += a.Pixel(x, y) != b.Pixel(x, y);
    return differing;
}

// Above 100 % the pictures come from their large versions, and a ship never shows its black key.
TEST_F(DpiTest, PicturesAreDrawnAtTheScaleFromTheirLargeVersions)
{
    const UINT dpi = DisplayDpi();
    CellControl* picture = Game().shipPictures[8];
    PaintNow(Game().handle);
    const auto shown = Canvas::Capture(picture->handle);
    EXPECT_EQ(shown->Count(RGB(0, 0, 0)), 0);
    const RECT drawn = shown->BoundsApartFrom(white);
    EXPECT_LE(drawn.right - drawn.left, Scaled(64, dpi));
    EXPECT_GT(drawn.right - drawn.left, Scaled(64, dpi) * 3 / 4) << "the ship fills the scaled picture";
    if (dpi != 192)
        return;
    // Twice the size: the large pictures exactly as they are.
    const auto logo = PixelsOf(Game().logoImage->bitmap);
    for (auto [resource, onScreen] : {std::pair{IDB_SHIP4_2X, shown.get()}, std::pair{IDB_LOGO_2X, logo.get()}}) {
        TestSupport::Owned<HBITMAP> large(TorUtility::LoadPicture(GetModuleHandleW(nullptr), resource));
        const auto expected = PixelsOf(large);
        ASSERT_GE(onScreen->width, expected->width);
        EXPECT_EQ(PixelsThatDiffer(*onScreen, *expected), 0) << "picture " << resource;
    }
}

// The mouse is read in device pixels and handed on in logical ones: a picture dragged with the
// mouse trails it by ten logical pixels, and a press on a cell's device pixels drops it there.
TEST_F(DpiTest, DraggingAndPlacingFollowTheMouseInLogicalPixels)
{
    const UINT dpi = DisplayDpi();
    CellControl* picture = Game().shipPictures[0];
    SendMessageW(picture->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Scaled(5, dpi), Scaled(5, dpi)));
    PumpMessages();
    ASSERT_EQ(Game().draggedShip, picture);
    MouseAt(Scaled(200, dpi), Scaled(150, dpi));
    Tick();
    EXPECT_EQ(picture->GetPosition().x, 210);
    EXPECT_EQ(picture->GetPosition().y, 160);
    EXPECT_EQ(PlaceInParent(picture->handle).left, Scaled(210, dpi));

    CellControl* cell = Game().PlayerCell(10, 9);
    SendMessageW(cell->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Scaled(5, dpi), Scaled(5, dpi)));
    PumpMessages();
    EXPECT_EQ(cell->tag, "myarea;1;10;9;" + std::to_string(picture->id)) << "fits only downwards from there";
    EXPECT_EQ(Game().PlayerCell(10, 10)->tag, "myarea;1;10;10;" + std::to_string(picture->id));
}

// The computer's aim and the player's shot mark their cells at the scale.
TEST_F(DpiTest, ShotsAndTheComputersAimMarkTheScaledCells)
{
    PlaceFleet();
    Click(Game().startButton);
    CellControl* target = nullptr;
    for (int c = 1; c <= 10 && !target; ++c)
        for (int r = 1; r <= 10 && !target; ++r)
            if (Game().EnemyCell(c, r)->tag.starts_with("areanemica;0;"))
                target = Game().EnemyCell(c, r);
    ASSERT_NE(target, nullptr);
    Press(target);
    EXPECT_EQ(target->GetText(), "X");
    Tick(100);
    ASSERT_TRUE(aimPending);
    CellControl* aimed = Game().PlayerCell(aimColumn + 1, aimRow + 1);
    PaintNow(Game().handle);
    const SIZE side = ClientOf(aimed->handle);
    EXPECT_EQ(TestSupport::PixelOf(aimed->handle, side.cx / 2, side.cy - Scaled(3, DisplayDpi())), aimYellow);
}

// The about box is laid out at the scale, and its links answer presses in device pixels.
TEST_F(DpiTest, TheAboutBoxIsScaledAndItsLinksOpen)
{
    const UINT dpi = DisplayDpi();
    Click(Game().infoButton);
    TorUtility::FormAbout* box = Game().aboutBox;
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ClientOf(box->handle).cx, Scaled(600, dpi));
    EXPECT_EQ(ClientOf(box->handle).cy, Scaled(300, dpi));
    EXPECT_EQ(PlaceInParent(box->okButton->handle), Scaled(RECT{359, 250, 439, 275}, dpi));
    const SIZE about = BitmapSize(box->logo->bitmap);
    EXPECT_EQ(about.cx, Scaled(5 + 163, dpi) - Scaled(5, dpi)) << "the picture stands at (5, 5) in its frame";
    EXPECT_EQ(about.cy, Scaled(5 + 50, dpi) - Scaled(5, dpi));
    SendMessageW(box->mailLink->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Scaled(140, dpi), Scaled(20, dpi)));
    PumpMessages();
    EXPECT_TRUE(TestSupport::log.Matches({"shell open mailto:info@tiremola.test (SW_SHOW, over Tiremola)"}));
}

// A form takes the scale of the monitor its window is made on, whatever it assumed before.
TEST_F(DpiTest, AFormTakesItsWindowsScaleWhenTheWindowIsMade)
{
    TorUtility::Form form(GetModuleHandleW(nullptr));
    form.dpi = DisplayDpi() == 144 ? 96 : 144;
    form.Create();
    EXPECT_EQ(form.dpi, DisplayDpi());
}

// A panel scrolls its content by its logical positions scaled, and hears the mouse in logical
// pixels.
TEST_F(DpiTest, PanelsScrollAndHearTheMouseInLogicalPixels)
{
    const UINT dpi = DisplayDpi();
    TorUtility::PanelChildren panel(&Game());
    panel.x = 10;
    panel.y = 10;
    panel.width = 200;
    panel.height = 100;
    panel.verticalScroll = true;
    panel.Create();
    TorUtility::Label inside(&panel, "x");
    inside.x = 0;
    inside.y = 50;
    inside.Create();
    for (int step = 0; step < 3; ++step)
        SendMessageW(panel.handle, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(PlaceInParent(inside.handle).top, Scaled(50, dpi) - Scaled(3, dpi))
        << "three lines down moves the content by three logical pixels, scaled";

    panel.onLeftDown = [](GUIElement*, HWND, std::int32_t x, std::int32_t y) -> std::int32_t {
        return TestSupport::log.Record("press " + std::to_string(x) + "," + std::to_string(y)), 0;
    };
    panel.onMouseMove = [](GUIElement*, std::int32_t x, std::int32_t y) -> std::int32_t {
        return TestSupport::log.Record("move " + std::to_string(x) + "," + std::to_string(y)), 0;
    };
    SendMessageW(panel.handle, WM_MOUSEMOVE, 0, MAKELPARAM(Scaled(41, dpi), Scaled(7, dpi)));
    SendMessageW(panel.handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Scaled(40, dpi), Scaled(25, dpi)));
    EXPECT_TRUE(TestSupport::log.Matches({"move 41,7", "press 40,25"}));

    // The scroll survives a scale change: the content stands where its bar says at the new scale,
    // and scrolling back brings it to where it was placed.
    const UINT other = dpi == 144 ? 120 : 144;
    MoveToScale(Game(), dpi, other);
    EXPECT_EQ(PlaceInParent(inside.handle).top, Scaled(50, other) - Scaled(3, other));
    SendMessageW(panel.handle, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(PlaceInParent(inside.handle).top, Scaled(50, other));
    EXPECT_EQ(PlaceInParent(inside.handle).left, Scaled(0, other));
}

// A player who never uses the keyboard sees not one pixel changed, wherever the platform puts the
// focus; once the keyboard is used, the focus rectangle is drawn just inside the focused element,
// around exactly its client area, and nowhere else.
TEST_F(DpiTest, TheFocusShowsOnlyAfterKeyboardUseAndOnlyAroundTheFocusedElement)
{
    SetForegroundWindow(Game().handle);
    PaintNow(Game().handle);
    const auto before = Canvas::Capture(Game().handle);
    const auto differences = [&before](const Canvas& now) {
        RECT box{now.width, now.height, 0, 0};
        int count = 0;
        for (int y = 0; y < now.height; ++y)
            for (int x = 0; x < now.width; ++x)
                if (now.Pixel(x, y) != before->Pixel(x, y)) {
                    ++count;
                    box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                               std::max<LONG>(box.bottom, y + 1)};
                }
        return std::pair{count, count ? box : RECT{}};
    };
    for (CellControl* cell : {Game().shipPictures[0], Game().EnemyCell(4, 7), Game().PlayerCell(1, 1)}) {
        SetFocus(cell->handle);
        PaintNow(Game().handle);
        EXPECT_EQ(differences(*Canvas::Capture(Game().handle)).first, 0) << cell->tag;
    }
    SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    CellControl* focused = Game().EnemyCell(1, 1);
    ASSERT_EQ(GetFocus(), static_cast<HWND>(focused->handle));
    PaintNow(Game().handle);
    RECT client{};
    GetClientRect(focused->handle, &client);
    MapWindowPoints(focused->handle, Game().handle, reinterpret_cast<POINT*>(&client), 2);
    const auto [count, box] = differences(*Canvas::Capture(Game().handle));
    EXPECT_GT(count, 0);
    EXPECT_EQ(box, client) << "the focus rectangle runs just inside the cell's client area";
}

// Whatever the window measured on the way (nothing while it was minimised, only what the screen
// left of it when it did not fit) and whatever scale a message names, the client area ends as the
// last scale the platform can set makes it: the logical 640 x 400, and the about box's 600 x 300.
TEST_F(DpiTest, AnySequenceOfScaleMessagesEndsWithTheClientAreaOfTheLastScale)
{
    const UINT dpi = DisplayDpi();
    struct Case {
        const char* what;
        std::vector<UINT> scales;
        bool minimised;
        UINT last;
    };
    const Case cases[] = {
        {"minimised, then restored", {144}, true, 144},
        {"minimised through two scales", {192, 120}, true, 120},
        {"too large for the screen, then back", {192, 96}, false, 96},
        {"a scale of 1, then the right one", {1, dpi}, false, dpi},
        {"a scale of 960, then the right one", {960, dpi}, false, dpi},
        {"above 500 % alone", {481}, false, dpi},
        {"back where it started", {dpi}, false, dpi},
    };
    Click(Game().infoButton);
    ASSERT_NE(Game().aboutBox, nullptr);
    for (const Case& c : cases) {
        for (TorUtility::Form* form : {static_cast<TorUtility::Form*>(&Game()),
                                       static_cast<TorUtility::Form*>(Game().aboutBox)}) {
            if (c.minimised)
                ShowWindow(form->handle, SW_MINIMIZE);
            UINT at = form->dpi;
            for (const UINT scale : c.scales) {
                MoveToScale(*form, at, scale);
                at = form->dpi;
            }
            if (c.minimised)
                ShowWindow(form->handle, SW_RESTORE);
            PumpMessages();
            const SIZE logical = form == &Game() ? SIZE{640, 400} : SIZE{600, 300};
            EXPECT_EQ(form->dpi, c.last) << c.what;
            EXPECT_EQ(ClientOf(form->handle).cx, Scaled(logical.cx, c.last)) << c.what << ", " << form->GetText();
            EXPECT_EQ(ClientOf(form->handle).cy, Scaled(logical.cy, c.last)) << c.what << ", " << form->GetText();
        }
        if (c.last != dpi) {
            MoveToScale(Game(), c.last, dpi);
            MoveToScale(*Game().aboutBox, c.last, dpi);
        }
    }
    ExpectLaidOutAt(Game(), dpi);
}

// Every window is its logical rectangle scaled by its edges, after creation, after a move and
// after a scale change, and a picture that fills its cell covers it to the last row and column.
TEST_F(DpiTest, EveryWindowAndPictureKeepsTheEdgeRuleThroughMovesAndScaleChanges)
{
    // A cell at (3, 3): at 125 % its 50 rows become 62 device rows, one fewer than 50 scaled alone.
    TorUtility::Form host(GetModuleHandleW(nullptr));
    host.width = 200;
    host.height = 150;
    host.Create();
    auto picture = [](int width, int height, int band) {
        return TestSupport::MakePicture(width, height, [height, band](int, int row) {
            return row < band ? RGB(0, 160, 0) : row >= height - band ? RGB(0, 0, 200) : RGB(200, 0, 0);
        });
    };
    TestSupport::Owned<HBITMAP> ordinary(picture(64, 50, 1));
    TestSupport::Owned<HBITMAP> large(picture(128, 100, 2));
    CellControl cell(&host);
    cell.width = 64;
    cell.height = 50;
    cell.SetPosition(3, 3);
    cell.picture = ordinary;
    cell.largePicture = large;
    cell.pictureWidth = 64;
    cell.pictureHeight = 50;
    cell.pictureAlign = TorUtility::Drawing::alignCenter;
    cell.Create();

    UINT at = DisplayDpi();
    for (const UINT to : {120u, 144u, 168u, 192u}) {
        // The screen of each prefix holds the game at its own scale and below; a window larger
        // than the screen is cut to it, which the sequence test above covers.
        if (Scaled(680, to) > GetSystemMetrics(SM_CXSCREEN) || Scaled(460, to) > GetSystemMetrics(SM_CYSCREEN))
            continue;
        MoveToScale(Game(), at, to);
        MoveToScale(host, at, to);
        at = to;
        ExpectLaidOutAt(Game(), to);
        CellControl* ship = Game().shipPictures[4];
        Press(ship);
        MouseAt(Scaled(101, to), Scaled(203, to));
        Tick();
        EXPECT_EQ(PlaceInParent(ship->handle), Scaled(RECT{111, 213, 175, 263}, to)) << "dragged, at " << to;
        Press(&Game(), 3, 3);
        EXPECT_EQ(PlaceInParent(ship->handle), Scaled(RECT{291, 335, 355, 385}, to)) << "home again, at " << to;

        PaintNow(host.handle);
        const auto shown = Canvas::Capture(cell.handle);
        ASSERT_EQ(shown->height, Scaled(53, to) - Scaled(3, to)) << to;
        for (const int x : {0, shown->width / 2, shown->width - 1}) {
            EXPECT_EQ(shown->Pixel(x, 0), RGB(0, 160, 0)) << "first row, column " << x << ", at " << to;
            EXPECT_EQ(shown->Pixel(x, shown->height - 1), RGB(0, 0, 200)) << "last row, column " << x << ", at " << to;
        }
    }
    MoveToScale(Game(), at, DisplayDpi());
    ExpectLaidOutAt(Game(), DisplayDpi());
}

// Moving to a monitor of another scale and back leaves the same picture and no GDI object behind;
// a picture being dragged goes on following the mouse.
TEST_F(DpiTest, ARoundTripThroughAnotherScaleComesBackToTheSamePixels)
{
    const UINT from = DisplayDpi();
    const UINT to = from == 144 ? 96 : 144;
    PaintNow(Game().handle);
    const auto before = Canvas::Capture(Game().handle);
    const std::int64_t outstanding = TestSupport::OutstandingGdiObjects();
    Press(Game().shipPictures[2]);

    MoveToScale(Game(), from, to);
    EXPECT_EQ(Game().dpi, to);
    ExpectLaidOutAt(Game(), to);
    MouseAt(Scaled(300, to), Scaled(200, to));
    Tick();
    EXPECT_EQ(PlaceInParent(Game().shipPictures[2]->handle).left, Scaled(310, to)) << "still under the mouse";

    Press(&Game(), 3, 3);
    ASSERT_EQ(Game().draggedShip, nullptr) << "a press on the background sends the picture home";
    MoveToScale(Game(), to, from);
    EXPECT_EQ(Game().dpi, from);
    ExpectLaidOutAt(Game(), from);
    PaintNow(Game().handle);
    const auto after = Canvas::Capture(Game().handle);
    ASSERT_EQ(after->width, before->width);
    ASSERT_EQ(after->height, before->height);
    int different = 0;
    for (int y = 0; y < before->height; ++y)
        for (int x = 0; x < before->width; ++x)
            different += before->Pixel(x, y) != after->Pixel(x, y);
    EXPECT_EQ(different, 0);
    EXPECT_EQ(TestSupport::OutstandingGdiObjects(), outstanding) << "the fonts and pictures of the other scale are gone";
}

}
