#include "platform/ui/WindowSystem.h"

#include <algorithm>
#include <cstdlib>

#include "platform/core/Clock.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Timers.h"
#include "platform/ui/Controls.h"

namespace {

std::unique_ptr<TWindowSystem>& InstalledSystem()
{
    static std::unique_ptr<TWindowSystem> system;
    return system;
}

constexpr int32_t DoubleClickDistance = 2;

// Private: the cursor left every window; hover state is re-evaluated.
constexpr uint32_t WM_PRIVATE_MOUSEGONE = WM_USER - 1;

bool IsMouseMessage(uint32_t msg)
{
    return (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK) || msg == WM_NCMOUSEMOVE || msg == WM_NCLBUTTONDOWN;
}

} // namespace

// ---- TUtilityWindow ---------------------------------------------------------

TUtilityWindow::TUtilityWindow(THandler handler) : handler_(std::move(handler)), handle_(WindowSystem().Register(this))
{}

TUtilityWindow::~TUtilityWindow()
{
    if (WindowSystemInstalled())
        WindowSystem().Unregister(handle_);
}

void TUtilityWindow::ReceiveMessage(TMessage& message)
{
    if (handler_)
        handler_(message);
}

// ---- Installation -------------------------------------------------------------

TWindowSystem& WindowSystem()
{
    if (!InstalledSystem())
        throw EInvalidOperation("No window system is installed");
    return *InstalledSystem();
}

bool WindowSystemInstalled() { return InstalledSystem() != nullptr; }

std::vector<std::function<void()>>& ShutdownHooks()
{
    static std::vector<std::function<void()>> hooks;
    return hooks;
}

void AddWindowSystemShutdownHook(std::function<void()> hook) { ShutdownHooks().push_back(std::move(hook)); }

void UninstallWindowSystem()
{
    if (!InstalledSystem())
        return;
    for (const auto& hook : ShutdownHooks())
        hook();
    InstalledSystem().reset();
}

void InstallWindowSystem(IWindowBackend& backend)
{
    UninstallWindowSystem();
    InstalledSystem() = std::make_unique<TWindowSystem>(backend);
}

TWindowSystem::TWindowSystem(IWindowBackend& backend) : backend_(backend)
{
    backend_.SetEventSink([this](const TInputEvent& event) { OnInput(event); });
}

TWindowSystem::~TWindowSystem() { backend_.SetEventSink(nullptr); }

int64_t TWindowSystem::TickCount() { return MonotonicMicroseconds() / MicrosecondsPerMillisecond; }

// ---- Window ids ---------------------------------------------------------------

HWND TWindowSystem::Register(TWndTarget* target)
{
    // Ids are never reused, not even by a later window system, so a stale
    // id can never reach another window.
    static HWND nextHandle = 1;
    HWND handle = nextHandle++;
    targets_[handle] = target;
    return handle;
}

void TWindowSystem::Unregister(HWND window)
{
    caret_.WindowDestroyed(window);
    targets_.erase(window);
    std::erase_if(timers_, [window](const auto& entry) { return entry.first.first == window; });
    RemoveTopLevel(window);
    if (capture_ == window)
        capture_ = 0;
    if (focus_ == window)
        focus_ = 0;
    if (active_ == window)
        active_ = 0;
    if (lastClick_.Window == window)
        lastClick_ = {};
}

TWndTarget* TWindowSystem::Target(HWND window) const
{
    auto it = targets_.find(window);
    return it == targets_.end() ? nullptr : it->second;
}

TWinControl* TWindowSystem::FindControl(HWND window) const { return dynamic_cast<TWinControl*>(Target(window)); }

// ---- Messages -------------------------------------------------------------------

LRESULT TWindowSystem::SendMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam)
{
    TWndTarget* target = Target(window);
    if (!target)
        return 0;
    TMessage message{msg, wParam, lParam, 0};
    target->ReceiveMessage(message);
    return message.Result;
}

void TWindowSystem::PostMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam)
{
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        queue_.push_back({window, {msg, wParam, lParam, 0}, cursorPos_});
    }
    backend_.Wake();
}

void TWindowSystem::PostQuitMessage(int exitCode) { PostMessage(0, WM_QUIT, static_cast<WPARAM>(exitCode), 0); }

bool TWindowSystem::PeekMessage(TQueuedMessage& out)
{
    QueueDueTimers();
    for (;;) {
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            while (!queue_.empty()) {
                out = queue_.front();
                queue_.pop_front();
                if (out.Window == 0 || targets_.count(out.Window))
                    return true;
            }
        }
        if (!backend_.DeliverOne())
            return false;
    }
}

void TWindowSystem::DispatchMessage(TQueuedMessage& queued)
{
    TMessage& message = queued.Message;
    if (message.Msg == WM_PRIVATE_MOUSEGONE) {
        cursorOverWindows_ = false;
        UpdateMouseControl();
        return;
    }
    if (queued.Window == 0)
        return;
    if (message.Msg == WM_TIMER) {
        auto it = timers_.find({queued.Window, message.WParam});
        if (it == timers_.end())
            return; // killed while the message waited
        it->second.Pending = false;
    }
    if (IsMouseMessage(message.Msg)) {
        cursorPos_ = queued.ScreenPos;
        cursorOverWindows_ = true;
    }
    if (message.Msg == WM_LBUTTONDOWN || message.Msg == WM_RBUTTONDOWN || message.Msg == WM_MBUTTONDOWN)
        NotifyParentsOfPress(queued);
    if (TWndTarget* target = Target(queued.Window))
        target->ReceiveMessage(message);
    if (message.Msg == WM_MOUSEMOVE || message.Msg == WM_NCMOUSEMOVE)
        UpdateMouseControl();
}

// A press on a child window is announced to every window above it first.
void TWindowSystem::NotifyParentsOfPress(const TQueuedMessage& queued)
{
    TWinControl* control = FindControl(queued.Window);
    for (TWinControl* parent = control ? control->Parent() : nullptr; parent; parent = parent->Parent()) {
        TPoint p = parent->ScreenToClient(queued.ScreenPos);
        parent->Perform(WM_PARENTNOTIFY, MakeWParam(static_cast<uint16_t>(queued.Message.Msg), 0), PointToLParam(p));
    }
}

bool TWindowSystem::WaitMessage()
{
    {
        std::lock_guard<std::mutex> guard(queueLock_);
        if (!queue_.empty())
            return true;
    }
    return backend_.Wait(MillisecondsToNextTimer());
}

// ---- Timers -----------------------------------------------------------------------

void TWindowSystem::SetTimer(HWND window, uintptr_t id, uint32_t intervalMs)
{
    TTimerEntry& entry = timers_[{window, id}];
    entry.IntervalMs = std::max<uint32_t>(intervalMs, 1);
    entry.DueMs = TickCount() + entry.IntervalMs;
}

void TWindowSystem::KillTimer(HWND window, uintptr_t id) { timers_.erase({window, id}); }

std::optional<int64_t> TWindowSystem::MillisecondsToNextTimer() const
{
    std::optional<int64_t> next;
    int64_t now = TickCount();
    if (TMicroseconds due = Timers().NextDueTime(); due >= 0)
        next = std::max<int64_t>((due - MonotonicMicroseconds() + 999) / 1000, 0);
    for (const auto& [key, entry] : timers_) {
        if (entry.Pending)
            continue;
        int64_t wait = std::max<int64_t>(entry.DueMs - now, 0);
        if (!next || wait < *next)
            next = wait;
    }
    return next;
}

void TWindowSystem::QueueDueTimers()
{
    int64_t now = TickCount();
    std::vector<std::pair<int64_t, std::pair<HWND, uintptr_t>>> due;
    for (auto& [key, entry] : timers_)
        if (!entry.Pending && entry.DueMs <= now)
            due.push_back({entry.DueMs, key});
    std::stable_sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [dueMs, key] : due) {
        TTimerEntry& entry = timers_[key];
        entry.Pending = true;
        entry.DueMs = now + entry.IntervalMs;
        std::lock_guard<std::mutex> guard(queueLock_);
        queue_.push_back({key.first, {WM_TIMER, key.second, 0, 0}, cursorPos_});
    }
}

// ---- Capture, focus, activation -----------------------------------------------------

HWND TWindowSystem::SetCapture(HWND window)
{
    HWND old = capture_;
    if (old == window)
        return old;
    capture_ = window;
    if (old)
        SendMessage(old, WM_CAPTURECHANGED, 0, static_cast<LPARAM>(window));
    if (TWinControl* control = FindControl(window))
        if (INativeWindow* native = control->TopLevel()->NativeWindow())
            native->SetMouseCapture(true);
    return old;
}

void TWindowSystem::ReleaseCapture()
{
    HWND old = capture_;
    if (!old)
        return;
    capture_ = 0;
    if (TWinControl* control = FindControl(old))
        if (INativeWindow* native = control->TopLevel()->NativeWindow())
            native->SetMouseCapture(false);
    SendMessage(old, WM_CAPTURECHANGED, 0, 0);
}

HWND TWindowSystem::SetFocus(HWND window)
{
    HWND old = focus_;
    if (old == window)
        return old;
    if (TWinControl* control = FindControl(window))
        SetActiveWindow(control->TopLevel()->Handle());
    focus_ = window;
    if (old && IsWindow(old))
        SendMessage(old, WM_KILLFOCUS, window, 0);
    if (window && focus_ == window)
        SendMessage(window, WM_SETFOCUS, old, 0);
    return old;
}

void TWindowSystem::SetActiveWindow(HWND topLevel)
{
    HWND old = active_;
    if (old == topLevel)
        return;
    active_ = topLevel;
    if (old && IsWindow(old))
        SendMessage(old, WM_ACTIVATE, WA_INACTIVE, static_cast<LPARAM>(topLevel));
    if (topLevel) {
        BringToFront(topLevel);
        SendMessage(topLevel, WM_ACTIVATE, WA_ACTIVE, static_cast<LPARAM>(old));
    }
}

// ---- Top-level order ------------------------------------------------------------------

bool TWindowSystem::IsTopMostWindow(HWND window) const
{
    TWinControl* control = FindControl(window);
    return control && (control->createdWith_.ExStyle & WS_EX_TOPMOST);
}

void TWindowSystem::AddTopLevel(HWND window)
{
    if (std::find(topLevels_.begin(), topLevels_.end(), window) == topLevels_.end())
        topLevels_.push_back(window);
    BringToFront(window);
}

void TWindowSystem::RemoveTopLevel(HWND window) { std::erase(topLevels_, window); }

void TWindowSystem::BringToFront(HWND topLevel)
{
    auto it = std::find(topLevels_.begin(), topLevels_.end(), topLevel);
    if (it == topLevels_.end())
        return;
    topLevels_.erase(it);
    // Stay-on-top windows form a band above all others.
    if (IsTopMostWindow(topLevel)) {
        topLevels_.push_back(topLevel);
    } else {
        auto firstTopMost =
            std::find_if(topLevels_.begin(), topLevels_.end(), [this](HWND w) { return IsTopMostWindow(w); });
        topLevels_.insert(firstTopMost, topLevel);
    }
}

void TWindowSystem::PlaceBelow(HWND topLevel, HWND sibling)
{
    if (topLevel == sibling || std::find(topLevels_.begin(), topLevels_.end(), sibling) == topLevels_.end())
        return;
    std::erase(topLevels_, topLevel);
    topLevels_.insert(std::find(topLevels_.begin(), topLevels_.end(), sibling), topLevel);
}

void TWindowSystem::SendToBottom(HWND topLevel)
{
    auto it = std::find(topLevels_.begin(), topLevels_.end(), topLevel);
    if (it == topLevels_.end())
        return;
    topLevels_.erase(it);
    topLevels_.insert(topLevels_.begin(), topLevel);
}

void TWindowSystem::UpdateAllWindows()
{
    std::vector<HWND> order = topLevels_;
    for (HWND window : order) {
        TWinControl* control = FindControl(window);
        if (!control || !control->Showing())
            continue;
        control->PaintTree();
        if (IsWindow(window))
            control->PresentChanges();
    }
}

// ---- Input routing ----------------------------------------------------------------------

TWinControl* TWindowSystem::TopLevelOf(INativeWindow* native) const
{
    for (HWND window : topLevels_)
        if (TWinControl* control = FindControl(window); control && control->NativeWindow() == native)
            return control;
    return nullptr;
}

void TWindowSystem::OnInput(const TInputEvent& event)
{
    switch (event.Kind) {
    case TInputKind::MouseMove:
    case TInputKind::MouseDown:
    case TInputKind::MouseUp:
    case TInputKind::MouseWheel: RouteMouse(event); break;
    case TInputKind::MouseLeave:
        if (!capture_) {
            std::lock_guard<std::mutex> guard(queueLock_);
            queue_.push_back({0, {WM_PRIVATE_MOUSEGONE, 0, 0, 0}, cursorPos_});
        }
        break;
    case TInputKind::KeyDown:
    case TInputKind::KeyUp: RouteKey(event); break;
    case TInputKind::Text: RouteText(event); break;
    case TInputKind::QuitRequested: PostQuitMessage(0); break;
    default: RouteWindowEvent(event); break;
    }
}

WPARAM TWindowSystem::MouseKeyFlags() const
{
    WPARAM flags = 0;
    if (IsKeyDown(VK_LBUTTON))
        flags |= MK_LBUTTON;
    if (IsKeyDown(VK_RBUTTON))
        flags |= MK_RBUTTON;
    if (IsKeyDown(VK_MBUTTON))
        flags |= MK_MBUTTON;
    if (IsKeyDown(VK_SHIFT))
        flags |= MK_SHIFT;
    if (IsKeyDown(VK_CONTROL))
        flags |= MK_CONTROL;
    return flags;
}

namespace {

uint16_t ButtonKey(int32_t button) { return button == 1 ? VK_RBUTTON : button == 2 ? VK_MBUTTON : VK_LBUTTON; }

uint32_t ButtonMessage(int32_t button, bool down, bool dbl)
{
    uint32_t base = button == 1 ? WM_RBUTTONDOWN : button == 2 ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
    return down ? (dbl ? base + 2 : base) : base + 1;
}

// The deepest enabled, visible child window under a screen point.
TWinControl* WindowFromPoint(TWinControl* top, TPoint screen)
{
    TWinControl* current = top;
    for (;;) {
        TControl* child = current->ControlAtPos(current->ScreenToClient(screen), false, true);
        auto* win = dynamic_cast<TWinControl*>(child);
        if (!win)
            return current;
        current = win;
    }
}

} // namespace

uint32_t TWindowSystem::MouseMessageFor(const TInputEvent& event, HWND target, TPoint screenPos)
{
    if (event.Kind == TInputKind::MouseMove)
        return WM_MOUSEMOVE;
    bool down = event.Kind == TInputKind::MouseDown;
    bool dbl = false;
    if (down) {
        int64_t now = TickCount();
        TWinControl* control = FindControl(target);
        bool wantsDouble = control && (control->createdWith_.WindowClassStyle & CS_DBLCLKS);
        dbl = wantsDouble && lastClick_.Window == target && lastClick_.Button == event.Button &&
            now - lastClick_.TimeMs <= DoubleClickTimeMs() &&
            std::abs(screenPos.X - lastClick_.Position.X) <= DoubleClickDistance &&
            std::abs(screenPos.Y - lastClick_.Position.Y) <= DoubleClickDistance;
        lastClick_ = dbl ? TClickRecord{} : TClickRecord{target, event.Button, now, screenPos};
    }
    return ButtonMessage(event.Button, down, dbl);
}

void TWindowSystem::RouteMouse(const TInputEvent& event)
{
    TPoint screen = event.Position;
    if (event.Window) {
        TWinControl* reported = TopLevelOf(event.Window);
        if (!reported)
            return;
        screen = {reported->Left() + event.Position.X, reported->Top() + event.Position.Y};
    }
    cursorPos_ = screen;
    if (event.Kind == TInputKind::MouseDown)
        SetKeyDown(ButtonKey(event.Button), true);
    else if (event.Kind == TInputKind::MouseUp)
        SetKeyDown(ButtonKey(event.Button), false);

    TWinControl* targetControl = capture_ ? FindControl(capture_) : nullptr;
    TWinControl* top = targetControl ? targetControl->TopLevel() : TopLevelAt(screen);
    if (!top) {
        std::lock_guard<std::mutex> guard(queueLock_);
        queue_.push_back({0, {WM_PRIVATE_MOUSEGONE, 0, 0, 0}, screen});
        return;
    }
    if (event.Kind == TInputKind::MouseWheel) {
        HWND target = focus_ ? focus_ : top->Handle();
        std::lock_guard<std::mutex> guard(queueLock_);
        queue_.push_back({target,
                          {WM_MOUSEWHEEL,
                           MakeWParam(static_cast<uint16_t>(MouseKeyFlags()), static_cast<uint16_t>(event.WheelDelta)),
                           PointToLParam(screen), 0},
                          screen});
        return;
    }
    if (!targetControl) {
        if (!top->IsEnabledInTree()) {
            if (event.Kind == TInputKind::MouseDown)
                backend_.Beep(TBeepKind::Default);
            return;
        }
        targetControl = WindowFromPoint(top, screen);
        if (event.Kind == TInputKind::MouseDown && active_ != top->Handle() &&
            !(top->createdWith_.ExStyle & WS_EX_NOACTIVATE))
            SetActiveWindow(top->Handle());
    }
    HWND target = targetControl->Handle();
    LRESULT hit = capture_ ? HTCLIENT : SendMessage(target, WM_NCHITTEST, 0, PointToLParam(screen));
    TMessage message;
    if (hit == HTCLIENT || hit == HTTRANSPARENT) {
        message.Msg = MouseMessageFor(event, target, screen);
        message.WParam = MouseKeyFlags();
        message.LParam = PointToLParam(targetControl->ScreenToClient(screen));
    } else if (event.Kind == TInputKind::MouseMove) {
        message = {WM_NCMOUSEMOVE, static_cast<WPARAM>(hit), PointToLParam(screen), 0};
    } else if (event.Kind == TInputKind::MouseDown && event.Button == 0) {
        message = {WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), PointToLParam(screen), 0};
    } else {
        return;
    }
    std::lock_guard<std::mutex> guard(queueLock_);
    queue_.push_back({target, message, screen});
}

void TWindowSystem::RouteKey(const TInputEvent& event)
{
    bool down = event.Kind == TInputKind::KeyDown;
    bool wasDown = IsKeyDown(event.VirtualKey);
    SetKeyDown(event.VirtualKey, down);
    HWND target = focus_ ? focus_ : active_;
    if (!target)
        return;
    bool alt = IsKeyDown(VK_MENU);
    LPARAM keyData = 1;
    if (alt)
        keyData |= KF_ALTDOWN_LPARAM;
    if (wasDown)
        keyData |= LPARAM(1) << 30;
    if (!down)
        keyData |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
    bool system = alt || event.VirtualKey == VK_F10 || event.VirtualKey == VK_MENU;
    uint32_t msg = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    std::lock_guard<std::mutex> guard(queueLock_);
    queue_.push_back({target, {msg, event.VirtualKey, keyData, 0}, cursorPos_});
    // Alt with a letter or digit is an accelerator: the desktop sends no text
    // for it, so the system character is made here.
    uint16_t vk = event.VirtualKey;
    if (down && alt && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))) {
        WPARAM ch = (vk >= 'A' && vk <= 'Z') ? vk + ('a' - 'A') : vk;
        queue_.push_back({target, {WM_SYSCHAR, ch, keyData, 0}, cursorPos_});
    }
}

void TWindowSystem::RouteText(const TInputEvent& event)
{
    HWND target = focus_ ? focus_ : active_;
    if (!target)
        return;
    std::lock_guard<std::mutex> guard(queueLock_);
    size_t pos = 0;
    while (pos < event.Text.size()) {
        char32_t ch = Utf8Next(event.Text, pos);
        queue_.push_back({target, {WM_CHAR, ch, 1, 0}, cursorPos_});
    }
}

void TWindowSystem::RouteWindowEvent(const TInputEvent& event)
{
    TWinControl* top = TopLevelOf(event.Window);
    if (!top)
        return;
    switch (event.Kind) {
    case TInputKind::Activated: SetActiveWindow(top->Handle()); break;
    case TInputKind::Deactivated:
        if (active_ == top->Handle())
            SetActiveWindow(0);
        break;
    case TInputKind::CloseRequested: PostMessage(top->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
    case TInputKind::Moved: top->DesktopMoved(event.Position); break;
    case TInputKind::Resized: top->DesktopResized(event.Size); break;
    case TInputKind::StateChanged: top->DesktopStateChanged(event.State); break;
    case TInputKind::Exposed: top->AddPresentRect(Rect(0, 0, top->Width(), top->Height())); break;
    default: break;
    }
}

// ---- Free functions -------------------------------------------------------------------------

LRESULT SendMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam)
{
    return WindowSystem().SendMessage(window, msg, wParam, lParam);
}
void PostMessage(HWND window, uint32_t msg, WPARAM wParam, LPARAM lParam)
{
    WindowSystem().PostMessage(window, msg, wParam, lParam);
}
HWND SetCapture(HWND window) { return WindowSystem().SetCapture(window); }
void ReleaseCapture() { WindowSystem().ReleaseCapture(); }
HWND GetCapture() { return WindowSystemInstalled() ? WindowSystem().GetCapture() : 0; }
HWND GetFocus() { return WindowSystemInstalled() ? WindowSystem().GetFocus() : 0; }
bool GetKeyStateDown(uint16_t virtualKey) { return WindowSystemInstalled() && WindowSystem().IsKeyDown(virtualKey); }
TPoint GetCursorPos() { return WindowSystemInstalled() ? WindowSystem().CursorPos() : TPoint{}; }
void SetTimer(HWND window, uintptr_t id, uint32_t intervalMs) { WindowSystem().SetTimer(window, id, intervalMs); }
void KillTimer(HWND window, uintptr_t id)
{
    if (WindowSystemInstalled())
        WindowSystem().KillTimer(window, id);
}
void MessageBeep(TBeepKind kind) { WindowSystem().Backend().Beep(kind); }

TShiftState MouseKeysToShiftState(WPARAM keys)
{
    TShiftState s = 0;
    if (keys & MK_SHIFT)
        s |= ssShift;
    if (keys & MK_CONTROL)
        s |= ssCtrl;
    if (keys & MK_LBUTTON)
        s |= ssLeft;
    if (keys & MK_RBUTTON)
        s |= ssRight;
    if (keys & MK_MBUTTON)
        s |= ssMiddle;
    if (GetKeyStateDown(VK_MENU))
        s |= ssAlt;
    return s;
}

TShiftState KeyDataToShiftState(LPARAM keyData)
{
    TShiftState s = 0;
    if (GetKeyStateDown(VK_SHIFT))
        s |= ssShift;
    if (GetKeyStateDown(VK_CONTROL))
        s |= ssCtrl;
    if (keyData & KF_ALTDOWN_LPARAM)
        s |= ssAlt;
    return s;
}
