#include "Button.h"
#include "CellControl.h"
#include "Form.h"
#include "Label.h"
#include "TestSupport.h"
#include "TextBox.h"

#include <commctrl.h>

#include <memory>

using namespace TorUtility;
using TestSupport::PumpMessages;

namespace {

using TestSupport::log;

// A form that reports the element operations the window procedure calls on it.
class RecordingForm : public Form {
public:
    RecordingForm() : Form(GetModuleHandleW(nullptr)) {}
    void OnShown() override { log.Record("shown"); }
    void OnResized() override { log.Record("resized"); }
    void OnActivated() override
    {
        if (recordActivation)
            log.Record("activated");
    }
    void OnDeactivated() override
    {
        if (recordActivation)
            log.Record("deactivated");
    }
    void OnNotify(std::int32_t code, std::vector<std::int32_t> numbers, std::vector<std::string> strings) override
    {
        log.Record("notify " + std::to_string(code) + " numbers " + std::to_string(numbers.size()) + " strings " +
                   std::to_string(strings.size()));
    }

    // Creating, showing and destroying windows moves the activation around; most tests do not
    // look at it.
    bool recordActivation = false;
};

class WindowProcTest : public TestSupport::ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        form = std::make_unique<RecordingForm>();
        form->width = 320;
        form->height = 240;
        form->Create();
        PumpMessages();
        log.Clear();
    }

    void TearDown() override
    {
        form.reset();
        ToolkitTest::TearDown();
    }

    std::unique_ptr<RecordingForm> form;
};

TEST_F(WindowProcTest, RefusedCloseAnswersOneAndKeepsTheWindow)
{
    form->onClosing = [](GUIElement*) { return log.Record("closing"), false; };
    EXPECT_EQ(SendMessageW(form->handle, WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(IsWindow(form->handle));
    EXPECT_TRUE(log.Matches({"closing"}));
}

TEST_F(WindowProcTest, CloseWithoutAHandlerDestroysTheWindow)
{
    HWND window = form->handle;
    form->onDestroyed = [](GUIElement*) { return log.Record("destroyed"), 0; };
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(form->destroyed);
    EXPECT_TRUE(log.Matches({"destroyed"}));
}

TEST_F(WindowProcTest, SwallowedCharacterAnswersOneAndNeverReachesTheControl)
{
    TextBox box(form.get(), "");
    box.Create();
    box.onChar = [](GUIElement*, std::int32_t code) { return log.Record("char " + std::to_string(code)), code != 'x'; };
    EXPECT_EQ(SendMessageW(box.handle, WM_CHAR, 'x', 1), 1);
    SendMessageW(box.handle, WM_CHAR, 'y', 1);
    EXPECT_EQ(box.GetText(), "y");
    EXPECT_TRUE(log.Matches({"char 120", "char 121"}));
}

TEST_F(WindowProcTest, ShowWindowRaisesShownThenResized)
{
    SendMessageW(form->handle, WM_SHOWWINDOW, TRUE, 0);
    EXPECT_TRUE(log.Matches({"shown", "resized"}));
}

// A cell draws itself, a form without a paint of its own leaves it to the system, and a label is
// drawn by its control; after the paint message none has anything left to paint.
TEST_F(WindowProcTest, PaintLeavesNothingToPaintWhoeverDrewTheWindow)
{
    CellControl cell(form.get());
    cell.width = 30;
    cell.height = 20;
    cell.SetText("7");
    cell.Create();
    Label label(form.get(), "x");
    label.SetPosition(50, 0);
    label.Create();
    PumpMessages();
    for (auto [window, kind] : {std::pair{static_cast<HWND>(form->handle), "form"},
                                std::pair{static_cast<HWND>(cell.handle), "cell"},
                                std::pair{static_cast<HWND>(label.handle), "label"}}) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE)) << kind;
    }
}

TEST_F(WindowProcTest, HotKeyOutsideTheFormsListDoesNothing)
{
    form->hotKeys.push_back(HotKey{MOD_CONTROL, 'K', [](Form*, std::uint32_t modifiers, std::uint32_t key) {
                                       log.Record("hot key " + std::to_string(modifiers) + " " + std::to_string(key));
                                   }});
    SetForegroundWindow(form->handle);
    PumpMessages();
    log.Clear();
    // 0x100000001 agrees with entry 1 in its low 32 bits only.
    for (WPARAM identifier : {WPARAM{0}, static_cast<WPARAM>(-1), WPARAM{2}, WPARAM{0x100000001}})
        SendMessageW(form->handle, WM_HOTKEY, identifier, 0);
    EXPECT_TRUE(log.Matches({}));
    SendMessageW(form->handle, WM_HOTKEY, 1, 0);
    EXPECT_TRUE(log.Matches({"hot key " + std::to_string(MOD_CONTROL) + " " + std::to_string('K')}));
}

TEST_F(WindowProcTest, HandPointerWinsOverTheBusyOne)
{
    form->SetBusyCursor(true);
    EXPECT_EQ(SendMessageW(form->handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(static_cast<HWND>(form->handle)),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), waitShape);
    form->SetHandCursor(true);
    SendMessageW(form->handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(static_cast<HWND>(form->handle)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), handShape);
}

TEST_F(WindowProcTest, PointerOutsideTheClientAreaIsLeftToTheSystem)
{
    form->SetHandCursor(true);
    form->SetBusyCursor(true);
    const WPARAM window = reinterpret_cast<WPARAM>(static_cast<HWND>(form->handle));
    for (WORD hitTest : {HTCAPTION, HTLEFT, HTBOTTOMRIGHT, HTNOWHERE}) {
        SCOPED_TRACE("hit test " + std::to_string(hitTest));
        SetCursor(nullptr);
        const LRESULT systemAnswer = DefWindowProcW(form->handle, WM_SETCURSOR, window, MAKELPARAM(hitTest, WM_MOUSEMOVE));
        const HCURSOR systemShape = GetCursor();
        SetCursor(nullptr);
        EXPECT_EQ(SendMessageW(form->handle, WM_SETCURSOR, window, MAKELPARAM(hitTest, WM_MOUSEMOVE)), systemAnswer);
        EXPECT_EQ(GetCursor(), systemShape);
    }
}

class TabTest : public WindowProcTest {
protected:
    void SetUp() override
    {
        WindowProcTest::SetUp();
        for (int i = 0; i < 3; ++i) {
            buttons.push_back(std::make_unique<Button>(form.get(), std::string("b").append(std::to_string(i))));
            buttons.back()->x = 10 + 90 * i;
            buttons.back()->y = 10;
            buttons.back()->Create();
        }
        SetForegroundWindow(form->handle);
        PumpMessages();
        buttons[1]->Focus();
    }

    void PressTab(bool shift)
    {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }

    std::vector<std::unique_ptr<Button>> buttons;
};

TEST_F(TabTest, TabMovesTheFocusForwardAndReportsTheKeyToTheElementThatHadIt)
{
    ASSERT_EQ(GetFocus(), static_cast<HWND>(buttons[1]->handle));
    buttons[1]->onKeyDown = [](GUIElement* e, std::int32_t key) {
        return log.Record(e->GetText() + " key " + std::to_string(key)), 0;
    };
    PressTab(false);
    EXPECT_EQ(GetFocus(), static_cast<HWND>(buttons[2]->handle));
    EXPECT_TRUE(log.Matches({"b1 key 9"}));
}

TEST_F(TabTest, ShiftTabMovesTheFocusBackwards)
{
    PressTab(true);
    EXPECT_EQ(GetFocus(), static_cast<HWND>(buttons[0]->handle));
}

// From the form's own window, which has the focus before any element takes it, Tab goes to the
// first stop and Shift+Tab to the last.
TEST_F(TabTest, FromTheFormsOwnWindowTabGoesToTheFirstStopAndShiftTabToTheLast)
{
    for (const bool shift : {false, true}) {
        SetFocus(form->handle);
        PressTab(shift);
        EXPECT_EQ(GetFocus(), static_cast<HWND>(buttons[shift ? 2 : 0]->handle)) << "shift " << shift;
    }
}

// Enter presses a focused button as Space does (which the platform's button does by itself): once,
// and only while the button is enabled; the key still reaches the button's own key slot first.
TEST_F(TabTest, EnterAndSpacePressAFocusedButtonOnce)
{
    for (auto& button : buttons) {
        button->onCommand = [](GUIElement* e) { log.Record("command " + e->GetText()); };
        button->onKeyDown = [](GUIElement* e, std::int32_t key) {
            return log.Record(e->GetText() + " key " + std::to_string(key)), 0;
        };
    }
    HWND b1 = buttons[1]->handle;
    SendMessageW(b1, WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(b1, WM_CHAR, VK_RETURN, 1);
    SendMessageW(b1, WM_KEYUP, VK_RETURN, 0xC0000001);
    SendMessageW(b1, WM_KEYDOWN, VK_SPACE, 1);
    SendMessageW(b1, WM_KEYUP, VK_SPACE, 0xC0000001);
    PumpMessages();
    buttons[1]->SetEnabled(false);
    SendMessageW(b1, WM_KEYDOWN, VK_RETURN, 1);
    PumpMessages();
    EXPECT_TRUE(log.Matches({"b1 key 13", "command b1", "b1 key 32", "command b1", "b1 key 13"}));
}

// The focus shows once the keyboard is used in the form; where the platform keeps its own record
// of that and says so, the form follows it. A panel with the focus takes the arrows itself.
TEST_F(TabTest, KeyboardUseShowsTheFocusAndThePlatformsRecordIsFollowed)
{
    auto fresh = std::make_unique<Form>(GetModuleHandleW(nullptr));
    fresh->Create();
    BOOL always = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &always, 0);
    EXPECT_EQ(fresh->keyboardCues, always != FALSE) << "a new form shows the focus only if the user asked always";
    fresh.reset();
    form->keyboardCues = false;
    SendMessageW(form->handle, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_TRUE(form->keyboardCues);
    SendMessageW(form->handle, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL), 0);
    EXPECT_TRUE(form->keyboardCues) << "the accelerators' cues are another matter";
    SendMessageW(form->handle, WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_FALSE(form->keyboardCues);
    PressTab(false);
    EXPECT_TRUE(form->keyboardCues) << "Tab is keyboard use";
    form->keyboardCues = false;
    SendMessageW(buttons[0]->handle, WM_SYSKEYDOWN, VK_MENU, 0x20000001);
    EXPECT_TRUE(form->keyboardCues) << "Alt, for the menus, is keyboard use";

    PanelChildren panel(form.get());
    panel.Create();
    EXPECT_EQ(SendMessageW(panel.handle, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

// Once the keyboard has been used, a form activated again gives the focus back to the element
// that had it, not to its own window; a mouse player's form keeps the platform's default, its own
// window, so that a clicked button shows no focus it did not show before.
TEST_F(TabTest, TheFocusComesBackWhereItWasWhenTheFormIsActivatedAgain)
{
    for (const bool keys : {false, true}) {
        form->FollowKeyboardCues(keys);
        buttons[2]->Focus();
        Form other(GetModuleHandleW(nullptr));
        other.x = 400;
        other.Create();
        SetForegroundWindow(other.handle);
        PumpMessages();
        ASSERT_NE(GetFocus(), static_cast<HWND>(buttons[2]->handle));
        SetForegroundWindow(form->handle);
        PumpMessages();
        EXPECT_EQ(GetFocus(), keys ? static_cast<HWND>(buttons[2]->handle) : static_cast<HWND>(form->handle))
            << (keys ? "after keyboard use" : "the mouse alone");
    }
}

// A scale change that names no scale changes nothing: the form keeps its scale, its window and
// its elements' places, whatever rectangle comes with it.
TEST_F(WindowProcTest, ScaleChangeNamingNoScaleChangesNothing)
{
    Label label(form.get(), "x");
    label.x = 10;
    label.y = 20;
    label.width = 60;
    label.height = 25;
    label.Create();
    const UINT dpi = form->dpi;
    RECT window{};
    RECT place{};
    GetWindowRect(form->handle, &window);
    GetWindowRect(label.handle, &place);
    RECT suggested{window.left, window.top, window.right + 100, window.bottom + 80};
    SendMessageW(form->handle, WM_DPICHANGED, MAKEWPARAM(0, 0), reinterpret_cast<LPARAM>(&suggested));
    PumpMessages();
    EXPECT_EQ(form->dpi, dpi);
    RECT windowAfter{};
    RECT placeAfter{};
    GetWindowRect(form->handle, &windowAfter);
    GetWindowRect(label.handle, &placeAfter);
    EXPECT_EQ(windowAfter, window);
    EXPECT_EQ(placeAfter, place);
}

TEST_F(WindowProcTest, RightClickNotificationReachesTheSourceWithEmptyVectors)
{
    NMHDR header{form->handle, 0, static_cast<UINT>(NM_RCLICK)};
    SendMessageW(form->handle, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
    EXPECT_TRUE(log.Matches({"notify 3 numbers 0 strings 0"}));
}

TEST_F(WindowProcTest, HeaderNotificationsCarryTheItemAndItsWidth)
{
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = 77;
    NMHEADERW change{};
    change.hdr = NMHDR{form->handle, 0, static_cast<UINT>(HDN_ITEMCHANGEDW)};
    change.iItem = 4;
    change.pitem = &item;
    SendMessageW(form->handle, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    change.hdr.code = static_cast<UINT>(HDN_ITEMCLICKW);
    SendMessageW(form->handle, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    change.hdr.code = static_cast<UINT>(NM_CLICK);
    SendMessageW(form->handle, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_TRUE(log.Matches({"notify 1 numbers 2 strings 0", "notify 2 numbers 1 strings 0"}));
}

TEST_F(WindowProcTest, OnlyAClickIsAButtonsCommand)
{
    Button button(form.get(), "OK");
    button.Create();
    button.onCommand = [](GUIElement* e) { log.Record("command " + e->GetText()); };
    for (WORD code : {BN_CLICKED, BN_SETFOCUS, BN_DOUBLECLICKED})
        SendMessageW(form->handle, WM_COMMAND, MAKEWPARAM(button.id, code),
                     reinterpret_cast<LPARAM>(static_cast<HWND>(button.handle)));
    EXPECT_TRUE(log.Matches({"command OK"}));
}

// A double-click reaches a button as a press, a release, its own double-click message and a
// second release; plain and owner-drawn, it is one command.
TEST_F(WindowProcTest, ClickAndDoubleClickOnAButtonRaiseTheElementsEventsAndOneCommand)
{
    for (bool ownerDrawn : {false, true}) {
        Button button(form.get(), "OK");
        button.width = 80;
        button.height = 30;
        button.ownerDrawn = ownerDrawn;
        button.Create();
        button.onLeftDown = [](GUIElement*, HWND, std::int32_t x, std::int32_t y) {
            return log.Record("down " + std::to_string(x) + "," + std::to_string(y)), 0;
        };
        button.onLeftUp = [](GUIElement*, HWND, std::int32_t, std::int32_t) { return log.Record("up"), 0; };
        button.onLeftDoubleClick = [](GUIElement*, HWND, std::int32_t, std::int32_t) {
            return log.Record("double"), 0;
        };
        button.onCommand = [](GUIElement*) { log.Record("command"); };
        log.Clear();
        SendMessageW(button.handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
        SendMessageW(button.handle, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
        PumpMessages();
        EXPECT_TRUE(log.Matches({"down 5,6", "up", "command"})) << "owner-drawn " << ownerDrawn;
        log.Clear();
        SendMessageW(button.handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
        SendMessageW(button.handle, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
        SendMessageW(button.handle, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 6));
        SendMessageW(button.handle, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
        PumpMessages();
        EXPECT_TRUE(log.Matches({"down 5,6", "up", "command", "double", "up"})) << "owner-drawn " << ownerDrawn;
    }
}

TEST_F(WindowProcTest, MouseCoordinatesAreSignedSixteenBitValues)
{
    form->onRightDown = [](GUIElement*, HWND, std::int32_t x, std::int32_t y) {
        return log.Record(std::to_string(x) + "," + std::to_string(y)), 0;
    };
    SendMessageW(form->handle, WM_RBUTTONDOWN, 0, MAKELPARAM(static_cast<WORD>(-3), static_cast<WORD>(-40)));
    EXPECT_TRUE(log.Matches({"-3,-40"}));
}

// At every scale, a press on any device pixel of an element, its last row and column too, reaches
// it as a logical point inside it: worked out where the element's edges were scaled. A 19 x 19
// panel at (1, 2) is 28 x 29 device pixels at 150 %, and its corner pixel (27, 28) is (18, 18).
TEST_F(WindowProcTest, EveryDevicePixelOfAnElementArrivesAsAPointInsideIt)
{
    struct Case {
        UINT dpi;
        RECT logical;
    };
    // At 125 % a 5-pixel panel at (1, 1) is 7 device pixels, one more than 5 scaled alone: only
    // its place in the parent tells that its last device pixel is still its own.
    const Case cases[] = {{144, {1, 2, 20, 21}}, {144, {2, 1, 21, 20}}, {120, {3, 7, 26, 30}}, {120, {6, 5, 29, 28}},
                          {120, {1, 1, 6, 6}},   {168, {5, 5, 15, 15}}, {168, {4, 6, 11, 9}},   {192, {7, 3, 30, 26}},
                          {96, {3, 4, 26, 27}}};
    static POINT reached;
    for (const Case& c : cases) {
        form->dpi = c.dpi;
        PanelChildren panel(form.get());
        panel.x = c.logical.left;
        panel.y = c.logical.top;
        panel.width = c.logical.right - c.logical.left;
        panel.height = c.logical.bottom - c.logical.top;
        panel.onLeftDown = [](GUIElement*, HWND, std::int32_t x, std::int32_t y) { return reached = {x, y}, 0; };
        panel.Create();
        RECT client{};
        GetClientRect(panel.handle, &client);
        for (int y = 0; y < client.bottom; ++y)
            for (int x = 0; x < client.right; ++x) {
                reached = POINT{-100, -100};
                SendMessageW(panel.handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
                ASSERT_TRUE(reached.x >= 0 && reached.x < panel.width && reached.y >= 0 && reached.y < panel.height)
                    << "device " << x << "," << y << " at " << c.dpi << " reached " << reached.x << "," << reached.y;
            }
        if (c.dpi == 144 && c.logical.left == 1) {
            EXPECT_EQ(client.right, 28);
            EXPECT_EQ(client.bottom, 29);
            SendMessageW(panel.handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(27, 28));
            EXPECT_EQ(reached.x, 18);
            EXPECT_EQ(reached.y, 18);
        }
        if (c.dpi == 96) {
            SendMessageW(panel.handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(17, 5));
            EXPECT_EQ(reached.x, 17) << "at 100 % a point is the pixel itself";
            EXPECT_EQ(reached.y, 5);
        }
    }
}

TEST_F(WindowProcTest, LeaveEndsTrackingAlsoForAWindowWithoutAnElement)
{
    SendMessageW(form->handle, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(mouseTracking);
    HWND stranger = CreateWindowExW(0, L"static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    WindowProc(stranger, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(mouseTracking);
    DestroyWindow(stranger);
}

TEST_F(WindowProcTest, ActivationRegistersTheFormAndPlacesItsCompanionBehindIt)
{
    RecordingForm companion;
    companion.Create();
    form->companion = &companion;
    form->hotKeys.push_back(HotKey{MOD_CONTROL | MOD_ALT, VK_F8, nullptr});
    SetForegroundWindow(form->handle);
    PumpMessages();
    log.Clear();
    form->recordActivation = true;
    SendMessageW(form->handle, WM_ACTIVATE, WA_ACTIVE, 0);
    form->recordActivation = false;
    EXPECT_EQ(activeForm, form.get());
    // The activated form holds its combination under its first identifier.
    EXPECT_FALSE(RegisterHotKey(nullptr, 77, MOD_CONTROL | MOD_ALT, VK_F8)) << "the combination is the form's";
    EXPECT_TRUE(UnregisterHotKey(form->handle, 1));
    UnregisterHotKey(nullptr, 77);
    EXPECT_EQ(GetWindow(form->handle, GW_HWNDNEXT), static_cast<HWND>(companion.handle));
    EXPECT_TRUE(log.Matches({"deactivated", "activated"})) << "re-activating the active form";
    form->companion = nullptr;
}

TEST_F(WindowProcTest, DestructionOfTheMainWindowEndsTheMessageLoop)
{
    ASSERT_EQ(mainWindow, static_cast<HWND>(form->handle));
    PostMessageW(form->handle, WM_CLOSE, 0, 0);
    RunMessageLoop(form.get());
    EXPECT_TRUE(form->destroyed);

    // A main window that no element owns ends the loop as well.
    WNDCLASSW plainClass{};
    plainClass.lpfnWndProc = WindowProc;
    plainClass.hInstance = GetModuleHandleW(nullptr);
    plainClass.lpszClassName = L"ElementlessMainWindow";
    RegisterClassW(&plainClass);
    HWND bare = CreateWindowExW(0, plainClass.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                plainClass.hInstance, nullptr);
    ASSERT_EQ(FindByHandle(bare), nullptr);
    mainWindow = bare;
    DestroyWindow(bare);
    MSG quit{};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    UnregisterClassW(plainClass.lpszClassName, plainClass.hInstance);
}

TEST_F(WindowProcTest, DialogMainFormPassesMessagesThroughTheDialogManager)
{
    // Escape in a dialog becomes the cancel command; only the dialog manager makes that happen.
    Form dialog(GetModuleHandleW(nullptr), true);
    dialog.Create();
    mainWindow = dialog.handle;
    dialog.onKeyDown = [](GUIElement*, std::int32_t key) { return log.Record("key " + std::to_string(key)), 0; };
    PostMessageW(dialog.handle, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(dialog.handle, WM_CLOSE, 0, 0);
    RunMessageLoop(&dialog);
    EXPECT_TRUE(log.Matches({})) << "the key never reached the window procedure";

    log.Clear();
    Form plain(GetModuleHandleW(nullptr));
    plain.Create();
    mainWindow = plain.handle;
    plain.onKeyDown = dialog.onKeyDown;
    PostMessageW(plain.handle, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(plain.handle, WM_CLOSE, 0, 0);
    RunMessageLoop(&plain);
    EXPECT_TRUE(log.Matches({"key 27"}));
}

}
