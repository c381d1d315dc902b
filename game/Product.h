#pragma once

#include "Version.h"

namespace MyGame {

constexpr const char* productName = "Tiremola";
constexpr const char* productVersion = TIREMOLA_VERSION_TEXT;
// Narrow text in the program's 8-bit character set: 0xA9 is the copyright sign.
constexpr const char* copyrightNotice = "\xA9 2026 tiremola.test";
// The maker's site; its host name is under a top-level domain reserved for tests, so no
// stranger's site is ever opened. The about box shows it in a 150-pixel link: keep it short.
constexpr const char* homePage = "http://www.tiremola.test";

// Marks the game as running for as long as the process lives, so that the installer and the
// uninstaller leave its files alone meanwhile.
void AnnounceRunning();

}
