#include "Form.h"

#include "Dpi.h"
#include "Drawing.h"
#include "ElementRegistry.h"
#include "FormAbout.h"
#include "Image.h"
#include "PanelChildren.h"
#include "TextUtilities.h"
#include "WindowProc.h"

#include <algorithm>

namespace TorUtility {

namespace {

constexpr DWORD captionedStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX;

// The topmost window on the screen that `owner` owns: a box open over it.
HWND BoxOver(HWND owner)
{
    struct Search {
        HWND owner;
        HWND found;
    } search{owner, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* wanted = reinterpret_cast<Search*>(data);
            if (GetWindow(window, GW_OWNER) != wanted->owner || !IsWindowVisible(window))
                return TRUE;
            wanted->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A main window that is gone, or was never made, ends the message loop as its destruction
// would, also when nothing posts the quit message.
void QuitWithoutMainWindow(const Form* mainForm)
{
    if (mainForm && !IsWindow(mainForm->handle))
        PostQuitMessage(0);
}

}

Form::Form(HINSTANCE moduleInstance) : Form(moduleInstance, false)
{
}

Form::Form(HINSTANCE moduleInstance, bool withDialogFrame)
    : GUIElement(moduleInstance), dialogFrame(withDialogFrame), dpi(SystemDpi())
{
    typeName = "form";
}

Form::~Form()
{
    // A window destroyed already may have lent its handle to a new window by now.
    if (created && handle && !destroyed) {
        SendMessageW(handle, WM_CLOSE, 0, 0);
        created = false;
        // cppcheck-suppress knownConditionTrueFalse ; WM_CLOSE runs the window procedure, which may destroy the window
        if (!destroyed)
            DestroyWindow(handle);
    }
    // The icon was made by this form from the program's resources, so it is this form's to free,
    // once no window shows it any more.
    if (iconHandle)
        DestroyIcon(iconHandle);
    hotKeys.clear();
    ReleaseClass();
    ForgetEverywhere();
}

// The class was made for this form's window alone; it goes once that window is gone. The system
// deletes a class's background brush with the class, so the brush made for it is not deleted
// again here: its handle may already name another object.
void Form::ReleaseClass()
{
    if (!className.empty() && UnregisterClassW(className.c_str(), instance))
        windowClass.hbrBackground = nullptr;
}

// Nothing toolkit-wide may go on naming a form that is gone.
void Form::ForgetEverywhere()
{
    if (activeForm == this)
        activeForm = nullptr;
    if (mainFormInstance == this)
        mainFormInstance = nullptr;
    for (GUIElement* element : ElementRegistry::Elements()) {
        auto* form = dynamic_cast<Form*>(element);
        if (form && form->companion == this)
            form->companion = nullptr;
        auto* box = dynamic_cast<FormAbout*>(element);
        if (box && box->caller == this)
            box->caller = nullptr;
    }
}

DWORD Form::WindowStyle() const
{
    DWORD style;
    if (dialogFrame)
        style = captionedStyle | (modalFrameStyle ? DS_MODALFRAME : 0);
    else if (captioned)
        style = captionedStyle | (minimizeBox ? WS_MINIMIZEBOX : 0) | (resizable ? WS_THICKFRAME : 0);
    else
        style = WS_POPUP;
    if (!resizable)
        style &= ~WS_MAXIMIZEBOX;
    if (!minimizeBox)
        style &= ~WS_MINIMIZEBOX;
    if (!enabled)
        style |= WS_DISABLED;
    return style;
}

DWORD Form::ExtendedWindowStyle() const
{
    if (!dialogFrame)
        return 0;
    return WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW | (topmost ? WS_EX_TOPMOST : 0);
}

void Form::Create()
{
    if (created)
        return;
    className = L"Window" + ToWide(ToText(idCounter));
    TakeNextId();

    windowClass = WNDCLASSW{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = iconId != 0 ? LoadIconW(instance, MAKEINTRESOURCEW(iconId)) : LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = backColor == -1 ? GetSysColorBrush(COLOR_BTNFACE)
                                                : Made(CreateSolidBrush(static_cast<COLORREF>(backColor)));
    windowClass.lpszClassName = className.c_str();
    RegisterWindowClass();

    const DWORD style = showLater ? WindowStyle() & ~WS_VISIBLE : WindowStyle();
    const RECT device = DeviceRect();
    handle = CreateWindowExW(ExtendedWindowStyle(), className.c_str(), text.c_str(), style, device.left, device.top,
                             device.right - device.left, device.bottom - device.top, nullptr, nullptr, instance,
                             nullptr);
    // A window the platform refused leaves the form uncreated, so that nothing takes it for open
    // and a later Create tries again.
    if (!handle) {
        static_cast<void>(GetLastError());
        ReleaseClass();
        className.clear();
        return;
    }
    if (!mainWindow)
        mainWindow = handle;
    AttachWindow(handle);
    if (!showLater)
        Show();
    created = true;
    clientSize = GetClientSize();
    BOOL alwaysShown = FALSE;
    keyboardCues = SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &alwaysShown, 0) && alwaysShown;
    CreateTooltip(handle);
    ApplyFont();
}

void Form::SetClientSize(std::int32_t clientWidth, std::int32_t clientHeight)
{
    if (!created)
        return;
    RECT window{};
    RECT client{};
    GetWindowRect(handle, &window);
    GetClientRect(handle, &client);
    const int frameWidth = std::max<int>(0, (window.right - window.left) - (client.right - client.left));
    const int frameHeight = std::max<int>(0, (window.bottom - window.top) - (client.bottom - client.top));
    GetPosition();
    clientSize = SIZE{clientWidth, clientHeight};
    // The frame is the platform's, in device pixels already; only the client area is scaled.
    const SIZE outer{ToDevice(clientWidth, dpi) + frameWidth, ToDevice(clientHeight, dpi) + frameHeight};
    width = ToLogical(outer.cx, dpi);
    height = ToLogical(outer.cy, dpi);
    SetWindowPos(handle, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOMOVE);
    UpdateTooltip();
    Redraw();
}

void Form::Show()
{
    ShowWindow(handle, SW_SHOW);
    UpdateWindow(handle);
}

void Form::CenterOnScreen()
{
    const int screenWidth = ToLogical(GetSystemMetrics(SM_CXSCREEN), dpi);
    const int screenHeight = ToLogical(GetSystemMetrics(SM_CYSCREEN), dpi);
    if (created) {
        RECT window{};
        GetWindowRect(handle, &window);
        width = ToLogical(window.right - window.left, dpi);
        height = ToLogical(window.bottom - window.top, dpi);
    }
    x = (screenWidth - width) / 2;
    y = (screenHeight - height) / 2;
    if (!created)
        return;
    SetWindowPos(handle, nullptr, ToDevice(x, dpi), ToDevice(y, dpi), 0, 0, SWP_NOZORDER | SWP_NOSIZE);
    Redraw();
}

void Form::SetIcon(std::int32_t resourceId)
{
    iconId = resourceId;
    if (!created)
        return;
    // Loaded at the small-icon size, so the title bar shows the picture drawn for that size.
    HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                              SystemMetricForDpi(SM_CXSMICON, dpi),
                                              SystemMetricForDpi(SM_CYSMICON, dpi), 0));
    if (!icon)
        return;
    SendMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (iconHandle)
        DestroyIcon(iconHandle);
    iconHandle = icon;
}

namespace {

// Every element with a window inside the form follows its scale; pictures are made again for it.
BOOL CALLBACK RescaleChild(HWND window, LPARAM)
{
    if (GUIElement* element = ElementRegistry::LastWithHandle(window)) {
        element->Rescale();
        if (auto* image = dynamic_cast<Image*>(element))
            image->Reload();
    }
    return TRUE;
}

}

// The panels inside the form whose content is scrolled.
std::vector<PanelChildren*> Form::ScrolledPanels() const
{
    std::vector<PanelChildren*> panels;
    for (GUIElement* element : ElementRegistry::Elements()) {
        auto* panel = dynamic_cast<PanelChildren*>(element);
        if (!panel || !panel->created || !IsChild(handle, panel->handle))
            continue;
        const POINT at = panel->ScrollPosition();
        if (at.x != 0 || at.y != 0)
            panels.push_back(panel);
    }
    return panels;
}

// The window's size comes from the logical client size the form keeps, never from what the window
// measures on the way (nothing while minimised, what the screen left of it when it did not fit).
// Scrolled content goes back to its origin at the old scale and forward to its bars again at the
// new one, so that it stands where it would have been placed at that scale.
void Form::ChangeDpi(UINT newDpi, const RECT& suggested)
{
    const std::vector<PanelChildren*> scrolled = ScrolledPanels();
    for (PanelChildren* panel : scrolled) {
        panel->ShiftContent(panel->ScrollPosition(), POINT{0, 0});
        for (GUIElement* element : ElementRegistry::Elements())
            if (element->parent == panel && element->created)
                element->GetPosition();
    }
    dpi = newDpi;
    EnumChildWindows(handle, RescaleChild, 0);
    for (PanelChildren* panel : scrolled)
        panel->ShiftContent(POINT{0, 0}, panel->ScrollPosition());
    ApplyFont();
    if (iconHandle)
        SetIcon(iconId);
    if (IsIconic(handle)) {
        layoutPending = true;
        return;
    }
    SetWindowPos(handle, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The suggested rectangle scales the frame too, which the platform may draw at another size.
    SetClientSize(clientSize.cx, clientSize.cy);
}

// A window whose scale changed while it was minimised takes its size at that scale once restored.
void Form::OnResized()
{
    if (layoutPending && created && !IsIconic(handle)) {
        layoutPending = false;
        SetClientSize(clientSize.cx, clientSize.cy);
    }
    GUIElement::OnResized();
}

void Form::ShowKeyboardCues()
{
    if (keyboardCues)
        return;
    FollowKeyboardCues(true);
    if (created)
        SendMessageW(handle, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

// The window with the focus paints itself again, with or without its focus.
void Form::FollowKeyboardCues(bool shown)
{
    if (keyboardCues == shown)
        return;
    keyboardCues = shown;
    HWND focus = GetFocus();
    if (created && focus && IsChild(handle, focus))
        InvalidateRect(focus, nullptr, TRUE);
}

// Only for someone who uses the keyboard: a mouse player's form keeps the focus on its own window,
// as the platform's default puts it, so that no button shows a focus it did not have before.
void Form::RestoreFocus()
{
    HWND focus = savedFocus;
    if (keyboardCues && created && focus && IsChild(handle, focus) && IsWindowVisible(focus) && IsWindowEnabled(focus) &&
        !IsIconic(handle))
        SetFocus(focus);
}

void Form::RegisterHotKeys()
{
    for (std::size_t n = 1; n <= hotKeys.size(); ++n)
        RegisterHotKey(handle, static_cast<int>(n), hotKeys[n - 1].modifiers, hotKeys[n - 1].key);
}

void Form::UnregisterHotKeys()
{
    for (std::size_t n = 1; n <= hotKeys.size(); ++n)
        UnregisterHotKey(handle, static_cast<int>(n));
}

void Form::Hold()
{
    ++boxesOpen;
    ApplyInputRule();
}

void Form::Release()
{
    if (boxesOpen > 0)
        --boxesOpen;
    ApplyInputRule();
    if (!created || destroyed)
        return;
    // The box that closed hands the activation to this window, shut or not: the box still open
    // comes to the front, a message box before the about box it opened over.
    HWND front = boxesOpen > 0 ? BoxOver(handle) : static_cast<HWND>(handle);
    if (!front && companion && companion->created)
        front = companion->handle;
    if (front) {
        SetForegroundWindow(front);
        SetActiveWindow(front);
    }
    // The window itself in front again takes the focus back where it was: it may have been
    // activated while the box still kept it shut, when it could take no focus.
    if (front == handle)
        RestoreFocus();
}

void Form::ApplyInputRule()
{
    if (created && !destroyed)
        EnableWindow(handle, enabled && boxesOpen == 0);
}

void RunMessageLoop(Form* mainForm)
{
    MSG message{};
    for (QuitWithoutMainWindow(mainForm); GetMessageW(&message, nullptr, 0, 0) > 0;
         QuitWithoutMainWindow(mainForm)) {
        if (mainForm && mainForm->dialogFrame && IsDialogMessageW(mainForm->handle, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}
