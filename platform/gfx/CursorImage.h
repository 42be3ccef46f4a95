#pragma once
// Custom cursor pictures: a 32-bit premultiplied image and its hot spot.
// The ids of the standard shapes belong to the window layer.

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"

#include <memory>

struct TCursorImage {
    std::shared_ptr<TBitmap> Image; // pf32bit, premultiplied alpha
    TPoint HotSpot;
};

// A classic two-mask cursor: where the AND mask is 1 the screen shows
// through (a white colour pixel there would invert it and is drawn black);
// elsewhere the colour image's pixel is opaque. Both bitmaps share one size.
TCursorImage CursorFromMasks(const TBitmap& andMask, const TBitmap& colour, TPoint hotSpot);
// A cursor from a picture whose `transparent` colour is left out.
TCursorImage CursorFromBitmap(const TBitmap& picture, TColor transparent, TPoint hotSpot);
