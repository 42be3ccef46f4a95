#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/bmp/BmpRle.h"
#include "imaging/formats/bmp/QkBmp.h"
#include "imaging/formats/bmp/QkBmpBytes.h"
#include "imaging/formats/bmp/QkBmpHeader.h"
#include "imaging/formats/bmp/QkBmpIndexes.h"

namespace {

constexpr int32_t FileHeaderSize = 14;
constexpr int32_t CoreSideLimit = 65535;

int32_t BitCountToWrite(const TIOParamsVals& params, const TQkBitmap& bitmap)
{
    if (params.BitsPerSample == 1 || params.BitsPerSample == 4)
        return params.BitsPerSample;
    if (params.SamplesPerPixel == 1)
        return 8;
    return bitmap.HasAlphaChannel() ? 32 : 24;
}

int32_t InfoSizeOfVersion(uint8_t version)
{
    switch (version) {
    case 2: return 12;
    case 3: return 64;
    default: return 40;
    }
}

std::unique_ptr<TQkBitmap> RgbCopy(TQkBitmap& bitmap)
{
    auto copy = std::make_unique<TQkBitmap>();
    copy->Assign(&bitmap);
    copy->SetPixelFormat(qk24RGB);
    return copy;
}

class TBmpWriter {
public:
    TBmpWriter(TQkWriteRequest& request, TQkBitmap& bitmap, std::atomic<bool>& aborting)
        : request_(request), params_(request.Params), aborting_(aborting), bitmap_(&bitmap),
          bitCount_(BitCountToWrite(params_, bitmap)), width_(bitmap.GetWidth()), height_(bitmap.GetHeight()),
          infoSize_(InfoSizeOfVersion(params_.BmpVersion)), rowLength_((int64_t(width_) * bitCount_ + 31) / 32 * 4)
    {
        const bool indexed = bitCount_ == 4 || bitCount_ == 8;
        if (indexed && params_.BmpCompression == 1 && params_.BmpVersion != 2)
            compression_ = bitCount_ == 4 ? BmpRle4 : BmpRle8;
    }

    void Run()
    {
        if (infoSize_ == 12 && (width_ > CoreSideLimit || height_ > CoreSideLimit)) {
            aborting_ = true;
            return;
        }
        TStream& stream = request_.Stream;
        const int64_t start = stream.Position();
        WriteHeaders(0, 0, 0);
        PreparePixels();
        WritePalette();
        const int64_t pixelStart = stream.Position();
        WriteRows();
        if (aborting_)
            return;
        const int64_t end = stream.Position();
        stream.SetPosition(start);
        WriteHeaders(end - start, pixelStart - start, end - pixelStart);
        stream.SetPosition(end);
    }

private:
    void Write(const void* bytes, int64_t count) { SafeStreamWrite(request_.Stream, aborting_, bytes, count); }

    void WriteHeaders(int64_t fileSize, int64_t pixelOffset, int64_t imageSize)
    {
        std::vector<uint8_t> out{'B', 'M'};
        PutLe32(out, uint32_t(fileSize));
        PutLe32(out, 0);
        PutLe32(out, uint32_t(pixelOffset));
        PutLe32(out, uint32_t(infoSize_));
        if (infoSize_ == 12) {
            PutLe16(out, uint32_t(width_));
            PutLe16(out, uint32_t(height_));
            PutLe16(out, 1);
            PutLe16(out, uint32_t(bitCount_));
        } else {
            PutLe32(out, uint32_t(width_));
            PutLe32(out, uint32_t(height_));
            PutLe16(out, 1);
            PutLe16(out, uint32_t(bitCount_));
            PutLe32(out, compression_);
            PutLe32(out, uint32_t(imageSize));
            PutLe32(out, uint32_t(PixelsPerMetreOfDpi(params_.DpiX)));
            PutLe32(out, uint32_t(PixelsPerMetreOfDpi(params_.DpiY)));
            PutLe32(out, bitCount_ <= 8 ? 1u << bitCount_ : 0u);
            PutLe32(out, 1u << (bitCount_ % 32));
            out.resize(size_t(FileHeaderSize + infoSize_), 0);
        }
        Write(out.data(), int64_t(out.size()));
    }

    // The bitmap the rows come from, in the form the depth needs, and the
    // palette of the indexed depths.
    void PreparePixels()
    {
        if (bitCount_ == 1) {
            PrepareBilevel();
        } else if (bitCount_ == 4 || bitCount_ == 8) {
            params_.FreeColorMap();
            params_.ColorMapCount = 1 << bitCount_;
            params_.ColorMap.resize(size_t(params_.ColorMapCount));
            indexes_ = std::make_unique<TQkBmpIndexRows>(*bitmap_, params_.ColorMap);
            palette_ = params_.ColorMap;
        } else if (bitmap_->GetPixelFormat() != qk24RGB) {
            copy_ = RgbCopy(*bitmap_);
            bitmap_ = copy_.get();
        }
    }

    void PrepareBilevel()
    {
        palette_ = {TRGBPixel{0, 0, 0}, TRGBPixel{255, 255, 255}};
        if (bitmap_->GetPixelFormat() == qk1g)
            return;
        copy_ = RgbCopy(*bitmap_);
        TRGBPixel darker;
        TRGBPixel lighter;
        if (auto bilevel = MakeBilevelIfTwoColors(*copy_, darker, lighter)) {
            copy_ = std::move(bilevel);
            palette_ = {darker, lighter};
        } else {
            copy_->SetPixelFormat(qk1g);
        }
        bitmap_ = copy_.get();
    }

    void WritePalette()
    {
        const int32_t entrySize = infoSize_ == 12 ? 3 : 4;
        std::vector<uint8_t> out(palette_.size() * size_t(entrySize), 0);
        for (size_t i = 0; i < palette_.size(); ++i)
            std::memcpy(out.data() + i * size_t(entrySize), &palette_[i], 3);
        Write(out.data(), int64_t(out.size()));
    }

    void WriteRows()
    {
        TQkRowProgress progress(request_.Progress, height_);
        std::vector<uint8_t> row(static_cast<size_t>(rowLength_));
        std::vector<uint8_t> codes;
        for (int32_t k = 0; k < height_ && !aborting_; ++k) {
            progress.Report(k);
            if (aborting_)
                break;
            const int32_t y = height_ - 1 - k;
            if (compression_ != BmpRgb) {
                codes.clear();
                const std::span<const uint8_t> indexes = indexes_->Row(y);
                if (compression_ == BmpRle8)
                    EncodeBmpRle8Row(indexes, codes);
                else
                    EncodeBmpRle4Row(indexes, codes);
                Write(codes.data(), int64_t(codes.size()));
                continue;
            }
            FillRow(row.data(), y);
            Write(row.data(), rowLength_);
        }
        if (compression_ != BmpRgb && !aborting_) {
            const uint8_t endOfBitmap[2] = {0, 1};
            Write(endOfBitmap, 2);
        }
    }

    void FillRow(uint8_t* row, int32_t y)
    {
        std::memset(row, 0, size_t(rowLength_));
        switch (bitCount_) {
        case 1: CopyBilevelRow(row, y); break;
        case 4: PackNibbles(row, indexes_->Row(y)); break;
        case 8: std::ranges::copy(indexes_->Row(y), row); break;
        case 24: std::memcpy(row, bitmap_->GetScanline(y), size_t(width_) * 3); break;
        default: Fill32(row, y); break;
        }
    }

    void CopyBilevelRow(uint8_t* row, int32_t y)
    {
        const int32_t bytes = (width_ + 7) / 8;
        std::memcpy(row, bitmap_->GetScanline(y), size_t(bytes));
        if (width_ % 8 != 0)
            row[bytes - 1] &= uint8_t(0xFF << (8 - width_ % 8));
    }

    void PackNibbles(uint8_t* row, std::span<const uint8_t> indexes)
    {
        for (size_t x = 0; x < indexes.size(); ++x)
            row[x / 2] |= uint8_t((indexes[x] & 0xF) << (x % 2 ? 0 : 4));
    }

    void Fill32(uint8_t* row, int32_t y)
    {
        const uint8_t* source = bitmap_->GetScanline(y);
        for (int32_t x = 0; x < width_; ++x) {
            std::memcpy(row + 4 * x, source + 3 * x, 3);
            row[4 * x + 3] = params_.BmpAlpha ? bitmap_->GetAlpha(x, y) : 255;
        }
    }

    TQkWriteRequest& request_;
    TIOParamsVals& params_;
    std::atomic<bool>& aborting_;
    TQkBitmap* bitmap_;
    std::unique_ptr<TQkBitmap> copy_;
    std::unique_ptr<TQkBmpIndexRows> indexes_;
    std::vector<TRGBPixel> palette_;
    int32_t bitCount_;
    int32_t width_;
    int32_t height_;
    int32_t infoSize_;
    int64_t rowLength_;
    uint32_t compression_ = BmpRgb;
};

} // namespace

void WriteBmpImage(TQkWriteRequest& request)
{
    std::atomic<bool> localAborting = false;
    std::atomic<bool>& aborting = AbortingFlag(request.Progress, localAborting);
    TQkBitmap& bitmap = request.Bitmap;
    std::unique_ptr<TQkBitmap> converted;
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (format != qk1g && format != qk8p && format != qk24RGB)
        converted = RgbCopy(bitmap);
    TBmpWriter(request, converted ? *converted : bitmap, aborting).Run();
}
