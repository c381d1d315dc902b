#include "FormMain.h"
#include "Platform.h"
#include "Product.h"

#include <windows.h>

namespace {

// The library search is restricted before anything else of the program runs, WinMain being far
// too late: the C runtime runs the constructors first, and among them the stack protector's, which
// asks the system for random bytes and so has its cryptographic libraries loaded, each of them
// loading more by bare name. 101 is the earliest priority a program may give a constructor, and
// the runtime runs the constructors of an earlier priority first, whatever the order of the link;
// those of the stack protector and of the C++ library have none. The executable's load
// configuration (LoadConfiguration.cpp) restricts the search for its own imports further still,
// before any code of the process runs at all.
[[gnu::constructor(101)]] void RestrictLibrarySearchFirst()
{
    TorUtility::RestrictLibrarySearch();
}

}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    MyGame::AnnounceRunning();
    return MyGame::RunGame(instance);
}
