#include "Drawing.h"

#include "GUIElement.h"
#include "TextUtilities.h"
#include "WindowProc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace TorUtility {

GdiLedger gdiLedger;

namespace {

constexpr std::size_t drawStringBufferLength = 1024;

// Selects an object into a DC for the lifetime of the scope and puts the previous one back; no
// object selects nothing.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc(dc), previous(object ? SelectObject(dc, object) : nullptr) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection()
    {
        if (previous)
            SelectObject(dc, previous);
    }

private:
    HDC dc;
    HGDIOBJ previous;
};

// A rectangle from the box's corners with the pen and brush given, each selected for it alone;
// false when either could not be made or the rectangle could not be drawn.
bool RectangleWith(HDC dc, HGDIOBJ pen, HGDIOBJ brush, int left, int top, int right, int bottom)
{
    if (!pen || !brush)
        return false;
    Selection penSelected(dc, pen);
    Selection brushSelected(dc, brush);
    return Rectangle(dc, left, top, right, bottom) != 0;
}

// The share of the source pixel at `index` that the span [from, to) covers.
double Coverage(int index, double from, double to)
{
    return std::min(to, index + 1.0) - std::max(from, static_cast<double>(index));
}

// A picture's pixels as 32-bit 0x00RRGGBB values, rows from the top.
std::vector<std::uint32_t> PixelsOf(HBITMAP picture, int width, int height)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    BITMAPINFO info = TopDownPicture(width, height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, picture, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height)
        pixels.clear();
    return pixels;
}

}

BITMAPINFO TopDownPicture(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

// Every pixel of the result averages the picture's pixels it covers, each by how much of it it
// covers, so that lines and letters keep their weight instead of losing every other pixel. Pure
// black is the transparent key and is never blended: a pixel of the result is the key exactly
// where the nearest pixel of the picture is, and every other pixel averages only the picture's
// colours, never the key, and is never pure black itself. The same on every platform, whatever
// its own stretching does.
HBITMAP SmoothlyStretched(HBITMAP picture, int width, int height)
{
    BITMAP description{};
    if (width <= 0 || height <= 0 || !GetObjectW(picture, sizeof description, &description))
        return nullptr;
    const int sourceWidth = description.bmWidth;
    const int sourceHeight = std::abs(description.bmHeight);
    const std::vector<std::uint32_t> source = PixelsOf(picture, sourceWidth, sourceHeight);
    if (source.empty())
        return nullptr;
    const BITMAPINFO info = TopDownPicture(width, height);
    void* bits = nullptr;
    HBITMAP result = Made(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!result || !bits)
        return result;
    auto* target = static_cast<std::uint32_t*>(bits);
    const double stepX = static_cast<double>(sourceWidth) / width;
    const double stepY = static_cast<double>(sourceHeight) / height;
    auto at = [&](int x, int y) { return source[static_cast<std::size_t>(y) * sourceWidth + x]; };
    for (int y = 0; y < height; ++y) {
        const double top = y * stepY;
        const double bottom = (y + 1) * stepY;
        const int nearestY = std::min(sourceHeight - 1, static_cast<int>((y + 0.5) * stepY));
        for (int x = 0; x < width; ++x) {
            const double left = x * stepX;
            const double right = (x + 1) * stepX;
            std::uint32_t& pixel = target[static_cast<std::size_t>(y) * width + x];
            const int nearestX = std::min(sourceWidth - 1, static_cast<int>((x + 0.5) * stepX));
            if ((at(nearestX, nearestY) & 0xFFFFFFu) == 0) {
                pixel = 0;
                continue;
            }
            double sum[3] = {0, 0, 0};
            double weight = 0;
            for (int sy = static_cast<int>(top); sy < std::min(sourceHeight, static_cast<int>(std::ceil(bottom))); ++sy)
                for (int sx = static_cast<int>(left); sx < std::min(sourceWidth, static_cast<int>(std::ceil(right)));
                     ++sx) {
                    const std::uint32_t colour = at(sx, sy) & 0xFFFFFFu;
                    if (colour == 0)
                        continue;
                    const double share = Coverage(sx, left, right) * Coverage(sy, top, bottom);
                    for (int channel = 0; channel < 3; ++channel)
                        sum[channel] += share * ((colour >> (8 * channel)) & 0xFFu);
                    weight += share;
                }
            std::uint32_t blended = 0;
            for (int channel = 0; channel < 3; ++channel)
                blended |= static_cast<std::uint32_t>(std::lround(sum[channel] / weight)) << (8 * channel);
            pixel = blended != 0 ? blended : 1;
        }
    }
    GdiFlush();
    return result;
}

void Unmake(HGDIOBJ object)
{
    if (object && DeleteObject(object))
        ++gdiLedger.deleted;
}

void UnmakeDC(HDC deviceContext)
{
    if (deviceContext && DeleteDC(deviceContext))
        ++gdiLedger.deleted;
}

FontSpec::FontSpec() : faceName(L"System")
{
}

FontSpec::FontSpec(const std::string& face, std::int32_t height) : faceName(ToWide(face)), size(height)
{
}

FontSpec::~FontSpec()
{
    Unmake(fontHandle);
}

// The font made for another scale goes once its replacement exists; if that cannot be made, the
// old one is better than none.
HFONT FontSpec::GetFont(UINT dpi)
{
    if (fontHandle && fontDpi == dpi)
        return fontHandle;
    HFONT made = Made(CreateFontW(ToDevice(size, dpi), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, FALSE,
                                  DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  pitchFlag ? 1 : 0, faceName.c_str()));
    if (made) {
        Unmake(fontHandle);
        fontHandle = made;
        fontDpi = dpi;
    }
    return fontHandle;
}

Drawing::Drawing(GUIElement* element) : target(element), dpi(element ? element->Dpi() : logicalDpi)
{
}

Drawing::~Drawing()
{
    Finish();
}

// Drawing goes on after a failed step; the error only reaches a debugger's output.
void Drawing::OnGdiFailure()
{
    const std::string report =
        "GDI drawing step failed, error " + ToText(static_cast<std::int64_t>(GetLastError())) + "\n";
    OutputDebugStringA(report.c_str());
}

void Drawing::Begin()
{
    dc = BeginPaint(target->handle, &paint);
    attached = false;
}

void Drawing::AttachDC(HDC deviceContext)
{
    dc = deviceContext;
    attached = true;
}

void Drawing::Finish()
{
    if (attached)
        attached = false;
    else if (dc) {
        EndPaint(target->handle, &paint);
        validatedWindow = target->handle;
    }
    dc = nullptr;
}

void Drawing::DrawString(int left, int top, int boxWidth, int boxHeight, const std::wstring& value, int align,
                         COLORREF color, FontSpec* fontSpec)
{
    if (!dc)
        return;
    SetBkMode(dc, TRANSPARENT);
    const std::wstring shown = value.substr(0, drawStringBufferLength - 1);
    const UINT format = align == alignRight ? DT_RIGHT : align == alignCenter ? DT_CENTER : DT_LEFT | DT_TOP;
    RECT box{left, top, left + boxWidth, top + boxHeight};
    const Selection fontSelected(dc, fontSpec ? fontSpec->GetFont(dpi) : nullptr);
    const COLORREF previousColor = SetTextColor(dc, color);
    const int length = static_cast<int>(shown.size());
    const bool drawn = boxWidth != 0 && boxHeight != 0
                           ? DrawTextW(dc, shown.c_str(), length, &box, format) != 0 || length == 0
                           : TextOutW(dc, left, top, shown.c_str(), length) != 0;
    if (!drawn)
        OnGdiFailure();
    SetTextColor(dc, previousColor);
}

void Drawing::DrawString(int left, int top, int boxWidth, int boxHeight, const std::string& value, int align,
                         COLORREF color, FontSpec* fontSpec)
{
    DrawString(left, top, boxWidth, boxHeight, ToWide(value), align, color, fontSpec);
}

int Drawing::LineHeight(FontSpec* fontSpec)
{
    if (!dc || !fontSpec)
        return -1;
    Selection selected(dc, fontSpec->GetFont(dpi));
    TEXTMETRICW metrics{};
    return GetTextMetricsW(dc, &metrics) ? metrics.tmHeight : -1;
}

// Four bars of the line's width, kept inside the box at every width as the platform's own controls
// keep their edges, with square corners: a pen wider than a pixel would round them.
void Drawing::DrawOutline(int left, int top, int boxWidth, int boxHeight, COLORREF color)
{
    if (!dc)
        return;
    const StepObject<HBRUSH> brush(Made(CreateSolidBrush(color)));
    if (!brush) {
        OnGdiFailure();
        return;
    }
    const int line = std::min({LineWidth(dpi), boxWidth, boxHeight});
    const Selection brushSelected(dc, brush);
    const RECT bars[] = {{left, top, left + boxWidth, top + line},
                         {left, top + boxHeight - line, left + boxWidth, top + boxHeight},
                         {left, top, left + line, top + boxHeight},
                         {left + boxWidth - line, top, left + boxWidth, top + boxHeight}};
    bool drawn = true;
    for (const RECT& bar : bars)
        drawn = PatBlt(dc, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, PATCOPY) && drawn;
    if (!drawn)
        OnGdiFailure();
}

void Drawing::FillBox(int left, int top, int boxWidth, int boxHeight, COLORREF color)
{
    if (!dc)
        return;
    const StepObject<HBRUSH> brush(Made(CreateSolidBrush(color)));
    if (!RectangleWith(dc, GetStockObject(NULL_PEN), brush, left, top, left + boxWidth, top + boxHeight))
        OnGdiFailure();
}

void Drawing::DrawFocus(const RECT& box)
{
    if (dc && !DrawFocusRect(dc, &box))
        OnGdiFailure();
}

void Drawing::DrawMasked(int left, int top, int boxWidth, int boxHeight, HBITMAP bitmap)
{
    if (!dc)
        return;
    BITMAP description{};
    if (!GetObjectW(bitmap, sizeof description, &description)) {
        OnGdiFailure();
        return;
    }
    const int pictureWidth = description.bmWidth;
    const int pictureHeight = description.bmHeight;
    const bool stretched = boxWidth != 0 && boxHeight != 0;
    if (stretched && dpi != logicalDpi && (boxWidth < pictureWidth || boxHeight < pictureHeight)) {
        const StepObject<HBITMAP> smoothed(SmoothlyStretched(bitmap, boxWidth, boxHeight));
        if (smoothed) {
            DrawMasked(left, top, boxWidth, boxHeight, smoothed);
            return;
        }
    }
    const StepDC pictureDC(Made(CreateCompatibleDC(dc)));
    const StepDC maskDC(Made(CreateCompatibleDC(dc)));
    if (!pictureDC || !maskDC) {
        OnGdiFailure();
        return;
    }
    const StepObject<HBITMAP> mask(Made(CreateBitmap(pictureWidth, pictureHeight, 1, 1, nullptr)));
    if (!mask) {
        OnGdiFailure();
        return;
    }
    const Selection maskSelected(maskDC, mask);
    const Selection pictureSelected(pictureDC, bitmap);
    SetBkColor(pictureDC, RGB(0, 0, 0));
    if (!BitBlt(maskDC, 0, 0, pictureWidth, pictureHeight, pictureDC, 0, 0, SRCCOPY))
        OnGdiFailure();
    // Mask bits turn into the destination's text colour (0) and background colour (1) on the way
    // in; pin them to black and white so the AND keeps exactly the transparent pixels.
    const COLORREF previousText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF previousBack = SetBkColor(dc, RGB(255, 255, 255));
    using Blit = std::pair<HDC, DWORD>;
    for (auto [source, operation] : {Blit{maskDC, SRCAND}, Blit{pictureDC, SRCPAINT}}) {
        const BOOL done = stretched ? StretchBlt(dc, left, top, boxWidth, boxHeight, source, 0, 0, pictureWidth,
                                                 pictureHeight, operation)
                                    : BitBlt(dc, left, top, pictureWidth, pictureHeight, source, 0, 0, operation);
        if (!done)
            OnGdiFailure();
    }
    SetTextColor(dc, previousText);
    SetBkColor(dc, previousBack);
}

}
