#pragma once
// What the Photoshop reader and writer share: the header, the colour modes
// and how samples map to the library's pixel formats.

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/core/QkBaseBitmap.h"

class TStream;

constexpr int32_t PsdHeaderSize = 26;
constexpr int32_t PsdPaletteSize = 768;
constexpr int32_t PsdDefaultDpi = 96;

enum TPsdMode : uint16_t {
    pmBitmap = 0,
    pmGray = 1,
    pmIndexed = 2,
    pmRGB = 3,
    pmCMYK = 4,
    pmMultichannel = 7,
    pmDuotone = 8,
    pmLab = 9,
};

enum TPsdCompression : uint16_t { pcRaw = 0, pcPackBits = 1, pcZip = 2, pcZipPredicted = 3 };

// Channel ids of a layer record beside the colour channels 0, 1, ...
constexpr int16_t PsdAlphaId = -1;
constexpr int16_t PsdMaskId = -2;

struct TPsdHeader {
    uint16_t Version = 0;
    uint16_t Channels = 0;
    uint32_t Height = 0;
    uint32_t Width = 0;
    uint16_t Depth = 0;
    uint16_t Mode = 0;

    static TPsdHeader Parse(std::span<const uint8_t, PsdHeaderSize> bytes);
    // What the probe accepts.
    bool Plausible() const;
};

// The pixel format of a mode at a depth the reader decodes; qkNone for the
// others.
TQkPixelFormat PsdPixelFormat(uint16_t mode, uint16_t depth);
// The colour channels of a mode (the channel after them is alpha).
int32_t PsdColourChannels(uint16_t mode);
// Bytes of one channel row.
int64_t PsdRowBytes(int64_t width, int32_t depth);

inline uint16_t GetU16BE(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t GetU32BE(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
inline void PutU16BE(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
inline void PutU32BE(std::vector<uint8_t>& out, uint32_t v)
{
    PutU16BE(out, v >> 16);
    PutU16BE(out, v);
}
inline void SetU32BE(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int32_t i = 0; i < 4; ++i)
        out[at + size_t(i)] = uint8_t(v >> (24 - 8 * i));
}
inline void SetU16BE(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    out[at] = uint8_t(v >> 8);
    out[at + 1] = uint8_t(v);
}
