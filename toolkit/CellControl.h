#pragma once

#include "Drawing.h"
#include "PanelChildren.h"

#include <cstdint>
#include <string>

namespace TorUtility {

// A self-painted cell: background, one line of text, an optional star mark and an optional
// picture with pure black as its transparent colour, in that order.
class CellControl : public PanelChildren {
public:
    explicit CellControl(GUIElement* host);

    // The new colour is filled by the next paint, under the text and the picture.
    void SetBackColor(std::int32_t color) override;
    void SetWideText(const std::wstring& value) override;
    void SetText(const std::string& value) override;
    void OnPaint() override;
    // A cell shows its focus, once the keyboard has been used, and so paints again as it gains or
    // loses it.
    void OnGotFocus() override;
    void OnLostFocus() override;
    void Describe(Description& description) override;

    void ChangeTextColor(std::int32_t color);

    std::string fontName = "Tahoma";
    std::int32_t fontSize = 14;
    bool bold = false;
    bool underline = false;
    bool italic = false;
    bool starMark = false;
    // Drawing::alignLeft, alignRight or alignCenter, for the text and for the picture.
    std::int32_t textAlign = Drawing::alignCenter;
    std::int32_t textColor = 0;
    HBITMAP picture = nullptr;
    // The same picture drawn at twice its size, shown instead above 100 % (not owned either).
    HBITMAP largePicture = nullptr;
    std::int32_t pictureAlign = Drawing::alignRight;
    std::int32_t pictureWidth = 0;
    std::int32_t pictureHeight = 0;

private:
    void Invalidate();
    // Where the picture is drawn, in the client area's device pixels.
    RECT PictureBox() const;
};

}
