#include "imaging/core/QkRotate.h"

#include "imaging/core/QkRowTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

enum class TTurn { CounterClockwise, Clockwise, Half };

// Turns run tile by tile so that the rows both sides touch stay in cache.
constexpr int32_t TileSize = 32;

// Where destination row y starts reading and how it steps: the source
// pixel of destination (x, y) is row (Row + x * RowStep), column
// (Column + x * ColumnStep).
struct TTurnWalk {
    int32_t Row;
    int32_t RowStep;
    int32_t Column;
    int32_t ColumnStep;
};

TTurnWalk WalkOfRow(TTurn turn, int32_t width, int32_t height, int32_t y)
{
    switch (turn) {
    case TTurn::CounterClockwise: return {0, 1, width - 1 - y, 0};
    case TTurn::Clockwise: return {height - 1, -1, y, 0};
    case TTurn::Half: break;
    }
    return {height - 1 - y, 0, width - 1, -1};
}

template <int Bytes>
void TurnRun(const TQkRowTable& rows, const TTurnWalk& walk, int32_t first, int32_t count, uint8_t* to)
{
    int32_t row = walk.Row + first * walk.RowStep;
    int32_t column = walk.Column + first * walk.ColumnStep;
    to += static_cast<size_t>(first) * Bytes;
    for (int32_t x = 0; x < count; ++x) {
        const uint8_t* from = rows[row] + static_cast<size_t>(column) * Bytes;
        for (int32_t n = 0; n < Bytes; ++n)
            to[n] = from[n];
        to += Bytes;
        row += walk.RowStep;
        column += walk.ColumnStep;
    }
}

void TurnMonoRun(const TQkRowTable& rows, const TTurnWalk& walk, int32_t first, int32_t count, uint8_t* to)
{
    int32_t row = walk.Row + first * walk.RowStep;
    int32_t column = walk.Column + first * walk.ColumnStep;
    for (int32_t x = first; x < first + count; ++x) {
        if (GetBit(rows[row], column))
            SetBit(to, x, true);
        row += walk.RowStep;
        column += walk.ColumnStep;
    }
}

// Destination pixels first .. first + count - 1 of one row.
void TurnRun(const TQkRowTable& rows, const TTurnWalk& walk, int32_t first, int32_t count, int32_t bytes, uint8_t* to)
{
    switch (bytes) {
    case 0: TurnMonoRun(rows, walk, first, count, to); break;
    case 1: TurnRun<1>(rows, walk, first, count, to); break;
    case 2: TurnRun<2>(rows, walk, first, count, to); break;
    case 3: TurnRun<3>(rows, walk, first, count, to); break;
    case 4: TurnRun<4>(rows, walk, first, count, to); break;
    case 6: TurnRun<6>(rows, walk, first, count, to); break;
    default: break;
    }
}

// Re-allocates the destination to the turned size and fills it.
void TurnInto(TQkBitmap& source, TQkBitmap& destination, TTurn turn)
{
    if (source.IsEmpty() || &source == &destination)
        return;
    const int32_t width = source.GetWidth();
    const int32_t height = source.GetHeight();
    const bool half = turn == TTurn::Half;
    const TQkPixelFormat format = source.GetPixelFormat();
    if (!destination.Allocate(half ? width : height, half ? height : width, format))
        return;
    source.CopyPaletteTo(&destination);
    const TQkRowTable from(source, qkaRead);
    const TQkRowTable to(destination, qkaWrite);
    const int32_t bytes = QkBytesPerPixel(format);
    const int32_t turnedWidth = destination.GetWidth();
    const int32_t turnedHeight = destination.GetHeight();
    for (int32_t top = 0; top < turnedHeight; top += TileSize)
        for (int32_t left = 0; left < turnedWidth; left += TileSize) {
            const int32_t count = std::min(TileSize, turnedWidth - left);
            for (int32_t y = top; y < std::min(top + TileSize, turnedHeight); ++y)
                TurnRun(from, WalkOfRow(turn, width, height, y), left, count, bytes, to[y]);
        }
}

bool IsGray(TQkBitmap& bitmap) { return bitmap.GetPixelFormat() == qk8g || bitmap.GetPixelFormat() == qk8p; }

// The angle cut to thousandths of a degree, within one turn.
double CutAngle(double angle) { return static_cast<double>(Trunc(angle * 1000) % 360000) / 1000; }

// Quarter turns until the angle is within 45 degrees of 0; the bitmap
// takes the result. The shears for the rest come with the general
// rotation: only whole quarter turns are done here.
template <class CounterClockwise, class Clockwise, class TakeBack>
void TurnByQuarters(TQkBitmap& bitmap, double angle, CounterClockwise turnLeft, Clockwise turnRight, TakeBack takeBack)
{
    double a = CutAngle(angle);
    if (std::fmod(a, 90.0) != 0 || a == 0)
        return;
    TQkBitmap turned;
    while (a > 45) {
        turnLeft(bitmap, turned);
        a -= 90;
        if (a > 45)
            takeBack(bitmap, turned);
    }
    while (a < -45) {
        turnRight(bitmap, turned);
        a += 90;
        if (a < -45)
            takeBack(bitmap, turned);
    }
    takeBack(bitmap, turned);
}

} // namespace

bool IsMultipleOf90(double angle)
{
    return std::isfinite(angle) && angle == std::trunc(angle) && std::fmod(angle, 90.0) == 0;
}

void RotateRGB90CCW(TQkBitmap& source, TQkBitmap& destination)
{
    if (source.GetPixelFormat() == qk24RGB)
        TurnInto(source, destination, TTurn::CounterClockwise);
}

void RotateRGB90CW(TQkBitmap& source, TQkBitmap& destination)
{
    if (source.GetPixelFormat() == qk24RGB)
        TurnInto(source, destination, TTurn::Clockwise);
}

void RotateGray90CCW(TQkBitmap& source, TQkBitmap& destination)
{
    if (IsGray(source))
        TurnInto(source, destination, TTurn::CounterClockwise);
}

void RotateGray90CW(TQkBitmap& source, TQkBitmap& destination)
{
    if (IsGray(source))
        TurnInto(source, destination, TTurn::Clockwise);
}

void RotateByShear(TQkBitmap& bitmap, bool, TObject*, const TQkProgressEvent&, uint32_t, double angle)
{
    if (angle == 0 || bitmap.GetPixelFormat() != qk24RGB)
        return;
    TurnByQuarters(bitmap, angle, RotateRGB90CCW, RotateRGB90CW,
                   [](TQkBitmap& to, TQkBitmap& from) { to.AssignImage(from); });
}

void RotateGrayByShear(TQkBitmap& bitmap, bool, uint8_t, TObject*, const TQkProgressEvent&, double angle)
{
    if (angle == 0 || !IsGray(bitmap))
        return;
    TurnByQuarters(bitmap, angle, RotateGray90CCW, RotateGray90CW,
                   [](TQkBitmap& to, TQkBitmap& from) { to.Assign(&from); });
}

void RotateBitmap(TQkBitmap& bitmap, TColor background, TObject* sender, const TQkProgressEvent& onProgress,
                  double angle)
{
    if (!IsMultipleOf90(angle) || bitmap.IsEmpty())
        return;
    TQkBitmap turned;
    RotateBitmapInto(bitmap, turned, background, sender, onProgress, angle);
    bitmap.AssignImage(turned);
}

void RotateBitmapInto(TQkBitmap& source, TQkBitmap& destination, TColor, TObject*, const TQkProgressEvent&,
                      double angle)
{
    if (!IsMultipleOf90(angle))
        return;
    switch (static_cast<int32_t>(Trunc(angle) % 360)) {
    case 90:
    case -270: TurnInto(source, destination, TTurn::CounterClockwise); break;
    case 270:
    case -90: TurnInto(source, destination, TTurn::Clockwise); break;
    case 180:
    case -180: TurnInto(source, destination, TTurn::Half); break;
    default: destination.Assign(&source); break;
    }
}
