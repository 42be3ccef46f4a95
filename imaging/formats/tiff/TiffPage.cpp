#include "imaging/formats/tiff/TiffPage.h"

#include <algorithm>

#include "imaging/formats/tiff/TiffDirectory.h"

namespace {

enum TTiffTag : uint16_t {
    ttImageWidth = 256,
    ttImageLength = 257,
    ttBitsPerSample = 258,
    ttCompression = 259,
    ttPhotometric = 262,
    ttFillOrder = 266,
    ttStripOffsets = 273,
    ttOrientation = 274,
    ttSamplesPerPixel = 277,
    ttRowsPerStrip = 278,
    ttStripByteCounts = 279,
    ttXResolution = 282,
    ttYResolution = 283,
    ttPlanarConfiguration = 284,
    ttXPosition = 286,
    ttYPosition = 287,
    ttT4Options = 292,
    ttResolutionUnit = 296,
    ttSoftware = 305,
    ttPredictor = 317,
    ttColorMap = 320,
    ttTileWidth = 322,
    ttTileLength = 323,
    ttTileOffsets = 324,
    ttTileByteCounts = 325,
    ttExtraSamples = 338,
    ttJpegTables = 347,
    ttJpegProc = 512,
    ttJpegInterchangeFormat = 513,
    ttJpegInterchangeFormatLength = 514,
    ttYCbCrSubSampling = 530,
};

constexpr int32_t LargestPaletteBits = 16;

// Reds, then greens, then blues; 8-bit values stay as they are when no
// value needs more, otherwise their high byte is taken.
std::vector<TRGBPixel> ReadColorMap(const TTiffDirectory& directory, int32_t bits)
{
    std::vector<TRGBPixel> map;
    if (!directory.Has(ttColorMap) || bits < 1 || bits > LargestPaletteBits)
        return map;
    const std::vector<uint32_t> values = directory.Integers(ttColorMap);
    const size_t entries = size_t(1) << bits;
    map.resize(entries);
    const size_t known = std::min(entries, values.size() / 3);
    const uint32_t largest = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    const int32_t shift = largest < 256 ? 0 : 8;
    for (size_t i = 0; i < known; ++i) {
        map[i].r = uint8_t(values[i] >> shift);
        map[i].g = uint8_t(values[i + values.size() / 3] >> shift);
        map[i].b = uint8_t(values[i + 2 * (values.size() / 3)] >> shift);
    }
    return map;
}

int32_t ReadBits(const TTiffDirectory& directory, bool& uniform)
{
    const std::vector<uint32_t> bits = directory.Integers(ttBitsPerSample);
    if (bits.empty())
        return 1;
    uniform = std::all_of(bits.begin(), bits.end(), [&](uint32_t b) { return b == bits[0]; });
    return int32_t(std::min<uint32_t>(bits[0], 64));
}

void ReadLayout(const TTiffDirectory& directory, TTiffPage& page, int32_t tileIndex)
{
    page.Width = directory.Integer(ttImageWidth, 0);
    page.Length = directory.Integer(ttImageLength, 0);
    page.TileWidth = directory.Integer(ttTileWidth, -1);
    page.TileLength = directory.Integer(ttTileLength, -1);
    if (tileIndex != -1) {
        page.Width = page.TileWidth;
        page.Length = page.TileLength;
    }
    page.Samples = int32_t(std::clamp<int64_t>(directory.Integer(ttSamplesPerPixel, 1), 0, 0xFFFF));
    page.Bits = ReadBits(directory, page.UniformBits);
    const int64_t rows = directory.Integer(ttRowsPerStrip, page.Length);
    page.RowsPerStrip = rows <= 0 || rows == 0xFFFFFFFF ? page.Length : std::min(rows, page.Length);
    page.Planar = uint32_t(directory.Integer(ttPlanarConfiguration, 1));
    page.StripOffsets = directory.Integers(ttStripOffsets);
    page.StripByteCounts = directory.Integers(ttStripByteCounts);
    page.TileOffsets = directory.Integers(ttTileOffsets);
    page.TileByteCounts = directory.Integers(ttTileByteCounts);
    page.ExtraSamples = directory.Integers(ttExtraSamples);
    if (page.ExtraSamples.size() > 10)
        page.ExtraSamples.resize(10);
}

void ReadCoding(const TTiffDirectory& directory, TTiffPage& page)
{
    page.Compression = uint32_t(directory.Integer(ttCompression, tcNone));
    page.Photometric = uint32_t(directory.Integer(ttPhotometric, tpRgb));
    const int64_t fillOrder = directory.Integer(ttFillOrder, 1);
    page.FillOrder = fillOrder == 2 ? 2 : 1;
    page.Predictor = int32_t(directory.Integer(ttPredictor, 1));
    page.T4Options = uint32_t(directory.Integer(ttT4Options, 0));
    page.JpegTables = directory.Bytes(ttJpegTables);
    page.JpegProc = uint32_t(directory.Integer(ttJpegProc, 0));
    page.JpegInterchangeFormat = uint32_t(directory.Integer(ttJpegInterchangeFormat, 0));
    page.JpegInterchangeFormatLength = uint32_t(directory.Integer(ttJpegInterchangeFormatLength, 0));
    const int64_t subX = directory.Integer(ttYCbCrSubSampling, 2, 0);
    const int64_t subY = directory.Integer(ttYCbCrSubSampling, 2, 1);
    page.SubsamplingX = subX == 0 ? 2 : int32_t(std::clamp<int64_t>(subX, 1, 4));
    page.SubsamplingY = subY == 0 ? 2 : int32_t(std::clamp<int64_t>(subY, 1, 4));
    // A one-bit page tagged RGB is a bilevel page.
    if (page.Samples == 1 && page.Bits == 1 && page.Compression >= tcNone && page.Compression <= tcFaxT6 &&
        page.Photometric == tpRgb)
        page.Photometric = tpWhiteIsZero;
    page.ColorMap = ReadColorMap(directory, page.Bits);
}

} // namespace

TTiffPage ReadTiffPage(const TTiffDirectory& directory, int32_t tileIndex)
{
    TTiffPage page;
    ReadLayout(directory, page, tileIndex);
    ReadCoding(directory, page);
    page.Orientation = int32_t(directory.Integer(ttOrientation, 1));
    page.ResolutionUnit = int32_t(directory.Integer(ttResolutionUnit, 2));
    page.XResolution = directory.Rational(ttXResolution, 0);
    page.YResolution = directory.Rational(ttYResolution, 0);
    page.XPosition = directory.Rational(ttXPosition, 0);
    page.YPosition = directory.Rational(ttYPosition, 0);
    page.Software = directory.Text(ttSoftware);
    page.Intel = directory.Intel();
    return page;
}
