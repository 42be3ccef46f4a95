// The shapes page: the sixteen numbered shapes, each filled in a square box
// and captioned with its number and what it is.

#include <array>
#include <string>

#include "PaintedBoard.h"
#include "imaging/views/shapes/QkShapeRegions.h"

namespace {

constexpr int32_t Box = 96;
constexpr TBoardGrid Grid{165, 124};
constexpr TColor BoxColour = RGB(225, 225, 225);
constexpr TColor ShapeColour = RGB(180, 30, 90);

constexpr std::array<const char*, TBoardGrid::Cells> ShapeNames = {
    "5-point star",
    "6-point star",
    "arrow, top left",
    "arrow, top right",
    "arrow, bottom left",
    "arrow, bottom right",
    "lightning, tip left",
    "lightning, tip right",
    "explosion",
    "explosion, turned",
    "cross",
    "fletched, top left",
    "fletched, top right",
    "fletched, bottom left",
    "fletched, bottom right",
    "heart",
};

void DrawShapes(TCanvas& canvas)
{
    for (int32_t shape = 0; shape < int32_t(ShapeNames.size()); ++shape) {
        const TPoint corner = Grid.Corner(shape);
        canvas.FillSolidRect(Rect(corner.X, corner.Y, corner.X + Box, corner.Y + Box), BoxColour);
        canvas.Brush()->SetColor(ShapeColour);
        canvas.FillRgn(CreateShapeRegion(uint8_t(shape), corner.X, corner.Y, Box, Box));
        DrawCaption(canvas, corner.X, corner.Y + Box + 3, std::to_string(shape) + " " + ShapeNames[size_t(shape)]);
    }
}

std::unique_ptr<TCustomForm> CreateShapesPage() { return NewBoardPage(Grid, DrawShapes); }

const bool shapesRegistered = RegisterGalleryPage({
    "view-shapes",
    CreateShapesPage,
    {
        {Grid.At(0, 48, 48), ShapeColour}, // the stars' centres
        {Grid.At(0, 2, 2), BoxColour},
        {Grid.At(1, 48, 48), ShapeColour},
        {Grid.At(2, 5, 5), ShapeColour}, // the arrow's tip, top left
        {Grid.At(2, 90, 5), BoxColour},
        {Grid.At(5, 90, 90), ShapeColour}, // mirrored both ways: bottom right
        {Grid.At(6, 6, 90), ShapeColour}, // the lightning's tip, bottom left
        {Grid.At(6, 88, 90), BoxColour},
        {Grid.At(7, 6, 90), BoxColour}, // and mirrored
        {Grid.At(7, 88, 90), ShapeColour},
        {Grid.At(10, 48, 48), ShapeColour}, // the cross's upright
        {Grid.At(10, 10, 80), BoxColour},
        {Grid.At(15, 48, 48), ShapeColour}, // the heart, and the notch between its lobes
        {Grid.At(15, 48, 5), BoxColour},
    },
});

} // namespace
