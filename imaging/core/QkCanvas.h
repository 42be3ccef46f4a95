#pragma once
// TQkCanvas draws shapes and text on a TCanvas either through the canvas
// itself (the plain path) or, when anti-aliased drawing is loaded and asked
// for, through Cairo on a 32-bit scratch copy of the area drawn, with
// anti-aliasing and pen and brush opacity (the anti-aliased path).
//
// Coordinates of the anti-aliased path put pixel centres on whole numbers:
// a one-pixel line at x covers column x, and a rectangle of size
// (right - left - 1) spans the same pixels as the plain canvas's shape.
//
// Anti-aliased drawing is reference-counted: the image view loads it while
// it exists. A canvas chooses its path when it is created and keeps it.

#include <cstdint>
#include <string>
#include <vector>

#include <cairo.h>

#include "platform/gfx/Canvas.h"

// The library-wide state to its start-up values: switch on, not loaded,
// use count 0.
void CanvasStaticInit();
void CanvasStaticFinal();

bool IsGdiPlusLoaded();
// The switch is on and anti-aliased drawing is loaded.
bool IsGdiPlusActive();
// Use count + 1; the first load while the switch is on makes it available.
// A failed load leaves it off and reports nothing.
void LoadGdiPlus();
// Use count - 1; the last matching call unloads it.
void UnloadGdiPlus();
// The switch (on after start-up); a canvas created while it is off draws plainly.
bool GdiPlusSwitch();
void SetGdiPlusSwitch(bool on);
// For tests: makes loading fail as it would without the drawing library.
void SetGdiPlusLoadFails(bool fails);

// A pen over a TPen (not owned): the TPen draws the plain path; colour,
// opacity, fractional width, dashes and joins draw the anti-aliased one.
class TQkPen {
public:
    explicit TQkPen(TPen& pen);

    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    uint8_t Opacity() const { return FOpacity; }
    void SetOpacity(uint8_t value) { FOpacity = value; }
    float Width() const { return FWidth; }
    // The TPen gets the width truncated to whole pixels.
    void SetWidth(float value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const { return FMode; }
    // Only the plain path mixes by mode.
    void SetMode(TPenMode value);
    // 0 miter, 1 bevel, 2 round.
    uint8_t LineJoin() const { return FLineJoin; }
    void SetLineJoin(uint8_t value) { FLineJoin = value; }

    // Colour (transparent for psClear), width, dashes and join.
    void ApplyTo(cairo_t* cr) const;

private:
    TPen& FPen;
    TColor FColor;
    uint8_t FOpacity = 255;
    float FWidth;
    TPenStyle FStyle;
    TPenMode FMode;
    uint8_t FLineJoin = 2;
};

// A brush over a TBrush (not owned). Hatches are 8 x 8 patterns of the
// brush colour over the hatch background colour, each with its opacity.
class TQkBrush {
public:
    explicit TQkBrush(TBrush& brush);

    TColor Color() const { return FColor; }
    // Like the TBrush, choosing a colour makes a clear brush solid.
    void SetColor(TColor value);
    uint8_t Opacity() const { return FOpacity; }
    void SetOpacity(uint8_t value) { FOpacity = value; }
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle value);
    TColor HatchBackColor() const { return FHatchBackColor; }
    void SetHatchBackColor(TColor value) { FHatchBackColor = value; }
    uint8_t HatchBackOpacity() const { return FHatchBackOpacity; }
    void SetHatchBackOpacity(uint8_t value) { FHatchBackOpacity = value; }

    // Sets the brush as Cairo's source; hatches line up with the pixels of
    // the bitmap whose device point (0, 0) lies at user point -origin.
    void ApplyTo(cairo_t* cr, double originX, double originY) const;

private:
    TBrush& FBrush;
    TColor FColor;
    uint8_t FOpacity = 255;
    TColor FHatchBackColor = 0;
    uint8_t FHatchBackOpacity = 0;
    TBrushStyle FStyle;
};

class TQkCanvas {
public:
    // Draws anti-aliased when `useGdiPlus` and IsGdiPlusActive(); a canvas
    // whose bitmap has no pixels then raises an Exception.
    TQkCanvas(TCanvas& canvas, bool antiAlias, bool useGdiPlus);
    TQkCanvas(const TQkCanvas&) = delete;
    TQkCanvas& operator=(const TQkCanvas&) = delete;

    TCanvas* GetHandle() const { return &FCanvas; }
    bool UsesGdiPlus() const { return FUseGdiPlus; }
    TQkPen& Pen() { return FPen; }
    TQkBrush& Brush() { return FBrush; }

    // Smoothing modes counted from 1: 5 anti-alias, 2 high speed.
    void SetSmoothing(int32_t mode);

    void SetPenPos(TPoint point);
    void MoveTo(int32_t x, int32_t y) { SetPenPos({x, y}); }
    void LineTo(int32_t x, int32_t y);
    // Both end points are drawn on both paths.
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void FillRect(const TRect& rect);
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void RectangleRect(const TRect& rect) { Rectangle(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    void EllipseRect(const TRect& rect) { Ellipse(rect.Left, rect.Top, rect.Right, rect.Bottom); }
    // The anti-aliased path outlines first and fills over it (even-odd).
    void Polygon(const std::vector<TPoint>& points);
    void Polyline(const std::vector<TPoint>& points);
    // Counter-clockwise from the ray through (x3, y3) to the ray through (x4, y4).
    void Arc(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t x3, int32_t y3, int32_t x4, int32_t y4);
    void RoundRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t cornerWidth, int32_t cornerHeight);

    // Text always goes through the TCanvas.
    int32_t TextWidth(const std::string& text) { return FCanvas.TextWidth(text); }
    int32_t TextHeight(const std::string& text) { return FCanvas.TextHeight(text); }
    void TextOut(int32_t x, int32_t y, const std::string& text) { FCanvas.TextOut(x, y, text); }
    TFont* GetFont() { return FCanvas.Font(); }
    void TextRect(const TRect& rect, int32_t x, int32_t y, const std::string& text)
    {
        FCanvas.TextRect(rect, x, y, text);
    }
    // Clipped to the rectangle, never filling it.
    void TextRectNoFill(const TRect& rect, int32_t x, int32_t y, const std::string& text);

private:
    template <typename Draw>
    void Paint(TRect bounds, Draw draw);
    void ApplyBrush(cairo_t* cr) const;
    void FillAndStroke(cairo_t* cr) const;
    void StrokeLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

    TCanvas& FCanvas;
    TQkPen FPen;
    TQkBrush FBrush;
    TPoint FPenPos;
    bool FUseGdiPlus;
    cairo_antialias_t FAntialias = CAIRO_ANTIALIAS_DEFAULT;
};
