#pragma once
// Windows bitmap files: reading 1, 4, 8 (also run-length encoded), 16, 24
// and 32 bits per pixel, bottom-up or top-down; writing every format of
// TBitmap (15 bits as plain 16-bit RGB, 16 bits with 5-6-5 bit fields).

#include <cstddef>
#include <cstdint>

class TBitmap;
class TStream;

// Reads a bitmap file from the stream's position; a malformed or truncated
// file raises EInvalidGraphic "Bitmap image is not valid".
void ReadBmp(TStream& stream, TBitmap& bitmap);
// Reads a packed bitmap: info header, colour table and pixels with no file
// header, as metafile records carry them. Every part must lie within the
// `size` bytes; otherwise it raises as ReadBmp does.
void ReadPackedDib(const uint8_t* data, size_t size, TBitmap& bitmap);
void WriteBmp(TStream& stream, const TBitmap& bitmap);
