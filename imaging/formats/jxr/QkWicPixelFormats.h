#pragma once
// The pixel formats WIC names (jxrlib uses the same GUIDs) beside the
// bitmap's: which come through as they are, and how wide their rows are.

#include "imaging/formats/jxr/QkJxrLib.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "imaging/core/QkBaseBitmap.h"

inline bool SameGuid(const PKPixelFormatGUID& a, const PKPixelFormatGUID& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The bitmap format a decoded pixel format is kept in with the native
// choice; nullopt for those that go through 24-bit BGR.
std::optional<TQkPixelFormat> NativeBitmapFormat(const PKPixelFormatGUID& format);
// A bitmap format that holds every sample of the pixel format (BGRA's alpha
// as qk32RGB's fourth byte); nullopt when there is none.
std::optional<TQkPixelFormat> WholeBitmapFormat(const PKPixelFormatGUID& format);
// The WIC format a bitmap is encoded from; nullopt for the ones the writer
// converts first.
std::optional<PKPixelFormatGUID> WicFormatOf(TQkPixelFormat format);
// Bits a pixel; nullopt for a format jxrlib does not know.
std::optional<uint32_t> WicBitsPerPixel(const PKPixelFormatGUID& format);
// Bytes of `width` pixels, rounded up to whole bytes.
uint32_t WicRowBytes(const PKPixelFormatGUID& format, int32_t width);

// The library's CMYK holds 255 minus each ink; jxrlib's holds the inks.
void ComplementBytes(uint8_t* bytes, size_t count);

// jxrlib lays its 32-bit BGR and BGRA out as red, green, blue, fourth byte.
void SwapRedAndBlue(uint8_t* row, int32_t pixels);
