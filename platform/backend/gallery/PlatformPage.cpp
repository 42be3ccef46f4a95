// The window system's own page: a form with windowed and window-less
// children and a caption drawn with the canvas.

#include "platform/backend/Gallery.h"
#include "platform/gfx/Canvas.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ScrollBars.h"

namespace {

class TSwatchWindow : public TCustomControl {
public:
    TSwatchWindow(TComponent* owner, TColor color) : TCustomControl(owner) { SetColor(color); }
};

class TSwatchGraphic : public TGraphicControl {
public:
    TSwatchGraphic(TComponent* owner, TColor fill) : TGraphicControl(owner), fill_(fill) {}

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(fill_);
        Canvas()->FillRect(ClientRect());
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->Font()->SetColor(clWhite);
        Canvas()->TextOut(4, 4, "Aa");
    }

private:
    TColor fill_;
};

std::unique_ptr<TCustomForm> CreatePage()
{
    auto form = NewGalleryForm(240, 160);
    auto add = [&](TControl* control, TRect bounds) {
        control->SetBoundsRect(bounds);
        control->SetParent(form.get());
    };
    add(new TSwatchWindow(form.get(), clRed), Rect(10, 10, 60, 50));
    add(new TSwatchWindow(form.get(), clBlue), Rect(70, 10, 120, 50));
    add(new TSwatchGraphic(form.get(), clGreen), Rect(130, 10, 230, 50));
    auto* nested = new TSwatchWindow(form.get(), clWhite);
    add(nested, Rect(10, 60, 230, 150));
    auto* inner = new TSwatchGraphic(form.get(), clNavy);
    inner->SetBoundsRect(Rect(100, 20, 200, 80));
    inner->SetParent(nested);
    return form;
}

const bool registered = RegisterGalleryPage({
    "platform-windows",
    CreatePage,
    {{{5, 5}, clBtnFace},
     {{15, 15}, clRed},
     {{75, 45}, clBlue},
     {{228, 48}, clGreen},
     {{20, 70}, clWhite},
     {{200, 130}, clNavy}},
});

} // namespace

namespace {

const bool messageBoxRegistered = RegisterGalleryPage({
    "message-box",
    [] {
        return std::unique_ptr<TCustomForm>(
            CreateMessageDialog("Completed all the tasks. (0 Error)", "Information", mtInformation, {mbOK}, mbOK));
    },
    {{{4, 4}, clBtnFace}, {{32, 19}, RGB(40, 97, 209)}},
});

} // namespace

namespace {

class TScrolledView : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void CreateParams(TCreateParams& params) override
    {
        TCustomControl::CreateParams(params);
        params.Style |= WS_VSCROLL | WS_HSCROLL;
        params.ExStyle |= WS_EX_CLIENTEDGE;
    }
};

std::unique_ptr<TCustomForm> CreateScrollBarsPage()
{
    auto form = NewGalleryForm(220, 140);
    auto* bar = new TScrollBar(form.get());
    bar->SetBounds(10, 10, 200, ScrollBarSize);
    bar->SetParent(form.get());
    bar->SetPageSize(25);
    bar->SetPosition(50);
    auto* view = new TScrolledView(form.get());
    view->SetColor(clWhite);
    view->SetBounds(10, 40, 120, 90);
    view->SetParent(form.get());
    TScrollInfo info;
    info.Max = 99;
    info.Page = 50;
    info.Pos = 0;
    SetScrollInfo(*view, SB_VERT, info);
    SetScrollInfo(*view, SB_HORZ, info);
    return form;
}

const bool scrollBarsRegistered = RegisterGalleryPage({
    "scroll-bars",
    CreateScrollBarsPage,
    {{{20, 60}, clWhite}, {{10 + 120 - 2 - 8, 40 + 30}, clBtnFace}},
});

} // namespace
