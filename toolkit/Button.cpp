#include "Button.h"

#include "Accessible.h"
#include "Drawing.h"
#include "TextUtilities.h"

#include <oleacc.h>

namespace TorUtility {

namespace {

constexpr DWORD buttonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr COLORREF disabledBorder = RGB(105, 105, 105);
constexpr COLORREF disabledInk = RGB(150, 150, 150);
constexpr int pictureMargin = 5;
constexpr int captionGap = 8;
constexpr int focusInset = 3;

// A press is reported to the button's host as the button itself reports a click.
void ReportClick(HWND window, HWND host, std::int32_t identifier)
{
    if (host && IsWindow(window))
        SendMessageW(host, WM_COMMAND, MAKEWPARAM(identifier, BN_CLICKED), reinterpret_cast<LPARAM>(window));
}

void Click(GUIElement* element)
{
    if (element->created && element->enabled)
        ReportClick(element->handle, element->parent ? static_cast<HWND>(element->parent->handle) : nullptr,
                    element->id);
}

// Height of the font selected into a DC.
int SelectedFontHeight(HDC dc)
{
    LOGFONTW description{};
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof description, &description);
    return description.lfHeight;
}

}

Button::Button(GUIElement* host, const std::string& caption) : Child(nullptr)
{
    parent = host;
    text = ToWide(caption);
    width = 80;
    height = 30;
    typeName = "button";
}

void Button::Create()
{
    if (created)
        return;
    const DWORD style = buttonStyle | (ownerDrawn ? BS_OWNERDRAW : BS_PUSHBUTTON) | (enabled ? 0 : WS_DISABLED);
    if (MakeControlWindow(L"Button", style, 0))
        Subclass();
    created = true;
    AttachTooltipAndFont();
    RememberDescription(this);
}

// The press is reported as the button itself reports a click, once the key's own handler has
// run; that handler may delete the button, so what the press needs is taken before it.
void Button::OnKeyDown(std::int32_t key)
{
    const bool press = key == VK_RETURN && created && enabled;
    HWND window = handle;
    HWND host = parent ? static_cast<HWND>(parent->handle) : nullptr;
    const std::int32_t identifier = id;
    Child::OnKeyDown(key);
    if (press)
        ReportClick(window, host, identifier);
}

void Button::Describe(Description& description)
{
    description.role = ROLE_SYSTEM_PUSHBUTTON;
    description.name = text;
    description.state = STATE_SYSTEM_FOCUSABLE;
    description.action = pressAction;
    description.perform = Click;
    Child::Describe(description);
}

int Button::DrawPicture(Drawing& drawing, const RECT& item, bool)
{
    HBITMAP shown = enabled ? picture : disabledPicture;
    if (!shown)
        return 0;
    BITMAP description{};
    GetObjectW(shown, sizeof description, &description);
    // Placed in logical pixels inside the button, then scaled by its edges as the button was.
    const int top = (GetClientSize().cy - description.bmHeight) / 2;
    const RECT box = ToDeviceInside(
        RECT{pictureMargin, top, pictureMargin + description.bmWidth, top + description.bmHeight}, POINT{x, y},
        drawing.dpi);
    drawing.DrawMasked(item.left + box.left, box.top, box.right - box.left, box.bottom - box.top, shown);
    const RECT caption = ToDeviceInside(RECT{0, 0, description.bmWidth + captionGap, 0}, POINT{x, y}, drawing.dpi);
    return item.left + caption.right;
}

void Button::PaintOwnerDrawn(const DRAWITEMSTRUCT& item)
{
    Drawing drawing(this);
    drawing.AttachDC(item.hDC);
    const RECT& box = item.rcItem;
    const int w = box.right - box.left;
    const int h = box.bottom - box.top;
    COLORREF ink = GetTextColor(item.hDC);
    const int dy = std::max(0, (h - SelectedFontHeight(item.hDC)) / 2);
    drawing.FillBox(box.left, box.top, w, h, GetBkColor(item.hDC));
    COLORREF border = ink;
    if (item.itemState & ODS_DISABLED) {
        border = disabledBorder;
        ink = disabledInk;
    } else if (item.itemState & ODS_SELECTED) {
        border = 0xFFFFFF - ink;
    }
    drawing.DrawOutline(box.left, box.top, w, h, border);
    const int tx = DrawPicture(drawing, box, (item.itemState & ODS_SELECTED) != 0);
    drawing.DrawString(box.left + tx, box.top + dy, w - tx, h, GetText(), Drawing::alignCenter, ink, nullptr);
    if (item.itemState & ODS_FOCUS) {
        const int inset = ToDevice(focusInset, drawing.dpi);
        RECT focus{box.left + inset, box.top + inset, box.right - inset, box.bottom - inset};
        DrawFocusRect(item.hDC, &focus);
    }
    drawing.Finish();
}

}
