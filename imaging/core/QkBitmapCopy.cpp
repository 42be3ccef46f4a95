// Whole-image copies between bitmaps and the alpha channel.

#include "imaging/core/QkBitmap.h"

#include "imaging/core/QkBits.h"
#include "imaging/core/QkFileBuffer.h"

#include "platform/gfx/Bitmap.h"

#include <cstring>
#include <vector>

namespace {

int32_t FloorDiv256(int32_t value) { return value >= 0 ? value / 256 : -((255 - value) / 256); }

bool HasStoreFormat(TQkPixelFormat format)
{
    return format == qk1g || format == qk8p || format == qk8g || format == qk16g || format == qk24RGB ||
        format == qk32RGB;
}

} // namespace

void TQkBitmap::Assign(TObject* source)
{
    FDirty = true;
    if (auto* bitmap = dynamic_cast<TBitmap*>(source)) {
        CopyFromTBitmap(*bitmap);
        return;
    }
    auto* other = dynamic_cast<TQkBitmap*>(source);
    if (!other || other == this)
        return;
    AssignFrom(*other, true);
    if (!FIsAlphaChannel) {
        if (other->FAlphaChannel)
            GetAlphaChannel()->Assign(other->FAlphaChannel.get());
        else
            FAlphaChannel.reset();
    }
    other->CopyPaletteTo(this);
    FBilevelMethod = other->FBilevelMethod;
}

void TQkBitmap::AssignImage(TQkBitmap& source)
{
    if (source.IsEmpty() || &source == this)
        return;
    FDirty = true;
    AssignFrom(source, false);
    source.CopyPaletteTo(this);
}

void TQkBitmap::TakeOver(TQkBitmap& source)
{
    if (&source == this || !CanTakeStorageOf(source, source.FRowAlign)) {
        Assign(&source);
        return;
    }
    const bool isAlphaChannel = FIsAlphaChannel;
    TakeStorageOf(source);
    FIsAlphaChannel = isAlphaChannel;
    // An alpha channel has none of its own; a source alpha channel kept
    // elsewhere than in memory is copied, as Assign would place it here.
    std::unique_ptr<TQkBitmap> alpha = std::move(FAlphaChannel);
    if (!FIsAlphaChannel && alpha && alpha->FLocation == qkMemory)
        FAlphaChannel = std::move(alpha);
    else if (!FIsAlphaChannel && alpha)
        GetAlphaChannel()->Assign(alpha.get());
}

void TQkBitmap::TakeOverImage(TQkBitmap& source)
{
    if (source.IsEmpty() || &source == this)
        return;
    if (!CanTakeStorageOf(source, FRowAlign)) {
        AssignImage(source);
        return;
    }
    std::unique_ptr<TQkBitmap> ownAlpha = std::move(FAlphaChannel);
    const bool isAlphaChannel = FIsAlphaChannel;
    const int32_t rowAlign = FRowAlign;
    const uint8_t bilevelMethod = FBilevelMethod;
    TakeStorageOf(source);
    source.FAlphaChannel = std::move(FAlphaChannel);
    FAlphaChannel = std::move(ownAlpha);
    FIsAlphaChannel = isAlphaChannel;
    FRowAlign = rowAlign;
    FBilevelMethod = bilevelMethod;
    FFull = false;
}

bool TQkBitmap::CanTakeStorageOf(TQkBitmap& source, int32_t rowAlign) const
{
    if (source.IsEmpty())
        return false;
    const int64_t rowLength = CalcRowLength(source.FWidth, source.FBitCount, rowAlign);
    if (rowLength != source.FRowLen)
        return false;
    if (FLocation == qkTBitmap)
        return source.FLocation == qkTBitmap && FStore && source.FStore && FStore != source.FStore;
    return FLocation == qkMemory && source.FLocation == qkMemory && rowLength * source.FHeight <= FMemoryThreshold;
}

void TQkBitmap::TakeStorageOf(TQkBitmap& source)
{
    FDirty = true;
    const int32_t paletteColors = source.FPalette.empty() ? 256 : source.FPaletteColors;
    if (FLocation == qkTBitmap)
        SwapStoreWith(source);
    else
        source.TransferStorageTo(*this);
    FPaletteColors = paletteColors;
}

// The TBitmap this bitmap's holders see stays the same object and receives
// the source store's rows; the source's TBitmap, left with the old rows,
// goes with the rest of the source's storage. The rows keep their
// addresses, so the source's row pointers serve this bitmap.
void TQkBitmap::SwapStoreWith(TQkBitmap& source)
{
    FStore->SwapPixels(*source.FStore);
    std::swap(FStore, source.FStore);
    std::swap(FOwnedStore, source.FOwnedStore);
    std::swap(FTBitmapNotOwned, source.FTBitmapNotOwned);
    source.TransferStorageTo(*this);
}

// Takes size and format and copies the pixels; `whole` also takes the row
// alignment, the full flag and frees the alpha channel first.
void TQkBitmap::AssignFrom(TQkBitmap& source, bool whole)
{
    const bool full = whole && source.FFull;
    if (FLocation == qkTBitmap) {
        if (source.IsEmpty())
            return;
        // A TBitmap has no rows for these: the copy is refused and the
        // bitmap left empty, like a failed allocation.
        if (!HasStoreFormat(source.FPixelFormat)) {
            FreeImage(whole);
            return;
        }
        FWidth = source.FWidth;
        FHeight = source.FHeight;
        if (whole)
            FRowAlign = source.FRowAlign;
        FPixelFormat = source.FPixelFormat;
        if (!AllocateTBitmapStore(true)) {
            FreeImage(whole);
            return;
        }
    } else {
        // An open file is kept for the copy, which overwrites every row.
        std::unique_ptr<TQkFileBuffer> file;
        if (FLocation == qkFile && FFileBuffer && FFileBuffer->IsOpen()) {
            ReleaseFileViews();
            file = std::move(FFileBuffer);
        }
        const int64_t capacity = FFileCapacity;
        FreeImage(whole);
        FFileBuffer = std::move(file);
        FFileCapacity = FFileBuffer ? capacity : 0;
        FWidth = source.FWidth;
        FHeight = source.FHeight;
        FPixelFormat = source.FPixelFormat;
        if (whole)
            FRowAlign = source.FRowAlign;
        const bool allocated = AllocatePixels();
        if (FLocation != qkFile && FFileBuffer)
            FFileBuffer->Close();
        if (!allocated) {
            FWidth = 0;
            FHeight = 0;
            FRowLen = 0;
            return;
        }
    }
    FFull = full;
    CopyPixelsFrom(source);
}

void TQkBitmap::CopyPixelsFrom(TQkBitmap& source)
{
    if (IsEmpty() || source.IsEmpty())
        return;
    const bool sameLayout = FRowLen == source.FRowLen && FHeight == source.FHeight;
    if (FLocation == qkFile && source.FLocation == qkFile && sameLayout && FFileBuffer && source.FFileBuffer) {
        source.ReleaseFileViews();
        ReleaseFileViews();
        source.FFileBuffer->CopyTo(*FFileBuffer, static_cast<int64_t>(FRowLen) * FHeight, 0);
        return;
    }
    CopyRowsFrom(source);
}

void TQkBitmap::CopyPaletteTo(TObject* destination)
{
    auto* other = dynamic_cast<TQkBitmap*>(destination);
    if (!other || other == this)
        return;
    other->FPalette.clear();
    other->FPaletteColors = 256;
    if (FPalette.empty())
        return;
    other->FPalette = FPalette;
    other->FPaletteColors = FPaletteColors;
    other->SyncPaletteToTBitmap();
}

TQkBitmap* TQkBitmap::GetAlphaChannel()
{
    if (FIsAlphaChannel)
        return nullptr;
    if (!FAlphaChannel)
        FAlphaChannel = CreateAlphaChannel(FWidth, FHeight, FLocation);
    return FAlphaChannel.get();
}

void TQkBitmap::AttachAlphaChannel(std::unique_ptr<TQkBitmap> other)
{
    if (FIsAlphaChannel || !other)
        return;
    other->FIsAlphaChannel = true;
    other->FAlphaChannel.reset();
    FAlphaChannel = std::move(other);
}

void TQkBitmap::RemoveAlphaChannel(bool merge, TColor background)
{
    if (FIsAlphaChannel || !FAlphaChannel)
        return;
    if (merge && FPixelFormat == qk24RGB) {
        const TRGBPixel bg = ColorToRGBPixel(background);
        const uint8_t channels[3] = {bg.b, bg.g, bg.r};
        for (int32_t y = 0; y < FHeight; ++y) {
            // The alpha row is copied: both bitmaps may be file-stored.
            std::vector<uint8_t> alpha(FAlphaChannel->GetScanline(y), FAlphaChannel->GetScanline(y) + FWidth);
            uint8_t* row = GetScanline(y);
            for (int32_t x = 0; x < FWidth; ++x)
                for (int32_t c = 0; c < 3; ++c) {
                    const int32_t p = row[3 * x + c];
                    const int32_t blended = channels[c] + FloorDiv256((p - channels[c]) * alpha[x]);
                    row[3 * x + c] = static_cast<uint8_t>(blended & 0xFF);
                }
        }
    }
    FAlphaChannel.reset();
}

uint8_t TQkBitmap::GetAlpha(int32_t x, int32_t y)
{
    TQkBitmap* channel = FIsAlphaChannel ? this : GetAlphaChannel();
    const uint8_t* row = channel->GetScanline(y);
    return row ? row[x] : 255;
}

void TQkBitmap::SetAlpha(int32_t x, int32_t y, uint8_t value)
{
    TQkBitmap* channel = FIsAlphaChannel ? this : GetAlphaChannel();
    uint8_t* row = channel->GetScanline(y);
    if (!row)
        return;
    row[x] = value;
    if (value < 255) {
        channel->FFull = false;
        FFull = false;
    }
}
