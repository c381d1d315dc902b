// Restricts the library search as the game's start-up does and then loads the sound, shell and
// COM libraries as the game does, for real: the library-search test runs it with stand-ins for
// those libraries beside it. It prints what the calls answered and where each library was loaded
// from. It restricts the search in main, which is early enough for those three; the game does it
// in a constructor that runs before the runtime's own, which the test checks in the game itself.
//
//   library_probe start-up TARGET  the game's restriction, then a sound and a request to the shell
//                                  to open TARGET, through the game's own calls
//   library_probe loaders TARGET   the same without the start-up's restriction, as on a Windows
//                                  that lacks it: the loaders alone must keep to the system folder
//   library_probe search           the restriction, then loads by bare name, as the system's own
//                                  libraries load the libraries they need
#include "Platform.h"
#include "TextUtilities.h"
#include "resource.h"

#include <mmsystem.h>
#include <objbase.h>

#include <cstdio>
#include <string>

namespace {

const wchar_t* const libraries[] = {L"winmm.dll", L"shell32.dll", L"ole32.dll"};

std::string ModulePath(HMODULE module)
{
    wchar_t path[MAX_PATH] = {};
    return module && GetModuleFileNameW(module, path, MAX_PATH) ? TorUtility::ToNarrow(path) : "(not loaded)";
}

}

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode != "loaders")
        TorUtility::RestrictLibrarySearch();
    if (mode == "search") {
        for (const wchar_t* library : libraries)
            LoadLibraryW(library);
    } else if (argc > 2) {
        auto& platform = TorUtility::platform;
        const BOOL sound = platform.playSound(MAKEINTRESOURCEW(IDW_HIT), GetModuleHandleW(nullptr),
                                              SND_RESOURCE | SND_SYNC | SND_NODEFAULT);
        // Stopping every sound succeeds only through the real sound library.
        std::printf("sound %d\nstop %d\n", sound, platform.playSound(nullptr, nullptr, 0));
        std::printf("open %d\n", TorUtility::ShellOpen(argv[2]));
        // The shell's thread has COM in a single-threaded apartment: asking now for the other kind is refused.
        using Initialise = HRESULT(WINAPI*)(LPVOID reserved, DWORD model);
        const auto initialise = reinterpret_cast<Initialise>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ole32.dll"), "CoInitializeEx")));
        std::printf("apartment %s\n",
                    initialise && initialise(nullptr, COINIT_MULTITHREADED) == RPC_E_CHANGED_MODE ? "single" : "none");
    } else {
        return 2;
    }
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    std::printf("system folder %s\n", TorUtility::ToNarrow(folder).c_str());
    for (const wchar_t* library : libraries)
        std::printf("%s %s\n", TorUtility::ToNarrow(library).c_str(), ModulePath(GetModuleHandleW(library)).c_str());
    return 0;
}
