#include "Platform.h"
#include "TextUtilities.h"

namespace TorUtility {

bool ShellOpen(const std::string& target)
{
    const std::wstring file = ToWide(target);
    HINSTANCE result = platform.shellExecute(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

}
