#pragma once
// The application object: the message loop (which also runs the calls
// worker threads send to the main thread), the main form, exception
// reporting, hints, minimising and the title.

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/ui/Controls.h"

class TCustomForm;
class THintWindow;

using TExceptionEvent = std::function<void(TObject* sender, const std::exception& error)>;
using TIdleEvent = std::function<void(TObject* sender, bool& done)>;

// MessageBox flags and answers (the window system's values).
constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_OKCANCEL = 0x1;
constexpr uint32_t MB_ABORTRETRYIGNORE = 0x2;
constexpr uint32_t MB_YESNOCANCEL = 0x3;
constexpr uint32_t MB_YESNO = 0x4;
constexpr uint32_t MB_RETRYCANCEL = 0x5;
constexpr uint32_t MB_ICONHAND = 0x10;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONASTERISK = 0x40;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr uint32_t MB_DEFBUTTON2 = 0x100;
constexpr uint32_t MB_DEFBUTTON3 = 0x200;
constexpr int32_t IDOK = 1;
constexpr int32_t IDCANCEL = 2;
constexpr int32_t IDABORT = 3;
constexpr int32_t IDRETRY = 4;
constexpr int32_t IDIGNORE = 5;
constexpr int32_t IDYES = 6;
constexpr int32_t IDNO = 7;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // ---- Message loop ----
    // Runs until Terminate (or the main form closes).
    void Run();
    // Handles every message waiting now, then paints.
    void ProcessMessages();
    // Handles one message, or paints and waits for the next when none is
    // waiting. False when nothing can ever arrive any more.
    bool HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Clears a Terminate so the loop can run again (tests run several loops
    // in one process).
    void ResetTerminated() { terminated_ = false; }

    // ---- Forms ----
    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* form) { mainForm_ = form; }
    // Creates a form owned by the application; the first becomes MainForm.
    template <class T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        if (!mainForm_)
            mainForm_ = form;
        form->AfterConstruction();
    }
    void FormDestroyed(TCustomForm* form);

    // ---- Errors ----
    // Call inside a catch block: reports the exception being handled
    // through OnException, else in a message box; EAbort stays silent.
    void HandleException(TObject* sender);
    void ShowException(const std::exception& error);
    TExceptionEvent OnException;
    TIdleEvent OnIdle;

    // ---- Title, minimising, message boxes ----
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& value) { title_ = value; }
    void Minimize();
    void Restore();
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    // A modal message box of our own (MB_* flags, ID* answer); the caption
    // defaults to the title.
    int32_t MessageBox(const std::string& text, const std::string& caption = "", uint32_t flags = MB_OK);

    // ---- Hints ----
    // A hint appears HintPause ms after the mouse comes to rest on a control
    // with ShowHint and a Hint, and goes after HintHidePause ms, on a press
    // or a key.
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    uint32_t HintPause() const { return hintPause_; }
    void SetHintPause(uint32_t ms) { hintPause_ = ms; }
    uint32_t HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(uint32_t ms) { hintHidePause_ = ms; }
    TColor HintColor() const { return hintColor_; }
    void SetHintColor(TColor value) { hintColor_ = value; }
    // The hint window while a hint is shown, else nullptr.
    THintWindow* HintWindow() const;
    void CancelHint();

private:
    bool ProcessMessage();
    void MouseControlChanged(TControl* control);
    void HintTimer(uintptr_t id);
    void ShowHintFor(TControl* control);
    TUtilityWindow& HintTimerWindow();
    bool IsKeyMessage(TQueuedMessage& queued);
    bool Idle();

    bool terminated_ = false;
    TCustomForm* mainForm_ = nullptr;
    std::string title_;
    bool minimized_ = false;
    bool showHint_ = true;
    uint32_t hintPause_ = 500;
    uint32_t hintHidePause_ = 2500;
    TColor hintColor_ = clInfoBk;
    TControl* hintControl_ = nullptr;
    std::unique_ptr<THintWindow> hintWindow_;
    std::unique_ptr<TUtilityWindow> hintTimerWindow_;
};

// The process's application object, created on first use.
TApplication* Application();
