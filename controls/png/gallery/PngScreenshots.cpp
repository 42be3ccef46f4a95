// The gallery writes its screenshots as PNG files through the control
// library's PNG pictures.

#include "controls/png/pngimage.h"

#include "platform/backend/Gallery.h"

namespace {

const bool pngScreenshots = SetGalleryImageWriter("png", [](TBitmap& shot, const std::string& file) {
    TPNGObject png;
    png.AssignBitmap(shot, false, clNone);
    png.SaveToFile(file);
});

} // namespace
