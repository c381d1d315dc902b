#include "Drawing.h"
#include "TestSupport.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace TorUtility;
using TestSupport::Canvas;
using TestSupport::MakePicture;
using TestSupport::Owned;

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF red = RGB(220, 20, 30);
constexpr COLORREF blue = RGB(20, 40, 200);

// A canvas and a drawing pass attached to it, for an element or for none.
struct Sheet {
    Sheet(int width, int height, COLORREF fill, GUIElement* element = nullptr)
        : canvas(width, height, fill), drawing(element)
    {
        drawing.AttachDC(canvas.dc);
    }

    Canvas canvas;
    Drawing drawing;
};

// A form without a window, on a monitor of this scale: what its elements' drawings are made for.
struct FormAt : Form {
    explicit FormAt(UINT scale) : Form(GetModuleHandleW(nullptr)) { dpi = scale; }
};

int PixelsThatDiffer(const Canvas& a, const Canvas& b)
{
    int differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            differing += a.Pixel(x, y) != b.Pixel(x, y);
    return differing;
}

TEST(DrawingBoxes, FillLeavesTheLastColumnAndRowUntouched)
{
    Sheet sheet(30, 30, white);
    sheet.drawing.FillBox(2, 3, 10, 8, red);
    EXPECT_EQ(sheet.canvas.Count(red), 9 * 7);
    const RECT filled = sheet.canvas.Bounds(red);
    EXPECT_EQ(filled.left, 2);
    EXPECT_EQ(filled.top, 3);
    EXPECT_EQ(filled.right, 11) << "column x + w - 1 is left to what was there";
    EXPECT_EQ(filled.bottom, 10) << "row y + h - 1 is left to what was there";
}

// The outline of a 10 x 8 box (80 pixels) is as wide as the element's scale asks, one device
// pixel up to 199 %, two at 200 % and 250 %, three at 300 %, always inside the box and with its
// corners square.
TEST(DrawingBoxes, OutlineRunsFromTheFirstToTheLastColumnAndRowWithTheInsideUntouched)
{
    const struct {
        UINT dpi;
        int width;
        int pixels;
    } scales[] = {{96, 1, 80 - 8 * 6},  {144, 1, 80 - 8 * 6}, {192, 2, 80 - 6 * 4},
                  {240, 2, 80 - 6 * 4}, {288, 3, 80 - 4 * 2}};
    for (const auto& scale : scales) {
        FormAt form(scale.dpi);
        Sheet sheet(30, 30, white, &form);
        sheet.drawing.DrawOutline(2, 3, 10, 8, blue);
        EXPECT_EQ(sheet.canvas.Bounds(blue), (RECT{2, 3, 12, 11})) << scale.dpi;
        EXPECT_EQ(sheet.canvas.Count(blue), scale.pixels) << scale.dpi;
        const int w = scale.width;
        EXPECT_EQ(sheet.canvas.Count(white, RECT{2 + w, 3 + w, 12 - w, 11 - w}), (10 - 2 * w) * (8 - 2 * w))
            << scale.dpi;
    }
}

// A 4 x 4 picture: the left half pure black, the right half coloured, with one almost-black
// pixel that must be drawn like any other colour.
COLORREF Checker(int x, int y)
{
    if (x == 1 && y == 1)
        return RGB(1, 0, 0);
    return x < 2 ? RGB(0, 0, 0) : RGB(10, 200, 30);
}

struct DestinationColours {
    const char* name;
    COLORREF text;
    COLORREF background;
};

class MaskedDrawing : public ::testing::TestWithParam<DestinationColours> {};

TEST_P(MaskedDrawing, PureBlackIsTransparentWhateverTheDestinationsColours)
{
    constexpr COLORREF ground = RGB(50, 60, 70);
    Sheet sheet(12, 12, ground);
    SetTextColor(sheet.canvas.dc, GetParam().text);
    SetBkColor(sheet.canvas.dc, GetParam().background);
    Owned<HBITMAP> picture(MakePicture(4, 4, Checker));

    sheet.drawing.DrawMasked(5, 6, 0, 0, picture);

    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 5 && x < 9 && y >= 6 && y < 10;
            const COLORREF expected = inside && Checker(x - 5, y - 6) != RGB(0, 0, 0) ? Checker(x - 5, y - 6) : ground;
            ASSERT_EQ(sheet.canvas.Pixel(x, y), expected) << "at " << x << "," << y;
        }
    EXPECT_EQ(GetTextColor(sheet.canvas.dc), GetParam().text);
    EXPECT_EQ(GetBkColor(sheet.canvas.dc), GetParam().background);
}

INSTANTIATE_TEST_SUITE_P(Destinations, MaskedDrawing,
                         ::testing::Values(DestinationColours{"BlackOnWhite", RGB(0, 0, 0), RGB(255, 255, 255)},
                                           DestinationColours{"WhiteOnBlack", RGB(255, 255, 255), RGB(0, 0, 0)},
                                           DestinationColours{"RedOnGreen", RGB(255, 0, 0), RGB(0, 255, 0)}),
                         [](const ::testing::TestParamInfo<DestinationColours>& info) { return info.param.name; });

TEST(DrawingPictures, PictureIsStretchedOnlyWhenBothSidesAreGiven)
{
    // 2 x 2: black, red / blue, black.
    Owned<HBITMAP> picture(MakePicture(2, 2, [](int x, int y) { return x == y ? RGB(0, 0, 0) : x ? red : blue; }));

    Sheet stretched(10, 10, white);
    stretched.drawing.DrawMasked(1, 1, 8, 6, picture);
    EXPECT_EQ(stretched.canvas.Bounds(red), (RECT{5, 1, 9, 4}));
    EXPECT_EQ(stretched.canvas.Bounds(blue), (RECT{1, 4, 5, 7}));
    EXPECT_EQ(stretched.canvas.Count(red), 12);

    for (const SIZE box : {SIZE{8, 0}, SIZE{0, 6}, SIZE{0, 0}}) {
        Sheet natural(10, 10, white);
        natural.drawing.DrawMasked(1, 1, box.cx, box.cy, picture);
        EXPECT_EQ(natural.canvas.Bounds(red), (RECT{2, 1, 3, 2})) << box.cx << " x " << box.cy;
        EXPECT_EQ(natural.canvas.Bounds(blue), (RECT{1, 2, 2, 3})) << box.cx << " x " << box.cy;
    }
}

// What the platform's own stretching makes of a picture drawn with black as its key: a mask from
// the key, ANDed in, then the picture ORed over it, both stretched in the device context's own mode.
std::unique_ptr<Canvas> PlatformStretch(HBITMAP picture, int pictureSize, COLORREF ground, RECT box)
{
    auto expected = std::make_unique<Canvas>(8, 8, ground);
    HDC pictureDC = CreateCompatibleDC(nullptr);
    HDC maskDC = CreateCompatibleDC(nullptr);
    Owned<HBITMAP> mask(CreateBitmap(pictureSize, pictureSize, 1, 1, nullptr));
    HGDIOBJ oldPicture = SelectObject(pictureDC, picture);
    HGDIOBJ oldMask = SelectObject(maskDC, mask);
    SetBkColor(pictureDC, RGB(0, 0, 0));
    BitBlt(maskDC, 0, 0, pictureSize, pictureSize, pictureDC, 0, 0, SRCCOPY);
    SetTextColor(expected->dc, RGB(0, 0, 0));
    SetBkColor(expected->dc, RGB(255, 255, 255));
    const int w = box.right - box.left;
    const int h = box.bottom - box.top;
    StretchBlt(expected->dc, box.left, box.top, w, h, maskDC, 0, 0, pictureSize, pictureSize, SRCAND);
    StretchBlt(expected->dc, box.left, box.top, w, h, pictureDC, 0, 0, pictureSize, pictureSize, SRCPAINT);
    SelectObject(pictureDC, oldPicture);
    SelectObject(maskDC, oldMask);
    DeleteDC(pictureDC);
    DeleteDC(maskDC);
    return expected;
}

// Made smaller above 100 %, a picture is blended, not sampled, inside an outline that stays exactly
// where its black key puts it: no key colour is blended into what shows, and no blend shows where
// the key is. At 100 % it is drawn as it always was, by the platform's own stretching.
TEST(DrawingPictures, PictureDrawnSmallerIsBlendedAboveHundredPercentInsideAnExactOutline)
{
    // 8 x 8: the five columns on the left the black key, the rest single red and blue pixels
    // alternating; the third column of the result covers one column of each.
    auto pattern = [](int x, int y) { return x < 5 ? RGB(0, 0, 0) : (x + y) % 2 ? red : blue; };
    Owned<HBITMAP> picture(MakePicture(8, 8, pattern));
    constexpr COLORREF ground = RGB(250, 250, 120);
    Sheet sheet(8, 8, ground);
    sheet.drawing.dpi = 144;
    const std::int64_t before = TestSupport::OutstandingGdiObjects();

    sheet.drawing.DrawMasked(2, 2, 4, 4, picture);

    EXPECT_EQ(TestSupport::OutstandingGdiObjects(), before);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const COLORREF shown = sheet.canvas.Pixel(x, y);
            const bool inPicture = x >= 4 && x < 6 && y >= 2 && y < 6;
            if (!inPicture) {
                ASSERT_EQ(shown, ground) << "at " << x << "," << y << ": outside, or where the key is";
                continue;
            }
            // Half red and half blue: neither the one nor the other, and no black in it.
            EXPECT_NE(shown, red) << x << "," << y;
            EXPECT_NE(shown, blue) << x << "," << y;
            EXPECT_GT(GetRValue(shown), 60) << x << "," << y;
            EXPECT_GT(GetBValue(shown), 60) << x << "," << y;
        }

    Sheet ordinary(8, 8, ground);
    ASSERT_EQ(ordinary.drawing.dpi, 96u);
    ordinary.drawing.DrawMasked(2, 2, 4, 4, picture);
    const auto expected = PlatformStretch(picture, 8, ground, RECT{2, 2, 6, 6});
    EXPECT_EQ(PixelsThatDiffer(ordinary.canvas, *expected), 0) << "at 100 %, the platform's stretching";
    EXPECT_GT(PixelsThatDiffer(ordinary.canvas, sheet.canvas), 0) << "which is not the toolkit's blending";
}

// The share of a column of the result that each column of the picture it covers gives, in
// whole units of the result's column; none where the key shows.
using Shares = std::vector<std::pair<int, int>>;

// A pixel of the picture made smaller: the average of the columns it covers by their shares,
// the key's column left out, rounded to the nearest.
COLORREF Blend(const Shares& shares, const COLORREF (&columns)[8])
{
    int weight = 0;
    int sum[3] = {};
    for (const auto& [column, share] : shares) {
        const COLORREF colour = columns[column];
        if (colour == RGB(0, 0, 0))
            continue;
        weight += share;
        sum[0] += share * GetRValue(colour);
        sum[1] += share * GetGValue(colour);
        sum[2] += share * GetBValue(colour);
    }
    const auto rounded = [weight](int total) { return static_cast<BYTE>((2 * total + weight) / (2 * weight)); };
    return RGB(rounded(sum[0]), rounded(sum[1]), rounded(sum[2]));
}

// At 125 % a picture drawn at 200 % is made 5/8 of its size, at 150 % 3/4: each pixel of the
// result covers a column and a half or so of the picture, and blends them by how much of each it
// covers; where the key is the picture's pixel nearest the result's, the result is the key. The
// same picture turned on its side shows the same for rows.
TEST(DrawingPictures, PictureMadeSmallerAtAQuarterAndAHalfAboveBlendsByCoverageAroundItsKey)
{
    constexpr COLORREF key = RGB(0, 0, 0);
    const COLORREF columns[8] = {key,           RGB(200, 40, 10), RGB(60, 180, 90), RGB(31, 71, 250),
                                 RGB(151, 231, 110), key,         key,              RGB(90, 20, 160)};
    // Worked by hand: column x of the result covers the picture from 8x/n to 8(x+1)/n.
    const struct {
        UINT dpi;
        int side;
        std::vector<Shares> covered;
    } reductions[] = {
        // Fifths of a column: 0-1.6, 1.6-3.2, 3.2-4.8, 4.8-6.4, 6.4-8; the nearest columns to the
        // centres are 0, 2, 3 or 4 (both coloured), 5 and 7.
        {120, 5, {{}, {{1, 2}, {2, 5}, {3, 1}}, {{3, 4}, {4, 4}}, {}, {{6, 3}, {7, 5}}}},
        // Thirds: 0-1.33, ..., 6.67-8; nearest 0, 1 or 2 (both coloured), 3, 4, 5 or 6 (both key), 7.
        {144, 6, {{}, {{1, 2}, {2, 2}}, {{2, 1}, {3, 3}}, {{4, 3}, {5, 1}}, {}, {{6, 1}, {7, 3}}}},
    };
    constexpr COLORREF ground = RGB(250, 250, 120);
    Owned<HBITMAP> upright(MakePicture(8, 8, [&columns](int x, int) { return columns[x]; }));
    Owned<HBITMAP> turned(MakePicture(8, 8, [&columns](int, int y) { return columns[y]; }));
    for (const auto& reduction : reductions) {
        FormAt form(reduction.dpi);
        for (const bool sideways : {false, true}) {
            Sheet sheet(10, 10, ground, &form);
            sheet.drawing.DrawMasked(2, 1, reduction.side, reduction.side, sideways ? turned : upright);
            for (int y = 0; y < 10; ++y)
                for (int x = 0; x < 10; ++x) {
                    const int inside = sideways ? y - 1 : x - 2;
                    const bool inBox = x >= 2 && x < 2 + reduction.side && y >= 1 && y < 1 + reduction.side;
                    const Shares* shares = inBox ? &reduction.covered[static_cast<std::size_t>(inside)] : nullptr;
                    const COLORREF expected = shares && !shares->empty() ? Blend(*shares, columns) : ground;
                    ASSERT_EQ(sheet.canvas.Pixel(x, y), expected)
                        << "at " << x << "," << y << ", " << reduction.dpi << " dpi" << (sideways ? ", on its side" : "");
                }
        }
    }
}

// Logical pixels become device pixels rounded to the nearest, halves away from zero; rectangles
// are scaled by their edges, so that neighbours still meet; and a length goes back exactly.
TEST(DisplayScale, LengthsRectanglesAndLinesFollowTheScale)
{
    struct Row {
        int logical;
        UINT dpi;
        int device;
    };
    for (const Row row : {Row{640, 120, 800}, Row{640, 144, 960}, Row{400, 192, 800}, Row{23, 144, 35},
                          Row{33, 144, 50}, Row{1, 144, 2}, Row{-1, 144, -2}, Row{50, 120, 63}, Row{7, 96, 7}})
        EXPECT_EQ(ToDevice(row.logical, row.dpi), row.device) << row.logical << " at " << row.dpi;
    for (UINT dpi : {96u, 120u, 144u, 168u, 192u, 288u})
        for (int length = -50; length <= 1000; ++length)
            ASSERT_EQ(ToLogical(ToDevice(length, dpi), dpi), length) << length << " at " << dpi;
    // A device pixel belongs to the logical pixel whose scaled span holds it: at 150 % logical 18
    // spans device 27 and 28 (its edges are 27 and 28.5, rounded to 29), so every device pixel of
    // a scaled rectangle, its last row and column too, lies inside the logical one.
    EXPECT_EQ(ToLogical(27, 144), 18);
    EXPECT_EQ(ToLogical(28, 144), 18);
    EXPECT_EQ(ToLogical(-1, 144), -1);
    for (UINT dpi : {120u, 144u, 168u, 192u})
        for (int left = -30; left <= 60; ++left)
            for (int length = 1; length <= 30; ++length)
                for (int device = ToDevice(left, dpi); device < ToDevice(left + length, dpi); ++device) {
                    const int logical = ToLogical(device, dpi);
                    ASSERT_TRUE(logical >= left && logical < left + length)
                        << "device " << device << " of " << left << "+" << length << " at " << dpi << " -> " << logical;
                }
    // Inside a window, a rectangle is scaled where the window's own edges were: a ship picture
    // that fills its 64 x 50 cell in the tray at 125 % is 80 x 62, as the cell is (from 418.75 to
    // 481.25, rounded), not the 63 rows that 50 scaled alone would give.
    for (const int left : {15, 84, 153})
        EXPECT_EQ(ToDeviceInside(RECT{0, 0, 64, 50}, POINT{left, 335}, 120), (RECT{0, 0, 80, 62})) << left;
    EXPECT_EQ(ToDeviceInside(RECT{3, 4, 13, 9}, POINT{1, 1}, 144), (RECT{4, 6, 19, 13}));
    // Cells of 23 logical pixels side by side at 150 %: 34 or 35 device pixels each, never apart
    // and never overlapping.
    for (int c = 0; c < 10; ++c) {
        const RECT cell = ToDevice(RECT{10 + 23 * c, 0, 33 + 23 * c, 23}, 144);
        const RECT next = ToDevice(RECT{33 + 23 * c, 0, 56 + 23 * c, 23}, 144);
        EXPECT_EQ(cell.right, next.left);
        EXPECT_GE(cell.right - cell.left, 34);
        EXPECT_LE(cell.right - cell.left, 35);
    }
    for (auto [dpi, width] : {std::pair{72u, 1}, std::pair{96u, 1}, std::pair{144u, 1}, std::pair{191u, 1}, std::pair{192u, 2},
                              std::pair{288u, 3}})
        EXPECT_EQ(LineWidth(dpi), width) << dpi;
}

class DrawingText : public ::testing::Test {
protected:
    FontSpec font{"Tahoma", 20};
};

TEST_F(DrawingText, ZeroSizedBoxWritesAtThePointWhateverTheAlignment)
{
    Canvas reference(120, 40, white);
    SelectObject(reference.dc, font.GetFont());
    SetBkMode(reference.dc, TRANSPARENT);
    SetTextColor(reference.dc, red);
    TextOutW(reference.dc, 30, 7, L"Wave", 4);
    ASSERT_GT(reference.Count(red), 0);

    for (int align : {0, 1, 2})
        for (const SIZE box : {SIZE{0, 30}, SIZE{90, 0}}) {
            Sheet sheet(120, 40, white);
            sheet.drawing.DrawString(30, 7, box.cx, box.cy, std::wstring(L"Wave"), align, red, &font);
            EXPECT_EQ(PixelsThatDiffer(sheet.canvas, reference), 0)
                << "align " << align << ", box " << box.cx << " x " << box.cy;
        }
}

TEST_F(DrawingText, AlignmentPlacesTheLineInItsBox)
{
    // The box runs from x = 10 to x = 210.
    const TestSupport::TextInk measured = TestSupport::MeasureInk(font.GetFont(), L"HIH");
    const int expectedLeft[] = {10, 210 - measured.advance, 10 + (200 - measured.advance) / 2};
    for (int align : {0, 1, 2}) {
        Sheet sheet(240, 40, white);
        sheet.drawing.DrawString(10, 5, 200, 30, std::string("HIH"), align, red, &font);
        const RECT ink = sheet.canvas.BoundsApartFrom(white);
        EXPECT_EQ(ink.left, expectedLeft[align] + measured.ink.left) << "align " << align;
        EXPECT_EQ(ink.top, 5 + measured.ink.top) << "align " << align;
    }
}

TEST_F(DrawingText, CarriageReturnLineFeedStartsANewLine)
{
    Sheet sheet(100, 100, white);
    const int line = sheet.drawing.LineHeight(&font);
    sheet.drawing.DrawString(0, 0, 100, 100, std::string("H\r\nH"), 0, red, &font);
    const RECT ink = sheet.canvas.BoundsApartFrom(white);
    EXPECT_GT(sheet.canvas.Count(red, RECT{0, 0, 100, line}), 0);
    EXPECT_GT(sheet.canvas.Count(red, RECT{0, line, 100, 2 * line}), 0);
    EXPECT_LT(ink.right, 20) << "the second H starts the line again at the left";
}

TEST_F(DrawingText, TextIsCutAfter1023CodeUnits)
{
    // 511 line breaks take 1022 code units, so "B" is the 1023rd and the last one drawn.
    std::wstring breaks;
    for (int i = 0; i < 511; ++i)
        breaks += L"\r\n";
    Sheet probe(1, 1, white);
    const int line = probe.drawing.LineHeight(&font);
    const int height = 513 * line;

    Sheet kept(60, height, white);
    kept.drawing.DrawString(0, 0, 60, height, breaks + L"B", 0, red, &font);
    EXPECT_GE(kept.canvas.BoundsApartFrom(white).top, 511 * line) << "the 1023rd code unit is drawn";

    Sheet cut(60, height, white);
    cut.drawing.DrawString(0, 0, 60, height, breaks + L"BWWW", 0, red, &font);
    EXPECT_EQ(PixelsThatDiffer(cut.canvas, kept.canvas), 0);
}

TEST_F(DrawingText, InkIsTheColourAskedForAndTheDeviceContextKeepsItsOwn)
{
    FontSpec bold("Tahoma", 28);
    bold.bold = true;
    Sheet sheet(120, 40, white);
    SetTextColor(sheet.canvas.dc, blue);
    HGDIOBJ selected = GetCurrentObject(sheet.canvas.dc, OBJ_FONT);
    sheet.drawing.DrawString(0, 0, 120, 40, std::string("HM"), 0, red, &bold);
    EXPECT_GT(sheet.canvas.Count(red), 20);
    EXPECT_EQ(sheet.canvas.Count(blue), 0);
    EXPECT_EQ(GetTextColor(sheet.canvas.dc), blue);
    EXPECT_EQ(GetCurrentObject(sheet.canvas.dc, OBJ_FONT), selected);
}

TEST(DrawingFonts, LineHeightIsTheFontsCellHeightOrMinusOne)
{
    FontSpec font("Tahoma", 23);
    Canvas canvas(4, 4, white);
    SelectObject(canvas.dc, font.GetFont());
    TEXTMETRICW metrics{};
    ASSERT_TRUE(GetTextMetricsW(canvas.dc, &metrics));
    SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));

    Drawing drawing(nullptr);
    EXPECT_EQ(drawing.LineHeight(&font), -1) << "no device context";
    drawing.AttachDC(canvas.dc);
    EXPECT_EQ(drawing.LineHeight(nullptr), -1) << "no font";
    EXPECT_EQ(drawing.LineHeight(&font), metrics.tmHeight);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_FONT), GetStockObject(SYSTEM_FONT));
}

TEST(DrawingFonts, FontIsMadeOnFirstUseReusedAndFreedWithItsRecord)
{
    const std::int64_t before = TestSupport::OutstandingGdiObjects();
    HFONT made = nullptr;
    {
        FontSpec font("Tahoma", 17);
        font.italic = true;
        EXPECT_EQ(font.fontHandle, nullptr);
        made = font.GetFont();
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(font.GetFont(), made);
        EXPECT_EQ(TestSupport::OutstandingGdiObjects(), before + 1);
        LOGFONTW description{};
        ASSERT_TRUE(GetObjectW(made, sizeof description, &description));
        EXPECT_EQ(description.lfHeight, 17);
        EXPECT_TRUE(description.lfItalic);
        EXPECT_EQ(std::wstring(description.lfFaceName), L"Tahoma");
    }
    EXPECT_EQ(GetObjectType(made), 0u);
    EXPECT_EQ(TestSupport::OutstandingGdiObjects(), before);
}

// One font at a time: asking at another scale makes the font for it and deletes the one before.
TEST(DrawingFonts, FontAtAnotherScaleReplacesTheOneBefore)
{
    const std::int64_t before = TestSupport::OutstandingGdiObjects();
    FontSpec font("Tahoma", 17);
    HFONT atHundred = font.GetFont();
    HFONT atOneAndAHalf = font.GetFont(144);
    ASSERT_NE(atOneAndAHalf, nullptr);
    EXPECT_NE(atOneAndAHalf, atHundred);
    EXPECT_EQ(GetObjectType(atHundred), 0u) << "the font for 100 % is gone";
    EXPECT_EQ(font.GetFont(144), atOneAndAHalf);
    EXPECT_EQ(TestSupport::OutstandingGdiObjects(), before + 1);
    LOGFONTW description{};
    ASSERT_TRUE(GetObjectW(atOneAndAHalf, sizeof description, &description));
    EXPECT_EQ(description.lfHeight, 26) << "17 at 150 %, rounded";
}

// Counts the failures a drawing pass reports.
class CountingDrawing : public Drawing {
public:
    CountingDrawing() : Drawing(nullptr) {}
    void OnGdiFailure() override { ++failures; }
    int failures = 0;
};

// A step whose picture cannot be read, or whose memory DCs cannot be made, stops there: it is
// reported once, nothing it made is left over, and the next step still draws.
TEST(DrawingFailures, FailedStepIsReportedAndTheNextStepStillDraws)
{
    Canvas canvas(20, 20, white);
    Owned<HBITMAP> picture(MakePicture(4, 4, [](int, int) { return red; }));
    CountingDrawing drawing;
    drawing.AttachDC(canvas.dc);
    const std::int64_t before = TestSupport::OutstandingGdiObjects();
    drawing.DrawMasked(0, 0, 0, 0, nullptr);
    EXPECT_EQ(drawing.failures, 1) << "a missing picture cannot be drawn";
    drawing.FillBox(0, 0, 10, 10, red);
    EXPECT_EQ(drawing.failures, 1);
    EXPECT_EQ(canvas.Count(red), 81);

    HDC gone = CreateCompatibleDC(nullptr);
    DeleteDC(gone);
    drawing.AttachDC(gone);
    drawing.FillBox(0, 0, 10, 10, blue);
    drawing.DrawOutline(0, 0, 10, 10, blue);
    drawing.DrawString(0, 0, 10, 10, std::string("x"), 0, blue, nullptr);
    drawing.DrawMasked(0, 0, 0, 0, picture);
    EXPECT_EQ(drawing.failures, 1 + 4) << "each failed step is reported once";
    EXPECT_EQ(TestSupport::OutstandingGdiObjects(), before);
}

}
