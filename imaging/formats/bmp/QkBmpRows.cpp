#include "imaging/formats/bmp/QkBmpRows.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/bmp/BmpRle.h"
#include "imaging/formats/bmp/QkBmpBytes.h"

namespace {

// The alpha bytes of 32-bit pixels, and whether they say anything: all 0 or
// all 255 carry no transparency.
class TAlphaPlane {
public:
    TAlphaPlane(std::unique_ptr<TQkMask>& mask, int32_t width, int32_t height, bool use) : mask_(mask), use_(use)
    {
        if (!use)
            return;
        if (!mask_)
            mask_ = std::make_unique<TQkMask>();
        mask_->AllocateBits(width, height, 8);
        mask_->Fill(255);
    }
    uint8_t* Row(int32_t y) { return use_ ? mask_->GetScanline(y) : nullptr; }
    void Note(uint8_t alpha)
    {
        anyNotZero_ |= alpha != 0;
        anyNotOpaque_ |= alpha != 255;
    }
    void DropWhenEmpty()
    {
        if (use_ && (!anyNotZero_ || !anyNotOpaque_))
            mask_.reset();
    }

private:
    std::unique_ptr<TQkMask>& mask_;
    bool use_;
    bool anyNotZero_ = false;
    bool anyNotOpaque_ = false;
};

class TBmpRowReader {
public:
    TBmpRowReader(TQkReadRequest& request, const TQkBmpHeader& header)
        : request_(request), header_(header), bitmap_(request.Bitmap), palette_(request.Params.ColorMap),
          width_(int32_t(header.Width)), height_(int32_t(header.Height)),
          alpha_(request.AlphaMask, width_, height_, header.BitCount == 32 && !request.IgnoreAlpha),
          row_(size_t(header.RowLength()))
    {}

    void Run()
    {
        TQkRowProgress progress(request_.Progress, height_);
        for (int32_t k = 0; k < height_; ++k) {
            progress.Report(k);
            if (IsAborting(request_.Progress))
                break;
            ReadZeroFilled(request_.Stream, row_.data(), int64_t(row_.size()));
            const int32_t y = header_.TopDown ? k : height_ - 1 - k;
            ExpandRow(bitmap_.GetScanline(y), y);
        }
        alpha_.DropWhenEmpty();
    }

private:
    void ExpandRow(uint8_t* line, int32_t y)
    {
        switch (header_.BitCount) {
        case 1: std::memcpy(line, row_.data(), std::min<size_t>(row_.size(), size_t(bitmap_.GetRowLen()))); break;
        case 4:
        case 8:
            ExpandIndexRow(row_.data(), header_.BitCount, width_, palette_, bitmap_.GetPixelFormat() == qk8p, line);
            break;
        case 16: ExpandMasked16(line); break;
        case 24: std::memcpy(line, row_.data(), size_t(width_) * 3); break;
        default: Expand32(line, alpha_.Row(y)); break;
        }
    }

    void StoreMasked(uint8_t* pixel, uint32_t value) const
    {
        pixel[0] = header_.Channels[2].Expand(value);
        pixel[1] = header_.Channels[1].Expand(value);
        pixel[2] = header_.Channels[0].Expand(value);
    }

    void ExpandMasked16(uint8_t* line)
    {
        for (int32_t x = 0; x < width_; ++x)
            StoreMasked(line + 3 * x, GetLe16(row_.data() + 2 * x));
    }

    void Expand32(uint8_t* line, uint8_t* alphaRow)
    {
        const bool plain = header_.Compression == BmpRgb;
        for (int32_t x = 0; x < width_; ++x) {
            const uint8_t* source = row_.data() + 4 * x;
            const uint32_t value = GetLe32(source);
            if (plain)
                std::memcpy(line + 3 * x, source, 3);
            else
                StoreMasked(line + 3 * x, value);
            if (alphaRow != nullptr) {
                alphaRow[x] = plain ? source[3] : header_.Channels[3].Expand(value);
                alpha_.Note(alphaRow[x]);
            }
        }
    }

    TQkReadRequest& request_;
    const TQkBmpHeader& header_;
    TQkBitmap& bitmap_;
    const std::vector<TRGBPixel>& palette_;
    int32_t width_;
    int32_t height_;
    TAlphaPlane alpha_;
    std::vector<uint8_t> row_;
};

void CopyPaletteIntoBitmap(TQkBitmap& bitmap, const std::vector<TRGBPixel>& palette, int32_t used)
{
    const size_t count = std::min<size_t>(palette.size(), 256);
    for (size_t i = 0; i < count; ++i)
        bitmap.SetPaletteColor(int32_t(i), palette[i]);
    bitmap.SetPaletteColors(used);
}

void DecodeRunLengths(TQkReadRequest& request, const TQkBmpHeader& header, int64_t compressedLength)
{
    std::vector<uint8_t> data(static_cast<size_t>(compressedLength));
    ReadZeroFilled(request.Stream, data.data(), compressedLength);
    request.Bitmap.Fill(0);
    // Sets the step the codecs report rows with.
    const TQkRowProgress progress(request.Progress, int32_t(header.Height));
    const std::span<const TRGBPixel> palette(request.Params.ColorMap);
    if (header.Compression == BmpRle8)
        DecodeBmpRle8(request.Bitmap, data, header.TopDown, request.Progress, palette);
    else
        DecodeBmpRle4(request.Bitmap, data, header.TopDown, request.Progress, palette);
}

// A 1-bit palette of white then black is stored inverted, so that a set
// bit always means white; other two-colour palettes are not applied.
bool WhiteThenBlack(const TIOParamsVals& params)
{
    if (params.ColorMapCount != 2)
        return false;
    const TRGBPixel& first = params.ColorMap[0];
    const TRGBPixel& second = params.ColorMap[1];
    return first.r == 255 && first.g == 255 && first.b == 255 && second.r == 0 && second.g == 0 && second.b == 0;
}

} // namespace

void ReadBmpPixels(TQkReadRequest& request, const TQkBmpHeader& header, int64_t compressedLength)
{
    TQkBitmap& bitmap = request.Bitmap;
    if (bitmap.GetPixelFormat() == qk8p)
        CopyPaletteIntoBitmap(bitmap, request.Params.ColorMap, 1 << header.BitCount);
    if (header.Compression == BmpRle8 || header.Compression == BmpRle4) {
        DecodeRunLengths(request, header, compressedLength);
        return;
    }
    TBmpRowReader(request, header).Run();
    if (header.BitCount == 1 && WhiteThenBlack(request.Params))
        InvertBitmapBits(bitmap);
}
