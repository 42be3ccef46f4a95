#include "imaging/core/QkDibbitmap.h"

#include "platform/core/Exceptions.h"
#include "platform/gfx/Bitmap.h"

#include <cstring>

TQkDibbitmap::TQkDibbitmap() = default;

TQkDibbitmap::~TQkDibbitmap() { FreeBits(); }

uint8_t* TQkDibbitmap::GetScanline(int32_t row)
{
    if (!FBitmap || row < 0 || row >= FHeight)
        return nullptr;
    return FBitmap->ScanLine(row);
}

TQkPixelFormat TQkDibbitmap::GetPixelFormat() { return FBitCount == 1 ? qk1g : FBitCount == 24 ? qk24RGB : qkNone; }

void TQkDibbitmap::GetPaletteColor(int32_t, TRGBPixel& color) { color = TRGBPixel{}; }

bool TQkDibbitmap::Allocate(int32_t width, int32_t height, TQkPixelFormat format)
{
    if (format == qk1g)
        return AllocateBits(width, height, 1);
    if (format == qk24RGB)
        return AllocateBits(width, height, 24);
    return false;
}

void TQkDibbitmap::Assign(TObject* source)
{
    auto* other = dynamic_cast<TQkDibbitmap*>(source);
    if (!other || other == this || !AllocateBits(other->FWidth, other->FHeight, other->FBitCount))
        return;
    std::memcpy(FBitmap->ScanLine(FHeight - 1), other->FBitmap->ScanLine(FHeight - 1),
                static_cast<size_t>(FRowLen) * FHeight);
}

bool TQkDibbitmap::AllocateBits(int32_t width, int32_t height, int32_t bits)
{
    if (width <= 0 || height <= 0 || (bits != 1 && bits != 24))
        return false;
    auto bitmap = std::make_unique<TBitmap>();
    try {
        bitmap->SetPixelFormat(bits == 1 ? pf1bit : pf24bit);
        bitmap->SetSize(width, height);
    } catch (const Exception&) {
        return false;
    }
    // A new DIB section is all zero: black for both depths.
    std::memset(bitmap->ScanLine(height - 1), 0, static_cast<size_t>(bitmap->RowBytes()) * height);
    FreeBits();
    FBitmap = std::move(bitmap);
    FWidth = width;
    FHeight = height;
    FBitCount = bits;
    FRowLen = static_cast<int32_t>(CalcRowLength(width, bits, 32));
    return true;
}

void TQkDibbitmap::FreeBits()
{
    FBitmap.reset();
    FWidth = 0;
    FHeight = 0;
    FBitCount = 0;
    FRowLen = 0;
}

TCanvas* TQkDibbitmap::Canvas() { return FBitmap ? FBitmap->Canvas() : nullptr; }
