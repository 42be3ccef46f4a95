// Docking: a panel holding two docked clients under caption bars (the
// window-less one in the active caption colours, the other inactive), and a
// page control whose second page is a docked panel.

#include "controls/TarqPageControl.h"
#include "controls/TarqPanel.h"
#include "platform/ui/Label.h"

#include "platform/backend/Gallery.h"

namespace {

TTarqPanel* WhitePanel(TComponent* owner, const char* caption)
{
    auto* panel = new TTarqPanel(owner);
    panel->SetBorderOuter(fsNone);
    panel->SetColor(clWhite);
    panel->SetCaption(caption);
    return panel;
}

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 390, 200);
    form->SetColor(clBtnFace);

    auto* site = new TTarqPanel(form.get());
    site->SetBounds(10, 10, 180, 180);
    site->SetBorderOuter(fsFlat);
    site->SetParent(form.get());
    site->SetDockSite(true);
    auto* layers = new TLabel(form.get());
    layers->SetCaption("Layers");
    layers->ManualDock(site);
    WhitePanel(form.get(), "Tools")->ManualDock(site);

    auto* pages = new TTarqPageControl(form.get());
    pages->SetBounds(200, 10, 180, 180);
    pages->SetParent(form.get());
    pages->SetDockSite(true);
    auto* sheet = new TTarqTabSheet(form.get());
    sheet->SetCaption("Pages");
    sheet->SetPageControl(pages);
    // Its tab takes the caption the panel is given once docked.
    TTarqPanel* docked = WhitePanel(form.get(), "");
    docked->ManualDock(pages);
    docked->SetCaption("Docked");
    return form;
}

const bool registered = RegisterGalleryPage({
    "docking",
    CreatePage,
    {{{5, 5}, ColorToRGB(clBtnFace)},
     {{130, 15}, ColorToRGB(clActiveCaption)},
     {{130, 105}, ColorToRGB(clInactiveCaption)},
     {{290, 120}, clWhite}},
});

} // namespace
