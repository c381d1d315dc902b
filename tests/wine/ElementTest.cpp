#include "Form.h"
#include "Label.h"
#include "TestSupport.h"

#include <commctrl.h>

#include <memory>

using namespace TorUtility;
using TestSupport::PixelOf;
using TestSupport::PumpMessages;

namespace {

using TestSupport::log;

class ElementTest : public TestSupport::ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        form = std::make_unique<Form>(GetModuleHandleW(nullptr));
        form->width = 300;
        form->height = 200;
        form->Create();
    }

    std::unique_ptr<Form> form;
};

// An element kind with no window of its own, for the element's own behaviour.
class Bare : public Child {
public:
    Bare() : Child(nullptr) {}
    void Create() override {}
};

TEST_F(ElementTest, DefaultsOfANewElement)
{
    Bare element;
    EXPECT_TRUE(element.visible);
    EXPECT_FALSE(element.destroyed);
    EXPECT_FALSE(element.created);
    EXPECT_EQ(element.width, 100);
    EXPECT_EQ(element.height, 50);
    EXPECT_EQ(element.x, 100);
    EXPECT_EQ(element.y, 100);
    EXPECT_EQ(element.backColor, -1);
    EXPECT_TRUE(element.enabled);
    EXPECT_EQ(static_cast<HWND>(element.handle), nullptr);
    EXPECT_EQ(element.font, nullptr);
    EXPECT_TRUE(element.typeName.empty());
}

TEST_F(ElementTest, EmptySlotsLetCharactersAndClosingThrough)
{
    Bare element;
    EXPECT_TRUE(element.OnChar('a'));
    EXPECT_TRUE(element.OnClosing());
    element.onChar = [](GUIElement*, std::int32_t code) { return code != 'x'; };
    element.onClosing = [](GUIElement*) { return false; };
    EXPECT_TRUE(element.OnChar('a'));
    EXPECT_FALSE(element.OnChar('x'));
    EXPECT_FALSE(element.OnClosing());
}

TEST_F(ElementTest, AttachWindowRaisesCreatedOnceAndKeepsTheFirstHandle)
{
    Bare element;
    element.onCreated = [](GUIElement*, HWND window) {
        log.Record("created " + std::to_string(reinterpret_cast<std::uintptr_t>(window)));
    };
    HWND first = reinterpret_cast<HWND>(0x1234);
    element.AttachWindow(first);
    element.AttachWindow(reinterpret_cast<HWND>(0x5678));
    EXPECT_TRUE(log.Matches({"created " + std::to_string(0x1234)}));
    EXPECT_EQ(static_cast<HWND>(element.handle), first);
    element.handle = nullptr;

    // A handler that attaches the window again, as a build handler reaching its form may, raises
    // nothing more (it would stop after a few rounds if it did).
    Bare reentered;
    reentered.onCreated = [](GUIElement* attached, HWND window) {
        log.Record("created");
        if (log.Events().size() < 3)
            attached->AttachWindow(window);
    };
    log.Clear();
    reentered.AttachWindow(first);
    EXPECT_TRUE(log.Matches({"created"}));
    reentered.handle = nullptr;
}

// A control that outlives its element gets its own window procedure back: what is sent to it
// afterwards goes to the control, not to the toolkit, which would take the newest element still
// without a window for its owner.
TEST_F(ElementTest, ControlThatOutlivesItsElementGetsItsOwnProcedureBack)
{
    auto label = std::make_unique<Label>(form.get(), "kept");
    label->Create();
    HWND window = label->handle;
    const WNDPROC own = label->previousProc;
    ASSERT_NE(own, nullptr);
    ASSERT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), &WindowProc);
    label.reset();
    ASSERT_TRUE(IsWindow(window)) << "the control lives on with the form";
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)), own);

    Bare newest;
    newest.onLeftDown = [](GUIElement*, HWND, std::int32_t, std::int32_t) { return log.Record("press"), 0; };
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still a label"));
    EXPECT_TRUE(log.Matches({}));
    wchar_t text[32] = {};
    GetWindowTextW(window, text, 32);
    EXPECT_EQ(std::wstring(text), L"still a label");
}

TEST_F(ElementTest, LostFocusRaisesChangedOnlyWhenTheTextChanged)
{
    Label label(form.get(), "before");
    label.Create();
    label.onGotFocus = [](GUIElement*) { return log.Record("got focus"), 0; };
    label.onLostFocus = [](GUIElement*) { log.Record("lost focus"); };
    label.onChanged = [](GUIElement*) { return log.Record("changed"), 0; };

    label.OnGotFocus();
    label.OnLostFocus();
    EXPECT_TRUE(log.Matches({"got focus", "lost focus"}));

    log.Clear();
    label.OnGotFocus();
    SetWindowTextW(label.handle, L"after");
    label.OnLostFocus();
    EXPECT_TRUE(log.Matches({"got focus", "lost focus", "changed"}));
}

TEST_F(ElementTest, TextIsReadBackFromTheWindow)
{
    Label label(form.get(), "caption");
    EXPECT_EQ(label.GetText(), "caption");
    label.Create();
    SetWindowTextW(label.handle, L"caf\u00e9");
    EXPECT_EQ(label.GetText(), "caf\xe9");
    SetWindowTextW(label.handle, L"");
    EXPECT_EQ(label.GetText(), "");
}

TEST_F(ElementTest, BackColourBeforeCreationIsOnlyStored)
{
    Label label(form.get(), "");
    label.SetBackColor(RGB(10, 20, 30));
    EXPECT_EQ(label.backColor, static_cast<std::int32_t>(RGB(10, 20, 30)));
    EXPECT_FALSE(label.backPainted);
}

TEST_F(ElementTest, BackColourAfterCreationPaintsAtOnceAndOnEveryPaint)
{
    Label label(form.get(), "");
    label.Create();
    PumpMessages();
    label.SetBackColor(RGB(200, 10, 10));
    EXPECT_TRUE(label.backPainted);
    EXPECT_EQ(PixelOf(label.handle, 5, 5), RGB(200, 10, 10));
    label.onPaint = [](GUIElement*) { log.Record("paint"); };
    RedrawWindow(label.handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(log.Matches({"paint"}));
}

TEST_F(ElementTest, PositionOfAChildIsInItsParentsClientArea)
{
    form->x = 50;
    form->y = 60;
    Label label(form.get(), "");
    label.x = 17;
    label.y = 23;
    label.Create();
    const POINT inParent = label.GetPosition();
    EXPECT_EQ(inParent.x, 17);
    EXPECT_EQ(inParent.y, 23);

    label.SetPosition(40, 45);
    const POINT moved = label.GetPosition();
    EXPECT_EQ(moved.x, 40);
    EXPECT_EQ(moved.y, 45);

    RECT window{};
    GetWindowRect(form->handle, &window);
    const POINT onScreen = form->GetPosition();
    EXPECT_EQ(onScreen.x, window.left);
    EXPECT_EQ(onScreen.y, window.top);
}

TEST_F(ElementTest, SetPositionBeforeCreationOnlyStores)
{
    Label label(form.get(), "");
    label.SetPosition(7, 8);
    const POINT stored = label.GetPosition();
    EXPECT_EQ(stored.x, 7);
    EXPECT_EQ(stored.y, 8);
}

// What a tooltip holds for its owner's tool: the text and the area of the owner it answers over.
struct Tool {
    std::wstring text;
    RECT area;
};

Tool ToolOf(HWND tooltip, HWND owner)
{
    std::vector<wchar_t> buffer(4096, L'\0');
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(owner);
    info.lpszText = buffer.data();
    SendMessageW(tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info));
    return Tool{buffer.data(), info.rect};
}

RECT ClientAreaOf(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    return client;
}

// The tip answers over the element's whole client area, also once the element has grown.
TEST_F(ElementTest, NoTooltipWithoutTextUntilOneIsSetAndUpdated)
{
    Label label(form.get(), "");
    label.Create();
    EXPECT_EQ(label.tooltipHandle, nullptr);

    label.tooltipText = "Suggerimento";
    label.UpdateTooltip();
    ASSERT_NE(label.tooltipHandle, nullptr);
    Tool tool = ToolOf(label.tooltipHandle, label.handle);
    EXPECT_EQ(tool.text, L"Suggerimento");
    EXPECT_EQ(tool.area, ClientAreaOf(label.handle));

    SetWindowPos(label.handle, nullptr, 0, 0, 140, 70, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    label.tooltipText = "Altro";
    label.UpdateTooltip();
    tool = ToolOf(label.tooltipHandle, label.handle);
    EXPECT_EQ(tool.text, L"Altro");
    EXPECT_EQ(tool.area, (RECT{0, 0, 140, 70}));
}

TEST_F(ElementTest, TooltipTextIsCutTo2023Characters)
{
    Label label(form.get(), "");
    label.tooltipText = std::string(2023, 'a') + "bcdef";
    label.Create();
    ASSERT_NE(label.tooltipHandle, nullptr);
    const std::wstring shown = ToolOf(label.tooltipHandle, label.handle).text;
    EXPECT_EQ(shown.size(), 2023u);
    EXPECT_EQ(shown, std::wstring(2023, L'a'));
}

}
