#include "imaging/formats/tiff/TiffStripWriter.h"

#include <algorithm>
#include <memory>
#include <span>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/fax/FaxCodec.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/tiff/TiffEntryWriter.h"
#include "imaging/formats/tiff/TiffPackBits.h"
#include "imaging/formats/tiff/TiffPage.h"
#include "imaging/formats/zstreams/QkZStreams.h"

namespace {

constexpr int64_t StripBytes = 524288;
constexpr uint16_t RowsPerStripTag = 278;
constexpr uint16_t StripOffsetsTag = 273;
constexpr uint16_t StripByteCountsTag = 279;
constexpr uint16_t JpegProcTag = 512;
constexpr uint16_t JpegInterchangeFormatTag = 513;
constexpr uint16_t JpegInterchangeFormatLengthTag = 514;
constexpr uint16_t YCbCrSubSamplingTag = 530;

int64_t PackedRowLength(int32_t width, int32_t bits) { return (int64_t(width) * bits + 7) / 8; }

void PackSamples(std::span<const uint32_t> values, int32_t bits, std::vector<uint8_t>& row)
{
    std::fill(row.begin(), row.end(), 0);
    for (size_t x = 0; x < values.size(); ++x) {
        const int64_t bit = int64_t(x) * bits;
        // Samples of 1, 2 and 4 bits never straddle a byte; others may.
        for (int32_t b = 0; b < bits; ++b)
            if (values[x] >> (bits - 1 - b) & 1)
                row[size_t((bit + b) / 8)] |= uint8_t(0x80 >> ((bit + b) % 8));
    }
}

// Turns bitmap rows into the bytes of one file row.
class TRowPreparer {
public:
    TRowPreparer(TQkBitmap& bitmap, const TTiffWriteOptions& options, TIOParamsVals& params)
        : bitmap_(bitmap), options_(options), params_(params), width_(bitmap.GetWidth())
    {
        row_.resize(size_t(FileRowLength()));
    }

    int64_t FileRowLength() const
    {
        switch (bitmap_.GetPixelFormat()) {
        case qk1g: return PackedRowLength(width_, 1);
        case qk8p:
        case qk8g: return width_;
        case qk16g: return int64_t(width_) * 2;
        case qkCMYK: return int64_t(width_) * 4;
        case qkRGB48: return int64_t(width_) * 6;
        default: return ColourRowLength();
        }
    }

    std::span<const uint8_t> Prepare(int32_t y)
    {
        const uint8_t* source = bitmap_.GetScanline(y);
        switch (bitmap_.GetPixelFormat()) {
        case qk1g:
        case qk8p:
        case qk8g:
        case qk16g:
        case qkRGB48: return {source, row_.size()};
        case qkCMYK: Inverted(source, row_.size()); break;
        default: Colour(source, y); break;
        }
        return row_;
    }

private:
    int64_t ColourRowLength() const
    {
        switch (options_.Photometric) {
        case tpBlackIsZero:
        case tpPalette: return PackedRowLength(width_, options_.Bits);
        case tpSeparated: return int64_t(width_) * 4;
        default: return int64_t(width_) * (options_.Alpha ? 4 : 3);
        }
    }

    void Inverted(const uint8_t* source, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            row_[i] = uint8_t(~source[i]);
    }

    void Colour(const uint8_t* source, int32_t y)
    {
        auto* pixels = reinterpret_cast<const TRGBPixel*>(source);
        switch (options_.Photometric) {
        case tpSeparated:
            ConvertColor(const_cast<uint8_t*>(source), ckBGR, row_.data(), ckCMYK, width_, &params_);
            Inverted(row_.data(), row_.size());
            break;
        case tpCieLab:
            ConvertColor(const_cast<uint8_t*>(source), ckBGR, row_.data(), ckCIELab, width_, &params_);
            break;
        case tpBlackIsZero:
        case tpPalette: Indices(pixels); break;
        default: Rgb(pixels, y); break;
        }
    }

    void Indices(const TRGBPixel* pixels)
    {
        indices_.resize(size_t(width_));
        for (int32_t x = 0; x < width_; ++x)
            indices_[size_t(x)] = uint32_t(options_.Quantizer->GetValidPaletteIndex(pixels[x]));
        if (options_.Bits == 8) {
            std::copy(indices_.begin(), indices_.end(), row_.begin());
        } else if (options_.Bits == 16) {
            for (int32_t x = 0; x < width_; ++x)
                PutWord(&row_[size_t(x) * 2], uint16_t(indices_[size_t(x)] * 257));
        } else {
            PackSamples(indices_, options_.Bits, row_);
        }
    }

    void Rgb(const TRGBPixel* pixels, int32_t y)
    {
        const int32_t samples = options_.Alpha ? 4 : 3;
        const uint8_t* alpha = options_.Alpha ? bitmap_.GetAlphaChannel()->GetScanline(y) : nullptr;
        for (int32_t x = 0; x < width_; ++x) {
            uint8_t* out = &row_[size_t(x) * size_t(samples)];
            out[0] = pixels[x].r;
            out[1] = pixels[x].g;
            out[2] = pixels[x].b;
            if (alpha)
                out[3] = alpha[x];
        }
        if (options_.Predictor == 2)
            for (size_t i = row_.size(); i-- > size_t(samples);)
                row_[i] = uint8_t(row_[i] - row_[i - size_t(samples)]);
    }

    TQkBitmap& bitmap_;
    const TTiffWriteOptions& options_;
    TIOParamsVals& params_;
    int32_t width_;
    std::vector<uint8_t> row_;
    std::vector<uint32_t> indices_;
};

// The codec of one strip at a time.
class TStripEncoder {
public:
    TStripEncoder(TStream& stream, const TTiffWriteOptions& options, int32_t width, std::atomic<bool>& aborting)
        : stream_(stream), options_(options), width_(width), aborting_(aborting)
    {}

    void Begin()
    {
        fax_ = TFaxEncoderState();
        if (options_.Compression == tcDeflate)
            deflate_ = std::make_unique<TZCompressionStream>(stream_, DeflateLevelIndex());
    }

    void Encode(std::span<const uint8_t> row)
    {
        switch (options_.Compression) {
        case tcModifiedHuffman: FaxEncodeRowMH(row.data(), width_, stream_, options_.FillOrder, aborting_); break;
        case tcFaxT4: EncodeT4(row.data()); break;
        case tcFaxT6: FaxEncodeRowG4(row.data(), width_, stream_, options_.FillOrder, aborting_, fax_); break;
        case tcLzw: options_.Lzw(row.data(), int64_t(row.size()), stream_, lzw_, aborting_); break;
        case tcPackBits:
            packed_.clear();
            PackBitsEncodeRow(row, packed_);
            SafeStreamWrite(stream_, aborting_, packed_.data(), int64_t(packed_.size()));
            break;
        case tcDeflate: SafeStreamWrite(*deflate_, aborting_, row.data(), int64_t(row.size())); break;
        default: SafeStreamWrite(stream_, aborting_, row.data(), int64_t(row.size())); break;
        }
    }

    void End()
    {
        switch (options_.Compression) {
        case tcFaxT4: EncodeT4(nullptr); break;
        case tcFaxT6: FaxEncodeRowG4(nullptr, width_, stream_, options_.FillOrder, aborting_, fax_); break;
        case tcLzw: options_.Lzw(nullptr, 0, stream_, lzw_, aborting_); break;
        case tcDeflate:
            deflate_->Finish();
            deflate_.reset();
            break;
        default: break;
        }
    }

private:
    int DeflateLevelIndex() const
    {
        // Fastest, zlib's default, best; other settings take the default.
        return options_.DeflateLevel >= 0 && options_.DeflateLevel <= 2 ? options_.DeflateLevel + 1 : 2;
    }

    void EncodeT4(const uint8_t* row)
    {
        if (options_.TwoDimensional)
            FaxEncodeRowG3(row, width_, stream_, options_.FillOrder, aborting_, fax_);
        else
            FaxEncodeRow1D(row, width_, stream_, options_.FillOrder, aborting_, fax_);
    }

    TStream& stream_;
    const TTiffWriteOptions& options_;
    int32_t width_;
    std::atomic<bool>& aborting_;
    TFaxEncoderState fax_;
    TTiffLzwEncodeStatePtr lzw_;
    std::unique_ptr<TZCompressionStream> deflate_;
    std::vector<uint8_t> packed_;
};

bool SingleStrip(uint32_t compression) { return compression == tcAdobeDeflate || compression == tcDeflate; }

void AddStripTags(TTiffEntryWriter& entries, uint32_t rowsPerStrip, const std::vector<uint32_t>& offsets,
                  const std::vector<uint32_t>& counts)
{
    entries.AddLong(RowsPerStripTag, rowsPerStrip);
    entries.AddLongs(StripOffsetsTag, offsets);
    entries.AddLongs(StripByteCountsTag, counts);
}

void ReportRow(TQkFilterProgress& progress, int32_t y, int32_t height)
{
    if (progress.OnProgress)
        progress.OnProgress(progress.Sender, int32_t(int64_t(y) * 100 / height));
}

// A bitmap of the JPEG writer's liking: colour, gray or CMYK stay.
TQkBitmap& JpegSource(TQkBitmap& bitmap, std::unique_ptr<TQkBitmap>& copy)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (format == qk24RGB || format == qk8g || format == qkCMYK)
        return bitmap;
    copy = std::make_unique<TQkBitmap>();
    copy->Allocate(bitmap.GetWidth(), bitmap.GetHeight(), qk24RGB);
    copy->CopyAndConvertFormat(bitmap);
    return *copy;
}

bool WriteJpegStream(TStream& stream, TQkBitmap& bitmap, const TTiffWriteOptions& options, TQkFilterProgress& progress)
{
    TIOParamsVals jpegParams(nullptr);
    jpegParams.JpegQuality = options.JpegQuality;
    jpegParams.JpegColorSpace = options.JpegColorSpace;
    // libtiff assumes 2 x 2 chroma unless told otherwise.
    jpegParams.JpegChromaSubsampling = 1;
    std::unique_ptr<TQkBitmap> copy;
    try {
        WriteJpegImage(stream, JpegSource(bitmap, copy), jpegParams, progress);
    } catch (const EQkJpegException&) {
        SetAborting(progress);
    }
    return !IsAborting(progress);
}

void WriteJpegStrip(TTiffEntryWriter& entries, TQkBitmap& bitmap, const TTiffWriteOptions& options,
                    TQkFilterProgress& progress)
{
    const uint32_t start = entries.Align();
    if (!WriteJpegStream(entries.Stream(), bitmap, options, progress))
        return;
    const auto end = uint32_t(entries.Stream().Position() - entries.Base());
    AddStripTags(entries, uint32_t(bitmap.GetHeight()), {start}, {end - start});
}

} // namespace

int32_t TiffRowsPerStrip(int32_t height, int64_t rowLength)
{
    const int64_t strips = std::max<int64_t>(int64_t(height) * rowLength / StripBytes, 1);
    return int32_t(std::max<int64_t>(height / strips, 1));
}

void WriteTiffStrips(TTiffEntryWriter& entries, TQkBitmap& bitmap, TTiffWriteOptions& options, TIOParamsVals& params,
                     TQkFilterProgress& progress)
{
    if (options.Compression == tcJpeg) {
        WriteJpegStrip(entries, bitmap, options, progress);
        return;
    }
    TRowPreparer rows(bitmap, options, params);
    const int32_t height = bitmap.GetHeight();
    const int32_t rowsPerStrip =
        SingleStrip(options.Compression) ? height : TiffRowsPerStrip(height, rows.FileRowLength());
    TStripEncoder encoder(entries.Stream(), options, bitmap.GetWidth(), *progress.Aborting);
    std::vector<uint32_t> offsets;
    std::vector<uint32_t> counts;
    for (int32_t y = 0; y < height && !IsAborting(progress); y += rowsPerStrip) {
        const uint32_t start = entries.Align();
        encoder.Begin();
        const int32_t end = std::min(height, y + rowsPerStrip);
        for (int32_t row = y; row < end && !IsAborting(progress); ++row) {
            ReportRow(progress, row, height);
            encoder.Encode(rows.Prepare(row));
        }
        encoder.End();
        offsets.push_back(start);
        counts.push_back(uint32_t(entries.Stream().Position() - entries.Base()) - start);
    }
    if (!IsAborting(progress))
        AddStripTags(entries, uint32_t(rowsPerStrip), offsets, counts);
}

void WriteOldStyleJpeg(TTiffEntryWriter& entries, TQkBitmap& bitmap, const TTiffWriteOptions& options,
                       TQkFilterProgress& progress)
{
    TMemoryStream jpeg;
    if (!WriteJpegStream(jpeg, bitmap, options, progress))
        return;
    const auto* bytes = static_cast<const uint8_t*>(jpeg.Memory());
    const auto size = uint32_t(jpeg.Size());
    uint32_t scan = 0;
    while (scan + 1 < size && !(bytes[scan] == 0xFF && bytes[scan + 1] == 0xDA))
        ++scan;
    const uint32_t start = entries.Align();
    SafeStreamWrite(entries.Stream(), *progress.Aborting, bytes, size);
    entries.AddLong(JpegInterchangeFormatTag, start);
    entries.AddLong(JpegInterchangeFormatLengthTag, size);
    AddStripTags(entries, uint32_t(bitmap.GetHeight()), {start + scan}, {size - scan});
    entries.AddShort(JpegProcTag, 1);
    const uint16_t subsampling[] = {2, 2};
    entries.AddShorts(YCbCrSubSamplingTag, subsampling);
}
