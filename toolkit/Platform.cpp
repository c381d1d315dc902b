#include "Platform.h"

#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

namespace TorUtility {

namespace {

// A library of the system, from the system folder only. Windows 7 without its library-search
// update refuses the flag; the full path in the system folder then names the same library, and
// the libraries it needs in turn are searched from that folder first.
HMODULE LoadSystemLibrary(const wchar_t* library)
{
    if (HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        return module;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + library;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// The sound, shell and COM libraries are large and needed only once a sound plays or a page
// opens, so they are loaded then rather than with the program: that keeps them out of start-up
// and memory. They are not imported either: imports are searched in the program's folder first.
template <typename Function>
Function LoadOnFirstUse(const wchar_t* library, const char* name)
{
    return FunctionOf<Function>(LoadSystemLibrary(library), name);
}

BOOL WINAPI PlaySoundOnFirstUse(LPCWSTR sound, HMODULE module, DWORD flags)
{
    static const auto play = LoadOnFirstUse<decltype(PlatformCalls::playSound)>(L"winmm.dll", "PlaySoundW");
    return play ? play(sound, module, flags) : FALSE;
}

// The thread gets COM, in the single-threaded apartment of a thread with windows: the calls into
// its objects then arrive through its own messages, on the one GUI thread, never on another. Both
// users (the shell and the accessible objects) run on that thread only: once is enough. A thread
// that has COM already keeps what it has.
void InitialiseCom()
{
    using Initialise = HRESULT(WINAPI*)(LPVOID reserved, DWORD model);
    if (const auto initialise = LoadOnFirstUse<Initialise>(L"ole32.dll", "CoInitializeEx"))
        initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

// The shell may hand a request to an extension that is a COM object, so the thread has COM before
// its first request.
decltype(PlatformCalls::shellExecute) LoadShell()
{
    InitialiseCom();
    return LoadOnFirstUse<decltype(PlatformCalls::shellExecute)>(L"shell32.dll", "ShellExecuteW");
}

AccessibilityCalls LoadAccessibility()
{
    InitialiseCom();
    HMODULE accessibility = LoadSystemLibrary(L"oleacc.dll");
    const AccessibilityCalls calls{
        FunctionOf<decltype(AccessibilityCalls::lresultFromObject)>(accessibility, "LresultFromObject"),
        FunctionOf<decltype(AccessibilityCalls::createStdAccessibleObject)>(accessibility,
                                                                            "CreateStdAccessibleObject"),
        FunctionOf<decltype(AccessibilityCalls::accessibleObjectFromWindow)>(accessibility,
                                                                             "AccessibleObjectFromWindow"),
        LoadOnFirstUse<decltype(AccessibilityCalls::sysAllocString)>(L"oleaut32.dll", "SysAllocString"),
    };
    return calls;
}

HINSTANCE WINAPI ShellExecuteOnFirstUse(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                        LPCWSTR directory, INT show)
{
    static const auto execute = LoadShell();
    // Without the library the request fails as the shell reports a failure: a code of 32 or less.
    return execute ? execute(owner, verb, file, parameters, directory, show)
                   : reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
}

}

PlatformCalls platform = {
    MessageBoxA, MessageBeep, PlaySoundOnFirstUse, ShellExecuteOnFirstUse, TrackPopupMenu, GetCursorInfo,
};

const AccessibilityCalls* Accessibility()
{
    static const AccessibilityCalls calls = LoadAccessibility();
    const bool complete = calls.lresultFromObject && calls.createStdAccessibleObject &&
                          calls.accessibleObjectFromWindow && calls.sysAllocString;
    return complete ? &calls : nullptr;
}

void RestrictLibrarySearch()
{
    // Looked up rather than imported: Windows 7 without its library-search update lacks it, and
    // the game still starts there, its own loads of system libraries then going by full path.
    using SetDirectories = BOOL(WINAPI*)(DWORD directories);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (const auto setDirectories = FunctionOf<SetDirectories>(kernel, "SetDefaultDllDirectories"))
        setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}
