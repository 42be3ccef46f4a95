#pragma once
// A desktop in memory, for tests: native windows are records with the last
// presented image, input is injected by screen position or key, time is a
// controllable test clock (installed for the backend's lifetime), and
// beeps, window states and stacking are recorded.

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core/Clock.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Backend.h"

class THeadlessBackend;

class THeadlessWindow : public INativeWindow {
public:
    THeadlessWindow(THeadlessBackend& backend, const TNativeWindowParams& params);
    ~THeadlessWindow() override;

    void SetBounds(const TRect& screenBounds) override { bounds_ = screenBounds; }
    void SetVisible(bool visible, bool activate) override;
    void SetState(TNativeWindowState state) override { state_ = state; }
    void SetTopMost(bool topMost) override;
    void SetCaption(const std::string& caption) override { params_.Caption = caption; }
    void BringToFront(bool activate) override;
    void PlaceBelow(INativeWindow& sibling) override;
    void Present(const TBitmap& image, const TRect& dirty) override;
    void SetMouseCapture(bool captured) override { captured_ = captured; }
    void SetCursor(TCursorId cursor) override
    {
        cursor_ = cursor;
        cursorImage_.reset();
    }
    void SetCursorImage(const TCursorImage& image) override { cursorImage_ = image.Image; }
    void CaretChanged(const TRect& windowRect, bool shown) override
    {
        caretRect_ = windowRect;
        caretShown_ = shown;
    }

    const TNativeWindowParams& Params() const { return params_; }
    const TRect& Bounds() const { return bounds_; }
    bool Visible() const { return visible_; }
    TNativeWindowState State() const { return state_; }
    bool TopMost() const { return params_.TopMost; }
    // The last presented image (32 bits, alpha = opacity) and how often.
    const TBitmap& Image() const { return image_; }
    int32_t PresentCount() const { return presentCount_; }
    bool Captured() const { return captured_; }
    TCursorId Cursor() const { return cursor_; }
    // The picture of the colour cursor shown, or nullptr for a standard one.
    const TBitmap* CursorImage() const { return cursorImage_.get(); }
    // The caret's bar in window coordinates (empty when it is elsewhere) and
    // whether it shows, as the window system last reported them.
    const TRect& CaretRect() const { return caretRect_; }
    bool CaretShown() const { return caretShown_; }

private:
    THeadlessBackend& backend_;
    TNativeWindowParams params_;
    TRect bounds_;
    bool visible_ = false;
    TNativeWindowState state_ = TNativeWindowState::Normal;
    TBitmap image_;
    int32_t presentCount_ = 0;
    bool captured_ = false;
    TCursorId cursor_ = 0;
    std::shared_ptr<TBitmap> cursorImage_;
    TRect caretRect_;
    bool caretShown_ = false;
};

class THeadlessBackend : public IWindowBackend {
public:
    explicit THeadlessBackend(TSize screenSize = {1024, 768});
    ~THeadlessBackend() override;

    // ---- IWindowBackend ----
    std::unique_ptr<INativeWindow> CreateNativeWindow(const TNativeWindowParams& params) override;
    void SetEventSink(TEventSink sink) override { sink_ = std::move(sink); }
    bool DeliverOne() override;
    bool Wait(std::optional<int64_t> timeoutMs) override;
    void Wake() override;
    TRect ScreenRect() const override { return Rect(0, 0, screen_.cx, screen_.cy); }
    TRect WorkArea() const override { return Rect(0, 0, screen_.cx, screen_.cy - TaskbarHeight); }
    void Beep(TBeepKind kind) override { beeps_.push_back(kind); }
    std::string ClipboardText() const override { return clipboard_; }
    void SetClipboardText(const std::string& text) override { clipboard_ = text; }

    // ---- Time ----
    TTestClock& TestClock() { return clock_; }
    // How long (real milliseconds) an idle loop with no timer waits for a
    // worker thread's wake-up before it is told nothing will come; 0 (the
    // default) answers at once.
    void SetIdleGraceMs(int64_t ms) { idleGraceMs_ = ms; }

    // ---- Input (queued; delivered by the message loop) ----
    void MouseMove(TPoint screen);
    void MouseDown(TPoint screen, int32_t button = 0);
    void MouseUp(TPoint screen, int32_t button = 0);
    // Move, press and release.
    void Click(TPoint screen, int32_t button = 0);
    void Wheel(TPoint screen, int32_t delta);
    void KeyDown(uint16_t virtualKey);
    void KeyUp(uint16_t virtualKey);
    // Down and up.
    void PressKey(uint16_t virtualKey);
    void TypeText(const std::string& utf8);
    void RequestClose(INativeWindow* window);
    void MinimizeByDesktop(INativeWindow* window);

    // ---- What happened ----
    const std::vector<TBeepKind>& Beeps() const { return beeps_; }
    // Live windows, bottom of the stack first (stay-on-top windows last).
    const std::vector<THeadlessWindow*>& Stack() const { return stack_; }
    // The visible windows composed over a desktop of `background`.
    std::unique_ptr<TBitmap> ScreenImage(TColor background = 0x000000) const;

    static constexpr int32_t TaskbarHeight = 40;

private:
    friend class THeadlessWindow;
    void Queue(TInputEvent event);
    void Raise(THeadlessWindow* window);
    void Lower(THeadlessWindow* window, THeadlessWindow* below);
    void Forget(THeadlessWindow* window);

    TSize screen_;
    TTestClock clock_;
    TEventSink sink_;
    std::deque<TInputEvent> pending_;
    std::vector<TBeepKind> beeps_;
    std::vector<THeadlessWindow*> stack_;
    std::string clipboard_;
    std::mutex wakeLock_;
    std::condition_variable wakeSignal_;
    bool woken_ = false;
    int64_t idleGraceMs_ = 0;
};

class TWinControl;

// A headless desktop with the window system installed for the object's
// lifetime: what every test of windows and controls starts from.
//
//   THeadlessDesktop desktop;
//   TForm form(nullptr);
//   form.Show();
//   desktop.Backend().Click({10, 10});
//   desktop.Pump();
class THeadlessDesktop {
public:
    explicit THeadlessDesktop(TSize screenSize = {1024, 768});
    ~THeadlessDesktop();
    THeadlessDesktop(const THeadlessDesktop&) = delete;
    THeadlessDesktop& operator=(const THeadlessDesktop&) = delete;

    THeadlessBackend& Backend() { return backend_; }
    // Handles every queued message and input event, then paints.
    void Pump();
    // RGB of a pixel of a top-level window's backing store, in window
    // coordinates.
    static TColor PixelOf(TWinControl& topLevel, int32_t x, int32_t y);

private:
    THeadlessBackend backend_;
};
