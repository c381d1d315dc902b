#include "Form.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    auto* form = new TorUtility::Form(instance);
    form->SetText("Tiremola");
    form->minimizeBox = true;
    form->resizable = false;
    form->Create();
    form->SetClientSize(640, 400);
    TorUtility::RunMessageLoop(form);
    delete form;
    return 0;
}
