// The image view's zoom and origin changes, smooth scrolling and the delay
// that holds the zoom filter back while the view moves.

#include "imaging/core/QkSystem.h"
#include "imaging/views/BrelvixView.h"
#include "imaging/views/QkViewArithmetic.h"
#include "platform/core/Types.h"
#include "platform/ui/ExtCtrls.h"

namespace {

constexpr uint32_t SmoothScrollTickMs = 30;

} // namespace

void TBrelvixView::DoViewChanging(int32_t change, double newValue)
{
    if (OnViewChanging)
        OnViewChanging(this, change, newValue);
}

void TBrelvixView::DoViewChange(int32_t change)
{
    if (OnViewChange)
        OnViewChange(this, change);
}

void TBrelvixView::ChangeZoom(double zoom) { ChangeZoomOf(zoom, true, true); }
void TBrelvixView::ChangeZoomX(double zoom) { ChangeZoomOf(zoom, true, false); }
void TBrelvixView::ChangeZoomY(double zoom) { ChangeZoomOf(zoom, false, true); }

void TBrelvixView::ChangeZoomOf(double zoom, bool x, bool y)
{
    StopSmoothScroll();
    TakeClientSizes();
    // A request past the largest zoom is a request for the largest zoom.
    if (zoom > 0)
        zoom = geometry_.ClampZoom(zoom);
    DoViewChanging(2, zoom);
    if (zoom <= 0 || ((!x || zoom == ZoomX()) && (!y || zoom == ZoomY())))
        return;
    if (DelayZoomFilter && ZoomFilter != rfNone && ((x && ZoomX() != 100) || (y && ZoomY() != 100)))
        zoomFilterDelayCount_ = ZoomFilterDelay;
    ArmDelays();
    BeginPaintLock();
    if (x && y)
        geometry_.SetZoom(zoom);
    else if (x)
        geometry_.SetZoomX(zoom);
    else
        geometry_.SetZoomY(zoom);
    // The second pass sees the scroll bars the first one showed.
    Relayout(qkurZoom);
    Relayout(qkurZoom);
    geometry_.UpdateVisibleArea();
    geometry_.UpdateCoordinateTables();
    EndPaintLockNoRefresh();
    BackBufferDirty = true;
    Invalidate();
    DoViewChange(1);
}

void TBrelvixView::ZoomAt(int32_t x, int32_t y, bool centerOnPoint, double zoom)
{
    DoViewChanging(2, x);
    DoViewChanging(2, y);
    BeginPaintLock();
    const int32_t bx = ScreenToBitmapX(x);
    const int32_t by = ScreenToBitmapY(y);
    ChangeZoom(zoom);
    const double z = ZoomX() / 100;
    if (centerOnPoint)
        SetViewXY(SaturateToInt32(Trunc(bx * z - ClientWidth() / 2)),
                  SaturateToInt32(Trunc(by * z - ClientHeight() / 2)));
    else
        SetViewXY(SaturateToInt32(Trunc(bx * z - x + z)), SaturateToInt32(Trunc(by * z - y + z)));
    EndPaintLock();
    geometry_.UpdateVisibleArea();
    geometry_.UpdateCoordinateTables();
}

void TBrelvixView::SetViewXY(int32_t x, int32_t y)
{
    DoViewChanging(0, x);
    DoViewChanging(1, y);
    if (x == ViewX() && y == ViewY())
        return;
    TakeClientSizes();
    if (!geometry_.SetViewXY(x, y))
        return;
    if (DelayZoomFilter && ZoomFilter != rfNone && (ZoomX() != 100 || ZoomY() != 100))
        zoomFilterDelayCount_ = ZoomFilterDelay;
    ArmDelays();
    BackBufferDirty = true;
    Invalidate();
    DoViewChange(0);
    SetScrollPositions();
}

void TBrelvixView::ScrollHorizontal(int32_t command, int32_t position)
{
    int32_t maxX = 0, maxY = 0;
    GetMaxViewXY(maxX, maxY);
    SetViewX(ScrollCommandTarget(command, position, ViewX(), maxX, ZoomX(), ClientWidth(), HorizontalScrollBar));
}

void TBrelvixView::ScrollVertical(int32_t command, int32_t position)
{
    int32_t maxX = 0, maxY = 0;
    GetMaxViewXY(maxX, maxY);
    SetViewY(ScrollCommandTarget(command, position, ViewY(), maxY, ZoomY(), ClientHeight(), VerticalScrollBar));
}

// ---- The delay of the zoom filter and of the selection's animation ----

void TBrelvixView::ArmDelays()
{
    selectionDelayCount_ = SelectionDelay;
    if (zoomFilterDelayCount_ <= 0 && selectionDelayCount_ <= 0)
        return;
    if (!delayTimer_) {
        delayTimer_ = std::make_unique<TTimer>(nullptr);
        delayTimer_->SetInterval(DelayTickMs);
        delayTimer_->OnTimer = [this](TObject*) { DelayTick(); };
    }
    // Each arming counts the delay from now.
    delayTimer_->SetEnabled(false);
    delayTimer_->SetEnabled(true);
}

void TBrelvixView::DelayTick()
{
    const bool filterDue = zoomFilterDelayCount_ > 0 && --zoomFilterDelayCount_ == 0;
    if (selectionDelayCount_ > 0)
        --selectionDelayCount_;
    if (zoomFilterDelayCount_ <= 0 && selectionDelayCount_ <= 0)
        delayTimer_->SetEnabled(false);
    // Still at last: the filtered picture.
    if (filterDue)
        Update();
}

// ---- Smooth scrolling ----

void TBrelvixView::SmoothScrollTo(int32_t x, int32_t y)
{
    smoothTargetX_ = x;
    smoothTargetY_ = y;
    if (SmoothScrolling())
        return;
    if (!smoothTimer_) {
        smoothTimer_ = std::make_unique<TTimer>(nullptr);
        smoothTimer_->SetInterval(SmoothScrollTickMs);
        smoothTimer_->OnTimer = [this](TObject*) { SmoothScrollTick(); };
    }
    smoothTimer_->SetEnabled(true);
    SmoothScrollTick();
}

bool TBrelvixView::SmoothScrolling() const { return smoothTimer_ && smoothTimer_->Enabled(); }

void TBrelvixView::SmoothScrollTick()
{
    if (!SmoothScrolling())
        return;
    const int32_t x = ViewX();
    const int32_t y = ViewY();
    SetViewXY(SmoothScrollStep(x, smoothTargetX_, SmoothScrollDivisor),
              SmoothScrollStep(y, smoothTargetY_, SmoothScrollDivisor));
    if ((ViewX() == x && ViewY() == y) || IsLeftButtonDown())
        StopSmoothScroll();
}

// The timer is kept, only stopped: a tick may end the scroll from inside
// the timer's own call.
void TBrelvixView::StopSmoothScroll()
{
    if (smoothTimer_)
        smoothTimer_->SetEnabled(false);
}
