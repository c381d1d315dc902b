// The plain Win32 program the game's start-up, idle load and memory are compared with: one
// 640 x 400 window and a 20 ms timer whose ticks do nothing.
//
// With the argument "--slow-first-paint" its first paint takes 300 ms longer, so that the
// launcher can show that its start-up figure waits for the window to be painted. With
// "--read-mouse" each tick reads the mouse position as the game's idle tick does.

#include <windows.h>

#include <cstring>

namespace {

bool slowFirstPaint = false;
bool readMouse = false;

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
    case WM_TIMER:
        if (readMouse) {
            CURSORINFO cursor{};
            cursor.cbSize = sizeof cursor;
            GetCursorInfo(&cursor);
            ScreenToClient(window, &cursor.ptScreenPos);
        }
        return 0;
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
    readMouse = std::strstr(commandLine, "--read-mouse") != nullptr;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = BaselineProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = CreateSolidBrush(RGB(0, 128, 128));
    windowClass.lpszClassName = L"BaselineWindow";
    RegisterClassW(&windowClass);

    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_VISIBLE;
    RECT frame{0, 0, 640, 400};
    AdjustWindowRect(&frame, style, FALSE);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Baseline", style, 100, 100,
                                  frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                  nullptr);
    UpdateWindow(window);
    SetTimer(window, 1, 20, nullptr);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
