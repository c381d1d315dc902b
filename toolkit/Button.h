#pragma once

#include "GUIElement.h"

namespace TorUtility {

class Drawing;

// A push button, optionally painted by the toolkit instead of the platform.
class Button : public Child, public CommandElement {
public:
    Button(GUIElement* host, const std::string& caption);

    void Create() override;
    // Enter presses a focused button as Space does, which the platform's button handles itself.
    void OnKeyDown(std::int32_t key) override;
    // A push button, pressed by its default action.
    void Describe(Description& description) override;
    // Draws the picture at the left of an owner-drawn button; returns where the caption starts.
    virtual int DrawPicture(Drawing& drawing, const RECT& item, bool pressed);

    void PaintOwnerDrawn(const DRAWITEMSTRUCT& item);

    bool ownerDrawn = false;
    HBITMAP picture = nullptr;
    HBITMAP disabledPicture = nullptr;
};

}
