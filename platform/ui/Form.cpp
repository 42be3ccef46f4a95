#include "platform/ui/Form.h"

#include <algorithm>

#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"

TCustomForm* GetParentForm(const TControl* control) { return control ? control->ParentForm() : nullptr; }

TCustomForm::TCustomForm(TComponent* owner) : TCustomControl(owner)
{
    visible_ = false;
    color_ = clBtnFace;
    parentFont_ = false;
    parentColor_ = false;
    width_ = 320;
    height_ = 240;
    controlStyle_ = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    Screen()->AddForm(this);
}

TCustomForm::~TCustomForm()
{
    if (OnDestroy)
        OnDestroy(this);
    // The controls go while the form is still whole.
    DestroyComponents();
    if (dragMoving_ && WindowSystemInstalled())
        ReleaseCapture();
    Screen()->RemoveForm(this);
    Application()->FormDestroyed(this);
}

void TCustomForm::AfterConstruction()
{
    if (const char* resource = FindFormResource(UpperCase(ClassName())))
        ReadComponentText(this, resource, &handlers_);
    DoCreate();
}

void TCustomForm::Loaded()
{
    TCustomControl::Loaded();
    if (visible_) {
        visible_ = false;
        Show();
    }
}

void TCustomForm::DoCreate()
{
    if (OnCreate)
        OnCreate(this);
}

// ---- Window ---------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.Style &= ~(WS_CHILD | WS_CLIPSIBLINGS);
    params.Style |= WS_CLIPCHILDREN;
    params.WndParent = 0;
    switch (borderStyle_) {
    case bsNone: params.Style |= WS_POPUP; break;
    case bsSizeable:
    case bsSizeToolWin:
        params.Style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        break;
    default: params.Style |= WS_CAPTION | WS_SYSMENU; break;
    }
    if (borderStyle_ == bsToolWindow || borderStyle_ == bsSizeToolWin)
        params.ExStyle |= WS_EX_TOOLWINDOW;
    if (formStyle_ == fsStayOnTop)
        params.ExStyle |= WS_EX_TOPMOST;
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value)
{
    if (borderStyle_ == value)
        return;
    borderStyle_ = value;
    RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle value)
{
    if (formStyle_ == value)
        return;
    formStyle_ = value;
    if (!HandleAllocated())
        return;
    TWindowPos pos{handle_,
                   value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST,
                   0,
                   0,
                   0,
                   0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE};
    SetWindowPos(pos);
}

void TCustomForm::SetAlphaBlend(bool value)
{
    if (alphaBlend_ == value)
        return;
    alphaBlend_ = value;
    AddPresentRect(Rect(0, 0, width_, height_));
}

void TCustomForm::SetAlphaBlendValue(uint8_t value)
{
    if (alphaBlendValue_ == value)
        return;
    alphaBlendValue_ = value;
    AddPresentRect(Rect(0, 0, width_, height_));
}

void TCustomForm::SetTransparentColor(bool value)
{
    if (transparentColor_ == value)
        return;
    transparentColor_ = value;
    AddPresentRect(Rect(0, 0, width_, height_));
}

void TCustomForm::SetTransparentColorValue(TColor value)
{
    if (transparentColorValue_ == value)
        return;
    transparentColorValue_ = value;
    AddPresentRect(Rect(0, 0, width_, height_));
}

void TCustomForm::SetWindowRgn(std::optional<TRegion> region)
{
    windowRegion_ = std::move(region);
    AddPresentRect(Rect(0, 0, width_, height_));
    if (Showing())
        PresentChanges();
}

bool TCustomForm::ContainsScreenPoint(TPoint screenPos) const
{
    TPoint local{screenPos.X - left_, screenPos.Y - top_};
    if (windowRegion_ && !windowRegion_->Contains(local.X, local.Y))
        return false;
    if (transparentColor_ && backingStore_ &&
        PtInRect(Rect(0, 0, backingStore_->Width(), backingStore_->Height()), local)) {
        const uint8_t* p = backingStore_->ScanLine(local.Y) + 4 * local.X;
        if (RGB(p[2], p[1], p[0]) == ColorToPixelRGB(transparentColorValue_))
            return false;
    }
    return true;
}

void TCustomForm::ComposeForDesktop(TBitmap& image) const
{
    TWinControl::ComposeForDesktop(image);
    uint8_t opacity = alphaBlend_ ? alphaBlendValue_ : 255;
    TColor key = ColorToPixelRGB(transparentColorValue_);
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* row = image.ScanLine(y);
        for (int32_t x = 0; x < image.Width(); ++x) {
            uint8_t* p = row + 4 * x;
            bool hidden = (windowRegion_ && !windowRegion_->Contains(x, y)) ||
                (transparentColor_ && RGB(p[2], p[1], p[0]) == key);
            p[3] = hidden ? 0 : opacity;
        }
    }
}

// ---- Messages ------------------------------------------------------------------------

void TCustomForm::WndProc(TMessage& message)
{
    if (dragMoving_ && DragMoveMessage(message))
        return;
    TCustomControl::WndProc(message);
}

void TCustomForm::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ACTIVATE: WMActivate(message); break;
    case WM_CLOSE: WMClose(message); break;
    case WM_SYSCOMMAND: WMSysCommand(message); break;
    case CM_DIALOGKEY: CMDialogKey(message); break;
    case CM_RELEASE: CMRelease(message); break;
    case CM_VISIBLECHANGED:
        if (!IsLoading())
            TCustomControl::Dispatch(message);
        break;
    case WM_NCCALCSIZE: break; // the desktop draws a form's frame outside its window
    default: TCustomControl::Dispatch(message); break;
    }
}

void TCustomForm::Paint()
{
    if (OnPaint)
        OnPaint(this);
}

void TCustomForm::WMActivate(TMessage& message)
{
    bool active = message.WParam != WA_INACTIVE;
    if (active == active_)
        return;
    active_ = active;
    if (active) {
        Screen()->SetActiveForm(this);
        SetWindowFocus();
        Activate();
    } else {
        Deactivate();
    }
}

void TCustomForm::Activate()
{
    if (OnActivate)
        OnActivate(this);
}

void TCustomForm::Deactivate()
{
    if (OnDeactivate)
        OnDeactivate(this);
}

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMSysCommand(TMessage& message)
{
    switch (message.WParam & 0xFFF0) {
    case SC_CLOSE: Perform(WM_CLOSE); break;
    case SC_MINIMIZE:
        if (Application()->MainForm() == this)
            Application()->Minimize();
        else
            SetWindowState(wsMinimized);
        break;
    case SC_MAXIMIZE: SetWindowState(wsMaximized); break;
    case SC_RESTORE: SetWindowState(wsNormal); break;
    case SC_MOVE: BeginDragMove(GetCursorPos()); break;
    default: break;
    }
}

// Tab and the arrows move the focus; everything else goes to the controls.
void TCustomForm::CMDialogKey(TMessage& message)
{
    if (!GetKeyStateDown(VK_MENU)) {
        auto key = static_cast<uint16_t>(message.WParam);
        if (key == VK_TAB && !GetKeyStateDown(VK_CONTROL)) {
            SelectNext(activeControl_, !GetKeyStateDown(VK_SHIFT), true);
            message.Result = 1;
            return;
        }
        if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
            if (activeControl_ && activeControl_->Parent()) {
                activeControl_->Parent()->SelectNext(activeControl_, key == VK_RIGHT || key == VK_DOWN, false);
                message.Result = 1;
            }
            return;
        }
    }
    Broadcast(message);
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

// ---- Drag to move -----------------------------------------------------------------------

void TCustomForm::BeginDragMove(TPoint screenPos)
{
    dragMoving_ = true;
    dragStartCursor_ = screenPos;
    dragStartPos_ = {left_, top_};
    SetCapture(Handle());
}

bool TCustomForm::DragMoveMessage(TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEMOVE: {
        TPoint cursor = GetCursorPos();
        SetBounds(dragStartPos_.X + cursor.X - dragStartCursor_.X, dragStartPos_.Y + cursor.Y - dragStartCursor_.Y,
                  width_, height_);
        return true;
    }
    case WM_LBUTTONUP:
        dragMoving_ = false;
        ReleaseCapture();
        return true;
    case WM_CAPTURECHANGED: dragMoving_ = false; return false;
    default: return false;
    }
}

// ---- Window state ---------------------------------------------------------------------------

void TCustomForm::SetWindowState(TWindowState value) { ApplyWindowState(value, false); }

void TCustomForm::DesktopStateChanged(TNativeWindowState state)
{
    ApplyWindowState(state == TNativeWindowState::Minimized       ? wsMinimized
                         : state == TNativeWindowState::Maximized ? wsMaximized
                                                                  : wsNormal,
                     true);
}

void TCustomForm::ApplyWindowState(TWindowState value, bool fromDesktop)
{
    if (windowState_ == value)
        return;
    windowState_ = value;
    if (native_ && !fromDesktop)
        native_->SetState(value == wsMinimized       ? TNativeWindowState::Minimized
                              : value == wsMaximized ? TNativeWindowState::Maximized
                                                     : TNativeWindowState::Normal);
    if (!HandleAllocated())
        return;
    // Window-position hooks (a drop shadow) learn of the new state.
    TWindowPos pos{handle_, 0, left_, top_, width_, height_, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE};
    SetWindowPos(pos);
    WPARAM kind = value == wsMinimized ? SIZE_MINIMIZED : value == wsMaximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    Perform(WM_SIZE, kind, PointToLParam({ClientWidth(), ClientHeight()}));
}

// ---- Showing --------------------------------------------------------------------------------

void TCustomForm::Show()
{
    SetVisible(true);
    if (HandleAllocated() && native_) {
        WindowSystem().BringToFront(handle_);
        native_->BringToFront(!(createdWith_.ExStyle & WS_EX_NOACTIVATE));
    }
}

void TCustomForm::VisibleChanging()
{
    // A form read as visible appears once the whole resource is read.
    if (IsLoading())
        return;
    if (!visible_) {
        HandleNeeded();
        ApplyPosition();
        DoShow();
    } else {
        DoHide();
    }
}

void TCustomForm::ShowingChanged()
{
    TCustomControl::ShowingChanged();
    if (Showing()) {
        if (!(createdWith_.ExStyle & WS_EX_NOACTIVATE))
            WindowSystem().SetActiveWindow(handle_);
    } else if (active_) {
        WindowSystem().SetActiveWindow(0);
        active_ = false;
        Deactivate();
    }
}

void TCustomForm::ApplyPosition()
{
    if (positioned_ || position_ == poDesigned || position_ == poDefault || position_ == poDefaultSizeOnly)
        return;
    positioned_ = true;
    TRect area = Screen()->WorkAreaRect();
    if (position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
        TCustomForm* anchor =
            position_ == poMainFormCenter ? Application()->MainForm() : dynamic_cast<TCustomForm*>(Owner());
        if (anchor && anchor != this && anchor->Visible())
            area = anchor->BoundsRect();
    }
    SetBounds(area.Left + (area.Width() - width_) / 2, area.Top + (area.Height() - height_) / 2, width_, height_);
}

void TCustomForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TCustomForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

// ---- Closing -----------------------------------------------------------------------------------

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(this, action);
}

void TCustomForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application()->MainForm() == this)
        Application()->Terminate();
    else if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else
        Release();
}

void TCustomForm::Release() { PostMessage(Handle(), CM_RELEASE); }

void TCustomForm::CloseModal()
{
    TCloseAction action = caNone;
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    if (action == caNone)
        modalResult_ = mrNone;
    else if (action == caFree)
        Release();
}

TModalResult TCustomForm::ShowModal()
{
    if (visible_ || !enabled_ || modal_)
        throw EInvalidOperation("Cannot make a visible window modal");
    ReleaseCapture();
    modal_ = true;
    HWND previousActive = WindowSystem().GetActiveWindow();
    std::vector<TCustomForm*> disabled = Screen()->DisableOtherForms(this);
    TModalResult result = mrNone;
    try {
        Show();
        modalResult_ = mrNone;
        do {
            if (!Application()->HandleMessage())
                throw EInvalidOperation("The modal loop has no input left to wait for");
            if (Application()->Terminated())
                modalResult_ = mrCancel;
            else if (modalResult_ != mrNone)
                CloseModal();
        } while (modalResult_ == mrNone);
        result = modalResult_;
    } catch (...) {
        Screen()->EnableForms(disabled);
        modal_ = false;
        Hide();
        throw;
    }
    Screen()->EnableForms(disabled);
    modal_ = false;
    Hide();
    if (previousActive && WindowSystem().IsWindow(previousActive))
        WindowSystem().SetActiveWindow(previousActive);
    return result;
}

// ---- Focus ---------------------------------------------------------------------------------------

bool TCustomForm::CanFocus() const { return visible_ && enabled_; }

void TCustomForm::SetActiveControl(TWinControl* control)
{
    if (activeControl_ == control)
        return;
    if (control && (control == this || GetParentForm(control) != this || (!IsLoading() && !control->CanFocus())))
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    activeControl_ = control;
    if (!IsLoading() && active_)
        SetWindowFocus();
}

void TCustomForm::SetWindowFocus()
{
    HWND target = activeControl_ ? activeControl_->Handle() : Handle();
    WindowSystem().SetFocus(target);
}

void TCustomForm::FocusControl(TWinControl* control)
{
    bool wasActive = active_;
    SetActiveControl(control);
    if (!wasActive)
        SetFocus();
}

void TCustomForm::SetFocus()
{
    if (active_)
        return;
    if (!visible_ || !enabled_)
        throw EInvalidOperation("Cannot focus a disabled or invisible window");
    SetWindowFocus();
}

void TCustomForm::SetFocusedControl(TWinControl* control)
{
    if (focusedControl_ == control)
        return;
    if (control != this)
        activeControl_ = control;
    TWinControl* current = focusedControl_ ? focusedControl_ : this;
    while (current && !current->ContainsControl(control)) {
        current->Perform(CM_EXIT);
        current = current->Parent();
    }
    if (!current)
        current = this;
    while (current != control) {
        TWinControl* next = control;
        while (next->Parent() != current)
            next = next->Parent();
        current = next;
        focusedControl_ = current;
        current->Perform(CM_ENTER);
    }
    focusedControl_ = control;
    Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing)
{
    if (removing && focusedControl_ && control->ContainsControl(focusedControl_))
        focusedControl_ = control->Parent();
    if (activeControl_ && control->ContainsControl(activeControl_))
        SetActiveControl(nullptr);
}

void TCustomForm::ControlRemoving(TControl* control)
{
    auto* win = dynamic_cast<TWinControl*>(control);
    if (!win || win == this)
        return;
    bool hadFocus = focusedControl_ && win->ContainsControl(focusedControl_);
    if (hadFocus)
        focusedControl_ = win->Parent();
    if (activeControl_ && win->ContainsControl(activeControl_))
        activeControl_ = nullptr;
    if (hadFocus && active_ && HandleAllocated())
        WindowSystem().SetFocus(handle_);
}

// ---- Key preview ------------------------------------------------------------------------------------

bool TCustomForm::DoKeyDown(TMessage& message)
{
    auto key = static_cast<uint16_t>(message.WParam);
    KeyDown(key, KeyDataToShiftState(message.LParam));
    message.WParam = key;
    return key == 0;
}

bool TCustomForm::DoKeyUp(TMessage& message)
{
    auto key = static_cast<uint16_t>(message.WParam);
    KeyUp(key, KeyDataToShiftState(message.LParam));
    message.WParam = key;
    return key == 0;
}

bool TCustomForm::DoKeyPress(TMessage& message)
{
    auto ch = static_cast<char32_t>(message.WParam);
    KeyPress(ch);
    message.WParam = ch;
    return ch == 0;
}
