#include "imaging/views/background/QkViewBackground.h"

#include <algorithm>
#include <atomic>

#include "imaging/core/QkDrawing.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Frames.h"
#include "platform/gfx/Picture.h"

namespace {

std::atomic<bool> gradientAvailable{true};

constexpr TColor PhotoLikeSurround = 0xB0B0B0;
// Kind of the shadow strips: a darkening that fades away from the image.
constexpr int32_t FadingShadow = 2;

// Every bit of the colour inverted, kept a plain colour: a system colour's
// value inverts to an RGB one as it stands, while inverting an RGB colour's
// unused top byte too would turn it into a system-colour index.
TColor Complement(TColor color) { return ~color & 0x00FFFFFF; }

void FillArea(TCanvas& canvas, const TRect& area, TColor color, TBrushStyle style)
{
    canvas.Brush()->SetColor(color);
    canvas.Brush()->SetStyle(style);
    canvas.FillRect(area);
}

// The colour of the chessboard square at band `row` and column `column`:
// each band starts with the colour the previous one did not.
TColor SquareColor(TColor background, int32_t row, int32_t column)
{
    return (row + column) % 2 == 0 ? background : Complement(background);
}

// Squares written straight into the rows of a 24-bit bitmap, cut to it.
void ChessboardIntoRows(TBitmap& bitmap, TColor background, int32_t size, const TRect& area)
{
    const int32_t top = std::max(area.Top, 0);
    const int32_t bottom = std::min(area.Bottom, bitmap.Height());
    const int32_t left = std::max(area.Left, 0);
    const int32_t right = std::min(area.Right, bitmap.Width());
    for (int32_t y = top; y < bottom; ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        const int32_t band = (y - area.Top) / size;
        for (int32_t x = left; x < right; ++x) {
            const TColor rgb = ColorToPixelRGB(SquareColor(background, band, (x - area.Left) / size));
            uint8_t* pixel = row + 3 * x;
            pixel[0] = static_cast<uint8_t>(rgb >> 16);
            pixel[1] = static_cast<uint8_t>(rgb >> 8);
            pixel[2] = static_cast<uint8_t>(rgb);
        }
    }
}

void ChessboardOnCanvas(TCanvas& canvas, TColor background, TBrushStyle style, int32_t size, const TRect& area)
{
    for (int32_t band = 0; area.Top + band * size < area.Bottom; ++band) {
        for (int32_t column = 0; area.Left + column * size < area.Right; ++column) {
            const TRect square{area.Left + column * size, area.Top + band * size,
                               std::min(area.Left + (column + 1) * size, area.Right),
                               std::min(area.Top + (band + 1) * size, area.Bottom)};
            FillArea(canvas, square, SquareColor(background, band, column), style);
        }
    }
}

void PaintChessboard(TCanvas& canvas, TBitmap* bitmap, const TQkBackgroundOptions& options, const TRect& area)
{
    // A size below 1 would never leave the first square.
    const int32_t size = std::max(options.ChessboardSize, 1);
    if (bitmap && options.ChessboardBrushStyle == bsSolid && bitmap->PixelFormat() == pf24bit)
        ChessboardIntoRows(*bitmap, options.Background, size, area);
    else
        ChessboardOnCanvas(canvas, options.Background, options.ChessboardBrushStyle, size, area);
}

void PaintDiagonals(TCanvas& canvas, const TQkBackgroundOptions& options, const TRect& area)
{
    FillArea(canvas, area, options.Background, bsSolid);
    canvas.Pen()->SetColor(Complement(options.Background));
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    canvas.Pen()->SetWidth(1);
    canvas.MoveTo(area.Left, area.Top);
    canvas.LineTo(area.Right, area.Bottom);
    canvas.MoveTo(area.Right, area.Top);
    canvas.LineTo(area.Left, area.Bottom);
}

bool AtLeastTwoByTwo(const TRect& image) { return image.Right - image.Left >= 2 && image.Bottom - image.Top >= 2; }

void PaintCropped(TCanvas& canvas, const TRect& area, const TRect& image)
{
    FillArea(canvas, area, clBtnFace, bsSolid);
    if (!AtLeastTwoByTwo(image))
        return;
    TRect edge{image.Left - SystemEdgeWidth, image.Top - SystemEdgeHeight, image.Right + SystemEdgeWidth,
               image.Bottom + SystemEdgeHeight};
    DrawEdge(canvas, edge, EDGE_SUNKEN, BF_RECT);
}

void PaintCropShadow(TCanvas& canvas, TBitmap* bitmap, const TQkBackgroundOptions& options, const TRect& area,
                     const TRect& image)
{
    FillArea(canvas, area, options.Background, bsSolid);
    if (!AtLeastTwoByTwo(image))
        return;
    DrawRightShadow(canvas, bitmap, image.Right, image.Top, image.Right + 5, image.Bottom + 3, FadingShadow);
    DrawBottomShadow(canvas, bitmap, image.Left, image.Bottom, image.Right + 4, image.Bottom + 5, FadingShadow);
}

void PaintSoftShadow(TCanvas& canvas, TBitmap* bitmap, const TQkBackgroundOptions& options, const TRect& area,
                     const TRect& image)
{
    if (!bitmap)
        return;
    FillArea(canvas, area, options.Background, bsSolid);
    if (AtLeastTwoByTwo(image))
        DrawSoftShadow(*bitmap, image.Left, image.Top, image.Right, image.Bottom);
}

void PaintPhotoLike(TCanvas& canvas, TBitmap* bitmap, const TQkBackgroundOptions& options, const TRect& area,
                    const TRect& image)
{
    FillArea(canvas, area, PhotoLikeSurround, bsSolid);
    canvas.Pen()->SetColor(clBlack);
    canvas.Pen()->SetStyle(psSolid);
    canvas.Pen()->SetMode(pmCopy);
    canvas.Pen()->SetWidth(1);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Rectangle(image.Left - 1, image.Top - 1, image.Right + 1, image.Bottom + 1);
    PaintChessboard(canvas, bitmap, options, image);
}

void PaintStyle(TCanvas& canvas, TBitmap* bitmap, const TQkBackgroundOptions& options, const TRect& area,
                const TRect& image)
{
    static constexpr TBrushStyle hatches[] = {bsSolid,     bsHorizontal, bsVertical, bsFDiagonal,
                                              bsBDiagonal, bsCross,      bsDiagCross};
    switch (options.Style) {
    case qkbsChessboard: PaintChessboard(canvas, bitmap, options, area); break;
    case qkbsDiagonals: PaintDiagonals(canvas, options, area); break;
    case qkbsCropped: PaintCropped(canvas, area, image); break;
    case qkbsCropShadow: PaintCropShadow(canvas, bitmap, options, area, image); break;
    case qkbsGradient: GradientFillRect(canvas, area, options.Background, options.GradientEndColor, true); break;
    case qkbsSoftShadow: PaintSoftShadow(canvas, bitmap, options, area, image); break;
    case qkbsPhotoLike: PaintPhotoLike(canvas, bitmap, options, area, image); break;
    default:
        if (options.Style <= qkbsDiagCross)
            FillArea(canvas, area, options.Background, hatches[options.Style]);
        break;
    }
}

void PaintWallPaper(TCanvas& canvas, TPicture* wallPaper, TQkWallPaperStyle style, const TRect& area)
{
    TGraphic* graphic = wallPaper ? wallPaper->Graphic() : nullptr;
    if (!graphic || graphic->Empty())
        return;
    const int32_t areaWidth = area.Right - area.Left;
    const int32_t areaHeight = area.Bottom - area.Top;
    switch (style) {
    case qkwoNormal: canvas.Draw(0, 0, graphic); break;
    case qkwoStretch: canvas.StretchDraw(TRect{0, 0, areaWidth, areaHeight}, graphic); break;
    case qkwoTile: {
        const int32_t width = graphic->Width();
        const int32_t height = graphic->Height();
        if (width <= 0 || height <= 0)
            return;
        for (int32_t y = 0; y < areaHeight; y += height)
            for (int32_t x = 0; x < areaWidth; x += width)
                canvas.Draw(x, y, graphic);
        break;
    }
    }
}

uint8_t Channel(TColor rgb, int shift) { return static_cast<uint8_t>(rgb >> shift); }

// The ramp's colour at step `step` of `steps`.
TColor RampColor(TColor from, TColor to, int64_t step, int64_t steps)
{
    uint8_t channels[3];
    for (int i = 0; i < 3; ++i) {
        const int64_t a = Channel(from, 8 * i);
        const int64_t b = Channel(to, 8 * i);
        channels[i] = static_cast<uint8_t>(a + (b - a) * step / steps);
    }
    return RGB(channels[0], channels[1], channels[2]);
}

} // namespace

void PaintViewBackground(TCanvas& canvas, TBitmap* bitmap, const TQkBackgroundOptions& options, const TRect& area,
                         const TRect& image)
{
    PaintStyle(canvas, bitmap, options, area, image);
    PaintWallPaper(canvas, options.WallPaper, options.WallPaperStyle, area);
}

bool GradientFillRect(TCanvas& canvas, const TRect& rect, TColor from, TColor to, bool vertical)
{
    if (!gradientAvailable)
        return false;
    const TColor first = ColorToPixelRGB(from);
    const TColor last = ColorToPixelRGB(to);
    const int32_t steps = vertical ? rect.Bottom - rect.Top : rect.Right - rect.Left;
    for (int32_t step = 0; step < steps; ++step) {
        const TRect line = vertical ? TRect{rect.Left, rect.Top + step, rect.Right, rect.Top + step + 1}
                                    : TRect{rect.Left + step, rect.Top, rect.Left + step + 1, rect.Bottom};
        FillArea(canvas, line, RampColor(first, last, step, steps), bsSolid);
    }
    return true;
}

void SetGradientFillAvailable(bool available) { gradientAvailable = available; }
