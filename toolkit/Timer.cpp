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
    // Running means the platform timer exists, so a Start that failed is tried again by the next.
    // Without a host window the platform would make a timer of the thread's, under a number of
    // its own choosing that Stop could not name.
    HWND host = parent ? static_cast<HWND>(parent->handle) : nullptr;
    running = host && SetTimer(host, static_cast<UINT_PTR>(id), static_cast<UINT>(interval), nullptr) != 0;
}

void Timer::Stop()
{
    if (!running)
        return;
    KillTimer(parent ? static_cast<HWND>(parent->handle) : nullptr, static_cast<UINT_PTR>(id));
    running = false;
}

}
