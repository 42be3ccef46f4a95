#include "platform/ui/Caret.h"

#include <algorithm>

#include "platform/gfx/Bitmap.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowSystem.h"

TCaretService::~TCaretService() { StopBlink(); }

void TCaretService::Create(HWND window, int32_t width, int32_t height)
{
    Destroy();
    if (!WindowSystem().FindControl(window))
        return;
    owner_ = window;
    pos_ = {0, 0};
    size_ = {std::max(width, 1), std::max(height, 0)};
    hideCount_ = 1;
    Refresh();
}

void TCaretService::Destroy()
{
    if (!owner_)
        return;
    StopBlink();
    owner_ = 0;
    hideCount_ = 0;
    Refresh();
}

bool TCaretService::SetPos(TPoint clientPos)
{
    if (!owner_)
        return false;
    if (clientPos.X == pos_.X && clientPos.Y == pos_.Y)
        return true;
    pos_ = clientPos;
    // A moved caret shows at once and starts a new blink.
    if (Shown())
        RestartBlink();
    Refresh();
    return true;
}

bool TCaretService::Show(HWND window)
{
    if (!owner_ || window != owner_)
        return false;
    if (hideCount_ > 0 && --hideCount_ == 0) {
        RestartBlink();
        Refresh();
    }
    return true;
}

bool TCaretService::Hide(HWND window)
{
    if (!owner_ || window != owner_)
        return false;
    if (hideCount_++ == 0) {
        StopBlink();
        Refresh();
    }
    return true;
}

void TCaretService::WindowDestroyed(HWND window)
{
    if (window == lastTop_) {
        lastTop_ = 0;
        lastBar_ = {};
    }
    if (window == owner_)
        Destroy();
}

TRect TCaretService::BarInTop(TWinControl*& top) const
{
    top = nullptr;
    TWinControl* owner = owner_ ? WindowSystem().FindControl(owner_) : nullptr;
    if (!owner || !owner->Showing())
        return {};
    top = owner->TopLevel();
    const TPoint origin = owner->ClientOriginInTop();
    const TRect client = OffsetRect(Rect(0, 0, owner->ClientWidth(), owner->ClientHeight()), origin.X, origin.Y);
    const TRect bar =
        Rect(origin.X + pos_.X, origin.Y + pos_.Y, origin.X + pos_.X + size_.cx, origin.Y + pos_.Y + size_.cy);
    return IntersectRect(bar, client);
}

void TCaretService::DrawInto(const TWinControl& top, TBitmap& image) const
{
    if (!BlinkOn())
        return;
    TWinControl* barTop = nullptr;
    const TRect bar = IntersectRect(BarInTop(barTop), Rect(0, 0, image.Width(), image.Height()));
    if (barTop != &top || IsRectEmpty(bar))
        return;
    for (int32_t y = bar.Top; y < bar.Bottom; ++y) {
        uint8_t* pixel = image.ScanLine(y) + 4 * bar.Left;
        for (int32_t x = bar.Left; x < bar.Right; ++x, pixel += 4)
            for (int c = 0; c < 3; ++c)
                pixel[c] = static_cast<uint8_t>(255 - pixel[c]);
    }
}

void TCaretService::RestartBlink()
{
    blinkOn_ = true;
    if (blinkTimer_)
        Timers().SetInterval(blinkTimer_, BlinkMs);
    else
        blinkTimer_ = Timers().AddTimer(BlinkMs, [this] { Toggle(); });
}

void TCaretService::StopBlink()
{
    blinkOn_ = false;
    if (blinkTimer_)
        Timers().RemoveTimer(blinkTimer_);
    blinkTimer_ = 0;
}

void TCaretService::Toggle()
{
    blinkOn_ = !blinkOn_;
    Refresh();
}

void TCaretService::Refresh()
{
    TWindowSystem& system = WindowSystem();
    TWinControl* top = nullptr;
    const TRect bar = BarInTop(top);
    if (TWinControl* last = system.FindControl(lastTop_)) {
        last->AddPresentRect(lastBar_);
        if (last != top && last->NativeWindow())
            last->NativeWindow()->CaretChanged({}, false);
    }
    if (top) {
        top->AddPresentRect(bar);
        if (top->NativeWindow())
            top->NativeWindow()->CaretChanged(bar, Shown());
    }
    lastTop_ = top ? top->Handle() : 0;
    lastBar_ = bar;
}

// ---- Free functions -------------------------------------------------------------------------

void CreateCaret(HWND window, int32_t width, int32_t height) { WindowSystem().Caret().Create(window, width, height); }

void DestroyCaret()
{
    if (WindowSystemInstalled())
        WindowSystem().Caret().Destroy();
}

bool SetCaretPos(int32_t x, int32_t y) { return WindowSystem().Caret().SetPos({x, y}); }

TPoint GetCaretPos() { return WindowSystemInstalled() ? WindowSystem().Caret().Pos() : TPoint{}; }

bool ShowCaret(HWND window) { return WindowSystem().Caret().Show(window); }

bool HideCaret(HWND window) { return WindowSystemInstalled() && WindowSystem().Caret().Hide(window); }
