#include "imaging/core/QkVideoFrames.h"

#include <cstdint>

#include "imaging/core/QkBitmap.h"
#include "platform/core/Types.h"

namespace {

struct TYUV {
    int32_t Y;
    int32_t U;
    int32_t V;
};

// The YUV of pixel `i` of a packed block.
using TBlockSampler = TYUV (*)(const uint8_t* block, int32_t i);

struct TPackedLayout {
    uint32_t FourCC;
    int32_t BlockBytes;
    int32_t PixelsPerBlock;
    // Positive heights fill from the bottom instead of the top.
    bool BottomUp;
    TBlockSampler Sample;
};

TYUV SampleUYVY(const uint8_t* b, int32_t i) { return {b[1 + 2 * i], b[0], b[2]}; }
TYUV SampleYUY2(const uint8_t* b, int32_t i) { return {b[2 * i], b[1], b[3]}; }
TYUV SampleYVYU(const uint8_t* b, int32_t i) { return {b[2 * i], b[3], b[1]}; }
TYUV SampleIYU1(const uint8_t* b, int32_t i)
{
    static constexpr int32_t lumaAt[4] = {1, 2, 4, 5};
    return {b[lumaAt[i]], b[0], b[3]};
}
TYUV SampleIYU2(const uint8_t* b, int32_t) { return {b[1], b[0], b[2]}; }
TYUV SampleY211(const uint8_t* b, int32_t i) { return {b[i < 2 ? 0 : 2], b[1], b[3]}; }
TYUV SampleY41P(const uint8_t* b, int32_t i)
{
    static constexpr int32_t lumaAt[8] = {1, 3, 5, 7, 8, 9, 10, 11};
    return i < 4 ? TYUV{b[lumaAt[i]], b[0], b[2]} : TYUV{b[lumaAt[i]], b[4], b[6]};
}
TYUV SampleCLJR(const uint8_t* b, int32_t i)
{
    const uint32_t word = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    const int32_t y = static_cast<int32_t>((word >> (12 + 5 * i)) & 0x1F);
    return {y, static_cast<int32_t>((word >> 6) & 0x3F), static_cast<int32_t>(word & 0x3F)};
}

constexpr TPackedLayout PackedLayouts[] = {
    {MakeFourCC("UYVY"), 4, 2, false, SampleUYVY}, {MakeFourCC("UYNV"), 4, 2, false, SampleUYVY},
    {MakeFourCC("cyuv"), 4, 2, true, SampleUYVY},  {MakeFourCC("YUY2"), 4, 2, false, SampleYUY2},
    {MakeFourCC("YUNV"), 4, 2, false, SampleYUY2}, {MakeFourCC("YVYU"), 4, 2, false, SampleYVYU},
    {MakeFourCC("IYU1"), 6, 4, false, SampleIYU1}, {MakeFourCC("IYU2"), 3, 1, false, SampleIYU2},
    {MakeFourCC("Y211"), 4, 4, false, SampleY211}, {MakeFourCC("Y41P"), 12, 8, true, SampleY41P},
    {MakeFourCC("CLJR"), 4, 4, false, SampleCLJR},
};

struct TPlanarLayout {
    uint32_t FourCC;
    // Pixels per chroma sample in each direction.
    int32_t Subsampling;
    bool UFirst;
};

constexpr TPlanarLayout PlanarLayouts[] = {
    {MakeFourCC("YVU9"), 4, false},
    {MakeFourCC("YV12"), 2, false},
    {MakeFourCC("I420"), 2, true},
    {MakeFourCC("IYUV"), 2, true},
};

const TPackedLayout* FindPacked(uint32_t fourcc)
{
    for (const TPackedLayout& layout : PackedLayouts)
        if (layout.FourCC == fourcc)
            return &layout;
    return nullptr;
}

const TPlanarLayout* FindPlanar(uint32_t fourcc)
{
    for (const TPlanarLayout& layout : PlanarLayouts)
        if (layout.FourCC == fourcc)
            return &layout;
    return nullptr;
}

int64_t CeilDiv(int64_t value, int64_t divisor) { return (value + divisor - 1) / divisor; }

int64_t PackedRowBytes(const TPackedLayout& layout, int64_t width)
{
    return CeilDiv(width, layout.PixelsPerBlock) * layout.BlockBytes;
}

int64_t ChromaPlaneBytes(const TPlanarLayout& layout, int64_t width, int64_t height)
{
    return CeilDiv(width, layout.Subsampling) * CeilDiv(height, layout.Subsampling);
}

// The image row that data row k fills.
int32_t ImageRow(int32_t k, int32_t height, bool fromTop) { return fromTop ? k : height - 1 - k; }

// A row ends with a partial block when the width is not a multiple of the
// block; only the pixels inside the row are unpacked from it.
void UnpackPacked(const TPackedLayout& layout, const uint8_t* data, bool fromTop, TQkBitmap& bitmap)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const int64_t rowBytes = PackedRowBytes(layout, width);
    for (int32_t k = 0; k < height; ++k) {
        const uint8_t* source = data + rowBytes * k;
        uint8_t* row = bitmap.GetScanline(ImageRow(k, height, fromTop));
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* block = source + int64_t(x / layout.PixelsPerBlock) * layout.BlockBytes;
            const TYUV sample = layout.Sample(block, x % layout.PixelsPerBlock);
            YUVToBGR(sample.Y, sample.U, sample.V, row + 3 * x);
        }
    }
}

void UnpackPlanar(const TPlanarLayout& layout, const uint8_t* data, bool fromTop, TQkBitmap& bitmap)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    const int64_t lumaSize = int64_t(width) * height;
    const int64_t chromaWidth = CeilDiv(width, layout.Subsampling);
    const int64_t chromaSize = ChromaPlaneBytes(layout, width, height);
    const uint8_t* firstChroma = data + lumaSize;
    const uint8_t* u = layout.UFirst ? firstChroma : firstChroma + chromaSize;
    const uint8_t* v = layout.UFirst ? firstChroma + chromaSize : firstChroma;
    for (int32_t k = 0; k < height; ++k) {
        const uint8_t* luma = data + int64_t(width) * k;
        const int64_t chromaRow = chromaWidth * (k / layout.Subsampling);
        uint8_t* row = bitmap.GetScanline(ImageRow(k, height, fromTop));
        for (int32_t x = 0; x < width; ++x) {
            const int64_t c = chromaRow + x / layout.Subsampling;
            YUVToBGR(luma[x], u[c], v[c], row + 3 * x);
        }
    }
}

} // namespace

void YUVToBGR(int32_t y, int32_t u, int32_t v, uint8_t* out)
{
    const double luma = (y - 16) * 1.164;
    out[0] = ByteClamp(static_cast<int32_t>(Round(luma + 2.018 * (u - 128))));
    out[1] = ByteClamp(static_cast<int32_t>(Round(luma - 0.813 * (v - 128) - 0.391 * (u - 128))));
    out[2] = ByteClamp(static_cast<int32_t>(Round(luma + 1.596 * (v - 128))));
}

int64_t VideoFrameBytes(uint32_t fourcc, int64_t width, int64_t height)
{
    if (const TPackedLayout* packed = FindPacked(fourcc)) {
        const int64_t rowBytes = PackedRowBytes(*packed, width);
        // Sizes beyond any memory answer the largest number.
        return rowBytes > 0 && height > INT64_MAX / rowBytes ? INT64_MAX : rowBytes * height;
    }
    if (const TPlanarLayout* planar = FindPlanar(fourcc))
        return width * height + 2 * ChromaPlaneBytes(*planar, width, height);
    return -1;
}

bool UnpackVideoFrame(uint32_t fourcc, const uint8_t* data, int64_t length, bool positiveHeight, TQkBitmap& bitmap)
{
    const int64_t needed = VideoFrameBytes(fourcc, bitmap.GetWidth(), bitmap.GetHeight());
    if (data == nullptr || bitmap.GetPixelFormat() != qk24RGB || needed < 0 || needed > length)
        return false;
    if (const TPackedLayout* packed = FindPacked(fourcc))
        UnpackPacked(*packed, data, positiveHeight != packed->BottomUp, bitmap);
    else
        UnpackPlanar(*FindPlanar(fourcc), data, positiveHeight, bitmap);
    return true;
}
