#include "Button.h"
#include "CellControl.h"
#include "Form.h"
#include "Label.h"
#include "PanelChildren.h"
#include "TestSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace TorUtility;
using TestSupport::PumpMessages;

namespace {

// A message the platform could send with these parameters, though the program never expects it.
struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::string what;
};

bool Refuse(GUIElement*)
{
    return false;
}

// What reached default processing, in order. Each target's default processing is routed through
// RecordDefault, which notes the message and passes it on to the procedure it stands in for, so
// that a message the toolkit should leave alone is seen to get there, not only to answer as
// default processing would (most of these messages answer 0 either way).
struct PassedOn {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<PassedOn> passedOn;
std::map<HWND, WNDPROC> standsInFor;

LRESULT CALLBACK RecordDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    passedOn.push_back(PassedOn{window, message, wParam, lParam});
    const WNDPROC own = standsInFor[window];
    return own ? CallWindowProcW(own, window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

// Every message of the window procedure's routing table, with parameters that match nothing the
// program set up, sent to a form, a panel, a cell and two subclassed controls. Nothing may crash,
// and what the toolkit leaves to default processing must answer as the default processing does.
class WindowProcFuzzTest : public TestSupport::ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        form = std::make_unique<Form>(GetModuleHandleW(nullptr));
        form->width = 320;
        form->height = 240;
        form->Create();
        panel = std::make_unique<PanelChildren>(form.get());
        panel->SetPosition(10, 10);
        panel->Create();
        cell = std::make_unique<CellControl>(form.get());
        cell->SetText("7");
        cell->SetPosition(120, 10);
        cell->Create();
        label = std::make_unique<Label>(form.get(), "label");
        label->SetPosition(10, 80);
        label->Create();
        button = std::make_unique<Button>(form.get(), "button");
        button->SetPosition(120, 80);
        button->Create();
        standsInFor.clear();
        for (GUIElement* element : Targets()) {
            element->onClosing = Refuse;
            standsInFor[element->handle] = element->previousProc;
            element->previousProc = RecordDefault;
        }
        stranger = CreateWindowExW(0, L"static", L"stranger", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        memoryDC = CreateCompatibleDC(nullptr);
        PumpMessages();
    }

    void TearDown() override
    {
        DeleteDC(memoryDC);
        DestroyWindow(stranger);
        for (GUIElement* element : Targets())
            if (element)
                element->previousProc = standsInFor[element->handle];
        button.reset();
        label.reset();
        cell.reset();
        panel.reset();
        form.reset();
        ToolkitTest::TearDown();
    }

    std::vector<GUIElement*> Targets() const { return {form.get(), panel.get(), cell.get(), label.get(), button.get()}; }

    // What default processing answers for this window: the control's own procedure for a
    // subclassed control, DefWindowProcW for the toolkit's own classes.
    static LRESULT Default(GUIElement* target, const Case& c)
    {
        const WNDPROC own = standsInFor[target->handle];
        return own ? CallWindowProcW(own, target->handle, c.message, c.wParam, c.lParam)
                   : DefWindowProcW(target->handle, c.message, c.wParam, c.lParam);
    }

    // The cases the toolkit answers itself instead of leaving them to default processing.
    static bool AnsweredByTheToolkit(GUIElement* target, const Case& c)
    {
        const bool colour = c.message == WM_CTLCOLOREDIT || c.message == WM_CTLCOLORBTN || c.message == WM_CTLCOLORSTATIC;
        return c.message == WM_CLOSE || (colour && dynamic_cast<PanelChildren*>(target));
    }

    void Send(GUIElement* target, const Case& c)
    {
        SCOPED_TRACE(target->typeName + ": " + c.what);
        // Hover and leave tracking, and the wheel's panel, as a fresh process would have them.
        lastPanel = nullptr;
        passedOn.clear();
        const LRESULT answer = SendMessageW(target->handle, c.message, c.wParam, c.lParam);
        ASSERT_TRUE(IsWindow(target->handle));
        const bool reachedDefault = std::any_of(passedOn.begin(), passedOn.end(), [&](const PassedOn& p) {
            return p.window == target->handle && p.message == c.message && p.wParam == c.wParam && p.lParam == c.lParam;
        });
        if (c.message == WM_CLOSE) {
            EXPECT_EQ(answer, 1) << "a refused close";
            EXPECT_FALSE(reachedDefault) << "a refused close went on to default processing";
        } else if (c.message == WM_LBUTTONDBLCLK && dynamic_cast<Button*>(target)) {
            EXPECT_EQ(answer, 0);
            EXPECT_FALSE(reachedDefault) << "a button's double-click is kept from the control";
        } else if (AnsweredByTheToolkit(target, c)) {
            EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(answer)), static_cast<DWORD>(OBJ_BRUSH));
            EXPECT_FALSE(reachedDefault) << "answered by the toolkit and by default processing";
        } else {
            EXPECT_TRUE(reachedDefault) << "never reached default processing";
            EXPECT_EQ(answer, Default(target, c));
        }
    }

    std::vector<Case> FixedCases()
    {
        const auto strangerWindow = reinterpret_cast<LPARAM>(stranger);
        const auto dc = reinterpret_cast<WPARAM>(memoryDC);
        const auto labelWindow = reinterpret_cast<LPARAM>(static_cast<HWND>(label->handle));
        creation = CREATESTRUCTW{};
        creation.style = WS_CHILD;
        creation.lpszName = L"";
        creation.lpszClass = L"static";
        creation.cx = 10;
        creation.cy = 10;
        menuItem = DRAWITEMSTRUCT{ODT_MENU, 0, 0x7FFF, ODA_DRAWENTIRE, 0, nullptr, memoryDC, RECT{0, 0, 10, 10}, 0};
        listItem = DRAWITEMSTRUCT{ODT_LISTBOX, static_cast<UINT>(button->id), 0, ODA_DRAWENTIRE, ODS_SELECTED,
                                  static_cast<HWND>(button->handle), memoryDC,
                                  RECT{0, 0, 10, 10}, 0};
        unknownButton = DRAWITEMSTRUCT{ODT_BUTTON, 0x7FF0, 0, ODA_DRAWENTIRE, 0, stranger, memoryDC, RECT{0, 0, 10, 10}, 0};
        unknownCode = NMHDR{stranger, 5, 0xFFFFFF00u};
        rightClick = NMHDR{stranger, 5, static_cast<UINT>(NM_RCLICK)};
        headerChange = NMHEADERW{NMHDR{stranger, 6, static_cast<UINT>(HDN_ITEMCHANGEDW)}, 3, 0, nullptr};
        headerClick = NMHEADERW{NMHDR{stranger, 6, static_cast<UINT>(HDN_ITEMCLICKW)}, -1, 0, nullptr};
        return {
            {WM_CREATE, 0, reinterpret_cast<LPARAM>(&creation), "WM_CREATE to a window made long ago"},
            {WM_MOVE, 0, MAKELPARAM(-32000, 32767), "WM_MOVE far off the screen"},
            {WM_SIZE, SIZE_MAXHIDE, MAKELPARAM(0xFFFF, 0), "WM_SIZE of another window maximised"},
            {WM_ACTIVATE, WA_CLICKACTIVE, strangerWindow, "WM_ACTIVATE from a window the toolkit does not know"},
            {WM_ACTIVATE, WA_INACTIVE, 0, "WM_ACTIVATE losing to no window"},
            {WM_SETFOCUS, static_cast<WPARAM>(strangerWindow), 0, "WM_SETFOCUS from a stranger"},
            {WM_KILLFOCUS, 0, 0, "WM_KILLFOCUS to no window"},
            {WM_PAINT, 0, 0, "WM_PAINT with nothing to paint"},
            {WM_CLOSE, 0, 0, "WM_CLOSE, refused"},
            {WM_SHOWWINDOW, TRUE, SW_OTHERUNZOOM, "WM_SHOWWINDOW for another window's restore"},
            {WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING, "WM_SHOWWINDOW for the owner's minimise"},
            {WM_SETCURSOR, static_cast<WPARAM>(strangerWindow), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), "WM_SETCURSOR over a stranger"},
            {WM_SETCURSOR, 0, MAKELPARAM(HTERROR, WM_LBUTTONDOWN), "WM_SETCURSOR with HTERROR"},
            {WM_DRAWITEM, 0x7FFF, reinterpret_cast<LPARAM>(&menuItem), "WM_DRAWITEM of a menu item nobody owns"},
            {WM_DRAWITEM, static_cast<WPARAM>(button->id), reinterpret_cast<LPARAM>(&listItem), "WM_DRAWITEM of a list box item under a button's id"},
            {WM_DRAWITEM, 0x7FF0, reinterpret_cast<LPARAM>(&unknownButton), "WM_DRAWITEM of a button with an id matching nothing"},
            {WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&unknownCode), "WM_NOTIFY with an unknown code"},
            {WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&rightClick), "WM_NOTIFY NM_RCLICK from a stranger"},
            {WM_NOTIFY, 6, reinterpret_cast<LPARAM>(&headerChange), "WM_NOTIFY HDN_ITEMCHANGEDW without an item"},
            {WM_NOTIFY, 6, reinterpret_cast<LPARAM>(&headerClick), "WM_NOTIFY HDN_ITEMCLICKW on item -1"},
            {WM_KEYDOWN, 0xFF, 0xFFFFFFFF, "WM_KEYDOWN of key 255, repeated"},
            {WM_KEYUP, VK_F24, 0xC0000001, "WM_KEYUP of F24"},
            {WM_CHAR, 0xFFFF, 0, "WM_CHAR of U+FFFF"},
            {WM_CHAR, 0, 0, "WM_CHAR of U+0000"},
            {WM_COMMAND, MAKEWPARAM(0xFFFF, 0), 0, "WM_COMMAND of a menu item nobody owns"},
            {WM_COMMAND, MAKEWPARAM(0xFFFE, 1), 0, "WM_COMMAND of an accelerator nobody owns"},
            {WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), strangerWindow, "WM_COMMAND from a stranger's control"},
            {WM_COMMAND, MAKEWPARAM(7, 0x7777), labelWindow, "WM_COMMAND with an unknown code from a label"},
            {WM_TIMER, 0xDEAD, 0, "WM_TIMER of no timer"},
            {WM_TIMER, static_cast<WPARAM>(label->id), 0, "WM_TIMER under a label's id"},
            {WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), strangerWindow, "WM_HSCROLL end of track from a stranger"},
            {WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0, "WM_VSCROLL without scroll bars"},
            {WM_VSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), labelWindow, "WM_VSCROLL end of track from a label"},
            {WM_CTLCOLOREDIT, dc, strangerWindow, "WM_CTLCOLOREDIT for a stranger"},
            {WM_CTLCOLORBTN, dc, strangerWindow, "WM_CTLCOLORBTN for a stranger"},
            {WM_CTLCOLORSTATIC, dc, labelWindow, "WM_CTLCOLORSTATIC for a label"},
            {WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(-1, -1), "WM_MOUSEMOVE above and left of the window"},
            {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(30000, 30000), "WM_LBUTTONDOWN far outside"},
            {WM_LBUTTONUP, 0, MAKELPARAM(-5, 3), "WM_LBUTTONUP outside"},
            {WM_LBUTTONDBLCLK, MK_LBUTTON, 0, "WM_LBUTTONDBLCLK without a press before it"},
            {WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL, MAKELPARAM(0x8000, 0x8000), "WM_RBUTTONDOWN at the most negative point"},
            {WM_RBUTTONUP, 0, 0, "WM_RBUTTONUP without a press"},
            {WM_RBUTTONDBLCLK, MK_RBUTTON, MAKELPARAM(1, 1), "WM_RBUTTONDBLCLK"},
            {WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(5, 5), "WM_MOUSEWHEEL without a last panel"},
            {WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, 0x7FFF), 0, "WM_MOUSEWHEEL by a huge amount"},
            {WM_MOUSEHOVER, 0, MAKELPARAM(3, 3), "WM_MOUSEHOVER without tracking"},
            {WM_MOUSELEAVE, 0, 0, "WM_MOUSELEAVE without tracking"},
            {WM_HOTKEY, 0, MAKELPARAM(MOD_ALT, 'A'), "WM_HOTKEY 0"},
            {WM_HOTKEY, static_cast<WPARAM>(-2), 0, "WM_HOTKEY -2 (IDHOT_SNAPDESKTOP)"},
            {WM_HOTKEY, static_cast<WPARAM>(-1), 0, "WM_HOTKEY -1"},
            {WM_HOTKEY, 0xBFFF, MAKELPARAM(MOD_CONTROL, VK_F1), "WM_HOTKEY beyond the form's list"},
        };
    }

    // The same messages with random parameters: numbers, points and keys of any value, handles
    // of the windows present or of none, and for the messages that carry a structure a valid one
    // describing something the program never made.
    Case RandomCase(std::mt19937& dice)
    {
        static constexpr UINT plain[] = {WM_MOVE, WM_SIZE, WM_ACTIVATE, WM_SETFOCUS, WM_KILLFOCUS, WM_SHOWWINDOW,
                                         WM_SETCURSOR, WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_COMMAND, WM_TIMER,
                                         WM_HSCROLL, WM_VSCROLL, WM_CTLCOLOREDIT, WM_CTLCOLORBTN, WM_CTLCOLORSTATIC,
                                         WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                         WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_MOUSEWHEEL,
                                         WM_MOUSEHOVER, WM_MOUSELEAVE, WM_HOTKEY, WM_DRAWITEM, WM_NOTIFY};
        const UINT message = plain[dice() % std::size(plain)];
        const HWND windows[] = {nullptr, stranger, form->handle, label->handle, button->handle, cell->handle};
        const HWND someWindow = windows[dice() % std::size(windows)];
        Case c{message, static_cast<WPARAM>(dice()), static_cast<LPARAM>(static_cast<std::int32_t>(dice())), ""};
        switch (message) {
        case WM_COMMAND:
        case WM_HSCROLL:
        case WM_VSCROLL:
        case WM_SETCURSOR:
            c.lParam = message == WM_SETCURSOR ? c.lParam : reinterpret_cast<LPARAM>(someWindow);
            c.wParam = message == WM_SETCURSOR ? reinterpret_cast<WPARAM>(someWindow) : c.wParam & 0xFFFFFFFF;
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            c.wParam = reinterpret_cast<WPARAM>(memoryDC);
            c.lParam = reinterpret_cast<LPARAM>(someWindow);
            break;
        case WM_DRAWITEM: {
            static constexpr UINT types[] = {ODT_MENU, ODT_LISTBOX, ODT_COMBOBOX, ODT_STATIC, ODT_TAB, ODT_LISTVIEW};
            drawn = DRAWITEMSTRUCT{types[dice() % std::size(types)], static_cast<UINT>(dice() % 64), dice() % 64,
                                   ODA_DRAWENTIRE, dice() % 0x400, someWindow, memoryDC, RECT{0, 0, 20, 20}, dice()};
            c.wParam = drawn.CtlID;
            c.lParam = reinterpret_cast<LPARAM>(&drawn);
            break;
        }
        case WM_NOTIFY: {
            static constexpr UINT codes[] = {static_cast<UINT>(NM_RCLICK), static_cast<UINT>(HDN_ITEMCHANGEDW),
                                             static_cast<UINT>(HDN_ITEMCLICKW), static_cast<UINT>(NM_CLICK),
                                             static_cast<UINT>(TTN_GETDISPINFOW)};
            headerItem = HDITEMW{};
            headerItem.mask = HDI_WIDTH;
            headerItem.cxy = static_cast<int>(dice());
            notified = NMHEADERW{NMHDR{someWindow, dice() % 64, codes[dice() % std::size(codes)]},
                                 static_cast<int>(dice()), 0, dice() % 2 ? &headerItem : nullptr};
            c.wParam = notified.hdr.idFrom;
            c.lParam = reinterpret_cast<LPARAM>(&notified);
            break;
        }
        default:
            break;
        }
        c.what = "random message " + std::to_string(message) + " (" + std::to_string(c.wParam) + ", " +
                 std::to_string(c.lParam) + ")";
        return c;
    }

    std::unique_ptr<Form> form;
    std::unique_ptr<PanelChildren> panel;
    std::unique_ptr<CellControl> cell;
    std::unique_ptr<Label> label;
    std::unique_ptr<Button> button;
    HWND stranger = nullptr;
    HDC memoryDC = nullptr;
    CREATESTRUCTW creation{};
    DRAWITEMSTRUCT menuItem{}, listItem{}, unknownButton{}, drawn{};
    NMHDR unknownCode{}, rightClick{};
    NMHEADERW headerChange{}, headerClick{}, notified{};
    HDITEMW headerItem{};
};

TEST_F(WindowProcFuzzTest, UnexpectedMessagesGetDefaultProcessing)
{
    for (const Case& c : FixedCases())
        for (GUIElement* target : Targets())
            Send(target, c);
    PumpMessages();
}

TEST_F(WindowProcFuzzTest, RandomParametersGetDefaultProcessing)
{
    std::mt19937 dice(4242);
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        const Case c = RandomCase(dice);
        Send(Targets()[static_cast<std::size_t>(dice() % Targets().size())], c);
        PumpMessages();
    }
}

TEST_F(WindowProcFuzzTest, ColourRequestsLeaveNoBrushesBehind)
{
    const auto dc = reinterpret_cast<WPARAM>(memoryDC);
    const std::int64_t before = TestSupport::OutstandingGdiObjects();
    for (int i = 0; i < 500; ++i)
        for (PanelChildren* target : {panel.get(), static_cast<PanelChildren*>(cell.get())})
            SendMessageW(target->handle, WM_CTLCOLORSTATIC, dc, reinterpret_cast<LPARAM>(stranger));
    // Each panel keeps the one brush it answered last.
    EXPECT_LE(TestSupport::OutstandingGdiObjects() - before, 2);
}

TEST_F(WindowProcFuzzTest, ControlDestroyedUnderItsElementIsMarkedAndLetGo)
{
    const std::vector<Case> cases = FixedCases();
    HWND window = label->handle;
    DestroyWindow(window);
    EXPECT_TRUE(label->destroyed);
    EXPECT_FALSE(IsWindow(window));
    DestroyWindow(cell->handle);
    EXPECT_TRUE(cell->destroyed);
    label.reset();
    cell.reset();
    // The label's window and identifier in the cases now belong to nobody.
    for (const Case& c : cases)
        Send(form.get(), c);
}

// A control the toolkit does not know reports to the form while the newest element has no window
// yet: the report must not be taken for that element's.
TEST_F(WindowProcFuzzTest, ReportFromAStrangerIsNotTakenForTheNewestElement)
{
    static int commands = 0;
    commands = 0;
    Button pending(form.get(), "pending");
    pending.onCommand = [](GUIElement*) { ++commands; };
    SendMessageW(form->handle, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(stranger));
    EXPECT_EQ(commands, 0);
}

// The mouse wheel goes to the panel pressed last; once that panel is gone it must not be used.
TEST_F(WindowProcFuzzTest, DeletedPanelIsNoLongerTheWheelsTarget)
{
    SendMessageW(cell->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ASSERT_EQ(lastPanel, cell.get());
    DestroyWindow(cell->handle);
    const PanelChildren* gone = cell.get();
    cell.reset();
    EXPECT_NE(lastPanel, gone);
}

}
