#pragma once
// The caret: one for the process, owned by one window at a time, as the
// desktop's text caret is. The owner creates it when it takes the focus,
// moves it in its client coordinates and destroys it when the focus goes.
// It blinks on the timer service and is drawn by the window system as an
// inverted bar over the owner's painted pixels, only in the image handed
// to the desktop, so a control never has to paint it away.
//
// Showing counts: a new caret starts hidden once, each HideCaret adds one
// and each ShowCaret takes one away; the caret shows at zero.

#include <cstdint>

#include "platform/core/Timers.h"
#include "platform/gfx/Geometry.h"
#include "platform/ui/Messages.h"

class TBitmap;
class TWinControl;

class TCaretService {
public:
    // The standard edit's blink interval.
    static constexpr uint32_t BlinkMs = 530;

    TCaretService() = default;
    ~TCaretService();
    TCaretService(const TCaretService&) = delete;
    TCaretService& operator=(const TCaretService&) = delete;

    // Replaces any caret, hidden, at (0, 0) of `window`'s client area.
    void Create(HWND window, int32_t width, int32_t height);
    void Destroy();
    // False without a caret.
    bool SetPos(TPoint clientPos);
    // False when `window` does not own the caret.
    bool Show(HWND window);
    bool Hide(HWND window);

    HWND Owner() const { return owner_; }
    TPoint Pos() const { return pos_; }
    TSize Size() const { return size_; }
    bool Shown() const { return owner_ != 0 && hideCount_ == 0; }
    // In the visible half of a blink.
    bool BlinkOn() const { return Shown() && blinkOn_; }

    // Inverts the bar into the image about to be presented for `top`.
    void DrawInto(const TWinControl& top, TBitmap& image) const;
    // The window is going: a caret it owns goes with it.
    void WindowDestroyed(HWND window);

private:
    // The bar in the top-level window's coordinates, clipped to the owner's
    // client area; empty when the owner does not show.
    TRect BarInTop(TWinControl*& top) const;
    void RestartBlink();
    void StopBlink();
    void Toggle();
    // Tells the desktop what changed and asks for the old and new bar to be
    // presented again.
    void Refresh();

    HWND owner_ = 0;
    TPoint pos_;
    TSize size_;
    int32_t hideCount_ = 0;
    bool blinkOn_ = false;
    TTimerID blinkTimer_ = 0;
    // Where the bar was last shown, to present that area again.
    HWND lastTop_ = 0;
    TRect lastBar_;
};

// Free-function forms, for the window that owns the caret.
void CreateCaret(HWND window, int32_t width, int32_t height);
void DestroyCaret();
bool SetCaretPos(int32_t x, int32_t y);
TPoint GetCaretPos();
bool ShowCaret(HWND window);
bool HideCaret(HWND window);
