#include "CellControl.h"

#include "Drawing.h"

namespace TorUtility {

CellControl::CellControl(GUIElement* host) : PanelChildren(host)
{
    tabStop = false;
}

void CellControl::Invalidate()
{
    if (created)
        InvalidateRect(handle, nullptr, TRUE);
}

void CellControl::SetBackColor(std::int32_t color)
{
    backColor = color;
    if (!created)
        return;
    backPainted = true;
    Invalidate();
}

void CellControl::SetWideText(const std::wstring& value)
{
    GUIElement::SetWideText(value);
    Invalidate();
}

void CellControl::SetText(const std::string& value)
{
    GUIElement::SetText(value);
    Invalidate();
}

void CellControl::ChangeTextColor(std::int32_t color)
{
    textColor = color;
    Invalidate();
}

void CellControl::OnPaint()
{
    RECT client{};
    if (created && GetClientRect(handle, &client)) {
        const int w = client.right;
        const int h = client.bottom;
        Drawing drawing(this);
        FontSpec ownFont(fontName, fontSize);
        ownFont.bold = bold;
        ownFont.italic = italic;
        ownFont.underline = underline;
        drawing.Begin();
        if (backPainted)
            drawing.FillBox(0, 0, w, h, static_cast<COLORREF>(backColor));
        FontSpec* inUse = font ? font : &ownFont;
        // Only the text and the star are placed by the line's height; an empty cell skips measuring.
        const int lineHeight = !text.empty() || starMark ? drawing.LineHeight(inUse) : -1;
        const auto ink = static_cast<COLORREF>(textColor);
        if (!text.empty()) {
            const int top = (h - lineHeight) / 2;
            drawing.DrawString(0, top, w, h - top, text, textAlign, ink, inUse);
        }
        if (starMark)
            drawing.DrawString(w - lineHeight, h - lineHeight, lineHeight, lineHeight, std::string("*"), 2, ink, inUse);
        if (picture) {
            const int top = (h - pictureHeight) / 2;
            const int left = pictureAlign == 1 ? w - pictureWidth - 3 : pictureAlign == 2 ? (w - pictureWidth) / 2 : 3;
            drawing.DrawMasked(left, top, pictureWidth, pictureHeight, picture);
        }
        drawing.Finish();
    }
    if (onPaint) {
        const bool painted = backPainted;
        backPainted = false;
        onPaint(this);
        backPainted = painted;
    }
}

}
