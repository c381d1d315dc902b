#pragma once

#include "Drawing.h"
#include "Form.h"
#include "GUIElement.h"
#include "PanelChildren.h"
#include "TextUtilities.h"
#include "WindowProc.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Rectangles compare and print in test expectations.
inline bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline void PrintTo(const RECT& r, std::ostream* out)
{
    *out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace TestSupport {

// Delivers everything queued for this thread without blocking. Messages that never stop coming
// (a paint that never validates its window, a message that posts itself again) fail the test
// within seconds instead of keeping it running until the test run's time limit.
inline void PumpMessages()
{
    const ULONGLONG deadline = GetTickCount64() + 10000;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (GetTickCount64() > deadline) {
            wchar_t name[64] = {};
            GetClassNameW(message.hwnd, name, 64);
            std::string narrow;
            for (const wchar_t* c = name; *c; ++c)
                narrow.push_back(static_cast<char>(*c));
            ADD_FAILURE() << "messages keep coming; the last was " << message.message << " for a window of class \""
                          << narrow << "\"";
            return;
        }
    }
}

// Delivers messages until the condition holds or the time is up, waking only when a message
// arrives; answers whether the condition came true.
template <typename Condition>
bool PumpUntil(Condition done, DWORD milliseconds)
{
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

// Runs something that runs a message loop, with a watchdog that ends the loop after this long
// instead of letting one that never ends hang the test; answers whether it ended by itself.
template <typename Run>
bool EndsByItself(Run run, UINT milliseconds = 10000)
{
    static bool stopped;
    stopped = false;
    const UINT_PTR watchdog = SetTimer(nullptr, 0, milliseconds, [](HWND, UINT, UINT_PTR, DWORD) {
        stopped = true;
        PostQuitMessage(1);
    });
    run();
    KillTimer(nullptr, watchdog);
    return !stopped;
}

// One entry of an expected sequence, written as Wine's own message tests write theirs: what must
// come next or, when optional, what may. It keeps where it was written, so that a mismatch names
// the line of the table.
struct Expected {
    Expected(std::string event, const char* file = __builtin_FILE(), int line = __builtin_LINE())
        : event(std::move(event)), file(file), line(line)
    {
    }
    Expected(const char* event, const char* file = __builtin_FILE(), int line = __builtin_LINE())
        : Expected(std::string(event), file, line)
    {
    }

    std::string event;
    const char* file;
    int line;
    bool optional = false;
};

// An entry that may or may not be seen at its place in the sequence.
inline Expected Optional(std::string event, const char* file = __builtin_FILE(), int line = __builtin_LINE())
{
    Expected entry(std::move(event), file, line);
    entry.optional = true;
    return entry;
}

// What a test has seen, in order: its own events and every call the stand-ins for the platform
// took. A check compares the whole sequence with a table of expected entries and reports the
// first difference with its position and the table's file and line.
class EventLog {
public:
    void Record(std::string event) { events.push_back(std::move(event)); }
    void Clear() { events.clear(); }
    const std::vector<std::string>& Events() const { return events; }

    // The entries that begin with this text, for a check of one kind of call among many.
    EventLog Only(const std::string& kind) const
    {
        EventLog some;
        for (const std::string& event : events)
            if (event.starts_with(kind))
                some.Record(event);
        return some;
    }

    ::testing::AssertionResult Matches(const std::vector<Expected>& expected) const
    {
        std::size_t e = 0;
        std::size_t seen = 0;
        while (e < expected.size() && seen < events.size()) {
            if (expected[e].event == events[seen]) {
                ++e;
                ++seen;
            } else if (expected[e].optional) {
                ++e;
            } else {
                return Mismatch(expected[e], seen,
                                "expected \"" + expected[e].event + "\", got \"" + events[seen] + "\"");
            }
        }
        for (; e < expected.size(); ++e)
            if (!expected[e].optional)
                return Mismatch(expected[e], seen, "missing \"" + expected[e].event + "\"");
        if (seen < events.size())
            return ::testing::AssertionFailure()
                   << "event " << seen << ": unexpected \"" << events[seen] << "\" after the last expected"
                   << Listing();
        return ::testing::AssertionSuccess();
    }

private:
    ::testing::AssertionResult Mismatch(const Expected& entry, std::size_t seen, const std::string& what) const
    {
        return ::testing::AssertionFailure()
               << entry.file << ":" << entry.line << ": event " << seen << ": " << what << Listing();
    }

    std::string Listing() const
    {
        std::string all = "\n  seen:";
        for (const std::string& event : events)
            all += "\n    " + event;
        return all;
    }

    std::vector<std::string> events;
};

// The one log of every test: the platform's stand-ins write to it, and so do the tests' own slots.
inline EventLog log;

inline std::string Hex(unsigned value)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// A window as the log names it: by its caption, or by its class when it has none.
inline std::string WindowName(HWND window)
{
    if (!window)
        return "no window";
    wchar_t name[256] = {};
    if (GetWindowTextW(window, name, 256) == 0)
        GetClassNameW(window, name, 256);
    return TorUtility::ToNarrow(name);
}

// A platform menu's items, one string each: "id text" for a command, "---" for a separator,
// "text { ... }" for a cascade, with "[x] " before a checked item and " (grey)" after a greyed one.
inline std::vector<std::string> ItemsOf(HMENU menu)
{
    std::vector<std::string> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 127;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            items.push_back("---");
            continue;
        }
        std::string entry = TorUtility::ToNarrow(text);
        if (info.hSubMenu) {
            entry += " {";
            for (const std::string& inner : ItemsOf(info.hSubMenu))
                entry += " " + inner;
            entry += " }";
        } else {
            entry = std::to_string(info.wID) + " " + entry;
        }
        if (info.fState & MFS_CHECKED)
            entry = "[x] " + entry;
        if (info.fState & MFS_GRAYED)
            entry += " (grey)";
        items.push_back(entry);
    }
    return items;
}

// What the stand-in for the platform's popup menu answers, and the menu it was given last.
struct Popups {
    // The command reported as chosen, as the real popup reports it once it has closed; 0 dismisses.
    std::int32_t choice = 0;
    HMENU last = nullptr;
};

inline Popups popups;

// Stands in for TrackPopupMenu, which would wait for the player: logs the call as
// "popup at X,Y (BUTTONS[, flags N], over OWNER): ITEM, ITEM, ..." and posts the chosen command,
// if any, as the real popup does once it has closed.
inline BOOL WINAPI PopupStandIn(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*)
{
    std::string entry = "popup at " + std::to_string(x) + "," + std::to_string(y) + " (" +
                        ((flags & TPM_RIGHTBUTTON) ? "either button" : "left button");
    if (const UINT others = flags & ~static_cast<UINT>(TPM_RIGHTBUTTON))
        entry += ", flags " + Hex(others);
    entry += ", over " + WindowName(owner) + "):";
    const char* separator = " ";
    for (const std::string& item : ItemsOf(menu))
        entry += std::exchange(separator, ", ") + item;
    log.Record(entry);
    popups.last = menu;
    if (popups.choice != 0)
        PostMessageW(owner, WM_COMMAND, MAKEWPARAM(popups.choice, 0), 0);
    return TRUE;
}

// A form whose state is put back before each test, so that every test starts like a new process
// for the toolkit's process-wide values.
class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        log.Clear();
        popups = Popups{};
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

// A toolkit test with a created form of 500 x 400 at (20, 20) to put elements on; the form goes
// before the window classes are unregistered.
class FormHostTest : public ToolkitTest {
protected:
    void SetUp() override
    {
        ToolkitTest::SetUp();
        form = std::make_unique<TorUtility::Form>(GetModuleHandleW(nullptr));
        form->x = 20;
        form->y = 20;
        form->width = 500;
        form->height = 400;
        form->Create();
    }

    void TearDown() override
    {
        form.reset();
        ToolkitTest::TearDown();
    }

    std::unique_ptr<TorUtility::Form> form;
};

// A created 300 x 100 panel at the host's top left whose standard controls take these colours.
inline std::unique_ptr<TorUtility::PanelChildren> ColouredPanel(TorUtility::GUIElement* host, COLORREF text,
                                                                COLORREF background)
{
    auto panel = std::make_unique<TorUtility::PanelChildren>(host);
    panel->x = 0;
    panel->y = 0;
    panel->width = 300;
    panel->height = 100;
    panel->childTextColor = static_cast<std::int32_t>(text);
    panel->childBackColor = static_cast<std::int32_t>(background);
    panel->Create();
    return panel;
}

// What the platform hands a parent when an owner-drawn control of this type and identifier is to
// be drawn in full into dc.
inline DRAWITEMSTRUCT DrawRequest(UINT type, std::int32_t identifier, HWND control, HDC dc, RECT box, UINT state)
{
    DRAWITEMSTRUCT item{};
    item.CtlType = type;
    item.CtlID = static_cast<UINT>(identifier);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = control;
    item.hDC = dc;
    item.rcItem = box;
    return item;
}

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

// GDI objects the toolkit has made and not yet deleted, by its own ledger.
inline std::int64_t OutstandingGdiObjects()
{
    return static_cast<std::int64_t>(TorUtility::gdiLedger.made) -
           static_cast<std::int64_t>(TorUtility::gdiLedger.deleted);
}

inline void DeleteTestObject(HGDIOBJ object)
{
    DeleteObject(object);
}

// A GDI object the test made, deleted when the test is done with it.
template <typename Handle>
using Owned = TorUtility::ScopedHandle<Handle, DeleteTestObject>;

// A 32-bit top-down DIB whose pixels are given by paint(x, y).
template <typename Paint>
HBITMAP MakePicture(int width, int height, Paint paint)
{
    const BITMAPINFO info = TorUtility::TopDownPicture(width, height);
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF colour = paint(x, y);
            pixels[y * width + x] = static_cast<std::uint32_t>(GetRValue(colour)) << 16 |
                                    static_cast<std::uint32_t>(GetGValue(colour)) << 8 | GetBValue(colour);
        }
    return picture;
}

// A memory device context over a 32-bit DIB: exact pixels to draw on and to read back.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill)
        : width(width), height(height), dc(CreateCompatibleDC(nullptr)),
          bitmap(MakePicture(width, height, [fill](int, int) { return fill; })), previous(SelectObject(dc, bitmap))
    {
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }

    // The client area of a window as it is on the screen now.
    static std::unique_ptr<Canvas> Capture(HWND window)
    {
        RECT client{};
        GetClientRect(window, &client);
        auto copy = std::make_unique<Canvas>(client.right, client.bottom, RGB(0, 0, 0));
        HDC source = GetDC(window);
        BitBlt(copy->dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
        ReleaseDC(window, source);
        return copy;
    }

    COLORREF Pixel(int x, int y) const { return GetPixel(dc, x, y); }

    int Count(COLORREF colour, RECT area) const
    {
        int found = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                found += Pixel(x, y) == colour;
        return found;
    }

    int Count(COLORREF colour) const { return Count(colour, RECT{0, 0, width, height}); }

    // The smallest rectangle holding every pixel of this colour; empty when there is none.
    RECT Bounds(COLORREF colour) const
    {
        return BoundsWhere([colour](COLORREF pixel) { return pixel == colour; });
    }

    // The smallest rectangle holding every pixel that differs from this colour.
    RECT BoundsApartFrom(COLORREF colour) const
    {
        return BoundsWhere([colour](COLORREF pixel) { return pixel != colour; });
    }

    const int width;
    const int height;
    HDC dc;

private:
    template <typename Predicate>
    RECT BoundsWhere(Predicate matches) const
    {
        RECT box{width, height, 0, 0};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (matches(Pixel(x, y))) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box.left < box.right ? box : RECT{0, 0, 0, 0};
    }

    HBITMAP bitmap;
    HGDIOBJ previous;
};

// Where the ink of a text falls when it is written at (0, 0) in a font, and how far the text
// advances: centring places the advance, not the ink.
struct TextInk {
    RECT ink;
    int advance;
};

inline TextInk MeasureInk(HFONT font, const std::wstring& text)
{
    Canvas probe(400, 200, RGB(255, 255, 255));
    HGDIOBJ previous = SelectObject(probe.dc, font);
    const int length = static_cast<int>(text.size());
    TextOutW(probe.dc, 0, 0, text.c_str(), length);
    SIZE extent{};
    GetTextExtentPoint32W(probe.dc, text.c_str(), length, &extent);
    SelectObject(probe.dc, previous);
    return TextInk{probe.BoundsApartFrom(RGB(255, 255, 255)), extent.cx};
}

}
