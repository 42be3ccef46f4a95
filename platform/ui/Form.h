#pragma once
// Forms: top-level windows with a border style, stay-on-top, position,
// alpha blending, a transparent colour and a window region; they keep the
// active control, run modally and close through OnCloseQuery and OnClose.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/ui/Controls.h"
#include "platform/ui/FormResources.h"

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int32_t;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TCustomForm : public TCustomControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Reads the form resource registered for the class (when there is one)
    // and raises OnCreate. CreateForm<T> calls it; so must code that
    // constructs a form directly.
    virtual void AfterConstruction();

    // The handlers the form's resource binds events to, by name.
    THandlerTable& Handlers() { return handlers_; }

    // ---- Look ----
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle value);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle value);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition value) { position_ = value; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState value);
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool value);
    uint8_t AlphaBlendValue() const { return alphaBlendValue_; }
    void SetAlphaBlendValue(uint8_t value);
    bool TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(bool value);
    TColor TransparentColorValue() const { return transparentColorValue_; }
    void SetTransparentColorValue(TColor value);
    // The window's shape in window coordinates; nothing for the whole
    // rectangle. Outside it the window shows nothing and takes no clicks.
    void SetWindowRgn(std::optional<TRegion> region);
    const std::optional<TRegion>& WindowRgn() const { return windowRegion_; }
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }
    bool Scaled() const { return scaled_; }
    void SetScaled(bool value) { scaled_ = value; }

    // ---- Focus ----
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);
    void FocusControl(TWinControl* control);
    void DefocusControl(TWinControl* control, bool removing);
    // Called when a control inside gets the keyboard focus.
    void SetFocusedControl(TWinControl* control);
    TWinControl* FocusedControl() const { return focusedControl_; }
    bool Active() const { return active_; }
    void SetFocus() override;
    bool CanFocus() const override;
    // A control is leaving the form's tree.
    void ControlRemoving(TControl* control);

    // ---- Showing and closing ----
    void Show();
    void Close();
    // Frees the form once the messages already queued for it are handled.
    void Release();
    virtual TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    bool Modal() const { return modal_; }
    virtual bool CloseQuery();

    // ---- Key preview (the form sees keys before its controls) ----
    bool DoKeyDown(TMessage& message) override;
    bool DoKeyUp(TMessage& message) override;
    bool DoKeyPress(TMessage& message) override;

    // ---- Events ----
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    bool ContainsScreenPoint(TPoint screenPos) const override;
    void ComposeForDesktop(TBitmap& image) const override;
    void DesktopStateChanged(TNativeWindowState state) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Dispatch(TMessage& message) override;
    void Loaded() override;
    void Paint() override;
    void ShowingChanged() override;
    void VisibleChanging() override;
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    virtual void Activate();
    virtual void Deactivate();

private:
    void WMActivate(TMessage& message);
    void WMClose(TMessage& message);
    void WMSysCommand(TMessage& message);
    void CMDialogKey(TMessage& message);
    void CMRelease(TMessage& message);
    void SetWindowFocus();
    void ApplyPosition();
    void CloseModal();
    void BeginDragMove(TPoint screenPos);
    bool DragMoveMessage(TMessage& message);
    void ApplyWindowState(TWindowState value, bool fromDesktop);
    void WndProc(TMessage& message) override;

    THandlerTable handlers_;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TFormStyle formStyle_ = fsNormal;
    TPosition position_ = poDesigned;
    bool positioned_ = false;
    TWindowState windowState_ = wsNormal;
    bool alphaBlend_ = false;
    uint8_t alphaBlendValue_ = 255;
    bool transparentColor_ = false;
    TColor transparentColorValue_ = clBlack;
    std::optional<TRegion> windowRegion_;
    bool keyPreview_ = false;
    bool scaled_ = true;
    TWinControl* activeControl_ = nullptr;
    TWinControl* focusedControl_ = nullptr;
    bool active_ = false;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool dragMoving_ = false;
    TPoint dragStartCursor_;
    TPoint dragStartPos_;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

// The form a control sits on (nullptr when none).
TCustomForm* GetParentForm(const TControl* control);

// Constructs a form, reads its resource and raises OnCreate.
template <class T>
T* CreateForm(TComponent* owner)
{
    T* form = new T(owner);
    form->AfterConstruction();
    return form;
}
