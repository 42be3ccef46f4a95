#pragma once
// The raw bitmap record: the library's own byte-exact serialisation of a
// TQkBitmap (header, palette, rendering fields, rows as stored with their
// padding, alpha channel), with which the views keep layers and undo images.
// Integers are little-endian, doubles IEEE 754 little-endian.
//
// Records may come from another process (the clipboard carries them), so a
// load checks every size against the bytes that remain before it allocates:
// short data, impossible sizes or a failed allocation answer false and leave
// the bitmap empty. A wrong signature or a negative version answers false
// and leaves the bitmap as it was.

#include <cstdint>

class TQkBitmap;
class TStream;

// Bytes of the bitmap's record.
int64_t RawRecordSize(TQkBitmap& bitmap);
// Writes at the stream's position; stream errors propagate.
void SaveRawToStream(TQkBitmap& bitmap, TStream& stream);
// False (nothing written) when `length` cannot hold the whole record.
bool SaveRawToStream(TQkBitmap& bitmap, void* buffer, int64_t length);
bool LoadRawFromStream(TQkBitmap& bitmap, TStream& stream);
bool LoadRawFromStream(TQkBitmap& bitmap, const void* buffer, int64_t length);
