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
#include "TextBox.h"
#include "resource.h"

#include <cstdlib>
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

// A bitmap's pixels as 0x00RRGGBB, rows from the top.
std::vector<std::uint32_t> BitsOf(HBITMAP bitmap)
{
    const SIZE size = BitmapSize(bitmap);
    std::vector<std::uint32_t> bits(static_cast<std::size_t>(size.cx) * static_cast<std::size_t>(size.cy));
    BITMAPINFO info = TorUtility::TopDownPicture(size.cx, size.cy);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), bits.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bits;
}

// A picture without the black key made smaller by averaging, in whole numbers: along each side,
// pixel i of the picture spans [i * to, (i + 1) * to) and pixel x of the result [x * from,
// (x + 1) * from), and each pixel of the picture counts by the area it shares with the result's.
std::vector<std::uint32_t> Reduced(const std::vector<std::uint32_t>& picture, SIZE from, SIZE to)
{
    const auto shared = [](int x, int i, int source, int target) {
        return std::max(0, std::min((x + 1) * source, (i + 1) * target) - std::max(x * source, i * target));
    };
    std::vector<std::uint32_t> result;
    for (int y = 0; y < to.cy; ++y)
        for (int x = 0; x < to.cx; ++x) {
            std::int64_t sum[3] = {};
            std::int64_t weight = 0;
            for (int j = y * from.cy / to.cy; j * to.cy < (y + 1) * from.cy; ++j)
                for (int i = x * from.cx / to.cx; i * to.cx < (x + 1) * from.cx; ++i) {
                    const std::int64_t area = shared(x, i, from.cx, to.cx) * shared(y, j, from.cy, to.cy);
                    const std::uint32_t pixel = picture[static_cast<std::size_t>(j * from.cx + i)];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += area * ((pixel >> (8 * c)) & 0xFF);
                    weight += area;
                }
            std::uint32_t blended = 0;
            for (int c = 0; c < 3; ++c)
                blended |= static_cast<std::uint32_t>((2 * sum[c] + weight) / (2 * weight)) << (8 * c);
            result.push_back(blended);
        }
    return result;
}

// Pixels of which a colour channel differs by more than the tolerance.
int PixelsApart(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int tolerance)
{
    int apart = 0;
    for (std::size_t n = 0; n < std::min(a.size(), b.size()); ++n)
        for (int c = 0; c < 3; ++c)
            if (std::abs(static_cast<int>((a[n] >> (8 * c)) & 0xFF) - static_cast<int>((b[n] >> (8 * c)) & 0xFF)) >
                tolerance) {
                ++apart;
                break;
            }
    return apart;
}

// Above 100 % the pictures come from their large versions, and a ship never shows its black key.
// The logo, the arrows and the about box's picture are, at 100 %, their ordinary pictures
// exactly; above, each its own large picture made smaller to its logical size scaled, never the
// ordinary one stretched. Made smaller, a pixel may round the other way (doubles against whole
// numbers); at its own size a picture is exact.
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

    Click(Game().infoButton);
    ASSERT_NE(Game().aboutBox, nullptr);
    const struct {
        TorUtility::Image* image;
        int ordinary;
        int large;
    } images[] = {{Game().logoImage, IDB_LOGO, IDB_LOGO_2X},
                  {Game().playerPicture, IDB_ARROW_PLAYER, IDB_ARROW_PLAYER_2X},
                  {Game().enemyPicture, IDB_ARROW_ENEMY, IDB_ARROW_ENEMY_2X},
                  {Game().aboutBox->logo, IDB_ABOUT, IDB_ABOUT_2X}};
    for (const auto& [image, ordinary, large] : images) {
        const int resource = dpi == 96 ? ordinary : large;
        TestSupport::Owned<HBITMAP> source(static_cast<HBITMAP>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        const SIZE from = BitmapSize(source);
        const SIZE to = BitmapSize(image->bitmap);
        const int logicalWidth = dpi == 96 ? from.cx : from.cx / 2;
        // Sized by its edges where it stands.
        ASSERT_EQ(to.cx, Scaled(image->x + logicalWidth, dpi) - Scaled(image->x, dpi)) << resource;
        const std::vector<std::uint32_t> original = BitsOf(source);
        ASSERT_EQ(std::count_if(original.begin(), original.end(), [](std::uint32_t p) { return (p & 0xFFFFFF) == 0; }),
                  0)
            << resource << " holds the key";
        const bool ownSize = to.cx == from.cx && to.cy == from.cy;
        EXPECT_EQ(PixelsApart(BitsOf(image->bitmap), ownSize ? original : Reduced(original, from, to), ownSize ? 0 : 1),
                  0)
            << "picture " << resource << " at " << to.cx << " x " << to.cy;
    }
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

// What a form's creation builds: a label and a button, as a form's build handler lays them out.
std::vector<std::unique_ptr<GUIElement>> built;

void BuildLabelAndButton(GUIElement* form, HWND)
{
    auto label = std::make_unique<TorUtility::Label>(form, "first");
    auto button = std::make_unique<TorUtility::Button>(form, "second");
    for (auto [element, box] : {std::pair<GUIElement*, RECT>{label.get(), {8, 12, 128, 37}},
                                std::pair<GUIElement*, RECT>{button.get(), {152, 100, 232, 132}}}) {
        element->x = box.left;
        element->y = box.top;
        element->width = box.right - box.left;
        element->height = box.bottom - box.top;
        element->Create();
    }
    built.push_back(std::move(label));
    built.push_back(std::move(button));
}

// A form made at the display's scale is laid out at it from the first: centred on the screen
// before its window exists, the window is where its logical rectangle scales to, and so are the
// elements its creation builds; centred again once it exists, it goes back there. Every
// rectangle here is whole device pixels at each scale tested, so no rounding is involved.
TEST_F(DpiTest, AFormIsMadeAndCentredAtTheScaleFromItsFirstLayout)
{
    const int dpi = static_cast<int>(DisplayDpi());
    const SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    ASSERT_EQ(screen.cx * 96 % dpi + screen.cy * 96 % dpi, 0) << "a screen of whole logical pixels";
    const POINT corner{(screen.cx * 96 / dpi - 304) / 2, (screen.cy * 96 / dpi - 208) / 2};
    TorUtility::Form form(GetModuleHandleW(nullptr));
    // Without a frame the window is its client area, in the form's own pixels.
    form.captioned = false;
    form.width = 304;
    form.height = 208;
    form.CenterOnScreen();
    EXPECT_EQ(form.x, corner.x);
    EXPECT_EQ(form.y, corner.y);
    form.onCreated = BuildLabelAndButton;
    form.Create();
    const RECT window = Scaled(RECT{corner.x, corner.y, corner.x + 304, corner.y + 208}, DisplayDpi());
    RECT made{};
    GetWindowRect(form.handle, &made);
    EXPECT_EQ(made, window);
    ASSERT_EQ(built.size(), 2u);
    EXPECT_EQ(PlaceInParent(built[0]->handle), Scaled(RECT{8, 12, 128, 37}, DisplayDpi()));
    EXPECT_EQ(PlaceInParent(built[1]->handle), Scaled(RECT{152, 100, 232, 132}, DisplayDpi()));

    form.SetPosition(4, 8);
    form.CenterOnScreen();
    RECT centred{};
    GetWindowRect(form.handle, &centred);
    EXPECT_EQ(centred, window);
    built.clear();
}

// A form moved to a monitor of another scale draws its elements at that scale, not at the
// primary display's, which the platform goes on reporting for each of its windows: a cell's
// picture and an owner-drawn button's border.
TEST_F(DpiTest, ElementsDrawAtTheScaleOfTheirOwnForm)
{
    const UINT from = DisplayDpi();
    const UINT to = from == 192 ? 96 : 192;
    TorUtility::Form form(GetModuleHandleW(nullptr));
    form.width = 300;
    form.height = 200;
    form.Create();
    MoveToScale(form, from, to);
    ASSERT_EQ(form.dpi, to);
    constexpr COLORREF red = RGB(220, 20, 30);
    TestSupport::Owned<HBITMAP> picture(TestSupport::MakePicture(8, 6, [](int, int) { return red; }));
    CellControl cell(&form);
    cell.x = 10;
    cell.y = 10;
    cell.width = 40;
    cell.height = 30;
    cell.picture = picture;
    cell.pictureWidth = 8;
    cell.pictureHeight = 6;
    cell.pictureAlign = TorUtility::Drawing::alignCenter;
    cell.Create();
    PaintNow(form.handle);
    // 8 x 6 centred in 40 x 30, or twice each at 200 %.
    const RECT expected = to == 192 ? RECT{32, 24, 48, 36} : RECT{16, 12, 24, 18};
    EXPECT_EQ(Canvas::Capture(cell.handle)->Bounds(red), expected);

    TorUtility::Button button(&form, "");
    button.ownerDrawn = true;
    button.Create();
    Canvas face(40, 20, white);
    button.PaintOwnerDrawn(TestSupport::DrawRequest(ODT_BUTTON, button.id, button.handle, face.dc, RECT{0, 0, 40, 20}, 0));
    // The border takes the DC's text colour, black: one pixel wide at 100 %, two at 200 %.
    EXPECT_EQ(face.Count(RGB(0, 0, 0)), to == 192 ? 40 * 20 - 36 * 16 : 40 * 20 - 38 * 18);
}

// Labels, buttons and text boxes are given their font made for the scale: its height is the
// logical height scaled, at the display's scale and again after a move to another.
TEST_F(DpiTest, ControlsAreGivenTheirFontsMadeForTheScale)
{
    const UINT from = DisplayDpi();
    const UINT to = from == 144 ? 96 : 144;
    TorUtility::FontSpec font("Tahoma", 16);
    TorUtility::Label label(&Game(), "label");
    TorUtility::Button button(&Game(), "button");
    TorUtility::TextBox box(&Game(), "box");
    const auto height = [](const GUIElement* control) {
        LOGFONTW description{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control->handle, WM_GETFONT, 0, 0)), sizeof description,
                   &description);
        return description.lfHeight;
    };
    for (GUIElement* control : std::initializer_list<GUIElement*>{&label, &button, &box}) {
        control->SetFont(&font);
        control->Create();
        EXPECT_EQ(height(control), Scaled(16, from)) << control->typeName;
    }
    MoveToScale(Game(), from, to);
    for (const GUIElement* control : std::initializer_list<const GUIElement*>{&label, &button, &box})
        EXPECT_EQ(height(control), Scaled(16, to)) << control->typeName << " after the move";
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
