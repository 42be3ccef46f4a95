#pragma once
// Pixel-buffer routines shared by the image readers and writers: inversion
// and the red/blue exchange of packed rows and palettes, and the change of
// a row's bits per pixel.

#include "imaging/core/QkBitmap.h"

#include <cstdint>
#include <span>

class TQkQuantizer;

void InvertBuffer(uint8_t* buffer, int64_t length);
// Complements every byte of every row; swaps the two colours of a qk1g image.
void InvertBitmapBits(TQkBitmap& bitmap);
// 3-byte pixels: the first and third byte exchanged.
void CopySwapRedBlue(uint8_t* destination, const uint8_t* source, int64_t count);
void SwapRedBlue(uint8_t* buffer, int64_t count);
// 6-byte pixels: the first and third 16-bit word exchanged.
void SwapRedBlue48(uint8_t* buffer, int64_t count);
void SwapPaletteRedBlue(TRGBPixel* palette, int32_t count);

// Converts `count` pixels of a packed row between 1, 4, 8, 24 (blue, green,
// red) and 32 bits per pixel: 24 to 4 or 8 through the quantizer's indices
// (ORed into a zeroed destination for 4), indices to 24 through `palette`
// (an index beyond it gives black), 8 to 1 and 1 to 4 ORed the same way,
// and copies of equal depths. Other pairs, and 24 to 4 or 8 without a
// quantizer, write nothing. Returns the destination's byte count, which
// depends only on its depth (0 for depths other than 1, 4, 8 and 24).
int64_t ConvertRowBitDepth(const uint8_t* source, uint8_t* destination, int32_t sourceBits,
                           const TQkQuantizer* quantizer, std::span<const TRGBPixel> palette, int32_t count,
                           int32_t destinationBits);
