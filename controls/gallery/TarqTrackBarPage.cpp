// The track bar's page: the converter's position slider with its own round
// thumb, and the drawn thumb styles (box with ticks and a selection, mixer,
// flat, the downward pointer, a vertical pointer).

#include "controls/TarqTrkBar.h"

#include "platform/backend/Gallery.h"

namespace {

// Three 18 x 18 images side by side: face, mask, disabled face.
std::unique_ptr<TBitmap> RoundThumb()
{
    auto bitmap = std::make_unique<TBitmap>(54, 18);
    TCanvas* canvas = bitmap->Canvas();
    canvas->FillSolidRect(Rect(0, 0, 54, 18), clBlack);
    canvas->FillSolidRect(Rect(18, 0, 36, 18), clWhite);
    const TColor fills[3] = {0xB06020, clBlack, clGray};
    for (int32_t part = 0; part < 3; ++part) {
        canvas->Pen()->SetColor(fills[part]);
        canvas->Brush()->SetColor(fills[part]);
        canvas->Ellipse(part * 18 + 1, 1, part * 18 + 17, 17);
    }
    return bitmap;
}

TTarqTrackBar* AddBar(TCustomForm& form, TRect bounds, TThumbStyle style, int32_t max, int32_t position)
{
    auto* bar = new TTarqTrackBar(&form);
    bar->SetBoundsRect(bounds);
    bar->SetParent(&form);
    bar->SetThumbStyle(style);
    bar->SetMax(max);
    bar->SetPosition(position);
    return bar;
}

void AddConverterBar(TCustomForm& form)
{
    TTarqTrackBar* bar = AddBar(form, Rect(10, 10, 426, 33), tsCustom, 100, 30);
    auto thumb = RoundThumb();
    bar->SetCustomThumb(thumb.get());
    bar->SetTrackWidth(4);
    bar->SetTrackOffset(10);
    bar->SetTrackFrame(fsFlat);
    bar->SetTrackFrameColor(0xB99D7F);
    bar->SetTrackColor(clWhite);
    bar->SetColor(clWhite);
    bar->SetSelColor(clLime);
    bar->SetShowTicks(false);
    bar->SetShowFocusRect(false);
}

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = NewGalleryForm(460, 260);

    AddConverterBar(*form);
    TTarqTrackBar* box = AddBar(*form, Rect(10, 45, 210, 90), tsBox, 20, 16);
    box->SetTickStep(2);
    box->SetSelEnd(12);
    box->SetSelStart(5);
    AddBar(*form, Rect(230, 45, 430, 90), tsMixer, 10, 3);
    AddBar(*form, Rect(10, 100, 210, 145), tsFlat, 10, 7)->SetHighlightColor(clRed);
    AddBar(*form, Rect(230, 100, 430, 145), tsPointer, 10, 5)->SetPointerType(ptWin95);
    AddBar(*form, Rect(10, 150, 55, 250), tsPointer, 10, 2);
    return form;
}

const bool registered = RegisterGalleryPage({
    "trackbar",
    CreatePage,
    // The converter's track ring and inside, its white face above the track,
    // and the box bar's selection inside its track.
    {{{110, 20}, 0xB99D7F}, {{110, 21}, clWhite}, {{210, 12}, clWhite}, {{96, 69}, 0x008080}},
});

} // namespace
