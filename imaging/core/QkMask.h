#pragma once
// TQkMask: a selection plane of the image's size, 1 bit (selected or not)
// or 8 bits (how strongly) a pixel, stored bottom-up with rows padded to 32
// bits, and the bounding box of its selected pixels.

#include "platform/core/Persistent.h"
#include "platform/gfx/Colors.h"
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

    // The selection's dashed outline at `origin` on the canvas, for the
    // plane rectangle `visible` shown at screenWidth x screenHeight. Dashes
    // are runs of four pixels in `first` and `second`; a phase moved by 4
    // swaps them. `outline`, when given, receives the screen rectangle
    // (right and bottom exclusive) the outline can touch. Nothing for an
    // empty box or a screen size below 1.
    void DrawOutline(TCanvas& canvas, TPoint origin, TRect* outline, TColor first, TColor second, const TRect& visible,
                     int32_t screenWidth, int32_t screenHeight, int32_t phase);
    // Tints the unselected part of a qk24RGB view bitmap in which the plane
    // rectangle `visible` is shown at `position` with the screen size given:
    // opacity -1 lays a gray (97) checkerboard, 0..255 blends `colour` in.
    // Pixels beyond the view bitmap are left out.
    void ShadeOutside(TQkBitmap& view, TPoint position, TColor colour, int32_t opacity, const TRect& visible,
                      int32_t screenWidth, int32_t screenHeight);

    // Copies the selected pixels of the box from `source` into
    // `destination` (1-bit: replaced; 8-bit: blended by strength); both
    // must share a pixel format. A bitmap that holds only the box is
    // addressed from the box's corner. With alpha, the destination's alpha
    // becomes the source's, limited by the selection, and 0 elsewhere.
    void CopyBitmapThroughMask(TQkBitmap& destination, TQkBitmap& source, bool withAlpha, bool sourceHoldsBox,
                               bool destinationHoldsBox);

private:
    // The plane sampled nearest-neighbour at the screen size (1 = selected);
    // only the box's area is sampled and stored. Kept while the plane, its box, the
    // visible rectangle and the screen size stay the same.
    struct TScaledPlane {
        int32_t Width = 0;
        int32_t Height = 0;
        TRect Visible;
        TRect Box;
        uint64_t PlaneVersion = 0;
        // Screen-to-plane steps with 14 fractional bits.
        int64_t StepX = 0;
        int64_t StepY = 0;
        // The box's screen columns and rows, inclusive; empty when first > last.
        int32_t FirstColumn = 0;
        int32_t LastColumn = -1;
        int32_t FirstRow = 0;
        int32_t LastRow = -1;
        std::vector<uint8_t> Values;

        int32_t PlaneX(int32_t column) const { return Visible.Left + static_cast<int32_t>((column * StepX) >> 14); }
        int32_t PlaneY(int32_t row) const { return Visible.Top + static_cast<int32_t>((row * StepY) >> 14); }
        // False outside the box's area, which is not sampled.
        bool IsSet(int32_t column, int32_t row) const
        {
            if (column < FirstColumn || column > LastColumn || row < FirstRow || row > LastRow)
                return false;
            const auto columns = static_cast<size_t>(LastColumn - FirstColumn + 1);
            return Values[static_cast<size_t>(row - FirstRow) * columns + static_cast<size_t>(column - FirstColumn)] !=
                0;
        }
        bool HasArea() const { return FirstColumn <= LastColumn && FirstRow <= LastRow; }
    };

    const TScaledPlane& ScaledPlane(const TRect& visible, int32_t width, int32_t height);
    void SampleScaledPlane(TScaledPlane& scaled) const;
    bool IsOutlinePixel(const TScaledPlane& scaled, int32_t column, int32_t row) const;
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
    uint64_t FPlaneVersion = 0;
    TScaledPlane FScaled;
};
