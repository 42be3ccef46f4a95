#pragma once
// Drawing vector objects: each object through the anti-aliasing canvas onto
// a class-library bitmap, directly or, when it is translucent, blended,
// shadowed or AND-filled, through an off-screen buffer that is composited
// afterwards. The view supplies where bitmap coordinates land (its zoom and
// scroll position) and its drawing settings.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkSettings.h"
#include "imaging/views/vect/QkVObjectSet.h"

class TBitmap;
class TQkCanvas;

// The size of one image pixel in a unit, across and down.
struct TQkVUnitFactors {
    double X = 1.0;
    double Y = 1.0;
};
TQkVUnitFactors ComputeUnitFactors(TQkUnits unit, double dpiX, double dpiY, double measureScale);
// "pixels", "inches", "km", "mt", ...
std::string UnitAbbreviation(TQkUnits unit);

// Where an object's bitmap coordinates land on the destination.
class TQkVMapping {
public:
    // Bitmap coordinates as they are.
    TQkVMapping() = default;
    // Through the view's conversion and zoom (1.0 = 100 %).
    TQkVMapping(std::function<int32_t(int32_t)> toX, std::function<int32_t(int32_t)> toY, double zoomX, double zoomY);

    // Drawn `scale` times larger, for supersampling.
    TQkVMapping Scaled(int32_t scale) const;
    int32_t MapX(int32_t x) const { return (toX_ ? toX_(x) : x) * scale_; }
    int32_t MapY(int32_t y) const { return (toY_ ? toY_(y) : y) * scale_; }
    double ZoomX() const { return zoomX_ * scale_; }
    double ZoomY() const { return zoomY_ * scale_; }
    int32_t Scale() const { return scale_; }

private:
    std::function<int32_t(int32_t)> toX_;
    std::function<int32_t(int32_t)> toY_;
    double zoomX_ = 1.0;
    double zoomY_ = 1.0;
    int32_t scale_ = 1;
};

// The view's published drawing settings.
struct TQkVDrawSettings {
    bool ZoomObjectsWidth = true;
    bool ObjAntialias = true;
    TResampleFilter BitmapResampleFilter = rfNone;
    bool KeepRulerTextUpright = true;
    bool AngleAbove180 = false;
    bool HideObjects = false;
    bool OffscreenObjectDrawing = false;
    bool FastDrawWhileDragging = true;
    int32_t FloatDigits = 2;
    int32_t FloatPrecision = 15;
    double DpiX = 96;
    double DpiY = 96;
    double MeasureScale = 1.0;
};

// hobj, destination, the mapped box, whether the alpha pass is drawing, and
// whether the handler drew the object itself.
using TQkDrawObjectEvent =
    std::function<void(int32_t hobj, TBitmap& destination, const TRect& destRect, bool drawingAlpha, bool& handled)>;
using TQkPresentMeasureEvent = std::function<void(std::string& text, double value)>;

class TQkVObjectPainter {
public:
    TQkVObjectPainter(TQkVObjectSet& objects, const TQkVDrawSettings& settings);
    ~TQkVObjectPainter();
    TQkVObjectPainter(const TQkVObjectPainter&) = delete;
    TQkVObjectPainter& operator=(const TQkVObjectPainter&) = delete;

    TQkDrawObjectEvent OnBeforeDrawObject;
    TQkDrawObjectEvent OnAfterDrawObject;
    TQkPresentMeasureEvent OnPresentMeasure;

    // While the user drags, objects go straight onto the destination.
    bool FastDrawing = false;
    // Set by moves that change objects: bitmap objects then skip resampling.
    int32_t FastDrawStep = 0;
    int32_t DrawnObjects = 0;
    // The object being edited in place; its text is the editor's to show.
    int32_t EditedObject = -1;

    // One object, or every object in z-order for qkvAllObjects. With
    // `imageArea` objects whose mapped box misses it are skipped.
    void DrawObjects(int32_t hobj, bool antiAlias, const TQkVMapping& mapping, const TRect* imageArea,
                     TBitmap& destination);
    // True when the object was drawn (visible and not clipped away).
    bool DrawObject(TQkVObject& record, int32_t hobj, bool alphaPass, const TQkVMapping& mapping, TQkBitmap* offscreen,
                    const TRect* imageArea, TBitmap& destination);
    // Draws the objects permanently into the image, in bitmap coordinates.
    void DrawObjectsToBitmap(TQkBitmap& image, bool antiAlias, int32_t hobj);

    // The pen width at this zoom.
    int32_t ScaledPenWidth(const TQkVObject& record, const TQkVMapping& mapping) const;

private:
    struct TObjectFrame;

    bool DrawnDirectly(const TQkVObject& record) const;
    void CompositeObject(TQkVObject& record, int32_t hobj, const TQkVMapping& mapping, const TRect* imageArea,
                         TBitmap& destination, int32_t supersample);
    void CopyUnder(const TQkVObject& record, const TQkVMapping& drawing, TBitmap& destination, int32_t supersample);
    void DrawCoverage(TQkVObject& record, int32_t hobj, const TQkVMapping& drawing, const TRect* clip);
    TRect CompositedArea(const TQkVObject& record, int32_t supersample);
    TRect AddShadow(const TQkVObject& record, const TRect& area, int32_t supersample);
    void PrepareBuffer(int32_t width, int32_t height);

    void DrawByKind(TObjectFrame& frame);
    void DrawLine(TObjectFrame& frame);
    void DrawArc(TObjectFrame& frame);
    void DrawPolyline(TObjectFrame& frame);
    void DrawBitmapObject(TObjectFrame& frame, TRect box);
    void DrawBitmapBorder(TObjectFrame& frame, const TRect& box);
    void DrawTextObject(TObjectFrame& frame);
    void DrawMemo(TObjectFrame& frame);
    void DrawCurveText(TObjectFrame& frame);
    void DrawLabel(TObjectFrame& frame);
    void DrawRuler(TObjectFrame& frame);
    void DrawAngleGauge(TObjectFrame& frame);

    TQkVObjectSet& objects_;
    const TQkVDrawSettings& settings_;
    std::unique_ptr<TQkBitmap> buffer_; // off-screen, TBitmap storage, with alpha
    std::unique_ptr<TBitmap> coverage_; // the gray drawing that becomes the buffer's alpha
    // Drawing into an image shares one buffer for all objects, supersampled
    // when anti-aliasing.
    bool drawingIntoImage_ = false;
};

// The arrow head at end point (ex, ey) of a line from (ox, oy): shape 1 has
// its base at the end, shape 2 its tip; any other shape is no arrow.
std::vector<TPoint> ArrowTriangle(int32_t shape, int32_t ex, int32_t ey, int32_t ox, int32_t oy, int32_t length,
                                  int32_t width);
// ANDs the 24-bit pixels of the rectangle with the colour; an 8-bit bitmap
// (an alpha pass) gets the colour's red component. Others stay as they are.
void FillRectAnd(TBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor colour);
