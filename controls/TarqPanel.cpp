#include "controls/TarqPanel.h"

#include <algorithm>

#include "controls/TarqColors.h"
#include "controls/TarqGrafx.h"
#include "controls/TarqPanelDockManager.h"
#include "controls/TarqRegistration.h"
#include "controls/TarqScheme.h"
#include "platform/gfx/DrawText.h"

const TEnumInfo& GridStyleInfo()
{
    static const TEnumInfo info{"TTarqGridStyle", {"gsDots", "gsDottedLines", "gsSolidLines"}};
    return info;
}

TTarqCustomPanel::TTarqCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    RegisterTarqPanelClasses();
    SetControlStyle((ControlStyle() | csAcceptsControls | csOpaque) & ~(csSetCaption | csParentBackground));
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
    SetUseDockManager(true);
}

void TTarqCustomPanel::SetAlignment(TAlignment value) { Change(alignment_, value); }
void TTarqCustomPanel::SetBevelWidth(int32_t value) { Change(border_.bevelWidth, std::max(value, 1), true); }
void TTarqCustomPanel::SetBorderOuter(TFrameStyleEx value) { Change(border_.outer, value, true); }
void TTarqCustomPanel::SetBorderInner(TFrameStyleEx value) { Change(border_.inner, value, true); }
void TTarqCustomPanel::SetBorderSides(TSides value) { Change(border_.sides, value, true); }
void TTarqCustomPanel::SetBorderColor(TColor value) { Change(border_.color, value); }
void TTarqCustomPanel::SetBorderHighlight(TColor value) { Change(border_.highlight, value); }
void TTarqCustomPanel::SetBorderShadow(TColor value) { Change(border_.shadow, value); }
void TTarqCustomPanel::SetFlatColor(TColor value) { Change(border_.flatColor, value); }
void TTarqCustomPanel::SetFlatColorAdjustment(int32_t value) { Change(border_.flatColorAdjustment, value); }
void TTarqCustomPanel::SetAlignmentVertical(TAlignmentVertical value) { Change(alignmentVertical_, value); }
void TTarqCustomPanel::SetTextMargin(int32_t value) { Change(textMargin_, value); }
void TTarqCustomPanel::SetWordWrap(bool value) { Change(wordWrap_, value); }
void TTarqCustomPanel::SetVisualStyle(TTarqVisualStyle value) { Change(visualStyle_, value); }
void TTarqCustomPanel::SetGradientColorStyle(TTarqGradientColorStyle value) { Change(gradientColorStyle_, value); }
void TTarqCustomPanel::SetShowGrid(bool value) { Change(showGrid_, value); }
void TTarqCustomPanel::SetGridColor(TColor value) { Change(gridColor_, value); }
void TTarqCustomPanel::SetGridStyle(TTarqGridStyle value) { Change(gridStyle_, value); }
void TTarqCustomPanel::SetGridXSize(uint16_t value) { Change(gridXSize_, value); }
void TTarqCustomPanel::SetGridYSize(uint16_t value) { Change(gridYSize_, value); }

void TTarqCustomPanel::SetGradientColorStart(TColor value)
{
    if (gradientColorStart_ == value)
        return;
    Change(gradientColorStart_, value);
    InvalidateTransparentChildren(*this);
}

void TTarqCustomPanel::SetGradientColorStop(TColor value)
{
    if (gradientColorStop_ == value)
        return;
    Change(gradientColorStop_, value);
    InvalidateTransparentChildren(*this);
}

void TTarqCustomPanel::SetGradientDirection(TGradientDirection value)
{
    if (gradientDirection_ == value)
        return;
    Change(gradientDirection_, value);
    InvalidateTransparentChildren(*this);
}

void TTarqCustomPanel::SetTransparent(bool value)
{
    if (transparent_ == value)
        return;
    transparent_ = value;
    SetControlStyle(value ? ControlStyle() & ~csOpaque : ControlStyle() | csOpaque);
    Invalidate();
    for (int32_t i = 0; i < ControlCount(); ++i)
        Controls(i)->Invalidate();
}

void TTarqCustomPanel::ApplyFrameController()
{
    if (const TTarqFrameController* controller = frameLink_.VisibleController()) {
        border_.Apply(*controller, frameLink_.Notifications(), *this);
        Invalidate();
    }
}

void TTarqCustomPanel::ReadUseGradients(bool value)
{
    if (value)
        SetVisualStyle(vsGradient);
}

void TTarqCustomPanel::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height)
{
    // A panel docked to the bottom or right grows and shrinks toward the top or left.
    if (Align() == alBottom && height != Height())
        top = Top() + Height() - height;
    if (Align() == alRight && width != Width())
        left = Left() + Width() - width;
    TCustomControl::SetBounds(left, top, width, height);
}

void TTarqCustomPanel::AlignControls(TControl* control, TRect& rect)
{
    rect = ShrinkRectForFrame(rect, false);
    TCustomControl::AlignControls(control, rect);
}

void TTarqCustomPanel::AdjustClientRect(TRect& rect)
{
    TCustomControl::AdjustClientRect(rect);
    if (DockSite())
        rect = ShrinkRectForFrame(rect, false);
}

std::unique_ptr<IDockManager> TTarqCustomPanel::CreateDockManager()
{
    SetDoubleBuffered(true);
    return std::make_unique<TTarqPanelDockManager>(this);
}

TPoint TTarqCustomPanel::GetCursorClientPos() { return ScreenToClient(WindowSystem().CursorPos()); }

TRect TTarqCustomPanel::ShrinkRectForFrame(const TRect& rect, bool withBorderWidth)
{
    const TRect r = withBorderWidth ? InflateRect(rect, -BorderWidth(), -BorderWidth()) : rect;
    return ShrinkRectForBorders(r, border_.outer, border_.inner, border_.sides, border_.bevelWidth);
}

TRect TTarqCustomPanel::GetControlRect() { return Rect(0, 0, Width(), Height()); }

void TTarqCustomPanel::GetGradientColors(TColor& start, TColor& stop)
{
    if (gradientColorStyle_ == gcsCustom) {
        start = gradientColorStart_;
        stop = gradientColorStop_;
        return;
    }
    GetSchemeColorPair(gradientColorStyle_, start, stop);
}

TBorderPair TTarqCustomPanel::BorderPair()
{
    TBorderPair b;
    b.Outer = border_.outer;
    b.Inner = border_.inner;
    b.BorderWidth = BorderWidth();
    b.Sides = border_.sides;
    b.BevelWidth = border_.bevelWidth;
    b.BorderColor = border_.color;
    b.BorderHighlight = border_.highlight;
    b.BorderShadow = border_.shadow;
    b.FlatColor = border_.flatColor;
    b.FlatColorAdjustment = border_.flatColorAdjustment;
    b.Color = Color();
    b.ParentColor = Parent() ? Parent()->Color() : Color();
    b.Transparent = transparent_;
    return b;
}

void TTarqCustomPanel::Paint()
{
    TCanvas& canvas = *Canvas();
    canvas.Pen()->SetStyle(psSolid);
    const TRect interior = DrawBorderPair(canvas, GetControlRect(), BorderPair());
    if (!transparent_) {
        if (visualStyle_ == vsGradient) {
            TColor start, stop;
            GetGradientColors(start, stop);
            DrawGradientFill(canvas, interior, gradientDirection_, start, stop, 1);
        } else {
            canvas.Brush()->SetColor(Color());
            canvas.FillRect(interior);
        }
    }
    if (showGrid_)
        DrawGrid(interior);
    canvas.Brush()->SetStyle(bsClear);
    DrawCaption(interior);
    canvas.Brush()->SetStyle(bsSolid);
    if (OnPaint)
        OnPaint(this);
}

void TTarqCustomPanel::DrawCaption(const TRect& rect)
{
    if (Caption().empty())
        return;
    TCanvas& canvas = *Canvas();
    canvas.Font()->Assign(Font());
    TRect r = InflateRect(rect, -textMargin_, -textMargin_);
    uint32_t flags = DT_EXPANDTABS | DT_VCENTER | (wordWrap_ ? DT_WORDBREAK : 0);
    flags |= alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    TRect measured = r;
    const int32_t h = DrawText(canvas, Caption(), measured, flags | DT_CALCRECT);
    switch (alignmentVertical_) {
    case avTop:
        if (r.Top + h < r.Bottom)
            r.Bottom = r.Top + h;
        break;
    case avCenter:
        r.Top = (r.Top + r.Bottom - h) / 2;
        r.Bottom = std::min(r.Bottom, r.Top + h);
        break;
    case avBottom: r.Top = std::max(r.Top, r.Bottom - h - 1); break;
    }
    if (!Enabled()) {
        TRect raised = OffsetRect(r, 1, 1);
        canvas.Font()->SetColor(clBtnHighlight);
        DrawText(canvas, Caption(), raised, flags);
        canvas.Font()->SetColor(clBtnShadow);
    }
    DrawText(canvas, Caption(), r, flags);
}

void TTarqCustomPanel::DrawGrid(const TRect& rect)
{
    TCanvas& canvas = *Canvas();
    const int32_t nx = gridXSize_ ? rect.Width() / gridXSize_ : 0;
    const int32_t ny = gridYSize_ ? rect.Height() / gridYSize_ : 0;
    canvas.Pen()->SetColor(gridColor_);
    if (gridStyle_ == gsDots) {
        for (int32_t i = 1; i <= nx; ++i)
            for (int32_t j = 1; j <= ny; ++j)
                canvas.SetPixel(rect.Left + i * gridXSize_ - 1, rect.Top + j * gridYSize_ - 1, gridColor_);
        return;
    }
    // Dotted lines set every second pixel, starting one after the line's start.
    auto line = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
        if (gridStyle_ == gsSolidLines) {
            canvas.MoveTo(x1, y1);
            canvas.LineTo(x2, y2);
        } else if (x1 == x2) {
            for (int32_t y = y1 + 1; y < y2; y += 2)
                canvas.SetPixel(x1, y, gridColor_);
        } else {
            for (int32_t x = x1 + 1; x < x2; x += 2)
                canvas.SetPixel(x, y1, gridColor_);
        }
    };
    for (int32_t i = 1; i <= nx; ++i) {
        const int32_t x = rect.Left + i * gridXSize_ - 1;
        line(x, rect.Top, x, rect.Bottom);
    }
    for (int32_t j = 1; j <= ny; ++j) {
        const int32_t y = rect.Top + j * gridYSize_ - 1;
        line(rect.Left, y, rect.Right, y);
    }
}

void TTarqCustomPanel::Dispatch(TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND: WMEraseBkgnd(message); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(message); return;
    case CM_TEXTCHANGED:
        TCustomControl::Dispatch(message);
        Invalidate();
        return;
    case CM_MOUSEENTER:
        TCustomControl::Dispatch(message);
        if (OnMouseEnter)
            OnMouseEnter(this);
        return;
    case CM_MOUSELEAVE:
        TCustomControl::Dispatch(message);
        if (OnMouseLeave)
            OnMouseLeave(this);
        return;
    case WM_THEMECHANGED:
        TCustomControl::Dispatch(message);
        XPColorScheme = ReadXPColorScheme();
        return;
    default: TCustomControl::Dispatch(message); return;
    }
}

void TTarqCustomPanel::WMEraseBkgnd(TMessage& message)
{
    if (!transparent_) {
        TCustomControl::Dispatch(message);
        return;
    }
    if (fullRepaint_)
        PaintParentBackgroundDC(*this, reinterpret_cast<HDC>(message.WParam), true);
    message.Result = 1;
}

void TTarqCustomPanel::CMEnabledChanged(TMessage& message)
{
    TCustomControl::Dispatch(message);
    Invalidate();
    if (!Enabled()) {
        rememberedEnabled_.clear();
        for (int32_t i = 0; i < ControlCount(); ++i)
            rememberedEnabled_.emplace_back(Controls(i), Controls(i)->Enabled());
        for (int32_t i = 0; i < ControlCount(); ++i)
            Controls(i)->SetEnabled(false);
        return;
    }
    for (int32_t i = 0; i < ControlCount(); ++i) {
        TControl* child = Controls(i);
        auto it = std::find_if(rememberedEnabled_.begin(), rememberedEnabled_.end(),
                               [child](const auto& entry) { return entry.first == child; });
        if (it == rememberedEnabled_.end() || it->second)
            child->SetEnabled(true);
    }
}

void TTarqCustomPanel::Notification(TComponent* component, TOperation operation)
{
    TCustomControl::Notification(component, operation);
    frameLink_.Forget(component, operation);
}

TTarqPanel::TTarqPanel(TComponent* owner) : TTarqCustomPanel(owner) {}
