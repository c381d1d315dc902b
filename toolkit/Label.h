#pragma once

#include "GUIElement.h"

namespace TorUtility {

// Static text.
class Label : public Child {
public:
    Label(GUIElement* host, const std::string& caption);

    void Create() override;

    bool border = false;
    bool alignRight = false;
    bool alignCenter = false;
};

}
