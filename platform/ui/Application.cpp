#include "platform/ui/Application.h"

#include "platform/core/Exceptions.h"
#include "platform/core/MainThread.h"
#include "platform/core/Timers.h"

#include <cstdio>
#include "platform/ui/Dialogs.h"
#include "platform/ui/Form.h"

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
}

TApplication::~TApplication()
{
    SetWakeMainThreadHook(nullptr);
    SetPendingMessageHandler(nullptr);
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
    while (ProcessMessage()) {
    }
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
