#include "Contrast.h"

#include "Platform.h"

#include <algorithm>
#include <optional>

namespace TorUtility {

namespace {

std::vector<std::pair<COLORREF, ColourRole>> colourRoles;
std::optional<bool> highContrast;

bool ReadHighContrast()
{
    HIGHCONTRASTW setting{};
    setting.cbSize = sizeof setting;
    return platform.systemParametersInfo(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON);
}

}

void SetColourRoles(std::vector<std::pair<COLORREF, ColourRole>> roles)
{
    colourRoles = std::move(roles);
}

ColourRole RoleOf(COLORREF colour)
{
    const auto found = std::find_if(colourRoles.begin(), colourRoles.end(),
                                    [colour](const auto& entry) { return entry.first == colour; });
    return found == colourRoles.end() ? ColourRole::window : found->second;
}

bool HighContrast()
{
    if (!highContrast)
        highContrast = ReadHighContrast();
    return *highContrast;
}

void RefreshContrast()
{
    highContrast = ReadHighContrast();
}

Colours ShownColours(COLORREF back, COLORREF ink, ColourRole role)
{
    if (!HighContrast())
        return {back, ink};
    switch (role) {
    case ColourRole::highlight:
        return {platform.getSysColor(COLOR_HIGHLIGHT), platform.getSysColor(COLOR_HIGHLIGHTTEXT)};
    case ColourRole::button:
        return {platform.getSysColor(COLOR_BTNFACE), platform.getSysColor(COLOR_BTNTEXT)};
    case ColourRole::window:
        break;
    }
    return {platform.getSysColor(COLOR_WINDOW), platform.getSysColor(COLOR_WINDOWTEXT)};
}

Colours ShownColours(COLORREF back, COLORREF ink)
{
    return ShownColours(back, ink, RoleOf(back));
}

COLORREF ClassBackground(HWND window)
{
    const auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrW(window, GCLP_HBRBACKGROUND));
    LOGBRUSH described{};
    return brush && GetObjectW(brush, sizeof described, &described) ? described.lbColor : RGB(255, 255, 255);
}

}
