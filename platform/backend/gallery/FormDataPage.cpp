// A picture that travelled through a form resource: an image drawn in code
// is written into the form's text as binary {...} data, and the page shows
// the form read back from that text.

#include "platform/backend/Gallery.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/FormResources.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"

namespace {

// Red and blue halves with a green bar across.
void DrawSample(TBitmap& bitmap)
{
    bitmap.SetSize(120, 80);
    TCanvas* canvas = bitmap.Canvas();
    const std::pair<TRect, TColor> parts[] = {{Rect(0, 0, 60, 80), clRed},
                                              {Rect(60, 0, 120, 80), clBlue},
                                              {Rect(0, 35, 120, 45), clLime}};
    for (const auto& [rect, color] : parts) {
        canvas->Brush()->SetColor(color);
        canvas->FillRect(rect);
    }
}

std::unique_ptr<TCustomForm> CreateFormDataPage()
{
    auto original = NewGalleryForm(280, 120);
    auto* image = new TImage(original.get());
    image->SetName("Picture");
    image->SetParent(original.get());
    image->SetBounds(10, 20, 120, 80);
    DrawSample(*image->Picture()->Bitmap());
    auto* note = new TLabel(original.get());
    note->SetName("Note");
    note->SetParent(original.get());
    note->SetBounds(140, 52, 130, 16);
    note->SetCaption("Read from form data");

    auto copy = NewGalleryForm(280, 120);
    ReadComponentText(copy.get(), WriteComponentText(original.get(), nullptr), nullptr);
    return copy;
}

const bool registered = RegisterGalleryPage({
    "form-data",
    CreateFormDataPage,
    {{{5, 5}, clBtnFace}, {{40, 30}, clRed}, {{100, 30}, clBlue}, {{40, 60}, clLime}},
});

} // namespace
