#include "controls/TarqProgressBar.h"

#include <algorithm>

#include "controls/TarqBars.h"
#include "controls/TarqFrames.h"
#include "controls/TarqRegistration.h"
#include "platform/core/Types.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Themes.h"

namespace {

constexpr uint32_t MaxParts = 2147483647u;

} // namespace

TTarqCustomProgressBar::TTarqCustomProgressBar(TComponent* owner) : TGraphicControl(owner)
{
    RegisterTarqProgressBarClasses();
    SetControlStyle(ControlStyle() | csOpaque);
    Font()->SetColor(barColor_);
    SetBounds(0, 0, 200, 24);
}

void TTarqCustomProgressBar::SetPercent(uint16_t value)
{
    if (percent_ == value)
        return;
    percent_ = value;
    Change();
    Invalidate();
}

void TTarqCustomProgressBar::SetPartsComplete(uint32_t value)
{
    value = std::min({value, totalParts_, MaxParts});
    if (partsComplete_ == value)
        return;
    partsComplete_ = value;
    if (!IsLoading() && totalParts_ != 0)
        SetPercent(static_cast<uint16_t>(Round(static_cast<long double>(partsComplete_) / totalParts_ * 100)));
}

void TTarqCustomProgressBar::SetTotalParts(uint32_t value)
{
    value = std::min(value, MaxParts);
    if (totalParts_ == value)
        return;
    totalParts_ = value;
    if (IsLoading())
        return;
    partsComplete_ = 0;
    SetPercent(0);
}

void TTarqCustomProgressBar::SetBarStyle(TBarStyle value)
{
    if (barStyle_ == value)
        return;
    barStyle_ = value;
    showPercent_ = value != bsLED;
    interiorOffset_ = value == bsLED ? 1 : 0;
    Invalidate();
}

void TTarqCustomProgressBar::SetOrientation(TOrientation value) { Store(orientation_, value); }
void TTarqCustomProgressBar::SetShowPercent(bool value) { Store(showPercent_, value); }
void TTarqCustomProgressBar::SetNumSegments(int32_t value) { Store(numSegments_, std::clamp(value, 1, 100)); }
void TTarqCustomProgressBar::SetInteriorOffset(uint8_t value) { Store(interiorOffset_, value); }
void TTarqCustomProgressBar::SetThemeAware(bool value) { Store(themeAware_, value); }
void TTarqCustomProgressBar::SetBackColor(TColor value) { Store(backColor_, value); }

void TTarqCustomProgressBar::SetBarColor(TColor value)
{
    if (barColor_ == value)
        return;
    barColor_ = value;
    Font()->SetColor(value);
    Invalidate();
}

void TTarqCustomProgressBar::SetBorderOuter(TFrameStyleEx value) { Store(border_.outer, value); }
void TTarqCustomProgressBar::SetBorderInner(TFrameStyleEx value) { Store(border_.inner, value); }
void TTarqCustomProgressBar::SetBorderWidth(int32_t value) { Store(border_.width, value); }
void TTarqCustomProgressBar::SetBevelWidth(int32_t value) { Store(border_.bevelWidth, value); }
void TTarqCustomProgressBar::SetBorderColor(TColor value) { Store(border_.color, value); }
void TTarqCustomProgressBar::SetFlatColor(TColor value) { Store(border_.flatColor, value); }
void TTarqCustomProgressBar::SetFlatColorAdjustment(int32_t value) { Store(border_.flatColorAdjustment, value); }

void TTarqCustomProgressBar::ApplyFrameController()
{
    const TTarqFrameController* controller = frameLink_.VisibleController();
    if (!controller)
        return;
    border_.Apply(*controller, frameLink_.Notifications());
    if (frameLink_.Accepts(fcpColor))
        SetBackColor(controller->Color());
    if (frameLink_.Accepts(fcpParentColor))
        SetParentColor(controller->ParentColor());
    Invalidate();
}

void TTarqCustomProgressBar::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    SetOrientation(Width() < Height() ? orVertical : orHorizontal);
}

void TTarqCustomProgressBar::Change()
{
    if (OnChange)
        OnChange(this, percent_);
}

bool TTarqCustomProgressBar::Themed() const { return ThemeServices()->ThemesEnabled() && themeAware_; }

TRect TTarqCustomProgressBar::PaintFrame(TCanvas& canvas, const TRect& client)
{
    if (Themed()) {
        TThemeServices* themes = ThemeServices();
        const int32_t part = orientation_ == orVertical ? PP_BARVERT : PP_BAR;
        themes->DrawElement(canvas, themes->GetElementDetails(TThemedClass::Progress, part, 1), client);
        const int32_t inset = interiorOffset_ + (barStyle_ == bsLED ? 1 : 3);
        return InflateRect(client, -inset, -inset);
    }
    canvas.Brush()->SetColor(border_.color);
    canvas.FillRect(client);
    TBorderPair border;
    border.Outer = border_.outer;
    border.Inner = border_.inner;
    border.BorderWidth = border_.width;
    border.BevelWidth = border_.bevelWidth;
    border.BorderColor = border_.color;
    border.FlatColor = border_.flatColor;
    border.FlatColorAdjustment = border_.flatColorAdjustment;
    border.Color = backColor_;
    border.ParentColor = Parent() ? Parent()->Color() : Color();
    border.SoftInnerFlat = true;
    TRect interior = DrawBorderPair(canvas, client, border);
    if (interiorOffset_ > 0) {
        canvas.Pen()->SetStyle(psInsideFrame);
        canvas.Pen()->SetWidth(interiorOffset_);
        canvas.Pen()->SetColor(backColor_);
        canvas.Brush()->SetStyle(bsClear);
        canvas.Rectangle(interior);
        canvas.Pen()->SetStyle(psSolid);
        canvas.Pen()->SetWidth(1);
        canvas.Brush()->SetStyle(bsSolid);
        interior = InflateRect(interior, -interiorOffset_, -interiorOffset_);
    }
    return interior;
}

void TTarqCustomProgressBar::PaintBar(TCanvas& canvas, const TRect& interior)
{
    switch (barStyle_) {
    case bsTraditional:
        DrawPlainBar(canvas, interior, orientation_, false, showPercent_, percent_, backColor_, barColor_);
        break;
    case bsLED:
        DrawSegmentedBar(canvas, interior, orientation_, false, themeAware_, percent_, numSegments_, backColor_,
                         barColor_);
        break;
    case bsGradient: {
        TGradientBarColors colors;
        colors.Direction = gradientDirection_;
        colors.Bar = barColor_;
        colors.BarStop = barColorStop_;
        colors.Back = backColor_;
        colors.BackStop = backColorStop_;
        DrawGradientBar(canvas, interior, orientation_, false, showPercent_, percent_, colors);
        break;
    }
    }
}

void TTarqCustomProgressBar::Paint()
{
    if (Width() <= 0 || Height() <= 0)
        return;
    TBitmap work(Width(), Height());
    TCanvas& canvas = *work.Canvas();
    canvas.Font()->Assign(Font());
    const TRect interior = PaintFrame(canvas, ClientRect());
    PaintBar(canvas, interior);
    Canvas()->Draw(0, 0, &work);
}

void TTarqCustomProgressBar::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    frameLink_.Forget(component, operation);
}

TTarqProgressBar::TTarqProgressBar(TComponent* owner) : TTarqCustomProgressBar(owner) {}

void TTarqProgressBar::SetBackColorStop(TColor value)
{
    if (backColorStop_ == value)
        return;
    backColorStop_ = value;
    Invalidate();
}

void TTarqProgressBar::SetBarColorStop(TColor value)
{
    if (barColorStop_ == value)
        return;
    barColorStop_ = value;
    Invalidate();
}

void TTarqProgressBar::SetGradientDirection(TGradientDirection value)
{
    if (gradientDirection_ == value)
        return;
    gradientDirection_ = value;
    Invalidate();
}
