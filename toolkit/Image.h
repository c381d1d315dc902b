#pragma once

#include "GUIElement.h"

#include <cstdint>
#include <string>

namespace TorUtility {

// A static control showing a bitmap from the program's resources or from a file. The bitmap
// belongs to the image.
class Image : public Child {
public:
    Image(GUIElement* host, std::int32_t bitmapResource);
    ~Image() override;

    void Create() override;
    void LoadFromFile(const std::string& name);
    void LoadFromResource(std::int32_t bitmapResource);

    HBITMAP bitmap = nullptr;
    std::string fileName;
    std::int32_t resourceId;
    bool border = false;

private:
    void Show(HBITMAP loaded);
};

}
