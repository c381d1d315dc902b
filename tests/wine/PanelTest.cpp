#include "Drawing.h"
#include "FreedMemoryGuard.h"
#include "Label.h"
#include "PanelChildren.h"
#include "TestSupport.h"

#include <memory>

using namespace TorUtility;
using TestSupport::Canvas;
using TestSupport::ClassNameOf;

namespace {

using TestSupport::log;

constexpr COLORREF red = RGB(220, 20, 30);
constexpr COLORREF yellow = RGB(250, 230, 20);
constexpr COLORREF cyan = RGB(20, 200, 210);

class PanelTest : public TestSupport::FormHostTest {
protected:
    std::unique_ptr<PanelChildren> NewPanel(const std::string& tag, int left)
    {
        auto panel = std::make_unique<PanelChildren>(form.get());
        panel->tag = tag;
        panel->x = left;
        panel->y = 10;
        panel->width = 200;
        panel->height = 150;
        panel->onVerticalScroll = [](PanelChildren* p, std::int32_t delta) {
            log.Record(p->tag + " vertical " + std::to_string(delta));
        };
        panel->onHorizontalScroll = [](PanelChildren* p, std::int32_t delta) {
            log.Record(p->tag + " horizontal " + std::to_string(delta));
        };
        return panel;
    }
};

TEST_F(PanelTest, ClassIsNamedAfterTheCounterAndTheIdentifierIsTheNextValue)
{
    const std::int32_t start = idCounter;
    auto first = NewPanel("first", 0);
    auto second = NewPanel("second", 250);
    first->Create();
    second->Create();
    EXPECT_EQ(ClassNameOf(first->handle), L"PanelChildren" + std::to_wstring(start));
    EXPECT_EQ(first->id, start + 1);
    EXPECT_EQ(ClassNameOf(second->handle), L"PanelChildren" + std::to_wstring(start + 1));
    EXPECT_EQ(second->id, start + 2);
    EXPECT_EQ(GetParent(first->handle), static_cast<HWND>(form->handle));
    EXPECT_EQ(GetDlgCtrlID(first->handle), first->id);
}

struct PanelStyleCase {
    const char* name;
    void (*configure)(PanelChildren& panel);
    DWORD style;
    DWORD extendedStyle;
};

class PanelStyles : public PanelTest, public ::testing::WithParamInterface<PanelStyleCase> {};

TEST_P(PanelStyles, WindowCarriesTheStyleTheFlagsAskFor)
{
    auto panel = NewPanel("p", 0);
    GetParam().configure(*panel);
    panel->Create();
    constexpr DWORD governed = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_HSCROLL | WS_VSCROLL | WS_DISABLED;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(panel->handle, GWL_STYLE)) & governed, GetParam().style);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(panel->handle, GWL_EXSTYLE)) & WS_EX_CLIENTEDGE,
              GetParam().extendedStyle);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, PanelStyles,
    ::testing::Values(
        PanelStyleCase{"Plain", [](PanelChildren&) {}, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0},
        PanelStyleCase{"NoTabStop", [](PanelChildren& p) { p.tabStop = false; }, WS_CHILD | WS_VISIBLE, 0},
        PanelStyleCase{"SunkenBorder", [](PanelChildren& p) { p.SetBorder(true); },
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, WS_EX_CLIENTEDGE},
        PanelStyleCase{"PlainBorder", [](PanelChildren& p) { p.border = p.plainBorder = true; },
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER, 0},
        PanelStyleCase{"ScrollBars", [](PanelChildren& p) { p.horizontalScroll = p.verticalScroll = true; },
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, 0},
        PanelStyleCase{"Disabled", [](PanelChildren& p) { p.enabled = false; },
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_DISABLED, 0}),
    [](const ::testing::TestParamInfo<PanelStyleCase>& info) { return info.param.name; });

SCROLLINFO BarOf(const PanelChildren& panel, int bar)
{
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(panel.handle, bar, &info);
    return info;
}

TEST_F(PanelTest, PageIsATenthOfTheRangeOnTheBarsThePanelHas)
{
    auto panel = NewPanel("p", 0);
    panel->verticalScroll = true;
    panel->Create();
    EXPECT_EQ(BarOf(*panel, SB_VERT).nPage, 10u) << "0 to 100 from the start";
    panel->SetScrollRange(0, 5);
    EXPECT_EQ(BarOf(*panel, SB_VERT).nPage, 0u);
    panel->SetScrollRange(20, 75);
    const SCROLLINFO bar = BarOf(*panel, SB_VERT);
    EXPECT_EQ(bar.nMin, 20);
    EXPECT_EQ(bar.nMax, 75);
    EXPECT_EQ(bar.nPage, 5u);

    // The bar the panel does not have keeps what the platform gives a plain window with the same
    // bar whose range nobody set.
    HWND plain = CreateWindowExW(0, L"static", L"", WS_CHILD | WS_VSCROLL, 0, 0, 50, 50, form->handle, nullptr,
                                 nullptr, nullptr);
    SCROLLINFO untouched{};
    untouched.cbSize = sizeof untouched;
    untouched.fMask = SIF_ALL;
    GetScrollInfo(plain, SB_HORZ, &untouched);
    DestroyWindow(plain);
    const SCROLLINFO other = BarOf(*panel, SB_HORZ);
    EXPECT_EQ(other.nMin, untouched.nMin);
    EXPECT_EQ(other.nMax, untouched.nMax);
    EXPECT_EQ(other.nPage, untouched.nPage);

    auto bare = NewPanel("bare", 250);
    bare->Create();
    bare->SetScrollRange(0, 100);
    EXPECT_EQ(BarOf(*bare, SB_VERT).nMax, 0);
    SendMessageW(bare->handle, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_TRUE(log.Matches({})) << "a panel without the bar ignores its requests";
}

// A panel with one bar and a label inside it, so that the content's movement can be seen.
class ScrollTest : public PanelTest {
protected:
    void Make(bool vertical)
    {
        panel = NewPanel("p", 0);
        panel->verticalScroll = vertical;
        panel->horizontalScroll = !vertical;
        panel->Create();
        content = std::make_unique<Label>(panel.get(), "content");
        content->x = 50;
        content->y = 50;
        content->Create();
    }

    void TearDown() override
    {
        content.reset();
        panel.reset();
        PanelTest::TearDown();
    }

    // Sends a request and records where the bar and the content are afterwards.
    void Request(WORD code)
    {
        const bool vertical = panel->verticalScroll;
        SendMessageW(panel->handle, vertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, 0), 0);
        const POINT at = content->GetPosition();
        log.Record("at " + std::to_string(BarOf(*panel, vertical ? SB_VERT : SB_HORZ).nPos) + " content " +
                   std::to_string(vertical ? at.y : at.x));
    }

    std::unique_ptr<PanelChildren> panel;
    std::unique_ptr<Label> content;
};

TEST_F(ScrollTest, VerticalRequestsMoveBarAndContentAndReportTheRequestedStep)
{
    Make(true);
    Request(SB_LINEDOWN);
    Request(SB_PAGEDOWN);
    Request(SB_BOTTOM);
    Request(SB_TOP);
    Request(SB_THUMBTRACK);
    Request(SB_ENDSCROLL);
    EXPECT_TRUE(log.Matches({"p vertical -1", "at 1 content 49", "p vertical -10", "at 11 content 39",
                             "p vertical -89", "at 91 content -41", "p vertical 91", "at 0 content 50",
                             "at 0 content 50", "at 0 content 50"}));
    EXPECT_EQ(lastPanel, panel.get());
}

TEST_F(ScrollTest, RequestsBeyondTheEndsScrollNothingButAreStillReported)
{
    Make(true);
    Request(SB_LINEUP);
    Request(SB_PAGEUP);
    Request(SB_BOTTOM);
    Request(SB_LINEDOWN);
    Request(SB_PAGEDOWN);
    EXPECT_TRUE(log.Matches({"p vertical 1", "at 0 content 50", "p vertical 10", "at 0 content 50", "p vertical -100",
                             "at 91 content -41", "p vertical -1", "at 91 content -41", "p vertical -10",
                             "at 91 content -41"}));
}

TEST_F(ScrollTest, HorizontalBarHasNoTopOrBottomAndLeavesTheWheelTargetAlone)
{
    Make(false);
    Request(SB_LINERIGHT);
    Request(SB_LEFT);
    Request(SB_RIGHT);
    Request(SB_PAGELEFT);
    EXPECT_TRUE(log.Matches({"p horizontal -1", "at 1 content 49", "at 1 content 49", "at 1 content 49",
                             "p horizontal 10", "at 0 content 50"}));
    EXPECT_EQ(lastPanel, nullptr);
}

// Outside a drag the platform's track position is the current one; only a real drag of the thumb
// gives the request a position of its own.
TEST_F(ScrollTest, DraggingTheThumbMovesToTheTrackedPosition)
{
    Make(true);
    SCROLLBARINFO bar{};
    bar.cbSize = sizeof bar;
    ASSERT_TRUE(GetScrollBarInfo(panel->handle, OBJID_VSCROLL, &bar));
    const POINT grip{(bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
                     bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2};
    POINT drop{grip.x, grip.y + 40};
    ScreenToClient(panel->handle, &drop);
    // The platform's drag loop reads these once the press on the thumb has started it.
    PostMessageW(panel->handle, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(drop.x, drop.y));
    PostMessageW(panel->handle, WM_LBUTTONUP, 0, MAKELPARAM(drop.x, drop.y));
    SendMessageW(panel->handle, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(grip.x, grip.y));
    Request(SB_ENDSCROLL);
    const int tracked = BarOf(*panel, SB_VERT).nPos;
    EXPECT_GT(tracked, 0);
    EXPECT_TRUE(log.Matches({"p vertical " + std::to_string(-tracked),
                             "at " + std::to_string(tracked) + " content " + std::to_string(50 - tracked)}));
}

class WheelTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        for (auto* slot : {&a, &b}) {
            *slot = NewPanel(slot == &a ? "a" : "b", slot == &a ? 0 : 250);
            (*slot)->verticalScroll = true;
            (*slot)->Create();
        }
    }

    void TearDown() override
    {
        a.reset();
        b.reset();
        PanelTest::TearDown();
    }

    static void Wheel(HWND window, short delta)
    {
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), MAKELPARAM(100, 100));
    }

    std::unique_ptr<PanelChildren> a;
    std::unique_ptr<PanelChildren> b;
};

TEST_F(WheelTest, WheelTurnsThePanelUnderItElseTheLastOnePressedOrScrolled)
{
    Wheel(form->handle, -WHEEL_DELTA);
    EXPECT_TRUE(log.Matches({})) << "no panel pressed or scrolled yet";

    Wheel(a->handle, -WHEEL_DELTA);
    EXPECT_EQ(lastPanel, nullptr) << "the wheel itself chooses no target";
    SendMessageW(b->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Wheel(form->handle, -WHEEL_DELTA);
    Wheel(form->handle, WHEEL_DELTA);
    SendMessageW(a->handle, WM_VSCROLL, SB_LINEDOWN, 0);
    Wheel(form->handle, -WHEEL_DELTA);
    // The form's activation forgets the panel: a wheel turn elsewhere then scrolls nothing.
    SendMessageW(form->handle, WM_ACTIVATE, WA_ACTIVE, 0);
    Wheel(form->handle, -WHEEL_DELTA);
    EXPECT_TRUE(log.Matches({"a vertical -10", "b vertical -10", "b vertical 10", "a vertical -1", "a vertical -10"}));
    EXPECT_EQ(BarOf(*a, SB_VERT).nPos, 21);
    EXPECT_EQ(BarOf(*b, SB_VERT).nPos, 0);
}

TEST_F(WheelTest, DestroyedPanelIsNoLongerTheWheelTarget)
{
    SendMessageW(a->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_EQ(lastPanel, a.get());
    activePanel = a.get();
    a.reset();
    EXPECT_EQ(lastPanel, nullptr);
    EXPECT_EQ(activePanel, nullptr);
    Wheel(form->handle, -WHEEL_DELTA);
    EXPECT_TRUE(log.Matches({}));
}

// A scroll handler may delete its panel: nothing of the panel is read or written after it, and the
// wheel never turns the panel that is gone. Every block made from the panel's making on is
// guarded, so that a touch of the freed panel is caught instead of passing by luck.
TEST_F(WheelTest, PanelDeletedByItsScrollHandlerIsNeitherTouchedNorTurnedAfterwards)
{
    static std::unique_ptr<PanelChildren> doomed;
    FreedMemoryGuard::Start();
    doomed = NewPanel("doomed", 100);
    doomed->verticalScroll = true;
    doomed->onVerticalScroll = [](PanelChildren*, std::int32_t delta) {
        log.Record("doomed scrolls " + std::to_string(delta));
        doomed.reset();
    };
    doomed->Create();
    SendMessageW(doomed->handle, WM_VSCROLL, SB_LINEDOWN, 0);
    Wheel(form->handle, -WHEEL_DELTA);
    FreedMemoryGuard::Stop();
    EXPECT_EQ(FreedMemoryGuard::Touches(), 0u) << "freed memory was read or written";
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(lastPanel, nullptr);
    EXPECT_TRUE(log.Matches({"doomed scrolls -1"}));
}

class ColourTest : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        panel = NewPanel("p", 0);
        SetTextColor(canvas.dc, RGB(1, 2, 3));
        SetBkColor(canvas.dc, RGB(4, 5, 6));
    }

    void TearDown() override
    {
        SelectObject(canvas.dc, GetStockObject(SYSTEM_FONT));
        panel.reset();
        PanelTest::TearDown();
    }

    static COLORREF ColourOf(HBRUSH brush)
    {
        LOGBRUSH description{};
        GetObjectW(brush, sizeof description, &description);
        return description.lbColor;
    }

    std::unique_ptr<PanelChildren> panel;
    Canvas canvas{4, 4, RGB(255, 255, 255)};
};

TEST_F(ColourTest, ChildColoursAndFontAreSetOnTheDeviceContext)
{
    FontSpec font("Tahoma", 15);
    panel->font = &font;
    panel->backColor = static_cast<std::int32_t>(cyan);
    panel->childBackColor = static_cast<std::int32_t>(yellow);
    panel->childTextColor = static_cast<std::int32_t>(red);
    panel->Create();
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(panel->handle, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.dc), 0));
    EXPECT_EQ(brush, panel->childBrush);
    EXPECT_EQ(ColourOf(brush), yellow);
    EXPECT_EQ(GetBkColor(canvas.dc), yellow);
    EXPECT_EQ(GetTextColor(canvas.dc), red);
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_FONT), font.GetFont());
}

TEST_F(ColourTest, PanelBackgroundStandsInForAMissingChildBackground)
{
    panel->backColor = static_cast<std::int32_t>(cyan);
    HBRUSH brush = panel->ColorChild(canvas.dc);
    EXPECT_EQ(ColourOf(brush), cyan);
    EXPECT_EQ(GetBkColor(canvas.dc), cyan);
    EXPECT_EQ(GetTextColor(canvas.dc), RGB(1, 2, 3)) << "no text colour asked for";
}

TEST_F(ColourTest, PanelWithoutColoursAnswersTheSystemBrushAndLeavesTheDeviceContextAlone)
{
    HGDIOBJ selected = GetCurrentObject(canvas.dc, OBJ_FONT);
    EXPECT_EQ(panel->ColorChild(canvas.dc), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetBkColor(canvas.dc), RGB(4, 5, 6));
    EXPECT_EQ(GetTextColor(canvas.dc), RGB(1, 2, 3));
    EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_FONT), selected);

    // A text colour asked for applies on its own, with no background colour beside it.
    panel->childTextColor = static_cast<std::int32_t>(red);
    EXPECT_EQ(panel->ColorChild(canvas.dc), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetTextColor(canvas.dc), red);
    EXPECT_EQ(GetBkColor(canvas.dc), RGB(4, 5, 6));
}

}
