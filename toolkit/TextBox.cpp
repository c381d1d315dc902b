#include "TextBox.h"

#include "TextUtilities.h"

namespace TorUtility {

namespace {

constexpr DWORD textBoxStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD multilineStyle = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

}

TextBox::TextBox(GUIElement* host, const std::string& content) : Child(nullptr)
{
    parent = host;
    text = ToWide(content);
    width = 80;
    height = 30;
    typeName = "textbox";
}

DWORD TextBox::ComputeStyle() const
{
    DWORD style = textBoxStyle | (enabled ? 0 : WS_DISABLED);
    if (horizontalScroll)
        style |= WS_HSCROLL;
    if (verticalScroll)
        style |= WS_VSCROLL;
    if (numbersOnly)
        style |= ES_NUMBER;
    if (border)
        style |= WS_BORDER;
    if (multiline)
        style |= multilineStyle | (wordWrap ? 0 : ES_AUTOHSCROLL);
    else
        style |= ES_AUTOHSCROLL;
    if (readOnly)
        style |= ES_READONLY;
    if (uppercase)
        style |= ES_UPPERCASE;
    else if (lowercase)
        style |= ES_LOWERCASE;
    if (alignRight)
        style |= ES_RIGHT;
    else if (alignCenter)
        style |= ES_CENTER;
    return style;
}

void TextBox::Create()
{
    if (created)
        return;
    if (MakeControlWindow(L"edit", ComputeStyle(), border ? WS_EX_CLIENTEDGE : 0))
        Subclass();
    created = true;
    if (maxLength != -1)
        SendMessageW(handle, EM_LIMITTEXT, static_cast<WPARAM>(maxLength), 0);
    if (password)
        SendMessageW(handle, EM_SETPASSWORDCHAR, L'*', 0);
    AttachTooltipAndFont();
}

void TextBox::ApplyStyle()
{
    if (!created)
        return;
    SetLastError(0);
    if (!SetWindowLongPtrW(handle, GWL_STYLE, static_cast<LONG_PTR>(ComputeStyle())) && GetLastError() != 0)
        return;
    SendMessageW(handle, EM_SETREADONLY, readOnly, 0);
    SendMessageW(handle, EM_SETPASSWORDCHAR, password ? L'*' : 0, 0);
    SetWindowPos(handle, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
}

}
