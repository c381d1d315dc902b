#include "Label.h"

#include "TextUtilities.h"

namespace TorUtility {

namespace {

constexpr DWORD labelStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY;

}

Label::Label(GUIElement* host, const std::string& caption) : Child(nullptr)
{
    parent = host;
    text = ToWide(caption);
    width = 80;
    height = 30;
    typeName = "label";
}

void Label::Create()
{
    if (created)
        return;
    DWORD style = labelStyle | (enabled ? 0 : WS_DISABLED) | (border ? WS_BORDER : 0);
    if (alignRight)
        style |= SS_RIGHT;
    else if (alignCenter)
        style |= SS_CENTER;
    if (MakeControlWindow(L"static", style, border ? WS_EX_CLIENTEDGE : 0))
        Subclass();
    created = true;
    AttachTooltipAndFont();
}

}
