// The edits' page: framed edits in their states (plain, own flat and bold
// frames, read-only, disabled), spin edits (vertical, horizontal with
// decimals, read-only) and button edits (folder button, a pair of buttons,
// read-only with the buttons hidden).

#include "controls/TarqBtnEdt.h"
#include "controls/TarqEdit.h"
#include "controls/TarqSpnEdt.h"

#include "platform/backend/Gallery.h"

namespace {

template <class T>
T* Place(TCustomForm& form, TRect bounds, const std::string& text = {})
{
    auto* control = new T(&form);
    control->SetBoundsRect(bounds);
    control->SetParent(&form);
    if (!text.empty())
        control->SetText(text);
    return control;
}

void AddFramedEdits(TCustomForm& form)
{
    Place<TTarqEdit>(form, Bounds(10, 10, 90, 21), "Plain");
    auto* flat = Place<TTarqEdit>(form, Bounds(110, 10, 90, 21), "Flat frame");
    flat->SetFramingPreference(fpCustomFraming);
    flat->SetFrameVisible(true);
    flat->SetFrameColor(clNavy);
    auto* bold = Place<TTarqEdit>(form, Bounds(210, 10, 90, 21), "Bold frame");
    bold->SetFramingPreference(fpCustomFraming);
    bold->SetFrameVisible(true);
    bold->SetFrameStyle(fsFlatBold);
    bold->SetFrameColor(clMaroon);
    auto* readOnly = Place<TTarqEdit>(form, Bounds(10, 40, 90, 21), "Read-only");
    readOnly->SetReadOnly(true);
    auto* disabled = Place<TTarqEdit>(form, Bounds(110, 40, 90, 21), "Disabled");
    disabled->SetEnabled(false);
}

void AddSpinEdits(TCustomForm& form)
{
    auto* plain = Place<TTarqSpinEdit>(form, Bounds(10, 75, 60, 21));
    plain->SetMax(10000);
    plain->SetValue(640);
    auto* decimals = Place<TTarqSpinEdit>(form, Bounds(80, 75, 90, 21));
    decimals->SetIntegersOnly(false);
    decimals->SetDecimals(2);
    decimals->SetOrientation(orHorizontal);
    decimals->SetDirection(sdLeftRight);
    decimals->SetValue(1.5);
    auto* readOnly = Place<TTarqSpinEdit>(form, Bounds(180, 75, 60, 21));
    readOnly->SetValue(25);
    readOnly->SetReadOnly(true);
}

void AddButtonEdits(TCustomForm& form)
{
    auto* folder = Place<TTarqButtonEdit>(form, Bounds(10, 110, 140, 21), "/home/videos");
    folder->SetButtonKind(bkFolder);
    auto* pair = Place<TTarqButtonEdit>(form, Bounds(160, 110, 140, 21), "clip.mp4");
    pair->SetButtonKind(bkFind);
    pair->SetAltBtnKind(bkReject);
    pair->SetAltBtnVisible(true);
    auto* readOnly = Place<TTarqButtonEdit>(form, Bounds(10, 140, 140, 21), "Read-only");
    readOnly->SetReadOnly(true);
}

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = NewGalleryForm(320, 175);
    AddFramedEdits(*form);
    AddSpinEdits(*form);
    AddButtonEdits(*form);
    return form;
}

const bool registered = RegisterGalleryPage({
    "edits",
    CreatePage,
    {
        {{110, 10}, clNavy}, // the flat frame's corner
        {{211, 11}, clMaroon}, // the bold frame's inner ring
        {{150, 50}, clBtnFace}, // inside the disabled edit
        {{20, 50}, clInfoBk}, // inside the read-only edit
        {{5, 170}, clBtnFace},
    },
});

} // namespace
