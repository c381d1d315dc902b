#pragma once

#include "Dpi.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace TorUtility {

class GUIElement;

// A font description whose platform font is made on first use and deleted with the record. Its
// height is in logical pixels; the font is made for one scale at a time, and asking for another
// replaces it.
class FontSpec {
public:
    FontSpec();
    FontSpec(const std::string& face, std::int32_t height);
    FontSpec(const FontSpec&) = delete;
    FontSpec& operator=(const FontSpec&) = delete;
    ~FontSpec();

    HFONT GetFont(UINT dpi = logicalDpi);

    HFONT fontHandle = nullptr;
    UINT fontDpi = 0;
    std::wstring faceName;
    std::int32_t size = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool pitchFlag = false;
};

// One paint pass on one device context: text in a box, outlines, fills and bitmaps with pure
// black as the transparent colour. Coordinates are the device context's own pixels; fonts and
// lines are made for the scale of the element drawn.
class Drawing {
public:
    // Where DrawString puts a line in its box (and a cell its picture); any other value is the
    // left.
    enum Alignment : std::int32_t { alignLeft = 0, alignRight = 1, alignCenter = 2 };

    explicit Drawing(GUIElement* element);
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;
    virtual ~Drawing();

    // Reads and discards the platform's error after a failed drawing step; drawing goes on.
    virtual void OnGdiFailure();

    void Begin();
    void AttachDC(HDC deviceContext);
    void Finish();

    void DrawString(int left, int top, int boxWidth, int boxHeight, const std::wstring& value, int align,
                    COLORREF color, FontSpec* fontSpec);
    void DrawString(int left, int top, int boxWidth, int boxHeight, const std::string& value, int align,
                    COLORREF color, FontSpec* fontSpec);
    int LineHeight(FontSpec* fontSpec);
    void DrawOutline(int left, int top, int boxWidth, int boxHeight, COLORREF color);
    // Leaves the right-most column and the bottom row untouched.
    void FillBox(int left, int top, int boxWidth, int boxHeight, COLORREF color);
    // The platform's focus rectangle, drawn just inside the box.
    void DrawFocus(const RECT& box);
    // Stretches the bitmap to the box unless either side is 0; pure black pixels stay transparent.
    // Above 100 % a box smaller than the bitmap gets a smoothed picture inside an exact outline; at
    // 100 % the platform stretches it.
    void DrawMasked(int left, int top, int boxWidth, int boxHeight, HBITMAP bitmap);

    GUIElement* target;
    UINT dpi;
    HDC dc = nullptr;
    bool attached = false;
    PAINTSTRUCT paint{};
};

// Counts of the GDI objects the toolkit's drawing code has made and deleted, for leak checks.
struct GdiLedger {
    std::uint64_t made = 0;
    std::uint64_t deleted = 0;
};

extern GdiLedger gdiLedger;

// Every GDI object the toolkit makes passes through Made, and is released through Unmake, so that
// the ledger balances exactly when nothing leaks.
template <typename Handle>
Handle Made(Handle object)
{
    if (object)
        ++gdiLedger.made;
    return object;
}

void Unmake(HGDIOBJ object);
void UnmakeDC(HDC deviceContext);

// A handle owned by a scope: `release` gets it, made or not, on every way out of the scope. A
// handle that could not be made is none, and reads as false.
template <typename Handle, auto release>
class ScopedHandle {
public:
    explicit ScopedHandle(Handle handle) : handle(handle) {}
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { release(handle); }
    operator Handle() const { return handle; }

private:
    Handle handle;
};

// An object or memory DC made for one drawing step (through Made), released through the ledger.
template <typename Object>
using StepObject = ScopedHandle<Object, Unmake>;
using StepDC = ScopedHandle<HDC, UnmakeDC>;

// The description of a picture of 32-bit 0x00RRGGBB pixels, rows from the top.
BITMAPINFO TopDownPicture(int width, int height);

// A new bitmap of the given size with the picture smoothly stretched into it, pure black kept as
// the transparent key (the caller owns it, through the ledger), or none.
HBITMAP SmoothlyStretched(HBITMAP picture, int width, int height);

// Which drawing of a picture to show at a scale, for a picture also drawn at twice its size: that
// one above 100 %, made smaller to the scale, and the ordinary one, as it is, at 100 % or when
// there is no large one. A picture's size on the screen is its logical size scaled by its edges.
template <typename Picture>
Picture PictureForScale(Picture ordinary, Picture large, UINT dpi)
{
    return large && dpi > logicalDpi ? large : ordinary;
}

}
