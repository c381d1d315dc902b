#include "CellControl.h"

#include "Accessible.h"

#include <oleacc.h>

namespace TorUtility {

namespace {

// A picture aligned to the left or the right keeps this far from the edge.
constexpr int pictureMargin = 3;

}

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
    NoteDescriptionChange(this);
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

// Repainted before the focus handlers run, which may delete the cell.
void CellControl::OnGotFocus()
{
    Invalidate();
    PanelChildren::OnGotFocus();
}

void CellControl::OnLostFocus()
{
    Invalidate();
    PanelChildren::OnLostFocus();
}

// A cell is a line of text to a reader, unless its owner says more.
void CellControl::Describe(Description& description)
{
    description.role = ROLE_SYSTEM_STATICTEXT;
    description.name = text;
    PanelChildren::Describe(description);
}

void CellControl::ChangeTextColor(std::int32_t color)
{
    textColor = color;
    Invalidate();
}

// Placed in the client area in logical pixels, then scaled by its edges as the cell's own window
// was, so that a picture as large as the cell covers it exactly.
RECT CellControl::PictureBox() const
{
    const SIZE client = GetClientSize();
    const int top = (client.cy - pictureHeight) / 2;
    const int left = pictureAlign == Drawing::alignRight    ? client.cx - pictureWidth - pictureMargin
                     : pictureAlign == Drawing::alignCenter ? (client.cx - pictureWidth) / 2
                                                            : pictureMargin;
    return ToDeviceInside(RECT{left, top, left + pictureWidth, top + pictureHeight}, POINT{x, y}, Dpi());
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
            drawing.DrawString(w - lineHeight, h - lineHeight, lineHeight, lineHeight, std::string("*"),
                               Drawing::alignCenter, ink, inUse);
        if (picture) {
            const RECT box = PictureBox();
            drawing.DrawMasked(box.left, box.top, box.right - box.left, box.bottom - box.top,
                               PictureForScale(picture, largePicture, drawing.dpi));
        }
        if (ShowsFocus())
            drawing.DrawFocus(client);
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
