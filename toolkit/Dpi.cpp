#include "Dpi.h"

#include "Platform.h"

#include <algorithm>
#include <cstdint>

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

// A first guess from the ratio, then the one step either way that the rounding of the edges can
// call for.
int ToLogical(int device, UINT dpi)
{
    const std::int64_t scaled = std::int64_t{device} * logicalDpi;
    std::int64_t guess = scaled / dpi;
    if (scaled % dpi < 0)
        --guess;
    auto logical = static_cast<int>(guess);
    while (ToDevice(logical + 1, dpi) <= device)
        ++logical;
    while (ToDevice(logical, dpi) > device)
        --logical;
    return logical;
}

RECT ToDevice(const RECT& logical, UINT dpi)
{
    return RECT{ToDevice(logical.left, dpi), ToDevice(logical.top, dpi), ToDevice(logical.right, dpi),
                ToDevice(logical.bottom, dpi)};
}

RECT ToDeviceInside(const RECT& logical, POINT origin, UINT dpi)
{
    const RECT outer = ToDevice(RECT{origin.x + logical.left, origin.y + logical.top, origin.x + logical.right,
                                     origin.y + logical.bottom},
                                dpi);
    const int left = ToDevice(origin.x, dpi);
    const int top = ToDevice(origin.y, dpi);
    return RECT{outer.left - left, outer.top - top, outer.right - left, outer.bottom - top};
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
