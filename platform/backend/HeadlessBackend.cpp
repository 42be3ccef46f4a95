#include "platform/backend/HeadlessBackend.h"

#include <algorithm>
#include <chrono>

#include "platform/gfx/Canvas.h"
#include "platform/ui/Application.h"
#include "platform/ui/Controls.h"

// ---- Windows -----------------------------------------------------------------------

THeadlessWindow::THeadlessWindow(THeadlessBackend& backend, const TNativeWindowParams& params)
    : backend_(backend), params_(params), bounds_(params.Bounds)
{
    backend_.stack_.push_back(this);
    backend_.Raise(this);
}

THeadlessWindow::~THeadlessWindow() { backend_.Forget(this); }

void THeadlessWindow::SetVisible(bool visible, bool)
{
    if (visible && !visible_)
        backend_.Raise(this);
    visible_ = visible;
}

void THeadlessWindow::SetTopMost(bool topMost)
{
    params_.TopMost = topMost;
    backend_.Raise(this);
}

void THeadlessWindow::BringToFront(bool) { backend_.Raise(this); }

void THeadlessWindow::PlaceBelow(INativeWindow& sibling)
{
    backend_.Lower(this, static_cast<THeadlessWindow*>(&sibling));
}

void THeadlessWindow::Present(const TBitmap& image, const TRect&)
{
    image_.SetPixelFormat(pf32bit);
    image_.SetSize(image.Width(), image.Height());
    for (int32_t y = 0; y < image.Height(); ++y)
        std::copy_n(image.ScanLine(y), 4 * image.Width(), image_.ScanLine(y));
    ++presentCount_;
}

// ---- Backend -------------------------------------------------------------------------

THeadlessBackend::THeadlessBackend(TSize screenSize) : screen_(screenSize) { SetClock(&clock_); }

THeadlessBackend::~THeadlessBackend() { SetClock(nullptr); }

std::unique_ptr<INativeWindow> THeadlessBackend::CreateNativeWindow(const TNativeWindowParams& params)
{
    return std::make_unique<THeadlessWindow>(*this, params);
}

void THeadlessBackend::Raise(THeadlessWindow* window)
{
    std::erase(stack_, window);
    if (window->TopMost()) {
        stack_.push_back(window);
        return;
    }
    auto firstTopMost = std::find_if(stack_.begin(), stack_.end(), [](THeadlessWindow* w) { return w->TopMost(); });
    stack_.insert(firstTopMost, window);
}

void THeadlessBackend::Lower(THeadlessWindow* window, THeadlessWindow* below)
{
    if (window == below)
        return;
    std::erase(stack_, window);
    stack_.insert(std::find(stack_.begin(), stack_.end(), below), window);
}

void THeadlessBackend::Forget(THeadlessWindow* window)
{
    std::erase(stack_, window);
    for (TInputEvent& event : pending_)
        if (event.Window == window)
            event.Window = nullptr;
}

bool THeadlessBackend::DeliverOne()
{
    if (pending_.empty())
        return false;
    TInputEvent event = pending_.front();
    pending_.pop_front();
    if (sink_)
        sink_(event);
    return true;
}

// Nothing queued and a time limit: the test clock jumps to it, so timers
// fire without real waiting. Nothing queued and no limit: only a worker
// thread can still wake the loop; after the grace period nothing will, and
// the loop is told so instead of hanging.
bool THeadlessBackend::Wait(std::optional<int64_t> timeoutMs)
{
    if (!pending_.empty())
        return true;
    if (timeoutMs) {
        clock_.AdvanceMs(*timeoutMs);
        return true;
    }
    std::unique_lock<std::mutex> lock(wakeLock_);
    bool woken = wakeSignal_.wait_for(lock, std::chrono::milliseconds(idleGraceMs_), [this] { return woken_; });
    woken_ = false;
    return woken;
}

void THeadlessBackend::Wake()
{
    {
        std::lock_guard<std::mutex> guard(wakeLock_);
        woken_ = true;
    }
    wakeSignal_.notify_all();
}

void THeadlessBackend::Queue(TInputEvent event)
{
    pending_.push_back(std::move(event));
    Wake();
}

void THeadlessBackend::MouseMove(TPoint screen)
{
    TInputEvent event;
    event.Kind = TInputKind::MouseMove;
    event.Position = screen;
    Queue(event);
}

void THeadlessBackend::MouseDown(TPoint screen, int32_t button)
{
    TInputEvent event;
    event.Kind = TInputKind::MouseDown;
    event.Position = screen;
    event.Button = button;
    Queue(event);
}

void THeadlessBackend::MouseUp(TPoint screen, int32_t button)
{
    TInputEvent event;
    event.Kind = TInputKind::MouseUp;
    event.Position = screen;
    event.Button = button;
    Queue(event);
}

void THeadlessBackend::Click(TPoint screen, int32_t button)
{
    MouseMove(screen);
    MouseDown(screen, button);
    MouseUp(screen, button);
}

void THeadlessBackend::Wheel(TPoint screen, int32_t delta)
{
    TInputEvent event;
    event.Kind = TInputKind::MouseWheel;
    event.Position = screen;
    event.WheelDelta = delta;
    Queue(event);
}

void THeadlessBackend::KeyDown(uint16_t virtualKey)
{
    TInputEvent event;
    event.Kind = TInputKind::KeyDown;
    event.VirtualKey = virtualKey;
    Queue(event);
}

void THeadlessBackend::KeyUp(uint16_t virtualKey)
{
    TInputEvent event;
    event.Kind = TInputKind::KeyUp;
    event.VirtualKey = virtualKey;
    Queue(event);
}

void THeadlessBackend::PressKey(uint16_t virtualKey)
{
    KeyDown(virtualKey);
    KeyUp(virtualKey);
}

void THeadlessBackend::TypeText(const std::string& utf8)
{
    TInputEvent event;
    event.Kind = TInputKind::Text;
    event.Text = utf8;
    Queue(event);
}

void THeadlessBackend::RequestClose(INativeWindow* window)
{
    TInputEvent event;
    event.Kind = TInputKind::CloseRequested;
    event.Window = window;
    Queue(event);
}

void THeadlessBackend::MinimizeByDesktop(INativeWindow* window)
{
    static_cast<THeadlessWindow*>(window)->SetState(TNativeWindowState::Minimized);
    TInputEvent event;
    event.Kind = TInputKind::StateChanged;
    event.Window = window;
    event.State = TNativeWindowState::Minimized;
    Queue(event);
}

std::unique_ptr<TBitmap> THeadlessBackend::ScreenImage(TColor background) const
{
    auto screen = std::make_unique<TBitmap>(screen_.cx, screen_.cy, pf32bit);
    TCanvas canvas(screen.get());
    canvas.Brush()->SetColor(background);
    canvas.FillRect(ScreenRect());
    for (const THeadlessWindow* window : stack_) {
        if (!window->Visible() || window->State() == TNativeWindowState::Minimized || window->Image().Empty())
            continue;
        const TBitmap& image = window->Image();
        TRect area = IntersectRect(Bounds(window->Bounds().Left, window->Bounds().Top, image.Width(), image.Height()),
                                   ScreenRect());
        for (int32_t y = area.Top; y < area.Bottom; ++y) {
            const uint8_t* src = image.ScanLine(y - window->Bounds().Top);
            uint8_t* dst = screen->ScanLine(y);
            for (int32_t x = area.Left; x < area.Right; ++x) {
                const uint8_t* s = src + 4 * (x - window->Bounds().Left);
                uint8_t* d = dst + 4 * x;
                uint32_t alpha = s[3];
                for (int c = 0; c < 3; ++c)
                    d[c] = static_cast<uint8_t>((s[c] * alpha + d[c] * (255 - alpha) + 127) / 255);
            }
        }
    }
    return screen;
}

// ---- THeadlessDesktop ------------------------------------------------------------------

THeadlessDesktop::THeadlessDesktop(TSize screenSize) : backend_(screenSize)
{
    InstallWindowSystem(backend_);
    Application()->ResetTerminated();
}

THeadlessDesktop::~THeadlessDesktop() { UninstallWindowSystem(); }

void THeadlessDesktop::Pump() { Application()->ProcessMessages(); }

TColor THeadlessDesktop::PixelOf(TWinControl& topLevel, int32_t x, int32_t y)
{
    TBitmap* store = topLevel.BackingStore();
    if (!store || x < 0 || y < 0 || x >= store->Width() || y >= store->Height())
        return CLR_INVALID;
    const uint8_t* p = store->ScanLine(y) + 4 * x;
    return RGB(p[2], p[1], p[0]);
}
