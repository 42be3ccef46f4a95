#include "imaging/core/QkRotate.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

enum class TTurn { CounterClockwise, Clockwise, Half };

// Every source row, mapped together: a file-stored source needs a view per row.
class TSourceRows {
public:
    explicit TSourceRows(TQkBitmap& source) : FSource(source), FReading(source, qkaRead)
    {
        const int32_t height = source.GetHeight();
        FRows.reserve(height);
        for (int32_t y = 0; y < height; ++y)
            FRows.push_back(source.GetScanlineView(y));
    }
    ~TSourceRows()
    {
        for (int32_t y = 0; y < static_cast<int32_t>(FRows.size()); ++y)
            FSource.ReleaseScanlineView(y);
    }
    TSourceRows(const TSourceRows&) = delete;
    TSourceRows& operator=(const TSourceRows&) = delete;

    const uint8_t* operator[](int32_t y) const { return FRows[y]; }

private:
    TQkBitmap& FSource;
    TQkAccessGuard FReading;
    std::vector<const uint8_t*> FRows;
};

// The source pixel that lands on destination (x, y).
struct TTurnMap {
    TTurn Turn;
    int32_t Width;  // of the source
    int32_t Height; // of the source

    void SourceOf(int32_t x, int32_t y, int32_t& sx, int32_t& sy) const
    {
        switch (Turn) {
        case TTurn::CounterClockwise:
            sx = Width - 1 - y;
            sy = x;
            break;
        case TTurn::Clockwise:
            sx = y;
            sy = Height - 1 - x;
            break;
        case TTurn::Half:
            sx = Width - 1 - x;
            sy = Height - 1 - y;
            break;
        }
    }
};

template <int Bytes>
void TurnRow(const TSourceRows& rows, const TTurnMap& map, int32_t y, int32_t width, uint8_t* to)
{
    int32_t sx = 0;
    int32_t sy = 0;
    for (int32_t x = 0; x < width; ++x) {
        map.SourceOf(x, y, sx, sy);
        std::memcpy(to + static_cast<size_t>(x) * Bytes, rows[sy] + static_cast<size_t>(sx) * Bytes, Bytes);
    }
}

void TurnMonoRow(const TSourceRows& rows, const TTurnMap& map, int32_t y, int32_t width, uint8_t* to)
{
    int32_t sx = 0;
    int32_t sy = 0;
    for (int32_t x = 0; x < width; ++x) {
        map.SourceOf(x, y, sx, sy);
        if (GetBit(rows[sy], sx))
            SetBit(to, x, true);
    }
}

void TurnRow(const TSourceRows& rows, const TTurnMap& map, int32_t y, int32_t width, int32_t bytes, uint8_t* to)
{
    switch (bytes) {
    case 0:
        TurnMonoRow(rows, map, y, width, to);
        break;
    case 1:
        TurnRow<1>(rows, map, y, width, to);
        break;
    case 2:
        TurnRow<2>(rows, map, y, width, to);
        break;
    case 3:
        TurnRow<3>(rows, map, y, width, to);
        break;
    case 4:
        TurnRow<4>(rows, map, y, width, to);
        break;
    case 6:
        TurnRow<6>(rows, map, y, width, to);
        break;
    default:
        break;
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
    const TSourceRows rows(source);
    const TTurnMap map{turn, width, height};
    const int32_t bytes = QkBytesPerPixel(format);
    const int32_t turnedWidth = destination.GetWidth();
    const int32_t turnedHeight = destination.GetHeight();
    for (int32_t y = 0; y < turnedHeight; ++y)
        TurnRow(rows, map, y, turnedWidth, bytes, destination.GetScanline(y));
}

bool IsGray(TQkBitmap& bitmap)
{
    return bitmap.GetPixelFormat() == qk8g || bitmap.GetPixelFormat() == qk8p;
}

// The angle cut to thousandths of a degree, within one turn.
double CutAngle(double angle)
{
    return static_cast<double>(Trunc(angle * 1000) % 360000) / 1000;
}

// Quarter turns until the angle is within 45 degrees of 0; the bitmap
// takes the result. The shears for the rest come with the general
// rotation: only whole quarter turns are done here.
template <class CounterClockwise, class Clockwise, class TakeBack>
void TurnByQuarters(TQkBitmap& bitmap, double angle, CounterClockwise turnLeft, Clockwise turnRight,
                    TakeBack takeBack)
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
    case -270:
        TurnInto(source, destination, TTurn::CounterClockwise);
        break;
    case 270:
    case -90:
        TurnInto(source, destination, TTurn::Clockwise);
        break;
    case 180:
    case -180:
        TurnInto(source, destination, TTurn::Half);
        break;
    default:
        destination.Assign(&source);
        break;
    }
}
