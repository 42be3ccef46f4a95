#pragma once
// TQkDibbitmap: a 1- or 24-bit bitmap the platform canvas can draw into
// and from, its rows bottom-up in one block; no palette.

#include "imaging/core/QkBaseBitmap.h"

#include <memory>

class TBitmap;
class TCanvas;

class TQkDibbitmap : public TQkBaseBitmap {
public:
    TQkDibbitmap();
    ~TQkDibbitmap() override;

    uint8_t* GetScanline(int32_t row) override;
    int32_t GetBitCount() override { return FBitCount; }
    int32_t GetHeight() override { return FHeight; }
    int32_t GetWidth() override { return FWidth; }
    TQkPixelFormat GetPixelFormat() override;
    int32_t GetRowLen() override { return FRowLen; }
    TRGBPixel* GetPalette() override { return nullptr; }
    // Always black.
    void GetPaletteColor(int32_t index, TRGBPixel& color) override;
    void SetPaletteColor(int32_t, const TRGBPixel&) override {}
    int32_t GetPaletteLength() override { return 0; }
    // qk1g or qk24RGB; any other format gives false.
    bool Allocate(int32_t width, int32_t height, TQkPixelFormat format) override;
    // Only from another TQkDibbitmap.
    void Assign(TObject* source) override;
    void CopyPaletteTo(TObject*) override {}

    // False (and no change) for an empty size or a depth other than 1 or 24.
    bool AllocateBits(int32_t width, int32_t height, int32_t bits);
    void FreeBits();
    // The surface GDI-style drawing goes to; nullptr when empty.
    TCanvas* Canvas();

private:
    std::unique_ptr<TBitmap> FBitmap;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int32_t FBitCount = 0;
    int32_t FRowLen = 0;
};
