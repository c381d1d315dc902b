#pragma once

#include "GUIElement.h"

#include <cstddef>
#include <vector>

namespace TorUtility {

// Every live element in construction order, indexed by window handle and by identifier so that
// the window procedure's lookups cost the same with three hundred elements or ten thousand.
class ElementRegistry {
public:
    static void Add(GUIElement& element);
    static void Remove(GUIElement& element);
    static void Refile(GUIElement& element, HWND oldHandle, HWND newHandle);
    static void Refile(GUIElement& element, std::int32_t oldId, std::int32_t newId);

    static GUIElement* LastWithHandle(HWND window);
    static GUIElement* FirstWithId(std::int32_t identifier);
    static GUIElement* FirstSubMenuWithId(std::int32_t identifier);
    static GUIElement* Newest();

    // The live elements, oldest first.
    static std::vector<GUIElement*> Elements();
    static std::size_t Count();
};

}
