// The buttons' page: bitmap buttons (plain, with a caption beside a glyph,
// greyed when disabled, a stay-down pair of a group), check boxes in their
// states (hot-tracked squares, a classic grayed box, a disabled one) and
// the control buttons of compound controls (glyph face, arrows, drop-down,
// flat and disabled).

#include "controls/TarqBmpBtn.h"
#include "controls/TarqButton.h"
#include "controls/TarqRadChk.h"

#include "platform/backend/Gallery.h"

namespace {

// A rounded plate with a play triangle on the olive transparent colour.
std::unique_ptr<TBitmap> PlateArt(int32_t width, int32_t height, TColor face)
{
    auto bitmap = std::make_unique<TBitmap>(width, height);
    TCanvas& canvas = *bitmap->Canvas();
    canvas.FillSolidRect(Rect(0, 0, width, height), clOlive);
    canvas.Pen()->SetColor(clBlack);
    canvas.Brush()->SetColor(face);
    canvas.RoundRect(0, 0, width, height, 8, 8);
    canvas.Brush()->SetColor(clBlack);
    const int32_t cy = height / 2;
    canvas.Polygon({{8, cy - 5}, {8, cy + 5}, {16, cy}});
    return bitmap;
}

template <class T>
T* Place(TCustomForm& form, TRect bounds)
{
    auto* control = new T(&form);
    control->SetBoundsRect(bounds);
    control->SetParent(&form);
    return control;
}

void AddBitmapButtons(TCustomForm& form)
{
    auto* plain = Place<TTarqBmpButton>(form, Bounds(10, 10, 80, 30));
    plain->Bitmaps()->SetUp(PlateArt(72, 24, 0xE0A040).get());
    plain->SetShowFocus(false);
    plain->SetShowDownPattern(false);

    auto* captioned = Place<TTarqBmpButton>(form, Bounds(100, 10, 96, 30));
    captioned->SetButtonSize(bszNeither);
    captioned->SetButtonBorder(bbButton);
    captioned->SetCaption("Convert");
    captioned->Bitmaps()->SetUp(PlateArt(20, 20, clLime).get());

    auto* disabled = Place<TTarqBmpButton>(form, Bounds(206, 10, 80, 30));
    disabled->Bitmaps()->SetUp(PlateArt(72, 24, 0xE0A040).get());
    disabled->SetEnabled(false);

    for (int32_t i = 0; i < 2; ++i) {
        auto* grouped = Place<TTarqBmpButton>(form, Bounds(10 + 70 * i, 50, 64, 26));
        grouped->SetButtonSize(bszNeither);
        grouped->SetButtonBorder(bbSingle);
        grouped->SetGroupIndex(1);
        grouped->SetCaption(i == 0 ? "Down" : "Up");
        grouped->SetDown(i == 0);
    }
}

TTarqCheckBox* AddCheckBox(TCustomForm& form, TRect bounds, const std::string& caption, TCheckBoxState state)
{
    auto* box = Place<TTarqCheckBox>(form, bounds);
    box->SetCaption(caption);
    box->SetAllowGrayed(true);
    box->SetState(state);
    return box;
}

void AddCheckBoxes(TCustomForm& form)
{
    AddCheckBox(form, Bounds(10, 90, 90, 17), "Stretch", cbUnchecked)->SetHotTrack(true);
    AddCheckBox(form, Bounds(110, 90, 110, 17), "Watermark", cbChecked)->SetHotTrack(true);
    AddCheckBox(form, Bounds(10, 112, 90, 17), "Cut clip", cbGrayed);
    TTarqCheckBox* raised = AddCheckBox(form, Bounds(110, 112, 110, 17), "Raised", cbChecked);
    raised->SetTextStyle(tsRaised);
    AddCheckBox(form, Bounds(230, 90, 80, 17), "Disabled", cbChecked)->SetEnabled(false);
}

void AddControlButtons(TCustomForm& form)
{
    auto glyph = std::make_unique<TBitmap>(8, 8);
    glyph->Canvas()->FillSolidRect(Rect(0, 0, 8, 8), clOlive);
    glyph->Canvas()->FillSolidRect(Rect(1, 1, 7, 7), clRed);
    const TTarqControlButtonStyle styles[] = {cbsNone, cbsUp, cbsDown, cbsLeft, cbsRight, cbsDropDown};
    int32_t x = 10;
    for (TTarqControlButtonStyle style : styles) {
        auto* button = Place<TTarqControlButton>(form, Bounds(x, 145, 17, 21));
        button->SetStyle(style);
        if (style == cbsNone)
            button->SetGlyph(glyph.get());
        x += 22;
    }
    auto* flat = Place<TTarqControlButton>(form, Bounds(x, 145, 17, 21));
    flat->SetStyle(cbsDropDown);
    flat->SetFlat(true);
    auto* disabled = Place<TTarqControlButton>(form, Bounds(x + 22, 145, 17, 21));
    disabled->SetStyle(cbsDown);
    disabled->SetEnabled(false);
}

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = NewGalleryForm(320, 180);
    AddBitmapButtons(*form);
    AddCheckBoxes(*form);
    AddControlButtons(*form);
    return form;
}

const bool registered = RegisterGalleryPage({
    "buttons",
    CreatePage,
    {
        {{50, 25}, 0xE0A040}, // the plain bitmap button's plate
        {{16, 98}, clWindow}, // inside the unchecked hot-tracked square
        {{10 + 8, 145 + 10}, clRed}, // the control button's glyph
        {{5, 5}, clBtnFace},
    },
});

} // namespace
