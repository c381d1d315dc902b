#pragma once

#include <windows.h>

#include <utility>
#include <vector>

namespace TorUtility {

// What an element's own colour stands for, so that while the user has asked the system for high
// contrast the system's colours for the same thing are drawn in its place.
enum class ColourRole { window, highlight, button };

// The program's colours that are highlights or button faces; every other colour is a window's
// background, and text and lines take the text colour of the background they are drawn on.
void SetColourRoles(std::vector<std::pair<COLORREF, ColourRole>> roles);
ColourRole RoleOf(COLORREF colour);

// Whether the system's high-contrast setting is on, as read last: once on first use and again at
// each RefreshContrast, which follows the system's announcements of changed settings and colours.
bool HighContrast();
void RefreshContrast();

struct Colours {
    COLORREF back;
    COLORREF ink;
};

// The colours to draw a background with text or lines on it: the element's own, or the system's
// for the role while high contrast is on.
Colours ShownColours(COLORREF back, COLORREF ink, ColourRole role);
Colours ShownColours(COLORREF back, COLORREF ink);

// The colour a window of the toolkit's own classes is erased with; white for any other.
COLORREF ClassBackground(HWND window);

}
