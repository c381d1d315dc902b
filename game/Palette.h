#pragma once

#include <windows.h>

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

}
