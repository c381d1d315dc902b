#pragma once

namespace MyGame {

constexpr const char* productName = "Tiremola";
constexpr const char* productVersion = "1.0.2.0";
// Narrow text in the program's 8-bit character set: 0xA9 is the copyright sign.
constexpr const char* copyrightNotice = "\xA9 2026 tiremola.example";
// The maker's site; its host name is a reserved example name, so no stranger's site is opened.
constexpr const char* homePage = "http://www.tiremola.example";

}
