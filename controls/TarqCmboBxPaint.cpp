// The combo box's own look, painted over the platform's face: the inner
// rim in the control's colour, the flat drop-down button and the frame.

#include "controls/TarqCmboBx.h"

#include "controls/TarqFrames.h"
#include "controls/TarqGlyphs.h"
#include "platform/ui/ScrollBars.h"
#include "platform/ui/Themes.h"

namespace {

bool IsPureWhite(TColor color) { return ColorToRGB(color) == 0xFFFFFF; }

void FillIn(TCanvas& canvas, const TRect& rect, TColor color)
{
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(color);
    canvas.FillRect(rect);
}

} // namespace

void TTarqCustomComboBox::PaintWindow(TCanvas& canvas)
{
    TCustomComboBox::PaintWindow(canvas);
    const bool themed = ThemeServices()->ThemesEnabled();
    const TRect button = FlatButtonRect(themed ? 1 : 2);
    PaintInnerRim(canvas, button, themed);
    if (themed)
        FillIn(canvas, Rect(button.Left - 3, button.Top, button.Left, button.Bottom), Color());
    PaintButton(canvas, button, themed);
    if (frame_.visible && !UsesThemes())
        PaintFrame(canvas);
}

TRect TTarqCustomComboBox::FlatButtonRect(int32_t border) const
{
    return Rect(Width() - ScrollBarSize - border, border, Width() - border, Height() - border);
}

void TTarqCustomComboBox::PaintInnerRim(TCanvas& canvas, const TRect& button, bool themed)
{
    const bool ownFrame = frame_.visible && !UsesThemes();
    if (ownFrame && themed) {
        if (!IsPureWhite(Color()))
            DrawRectOutline(canvas, ClientRect(), Color());
        EraseThemeRim(canvas, button);
    } else if (ownFrame) {
        // Hides the platform's 3-D border.
        DrawBevelRings(canvas, ClientRect(), Color(), Color(), AllSides, 2);
    } else if (themed) {
        EraseThemeRim(canvas, button);
    }
}

void TTarqCustomComboBox::EraseThemeRim(TCanvas& canvas, const TRect& button)
{
    TRect rim = ClientRect();
    rim.Right = button.Left;
    rim = InflateRect(rim, -1, -1);
    if (!IsPureWhite(Color()))
        DrawBevelRings(canvas, rim, Color(), Color(), AllSides, 2);
}

void TTarqCustomComboBox::PaintButton(TCanvas& canvas, const TRect& button, bool themed)
{
    if (readOnly_) {
        FillIn(canvas, button, Color());
        return;
    }
    if (!flatButtons_)
        return;
    const bool dropped = DroppedDown();
    if (!IsHot()) {
        FillIn(canvas, button, Color());
        DrawDropDownArrow(canvas, button, themed, Enabled(), false);
    } else if (themed) {
        auto* theme = ThemeServices();
        theme->DrawElement(
            canvas,
            theme->GetElementDetails(TThemedClass::ComboBox, CP_DROPDOWNBUTTON, dropped ? CBXS_PRESSED : CBXS_HOT),
            button);
    } else {
        TRect inside = flatButtonColor_ == clBtnFace
            ? DrawEdgeLines(canvas, button, dropped ? clBtnShadow : clBtnHighlight,
                            dropped ? clBtnHighlight : clBtnShadow, AllSides)
            : DrawTintedFrameStyle(canvas, button, flatButtonColor_, dropped ? fsStatus : fsPopup);
        FillIn(canvas, inside, flatButtonColor_);
        DrawDropDownArrow(canvas, inside, false, Enabled(), dropped);
    }
}

void TTarqCustomComboBox::PaintFrame(TCanvas& canvas)
{
    const TFrameStyle style = frame_.CurrentStyle(IsHot());
    const TColor color = frame_.CurrentColor(IsHot());
    const TRect bounds = ClientRect();
    if (style == fsFlat)
        DrawEdgeLines(canvas, bounds, color, color, frame_.sides);
    else if (style == fsFlatBold)
        DrawBevelRings(canvas, bounds, color, color, frame_.sides, 2);
    else if (Color() == clWindow)
        DrawFrameStyleSides(canvas, bounds, style, frame_.sides);
    else
        DrawTintedFrameStyleSides(canvas, bounds, Color(), frame_.sides, style);
}

// Only what the hot state changes: the whole face with hot tracking, else
// the button strip.
void TTarqCustomComboBox::InvalidateHotArea()
{
    if (!HandleAllocated())
        return;
    if (frame_.hotTrack)
        InvalidateClientRect(ClientRect(), false);
    else
        InvalidateClientRect(Rect(Width() - ScrollBarSize - 2, 0, Width(), Height()), false);
}
