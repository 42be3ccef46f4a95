#include "imaging/views/QkViewGeometry.h"

#include <algorithm>
#include <cmath>

#include "imaging/views/QkViewArithmetic.h"
#include "platform/core/Types.h"

namespace {

// The visible part of one axis, in image pixels, and the view pixels it
// covers.
struct TAxisVisible {
    int32_t Start = 0;
    int32_t Size = 0;
    int32_t Displayed = 0;
};

TAxisVisible ComputeAxisVisible(int32_t imageSize, int32_t zoomed, int32_t snappedOrigin, int32_t extent, double zoom)
{
    TAxisVisible axis;
    if (zoomed != 0) {
        const double ratio = static_cast<double>(imageSize) / zoomed;
        axis.Start = SaturateToInt32(Round(snappedOrigin * ratio));
        axis.Size = SaturateToInt32(Round(extent * ratio));
        if (axis.Start + axis.Size > imageSize)
            --axis.Size;
    }
    if (zoom > 100) {
        axis.Displayed = SaturateToInt32(Trunc(axis.Size * zoom / 100));
        if (axis.Displayed < extent && axis.Start + axis.Size + 1 <= imageSize) {
            ++axis.Size;
            axis.Displayed = SaturateToInt32(Trunc(axis.Size * zoom / 100));
        }
    } else {
        axis.Displayed = extent;
    }
    return axis;
}

// The zoomed size one axis reaches for the range: with the extra column
// that makes the last image pixel reachable when the image exceeds the view.
int32_t ZoomedForRange(int32_t imageSize, double zoom, bool extend)
{
    return SaturateToInt32(Trunc((imageSize + (extend ? 1 : 0)) * zoom / 100));
}

} // namespace

double TQkViewGeometry::MaxZoom() const
{
    const int32_t side = std::max({ImageWidth, ImageHeight, 1});
    return static_cast<double>(MaxZoomedSide) * 100 / side;
}

double TQkViewGeometry::ClampZoom(double zoom) const { return std::min(zoom, MaxZoom()); }

int32_t TQkViewGeometry::ZoomKeepingCentre(int32_t origin, int32_t viewSize, int32_t offset, double oldZoom,
                                           double newZoom)
{
    const int32_t half = viewSize >> 1;
    const int64_t centre = Round(static_cast<double>(origin + half - offset) * 100 / oldZoom);
    return SaturateToInt32(Trunc(centre * newZoom / 100 - half));
}

void TQkViewGeometry::SetZoom(double zoom)
{
    zoom = ClampZoom(zoom);
    const int32_t nx = ZoomKeepingCentre(viewX_, ViewWidth, offsetX_, zoomX_, zoom);
    const int32_t ny = ZoomKeepingCentre(viewY_, ViewHeight, offsetY_, zoomY_, zoom);
    zoomX_ = zoomY_ = zoom;
    int32_t maxX = 0, maxY = 0;
    GetMaxViewXY(maxX, maxY);
    viewX_ = std::clamp(nx, 0, maxX);
    viewY_ = std::clamp(ny, 0, maxY);
}

void TQkViewGeometry::SetZoomX(double zoom)
{
    zoom = ClampZoom(zoom);
    const int32_t nx = ZoomKeepingCentre(viewX_, ViewWidth, offsetX_, zoomX_, zoom);
    zoomX_ = zoom;
    int32_t maxX = 0, maxY = 0;
    GetMaxViewXY(maxX, maxY);
    viewX_ = std::clamp(nx, 0, maxX);
}

void TQkViewGeometry::SetZoomY(double zoom)
{
    zoom = ClampZoom(zoom);
    const int32_t ny = ZoomKeepingCentre(viewY_, ViewHeight, offsetY_, zoomY_, zoom);
    zoomY_ = zoom;
    int32_t maxX = 0, maxY = 0;
    GetMaxViewXY(maxX, maxY);
    viewY_ = std::clamp(ny, 0, maxY);
}

void TQkViewGeometry::StoreZoom(double zoomX, double zoomY)
{
    zoomX_ = ClampZoom(zoomX);
    zoomY_ = ClampZoom(zoomY);
}

bool TQkViewGeometry::SetViewXY(int32_t x, int32_t y)
{
    int32_t maxX = 0, maxY = 0;
    GetMaxViewXY(maxX, maxY);
    const int32_t nx = std::clamp(x, 0, maxX);
    const int32_t ny = std::clamp(y, 0, maxY);
    if (nx == viewX_ && ny == viewY_)
        return false;
    viewX_ = nx;
    viewY_ = ny;
    return true;
}

void TQkViewGeometry::StoreViewXY(int32_t x, int32_t y)
{
    viewX_ = x;
    viewY_ = y;
}

void TQkViewGeometry::GetMaxViewXY(int32_t& maxX, int32_t& maxY) const
{
    int32_t w = ZoomedForRange(ImageWidth, zoomX_, false);
    int32_t h = ZoomedForRange(ImageHeight, zoomY_, false);
    const bool widerThanView = w > ViewWidth + 10;
    const bool tallerThanView = h > ViewHeight + 10;
    const bool equalZooms = zoomX_ == zoomY_;
    if (!equalZooms) {
        w = ZoomedForRange(ImageWidth, zoomX_, widerThanView);
        h = ZoomedForRange(ImageHeight, zoomY_, tallerThanView);
    } else if ((widerThanView || tallerThanView) && ScrollBars != ssNone) {
        w = ZoomedForRange(ImageWidth, zoomX_, true);
        h = ZoomedForRange(ImageHeight, zoomY_, true);
    }
    maxX = maxY = 0;
    if (w < 1 || h < 1)
        return;
    maxX = w - ViewWidth;
    maxY = h - ViewHeight;
    if (maxX < 0 || ScreenToBitmapX(maxX) == 0)
        maxX = 0;
    if (maxY < 0 || ScreenToBitmapY(maxY) == 0)
        maxY = 0;
    if (!equalZooms) {
        if (w <= OuterWidth)
            maxX = 0;
        if (h <= OuterHeight)
            maxY = 0;
    } else if (w <= OuterWidth && h <= OuterHeight) {
        maxX = maxY = 0;
    }
}

void TQkViewGeometry::UpdateZoomedSize()
{
    zoomedWidth_ = SaturateToInt32(Round(ImageWidth * zoomX_ / 100));
    zoomedHeight_ = SaturateToInt32(Round(ImageHeight * zoomY_ / 100));
    extentX_ = std::min(zoomedWidth_, ViewWidth);
    extentY_ = std::min(zoomedHeight_, ViewHeight);
    offsetX_ = Center && extentX_ < ViewWidth ? (ViewWidth - extentX_) / 2 : 0;
    offsetY_ = Center && extentY_ < ViewHeight ? (ViewHeight - extentY_) / 2 : 0;
}

void TQkViewGeometry::PlaceWholeImageAt(int32_t x, int32_t y)
{
    zoomX_ = zoomY_ = 100;
    viewX_ = viewY_ = 0;
    zoomedWidth_ = extentX_ = ImageWidth;
    zoomedHeight_ = extentY_ = ImageHeight;
    offsetX_ = x;
    offsetY_ = y;
}

void TQkViewGeometry::UpdateVisibleArea()
{
    const TAxisVisible x = ComputeAxisVisible(ImageWidth, zoomedWidth_, SnapViewX(viewX_), extentX_, zoomX_);
    const TAxisVisible y = ComputeAxisVisible(ImageHeight, zoomedHeight_, SnapViewY(viewY_), extentY_, zoomY_);
    visibleX_ = x.Start;
    visibleWidth_ = x.Size;
    displayedWidth_ = x.Displayed;
    visibleY_ = y.Start;
    visibleHeight_ = y.Size;
    displayedHeight_ = y.Displayed;
}

void TQkViewGeometry::BuildAxis(TAxisTables& axis, double zoom, int32_t zoomed, int32_t displayed, int32_t imageSize)
{
    axis.Count = displayed;
    // Truncating, the displayed pixels can show up to two columns more than
    // their width in columns; those must still convert by the table, as the
    // arithmetic rounds them to a view pixel past the one they are drawn on.
    axis.BitmapCount = SaturateToInt32(Trunc(displayed * 100 / zoom)) + 2;
    const int32_t screenLast = zoomed + displayed;
    const int32_t bitmapLast = SaturateToInt32(Trunc((screenLast + 1) * 100 / zoom));
    axis.ScreenToBitmap.assign(static_cast<size_t>(screenLast) + 2, 0);
    axis.BitmapToScreen.assign(static_cast<size_t>(bitmapLast) + 2, 0);
    const int32_t lastColumn = std::max(imageSize - 1, 0);
    // Walking downward leaves the first column of each run in the table
    // that maps many entries to one.
    if (zoom > 100) {
        for (int32_t c = screenLast; c >= 0; --c) {
            const int32_t b = SaturateToInt32(Trunc(c * 100 / zoom));
            axis.BitmapToScreen[b] = c;
            axis.ScreenToBitmap[c] = std::min(b, lastColumn);
        }
    } else {
        for (int32_t b = bitmapLast; b >= 0; --b) {
            const int32_t c = SaturateToInt32(Trunc(b * zoom / 100));
            axis.BitmapToScreen[b] = c;
            axis.ScreenToBitmap[c] = std::min(b, lastColumn);
        }
    }
}

void TQkViewGeometry::UpdateCoordinateTables()
{
    const TTableInputs inputs{zoomX_, zoomY_, displayedWidth_, displayedHeight_, ImageWidth, ImageHeight};
    if (inputs != builtFrom_) {
        builtFrom_ = inputs;
        x_ = TAxisTables();
        y_ = TAxisTables();
        if (displayedWidth_ == 0 || displayedHeight_ == 0 || ImageWidth == 0 || ImageHeight == 0)
            return;
        BuildAxis(x_, zoomX_, zoomedWidth_, displayedWidth_, ImageWidth);
        BuildAxis(y_, zoomY_, zoomedHeight_, displayedHeight_, ImageHeight);
    }
    PositionAllWindows();
}

void TQkViewGeometry::PositionAllWindows()
{
    if (x_.Count <= 0)
        return;
    PositionWindows(x_, SnapViewX(viewX_));
    PositionWindows(y_, SnapViewY(viewY_));
}

void TQkViewGeometry::PositionWindows(TAxisTables& axis, int32_t snapped)
{
    const std::size_t last = axis.ScreenToBitmap.size() - 1;
    axis.ScreenWindow = std::min(static_cast<std::size_t>(std::max(snapped, 0)), last);
    axis.SnappedOrigin = static_cast<int32_t>(axis.ScreenWindow);
    // The column under the snapped origin, which the rounded VisibleX can
    // miss by one at fractional zooms.
    axis.BitmapWindow = static_cast<std::size_t>(axis.ScreenToBitmap[axis.ScreenWindow]);
}

int32_t TQkViewGeometry::Snap(const TAxisTables& axis, int32_t c, int32_t zoomed)
{
    c = std::max(c, 0);
    if (c < zoomed && axis.Count > 0 && static_cast<size_t>(c) < axis.ScreenToBitmap.size()) {
        const size_t column = static_cast<size_t>(axis.ScreenToBitmap[c]);
        if (column < axis.BitmapToScreen.size())
            return axis.BitmapToScreen[column];
    }
    return c;
}

int32_t TQkViewGeometry::SnapViewX(int32_t c) const { return Snap(x_, c, zoomedWidth_); }
int32_t TQkViewGeometry::SnapViewY(int32_t r) const { return Snap(y_, r, zoomedHeight_); }

int32_t TQkViewGeometry::ScreenToBitmap(const TAxisTables& axis, int32_t v, int32_t offset, double zoom,
                                        int32_t visible)
{
    const int64_t d = static_cast<int64_t>(v) - offset;
    if (d >= 0 && d < axis.Count) {
        const size_t entry = axis.ScreenWindow + static_cast<size_t>(d);
        if (entry < axis.ScreenToBitmap.size())
            return axis.ScreenToBitmap[entry];
    }
    return SaturateToInt32(Trunc(d * 100 / zoom + visible));
}

int32_t TQkViewGeometry::ScreenToBitmapX(int32_t x) const { return ScreenToBitmap(x_, x, offsetX_, zoomX_, visibleX_); }

int32_t TQkViewGeometry::ScreenToBitmapY(int32_t y) const { return ScreenToBitmap(y_, y, offsetY_, zoomY_, visibleY_); }

int32_t TQkViewGeometry::BitmapToScreen(const TAxisTables& axis, int32_t b, int32_t offset, double zoom,
                                        int32_t viewOrigin, int32_t zoomed)
{
    const int64_t d = static_cast<int64_t>(b) - static_cast<int64_t>(axis.BitmapWindow);
    if (d >= 0 && d < axis.BitmapCount) {
        const size_t entry = axis.BitmapWindow + static_cast<size_t>(d);
        if (entry < axis.BitmapToScreen.size())
            return axis.BitmapToScreen[entry] - axis.SnappedOrigin + offset;
    }
    const int32_t snapped = Snap(axis, viewOrigin, zoomed);
    const int64_t snappedColumn = Round(snapped * 100 / zoom);
    return SaturateToInt32(Round((b - snappedColumn) * zoom / 100 + offset));
}

int32_t TQkViewGeometry::BitmapToScreenX(int32_t column) const
{
    return BitmapToScreen(x_, column, offsetX_, zoomX_, viewX_, zoomedWidth_);
}

int32_t TQkViewGeometry::BitmapToScreenY(int32_t row) const
{
    return BitmapToScreen(y_, row, offsetY_, zoomY_, viewY_, zoomedHeight_);
}

double GetAutoZoom(int32_t imageW, int32_t imageH, int32_t availW, int32_t availH, bool stretch, bool shrink)
{
    if (imageW <= 0 || imageH <= 0 || availW <= 0 || availH <= 0)
        return 100;
    const double widthRatio = static_cast<double>(imageW) / availW;
    const double heightRatio = static_cast<double>(imageH) / availH;
    const bool widthLimits = widthRatio > heightRatio;
    const int32_t image = widthLimits ? imageW : imageH;
    const int32_t available = widthLimits ? availW : availH;
    const double fit = static_cast<double>(available) / (image / 100.0);
    if (!std::isfinite(fit))
        return 100;
    if (available >= image)
        return stretch ? fit : 100;
    return shrink ? fit : 100;
}
