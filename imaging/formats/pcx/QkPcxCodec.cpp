#include "imaging/formats/pcx/QkPcxCodec.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint8_t RunFlags = 0xC0;
constexpr int32_t LongestRun = 63;

int32_t Word(std::span<const uint8_t, PcxHeaderSize> bytes, size_t offset)
{
    return bytes[offset] | bytes[offset + 1] << 8;
}

void PutWord(std::array<uint8_t, PcxHeaderSize>& bytes, size_t offset, int32_t value)
{
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

} // namespace

TRGBPixel PaletteEntryFromFile(const uint8_t* triple) { return TRGBPixel{triple[2], triple[1], triple[0]}; }

void PaletteEntryToFile(const TRGBPixel& colour, uint8_t* triple)
{
    triple[0] = colour.r;
    triple[1] = colour.g;
    triple[2] = colour.b;
}

TPcxHeader ParsePcxHeader(std::span<const uint8_t, PcxHeaderSize> bytes)
{
    TPcxHeader header;
    header.Manufacturer = bytes[0];
    header.Version = bytes[1];
    header.Encoding = bytes[2];
    header.BitsPerPixel = bytes[3];
    header.XMin = Word(bytes, 4);
    header.YMin = Word(bytes, 6);
    header.XMax = Word(bytes, 8);
    header.YMax = Word(bytes, 10);
    header.DpiX = Word(bytes, 12);
    header.DpiY = Word(bytes, 14);
    for (size_t i = 0; i < header.Palette.size(); ++i)
        header.Palette[i] = PaletteEntryFromFile(&bytes[16 + i * 3]);
    header.Planes = bytes[65];
    header.BytesPerLine = Word(bytes, 66);
    header.PaletteInfo = Word(bytes, 68);
    return header;
}

std::array<uint8_t, PcxHeaderSize> PcxHeaderBytes(const TPcxHeader& header)
{
    std::array<uint8_t, PcxHeaderSize> bytes{};
    bytes[0] = header.Manufacturer;
    bytes[1] = header.Version;
    bytes[2] = header.Encoding;
    bytes[3] = header.BitsPerPixel;
    PutWord(bytes, 4, header.XMin);
    PutWord(bytes, 6, header.YMin);
    PutWord(bytes, 8, header.XMax);
    PutWord(bytes, 10, header.YMax);
    PutWord(bytes, 12, header.DpiX);
    PutWord(bytes, 14, header.DpiY);
    for (size_t i = 0; i < header.Palette.size(); ++i)
        PaletteEntryToFile(header.Palette[i], &bytes[16 + i * 3]);
    bytes[65] = header.Planes;
    PutWord(bytes, 66, header.BytesPerLine);
    PutWord(bytes, 68, header.PaletteInfo);
    return bytes;
}

void TPcxLineDecoder::DecodeLine(std::span<uint8_t> line)
{
    if (runLength_)
        DecodeRuns(line);
    else
        CopyRaw(line);
}

void TPcxLineDecoder::CopyRaw(std::span<uint8_t> line)
{
    const size_t count = std::min(line.size(), data_.size() - position_);
    const auto rest = std::copy_n(data_.begin() + position_, count, line.begin());
    std::fill(rest, line.end(), uint8_t(0));
    position_ += count;
}

void TPcxLineDecoder::DecodeRuns(std::span<uint8_t> line)
{
    size_t x = 0;
    while (x < line.size()) {
        if (pendingCount_ > 0) {
            const size_t count = std::min(size_t(pendingCount_), line.size() - x);
            std::memset(line.data() + x, pendingByte_, count);
            x += count;
            pendingCount_ -= static_cast<int32_t>(count);
            continue;
        }
        if (position_ >= data_.size())
            break;
        const uint8_t byte = data_[position_++];
        if ((byte & RunFlags) != RunFlags) {
            line[x++] = byte;
            continue;
        }
        if (position_ >= data_.size())
            break;
        pendingCount_ = byte & LongestRun;
        pendingByte_ = data_[position_++];
    }
    std::fill(line.begin() + x, line.end(), uint8_t(0));
}

void PcxEncodeLine(const uint8_t* bytes, int32_t count, int32_t stride, std::vector<uint8_t>& out)
{
    int32_t i = 0;
    while (i < count) {
        const uint8_t value = bytes[size_t(i) * stride];
        int32_t run = 1;
        while (i + run < count && run < LongestRun && bytes[size_t(i + run) * stride] == value)
            ++run;
        if (run > 1 || (value & RunFlags) == RunFlags)
            out.push_back(static_cast<uint8_t>(RunFlags | run));
        out.push_back(value);
        i += run;
    }
    if (count % 2 != 0)
        out.push_back(0);
}
