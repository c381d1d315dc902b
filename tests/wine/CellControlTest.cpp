#include "Button.h"
#include "CellControl.h"
#include "Drawing.h"
#include "TestSupport.h"

#include <initializer_list>
#include <memory>

using namespace TorUtility;
using TestSupport::Canvas;
using TestSupport::MakePicture;
using TestSupport::Owned;
using TestSupport::PumpMessages;

namespace {

using TestSupport::log;

constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF yellow = RGB(250, 230, 20);
constexpr COLORREF cyan = RGB(20, 200, 210);
constexpr COLORREF red = RGB(220, 20, 30);
constexpr COLORREF green = RGB(10, 190, 40);
constexpr COLORREF blue = RGB(20, 40, 200);

class CellControlTest : public TestSupport::FormHostTest {
protected:
    void SetUp() override
    {
        FormHostTest::SetUp();
        cell = std::make_unique<CellControl>(form.get());
        cell->x = 10;
        cell->y = 10;
    }

    void TearDown() override
    {
        cell.reset();
        FormHostTest::TearDown();
    }

    void Show(int width, int height)
    {
        cell->width = width;
        cell->height = height;
        cell->Create();
        PumpMessages();
    }

    std::unique_ptr<Canvas> Shown()
    {
        PumpMessages();
        return Canvas::Capture(cell->handle);
    }

    static int LineHeightOf(FontSpec& font)
    {
        Canvas probe(1, 1, RGB(255, 255, 255));
        Drawing drawing(nullptr);
        drawing.AttachDC(probe.dc);
        return drawing.LineHeight(&font);
    }

    std::unique_ptr<CellControl> cell;
};

TEST_F(CellControlTest, PictureOfTheCellsSizeCentredLandsAtTheCornerOverBackgroundAndText)
{
    // Black all over but for a green corner at the top left and a blue one at the bottom right.
    Owned<HBITMAP> picture(MakePicture(64, 50, [](int x, int y) {
        return x < 4 && y < 4 ? green : x >= 60 && y >= 46 ? blue : black;
    }));
    cell->backColor = static_cast<std::int32_t>(yellow);
    cell->SetText("W");
    cell->fontSize = 30;
    cell->bold = true;
    cell->textColor = static_cast<std::int32_t>(red);
    cell->picture = picture;
    cell->pictureAlign = 2;
    cell->pictureWidth = 64;
    cell->pictureHeight = 50;
    Show(64, 50);

    const auto shown = Shown();
    EXPECT_EQ(shown->Bounds(green), (RECT{0, 0, 4, 4}));
    EXPECT_EQ(shown->Bounds(blue), (RECT{60, 46, 64, 50}));
    EXPECT_GT(shown->Count(red, RECT{4, 4, 60, 46}), 10) << "the text shows through the black pixels";
    EXPECT_EQ(shown->Pixel(2, 25), yellow) << "the background shows through the black pixels";
    EXPECT_EQ(shown->Count(black), 0);
}

struct PictureCase {
    const char* name;
    std::int32_t align;
    int left;
};

class PictureAlignment : public CellControlTest, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PictureAlignment, PictureSitsAtItsAlignedPlaceAndIsCentredVertically)
{
    Owned<HBITMAP> picture(MakePicture(10, 10, [](int, int) { return green; }));
    cell->picture = picture;
    cell->pictureAlign = GetParam().align;
    cell->pictureWidth = 10;
    cell->pictureHeight = 10;
    Show(101, 41);
    EXPECT_EQ(Shown()->Bounds(green), (RECT{GetParam().left, 15, GetParam().left + 10, 25}));
}

INSTANTIATE_TEST_SUITE_P(Aligns, PictureAlignment,
                         ::testing::Values(PictureCase{"LeftKeepsAThreePixelMargin", 0, 3},
                                           PictureCase{"RightKeepsAThreePixelMargin", 1, 101 - 10 - 3},
                                           PictureCase{"Centred", 2, (101 - 10) / 2},
                                           PictureCase{"AnyOtherValueIsLeft", 7, 3}),
                         [](const ::testing::TestParamInfo<PictureCase>& info) { return info.param.name; });

TEST_F(CellControlTest, PictureWithoutASizeIsDrawnAtItsOwnSize)
{
    Owned<HBITMAP> picture(MakePicture(6, 4, [](int, int) { return green; }));
    cell->picture = picture;
    cell->pictureAlign = 0;
    Show(40, 20);
    EXPECT_EQ(Shown()->Bounds(green), (RECT{3, 10, 9, 14}));
}

TEST_F(CellControlTest, TextAndBackgroundTakeTheColoursSet)
{
    cell->bold = true;
    cell->fontSize = 28;
    Show(120, 40);
    cell->SetBackColor(static_cast<std::int32_t>(yellow));
    cell->ChangeTextColor(static_cast<std::int32_t>(blue));
    cell->SetText("HM");
    const auto shown = Shown();
    EXPECT_GT(shown->Count(blue), 20);
    EXPECT_GT(shown->Count(yellow), 120 * 40 / 2);
    EXPECT_EQ(shown->Count(black), 0) << "nothing left in the first text colour";
}

TEST_F(CellControlTest, LeftAlignedTextStartsAtTheLeftEdge)
{
    cell->fontSize = 20;
    cell->backColor = static_cast<std::int32_t>(yellow);
    cell->textAlign = 0;
    cell->SetText("H");
    Show(80, 30);
    FontSpec same(cell->fontName, 20);
    EXPECT_EQ(Shown()->BoundsApartFrom(yellow).left, TestSupport::MeasureInk(same.GetFont(), L"H").ink.left);
}

TEST_F(CellControlTest, TextColourSetBeforeCreationIsUsedByTheFirstPaint)
{
    cell->bold = true;
    cell->fontSize = 28;
    cell->SetText("HM");
    cell->ChangeTextColor(static_cast<std::int32_t>(red));
    Show(120, 40);
    EXPECT_GT(Shown()->Count(red), 20);
}

TEST_F(CellControlTest, OwnFontTextIsCentredOnOneLinesHeight)
{
    cell->fontSize = 20;
    cell->backColor = static_cast<std::int32_t>(yellow);
    cell->SetText("H\r\nH");
    Show(150, 81);
    FontSpec same(cell->fontName, 20);
    const int line = LineHeightOf(same);
    const int top = (81 - line) / 2;
    const auto shown = Shown();
    EXPECT_EQ(shown->BoundsApartFrom(yellow).top, top + TestSupport::MeasureInk(same.GetFont(), L"H").ink.top);
    EXPECT_GT(shown->Count(black, RECT{0, top + line, 150, 81}), 0) << "the second line follows below";
}

TEST_F(CellControlTest, ElementFontWinsOverTheOwnFontFields)
{
    FontSpec large("Tahoma", 36);
    cell->font = &large;
    cell->fontSize = 10;
    cell->backColor = static_cast<std::int32_t>(yellow);
    cell->SetText("H");
    Show(150, 81);
    const int top = (81 - LineHeightOf(large)) / 2;
    const RECT ink = Shown()->BoundsApartFrom(yellow);
    EXPECT_EQ(ink.top, top + TestSupport::MeasureInk(large.GetFont(), L"H").ink.top);
    EXPECT_GT(ink.bottom - ink.top, 20);
}

TEST_F(CellControlTest, StarMarkSitsInTheBottomRightSquareOfOneLineHeight)
{
    cell->fontSize = 20;
    cell->backColor = static_cast<std::int32_t>(yellow);
    cell->textColor = static_cast<std::int32_t>(red);
    cell->starMark = true;
    Show(90, 60);
    FontSpec same(cell->fontName, 20);
    const int line = LineHeightOf(same);
    const RECT ink = Shown()->BoundsApartFrom(yellow);
    ASSERT_LT(ink.left, ink.right) << "the star is drawn";
    EXPECT_GE(ink.left, 90 - line);
    EXPECT_GE(ink.top, 60 - line);
    EXPECT_LE(ink.right, 90);
    EXPECT_LE(ink.bottom, 60);
}

TEST_F(CellControlTest, EmptyCellPaintsOnlyItsBackground)
{
    cell->backColor = static_cast<std::int32_t>(yellow);
    Show(50, 30);
    EXPECT_EQ(Shown()->Count(yellow), 50 * 30);

    // A colour given after creation is filled like any box: the last column and row keep the
    // class background.
    cell->SetBackColor(static_cast<std::int32_t>(cyan));
    RedrawWindow(cell->handle, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
    const auto shown = Shown();
    EXPECT_EQ(shown->Count(cyan), 49 * 29);
    EXPECT_EQ(shown->Count(yellow, RECT{49, 0, 50, 30}), 30);
    EXPECT_EQ(shown->Count(yellow, RECT{0, 29, 50, 30}), 50);
}

TEST_F(CellControlTest, NewBackgroundColourKeepsTheTextAndPicture)
{
    Owned<HBITMAP> picture(MakePicture(8, 8, [](int, int) { return green; }));
    cell->picture = picture;
    cell->pictureWidth = 8;
    cell->pictureHeight = 8;
    cell->bold = true;
    cell->fontSize = 28;
    cell->textColor = static_cast<std::int32_t>(red);
    cell->SetText("HM");
    Show(120, 40);
    cell->SetBackColor(static_cast<std::int32_t>(cyan));
    const auto shown = Shown();
    EXPECT_GT(shown->Count(cyan), 120 * 40 / 2);
    EXPECT_GT(shown->Count(red), 20);
    EXPECT_EQ(shown->Count(green), 64);
}

TEST_F(CellControlTest, ChangesRepaintACreatedCellOnceEachAndThePaintSlotFollowsTheDrawing)
{
    // The slot names the background it finds already painted, and what backPainted says meanwhile.
    cell->onPaint = [](GUIElement* element) {
        const COLORREF found = TestSupport::PixelOf(element->handle, 1, 1);
        log.Record(std::string("paint on ") + (found == yellow ? "yellow" : found == cyan ? "cyan" : "another colour") +
                   ", backPainted " + (element->backPainted ? "1" : "0"));
    };
    cell->SetText("W");
    cell->ChangeTextColor(static_cast<std::int32_t>(red));
    Show(60, 30);
    EXPECT_TRUE(log.Matches({"paint on another colour, backPainted 0"})) << "what was set before the window paints once";
    EXPECT_GT(Shown()->Count(red), 10) << "the text and its colour, set before the window, show";
    log.Clear();
    for (const auto& change : std::initializer_list<void (*)(CellControl&)>{
             [](CellControl& c) { c.SetBackColor(static_cast<std::int32_t>(cyan)); },
             [](CellControl& c) { c.SetText("a"); },
             [](CellControl& c) { c.SetBackColor(static_cast<std::int32_t>(yellow)); },
             [](CellControl& c) { c.SetWideText(L"b"); },
             [](CellControl& c) { c.ChangeTextColor(static_cast<std::int32_t>(blue)); },
         }) {
        change(*cell);
        PumpMessages();
    }
    EXPECT_TRUE(log.Matches({"paint on cyan, backPainted 0", "paint on cyan, backPainted 0",
                             "paint on yellow, backPainted 0", "paint on yellow, backPainted 0",
                             "paint on yellow, backPainted 0"}));
    EXPECT_TRUE(cell->backPainted) << "restored after the slot";
}

TEST_F(CellControlTest, TabNavigationPassesOverACell)
{
    Button first(form.get(), "1");
    first.Create();
    Show(30, 30);
    Button second(form.get(), "2");
    second.x = 200;
    second.Create();
    EXPECT_EQ(GetNextDlgTabItem(form->handle, first.handle, FALSE), static_cast<HWND>(second.handle));
    EXPECT_EQ(GetWindowLongW(cell->handle, GWL_STYLE) & WS_TABSTOP, 0);
}

}
