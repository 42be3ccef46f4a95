// The page control as the converter's output panel has it: rounded tabs over
// three white pages, the first one active, with the card's shadow; and the
// same control with its first tab dragged over the last, the arrow marking
// the drop place drawn above the control's edge.

#include "controls/TarqColors.h"
#include "controls/TarqPageControl.h"

#include "platform/backend/Gallery.h"

namespace {

std::unique_ptr<TCustomForm> CreatePageAt(int32_t top)
{
    auto form = NewGalleryForm(390, 200);

    auto* pages = new TTarqPageControl(form.get());
    pages->SetName("Pages");
    pages->SetBounds(10, top, 368, 171);
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

std::unique_ptr<TCustomForm> CreatePage() { return CreatePageAt(10); }

std::unique_ptr<TCustomForm> CreateDraggingPage()
{
    auto form = CreatePageAt(20);
    static_cast<TTarqPageControl*>(form->FindComponent("Pages"))->SetAllowTabDragging(true);
    return form;
}

TPoint TabCentre(const TTarqPageControl& pages, int32_t index)
{
    const TRect tab = pages.GetTabControlRect(index);
    return pages.ClientToScreen({(tab.Left + tab.Right) / 2, (tab.Top + tab.Bottom) / 2});
}

void PoseTabDrag(TCustomForm& form)
{
    auto* pages = static_cast<TTarqPageControl*>(form.FindComponent("Pages"));
    InjectDrag(TabCentre(*pages, 0), TabCentre(*pages, 2));
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

const bool dragging = RegisterGalleryPage({
    "tab-drop-indicator",
    CreateDraggingPage,
    // The arrow over the last tab's corner: the face inverted with the shadow.
    {{{5, 5}, ColorToRGB(clBtnFace)}, {{195, 21}, ColorToRGB(clBtnFace) ^ ColorToRGB(clBtnShadow)}},
    PoseTabDrag,
});

} // namespace
