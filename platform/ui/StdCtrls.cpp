#include "platform/ui/StdCtrls.h"

#include "platform/gfx/DrawText.h"
#include "platform/gfx/Frames.h"

TButton::TButton(TComponent* owner) : TButtonControl(owner)
{
    SetBounds(0, 0, 75, 25);
    SetTabStop(true);
    color_ = clBtnFace;
    parentColor_ = false;
    controlStyle_ = (controlStyle_ | csOpaque | csSetCaption) & ~csDoubleClicks;
}

void TButton::SetDefault(bool value)
{
    if (default_ == value)
        return;
    default_ = value;
    TControl* focused = nullptr;
    if (TCustomForm* form = ParentForm())
        focused = form->FocusedControl();
    active_ = dynamic_cast<TButton*>(focused) ? focused == this : value;
    Invalidate();
}

void TButton::Click()
{
    if (modalResult_ != mrNone)
        if (TCustomForm* form = ParentForm())
            form->SetModalResult(modalResult_);
    TButtonControl::Click();
}

void TButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGKEY: {
        bool enter = message.WParam == VK_RETURN && active_;
        bool escape = message.WParam == VK_ESCAPE && cancel_;
        if ((enter || escape) && KeyDataToShiftState(message.LParam) == 0 && CanFocus()) {
            Click();
            message.Result = 1;
            return;
        }
        break;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && CanFocus()) {
            Click();
            message.Result = 1;
            return;
        }
        break;
    case CM_FOCUSCHANGED: {
        auto* focused = reinterpret_cast<TControl*>(message.LParam);
        bool active = dynamic_cast<TButton*>(focused) ? focused == this : default_;
        if (active != active_) {
            active_ = active;
            Invalidate();
        }
        break;
    }
    case CM_ENTER:
    case CM_EXIT:
    case CM_TEXTCHANGED: Invalidate(); break;
    default: break;
    }
    TButtonControl::Dispatch(message);
}

void TButton::Paint()
{
    TCanvas& canvas = *Canvas();
    TRect face = DrawButtonFace(canvas, ClientRect(), 1, bsNew, false, Pressed(), active_ || Focused());
    TRect text = face;
    if (Pressed())
        text = OffsetRect(text, 1, 1);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->Assign(Font());
    if (!Enabled()) {
        canvas.Font()->SetColor(clBtnHighlight);
        TRect shadow = OffsetRect(text, 1, 1);
        DrawText(canvas, Caption(), shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        canvas.Font()->SetColor(clBtnShadow);
    }
    DrawText(canvas, Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (Focused()) {
        canvas.Brush()->SetStyle(bsSolid);
        canvas.DrawFocusRect(InflateRect(face, -2, -2));
    }
}

// A mouse release clicks through csClickEvents.
void TButton::Released(bool byKey)
{
    if (byKey)
        Click();
}

// ---- TButtonControl ------------------------------------------------------------------

void TButtonControl::SetPressed(bool value)
{
    if (pressed_ == value)
        return;
    pressed_ = value;
    Invalidate();
}

void TButtonControl::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == mbLeft && IsEnabledInTree()) {
        if (CanFocus())
            SetFocus();
        tracking_ = true;
        SetPressed(true);
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TButtonControl::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    if (tracking_)
        SetPressed(PtInRect(ClientRect(), {x, y}));
    TCustomControl::MouseMove(shift, x, y);
}

void TButtonControl::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (button == mbLeft) {
        const bool over = tracking_ && pressed_;
        tracking_ = false;
        SetPressed(false);
        if (over)
            Released(false);
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TButtonControl::KeyDown(uint16_t& key, TShiftState shift)
{
    if (key == VK_SPACE)
        SetPressed(true);
    TCustomControl::KeyDown(key, shift);
}

void TButtonControl::KeyUp(uint16_t& key, TShiftState shift)
{
    if (key == VK_SPACE && pressed_) {
        SetPressed(false);
        Released(true);
    }
    TCustomControl::KeyUp(key, shift);
}
