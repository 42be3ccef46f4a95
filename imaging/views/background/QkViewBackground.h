#pragma once
// The painter of everything around an image view's image: fourteen styles
// (solid and hatched fills, chessboard, diagonals, sunken edge, shadows,
// gradient, photo-like frame) and a wallpaper drawn over them.

#include <cstdint>

#include "platform/gfx/Brush.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/Geometry.h"

class TBitmap;
class TCanvas;
class TPicture;

enum TQkBackgroundStyle : uint8_t {
    qkbsSolid,
    qkbsHorizontal,
    qkbsVertical,
    qkbsFDiagonal,
    qkbsBDiagonal,
    qkbsCross,
    qkbsDiagCross,
    qkbsChessboard,
    qkbsDiagonals,
    qkbsCropped,
    qkbsCropShadow,
    qkbsGradient,
    qkbsSoftShadow,
    qkbsPhotoLike
};

enum TQkWallPaperStyle : uint8_t { qkwoNormal, qkwoStretch, qkwoTile };

// The platform has no system metrics: the sunken edge's width and height.
constexpr int32_t SystemEdgeWidth = 2;
constexpr int32_t SystemEdgeHeight = 2;

struct TQkBackgroundOptions {
    TColor Background = clBtnFace;
    TQkBackgroundStyle Style = qkbsSolid;
    TColor GradientEndColor = 0xFF0000;
    TBrushStyle ChessboardBrushStyle = bsSolid;
    int32_t ChessboardSize = 16;
    // Drawn over the style when it holds a graphic; not owned.
    TPicture* WallPaper = nullptr;
    TQkWallPaperStyle WallPaperStyle = qkwoNormal;
};

// Paints `area` of the canvas; `image` is where the image will lie (right
// and bottom exclusive). `bitmap` is the 24-bit bitmap behind the canvas, or
// nullptr: the chessboard then goes through the canvas and the soft shadow
// is not drawn.
void PaintViewBackground(TCanvas& canvas, TBitmap* bitmap, const TQkBackgroundOptions& options, const TRect& area,
                         const TRect& image);

// Fills the rectangle with a linear ramp per channel from `from` to `to`,
// top to bottom when `vertical`, else left to right. False, and nothing
// drawn, when gradients are not available.
bool GradientFillRect(TCanvas& canvas, const TRect& rect, TColor from, TColor to, bool vertical);
// For tests of the painters' fallbacks: makes gradients unavailable.
void SetGradientFillAvailable(bool available);
