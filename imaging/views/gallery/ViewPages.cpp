// The image view's pages: a test card zoomed and scrolled with both scroll
// bars, and the background styles and wallpaper modes side by side.

#include "imaging/core/QkBitmap.h"
#include "imaging/views/BrelvixView.h"
#include "platform/backend/Gallery.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Picture.h"

namespace {

// ---- view-geometry ----

constexpr int32_t CardSize = 1000;
constexpr TColor TopLeft = RGB(200, 40, 40);
constexpr TColor TopRight = RGB(40, 160, 60);
constexpr TColor BottomLeft = RGB(40, 70, 200);
constexpr TColor BottomRight = RGB(230, 200, 40);
constexpr TColor GridLine = RGB(255, 255, 255);
constexpr int32_t GeometryZoom = 400;
// The view's frame (2) and its bars (16) leave a 380 x 280 client area.
constexpr int32_t ClientWidth = 380;
constexpr int32_t ClientHeight = 280;
constexpr TPoint ClientCentre{2 + ClientWidth / 2, 2 + ClientHeight / 2};

// Four coloured quadrants under a white grid every 100 pixels.
void DrawTestCard(TBitmap& card)
{
    card.SetSize(CardSize, CardSize);
    TCanvas& canvas = *card.Canvas();
    const int32_t half = CardSize / 2;
    canvas.FillSolidRect(Rect(0, 0, half, half), TopLeft);
    canvas.FillSolidRect(Rect(half, 0, CardSize, half), TopRight);
    canvas.FillSolidRect(Rect(0, half, half, CardSize), BottomLeft);
    canvas.FillSolidRect(Rect(half, half, CardSize, CardSize), BottomRight);
    for (int32_t at = 0; at < CardSize; at += 100) {
        canvas.FillSolidRect(Rect(at, 0, at + 1, CardSize), GridLine);
        canvas.FillSolidRect(Rect(0, at, CardSize, at + 1), GridLine);
    }
}

std::unique_ptr<TCustomForm> CreateGeometryPage()
{
    auto form = NewGalleryForm(400, 300);
    auto* view = new TBrelvixView(form.get());
    view->SetParent(form.get());
    view->SetBounds(0, 0, 400, 300);
    DrawTestCard(*view->GetLegacyBitmap());
    view->Update();
    view->ChangeZoom(GeometryZoom);
    // The card's middle at the centre of the client area.
    const int32_t middle = CardSize / 2 * GeometryZoom / 100;
    view->SetViewXY(middle - ClientWidth / 2, middle - ClientHeight / 2);
    return form;
}

TPoint FromCentre(int32_t dx, int32_t dy) { return {ClientCentre.X + dx, ClientCentre.Y + dy}; }

const bool geometryRegistered = RegisterGalleryPage({
    "view-geometry",
    CreateGeometryPage,
    {
        {FromCentre(-20, -30), TopLeft},
        {FromCentre(20, -30), TopRight},
        {FromCentre(-20, 30), BottomLeft},
        {FromCentre(20, 30), BottomRight},
        // Both bars, and the corner between them.
        {{2 + ClientWidth + 8, 2 + ClientHeight + 8}, clBtnFace},
    },
});

// ---- view-backgrounds ----

constexpr int32_t CellWidth = 80;
constexpr int32_t CellHeight = 60;
constexpr int32_t Pitch = 90;
constexpr int32_t Columns = 6;
constexpr TColor Background = RGB(40, 90, 160);
constexpr TColor Complement = 0xFFFFFF ^ Background;
constexpr TColor ImageColour = RGB(250, 250, 250);
constexpr TColor WallPaperColour = RGB(210, 40, 200);
constexpr int32_t WallPaperSide = 20;
constexpr int32_t StyleCount = 14;

TPoint Cell(int32_t index, int32_t x, int32_t y)
{
    return {5 + (index % Columns) * Pitch + x, 5 + (index / Columns) * (CellHeight + 10) + y};
}

TBrelvixView& AddCell(TForm& form, int32_t index)
{
    auto* view = new TBrelvixView(&form);
    view->SetBorderStyle(bsNone);
    view->SetParent(&form);
    const TPoint corner = Cell(index, 0, 0);
    view->SetBounds(corner.X, corner.Y, CellWidth, CellHeight);
    TBitmap& image = *view->GetLegacyBitmap();
    image.SetSize(30, 20);
    image.Canvas()->FillSolidRect(Rect(0, 0, 30, 20), ImageColour);
    view->SetBackground(Background);
    return *view;
}

std::unique_ptr<TCustomForm> CreateBackgroundsPage()
{
    auto form = NewGalleryForm(Columns * Pitch + 5, 3 * (CellHeight + 10) + 5);
    for (int32_t style = 0; style < StyleCount; ++style)
        AddCell(*form, style).SetBackgroundStyle(static_cast<TQkBackgroundStyle>(style));
    TBitmap tile(WallPaperSide, WallPaperSide);
    tile.Canvas()->FillSolidRect(Rect(0, 0, WallPaperSide, WallPaperSide), WallPaperColour);
    TPicture wallPaper;
    wallPaper.SetGraphic(&tile);
    for (const TQkWallPaperStyle mode : {qkwoNormal, qkwoStretch, qkwoTile}) {
        TBrelvixView& view = AddCell(*form, StyleCount + mode);
        view.SetWallPaper(&wallPaper);
        view.SetWallPaperStyle(mode);
    }
    return form;
}

const bool backgroundsRegistered = RegisterGalleryPage({
    "view-backgrounds",
    CreateBackgroundsPage,
    {
        {Cell(qkbsSolid, 2, 2), Background},
        {Cell(qkbsChessboard, 2, 2), Background},
        {Cell(qkbsChessboard, 18, 2), Complement},
        {Cell(qkbsCropped, 2, 2), clBtnFace},
        {Cell(qkbsPhotoLike, 2, 2), RGB(0xB0, 0xB0, 0xB0)},
        {Cell(qkbsPhotoLike, 40, 30), ImageColour},
        {Cell(StyleCount + qkwoNormal, 2, 2), WallPaperColour},
        {Cell(StyleCount + qkwoNormal, 75, 55), Background},
        {Cell(StyleCount + qkwoStretch, 75, 55), WallPaperColour},
        {Cell(StyleCount + qkwoTile, 75, 55), WallPaperColour},
    },
});

} // namespace
