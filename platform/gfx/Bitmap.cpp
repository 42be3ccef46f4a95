#include "platform/gfx/Bitmap.h"

#include "platform/core/Streams.h"
#include "platform/gfx/BmpCodec.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Larger pixel buffers than this are refused rather than attempted.
constexpr int64_t MaxBitmapBytes = int64_t{1} << 30;

} // namespace

int BitsPerPixel(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: return 15;
    case pf16bit: return 16;
    case pf32bit: return 32;
    default: return 24;
    }
}

TPixelFormat PixelFormatOfBits(int bits)
{
    switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 15: return pf15bit;
    case 16: return pf16bit;
    case 32: return pf32bit;
    default: return pf24bit;
    }
}

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int32_t width, int32_t height, TPixelFormat format)
{
    Reallocate(width, height, format == pfDevice ? pf24bit : format);
}

TBitmap::~TBitmap() = default;

TRasterSurface TBitmap::Surface() { return {FBits.data(), FStride, FWidth, FHeight, BitCount(), &FPalette}; }

int32_t TBitmap::CheckedStride(int32_t width, int32_t height, int bpp)
{
    if (width < 0 || height < 0)
        throw EInvalidGraphicOperation(Format("Invalid bitmap size %d x %d", width, height));
    const int64_t rowBytes = RowStride(width, bpp);
    if (rowBytes > MaxBitmapBytes || rowBytes * height > MaxBitmapBytes)
        throw EOutOfResources(
            Format("Out of system resources: a bitmap of %d x %d pixels is too large", width, height));
    return static_cast<int32_t>(rowBytes);
}

TPalette TBitmap::PaletteFor(int bpp) const
{
    if (bpp > 8)
        return TPalette();
    return BitCount() == bpp && FPalette.Count() ? FPalette : TPalette::ForBitCount(bpp);
}

void TBitmap::Reallocate(int32_t width, int32_t height, TPixelFormat format)
{
    const int bpp = BitsPerPixel(format);
    const int32_t stride = CheckedStride(width, height, bpp);
    TPalette palette = PaletteFor(bpp);
    TPixelBytes bits(static_cast<size_t>(stride) * static_cast<size_t>(height));
    TRasterSurface to{bits.data(), stride, width, height, bpp, &palette};
    // Each row is cleared (padding included) and whitened while in cache; a
    // store of width 0 has no rows to touch (and no block behind them).
    const uint32_t white = RgbToRaw(clWhite, bpp, &palette);
    for (int32_t y = 0; stride > 0 && y < height; ++y) {
        std::memset(to.Row(y), 0, static_cast<size_t>(stride));
        FillSpanRaw(to.Row(y), 0, width, bpp, white, R2_COPYPEN);
    }

    const TRasterSurface from = Surface();
    TRawConverter convert(from, to);
    const int32_t w = std::min(width, FWidth), h = std::min(height, FHeight);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* src = from.Row(y);
        uint8_t* dst = to.Row(y);
        if (from.Bpp == bpp && bpp >= 8 && *from.Palette == palette) {
            std::memcpy(dst, src, static_cast<size_t>(w) * static_cast<size_t>((bpp + 7) / 8));
            continue;
        }
        for (int32_t x = 0; x < w; ++x)
            WriteRaw(dst, x, bpp, convert(ReadRaw(src, x, from.Bpp)));
    }
    FBits = std::move(bits);
    FPalette = std::move(palette);
    FWidth = width;
    FHeight = height;
    FStride = stride;
    FFormat = format;
}

void TBitmap::ResizeBitsForOverwrite(size_t size)
{
    // Emptied first, so that growing copies nothing over.
    FBits.clear();
    try {
        FBits.resize(size);
    } catch (const std::bad_alloc&) {
        FWidth = 0;
        FHeight = 0;
        FStride = 0;
        throw;
    }
}

void TBitmap::ReshapeForOverwrite(int32_t width, int32_t height, TPixelFormat format)
{
    if (format == pfDevice)
        format = pf24bit;
    if (width == FWidth && height == FHeight && format == FFormat)
        return;
    const int bpp = BitsPerPixel(format);
    const int32_t stride = CheckedStride(width, height, bpp);
    TPalette palette = PaletteFor(bpp);
    ResizeBitsForOverwrite(static_cast<size_t>(stride) * static_cast<size_t>(height));
    FPalette = std::move(palette);
    FWidth = width;
    FHeight = height;
    FStride = stride;
    FFormat = format;
    const int storedBits = bpp == 15 ? 16 : bpp;
    const int64_t pixelBytes = (static_cast<int64_t>(width) * storedBits + 7) / 8;
    for (int32_t y = 0; y < height && pixelBytes < stride; ++y)
        std::memset(ScanLine(y) + pixelBytes, 0, static_cast<size_t>(stride - pixelBytes));
    Changed();
}

void TBitmap::SwapPixels(TBitmap& other)
{
    if (&other == this)
        return;
    std::swap(FWidth, other.FWidth);
    std::swap(FHeight, other.FHeight);
    std::swap(FFormat, other.FFormat);
    std::swap(FStride, other.FStride);
    FBits.swap(other.FBits);
    std::swap(FPalette, other.FPalette);
    Changed();
    other.Changed();
}

void TBitmap::SetWidth(int32_t value) { SetSize(value, FHeight); }

void TBitmap::SetHeight(int32_t value) { SetSize(FWidth, value); }

void TBitmap::SetSize(int32_t width, int32_t height)
{
    if (width == FWidth && height == FHeight)
        return;
    Reallocate(width, height, FFormat);
    Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat value)
{
    if (value == pfDevice)
        value = pf24bit;
    if (value == FFormat)
        return;
    Reallocate(FWidth, FHeight, value);
    Changed();
}

void TBitmap::SetMonochrome(bool value)
{
    if (value)
        SetPixelFormat(pf1bit);
    else if (FFormat == pf1bit)
        SetPixelFormat(pf24bit);
}

uint8_t* TBitmap::ScanLine(int32_t y)
{
    if (y < 0 || y >= FHeight)
        throw EInvalidGraphicOperation("Scan line index out of range");
    return FBits.data() + static_cast<size_t>(FHeight - 1 - y) * FStride;
}

const uint8_t* TBitmap::ScanLine(int32_t y) const { return const_cast<TBitmap*>(this)->ScanLine(y); }

void TBitmap::SetPalette(const TPalette& palette)
{
    if (BitCount() > 8 || palette == FPalette)
        return;
    FPalette = palette;
    Changed();
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault)
        return FTransparentColor;
    if (Empty())
        return clDefault;
    const int bpp = BitsPerPixel(FFormat);
    return RawToRgb(ReadRaw(ScanLine(FHeight - 1), 0, bpp), bpp, &FPalette);
}

void TBitmap::SetTransparentColor(TColor value)
{
    if (value == FTransparentColor)
        return;
    FTransparentColor = value;
    FTransparentMode = value == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode value)
{
    if (value == FTransparentMode)
        return;
    if (value == tmAuto)
        FTransparentColor = clDefault;
    FTransparentMode = value;
    Changed();
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas)
        FCanvas = std::make_unique<TCanvas>(this);
    return FCanvas.get();
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect)
{
    if (Empty())
        return;
    if (Transparent()) {
        canvas.TransparentBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), Canvas(), 0, 0, FWidth, FHeight,
                              TransparentColor());
        return;
    }
    // Colour pictures stretch by dropping or repeating whole pixels.
    const TStretchMode mode = canvas.StretchMode();
    if (!Monochrome())
        canvas.SetStretchMode(COLORONCOLOR);
    canvas.StretchBlt(rect.Left, rect.Top, rect.Width(), rect.Height(), Canvas(), 0, 0, FWidth, FHeight,
                      canvas.CopyMode());
    canvas.SetStretchMode(mode);
}

void TBitmap::Assign(const TPersistent* source)
{
    if (!source) {
        FreeImage();
        return;
    }
    const auto* other = dynamic_cast<const TBitmap*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    FWidth = other->FWidth;
    FHeight = other->FHeight;
    FFormat = other->FFormat;
    FStride = other->FStride;
    // One block copy into the memory already held when it is large enough.
    ResizeBitsForOverwrite(other->FBits.size());
    if (!FBits.empty())
        std::memcpy(FBits.data(), other->FBits.data(), FBits.size());
    FPalette = other->FPalette;
    FTransparentColor = other->FTransparentColor;
    FTransparentMode = other->FTransparentMode;
    SetTransparent(other->Transparent());
    Changed();
}

std::unique_ptr<TGraphic> TBitmap::Clone() const
{
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(this);
    copy->SetModified(false);
    return copy;
}

void TBitmap::FreeImage()
{
    if (Empty() && FBits.empty())
        return;
    Reallocate(0, 0, FFormat);
    Changed();
}

void TBitmap::LoadFromStream(TStream& stream)
{
    ReadBmp(stream, *this);
    Changed();
}

void TBitmap::SaveToStream(TStream& stream) const { WriteBmp(stream, *this); }

void TBitmap::ReadData(TStream& stream)
{
    uint8_t sizeBytes[4];
    stream.ReadBuffer(sizeBytes, sizeof sizeBytes);
    const int64_t size = sizeBytes[0] | sizeBytes[1] << 8 | sizeBytes[2] << 16 | int64_t{sizeBytes[3]} << 24;
    // The count comes from the resource: it may promise more than there is.
    if (size > stream.Size() - stream.Position())
        throw EReadError("Stream read error");
    TMemoryStream file;
    file.SetSize(size);
    stream.ReadBuffer(file.Memory(), size);
    LoadFromStream(file);
}

void TBitmap::LoadFromClipboardFormat(TClipFormat format, const std::vector<uint8_t>& data)
{
    if (format != CF_BITMAP)
        return TGraphic::LoadFromClipboardFormat(format, data); // refuses it
    TMemoryStream file;
    file.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    file.SetPosition(0);
    LoadFromStream(file);
}

void TBitmap::SaveToClipboardFormat(TClipFormat& format, std::vector<uint8_t>& data)
{
    TMemoryStream file;
    SaveToStream(file);
    const auto* bytes = static_cast<const uint8_t*>(file.Memory());
    data.assign(bytes, bytes + file.Size());
    format = CF_BITMAP;
}

void TBitmap::WriteData(TStream& stream) const
{
    TMemoryStream file;
    SaveToStream(file);
    const auto size = static_cast<uint32_t>(file.Size());
    const uint8_t sizeBytes[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                                  static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    stream.WriteBuffer(sizeBytes, sizeof sizeBytes);
    stream.WriteBuffer(file.Memory(), file.Size());
}
