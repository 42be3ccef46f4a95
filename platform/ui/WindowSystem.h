#pragma once
// The in-process window system: window ids, the posted-message queue,
// sending, timers, mouse capture, keyboard focus, the keyboard state and the
// routing of desktop input to our windows. One instance serves the process;
// it runs in the main thread, except PostMessage and Wake, which any thread
// may call.

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ui/Backend.h"
#include "platform/ui/Caret.h"
#include "platform/ui/Messages.h"

class TWinControl;

// Anything that owns a window id and receives its messages.
class TWndTarget {
public:
    virtual ~TWndTarget() = default;
    virtual void ReceiveMessage(TMessage& message) = 0;
};

// A window that only receives messages (timers, notifications): the
// counterpart of a hidden message-only window.
class TUtilityWindow : public TWndTarget {
public:
    using THandler = std::function<void(TMessage&)>;
    explicit TUtilityWindow(THandler handler);
    ~TUtilityWindow() override;
    TUtilityWindow(const TUtilityWindow&) = delete;
    TUtilityWindow& operator=(const TUtilityWindow&) = delete;

    HWND Handle() const { return handle_; }
    void ReceiveMessage(TMessage& message) override;

private:
    THandler handler_;
    HWND handle_;
};

struct TQueuedMessage {
    HWND Window = 0;
    TMessage Message;
    TPoint ScreenPos; // the cursor when the message was queued
};

class TWindowSystem {
public:
    explicit TWindowSystem(IWindowBackend& backend);
    ~TWindowSystem();
    TWindowSystem(const TWindowSystem&) = delete;
    TWindowSystem& operator=(const TWindowSystem&) = delete;

    IWindowBackend& Backend() { return backend_; }

    // ---- Window ids ----
    HWND Register(TWndTarget* target);
    void Unregister(HWND window);
    TWndTarget* Target(HWND window) const;
    // The control that owns the id, or nullptr (also for utility windows).
    TWinControl* FindControl(HWND window) const;
    bool IsWindow(HWND window) const { return Target(window) != nullptr; }

    // ---- Messages ----
    LRESULT SendMessage(HWND window, uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Any thread. Messages for a window that is gone by delivery are dropped.
    void PostMessage(HWND window, uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
    void PostQuitMessage(int exitCode);
    // Handles an event as if the desktop had reported it: input a program
    // makes itself, such as a drag posed for a screenshot.
    void InjectInput(const TInputEvent& event) { OnInput(event); }
    // Takes the next posted message (timers due are queued first); false
    // when none is waiting.
    bool PeekMessage(TQueuedMessage& out);
    void DispatchMessage(TQueuedMessage& queued);
    // Waits for input, a posted message, a timer or a wake-up. False when
    // nothing can ever arrive.
    bool WaitMessage();
    void Wake() { backend_.Wake(); }

    // ---- Timers (delivered as WM_TIMER, at most one pending per timer) ----
    void SetTimer(HWND window, uintptr_t id, uint32_t intervalMs);
    void KillTimer(HWND window, uintptr_t id);
    // Milliseconds until the next timer is due; nothing when none runs.
    std::optional<int64_t> MillisecondsToNextTimer() const;

    // ---- Capture and focus ----
    HWND GetCapture() const { return capture_; }
    HWND SetCapture(HWND window);
    void ReleaseCapture();
    HWND GetFocus() const { return focus_; }
    HWND SetFocus(HWND window);
    HWND GetActiveWindow() const { return active_; }
    void SetActiveWindow(HWND topLevel);

    // ---- Keyboard and mouse state ----
    bool IsKeyDown(uint16_t virtualKey) const { return keyDown_[virtualKey & 0xFF]; }
    void SetKeyDown(uint16_t virtualKey, bool down) { keyDown_[virtualKey & 0xFF] = down; }
    TPoint CursorPos() const { return cursorPos_; }
    void SetCursorPos(TPoint screenPos) { cursorPos_ = screenPos; }
    // False after the cursor left every window of the process.
    bool CursorOverWindows() const { return cursorOverWindows_; }
    uint32_t DoubleClickTimeMs() const { return 500; }

    // ---- Top-level windows, bottom first; stay-on-top windows above the rest ----
    void AddTopLevel(HWND window);
    void RemoveTopLevel(HWND window);
    void BringToFront(HWND topLevel);
    // Directly below `sibling` (both top-level windows).
    void PlaceBelow(HWND topLevel, HWND sibling);
    void SendToBottom(HWND topLevel);
    const std::vector<HWND>& TopLevelOrder() const { return topLevels_; }

    // ---- The caret ----
    TCaretService& Caret() { return caret_; }

    // Paints every window with a pending update and shows the result.
    void UpdateAllWindows();

    // Current time of the window system's clock, in milliseconds.
    static int64_t TickCount();

private:
    struct TTimerEntry {
        uint32_t IntervalMs = 0;
        int64_t DueMs = 0;
        bool Pending = false;
    };
    struct TClickRecord {
        HWND Window = 0;
        int32_t Button = -1;
        int64_t TimeMs = 0;
        TPoint Position;
    };

    void QueueDueTimers();
    void NotifyParentsOfPress(const TQueuedMessage& queued);
    void OnInput(const TInputEvent& event);
    void RouteMouse(const TInputEvent& event);
    void RouteKey(const TInputEvent& event);
    void RouteText(const TInputEvent& event);
    void RouteWindowEvent(const TInputEvent& event);
    TWinControl* TopLevelOf(INativeWindow* native) const;
    uint32_t MouseMessageFor(const TInputEvent& event, HWND target, TPoint screenPos);
    WPARAM MouseKeyFlags() const;
    bool IsTopMostWindow(HWND window) const;

    IWindowBackend& backend_;
    std::map<HWND, TWndTarget*> targets_;

    std::mutex queueLock_;
    std::deque<TQueuedMessage> queue_;

    std::map<std::pair<HWND, uintptr_t>, TTimerEntry> timers_;

    HWND capture_ = 0;
    HWND focus_ = 0;
    HWND active_ = 0;
    std::array<bool, 256> keyDown_{};
    TPoint cursorPos_;
    bool cursorOverWindows_ = false;
    TClickRecord lastClick_;
    std::vector<HWND> topLevels_;
    TCaretService caret_;
};

// The process's window system; raises EInvalidOperation when none is installed.
TWindowSystem& WindowSystem();
bool WindowSystemInstalled();
// Installs a window system over the backend (replacing any earlier one);
// the backend must outlive it. UninstallWindowSystem frees it.
void InstallWindowSystem(IWindowBackend& backend);
void UninstallWindowSystem();
// Runs before a window system goes away, so that objects holding windows of
// it (the application's hint window) can let them go first.
void AddWindowSystemShutdownHook(std::function<void()> hook);

// Free-function forms used by controls.
LRESULT SendMessage(HWND window, uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
void PostMessage(HWND window, uint32_t msg, WPARAM wParam = 0, LPARAM lParam = 0);
HWND SetCapture(HWND window);
void ReleaseCapture();
HWND GetCapture();
HWND GetFocus();
bool GetKeyStateDown(uint16_t virtualKey);
TPoint GetCursorPos();
void SetTimer(HWND window, uintptr_t id, uint32_t intervalMs);
void KillTimer(HWND window, uintptr_t id);
void MessageBeep(TBeepKind kind = TBeepKind::Default);
