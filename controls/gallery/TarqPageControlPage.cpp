// The page control as the converter's output panel has it: rounded tabs over
// three white pages, the first one active, with the card's shadow.

#include "controls/TarqColors.h"
#include "controls/TarqPageControl.h"

#include "platform/backend/Gallery.h"

namespace {

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = NewGalleryForm(390, 200);

    auto* pages = new TTarqPageControl(form.get());
    pages->SetBounds(10, 10, 368, 171);
    pages->SetParent(form.get());
    pages->SetTabStyle(tsRoundCorners);
    for (const char* caption : {"Normal", "Watermark", "Edit"}) {
        auto* sheet = new TTarqTabSheet(form.get());
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
        sheet->SetColor(clWhite);
    }
    pages->SetActivePageIndex(0);
    return form;
}

const bool registered = RegisterGalleryPage({
    "page-control",
    CreatePage,
    {{{5, 5}, ColorToRGB(clBtnFace)},
     {{210, 110}, clWhite},
     {{375, 110}, ColorToRGB(clBtnShadow)},
     {{376, 110}, MixColors(clBlack, ColorToRGB(clBtnFace), 30)},
     {{377, 110}, MixColors(clBlack, ColorToRGB(clBtnFace), 15)}},
});

} // namespace
