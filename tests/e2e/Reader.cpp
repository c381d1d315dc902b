// A small screen reader for tests: started beside the game, it reads the game's accessible objects
// from outside, as a real reader does, and hears the events the game fires. It takes one command
// a line on its input and answers each with lines of tab-separated fields, then a line "end":
//
//   tree                every child window of the game's main window that answers with an object:
//                       object handle role state name value action left,top,width,height
//   focus               the object of the window with the keyboard focus, then its parent's:
//                       object ... as above, and parent role name children
//   point X Y           the object at a screen point: object ... with the child it names
//   parent HANDLE N     the window's object's parent and that parent's child N:
//                       parent role name children, then child role name
//   events              the events heard since the last "events", each with the object it names
//                       read through AccessibleObjectFromEvent: event kind handle child role state name
//   do HANDLE           the default action of the window's object; answers "done" and its result
//   select HANDLE       the focus taken there through the object; answers "done" and its result
//   quit
//
// Run as: reader.exe DESKTOP TITLE, the Wine desktop the game runs on and the start of its title.
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <deque>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Event {
    DWORD kind;
    HWND window;
    LONG object;
    LONG child;
};

// The hook is called again while a call to the game is under way, so events only queue here and
// are read once the command that hears them has finished.
std::deque<Event> heard;
HWND gameWindow = nullptr;
std::wstring gameTitle;

void CALLBACK Hear(HWINEVENTHOOK, DWORD kind, HWND window, LONG object, LONG child, DWORD, DWORD)
{
    heard.push_back({kind, window, object, child});
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    for (char& c : out)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return out;
}

std::string Text(HRESULT result, BSTR text)
{
    std::string out = SUCCEEDED(result) && text ? Utf8(text) : std::string();
    SysFreeString(text);
    return out;
}

VARIANT Child(LONG id)
{
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    return child;
}

long Number(HRESULT result, const VARIANT& value)
{
    return SUCCEEDED(result) && value.vt == VT_I4 ? value.lVal : -1;
}

// role state name value action location: what a reader reads of an object.
std::string Describe(IAccessible* object, LONG id)
{
    if (!object)
        return "none";
    const VARIANT child = Child(id);
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    BSTR name = nullptr, value = nullptr, action = nullptr;
    const long r = Number(object->get_accRole(child, &role), role);
    const long s = Number(object->get_accState(child, &state), state);
    const HRESULT named = object->get_accName(child, &name);
    const HRESULT valued = object->get_accValue(child, &value);
    const HRESULT acted = object->get_accDefaultAction(child, &action);
    long left = 0, top = 0, width = 0, height = 0;
    object->accLocation(&left, &top, &width, &height, child);
    std::ostringstream out;
    out << r << '\t' << s << '\t' << Text(named, name) << '\t' << Text(valued, value) << '\t' << Text(acted, action)
        << '\t' << left << ',' << top << ',' << width << ',' << height;
    return out.str();
}

IAccessible* ObjectOfWindow(HWND window)
{
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

std::string Handle(HWND window)
{
    std::ostringstream out;
    out << reinterpret_cast<std::uintptr_t>(window);
    return out.str();
}

HWND ParseHandle(std::istream& in)
{
    std::uintptr_t value = 0;
    in >> value;
    return reinterpret_cast<HWND>(value);
}

BOOL CALLBACK FindGame(HWND window, LPARAM)
{
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (IsWindowVisible(window) && std::wstring(title).starts_with(gameTitle)) {
        gameWindow = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK ListChild(HWND window, LPARAM)
{
    if (IAccessible* object = ObjectOfWindow(window)) {
        std::cout << "object\t" << Handle(window) << '\t' << Describe(object, CHILDID_SELF) << '\n';
        object->Release();
    }
    return TRUE;
}

void Parent(IAccessible* object, LONG wanted)
{
    IDispatch* above = nullptr;
    IAccessible* parent = nullptr;
    if (object && SUCCEEDED(object->get_accParent(&above)) && above)
        above->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&parent));
    if (above)
        above->Release();
    if (!parent) {
        std::cout << "parent\tnone\n";
        return;
    }
    long count = 0;
    parent->get_accChildCount(&count);
    const std::string described = Describe(parent, CHILDID_SELF);
    std::cout << "parent\t" << described << '\t' << count << '\n';
    if (wanted > 0) {
        IDispatch* below = nullptr;
        IAccessible* child = nullptr;
        const HRESULT found = parent->get_accChild(Child(wanted), &below);
        if (found == S_OK && below)
            below->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child));
        if (below)
            below->Release();
        std::cout << "child\t" << (child ? Describe(child, CHILDID_SELF) : Describe(parent, wanted)) << '\n';
        if (child)
            child->Release();
    }
    parent->Release();
}

const char* EventName(DWORD kind)
{
    switch (kind) {
    case EVENT_OBJECT_FOCUS: return "focus";
    case EVENT_OBJECT_NAMECHANGE: return "name";
    case EVENT_OBJECT_STATECHANGE: return "state";
    case EVENT_SYSTEM_ALERT: return "alert";
    default: return "other";
    }
}

void Events()
{
    std::deque<Event> taken;
    taken.swap(heard);
    for (const Event& event : taken) {
        IAccessible* object = nullptr;
        VARIANT child;
        VariantInit(&child);
        std::string described = "none";
        if (SUCCEEDED(AccessibleObjectFromEvent(event.window, static_cast<DWORD>(event.object), event.child, &object,
                                                &child)) &&
            object) {
            described = Describe(object, child.vt == VT_I4 ? child.lVal : CHILDID_SELF);
            object->Release();
        }
        std::cout << "event\t" << EventName(event.kind) << '\t' << Handle(event.window) << '\t' << event.child << '\t'
                  << described << '\n';
    }
}

void Run(const std::string& line)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    if (!gameWindow || !IsWindow(gameWindow))
        EnumWindows(FindGame, 0);
    if (command == "tree") {
        if (gameWindow)
            EnumChildWindows(gameWindow, ListChild, 0);
    } else if (command == "focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        const DWORD thread = gameWindow ? GetWindowThreadProcessId(gameWindow, nullptr) : 0;
        HWND focused = thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
        IAccessible* object = focused ? ObjectOfWindow(focused) : nullptr;
        std::cout << "object\t" << Handle(focused) << '\t' << Describe(object, CHILDID_SELF) << '\n';
        Parent(object, 0);
        if (object)
            object->Release();
    } else if (command == "point") {
        POINT at{};
        in >> at.x >> at.y;
        IAccessible* object = nullptr;
        VARIANT child;
        VariantInit(&child);
        if (SUCCEEDED(AccessibleObjectFromPoint(at, &object, &child)) && object) {
            std::cout << "object\t" << Handle(WindowFromPoint(at)) << '\t'
                      << Describe(object, child.vt == VT_I4 ? child.lVal : CHILDID_SELF) << '\n';
            object->Release();
        } else {
            std::cout << "object\tnone\n";
        }
    } else if (command == "parent") {
        HWND window = ParseHandle(in);
        LONG wanted = 0;
        in >> wanted;
        IAccessible* object = ObjectOfWindow(window);
        Parent(object, wanted);
        if (object)
            object->Release();
    } else if (command == "events") {
        Events();
    } else if (command == "do" || command == "select") {
        IAccessible* object = ObjectOfWindow(ParseHandle(in));
        HRESULT result = E_FAIL;
        if (object) {
            result = command == "do" ? object->accDoDefaultAction(Child(CHILDID_SELF))
                                     : object->accSelect(SELFLAG_TAKEFOCUS, Child(CHILDID_SELF));
            object->Release();
        }
        std::cout << "done\t" << std::hex << static_cast<unsigned long>(result) << std::dec << '\n';
    }
    std::cout << "end" << std::endl;
}

}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    // The game's windows are on its own Wine desktop: the reader joins it before it makes any
    // window or COM object, or it would see none of them.
    if (HDESK desktop = OpenDesktopW(argv[1], 0, FALSE, GENERIC_ALL))
        SetThreadDesktop(desktop);
    gameTitle = argv[2];
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, Hear, 0, 0,
                                         WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    // The commands come on another thread, so that this one keeps taking the hook's events
    // between them.
    const DWORD self = GetCurrentThreadId();
    HANDLE answered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::string line;
    struct Reading {
        DWORD self;
        HANDLE answered;
        std::string* line;
    } reading{self, answered, &line};
    CreateThread(
        nullptr, 0,
        [](LPVOID parameter) -> DWORD {
            auto* r = static_cast<Reading*>(parameter);
            std::string read;
            while (std::getline(std::cin, read)) {
                *r->line = read;
                PostThreadMessageW(r->self, WM_APP, 0, 0);
                WaitForSingleObject(r->answered, INFINITE);
            }
            *r->line = "quit";
            PostThreadMessageW(r->self, WM_APP, 0, 0);
            return 0;
        },
        &reading, 0, nullptr);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == WM_APP) {
            // The events already on their way are heard before the command runs.
            MSG pending{};
            while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE) && pending.message != WM_APP)
                DispatchMessageW(&pending);
            std::string command = line;
            if (command.starts_with("quit"))
                break;
            Run(command);
            SetEvent(answered);
            continue;
        }
        DispatchMessageW(&message);
    }
    UnhookWinEvent(hook);
    CoUninitialize();
    return 0;
}
