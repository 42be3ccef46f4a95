// Docking: a panel holding two docked clients under caption bars (the
// window-less one in the active caption colours, the other inactive), and a
// page control whose second page is a docked panel. A second page shows a
// dock drag in progress: the outline of a panel about to dock beside another.

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

std::unique_ptr<TCustomForm> CreateDockOutlinePage()
{
    auto form = NewGalleryForm(390, 200);
    auto* site = new TTarqPanel(form.get());
    site->SetName("Site");
    site->SetBounds(10, 10, 220, 180);
    site->SetBorderOuter(fsFlat);
    site->SetParent(form.get());
    site->SetDockSite(true);
    WhitePanel(form.get(), "Layers")->ManualDock(site);

    TTarqPanel* tools = WhitePanel(form.get(), "Tools");
    tools->SetName("Tools");
    tools->SetBounds(250, 10, 120, 80);
    tools->SetParent(form.get());
    tools->SetDragKind(dkDock);
    tools->SetDragMode(dmAutomatic);
    return form;
}

// The tools panel held near the right edge of the docked panel's zone.
void PoseDockOutline(TCustomForm& form)
{
    auto* site = static_cast<TControl*>(form.FindComponent("Site"));
    auto* tools = static_cast<TControl*>(form.FindComponent("Tools"));
    InjectDrag(tools->ClientToScreen({60, 40}), site->ClientToScreen({200, 120}));
}

const bool outline = RegisterGalleryPage({
    "dock-outline",
    CreateDockOutlinePage,
    // The outline's left edge inverts the docked panel's white with grey; the
    // panel's left half stays white.
    {{{5, 5}, ColorToRGB(clBtnFace)}, {{123, 150}, clWhite ^ 0x808080}, {{50, 150}, clWhite}},
    PoseDockOutline,
});

const bool registered = RegisterGalleryPage({
    "docking",
    CreatePage,
    {{{5, 5}, ColorToRGB(clBtnFace)},
     {{130, 15}, ColorToRGB(clActiveCaption)},
     {{130, 105}, ColorToRGB(clInactiveCaption)},
     {{290, 120}, clWhite}},
});

} // namespace
