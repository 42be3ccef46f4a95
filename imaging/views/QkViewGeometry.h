#pragma once
// The image view's geometry engine: zoom, view origin, centring, the visible
// part of the image and the tables that translate view columns and rows to
// image columns and rows without floating point.
//
// Three spaces: image pixels, zoomed pixels (image x zoom / 100, origin at
// the zoomed image's top-left) and view pixels (the client area). View x
// shows zoomed x - OffsetX + ViewX. The geometry holds no window: the view
// gives it its client and outer sizes before each layout pass.

#include <cstddef>
#include <cstdint>
#include <vector>

enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// Every zoomed side stays at or below this many pixels, so that the
// coordinate tables stay allocatable and the zoomed sizes fit 32 bits.
constexpr int32_t MaxZoomedSide = 1 << 24;

class TQkViewGeometry {
public:
    // Sizes the layout works with.
    int32_t ImageWidth = 0;
    int32_t ImageHeight = 0;
    // The client area the image is shown in.
    int32_t ViewWidth = 50;
    int32_t ViewHeight = 50;
    // The control's outer size, borders and scroll bars included.
    int32_t OuterWidth = 50;
    int32_t OuterHeight = 50;
    bool Center = true;
    TScrollStyle ScrollBars = ssBoth;

    double ZoomX() const { return zoomX_; }
    double ZoomY() const { return zoomY_; }
    int32_t ViewX() const { return viewX_; }
    int32_t ViewY() const { return viewY_; }

    int32_t ZoomedWidth() const { return zoomedWidth_; }
    int32_t ZoomedHeight() const { return zoomedHeight_; }
    int32_t OffsetX() const { return offsetX_; }
    int32_t OffsetY() const { return offsetY_; }
    int32_t ExtentX() const { return extentX_; }
    int32_t ExtentY() const { return extentY_; }
    int32_t VisibleX() const { return visibleX_; }
    int32_t VisibleY() const { return visibleY_; }
    int32_t VisibleWidth() const { return visibleWidth_; }
    int32_t VisibleHeight() const { return visibleHeight_; }
    int32_t DisplayedWidth() const { return displayedWidth_; }
    int32_t DisplayedHeight() const { return displayedHeight_; }

    // The largest zoom that keeps both zoomed sides within MaxZoomedSide.
    double MaxZoom() const;
    // The zoom a request for `zoom` lands on: at most MaxZoom.
    double ClampZoom(double zoom) const;

    // Store a zoom (clamped) keeping the image point at the view centre;
    // the origin is clamped to the new range. No layout.
    void SetZoom(double zoom);
    void SetZoomX(double zoom);
    void SetZoomY(double zoom);
    // Store a zoom as it stands, origin untouched (the automatic zoom).
    void StoreZoom(double zoomX, double zoomY);

    // Clamp to [0, Max]; return whether the origin moved.
    bool SetViewXY(int32_t x, int32_t y);
    // Store without clamping (the layout pass clamps itself).
    void StoreViewXY(int32_t x, int32_t y);

    // The largest allowed origins.
    void GetMaxViewXY(int32_t& maxX, int32_t& maxY) const;

    void UpdateZoomedSize();
    // The whole image at 100 %, its top-left at view point (x, y): the
    // layout of a flattening, which renders every layer at its place.
    void PlaceWholeImageAt(int32_t x, int32_t y);
    void UpdateVisibleArea();
    // Rebuilds the tables when their inputs changed; positions the windows.
    void UpdateCoordinateTables();

    // The zoomed column where the image column under zoomed column c begins.
    int32_t SnapViewX(int32_t c) const;
    int32_t SnapViewY(int32_t r) const;
    // View coordinate to image column or row; may lie outside the image.
    int32_t ScreenToBitmapX(int32_t x) const;
    int32_t ScreenToBitmapY(int32_t y) const;
    // Image column or row to view coordinate.
    int32_t BitmapToScreenX(int32_t column) const;
    int32_t BitmapToScreenY(int32_t row) const;

    // Entries the tables translate without arithmetic.
    int32_t XCount() const { return x_.Count; }
    int32_t YCount() const { return y_.Count; }
    int32_t XBCount() const { return x_.BitmapCount; }
    int32_t YBCount() const { return y_.BitmapCount; }

private:
    // One axis's tables; windows are offsets into them. The screen window
    // starts at the snapped origin's zoomed column, the bitmap window at the
    // image column under it; bitmap entries hold zoomed columns, so the
    // snapped origin is taken off them. Measuring the bitmap entries from
    // the image's first column, not from the first visible one, keeps
    // fractional zooms exact: a column's start never lands past the view
    // pixel that shows it.
    struct TAxisTables {
        std::vector<int32_t> ScreenToBitmap;
        std::vector<int32_t> BitmapToScreen;
        int32_t Count = 0;
        int32_t BitmapCount = 0;
        std::size_t ScreenWindow = 0;
        std::size_t BitmapWindow = 0;
        int32_t SnappedOrigin = 0;
    };
    // The inputs the tables were last built from.
    struct TTableInputs {
        double ZoomX = -1;
        double ZoomY = -1;
        int32_t DisplayedWidth = -1;
        int32_t DisplayedHeight = -1;
        int32_t ImageWidth = -1;
        int32_t ImageHeight = -1;
        bool operator==(const TTableInputs&) const = default;
    };

    static void BuildAxis(TAxisTables& axis, double zoom, int32_t zoomed, int32_t displayed, int32_t imageSize);
    static int32_t Snap(const TAxisTables& axis, int32_t c, int32_t zoomed);
    static void PositionWindows(TAxisTables& axis, int32_t snapped);
    static int32_t ScreenToBitmap(const TAxisTables& axis, int32_t v, int32_t offset, double zoom, int32_t visible);
    static int32_t BitmapToScreen(const TAxisTables& axis, int32_t b, int32_t offset, double zoom, int32_t viewOrigin,
                                  int32_t zoomed);
    static int32_t ZoomKeepingCentre(int32_t origin, int32_t viewSize, int32_t offset, double oldZoom, double newZoom);
    void PositionAllWindows();

    double zoomX_ = 100;
    double zoomY_ = 100;
    int32_t viewX_ = 0;
    int32_t viewY_ = 0;
    int32_t zoomedWidth_ = 0;
    int32_t zoomedHeight_ = 0;
    int32_t offsetX_ = 0;
    int32_t offsetY_ = 0;
    int32_t extentX_ = 0;
    int32_t extentY_ = 0;
    int32_t visibleX_ = 0;
    int32_t visibleY_ = 0;
    int32_t visibleWidth_ = 0;
    int32_t visibleHeight_ = 0;
    int32_t displayedWidth_ = 0;
    int32_t displayedHeight_ = 0;
    TAxisTables x_;
    TAxisTables y_;
    TTableInputs builtFrom_;
};

// The automatic zoom: the fit zoom when the image must shrink (Shrink) or
// may grow (Stretch) to fill the available area, else 100. Any empty size
// or arithmetic fault gives 100.
double GetAutoZoom(int32_t imageW, int32_t imageH, int32_t availW, int32_t availH, bool stretch, bool shrink);
