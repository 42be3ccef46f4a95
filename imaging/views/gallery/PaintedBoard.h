#pragma once
// A gallery page that is one drawing: a white board the size of the page,
// painted by a function, with captions under the pictures it lays out.

#include <functional>
#include <memory>
#include <string>

#include "platform/backend/Gallery.h"
#include "platform/ui/Controls.h"

class TPaintedBoard : public TGraphicControl {
public:
    TPaintedBoard(TComponent* owner, std::function<void(TCanvas&)> paint)
        : TGraphicControl(owner), FPaint(std::move(paint))
    {}

protected:
    void Paint() override
    {
        TCanvas& canvas = *Canvas();
        canvas.Brush()->SetColor(clWhite);
        canvas.FillRect(ClientRect());
        FPaint(canvas);
    }

private:
    std::function<void(TCanvas&)> FPaint;
};

// Sixteen pictures, four to a row, each cell a picture and its caption.
struct TBoardGrid {
    static constexpr int32_t Columns = 4;
    static constexpr int32_t Rows = 4;
    static constexpr int32_t Cells = Columns * Rows;
    static constexpr int32_t Margin = 8;
    int32_t PitchX;
    int32_t PitchY;

    constexpr TPoint Corner(int32_t cell) const
    {
        return {Margin + (cell % Columns) * PitchX, Margin + (cell / Columns) * PitchY};
    }
    constexpr TPoint At(int32_t cell, int32_t x, int32_t y) const
    {
        const TPoint corner = Corner(cell);
        return {corner.X + x, corner.Y + y};
    }
    constexpr int32_t Width() const { return Margin + Columns * PitchX; }
    constexpr int32_t Height() const { return Margin + Rows * PitchY; }
};

// The board sits at the form's origin, so the drawing's coordinates are the
// sentinels' client coordinates.
inline std::unique_ptr<TCustomForm> NewBoardPage(const TBoardGrid& grid, std::function<void(TCanvas&)> paint)
{
    auto form = NewGalleryForm(grid.Width(), grid.Height(), clWhite);
    auto* board = new TPaintedBoard(form.get(), std::move(paint));
    board->SetBoundsRect(Rect(0, 0, grid.Width(), grid.Height()));
    board->SetParent(form.get());
    return form;
}

inline void DrawCaption(TCanvas& canvas, int32_t x, int32_t y, const std::string& text)
{
    canvas.Brush()->SetColor(clWhite);
    canvas.Font()->SetColor(clBlack);
    canvas.TextOut(x, y, text);
}
