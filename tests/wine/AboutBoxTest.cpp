#include "GameFixture.h"

#include "FormAbout.h"
#include "FreedMemoryGuard.h"
#include "Image.h"
#include "Label.h"
#include "PanelChildren.h"
#include "Product.h"
#include "TextBox.h"

#include <functional>
#include <initializer_list>
#include <utility>

using namespace MyGame;
using TestSupport::Canvas;
using TestSupport::PumpMessages;
using TorUtility::FormAbout;

namespace {

using TestSupport::log;

constexpr COLORREF linkBlue = RGB(0, 0, 255);
const std::string mailRequest = "shell open mailto:info@tiremola.test (SW_SHOW, over Tiremola)";

WNDPROC noticeProc = nullptr;

// Stands in front of the notice's own edit procedure, noting each character that reaches it.
LRESULT CALLBACK NoticeRecorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHAR)
        log.Record("edit " + std::to_string(wParam));
    return CallWindowProcW(noticeProc, window, message, wParam, lParam);
}

// Where a window lies in the client area of another, as left, top, right, bottom.
RECT PlaceIn(HWND window, HWND container)
{
    RECT box{};
    GetWindowRect(window, &box);
    MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

RECT Box(int left, int top, int width, int height)
{
    return RECT{left, top, left + width, top + height};
}

// Top-level windows of this thread captioned like the about box.
int OpenAboutWindows()
{
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t caption[32] = {};
            GetWindowTextW(window, caption, 32);
            *reinterpret_cast<int*>(found) += std::wstring(caption) == L"Info..." && IsWindowVisible(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// The shell, opening a link, runs a message loop of its own (as its dialogs do), in which the
// player presses "OK" and then "Info": the about box is closed, then deleted and replaced, links
// and all, while the press on its link is still being handled.
HINSTANCE WINAPI ShellPressingOkThenInfo(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder,
                                         INT show)
{
    GameTest::ShellStandIn(owner, verb, file, parameters, folder, show);
    auto* game = dynamic_cast<FormMain*>(TorUtility::mainFormInstance);
    PostMessageW(game->aboutBox->okButton->handle, BM_CLICK, 0, 0);
    PostMessageW(game->handle, WM_COMMAND, MAKEWPARAM(game->infoButton->id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(static_cast<HWND>(game->infoButton->handle)));
    PumpMessages();
    return reinterpret_cast<HINSTANCE>(INT_PTR{42});
}

class AboutBoxTest : public GameTest::GameTest {
protected:
    FormAbout& About() { return *Game().aboutBox; }

    // The box is open and the game waits for it.
    ::testing::AssertionResult IsOpen()
    {
        if (!Game().aboutBox || !IsWindow(About().handle) || !About().created)
            return ::testing::AssertionFailure() << "no about window";
        if (IsWindowEnabled(Game().handle))
            return ::testing::AssertionFailure() << "the game takes input";
        if (Game().companion != Game().aboutBox)
            return ::testing::AssertionFailure() << "the game's companion is not the box";
        return ::testing::AssertionSuccess();
    }

    // The box is gone and the game has its input back.
    ::testing::AssertionResult IsClosedAndGameFree(HWND box)
    {
        if (IsWindow(box) || About().created)
            return ::testing::AssertionFailure() << "the about window is still there";
        if (!IsWindowEnabled(Game().handle))
            return ::testing::AssertionFailure() << "the game is still disabled";
        if (Game().companion)
            return ::testing::AssertionFailure() << "the game still has a companion";
        return ::testing::AssertionSuccess();
    }
};

TEST_F(AboutBoxTest, ContentIsLaidOutForAClientAreaOf600By300)
{
    Click(Game().infoButton);
    ASSERT_TRUE(IsOpen());
    HWND box = About().handle;

    RECT client{};
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 300);

    EXPECT_EQ(PlaceIn(About().frame->handle, box), Box(10, 10, 184, 280));
    // The picture is given a slot of 164 x 50 at (5, 5) in the frame; the control that shows it
    // takes the size of the bitmap itself, which is one column narrower.
    EXPECT_EQ(About().logo->width, 164);
    EXPECT_EQ(About().logo->height, 50);
    BITMAP picture{};
    ASSERT_TRUE(GetObjectW(About().logo->bitmap, sizeof picture, &picture));
    EXPECT_EQ(PlaceIn(About().logo->handle, About().frame->handle), Box(5, 5, picture.bmWidth, picture.bmHeight));
    EXPECT_EQ(PlaceIn(About().titleLabel->handle, box), Box(209, 10, 381, 25));
    EXPECT_EQ(PlaceIn(About().bylineLabel->handle, box).left, 209);
    EXPECT_EQ(PlaceIn(About().bylineLabel->handle, box).top, 35);
    EXPECT_EQ(PlaceIn(About().webLink->handle, box), Box(209, 55, 150, 22));
    EXPECT_EQ(PlaceIn(About().mailLink->handle, box), Box(369, 55, 150, 22));
    EXPECT_EQ(PlaceIn(About().noticeBox->handle, box), Box(209, 85, 381, 155));
    EXPECT_EQ(PlaceIn(About().okButton->handle, box), Box(359, 250, 80, 25));
    EXPECT_EQ(About().okButton->GetText(), "OK");
    EXPECT_EQ(GetFocus(), static_cast<HWND>(About().okButton->handle));

    EXPECT_EQ(About().titleLabel->GetText(), std::string(productName) + " " + productVersion);
    EXPECT_EQ(About().bylineLabel->GetText(), copyrightNotice);
    LOGFONTW titleFont{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(About().titleLabel->handle, WM_GETFONT, 0, 0)), sizeof titleFont,
               &titleFont);
    EXPECT_EQ(titleFont.lfWeight, FW_BOLD);

    const auto noticeStyle = static_cast<DWORD>(GetWindowLongW(About().noticeBox->handle, GWL_STYLE));
    EXPECT_TRUE(noticeStyle & ES_MULTILINE);
    EXPECT_TRUE(noticeStyle & ES_READONLY);
    EXPECT_TRUE(noticeStyle & WS_VSCROLL);
    EXPECT_GT(SendMessageW(About().noticeBox->handle, EM_GETLINECOUNT, 0, 0), 1) << "the notice runs over lines";

    wchar_t caption[32] = {};
    GetWindowTextW(box, caption, 32);
    EXPECT_STREQ(caption, L"Info...");
    const auto style = static_cast<DWORD>(GetWindowLongW(box, GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongW(box, GWL_EXSTYLE));
    EXPECT_TRUE(extended & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(extended & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(extended & WS_EX_TOPMOST);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);

    // Centred as it is shown, frame included, not as the 600 x 300 it was placed for before
    // the platform added the frame.
    RECT outer{};
    GetWindowRect(box, &outer);
    const int centredLeft = (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2;
    const int centredTop = (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2;
    EXPECT_NEAR(outer.left, centredLeft, 1);
    EXPECT_NEAR(outer.top, centredTop, 1);
}

TEST_F(AboutBoxTest, LinksAreBlueLeftAlignedUnderAHandAndOpenThroughTheShell)
{
    Click(Game().infoButton);
    ASSERT_TRUE(IsOpen());
    RedrawWindow(About().handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(About().webLink->GetText(), homePage);
    EXPECT_EQ(About().mailLink->GetText(), "info@tiremola.test");
    for (TorUtility::CellControl* link : {About().webLink, About().mailLink}) {
        EXPECT_EQ(link->textColor, static_cast<std::int32_t>(linkBlue));
        EXPECT_EQ(link->textAlign, 0);
        const RECT ink = Canvas::Capture(link->handle)->Bounds(linkBlue);
        EXPECT_LE(ink.left, 1) << link->GetText() << " starts at the left edge";
        EXPECT_GT(ink.right, 100) << link->GetText();
        SetCursor(nullptr);
        SendMessageW(link->handle, WM_SETCURSOR, reinterpret_cast<WPARAM>(static_cast<HWND>(link->handle)),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND)) << link->GetText();
    }

    for (TorUtility::CellControl* link : {About().webLink, About().mailLink})
        SendMessageW(link->handle, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    // The game's window, not the box, owns each request.
    EXPECT_TRUE(log.Matches({"shell open " + std::string(homePage) + " (SW_SHOW, over Tiremola)", mailRequest}));
    EXPECT_TRUE(IsOpen()) << "following a link leaves the box open";
}

// Nothing touches the link once its press handler has let the box be deleted. Every block made
// from the box's opening on is guarded, so that a read of a freed one is caught instead of
// passing by luck on memory nobody has reused yet.
TEST_F(AboutBoxTest, LinkDeletedWhileItsPressIsHandledIsNotTouchedAfterwards)
{
    FreedMemoryGuard::Start();
    Click(Game().infoButton);
    ASSERT_TRUE(IsOpen());
    const FormAbout* first = Game().aboutBox;
    const TorUtility::PanelChildren* link = About().mailLink;
    HWND linkWindow = About().mailLink->handle;
    TorUtility::platform.shellExecute = ShellPressingOkThenInfo;

    SendMessageW(linkWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    FreedMemoryGuard::Stop();
    EXPECT_EQ(FreedMemoryGuard::Touches(), 0u) << "freed memory was read or written";
    EXPECT_TRUE(log.Matches({mailRequest}));
    EXPECT_NE(Game().aboutBox, first);
    EXPECT_TRUE(IsOpen());
    EXPECT_NE(TorUtility::lastPanel, link) << "the wheel would turn a panel that is gone";
}

// Tab moves the focus from "OK" to the next of the box's stops, whose focus handler deletes the
// button: the key then goes to nobody, and nothing reads the button once it is freed.
TEST_F(AboutBoxTest, TabWhoseFocusHandlerDeletesTheButtonThatHadTheFocusLeavesItAlone)
{
    FreedMemoryGuard::Start();
    Click(Game().infoButton);
    ASSERT_TRUE(IsOpen());
    About().okButton->Focus();
    HWND ok = About().okButton->handle;
    ASSERT_EQ(GetFocus(), ok);
    About().okButton->onKeyDown = [](TorUtility::GUIElement*, std::int32_t key) {
        return log.Record("key " + std::to_string(key)), 0;
    };
    const auto deleteOk = [](TorUtility::GUIElement* focused) {
        delete std::exchange(TorUtility::HostingForm<FormAbout>(focused)->okButton, nullptr);
        return log.Record("OK deleted"), 0;
    };
    // From "OK" the focus wraps round to the web link.
    About().webLink->onGotFocus = deleteOk;

    SendMessageW(ok, WM_KEYDOWN, VK_TAB, 1);
    FreedMemoryGuard::Stop();
    EXPECT_EQ(FreedMemoryGuard::Touches(), 0u) << "freed memory was read or written";
    EXPECT_TRUE(log.Matches({"OK deleted"}));
    EXPECT_NE(GetFocus(), ok);
}

TEST_F(AboutBoxTest, MailAddressTurnsEachWebPrefixIntoInfoAt)
{
    Game().OpenAboutBox();
    const struct {
        const char* web;
        const char* mail;
    } cases[] = {{"http://www.tiremola.test", "info@tiremola.test"},
                 {"tiremola.test", "tiremola.test"},
                 {"https://www.tiremola.test", "https://www.tiremola.test"},
                 {"http://www.a.example/http://www.b.example", "info@a.example/info@b.example"}};
    for (const auto& c : cases) {
        About().webAddress = c.web;
        EXPECT_EQ(About().MailAddress(), c.mail) << c.web;
    }
}

TEST_F(AboutBoxTest, EveryWayOfClosingGivesTheGameItsInputBack)
{
    const struct {
        const char* way;
        std::function<void(FormAbout&)> close;
    } ways[] = {
        {"Enter", [](FormAbout& about) { SendMessageW(about.noticeBox->handle, WM_CHAR, VK_RETURN, 0); }},
        {"Escape", [](FormAbout& about) { SendMessageW(about.noticeBox->handle, WM_CHAR, VK_ESCAPE, 0); }},
        {"OK reported", [](FormAbout& about) {
             SendMessageW(about.handle, WM_COMMAND, MAKEWPARAM(about.okButton->id, BN_CLICKED),
                          reinterpret_cast<LPARAM>(static_cast<HWND>(about.okButton->handle)));
         }},
        {"OK clicked", [](FormAbout& about) { SendMessageW(about.okButton->handle, BM_CLICK, 0, 0); }},
        {"close box", [](FormAbout& about) { SendMessageW(about.handle, WM_CLOSE, 0, 0); }},
    };
    for (const auto& way : ways) {
        Click(Game().infoButton);
        ASSERT_TRUE(IsOpen()) << way.way;
        HWND box = About().handle;
        way.close(About());
        PumpMessages();
        EXPECT_TRUE(IsClosedAndGameFree(box)) << way.way;
    }
}

// A box that is deleted instead of closed, never created, or whose window could not be made
// gives the game its input back all the same.
TEST_F(AboutBoxTest, EveryWayABoxEndsWithoutClosingGivesTheGameItsInputBack)
{
    const struct {
        const char* way;
        std::function<void(FormAbout&)> prepare;
    } ways[] = {
        {"never created", [](FormAbout&) {}},
        {"creation failed", [](FormAbout& about) { about.created = true; }},
        {"deleted while open", [](FormAbout& about) { about.Create(); }},
    };
    for (const auto& way : ways) {
        auto about = std::make_unique<FormAbout>(&Game());
        way.prepare(*about);
        ASSERT_FALSE(IsWindowEnabled(Game().handle)) << way.way;
        about.reset();
        PumpMessages();
        EXPECT_TRUE(IsWindowEnabled(Game().handle)) << way.way;
        EXPECT_EQ(Game().companion, nullptr) << way.way;
    }
}

// The platform refuses the box's window (no memory, a desktop out of handles, here a hook): "Info"
// does nothing but beep, the game stays usable, and the next "Info" opens the box.
TEST_F(AboutBoxTest, BoxWhoseWindowIsRefusedLeavesTheGameUsableAndTheNextInfoTriesAgain)
{
    HHOOK refusal = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM window, LPARAM data) -> LRESULT {
            if (code == HCBT_CREATEWND) {
                const CREATESTRUCTW* made = reinterpret_cast<CBT_CREATEWNDW*>(data)->lpcs;
                if (made->lpszName && std::wstring(made->lpszName) == L"Info...")
                    return 1;
            }
            return CallNextHookEx(nullptr, code, window, data);
        },
        nullptr, GetCurrentThreadId());
    ASSERT_NE(refusal, nullptr);
    // The box itself gives its caller back its input as soon as its window is refused.
    {
        FormAbout box(&Game());
        box.Create();
        EXPECT_FALSE(box.created);
        EXPECT_TRUE(IsWindowEnabled(Game().handle)) << "the box lets go before it is deleted";
        EXPECT_EQ(Game().companion, nullptr);
    }
    Click(Game().infoButton);
    UnhookWindowsHookEx(refusal);
    EXPECT_TRUE(log.Matches({"beep 0xFFFFFFFF (running)"}));
    EXPECT_EQ(Game().aboutBox, nullptr) << "no dead box is kept";
    EXPECT_TRUE(IsWindowEnabled(Game().handle));
    EXPECT_EQ(Game().boxesOpen, 0);
    EXPECT_EQ(Game().companion, nullptr);
    EXPECT_EQ(OpenAboutWindows(), 0);

    Click(Game().infoButton);
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(OpenAboutWindows(), 1);
}

// Tab goes round the web link, the mail link, the notice and "OK"; Enter or Space on a link that
// has the focus follows it as a press does, and leaves the box open; Enter on "OK" closes it.
TEST_F(AboutBoxTest, TabReachesTheLinksAndOkAndEnterOrSpaceOnALinkFollowsIt)
{
    Click(Game().infoButton);
    ASSERT_TRUE(IsOpen());
    SetForegroundWindow(About().handle);
    About().okButton->Focus();
    const auto key = [](UINT code) {
        HWND target = GetFocus();
        SendMessageW(target, WM_KEYDOWN, code, 1);
        if (code == VK_RETURN || code == VK_SPACE)
            SendMessageW(target, WM_CHAR, code, 1);
        SendMessageW(target, WM_KEYUP, code, 0xC0000001);
        PumpMessages();
    };
    const HWND stops[] = {About().webLink->handle, About().mailLink->handle, About().noticeBox->handle,
                          About().okButton->handle, About().webLink->handle};
    for (HWND expected : stops) {
        key(VK_TAB);
        EXPECT_EQ(GetFocus(), expected);
    }
    key(VK_RETURN);
    key(VK_TAB);
    key(VK_SPACE);
    EXPECT_TRUE(log.Matches({"shell open http://www.tiremola.test (SW_SHOW, over Tiremola)", mailRequest}));
    EXPECT_TRUE(IsOpen()) << "following a link leaves the box open";
    HWND box = About().handle;
    key(VK_TAB);
    key(VK_TAB);
    ASSERT_EQ(GetFocus(), static_cast<HWND>(About().okButton->handle));
    key(VK_RETURN);
    EXPECT_TRUE(IsClosedAndGameFree(box));
}

TEST_F(AboutBoxTest, NoticeLetsOrdinaryCharactersThroughAndSwallowsTheClosingOnes)
{
    Click(Game().infoButton);
    ASSERT_TRUE(IsOpen());
    HWND notice = About().noticeBox->handle;
    const std::string text = About().noticeBox->GetText();
    noticeProc = About().noticeBox->previousProc;
    About().noticeBox->previousProc = NoticeRecorder;

    for (WPARAM character : {WPARAM{'a'}, WPARAM{' '}}) {
        log.Record("send " + std::to_string(character));
        SendMessageW(notice, WM_CHAR, character, 0);
    }
    EXPECT_TRUE(IsOpen());
    EXPECT_EQ(About().noticeBox->GetText(), text) << "the notice is read-only";
    log.Record("send 27");
    EXPECT_EQ(SendMessageW(notice, WM_CHAR, VK_ESCAPE, 0), 1);
    EXPECT_TRUE(log.Matches({"send 97", "edit 97", "send 32", "edit 32", "send 27"}));
    EXPECT_FALSE(IsWindow(notice));
}

TEST_F(AboutBoxTest, OpeningItAgainReplacesTheOpenBox)
{
    Click(Game().infoButton);
    HWND first = About().handle;
    Click(Game().infoButton);
    ASSERT_TRUE(IsOpen());
    EXPECT_NE(static_cast<HWND>(About().handle), first);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(OpenAboutWindows(), 1);
    HWND second = About().handle;
    SendMessageW(About().okButton->handle, BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_TRUE(IsClosedAndGameFree(second));
    EXPECT_EQ(OpenAboutWindows(), 0);
}

}
