#pragma once
// TPNGObject: PNG files as a picture format. The image is kept as the list of
// its chunks; the header chunk holds the decoded pixels, which draw with one
// transparent colour or with per-pixel alpha over what is already there.

#include "controls/png/PngChunks.h"
#include "controls/png/PngErrors.h"
#include "controls/png/PngFilters.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/Graphic.h"
#include "platform/gfx/Palette.h"

#include <cstdint>
#include <memory>
#include <vector>

class TCanvas;
class TStream;

class TPNGObject : public TGraphic {
public:
    TPNGObject();
    ~TPNGObject() override;

    bool Empty() const override { return FChunks.Count() == 0; }
    // 0 without a header.
    int32_t Width() const override;
    int32_t Height() const override;
    // Resizing is refused with EPngError.
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;

    void Draw(TCanvas& canvas, const TRect& rect) override;
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    // Through a bitmap: the clipboard takes the image as drawn on a bitmap of
    // its size, and gives back an opaque image.
    void LoadFromClipboardFormat(TClipFormat format, const std::vector<uint8_t>& data) override;
    void SaveToClipboardFormat(TClipFormat& format, std::vector<uint8_t>& data) override;
    std::unique_ptr<TGraphic> Clone() const override;
    using TPersistent::Assign;
    // Null clears; a TPNGObject is copied; a TBitmap becomes a palette or RGB image.
    void Assign(const TPersistent* source) override;

    TPNGList& Chunks() { return FChunks; }
    const TPNGList& Chunks() const { return FChunks; }
    // The first chunk as header; EPNGHeaderNotPresent when it is none.
    TChunkIHDR* Header() const;
    bool HasHeader() const;
    // Bytes per PNG row and the filter distance; both 0 without a header.
    void PixelInfo(uint64_t& rowBytes, uint32_t& filterDistance) const;

    // 0 opaque, 1 one transparent colour, 2 partial transparency.
    int TransparencyMode() const;
    TColor TransparentColor() const;
    // Image row y (0 = top) of the store.
    uint8_t* RowPointer(uint32_t y) const;
    // The colour shown at a pixel; 0 outside the image.
    TColor Pixels(int32_t x, int32_t y) const;
    // Colour images store the colour, the others the nearest palette entry.
    void SetPixels(int32_t x, int32_t y, TColor color);
    // The 256 colours of a gray or palette image; null for other images.
    const TPalette* GetPalette();
    void ReleasePalette() { FPalette.reset(); }

    // Gamma tables to identity, every chunk freed.
    void Clear();
    void ResetGamma();
    void CopyFrom(const TPNGObject& source);
    // A palette image (below 16 bits per pixel) or an 8-bit RGB image.
    void AssignBitmap(const TBitmap& bitmap, bool transparent, TColor transparentColor);
    void DrawAlphaBlended(TCanvas& canvas, const TRect& rect);

    TFilters Filters() const { return FFilters; }
    void SetFilters(TFilters value) { FFilters = value; }
    uint8_t CompressionLevel() const { return FCompressionLevel; }
    void SetCompressionLevel(uint8_t value) { FCompressionLevel = value; }
    uint32_t MaxIdatSize() const { return FMaxIdatSize; }
    // Values below 65535 become 65535.
    void SetMaxIdatSize(uint32_t value);
    uint8_t InterlaceMethod() const { return FInterlaceMethod; }
    void SetInterlaceMethod(uint8_t value) { FInterlaceMethod = value; }

    uint8_t GammaTable[256];
    uint8_t InverseGammaTable[256];

protected:
    void AssignTo(TPersistent* dest) const override;

private:
    void LoadChunks(TStream& stream);
    void UpdateTransparentFlag();
    bool HasImage() const;
    // The store as a bitmap of the same format, for drawing and assigning.
    std::unique_ptr<TBitmap> StoreToBitmap() const;
    std::unique_ptr<TBitmap> TransparencyMask() const;
    void BlendPixel(uint8_t* target, uint32_t sx, uint32_t sy) const;

    std::unique_ptr<TPalette> FPalette;
    TFilters FFilters = pfSub;
    uint8_t FCompressionLevel = 7;
    uint32_t FMaxIdatSize = 65535;
    uint8_t FInterlaceMethod = 0;
    TPNGList FChunks;
};

// Start-up and shut-down of the unit: makes TPicture load and save files
// with the extension "PNG" through TPNGObject, and undoes that; also makes
// form resources' picture data naming TPNGObject readable (that stays).
void RegisterPngPictureFormat();
void UnregisterPngPictureFormat();
