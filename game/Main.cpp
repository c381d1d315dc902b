#include "FormMain.h"
#include "Platform.h"
#include "Product.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    TorUtility::RestrictLibrarySearch();
    MyGame::AnnounceRunning();
    return MyGame::RunGame(instance);
}
