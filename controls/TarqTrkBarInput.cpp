// Mouse, keyboard and window messages of the track bar: dragging the thumb,
// paging with auto-repeat, keys, cursors, hot tracking.

#include <algorithm>
#include <cmath>

#include "controls/TarqGrafx.h"
#include "controls/TarqTrkBar.h"
#include "platform/core/Types.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/WindowSystem.h"

namespace {

constexpr uint32_t FirstRepeatMs = 200;
constexpr uint32_t RepeatMs = 100;

int32_t ClampToInt32(int64_t value, int32_t low, int32_t high)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, low, high));
}

} // namespace

// ---- Events --------------------------------------------------------------------

void TTarqCustomTrackBar::Change()
{
    if (OnChange)
        OnChange(this);
}

bool TTarqCustomTrackBar::CanChange(int32_t newPos)
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, newPos, allow);
    return allow;
}

void TTarqCustomTrackBar::DrawTick(TCanvas& canvas, TPoint location, int32_t index)
{
    if (OnDrawTick)
        OnDrawTick(dynamic_cast<TTarqTrackBar*>(this), &canvas, location, index);
}

bool TTarqCustomTrackBar::CanChangePosition(int32_t) { return true; }

// ---- Keyboard ------------------------------------------------------------------

void TTarqCustomTrackBar::KeyDown(uint16_t& key, TShiftState shift)
{
    TCustomControl::KeyDown(key, shift);
    const int64_t p = position_;
    int64_t target = p;
    switch (key) {
    case VK_PRIOR: target = p + pageSize_; break;
    case VK_NEXT: target = p - pageSize_; break;
    case VK_END: target = Horizontal() ? max_ : min_; break;
    case VK_HOME: target = Horizontal() ? min_ : max_; break;
    case VK_LEFT:
    case VK_DOWN:
    case VK_SUBTRACT:
        if (p > min_)
            target = p - 1;
        break;
    case VK_UP:
    case VK_RIGHT:
    case VK_ADD:
        if (p < max_)
            target = p + 1;
        break;
    default: return;
    }
    const int32_t newPos = ClampToInt32(target, min_, max_);
    if (CanChangePosition(newPos))
        SetPosition(newPos);
}

void TTarqCustomTrackBar::KeyPress(char32_t& key)
{
    if (tabOnEnter_ && key == U'\r') {
        key = 0;
        PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
        return;
    }
    TCustomControl::KeyPress(key);
}

// ---- Mouse ---------------------------------------------------------------------

void TTarqCustomTrackBar::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (CanFocus() && !Focused())
        SetFocus();
    if (button != mbLeft)
        return;
    if (OverThumb(Point(x, y))) {
        if (paging_)
            StopPaging();
        SetMouseCapture(true);
        dragging_ = true;
        grabDx_ = x - (thumbRect_.Left + thumbRect_.Right) / 2;
        grabDy_ = y - (thumbRect_.Top + thumbRect_.Bottom) / 2;
        return;
    }
    PageTowards(x, y);
}

// The first press fixes the direction; repeats keep paging while the
// pressed point still lies that way from the thumb.
void TTarqCustomTrackBar::PageTowards(int32_t x, int32_t y)
{
    pageTimer_->SetEnabled(true);
    pagePoint_ = Point(x, y);
    const long double scale = static_cast<long double>(TravelSpan()) / Range();
    bool forward;
    if (Horizontal()) {
        const auto q = static_cast<int32_t>(std::trunc((int64_t{position_} - min_) * scale)) + Margin;
        forward = x >= q;
    } else {
        const auto q = static_cast<int32_t>(std::trunc((int64_t{max_} - position_) * scale)) + Margin;
        forward = y < q;
    }
    if (!paging_) {
        paging_ = true;
        pageForward_ = forward;
    }
    if (forward != pageForward_) {
        StopPaging();
        return;
    }
    const int32_t newPos = ClampToInt32(int64_t{position_} + (forward ? pageSize_ : -int64_t{pageSize_}), min_, max_);
    if (CanChangePosition(newPos))
        SetPosition(newPos);
}

void TTarqCustomTrackBar::StopPaging()
{
    pageTimer_->SetEnabled(false);
    pageTimer_->SetInterval(FirstRepeatMs);
    paging_ = false;
}

void TTarqCustomTrackBar::PageTimerTick(TObject*)
{
    pageTimer_->SetInterval(RepeatMs);
    if (!MouseCapture())
        return;
    try {
        MouseDown(mbLeft, TShiftState{}, pagePoint_.X, pagePoint_.Y);
    } catch (...) {
        pageTimer_->SetEnabled(false);
        pageTimer_->SetInterval(FirstRepeatMs);
        throw;
    }
}

void TTarqCustomTrackBar::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (dragging_) {
        DragTo(x, y);
        return;
    }
    const bool over = OverThumb(CursorInClient());
    if (over == hot_)
        return;
    hot_ = over;
    RedrawThumb();
}

// A track too short to measure has no position to offer.
void TTarqCustomTrackBar::DragTo(int32_t x, int32_t y)
{
    const TRect track = TrackRect();
    const int32_t length = Horizontal() ? track.Right - track.Left : track.Bottom - track.Top;
    if (length <= 0)
        return;
    const int64_t along = Horizontal() ? int64_t{x} - track.Left - grabDx_ : int64_t{track.Bottom} - (y - grabDy_);
    const long double value = static_cast<long double>(along) / length * Range() + min_;
    const int32_t newPos = ClampToInt32(Round(value), min_, max_);
    if (CanChangePosition(newPos))
        SetPosition(newPos);
}

void TTarqCustomTrackBar::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    StopPaging();
    if (!dragging_ || button != mbLeft)
        return;
    dragging_ = false;
    SetMouseCapture(false);
    hot_ = false;
    RedrawThumb();
}

TPoint TTarqCustomTrackBar::CursorInClient() const { return ScreenToClient(GetCursorPos()); }

// ---- Messages ------------------------------------------------------------------

void TTarqCustomTrackBar::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
    case WM_SETCURSOR: WMSetCursor(message); return;
    case WM_ERASEBKGND: WMEraseBkgnd(message); return;
    case WM_SIZE:
        TCustomControl::Dispatch(message);
        SetOrientation(Width() < Height() ? orVertical : orHorizontal);
        rebuildBackground_ = true;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(message);
        Invalidate();
        return;
    case CM_ENABLEDCHANGED:
    case CM_PARENTCOLORCHANGED:
        TCustomControl::Dispatch(message);
        Rebuild();
        return;
    case CM_DESIGNHITTEST: message.Result = dragging_ || OverThumb(CursorInClient()) ? 1 : 0; return;
    case CM_MOUSEENTER:
        TCustomControl::Dispatch(message);
        if (OnMouseEnter)
            OnMouseEnter(this);
        return;
    case CM_MOUSELEAVE: CMMouseLeave(message); return;
    default: TCustomControl::Dispatch(message); return;
    }
}

void TTarqCustomTrackBar::CMMouseLeave(TMessage& message)
{
    TCustomControl::Dispatch(message);
    if (OnMouseLeave)
        OnMouseLeave(this);
    if (dragging_)
        return;
    hot_ = false;
    RedrawThumb();
}

// Over the thumb, the double arrow picture of the bar's direction.
void TTarqCustomTrackBar::WMSetCursor(TMessage& message)
{
    if (!OverThumb(CursorInClient())) {
        TCustomControl::Dispatch(message);
        return;
    }
    SetCursorPicture(ThumbCursor());
    message.Result = 1;
}

void TTarqCustomTrackBar::WMEraseBkgnd(TMessage& message)
{
    if (!transparent_) {
        TCustomControl::Dispatch(message);
        return;
    }
    PaintParentBackgroundDC(*this, reinterpret_cast<HDC>(message.WParam), true);
    message.Result = 1;
}
