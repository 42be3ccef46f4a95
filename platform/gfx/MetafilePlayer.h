#pragma once
// Plays metafile records on a canvas: the device context a metafile draws
// into (mapping, object table, saved states) and the drawing calls the
// Windows and enhanced record decoders share.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gfx/Brush.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/LogFont.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/Pen.h"

class TMetafileBytes;

class TMetafilePlayer {
public:
    TMetafilePlayer(TCanvas& canvas, const TRect& target, const TMetafile::TLayout& layout);
    // The canvas must not keep a pattern the player owns.
    ~TMetafilePlayer();
    TMetafilePlayer(const TMetafilePlayer&) = delete;
    TMetafilePlayer& operator=(const TMetafilePlayer&) = delete;

    // A device coordinate, kept well inside the canvas's integer range.
    static int32_t ToDevice(double value);

    void PlayWindowsRecords(const std::vector<uint8_t>& data);
    void PlayEnhancedRecords(const std::vector<uint8_t>& data);

private:
    enum class TShape : uint8_t { Rectangle, Ellipse, Arc, Pie, Chord };
    struct TPoint64 {
        double X = 0, Y = 0;
    };
    struct TPenObject {
        TPenStyle Style = psSolid;
        int32_t Width = 1;
        TColor Color = clBlack;
    };
    struct TBrushObject {
        TBrushStyle Style = bsSolid;
        TColor Color = clWhite;
        // A DIB pattern, shared by the object table and every state that
        // selects it, so it outlives its selection on the canvas.
        std::shared_ptr<TBitmap> Pattern;
    };
    enum class TObjectKind : uint8_t { None, Pen, Brush, Font, Palette, Region, Other };
    struct TObject {
        TObjectKind Kind = TObjectKind::None;
        TPenObject Pen;
        TBrushObject Brush;
        TLogFont Font;
        // A logical palette's colours.
        std::vector<TColor> Palette;
        // A region's rectangles, in logical units.
        std::vector<TRect> Region;
    };
    // The world transform: x' = x M11 + y M21 + Dx, y' = x M12 + y M22 + Dy.
    struct TXform {
        double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
    };
    // What SaveDC keeps.
    struct TState {
        TXform World;
        TPoint64 WindowOrg, WindowExt{1, 1}, ViewportOrg, ViewportExt{1, 1};
        bool Scaled = false;
        TPenObject Pen;
        TBrushObject Brush;
        TLogFont Font;
        TPoint Position;
        // The selected logical palette; empty for the default one.
        std::vector<TColor> Palette;
    };

    // Mapping: logical units through the world transform and the window
    // and viewport to the reference device's units, and those onto the
    // target.
    TPoint64 Reference(double x, double y) const;
    TPoint64 TargetOffset(TPoint64 reference) const;
    TPoint64 MapExact(double x, double y) const;
    // Regions of enhanced metafiles are in the reference device's units.
    TPoint MapReference(double x, double y) const;
    TPoint Map(double x, double y) const;
    int32_t MapWidth(double width) const;
    int32_t MapHeight(double height) const;
    TRect MapRect(double left, double top, double right, double bottom) const;

    // Shapes under a rotation or shear become polygons through Map.
    bool Rotated() const { return FState.World.M12 != 0 || FState.World.M21 != 0; }
    void ModifyWorldTransform(const TXform& xform, uint32_t mode);
    void DrawRotatedShape(TShape shape, double left, double top, double right, double bottom, TPoint64 start,
                          TPoint64 end);

    // Device context.
    void SelectPen(const TPenObject& pen);
    void SelectBrush(const TBrushObject& brush);
    // The text colour stays: it is the device context's, not the font's.
    // A 0 height or an empty face keeps the canvas's.
    void SelectFont(const TLogFont& font);
    // `advances`, when not empty, holds each character's advance in logical
    // units; the canvas gets them as device advances between the mapped
    // positions, so rounding does not add up along the line.
    void DrawText(double x, double y, const std::u32string& text, uint32_t options, const TRect* rect,
                  const std::vector<double>& advances = {});
    void CreateObject(const TObject& object, int64_t index);
    void SelectObject(uint32_t index);
    void SelectStockObject(uint32_t stock);
    void DeleteObject(uint32_t index);
    // Only palette objects, and the stock default palette, are selected.
    void SelectPalette(uint32_t index);
    // Combines the clip with a region in the canvas's coordinates, within
    // the clip the canvas had before playing; no region with RGN_COPY
    // returns to that clip.
    void SelectClipRegion(const TRegion* region, uint32_t mode);
    // Selects a region object as the clip.
    void SelectClipRegionObject(uint32_t index);
    void SaveState();
    void RestoreState(int32_t level);
    void SetRop2(uint32_t rop2);
    int64_t FirstFreeSlot() const;

    // Records.
    bool PlayWindowsRecord(uint16_t function, TMetafileBytes& params);
    bool PlayWindowsShape(uint16_t function, TMetafileBytes& params);
    bool PlayWindowsPolygons(uint16_t function, TMetafileBytes& params);
    bool PlayWindowsText(uint16_t function, TMetafileBytes& params);
    bool PlayEnhancedRecord(uint32_t type, TMetafileBytes& record);
    bool PlayClipRegion(TMetafileBytes& record);
    bool PlayEnhancedShape(uint32_t type, TMetafileBytes& record);
    bool PlayEnhancedPolygons(uint32_t type, TMetafileBytes& record);
    bool PlayRotatedShape(uint32_t type, TMetafileBytes& record, double left, double top, double right, double bottom);
    bool PlayEnhancedText(uint32_t type, TMetafileBytes& record);
    bool PlayWindowsBitmap(uint16_t function, TMetafileBytes& params);
    bool PlayEnhancedBitmap(uint32_t type, TMetafileBytes& record);
    // How a DIB's colour table is read.
    enum : uint32_t { dibRgbColors = 0, dibPalColors = 1, dibPalMono = 2 };
    // A blit in logical destination units and DIB source pixels.
    struct TBlit {
        double X = 0, Y = 0, Width = 0, Height = 0;
        int32_t SourceX = 0, SourceY = 0, SourceWidth = 0, SourceHeight = 0;
        uint32_t Rop = SRCCOPY;
        // The DIB-setting records count the source rows of a bottom-up DIB
        // from its bottom, as its rows are stored.
        bool RowsFromBottom = false;
        // SetDIBitsToDevice's band: the DIB holds only `ScanCount` scan
        // lines from `StartScan` on (counted as its rows are stored) and
        // only the part of the source inside them is drawn; a negative
        // count means the whole DIB.
        int32_t StartScan = 0, ScanCount = -1;
        // How the DIB's colour table is read: RGB colours, indexes into the
        // selected logical palette, or none at all (a monochrome DIB).
        uint32_t Usage = dibRgbColors;
    };
    // The DIB with a colour table of RGB colours, whatever its usage says;
    // empty when its table runs past its bytes.
    std::vector<uint8_t> RgbDib(const uint8_t* dib, size_t size, uint32_t usage) const;
    // A banded blit as a plain blit of its band: the DIB's height becomes
    // the band's and the source rows are clipped to it. False when nothing
    // of the source lies in the band.
    static bool BandBlit(std::vector<uint8_t>& dib, TBlit& blit);
    // Stretches the packed DIB onto the mapped destination through the
    // canvas's raster operations; with no DIB only the pattern takes part.
    // False when the DIB does not decode within its bytes.
    bool DrawDib(const uint8_t* dib, size_t size, const TBlit& blit);
    // A blit under a rotated or sheared world transform; `sourceY` counts
    // the source rows from the bitmap's top.
    void DrawTransformedDib(TBitmap& bitmap, const TBlit& blit, int32_t sourceY);
    // A pattern brush from a packed DIB; one that does not decode takes its
    // slot as a solid black brush.
    // A monochrome pattern takes the text and background colours when it
    // is drawn; a DIB's own colour table colours any other.
    void CreatePatternBrush(const uint8_t* dib, size_t size, uint32_t usage, int64_t index, bool monochrome = false);
    // A monochrome device-dependent bitmap's pattern: width, height, bytes a
    // row, planes and bits per pixel, then top-down rows from `bitsOffset`.
    void CreateBitmapPatternBrush(TMetafileBytes& params, size_t bitsOffset, int64_t index);
    // Arcs, pies and chords run from the start ray to the end ray.
    void DrawShape(TShape shape, const TRect& box, TPoint start = {}, TPoint end = {});
    void DrawPoints(const std::vector<TPoint>& points, bool closed);
    // Cubic Bézier segments (three points each after the start) as a
    // polyline; `fromCurrent` starts at the pen position and moves it.
    void DrawBeziers(std::vector<TPoint> points, bool fromCurrent);
    // A polyline from the pen position, which moves to its end.
    void DrawLinesFromCurrent(std::vector<TPoint> points);
    std::vector<TPoint> ReadPoints(TMetafileBytes& bytes, size_t offset, uint64_t count, bool wide);
    // Each polygon's point count (16- or 32-bit), then all the points.
    void DrawPolygons(TMetafileBytes& bytes, size_t countsOffset, size_t countSize, uint32_t polygons,
                      size_t pointsOffset, bool wide, bool closed);

    TCanvas& FCanvas;
    TRect FTarget;
    TMetafile::TLayout FLayout;
    TState FState;
    std::vector<TState> FSaved;
    // Saves past the depth cap, dropped but counted so restores pair up.
    int32_t FDroppedSaves = 0;
    std::vector<TObject> FObjects;
    // The canvas's clip region before playing, in device coordinates.
    std::optional<TRegion> FInitialClip;
};
