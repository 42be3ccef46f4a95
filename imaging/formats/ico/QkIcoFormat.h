#pragma once
// The layout shared by the icon and cursor readers and the icon writer.

#include <cstdint>
#include <vector>

class TStream;

constexpr int64_t IcoHeaderSize = 6;
constexpr int64_t IcoEntrySize = 16;
constexpr int64_t IcoInfoHeaderSize = 40;
constexpr uint16_t IcoTypeIcon = 1;
constexpr uint16_t IcoTypeCursor = 2;

struct TQkIcoEntry {
    // A 0 byte in the directory means 256.
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t ColourCount = 0;
    uint8_t Reserved = 0;
    // Planes and bit count of an icon, the hot spot of a cursor.
    uint16_t Field1 = 0;
    uint16_t Field2 = 0;
    uint32_t ByteCount = 0;
    uint32_t Offset = 0;
};

// The header's image count, or -1 when the stream does not start with an
// icon (or cursor) header of the type.
int32_t ReadIcoHeader(TStream& stream, uint16_t type);
TQkIcoEntry ReadIcoEntry(TStream& stream);
void PutIcoEntry(std::vector<uint8_t>& out, const TQkIcoEntry& entry);

// Bytes of one row of colour data, and of one AND row.
inline int64_t IcoXorRowLength(int64_t width, int32_t bits) { return (width * bits + 31) / 32 * 4; }
inline int64_t IcoAndRowLength(int64_t width) { return (width + 31) / 32 * 4; }
