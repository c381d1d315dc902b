#include "FormMain.h"
#include "Platform.h"
#include "Product.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    TorUtility::RestrictLibrarySearch();
    MyGame::AnnounceRunning();
    auto* form = new MyGame::FormMain(instance, std::string(MyGame::productName) + " " + MyGame::copyrightNotice);
    TorUtility::RunMessageLoop(form);
    delete form;
    return 0;
}
