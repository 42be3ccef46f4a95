// The image view's layer pages: three layers over a card with the current
// one's box and grips, a turned layer and a round lens; and the version
// banner in the corner of a view.

#include "imaging/core/QkBitmap.h"
#include "imaging/views/BrelvixView.h"
#include "platform/backend/Gallery.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

constexpr int32_t PageWidth = 400;
constexpr int32_t PageHeight = 300;
constexpr TColor CardLeft = RGB(40, 70, 200);
constexpr TColor CardRight = RGB(230, 200, 40);
constexpr TColor Stripe = RGB(255, 255, 255);
constexpr TColor BoxLayer = RGB(200, 30, 30);
constexpr TColor TurnedLayer = RGB(30, 160, 60);
constexpr TPoint BoxCorner{40, 40};

TBrelvixView* NewPageView(TCustomForm& form)
{
    auto* view = new TBrelvixView(&form);
    view->SetBorderStyle(bsNone);
    view->SetParent(&form);
    view->SetBounds(0, 0, PageWidth, PageHeight);
    return view;
}

// Two halves with white stripes every 20 pixels, so a lens shows its zoom.
void DrawCard(TBitmap& card)
{
    card.SetSize(PageWidth, PageHeight);
    TCanvas& canvas = *card.Canvas();
    canvas.FillSolidRect(Rect(0, 0, PageWidth / 2, PageHeight), CardLeft);
    canvas.FillSolidRect(Rect(PageWidth / 2, 0, PageWidth, PageHeight), CardRight);
    for (int32_t x = 0; x < PageWidth; x += 20)
        canvas.FillSolidRect(Rect(x, 0, x + 2, PageHeight), Stripe);
}

std::unique_ptr<TQkBitmap> Solid(int32_t width, int32_t height, TColor colour)
{
    auto bitmap = std::make_unique<TQkBitmap>(width, height, qk24RGB);
    bitmap->Fill(colour);
    return bitmap;
}

std::unique_ptr<TCustomForm> CreateLayersPage()
{
    auto form = NewGalleryForm(PageWidth, PageHeight);
    TBrelvixView* view = NewPageView(*form);
    DrawCard(*view->GetLegacyBitmap());
    view->Update();
    const int32_t boxed = view->AddLayer(Solid(80, 60, BoxLayer));
    view->Layer(boxed).Left = BoxCorner.X;
    view->Layer(boxed).Top = BoxCorner.Y;
    const int32_t turned = view->AddLayer(Solid(90, 40, TurnedLayer));
    view->Layer(turned).Left = 240;
    view->Layer(turned).Top = 60;
    const int32_t lens = view->AddLayer(Solid(100, 100, clBlack));
    TQkLayer& lensLayer = view->Layer(lens);
    lensLayer.Left = 150;
    lensLayer.Top = 160;
    lensLayer.LensEnabled = true;
    lensLayer.LensShape = 1;
    view->ShowAllLayerBoxes = true;
    view->SetCurrentLayer(boxed);
    // Leaving rotation bakes angles: the turn comes after the interaction set.
    view->SetMouseInteract({miMoveLayers, miResizeLayers});
    view->Layer(turned).SetAngle(30);
    view->Update();
    return form;
}

const bool layersRegistered = RegisterGalleryPage({
    "view-layers",
    CreateLayersPage,
    {
        {{80, 70}, BoxLayer},
        {{10, 280}, CardLeft},
        {{390, 280}, CardRight},
        // The lens's corner lies outside its round shape.
        {{151, 161}, CardLeft},
    },
});

constexpr TColor LegacyImage = RGB(60, 90, 150);

std::unique_ptr<TCustomForm> CreateLegacyPage()
{
    auto form = NewGalleryForm(PageWidth, PageHeight);
    TBrelvixView* view = NewPageView(*form);
    TBitmap& image = *view->GetLegacyBitmap();
    image.SetSize(PageWidth, PageHeight);
    image.Canvas()->FillSolidRect(Rect(0, 0, PageWidth, PageHeight), LegacyImage);
    view->Update();
    view->SetDrawVersion(true);
    return form;
}

const bool legacyRegistered = RegisterGalleryPage({
    "view-legacy",
    CreateLegacyPage,
    {
        // The banner's white box reaches the client's last pixel.
        {{PageWidth - 1, PageHeight - 1}, clWhite},
        {{10, 10}, LegacyImage},
        {{PageWidth - 1, 10}, LegacyImage},
    },
});

} // namespace
