#include "Timer.h"

namespace TorUtility {

Timer::Timer(GUIElement* host) : Child(nullptr)
{
    parent = host;
    text = L"timer";
    width = 50;
    height = 22;
    typeName = "timer";
}

Timer::~Timer()
{
    Stop();
}

void Timer::Create()
{
    if (created)
        return;
    if (MakeControlWindow(L"static", WS_CHILD | (enabled ? 0 : WS_DISABLED), 0))
        Subclass();
    created = true;
}

void Timer::Start()
{
    if (running)
        return;
    Create();
    SetTimer(parent ? static_cast<HWND>(parent->handle) : nullptr, static_cast<UINT_PTR>(id),
             static_cast<UINT>(interval), nullptr);
    running = true;
}

void Timer::Stop()
{
    if (!running)
        return;
    KillTimer(parent ? static_cast<HWND>(parent->handle) : nullptr, static_cast<UINT_PTR>(id));
    running = false;
}

}
