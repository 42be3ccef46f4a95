// Pixel-format conversion of TQkBitmap: one converter from any format to
// any other, and the in-place conversion in every storage location.

#include "imaging/core/QkBilevel.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkPixelRows.h"
#include "imaging/core/QkQuantizer.h"

#include "platform/gfx/Bitmap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Rec. 709 weights of the 16-bit and float gray targets (the 8-bit gray
// target uses the library's gray weights instead).
constexpr int64_t WideRed = 212;
constexpr int64_t WideGreen = 713;
constexpr int64_t WideBlue = 75;
constexpr double FloatRed = 0.2126;
constexpr double FloatGreen = 0.7152;
constexpr double FloatBlue = 0.0722;

float ReadFloat(const uint8_t* p)
{
    float value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

void WriteFloat(uint8_t* p, double value)
{
    const auto stored = static_cast<float>(value);
    std::memcpy(p, &stored, sizeof stored);
}

bool IsWideFormat(TQkPixelFormat format) { return format == qk16g || format == qk32f || format == qkRGB48; }

// Pairs whose source is first turned into 24-bit RGB in place.
bool GoesThroughRGB(TQkPixelFormat source, TQkPixelFormat target, uint8_t bilevelMethod)
{
    if ((target == qkCMYK || target == qkCIELab) && source != qk24RGB)
        return true;
    if ((source == qkCMYK || source == qkCIELab || source == qk32RGB) && target != qk24RGB && target != qk32RGB)
        return true;
    return source == qkRGB48 && (target == qk8p || (target == qk1g && bilevelMethod == 1));
}

// One pixel of RGB written in a format that is not a palette, 1-bit or
// wide-to-wide one.
void EncodeRGB(const TRGBPixel& pixel, uint8_t* out, TQkPixelFormat target)
{
    switch (target) {
    case qk8g: *out = RGBPixelToGray(pixel); break;
    case qk16g:
        WriteLittleWord(out,
                        static_cast<uint16_t>(
                            (pixel.r * 257 * WideRed + pixel.g * 257 * WideGreen + pixel.b * 257 * WideBlue) / 1000));
        break;
    case qk24RGB: std::memcpy(out, &pixel, 3); break;
    case qk32f: WriteFloat(out, (pixel.r * FloatRed + pixel.g * FloatGreen + pixel.b * FloatBlue) / 255); break;
    case qkRGB48:
        WriteLittleWord(out, static_cast<uint16_t>(pixel.r * 257));
        WriteLittleWord(out + 2, static_cast<uint16_t>(pixel.g * 257));
        WriteLittleWord(out + 4, static_cast<uint16_t>(pixel.b * 257));
        break;
    case qk32RGB:
        std::memcpy(out, &pixel, 3);
        out[3] = 255;
        break;
    case qkCMYK:
    case qkCIELab: {
        TRGBPixel source = pixel;
        ConvertColorRow(&source, ckBGR, out, nullptr, 1, target == qkCMYK ? ckCMYK : ckCIELab);
        break;
    }
    case qkNone:
    case qk1g:
    case qk8p: break;
    }
}

// The pairs between the 16-bit, float and 48-bit formats, which keep more
// than 8 bits.
void ConvertWidePixel(const uint8_t* in, TQkPixelFormat source, uint8_t* out, TQkPixelFormat target)
{
    if (source == qk16g) {
        const uint16_t v = ReadLittleWord(in);
        if (target == qk32f)
            WriteFloat(out, v / 65535.0);
        else
            for (int channel = 0; channel < 3; ++channel)
                WriteLittleWord(out + channel * 2, v);
    } else if (source == qk32f) {
        const uint16_t v = FloatToWord(std::trunc(static_cast<double>(ReadFloat(in)) * 65535));
        for (int channel = 0; channel < (target == qkRGB48 ? 3 : 1); ++channel)
            WriteLittleWord(out + channel * 2, v);
    } else {
        const int64_t r = ReadLittleWord(in);
        const int64_t g = ReadLittleWord(in + 2);
        const int64_t b = ReadLittleWord(in + 4);
        if (target == qk16g)
            WriteLittleWord(out, static_cast<uint16_t>((r * WideRed + g * WideGreen + b * WideBlue) / 1000));
        else
            WriteFloat(out, (r * FloatRed / 256 + g * FloatGreen / 256 + b * FloatBlue / 256) / 255);
    }
}

// qk16g to 24-bit with a display range: values limited to the range, which
// is then stretched over 0..255.
uint8_t RangedGray(uint16_t v, double low, double high)
{
    const double clamped = std::clamp(static_cast<double>(v), std::trunc(low), std::trunc(high));
    return FloatToByte(std::trunc((clamped - std::trunc(low)) / (high - low) * 255));
}

void SetGrayRamp(TQkBitmap& bitmap)
{
    for (int32_t i = 0; i < 256; ++i)
        bitmap.SetPaletteColor(i,
                               MakeRGBPixel(static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)));
}

void ConvertToMono(TQkBitmap& source, TQkBitmap& target)
{
    switch (target.BilevelMethod()) {
    case 0: {
        const int32_t width = target.GetWidth();
        std::vector<TRGBPixel> row(static_cast<size_t>(width));
        for (int32_t y = 0; y < target.GetHeight(); ++y) {
            uint8_t* bits = target.GetScanline(y);
            if (!bits || !ReadRowAsRGB(source, y, row.data(), qkHighByte))
                continue;
            for (int32_t x = 0; x < width; ++x)
                SetBit(bits, x, DitherBit(DitherLevelOfRGB(row[x]), x, y));
        }
        break;
    }
    case 1: ConvertToBilevel(source, target, -1, nullptr); break;
    default: break;
    }
}

// Palette targets from a 1-bit or gray source: black and white, or the
// gray ramp, with the gray byte as the index.
void ConvertToGrayIndices(TQkBitmap& source, TQkBitmap& target)
{
    const bool mono = source.GetPixelFormat() == qk1g;
    if (mono) {
        target.SetPaletteColor(0, MakeRGBPixel(0, 0, 0));
        target.SetPaletteColor(1, MakeRGBPixel(255, 255, 255));
    } else {
        SetGrayRamp(target);
    }
    const int32_t width = target.GetWidth();
    std::vector<TRGBPixel> row(static_cast<size_t>(width));
    for (int32_t y = 0; y < target.GetHeight(); ++y) {
        uint8_t* indices = target.GetScanline(y);
        if (!indices || !ReadRowAsRGB(source, y, row.data(), qkHighByte))
            continue;
        for (int32_t x = 0; x < width; ++x)
            indices[x] = mono ? (row[x].r != 0 ? 1 : 0) : row[x].r;
    }
}

void ConvertRows(TQkBitmap& source, TQkBitmap& target)
{
    const TQkPixelFormat from = source.GetPixelFormat();
    const TQkPixelFormat to = target.GetPixelFormat();
    const int32_t width = target.GetWidth();
    const int32_t sourceBytes = QkBytesPerPixel(from);
    const int32_t targetBytes = QkBytesPerPixel(to);
    const bool wideToWide = IsWideFormat(from) && IsWideFormat(to);
    const bool ranged = from == qk16g && target.RangeMin() != target.RangeMax();
    std::vector<TRGBPixel> row(static_cast<size_t>(width));
    for (int32_t y = 0; y < target.GetHeight(); ++y) {
        uint8_t* out = target.GetScanline(y);
        if (!out || !ReadRowAsRGB(source, y, row.data(), qkHighByte))
            continue;
        const uint8_t* in = source.GetScanline(y);
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = out + static_cast<int64_t>(x) * targetBytes;
            if (wideToWide) {
                ConvertWidePixel(in + static_cast<int64_t>(x) * sourceBytes, from, pixel, to);
                continue;
            }
            if (ranged) {
                const uint8_t v = RangedGray(ReadLittleWord(in + x * 2), target.RangeMin(), target.RangeMax());
                row[x] = MakeRGBPixel(v, v, v);
            }
            EncodeRGB(row[x], pixel, to);
        }
    }
}

void CopyRows(TQkBitmap& source, TQkBitmap& target)
{
    const auto length = static_cast<size_t>(std::min(source.GetRowLen(), target.GetRowLen()));
    for (int32_t y = 0; y < target.GetHeight(); ++y) {
        const uint8_t* in = source.GetScanline(y);
        uint8_t* out = in ? target.GetScanline(y) : nullptr;
        if (out)
            std::memcpy(out, in, length);
    }
    source.CopyPaletteTo(&target);
}

// A palette of up to PaletteColors entries for a 24-bit source, and each
// pixel's index in it.
void ConvertByQuantizer(TQkBitmap& source, TQkBitmap& target)
{
    std::array<TRGBPixel, 256> palette{};
    const TQkQuantizer quantizer(source, target.PaletteColors(), palette);
    for (int32_t i = 0; i < static_cast<int32_t>(palette.size()); ++i)
        target.SetPaletteColor(i, palette[static_cast<size_t>(i)]);
    const int32_t width = target.GetWidth();
    for (int32_t y = 0; y < target.GetHeight(); ++y) {
        const auto* pixels = reinterpret_cast<const TRGBPixel*>(source.GetScanline(y));
        uint8_t* indices = pixels ? target.GetScanline(y) : nullptr;
        for (int32_t x = 0; indices && x < width; ++x)
            indices[x] = static_cast<uint8_t>(quantizer.GetValidPaletteIndex(pixels[x]));
    }
}

void ConvertPixels(TQkBitmap& source, TQkBitmap& target)
{
    const TQkPixelFormat from = source.GetPixelFormat();
    const TQkPixelFormat to = target.GetPixelFormat();
    if (from == qkNone)
        return;
    if (from == to)
        CopyRows(source, target);
    else if (to == qk1g)
        ConvertToMono(source, target);
    else if (to != qk8p)
        ConvertRows(source, target);
    else if (from != qk24RGB)
        ConvertToGrayIndices(source, target);
    else
        ConvertByQuantizer(source, target);
}

} // namespace

void TQkBitmap::CopyAndConvertFormat(TQkBitmap& source)
{
    if (source.GetWidth() != GetWidth() || source.GetHeight() != GetHeight() || FLocation == qkTBitmap)
        return;
    const TQkPixelFormat from = source.GetPixelFormat();
    if (from != qkNone && GoesThroughRGB(from, GetPixelFormat(), FBilevelMethod))
        source.ConvertToPixelFormat(qk24RGB);
    ConvertPixels(source, *this);
    if (source.HasAlphaChannel() && !source.IsAlphaChannel() && !IsAlphaChannel())
        GetAlphaChannel()->Assign(source.GetAlphaChannel());
    SyncPaletteToTBitmap();
}

bool TQkBitmap::SetPixelFormat(TQkPixelFormat format)
{
    return format == GetPixelFormat() || ConvertToPixelFormat(format);
}

bool TQkBitmap::ConvertToPixelFormat(TQkPixelFormat format)
{
    if (format == qkNone || static_cast<int>(format) >= QkPixelFormatCount)
        return false;
    if (FLocation == qkTBitmap) {
        // Pairs without a TBitmap road leave the store's own format.
        ConvertStoreFormat(format);
        return GetPixelFormat() == format;
    }
    if (IsEmpty()) {
        SetFormatFields(format);
        return true;
    }
    TQkBitmap old;
    TransferStorageTo(old);
    FWidth = old.FWidth;
    FHeight = old.FHeight;
    FPixelFormat = format;
    if (!AllocatePixels()) {
        // The image stays as it was rather than being lost.
        old.TransferStorageTo(*this);
        FDirty = false;
        return false;
    }
    FDirty = false;
    FIsAlphaChannel = old.FIsAlphaChannel;
    FAlphaChannel = std::move(old.FAlphaChannel);
    CopyAndConvertFormat(old);
    return true;
}

void TQkBitmap::ConvertStoreFormat(TQkPixelFormat format)
{
    if (FStore && !FStore->Empty()) {
        const TPixelFormat store = FStore->PixelFormat();
        if (store == pf1bit && format == qk24RGB) {
            const std::unique_ptr<TBitmap> mono = CloneTBitmap(*FStore);
            ExpandMonoTBitmapTo24(*mono, *FStore, nullptr);
        } else if (store == pf24bit && format == qk1g) {
            TQkBitmap wrapper;
            wrapper.EncapsulateTBitmap(FStore, false);
            if (FBilevelMethod == 0)
                DitherTo1Bit(wrapper, nullptr);
            else if (FBilevelMethod == 1)
                ThresholdTo1Bit(wrapper, -1, nullptr);
        } else if (store == pf24bit && format == qk8g) {
            TQkBitmap gray;
            gray.AssignImage(*this);
            gray.ConvertToPixelFormat(qk8g);
            AssignImage(gray);
        }
    } else if (FStore && (format == qk1g || format == qk24RGB)) {
        FStore->SetPixelFormat(format == qk1g ? pf1bit : pf24bit);
    }
    SetFormatFields(format);
    BuildRowPointerCache();
}
