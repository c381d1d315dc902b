#pragma once

#include <windows.h>

#include <objbase.h>

namespace TorUtility {

// The platform calls that block on the user, make a sound, hand control to another program or
// read the real mouse. Everything goes through this table so that tests can stand in for them.
struct PlatformCalls {
    int(WINAPI* messageBox)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
    BOOL(WINAPI* messageBeep)(UINT type);
    BOOL(WINAPI* playSound)(LPCWSTR sound, HMODULE module, DWORD flags);
    HINSTANCE(WINAPI* shellExecute)(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                    LPCWSTR directory, INT show);
    BOOL(WINAPI* trackPopupMenu)(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                                 const RECT* exclude);
    BOOL(WINAPI* getCursorInfo)(PCURSORINFO info);
};

extern PlatformCalls platform;

// What messageBeep takes for the simple beep; the platform's headers have no name for it.
constexpr UINT simpleBeep = 0xFFFFFFFF;

// A function of a loaded library, by name, as the pointer type it has (none when the library or
// the function is missing): the one place where what GetProcAddress answers is given its type.
template <typename Function>
Function FunctionOf(HMODULE module, const char* name)
{
    // GetProcAddress answers a function pointer of no particular type; going through void* is the
    // conversion to the real type that both compilers take without a cast-function-type warning.
    // NOLINTNEXTLINE(bugprone-casting-through-void)
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The accessibility library's calls, for the objects a screen reader reads: loaded from the system
// folder when a reader first asks for one, since most players never start a reader. None when the
// system lacks the library.
struct AccessibilityCalls {
    LRESULT(WINAPI* lresultFromObject)(REFIID interfaceId, WPARAM flags, IUnknown* object);
    HRESULT(WINAPI* createStdAccessibleObject)(HWND window, LONG objectId, REFIID interfaceId, void** object);
    HRESULT(WINAPI* accessibleObjectFromWindow)(HWND window, DWORD objectId, REFIID interfaceId, void** object);
    BSTR(WINAPI* sysAllocString)(const OLECHAR* text);
};

const AccessibilityCalls* Accessibility();

// From here on every library the process loads by name, its own and those the system's libraries
// load for it, comes from the system folder, never from the program's folder, where anyone who
// can put a file beside the program (a download folder) could plant a library of the same name.
// The first thing the program does: the game calls it from a constructor that runs before those of
// the runtime (game/Main.cpp), which load libraries of their own.
void RestrictLibrarySearch();

}
