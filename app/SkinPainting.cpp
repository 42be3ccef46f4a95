#include "app/SkinPainting.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

constexpr int32_t TopCorner = 40;
constexpr int32_t BottomCorner = 20;
// The skin's edge strips that stretch: 20 pixels wide or high, 40 long.
constexpr int32_t EdgeWidth = 20;
constexpr int32_t EdgeLength = 40;
// The diameter of the rounded corners of the window's shape.
constexpr int32_t CornerEllipse = 9;

} // namespace

std::vector<TSkinPiece> SkinPieces(int32_t skinWidth, int32_t skinHeight, int32_t width, int32_t height)
{
    const int32_t sw = skinWidth;
    const int32_t sh = skinHeight;
    const TSize copied{0, 0};
    return {
        {Rect(0, 0, TopCorner, TopCorner), copied, Rect(0, 0, TopCorner, TopCorner)},
        {Rect(sw - TopCorner, 0, sw, TopCorner), copied, Rect(width - TopCorner, 0, width, TopCorner)},
        {Rect(0, sh - BottomCorner, BottomCorner, sh), copied, Rect(0, height - BottomCorner, BottomCorner, height)},
        {Rect(sw - BottomCorner, sh - BottomCorner, sw, sh), copied,
         Rect(width - BottomCorner, height - BottomCorner, width, height)},
        // The top edge starts one pixel into the skin past its corner.
        {Rect(TopCorner + 1, 0, TopCorner + 1 + EdgeWidth, TopCorner), TSize{EdgeWidth, EdgeLength},
         Rect(TopCorner, 0, width - TopCorner, TopCorner)},
        {Rect(0, TopCorner, EdgeWidth, TopCorner + EdgeLength), TSize{EdgeWidth, EdgeLength},
         Rect(0, TopCorner, EdgeWidth, height - BottomCorner)},
        {Rect(sw - EdgeWidth, TopCorner, sw, TopCorner + EdgeLength), TSize{EdgeWidth, EdgeLength},
         Rect(width - EdgeWidth, TopCorner, width, height - BottomCorner)},
        {Rect(EdgeWidth, sh - BottomCorner, sw - EdgeWidth, sh), TSize{sw - 2 * EdgeWidth, BottomCorner},
         Rect(EdgeWidth, height - BottomCorner, width - EdgeWidth, height)},
        {Rect(EdgeWidth, TopCorner, sw - EdgeWidth, sh - BottomCorner), TSize{sw - 2 * EdgeWidth, EdgeLength},
         Rect(EdgeWidth, TopCorner, width - EdgeWidth, height - BottomCorner)},
    };
}

void PaintSkin(TCanvas& canvas, TBitmap& skin, int32_t height, int32_t width)
{
    for (const TSkinPiece& piece : SkinPieces(skin.Width(), skin.Height(), width, height)) {
        if (piece.Intermediate.cx == 0) {
            canvas.CopyRect(piece.Target, skin.Canvas(), piece.Source);
            continue;
        }
        TBitmap between(piece.Intermediate.cx, piece.Intermediate.cy);
        const TRect whole = Rect(0, 0, piece.Intermediate.cx, piece.Intermediate.cy);
        between.Canvas()->CopyRect(whole, skin.Canvas(), piece.Source);
        canvas.CopyRect(piece.Target, between.Canvas(), whole);
    }
}

TRegion SkinRegion(const TRect& imageBounds)
{
    return TRegion::RoundRect(imageBounds.Left + 1, imageBounds.Top + 1, imageBounds.Right, imageBounds.Bottom,
                              CornerEllipse, CornerEllipse);
}
