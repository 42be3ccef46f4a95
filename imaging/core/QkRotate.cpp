#include "imaging/core/QkRotate.h"

#include "imaging/core/QkProgressReporter.h"
#include "imaging/core/QkRowTable.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
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

// Three-byte pixels move as 32-bit words wherever a fourth byte exists on
// both sides: the byte too many belongs to the next pixel, written next.
void TurnRGBRun(const TQkRowTable& rows, const TTurnWalk& walk, int32_t first, int32_t count, int32_t sourceWidth,
                uint8_t* to)
{
    int32_t row = walk.Row + first * walk.RowStep;
    int32_t column = walk.Column + first * walk.ColumnStep;
    to += static_cast<size_t>(first) * 3;
    for (int32_t x = 0; x < count; ++x) {
        const uint8_t* from = rows[row] + static_cast<size_t>(column) * 3;
        if (x + 1 < count && column + 1 < sourceWidth) {
            uint32_t pixel;
            std::memcpy(&pixel, from, 4);
            std::memcpy(to, &pixel, 4);
        } else {
            std::memcpy(to, from, 3);
        }
        to += 3;
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
void TurnRun(const TQkRowTable& rows, const TTurnWalk& walk, int32_t first, int32_t count, int32_t bytes,
             int32_t sourceWidth, uint8_t* to)
{
    switch (bytes) {
    case 0: TurnMonoRun(rows, walk, first, count, to); break;
    case 1: TurnRun<1>(rows, walk, first, count, to); break;
    case 2: TurnRun<2>(rows, walk, first, count, to); break;
    case 3: TurnRGBRun(rows, walk, first, count, sourceWidth, to); break;
    case 4: TurnRun<4>(rows, walk, first, count, to); break;
    case 6: TurnRun<6>(rows, walk, first, count, to); break;
    default: break;
    }
}

// Four destination rows of a quarter turn read four neighbouring pixels
// (12 bytes) of each source row: every source row is loaded once for four
// pixels, and the pixels go out as 32-bit words whose fourth byte belongs to
// the next pixel of the same row, written next. The last pixel of the run
// goes out as three bytes.
static_assert(std::endian::native == std::endian::little, "pixels are cut out of little-endian words");
void TurnRGBQuadRun(const uint8_t* const* sources, size_t offset, uint8_t* const* targets, int32_t first, int32_t count)
{
    uint8_t* const to0 = targets[0] + static_cast<size_t>(first) * 3;
    uint8_t* const to1 = targets[1] + static_cast<size_t>(first) * 3;
    uint8_t* const to2 = targets[2] + static_cast<size_t>(first) * 3;
    uint8_t* const to3 = targets[3] + static_cast<size_t>(first) * 3;
    const auto put = [&](size_t at, int32_t i, size_t bytes) {
        const uint8_t* from = sources[i] + offset;
        uint64_t low;
        uint32_t high;
        std::memcpy(&low, from, 8);
        std::memcpy(&high, from + 8, 4);
        const auto pixel0 = static_cast<uint32_t>(low);
        const auto pixel1 = static_cast<uint32_t>(low >> 24);
        const uint32_t pixel2 = static_cast<uint32_t>(low >> 48) | high << 16;
        const uint32_t pixel3 = high >> 8;
        std::memcpy(to0 + at, &pixel0, bytes);
        std::memcpy(to1 + at, &pixel1, bytes);
        std::memcpy(to2 + at, &pixel2, bytes);
        std::memcpy(to3 + at, &pixel3, bytes);
    };
    const int32_t last = count - 1;
    for (int32_t i = 0; i < last; ++i)
        put(static_cast<size_t>(i) * 3, i, 4);
    put(static_cast<size_t>(last) * 3, last, 3);
}

// One tile of a quarter turn of qk24RGB: destination rows top .. bottom - 1,
// columns left .. left + count - 1.
void TurnRGBTile(const TQkRowTable& from, const TQkRowTable& to, TTurn turn, int32_t width, int32_t height, int32_t top,
                 int32_t bottom, int32_t left, int32_t count)
{
    const bool clockwise = turn == TTurn::Clockwise;
    const uint8_t* sources[TileSize];
    for (int32_t i = 0; i < count; ++i)
        sources[i] = from[clockwise ? height - 1 - left - i : left + i];
    int32_t y = top;
    for (; y + 4 <= bottom; y += 4) {
        // The four source columns, lowest first, and the rows they go to.
        const int32_t lowest = clockwise ? y : width - 4 - y;
        uint8_t* targets[4];
        for (int32_t k = 0; k < 4; ++k)
            targets[k] = to[clockwise ? y + k : y + 3 - k];
        TurnRGBQuadRun(sources, static_cast<size_t>(lowest) * 3, targets, left, count);
    }
    for (; y < bottom; ++y)
        TurnRGBRun(from, WalkOfRow(turn, width, height, y), left, count, width, to[y]);
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
    // A half turn reads each source row backwards in one run: tiles would
    // only scatter it over more pages.
    if (half) {
        for (int32_t y = 0; y < turnedHeight; ++y)
            TurnRun(from, WalkOfRow(turn, width, height, y), 0, turnedWidth, bytes, width, to[y]);
        return;
    }
    for (int32_t top = 0; top < turnedHeight; top += TileSize) {
        const int32_t bottom = std::min(top + TileSize, turnedHeight);
        for (int32_t left = 0; left < turnedWidth; left += TileSize) {
            const int32_t count = std::min(TileSize, turnedWidth - left);
            if (bytes == 3) {
                TurnRGBTile(from, to, turn, width, height, top, bottom, left, count);
                continue;
            }
            for (int32_t y = top; y < bottom; ++y)
                TurnRun(from, WalkOfRow(turn, width, height, y), left, count, bytes, width, to[y]);
        }
    }
}

bool IsGray(TQkBitmap& bitmap) { return bitmap.GetPixelFormat() == qk8g || bitmap.GetPixelFormat() == qk8p; }

// The inverse mapping of the general angle, as per-column tables and a
// per-row shift: the source pixel of destination (x, y) is column
// Columns[x] - Shift(y).Column, row Rows[x] + Shift(y).Row.
class TInverseMap {
public:
    struct TShift {
        int32_t Column;
        int32_t Row;
    };

    TInverseMap(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height, double angle)
    {
        const double theta = angle * std::numbers::pi / 180;
        FCos = std::cos(theta);
        FSin = std::sin(theta);
        FCentreY = (height - 1) / 2.0;
        const double centreX = (width - 1) / 2.0;
        FColumns.resize(width);
        FRows.resize(width);
        for (int32_t x = 0; x < width; ++x) {
            FColumns[x] = static_cast<int32_t>(Round((x - centreX) * FCos + (sourceWidth - 1) / 2.0));
            FRows[x] = static_cast<int32_t>(Round((x - centreX) * FSin + (sourceHeight - 1) / 2.0));
        }
    }
    TShift Shift(int32_t y) const
    {
        return {static_cast<int32_t>(Round((y - FCentreY) * FSin)), static_cast<int32_t>(Round((y - FCentreY) * FCos))};
    }
    int32_t Column(int32_t x, const TShift& shift) const { return FColumns[x] - shift.Column; }
    int32_t Row(int32_t x, const TShift& shift) const { return FRows[x] + shift.Row; }

private:
    double FCos = 1;
    double FSin = 0;
    double FCentreY = 0;
    std::vector<int32_t> FColumns;
    std::vector<int32_t> FRows;
};

// Any angle, any format: the destination is allocated to the rotated size
// and filled with the background (0 for qk1g) first.
void RotateGeneral(TQkBitmap& source, TQkBitmap& destination, TColor background, TObject* sender,
                   const TQkProgressEvent& onProgress, double angle)
{
    const int32_t width = source.GetWidth();
    const int32_t height = source.GetHeight();
    const TQkPixelFormat format = source.GetPixelFormat();
    const double theta = angle * std::numbers::pi / 180;
    const double cosine = std::fabs(std::cos(theta));
    const double sine = std::fabs(std::sin(theta));
    const auto rotatedWidth = std::max<int32_t>(static_cast<int32_t>(Round(sine * height + cosine * width)), 1);
    const auto rotatedHeight = std::max<int32_t>(static_cast<int32_t>(Round(cosine * height + sine * width)), 1);
    if (!destination.Allocate(rotatedWidth, rotatedHeight, format))
        return;
    source.CopyPaletteTo(&destination);
    if (format != qk1g)
        destination.Fill(background);
    const TInverseMap map(width, height, rotatedWidth, rotatedHeight, angle);
    const TQkRowTable from(source, qkaRead);
    const TQkRowTable to(destination, qkaRead | qkaWrite);
    const int32_t bytes = QkBytesPerPixel(format);
    TQkProgressReporter progress(sender, &onProgress);
    for (int32_t y = 0; y < rotatedHeight; ++y) {
        const TInverseMap::TShift shift = map.Shift(y);
        for (int32_t x = 0; x < rotatedWidth; ++x) {
            const int32_t column = map.Column(x, shift);
            const int32_t row = map.Row(x, shift);
            if (column < 0 || column >= width || row < 0 || row >= height)
                continue;
            if (bytes == 0) {
                if (GetBit(from[row], column))
                    SetBit(to[y], x, true);
            } else {
                std::memcpy(to[y] + static_cast<ptrdiff_t>(x) * bytes,
                            from[row] + static_cast<ptrdiff_t>(column) * bytes, bytes);
            }
        }
        progress.Report(y * 100.0 / rotatedHeight);
    }
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

void RotateBitmap(TQkBitmap& bitmap, TColor background, TObject* sender, const TQkProgressEvent& onProgress,
                  double angle)
{
    if (bitmap.IsEmpty())
        return;
    TQkBitmap rotated;
    rotated.SetLocation(bitmap.TakeOverLocation());
    RotateBitmapInto(bitmap, rotated, background, sender, onProgress, angle);
    bitmap.TakeOverImage(rotated);
}

void RotateBitmapInto(TQkBitmap& source, TQkBitmap& destination, TColor background, TObject* sender,
                      const TQkProgressEvent& onProgress, double angle)
{
    if (source.IsEmpty() || &source == &destination || !std::isfinite(angle))
        return;
    if (!IsMultipleOf90(angle)) {
        RotateGeneral(source, destination, background, sender, onProgress, angle);
        return;
    }
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
