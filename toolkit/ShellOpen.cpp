#include "Platform.h"
#include "TextUtilities.h"
#include "WindowProc.h"

namespace TorUtility {

bool ShellOpen(const std::string& target)
{
    const std::wstring file = ToWide(target);
    // The main window owns the request: a box the shell or the handler shows stands in front of it.
    HINSTANCE result = platform.shellExecute(mainWindow, L"open", file.c_str(), nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}
