#include "controls/TarqEdit.h"

#include "controls/TarqFrames.h"
#include "controls/TarqGrafx.h"
#include "controls/TarqRegistration.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WindowSystem.h"

TTarqCustomEdit::TTarqCustomEdit(TComponent* owner) : TCustomMaskEdit(owner)
{
    RegisterTarqEditClasses();
    // The component's name must not become the text.
    SetControlStyle(ControlStyle() & ~csSetCaption);
}

TTarqCustomEdit::~TTarqCustomEdit() { MarkDestroying(); }

// ---- Colours --------------------------------------------------------------------

void TTarqCustomEdit::UpdateColors()
{
    if (IsLoading())
        return;
    if (!Enabled())
        colors_.Show(*this, colors_.disabled);
    else if (hot_.focused)
        colors_.Show(*this, IsReadOnly() && readOnlyColorOnFocus_ ? readOnlyColor_ : colors_.focus);
    else if (IsReadOnly())
        colors_.Show(*this, readOnlyColor_);
    else
        colors_.Show(*this, colors_.normal);
}

void TTarqCustomEdit::ColorChanged()
{
    colors_.Adopt(Color());
    if (frame_.visible && !UsesThemes())
        InvalidateFrame();
}

void TTarqCustomEdit::SetDisabledColor(TColor value)
{
    colors_.disabled = value;
    if (!Enabled())
        UpdateColors();
}

void TTarqCustomEdit::SetFocusColor(TColor value)
{
    colors_.focus = value;
    if (Focused())
        UpdateColors();
}

void TTarqCustomEdit::SetReadOnlyColor(TColor value)
{
    readOnlyColor_ = value;
    if (IsReadOnly())
        UpdateColors();
}

void TTarqCustomEdit::SetReadOnlyColorOnFocus(bool value)
{
    if (readOnlyColorOnFocus_ == value)
        return;
    readOnlyColorOnFocus_ = value;
    if (hot_.focused && IsReadOnly())
        UpdateColors();
}

void TTarqCustomEdit::SetReadOnly(bool value)
{
    if (ReadOnly() == value)
        return;
    TCustomMaskEdit::SetReadOnly(value);
    ReadOnlyChanged();
}

void TTarqCustomEdit::ReadOnlyChanged()
{
    if (IsReadOnly())
        EnterReadOnly();
    else
        LeaveReadOnly();
    UpdateColors();
    RepaintNonClient();
}

// ---- Hot state ------------------------------------------------------------------

void TTarqCustomEdit::SetMouseState(TTarqMouseStateKind kind, bool value)
{
    hot_.Set(kind, value);
    if (frame_.hotTrack)
        InvalidateFrame();
    UpdateColors();
}

// ---- Frame ------------------------------------------------------------------------

void TTarqCustomEdit::InvalidateFrame()
{
    if (HandleAllocated())
        RedrawNonClientFrame(*this, Rect(0, 0, Width(), Height()));
}

void TTarqCustomEdit::RepaintNonClient()
{
    if (HandleAllocated())
        InvalidateNonClient();
}

void TTarqCustomEdit::PaintNonClient(TCanvas& windowCanvas)
{
    TCustomMaskEdit::PaintNonClient(windowCanvas);
    frame_.DrawNonClient(windowCanvas, Width(), Height(), Color(), IsHot());
}

void TTarqCustomEdit::SetFrameColor(TColor value) { ChangeFrame(frame_.color, value); }
void TTarqCustomEdit::SetFrameHotColor(TColor value) { ChangeFrame(frame_.hotColor, value); }
void TTarqCustomEdit::SetFrameHotStyle(TFrameStyle value) { ChangeFrame(frame_.hotStyle, value); }
void TTarqCustomEdit::SetFrameSides(TSides value) { ChangeFrame(frame_.sides, value); }
void TTarqCustomEdit::SetFrameStyle(TFrameStyle value) { ChangeFrame(frame_.style, value); }

void TTarqCustomEdit::SetFrameHotTrack(bool value)
{
    if (!frame_.TakeHotTrack(value, IsLoading()))
        return;
    if (value)
        SetFrameVisible(true);
    InvalidateFrame();
    Invalidate();
}

void TTarqCustomEdit::SetFrameVisible(bool value)
{
    if (frame_.visible == value)
        return;
    frame_.visible = value;
    // The frame is drawn into the 2-pixel client edge.
    if (value)
        SetCtl3D(true);
    if (HandleAllocated())
        RecreateWnd();
}

void TTarqCustomEdit::SetFramingPreference(TFramingPreference value)
{
    if (frame_.framingPreference == value)
        return;
    frame_.framingPreference = value;
    if (value == fpCustomFraming)
        InvalidateFrame();
}

void TTarqCustomEdit::SetFlatButtons(bool value)
{
    if (flatButtons_ == value)
        return;
    flatButtons_ = value;
    RepaintNonClient();
}

void TTarqCustomEdit::SetAlignment(TAlignment value)
{
    if (alignment_ == value)
        return;
    alignment_ = value;
    if (HandleAllocated())
        RecreateWnd();
}

// ---- Frame controller ---------------------------------------------------------------

void TTarqCustomEdit::Notification(TComponent* component, TOperation operation)
{
    TCustomMaskEdit::Notification(component, operation);
    frameLink_.Forget(component, operation);
}

// ---- Window and messages ---------------------------------------------------------

void TTarqCustomEdit::CreateParams(TCreateParams& params)
{
    TCustomMaskEdit::CreateParams(params);
    params.Style |= WS_CLIPCHILDREN;
    params.Style &= ~ES_MULTILINE;
    if (alignment_ == taRightJustify)
        params.Style |= ES_RIGHT;
}

void TTarqCustomEdit::Loaded()
{
    TCustomMaskEdit::Loaded();
    SetMouseState(msFocus, false);
}

void TTarqCustomEdit::Dispatch(TMessage& message)
{
    const auto inherited = [this](TMessage& routed) { TCustomMaskEdit::Dispatch(routed); };
    const auto setMouseState = [this](TTarqMouseStateKind kind, bool value) { SetMouseState(kind, value); };
    if (DispatchHotMessage(*this, message, inherited, setMouseState))
        return;
    switch (message.Msg) {
    case CM_ENABLEDCHANGED:
        TCustomMaskEdit::Dispatch(message);
        UpdateColors();
        RepaintNonClient();
        break;
    case CM_COLORCHANGED:
        TCustomMaskEdit::Dispatch(message);
        ColorChanged();
        break;
    case WM_SIZE:
        TCustomMaskEdit::Dispatch(message);
        if (frame_.visible && !UsesThemes())
            InvalidateFrame();
        break;
    default: TCustomMaskEdit::Dispatch(message); break;
    }
}

// Enter moves on like Tab: the key goes back through the message loop as a
// Tab press, so the form's dialog-key handling picks the next control.
void TTarqCustomEdit::KeyPress(char32_t& key)
{
    if (tabOnEnter_ && key == U'\r') {
        key = 0;
        PostMessage(Handle(), WM_KEYDOWN, VK_TAB, 0);
        return;
    }
    TCustomMaskEdit::KeyPress(key);
}

// A press first moves the focus to the edit the buttons serve (or to the
// buttons themselves); a press that cannot take the focus is dropped.
void SetButtonMargins(TCustomEdit& edit, int32_t buttonsWidth)
{
    edit.Perform(EM_SETMARGINS, EC_USEFONTINFO, 0);
    if (buttonsWidth <= 0)
        return;
    const auto room = static_cast<uint16_t>(buttonsWidth + 2);
    if (edit.UseRightToLeftAlignment())
        edit.Perform(EM_SETMARGINS, EC_LEFTMARGIN, static_cast<LPARAM>(MakeWParam(room, 0)));
    else
        edit.Perform(EM_SETMARGINS, EC_RIGHTMARGIN, static_cast<LPARAM>(MakeWParam(0, room)));
}

void FocusForButtonPress(TWinControl& buttons, TWinControl* focusControl)
{
    TWinControl* target = nullptr;
    if (focusControl && focusControl->TabStop() && focusControl->CanFocus() && !focusControl->Focused())
        target = focusControl;
    else if (buttons.TabStop() && !buttons.Focused() && buttons.CanFocus())
        target = &buttons;
    if (!target)
        return;
    target->SetFocus();
    if (!target->Focused())
        Abort();
}

TTarqEdit::TTarqEdit(TComponent* owner) : TTarqCustomEdit(owner) {}
