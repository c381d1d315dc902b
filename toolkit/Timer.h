#pragma once

#include "GUIElement.h"

#include <cstdint>

namespace TorUtility {

class Timer;

using TickEvent = void (*)(Timer* timer);

// A platform timer on the parent's window, identified by the element's id. Its window is an
// invisible static control that exists only to give the timer an identifier.
class Timer : public Child {
public:
    explicit Timer(GUIElement* host);
    ~Timer() override;

    void Create() override;
    void Start();
    void Stop();

    bool running = false;
    std::int32_t interval = 20;
    TickEvent onTick = nullptr;
};

}
