#pragma once
// A small modal palette picker: up to 256 colours in rows of 32 cells;
// hovering highlights a colour, a click chooses it and closes the dialog.

#include <cstdint>
#include <vector>

#include "imaging/core/QkPixels.h"
#include "platform/ui/Form.h"
#include "platform/ui/StdCtrls.h"

class TBrelvixPaletteDialog : public TForm {
public:
    explicit TBrelvixPaletteDialog(TComponent* owner);

    // The colours shown (copied); a negative count shows none.
    void SetPalette(const TRGBPixel* palette, int32_t count);
    // True when a colour was chosen.
    bool Execute();

    // -1 while none is highlighted.
    int32_t HighlightedIndex() const { return FHighlighted; }
    TColor ChosenColor() const { return FChosenColor; }
    TButton* CancelButton() const { return FCancelButton; }
    // The cell of colour `index` in client coordinates.
    static TRect CellRect(int32_t index);

private:
    void PaintPalette(TObject* sender);
    void HighlightAt(TObject* sender, TShiftState shift, int32_t x, int32_t y);
    void ChooseHighlighted(TObject* sender);

    std::vector<TRGBPixel> FPalette;
    int32_t FHighlighted = -1;
    TColor FChosenColor = clBlack;
    TButton* FCancelButton;
};
