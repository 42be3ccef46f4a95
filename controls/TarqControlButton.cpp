// TTarqControlButton: the window-less face, arrow and drop-down button of
// compound controls, classic or themed, flat or raised, with a glyph strip
// and a click that repeats while the button is held down.

#include "controls/TarqButton.h"

#include "controls/TarqColors.h"
#include "controls/TarqFrames.h"
#include "controls/TarqGlyphs.h"
#include "controls/TarqGrafx.h"
#include "platform/ui/Themes.h"
#include "platform/ui/WindowSystem.h"

namespace {

bool ThemesOn() { return ThemeServices()->ThemesEnabled(); }

TArrowDirection ArrowDirectionOfStyle(TTarqControlButtonStyle style)
{
    switch (style) {
    case cbsUp: return adUp;
    case cbsLeft: return adLeft;
    case cbsRight: return adRight;
    default: return adDown;
    }
}

int32_t SpinPartOfStyle(TTarqControlButtonStyle style)
{
    switch (style) {
    case cbsUp: return SPNP_UP;
    case cbsLeft: return SPNP_DOWNHORZ;
    case cbsRight: return SPNP_UPHORZ;
    default: return SPNP_DOWN;
    }
}

void FillWith(TCanvas& canvas, const TRect& rect, TColor color)
{
    canvas.Brush()->SetColor(color);
    canvas.FillRect(rect);
}

} // namespace

TTarqControlButton::TTarqControlButton(TComponent* owner) : TGraphicControl(owner), glyph_(std::make_unique<TBitmap>())
{
    SetControlStyle(csCaptureMouse);
    SetBounds(Left(), Top(), 17, 21);
    SetColor(clBtnFace);
    glyph_->OnChange = [this](TObject* sender) { GlyphChanged(sender); };
    RegisterTarqButtonClasses();
}

TTarqControlButton::~TTarqControlButton() = default;

// ---- Properties ---------------------------------------------------------------------

void TTarqControlButton::SetFlat(bool value)
{
    if (value == flat_)
        return;
    flat_ = value;
    Repaint();
}

void TTarqControlButton::SetGlyph(const TBitmap* value) { glyph_->Assign(value); }

void TTarqControlButton::SetNumGlyphs(int32_t value)
{
    if (value < 1 || value > 4 || value == numGlyphs_)
        return;
    numGlyphs_ = value;
    Invalidate();
}

void TTarqControlButton::SetStyle(TTarqControlButtonStyle value)
{
    if (value == style_)
        return;
    style_ = value;
    Invalidate();
}

TPoint TTarqControlButton::GetGlyphSize() const
{
    if (glyph_->Empty())
        return {0, 0};
    return {glyph_->Width() / numGlyphs_, glyph_->Height()};
}

// A strip of square cells tells how many cells it holds.
void TTarqControlButton::GlyphChanged(TObject*)
{
    const int32_t width = glyph_->Width(), height = glyph_->Height();
    if (height != 0 && width % height == 0) {
        const int32_t cells = width / height;
        numGlyphs_ = cells >= 1 && cells <= 4 ? cells : 1;
    }
    Invalidate();
}

// ---- Painting ---------------------------------------------------------------------------

bool TTarqControlButton::IsHot() const { return down_ || (mouseOverButton_ && Enabled()); }

int32_t TTarqControlButton::ThemeState(int32_t normal, int32_t hot, int32_t pressed, int32_t disabled) const
{
    if (down_)
        return pressed;
    if (IsHot())
        return hot;
    return Enabled() ? normal : disabled;
}

void TTarqControlButton::Paint()
{
    TRect r = ClientRect();
    switch (style_) {
    case cbsLeft:
    case cbsUp:
    case cbsRight:
    case cbsDown: DrawArrowButton(r); return;
    case cbsDropDown: DrawDropDownButton(r); return;
    case cbsNone: break;
    }
    DrawButtonFace(r);
    if (glyph_->Empty())
        return;
    r = InflateRect(r, -1, -1);
    const TPoint size = GetGlyphSize();
    TRect glyphRect = CenteredRect(r, size.X, size.Y);
    if (down_)
        glyphRect = OffsetRect(glyphRect, 1, ThemesOn() ? 0 : 1);
    DrawButtonGlyph(glyphRect);
}

void TTarqControlButton::DrawButtonFace(TRect& rect)
{
    TCanvas& canvas = *Canvas();
    if (ThemesOn()) {
        if (flat_ && !IsHot()) {
            FillWith(canvas, rect, Color());
        } else {
            // The element's own rim falls outside the button.
            TThemeServices& themes = *ThemeServices();
            const TRect client = ClientRect();
            const TRect grown = Rect(rect.Left - 1, rect.Top - 2, rect.Right + 2, rect.Bottom + 2);
            const int32_t state = ThemeState(SCRBS_NORMAL, SCRBS_HOT, SCRBS_PRESSED, SCRBS_DISABLED);
            themes.DrawElement(canvas, themes.GetElementDetails(TThemedClass::ScrollBar, SBP_THUMBBTNHORZ, state),
                               grown, &client);
        }
        rect = InflateRect(rect, -2, -2);
        return;
    }
    if (flat_) {
        if (IsHot())
            rect = DrawFrameStyle(canvas, rect, down_ ? fsStatus : fsPopup);
        FillWith(canvas, rect, Color());
        return;
    }
    rect = down_ ? DrawRectOutline(canvas, rect, clBtnShadow) : DrawFrameStyle(canvas, rect, fsRaised);
    FillWith(canvas, rect, clBtnFace);
}

// The classic frame of the arrow and drop-down buttons.
void TTarqControlButton::DrawClassicFrame(TRect& rect, TFrameStyle raisedStyle)
{
    TCanvas& canvas = *Canvas();
    if (!flat_)
        rect = down_ ? DrawRectOutline(canvas, rect, clBtnShadow) : DrawFrameStyle(canvas, rect, raisedStyle);
    else if (IsHot())
        rect = DrawFrameStyle(canvas, rect, down_ ? fsStatus : fsPopup);
}

void TTarqControlButton::DrawArrowButton(TRect& rect)
{
    TCanvas& canvas = *Canvas();
    const TArrowDirection direction = ArrowDirectionOfStyle(style_);
    if (ThemesOn()) {
        if (flat_ && !IsHot()) {
            FillWith(canvas, rect, Color());
            DrawDirectionArrow(canvas, rect, true, Enabled(), down_, direction);
        } else {
            TThemeServices& themes = *ThemeServices();
            const int32_t state = ThemeState(UPS_NORMAL, UPS_HOT, UPS_PRESSED, UPS_DISABLED);
            themes.DrawElement(canvas, themes.GetElementDetails(TThemedClass::Spin, SpinPartOfStyle(style_), state),
                               rect);
        }
        rect = InflateRect(rect, -2, -2);
        return;
    }
    DrawClassicFrame(rect, fsButtonUp);
    FillWith(canvas, rect, Color());
    DrawDirectionArrow(canvas, rect, false, Enabled(), down_, direction);
}

void TTarqControlButton::DrawDropDownButton(TRect& rect)
{
    TCanvas& canvas = *Canvas();
    if (ThemesOn()) {
        rect = InflateRect(rect, 1, 1);
        if (flat_ && !IsHot()) {
            FillWith(canvas, rect, Color());
            DrawDropDownArrow(canvas, rect, true, Enabled(), down_);
        } else {
            TThemeServices& themes = *ThemeServices();
            const int32_t state = ThemeState(CBXS_NORMAL, CBXS_HOT, CBXS_PRESSED, CBXS_DISABLED);
            themes.DrawElement(canvas, themes.GetElementDetails(TThemedClass::ComboBox, CP_DROPDOWNBUTTON, state),
                               rect);
        }
        rect = InflateRect(rect, -2, -2);
        return;
    }
    DrawClassicFrame(rect, fsButtonUp);
    FillWith(canvas, rect, flat_ ? Color() : clBtnFace);
    DrawDropDownArrow(canvas, rect, false, Enabled(), down_);
}

void TTarqControlButton::DrawButtonGlyph(const TRect& glyphRect)
{
    const int32_t w = glyphRect.Width(), h = glyphRect.Height();
    // The second cell is the disabled look.
    const TRect cell = numGlyphs_ >= 2 && !Enabled() ? Rect(w, 0, 2 * w, h) : Rect(0, 0, w, h);
    StretchTransparentBitmap(*Canvas(), *glyph_, glyphRect, glyph_->TransparentColor(), cell);
}

// ---- Mouse and repeat ---------------------------------------------------------------------

void TTarqControlButton::MouseDown(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TGraphicControl::MouseDown(button, shift, x, y);
    if (button == mbLeft && Enabled()) {
        if (!down_) {
            down_ = true;
            Invalidate();
        }
        dragging_ = true;
    }
    if (!repeatClicks_)
        return;
    if (!repeatTimer_) {
        repeatTimer_ = new TTimer(this);
        repeatTimer_->OnTimer = [this](TObject* sender) { RepeatTimerFired(sender); };
    }
    repeatTimer_->SetInterval(initialDelay_);
    repeatTimer_->SetEnabled(true);
}

void TTarqControlButton::RepeatTimerFired(TObject*)
{
    repeatTimer_->SetInterval(delay_);
    if (!down_ || !MouseCapture())
        return;
    try {
        Click();
    } catch (...) {
        repeatTimer_->SetEnabled(false);
        throw;
    }
}

void TTarqControlButton::MouseUp(TMouseButton button, TShiftState shift, int32_t x, int32_t y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    if (dragging_) {
        dragging_ = false;
        const bool inside = x >= 0 && x < ClientWidth() && y >= 0 && y < ClientHeight();
        down_ = false;
        mouseOverButton_ = false;
        Repaint();
        if (inside)
            Click();
        SyncHotState();
    }
    if (repeatTimer_)
        repeatTimer_->SetEnabled(false);
}

// After a release the look follows the cursor again.
void TTarqControlButton::SyncHotState()
{
    if (!(flat_ || ThemesOn()) || !Enabled())
        return;
    const bool overSelf = FindDragTarget(GetCursorPos(), true) == this;
    Perform(overSelf ? CM_MOUSEENTER : CM_MOUSELEAVE);
}

void TTarqControlButton::MouseTracking(bool entered)
{
    mouseOverButton_ = entered;
    const TNotifyEvent& event = entered ? OnMouseEnter : OnMouseLeave;
    if (event)
        event(this);
    if (flat_ || ThemesOn())
        Refresh();
}

void TTarqControlButton::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TGraphicControl::Dispatch(message);
        MouseTracking(message.Msg == CM_MOUSEENTER);
        break;
    default: TGraphicControl::Dispatch(message); break;
    }
}
