#pragma once
// Drawing over everything the process shows, across control and window
// borders: a picture is combined by exclusive or into the backing store of
// every shown top-level window it covers, so drawing the same picture at
// the same place again takes it away. Pixels of the picture that are black
// leave the screen as it is. Areas no window of the process covers are not
// drawn.

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Geometry.h"

void XorOntoScreen(const TBitmap& picture, TPoint screenPos);

// An outline `width` pixels wide in the given colour, drawn the same way.
void XorFrameOntoScreen(const TRect& screenRect, int32_t width, TColor color);
