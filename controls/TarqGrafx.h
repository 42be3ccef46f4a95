#pragma once
// Bitmap and gradient drawing of the control library: transparent bitmaps,
// vertical flips, the banded gradient engine and the parent's image behind a
// control.

#include <cstdint>

#include "controls/TarqTypes.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Controls.h"

// Transparent bitmaps: pixels of `transparent` colour leave the canvas as it
// was.
void CopyTransparentRect(TCanvas& canvas, TBitmap& bitmap, const TRect& dest, TColor transparent, const TRect& source);
void StretchTransparentBitmap(TCanvas& canvas, TBitmap& bitmap, const TRect& dest, TColor transparent,
                              const TRect& source);
void DrawTransparentBitmapInRect(TCanvas& canvas, TBitmap& bitmap, const TRect& rect, TColor transparent);
// Tiles the bitmap over `rect` from its top-left corner, cutting the last
// row and column.
void TileTransparentBitmap(TCanvas& canvas, TBitmap& bitmap, const TRect& rect, TColor transparent);

void FlipBitmapVertically(TBitmap& bitmap);

// Fills `rect` with a gradient from `start` to `stop`, in bands of equal
// colour, built in a work bitmap and copied in one step. `step` widens the
// bands (1 gives one band per colour); a zero-size rectangle draws nothing.
void DrawGradientFill(TCanvas& canvas, const TRect& rect, TGradientDirection direction, TColor start, TColor stop,
                      int32_t step);

// The parent's erase and paint drawn into `canvas` behind the control (whose
// top-left corner is the canvas origin). With `invalidateParent`, a parent
// that paints through no canvas of its own is invalidated too.
void PaintParentBackground(TControl& control, TCanvas& canvas, bool invalidateParent);
void PaintParentBackgroundDC(TControl& control, HDC dc, bool invalidateParent);

// Invalidates every child whose published "Transparent" property is true.
void InvalidateTransparentChildren(TWinControl& container);
// Invalidates the window's frame over `rect` (window coordinates).
void RedrawNonClientFrame(TWinControl& window, const TRect& rect);
