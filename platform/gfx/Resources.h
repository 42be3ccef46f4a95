#pragma once
// Named bitmaps and cursors: folders register how to make each one (drawn
// in code or decoded from their own embedded PNG files) at start-up, and
// controls load them by name like program resources.

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/CursorImage.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class EResNotFound : public Exception {
public:
    using Exception::Exception;
};

using TBitmapResourceFactory = std::function<std::unique_ptr<TBitmap>()>;
using TCursorResourceFactory = std::function<TCursorImage()>;

// Names compare without regard to case; registering a name again replaces it.
void RegisterBitmapResource(const std::string& name, TBitmapResourceFactory factory);
void RegisterCursorResource(const std::string& name, TCursorResourceFactory factory);
bool BitmapResourceExists(const std::string& name);

// A new bitmap made by the registered factory; a missing name raises
// EResNotFound "Resource %s not found".
std::unique_ptr<TBitmap> LoadBitmapResource(const std::string& name);
TCursorImage LoadCursorResource(const std::string& name);

// The bitmap with every pixel of an old colour replaced by its new colour
// (pairs of old, new; system colours resolved), as for colour-mapped
// control bitmaps.
std::unique_ptr<TBitmap> CreateMappedBitmapResource(const std::string& name,
                                                    const std::vector<std::pair<TColor, TColor>>& colorMap);
