#include "GUIElement.h"

#include "Accessible.h"
#include "Dpi.h"
#include "Drawing.h"
#include "ElementRegistry.h"
#include "Form.h"
#include "TextUtilities.h"
#include "WindowProc.h"

#include <commctrl.h>

namespace TorUtility {

std::int32_t idCounter = 0;
GUIElement* mainFormInstance = nullptr;

namespace {

// Tooltip texts are cut to this many characters plus the terminating zero.
constexpr std::size_t tooltipBufferLength = 2024;

template <typename Slot, typename... Arguments>
void Raise(Slot slot, const Arguments&... arguments)
{
    if (slot)
        slot(arguments...);
}

}

GUIElement::GUIElement(HINSTANCE moduleInstance)
    : handle(*this, nullptr), instance(moduleInstance), id(*this, 0)
{
    ElementRegistry::Add(*this);
}

GUIElement::~GUIElement()
{
    // A control that outlives its element gets its own window procedure back, so that no message
    // for it reaches the toolkit looking for an element that is gone.
    if (previousProc && handle && !destroyed && IsWindow(handle))
        SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
    ElementRegistry::Remove(*this);
}

void GUIElement::SetBackColor(std::int32_t color)
{
    backColor = color;
    if (!created)
        return;
    InvalidateRect(handle, nullptr, FALSE);
    RECT client{};
    GetClientRect(handle, &client);
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(handle, &paint);
    SetBkColor(dc, static_cast<COLORREF>(color));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, L"", 0, nullptr);
    EndPaint(handle, &paint);
    validatedWindow = handle;
    backPainted = true;
    NoteDescriptionChange(this);
}

void GUIElement::SetEnabled(bool value)
{
    enabled = value;
    if (created)
        EnableWindow(handle, value);
    NoteDescriptionChange(this);
}

void GUIElement::SetWideText(const std::wstring& value)
{
    text = value;
    if (created)
        SetWindowTextW(handle, text.c_str());
    NoteDescriptionChange(this);
}

void GUIElement::SetText(const std::string& value)
{
    SetWideText(ToWide(value));
}

void GUIElement::OnLeftUp(std::int32_t px, std::int32_t py)
{
    Raise(onLeftUp, this, handle, px, py);
}

void GUIElement::OnLeftDown(std::int32_t px, std::int32_t py)
{
    Raise(onLeftDown, this, handle, px, py);
}

void GUIElement::OnLeftDoubleClick(std::int32_t px, std::int32_t py)
{
    Raise(onLeftDoubleClick, this, handle, px, py);
}

void GUIElement::OnRightUp(std::int32_t px, std::int32_t py)
{
    Raise(onRightUp, this, handle, px, py);
}

void GUIElement::OnRightDown(std::int32_t px, std::int32_t py)
{
    Raise(onRightDown, this, handle, px, py);
}

void GUIElement::OnRightDoubleClick(std::int32_t px, std::int32_t py)
{
    Raise(onRightDoubleClick, this, handle, px, py);
}

void GUIElement::OnKeyUp(std::int32_t key)
{
    Raise(onKeyUp, this, key);
}

void GUIElement::OnKeyDown(std::int32_t key)
{
    Raise(onKeyDown, this, key);
}

bool GUIElement::OnChar(std::int32_t code)
{
    return onChar ? onChar(this, code) : true;
}

void GUIElement::OnMouseMove(std::int32_t px, std::int32_t py)
{
    Raise(onMouseMove, this, px, py);
}

void GUIElement::OnMouseHover()
{
    Raise(onMouseHover, this);
}

void GUIElement::OnMouseLeave()
{
    Raise(onMouseLeave, this);
}

void GUIElement::Focus()
{
    if (created)
        SetFocus(handle);
}

void GUIElement::OnMoved()
{
    GetPosition();
    Raise(onMoved, this);
}

void GUIElement::OnResized()
{
    Raise(onResized, this);
}

void GUIElement::OnPaint()
{
    if (backPainted)
        SetBackColor(backColor);
    Raise(onPaint, this);
}

HBRUSH GUIElement::ColorChild(HDC)
{
    return nullptr;
}

bool GUIElement::OnClosing()
{
    return onClosing ? onClosing(this) : true;
}

void GUIElement::OnDestroyed()
{
    Raise(onDestroyed, this);
    destroyed = true;
}

void GUIElement::OnGotFocus()
{
    focusText = GetWideText();
    Raise(onGotFocus, this);
}

void GUIElement::OnLostFocus()
{
    Raise(onLostFocus, this);
    if (GetWideText() != focusText)
        Raise(onChanged, this);
}

void GUIElement::OnActivated()
{
    Raise(onActivated, this);
}

void GUIElement::OnDeactivated()
{
    Raise(onDeactivated, this);
}

void GUIElement::AttachWindow(HWND window)
{
    if (!handle)
        handle = window;
    if (createdFired)
        return;
    // Marked before raising, so that a handler which re-enters cannot raise it a second time.
    createdFired = true;
    Raise(onCreated, this, static_cast<HWND>(handle));
}

void GUIElement::Redraw()
{
    if (created)
        RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
}

bool GUIElement::IsBusyCursor()
{
    return busyCursor;
}

bool GUIElement::IsHandCursor()
{
    return handCursor;
}

void GUIElement::SetBusyCursor(bool value)
{
    busyCursor = value;
}

void GUIElement::SetHandCursor(bool value)
{
    handCursor = value;
}

void GUIElement::OnShown()
{
}

void GUIElement::Describe(Description& description)
{
    if (onDescribe)
        onDescribe(this, description);
}

// The lists are passed by value so that an override may keep them; the window procedure builds
// them as temporaries, so nothing is copied.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void GUIElement::OnNotify(std::int32_t, std::vector<std::int32_t>, std::vector<std::string>)
{
}

std::wstring GUIElement::GetWideText()
{
    // Menu elements keep a menu handle, which has no window text to read.
    if (created && IsWindow(handle)) {
        const int length = GetWindowTextLengthW(handle);
        if (length <= 0) {
            text.clear();
        } else {
            std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
            const int copied = GetWindowTextW(handle, buffer.data(), length + 1);
            if (copied != 0)
                text.assign(buffer.data(), static_cast<std::size_t>(copied));
        }
    }
    return text;
}

std::string GUIElement::GetText()
{
    return ToNarrow(GetWideText());
}

POINT GUIElement::GetPosition()
{
    if (created) {
        RECT window{};
        GetWindowRect(handle, &window);
        POINT corner{window.left, window.top};
        if (parent)
            ScreenToClient(parent->handle, &corner);
        corner = ToLogical(corner, Dpi());
        x = corner.x;
        y = corner.y;
    }
    return POINT{x, y};
}

// A window moved keeps its logical size; its device size follows from its new edges, which the
// scale may round a pixel apart from where it stood before.
void GUIElement::SetPosition(std::int32_t left, std::int32_t top)
{
    x = left;
    y = top;
    if (!created)
        return;
    const RECT device = DeviceRect();
    SetWindowPos(handle, nullptr, device.left, device.top, device.right - device.left, device.bottom - device.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    Redraw();
}

Form* GUIElement::HostForm() const
{
    for (const GUIElement* element = this; element; element = element->parent)
        if (const auto* form = dynamic_cast<const Form*>(element))
            return const_cast<Form*>(form);
    return nullptr;
}

UINT GUIElement::Dpi() const
{
    const Form* form = HostForm();
    return form ? form->dpi : SystemDpi();
}

bool GUIElement::ShowsFocus() const
{
    const Form* form = HostForm();
    return created && handle && GetFocus() == handle && form && form->keyboardCues;
}

SIZE GUIElement::GetClientSize() const
{
    RECT client{};
    if (!created || !GetClientRect(handle, &client))
        return SIZE{width, height};
    const UINT scale = Dpi();
    return SIZE{ToLogical(client.right, scale), ToLogical(client.bottom, scale)};
}

POINT GUIElement::ClientPoint(POINT screen) const
{
    ScreenToClient(handle, &screen);
    return LogicalPoint(screen);
}

// Worked out in the parent's client area, where the window's edges were scaled: the client area's
// origin is the logical pixel holding its device origin, and a point the logical pixel holding it.
POINT GUIElement::LogicalPoint(POINT client) const
{
    const UINT scale = Dpi();
    POINT origin{0, 0};
    if (parent && parent->handle && GetParent(handle) == parent->handle)
        MapWindowPoints(handle, parent->handle, &origin, 1);
    const POINT base = ToLogical(origin, scale);
    const POINT at = ToLogical(POINT{origin.x + client.x, origin.y + client.y}, scale);
    return POINT{at.x - base.x, at.y - base.y};
}

RECT GUIElement::DeviceRect() const
{
    return ToDevice(RECT{x, y, x + width, y + height}, Dpi());
}

void GUIElement::Rescale()
{
    const RECT device = DeviceRect();
    SetWindowPos(handle, nullptr, device.left, device.top, device.right - device.left, device.bottom - device.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyFont();
    if (tooltipHandle)
        UpdateTooltip();
}

void GUIElement::SetFont(FontSpec* fontSpec)
{
    font = fontSpec;
    if (created)
        ApplyFont();
}

void GUIElement::ApplyFont()
{
    if (font)
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font->GetFont(Dpi())), TRUE);
}

void GUIElement::RegisterWindowClass()
{
    if (RegisterClassW(&windowClass))
        return;
    if (windowClass.hbrBackground != GetSysColorBrush(COLOR_BTNFACE))
        Unmake(windowClass.hbrBackground);
    windowClass.hbrBackground = nullptr;
}

void GUIElement::TakeNextId()
{
    id = ++idCounter;
}

std::string GUIElement::GetTooltipText() const
{
    return tooltipText;
}

namespace {

// A tool description and the text it points at, built in place: the record cannot be copied
// or moved, so the pointer always names this record's own buffer.
struct ToolRecord {
    ToolRecord(HWND owner, const std::string& tooltip)
        : buffer(ToWide(tooltip).substr(0, tooltipBufferLength - 1))
    {
        info.cbSize = sizeof(TOOLINFOW);
        info.uFlags = TTF_SUBCLASS;
        info.hwnd = owner;
        info.uId = reinterpret_cast<UINT_PTR>(owner);
        GetClientRect(owner, &info.rect);
        info.lpszText = buffer.data();
    }
    ToolRecord(const ToolRecord&) = delete;
    ToolRecord& operator=(const ToolRecord&) = delete;

    TOOLINFOW info{};
    std::wstring buffer;
};

}

void GUIElement::CreateTooltip(HWND owner)
{
    if (tooltipText.empty() || !owner)
        return;
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    tooltipHandle = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                    0, 0, 0, 0, owner, nullptr, nullptr, nullptr);
    SetWindowPos(tooltipHandle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ToolRecord record(owner, tooltipText);
    SendMessageW(tooltipHandle, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&record.info));
}

void GUIElement::UpdateTooltip()
{
    if (!tooltipHandle) {
        CreateTooltip(handle);
        return;
    }
    ToolRecord record(handle, tooltipText);
    SendMessageW(tooltipHandle, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&record.info));
    SendMessageW(tooltipHandle, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&record.info));
}

HWND Child::MakeControlWindow(const wchar_t* className, DWORD style, DWORD extendedStyle)
{
    TakeNextId();
    const RECT device = DeviceRect();
    HWND window = CreateWindowExW(extendedStyle, className, text.c_str(), style, device.left, device.top,
                                  device.right - device.left, device.bottom - device.top,
                                  parent ? static_cast<HWND>(parent->handle) : nullptr,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (window)
        handle = window;
    else
        static_cast<void>(GetLastError());
    return window;
}

void Child::Subclass()
{
    previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
}

void Child::AttachTooltipAndFont()
{
    CreateTooltip(handle);
    ApplyFont();
}

}
