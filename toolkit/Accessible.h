#pragma once

#include "GUIElement.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace TorUtility {

// What an element is to assistive technology (a screen reader): the object the platform's
// accessibility interface gives out for the element's window. An element whose role stays 0 is
// left to the platform's own description of its window.
struct Description {
    std::int32_t role = 0;
    std::wstring name;
    // Empty: the object has no value.
    std::wstring value;
    // The states of its own; whether it is focused, hidden or disabled comes from its window.
    std::int32_t state = 0;
    // The default action's name and the action itself, run once the request has returned, so that
    // a reader never waits on a box the action opens. No name: no default action.
    std::wstring action;
    ElementAction perform = nullptr;
    // The element belongs to a group object that stands between it and its window's parent, with
    // this role and name; the members are ordered by their positions, 1 upwards.
    std::int32_t groupRole = 0;
    std::wstring groupName;
    std::int32_t groupPosition = 0;
};

// The default action's name of everything pressed.
inline constexpr wchar_t pressAction[] = L"Premi";

// The message that runs an element's default action after the request for it has returned.
constexpr UINT defaultActionMessage = WM_APP + 0x100;

// The element's description as a reader gets it: its own, with the states of its window added.
Description DescribeForReader(GUIElement* element);

// Answers the platform's request for an element's accessible object; 0 when the element leaves it
// to the platform.
LRESULT AccessibleObjectOf(GUIElement* element, WPARAM flags);

// The element's window was made: what it says now is what a reader will hear changing.
void RememberDescription(GUIElement* element);
// Something the description follows may have changed: a reader hears of each name or state that
// did.
void NoteDescriptionChange(GUIElement* element);

// Says a text to the reader through an element, as an alert of an object of its own among the
// element's children, so that a reader that comes late to an announcement still finds its text.
void Announce(GUIElement* speaker, const std::wstring& text);

// Whether the window may take input now: it and its top-level window are enabled (no box is open
// over it).
bool AcceptsInput(HWND window);

}
