#pragma once

#include "GUIElement.h"

#include <cstdint>

namespace TorUtility {

// An edit field.
class TextBox : public Child {
public:
    TextBox(GUIElement* host, const std::string& content);

    void Create() override;
    DWORD ComputeStyle() const;
    // Brings the window in line with the flags after any of them changed.
    void ApplyStyle();

    std::int32_t maxLength = -1;
    bool multiline = false;
    bool horizontalScroll = false;
    bool verticalScroll = false;
    bool readOnly = false;
    bool numbersOnly = false;
    bool password = false;
    bool lowercase = false;
    bool uppercase = false;
    bool alignRight = false;
    bool alignCenter = false;
    bool border = true;
    bool wordWrap = false;
};

}
