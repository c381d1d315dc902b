#include "Drawing.h"

#include "GUIElement.h"
#include "TextUtilities.h"
#include "WindowProc.h"

namespace TorUtility {

GdiLedger gdiLedger;

namespace {

constexpr std::size_t drawStringBufferLength = 1024;

// Selects an object into a DC for the lifetime of the scope and puts the previous one back.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc(dc), previous(SelectObject(dc, object)) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() { SelectObject(dc, previous); }

private:
    HDC dc;
    HGDIOBJ previous;
};

// A picture made smaller with blending keeps its transparent outline exact: the outline is taken
// from the nearest pixels of the picture's own black key, and the blended picture is made pure
// black again outside it, so that no blend of the key with the picture shows around it.
HBITMAP SmoothedInsideOutline(HBITMAP picture, int width, int height)
{
    BITMAP description{};
    HBITMAP smoothed = GetObjectW(picture, sizeof description, &description)
                           ? SmoothlyStretched(picture, width, height)
                           : nullptr;
    HDC pictureDC = Made(CreateCompatibleDC(nullptr));
    HDC outlineDC = Made(CreateCompatibleDC(nullptr));
    HDC smoothedDC = Made(CreateCompatibleDC(nullptr));
    HBITMAP outline = Made(CreateBitmap(width, height, 1, 1, nullptr));
    bool done = smoothed && pictureDC && outlineDC && smoothedDC && outline;
    if (done) {
        Selection pictureSelected(pictureDC, picture);
        Selection outlineSelected(outlineDC, outline);
        Selection smoothedSelected(smoothedDC, smoothed);
        SetBkColor(pictureDC, RGB(0, 0, 0));
        SetStretchBltMode(outlineDC, COLORONCOLOR);
        done = StretchBlt(outlineDC, 0, 0, width, height, pictureDC, 0, 0, description.bmWidth,
                          description.bmHeight, SRCCOPY) != FALSE;
        // Outline bits of 1 (transparent) come in as white, and "destination and not source"
        // clears exactly those pixels.
        SetTextColor(smoothedDC, RGB(0, 0, 0));
        SetBkColor(smoothedDC, RGB(255, 255, 255));
        constexpr DWORD destinationAndNotSource = 0x00220326;
        done = done && BitBlt(smoothedDC, 0, 0, width, height, outlineDC, 0, 0, destinationAndNotSource) != FALSE;
    }
    Unmake(outline);
    UnmakeDC(smoothedDC);
    UnmakeDC(outlineDC);
    UnmakeDC(pictureDC);
    if (done)
        return smoothed;
    Unmake(smoothed);
    return nullptr;
}

}

HBITMAP SmoothlyStretched(HBITMAP picture, int width, int height)
{
    BITMAP description{};
    if (width <= 0 || height <= 0 || !GetObjectW(picture, sizeof description, &description))
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP stretched = Made(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC source = Made(CreateCompatibleDC(nullptr));
    HDC target = Made(CreateCompatibleDC(nullptr));
    bool done = stretched && source && target;
    if (done) {
        Selection sourceSelected(source, picture);
        Selection targetSelected(target, stretched);
        // Each pixel of the result blends the pixels it covers, instead of dropping all but one.
        SetStretchBltMode(target, HALFTONE);
        SetBrushOrgEx(target, 0, 0, nullptr);
        done = StretchBlt(target, 0, 0, width, height, source, 0, 0, description.bmWidth, description.bmHeight,
                          SRCCOPY) != FALSE;
    }
    UnmakeDC(target);
    UnmakeDC(source);
    if (done)
        return stretched;
    Unmake(stretched);
    return nullptr;
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
    const UINT format = align == 1 ? DT_RIGHT : align == 2 ? DT_CENTER : DT_LEFT | DT_TOP;
    RECT box{left, top, left + boxWidth, top + boxHeight};
    HGDIOBJ previousFont = fontSpec ? SelectObject(dc, fontSpec->GetFont(dpi)) : nullptr;
    const COLORREF previousColor = SetTextColor(dc, color);
    const int length = static_cast<int>(shown.size());
    const bool drawn = boxWidth != 0 && boxHeight != 0
                           ? DrawTextW(dc, shown.c_str(), length, &box, format) != 0 || length == 0
                           : TextOutW(dc, left, top, shown.c_str(), length) != 0;
    if (!drawn)
        OnGdiFailure();
    SetTextColor(dc, previousColor);
    if (fontSpec)
        SelectObject(dc, previousFont);
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

void Drawing::DrawOutline(int left, int top, int boxWidth, int boxHeight, COLORREF color)
{
    if (!dc)
        return;
    // Kept inside the box at every width, as the platform's own controls keep their edges.
    HPEN pen = Made(CreatePen(PS_INSIDEFRAME, LineWidth(dpi), color));
    {
        Selection penSelected(dc, pen);
        Selection brushSelected(dc, GetStockObject(HOLLOW_BRUSH));
        if (!Rectangle(dc, left, top, left + boxWidth, top + boxHeight))
            OnGdiFailure();
    }
    Unmake(pen);
}

void Drawing::FillBox(int left, int top, int boxWidth, int boxHeight, COLORREF color)
{
    if (!dc)
        return;
    HBRUSH brush = Made(CreateSolidBrush(color));
    {
        Selection penSelected(dc, GetStockObject(NULL_PEN));
        Selection brushSelected(dc, brush);
        if (!Rectangle(dc, left, top, left + boxWidth, top + boxHeight))
            OnGdiFailure();
    }
    Unmake(brush);
}

void Drawing::DrawMasked(int left, int top, int boxWidth, int boxHeight, HBITMAP bitmap)
{
    if (!dc)
        return;
    BITMAP description{};
    if (!GetObjectW(bitmap, sizeof description, &description))
        OnGdiFailure();
    const int pictureWidth = description.bmWidth;
    const int pictureHeight = description.bmHeight;
    const bool stretched = boxWidth != 0 && boxHeight != 0;
    if (stretched && (boxWidth < pictureWidth || boxHeight < pictureHeight)) {
        if (HBITMAP smoothed = SmoothedInsideOutline(bitmap, boxWidth, boxHeight)) {
            DrawMasked(left, top, boxWidth, boxHeight, smoothed);
            Unmake(smoothed);
            return;
        }
    }
    HDC pictureDC = Made(CreateCompatibleDC(dc));
    HDC maskDC = Made(CreateCompatibleDC(dc));
    if (!pictureDC || !maskDC)
        OnGdiFailure();
    HBITMAP mask = Made(CreateBitmap(pictureWidth, pictureHeight, 1, 1, nullptr));
    if (!mask)
        OnGdiFailure();
    {
        Selection maskSelected(maskDC, mask);
        Selection pictureSelected(pictureDC, bitmap);
        SetBkColor(pictureDC, RGB(0, 0, 0));
        if (!BitBlt(maskDC, 0, 0, pictureWidth, pictureHeight, pictureDC, 0, 0, SRCCOPY))
            OnGdiFailure();
        // Mask bits turn into the destination's text colour (0) and background colour (1) on the
        // way in; pin them to black and white so the AND keeps exactly the transparent pixels.
        const COLORREF previousText = SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF previousBack = SetBkColor(dc, RGB(255, 255, 255));
        for (auto [source, operation] : {std::pair{maskDC, SRCAND}, std::pair{pictureDC, SRCPAINT}}) {
            const BOOL done = stretched ? StretchBlt(dc, left, top, boxWidth, boxHeight, source, 0, 0, pictureWidth,
                                                     pictureHeight, operation)
                                        : BitBlt(dc, left, top, pictureWidth, pictureHeight, source, 0, 0, operation);
            if (!done)
                OnGdiFailure();
        }
        SetTextColor(dc, previousText);
        SetBkColor(dc, previousBack);
    }
    Unmake(mask);
    UnmakeDC(maskDC);
    UnmakeDC(pictureDC);
}

}
