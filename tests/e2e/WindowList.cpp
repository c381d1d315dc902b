// Prints the visible top-level windows of the desktop it runs on, one per line, so that a test
// driving the game from outside can see its windows, boxes and menus as a player would:
//
//   handle <TAB> class <TAB> left,top,right,bottom <TAB> clientX,clientY <TAB> clientW,clientH
//          <TAB> enabled (1/0) <TAB> title
//
// The window rectangle and the client origin are in screen coordinates. The title comes last
// and in UTF-8, so that it may hold any character but a line break.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* text, int length)
{
    if (length <= 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return out;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    wchar_t title[512] = {};
    const int titleLength = GetWindowTextW(window, title, 512);
    wchar_t className[256] = {};
    const int classLength = GetClassNameW(window, className, 256);
    RECT frame{};
    GetWindowRect(window, &frame);
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("%p\t%s\t%ld,%ld,%ld,%ld\t%ld,%ld\t%ld,%ld\t%d\t%s\n", static_cast<void*>(window),
                Utf8(className, classLength).c_str(), frame.left, frame.top, frame.right, frame.bottom, origin.x,
                origin.y, client.right - client.left, client.bottom - client.top, IsWindowEnabled(window) ? 1 : 0,
                Utf8(title, titleLength).c_str());
    return TRUE;
}

}

int main()
{
    EnumWindows(PrintWindow, 0);
    std::fflush(stdout);
    return 0;
}
