#pragma once
// Recognising the metadata blocks that travel inside other files: the EXIF
// block of a JPEG APP1 segment, a TIFF file embedded in a camera file, and
// the XMP packet of an APP1 segment.

#include <cstdint>

class TStream;

// The identifier that starts an XMP APP1 segment, with its NUL: 29 bytes.
constexpr char qkXmpNamespace[] = "http://ns.adobe.com/xap/1.0/";
constexpr int32_t qkXmpNamespaceSize = sizeof qkXmpNamespace;

// True when the block starts with "Exif" and a NUL.
bool IsExifBlock(const uint8_t* data, int64_t length);

// Looks through the next 128 KB of the stream for a TIFF header ("II" or
// "MM", 42 or the camera variants 0x4F52 and 0x5352, a first directory
// inside the stream). Returns its offset from the current position, -1 when
// none; the position is kept.
int64_t FindTiffHeader(TStream& stream);

// The XMP packet behind the namespace identifier of an APP1 payload; nil
// when the payload holds none.
const uint8_t* FindXMPPacket(const uint8_t* data, int64_t length);
