#pragma once
// Offsets and sizes of the TGA header, extension area and footer, which
// the reader and the writer share. Numbers are little-endian.

#include <array>
#include <cstdint>
#include <string_view>

namespace TgaLayout {

constexpr int32_t HeaderSize = 18;
constexpr int32_t FooterSize = 26;
constexpr int32_t ExtensionSize = 495;
// The 18 bytes that end a TGA 2.0 file, the zero included.
constexpr std::string_view Signature{"TRUEVISION-XFILE.\0", 18};

namespace Header {
constexpr int32_t IdLength = 0;
constexpr int32_t ColorMapType = 1;
constexpr int32_t ImageType = 2;
constexpr int32_t FirstEntry = 3;
constexpr int32_t MapLength = 5;
constexpr int32_t EntrySize = 7;
constexpr int32_t XOrigin = 8;
constexpr int32_t YOrigin = 10;
constexpr int32_t Width = 12;
constexpr int32_t Height = 14;
constexpr int32_t Depth = 16;
constexpr int32_t Descriptor = 17;
} // namespace Header

namespace Extension {
constexpr int32_t Author = 2;
constexpr int32_t AuthorLength = 41;
constexpr int32_t Date = 367; // month, day, year, hour, minute, second
constexpr int32_t JobName = 379;
constexpr int32_t JobNameLength = 41;
constexpr int32_t KeyColor = 470; // alpha, red, green, blue
constexpr int32_t PixelAspect = 474;
constexpr int32_t Gamma = 478;
} // namespace Extension

constexpr uint8_t RightToLeft = 0x10;
constexpr uint8_t TopToBottom = 0x20;

inline uint16_t Word(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }

inline void PutWord(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline bool IsKnownType(int32_t type) { return (type >= 1 && type <= 3) || (type >= 9 && type <= 11); }

inline bool IsKnownDepth(int32_t depth)
{
    return depth == 1 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

} // namespace TgaLayout
