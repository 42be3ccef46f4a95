// The anti-aliased label's page: an opaque shadowed caption, a transparent
// one over the form's colour, and a gradient caption centred vertically.

#include "controls/aa/AACtrls.h"

#include "platform/backend/Gallery.h"

namespace {

TAALabel* AddLabel(TCustomForm& form, const std::string& caption, TRect bounds, int32_t height, TColor textColor)
{
    auto* label = new TAALabel(&form);
    label->SetStateFlag(csLoading, true);
    label->SetBoundsRect(bounds);
    label->SetParent(&form);
    label->SetCaption(caption);
    label->Font()->SetName("DejaVu Sans");
    label->Font()->SetHeight(height);
    label->Font()->SetStyle(TFontStyles{fsBold});
    label->Font()->SetColor(textColor);
    label->Effect()->SetQuality(aqHigh);
    label->Effect()->FontEffect()->Shadow()->SetEnabled(true);
    return label;
}

std::unique_ptr<TCustomForm> CreatePage()
{
    RegisterAAControls();
    auto form = NewGalleryForm(320, 150, clNavy);

    TAALabel* opaque = AddLabel(*form, "Anti-aliased", Rect(10, 10, 310, 54), -28, clBlack);
    opaque->SetAutoSize(false);
    opaque->SetColor(clWhite);

    TAALabel* transparent = AddLabel(*form, "Change Language", Rect(10, 64, 56, 76), -18, clWhite);
    transparent->Effect()->SetTransparent(true);

    TAALabel* gradient = AddLabel(*form, "Source", Rect(10, 100, 310, 140), -22, clBlack);
    gradient->SetAutoSize(false);
    gradient->SetColor(clSilver);
    gradient->Effect()->SetLayout(tlCenter);
    TAAGradual& gradual = *gradient->Effect()->FontEffect()->Gradual();
    gradual.SetEnabled(true);
    gradual.SetStyle(gsBottomToTop);
    gradual.SetStartColor(0x00F1AB47);
    gradual.SetEndColor(clBlack);

    for (TAALabel* label : {opaque, transparent, gradient})
        label->Loaded();
    return form;
}

const bool registered = RegisterGalleryPage({
    "aa-label",
    CreatePage,
    {{{5, 5}, clNavy}, {{306, 50}, clWhite}, {{300, 70}, clNavy}, {{306, 104}, clSilver}},
});

} // namespace
