#include <algorithm>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/pcx/QkPcx.h"
#include "imaging/formats/pcx/QkPcxCodec.h"

namespace {

constexpr TRGBPixel Black{0, 0, 0};
constexpr TRGBPixel White{255, 255, 255};

// The bitmap the rows come from, a converted copy when the caller's has
// another format.
class TPcxSource {
public:
    TPcxSource(TQkBitmap& bitmap, TQkPixelFormat format) : bitmap_(&bitmap)
    {
        if (bitmap.GetPixelFormat() == format)
            return;
        copy_ = std::make_unique<TQkBitmap>();
        copy_->Assign(&bitmap);
        copy_->SetPixelFormat(format);
        bitmap_ = copy_.get();
    }
    // A 1-bit source: the image itself when it is qk1g, its two colours
    // when it holds two, otherwise a black and white conversion.
    static TPcxSource Bilevel(TQkBitmap& bitmap, std::array<TRGBPixel, 16>& palette)
    {
        palette[0] = Black;
        palette[1] = White;
        if (bitmap.GetPixelFormat() == qk1g)
            return TPcxSource(bitmap);
        TPcxSource source(bitmap);
        TRGBPixel darker;
        TRGBPixel lighter;
        source.copy_ = MakeBilevelIfTwoColors(bitmap, darker, lighter);
        if (source.copy_) {
            palette[0] = darker;
            palette[1] = lighter;
        } else {
            source.copy_ = std::make_unique<TQkBitmap>(bitmap.GetWidth(), bitmap.GetHeight(), qk1g);
            source.copy_->CopyAndConvertFormat(bitmap);
        }
        source.bitmap_ = source.copy_.get();
        return source;
    }

    TQkBitmap& Bitmap() { return *bitmap_; }

private:
    explicit TPcxSource(TQkBitmap& bitmap) : bitmap_(&bitmap) {}

    TQkBitmap* bitmap_;
    std::unique_ptr<TQkBitmap> copy_;
};

int32_t EvenUp(int64_t bytes) { return static_cast<int32_t>((bytes + 1) & ~int64_t(1)); }

class TPcxWriter {
public:
    explicit TPcxWriter(TQkWriteRequest& request)
        : request_(request), aborting_(request.Progress.Aborting ? *request.Progress.Aborting : localAborting_),
          width_(request.Bitmap.GetWidth()), height_(request.Bitmap.GetHeight())
    {
        header_.Version = static_cast<uint8_t>(request.Params.PcxVersion);
        header_.Encoding = request.Params.PcxCompression ? 1 : 0;
        header_.XMax = width_ - 1;
        header_.YMax = height_ - 1;
        header_.DpiX = request.Params.DpiX & 0xFFFF;
        header_.DpiY = request.Params.DpiY & 0xFFFF;
    }

    void Write()
    {
        const TIOParamsVals& params = request_.Params;
        const int32_t samples = std::min(params.SamplesPerPixel, 3);
        const int32_t depth = params.BitsPerSample == 1 ? 1 : params.BitsPerSample * samples;
        switch (depth) {
        case 1: WriteBilevel(); break;
        case 4: WriteIndexed(4); break;
        case 8: WriteIndexed(8); break;
        case 24: WriteRgb(); break;
        default:
            header_.BitsPerPixel = 0;
            header_.Planes = 0;
            WriteHeader();
        }
    }

private:
    void WriteHeader()
    {
        const auto bytes = PcxHeaderBytes(header_);
        SafeStreamWrite(request_.Stream, aborting_, bytes.data(), PcxHeaderSize);
    }

    // One plane line of `count` bytes taken `stride` apart.
    void AddLine(const uint8_t* bytes, int32_t count, int32_t stride)
    {
        if (header_.Encoding == 1) {
            PcxEncodeLine(bytes, count, stride, line_);
            return;
        }
        for (int32_t i = 0; i < count; ++i)
            line_.push_back(bytes[size_t(i) * stride]);
        line_.resize(line_.size() + size_t(header_.BytesPerLine - count), 0);
    }

    // Writes the header, then the lines `addRow` gives each row.
    template <typename AddRow>
    void WriteRows(AddRow addRow)
    {
        WriteHeader();
        TQkRowProgress progress(request_.Progress, height_);
        for (int32_t y = 0; y < height_ && !aborting_; ++y) {
            progress.Report(y);
            line_.clear();
            addRow(y);
            SafeStreamWrite(request_.Stream, aborting_, line_.data(), int64_t(line_.size()));
        }
    }

    void WriteBilevel()
    {
        TPcxSource source = TPcxSource::Bilevel(request_.Bitmap, header_.Palette);
        const int32_t count = (width_ + 7) / 8;
        header_.BitsPerPixel = 1;
        header_.Planes = 1;
        header_.BytesPerLine = EvenUp(count);
        WriteRows([&](int32_t y) { AddLine(source.Bitmap().GetScanline(y), count, 1); });
    }

    void WriteIndexed(int32_t bits)
    {
        TPcxSource source(request_.Bitmap, qk24RGB);
        std::vector<TRGBPixel> palette(size_t(1) << bits);
        const TQkQuantizer quantizer(source.Bitmap(), int32_t(palette.size()), palette);
        const int32_t count = bits == 4 ? (width_ + 1) / 2 : width_;
        header_.BitsPerPixel = static_cast<uint8_t>(bits);
        header_.Planes = 1;
        header_.BytesPerLine = EvenUp(count);
        if (bits == 4)
            std::copy(palette.begin(), palette.end(), header_.Palette.begin());
        std::vector<uint8_t> indices(size_t(count) + 1);
        WriteRows([&](int32_t y) {
            QuantizeRow(quantizer, source.Bitmap().GetScanline(y), bits, indices);
            AddLine(indices.data(), count, 1);
        });
        if (bits == 8 && !aborting_)
            WritePaletteTrailer(palette);
    }

    void QuantizeRow(const TQkQuantizer& quantizer, const uint8_t* row, int32_t bits, std::vector<uint8_t>& indices)
    {
        std::fill(indices.begin(), indices.end(), uint8_t(0));
        const auto* pixels = reinterpret_cast<const TRGBPixel*>(row);
        for (int32_t x = 0; x < width_; ++x) {
            const auto index = static_cast<uint8_t>(quantizer.GetValidPaletteIndex(pixels[x]));
            if (bits == 8)
                indices[size_t(x)] = index;
            else
                indices[size_t(x / 2)] |= x % 2 == 0 ? uint8_t(index << 4) : index;
        }
    }

    void WritePaletteTrailer(const std::vector<TRGBPixel>& palette)
    {
        std::vector<uint8_t> trailer(1 + PcxPaletteBytes);
        trailer[0] = PcxPaletteMarker;
        for (size_t i = 0; i < palette.size(); ++i)
            PaletteEntryToFile(palette[i], &trailer[1 + i * 3]);
        SafeStreamWrite(request_.Stream, aborting_, trailer.data(), int64_t(trailer.size()));
    }

    void WriteRgb()
    {
        TPcxSource source(request_.Bitmap, qk24RGB);
        header_.BitsPerPixel = 8;
        header_.Planes = 3;
        header_.BytesPerLine = EvenUp(width_);
        header_.PaletteInfo = 0;
        WriteRows([&](int32_t y) {
            const uint8_t* row = source.Bitmap().GetScanline(y);
            for (int32_t channel = 2; channel >= 0; --channel)
                AddLine(row + channel, width_, 3);
        });
    }

    TQkWriteRequest& request_;
    std::atomic<bool> localAborting_ = false;
    std::atomic<bool>& aborting_;
    int32_t width_;
    int32_t height_;
    TPcxHeader header_;
    std::vector<uint8_t> line_;
};

} // namespace

void WritePcxImage(TQkWriteRequest& request) { TPcxWriter(request).Write(); }
