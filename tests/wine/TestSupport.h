#pragma once

#include "Form.h"
#include "GUIElement.h"
#include "WindowProc.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace TestSupport {

// Delivers everything queued for this thread without blocking.
inline void PumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// The events a test has seen, in order, compared with an expected list the way Wine's own
// message-sequence tests do: the first difference is named with its position.
class EventLog {
public:
    void Record(const std::string& event) { events.push_back(event); }
    void Clear() { events.clear(); }
    const std::vector<std::string>& Events() const { return events; }

    ::testing::AssertionResult Matches(const std::vector<std::string>& expected) const
    {
        const std::size_t common = std::min(expected.size(), events.size());
        for (std::size_t i = 0; i < common; ++i)
            if (events[i] != expected[i])
                return ::testing::AssertionFailure()
                       << "event " << i << ": expected \"" << expected[i] << "\", got \"" << events[i] << "\""
                       << Listing();
        if (events.size() != expected.size())
            return ::testing::AssertionFailure()
                   << (events.size() < expected.size() ? "missing event " + std::to_string(common) + " \"" +
                                                             expected[common] + "\""
                                                       : "unexpected event " + std::to_string(common) + " \"" +
                                                             events[common] + "\"")
                   << Listing();
        return ::testing::AssertionSuccess();
    }

private:
    std::string Listing() const
    {
        std::string all = "\n  seen:";
        for (const std::string& event : events)
            all += " " + event + ",";
        return all;
    }

    std::vector<std::string> events;
};

// A form whose state is put back before each test, so that every test starts like a new process
// for the toolkit's process-wide values.
class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TorUtility::idCounter = 0;
        TorUtility::mainWindow = nullptr;
        TorUtility::activeForm = nullptr;
        TorUtility::activePanel = nullptr;
        TorUtility::lastPanel = nullptr;
        TorUtility::mouseTracking = false;
        TorUtility::mainFormInstance = nullptr;
    }

    // Window classes are named after the identifier counter, which each test starts again from
    // 0; the classes of the previous test go, so that each test registers its own.
    void TearDown() override
    {
        PumpMessages();
        HINSTANCE module = GetModuleHandleW(nullptr);
        for (std::int32_t n = 0; n <= TorUtility::idCounter; ++n) {
            UnregisterClassW((L"Window" + std::to_wstring(n)).c_str(), module);
            UnregisterClassW((L"PanelChildren" + std::to_wstring(n)).c_str(), module);
        }
    }
};

inline COLORREF PixelOf(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return colour;
}

inline std::wstring ClassNameOf(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

}
