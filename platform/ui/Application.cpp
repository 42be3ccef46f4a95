#include "platform/ui/Application.h"

#include "platform/core/Exceptions.h"
#include "platform/core/MainThread.h"
#include "platform/core/Timers.h"

#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"
#include "platform/ui/HintWindow.h"
#include <cstdio>

TApplication* Application()
{
    static TApplication application(nullptr);
    return &application;
}

TApplication::TApplication(TComponent* owner) : TComponent(owner)
{
    // Calls sent from worker threads wake the loop; the engine's message
    // pump processes window messages through the loop.
    SetWakeMainThreadHook([] {
        if (WindowSystemInstalled())
            WindowSystem().Wake();
    });
    SetPendingMessageHandler([this] { return WindowSystemInstalled() && ProcessMessage(); });
    SetMouseControlHook([this](TControl* control) { MouseControlChanged(control); });
    AddWindowSystemShutdownHook([this] {
        CancelHint();
        hintWindow_.reset();
        hintTimerWindow_.reset();
    });
}

TApplication::~TApplication()
{
    SetWakeMainThreadHook(nullptr);
    SetPendingMessageHandler(nullptr);
    SetMouseControlHook(nullptr);
}

// ---- Loop ---------------------------------------------------------------------------

bool TApplication::IsKeyMessage(TQueuedMessage& queued)
{
    uint32_t msg = queued.Message.Msg;
    if (msg < WM_KEYDOWN || msg > WM_SYSCHAR)
        return false;
    HWND target = GetCapture() ? GetCapture() : queued.Window;
    return SendMessage(target, CN_BASE + msg, queued.Message.WParam, queued.Message.LParam) != 0;
}

bool TApplication::ProcessMessage()
{
    CheckSynchronize();
    Timers().ServiceDueTimers();
    TWindowSystem& ws = WindowSystem();
    TQueuedMessage queued;
    if (!ws.PeekMessage(queued))
        return false;
    if (queued.Message.Msg == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    uint32_t msg = queued.Message.Msg;
    if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_KEYDOWN ||
        msg == WM_SYSKEYDOWN)
        CancelHint();
    try {
        if (!IsKeyMessage(queued))
            ws.DispatchMessage(queued);
    } catch (...) {
        HandleException(this);
    }
    return true;
}

bool TApplication::Idle()
{
    bool done = true;
    if (OnIdle) {
        try {
            OnIdle(this, done);
        } catch (...) {
            HandleException(this);
        }
    }
    TWindowSystem& ws = WindowSystem();
    try {
        ws.UpdateAllWindows();
    } catch (...) {
        HandleException(this);
    }
    if (!done)
        return true;
    if (CheckSynchronize())
        return true;
    return ws.WaitMessage();
}

bool TApplication::HandleMessage()
{
    if (ProcessMessage())
        return true;
    return Idle();
}

void TApplication::ProcessMessages()
{
    while (ProcessMessage()) {}
    WindowSystem().UpdateAllWindows();
}

void TApplication::Run()
{
    if (mainForm_ && !mainForm_->Visible())
        mainForm_->Show();
    while (!terminated_) {
        if (!HandleMessage())
            break;
    }
}

void TApplication::Terminate()
{
    if (terminated_)
        return;
    terminated_ = true;
    if (WindowSystemInstalled())
        WindowSystem().PostQuitMessage(0);
}

void TApplication::FormDestroyed(TCustomForm* form)
{
    if (mainForm_ == form)
        mainForm_ = nullptr;
}

// ---- Errors ----------------------------------------------------------------------------

void TApplication::HandleException(TObject*)
{
    std::exception_ptr current = std::current_exception();
    if (!current)
        return;
    try {
        std::rethrow_exception(current);
    } catch (const EAbort&) {
    } catch (const std::exception& error) {
        if (OnException)
            OnException(this, error);
        else
            ShowException(error);
    } catch (...) {
        Exception unknown("Unknown exception");
        if (OnException)
            OnException(this, unknown);
        else
            ShowException(unknown);
    }
}

void TApplication::ShowException(const std::exception& error)
{
    try {
        MessageBox(error.what(), title_, MB_OK | MB_ICONERROR);
    } catch (const std::exception& failure) {
        // No way to show a window (nothing left to run a modal loop on):
        // the report still goes somewhere.
        std::fprintf(stderr, "%s: %s (%s)\n", title_.c_str(), error.what(), failure.what());
    }
}

int32_t TApplication::MessageBox(const std::string& text, const std::string& caption, uint32_t flags)
{
    return ShowMessageBox(text, caption.empty() ? title_ : caption, flags);
}

// ---- Hints -------------------------------------------------------------------------------

namespace {
constexpr uintptr_t ShowHintTimer = 1;
constexpr uintptr_t HideHintTimer = 2;

// The control whose hint applies: the first from `control` upwards that
// has a hint text.
TControl* HintSource(TControl* control)
{
    for (TControl* c = control; c; c = c->Parent())
        if (!c->Hint().empty())
            return c->ShowHint() ? c : nullptr;
    return nullptr;
}
} // namespace

TUtilityWindow& TApplication::HintTimerWindow()
{
    if (!hintTimerWindow_)
        hintTimerWindow_ = std::make_unique<TUtilityWindow>([this](TMessage& message) {
            if (message.Msg == WM_TIMER)
                HintTimer(message.WParam);
        });
    return *hintTimerWindow_;
}

void TApplication::SetShowHint(bool value)
{
    if (showHint_ == value)
        return;
    showHint_ = value;
    if (!value)
        CancelHint();
}

THintWindow* TApplication::HintWindow() const
{
    return hintWindow_ && hintWindow_->Visible() ? hintWindow_.get() : nullptr;
}

void TApplication::MouseControlChanged(TControl* control)
{
    TControl* source = showHint_ ? HintSource(control) : nullptr;
    if (source == hintControl_)
        return;
    CancelHint();
    hintControl_ = source;
    if (source)
        SetTimer(HintTimerWindow().Handle(), ShowHintTimer, hintPause_);
}

void TApplication::CancelHint()
{
    if (hintTimerWindow_) {
        KillTimer(hintTimerWindow_->Handle(), ShowHintTimer);
        KillTimer(hintTimerWindow_->Handle(), HideHintTimer);
    }
    if (hintWindow_ && hintWindow_->Visible())
        hintWindow_->ReleaseHint();
    hintControl_ = nullptr;
}

void TApplication::HintTimer(uintptr_t id)
{
    KillTimer(HintTimerWindow().Handle(), id);
    if (id == HideHintTimer) {
        if (hintWindow_)
            hintWindow_->ReleaseHint();
        return;
    }
    if (hintControl_ && hintControl_ == MouseControl())
        ShowHintFor(hintControl_);
}

void TApplication::ShowHintFor(TControl* control)
{
    TPoint cursor = GetCursorPos();
    THintInfo info;
    info.HintControl = control;
    info.HintStr = control->Hint();
    info.HintPos = {cursor.X, cursor.Y + 20};
    info.HintMaxWidth = 300;
    info.HintColor = hintColor_;
    info.CursorPos = control->ScreenToClient(cursor);
    info.HideTimeout = static_cast<int32_t>(hintHidePause_);
    if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || info.HintStr.empty())
        return;
    if (!hintWindow_)
        hintWindow_ = std::make_unique<THintWindow>(nullptr);
    hintWindow_->SetColor(info.HintColor);
    TRect size = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr);
    hintWindow_->ActivateHint(OffsetRect(size, info.HintPos.X, info.HintPos.Y), info.HintStr);
    if (info.HideTimeout > 0)
        SetTimer(HintTimerWindow().Handle(), HideHintTimer, static_cast<uint32_t>(info.HideTimeout));
}

// ---- Minimising --------------------------------------------------------------------------

void TApplication::Minimize()
{
    if (minimized_)
        return;
    minimized_ = true;
    if (mainForm_)
        mainForm_->SetWindowState(wsMinimized);
    if (OnMinimize)
        OnMinimize(this);
}

void TApplication::Restore()
{
    if (!minimized_)
        return;
    minimized_ = false;
    if (mainForm_)
        mainForm_->SetWindowState(wsNormal);
    if (OnRestore)
        OnRestore(this);
}
