#include "imaging/formats/psd/QkPsdLayout.h"

#include <cstring>

#include "imaging/formats/psd/QkPsd.h"
#include "platform/core/Streams.h"

TPsdHeader TPsdHeader::Parse(std::span<const uint8_t, PsdHeaderSize> bytes)
{
    TPsdHeader header;
    if (std::memcmp(bytes.data(), "8BPS", 4) != 0)
        return header;
    header.Version = GetU16BE(&bytes[4]);
    header.Channels = GetU16BE(&bytes[12]);
    header.Height = GetU32BE(&bytes[14]);
    header.Width = GetU32BE(&bytes[18]);
    header.Depth = GetU16BE(&bytes[22]);
    header.Mode = GetU16BE(&bytes[24]);
    return header;
}

bool TPsdHeader::Plausible() const
{
    return Version == 1 && Channels >= 1 && Channels <= 24 && Depth >= 1 && Depth <= 16 && Mode < 10;
}

bool IsPsdStream(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t bytes[PsdHeaderSize];
    const bool complete = stream.Read(bytes, PsdHeaderSize) == PsdHeaderSize;
    stream.SetPosition(start);
    return complete && TPsdHeader::Parse(std::span<const uint8_t, PsdHeaderSize>(bytes)).Plausible();
}

TQkPixelFormat PsdPixelFormat(uint16_t mode, uint16_t depth)
{
    if (depth == 1)
        return mode == pmBitmap ? qk1g : qkNone;
    if (depth != 8 && depth != 16)
        return qkNone;
    switch (mode) {
    case pmGray:
    case pmMultichannel:
    case pmDuotone: return depth == 8 ? qk8g : qk16g;
    case pmIndexed: return depth == 8 ? qk8p : qkNone;
    case pmRGB: return depth == 8 ? qk24RGB : qkRGB48;
    case pmCMYK: return qkCMYK;
    case pmLab: return qkCIELab;
    default: return qkNone;
    }
}

int32_t PsdColourChannels(uint16_t mode)
{
    switch (mode) {
    case pmRGB:
    case pmLab: return 3;
    case pmCMYK: return 4;
    default: return 1;
    }
}

int64_t PsdRowBytes(int64_t width, int32_t depth) { return depth == 1 ? (width + 7) / 8 : width * (depth / 8); }
