#include "imaging/core/QkBitmap.h"

#include "imaging/core/QkFileBuffer.h"
#include "imaging/core/QkMemory.h"

#include "platform/gfx/Bitmap.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t BitCounts[QkPixelFormatCount] = {0, 1, 8, 8, 16, 24, 32, 32, 48, 24, 32};
constexpr int32_t ChannelCounts[QkPixelFormatCount] = {0, 1, 1, 1, 1, 3, 1, 4, 3, 3, 4};

// Used when the physical memory cannot be read.
constexpr int64_t FallbackMemoryThreshold = 33554432;
// The one block is over-allocated so its start can be aligned.
constexpr int64_t BlockSlack = 128;
constexpr uintptr_t BlockAlignment = 64;
// File-stored rows are copied in chunks of this many bytes: larger views
// cost more in allocation than they save in system calls.
constexpr int64_t FileChunkBytes = 1 << 18;
// Row blocks smaller than this are not worth splitting further.
constexpr int64_t MinimumSplitRowBlock = 0xA00000;

int64_t DefaultMemoryThreshold()
{
    if (MemoryThresholdOverride != -1)
        return MemoryThresholdOverride;
    const int64_t total = GetPhysicalMemory(false);
    if (total == 0)
        return FallbackMemoryThreshold;
    return static_cast<int64_t>(static_cast<long double>(total) / 1.3L);
}

int64_t FilesOpened = 0;

bool ValidFormat(TQkPixelFormat format) { return static_cast<int>(format) < QkPixelFormatCount; }

} // namespace

int64_t QkBitmapFilesOpened() { return FilesOpened; }

int32_t QkBitCount(TQkPixelFormat format) { return ValidFormat(format) ? BitCounts[format] : 0; }

int32_t QkChannelCount(TQkPixelFormat format) { return ValidFormat(format) ? ChannelCounts[format] : 0; }

int32_t QkBytesPerPixel(TQkPixelFormat format) { return QkBitCount(format) / 8; }

TQkBitmap::TQkBitmap() : FMemoryThreshold(DefaultMemoryThreshold()) {}

TQkBitmap::TQkBitmap(int32_t width, int32_t height, TQkPixelFormat format) : TQkBitmap()
{
    Allocate(width, height, format);
}

TQkBitmap::~TQkBitmap() { FreeImage(true); }

std::unique_ptr<TQkBitmap> TQkBitmap::CreateAlphaChannel(int32_t width, int32_t height, TQkLocation location)
{
    auto alpha = std::make_unique<TQkBitmap>();
    alpha->FIsAlphaChannel = true;
    alpha->FLocation = location == qkTBitmap ? qkMemory : location;
    if (alpha->Allocate(width, height, qk8g))
        alpha->Fill(255);
    return alpha;
}

// ---- The base interface ----

uint8_t* TQkBitmap::GetScanline(int32_t row)
{
    if (row < 0 || row >= FHeight)
        return nullptr;
    switch (FLocation) {
    case qkMemory:
        if (FBlockStart)
            return FBlockStart + static_cast<int64_t>(FRowLen) * (FHeight - 1 - row);
        if (FRowBlocks.empty())
            return nullptr;
        return FRowBlocks[row / FRowsPerBlock].Data() + static_cast<int64_t>(row % FRowsPerBlock) * FRowLen;
    case qkFile: return MapFileRow(row);
    case qkTBitmap: return row < static_cast<int32_t>(FRowPointerCache.size()) ? FRowPointerCache[row] : nullptr;
    }
    return nullptr;
}

int32_t TQkBitmap::GetBitCount()
{
    if (FLocation == qkTBitmap)
        SyncFromTBitmap();
    return FBitCount;
}

int32_t TQkBitmap::GetHeight()
{
    if (FLocation == qkTBitmap)
        SyncFromTBitmap();
    return FHeight;
}

int32_t TQkBitmap::GetWidth()
{
    if (FLocation == qkTBitmap)
        SyncFromTBitmap();
    return FWidth;
}

TQkPixelFormat TQkBitmap::GetPixelFormat()
{
    if (FLocation == qkTBitmap)
        SyncFromTBitmap();
    return FPixelFormat;
}

int32_t TQkBitmap::GetRowLen()
{
    if (FLocation == qkTBitmap)
        SyncFromTBitmap();
    return FRowLen;
}

int32_t TQkBitmap::GetChannelCount()
{
    if (FLocation == qkTBitmap)
        SyncFromTBitmap();
    return FChannelCount;
}

TRGBPixel* TQkBitmap::GetPalette() { return FPalette.empty() ? nullptr : FPalette.data(); }

void TQkBitmap::GetPaletteColor(int32_t index, TRGBPixel& color)
{
    if (index >= 0 && index < GetPaletteLength())
        color = FPalette[index];
}

void TQkBitmap::SetPaletteColor(int32_t index, const TRGBPixel& color)
{
    if (index >= 0 && index < GetPaletteLength())
        FPalette[index] = color;
    SyncPaletteToTBitmap();
}

int32_t TQkBitmap::GetPaletteLength() { return static_cast<int32_t>(FPalette.size()); }

bool TQkBitmap::Allocate(int32_t width, int32_t height, TQkPixelFormat format)
{
    if (!FDirty && width == FWidth && height == FHeight && format == FPixelFormat)
        return true;
    if (FTBitmapNotOwned)
        FAlphaChannel.reset();
    else
        FreeImage(true);
    FWidth = width;
    FHeight = height;
    FPixelFormat = format;
    const bool allocated = AllocatePixels();
    if (!allocated) {
        FWidth = 0;
        FHeight = 0;
        FRowLen = 0;
    }
    FDirty = false;
    return allocated;
}

// ---- Storage ----

void TQkBitmap::SetFormatFields(TQkPixelFormat format)
{
    FPixelFormat = format;
    FBitCount = QkBitCount(format);
    FChannelCount = QkChannelCount(format);
    FRowLen = FWidth > 0 ? static_cast<int32_t>(CalcRowLength(FWidth, FBitCount, FRowAlign)) : 0;
}

bool TQkBitmap::AllocatePixels()
{
    if (FWidth < 1 || FHeight < 1 || FPixelFormat == qkNone || !ValidFormat(FPixelFormat))
        return false;
    if (FPixelFormat == qk8p)
        FPalette.assign(256, TRGBPixel{});
    SetFormatFields(FPixelFormat);
    const int64_t size = static_cast<int64_t>(FRowLen) * FHeight;

    if (FLocation == qkFile && size < FMemoryThreshold)
        FLocation = qkMemory;
    else if (FLocation == qkMemory && size > FMemoryThreshold)
        FLocation = qkFile;
    if (FLocation == qkFile && !OpenFile(size))
        FLocation = qkMemory;

    if (FLocation == qkMemory && !AllocateInMemory(size)) {
        if (!FileFallbackOnMemoryFailure)
            return false;
        FLocation = qkFile;
        if (!OpenFile(size))
            return false;
    }
    if (FLocation == qkTBitmap && !AllocateTBitmapStore(false))
        return false;
    FFull = false;
    return true;
}

bool TQkBitmap::AllocateInMemory(int64_t size)
{
    if (FBlock.Allocate(size + BlockSlack)) {
        const auto start = reinterpret_cast<uintptr_t>(FBlock.Data());
        FBlockStart = FBlock.Data() + ((BlockAlignment - start % BlockAlignment) % BlockAlignment);
        return true;
    }
    return AllocateRowBlocks();
}

bool TQkBitmap::AllocateRowBlocks()
{
    if (!RowBlocksAllowed)
        return false;
    for (int32_t count = 4;; count *= 2) {
        const int32_t rowsPerBlock = (FHeight + count - 1) / count;
        const int64_t blockSize = static_cast<int64_t>(rowsPerBlock) * FRowLen;
        if (blockSize < MinimumSplitRowBlock && count > 4)
            return false;
        const int32_t blocksNeeded = (FHeight + rowsPerBlock - 1) / rowsPerBlock;
        std::vector<TQkPixelBlock> blocks(blocksNeeded);
        const bool allAllocated =
            std::all_of(blocks.begin(), blocks.end(), [&](TQkPixelBlock& block) { return block.Allocate(blockSize); });
        if (allAllocated) {
            FRowBlocks = std::move(blocks);
            FRowsPerBlock = rowsPerBlock;
            return true;
        }
        if (static_cast<int64_t>(count) * 2 >= FHeight)
            return false;
    }
}

bool TQkBitmap::OpenFile(int64_t size)
{
    if (!FFileBuffer)
        FFileBuffer = std::make_unique<TQkFileBuffer>();
    // A file kept open by Assign is reused when the image fits: Assign
    // overwrites every row.
    if (FFileBuffer->IsOpen() && FFileCapacity >= size)
        return true;
    if (!FFileBuffer->Open("IMG", true, size)) {
        FFileCapacity = 0;
        return false;
    }
    FFileCapacity = size;
    ++FilesOpened;
    return true;
}

void TQkBitmap::FreeImage(bool freeAlpha)
{
    if (freeAlpha)
        FAlphaChannel.reset();
    FPalette.clear();
    ReleaseFileViews();
    if (FFileBuffer)
        FFileBuffer->Close();
    FFileCapacity = 0;
    FBlock.Reset();
    FBlockStart = nullptr;
    // A store that belongs to somebody else is only forgotten.
    FOwnedStore.reset();
    FStore = nullptr;
    FRowPointerCache.clear();
    FRowBlocks.clear();
    FRowsPerBlock = 0;
    FWidth = 0;
    FHeight = 0;
    FRowLen = 0;
    FBitCount = 0;
    FChannelCount = 0;
    FFull = false;
    FTBitmapNotOwned = false;
}

uint8_t* TQkBitmap::MapFileRow(int32_t row)
{
    if (!FFileBuffer || !FFileBuffer->IsOpen())
        return nullptr;
    // The row mapped last is handed out again when it was mapped with at
    // least the access asked for now.
    if (FCurrentView.Memory) {
        if (FCurrentView.Row == row && (FCurrentView.Access & Access()) == Access())
            return FCurrentView.Memory;
        ReleaseCurrentView();
    }
    uint8_t* memory = FFileBuffer->MapView(Access(), FRowLen, static_cast<int64_t>(row) * FRowLen);
    FCurrentView = {row, memory, Access()};
    return memory;
}

void TQkBitmap::ReleaseCurrentView()
{
    if (FCurrentView.Memory && FFileBuffer)
        FFileBuffer->UnmapView(FCurrentView.Memory);
    FCurrentView = {-1, nullptr, 0};
}

uint8_t* TQkBitmap::GetScanlineView(int32_t row)
{
    if (FLocation != qkFile)
        return GetScanline(row);
    if (row < 0 || row >= FHeight || !FFileBuffer || !FFileBuffer->IsOpen())
        return nullptr;
    ReleaseCurrentView();
    uint8_t* memory = FFileBuffer->MapView(Access(), FRowLen, static_cast<int64_t>(row) * FRowLen);
    FViews.push_back({row, memory, Access()});
    return memory;
}

void TQkBitmap::ReleaseScanlineView(int32_t row)
{
    if (FLocation != qkFile)
        return;
    const auto view = std::find_if(FViews.begin(), FViews.end(), [row](const TFileView& v) { return v.Row == row; });
    if (view == FViews.end())
        return;
    FFileBuffer->UnmapView(view->Memory);
    FViews.erase(view);
}

void TQkBitmap::ReleaseFileViews()
{
    ReleaseCurrentView();
    for (const TFileView& view : FViews)
        FFileBuffer->UnmapView(view.Memory);
    FViews.clear();
}

uint8_t* TQkBitmap::MapFileRows(int32_t first, int32_t count, uint8_t access)
{
    if (FLocation != qkFile || !FFileBuffer || !FFileBuffer->IsOpen())
        return nullptr;
    ReleaseFileViews();
    return FFileBuffer->MapView(access, static_cast<int64_t>(count) * FRowLen, static_cast<int64_t>(first) * FRowLen);
}

void TQkBitmap::UnmapFileRows(const uint8_t* rows)
{
    if (rows)
        FFileBuffer->UnmapView(rows);
}

// File-stored rows travel in chunks of a quarter megabyte: one read or write
// per chunk instead of one per row.
void TQkBitmap::CopyRowsFrom(TQkBitmap& source)
{
    const int32_t rows = std::min(FHeight, source.FHeight);
    const int32_t length = std::min(FRowLen, source.FRowLen);
    // A 16-bit gray image kept in an 8-bit store keeps its high bytes.
    const bool narrowGray = source.FPixelFormat == qk16g && FPixelFormat == qk8g;
    const int32_t width = std::min(FWidth, source.FWidth);
    if (rows <= 0 || length <= 0)
        return;
    TQkAccessGuard reading(source, qkaRead);
    TQkAccessGuard writing(*this, qkaWrite);
    if (WriteRowsToFile(source, rows))
        return;
    const int32_t chunk =
        static_cast<int32_t>(std::max<int64_t>(1, FileChunkBytes / std::max(FRowLen, source.FRowLen)));
    for (int32_t first = 0; first < rows; first += chunk) {
        const int32_t count = std::min(chunk, rows - first);
        const uint8_t* fromRows = source.MapFileRows(first, count, qkaRead);
        uint8_t* toRows = MapFileRows(first, count, qkaWrite);
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t* from =
                fromRows ? fromRows + static_cast<int64_t>(i) * source.FRowLen : source.GetScanline(first + i);
            uint8_t* to = toRows ? toRows + static_cast<int64_t>(i) * FRowLen : GetScanline(first + i);
            if (!to || !from)
                break;
            if (narrowGray) {
                for (int32_t x = 0; x < width; ++x)
                    to[x] = from[2 * x + 1];
            } else {
                std::memcpy(to, from, length);
            }
        }
        UnmapFileRows(toRows);
        source.UnmapFileRows(fromRows);
    }
}

// Rows held in memory go to a file store of the same row length in a few
// large vectored writes, without passing through a zero-filled copy.
bool TQkBitmap::WriteRowsToFile(TQkBitmap& source, int32_t rows)
{
    if (FLocation != qkFile || source.FLocation == qkFile || FRowLen != source.FRowLen)
        return false;
    if (source.FPixelFormat == qk16g && FPixelFormat == qk8g)
        return false;
    if (!FFileBuffer || !FFileBuffer->IsOpen())
        return false;
    ReleaseFileViews();
    std::vector<const uint8_t*> rowStarts(static_cast<size_t>(rows));
    for (int32_t y = 0; y < rows; ++y) {
        rowStarts[static_cast<size_t>(y)] = source.GetScanline(y);
        if (!rowStarts[static_cast<size_t>(y)])
            return false;
    }
    return FFileBuffer->WriteRows(rowStarts.data(), rows, FRowLen, 0);
}

void TQkBitmap::SetLocation(TQkLocation location)
{
    if (location == FLocation)
        return;
    FDirty = true;
    TQkBitmap old;
    TransferStorageTo(old);
    const TQkLocation oldLocation = old.FLocation;
    FLocation = location;
    Allocate(old.FWidth, old.FHeight, old.FPixelFormat);
    if (FLocation == oldLocation) {
        old.TransferStorageTo(*this);
        return;
    }
    if (IsEmpty())
        return;
    CopyRowsFrom(old);
    FPalette = old.FPalette;
    SyncPaletteToTBitmap();
    FAlphaChannel = std::move(old.FAlphaChannel);
    FIsAlphaChannel = old.FIsAlphaChannel;
}

void TQkBitmap::SetRowAlign(int32_t bits)
{
    // Rows are whole bytes: other alignments are refused.
    if (bits == FRowAlign || bits <= 0 || bits % 8 != 0)
        return;
    FDirty = true;
    if (FLocation != qkMemory || IsEmpty()) {
        FRowAlign = bits;
        return;
    }
    TQkBitmap old;
    TransferStorageTo(old);
    FRowAlign = bits;
    Allocate(old.FWidth, old.FHeight, old.FPixelFormat);
    FPalette = old.FPalette;
    CopyRowsFrom(old);
    FAlphaChannel = std::move(old.FAlphaChannel);
}

void TQkBitmap::TransferStorageTo(TQkBitmap& other)
{
    if (&other == this)
        return;
    other.FreeImage(true);
    other.FWidth = FWidth;
    other.FHeight = FHeight;
    other.FPixelFormat = FPixelFormat;
    other.FBitCount = FBitCount;
    other.FChannelCount = FChannelCount;
    other.FRowLen = FRowLen;
    other.FPalette = std::move(FPalette);
    other.FAlphaChannel = std::move(FAlphaChannel);
    other.FIsAlphaChannel = FIsAlphaChannel;
    other.FBlock = std::move(FBlock);
    other.FBlockStart = FBlockStart;
    other.FStore = FStore;
    other.FOwnedStore = std::move(FOwnedStore);
    other.FRowPointerCache = std::move(FRowPointerCache);
    other.FLocation = FLocation;
    other.FTBitmapNotOwned = FTBitmapNotOwned;
    other.FRowBlocks = std::move(FRowBlocks);
    other.FRowsPerBlock = FRowsPerBlock;
    other.FFileBuffer = std::move(FFileBuffer);
    other.FFileCapacity = FFileCapacity;
    other.FCurrentView = FCurrentView;
    other.FViews = std::move(FViews);
    other.FFull = FFull;
    other.FRowAlign = FRowAlign;
    other.FBilevelMethod = FBilevelMethod;

    FPalette.clear();
    FRowPointerCache.clear();
    FRowBlocks.clear();
    FViews.clear();
    FCurrentView = {-1, nullptr, 0};
    FBlockStart = nullptr;
    FStore = nullptr;
    FRowsPerBlock = 0;
    FFileCapacity = 0;
    FWidth = 0;
    FHeight = 0;
    FBitCount = 0;
    FChannelCount = 0;
    FRowLen = 0;
    FPixelFormat = qkNone;
    FIsAlphaChannel = false;
    FTBitmapNotOwned = false;
    FDirty = true;
}
