// The framed controls' page: panels, progress bars, labels and separators
// in their main looks and states.

#include "controls/TarqLabel.h"
#include "controls/TarqPanel.h"
#include "controls/TarqProgressBar.h"
#include "controls/TarqSeparator.h"
#include "platform/backend/Gallery.h"

namespace {

template <class T>
T* Add(TCustomForm& form, TRect bounds)
{
    auto* control = new T(&form);
    control->SetBoundsRect(bounds);
    control->SetParent(&form);
    return control;
}

void AddPanels(TCustomForm& form)
{
    Add<TTarqPanel>(form, Rect(10, 10, 150, 60))->SetCaption("Raised");

    auto* rounded = Add<TTarqPanel>(form, Rect(160, 10, 300, 60));
    rounded->SetBorderOuter(fsFlatRounded);
    rounded->SetColor(clWhite);
    rounded->SetFlatColor(0xB99D7F);
    rounded->SetFlatColorAdjustment(0);
    rounded->SetCaption("Rounded");

    auto* gradient = Add<TTarqPanel>(form, Rect(310, 10, 450, 60));
    gradient->SetBorderOuter(fsFlat);
    gradient->SetVisualStyle(vsGradient);
    gradient->SetGradientDirection(gdDiagonalDown);
    gradient->SetShowGrid(true);
    gradient->SetGridStyle(gsDottedLines);

    auto* disabled = Add<TTarqPanel>(form, Rect(460, 10, 590, 60));
    disabled->SetBorderOuter(fsGroove);
    disabled->SetBorderInner(fsLowered);
    disabled->SetBorderWidth(2);
    disabled->SetCaption("Disabled");
    disabled->SetEnabled(false);
}

void AddProgressBars(TCustomForm& form)
{
    Add<TTarqProgressBar>(form, Rect(10, 70, 150, 90))->SetPercent(60);

    auto* led = Add<TTarqProgressBar>(form, Rect(160, 70, 300, 90));
    led->SetBarStyle(bsLED);
    led->SetPercent(40);

    auto* thin = Add<TTarqProgressBar>(form, Rect(310, 77, 569, 83));
    thin->SetBarStyle(bsGradient);
    thin->SetBorderOuter(fsFlat);
    thin->SetFlatColor(0xB99D7F);
    thin->SetFlatColorAdjustment(0);
    thin->SetShowPercent(false);
    thin->SetThemeAware(false);
    thin->SetPercent(70);

    auto* vertical = Add<TTarqProgressBar>(form, Rect(10, 100, 30, 200));
    vertical->SetBarStyle(bsGradient);
    vertical->SetGradientDirection(gdVerticalCenter);
    vertical->SetShowPercent(false);
    vertical->SetPercent(50);
}

TTarqLabel* AddLabel(TCustomForm& form, const std::string& caption, TPoint at)
{
    auto* label = Add<TTarqLabel>(form, Bounds(at.X, at.Y, 10, 10));
    label->Font()->SetName("DejaVu Sans");
    label->Font()->SetHeight(-14);
    label->SetCaption(caption);
    return label;
}

void AddLabels(TCustomForm& form)
{
    AddLabel(form, "Plain label", {40, 100});
    AddLabel(form, "Raised text", {40, 125})->SetTextStyle(tsRaised);
    auto* shadow = AddLabel(form, "Shadow text", {40, 150});
    shadow->SetTextStyle(tsShadow);
    shadow->SetShadowColor(clSilver);

    auto* framed = AddLabel(form, "00:00:00.000", {40, 180});
    framed->SetBorderOuter(fsFlat);
    framed->SetEnabled(false);

    auto* rotated = AddLabel(form, "Rotated", {200, 100});
    rotated->SetAngle(90);

    auto* slanted = AddLabel(form, "Slanted", {240, 100});
    slanted->SetAngle(30);

    auto* curved = AddLabel(form, "Curved caption", {340, 95});
    curved->SetAutoSize(false);
    curved->SetBounds(340, 95, 140, 140);
    curved->SetRotation(roCurve);
    curved->SetAngle(300);
    curved->SetBorderOuter(fsFlatRounded);
    curved->SetColor(clWhite);
}

void AddSeparators(TCustomForm& form)
{
    auto* centre = Add<TTarqSeparator>(form, Rect(40, 250, 456, 251));
    centre->SetColor(clWhite);
    auto* end = Add<TTarqSeparator>(form, Rect(40, 260, 456, 262));
    end->SetHighlightLocation(hlUpperLeft);
    auto* vertical = Add<TTarqSeparator>(form, Rect(500, 100, 502, 300));
    vertical->SetOrientation(orVertical);
    vertical->SetBounds(500, 100, 2, 200);
}

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = NewGalleryForm(600, 310);
    AddPanels(*form);
    AddProgressBars(*form);
    AddLabels(*form);
    AddSeparators(*form);
    return form;
}

const bool registered = RegisterGalleryPage({
    "tarq-controls",
    CreatePage,
    {
        {{11, 35}, clWhite}, // raised panel's inner highlight
        {{160, 10}, RGB(212, 208, 200)}, // the rounded panel's cut corner shows the form
        {{162, 10}, 0xB99D7F}, // its rounded outline
        {{14, 73}, RGB(10, 36, 106)}, // the plain bar's fill
        {{311, 81}, RGB(10, 36, 106)}, // the thin bar's gradient starts at its edge
        {{310, 77}, 0xB99D7F}, // the thin bar's ring
        {{248, 250}, RGB(10, 36, 106)}, // the separator's highlight in the middle
    },
});

} // namespace
