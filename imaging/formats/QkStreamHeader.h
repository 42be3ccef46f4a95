#pragma once
// The 12-byte header that the component's TIFF, PCX and JPEG stream saves
// may put before the image: a signature ("TIFF", "PCX2", "JFIF") padded with
// zeros to 8 bytes, then the image's length, little-endian.

#include <cstdint>
#include <string>

class TStream;

constexpr int64_t StreamHeaderSize = 12;

struct TQkStreamHeader {
    // All 12 bytes were there.
    bool Complete = false;
    // The first bytes up to a zero within the first five.
    std::string Text;
    uint32_t Length = 0;

    bool Is(const char* signature) const { return Complete && Text == signature; }
    bool StartsWith(const char* prefix) const { return Complete && Text.rfind(prefix, 0) == 0; }
};

// Reads 12 bytes from the position (fewer at the end: not Complete).
TQkStreamHeader ReadStreamHeader(TStream& stream);
void WriteStreamHeader(TStream& stream, const char* signature, uint32_t length);
// Whether the data at the position starts with the header of the format;
// the position is restored.
bool StartsWithStreamHeader(TStream& stream, int32_t fileType);
