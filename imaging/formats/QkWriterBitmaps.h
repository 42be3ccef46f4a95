#pragma once
// The bitmap a writer stores, in the pixel format its file needs.

#include <memory>

#include "imaging/core/QkBitmap.h"

// The bitmap itself when it is in `format`, else a converted copy held by
// `copy`. For qk1g an image of exactly two colours keeps them apart (the
// darker becomes 0) rather than being thresholded.
TQkBitmap& BitmapInFormat(TQkBitmap& bitmap, TQkPixelFormat format, std::unique_ptr<TQkBitmap>& copy);
