#include "Image.h"

#include "Drawing.h"
#include "TextUtilities.h"

#include <algorithm>
#include <cstdlib>

namespace TorUtility {

namespace {

constexpr DWORD imageStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_BITMAP;

}

HBITMAP LoadPicture(HINSTANCE module, std::int32_t resource)
{
    return Made(static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

Image::Image(GUIElement* host, std::int32_t bitmapResource) : Child(nullptr), resourceId(bitmapResource)
{
    parent = host;
    typeName = "image";
}

Image::~Image()
{
    // A control that outlives its element must not go on painting a freed bitmap.
    if (handle && !destroyed && IsWindow(handle))
        SendMessageW(handle, STM_SETIMAGE, IMAGE_BITMAP, 0);
    Unmake(bitmap);
}

void Image::Create()
{
    if (created)
        return;
    const DWORD style = imageStyle | (enabled ? 0 : WS_DISABLED) | (border ? WS_BORDER : 0);
    if (!MakeControlWindow(L"static", style, border ? WS_EX_CLIENTEDGE : 0))
        return;
    Reload();
    Subclass();
    created = true;
    AttachTooltipAndFont();
}

// The control is given the new picture, or none when loading failed, before the one it replaces
// is freed, so that it never holds a freed bitmap.
void Image::Show(HBITMAP loaded, bool large)
{
    BITMAP description{};
    if (loaded && GetObjectW(loaded, sizeof description, &description)) {
        const int divisor = large ? 2 : 1;
        const RECT shown = ToDeviceInside(RECT{0, 0, description.bmWidth / divisor, description.bmHeight / divisor},
                                          POINT{x, y}, Dpi());
        const int shownWidth = shown.right - shown.left;
        const int shownHeight = shown.bottom - shown.top;
        if (shownWidth != description.bmWidth || shownHeight != std::abs(description.bmHeight)) {
            HBITMAP scaled = SmoothlyStretched(loaded, shownWidth, shownHeight);
            Unmake(loaded);
            loaded = scaled;
        }
    }
    HBITMAP replaced = bitmap;
    bitmap = loaded;
    SendMessageW(handle, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    Unmake(replaced);
}

void Image::LoadFromFile(const std::string& name)
{
    fileName = name;
    resourceId = -1;
    if (!handle || name.empty())
        return;
    const std::wstring path = ToWide(name);
    Show(Made(static_cast<HBITMAP>(
             LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION))),
         false);
}

void Image::LoadFromResource(std::int32_t bitmapResource)
{
    fileName.clear();
    resourceId = bitmapResource;
    if (!handle || bitmapResource <= 0)
        return;
    // Without its large picture the element shows the ordinary one stretched.
    HINSTANCE program = GetModuleHandleW(nullptr);
    const std::int32_t chosen = PictureForScale(bitmapResource, std::max(largeResourceId, 0), Dpi());
    HBITMAP large = chosen != bitmapResource ? LoadPicture(program, chosen) : nullptr;
    Show(large ? large : LoadPicture(program, bitmapResource), large != nullptr);
}

void Image::Reload()
{
    if (resourceId == -1)
        LoadFromFile(fileName);
    else
        LoadFromResource(resourceId);
}

}
