#pragma once
// The smallest rectangle (inclusive) holding every pixel whose alpha is not
// 0; the whole image without an alpha channel. An alpha channel of zeros
// gives Left = width, Right = -1, Top = height, Bottom = -1.

#include "imaging/core/QkBitmap.h"

TRect GetOpaqueBounds(TQkBitmap& bitmap);
