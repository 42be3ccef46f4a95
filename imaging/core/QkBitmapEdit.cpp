// Pixel access, fills, canvas size changes and rectangle copies.

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkDibbitmap.h"

#include "platform/gfx/Bitmap.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace {

// One pixel of a fill colour in a format's memory layout.
struct TFillPixel {
    std::array<uint8_t, 8> Bytes{};
    int32_t Size = 0;
    bool White = false;
};

void PutWord(uint8_t* at, uint16_t value)
{
    at[0] = static_cast<uint8_t>(value & 0xFF);
    at[1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetWord(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

// The colour formats take the value as a TColor.
TFillPixel ColourFillPixel(TQkPixelFormat format, int64_t value)
{
    const TRGBPixel rgb = ColorToRGBPixel(static_cast<TColor>(value));
    TFillPixel pixel;
    pixel.White = rgb.r == 255 && rgb.g == 255 && rgb.b == 255;
    switch (format) {
    case qk24RGB:
    case qk32RGB:
        pixel.Bytes = {rgb.b, rgb.g, rgb.r};
        pixel.Size = 3;
        break;
    case qkCMYK: {
        const TCMYKPixel cmyk = RgbToCmyk((uint32_t(rgb.r) << 16) | (uint32_t(rgb.g) << 8) | rgb.b);
        std::memcpy(pixel.Bytes.data(), &cmyk, 4);
        pixel.Size = 4;
        break;
    }
    case qkRGB48:
        PutWord(&pixel.Bytes[0], static_cast<uint16_t>(rgb.r * 257));
        PutWord(&pixel.Bytes[2], static_cast<uint16_t>(rgb.g * 257));
        PutWord(&pixel.Bytes[4], static_cast<uint16_t>(rgb.b * 257));
        pixel.Size = 6;
        break;
    case qkCIELab: {
        TCIELabPixel lab{};
        RgbToCieLab(lab, rgb);
        std::memcpy(pixel.Bytes.data(), &lab, 3);
        pixel.Size = 3;
        break;
    }
    default: break;
    }
    return pixel;
}

// The pixel a fill writes; qk32f takes the value itself only when `exact`.
TFillPixel MakeFillPixel(TQkPixelFormat format, double value, bool exact)
{
    const int64_t whole = Trunc(value);
    TFillPixel pixel;
    switch (format) {
    case qk8p:
    case qk8g:
        pixel.Bytes[0] = static_cast<uint8_t>(whole);
        pixel.Size = 1;
        pixel.White = whole == 255;
        return pixel;
    case qk16g:
        PutWord(pixel.Bytes.data(), static_cast<uint16_t>(whole));
        pixel.Size = 2;
        pixel.White = whole == 65535;
        return pixel;
    case qk32f: {
        const float f = exact ? static_cast<float>(value) : static_cast<float>(whole);
        std::memcpy(pixel.Bytes.data(), &f, 4);
        pixel.Size = 4;
        pixel.White = f == 1.0f;
        return pixel;
    }
    default: return ColourFillPixel(format, whole);
    }
}

// The rectangle CopyRectTo and MergeAlphaRectTo work on, clipped to both
// bitmaps; empty when nothing is left.
struct TCopyRect {
    int32_t SourceX, SourceY, DestinationX, DestinationY, Width, Height;
};

TCopyRect ClipCopyRect(int32_t sourceWidth, int32_t sourceHeight, int32_t destinationWidth, int32_t destinationHeight,
                       int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t width, int32_t height)
{
    TCopyRect r{};
    r.DestinationX = dx < 0 ? 0 : std::min(dx, destinationWidth - 1);
    r.DestinationY = dy < 0 ? 0 : std::min(dy, destinationHeight - 1);
    r.SourceX = std::min(std::max(sx + (dx < 0 ? -dx : 0), 0), sourceWidth - 1);
    r.SourceY = std::min(std::max(sy + (dy < 0 ? -dy : 0), 0), sourceHeight - 1);
    r.Width = dx < 0 ? width + dx : width;
    r.Height = dy < 0 ? height + dy : height;
    r.Width = std::min({r.Width, sourceWidth - r.SourceX, destinationWidth - r.DestinationX});
    r.Height = std::min({r.Height, sourceHeight - r.SourceY, destinationHeight - r.DestinationY});
    return r;
}

} // namespace

// ---- Pixel access ----

uint8_t TQkBitmap::GetPixel8(int32_t x, int32_t y) { return GetScanline(y)[x]; }

void TQkBitmap::SetPixel8(int32_t x, int32_t y, uint8_t value)
{
    GetScanline(y)[x] = value;
    if (value != 255)
        FFull = false;
}

uint16_t TQkBitmap::GetPixel16(int32_t x, int32_t y) { return GetWord(PixelAddress(x, y, 2)); }

void TQkBitmap::SetPixel16(int32_t x, int32_t y, uint16_t value)
{
    PutWord(PixelAddress(x, y, 2), value);
    if (value != 65535)
        FFull = false;
}

float TQkBitmap::GetPixel32f(int32_t x, int32_t y)
{
    float value;
    std::memcpy(&value, PixelAddress(x, y, 4), 4);
    return value;
}

void TQkBitmap::SetPixel32f(int32_t x, int32_t y, float value)
{
    std::memcpy(PixelAddress(x, y, 4), &value, 4);
    if (value < 1.0f)
        FFull = false;
}

uint32_t TQkBitmap::GetPixelCMYK(int32_t x, int32_t y)
{
    uint32_t value;
    std::memcpy(&value, PixelAddress(x, y, 4), 4);
    return value;
}

void TQkBitmap::SetPixelCMYK(int32_t x, int32_t y, uint32_t value) { std::memcpy(PixelAddress(x, y, 4), &value, 4); }

TRGBPixel TQkBitmap::GetPixel24(int32_t x, int32_t y)
{
    TRGBPixel value{};
    std::memcpy(&value, PixelAddress(x, y, 3), 3);
    return value;
}

void TQkBitmap::SetPixel24(int32_t x, int32_t y, const TRGBPixel& value)
{
    std::memcpy(PixelAddress(x, y, 3), &value, 3);
}

TRGB48Pixel TQkBitmap::GetPixel48(int32_t x, int32_t y)
{
    const uint8_t* at = PixelAddress(x, y, 6);
    return {GetWord(at), GetWord(at + 2), GetWord(at + 4)};
}

void TQkBitmap::SetPixel48(int32_t x, int32_t y, const TRGB48Pixel& value)
{
    uint8_t* at = PixelAddress(x, y, 6);
    PutWord(at, value.r);
    PutWord(at + 2, value.g);
    PutWord(at + 4, value.b);
    if (value.r != 65535 || value.g != 65535 || value.b != 65535)
        FFull = false;
}

TRGBPixel* TQkBitmap::GetRGBPixelAddress(int32_t x, int32_t y)
{
    return reinterpret_cast<TRGBPixel*>(PixelAddress(x, y, 3));
}

TRGBPixel TQkBitmap::GetPixelRGB(int32_t x, int32_t y)
{
    auto gray = [](uint8_t v) {
        TRGBPixel pixel{};
        pixel.r = pixel.g = pixel.b = v;
        return pixel;
    };
    switch (FPixelFormat) {
    case qk1g: return gray(GetBit(GetScanline(y), x) ? 255 : 0);
    case qk8p: {
        TRGBPixel pixel{};
        GetPaletteColor(GetPixel8(x, y), pixel);
        return pixel;
    }
    case qk8g: return gray(GetPixel8(x, y));
    case qk16g: return gray(static_cast<uint8_t>(GetPixel16(x, y) >> 8));
    case qk24RGB:
    case qk32RGB: {
        TRGBPixel pixel{};
        std::memcpy(&pixel, PixelAddress(x, y, QkBytesPerPixel(FPixelFormat)), 3);
        return pixel;
    }
    case qk32f: return gray(static_cast<uint8_t>(Trunc(GetPixel32f(x, y) * 255.0)));
    case qkCMYK: {
        TCMYKPixel cmyk{};
        std::memcpy(&cmyk, PixelAddress(x, y, 4), 4);
        TRGBPixel pixel{};
        CmykToRgb(cmyk, pixel);
        return pixel;
    }
    case qkRGB48: {
        const TRGB48Pixel wide = GetPixel48(x, y);
        TRGBPixel pixel{};
        pixel.r = static_cast<uint8_t>(wide.r >> 8);
        pixel.g = static_cast<uint8_t>(wide.g >> 8);
        pixel.b = static_cast<uint8_t>(wide.b >> 8);
        return pixel;
    }
    case qkCIELab: {
        TCIELabPixel lab{};
        std::memcpy(&lab, PixelAddress(x, y, 3), 3);
        TRGBPixel pixel{};
        CieLabToRgb(pixel, lab);
        return pixel;
    }
    case qkNone: break;
    }
    return TRGBPixel{};
}

// ---- Fills ----

void TQkBitmap::Fill(double value)
{
    if (IsEmpty())
        return;
    TQkAccessGuard writing(*this, qkaWrite);
    const int64_t whole = Trunc(value);
    std::vector<uint8_t> row(FRowLen, 0);
    if (FPixelFormat == qk1g || FPixelFormat == qk8p || FPixelFormat == qk8g) {
        const uint8_t byte = FPixelFormat == qk1g ? (whole != 0 ? 255 : 0) : static_cast<uint8_t>(whole);
        std::fill(row.begin(), row.end(), byte);
        FFull = FPixelFormat == qk1g ? whole != 0 : whole == 255;
    } else {
        const TFillPixel pixel = MakeFillPixel(FPixelFormat, value, true);
        const int32_t step = QkBytesPerPixel(FPixelFormat);
        for (int32_t x = 0; x < FWidth; ++x)
            std::memcpy(row.data() + static_cast<size_t>(x) * step, pixel.Bytes.data(), pixel.Size);
        FFull = pixel.White;
    }
    if (FPixelFormat == qk32RGB) {
        // The fourth bytes stay: the rows are read as well as written.
        TQkAccessGuard both(*this, qkaRead | qkaWrite);
        for (int32_t y = 0; y < FHeight; ++y) {
            uint8_t* to = GetScanline(y);
            for (int32_t x = 0; x < FWidth; ++x)
                std::memcpy(to + 4 * x, row.data() + 4 * x, 3);
        }
        return;
    }
    for (int32_t y = 0; y < FHeight; ++y)
        std::memcpy(GetScanline(y), row.data(), FRowLen);
}

void TQkBitmap::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double value)
{
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, FWidth - 1);
    y2 = std::min(y2, FHeight - 1);
    if (y2 < y1 || x2 < x1 || IsEmpty())
        return;
    const int64_t whole = Trunc(value);
    const TFillPixel pixel = MakeFillPixel(FPixelFormat, static_cast<double>(whole), false);
    const int32_t step = QkBytesPerPixel(FPixelFormat);
    for (int32_t y = y1; y <= y2; ++y) {
        uint8_t* row = GetScanline(y);
        for (int32_t x = x1; x <= x2; ++x) {
            if (FPixelFormat == qk1g)
                SetBit(row, x, whole != 0);
            else
                std::memcpy(row + static_cast<size_t>(x) * step, pixel.Bytes.data(), pixel.Size);
        }
    }
}

// ---- Canvas size ----

void TQkBitmap::ChangeSize(int32_t width, int32_t height)
{
    if (FAlphaChannel)
        FAlphaChannel->ChangeSize(width, height);
    if (FLocation == qkTBitmap) {
        if (!FStore) {
            FOwnedStore = std::make_unique<TBitmap>();
            FStore = FOwnedStore.get();
        }
        FStore->SetSize(std::max(width, 0), std::max(height, 0));
        FWidth = FStore->Width();
        FHeight = FStore->Height();
        SetFormatFields(FPixelFormat);
        BuildRowPointerCache();
        return;
    }
    if (FPixelFormat == qkNone || FHeight == 0 || FWidth == 0) {
        FWidth = width;
        FHeight = height;
        return;
    }
    TQkBitmap old;
    TransferStorageTo(old);
    Allocate(width, height, old.FPixelFormat);
    FPalette = old.FPalette;
    CopyRowsFrom(old);
    FAlphaChannel = std::move(old.FAlphaChannel);
    FFull = false;
}

void TQkBitmap::SetWidth(int32_t width)
{
    if (width != FWidth)
        ChangeSize(width, FHeight);
}

void TQkBitmap::SetHeight(int32_t height)
{
    if (height != FHeight)
        ChangeSize(FWidth, height);
}

void TQkBitmap::AlignBeforeShrink(int32_t newWidth, int32_t newHeight, double background, uint8_t horizontal,
                                  uint8_t vertical)
{
    const int32_t w = FWidth;
    const int32_t h = FHeight;
    if (newWidth < w) {
        const int32_t d = w - newWidth;
        if (horizontal == 1)
            MoveRect(d / 2, 0, newWidth + d / 2 - 1, h - 1, 0, 0, background, true);
        else if (horizontal == 2)
            MoveRect(d, 0, w - 1, h - 1, 0, 0, background, true);
    }
    if (newHeight < h) {
        const int32_t e = h - newHeight;
        if (vertical == 1)
            MoveRect(0, e / 2, w - 1, newHeight + e / 2 - 1, 0, 0, background, true);
        else if (vertical == 2)
            MoveRect(0, e, w - 1, h - 1, 0, 0, background, true);
    }
}

void TQkBitmap::AlignAfterGrow(int32_t oldWidth, int32_t oldHeight, double background, uint8_t horizontal,
                               uint8_t vertical)
{
    const int32_t w = FWidth;
    const int32_t h = FHeight;
    if (oldWidth < w) {
        FillRect(oldWidth, 0, w - 1, h - 1, background);
        if (horizontal == 1 || horizontal == 2) {
            const int32_t to = horizontal == 1 ? (w - oldWidth) / 2 : w - oldWidth;
            MoveRect(0, 0, oldWidth - 1, oldHeight - 1, to, 0, background, true);
        }
    }
    if (oldHeight < h) {
        FillRect(0, oldHeight, w - 1, h - 1, background);
        if (vertical == 1 || vertical == 2) {
            const int32_t to = vertical == 1 ? (h - oldHeight) / 2 : h - oldHeight;
            MoveRect(0, 0, w - 1, oldHeight - 1, 0, to, background, true);
        }
    }
}

void TQkBitmap::Resize(int32_t newWidth, int32_t newHeight, double background, int32_t alpha, uint8_t horizontalAlign,
                       uint8_t verticalAlign)
{
    const int32_t oldWidth = FWidth;
    const int32_t oldHeight = FHeight;
    AlignBeforeShrink(newWidth, newHeight, background, horizontalAlign, verticalAlign);
    if (FAlphaChannel)
        FAlphaChannel->AlignBeforeShrink(newWidth, newHeight, alpha, horizontalAlign, verticalAlign);
    SetWidth(newWidth);
    SetHeight(newHeight);
    AlignAfterGrow(oldWidth, oldHeight, background, horizontalAlign, verticalAlign);
    if (FAlphaChannel)
        FAlphaChannel->AlignAfterGrow(oldWidth, oldHeight, alpha, horizontalAlign, verticalAlign);
}

// ---- Rectangles ----

void TQkBitmap::MoveRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy, double background,
                         bool fill)
{
    TQkBitmap moved;
    if (!moved.Allocate(x2 - x1 + 1, y2 - y1 + 1, FPixelFormat))
        return;
    CopyRectTo(moved, x1, y1, 0, 0, x2 - x1 + 1, y2 - y1 + 1);
    if (fill)
        FillRect(x1, y1, x2, y2, background);
    moved.CopyRectTo(*this, 0, 0, dx, dy, x2 - x1 + 1, y2 - y1 + 1);
}

void TQkBitmap::CopyRectTo(TQkBitmap& destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t width,
                           int32_t height)
{
    if (IsEmpty() || destination.IsEmpty())
        return;
    const TCopyRect r =
        ClipCopyRect(FWidth, FHeight, destination.FWidth, destination.FHeight, sx, sy, dx, dy, width, height);
    if (r.Width <= 0 || r.Height <= 0)
        return;
    const TQkPixelFormat to = destination.FPixelFormat;
    const bool sameFormat = to == FPixelFormat;
    if (!sameFormat && !(FPixelFormat == qk1g && to == qk24RGB))
        return;
    const int32_t step = QkBytesPerPixel(FPixelFormat);
    // The source row is copied out first: with a file-stored bitmap only one
    // mapped row is valid at a time, and the destination may be this bitmap.
    std::vector<uint8_t> row(FRowLen);
    for (int32_t y = 0; y < r.Height; ++y) {
        std::memcpy(row.data(), GetScanline(r.SourceY + y), FRowLen);
        uint8_t* target = destination.GetScanline(r.DestinationY + y);
        if (FPixelFormat == qk1g && to == qk1g) {
            CopyBitRun(target, row.data(), r.DestinationX, r.SourceX, r.Width, FRowLen);
        } else if (FPixelFormat == qk1g) {
            for (int32_t x = 0; x < r.Width; ++x)
                std::memset(target + 3 * (r.DestinationX + x), GetBit(row.data(), r.SourceX + x) ? 255 : 0, 3);
        } else {
            std::memcpy(target + static_cast<size_t>(r.DestinationX) * step,
                        row.data() + static_cast<size_t>(r.SourceX) * step, static_cast<size_t>(r.Width) * step);
        }
    }
}

void TQkBitmap::MergeAlphaRectTo(TQkBitmap& destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t width,
                                 int32_t height)
{
    TQkBitmap* from = GetAlphaChannel();
    TQkBitmap* to = destination.GetAlphaChannel();
    if (!from || !to || from->FPixelFormat != qk8g || to->FPixelFormat != qk8g || from->IsEmpty() || to->IsEmpty())
        return;
    const TCopyRect r =
        ClipCopyRect(from->FWidth, from->FHeight, to->FWidth, to->FHeight, sx, sy, dx, dy, width, height);
    std::vector<uint8_t> row(from->FRowLen);
    for (int32_t y = 0; y < r.Height; ++y) {
        std::memcpy(row.data(), from->GetScanline(r.SourceY + y), from->FRowLen);
        uint8_t* target = to->GetScanline(r.DestinationY + y);
        for (int32_t x = 0; x < r.Width; ++x)
            target[r.DestinationX + x] = std::max(target[r.DestinationX + x], row[r.SourceX + x]);
    }
}

// ---- Scans ----

void TQkBitmap::UpdateFullAlphaFlag()
{
    const int64_t bytes = CalcRowLength(FWidth, FBitCount, 8);
    for (int32_t y = 0; y < FHeight; ++y) {
        const uint8_t* row = GetScanline(y);
        if (std::any_of(row, row + bytes, [](uint8_t b) { return b != 255; })) {
            FFull = false;
            return;
        }
    }
    FFull = true;
}

bool TQkBitmap::IsAllZero()
{
    const int64_t bytes = CalcRowLength(FWidth, FBitCount, 8);
    for (int32_t y = 0; y < FHeight; ++y) {
        const uint8_t* row = GetScanline(y);
        if (std::any_of(row, row + bytes, [](uint8_t b) { return b != 0; }))
            return false;
    }
    return true;
}

bool TQkBitmap::IsGrayScale()
{
    switch (FPixelFormat) {
    case qk8p:
        return std::all_of(FPalette.begin(), FPalette.end(),
                           [](const TRGBPixel& p) { return p.r == p.g && p.g == p.b; });
    case qk24RGB:
    case qk32RGB:
    case qkRGB48:
        for (int32_t y = 0; y < FHeight; ++y)
            for (int32_t x = 0; x < FWidth; ++x) {
                if (FPixelFormat == qkRGB48) {
                    const TRGB48Pixel p = GetPixel48(x, y);
                    if (p.r != p.g || p.g != p.b)
                        return false;
                    continue;
                }
                const uint8_t* p = PixelAddress(x, y, QkBytesPerPixel(FPixelFormat));
                if (p[0] != p[1] || p[1] != p[2])
                    return false;
            }
        return true;
    default: return true;
    }
}

void TQkBitmap::CopyFromDibbitmap(TQkDibbitmap* dib)
{
    if (!dib)
        return;
    const int32_t bits = dib->GetBitCount();
    if (FLocation == qkTBitmap) {
        if (!FStore) {
            FOwnedStore = std::make_unique<TBitmap>();
            FStore = FOwnedStore.get();
        }
        TQkPixelFormat format = FPixelFormat;
        if (bits == 1 || bits == 24) {
            format = bits == 1 ? qk1g : qk24RGB;
            ReshapeTBitmap(*FStore, dib->GetWidth(), dib->GetHeight(), bits == 1 ? pf1bit : pf24bit);
        } else {
            FStore->SetSize(dib->GetWidth(), dib->GetHeight());
        }
        FWidth = FStore->Width();
        FHeight = FStore->Height();
        SetFormatFields(format);
        BuildRowPointerCache();
    } else if (bits == 1 || bits == 8 || bits == 24) {
        Allocate(dib->GetWidth(), dib->GetHeight(), bits == 1 ? qk1g : bits == 8 ? qk8g : qk24RGB);
    }
    if (IsEmpty())
        return;
    const int32_t length = std::min(FRowLen, dib->GetRowLen());
    const int32_t rows = std::min(FHeight, dib->GetHeight());
    for (int32_t y = 0; y < rows; ++y)
        std::memcpy(GetScanline(y), dib->GetScanline(y), length);
}
