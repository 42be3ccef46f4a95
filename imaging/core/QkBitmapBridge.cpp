// The bridge between TQkBitmap and the platform's TBitmap: copying one in,
// wrapping one as storage, handing the store out, and keeping size, format
// and palette in step while the pixels live in a TBitmap.

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkBitmapRoutines.h"
#include "imaging/core/QkDialogBackgrounds.h"
#include "imaging/core/QkMemory.h"

#include "platform/core/Exceptions.h"
#include "platform/gfx/Bitmap.h"

#include <algorithm>
#include <cstring>

namespace {

// The format a TBitmap store is read as when the fields are re-read.
TQkPixelFormat StoreFormat(const TBitmap& store, bool isAlphaChannel)
{
    switch (store.PixelFormat()) {
    case pf1bit: return qk1g;
    case pf8bit: return isAlphaChannel || IsTBitmapGrayPalette(store) ? qk8g : qk8p;
    case pf32bit: return qk32RGB;
    default: return qk24RGB;
    }
}

// The format of a wrapped store, or `current` for the formats without one.
TQkPixelFormat WrappedFormat(const TBitmap& store, TQkPixelFormat current)
{
    switch (store.PixelFormat()) {
    case pf1bit: return qk1g;
    case pf24bit: return qk24RGB;
    case pf32bit: return qk32RGB;
    default: return current;
    }
}

bool IsMonochromePalette(const TBitmap& bitmap) { return bitmap.Palette() == TPalette::Monochrome(); }

uint16_t ReadWord(const uint8_t* pixel) { return static_cast<uint16_t>(pixel[0] | (pixel[1] << 8)); }

TRGBPixel From555(uint16_t v)
{
    TRGBPixel pixel{};
    pixel.r = static_cast<uint8_t>(((v & 0x7C00) >> 10) << 3);
    pixel.g = static_cast<uint8_t>(((v & 0x03E0) >> 5) << 3);
    pixel.b = static_cast<uint8_t>((v & 0x1F) << 3);
    return pixel;
}

TRGBPixel From565(uint16_t v)
{
    TRGBPixel pixel{};
    pixel.r = static_cast<uint8_t>((v >> 11) << 3);
    pixel.g = static_cast<uint8_t>(((v >> 5) & 0x3F) << 2);
    pixel.b = static_cast<uint8_t>((v & 0x1F) << 3);
    return pixel;
}

// 4-, 15- and 16-bit rows have no TQkBitmap format: such a store becomes
// 24-bit so that its rows are what the bitmap reads.
void WidenUnreadableStore(TBitmap& store)
{
    const TPixelFormat format = store.PixelFormat();
    if (format == pf4bit || format == pf15bit || format == pf16bit)
        store.SetPixelFormat(pf24bit);
}

class EQkStoreFormat : public Exception {
public:
    using Exception::Exception;
};

} // namespace

// Gives the store the bitmap's size and format (the 16-bit gray format is
// kept as 8-bit gray); raises for the formats a TBitmap cannot hold.
void TQkBitmap::SetUpStoreFormat()
{
    TPixelFormat storeFormat = pf24bit;
    switch (FPixelFormat) {
    case qk1g: storeFormat = pf1bit; break;
    case qk8p:
    case qk8g: storeFormat = pf8bit; break;
    case qk16g:
        storeFormat = pf8bit;
        SetFormatFields(qk8g);
        break;
    case qk24RGB: storeFormat = pf24bit; break;
    case qk32RGB: storeFormat = pf32bit; break;
    case qk32f:
        throw EQkStoreFormat("qk32f pixel format not allowed when Location=qkTBitmap Please set "
                             "TBrelvixView.LegacyBitmap=false.");
    case qkCMYK:
        throw EQkStoreFormat("qkCMYK pixel format not allowed when Location=qkTBitmap. Please set "
                             "TBrelvixView.LegacyBitmap=false.");
    case qkCIELab:
        throw EQkStoreFormat("qkCIELab pixel format not allowed when Location=qkTBitmap Please set "
                             "TBrelvixView.LegacyBitmap=false.");
    case qkRGB48:
        throw EQkStoreFormat("qkRGB48 pixel format not allowed when Location=qkTBitmap Please set "
                             "TBrelvixView.LegacyBitmap=false.");
    case qkNone: throw EQkStoreFormat("No pixel format");
    }
    // Every row is written next: zeroed for a new image, copied for a copy.
    FStore->ReshapeForOverwrite(FWidth, FHeight, storeFormat);
    if (FPixelFormat == qk8g)
        SetTBitmapGrayPalette(*FStore);
    SetFormatFields(FPixelFormat);
}

bool TQkBitmap::AllocateTBitmapStore(bool forCopy)
{
    if (!forCopy && GetPhysicalMemory(false) < static_cast<int64_t>(FRowLen) * FHeight)
        return false;
    if (!FStore) {
        FOwnedStore = std::make_unique<TBitmap>();
        FStore = FOwnedStore.get();
        FTBitmapNotOwned = false;
    }
    try {
        SetUpStoreFormat();
    } catch (const Exception&) {
        return false;
    }
    // A copy overwrites every row; a new image starts black.
    if (!forCopy)
        std::memset(FStore->ScanLine(FHeight - 1), 0, static_cast<size_t>(FStore->RowBytes()) * FHeight);
    BuildRowPointerCache();
    return true;
}

void TQkBitmap::BuildRowPointerCache()
{
    FRowPointerCache.clear();
    if (!FStore || FStore->Empty())
        return;
    const int32_t rows = std::min(FHeight, FStore->Height());
    FRowPointerCache.reserve(rows);
    for (int32_t y = 0; y < rows; ++y)
        FRowPointerCache.push_back(FStore->ScanLine(y));
}

void TQkBitmap::FreeRowPointerCache() { FRowPointerCache.clear(); }

void TQkBitmap::SyncPaletteToTBitmap()
{
    if (FLocation != qkTBitmap || !FStore || FPalette.empty() || FStore->BitCount() > 8)
        return;
    std::vector<TPaletteEntry> entries = FStore->Palette().Entries();
    const size_t count = std::min(entries.size(), FPalette.size());
    for (size_t i = 0; i < count; ++i)
        entries[i] = {FPalette[i].r, FPalette[i].g, FPalette[i].b, 0};
    FStore->SetPalette(TPalette(std::move(entries)));
}

void TQkBitmap::ReadTBitmapPalette(const TBitmap& bitmap, int32_t count)
{
    FPalette.assign(count, TRGBPixel{});
    const int32_t available = std::min<int32_t>(count, static_cast<int32_t>(bitmap.Palette().Count()));
    for (int32_t i = 0; i < available; ++i) {
        const TPaletteEntry& entry = bitmap.Palette().Entry(i);
        FPalette[i].r = entry.peRed;
        FPalette[i].g = entry.peGreen;
        FPalette[i].b = entry.peBlue;
    }
}

void TQkBitmap::FitAlphaToSize()
{
    if (FAlphaChannel && (FAlphaChannel->FWidth != FWidth || FAlphaChannel->FHeight != FHeight))
        FAlphaChannel->Allocate(FWidth, FHeight, qk8g);
}

void TQkBitmap::SyncFromTBitmap()
{
    if (!FStore)
        return;
    WidenUnreadableStore(*FStore);
    const TQkPixelFormat format = StoreFormat(*FStore, FIsAlphaChannel);
    if (FStore->Width() != FWidth || FStore->Height() != FHeight || format != FPixelFormat) {
        FWidth = FStore->Width();
        FHeight = FStore->Height();
        SetFormatFields(format);
        FitAlphaToSize();
        BuildRowPointerCache();
    }
    if (FHeight > 0 && (FRowPointerCache.empty() || FRowPointerCache[0] != FStore->ScanLine(0)))
        BuildRowPointerCache();
    if (FPixelFormat == qk8p)
        ReadTBitmapPalette(*FStore, static_cast<int32_t>(FStore->Palette().Count()));
}

void TQkBitmap::CopyFromTBitmap(TBitmap& bitmap)
{
    if (FLocation == qkTBitmap) {
        CopyFromTBitmapIntoStore(bitmap);
        return;
    }
    const int32_t width = bitmap.Width();
    const int32_t height = bitmap.Height();
    switch (bitmap.PixelFormat()) {
    case pf1bit:
        if (IsMonochromePalette(bitmap)) {
            Allocate(width, height, qk1g);
            CopyRowsFromTBitmap(bitmap);
        } else {
            Allocate(width, height, qk8p);
            ReadTBitmapPalette(bitmap, 2);
            ExpandTBitmapIndices(bitmap, 1);
        }
        break;
    case pf4bit:
        Allocate(width, height, qk8p);
        ReadTBitmapPalette(bitmap, 16);
        ExpandTBitmapIndices(bitmap, 4);
        break;
    case pf8bit:
        Allocate(width, height, qk8p);
        ReadTBitmapPalette(bitmap, 256);
        CopyRowsFromTBitmap(bitmap);
        break;
    case pf15bit:
    case pf16bit:
        Allocate(width, height, qk24RGB);
        ExpandTBitmapWords(bitmap, bitmap.PixelFormat() == pf15bit ? From555 : From565);
        break;
    case pf24bit:
        Allocate(width, height, qk24RGB);
        CopyRowsFromTBitmap(bitmap);
        break;
    case pf32bit:
        Allocate(width, height, qk32RGB);
        CopyRowsFromTBitmap(bitmap);
        break;
    case pfDevice: break;
    }
    FFull = false;
}

void TQkBitmap::CopyRowsFromTBitmap(const TBitmap& bitmap)
{
    if (IsEmpty())
        return;
    TQkAccessGuard writing(*this, qkaWrite);
    const int32_t length = std::min(FRowLen, bitmap.RowBytes());
    for (int32_t y = 0; y < FHeight; ++y)
        std::memcpy(GetScanline(y), bitmap.ScanLine(y), length);
}

void TQkBitmap::ExpandTBitmapIndices(const TBitmap& bitmap, int32_t bitsPerIndex)
{
    if (IsEmpty())
        return;
    TQkAccessGuard writing(*this, qkaWrite);
    const int32_t perByte = 8 / bitsPerIndex;
    const int32_t mask = (1 << bitsPerIndex) - 1;
    for (int32_t y = 0; y < FHeight; ++y) {
        const uint8_t* from = bitmap.ScanLine(y);
        uint8_t* to = GetScanline(y);
        for (int32_t x = 0; x < FWidth; ++x) {
            const int32_t shift = 8 - bitsPerIndex * (x % perByte + 1);
            to[x] = static_cast<uint8_t>((from[x / perByte] >> shift) & mask);
        }
    }
}

void TQkBitmap::ExpandTBitmapWords(const TBitmap& bitmap, TRGBPixel (*expand)(uint16_t))
{
    if (IsEmpty())
        return;
    TQkAccessGuard writing(*this, qkaWrite);
    for (int32_t y = 0; y < FHeight; ++y) {
        const uint8_t* from = bitmap.ScanLine(y);
        auto* to = reinterpret_cast<TRGBPixel*>(GetScanline(y));
        for (int32_t x = 0; x < FWidth; ++x)
            to[x] = expand(ReadWord(from + 2 * x));
    }
}

void TQkBitmap::TakeStoreLayout()
{
    WidenUnreadableStore(*FStore);
    FWidth = FStore->Width();
    FHeight = FStore->Height();
    const TQkPixelFormat wrapped = WrappedFormat(*FStore, FPixelFormat);
    // Rows are read at the format's length, so it must be the store's.
    SetFormatFields(QkBitCount(wrapped) == FStore->BitCount() ? wrapped : StoreFormat(*FStore, FIsAlphaChannel));
    BuildRowPointerCache();
}

void TQkBitmap::CopyFromTBitmapIntoStore(TBitmap& bitmap)
{
    if (!FStore) {
        FOwnedStore = std::make_unique<TBitmap>();
        FStore = FOwnedStore.get();
        FTBitmapNotOwned = false;
    }
    const TPixelFormat format = bitmap.PixelFormat();
    if (format != pf1bit && format != pf24bit && format != pf32bit)
        bitmap.SetPixelFormat(pf24bit);
    CopyTBitmap(bitmap, *FStore);
    TakeStoreLayout();
    FitAlphaToSize();
    FFull = false;
}

void TQkBitmap::EncapsulateTBitmap(TBitmap* bitmap, bool freeFirst)
{
    if (freeFirst)
        FreeImage(true);
    if (!bitmap)
        return;
    if (bitmap == FStore && bitmap->Width() == FWidth && bitmap->Height() == FHeight) {
        const TPixelFormat format = bitmap->PixelFormat();
        const TQkPixelFormat same = format == pf1bit ? qk1g : format == pf4bit || format == pf8bit ? qk8p : qk24RGB;
        if (same == FPixelFormat)
            return;
    }
    // Whatever held the pixels before gives way to the caller's bitmap.
    ReleaseFileViews();
    if (FFileBuffer)
        FFileBuffer->Close();
    FBlock.Reset();
    FBlockStart = nullptr;
    FRowBlocks.clear();
    FTBitmapNotOwned = FOwnedStore.get() != bitmap;
    if (FTBitmapNotOwned)
        FOwnedStore.reset();
    FStore = bitmap;
    FLocation = qkTBitmap;
    TakeStoreLayout();
}

TBitmap* TQkBitmap::GetVclBitmap()
{
    SetLocation(qkTBitmap);
    ApplyOriginTransform();
    return FStore;
}

TCanvas* TQkBitmap::GetCanvas()
{
    if (FLocation != qkTBitmap)
        SetLocation(qkTBitmap);
    ApplyOriginTransform();
    return FStore ? FStore->Canvas() : nullptr;
}
