#pragma once
// The drawing surface of a bitmap, with the classic drawing rules exact to
// the pixel: lines leave out their end point, fills leave out the right and
// bottom edges, the pen of a shape lies inside its bounding rectangle when
// it is one pixel wide (or an inside-frame pen), and a clear pen shrinks a
// filled shape by one pixel at the right and bottom.
//
// Coordinates are logical; the viewport origin is added to reach device
// pixels. Drawing is clipped to the bitmap, to the device clip (set by the
// window layer, unaffected by SelectClipRgn and by SaveDC/RestoreDC) and to
// the clip region.
//
// The rules in detail:
// - Lines step along their major axis; the minor coordinate is the exact one
//   rounded, halves toward the start point.
// - Polygons fill the pixels (x, y) with x0 <= x < x1 between crossings of
//   row y, edges counted when y0 <= y < y1: shapes sharing an edge tile.
// - Ellipses cover the pixels whose centres lie inside the ellipse of the
//   bounding rectangle; their one-pixel outline is 8-connected.
// - Pens wider than one pixel are centred on the one-pixel outline (inside
//   it for psInsideFrame) and round at line ends; dashed styles apply to
//   one-pixel lines and rectangle outlines: dash 18 on 6 off, dot 3/3,
//   dash-dot 9/6/3/6, dash-dot-dot 9/3/3/3/3/3, gaps in the background
//   colour when the background mode is OPAQUE.
// - The pen mode combines pen and brush of shapes with the destination;
//   FillRect, FrameRect and the text ignore it.
// - Hatches are one-pixel lines on an 8 x 8 cell (rows or columns 0, the
//   diagonals x = y and x + y = 7), their gaps painted in the background
//   colour only when the background mode is OPAQUE.
// - Raster operations work on the stored pixel values (palette indices for
//   palette bitmaps). A 1-bit source drawn on colour gives its 1 pixels the
//   destination's background colour and its 0 pixels the text colour; a
//   colour source drawn on 1 bit gives 1 where the pixel equals the source
//   canvas's background colour.
// - Writing a colour into a 32-bit pixel sets its alpha byte to 0, except
//   for AlphaBlend, which composes alpha too.

#include "platform/core/Persistent.h"
#include "platform/gfx/Brush.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Geometry.h"
#include "platform/gfx/Pen.h"
#include "platform/gfx/Raster.h"
#include "platform/gfx/Region.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TBitmap;
class TGraphic;
struct TSpan;
class TFontFace;

// Ternary raster operations.
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t SRCPAINT = 0x00EE0086;
constexpr uint32_t SRCAND = 0x008800C6;
constexpr uint32_t SRCINVERT = 0x00660046;
constexpr uint32_t SRCERASE = 0x00440328;
constexpr uint32_t NOTSRCCOPY = 0x00330008;
constexpr uint32_t NOTSRCERASE = 0x001100A6;
constexpr uint32_t MERGECOPY = 0x00C000CA;
constexpr uint32_t MERGEPAINT = 0x00BB0226;
constexpr uint32_t PATCOPY = 0x00F00021;
constexpr uint32_t PATPAINT = 0x00FB0A09;
constexpr uint32_t PATINVERT = 0x005A0049;
constexpr uint32_t DSTINVERT = 0x00550009;
constexpr uint32_t BLACKNESS = 0x00000042;
constexpr uint32_t WHITENESS = 0x00FF0062;
// A mask operation: `fore` where the mask is 1, `back` where it is 0.
constexpr uint32_t MAKEROP4(uint32_t fore, uint32_t back) { return ((back << 8) & 0xFF000000u) | fore; }

using TCopyMode = uint32_t;
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT, cmSrcAnd = SRCAND,
                    cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT, cmSrcPaint = SRCPAINT,
                    cmWhiteness = WHITENESS;

enum TBackgroundMode { TRANSPARENT = 1, OPAQUE = 2 };

// Text alignment flags.
constexpr uint32_t TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0,
                   TA_BOTTOM = 8, TA_BASELINE = 24;

enum TStretchMode { BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4 };

// ExtTextOut options.
constexpr uint32_t ETO_OPAQUE = 2, ETO_CLIPPED = 4;

// Not a colour: what Pixels() answers for a point outside the bitmap.
constexpr TColor CLR_INVALID = 0xFFFFFFFF;

// Per-pixel alpha blending of a premultiplied 32-bit source.
struct TBlendFunction {
    uint8_t SourceConstantAlpha = 255;
    bool UseSourceAlpha = true; // the source's alpha byte, else the constant alone
};

struct TTextMetric {
    int32_t tmHeight = 0;
    int32_t tmAscent = 0;
    int32_t tmDescent = 0;
    int32_t tmInternalLeading = 0;
    int32_t tmExternalLeading = 0;
    int32_t tmAveCharWidth = 0;
    int32_t tmMaxCharWidth = 0;
    int32_t tmWeight = 400;
    uint8_t tmItalic = 0;
    uint8_t tmUnderlined = 0;
    uint8_t tmStruckOut = 0;
    uint8_t tmPitchAndFamily = 0;
    uint8_t tmCharSet = 0;
};
// tmPitchAndFamily bits.
constexpr uint8_t TMPF_FIXED_PITCH = 1, TMPF_VECTOR = 2, TMPF_TRUETYPE = 4;

class TCanvas : public TPersistent {
public:
    // Draws on the bitmap, which must outlive the canvas.
    explicit TCanvas(TBitmap* target);
    ~TCanvas() override;

    TBitmap* Target() const { return FTarget; }

    TPen* Pen() { return &FPen; }
    TBrush* Brush() { return &FBrush; }
    TFont* Font() { return &FFont; }

    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint value) { FPenPos = value; }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode value) { FCopyMode = value; }

    // The text and background colours of the blits' mono/colour conversions
    // and of text. Changing the font sets the text colour; changing the brush
    // sets the background colour (a clear brush the inverted colour) and the
    // background mode (a solid brush OPAQUE, others TRANSPARENT).
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor value) { FTextColor = value; }
    TColor BackgroundColor() const { return FBackColor; }
    void SetBackgroundColor(TColor value) { FBackColor = value; }
    TBackgroundMode BackgroundMode() const { return FBackMode; }
    void SetBackgroundMode(TBackgroundMode value) { FBackMode = value; }
    uint32_t TextAlign() const { return FTextAlign; }
    void SetTextAlign(uint32_t value) { FTextAlign = value; }
    TStretchMode StretchMode() const { return FStretchMode; }
    void SetStretchMode(TStretchMode value) { FStretchMode = value; }
    TPolyFillMode PolyFillMode() const { return FPolyFillMode; }
    void SetPolyFillMode(TPolyFillMode value) { FPolyFillMode = value; }
    // Device position of a pattern brush's top-left pixel.
    TPoint BrushOrigin() const { return FBrushOrigin; }
    void SetBrushOrigin(TPoint value) { FBrushOrigin = value; }

    // Device position of logical (0, 0).
    TPoint ViewportOrigin() const { return FViewport; }
    void SetViewportOrigin(TPoint value) { FViewport = value; }

    // ---- Clipping -------------------------------------------------------
    // The window layer's bound in device pixels; nullptr for the whole bitmap.
    void SetDeviceClip(const TRegion* region);
    // Device coordinates; nullptr removes the clip region.
    TRegionKind SelectClipRgn(const TRegion* region);
    // Logical coordinates.
    TRegionKind ExcludeClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    TRegionKind IntersectClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // The clip region in device coordinates; false when there is none.
    bool GetClipRgn(TRegion& region) const;
    // The bounding box of the visible area in logical coordinates.
    TRect ClipRect() const;
    bool PtVisible(int32_t x, int32_t y) const;
    bool RectVisible(const TRect& rect) const;

    // Saves the whole drawing state; returns its level (1 for the first).
    int SaveDC();
    // A positive level restores that level, -1 the last one; false when
    // there is no such level.
    bool RestoreDC(int level);

    // ---- Pixels and lines ----------------------------------------------
    // RGB colour of a pixel; CLR_INVALID outside the bitmap.
    TColor Pixels(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, TColor color);
    void MoveTo(int32_t x, int32_t y);
    void LineTo(int32_t x, int32_t y);
    void Polyline(const std::vector<TPoint>& points);

    // ---- Shapes ---------------------------------------------------------
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void Rectangle(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    // The brush alone over the rectangle.
    void FillRect(const TRect& rect);
    // One colour over the rectangle, leaving brush and pen alone.
    void FillSolidRect(const TRect& rect, TColor color);
    // A one-pixel frame in the brush.
    void FrameRect(const TRect& rect);
    void RoundRect(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t width, int32_t height);
    void Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void Ellipse(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    // Arcs run counter-clockwise from the ray through (x3, y3) to the ray
    // through (x4, y4), both from the ellipse's centre.
    void Arc(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
    void Pie(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
    void Chord(int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3, int32_t x4,
               int32_t y4);
    void Polygon(const std::vector<TPoint>& points);
    void FillRgn(const TRegion& region);
    // Inverts every other pixel of the rectangle's one-pixel border.
    void DrawFocusRect(const TRect& rect);
    void InvertRect(const TRect& rect);
    // A raster operation of pattern and destination over the rectangle.
    void PatBlt(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop);
    // Linear gradient from the first colour at the left (or top) edge toward
    // the second: column i of n gets first + (second - first) * i / n per
    // channel, truncated.
    void GradientFill(const TRect& rect, TColor first, TColor second, bool vertical);

    // ---- Blits ----------------------------------------------------------
    void BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                uint32_t rop);
    // Negative extents mirror; a negative extent covers the pixels from the
    // given coordinate backwards (x + width + 1 .. x).
    void StretchBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                    int32_t sourceWidth, int32_t sourceHeight, uint32_t rop);
    // `fore` of the ROP4 where the mask bitmap's pixel is 1, `back` where 0.
    void MaskBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                 TBitmap* mask, int32_t mx, int32_t my, uint32_t rop4);
    // Copies every source pixel whose colour differs from `key`.
    void TransparentBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                        int32_t sourceWidth, int32_t sourceHeight, TColor key);
    // Copies the source where the monochrome mask (same geometry as the
    // source) is 0 and keeps the destination where it is 1.
    void TransparentStretchBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx,
                               int32_t sy, int32_t sourceWidth, int32_t sourceHeight, TCanvas* mask, int32_t mx,
                               int32_t my);
    void AlphaBlend(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                    int32_t sourceWidth, int32_t sourceHeight, TBlendFunction blend);
    // StretchBlt with the copy mode.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    void Draw(int32_t x, int32_t y, TGraphic* graphic);
    void StretchDraw(const TRect& rect, TGraphic* graphic);
    // Copies the bitmap with the pixels of `color` replaced by the brush.
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color);

    // ---- Text -----------------------------------------------------------
    void TextOut(int32_t x, int32_t y, const std::string& text);
    // Text clipped to the rectangle, which the brush fills first unless clear.
    void TextRect(const TRect& rect, int32_t x, int32_t y, const std::string& text);
    // `rect` (may be null) is filled with the background colour with
    // ETO_OPAQUE and clips the text with ETO_CLIPPED; `dx` (may be null)
    // gives the advance of each character.
    void ExtTextOut(int32_t x, int32_t y, uint32_t options, const TRect* rect, const std::string& text,
                    const int32_t* dx = nullptr);
    TSize TextExtent(const std::string& text);
    int32_t TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int32_t TextHeight(const std::string& text) { return TextExtent(text).cy; }
    TTextMetric GetTextMetrics();

    // ---- For the drawing code of this library ---------------------------
    // Paints device spans (clipped) with a raw value through a pen mode.
    void PaintSpans(const std::vector<TSpan>& spans, uint32_t raw, int rop2);
    // Paints device spans with the brush (pattern, hatch or solid).
    void PaintBrushSpans(const std::vector<TSpan>& spans);
    TRasterSurface Surface() const;
    // The bounding box of the visible device pixels.
    TRect VisibleBox() const;
    // Calls `visit(x0, x1)` for each visible piece of device row y, x0..x1-1.
    template <typename Visit>
    void ForEachVisible(int32_t y, int32_t x0, int32_t x1, Visit&& visit) const;
    TFontFace& CurrentFace();
    // The realised brush (CanvasState.h), which the blit rows read too.
    struct TBrushPattern;

private:
    struct TSavedState;

    void BrushChanged();
    void FontChanged();
    // Marks the visible rectangles for recomputation.
    void UpdateClipRects();
    void EnsureClipRects() const;
    uint32_t RawOf(TColor color) const;
    TBrushPattern MakeBrushPattern();
    void PaintPatternSpans(const std::vector<TSpan>& spans, const TBrushPattern& pattern, int rop2);
    void PaintPenSpans(const std::vector<TSpan>& spans);
    void StrokeLine(TPoint from, TPoint to, int64_t& styleStep);
    void StrokePolyline(const std::vector<TPoint>& devicePoints, bool closed);
    void DrawBoxShape(int32_t left, int32_t top, int32_t right, int32_t bottom, int kind, int32_t width,
                      int32_t height);
    void DrawArcShape(int kind, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t x3, int32_t y3,
                      int32_t x4, int32_t y4);
    TPoint ToDevice(int32_t x, int32_t y) const { return {x + FViewport.X, y + FViewport.Y}; }
    void DrawGlyphRun(int32_t x, int32_t y, uint32_t options, const TRect* rect, const std::u32string& text,
                      const int32_t* dx);
    void BlendCoverage(int32_t y, int32_t x0, const uint8_t* coverage, int32_t count, const TRect* clip,
                       uint32_t textRaw, TColor textRgb);

    TBitmap* FTarget;
    TPen FPen;
    TBrush FBrush;
    TFont FFont;
    TPoint FPenPos;
    TCopyMode FCopyMode = SRCCOPY;
    TColor FTextColor = clBlack;
    TColor FBackColor = clWhite;
    TBackgroundMode FBackMode = OPAQUE;
    uint32_t FTextAlign = TA_LEFT | TA_TOP;
    TStretchMode FStretchMode = BLACKONWHITE;
    TPolyFillMode FPolyFillMode = ALTERNATE;
    TPoint FBrushOrigin;
    TPoint FViewport;
    std::optional<TRegion> FDeviceClip;
    std::optional<TRegion> FClipRegion;
    // Visible device rectangles, banded; recomputed when the clip or the
    // bitmap's size changes.
    mutable std::vector<TRect> FClipRects;
    mutable TSize FClipSurfaceSize{-1, -1};
    mutable TRect FClipBox;
    std::vector<std::unique_ptr<TSavedState>> FSaved;
    std::shared_ptr<TFontFace> FFace;
    bool FFaceAntialiased = false;
};

template <typename Visit>
void TCanvas::ForEachVisible(int32_t y, int32_t x0, int32_t x1, Visit&& visit) const
{
    if (x1 <= x0)
        return;
    EnsureClipRects();
    // Bands are sorted by top; find the first rectangle whose bottom lies below y.
    auto it = std::lower_bound(FClipRects.begin(), FClipRects.end(), y,
                               [](const TRect& r, int32_t row) { return r.Bottom <= row; });
    for (; it != FClipRects.end() && it->Top <= y; ++it) {
        if (it->Bottom <= y)
            continue;
        const int32_t a = std::max(x0, it->Left), b = std::min(x1, it->Right);
        if (a < b)
            visit(a, b);
    }
}
