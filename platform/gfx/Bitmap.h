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
#include <new>
#include <utility>
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
    // A new size and format whose pixels are left undefined, for callers that
    // write every row next: nothing is converted or whitened, and the memory
    // already held is reused when it is large enough. Row padding is zero; a
    // palette format keeps its palette when the bit count stays, else it gets
    // the default one.
    void ReshapeForOverwrite(int32_t width, int32_t height, TPixelFormat format);
    // Exchanges size, format, rows and palette with `other` without copying
    // a pixel: a bitmap built elsewhere replaces this one's image, and both
    // stay the objects their holders point to.
    void SwapPixels(TBitmap& other);

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
    // A 32-bit little-endian byte count, then the bitmap file.
    void ReadData(TStream& stream) override;
    void WriteData(TStream& stream) const override;
    // CF_BITMAP, the bytes of the bitmap file.
    void LoadFromClipboardFormat(TClipFormat format, const std::vector<uint8_t>& data) override;
    void SaveToClipboardFormat(TClipFormat& format, std::vector<uint8_t>& data) override;
    std::unique_ptr<TGraphic> Clone() const override;

    // Frees the pixels (0 x 0).
    void FreeImage();

    // The pixel rows as a raster view for the drawing code.
    TRasterSurface Surface();

private:
    // Leaves new bytes uninitialised: whoever sizes the pixel store fills it.
    template <class T>
    struct TUninitializedAllocator : std::allocator<T> {
        template <class U>
        struct rebind {
            using other = TUninitializedAllocator<U>;
        };
        template <class U>
        void construct(U* place) noexcept
        {
            ::new (static_cast<void*>(place)) U;
        }
        template <class U, class... Args>
        void construct(U* place, Args&&... args)
        {
            ::new (static_cast<void*>(place)) U(std::forward<Args>(args)...);
        }
    };
    using TPixelBytes = std::vector<uint8_t, TUninitializedAllocator<uint8_t>>;

    // The stride of a row, or a raised error for a size that cannot be had.
    static int32_t CheckedStride(int32_t width, int32_t height, int bpp);
    TPalette PaletteFor(int bpp) const;
    void Reallocate(int32_t width, int32_t height, TPixelFormat format);
    // `size` undefined bytes in the memory held when it is large enough; an
    // allocation failure leaves the bitmap empty.
    void ResizeBitsForOverwrite(size_t size);

    int32_t FWidth = 0;
    int32_t FHeight = 0;
    TPixelFormat FFormat = pf24bit;
    int32_t FStride = 0;
    TPixelBytes FBits;
    TPalette FPalette;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
    std::unique_ptr<TCanvas> FCanvas;
};
