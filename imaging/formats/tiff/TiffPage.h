#pragma once
// The tags of one TIFF page that decoding needs, read once from its
// directory with their defaults.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/core/QkPixels.h"

class TTiffDirectory;

enum TTiffCompression : uint32_t {
    tcNone = 1,
    tcModifiedHuffman = 2,
    tcFaxT4 = 3,
    tcFaxT6 = 4,
    tcLzw = 5,
    tcOldJpeg = 6,
    tcJpeg = 7,
    tcAdobeDeflate = 8,
    tcPackBits = 32773,
    tcDeflate = 32946,
};

enum TTiffPhotometric : uint32_t {
    tpWhiteIsZero = 0,
    tpBlackIsZero = 1,
    tpRgb = 2,
    tpPalette = 3,
    tpSeparated = 5,
    tpYCbCr = 6,
    tpCieLab = 8,
};

struct TTiffPage {
    int64_t Width = 0;
    int64_t Length = 0;
    int32_t Samples = 1;
    int32_t Bits = 1;
    int64_t RowsPerStrip = 0;
    int64_t TileWidth = -1;
    int64_t TileLength = -1;
    uint32_t Photometric = tpRgb;
    uint32_t Planar = 1;
    int32_t Orientation = 1;
    uint32_t Compression = tcNone;
    std::vector<uint32_t> StripOffsets;
    std::vector<uint32_t> StripByteCounts;
    std::vector<uint32_t> TileOffsets;
    std::vector<uint32_t> TileByteCounts;
    // Entries beyond the tag's values are black.
    std::vector<TRGBPixel> ColorMap;
    int32_t ResolutionUnit = 2;
    double XResolution = 0;
    double YResolution = 0;
    int32_t Predictor = 1;
    std::vector<uint8_t> JpegTables;
    uint32_t T4Options = 0;
    int32_t FillOrder = 1;
    double XPosition = 0;
    double YPosition = 0;
    std::string Software;
    int32_t SubsamplingX = 2;
    int32_t SubsamplingY = 2;
    uint32_t JpegProc = 0;
    uint32_t JpegInterchangeFormat = 0;
    uint32_t JpegInterchangeFormatLength = 0;
    std::vector<uint32_t> ExtraSamples;
    bool Intel = true;
    // All samples of BitsPerSample were equal.
    bool UniformBits = true;

    bool Tiled() const { return TileWidth > 0 || TileLength > 0; }
    bool Fax() const { return Compression >= tcModifiedHuffman && Compression <= tcFaxT6; }
};

// Reads the page's tags; `tileIndex` other than -1 makes the page one tile.
TTiffPage ReadTiffPage(const TTiffDirectory& directory, int32_t tileIndex);
