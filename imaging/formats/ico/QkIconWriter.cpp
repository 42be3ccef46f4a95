#include <algorithm>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBits.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkResample.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/bmp/QkBmpBytes.h"
#include "imaging/formats/bmp/QkBmpIndexes.h"
#include "imaging/formats/ico/QkIco.h"
#include "imaging/formats/ico/QkIcoFormat.h"
#include "platform/core/Streams.h"

namespace {

constexpr int32_t LargestSide = 256;

struct TIconRequest {
    TQkIcoSize Size;
    int32_t BitCount = 0;
};

struct TIconWritten {
    TQkIcoSize Size;
    int32_t Bits = 0;
    int64_t Offset = 0;
    int64_t Length = 0;
};

// The leading sizes of a positive width with their bit counts; empty when
// one of them cannot be stored.
std::vector<TIconRequest> RequestedIcons(const TIOParamsVals& params)
{
    std::vector<TIconRequest> icons;
    for (size_t i = 0; i < IcoImageSlots && params.IcoSizes[i].Width > 0; ++i) {
        const TQkIcoSize size = params.IcoSizes[i];
        if (size.Width > LargestSide || size.Height < 1 || size.Height > LargestSide)
            return {};
        icons.push_back(TIconRequest{size, params.IcoBitCount[i]});
    }
    return icons;
}

// The stored depth of an entry's bit count: 0 takes the parameters'.
int32_t StoredBits(int32_t bitCount, const TIOParamsVals& params)
{
    int32_t samples = 3;
    int32_t bitsPerSample = 8;
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        samples = 1;
        bitsPerSample = bitCount;
        break;
    case 32: samples = 4; break;
    case 0:
        samples = params.SamplesPerPixel;
        bitsPerSample = params.BitsPerSample;
        break;
    default: break;
    }
    if (samples == 3 && bitsPerSample == 8)
        return 24;
    if (samples == 4 && bitsPerSample == 8)
        return 32;
    if (samples == 1 && (bitsPerSample == 1 || bitsPerSample == 4))
        return bitsPerSample;
    return 8;
}

class TIconWriter {
public:
    TIconWriter(TQkWriteRequest& request, std::atomic<bool>& aborting)
        : request_(request), params_(request.Params), aborting_(aborting)
    {}

    void Run(const std::vector<TIconRequest>& icons)
    {
        TStream& stream = request_.Stream;
        start_ = stream.Position();
        WriteHeader(int32_t(icons.size()));
        Write(std::vector<uint8_t>(icons.size() * IcoEntrySize, 0));
        params_.FreeColorMap();
        if (request_.Bitmap.GetPixelFormat() != qk24RGB)
            params_.BitsPerSample = params_.SamplesPerPixel = 1;
        TQkRowProgress progress(request_.Progress, int32_t(icons.size()));
        for (size_t i = 0; i < icons.size() && !aborting_; ++i) {
            progress.Report(int32_t(i));
            if (!aborting_)
                WriteIcon(icons[i]);
        }
        WriteDirectory();
    }

private:
    void Write(std::span<const uint8_t> bytes)
    {
        SafeStreamWrite(request_.Stream, aborting_, bytes.data(), int64_t(bytes.size()));
    }

    void WriteHeader(int32_t count)
    {
        std::vector<uint8_t> out;
        PutLe16(out, 0);
        PutLe16(out, IcoTypeIcon);
        PutLe16(out, uint32_t(count));
        Write(out);
    }

    // The bitmap at the entry's size and in a pixel format that suits its
    // depth.
    std::unique_ptr<TQkBitmap> Scaled(const TQkIcoSize& size, int32_t bits)
    {
        TQkBitmap& source = request_.Bitmap;
        auto image = std::make_unique<TQkBitmap>();
        if (source.GetWidth() == size.Width && source.GetHeight() == size.Height) {
            image->Assign(&source);
        } else {
            image->Allocate(size.Width, size.Height, source.GetPixelFormat());
            if (source.HasAlphaChannel())
                image->GetAlphaChannel();
            const bool mono = source.GetPixelFormat() == qk1g;
            ResampleBitmap(source, *image, mono ? rfNone : rfFastLinear, nullptr, TQkProgressEvent());
        }
        const TQkPixelFormat wanted = bits == 1 ? qk1g : qk24RGB;
        if (image->GetPixelFormat() != wanted)
            image->SetPixelFormat(wanted);
        return image;
    }

    void WriteIcon(const TIconRequest& icon)
    {
        const int32_t bits = StoredBits(icon.BitCount, params_);
        const std::unique_ptr<TQkBitmap> image = Scaled(icon.Size, bits);
        const int64_t offset = request_.Stream.Position();
        const int32_t width = image->GetWidth();
        const int32_t height = image->GetHeight();
        const int64_t xorLength = IcoXorRowLength(width, bits);
        WriteInfoHeader(width, height, bits, height * (xorLength + IcoAndRowLength(width)));
        switch (bits) {
        case 1: WriteBilevel(*image, xorLength); break;
        case 24: WriteRgb(*image, xorLength); break;
        case 32: WriteRgba(*image); break;
        default: WriteIndexed(*image, bits, xorLength); break;
        }
        WriteAndRows(*image);
        written_.push_back(TIconWritten{icon.Size, bits, offset, request_.Stream.Position() - offset});
    }

    void WriteInfoHeader(int32_t width, int32_t height, int32_t bits, int64_t imageSize)
    {
        std::vector<uint8_t> out;
        PutLe32(out, uint32_t(IcoInfoHeaderSize));
        PutLe32(out, uint32_t(width));
        PutLe32(out, uint32_t(height) * 2);
        PutLe16(out, 1);
        PutLe16(out, uint32_t(bits));
        PutLe32(out, 0);
        PutLe32(out, uint32_t(imageSize));
        PutLe32(out, uint32_t(PixelsPerMetreOfDpi(params_.DpiX)));
        PutLe32(out, uint32_t(PixelsPerMetreOfDpi(params_.DpiY)));
        PutLe32(out, 0);
        PutLe32(out, 0);
        Write(out);
    }

    template <typename TFill>
    void WriteRows(TQkBitmap& image, int64_t rowLength, TFill fill)
    {
        std::vector<uint8_t> row(static_cast<size_t>(rowLength));
        for (int32_t y = image.GetHeight() - 1; y >= 0 && !aborting_; --y) {
            std::fill(row.begin(), row.end(), 0);
            fill(row.data(), y);
            Write(row);
        }
    }

    void WriteBilevel(TQkBitmap& image, int64_t rowLength)
    {
        const uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
        Write(palette);
        const size_t bytes = size_t(image.GetWidth() + 7) / 8;
        WriteRows(image, rowLength, [&](uint8_t* row, int32_t y) { std::memcpy(row, image.GetScanline(y), bytes); });
    }

    void WriteRgb(TQkBitmap& image, int64_t rowLength)
    {
        const size_t bytes = size_t(image.GetWidth()) * 3;
        WriteRows(image, rowLength, [&](uint8_t* row, int32_t y) { std::memcpy(row, image.GetScanline(y), bytes); });
    }

    void WriteRgba(TQkBitmap& image)
    {
        const int32_t width = image.GetWidth();
        const bool alpha = image.HasAlphaChannel();
        WriteRows(image, int64_t(width) * 4, [&](uint8_t* row, int32_t y) {
            const uint8_t* line = image.GetScanline(y);
            for (int32_t x = 0; x < width; ++x) {
                std::memcpy(row + 4 * x, line + 3 * x, 3);
                row[4 * x + 3] = alpha ? image.GetAlpha(x, y) : 255;
            }
        });
    }

    // Entry 0 is black and marks transparent pixels; the quantized colours
    // follow it.
    void WriteIndexed(TQkBitmap& image, int32_t bits, int64_t rowLength)
    {
        params_.FreeColorMap();
        params_.ColorMapCount = 1 << bits;
        params_.ColorMap.assign(size_t(params_.ColorMapCount), TRGBPixel{});
        TQkBmpIndexRows indexes(image, std::span<TRGBPixel>(params_.ColorMap).subspan(1));
        std::vector<uint8_t> palette(params_.ColorMap.size() * 4, 0);
        for (size_t i = 0; i < params_.ColorMap.size(); ++i)
            std::memcpy(palette.data() + 4 * i, &params_.ColorMap[i], 3);
        Write(palette);
        const bool alpha = image.HasAlphaChannel();
        WriteRows(image, rowLength, [&](uint8_t* row, int32_t y) {
            const std::span<const uint8_t> line = indexes.Row(y);
            for (size_t x = 0; x < line.size(); ++x) {
                const bool transparent = alpha && image.GetAlpha(int32_t(x), y) < 255;
                const uint8_t index = transparent ? 0 : uint8_t(line[x] + 1);
                row[bits == 8 ? x : x / 2] |= bits == 8 ? index : uint8_t(index << (x % 2 ? 0 : 4));
            }
        });
    }

    void WriteAndRows(TQkBitmap& image)
    {
        const bool alpha = image.HasAlphaChannel();
        WriteRows(image, IcoAndRowLength(image.GetWidth()), [&](uint8_t* row, int32_t y) {
            for (int32_t x = 0; alpha && x < image.GetWidth(); ++x)
                SetBitMSB(row, x, image.GetAlpha(x, y) != 255);
        });
    }

    // Entries for the images written; the count follows them.
    void WriteDirectory()
    {
        TStream& stream = request_.Stream;
        const int64_t end = stream.Position();
        stream.SetPosition(start_);
        WriteHeader(int32_t(written_.size()));
        std::vector<uint8_t> out;
        for (const TIconWritten& icon : written_) {
            TQkIcoEntry entry;
            entry.Width = icon.Size.Width & 0xFF;
            entry.Height = icon.Size.Height & 0xFF;
            const bool direct = icon.Bits > 8;
            entry.ColourCount = direct ? 0 : std::min(1 << icon.Bits, 255);
            entry.Field1 = direct ? 1 : 0;
            entry.Field2 = uint16_t(direct ? icon.Bits : 0);
            entry.ByteCount = uint32_t(icon.Length);
            entry.Offset = uint32_t(icon.Offset - start_);
            PutIcoEntry(out, entry);
        }
        Write(out);
        stream.SetPosition(end);
    }

    TQkWriteRequest& request_;
    TIOParamsVals& params_;
    std::atomic<bool>& aborting_;
    int64_t start_ = 0;
    std::vector<TIconWritten> written_;
};

} // namespace

void WriteIconImage(TQkWriteRequest& request)
{
    std::atomic<bool> localAborting = false;
    std::atomic<bool>& aborting = AbortingFlag(request.Progress, localAborting);
    const std::vector<TIconRequest> icons = RequestedIcons(request.Params);
    if (icons.empty()) {
        aborting = true;
        return;
    }
    TIconWriter(request, aborting).Run(icons);
}
