#pragma once
// Anti-aliased drawing through Cairo: a 32-bit scratch copy of part of a
// bitmap that Cairo draws on, copied back into the bitmap's rows on Commit.

#include "platform/gfx/Bitmap.h"

#include <cairo.h>

enum TScratchAlpha {
    saOpaque, // the bitmap's pixels count as opaque; only colour returns
    saPremultiplied // a 32-bit bitmap's alpha is premultiplied and returns too
};

class TCairoScratch {
public:
    // The area is clipped to the bitmap; an empty area gives a 1 x 1
    // surface that Commit leaves alone.
    TCairoScratch(TBitmap& target, const TRect& area, TScratchAlpha alpha = saOpaque);
    ~TCairoScratch();
    TCairoScratch(const TCairoScratch&) = delete;
    TCairoScratch& operator=(const TCairoScratch&) = delete;

    // Device space: (0, 0) is the area's top-left pixel corner.
    cairo_t* Context() const { return FContext; }
    // Writes the drawn pixels back (converted to the bitmap's format).
    void Commit();

private:
    TBitmap& FTarget;
    TRect FArea;
    TScratchAlpha FAlpha;
    cairo_surface_t* FSurface = nullptr;
    cairo_t* FContext = nullptr;
};
