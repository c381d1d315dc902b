#include "Dpi.h"

#include "Platform.h"

#include <algorithm>

namespace TorUtility {

namespace {

// Functions of the window library that only newer systems have, looked up in the copy the
// program already uses: nothing is loaded, and on an older system the caller falls back.
template <typename Function>
Function NewerUserFunction(const char* name)
{
    return FunctionOf<Function>(GetModuleHandleW(L"user32.dll"), name);
}

}

int ToDevice(int logical, UINT dpi)
{
    return MulDiv(logical, static_cast<int>(dpi), static_cast<int>(logicalDpi));
}

int ToLogical(int device, UINT dpi)
{
    return MulDiv(device, static_cast<int>(logicalDpi), static_cast<int>(dpi));
}

RECT ToDevice(const RECT& logical, UINT dpi)
{
    return RECT{ToDevice(logical.left, dpi), ToDevice(logical.top, dpi), ToDevice(logical.right, dpi),
                ToDevice(logical.bottom, dpi)};
}

POINT ToLogical(POINT device, UINT dpi)
{
    return POINT{ToLogical(device.x, dpi), ToLogical(device.y, dpi)};
}

int LineWidth(UINT dpi)
{
    return std::max(1, static_cast<int>(dpi / logicalDpi));
}

UINT SystemDpi()
{
    static const UINT dpi = [] {
        HDC screen = GetDC(nullptr);
        const int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
        if (screen)
            ReleaseDC(nullptr, screen);
        return pixelsPerInch > 0 ? static_cast<UINT>(pixelsPerInch) : logicalDpi;
    }();
    return dpi;
}

UINT WindowDpi(HWND window)
{
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = NewerUserFunction<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = window && dpiForWindow ? dpiForWindow(window) : 0;
    return dpi != 0 ? dpi : SystemDpi();
}

int SystemMetricForDpi(int index, UINT dpi)
{
    using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
    static const auto metricForDpi = NewerUserFunction<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (metricForDpi)
        return metricForDpi(index, dpi);
    // Older systems give the metric at the system's scale only.
    return MulDiv(GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

}
