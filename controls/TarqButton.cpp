// TTarqCustomButton: press tracking, hot tracking, the transparent
// background and the 3-D caption painter of the text buttons.

#include "controls/TarqButton.h"

#include "controls/TarqGrafx.h"
#include "platform/gfx/DrawText.h"
#include "platform/ui/Form.h"
#include "platform/ui/Themes.h"

TTarqCustomButton::TTarqCustomButton(TComponent* owner) : TCustomControl(owner)
{
    // No automatic click: the button raises Click itself through AdvanceState.
    SetControlStyle(csCaptureMouse | csSetCaption | csDoubleClicks | csReplicatable | csReflector);
    SetBounds(Left(), Top(), 115, 17);
    SetTabStop(true);
}

TTarqCustomButton::~TTarqCustomButton() = default;

// ---- Caption ----------------------------------------------------------------------

namespace {

constexpr uint32_t MeasureFlags = DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | DT_CENTER;

TRect PlaceVertically(const TRect& rect, int32_t textHeight, TAlignmentVertical alignment)
{
    TRect r = rect;
    switch (alignment) {
    case avTop: r.Bottom = r.Top + textHeight; break;
    case avCenter:
        r.Top = (r.Top + r.Bottom - textHeight) / 2;
        r.Bottom = r.Top + textHeight;
        break;
    case avBottom: r.Top = r.Bottom - textHeight - 1; break;
    }
    return r;
}

void DrawPass(TCanvas& canvas, const std::string& text, TRect rect, uint32_t flags, TColor color)
{
    canvas.Font()->SetColor(color);
    DrawText(canvas, text, rect, flags);
}

} // namespace

void TTarqCustomButton::DrawStyledText(TCanvas& canvas, const TRect& rect, uint32_t flags)
{
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->Assign(Font());
    const std::string& text = Caption();
    TRect measured = rect;
    const int32_t textHeight = DrawText(canvas, text, measured, MeasureFlags);
    TRect r = PlaceVertically(rect, textHeight, alignmentVertical_);
    if (UseRightToLeftAlignment())
        flags |= DT_RTLREADING;

    if (!Enabled()) {
        DrawPass(canvas, text, OffsetRect(r, 1, 1), flags, clBtnHighlight);
        DrawPass(canvas, text, r, flags, clBtnShadow);
        canvas.Brush()->SetStyle(bsSolid);
        return;
    }
    const bool rightAligned = (flags & DT_RIGHT) != 0;
    if (textStyle_ == tsRaised || textStyle_ == tsRecessed) {
        const TColor light = textHighlightColor_, dark = textShadowColor_;
        const bool raised = textStyle_ == tsRaised;
        if (!raised || !lightTextStyle_)
            DrawPass(canvas, text, OffsetRect(r, 1, 1), flags, raised ? dark : light);
        if (raised || !lightTextStyle_)
            DrawPass(canvas, text, OffsetRect(r, -1, -1), flags, raised ? light : dark);
    } else if (textStyle_ == tsShadow) {
        const int32_t depth = textShadowDepth_;
        DrawPass(canvas, text, OffsetRect(r, rightAligned ? 0 : depth, depth), flags, textShadowColor_);
    }
    // A right-aligned caption leaves room for a shadow inside the rectangle.
    if (rightAligned)
        r = OffsetRect(r, -textShadowDepth_, 0);
    DrawPass(canvas, text, r, flags, Font()->Color());
    canvas.Brush()->SetStyle(bsSolid);
}

// ---- Press tracking ----------------------------------------------------------------

void TTarqCustomButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft || !Enabled())
        return;
    SetFocus();
    if (!Focused())
        return;
    showDownVersion_ = true;
    UpdateButtonState();
    dragging_ = true;
}

void TTarqCustomButton::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!dragging_)
        return;
    // The row just below the control still counts as inside.
    const bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight();
    if (inside != showDownVersion_) {
        showDownVersion_ = inside;
        UpdateButtonState();
    }
}

void TTarqCustomButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseUp(button, shift, x, y);
    if (!dragging_)
        return;
    dragging_ = false;
    showDownVersion_ = false;
    if (PtInRect(ClientRect(), TPoint{x, y}))
        AdvanceState();
    UpdateButtonState();
}

// ---- Messages ----------------------------------------------------------------------

void TTarqCustomButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(message);
        RepaintButton();
        break;
    case WM_ERASEBKGND: WMEraseBkgnd(message); break;
    case CM_MOUSEENTER: CMMouseEnter(message); break;
    case CM_MOUSELEAVE: CMMouseLeave(message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); break;
    case CM_TEXTCHANGED:
        TCustomControl::Dispatch(message);
        Repaint();
        break;
    default: TCustomControl::Dispatch(message); break;
    }
}

void TTarqCustomButton::WMEraseBkgnd(TMessage& message)
{
    if (!transparent_) {
        TCustomControl::Dispatch(message);
        return;
    }
    PaintParentBackgroundDC(*this, reinterpret_cast<HDC>(message.WParam), true);
    message.Result = 1;
}

void TTarqCustomButton::InvalidateHotRect()
{
    if (hotTrack_ || (themeAware_ && ThemeServices()->ThemesEnabled()))
        InvalidateClientRect(GetHotRect(), false);
}

void TTarqCustomButton::CMMouseEnter(TMessage& message)
{
    mouseOverButton_ = true;
    TCustomControl::Dispatch(message);
    if (OnMouseEnter)
        OnMouseEnter(this);
    InvalidateHotRect();
}

void TTarqCustomButton::CMMouseLeave(TMessage& message)
{
    mouseOverButton_ = false;
    TCustomControl::Dispatch(message);
    if (OnMouseLeave)
        OnMouseLeave(this);
    InvalidateHotRect();
}

void TTarqCustomButton::CMEnabledChanged(TMessage&)
{
    if (!Enabled() && Parent())
        if (TCustomForm* form = ParentForm())
            form->DefocusControl(this, false);
    Invalidate();
}
