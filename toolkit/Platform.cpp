#include "Platform.h"

#include <mmsystem.h>
#include <shellapi.h>

namespace TorUtility {

namespace {

// The sound and shell libraries are large and needed only once a sound plays or a page opens, so
// they are loaded then rather than with the program: that keeps them out of start-up and memory.
template <typename Function>
Function LoadOnFirstUse(const wchar_t* library, const char* name)
{
    HMODULE module = LoadLibraryW(library);
    // GetProcAddress answers a function pointer of no particular type; going through void* is the
    // conversion to the real type that both compilers take without a cast-function-type warning.
    // NOLINTNEXTLINE(bugprone-casting-through-void)
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

BOOL WINAPI PlaySoundOnFirstUse(LPCWSTR sound, HMODULE module, DWORD flags)
{
    static const auto play = LoadOnFirstUse<decltype(PlatformCalls::playSound)>(L"winmm.dll", "PlaySoundW");
    return play ? play(sound, module, flags) : FALSE;
}

HINSTANCE WINAPI ShellExecuteOnFirstUse(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                        LPCWSTR directory, INT show)
{
    static const auto execute =
        LoadOnFirstUse<decltype(PlatformCalls::shellExecute)>(L"shell32.dll", "ShellExecuteW");
    // Without the library the request fails as the shell reports a failure: a code of 32 or less.
    return execute ? execute(owner, verb, file, parameters, directory, show)
                   : reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
}

}

PlatformCalls platform = {
    MessageBoxA, MessageBeep, PlaySoundOnFirstUse, ShellExecuteOnFirstUse, TrackPopupMenu, GetCursorInfo,
};

}
