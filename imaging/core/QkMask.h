#pragma once
// TQkMask: a selection plane of the image's size, 1 bit (selected or not)
// or 8 bits (how strongly) a pixel, stored bottom-up with rows padded to 32
// bits, and the bounding box of its selected pixels.

#include "platform/core/Persistent.h"
#include "platform/gfx/Geometry.h"

#include <cstdint>
#include <vector>

class TCanvas;
class TQkBitmap;

// Separates the polygons of one point list.
constexpr int32_t MaskPolygonSeparator = 0xFFFFF;

class TQkMask : public TObject {
public:
    static constexpr int32_t EmptyBoxLeft = 2147483647;

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    int32_t BitsPerPixel() const { return FBitsPerPixel; }
    int32_t RowLen() const { return FRowLen; }
    // Inclusive; left is EmptyBoxLeft for an empty box.
    int32_t Left() const { return FLeft; }
    int32_t Top() const { return FTop; }
    int32_t Right() const { return FRight; }
    int32_t Bottom() const { return FBottom; }
    bool Full() const { return FFull; }
    void SetFull(bool value) { FFull = value; }

    // A zeroed plane; bits per pixel 1 or 8 (others allocate nothing).
    void AllocateBits(int32_t width, int32_t height, int32_t bitsPerPixel);
    // Keeps the content anchored at the top-left.
    void Resize(int32_t newWidth, int32_t newHeight);

    void SetPixel(int32_t x, int32_t y, int32_t value);
    int32_t GetPixel(int32_t x, int32_t y) const;
    bool IsPointInside(int32_t x, int32_t y) const { return GetPixel(x, y) != 0; }
    // Image row y (from the top); nullptr outside the plane.
    uint8_t* GetScanline(int32_t y);
    const uint8_t* GetScanline(int32_t y) const;

    void Fill(uint8_t value);
    void Empty();
    bool IsEmpty() const { return FLeft == EmptyBoxLeft; }
    void UpdateBounds();
    void UpdateFullFlag();

    // Pixels x1..x2 of row y (clamped into the plane); a 1-bit plane sets
    // them for value 1 and clears them otherwise. Returns x2 - x1 + 1 after
    // clamping (0 or less when nothing was written).
    int32_t DrawHorizontalLine(int32_t value, int32_t x1, int32_t y, int32_t x2);
    // Scan-line fill; rows outside the plane are skipped.
    void DrawPolygon(int32_t value, const TPoint* points, int32_t count);
    // Several polygons separated by a point whose X is MaskPolygonSeparator.
    void DrawPolygons(int32_t value, const TPoint* points, int32_t count);
    // With clip the box is cut to what stays inside; without it the move is
    // limited so the box stays whole, and the limited move is returned.
    void Translate(int32_t& dx, int32_t& dy, bool clip);

    // Inverts the canvas where a 1-bit plane is set: the plane's source
    // rectangle stretched onto the destination rectangle. Nothing for an
    // 8-bit plane or an empty box.
    void DrawInverted(TCanvas& canvas, const TRect& destination, const TRect& source);

    // Copies the selected pixels of the box from `source` into
    // `destination` (1-bit: replaced; 8-bit: blended by strength); both
    // must share a pixel format. A bitmap that holds only the box is
    // addressed from the box's corner. With alpha, the destination's alpha
    // becomes the source's, limited by the selection, and 0 elsewhere.
    void CopyBitmapThroughMask(TQkBitmap& destination, TQkBitmap& source, bool withAlpha, bool sourceHoldsBox,
                               bool destinationHoldsBox);

private:
    void SetEmptyBox();
    void ClampBox();
    bool IsFullValue(int32_t value) const;
    void TranslateBits(int32_t dx, int32_t dy);
    void TranslateBytes(int32_t dx, int32_t dy);

    std::vector<uint8_t> FPlane;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
    int32_t FBitsPerPixel = 0;
    int32_t FRowLen = 0;
    int32_t FLeft = EmptyBoxLeft;
    int32_t FTop = EmptyBoxLeft;
    int32_t FRight = 0;
    int32_t FBottom = 0;
    bool FFull = false;
};
