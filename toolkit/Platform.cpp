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

// The shell may hand a request to an extension that is a COM object, so the thread has COM, in
// the single-threaded apartment of a thread with windows, before its first request. Requests come
// from the one GUI thread only: once is enough. A thread that has COM already keeps what it has.
decltype(PlatformCalls::shellExecute) LoadShell()
{
    using Initialise = HRESULT(WINAPI*)(LPVOID reserved, DWORD model);
    if (const auto initialise = LoadOnFirstUse<Initialise>(L"ole32.dll", "CoInitializeEx"))
        initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    return LoadOnFirstUse<decltype(PlatformCalls::shellExecute)>(L"shell32.dll", "ShellExecuteW");
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
