// The image view's layout pass: the layers' size, the automatic zoom, the
// origin's range and the scroll bars.

#include "imaging/views/BrelvixView.h"
#include "imaging/views/QkViewArithmetic.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Types.h"
#include "platform/ui/ScrollBars.h"

namespace {

// The scroll bars always run over this range; a scale maps it to pixels.
constexpr int32_t ScrollRangeMax = 65535;

constexpr uint32_t BarStyle(int32_t bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

} // namespace

bool TBrelvixView::LayoutAllowed() const
{
    return updateLock_ == 0 && (ComponentState() & (csLoading | csReading | csWriting | csDestroying)) == 0;
}

void TBrelvixView::Update()
{
    if (!LayoutAllowed())
        return;
    const bool outerPass = !updateRunning_;
    updateRunning_ = true;
    try {
        RunLayout();
    } catch (...) {
        UpdateReason = qkurGeneral;
        updateRunning_ = !outerPass;
        throw;
    }
    UpdateReason = qkurGeneral;
    updateRunning_ = !outerPass;
}

void TBrelvixView::RunLayout()
{
    DropRenderCaches();
    BackBufferDirty = true;
    SyncLayers();
    TakeClientSizes();
    if ((autoFit_ || autoStretch_ || autoShrink_) && geometry_.ImageWidth != 0 && geometry_.ImageHeight != 0)
        ApplyAutoZoom();
    FitSelectionMask();
    if (!HandleAllocated())
        return;
    if (HasParentWindow()) {
        const int32_t width = ClientWidth();
        const int32_t height = ClientHeight();
        ClampOrigin();
        UpdateScrollBars();
        TakeClientSizes();
        // A bar that came or went changed the client area: once more.
        if ((ClientWidth() != width || ClientHeight() != height) && !updateReentered_) {
            updateReentered_ = true;
            Update();
            updateReentered_ = false;
        }
    }
    geometry_.UpdateZoomedSize();
    if (HasParentWindow())
        Invalidate();
}

void TBrelvixView::TakeClientSizes()
{
    geometry_.ViewWidth = ClientWidth();
    geometry_.ViewHeight = ClientHeight();
    geometry_.OuterWidth = Width();
    geometry_.OuterHeight = Height();
}

void TBrelvixView::GetFitMargins(int32_t& mx, int32_t& my, bool borderX, bool borderY) const
{
    switch (background_.Style) {
    case qkbsCropped:
        mx = SystemEdgeWidth;
        my = SystemEdgeHeight;
        return;
    case qkbsCropShadow: mx = my = 5; return;
    case qkbsSoftShadow: mx = my = 9; return;
    default: break;
    }
    const int32_t frame = BorderStyle() == bsNone ? 0 : (Ctl3D() ? 2 : 1);
    mx = borderX ? frame : (Width() - ClientWidth()) / 2;
    my = borderY ? frame : (Height() - ClientHeight()) / 2;
}

double TBrelvixView::GetFitZoom() const
{
    int32_t mx = 0, my = 0;
    GetFitMargins(mx, my, true, true);
    const double fitX = (Width() - 2.0 * mx) / (geometry_.ImageWidth / 100.0);
    const double fitY = (Height() - 2.0 * my) / (geometry_.ImageHeight / 100.0);
    return fitX < fitY ? fitX : fitY;
}

void TBrelvixView::Fit()
{
    if (geometry_.ImageWidth == 0 || geometry_.ImageHeight == 0)
        return;
    HideScrollBar(SB_HORZ);
    HideScrollBar(SB_VERT);
    ChangeZoom(GetFitZoom());
}

void TBrelvixView::ApplyAutoZoom()
{
    DoViewChanging(2, ZoomX());
    int32_t mx = 0, my = 0;
    GetFitMargins(mx, my, false, false);
    double zoom = 100;
    if (geometry_.ImageWidth >= 2 || geometry_.ImageHeight >= 2)
        zoom = GetAutoZoom(geometry_.ImageWidth, geometry_.ImageHeight, ClientWidth() - 2 * mx, ClientHeight() - 2 * my,
                           autoStretch_ || autoFit_, autoShrink_ || autoFit_);
    zoom = std::max(zoom, 1.0);
    geometry_.StoreZoom(zoom, zoom);
    geometry_.UpdateZoomedSize();
    geometry_.UpdateVisibleArea();
    geometry_.UpdateCoordinateTables();
    DoViewChange(1);
    zoomFilterDelayCount_ = 0;
    selectionDelayCount_ = 0;
}

// The selection mask follows the image's size; without a selection it is
// simply made empty again.
void TBrelvixView::FitSelectionMask()
{
    if (selectionMask_.Width() != geometry_.ImageWidth || selectionMask_.Height() != geometry_.ImageHeight)
        selectionMask_.AllocateBits(geometry_.ImageWidth, geometry_.ImageHeight, 1);
}

void TBrelvixView::ClampOrigin()
{
    int32_t maxX = 0, maxY = 0;
    geometry_.GetMaxViewXY(maxX, maxY);
    int32_t x = ViewX();
    int32_t y = ViewY();
    if (x > maxX) {
        DoViewChanging(0, maxX);
        x = maxX;
    }
    if (y > maxY) {
        DoViewChanging(1, maxY);
        y = maxY;
    }
    if (x == ViewX() && y == ViewY())
        return;
    geometry_.StoreViewXY(x, y);
    DoViewChange(0);
}

void TBrelvixView::GetMaxViewXY(int32_t& maxX, int32_t& maxY)
{
    TakeClientSizes();
    geometry_.GetMaxViewXY(maxX, maxY);
}

bool TBrelvixView::IsScrollable()
{
    int32_t maxX = 0, maxY = 0;
    GetMaxViewXY(maxX, maxY);
    return maxX > 0 || maxY > 0;
}

// ---- Scroll bars ----

bool TBrelvixView::ShowsBar(int32_t bar) const
{
    const TScrollStyle style = geometry_.ScrollBars;
    return style == ssBoth || style == (bar == SB_HORZ ? ssHorizontal : ssVertical);
}

void TBrelvixView::UpdateScrollBars()
{
    // A bar the window system refuses leaves the layout as it is.
    try {
        int32_t maxX = 0, maxY = 0;
        geometry_.GetMaxViewXY(maxX, maxY);
        if (ShowsBar(SB_HORZ))
            UpdateScrollBar(SB_HORZ, maxX, ClientWidth(), ViewX(), hScrollScale_);
        if (ShowsBar(SB_VERT))
            UpdateScrollBar(SB_VERT, maxY, ClientHeight(), ViewY(), vScrollScale_);
    } catch (const Exception&) {}
}

void TBrelvixView::UpdateScrollBar(int32_t bar, int32_t maxOrigin, int32_t viewSize, int32_t origin, double& scale)
{
    bool& shown = bar == SB_HORZ ? horizontalBarShown_ : verticalBarShown_;
    if (maxOrigin <= 0 && !ScrollBarsAlwaysVisible) {
        HideScrollBar(bar);
        return;
    }
    shown = true;
    ShowScrollBar(bar, true);
    TScrollBarTracker& tracker = WindowScrollBars()->Bar(bar);
    if (maxOrigin <= 0) {
        tracker.SetEnabled(false);
        InvalidateNonClient();
        return;
    }
    scale = (static_cast<double>(viewSize) + maxOrigin) / (ScrollRangeMax + 1);
    TScrollInfo info;
    info.Mask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.Min = 0;
    info.Max = ScrollRangeMax;
    info.Page = static_cast<uint32_t>(std::max<int64_t>(Trunc(viewSize / scale), 0));
    info.Pos = SaturateToInt32(Trunc(origin / scale));
    tracker.SetEnabled(true);
    SetScrollInfo(*this, bar, info, true);
}

// The window's own bars come with its style; changing it changes the
// client area at once.
void TBrelvixView::ShowScrollBar(int32_t bar, bool show)
{
    const bool has = (createdWith_.Style & BarStyle(bar)) != 0;
    if (has == show)
        return;
    if (show)
        createdWith_.Style |= BarStyle(bar);
    else
        createdWith_.Style &= ~BarStyle(bar);
    UpdateNonClientInsets();
    InvalidateNonClient();
    Invalidate();
}

void TBrelvixView::HideScrollBar(int32_t bar)
{
    bool& shown = bar == SB_HORZ ? horizontalBarShown_ : verticalBarShown_;
    if (!shown)
        return;
    shown = false;
    if (HandleAllocated())
        ShowScrollBar(bar, false);
}

void TBrelvixView::SetScrollPositions()
{
    if (ShowsBar(SB_HORZ) && (CreatedStyle() & WS_HSCROLL) != 0)
        SetScrollPos(*this, SB_HORZ, SaturateToInt32(Trunc(ViewX() / hScrollScale_)));
    if (ShowsBar(SB_VERT) && (CreatedStyle() & WS_VSCROLL) != 0)
        SetScrollPos(*this, SB_VERT, SaturateToInt32(Trunc(ViewY() / vScrollScale_)));
}

void TBrelvixView::SetScrollBars(TScrollStyle value)
{
    geometry_.ScrollBars = value;
    if (!ShowsBar(SB_VERT))
        HideScrollBar(SB_VERT);
    if (!ShowsBar(SB_HORZ))
        HideScrollBar(SB_HORZ);
    Relayout(qkurBackground);
}

void TBrelvixView::CreateParams(TCreateParams& params)
{
    TQkView::CreateParams(params);
    if (horizontalBarShown_)
        params.Style |= WS_HSCROLL;
    if (verticalBarShown_)
        params.Style |= WS_VSCROLL;
}

void TBrelvixView::Relayout(TQkUpdateReason reason)
{
    UpdateReason = reason;
    Update();
}

void TBrelvixView::SetCenter(bool value)
{
    geometry_.Center = value;
    Relayout(qkurCentring);
}

void TBrelvixView::SetAutoFit(bool value)
{
    autoFit_ = value;
    Relayout(qkurGeneral);
}

void TBrelvixView::SetAutoStretch(bool value)
{
    autoStretch_ = value;
    Relayout(qkurGeneral);
}

void TBrelvixView::SetAutoShrink(bool value)
{
    autoShrink_ = value;
    Relayout(qkurGeneral);
}
