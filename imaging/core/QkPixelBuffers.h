#pragma once
// Pixel-buffer routines shared by the image readers and writers: inversion
// and the red/blue exchange of packed rows and palettes.

#include "imaging/core/QkBitmap.h"

#include <cstdint>

void InvertBuffer(uint8_t* buffer, int64_t length);
// Complements every byte of every row; swaps the two colours of a qk1g image.
void InvertBitmapBits(TQkBitmap& bitmap);
// 3-byte pixels: the first and third byte exchanged.
void CopySwapRedBlue(uint8_t* destination, const uint8_t* source, int64_t count);
void SwapRedBlue(uint8_t* buffer, int64_t count);
// 6-byte pixels: the first and third 16-bit word exchanged.
void SwapRedBlue48(uint8_t* buffer, int64_t count);
void SwapPaletteRedBlue(TRGBPixel* palette, int32_t count);
