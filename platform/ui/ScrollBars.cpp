#include "platform/ui/ScrollBars.h"

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Frames.h"

// ---- Geometry ------------------------------------------------------------------------

void TScrollBarTracker::SetInfo(const TScrollInfo& info)
{
    if (info.Mask & SIF_RANGE) {
        info_.Min = info.Min;
        info_.Max = std::max(info.Min, info.Max);
    }
    if (info.Mask & SIF_PAGE)
        info_.Page = std::min<uint32_t>(info.Page, static_cast<uint32_t>(Range()));
    if (info.Mask & SIF_POS)
        info_.Pos = info.Pos;
    int32_t top = info_.Max - std::max<int32_t>(static_cast<int32_t>(info_.Page) - 1, 0);
    info_.Pos = std::clamp(info_.Pos, info_.Min, std::max(top, info_.Min));
    if (pressed_ != TScrollPart::Thumb)
        info_.TrackPos = info_.Pos;
}

int32_t TScrollBarTracker::Range() const { return info_.Max - info_.Min + 1; }

namespace {
int32_t ArrowLength(const TRect& bounds, bool vertical)
{
    int32_t length = vertical ? bounds.Height() : bounds.Width();
    int32_t thickness = vertical ? bounds.Width() : bounds.Height();
    return std::min(thickness, length / 2);
}
} // namespace

int32_t TScrollBarTracker::TrackLength() const
{
    int32_t length = vertical_ ? bounds_.Height() : bounds_.Width();
    return std::max(length - 2 * ArrowLength(bounds_, vertical_), 0);
}

int32_t TScrollBarTracker::ThumbLength() const
{
    int32_t track = TrackLength();
    if (track < 8 || !enabled_ || Range() <= static_cast<int32_t>(std::max<uint32_t>(info_.Page, 1)))
        return 0;
    int32_t thickness = vertical_ ? bounds_.Width() : bounds_.Height();
    int32_t length = info_.Page > 0 ? static_cast<int32_t>(int64_t{track} * info_.Page / Range()) : thickness;
    return std::clamp(length, 8, track);
}

namespace {
int32_t PositionSpan(const TScrollInfo& info)
{
    return info.Max - std::max<int32_t>(static_cast<int32_t>(info.Page) - 1, 0) - info.Min;
}
} // namespace

int32_t TScrollBarTracker::ThumbOffset() const
{
    int32_t span = PositionSpan(info_);
    int32_t free = TrackLength() - ThumbLength();
    int32_t pos = pressed_ == TScrollPart::Thumb ? info_.TrackPos : info_.Pos;
    return span > 0 ? static_cast<int32_t>(int64_t{free} * (pos - info_.Min) / span) : 0;
}

int32_t TScrollBarTracker::PositionAtThumbOffset(int32_t offset) const
{
    int32_t span = PositionSpan(info_);
    int32_t free = TrackLength() - ThumbLength();
    if (free <= 0 || span <= 0)
        return info_.Min;
    offset = std::clamp(offset, 0, free);
    return info_.Min + static_cast<int32_t>((int64_t{offset} * span + free / 2) / free);
}

TRect TScrollBarTracker::PartRect(TScrollPart part) const
{
    int32_t arrow = ArrowLength(bounds_, vertical_);
    int32_t length = vertical_ ? bounds_.Height() : bounds_.Width();
    int32_t thumbStart = arrow + ThumbOffset();
    int32_t thumbEnd = thumbStart + ThumbLength();
    int32_t from = 0;
    int32_t to = 0;
    switch (part) {
    case TScrollPart::LineUp: to = arrow; break;
    case TScrollPart::LineDown:
        from = length - arrow;
        to = length;
        break;
    case TScrollPart::Thumb:
        if (ThumbLength() == 0)
            return TRect{};
        from = thumbStart;
        to = thumbEnd;
        break;
    case TScrollPart::PageUp:
        if (ThumbLength() == 0)
            return TRect{};
        from = arrow;
        to = thumbStart;
        break;
    case TScrollPart::PageDown:
        if (ThumbLength() == 0)
            return TRect{};
        from = thumbEnd;
        to = length - arrow;
        break;
    default: return TRect{};
    }
    return vertical_ ? Rect(bounds_.Left, bounds_.Top + from, bounds_.Right, bounds_.Top + to)
                     : Rect(bounds_.Left + from, bounds_.Top, bounds_.Left + to, bounds_.Bottom);
}

TScrollPart TScrollBarTracker::PartAt(TPoint p) const
{
    for (TScrollPart part :
         {TScrollPart::LineUp, TScrollPart::PageUp, TScrollPart::Thumb, TScrollPart::PageDown, TScrollPart::LineDown})
        if (PtInRect(PartRect(part), p))
            return part;
    return TScrollPart::None;
}

// ---- Tracking ------------------------------------------------------------------------------

void TScrollBarTracker::Step()
{
    switch (pressed_) {
    case TScrollPart::LineUp: sink_(SB_LINEUP, 0); break;
    case TScrollPart::LineDown: sink_(SB_LINEDOWN, 0); break;
    case TScrollPart::PageUp: sink_(SB_PAGEUP, 0); break;
    case TScrollPart::PageDown: sink_(SB_PAGEDOWN, 0); break;
    default: break;
    }
}

bool TScrollBarTracker::Press(TPoint p)
{
    if (!enabled_)
        return false;
    TScrollPart part = PartAt(p);
    if (part == TScrollPart::None)
        return false;
    pressed_ = part;
    lastPoint_ = p;
    if (part == TScrollPart::Thumb) {
        dragGrab_ = Along(p) - ArrowLength(bounds_, vertical_) - ThumbOffset();
        info_.TrackPos = info_.Pos;
        return true;
    }
    Step();
    return true;
}

void TScrollBarTracker::Move(TPoint p)
{
    lastPoint_ = p;
    if (pressed_ != TScrollPart::Thumb)
        return;
    int32_t position = PositionAtThumbOffset(Along(p) - dragGrab_ - ArrowLength(bounds_, vertical_));
    if (position == info_.TrackPos)
        return;
    info_.TrackPos = position;
    sink_(SB_THUMBTRACK, position);
}

void TScrollBarTracker::Release(TPoint p)
{
    if (pressed_ == TScrollPart::None)
        return;
    lastPoint_ = p;
    TScrollPart was = pressed_;
    pressed_ = TScrollPart::None;
    if (was == TScrollPart::Thumb)
        sink_(SB_THUMBPOSITION, info_.TrackPos);
    sink_(SB_ENDSCROLL, 0);
}

// A held arrow repeats while the mouse stays on it; a held page area
// repeats until the thumb reaches the mouse.
void TScrollBarTracker::Repeat()
{
    if (pressed_ == TScrollPart::None || pressed_ == TScrollPart::Thumb || PartAt(lastPoint_) != pressed_)
        return;
    Step();
}

// ---- Painting ----------------------------------------------------------------------------

void TScrollBarTracker::Paint(TCanvas& canvas) const
{
    bool held = pressed_ != TScrollPart::None && PartAt(lastPoint_) == pressed_;
    uint32_t inactive = enabled_ && ThumbLength() > 0 ? 0 : DFCS_INACTIVE;
    auto arrow = [&](TScrollPart part, uint32_t kind) {
        uint32_t state = kind | inactive | (held && pressed_ == part ? DFCS_PUSHED : 0);
        DrawFrameControl(canvas, PartRect(part), DFC_SCROLL, state);
    };
    arrow(TScrollPart::LineUp, vertical_ ? DFCS_SCROLLUP : DFCS_SCROLLLEFT);
    arrow(TScrollPart::LineDown, vertical_ ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT);

    // The classic track: a checker of face and highlight.
    TBitmap pattern(8, 8, pf24bit);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            pattern.Canvas()->SetPixel(x, y, (x + y) % 2 ? clBtnFace : clBtnHighlight);
    int32_t arrowLength = ArrowLength(bounds_, vertical_);
    TRect track = vertical_
        ? Rect(bounds_.Left, bounds_.Top + arrowLength, bounds_.Right, bounds_.Bottom - arrowLength)
        : Rect(bounds_.Left + arrowLength, bounds_.Top, bounds_.Right - arrowLength, bounds_.Bottom);
    canvas.Brush()->SetBitmap(&pattern);
    canvas.FillRect(track);
    canvas.Brush()->SetBitmap(nullptr);
    if (held && (pressed_ == TScrollPart::PageUp || pressed_ == TScrollPart::PageDown)) {
        canvas.Brush()->SetColor(cl3DDkShadow);
        canvas.FillRect(PartRect(pressed_));
    }
    TRect thumb = PartRect(TScrollPart::Thumb);
    if (!IsRectEmpty(thumb))
        DrawEdge(canvas, thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

// ---- TScrollBar --------------------------------------------------------------------------------

namespace {
constexpr uintptr_t RepeatTimerId = 1;
} // namespace

TScrollBar::TScrollBar(TComponent* owner)
    : TWinControl(owner), tracker_(false, [this](uint16_t code, int32_t pos) { Scroll(code, pos); })
{
    SetBounds(0, 0, 121, ScrollBarSize);
    SetTabStop(true);
    controlStyle_ &= ~csDoubleClicks;
    color_ = clBtnFace;
    parentColor_ = false;
    TScrollInfo info;
    tracker_.SetInfo(info);
}

TScrollBar::~TScrollBar()
{
    if (repeatWindow_ && WindowSystemInstalled())
        KillTimer(repeatWindow_->Handle(), RepeatTimerId);
}

void TScrollBar::SetKind(TScrollBarKind value)
{
    if (kind_ == value)
        return;
    kind_ = value;
    TScrollInfo info = tracker_.Info();
    tracker_ = TScrollBarTracker(value == sbVertical, [this](uint16_t code, int32_t pos) { Scroll(code, pos); });
    tracker_.SetInfo(info);
    SetBounds(left_, top_, height_, width_);
    Invalidate();
}

void TScrollBar::SetParams(int32_t position, int32_t min, int32_t max)
{
    if (max < min)
        throw EInvalidOperation("Scroll bar property out of range");
    int32_t old = Position();
    TScrollInfo info;
    info.Mask = SIF_RANGE | SIF_POS;
    info.Min = min;
    info.Max = max;
    info.Pos = position;
    tracker_.SetInfo(info);
    Invalidate();
    if (Position() != old && OnChange)
        OnChange(this);
}

void TScrollBar::SetPageSize(int32_t value)
{
    TScrollInfo info;
    info.Mask = SIF_PAGE;
    info.Page = static_cast<uint32_t>(std::max(value, 0));
    int32_t old = Position();
    tracker_.SetInfo(info);
    Invalidate();
    if (Position() != old && OnChange)
        OnChange(this);
}

void TScrollBar::UpdateGeometry() { tracker_.SetBounds(ClientRect()); }

// The step goes to the parent as WM_HSCROLL/WM_VSCROLL, which sends it back
// to the bar as CN_HSCROLL/CN_VSCROLL.
void TScrollBar::Scroll(uint16_t code, int32_t thumbPosition)
{
    uint32_t msg = kind_ == sbVertical ? WM_VSCROLL : WM_HSCROLL;
    WPARAM wParam = MakeWParam(code, static_cast<uint16_t>(thumbPosition));
    tracker_.Info().TrackPos = thumbPosition;
    if (parent_)
        parent_->Perform(msg, wParam, static_cast<LPARAM>(Handle()));
    else
        Perform(CN_BASE + msg, wParam, static_cast<LPARAM>(Handle()));
}

void TScrollBar::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL: {
        auto code = static_cast<TScrollCode>(LoWord(message.WParam));
        int32_t pos = Position();
        switch (code) {
        case scLineUp: pos -= smallChange_; break;
        case scLineDown: pos += smallChange_; break;
        case scPageUp: pos -= largeChange_; break;
        case scPageDown: pos += largeChange_; break;
        case scPosition:
        case scTrack: pos = tracker_.Info().TrackPos; break;
        case scTop: pos = Min(); break;
        case scBottom: pos = Max(); break;
        default: break;
        }
        if (OnScroll)
            OnScroll(this, code, pos);
        SetPosition(pos);
        message.Result = 1;
        return;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        UpdateGeometry();
        if (CanFocus() && !Focused())
            SetFocus();
        if (tracker_.Press(LParamToPoint(message.LParam))) {
            SetCaptureControl(this);
            if (tracker_.Pressed() != TScrollPart::Thumb) {
                if (!repeatWindow_)
                    repeatWindow_ = std::make_unique<TUtilityWindow>([this](TMessage& m) {
                        if (m.Msg == WM_TIMER) {
                            SetTimer(repeatWindow_->Handle(), RepeatTimerId, ScrollRepeatIntervalMs);
                            tracker_.Repeat();
                            Invalidate();
                        }
                    });
                SetTimer(repeatWindow_->Handle(), RepeatTimerId, ScrollRepeatDelayMs);
            }
            Invalidate();
        }
        return;
    case WM_MOUSEMOVE:
        tracker_.Move(LParamToPoint(message.LParam));
        if (tracker_.Pressed() != TScrollPart::None)
            Invalidate();
        return;
    case WM_LBUTTONUP:
        if (repeatWindow_)
            KillTimer(repeatWindow_->Handle(), RepeatTimerId);
        tracker_.Release(LParamToPoint(message.LParam));
        if (MouseCapture())
            SetCaptureControl(nullptr);
        Invalidate();
        return;
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
    case WM_SIZE: UpdateGeometry(); break;
    default: break;
    }
    TWinControl::Dispatch(message);
}

void TScrollBar::PaintWindow(TCanvas& canvas)
{
    UpdateGeometry();
    tracker_.SetEnabled(Enabled());
    tracker_.Paint(canvas);
}

void TScrollBar::KeyDown(uint16_t& key, TShiftState shift)
{
    switch (key) {
    case VK_LEFT:
    case VK_UP: Scroll(SB_LINEUP, 0); break;
    case VK_RIGHT:
    case VK_DOWN: Scroll(SB_LINEDOWN, 0); break;
    case VK_PRIOR: Scroll(SB_PAGEUP, 0); break;
    case VK_NEXT: Scroll(SB_PAGEDOWN, 0); break;
    case VK_HOME: Scroll(SB_TOP, 0); break;
    case VK_END: Scroll(SB_BOTTOM, 0); break;
    default: break;
    }
    TWinControl::KeyDown(key, shift);
}

// ---- Window scroll bars ----------------------------------------------------------------------

namespace {
constexpr uintptr_t WindowBarTimerId = 0xB0B;
} // namespace

TWindowScrollBars::TWindowScrollBars(TWinControl& window)
    : window_(window), horizontal_(false, [this](uint16_t code, int32_t pos) { Send(WM_HSCROLL, code, pos); }),
      vertical_(true, [this](uint16_t code, int32_t pos) { Send(WM_VSCROLL, code, pos); })
{}

void TWindowScrollBars::Send(uint32_t msg, uint16_t code, int32_t position)
{
    window_.Perform(msg, MakeWParam(code, static_cast<uint16_t>(position)), 0);
}

void TWindowScrollBars::Layout()
{
    TRect client = window_.ClientRectInWindow();
    bool hasVertical = (window_.CreatedStyle() & WS_VSCROLL) != 0;
    bool hasHorizontal = (window_.CreatedStyle() & WS_HSCROLL) != 0;
    vertical_.SetBounds(hasVertical ? Rect(client.Right, client.Top, client.Right + ScrollBarSize, client.Bottom)
                                    : TRect{});
    horizontal_.SetBounds(hasHorizontal ? Rect(client.Left, client.Bottom, client.Right, client.Bottom + ScrollBarSize)
                                        : TRect{});
}

void TWindowScrollBars::Paint(TCanvas& canvas)
{
    Layout();
    if (!IsRectEmpty(vertical_.Bounds()))
        vertical_.Paint(canvas);
    if (!IsRectEmpty(horizontal_.Bounds()))
        horizontal_.Paint(canvas);
    if (!IsRectEmpty(vertical_.Bounds()) && !IsRectEmpty(horizontal_.Bounds())) {
        canvas.Brush()->SetColor(clBtnFace);
        canvas.FillRect(Rect(vertical_.Bounds().Left, horizontal_.Bounds().Top, vertical_.Bounds().Right,
                             horizontal_.Bounds().Bottom));
    }
}

LRESULT TWindowScrollBars::HitTest(TPoint p)
{
    Layout();
    if (PtInRect(vertical_.Bounds(), p))
        return HTVSCROLL;
    if (PtInRect(horizontal_.Bounds(), p))
        return HTHSCROLL;
    return HTNOWHERE;
}

void TWindowScrollBars::Press(TPoint p)
{
    Layout();
    TScrollBarTracker* bar = PtInRect(vertical_.Bounds(), p) ? &vertical_
        : PtInRect(horizontal_.Bounds(), p)                  ? &horizontal_
                                                             : nullptr;
    if (!bar || !bar->Press(p))
        return;
    active_ = bar;
    SetCapture(window_.Handle());
    if (bar->Pressed() != TScrollPart::Thumb)
        SetTimer(window_.Handle(), WindowBarTimerId, ScrollRepeatDelayMs);
    window_.Invalidate();
}

bool TWindowScrollBars::TrackingMessage(TMessage& message)
{
    if (!active_)
        return false;
    TPoint origin = window_.ClientRectInWindow().TopLeft();
    auto windowPoint = [&] {
        TPoint p = LParamToPoint(message.LParam);
        return TPoint{p.X + origin.X, p.Y + origin.Y};
    };
    switch (message.Msg) {
    case WM_MOUSEMOVE:
        active_->Move(windowPoint());
        window_.Invalidate();
        return true;
    case WM_LBUTTONUP: {
        TScrollBarTracker* bar = active_;
        active_ = nullptr;
        KillTimer(window_.Handle(), WindowBarTimerId);
        ReleaseCapture();
        bar->Release(windowPoint());
        window_.Invalidate();
        return true;
    }
    case WM_TIMER:
        if (message.WParam != WindowBarTimerId)
            return false;
        SetTimer(window_.Handle(), WindowBarTimerId, ScrollRepeatIntervalMs);
        active_->Repeat();
        window_.Invalidate();
        return true;
    case WM_CAPTURECHANGED:
        KillTimer(window_.Handle(), WindowBarTimerId);
        active_->Release(active_->Bounds().TopLeft());
        active_ = nullptr;
        return false;
    default: return false;
    }
}

bool SetScrollInfo(TWinControl& window, int32_t bar, const TScrollInfo& info, bool redraw)
{
    TWindowScrollBars* bars = window.WindowScrollBars();
    if (!bars || (bar != SB_HORZ && bar != SB_VERT))
        return false;
    bars->Bar(bar).SetInfo(info);
    if (redraw)
        window.Invalidate();
    return true;
}

bool GetScrollInfo(TWinControl& window, int32_t bar, TScrollInfo& info)
{
    TWindowScrollBars* bars = window.WindowScrollBars();
    if (!bars || (bar != SB_HORZ && bar != SB_VERT))
        return false;
    info = bars->Bar(bar).Info();
    return true;
}

int32_t SetScrollPos(TWinControl& window, int32_t bar, int32_t position, bool redraw)
{
    int32_t old = GetScrollPos(window, bar);
    TScrollInfo info;
    info.Mask = SIF_POS;
    info.Pos = position;
    SetScrollInfo(window, bar, info, redraw);
    return old;
}

int32_t GetScrollPos(TWinControl& window, int32_t bar)
{
    TScrollInfo info;
    return GetScrollInfo(window, bar, info) ? info.Pos : 0;
}
