#include "Button.h"
#include "CellControl.h"
#include "Drawing.h"
#include "Label.h"
#include "TestSupport.h"

#include <memory>

using namespace TorUtility;
using TestSupport::Canvas;
using TestSupport::MakePicture;
using TestSupport::OutstandingGdiObjects;
using TestSupport::Owned;
using TestSupport::PumpMessages;

namespace {

constexpr int rounds = 10000;

// GetGuiResources answers 0 under Wine, so leaks are counted with the toolkit's own ledger. The
// tests ask for the balance, not for how much a paint makes (drawing may get cheaper); each also
// checks that the ledger moved, so that a balance cannot come from counting nothing.
using GdiLeakTest = TestSupport::FormHostTest;

int paints = 0;

TEST_F(GdiLeakTest, RepaintingACellTenThousandTimesLeavesTheLedgerBalanced)
{
    Owned<HBITMAP> picture(MakePicture(16, 16, [](int x, int) { return x < 8 ? RGB(0, 0, 0) : RGB(0, 128, 255); }));
    CellControl cell(form.get());
    cell.width = 60;
    cell.height = 40;
    cell.SetText("Nave");
    cell.starMark = true;
    cell.picture = picture;
    cell.pictureWidth = 16;
    cell.pictureHeight = 16;
    cell.onPaint = [](GUIElement*) { ++paints; };
    cell.Create();
    cell.SetBackColor(RGB(200, 220, 255));
    PumpMessages();
    ASSERT_TRUE(cell.backPainted);

    paints = 0;
    const std::int64_t outstanding = OutstandingGdiObjects();
    const std::uint64_t made = gdiLedger.made;
    for (int i = 0; i < rounds; ++i) {
        InvalidateRect(cell.handle, nullptr, FALSE);
        UpdateWindow(cell.handle);
    }
    EXPECT_EQ(paints, rounds);
    EXPECT_GT(gdiLedger.made, made) << "the ledger saw what the paints made";
    EXPECT_EQ(OutstandingGdiObjects(), outstanding);
}

TEST_F(GdiLeakTest, PanelAnsweringTenThousandColourRequestsKeepsOneBrush)
{
    auto panel = std::make_unique<PanelChildren>(form.get());
    panel->childBackColor = RGB(250, 230, 20);
    panel->childTextColor = RGB(220, 20, 30);
    panel->Create();
    Label label(panel.get(), "x");
    label.Create();
    HDC dc = GetDC(label.handle);
    const auto ask = [&] {
        return reinterpret_cast<HBRUSH>(SendMessageW(panel->handle, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(static_cast<HWND>(label.handle))));
    };

    HBRUSH first = ask();
    const std::int64_t outstanding = OutstandingGdiObjects();
    const std::uint64_t made = gdiLedger.made;
    HBRUSH latest = nullptr;
    for (int i = 0; i < rounds; ++i)
        latest = ask();
    ReleaseDC(label.handle, dc);
    EXPECT_EQ(gdiLedger.made - made, static_cast<std::uint64_t>(rounds));
    EXPECT_EQ(OutstandingGdiObjects(), outstanding);
    EXPECT_EQ(GetObjectType(first), 0u) << "the replaced brush is really deleted";
    EXPECT_EQ(GetObjectType(latest), static_cast<DWORD>(OBJ_BRUSH));

    panel.reset();
    EXPECT_EQ(OutstandingGdiObjects(), outstanding - 1) << "the panel's last brush goes with it";
    EXPECT_EQ(GetObjectType(latest), 0u);
}

TEST_F(GdiLeakTest, PanelNeverDeletesTheSystemBrush)
{
    PanelChildren panel(form.get());
    Canvas canvas(4, 4, RGB(255, 255, 255));
    panel.childBackColor = RGB(250, 230, 20);
    HBRUSH own = panel.ColorChild(canvas.dc);
    panel.childBackColor = -1;
    HBRUSH system = panel.ColorChild(canvas.dc);
    EXPECT_EQ(system, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetObjectType(own), 0u);
    const std::uint64_t deleted = gdiLedger.deleted;
    panel.ColorChild(canvas.dc);
    EXPECT_EQ(gdiLedger.deleted, deleted);
    EXPECT_EQ(GetObjectType(system), static_cast<DWORD>(OBJ_BRUSH));
}

TEST_F(GdiLeakTest, PaintingAnOwnerDrawnButtonTenThousandTimesLeavesTheLedgerBalanced)
{
    Owned<HBITMAP> picture(MakePicture(12, 12, [](int, int) { return RGB(10, 190, 40); }));
    Button button(form.get(), "OK");
    button.ownerDrawn = true;
    button.picture = picture;
    button.Create();
    Canvas canvas(80, 30, RGB(255, 255, 255));
    DRAWITEMSTRUCT item =
        TestSupport::DrawRequest(ODT_BUTTON, button.id, button.handle, canvas.dc, RECT{0, 0, 80, 30}, ODS_FOCUS);

    const std::int64_t outstanding = OutstandingGdiObjects();
    const std::uint64_t made = gdiLedger.made;
    for (int i = 0; i < rounds; ++i)
        SendMessageW(form->handle, WM_DRAWITEM, static_cast<WPARAM>(button.id), reinterpret_cast<LPARAM>(&item));
    EXPECT_GT(gdiLedger.made, made) << "the ledger saw what the paints made";
    EXPECT_EQ(OutstandingGdiObjects(), outstanding);
}

TEST_F(GdiLeakTest, FailedDrawingStepsLeaveTheLedgerBalanced)
{
    Canvas canvas(10, 10, RGB(255, 255, 255));
    Drawing drawing(nullptr);
    drawing.AttachDC(canvas.dc);
    const std::int64_t outstanding = OutstandingGdiObjects();
    drawing.DrawMasked(0, 0, 4, 4, nullptr);
    drawing.DrawMasked(0, 0, 0, 0, reinterpret_cast<HBITMAP>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(OutstandingGdiObjects(), outstanding);
}

}
