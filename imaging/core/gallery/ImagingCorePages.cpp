// The imaging core's pages: the canvas's shapes drawn plainly and
// anti-aliased side by side with the hatches, both hint boxes and the three
// shadow kinds; and the palette dialog.

#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkDrawing.h"
#include "imaging/core/QkHintBox.h"
#include "imaging/core/QkPaletteDialog.h"
#include "platform/backend/Gallery.h"
#include "platform/ui/Controls.h"

namespace {

constexpr TColor HintColor = RGB(255, 255, 225);
constexpr int32_t AntiAliasedLeft = 330;
constexpr int32_t HatchTop = 170;
constexpr int32_t HintTop = 230;
constexpr int32_t ShadowTop = 300;

void DrawShapes(TCanvas& canvas, int32_t left, bool antiAliased)
{
    TQkCanvas c(canvas, true, antiAliased);
    c.Pen().SetColor(clNavy);
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(2.5f);
    c.Brush().SetColor(clYellow);
    c.Ellipse(left, 10, left + 90, 80);
    c.Polygon({{left + 100, 80}, {left + 150, 10}, {left + 200, 80}});
    c.RoundRect(left + 210, 10, left + 300, 80, 24, 24);
    c.Pen().SetWidth(1);
    c.Pen().SetStyle(psDash);
    c.Arc(left, 90, left + 90, 150, left + 90, 120, left, 120);
    c.DrawLine(left + 100, 150, left + 200, 95);
    c.Brush().SetColor(clGreen);
    c.Brush().SetOpacity(128);
    c.Pen().SetStyle(psClear);
    c.Rectangle(left + 210, 95, left + 300, 150);
}

void DrawHatches(TCanvas& canvas)
{
    TQkCanvas c(canvas, true, true);
    c.Pen().SetStyle(psClear);
    c.Brush().SetColor(clBlack);
    c.Brush().SetHatchBackColor(clWhite);
    c.Brush().SetHatchBackOpacity(255);
    const TBrushStyle styles[] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
    int32_t left = 10;
    for (const TBrushStyle style : styles) {
        c.Brush().SetStyle(style);
        c.FillRect(Rect(left, HatchTop, left + 41, HatchTop + 41));
        left += 50;
    }
}

void DrawHintBoxes(TCanvas& canvas)
{
    TFont font;
    font.SetName("DejaVu Sans");
    font.SetHeight(-12);
    TBrush brush;
    brush.SetColor(HintColor);
    TBitmap saved;
    int32_t x = 10, y = HintTop;
    DrawHintBox(canvas, x, y, "Hint box", font, brush, saved, 640, 400, clWhite, clGray);
    x = 200;
    DrawAlphaHintBox(canvas, x, y, "Semi-transparent hint box", "over the page");
}

void DrawShadows(TCanvas& canvas)
{
    for (int32_t kind = 1; kind <= 3; ++kind) {
        const int32_t left = 10 + (kind - 1) * 120;
        canvas.Brush()->SetColor(clBlue);
        canvas.FillRect(Rect(left, ShadowTop, left + 60, ShadowTop + 40));
        Draw3DFrame(canvas, Rect(left, ShadowTop, left + 59, ShadowTop + 39), clSilver, clBlack);
        canvas.Brush()->SetColor(clGray);
        DrawRightShadow(canvas, nullptr, left + 60, ShadowTop, left + 69, ShadowTop + 39, kind);
        DrawBottomShadow(canvas, nullptr, left, ShadowTop + 40, left + 59, ShadowTop + 49, kind);
    }
}

class TDrawingBoard : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;

protected:
    void Paint() override
    {
        TCanvas& canvas = *Canvas();
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect(ClientRect());
        DrawShapes(canvas, 10, false);
        DrawShapes(canvas, AntiAliasedLeft, true);
        DrawHatches(canvas);
        DrawHintBoxes(canvas);
        DrawShadows(canvas);
    }
};

std::unique_ptr<TCustomForm> CreateDrawingPage()
{
    LoadGdiPlus();
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 640, 400);
    auto* board = new TDrawingBoard(form.get());
    board->SetBoundsRect(Rect(0, 0, 640, 400));
    board->SetParent(form.get());
    return form;
}

const bool drawingRegistered = RegisterGalleryPage({
    "imaging-canvas",
    CreateDrawingPage,
    {
        {{55, 45}, clYellow}, // plain ellipse
        {{AntiAliasedLeft + 45, 45}, clYellow}, // anti-aliased ellipse
        {{AntiAliasedLeft + 255, 45}, clYellow}, // anti-aliased rounded rectangle
        {{216, HatchTop + 16}, clBlack}, // a line of the cross hatch
        {{219, HatchTop + 19}, clWhite}, // its background
        {{17, HintTop + 7}, HintColor}, // inside the hint box
        {{10 + 65, ShadowTop + 20}, clGray}, // kind 1: the brush
        {{130 + 60, ShadowTop + 20}, RGB(51, 51, 51)}, // kind 2: white darkened to 0.2
        {{250 + 60, ShadowTop + 30}, RGB(93, 93, 93)}, // kind 3: the gradient
    },
});

std::vector<TRGBPixel> GalleryPalette()
{
    std::vector<TRGBPixel> colours;
    for (int32_t i = 0; i < 256; ++i)
        colours.push_back(MakeRGBPixel(uint8_t((i % 16) * 17), uint8_t((i / 16) * 17), uint8_t(255 - i)));
    return colours;
}

std::unique_ptr<TCustomForm> CreatePalettePage()
{
    auto dialog = std::make_unique<TBrelvixPaletteDialog>(nullptr);
    const std::vector<TRGBPixel> colours = GalleryPalette();
    dialog->SetPalette(colours.data(), static_cast<int32_t>(colours.size()));
    return dialog;
}

TPoint CellCentre(int32_t index)
{
    const TRect cell = TBrelvixPaletteDialog::CellRect(index);
    return {cell.Left + 7, cell.Top + 7};
}

const bool paletteRegistered = RegisterGalleryPage({
    "palette-dialog",
    CreatePalettePage,
    {
        {CellCentre(0), RGBPixelToColor(GalleryPalette()[0])},
        {CellCentre(37), RGBPixelToColor(GalleryPalette()[37])},
        {CellCentre(255), RGBPixelToColor(GalleryPalette()[255])},
        {TBrelvixPaletteDialog::CellRect(37).TopLeft(), clWhite},
    },
});

} // namespace
