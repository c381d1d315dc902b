#include "Button.h"
#include "Drawing.h"
#include "TestSupport.h"

#include <cstdlib>
#include <memory>

using namespace TorUtility;
using TestSupport::Canvas;
using TestSupport::MakePicture;
using TestSupport::Owned;
using TestSupport::PumpMessages;

namespace {

using TestSupport::log;

constexpr COLORREF ink = RGB(200, 30, 40);
constexpr COLORREF invertedInk = RGB(55, 225, 215);
constexpr COLORREF paper = RGB(240, 240, 200);
constexpr COLORREF untouched = RGB(90, 90, 90);
constexpr COLORREF disabledBorder = RGB(105, 105, 105);
constexpr COLORREF disabledInk = RGB(150, 150, 150);
constexpr COLORREF green = RGB(10, 190, 40);
constexpr COLORREF blue = RGB(20, 40, 200);
constexpr int width = 140;
constexpr int height = 30;

// Draws no picture but reports the call and moves the caption to x = 40.
class ReportingButton : public Button {
public:
    using Button::Button;
    int DrawPicture(Drawing&, const RECT&, bool pressed) override
    {
        log.Record(std::string("picture pressed ") + (pressed ? "1" : "0"));
        return 40;
    }
};

// An owner-drawn button on a form, painted into a memory canvas through the form's WM_DRAWITEM,
// with the canvas's text and background colours standing for what the parent's colour answer set.
class ButtonTest : public TestSupport::FormHostTest {
protected:
    void SetUp() override
    {
        FormHostTest::SetUp();
        captionFont.bold = true;
    }

    void TearDown() override
    {
        button.reset();
        FormHostTest::TearDown();
    }

    template <typename Kind = Button>
    void Make(const std::string& caption)
    {
        button = std::make_unique<Kind>(form.get(), caption);
        button->ownerDrawn = true;
        button->x = 10;
        button->y = 10;
        button->width = width;
        button->height = height;
    }

    // Sends a draw request for the control with this identifier and answers the form's reply.
    LRESULT Request(Canvas& canvas, UINT state, UINT type, std::int32_t identifier)
    {
        SelectObject(canvas.dc, captionFont.GetFont());
        SetTextColor(canvas.dc, ink);
        SetBkColor(canvas.dc, paper);
        DRAWITEMSTRUCT item =
            TestSupport::DrawRequest(type, identifier, button->handle, canvas.dc, RECT{0, 0, width, height}, state);
        const LRESULT answer =
            SendMessageW(form->handle, WM_DRAWITEM, static_cast<WPARAM>(identifier), reinterpret_cast<LPARAM>(&item));
        SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
        return answer;
    }

    std::unique_ptr<Canvas> Paint(UINT state)
    {
        auto canvas = std::make_unique<Canvas>(width, height, untouched);
        EXPECT_EQ(Request(*canvas, state, ODT_BUTTON, button->id), TRUE);
        return canvas;
    }

    // The bounds of whatever differs from the fill inside an area of the canvas.
    static RECT CaptionInk(const Canvas& canvas, RECT area)
    {
        Canvas inside(area.right - area.left, area.bottom - area.top, paper);
        BitBlt(inside.dc, 0, 0, inside.width, inside.height, canvas.dc, area.left, area.top, SRCCOPY);
        RECT ink = inside.BoundsApartFrom(paper);
        OffsetRect(&ink, area.left, area.top);
        return ink;
    }

    // Checks that the caption's ink is where a line centred in [left, right) puts it.
    ::testing::AssertionResult CentredBetween(const RECT& caption, int left, int right)
    {
        const TestSupport::TextInk measured = TestSupport::MeasureInk(captionFont.GetFont(), button->GetWideText());
        const int expected = left + (right - left - measured.advance) / 2 + measured.ink.left;
        if (std::abs(caption.left - expected) <= 1)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "caption ink starts at " << caption.left << ", centred it would start at " << expected;
    }

    std::unique_ptr<Button> button;
    FontSpec captionFont{"Tahoma", 20};
};

struct StateCase {
    const char* name;
    UINT state;
    COLORREF border;
    COLORREF caption;
    COLORREF absent;
};

class ButtonStates : public ButtonTest, public ::testing::WithParamInterface<StateCase> {};

TEST_P(ButtonStates, BorderAndCaptionTakeTheColoursOfTheState)
{
    Make("HOME");
    button->Create();
    const StateCase& c = GetParam();
    const auto canvas = Paint(c.state);
    for (const POINT corner : {POINT{0, 0}, POINT{width - 1, 0}, POINT{0, height - 1}, POINT{width - 1, height - 1},
                               POINT{width / 2, 0}, POINT{0, height / 2}})
        EXPECT_EQ(canvas->Pixel(corner.x, corner.y), c.border) << "border at " << corner.x << "," << corner.y;
    EXPECT_EQ(canvas->Pixel(2, 2), paper) << "filled with the background colour";
    EXPECT_EQ(canvas->Count(untouched), 0);
    EXPECT_GT(canvas->Count(c.caption, RECT{1, 1, width - 1, height - 1}), 10);
    EXPECT_EQ(canvas->Count(c.absent), 0);
}

INSTANTIATE_TEST_SUITE_P(
    States, ButtonStates,
    ::testing::Values(StateCase{"Normal", 0, ink, ink, invertedInk},
                      StateCase{"Pressed", ODS_SELECTED, invertedInk, ink, disabledInk},
                      StateCase{"Disabled", ODS_DISABLED, disabledBorder, disabledInk, ink},
                      StateCase{"DisabledWinsOverPressed", ODS_DISABLED | ODS_SELECTED, disabledBorder, disabledInk,
                                invertedInk}),
    [](const ::testing::TestParamInfo<StateCase>& info) { return info.param.name; });

TEST_F(ButtonTest, CaptionWithoutAPictureIsCentredOverTheWholeButton)
{
    Make("HOME");
    button->Create();
    const RECT caption = CaptionInk(*Paint(0), RECT{1, 1, width - 1, height - 1});
    EXPECT_TRUE(CentredBetween(caption, 0, width));
    EXPECT_EQ(caption.top, (height - 20) / 2 + TestSupport::MeasureInk(captionFont.GetFont(), L"HOME").ink.top)
        << "the caption's line is centred on the height of the selected font";
}

TEST_F(ButtonTest, PictureSitsAtTheLeftAndTheCaptionIsCentredInWhatRemains)
{
    // 16 x 12 with a transparent first column.
    Owned<HBITMAP> picture(MakePicture(16, 12, [](int x, int) { return x == 0 ? RGB(0, 0, 0) : green; }));
    Make("HOME");
    button->picture = picture;
    button->Create();
    const auto canvas = Paint(0);
    EXPECT_EQ(canvas->Bounds(green), (RECT{6, 9, 21, 21}));
    const int captionStart = 16 + 8;
    const RECT caption = CaptionInk(*canvas, RECT{captionStart, 1, width - 1, height - 1});
    EXPECT_TRUE(CentredBetween(caption, captionStart, width));
}

TEST_F(ButtonTest, DisabledButtonShowsItsDisabledPictureOrNone)
{
    Owned<HBITMAP> picture(MakePicture(16, 12, [](int, int) { return green; }));
    Owned<HBITMAP> greyed(MakePicture(16, 12, [](int, int) { return blue; }));
    Make("HOME");
    button->picture = picture;
    button->disabledPicture = greyed;
    button->Create();
    button->SetEnabled(false);
    const auto withPicture = Paint(ODS_DISABLED);
    EXPECT_EQ(withPicture->Bounds(blue), (RECT{5, 9, 21, 21}));
    EXPECT_EQ(withPicture->Count(green), 0);

    button->disabledPicture = nullptr;
    const auto without = Paint(ODS_DISABLED);
    EXPECT_EQ(without->Count(green), 0);
    const RECT caption = CaptionInk(*without, RECT{1, 1, width - 1, height - 1});
    EXPECT_TRUE(CentredBetween(caption, 0, width));
}

TEST_F(ButtonTest, PictureStepIsOverridableAndToldWhetherTheButtonIsPressed)
{
    Make<ReportingButton>("HOME");
    button->Create();
    const RECT released = CaptionInk(*Paint(0), RECT{1, 1, width - 1, height - 1});
    const RECT pressed = CaptionInk(*Paint(ODS_SELECTED), RECT{1, 1, width - 1, height - 1});
    EXPECT_TRUE(log.Matches({"picture pressed 0", "picture pressed 1"}));
    EXPECT_TRUE(CentredBetween(released, 40, width));
    EXPECT_EQ(pressed, released);
}

TEST_F(ButtonTest, FocusRectangleIsInsetByThreePixels)
{
    Make("");
    button->Create();
    const auto plain = Paint(0);
    const auto focused = Paint(ODS_FOCUS);
    EXPECT_EQ(plain->Count(paper, RECT{1, 1, width - 1, height - 1}), (width - 2) * (height - 2));
    EXPECT_GT(width - 6 - focused->Count(paper, RECT{3, 3, width - 3, 4}), (width - 6) / 3) << "top side";
    EXPECT_GT(height - 6 - focused->Count(paper, RECT{3, 3, 4, height - 3}), (height - 6) / 3) << "left side";
    EXPECT_EQ(focused->Count(paper, RECT{1, 1, width - 1, 3}), (width - 2) * 2) << "nothing outside the inset";
    EXPECT_EQ(focused->Count(paper, RECT{4, 4, width - 4, height - 4}), (width - 8) * (height - 8))
        << "nothing inside the rectangle";
}

TEST_F(ButtonTest, ButtonOnAPanelIsPaintedInThePanelsColoursForEachState)
{
    const auto panel = TestSupport::ColouredPanel(form.get(), ink, paper);
    Make("HOME");
    button->parent = panel.get();
    button->SetFont(&captionFont);
    button->Create();
    PumpMessages();

    const auto normal = Canvas::Capture(button->handle);
    EXPECT_EQ(normal->Pixel(0, 0), ink);
    EXPECT_EQ(normal->Pixel(2, 2), paper);
    EXPECT_GT(normal->Count(ink, RECT{1, 1, width - 1, height - 1}), 10);

    SendMessageW(button->handle, BM_SETSTATE, TRUE, 0);
    PumpMessages();
    const auto pressed = Canvas::Capture(button->handle);
    EXPECT_EQ(pressed->Pixel(0, 0), invertedInk);
    EXPECT_GT(pressed->Count(ink, RECT{1, 1, width - 1, height - 1}), 10);

    SendMessageW(button->handle, BM_SETSTATE, FALSE, 0);
    button->SetEnabled(false);
    PumpMessages();
    const auto disabled = Canvas::Capture(button->handle);
    EXPECT_EQ(disabled->Pixel(0, 0), disabledBorder);
    EXPECT_GT(disabled->Count(disabledInk, RECT{1, 1, width - 1, height - 1}), 10);
    EXPECT_EQ(disabled->Count(ink), 0);
    button.reset();
}

TEST_F(ButtonTest, DrawRequestsForAnythingButAToolkitButtonAreLeftAlone)
{
    Make("HOME");
    button->Create();
    Canvas canvas(width, height, untouched);
    EXPECT_EQ(Request(canvas, 0, ODT_MENU, button->id), 0) << "not a button's request";
    EXPECT_EQ(Request(canvas, 0, ODT_BUTTON, form->id), 0) << "the identifier of an element that is no button";
    EXPECT_EQ(Request(canvas, 0, ODT_BUTTON, 999), 0) << "the identifier of no element";
    EXPECT_EQ(canvas.Count(untouched), width * height);
}

}
