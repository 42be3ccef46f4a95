// Turns the diagonal layout of Fujifilm's sensors back upright, filling
// the positions between the diagonal samples from their neighbours.
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/formats/cameraraw/RawColour.h"

namespace {

using TTriple = std::array<uint16_t, 3>;

struct TPixelRows {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<TTriple> pixels;

    TTriple& At(int32_t row, int32_t col) { return pixels[size_t(row) * size_t(width) + size_t(col)]; }
    TTriple Get(int32_t row, int32_t col) const
    {
        if (row < 0 || col < 0 || row >= height || col >= width)
            return {};
        return pixels[size_t(row) * size_t(width) + size_t(col)];
    }
};

TPixelRows ReadBitmap(TQkBitmap& bitmap, bool deep)
{
    TPixelRows rows{bitmap.GetWidth(), bitmap.GetHeight(), {}};
    rows.pixels.resize(size_t(rows.width) * size_t(rows.height));
    for (int32_t y = 0; y < rows.height; ++y) {
        const uint8_t* line = bitmap.GetScanline(y);
        for (int32_t x = 0; x < rows.width; ++x)
            for (size_t c = 0; c < 3; ++c)
                rows.At(y, x)[c] = deep ? uint16_t(line[size_t(x) * 6 + c * 2] | line[size_t(x) * 6 + c * 2 + 1] << 8)
                                        : line[size_t(x) * 3 + c];
    }
    return rows;
}

void WriteBitmap(TQkBitmap& bitmap, const TPixelRows& rows, TQkPixelFormat format, bool deep)
{
    bitmap.Allocate(rows.width, rows.height, format);
    for (int32_t y = 0; y < rows.height; ++y) {
        uint8_t* line = bitmap.GetScanline(y);
        for (int32_t x = 0; x < rows.width; ++x) {
            const TTriple p = rows.Get(y, x);
            for (size_t c = 0; c < 3; ++c) {
                if (deep) {
                    line[size_t(x) * 6 + c * 2] = uint8_t(p[c]);
                    line[size_t(x) * 6 + c * 2 + 1] = uint8_t(p[c] >> 8);
                } else {
                    line[size_t(x) * 3 + c] = uint8_t(p[c]);
                }
            }
        }
    }
}

bool IsBlack(const TTriple& p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

} // namespace

void FujiDerotate(TQkBitmap& bitmap)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    const bool deep = format == qkRGB48;
    if (bitmap.IsEmpty() || (format != qkRGB48 && format != qk24RGB))
        return;
    const TPixelRows source = ReadBitmap(bitmap, deep);
    int32_t first = -1;
    int32_t last = -1;
    for (int32_t x = 0; x < source.width; ++x)
        if (!IsBlack(source.Get(0, x))) {
            if (first < 0)
                first = x;
            last = x;
        }
    const int32_t n = last;
    const int32_t c = 2 * source.width - 2 * first - 4;
    if (first < 0 || n <= 0 || c <= 0)
        return;
    TPixelRows grid{n, c, std::vector<TTriple>(size_t(n) * size_t(c))};
    for (int32_t s = 0; s < source.height; ++s)
        for (int32_t k = 0; k < source.width; ++k) {
            const auto d = uint16_t(s + k - (last + 1) + 6);
            const auto f = uint16_t((k + n - s - 1) / 2);
            if (d < c && f < n)
                grid.At(d, f) = source.Get(s, k);
        }
    TPixelRows out{2 * n, c, std::vector<TTriple>(size_t(2 * n) * size_t(c))};
    for (int32_t k = 1; k < c; ++k)
        for (int32_t m = 1; m < 2 * n; ++m) {
            const TTriple q = grid.Get(k, m / 2);
            TTriple& target = out.At(k - 1, m);
            if ((k + m) % 2 == 0) {
                target = q;
            } else if (k - 1 < c - 2 && m - 1 < 2 * n - 2) {
                const int32_t sCol = (k & 1) ? m / 2 - 1 : m / 2;
                const TTriple above = grid.Get(k - 1, m / 2), below = grid.Get(k + 1, m / 2);
                const TTriple s = grid.Get(k, sCol), next = grid.Get(k, sCol + 1);
                for (size_t ch = 0; ch < 3; ++ch)
                    target[ch] = uint16_t((above[ch] + s[ch] + below[ch] + next[ch]) >> 2);
            } else if (k >= 2) {
                target = out.At(k - 2, m);
            }
        }
    WriteBitmap(bitmap, out, format, deep);
}
