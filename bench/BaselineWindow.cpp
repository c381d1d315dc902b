// The plain Win32 program the game's start-up, idle load and memory are compared with: one
// 640 x 400 window and a 20 ms timer whose ticks do nothing.
//
// With the argument "--slow-first-paint" its first paint takes 300 ms longer, so that the
// launcher can show that its start-up figure waits for the window to be painted. With
// "--windows" it also holds as many child windows as the game's window does, plain static
// controls, to tell the cost of the number of windows from the cost of the toolkit.

#include <windows.h>

#include <cstring>

namespace {

bool slowFirstPaint = false;
bool manyWindows = false;

// The game's window holds two boards of 121 cells, nine ship pictures, three buttons, three
// pictures, two counters, the status line and the timer's window.
constexpr int gameWindowCount = 263;

LRESULT CALLBACK BaselineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        BeginPaint(window, &paint);
        if (slowFirstPaint) {
            slowFirstPaint = false;
            Sleep(300);
        }
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    slowFirstPaint = std::strstr(commandLine, "--slow-first-paint") != nullptr;
    manyWindows = std::strstr(commandLine, "--windows") != nullptr;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BaselineProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 128, 128));
    windowClass.lpszClassName = L"BaselineWindow";
    RegisterClassW(&windowClass);

    // On a scaled display the window and its controls are as large as the game's there.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    auto scaled = [dpi](int length) { return MulDiv(length, dpi, 96); };
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    RECT frame{0, 0, scaled(640), scaled(400)};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Baseline", style, scaled(100), scaled(100),
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                  nullptr);
    for (int i = 0; manyWindows && i < gameWindowCount; ++i)
        CreateWindowExW(0, L"static", L"7", WS_CHILD | WS_VISIBLE | WS_BORDER, scaled(10 + 23 * (i % 27)),
                        scaled(10 + 23 * (i / 27)), scaled(23), scaled(23), window, nullptr, instance, nullptr);
    UpdateWindow(window);
    SetTimer(window, 1, 20, nullptr);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
