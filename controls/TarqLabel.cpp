#include "controls/TarqLabel.h"

#include <cmath>
#include <numbers>

#include "controls/TarqBlinkList.h"
#include "controls/TarqColors.h"
#include "controls/TarqFonts.h"
#include "controls/TarqRegistration.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"
#include "platform/gfx/DrawText.h"

namespace {

constexpr double Pi = std::numbers::pi;

double Radians(double degrees) { return degrees * Pi / 180; }

int32_t RoundInt(double value) { return static_cast<int32_t>(Round(value)); }

// How far a border style widens an auto-sized label on one side.
int32_t GrowthOf(TFrameStyleEx style, int32_t bevelWidth)
{
    switch (style) {
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return bevelWidth;
    case fsFlatBold:
    case fsFlatRounded:
    case fsNone: return 0;
    default: return 2;
    }
}

} // namespace

const TEnumInfo& RotationInfo()
{
    static const TEnumInfo info{"TRotation", {"roNone", "roFlat", "roCurve"}};
    return info;
}

const TEnumInfo& CenterPointInfo()
{
    static const TEnumInfo info{"TCenterPoint",
                                {"cpUpperLeft", "cpUpperCenter", "cpUpperRight", "cpLeftCenter", "cpCenter",
                                 "cpRightCenter", "cpLowerLeft", "cpLowerCenter", "cpLowerRight"}};
    return info;
}

const TEnumInfo& CondenseCaptionInfo()
{
    static const TEnumInfo info{"TTarqCondenseCaption", {"ccNone", "ccAtEnd", "ccWithinPath"}};
    return info;
}

TTarqLabel::TTarqLabel(TComponent* owner) : TGraphicControl(owner)
{
    RegisterTarqLabelClasses();
    SetControlStyle(ControlStyle() | csOpaque);
    SetBounds(0, 0, 65, 17);
    fontColor_ = currentColor_ = origColor_ = Font()->Color();
    EnsureBlinkList().AddControl(this);
    initColor_ = true;
    SetColor(clBtnFace);
    SetParentColor(true);
    initColor_ = false;
    SetAutoSize(true);
}

TTarqLabel::~TTarqLabel()
{
    if (TTarqBlinkingControlsList* list = BlinkList())
        list->RemoveControl(this);
    ReleaseBlinkListIfEmpty();
}

// ---- The plain label's settings ----

void TTarqLabel::SetAlignment(TAlignment value) { Store(alignment_, value); }
void TTarqLabel::SetLayout(TTextLayout value) { Store(layout_, value); }

void TTarqLabel::SetWordWrap(bool value)
{
    if (wordWrap_ == value)
        return;
    wordWrap_ = value;
    AdjustBounds();
    Invalidate();
}

void TTarqLabel::SetShowAccelChar(bool value)
{
    if (showAccelChar_ == value)
        return;
    showAccelChar_ = value;
    AdjustBounds();
    Invalidate();
}

void TTarqLabel::SetTransparent(bool value)
{
    if (transparent_ == value)
        return;
    transparent_ = value;
    SetControlStyle(value ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
    Invalidate();
}

void TTarqLabel::SetFocusControl(TWinControl* value) { focusControl_.Set(value); }

void TTarqLabel::SetAutoSize(bool value)
{
    TGraphicControl::SetAutoSize(value);
    AdjustBounds();
}

// ---- Rotation ----

void TTarqLabel::SetAngle(int32_t value)
{
    // Any angle, however far below zero, lands in 0..359.
    const int32_t normalised = ((value % 360) + 360) % 360;
    if (angle_ == normalised)
        return;
    angle_ = normalised;
    if (!IsLoading() && angle_ != 0)
        UseVerdanaUnlessTrueType();
    if (angle_ != 0 && rotation_ == roNone)
        rotation_ = roFlat;
    AdjustBounds();
    Repaint();
}

void TTarqLabel::SetRotation(TRotation value)
{
    if (rotation_ == value)
        return;
    if (!IsLoading() && value != roNone)
        UseVerdanaUnlessTrueType();
    rotation_ = value;
    if (value == roNone)
        angle_ = 0;
    if (value == roFlat) {
        angle_ = 0;
        centerPoint_ = cpCenter;
    }
    Invalidate();
}

void TTarqLabel::SetCenterPoint(TCenterPoint value) { Store(centerPoint_, value); }

void TTarqLabel::UseVerdanaUnlessTrueType()
{
    if (!FontIsTrueType(*Font()))
        Font()->SetName("Verdana");
}

// ---- Text style ----

void TTarqLabel::SetTextStyle(TTextStyle value) { Store(textStyle_, value); }
void TTarqLabel::SetLightTextStyle(bool value) { Store(lightTextStyle_, value); }
void TTarqLabel::SetHighlightColor(TColor value) { Store(highlightColor_, value); }
void TTarqLabel::SetShadowColor(TColor value) { Store(shadowColor_, value); }
void TTarqLabel::SetShadowDepth(int32_t value) { Store(shadowDepth_, value); }
void TTarqLabel::SetTextMargin(int32_t value) { Store(textMargin_, value); }

void TTarqLabel::SetCondenseCaption(TTarqCondenseCaption value)
{
    if (condense_ == value)
        return;
    condense_ = value;
    if (value != ccNone)
        SetAutoSize(false);
    Invalidate();
}

// ---- Blinking and fly-by ----

void TTarqLabel::SetBlinking(bool value)
{
    if (blinking_ == value)
        return;
    blinking_ = value;
    if (!value) {
        blinkState_ = false;
        currentColor_ = fontColor_;
        Repaint();
    }
}

void TTarqLabel::SetBlinkColor(TColor value) { Store(blinkColor_, value); }

uint16_t TTarqLabel::GetBlinkIntervalOn() const { return EnsureBlinkList().IntervalOn(); }
void TTarqLabel::SetBlinkIntervalOn(uint16_t value) { EnsureBlinkList().SetIntervalOn(value); }
uint16_t TTarqLabel::GetBlinkIntervalOff() const { return EnsureBlinkList().IntervalOff(); }
void TTarqLabel::SetBlinkIntervalOff(uint16_t value) { EnsureBlinkList().SetIntervalOff(value); }

void TTarqLabel::ApplyBlinkState(bool on)
{
    blinkState_ = on;
    currentColor_ = on ? blinkColor_ : fontColor_;
    Refresh();
}

void TTarqLabel::SetFlyByEnabled(bool value)
{
    if (flyByEnabled_ == value)
        return;
    flyByEnabled_ = value;
    if (!value && flyByShowing_) {
        flyByShowing_ = false;
        Font()->SetColor(origColor_);
    }
}

void TTarqLabel::SetFlyByColor(TColor value) { flyByColor_ = value; }

// ---- Frame ----

void TTarqLabel::SetBorderOuter(TFrameStyleEx value) { Store(border_.outer, value); }
void TTarqLabel::SetBorderInner(TFrameStyleEx value) { Store(border_.inner, value); }
void TTarqLabel::SetBorderSides(TSides value) { Store(border_.sides, value); }
void TTarqLabel::SetBorderWidth(int32_t value) { Store(border_.width, value); }
void TTarqLabel::SetBevelWidth(int32_t value) { Store(border_.bevelWidth, value); }
void TTarqLabel::SetBorderColor(TColor value) { Store(border_.color, value); }
void TTarqLabel::SetBorderHighlight(TColor value) { Store(border_.highlight, value); }
void TTarqLabel::SetBorderShadow(TColor value) { Store(border_.shadow, value); }
void TTarqLabel::SetFlatColor(TColor value) { Store(border_.flatColor, value); }
void TTarqLabel::SetFlatColorAdjustment(int32_t value) { Store(border_.flatColorAdjustment, value); }

void TTarqLabel::ApplyFrameController()
{
    if (const TTarqFrameController* controller = frameLink_.VisibleController()) {
        border_.Apply(*controller, frameLink_.Notifications(), *this);
        Invalidate();
    }
}

// ---- Geometry ----

TRect TTarqLabel::ShrinkRectForFrame(const TRect& rect, bool withBorderWidth)
{
    const TRect r = withBorderWidth ? InflateRect(rect, -border_.width, -border_.width) : rect;
    return ShrinkRectForBorders(r, border_.outer, border_.inner, border_.sides, border_.bevelWidth);
}

void TTarqLabel::AdjustRectForBorder(TRect& rect)
{
    const int32_t across = border_.sides.Contains(sdLeft) + border_.sides.Contains(sdRight);
    const int32_t down = border_.sides.Contains(sdTop) + border_.sides.Contains(sdBottom);
    for (int32_t width :
         {GrowthOf(border_.outer, border_.bevelWidth), border_.width, GrowthOf(border_.inner, border_.bevelWidth)}) {
        rect.Right += across * width;
        rect.Bottom += down * width;
    }
    if (rotation_ == roNone && textStyle_ == tsShadow) {
        rect.Right += shadowDepth_;
        rect.Bottom += shadowDepth_;
    }
    if (rotation_ != roFlat || angle_ == 0 || angle_ == 180)
        return;
    if (textStyle_ == tsShadow) {
        rect.Right += shadowDepth_ / 2;
        rect.Bottom += shadowDepth_ / 2;
    }
    const double w = rect.Right, h = rect.Bottom;
    const double t = Radians(angle_ == 90 || angle_ == 270 ? 90 : angle_ % 90);
    rect.Right = RoundInt(w * std::cos(t) + h * std::sin(t));
    rect.Bottom = RoundInt(w * std::sin(t) + h * std::cos(t));
}

uint32_t TTarqLabel::CondenseFlag() const
{
    switch (condense_) {
    case ccAtEnd: return DT_END_ELLIPSIS;
    case ccWithinPath: return DT_PATH_ELLIPSIS;
    default: return 0;
    }
}

void TTarqLabel::AdjustBounds()
{
    if (IsLoading() || !AutoSize())
        return;
    TRect r = ShrinkRectForFrame(ClientRect(), true);
    r = OffsetRect(r, -r.Left, -r.Top);
    TBitmap screen(1, 1);
    screen.Canvas()->Font()->Assign(Font());
    DoDrawText(*screen.Canvas(), r, DT_CALCRECT | DT_EXPANDTABS | (wordWrap_ ? DT_WORDBREAK : 0) | CondenseFlag());
    AdjustRectForBorder(r);
    const int32_t left = alignment_ == taRightJustify ? Left() + Width() - r.Right : Left();
    SetBounds(left, Top(), r.Right, r.Bottom);
}

int32_t TTarqLabel::DoDrawText(TCanvas& canvas, TRect& rect, uint32_t flags)
{
    std::string text = GetLabelText();
    // A measured empty caption still takes one line.
    if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&")))
        text += ' ';
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    return DrawText(canvas, text, rect, flags);
}

// ---- Painting ----

void TTarqLabel::Paint()
{
    TCanvas& canvas = *Canvas();
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetWidth(1);
    TBorderPair border;
    border.Outer = border_.outer;
    border.Inner = border_.inner;
    border.BorderWidth = border_.width;
    border.Sides = border_.sides;
    border.BevelWidth = border_.bevelWidth;
    border.BorderColor = border_.color;
    border.BorderHighlight = border_.highlight;
    border.BorderShadow = border_.shadow;
    border.FlatColor = border_.flatColor;
    border.FlatColorAdjustment = border_.flatColorAdjustment;
    border.Color = Color();
    border.ParentColor = Parent() ? Parent()->Color() : Color();
    border.Transparent = transparent_;
    const TRect interior = DrawBorderPair(canvas, Rect(0, 0, Width(), Height()), border);
    canvas.Brush()->SetColor(Color());
    if (!transparent_)
        canvas.FillRect(interior);
    canvas.Brush()->SetStyle(bsClear);
    // Passes drawn off the text's place (the disabled highlight, shadows)
    // stay inside the border.
    const int saved = canvas.SaveDC();
    canvas.IntersectClipRect(interior.Left, interior.Top, interior.Right, interior.Bottom);
    if (rotation_ == roCurve)
        DrawCurvedText(canvas);
    else
        DrawLabelText(canvas);
    canvas.RestoreDC(saved);
}

uint32_t TTarqLabel::TextFlags() const
{
    uint32_t flags = alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    flags |= DT_EXPANDTABS;
    if (wordWrap_)
        flags |= DT_WORDBREAK;
    if (!showAccelChar_)
        flags |= DT_NOPREFIX;
    return flags | CondenseFlag();
}

TRect TTarqLabel::TextArea() const
{
    TRect r = const_cast<TTarqLabel*>(this)->ShrinkRectForFrame(ClientRect(), true);
    return InflateRect(r, -textMargin_, -textMargin_);
}

void TTarqLabel::OffsetForLayout(TCanvas& canvas, uint32_t flags, TRect& rect)
{
    if (layout_ != tlTop) {
        TRect measured = rect;
        const int32_t height = DoDrawText(canvas, measured, flags | DT_CALCRECT);
        const int32_t free = rect.Height() - height;
        rect = OffsetRect(rect, 0, layout_ == tlBottom ? free : free / 2);
    }
    if (textStyle_ != tsShadow)
        return;
    if (flags & DT_RIGHT)
        rect = OffsetRect(rect, -shadowDepth_, 0);
    if (layout_ == tlBottom)
        rect = OffsetRect(rect, 0, -shadowDepth_);
}

void TTarqLabel::DrawLabelText(TCanvas& canvas)
{
    canvas.Font()->Assign(Font());
    if (rotation_ == roFlat)
        DrawRotatedText(canvas, TextArea(), TextFlags());
    else
        DrawFlatText(canvas, TextArea(), TextFlags());
}

void TTarqLabel::DrawFlatText(TCanvas& canvas, const TRect& area, uint32_t flags)
{
    auto pass = [&](TColor color, int32_t dx, int32_t dy) {
        TRect r = area;
        OffsetForLayout(canvas, flags, r);
        r = OffsetRect(r, dx, dy);
        canvas.Font()->SetColor(color);
        DoDrawText(canvas, r, flags);
    };
    if (!Enabled()) {
        pass(clBtnHighlight, 1, 1);
        pass(clBtnShadow, 0, 0);
        return;
    }
    Draw3DPasses(pass);
    if (textStyle_ == tsShadow)
        pass(shadowColor_, shadowDepth_, shadowDepth_);
    pass(currentColor_, 0, 0);
}

void TTarqLabel::Draw3DPasses(const std::function<void(TColor, int32_t, int32_t)>& pass)
{
    if (textStyle_ != tsRaised && textStyle_ != tsRecessed)
        return;
    const bool raised = textStyle_ == tsRaised;
    if (!raised || !lightTextStyle_)
        pass(raised ? shadowColor_ : highlightColor_, 1, 1);
    if (raised || !lightTextStyle_)
        pass(raised ? highlightColor_ : shadowColor_, -1, -1);
}

TTarqLabel::TTextAnchor TTarqLabel::RotatedAnchor(TCanvas& canvas, const TRect& area, uint32_t flags)
{
    TTextAnchor anchor{{Width() / 2, Height() / 2}, TA_BASELINE};
    TPoint& p = anchor.Point;
    const double t = Radians(angle_ + 90);
    const int32_t h = canvas.TextHeight("Pp");
    const double q = h / 4.0;
    const int32_t w = canvas.TextWidth(GetLabelText());
    const int32_t e = textStyle_ == tsShadow ? shadowDepth_ / 2 : 0;
    const int32_t w2 = w + e, h2 = h + e;
    const bool centred = flags & DT_CENTER, right = flags & DT_RIGHT;
    switch (angle_) {
    case 0:
        anchor.Align = centred ? TA_CENTER : TA_LEFT;
        if (right)
            p.X = area.Right - w - 2 * e;
        else if (!centred)
            p.X = area.Left + e;
        p.Y -= h2 / 2;
        break;
    case 90:
        p.X -= RoundInt(std::cos(t) * q);
        p.Y = centred ? area.Bottom - (area.Bottom - w2) / 2 : right ? area.Top + w2 + e : area.Bottom - e;
        break;
    case 180:
        p.X = centred ? area.Right - (area.Right - w2) / 2 : right ? area.Left + w2 : area.Right - e;
        p.Y -= h2 / 4;
        break;
    case 270:
        p.X -= RoundInt(std::cos(t) * q);
        p.Y = centred ? (area.Bottom - w2) / 2 : right ? area.Bottom - w2 - e : area.Top + e;
        break;
    default:
        p.X -= RoundInt(std::cos(t) * q);
        p.Y += RoundInt(std::sin(t) * q);
        anchor.Align = TA_BASELINE | TA_CENTER;
        break;
    }
    return anchor;
}

void TTarqLabel::DrawRotatedText(TCanvas& canvas, const TRect& area, uint32_t flags)
{
    const std::string caption = GetLabelText();
    const TTextAnchor anchor = RotatedAnchor(canvas, area, flags);
    const TPoint p = anchor.Point;
    canvas.Font()->Assign(CreateRotatedFont(*Font(), angle_).get());
    const uint32_t oldAlign = canvas.TextAlign();
    canvas.SetTextAlign(anchor.Align);
    auto pass = [&](TColor color, int32_t dx, int32_t dy) {
        canvas.Font()->SetColor(color);
        canvas.TextRect(area, p.X + dx, p.Y + dy, caption);
    };
    const int32_t e = textStyle_ == tsShadow ? shadowDepth_ / 2 : 0;
    if (!Enabled()) {
        pass(clBtnHighlight, 1, 1);
        pass(clBtnShadow, 0, 0);
    } else if (textStyle_ == tsShadow) {
        pass(shadowColor_, e, e);
        pass(currentColor_, -e, -e);
    } else {
        Draw3DPasses(pass);
        pass(currentColor_, 0, 0);
    }
    canvas.SetTextAlign(oldAlign);
}

TPoint TTarqLabel::ArcCenter() const
{
    const int32_t w = Width(), h = Height(), b = border_.width;
    switch (centerPoint_) {
    case cpUpperLeft: return {b, b};
    case cpUpperCenter: return {w / 2, b};
    case cpUpperRight: return {w - b, b};
    case cpLeftCenter: return {b, h / 2};
    case cpRightCenter: return {w - b, h / 2};
    case cpLowerLeft: return {b, h - b};
    case cpLowerCenter: return {w / 2, h - b};
    case cpLowerRight: return {w - b, h - b};
    default: return {w / 2, h / 2};
    }
}

TPoint TTarqLabel::ArcRadius() const
{
    const int32_t w = Width(), h = Height(), a = 2 * border_.width;
    switch (centerPoint_) {
    case cpUpperCenter:
    case cpLowerCenter: return {w / 2 - a, h - a};
    case cpLeftCenter:
    case cpRightCenter: return {w - a, h / 2 - a};
    case cpCenter: return {w / 2 - a, h / 2 - a};
    default: return {w - a, h - a};
    }
}

void TTarqLabel::DrawCurvedText(TCanvas& canvas)
{
    const std::string caption = GetLabelText();
    const TPoint c = ArcCenter(), radius = ArcRadius();
    // The text advances by its width over the radius: a label too small for
    // any arc has nowhere to put it.
    if (caption.empty() || radius.X <= 0)
        return;
    canvas.Font()->Assign(Font());
    const int32_t k = canvas.TextHeight("Yy");
    const int32_t advance = canvas.TextWidth("w") + 2;
    const uint32_t oldAlign = canvas.TextAlign();
    canvas.SetTextAlign(TA_BASELINE | TA_CENTER);
    double r = angle_ * Pi / 180;
    for (char32_t ch : Utf8ToUtf32(caption)) {
        const std::string glyph = Utf32ToUtf8(std::u32string(1, ch));
        const int32_t x = c.X - RoundInt(std::sin(r) * (radius.X - k));
        const int32_t y = c.Y - RoundInt(std::cos(r) * (radius.Y - k));
        TFont rotated;
        rotated.Assign(Font());
        rotated.SetOrientation(RoundInt(r * 1800 / Pi));
        canvas.Font()->Assign(&rotated);
        auto draw = [&](TColor color, int32_t dx, int32_t dy) {
            canvas.Font()->SetColor(color);
            canvas.TextOut(x + dx, y + dy, glyph);
        };
        if (textStyle_ == tsRaised) {
            if (!lightTextStyle_)
                draw(shadowColor_, 1, 1);
            draw(highlightColor_, -1, -1);
        } else if (textStyle_ == tsRecessed) {
            draw(highlightColor_, 1, 1);
            if (!lightTextStyle_)
                draw(shadowColor_, -1, -1);
        } else if (textStyle_ == tsShadow) {
            draw(shadowColor_, shadowDepth_, shadowDepth_);
        }
        TColor color = currentColor_;
        if (!Enabled()) {
            draw(clBtnHighlight, 1, 1);
            color = clBtnShadow;
        }
        draw(color, 0, 0);
        r -= static_cast<double>(advance) / radius.X;
    }
    canvas.SetTextAlign(oldAlign);
}

// ---- Messages ----

void TTarqLabel::Loaded()
{
    TGraphicControl::Loaded();
    if (rotation_ == roNone && angle_ != 0)
        rotation_ = roFlat;
    if (rotation_ != roNone)
        UseVerdanaUnlessTrueType();
    fontColor_ = currentColor_ = Font()->Color();
    AdjustBounds();
}

void TTarqLabel::Notification(TComponent* component, TOperation operation)
{
    TGraphicControl::Notification(component, operation);
    frameLink_.Forget(component, operation);
    focusControl_.Forget(component, operation);
}

void TTarqLabel::FontChanged()
{
    if (IsLoading())
        return;
    if (!blinking_)
        fontColor_ = currentColor_ = Font()->Color();
    if (angle_ != 0 && !FontIsTrueType(*Font()))
        angle_ = 0;
    AdjustBounds();
}

void TTarqLabel::MouseEntered(TMessage& message)
{
    if (flyByEnabled_) {
        origColor_ = Font()->Color();
        flyByShowing_ = true;
        Font()->SetColor(flyByColor_);
    }
    TGraphicControl::Dispatch(message);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TTarqLabel::MouseLeft(TMessage& message)
{
    if (flyByEnabled_ && flyByShowing_) {
        flyByShowing_ = false;
        Font()->SetColor(origColor_);
    }
    TGraphicControl::Dispatch(message);
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TTarqLabel::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case CM_BLINKQUERY:
        TGraphicControl::Dispatch(message);
        message.Result = blinking_ ? 1 : 0;
        return;
    case CM_BLINKSTATE:
        if (blinking_)
            ApplyBlinkState((message.WParam & 0xFF) != 0);
        return;
    case CM_FONTCHANGED:
        TGraphicControl::Dispatch(message);
        FontChanged();
        return;
    case CM_TEXTCHANGED:
        TGraphicControl::Dispatch(message);
        AdjustBounds();
        Repaint();
        return;
    case CM_PARENTCOLORCHANGED:
        if (!initColor_)
            TGraphicControl::Dispatch(message);
        return;
    case CM_MOUSEENTER: MouseEntered(message); return;
    case CM_MOUSELEAVE: MouseLeft(message); return;
    case CM_DIALOGCHAR:
        if (focusControl_ && Enabled() && showAccelChar_ && IsAccel(static_cast<char32_t>(message.WParam), Caption()) &&
            focusControl_->CanFocus()) {
            focusControl_->SetFocus();
            message.Result = 1;
            return;
        }
        TGraphicControl::Dispatch(message);
        return;
    default: TGraphicControl::Dispatch(message); return;
    }
}
