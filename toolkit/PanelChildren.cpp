#include "PanelChildren.h"

#include "Accessible.h"
#include "Dpi.h"
#include "Drawing.h"
#include "TextUtilities.h"
#include "WindowProc.h"

namespace TorUtility {

namespace {

constexpr DWORD childVisibleStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD floatingStyle = DS_MODALFRAME;

// The brushes a panel makes are its own; the system's button-face brush is shared.
bool OwnBrush(HBRUSH brush)
{
    return brush && brush != GetSysColorBrush(COLOR_BTNFACE);
}

}

PanelChildren::PanelChildren(GUIElement* host) : Child(nullptr)
{
    parent = host;
    typeName = "panel";
}

PanelChildren::~PanelChildren()
{
    // The window procedure must not send a later wheel turn or activation to a panel that is gone.
    if (lastPanel == this)
        lastPanel = nullptr;
    if (activePanel == this)
        activePanel = nullptr;
    if (OwnBrush(childBrush))
        Unmake(childBrush);
    // The class was this panel's alone; it goes once no window uses it, and the system deletes
    // its background brush with it.
    if (!className.empty())
        UnregisterClassW(className.c_str(), windowClass.hInstance);
}

DWORD PanelChildren::ComputeStyle() const
{
    DWORD style = floating ? floatingStyle : childVisibleStyle;
    if (tabStop)
        style |= WS_TABSTOP;
    if (!enabled)
        style |= WS_DISABLED;
    if (border)
        style |= WS_BORDER;
    if (horizontalScroll)
        style |= WS_HSCROLL;
    if (verticalScroll)
        style |= WS_VSCROLL;
    return style;
}

void PanelChildren::Create()
{
    if (created)
        return;
    className = L"PanelChildren" + ToWide(ToText(idCounter));
    TakeNextId();

    windowClass = WNDCLASSW{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = parent ? parent->instance : nullptr;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = backColor == -1 ? GetSysColorBrush(COLOR_BTNFACE)
                                                : Made(CreateSolidBrush(static_cast<COLORREF>(backColor)));
    windowClass.lpszClassName = className.c_str();
    RegisterWindowClass();

    DWORD extendedStyle = floating ? WS_EX_DLGMODALFRAME | WS_EX_TOOLWINDOW : 0;
    if (border && !plainBorder)
        extendedStyle |= WS_EX_CLIENTEDGE;
    HWND parentWindow = floating || !parent ? nullptr : static_cast<HWND>(parent->handle);
    HMENU childId = floating ? nullptr : reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    const RECT device = DeviceRect();
    HWND window = CreateWindowExW(extendedStyle, className.c_str(), text.c_str(), ComputeStyle(), device.left,
                                  device.top, device.right - device.left, device.bottom - device.top, parentWindow,
                                  childId, nullptr, nullptr);
    if (window)
        handle = window;
    else
        static_cast<void>(GetLastError());
    // Marked before the first paint, which a self-painted panel would otherwise skip.
    created = true;
    if (!floating) {
        ShowWindow(handle, SW_SHOW);
        UpdateWindow(handle);
    }
    RememberDescription(this);
    if (onCreated)
        onCreated(this, handle);
    SetScrollRange(scrollMin, scrollMax);
    CreateTooltip(handle);
    ApplyFont();
}

void PanelChildren::SetScrollRange(std::int32_t minimum, std::int32_t maximum)
{
    scrollMin = minimum;
    scrollMax = maximum;
    if (!created)
        return;
    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE | SIF_PAGE;
    range.nMin = minimum;
    range.nMax = maximum;
    range.nPage = static_cast<UINT>((maximum - minimum) / 10);
    if (verticalScroll)
        SetScrollInfo(handle, SB_VERT, &range, TRUE);
    if (horizontalScroll)
        SetScrollInfo(handle, SB_HORZ, &range, TRUE);
}

void PanelChildren::SetBorder(bool flag)
{
    border = flag;
    plainBorder = false;
    if (!created)
        return;
    SetLastError(0);
    if (!SetWindowLongPtrW(handle, GWL_STYLE, static_cast<LONG_PTR>(ComputeStyle())) && GetLastError() != 0)
        return;
    SetWindowPos(handle, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

void PanelChildren::SetTabStop(bool flag)
{
    tabStop = flag;
    if (!created)
        return;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE));
    SetWindowLongPtrW(handle, GWL_STYLE, static_cast<LONG_PTR>(flag ? style | WS_TABSTOP : style & ~WS_TABSTOP));
}

HBRUSH PanelChildren::ColorChild(HDC dc)
{
    if (OwnBrush(childBrush))
        Unmake(childBrush);
    if (font)
        SelectObject(dc, font->GetFont(Dpi()));
    const std::int32_t background = childBackColor != -1 ? childBackColor : backColor;
    if (background != -1) {
        SetBkColor(dc, static_cast<COLORREF>(background));
        childBrush = Made(CreateSolidBrush(static_cast<COLORREF>(background)));
    } else {
        childBrush = GetSysColorBrush(COLOR_BTNFACE);
    }
    if (childTextColor != -1)
        SetTextColor(dc, static_cast<COLORREF>(childTextColor));
    return childBrush;
}

void PanelChildren::OnScrollRequest(int bar, int request)
{
    SCROLLINFO state{};
    state.cbSize = sizeof state;
    state.fMask = SIF_ALL;
    GetScrollInfo(handle, bar, &state);
    const int p = state.nPos;
    const int page = static_cast<int>(state.nPage);
    const bool vertical = bar == SB_VERT;
    int n = p;
    switch (request) {
    case SB_LINEUP: n = p - 1; break;
    case SB_LINEDOWN: n = p + 1; break;
    case SB_PAGEUP: n = p - page; break;
    case SB_PAGEDOWN: n = p + page; break;
    case SB_THUMBTRACK: n = state.nTrackPos; break;
    case SB_TOP: n = vertical ? state.nMin : p; break;
    case SB_BOTTOM: n = vertical ? state.nMax : p; break;
    default: break;
    }
    // Noted before the move, whose scroll handler may delete the panel (which forgets it again).
    if (vertical)
        lastPanel = this;
    MoveTo(bar, p, n);
}

void PanelChildren::OnWheel(int delta)
{
    SCROLLINFO state{};
    state.cbSize = sizeof state;
    state.fMask = SIF_ALL;
    GetScrollInfo(handle, SB_VERT, &state);
    const int page = static_cast<int>(state.nPage);
    MoveTo(SB_VERT, state.nPos, delta > 0 ? state.nPos - page : state.nPos + page);
}

POINT PanelChildren::ScrollPosition() const
{
    POINT position{0, 0};
    if (!created)
        return position;
    SCROLLINFO state{};
    state.cbSize = sizeof state;
    state.fMask = SIF_POS;
    if (horizontalScroll && GetScrollInfo(handle, SB_HORZ, &state))
        position.x = state.nPos;
    if (verticalScroll && GetScrollInfo(handle, SB_VERT, &state))
        position.y = state.nPos;
    return position;
}

// Positions are logical pixels; each is scaled, so that moves add up to where they lead and the
// content scrolled to a position stands where it would have been placed there.
void PanelChildren::ShiftContent(POINT from, POINT to)
{
    const UINT scale = Dpi();
    const int dx = ToDevice(from.x, scale) - ToDevice(to.x, scale);
    const int dy = ToDevice(from.y, scale) - ToDevice(to.y, scale);
    if (dx != 0 || dy != 0)
        ScrollWindow(handle, dx, dy, nullptr, nullptr);
}

// Moves the bar, scrolls the content by what the platform's clamping allowed, and reports the
// requested move even when clamping cancelled it.
void PanelChildren::MoveTo(int bar, int current, int requested)
{
    SCROLLINFO position{};
    position.cbSize = sizeof position;
    position.fMask = SIF_POS;
    position.nPos = requested;
    SetScrollInfo(handle, bar, &position, TRUE);
    GetScrollInfo(handle, bar, &position);
    const int clamped = position.nPos;
    if (clamped != current) {
        const POINT from = bar == SB_HORZ ? POINT{current, 0} : POINT{0, current};
        ShiftContent(from, bar == SB_HORZ ? POINT{clamped, 0} : POINT{0, clamped});
        UpdateWindow(handle);
    }
    if (requested != current) {
        ScrollEvent callback = bar == SB_HORZ ? onHorizontalScroll : onVerticalScroll;
        if (callback)
            callback(this, current - requested);
    }
}

}
