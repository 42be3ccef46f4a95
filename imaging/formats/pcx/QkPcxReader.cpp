#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/pcx/QkPcx.h"
#include "imaging/formats/pcx/QkPcxCodec.h"

namespace {

// The plane and depth combinations the reader decodes.
enum class TPcxLayout {
    Unknown,
    Mono, // 1 plane of 1 bit
    TwoBit, // 1 plane of 2 bits
    Nibbles, // 1 plane of 4 bits
    Indexed, // 1 plane of 8 bits, the 256-colour palette
    Rgb, // 3 planes of 8 bits
    BitPlanes, // 4 planes of 1 bit, a 16-colour index
    Rgba, // 4 planes of 8 bits
};

TPcxLayout LayoutOf(const TPcxHeader& header)
{
    const int32_t bits = header.BitsPerPixel;
    switch (header.Planes) {
    case 1:
        return bits == 1 ? TPcxLayout::Mono
            : bits == 2  ? TPcxLayout::TwoBit
            : bits == 4  ? TPcxLayout::Nibbles
            : bits == 8  ? TPcxLayout::Indexed
                         : TPcxLayout::Unknown;
    case 3: return bits == 8 ? TPcxLayout::Rgb : TPcxLayout::Unknown;
    case 4: return bits == 1 ? TPcxLayout::BitPlanes : bits == 8 ? TPcxLayout::Rgba : TPcxLayout::Unknown;
    default: return TPcxLayout::Unknown;
    }
}

// Bytes one plane line needs for the width; 0 when the layout is unknown.
int64_t NeededLineBytes(TPcxLayout layout, int64_t width)
{
    switch (layout) {
    case TPcxLayout::Mono:
    case TPcxLayout::BitPlanes: return (width + 7) / 8;
    case TPcxLayout::TwoBit: return (width + 3) / 4;
    case TPcxLayout::Nibbles: return (width + 1) / 2;
    case TPcxLayout::Unknown: return 0;
    default: return width;
    }
}

bool HeaderAcceptable(const TPcxHeader& header)
{
    return header.Manufacturer == PcxManufacturer && header.BitsPerPixel <= 8 && header.Encoding <= 1 &&
        header.XMax >= header.XMin && header.YMax >= header.YMin && header.Planes > 0 &&
        header.BytesPerLine >= NeededLineBytes(LayoutOf(header), header.Width()) &&
        WithinDecodeLimit(header.Width(), header.Height());
}

// The colour map the parameters report, and the palette the pixels use.
std::vector<TRGBPixel> ImagePalette(const TPcxHeader& header, TPcxLayout layout, std::span<const uint8_t> data)
{
    std::vector<TRGBPixel> palette;
    if (layout == TPcxLayout::Indexed) {
        const uint8_t* triples = data.data() + data.size() - PcxPaletteBytes;
        for (int32_t i = 0; i < 256; ++i)
            palette.push_back(PaletteEntryFromFile(triples + i * 3));
    } else if (layout == TPcxLayout::BitPlanes) {
        palette.assign(header.Palette.begin(), header.Palette.end());
    } else if (header.Planes == 1 && header.BitsPerPixel <= 4) {
        palette.assign(header.Palette.begin(), header.Palette.begin() + (1 << header.BitsPerPixel));
    }
    return palette;
}

void ReportParams(const TPcxHeader& header, TPcxLayout layout, std::vector<TRGBPixel> palette, TQkReadRequest& request)
{
    TIOParamsVals& params = request.Params;
    request.ImageCount = 1;
    params.ImageCount = 1;
    const bool defaultDpi = header.DpiX == 0 || header.DpiY == 0;
    params.DpiX = defaultDpi ? DefaultDpiX : header.DpiX;
    params.DpiY = defaultDpi ? DefaultDpiY : header.DpiY;
    const bool bitPlanes = layout == TPcxLayout::BitPlanes;
    params.BitsPerSample = bitPlanes ? 4 : header.BitsPerPixel;
    params.SamplesPerPixel = bitPlanes ? 1 : header.Planes;
    params.Width = params.StoredWidth = static_cast<int32_t>(header.Width());
    params.Height = params.StoredHeight = static_cast<int32_t>(header.Height());
    params.PcxVersion = header.Version;
    params.FreeColorMap();
    params.ColorMapCount = static_cast<int32_t>(palette.size());
    params.ColorMap = std::move(palette);
}

// Decodes the rows of one image from its data (what follows the header).
class TPcxRowDecoder {
public:
    TPcxRowDecoder(const TPcxHeader& header, TPcxLayout layout, std::span<const uint8_t> data,
                   const std::vector<TRGBPixel>& palette)
        : layout_(layout), width_(static_cast<int32_t>(header.Width())), lineBytes_(header.BytesPerLine),
          lines_(size_t(header.Planes) * size_t(lineBytes_)), decoder_(data, header.Encoding == 1), palette_(palette)
    {}

    // Decodes the next row into the bitmap's row and, for RGBA, the alpha row.
    void DecodeRow(uint8_t* row, uint8_t* alpha)
    {
        for (size_t plane = 0; plane * lineBytes_ < lines_.size(); ++plane)
            decoder_.DecodeLine(std::span(lines_).subspan(plane * lineBytes_, lineBytes_));
        switch (layout_) {
        case TPcxLayout::Mono: std::memcpy(row, lines_.data(), (size_t(width_) + 7) / 8); break;
        case TPcxLayout::TwoBit: PackedIndices(row, 2); break;
        case TPcxLayout::Nibbles: PackedIndices(row, 4); break;
        case TPcxLayout::Indexed: PackedIndices(row, 8); break;
        case TPcxLayout::BitPlanes: BitPlaneIndices(row); break;
        case TPcxLayout::Rgb: Planes(row, nullptr); break;
        case TPcxLayout::Rgba: Planes(row, alpha); break;
        case TPcxLayout::Unknown: break;
        }
    }

private:
    void PutColour(uint8_t* row, int32_t x, size_t index) const
    {
        const TRGBPixel colour = palette_[index];
        std::memcpy(row + size_t(x) * 3, &colour, 3);
    }

    // Indices of `bits` bits, most significant first, into the palette.
    void PackedIndices(uint8_t* row, int32_t bits) const
    {
        const int32_t perByte = 8 / bits;
        const uint32_t mask = (1u << bits) - 1;
        for (int32_t x = 0; x < width_; ++x) {
            const int32_t shift = 8 - bits * (x % perByte + 1);
            PutColour(row, x, (lines_[size_t(x / perByte)] >> shift) & mask);
        }
    }

    void BitPlaneIndices(uint8_t* row) const
    {
        for (int32_t x = 0; x < width_; ++x) {
            size_t index = 0;
            for (size_t plane = 0; plane < 4; ++plane)
                index |= size_t((lines_[plane * lineBytes_ + size_t(x >> 3)] >> (7 - (x & 7))) & 1) << plane;
            PutColour(row, x, index);
        }
    }

    void Planes(uint8_t* row, uint8_t* alpha) const
    {
        const uint8_t* red = lines_.data();
        const uint8_t* green = red + lineBytes_;
        const uint8_t* blue = green + lineBytes_;
        for (int32_t x = 0; x < width_; ++x) {
            row[x * 3] = blue[x];
            row[x * 3 + 1] = green[x];
            row[x * 3 + 2] = red[x];
        }
        if (alpha)
            std::memcpy(alpha, blue + lineBytes_, size_t(width_));
    }

    TPcxLayout layout_;
    int32_t width_;
    size_t lineBytes_;
    std::vector<uint8_t> lines_;
    TPcxLineDecoder decoder_;
    const std::vector<TRGBPixel>& palette_;
};

void DecodeImage(const TPcxHeader& header, TPcxLayout layout, std::span<const uint8_t> data, TQkReadRequest& request)
{
    const std::vector<TRGBPixel>& palette = request.Params.ColorMap;
    TQkBitmap& bitmap = request.Bitmap;
    const int32_t height = request.Params.Height;
    if (!bitmap.Allocate(request.Params.Width, height, layout == TPcxLayout::Mono ? qk1g : qk24RGB)) {
        SetAborting(request.Progress);
        return;
    }
    TQkBitmap* alpha = layout == TPcxLayout::Rgba && !request.IgnoreAlpha ? bitmap.GetAlphaChannel() : nullptr;
    TPcxRowDecoder rows(header, layout, data, palette);
    TQkRowProgress progress(request.Progress, height);
    for (int32_t y = 0; y < height && !IsAborting(request.Progress); ++y) {
        progress.Report(y);
        rows.DecodeRow(bitmap.GetScanline(y), alpha ? alpha->GetScanline(y) : nullptr);
    }
}

// The image's bytes after the header, as many as the stream holds.
std::vector<uint8_t> ReadImageData(TStream& stream, int64_t dataSize)
{
    const int64_t available = std::max<int64_t>(0, stream.Size() - stream.Position());
    std::vector<uint8_t> data(size_t(std::clamp<int64_t>(dataSize, 0, available)));
    data.resize(size_t(std::max<int64_t>(0, stream.Read(data.data(), int64_t(data.size())))));
    return data;
}

} // namespace

void ReadPcxImage(TQkReadRequest& request)
{
    TStream& stream = request.Stream;
    const int64_t size = request.ByteBudget >= 0 ? request.ByteBudget : stream.Size() - stream.Position();
    std::array<uint8_t, PcxHeaderSize> headerBytes{};
    if (size < PcxHeaderSize || stream.Read(headerBytes.data(), PcxHeaderSize) < PcxHeaderSize) {
        SetAborting(request.Progress);
        return;
    }
    const TPcxHeader header = ParsePcxHeader(headerBytes);
    const TPcxLayout layout = LayoutOf(header);
    if (!HeaderAcceptable(header)) {
        SetAborting(request.Progress);
        return;
    }
    const std::vector<uint8_t> data = ReadImageData(stream, size - PcxHeaderSize);
    if (layout == TPcxLayout::Indexed && int64_t(data.size()) < PcxPaletteBytes) {
        SetAborting(request.Progress);
        return;
    }
    ReportParams(header, layout, ImagePalette(header, layout, data), request);
    if (request.ParamsOnly)
        return;
    if (layout == TPcxLayout::Unknown) {
        SetAborting(request.Progress);
        return;
    }
    DecodeImage(header, layout, data, request);
}
