#pragma once

// What a program reading another window's accessible objects needs first: a child's identifier
// as the interface takes it, and the object of a window's client area.
#include <windows.h>

#include <oleacc.h>

namespace ClientObjects {

inline VARIANT Child(LONG id)
{
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

// The object of the window's client area, as a reader asks for it; none when the window has none.
inline IAccessible* ObjectOf(HWND window)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

}
