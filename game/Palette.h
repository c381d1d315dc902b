#pragma once

#include "Contrast.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace MyGame {

// The game's colours, in one place.
constexpr COLORREF formBackground = RGB(153, 204, 255);
constexpr COLORREF headerGrey = RGB(224, 224, 224);
constexpr COLORREF water = RGB(255, 255, 255);
constexpr COLORREF shipBlue = RGB(0, 0, 255);
constexpr COLORREF hitRed = RGB(255, 0, 0);
constexpr COLORREF aimYellow = RGB(255, 255, 0);
constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF controlGreen = RGB(153, 255, 204);


// What the colours stand for where the system's high-contrast colours take their place: ships, hits
// and the computer's aim stand out as highlights (hits and misses then told apart by their marks),
// the headers are button faces; water, the background and the tray are windows.
inline std::vector<std::pair<COLORREF, TorUtility::ColourRole>> ColourRoles()
{
    using TorUtility::ColourRole;
    return {{shipBlue, ColourRole::highlight}, {hitRed, ColourRole::highlight}, {aimYellow, ColourRole::highlight},
            {headerGrey, ColourRole::button}, {controlGreen, ColourRole::button}};
}

}
