#pragma once
// The PCX file header and the run-length coding of its lines.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "imaging/core/QkPixels.h"

constexpr int64_t PcxHeaderSize = 128;
constexpr uint8_t PcxManufacturer = 10;
// The byte before the 256-colour palette at the end of 8-bit images.
constexpr uint8_t PcxPaletteMarker = 12;
constexpr int64_t PcxPaletteBytes = 768;

struct TPcxHeader {
    uint8_t Manufacturer = PcxManufacturer;
    uint8_t Version = 5;
    uint8_t Encoding = 1;
    uint8_t BitsPerPixel = 0;
    int32_t XMin = 0;
    int32_t YMin = 0;
    int32_t XMax = 0;
    int32_t YMax = 0;
    int32_t DpiX = 0;
    int32_t DpiY = 0;
    // In the bitmap's blue, green, red order; the file holds red first.
    std::array<TRGBPixel, 16> Palette{};
    uint8_t Planes = 0;
    int32_t BytesPerLine = 0;
    int32_t PaletteInfo = 1;

    int64_t Width() const { return int64_t(XMax) - XMin + 1; }
    int64_t Height() const { return int64_t(YMax) - YMin + 1; }
};

TPcxHeader ParsePcxHeader(std::span<const uint8_t, PcxHeaderSize> bytes);
std::array<uint8_t, PcxHeaderSize> PcxHeaderBytes(const TPcxHeader& header);

// File palettes hold red, green, blue triples.
TRGBPixel PaletteEntryFromFile(const uint8_t* triple);
void PaletteEntryToFile(const TRGBPixel& colour, uint8_t* triple);

// Decodes plane lines one after another. A run may carry on from one line
// into the next; past the end of the data the lines are 0.
class TPcxLineDecoder {
public:
    TPcxLineDecoder(std::span<const uint8_t> data, bool runLength) : data_(data), runLength_(runLength) {}
    void DecodeLine(std::span<uint8_t> line);

private:
    void DecodeRuns(std::span<uint8_t> line);
    void CopyRaw(std::span<uint8_t> line);

    std::span<const uint8_t> data_;
    bool runLength_;
    size_t position_ = 0;
    int32_t pendingCount_ = 0;
    uint8_t pendingByte_ = 0;
};

// Appends the run-length coding of `count` bytes taken `stride` bytes
// apart; an odd count gets a 0 byte after it, so that lines stay even.
void PcxEncodeLine(const uint8_t* bytes, int32_t count, int32_t stride, std::vector<uint8_t>& out);
