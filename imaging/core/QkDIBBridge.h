#pragma once
// Packed device-independent bitmaps (a BITMAPINFOHEADER, a colour table or
// bit-field masks, then the pixel rows) as the clipboard, TIFF image
// annotations and video capture frames carry them, to and from TQkBitmap.
// Every multi-byte field is little-endian.

#include <cstdint>
#include <memory>
#include <vector>

class TQkBitmap;

// An owned, movable block of bytes: the clipboard's global memory handle.
struct TQkGlobalMemory {
    std::vector<uint8_t> Bytes;
};

// The DIB of the rectangle x1 <= x < x2, y1 <= y < y2 (x2 = 0 means the
// width, y2 = 0 the height), rows bottom-up and padded with zeros. Formats
// other than qk1g, qk8p, qk8g and qk24RGB go through a qk24RGB copy.
// nullptr when the rectangle is empty or leaves the image, or the block
// cannot be allocated.
std::unique_ptr<TQkGlobalMemory> _CopyBitmaptoDIBEx(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                                    int32_t dpiX, int32_t dpiY);

// Decodes `length` bytes of packed DIB into the bitmap (qk1g for 1 bit per
// pixel, qk24RGB otherwise) and returns biBitCount, 0 when the header
// itself is cut short. `bits`, when given, holds the pixel data of 16-,
// 24- and 32-bit DIBs and of the FOURCC frame layouts; without it they
// follow the header. Sizes and positions are checked against the lengths
// first: a DIB that does not fit, or one whose compression is not decoded
// (run-length, unknown codes), leaves the bitmap untouched.
int32_t CopyDIBToBitmap(const void* dib, int64_t length, TQkBitmap& bitmap, const void* bits = nullptr,
                        int64_t bitsLength = 0);
int32_t CopyDIBToBitmap(const TQkGlobalMemory& dib, TQkBitmap& bitmap);
