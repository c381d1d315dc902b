#pragma once

#include "GUIElement.h"

#include <cstdint>
#include <string>

namespace TorUtility {

class PanelChildren;

using ScrollEvent = void (*)(PanelChildren* panel, std::int32_t delta);

// A plain child window of its own class that other elements can live in, with an optional
// border and scroll bars, and colours for the standard controls inside it.
class PanelChildren : public Child {
public:
    explicit PanelChildren(GUIElement* host);
    ~PanelChildren() override;

    void Create() override;
    HBRUSH ColorChild(HDC dc) override;

    void SetScrollRange(std::int32_t minimum, std::int32_t maximum);
    DWORD ComputeStyle() const;
    void SetBorder(bool flag);
    // Makes the panel a stop of the Tab key, or no longer one.
    void SetTabStop(bool flag);

    // A scroll-bar request (SB_VERT or SB_HORZ with the request code) or a wheel turn.
    void OnScrollRequest(int bar, int request);
    void OnWheel(int delta);
    // Where the bars stand, in logical pixels (0 without a bar).
    POINT ScrollPosition() const;
    // Moves the content from where the bars at `from` put it to where the bars at `to` would, at
    // the panel's scale; the bars themselves stay.
    void ShiftContent(POINT from, POINT to);

    std::string tag;
    ScrollEvent onVerticalScroll = nullptr;
    ScrollEvent onHorizontalScroll = nullptr;
    bool border = false;
    bool plainBorder = false;
    bool verticalScroll = false;
    bool horizontalScroll = false;
    std::int32_t scrollMin = 0;
    std::int32_t scrollMax = 100;
    bool tabStop = true;
    HBRUSH childBrush = nullptr;
    std::int32_t childTextColor = -1;
    std::int32_t childBackColor = -1;
    bool floating = false;

private:
    void MoveTo(int bar, int current, int requested);
    std::wstring className;
};

}
