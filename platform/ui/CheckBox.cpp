#include "platform/ui/CheckBox.h"

#include "platform/gfx/DrawText.h"
#include "platform/gfx/Frames.h"

namespace {

constexpr int32_t CaptionGap = 4;

} // namespace

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner)
{
    SetBounds(0, 0, 97, 17);
    SetTabStop(true);
    // The box toggles on a release over it, never on the generic click.
    controlStyle_ = (controlStyle_ | csOpaque | csSetCaption) & ~(csClickEvents | csDoubleClicks);
}

void TCheckBox::SetState(TCheckBoxState value)
{
    if (state_ == value)
        return;
    state_ = value;
    Invalidate();
    // A form being read sets its boxes before its other components exist.
    if (!IsLoading())
        Click();
}

void TCheckBox::SetAlignment(TAlignment value)
{
    if (alignment_ == value)
        return;
    alignment_ = value;
    Invalidate();
}

void TCheckBox::Toggle()
{
    switch (state_) {
    case cbUnchecked: SetState(cbChecked); break;
    case cbChecked: SetState(allowGrayed_ ? cbGrayed : cbUnchecked); break;
    case cbGrayed: SetState(cbUnchecked); break;
    }
}

TRect TCheckBox::BoxRect() const
{
    const int32_t top = (ClientHeight() - BoxSize) / 2;
    const int32_t left = alignment_ == taLeftJustify ? ClientWidth() - BoxSize : 0;
    return Bounds(left, top, BoxSize, BoxSize);
}

TRect TCheckBox::CaptionRect() const
{
    if (alignment_ == taLeftJustify)
        return Rect(0, 0, ClientWidth() - BoxSize - CaptionGap, ClientHeight());
    return Rect(BoxSize + CaptionGap, 0, ClientWidth(), ClientHeight());
}

void TCheckBox::Paint()
{
    TCanvas& canvas = *Canvas();
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(ClientRect());
    uint32_t frame = state_ == cbGrayed ? DFCS_BUTTON3STATE | DFCS_CHECKED
        : state_ == cbChecked           ? DFCS_BUTTONCHECK | DFCS_CHECKED
                                        : DFCS_BUTTONCHECK;
    if (Pressed())
        frame |= DFCS_PUSHED;
    if (!IsEnabledInTree())
        frame |= DFCS_INACTIVE;
    DrawFrameControl(canvas, BoxRect(), DFC_BUTTON, frame);

    canvas.Font()->Assign(Font());
    canvas.Brush()->SetStyle(bsClear);
    TRect text = CaptionRect();
    if (!IsEnabledInTree())
        canvas.Font()->SetColor(clGrayText);
    DrawText(canvas, Caption(), text, DT_VCENTER | DT_SINGLELINE);
    if (Focused() && !Caption().empty()) {
        TRect extent = text;
        DrawText(canvas, Caption(), extent, DT_CALCRECT | DT_SINGLELINE);
        const int32_t top = (ClientHeight() - extent.Height()) / 2;
        canvas.Brush()->SetStyle(bsSolid);
        canvas.DrawFocusRect(Rect(extent.Left - 1, top, extent.Right + 1, top + extent.Height()));
    }
}

void TCheckBox::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char32_t>(message.WParam), Caption()) && CanFocus()) {
            SetFocus();
            Toggle();
            message.Result = 1;
            return;
        }
        break;
    case CM_ENTER:
    case CM_EXIT:
    case CM_ENABLEDCHANGED:
    case CM_TEXTCHANGED: Invalidate(); break;
    default: break;
    }
    TButtonControl::Dispatch(message);
}
