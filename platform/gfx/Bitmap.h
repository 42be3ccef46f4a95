#pragma once
// Device-independent bitmaps: rows from the top (ScanLine(0)) but stored
// bottom-up, each padded to a multiple of 32 bits. 1-, 4- and 8-bit bitmaps
// carry a palette; 15 bits are 5-5-5 and 16 bits 5-6-5 words; 24 bits are
// blue, green, red; 32 bits blue, green, red, alpha.

#include "platform/gfx/Colors.h"
#include "platform/gfx/Geometry.h"
#include "platform/gfx/Graphic.h"
#include "platform/gfx/Palette.h"
#include "platform/gfx/Raster.h"

#include <cstdint>
#include <memory>
#include <vector>

class TCanvas;

// pfDevice is the 24-bit format of a new bitmap.
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };

int BitsPerPixel(TPixelFormat format);
TPixelFormat PixelFormatOfBits(int bits);

// Where the transparent colour of a transparent bitmap comes from.
enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int32_t width, int32_t height, TPixelFormat format = pf24bit);
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    bool Empty() const override { return FWidth == 0 || FHeight == 0; }
    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    // Size changes keep the pixels at the top-left; new pixels are white.
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    void SetSize(int32_t width, int32_t height);

    TPixelFormat PixelFormat() const { return FFormat; }
    // Converts the pixels in place; a palette format gets its default palette.
    void SetPixelFormat(TPixelFormat value);
    int BitCount() const { return BitsPerPixel(FFormat); }
    bool Monochrome() const { return FFormat == pf1bit; }
    // True converts to 1 bit (pixels closer to white become white); false
    // turns a monochrome bitmap into the 24-bit format.
    void SetMonochrome(bool value);

    // Row y from the top; y outside the bitmap raises EInvalidGraphicOperation.
    uint8_t* ScanLine(int32_t y);
    const uint8_t* ScanLine(int32_t y) const;
    int32_t RowBytes() const { return FStride; }

    const TPalette& Palette() const { return FPalette; }
    // Replaces the colour table of a palette bitmap (pixels keep their
    // indices); ignored by the direct-colour formats.
    void SetPalette(const TPalette& palette);

    // The transparent colour: in tmAuto the colour of the bottom-left pixel.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode value);

    // The drawing surface of the bitmap, created on first use.
    TCanvas* Canvas();

    // Stretched with the canvas's copy mode (colour bitmaps pixel by pixel,
    // COLORONCOLOR); a transparent bitmap leaves out its transparent colour.
    void Draw(TCanvas& canvas, const TRect& rect) override;
    using TPersistent::Assign;
    // Copies another bitmap's pixels, palette and transparency.
    void Assign(const TPersistent* source) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;

    // Frees the pixels (0 x 0).
    void FreeImage();

    // The pixel rows as a raster view for the drawing code.
    TRasterSurface Surface();

private:
    void Reallocate(int32_t width, int32_t height, TPixelFormat format);

    int32_t FWidth = 0;
    int32_t FHeight = 0;
    TPixelFormat FFormat = pf24bit;
    int32_t FStride = 0;
    std::vector<uint8_t> FBits;
    TPalette FPalette;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    std::unique_ptr<TCanvas> FCanvas;
};
