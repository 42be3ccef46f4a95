// Check boxes in their states (one captioned in Persian), and the font and colour dialogs.

#include "platform/backend/Gallery.h"
#include "platform/gfx/FontLookup.h"
#include "platform/ui/CheckBox.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/FontDialog.h"

namespace {

TCheckBox* AddCheckBox(TForm& form, const char* caption, const TRect& bounds, TCheckBoxState state)
{
    auto* box = new TCheckBox(&form);
    box->SetParent(&form);
    box->SetBoundsRect(bounds);
    box->SetCaption(caption);
    box->SetAllowGrayed(true);
    box->SetState(state);
    return box;
}

std::unique_ptr<TCustomForm> CreateCheckBoxesPage()
{
    auto form = NewGalleryForm(220, 100);
    AddCheckBox(*form, "&Unchecked", Bounds(10, 10, 100, 17), cbUnchecked);
    AddCheckBox(*form, "&Checked", Bounds(10, 32, 100, 17), cbChecked);
    AddCheckBox(*form, "&Grayed", Bounds(10, 54, 100, 17), cbGrayed);
    AddCheckBox(*form, "&Disabled", Bounds(10, 76, 100, 17), cbChecked)->SetEnabled(false);
    AddCheckBox(*form, "&Left text", Bounds(115, 10, 95, 17), cbChecked)->SetAlignment(taLeftJustify);
    // Persian "preview", joined and right to left.
    AddCheckBox(*form, "پيش نمايش", Bounds(115, 32, 95, 17), cbChecked);
    return form;
}

// The box's inside starts 2 pixels in; the mark's third column has a pixel
// 8 rows below the box's top.
const bool checkBoxesRegistered = RegisterGalleryPage({
    "check-boxes",
    CreateCheckBoxesPage,
    {{{12, 14}, clWindow},
     {{15, 42}, clWindowText},
     {{15, 64}, clBtnShadow},
     {{12, 80}, clBtnFace},
     {{15, 86}, clBtnShadow},
     {{4, 4}, clBtnFace}},
});

const bool colorDialogRegistered = RegisterGalleryPage({
    "color-dialog",
    [] { return std::unique_ptr<TCustomForm>(std::make_unique<TColorDialogForm>(nullptr, BasicColors()[21])); },
    // The sample in the chosen colour, the first swatch in its own.
    {{{322, 54}, BasicColors()[21]}, {{21, 35}, BasicColors()[0]}, {{4, 4}, clBtnFace}},
});

const bool fontDialogRegistered = RegisterGalleryPage({
    "font-dialog",
    [] {
        TFont font;
        font.SetName("DejaVu Serif");
        font.SetSize(16);
        font.SetStyle({fsBold, fsItalic});
        return std::unique_ptr<TCustomForm>(std::make_unique<TFontDialogForm>(nullptr, font, InstalledFontFamilies()));
    },
    // The sample's white inside, the form's face.
    {{{223, 133}, clWindow}, {{4, 4}, clBtnFace}},
});

} // namespace
