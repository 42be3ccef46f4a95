#include "imaging/formats/ico/QkIcoPixels.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBits.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkMask.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/bmp/QkBmpBytes.h"
#include "imaging/formats/ico/QkIcoFormat.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

bool IsWhite(const TRGBPixel& colour) { return colour.r == 255 && colour.g == 255 && colour.b == 255; }

// The colour rows and AND rows of one image, bottom row first in the file.
class TIcoPixelReader {
public:
    TIcoPixelReader(TQkReadRequest& request, const TQkIcoLayout& layout, TQkMask* mask)
        : stream_(request.Stream), bitmap_(request.Bitmap), palette_(request.Params.ColorMap), layout_(layout),
          mask_(mask), xorLength_(IcoXorRowLength(layout.Width, layout.Bits)), andLength_(IcoAndRowLength(layout.Width))
    {}

    void Run()
    {
        std::vector<uint8_t> colours(size_t(xorLength_ * layout_.Height));
        ReadZeroFilled(stream_, colours.data(), int64_t(colours.size()));
        bool allAlphaZero = true;
        for (int32_t k = 0; k < layout_.Height; ++k) {
            const uint8_t* row = colours.data() + size_t(k) * size_t(xorLength_);
            const int32_t y = layout_.Height - 1 - k;
            if (layout_.Bits == 32)
                allAlphaZero &= Store32(row, y);
            else
                StoreColours(row, y);
        }
        // 32-bit images take the AND rows only when their alpha says nothing.
        if (layout_.Bits == 32 && !allAlphaZero)
            return;
        // Without AND rows such a 32-bit image is opaque rather than invisible.
        if (!ApplyAndRows() && layout_.Bits == 32 && mask_)
            mask_->Fill(255);
    }

private:
    void StoreColours(const uint8_t* row, int32_t y)
    {
        uint8_t* line = bitmap_.GetScanline(y);
        switch (layout_.Bits) {
        case 1: std::memcpy(line, row, size_t(std::min<int64_t>(xorLength_, bitmap_.GetRowLen()))); break;
        case 24: std::memcpy(line, row, size_t(layout_.Width) * 3); break;
        default:
            ExpandIndexRow(row, layout_.Bits, layout_.Width, palette_, bitmap_.GetPixelFormat() == qk8p, line);
            break;
        }
    }

    // True when every alpha byte of the row is 0.
    bool Store32(const uint8_t* row, int32_t y)
    {
        uint8_t* line = bitmap_.GetScanline(y);
        uint8_t* alpha = mask_ ? mask_->GetScanline(y) : nullptr;
        bool allZero = true;
        for (int32_t x = 0; x < layout_.Width; ++x) {
            std::memcpy(line + 3 * x, row + 4 * x, 3);
            allZero &= row[4 * x + 3] == 0;
            if (alpha != nullptr)
                alpha[x] = row[4 * x + 3];
        }
        return allZero;
    }

    // A set AND bit flags a transparent pixel. A stream too short for the
    // whole mask leaves it alone (false).
    bool ApplyAndRows()
    {
        const int64_t length = andLength_ * layout_.Height;
        if (stream_.Size() - stream_.Position() < length)
            return false;
        std::vector<uint8_t> bits(static_cast<size_t>(length));
        stream_.Read(bits.data(), length);
        for (int32_t k = 0; k < layout_.Height; ++k) {
            const uint8_t* row = bits.data() + size_t(k) * size_t(andLength_);
            const int32_t y = layout_.Height - 1 - k;
            for (int32_t x = 0; x < layout_.Width; ++x)
                if (GetBitMSB(row, x))
                    MarkTransparent(x, y);
                else if (mask_ && layout_.Bits == 32)
                    mask_->GetScanline(y)[x] = 255;
        }
        return true;
    }

    void MarkTransparent(int32_t x, int32_t y)
    {
        if (mask_)
            mask_->GetScanline(y)[x] = 0;
        uint8_t* line = bitmap_.GetScanline(y);
        switch (bitmap_.GetPixelFormat()) {
        case qk1g:
            // Transparent pixels show the background: white on white, black
            // otherwise; screen-inverting pixels the opposite.
            SetBitMSB(line, x, GetBitMSB(line, x) != IsWhite(layout_.Background));
            break;
        case qk24RGB:
            if (layout_.Bits == 4 || layout_.Bits == 8)
                std::memcpy(line + 3 * x, &layout_.Background, 3);
            break;
        default: break;
        }
    }

    TStream& stream_;
    TQkBitmap& bitmap_;
    const std::vector<TRGBPixel>& palette_;
    const TQkIcoLayout& layout_;
    TQkMask* mask_;
    int64_t xorLength_;
    int64_t andLength_;
};

bool HasPixels(int32_t bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 24 || bits == 32; }

bool AllocateBitmap(TQkReadRequest& request, const TQkIcoLayout& layout)
{
    TQkBitmap& bitmap = request.Bitmap;
    if (!bitmap.Allocate(layout.Width, layout.Height, layout.Format))
        return false;
    bitmap.Fill(0);
    if (layout.Format == qk8p) {
        const std::vector<TRGBPixel>& palette = request.Params.ColorMap;
        for (size_t i = 0; i < std::min<size_t>(palette.size(), 256); ++i)
            bitmap.SetPaletteColor(int32_t(i), palette[i]);
        bitmap.SetPaletteColors(1 << layout.Bits);
    }
    return true;
}

} // namespace

TQkIcoInfoHeader ReadIcoInfoHeader(TStream& stream)
{
    uint8_t bytes[IcoInfoHeaderSize];
    ReadZeroFilled(stream, bytes, IcoInfoHeaderSize);
    TQkIcoInfoHeader header;
    if (std::memcmp(bytes, PngSignature, sizeof PngSignature) == 0) {
        stream.Seek(-IcoInfoHeaderSize, soCurrent);
        header.Png = true;
        return header;
    }
    header.Width = int32_t(GetLe32(bytes + 4));
    header.Height = int32_t(GetLe32(bytes + 8));
    header.BitCount = GetLe16(bytes + 14);
    header.PixelsPerMetreX = int32_t(GetLe32(bytes + 24));
    header.PixelsPerMetreY = int32_t(GetLe32(bytes + 28));
    return header;
}

void SetIcoDpi(TIOParamsVals& params, const TQkIcoInfoHeader& header)
{
    params.SetDpiX(DpiOfPixelsPerMetre(header.PixelsPerMetreX, DefaultDpiX));
    params.SetDpiY(DpiOfPixelsPerMetre(header.PixelsPerMetreY, DefaultDpiY));
}

void ReadIcoBody(TQkReadRequest& request, const TQkIcoLayout& layout)
{
    TIOParamsVals& params = request.Params;
    if (layout.Width <= 0 || layout.Height <= 0 || !WithinDecodeLimit(layout.Width, layout.Height)) {
        SetAborting(request.Progress);
        return;
    }
    if (layout.PaletteCount >= 0) {
        params.FreeColorMap();
        ReadPaletteEntries(request.Stream, params, layout.PaletteCount, 4);
    }
    params.Width = params.StoredWidth = layout.Width;
    params.Height = params.StoredHeight = layout.Height;
    if (request.ParamsOnly)
        return;
    if (!HasPixels(layout.Bits) || !AllocateBitmap(request, layout)) {
        SetAborting(request.Progress);
        return;
    }
    if (!request.IgnoreAlpha) {
        if (!request.AlphaMask)
            request.AlphaMask = std::make_unique<TQkMask>();
        request.AlphaMask->AllocateBits(layout.Width, layout.Height, 8);
        request.AlphaMask->Fill(255);
        request.AlphaMask->SetFull(false);
    }
    TIcoPixelReader(request, layout, request.IgnoreAlpha ? nullptr : request.AlphaMask.get()).Run();
    if (request.IgnoreAlpha || !request.AlphaMask)
        return;
    request.AlphaMask->UpdateFullFlag();
    if (layout.DropOpaqueMask && request.AlphaMask->Full())
        request.AlphaMask.reset();
}
