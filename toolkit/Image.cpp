#include "Image.h"

#include "Drawing.h"
#include "TextUtilities.h"

namespace TorUtility {

namespace {

constexpr DWORD imageStyle = WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_BITMAP;

}

Image::Image(GUIElement* host, std::int32_t bitmapResource) : Child(nullptr), resourceId(bitmapResource)
{
    parent = host;
    typeName = "image";
}

Image::~Image()
{
    Unmake(bitmap);
}

void Image::Create()
{
    if (created)
        return;
    const DWORD style = imageStyle | (enabled ? 0 : WS_DISABLED) | (border ? WS_BORDER : 0);
    if (!MakeControlWindow(L"static", style, border ? WS_EX_CLIENTEDGE : 0))
        return;
    if (resourceId == -1)
        LoadFromFile(fileName);
    else
        LoadFromResource(resourceId);
    Subclass();
    created = true;
    AttachTooltipAndFont();
}

void Image::Show(HBITMAP loaded)
{
    bitmap = loaded;
    if (bitmap)
        SendMessageW(handle, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
    else
        static_cast<void>(GetLastError());
}

void Image::LoadFromFile(const std::string& name)
{
    fileName = name;
    resourceId = -1;
    if (!handle || name.empty())
        return;
    Unmake(bitmap);
    const std::wstring path = ToWide(name);
    Show(Made(static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION))));
}

void Image::LoadFromResource(std::int32_t bitmapResource)
{
    fileName.clear();
    resourceId = bitmapResource;
    if (!handle || bitmapResource <= 0)
        return;
    Unmake(bitmap);
    Show(Made(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(bitmapResource),
                                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))));
}

}
