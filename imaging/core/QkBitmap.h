#pragma once
// TQkBitmap: the imaging library's one bitmap class. Rows are numbered from
// the top. The pixels live in one of three places: memory (one 64-byte
// aligned block stored bottom-up, or, when no single block can be had, row
// blocks stored top-down), a temporary file mapped one row at a time, or a
// platform TBitmap (the store the drawing code and the converter's preview
// read). Every pixel block starts zero-filled.

#include "imaging/core/QkBaseBitmap.h"
#include "imaging/core/QkPixelBlock.h"

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class TBitmap;
class TCanvas;
class TQkFileBuffer;
class TQkMask;
struct TQkRowRenderJob;

// The per-format tables: bits per pixel and channels.
int32_t QkBitCount(TQkPixelFormat format);
int32_t QkChannelCount(TQkPixelFormat format);
// Bytes of one pixel; 0 for qk1g and qkNone.
int32_t QkBytesPerPixel(TQkPixelFormat format);

// How many temporary files bitmaps have opened for their pixels so far.
int64_t QkBitmapFilesOpened();

// How the renderer adjusts a bitmap's pixels when it draws them.
struct TQkRenderAdjustments {
    std::array<int32_t, 4> ChannelOffset{}; // red, green, blue, and one no operation reads
    bool ChannelOffsetEnabled = false;
    int32_t Contrast = 0;
    bool operator==(const TQkRenderAdjustments&) const = default;
};

class TQkBitmap : public TQkBaseBitmap {
public:
    TQkBitmap();
    TQkBitmap(int32_t width, int32_t height, TQkPixelFormat format);
    ~TQkBitmap() override;

    // An alpha channel: qk8g, every value 255; qkTBitmap becomes qkMemory.
    static std::unique_ptr<TQkBitmap> CreateAlphaChannel(int32_t width, int32_t height, TQkLocation location);

    // ---- The base interface ----
    uint8_t* GetScanline(int32_t row) override;
    int32_t GetBitCount() override;
    int32_t GetHeight() override;
    int32_t GetWidth() override;
    TQkPixelFormat GetPixelFormat() override;
    int32_t GetRowLen() override;
    TRGBPixel* GetPalette() override;
    void GetPaletteColor(int32_t index, TRGBPixel& color) override;
    void SetPaletteColor(int32_t index, const TRGBPixel& color) override;
    int32_t GetPaletteLength() override;
    bool Allocate(int32_t width, int32_t height, TQkPixelFormat format) override;
    // From a TQkBitmap or a platform TBitmap; other classes are ignored.
    void Assign(TObject* source) override;
    void CopyPaletteTo(TObject* destination) override;

    int32_t GetChannelCount();
    TQkLocation Location() const { return FLocation; }
    bool IsEmpty() const { return FWidth == 0 || FHeight == 0 || FRowLen == 0 || FBitCount == 0; }

    // ---- Storage ----
    bool AllocatePixels();
    // Releases every pixel store and resets the size; format and location stay.
    void FreeImage(bool freeAlpha);
    void SetLocation(TQkLocation location);
    int32_t RowAlign() const { return FRowAlign; }
    void SetRowAlign(int32_t bits);
    // Hands the whole storage to `other`; this bitmap is left empty.
    void TransferStorageTo(TQkBitmap& other);
    // A row that stays valid until released (file storage maps it apart).
    uint8_t* GetScanlineView(int32_t row);
    void ReleaseScanlineView(int32_t row);
    void ReleaseFileViews();

    int64_t MemoryThreshold() const { return FMemoryThreshold; }
    void SetMemoryThreshold(int64_t bytes) { FMemoryThreshold = bytes; }
    bool Full() const { return FFull; }
    void SetFull(bool value) { FFull = value; }
    bool Dirty() const { return FDirty; }
    bool IsAlphaChannel() const { return FIsAlphaChannel; }
    uint8_t BilevelMethod() const { return FBilevelMethod; }
    void SetBilevelMethod(uint8_t value) { FBilevelMethod = value; }
    int32_t PaletteColors() const { return FPaletteColors; }
    void SetPaletteColors(int32_t value) { FPaletteColors = value; }
    // The file behind qkFile storage, for whole-image transfers.
    TQkFileBuffer* FileBuffer() { return FFileBuffer.get(); }

    // ---- Platform TBitmap bridge ----
    void CopyFromTBitmap(TBitmap& bitmap);
    void EncapsulateTBitmap(TBitmap* bitmap, bool freeFirst);
    // Moves the pixels into a TBitmap store (nullptr when the format has none).
    TBitmap* GetVclBitmap();
    TCanvas* GetCanvas();
    void SyncFromTBitmap();
    void BuildRowPointerCache();
    void FreeRowPointerCache();
    void SyncPaletteToTBitmap();
    // The platform canvas keeps no world transform: nothing to reset.
    void ApplyOriginTransform() {}
    bool TBitmapNotOwned() const { return FTBitmapNotOwned; }
    void SetTBitmapNotOwned(bool value) { FTBitmapNotOwned = value; }

    // ---- Pixel access (no range checks) ----
    uint8_t GetPixel8(int32_t x, int32_t y);
    void SetPixel8(int32_t x, int32_t y, uint8_t value);
    uint16_t GetPixel16(int32_t x, int32_t y);
    void SetPixel16(int32_t x, int32_t y, uint16_t value);
    float GetPixel32f(int32_t x, int32_t y);
    void SetPixel32f(int32_t x, int32_t y, float value);
    uint32_t GetPixelCMYK(int32_t x, int32_t y);
    void SetPixelCMYK(int32_t x, int32_t y, uint32_t value);
    TRGBPixel GetPixel24(int32_t x, int32_t y);
    void SetPixel24(int32_t x, int32_t y, const TRGBPixel& value);
    TRGB48Pixel GetPixel48(int32_t x, int32_t y);
    void SetPixel48(int32_t x, int32_t y, const TRGB48Pixel& value);
    TRGBPixel* GetRGBPixelAddress(int32_t x, int32_t y);
    TRGBPixel GetPixelRGB(int32_t x, int32_t y);

    // ---- Editing ----
    void Fill(double value);
    // Inclusive corners, clipped; the value is truncated for every format.
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, double value);
    void SetWidth(int32_t width);
    void SetHeight(int32_t height);
    // Alignment 0 left/top, 1 centre, 2 right/bottom.
    void Resize(int32_t newWidth, int32_t newHeight, double background, int32_t alpha, uint8_t horizontalAlign,
                uint8_t verticalAlign);
    void MoveRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t dx, int32_t dy, double background, bool fill);
    void CopyRectTo(TQkBitmap& destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t width,
                    int32_t height);
    void MergeAlphaRectTo(TQkBitmap& destination, int32_t sx, int32_t sy, int32_t dx, int32_t dy, int32_t width,
                          int32_t height);
    void UpdateFullAlphaFlag();
    bool IsAllZero();
    bool IsGrayScale();
    void CopyFromDibbitmap(TQkDibbitmap* dib);

    // ---- Copies and the alpha channel ----
    // Size, format, pixels and palette; keeps this bitmap's alpha channel,
    // row alignment and bilevel method.
    void AssignImage(TQkBitmap& source);
    // Assign and AssignImage for a source that is not needed afterwards:
    // when both bitmaps keep their pixels in memory the source's block is
    // taken over instead of copied, when both keep them in TBitmap stores
    // this bitmap's store receives the source store's rows, and the source
    // is left empty (it keeps its own alpha channel in TakeOverImage).
    void TakeOver(TQkBitmap& source);
    void TakeOverImage(TQkBitmap& source);
    // Where a bitmap built to be taken over by this one keeps its pixels, so
    // that TakeOver copies none.
    TQkLocation TakeOverLocation() const { return FLocation == qkTBitmap ? qkTBitmap : qkMemory; }
    // nullptr for a bitmap that is itself an alpha channel.
    TQkBitmap* GetAlphaChannel();
    bool HasAlphaChannel() const { return FAlphaChannel != nullptr; }
    // Takes `other` as the alpha channel; the one it replaces is freed.
    void AttachAlphaChannel(std::unique_ptr<TQkBitmap> other);
    // Hands the alpha channel over (nullptr when there is none); the bitmap
    // is left without one.
    std::unique_ptr<TQkBitmap> DetachAlphaChannel() { return std::move(FAlphaChannel); }
    void RemoveAlphaChannel(bool merge, TColor background);
    uint8_t GetAlpha(int32_t x, int32_t y);
    void SetAlpha(int32_t x, int32_t y, uint8_t value);

    // ---- Pixel-format conversion ----
    // Fills this bitmap from a source of the same size in another format;
    // nothing happens when the sizes differ or the pixels live in a TBitmap.
    // Pairs that go through 24-bit RGB convert `source` itself to qk24RGB
    // first, so callers must expect it to change format.
    void CopyAndConvertFormat(TQkBitmap& source);
    // Converts in place; false (image unchanged) when the new pixels cannot
    // be allocated or the format is not a real one.
    bool ConvertToPixelFormat(TQkPixelFormat format);
    bool SetPixelFormat(TQkPixelFormat format);

    // ---- Selection exchange ----
    // A 1-bit mask gives qk1g, an 8-bit one qk8g; no mask fills with 255.
    void CopyFromMask(const TQkMask* mask);
    // qk1g and qk8g copy their rows, qk24RGB gives the gray levels; other
    // formats leave the mask alone.
    void CopyToMask(TQkMask& mask);
    // The values of qk16g that map to black and white in 24-bit RGB; equal
    // values mean the high byte is taken.
    double RangeMin() const { return FRangeMin; }
    double RangeMax() const { return FRangeMax; }
    void SetRange(double low, double high)
    {
        FRangeMin = low;
        FRangeMax = high;
    }
    TQkRenderAdjustments& RenderAdjustments() { return FRenderAdjustments; }
    // The palette becomes `entries`, of any length (a TBitmap store too).
    void AssignPalette(std::vector<TRGBPixel> entries);

    // ---- Row renderers ----
    // Draw this bitmap's pixels into the job's destination area, one plain
    // and one blending member per source format.
    virtual void RenderRows24RGB(const TQkRowRenderJob& job);
    virtual void RenderRows24RGBAlpha(const TQkRowRenderJob& job);
    virtual void RenderRows32RGB(const TQkRowRenderJob& job);
    virtual void RenderRows32RGBAlpha(const TQkRowRenderJob& job);
    virtual void RenderRows1g(const TQkRowRenderJob& job);
    virtual void RenderRows1gAlpha(const TQkRowRenderJob& job);
    virtual void RenderRows8g(const TQkRowRenderJob& job);
    virtual void RenderRows8gAlpha(const TQkRowRenderJob& job);
    virtual void RenderRows8p(const TQkRowRenderJob& job);
    virtual void RenderRows8pAlpha(const TQkRowRenderJob& job);
    virtual void RenderRows16g(const TQkRowRenderJob& job);
    virtual void RenderRows16gAlpha(const TQkRowRenderJob& job);
    virtual void RenderRows32f(const TQkRowRenderJob& job);
    virtual void RenderRows32fAlpha(const TQkRowRenderJob& job);
    virtual void RenderRowsCMYK(const TQkRowRenderJob& job);
    virtual void RenderRowsCMYKAlpha(const TQkRowRenderJob& job);
    virtual void RenderRowsCIELab(const TQkRowRenderJob& job);
    virtual void RenderRowsCIELabAlpha(const TQkRowRenderJob& job);
    virtual void RenderRowsRGB48(const TQkRowRenderJob& job);
    virtual void RenderRowsRGB48Alpha(const TQkRowRenderJob& job);

private:
    struct TFileView {
        int32_t Row;
        uint8_t* Memory;
        uint8_t Access;
    };

    void SetFormatFields(TQkPixelFormat format);
    bool AllocateInMemory(int64_t size);
    bool AllocateRowBlocks();
    bool OpenFile(int64_t size);
    // `forCopy`: the caller overwrites every row, and the memory test is skipped.
    bool AllocateTBitmapStore(bool forCopy);
    void SetUpStoreFormat();
    uint8_t* MapFileRow(int32_t row);
    void ReleaseCurrentView();
    // Rows first .. first + count - 1 of a file-stored bitmap in one view;
    // nullptr in the other locations.
    uint8_t* MapFileRows(int32_t first, int32_t count, uint8_t access);
    void UnmapFileRows(const uint8_t* rows);
    void CopyRowsFrom(TQkBitmap& source);
    bool WriteRowsToFile(TQkBitmap& source, int32_t rows);
    void CopyPixelsFrom(TQkBitmap& source);
    // True when the pixels of `source` can become this bitmap's as they are:
    // rows as long as this bitmap would make them (with `rowAlign`), and
    // either both in memory, under this bitmap's memory threshold, or both
    // in TBitmap stores of their own.
    bool CanTakeStorageOf(TQkBitmap& source, int32_t rowAlign) const;
    // The storage, size, format and palette of `source`; this bitmap's own
    // alpha channel goes, the caller decides what replaces it.
    void TakeStorageOf(TQkBitmap& source);
    void SwapStoreWith(TQkBitmap& source);
    void AssignFrom(TQkBitmap& source, bool whole);
    void CopyFromTBitmapIntoStore(TBitmap& bitmap);
    void CopyRowsFromTBitmap(const TBitmap& bitmap);
    void ExpandTBitmapIndices(const TBitmap& bitmap, int32_t bitsPerIndex);
    void ExpandTBitmapWords(const TBitmap& bitmap, TRGBPixel (*expand)(uint16_t));
    void ReadTBitmapPalette(const TBitmap& bitmap, int32_t count);
    void TakeStoreLayout();
    void ChangeSize(int32_t width, int32_t height);
    void AlignBeforeShrink(int32_t newWidth, int32_t newHeight, double background, uint8_t horizontal,
                           uint8_t vertical);
    void AlignAfterGrow(int32_t oldWidth, int32_t oldHeight, double background, uint8_t horizontal, uint8_t vertical);
    void FitAlphaToSize();
    uint8_t* PixelAddress(int32_t x, int32_t y, int32_t bytes) { return GetScanline(y) + x * bytes; }
    void ConvertStoreFormat(TQkPixelFormat format);

    // Storage
    TQkPixelBlock FBlock;
    uint8_t* FBlockStart = nullptr;
    std::vector<TQkPixelBlock> FRowBlocks;
    int32_t FRowsPerBlock = 0;
    std::unique_ptr<TQkFileBuffer> FFileBuffer;
    int64_t FFileCapacity = 0; // bytes of the open file
    TFileView FCurrentView{-1, nullptr, 0};
    std::vector<TFileView> FViews;
    TBitmap* FStore = nullptr;
    std::unique_ptr<TBitmap> FOwnedStore;
    std::vector<uint8_t*> FRowPointerCache;

    std::vector<TRGBPixel> FPalette;
    std::unique_ptr<TQkBitmap> FAlphaChannel;
    bool FIsAlphaChannel = false;

    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int32_t FBitCount = 0;
    int32_t FChannelCount = 0;
    int32_t FRowLen = 0;
    TQkPixelFormat FPixelFormat = qkNone;
    TQkLocation FLocation = qkFile;
    bool FFull = false;
    bool FTBitmapNotOwned = false;
    int64_t FMemoryThreshold = 0;
    uint8_t FBilevelMethod = 1;
    int32_t FPaletteColors = 256;
    int32_t FRowAlign = 32;
    bool FDirty = true;
    double FRangeMin = 0;
    double FRangeMax = 0;
    TQkRenderAdjustments FRenderAdjustments;
};
