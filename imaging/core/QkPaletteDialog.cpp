#include "imaging/core/QkPaletteDialog.h"

namespace {

constexpr int32_t CellPitch = 16;
constexpr int32_t CellSize = 15;
constexpr int32_t CellsPerRow = 32;

} // namespace

TBrelvixPaletteDialog::TBrelvixPaletteDialog(TComponent* owner) : TForm(owner)
{
    SetBorderStyle(bsDialog);
    SetCaption("Palette");
    SetBounds(0, 0, 520, 199);
    SetPosition(poScreenCenter);
    FCancelButton = new TButton(this);
    FCancelButton->SetBounds(4, 136, 75, 25);
    FCancelButton->SetCaption("&Cancel");
    FCancelButton->SetModalResult(mrCancel);
    FCancelButton->SetCancel(true);
    FCancelButton->SetParent(this);
    OnPaint = [this](TObject* sender) { PaintPalette(sender); };
    OnMouseMove = [this](TObject* sender, TShiftState shift, int32_t x, int32_t y) {
        HighlightAt(sender, shift, x, y);
    };
    OnClick = [this](TObject* sender) { ChooseHighlighted(sender); };
}

void TBrelvixPaletteDialog::SetPalette(const TRGBPixel* palette, int32_t count)
{
    FPalette.assign(palette, palette + std::max(count, 0));
    FHighlighted = -1;
    Invalidate();
}

bool TBrelvixPaletteDialog::Execute() { return ShowModal() == mrOk; }

TRect TBrelvixPaletteDialog::CellRect(int32_t index)
{
    return Bounds((index % CellsPerRow) * CellPitch + 1, (index / CellsPerRow) * CellPitch + 1, CellSize, CellSize);
}

void TBrelvixPaletteDialog::PaintPalette(TObject*)
{
    TCanvas& canvas = *Canvas();
    for (int32_t i = 0; i < static_cast<int32_t>(FPalette.size()); ++i) {
        canvas.Pen()->SetColor(i == FHighlighted ? clBlack : clWhite);
        canvas.Brush()->SetColor(RGBPixelToColor(FPalette[i]));
        canvas.Rectangle(CellRect(i));
    }
}

void TBrelvixPaletteDialog::HighlightAt(TObject*, TShiftState, int32_t x, int32_t y)
{
    // Only points over the grid of cells count: the 32nd column's right
    // edge must not reach into the next row.
    if (x < 1 || y < 1)
        return;
    const int32_t column = (x - 1) / CellPitch, row = (y - 1) / CellPitch;
    if (column >= CellsPerRow)
        return;
    const int32_t index = row * CellsPerRow + column;
    if (index < static_cast<int32_t>(FPalette.size()) && index != FHighlighted) {
        FHighlighted = index;
        Invalidate();
    }
}

void TBrelvixPaletteDialog::ChooseHighlighted(TObject*)
{
    if (FHighlighted < 0)
        return;
    FChosenColor = RGBPixelToColor(FPalette[FHighlighted]);
    SetModalResult(mrOk);
}
