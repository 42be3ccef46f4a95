#include "controls/TarqTabButtons.h"

#include "controls/TarqGrafx.h"
#include "controls/TarqTabControl.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Themes.h"

namespace {

// Theme parts and states of the window and scroll-bar classes used here.
constexpr int32_t WP_SMALLCLOSEBUTTON = 19;
constexpr int32_t SmallCloseNormal = 1, SmallClosePushed = 3, SmallCloseDisabled = 4;
constexpr int32_t ABS_UPNORMAL = 1, ABS_UPPRESSED = 3, ABS_DOWNNORMAL = 5, ABS_DOWNPRESSED = 7, ABS_LEFTNORMAL = 9,
                  ABS_LEFTPRESSED = 11, ABS_RIGHTNORMAL = 13, ABS_RIGHTPRESSED = 15;

bool UpRightScrollsForward(const TTarqCustomTabControl& control)
{
    return (control.TabOrientation() == toRight) == (control.TabSequence() == tsReverse);
}

} // namespace

void DrawTabButtonFace(TCanvas& canvas, const TRect& rect, TTarqCustomTabControl& control, TColor frameColor,
                       bool pressed)
{
    const TColor face = control.TabColors()->Unselected(), shade = control.TabColors()->Shadow();
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetColor(frameColor);
    if (control.UseGradients()) {
        DrawGradientFill(canvas, InflateRect(rect, -1, -1), gdHorizontalEnd, pressed ? face : shade,
                         pressed ? shade : face, 1);
        canvas.Brush()->SetStyle(bsClear);
        canvas.Rectangle(rect);
        canvas.Brush()->SetStyle(bsSolid);
        return;
    }
    canvas.Brush()->SetColor(face);
    canvas.Rectangle(rect);
}

// ---- Scroller -----------------------------------------------------------------------------

TTarqTabScroller::TTarqTabScroller(TTarqCustomTabControl* control) : TCustomControl(control), control_(control) {}

void TTarqTabScroller::SetFrameColor(TColor value)
{
    if (frameColor_ == value)
        return;
    frameColor_ = value;
    Invalidate();
}

void TTarqTabScroller::SetOrientation(TOrientation value)
{
    if (orientation_ == value)
        return;
    orientation_ = value;
    Invalidate();
}

void TTarqTabScroller::Dispatch(TMessage& message)
{
    if (message.Msg == CM_DESIGNHITTEST) {
        message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(message);
}

bool TTarqTabScroller::InPressedHalf(int32_t x, int32_t y) const
{
    if (!PtInRect(ClientRect(), {x, y}))
        return false;
    if (orientation_ == orHorizontal)
        return half_ == 1 ? x >= Width() / 2 : x < Width() / 2;
    return half_ == 1 ? y <= Height() / 2 : y > Height() / 2;
}

void TTarqTabScroller::FireHalf()
{
    const TNotifyEvent& event = half_ == 0 ? OnDownLeftClick : OnUpRightClick;
    if (event)
        event(this);
}

void TTarqTabScroller::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    half_ = (orientation_ == orVertical ? y <= Height() / 2 : x >= Width() / 2) ? 1 : 0;
    tracking_ = inside_ = true;
    Invalidate();
    SetMouseCapture(true);
    if (!repeatTimer_) {
        repeatTimer_ = new TTimer(this);
        repeatTimer_->OnTimer = [this](TObject* sender) { RepeatTimerTick(sender); };
    }
    repeatTimer_->SetInterval(firstDelay_);
    repeatTimer_->SetEnabled(true);
}

void TTarqTabScroller::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!tracking_)
        return;
    const bool now = InPressedHalf(x, y);
    if (now != inside_) {
        inside_ = now;
        Invalidate();
    }
}

void TTarqTabScroller::RepeatTimerTick(TObject*)
{
    repeatTimer_->SetInterval(repeatDelay_);
    if (!inside_ || !MouseCapture())
        return;
    try {
        FireHalf();
    } catch (...) {
        repeatTimer_->SetEnabled(false);
        throw;
    }
}

void TTarqTabScroller::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    if (repeatTimer_)
        repeatTimer_->SetEnabled(false);
    SetMouseCapture(false);
    const bool wasTracking = tracking_;
    tracking_ = false;
    if (wasTracking && inside_) {
        inside_ = false;
        FireHalf();
        Invalidate();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

bool TTarqTabScroller::HalfEnabled(bool forward) const
{
    if (!forward)
        return control_->FirstDisplayedTab() != 0;
    const int32_t last = control_->LastVisibleTab();
    return last >= 0 && !control_->TabIsDisplayable(last);
}

void TTarqTabScroller::PaintHalf(const TRect& rect, bool forward, bool pressed, TArrowDirection arrow,
                                 int32_t themedPart)
{
    const bool enabled = HalfEnabled(forward);
    TCanvas& canvas = *Canvas();
    if (ThemeServices()->ThemesEnabled()) {
        const int32_t state = !enabled ? UPS_DISABLED : pressed ? UPS_PRESSED : UPS_NORMAL;
        ThemeServices()->DrawElement(canvas, ThemeServices()->GetElementDetails(TThemedClass::Spin, themedPart, state),
                                     rect);
        return;
    }
    DrawTabButtonFace(canvas, rect, *control_, frameColor_, pressed);
    DrawDirectionArrow(canvas, rect, false, enabled, pressed, arrow);
}

void TTarqTabScroller::Paint()
{
    const TRect r = ClientRect();
    const int32_t w = r.Width(), h = r.Height();
    const bool themed = ThemeServices()->ThemesEnabled();
    const int32_t more = themed ? 0 : 1;
    const bool upRightForward = UpRightScrollsForward(*control_);
    const bool firstPressed = tracking_ && inside_ && half_ == 0;
    const bool secondPressed = tracking_ && inside_ && half_ == 1;
    if (orientation_ == orHorizontal) {
        PaintHalf(Rect(r.Left, r.Top, r.Left + w / 2 + more, r.Bottom), !upRightForward, firstPressed, adLeft,
                  SPNP_DOWNHORZ);
        PaintHalf(Rect(r.Right - w / 2 - more, r.Top, r.Right, r.Bottom), upRightForward, secondPressed, adRight,
                  SPNP_UPHORZ);
    } else {
        PaintHalf(Rect(r.Left, r.Bottom - h / 2 - more, r.Right, r.Bottom), !upRightForward, firstPressed, adDown,
                  SPNP_DOWN);
        PaintHalf(Rect(r.Left, r.Top, r.Right, r.Top + h / 2 + more), upRightForward, secondPressed, adUp, SPNP_UP);
    }
}

// ---- Close and menu buttons ---------------------------------------------------------------

TTarqTabPressButton::TTarqTabPressButton(TTarqCustomTabControl* control) : TCustomControl(control), control_(control) {}

void TTarqTabPressButton::SetFrameColor(TColor value)
{
    if (frameColor_ == value)
        return;
    frameColor_ = value;
    Invalidate();
}

void TTarqTabPressButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseDown(button, shift, x, y);
    if (button != mbLeft)
        return;
    tracking_ = pressed_ = true;
    Invalidate();
    SetMouseCapture(true);
}

void TTarqTabPressButton::MouseMove(TShiftState shift, int32_t x, int32_t y)
{
    TCustomControl::MouseMove(shift, x, y);
    if (!tracking_)
        return;
    const bool now = PtInRect(ClientRect(), {x, y});
    if (now != pressed_) {
        pressed_ = now;
        Invalidate();
    }
}

void TTarqTabPressButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    SetMouseCapture(false);
    const bool act = tracking_ && pressed_;
    tracking_ = false;
    pressed_ = false;
    if (act) {
        Invalidate();
        Released();
    }
    TCustomControl::MouseUp(button, shift, x, y);
}

void TTarqTabCloseButton::Released()
{
    if (OnClose)
        OnClose(this);
}

void TTarqTabCloseButton::Paint()
{
    TCanvas& canvas = *Canvas();
    const TRect r = ClientRect();
    if (ThemeServices()->ThemesEnabled()) {
        const int32_t state = control_->TabIndex() == -1 ? SmallCloseDisabled
            : pressed_                                   ? SmallClosePushed
                                                         : SmallCloseNormal;
        ThemeServices()->DrawElement(
            canvas, ThemeServices()->GetElementDetails(TThemedClass::Window, WP_SMALLCLOSEBUTTON, state), r);
        return;
    }
    DrawTabButtonFace(canvas, r, *control_, frameColor_, pressed_);
    DrawCloseCross(canvas, r, false, true, pressed_);
}

TTarqTabMenuButton::TTarqTabMenuButton(TTarqCustomTabControl* control)
    : TTarqTabPressButton(control), menu_(new TPopupMenu(this))
{}

void TTarqTabMenuButton::FillMenu()
{
    TMenuItem* root = menu_->Items();
    while (root->Count() > 0)
        delete root->Items(root->Count() - 1);
    menu_->SetImages(control_->Images());
    TTarqTabDataList& tabs = *control_->Tabs();
    for (int32_t i = 0; i < tabs.Count(); ++i) {
        const TTarqTabData& tab = *tabs.Item(i);
        if (!tab.Visible)
            continue;
        auto* item = new TMenuItem(menu_);
        item->SetCaption(tab.Caption);
        item->SetEnabled(tab.Enabled);
        item->SetChecked(i == control_->TabIndex());
        item->SetImageIndex(!tab.Enabled && tab.DisabledIndex != -1 ? tab.DisabledIndex : tab.ImageIndex);
        item->SetTag(i);
        item->OnClick = [this](TObject* sender) { MenuItemClick(sender); };
        root->Add(item);
    }
}

void TTarqTabMenuButton::DisplayMenu()
{
    FillMenu();
    const bool reverse = control_->TabSequence() == tsReverse;
    TPoint at;
    TPopupAlignment alignment = paRight;
    switch (control_->TabOrientation()) {
    case toTop:
        at = reverse ? TPoint{0, Height()} : TPoint{Width(), Height()};
        alignment = reverse ? paLeft : paRight;
        break;
    case toLeft:
        at = {Width(), 0};
        alignment = paLeft;
        break;
    case toBottom:
        at = reverse ? TPoint{0, 0} : TPoint{Width(), 0};
        alignment = reverse ? paLeft : paRight;
        break;
    case toRight:
        at = {0, 0};
        alignment = paRight;
        break;
    }
    const TPoint screen = ClientToScreen(at);
    menu_->SetAlignment(alignment);
    menu_->Popup(screen.X, screen.Y);
}

void TTarqTabMenuButton::MenuItemClick(TObject* sender)
{
    if (auto* item = dynamic_cast<TMenuItem*>(sender))
        control_->SetTabIndex(item->Tag());
}

void TTarqTabMenuButton::Paint()
{
    TCanvas& canvas = *Canvas();
    const TRect r = ClientRect();
    const TTarqTabOrientation orientation = control_->TabOrientation();
    if (!ThemeServices()->ThemesEnabled()) {
        static constexpr TArrowDirection towardsCard[] = {adDown, adRight, adUp, adLeft};
        DrawTabButtonFace(canvas, r, *control_, frameColor_, pressed_);
        DrawDirectionArrow(canvas, r, false, true, pressed_, towardsCard[orientation]);
        return;
    }
    static constexpr int32_t normal[] = {ABS_DOWNNORMAL, ABS_RIGHTNORMAL, ABS_UPNORMAL, ABS_LEFTNORMAL};
    static constexpr int32_t pushed[] = {ABS_DOWNPRESSED, ABS_RIGHTPRESSED, ABS_UPPRESSED, ABS_LEFTPRESSED};
    const bool across = orientation == toTop || orientation == toBottom;
    TBitmap element(Width() + (across ? 2 : 1), Height() + (across ? 1 : 2));
    ThemeServices()->DrawElement(
        *element.Canvas(),
        ThemeServices()->GetElementDetails(TThemedClass::ScrollBar, SBP_ARROWBTN,
                                           pressed_ ? pushed[orientation] : normal[orientation]),
        Rect(0, 0, element.Width(), element.Height()));
    canvas.CopyRect(r, element.Canvas(), Bounds(across ? 1 : 0, across ? 0 : 1, Width(), Height()));
    const TColor corner = canvas.Pixels(0, 0);
    canvas.SetPixel(0, Height() - 1, corner);
    canvas.SetPixel(Width() - 1, Height() - 1, corner);
}
