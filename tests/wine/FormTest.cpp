#include "Form.h"
#include "FormAbout.h"
#include "Label.h"
#include "TestSupport.h"

#include <memory>

using namespace TorUtility;
using TestSupport::ClassNameOf;
using TestSupport::PumpMessages;

namespace {

using TestSupport::log;

class FormTest : public TestSupport::ToolkitTest {
protected:
    static std::unique_ptr<Form> NewForm() { return std::make_unique<Form>(GetModuleHandleW(nullptr)); }
};

TEST_F(FormTest, FirstFormRegistersWindow0TakesId1AndBecomesTheMainWindow)
{
    auto form = NewForm();
    form->Create();
    EXPECT_EQ(ClassNameOf(form->handle), L"Window0");
    EXPECT_EQ(form->id, 1);
    EXPECT_EQ(mainWindow, static_cast<HWND>(form->handle));
    EXPECT_TRUE(form->created);
    EXPECT_EQ(form->typeName, "form");
}

TEST_F(FormTest, LaterFormIsNamedAfterTheCounterAtItsOwnCreation)
{
    auto first = NewForm();
    first->Create();
    std::vector<std::unique_ptr<Label>> labels;
    for (int i = 0; i < 4; ++i) {
        labels.push_back(std::make_unique<Label>(first.get(), "x"));
        labels.back()->Create();
    }
    auto second = NewForm();
    second->Create();
    EXPECT_EQ(ClassNameOf(second->handle), L"Window5");
    EXPECT_EQ(second->id, 6);
    EXPECT_EQ(mainWindow, static_cast<HWND>(first->handle));
}

TEST_F(FormTest, ClassBrushIsButtonFaceWithoutColourAndSolidWithOne)
{
    auto plain = NewForm();
    plain->Create();
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrW(plain->handle, GCLP_HBRBACKGROUND)),
              GetSysColorBrush(COLOR_BTNFACE));

    auto coloured = NewForm();
    coloured->SetBackColor(RGB(153, 204, 255));
    coloured->Create();
    auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(coloured->handle, GCLP_HBRBACKGROUND));
    LOGBRUSH description{};
    ASSERT_TRUE(GetObjectW(brush, sizeof description, &description));
    EXPECT_EQ(description.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(description.lbColor, RGB(153, 204, 255));
}

// A class whose name is taken already cannot be registered, and never owns the brush made for it:
// the brush goes at once instead of being left behind.
TEST_F(FormTest, ClassRefusedByThePlatformLeavesNoBrushBehind)
{
    const std::wstring formClass = L"Window" + std::to_wstring(idCounter);
    const std::wstring panelClass = L"PanelChildren" + std::to_wstring(idCounter + 1);
    for (const std::wstring& name : {formClass, panelClass}) {
        WNDCLASSW taken{};
        taken.lpfnWndProc = DefWindowProcW;
        taken.hInstance = GetModuleHandleW(nullptr);
        taken.lpszClassName = name.c_str();
        ASSERT_TRUE(RegisterClassW(&taken));
    }
    const std::int64_t before = TestSupport::OutstandingGdiObjects();
    auto refused = NewForm();
    refused->SetBackColor(RGB(153, 204, 255));
    refused->Create();
    PanelChildren panel(refused.get());
    panel.SetBackColor(RGB(255, 0, 0));
    panel.Create();
    EXPECT_EQ(ClassNameOf(panel.handle), panelClass);
    EXPECT_EQ(TestSupport::OutstandingGdiObjects(), before);
}

struct StyleCase {
    const char* name;
    bool dialogFrame, topmost, minimizeBox, resizable, captioned, modalFrameStyle;
    DWORD style, extendedStyle;
};

class FormStyles : public FormTest, public ::testing::WithParamInterface<StyleCase> {};

// The platform adds bits of its own (WS_CLIPSIBLINGS, edges), so only the toolkit's bits are
// compared, both ways: each asked-for bit is present and each refused bit is absent.
TEST_P(FormStyles, WindowCarriesTheStyleBitsTheFlagsAskFor)
{
    const StyleCase& c = GetParam();
    auto form = std::make_unique<Form>(GetModuleHandleW(nullptr), c.dialogFrame);
    form->topmost = c.topmost;
    form->minimizeBox = c.minimizeBox;
    form->resizable = c.resizable;
    form->captioned = c.captioned;
    form->modalFrameStyle = c.modalFrameStyle;
    EXPECT_EQ(form->WindowStyle(), c.style);
    EXPECT_EQ(form->ExtendedWindowStyle(), c.extendedStyle);
    form->Create();
    const auto style = static_cast<DWORD>(GetWindowLongW(form->handle, GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongW(form->handle, GWL_EXSTYLE));
    constexpr DWORD governed = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                               WS_MAXIMIZEBOX | WS_DISABLED | 0x80;
    EXPECT_EQ(style & governed, c.style | WS_VISIBLE) << std::hex << style;
    constexpr DWORD governedExtended = WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    EXPECT_EQ(extended & governedExtended, c.extendedStyle) << std::hex << extended;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, FormStyles,
    ::testing::Values(StyleCase{"GameWindow", false, true, true, false, true, false, 0x10CA0000, 0},
                      StyleCase{"Resizable", false, true, true, true, true, false, 0x10CF0000, 0},
                      StyleCase{"NoMinimize", false, true, false, true, true, false, 0x10CD0000, 0},
                      StyleCase{"Popup", false, true, true, true, false, false, WS_POPUP, 0},
                      StyleCase{"DialogTopmost", true, true, true, true, true, false, 0x10C90000, 0x89},
                      StyleCase{"DialogPlain", true, false, true, true, true, false, 0x10C90000, 0x81},
                      StyleCase{"AboutBox", true, false, false, false, true, true, 0x10C80080, 0x81}),
    [](const ::testing::TestParamInfo<StyleCase>& info) { return info.param.name; });

TEST_F(FormTest, DisabledFormIsCreatedDisabled)
{
    auto form = NewForm();
    form->enabled = false;
    form->Create();
    EXPECT_FALSE(IsWindowEnabled(form->handle));
}

TEST_F(FormTest, ClientSizeIsExactAfterSetClientSize)
{
    auto form = NewForm();
    form->minimizeBox = true;
    form->resizable = false;
    form->SetClientSize(640, 400);
    EXPECT_EQ(form->width, 100);
    form->Create();
    form->SetClientSize(640, 400);
    RECT client{};
    GetClientRect(form->handle, &client);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 400);
    RECT window{};
    GetWindowRect(form->handle, &window);
    EXPECT_EQ(form->width, window.right - window.left);
    EXPECT_EQ(form->height, window.bottom - window.top);
}

TEST_F(FormTest, CentringBeforeCreationStoresThePositionCreationUses)
{
    auto form = NewForm();
    form->width = 600;
    form->height = 300;
    form->CenterOnScreen();
    const int expectedX = (GetSystemMetrics(SM_CXSCREEN) - 600) / 2;
    const int expectedY = (GetSystemMetrics(SM_CYSCREEN) - 300) / 2;
    EXPECT_EQ(form->x, expectedX);
    EXPECT_EQ(form->y, expectedY);
    form->Create();
    RECT window{};
    GetWindowRect(form->handle, &window);
    EXPECT_EQ(window.left, expectedX);
    EXPECT_EQ(window.top, expectedY);
}

TEST_F(FormTest, CentringAfterCreationUsesTheRealOuterSize)
{
    auto form = NewForm();
    form->Create();
    form->SetClientSize(500, 250);
    form->CenterOnScreen();
    RECT window{};
    GetWindowRect(form->handle, &window);
    const int w = window.right - window.left;
    const int h = window.bottom - window.top;
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - w) / 2);
    EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - h) / 2);
}

TEST_F(FormTest, DeletingAnOpenFormAsksItsClosingHandlerButIsNotStoppedByIt)
{
    auto form = NewForm();
    form->onClosing = [](GUIElement*) { return log.Record("closing"), false; };
    form->Create();
    HWND window = form->handle;
    form.reset();
    EXPECT_TRUE(log.Matches({"closing"}));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(FormTest, DeletingAFormWhoseWindowIsGoneLeavesTheOldHandleAlone)
{
    auto form = NewForm();
    form->onClosing = [](GUIElement*) { return log.Record("closing"), true; };
    form->Create();
    DestroyWindow(form->handle);
    EXPECT_TRUE(form->destroyed);
    form.reset();
    EXPECT_TRUE(log.Matches({}));
}

// The active form, a companion and an about box's caller all name a form that may be deleted;
// the next activation, and the box's own end, must not reach it.
TEST_F(FormTest, DeletingAFormLeavesNothingToolkitWideNamingIt)
{
    auto opener = NewForm();
    opener->Create();
    SetForegroundWindow(opener->handle);
    PumpMessages();
    ASSERT_EQ(activeForm, opener.get());
    auto box = std::make_unique<FormAbout>(opener.get());
    ASSERT_EQ(opener->companion, box.get());
    auto other = NewForm();
    other->companion = opener.get();

    opener.reset();
    EXPECT_EQ(activeForm, nullptr);
    EXPECT_EQ(other->companion, nullptr);
    EXPECT_EQ(box->caller, nullptr);
    box.reset();
    other->Create();
    SetForegroundWindow(other->handle);
    PumpMessages();
    EXPECT_EQ(activeForm, other.get());
}

// Two boxes are open over the form, which also owns a hidden window of its own, its tooltip (the
// topmost of the windows it owns). When one box closes, the one still open comes to the front,
// never the hidden window; when the last closes, the form does.
TEST_F(FormTest, ClosingOneOfTwoBoxesBringsTheOtherToTheFrontNeverAHiddenOwnedWindow)
{
    auto form = NewForm();
    form->tooltipText = "a tip";
    form->Create();
    ASSERT_NE(form->tooltipHandle, nullptr);
    ASSERT_EQ(GetWindow(form->tooltipHandle, GW_OWNER), static_cast<HWND>(form->handle));
    ASSERT_FALSE(IsWindowVisible(form->tooltipHandle));
    const auto openBox = [&form](const char* caption) {
        HWND box = CreateWindowExA(0, "static", caption, WS_POPUP | WS_CAPTION | WS_VISIBLE, 60, 60, 200, 100,
                                   form->handle, nullptr, nullptr, nullptr);
        form->Hold();
        SetActiveWindow(box);
        return box;
    };
    HWND first = openBox("first");
    HWND second = openBox("second");
    PumpMessages();
    ASSERT_EQ(GetActiveWindow(), second);

    DestroyWindow(second);
    form->Release();
    PumpMessages();
    EXPECT_EQ(GetActiveWindow(), first);
    EXPECT_FALSE(IsWindowEnabled(form->handle));
    DestroyWindow(first);
    form->Release();
    PumpMessages();
    EXPECT_EQ(GetActiveWindow(), static_cast<HWND>(form->handle));
    EXPECT_TRUE(IsWindowEnabled(form->handle));
}

TEST_F(FormTest, IconIsSetOnlyOnceTheWindowExists)
{
    auto form = NewForm();
    form->SetIcon(32512);
    EXPECT_EQ(form->iconId, 32512);
    EXPECT_EQ(form->iconHandle, nullptr);
    form->Create();
    form->SetIcon(1);
    EXPECT_EQ(form->iconHandle, nullptr) << "a missing resource sends nothing";
    EXPECT_EQ(SendMessageW(form->handle, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(FormTest, HotKeysAreRegisteredUnderTheirPositions)
{
    auto form = NewForm();
    form->Create();
    form->hotKeys.push_back(HotKey{MOD_CONTROL | MOD_ALT, VK_F9, nullptr});
    form->RegisterHotKeys();
    EXPECT_FALSE(RegisterHotKey(form->handle, 2, MOD_CONTROL | MOD_ALT, VK_F9)) << "the combination is taken";
    form->UnregisterHotKeys();
    EXPECT_TRUE(RegisterHotKey(form->handle, 2, MOD_CONTROL | MOD_ALT, VK_F9));
    UnregisterHotKey(form->handle, 2);
}

}
