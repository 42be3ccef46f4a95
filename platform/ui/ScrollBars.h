#pragma once
// Scroll bars: the classic arrows, page areas and thumb, as the window
// scroll bars of a window with WS_HSCROLL/WS_VSCROLL and as the TScrollBar
// control. Pressing an arrow scrolls by a line and a page area by a page,
// both repeating while held; dragging the thumb tracks; every step is a
// WM_HSCROLL/WM_VSCROLL message with the SB_* code.

#include <cstdint>
#include <functional>

#include "platform/ui/Controls.h"

constexpr int32_t SB_HORZ = 0;
constexpr int32_t SB_VERT = 1;
constexpr int32_t SB_CTL = 2;

constexpr uint16_t SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2, SB_PAGELEFT = 2,
                   SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_LEFT = 6,
                   SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;

constexpr uint32_t SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_TRACKPOS = 0x10,
                   SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

struct TScrollInfo {
    uint32_t Mask = SIF_ALL;
    int32_t Min = 0;
    int32_t Max = 100;
    uint32_t Page = 0;
    int32_t Pos = 0;
    int32_t TrackPos = 0;
};

// Width of a vertical bar and height of a horizontal one.
constexpr int32_t ScrollBarSize = 16;
// Repeat of a held arrow or page area: first after 400 ms, then every 50 ms.
constexpr uint32_t ScrollRepeatDelayMs = 400;
constexpr uint32_t ScrollRepeatIntervalMs = 50;

enum class TScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

// One bar's geometry, hit testing, press tracking and painting. `Scroll`
// receives every SB_* step (code, thumb position).
class TScrollBarTracker {
public:
    using TScrollSink = std::function<void(uint16_t code, int32_t position)>;

    TScrollBarTracker(bool vertical, TScrollSink sink) : vertical_(vertical), sink_(std::move(sink)) {}

    // The bar's rectangle, in the coordinates the mouse points come in.
    void SetBounds(const TRect& bounds) { bounds_ = bounds; }
    const TRect& Bounds() const { return bounds_; }
    TScrollInfo& Info() { return info_; }
    const TScrollInfo& Info() const { return info_; }
    // Sets the parts of `info` its mask names; the position stays in range.
    void SetInfo(const TScrollInfo& info);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }

    TRect PartRect(TScrollPart part) const;
    TScrollPart PartAt(TPoint p) const;
    // The position the thumb's top (left) edge at `offset` along the track stands for.
    int32_t PositionAtThumbOffset(int32_t offset) const;

    // Mouse input; true when the bar took it. Press returns whether the
    // owner should hold the mouse capture and run the repeat timer.
    bool Press(TPoint p);
    void Move(TPoint p);
    void Release(TPoint p);
    // The repeat timer fired.
    void Repeat();
    TScrollPart Pressed() const { return pressed_; }

    void Paint(TCanvas& canvas) const;

private:
    int32_t TrackLength() const;
    int32_t ThumbLength() const;
    int32_t ThumbOffset() const;
    int32_t Range() const;
    void Step();
    int32_t Along(TPoint p) const { return vertical_ ? p.Y - bounds_.Top : p.X - bounds_.Left; }

    bool vertical_;
    TScrollSink sink_;
    TRect bounds_;
    TScrollInfo info_;
    bool enabled_ = true;
    TScrollPart pressed_ = TScrollPart::None;
    bool pressedInside_ = false;
    TPoint lastPoint_;
    int32_t dragGrab_ = 0;
};

// The non-client scroll bars of one window (WS_HSCROLL, WS_VSCROLL): laid
// out along the right and bottom edges, in window coordinates; each step is
// sent to the window itself.
class TWindowScrollBars {
public:
    explicit TWindowScrollBars(TWinControl& window);

    TScrollBarTracker& Bar(int32_t bar) { return bar == SB_VERT ? vertical_ : horizontal_; }
    void Layout();
    void Paint(TCanvas& windowCanvas);
    // WM_NCHITTEST for a point in window coordinates: HTVSCROLL, HTHSCROLL
    // or HTNOWHERE.
    LRESULT HitTest(TPoint windowPoint);
    // A press on a bar (window coordinates); the window then holds the
    // capture until the release.
    void Press(TPoint windowPoint);
    // While a bar is pressed: the mouse and repeat messages; true when taken.
    bool TrackingMessage(TMessage& message);

private:
    void Send(uint32_t msg, uint16_t code, int32_t position);

    TWinControl& window_;
    TScrollBarTracker horizontal_;
    TScrollBarTracker vertical_;
    TScrollBarTracker* active_ = nullptr;
};

enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* sender, TScrollCode code, int32_t& scrollPos)>;

class TScrollBar : public TWinControl {
public:
    explicit TScrollBar(TComponent* owner);
    ~TScrollBar() override;

    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind value);
    int32_t Min() const { return tracker_.Info().Min; }
    int32_t Max() const { return tracker_.Info().Max; }
    int32_t Position() const { return tracker_.Info().Pos; }
    int32_t PageSize() const { return static_cast<int32_t>(tracker_.Info().Page); }
    void SetMin(int32_t value) { SetParams(Position(), value, Max()); }
    void SetMax(int32_t value) { SetParams(Position(), Min(), value); }
    void SetPosition(int32_t value) { SetParams(value, Min(), Max()); }
    void SetPageSize(int32_t value);
    // Raises EInvalidOperation "Scroll bar property out of range" when
    // min > max.
    void SetParams(int32_t position, int32_t min, int32_t max);
    int32_t SmallChange() const { return smallChange_; }
    void SetSmallChange(int32_t value) { smallChange_ = value; }
    int32_t LargeChange() const { return largeChange_; }
    void SetLargeChange(int32_t value) { largeChange_ = value; }

    TNotifyEvent OnChange;
    TScrollEvent OnScroll;

protected:
    void Dispatch(TMessage& message) override;
    void PaintWindow(TCanvas& canvas) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;

private:
    void Scroll(uint16_t code, int32_t thumbPosition);
    void UpdateGeometry();

    TScrollBarKind kind_ = sbHorizontal;
    int32_t smallChange_ = 1;
    int32_t largeChange_ = 1;
    TScrollBarTracker tracker_;
    std::unique_ptr<TUtilityWindow> repeatWindow_;
};

// The window scroll bars of a window created with WS_HSCROLL/WS_VSCROLL.
bool SetScrollInfo(TWinControl& window, int32_t bar, const TScrollInfo& info, bool redraw = true);
bool GetScrollInfo(TWinControl& window, int32_t bar, TScrollInfo& info);
int32_t SetScrollPos(TWinControl& window, int32_t bar, int32_t position, bool redraw = true);
int32_t GetScrollPos(TWinControl& window, int32_t bar);
