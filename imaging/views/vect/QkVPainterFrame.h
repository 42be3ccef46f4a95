#pragma once
// What drawing one object needs at hand: the record, where its corners land,
// the zoom, the pen width, the canvas set up with the object's pen, and the
// area the drawing covers, which grows with every point drawn.

#include <algorithm>

#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkGeometry.h"
#include "imaging/views/vect/QkVDrawing.h"
#include "platform/gfx/Bitmap.h"

struct TQkVObjectPainter::TObjectFrame {
    TObjectFrame(TQkVObject& record, int32_t hobj, bool alphaPass, const TQkVMapping& mapping, TQkBitmap* offscreen,
                 TBitmap& destination, bool antiAlias, int32_t penWidth)
        : Record(record), Handle(hobj), AlphaPass(alphaPass), Mapping(mapping), Offscreen(offscreen),
          Destination(destination), PenWidth(penWidth), ZoomX(mapping.ZoomX()), ZoomY(mapping.ZoomY()),
          X1(mapping.MapX(record.X1)), Y1(mapping.MapY(record.Y1)), X2(mapping.MapX(record.X2)),
          Y2(mapping.MapY(record.Y2)), Canvas(*destination.Canvas(), antiAlias, true)
    {
        TQkPen& pen = Canvas.Pen();
        pen.SetStyle(TPenStyle(record.PenStyle));
        pen.SetWidth(float(penWidth));
        pen.SetMode(pmCopy);
        pen.SetColor(record.PenColor);
        pen.SetOpacity(uint8_t(std::clamp(record.Transparency, 0, 255)));
        Canvas.Brush().SetOpacity(uint8_t(std::clamp(record.Transparency, 0, 255)));
    }

    void UseRecordBrush()
    {
        Canvas.Brush().SetColor(Record.BrushColor);
        Canvas.Brush().SetStyle(TBrushStyle(Record.BrushStyle));
    }
    TRect OrderedBox() const { return {std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)}; }
    // Zoomed images cover their last pixel: the far edges are where the next
    // pixel starts, less one.
    TRect BitmapBox() const
    {
        if (ZoomX == 1.0 && ZoomY == 1.0)
            return OrderedBox();
        const int32_t x2 = Mapping.MapX(Record.X2 + 1) - 1;
        const int32_t y2 = Mapping.MapY(Record.Y2 + 1) - 1;
        return {std::min(X1, x2), std::min(Y1, y2), std::max(X1, x2), std::max(Y1, y2)};
    }
    void Include(TPoint point) { IncludePointInRect(Record.DrawnRect, point.X, point.Y); }
    void Include(const TRect& rect)
    {
        Include(rect.TopLeft());
        Include(rect.BottomRight());
    }

    TQkVObject& Record;
    int32_t Handle;
    bool AlphaPass;
    const TQkVMapping& Mapping;
    TQkBitmap* Offscreen;
    TBitmap& Destination;
    int32_t PenWidth;
    double ZoomX;
    double ZoomY;
    int32_t X1;
    int32_t Y1;
    int32_t X2;
    int32_t Y2;
    TQkCanvas Canvas;
};
