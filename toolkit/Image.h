#pragma once

#include "GUIElement.h"

#include <cstdint>
#include <string>

namespace TorUtility {

// A bitmap resource of a module as a DIB section the caller owns (through the GDI ledger), or none.
HBITMAP LoadPicture(HINSTANCE module, std::int32_t resource);

// A static control showing a bitmap from the program's resources or from a file. The bitmap
// belongs to the image.
class Image : public Child {
public:
    Image(GUIElement* host, std::int32_t bitmapResource);
    ~Image() override;

    void Create() override;
    void LoadFromFile(const std::string& name);
    void LoadFromResource(std::int32_t bitmapResource);
    // Loads the picture again, for the scale the element is now at.
    void Reload();

    HBITMAP bitmap = nullptr;
    std::string fileName;
    std::int32_t resourceId;
    // The same picture drawn at twice its size (0: none); above 100 % it is the one shown, made
    // smaller to the scale.
    std::int32_t largeResourceId = 0;
    bool border = false;

private:
    // Shows the picture at the element's scale: as it is where its size is already right, else
    // stretched smoothly to its logical size (half a large picture's) scaled by its edges.
    void Show(HBITMAP loaded, bool large);
};

}
