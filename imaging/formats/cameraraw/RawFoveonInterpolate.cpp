// Foveon's three-layer pipeline: sharpening, red against a Gaussian,
// neighbour limits, hue smoothing, the colour transform and a chroma pass
// over a quarter-size copy.
#include <algorithm>
#include <utility>

#include "imaging/formats/cameraraw/RawColour.h"

namespace {

using TRunList = std::initializer_list<std::pair<int32_t, int32_t>>;

std::vector<int32_t> Expand(TRunList runs)
{
    std::vector<int32_t> values;
    for (const auto& [value, repeat] : runs)
        values.insert(values.end(), size_t(repeat), value);
    return values;
}

const std::vector<int32_t>& CurveValues(TFoveonCurve curve)
{
    static const std::vector<int32_t> a =
        Expand({{0, 1},  {1, 1},  {2, 2},  {3, 1},  {4, 1},  {5, 1},  {6, 2},  {7, 1},  {8, 1},
                {9, 2},  {10, 1}, {11, 2}, {12, 1}, {13, 2}, {14, 2}, {15, 1}, {16, 2}, {17, 2},
                {18, 3}, {19, 2}, {20, 3}, {21, 3}, {22, 3}, {23, 5}, {24, 5}, {25, 8}, {26, 14}});
    static const std::vector<int32_t> b = Expand({{0, 1}, {1, 2}, {2, 1}, {3, 2}, {4, 2}, {5, 2}, {6, 3}, {7, 7}});
    static const std::vector<int32_t> c0 = Expand({{0, 1},
                                                   {1, 2},
                                                   {2, 2},
                                                   {3, 1},
                                                   {4, 2},
                                                   {5, 2},
                                                   {6, 2},
                                                   {7, 2},
                                                   {8, 3},
                                                   {9, 2},
                                                   {10, 4},
                                                   {11, 3},
                                                   {12, 6},
                                                   {13, 8},
                                                   {14, 32}});
    static const std::vector<int32_t> c1 = Expand(
        {{0, 1}, {1, 2}, {2, 1}, {3, 2}, {4, 2}, {5, 1}, {6, 2}, {7, 3}, {8, 2}, {9, 3}, {10, 3}, {11, 5}, {12, 9}});
    static const std::vector<int32_t> c2 =
        Expand({{0, 1},  {1, 2},  {2, 1},  {3, 2},  {4, 1},  {5, 1},  {6, 2},  {7, 2},   {8, 1},
                {9, 2},  {10, 1}, {11, 2}, {12, 2}, {13, 2}, {14, 2}, {15, 2}, {16, 2},  {17, 2},
                {18, 3}, {19, 3}, {20, 3}, {21, 4}, {22, 5}, {23, 5}, {24, 8}, {25, 12}, {26, 37}});
    switch (curve) {
    case TFoveonCurve::A: return a;
    case TFoveonCurve::B: return b;
    case TFoveonCurve::C0: return c0;
    case TFoveonCurve::C1: return c1;
    default: return c2;
    }
}

constexpr double ChannelFactor[3] = {1.0321, 1.0, 1.1124};
constexpr int32_t SharpenWeight[3][3][3] = {{{4141, 37726, 11265}, {-30437, 16066, -41102}, {326, -413, 362}},
                                            {{1770, -1316, 3480}, {-2139, 213, -4998}, {-2381, 3496, -2008}},
                                            {{-3838, -24025, -12968}, {20144, -12195, 30272}, {-631, -2025, 822}}};
constexpr int32_t Transform[3][3] = {{7576, -2933, 1279}, {-11594, 29911, -12394}, {4000, -18850, 20772}};

int64_t ShiftedProduct(int64_t a, int64_t b) { return int64_t(uint32_t(uint64_t(a * b)) >> 14); }

struct TFoveon {
    TRawDecodeContext& c;
    int32_t width, height;

    uint16_t& At(int32_t row, int32_t col, int32_t ch)
    {
        return c.image[size_t(row) * size_t(width) + size_t(col)][size_t(ch)];
    }

    void Sharpen();
    void SmoothRed();
    void LimitToNeighbours();
    void SmoothHues();
    void Chroma();
};

void TFoveon::Sharpen()
{
    for (int32_t row = 0; row < height; ++row) {
        int64_t prev[3] = {At(row, 0, 0), At(row, 0, 1), At(row, 0, 2)};
        for (int32_t col = 0; col < width; ++col) {
            int64_t q[3];
            for (int32_t ch = 0; ch < 3; ++ch) {
                const int64_t p = At(row, col, ch);
                const int64_t d = p - prev[ch];
                prev[ch] = p;
                q[ch] = p + SymmetricShift((d + ShiftedProduct(d, d)) * 0x3333, 14);
            }
            int64_t t[3][3];
            for (int32_t ch = 0; ch < 3; ++ch) {
                t[0][ch] = ShiftedProduct(q[ch], q[ch]);
                t[2][ch] = ShiftedProduct(q[ch], t[0][ch]);
                t[1][2 - ch] = ShiftedProduct(q[(ch + 1) % 3], q[(ch + 2) % 3]);
            }
            for (int32_t ch = 0; ch < 3; ++ch) {
                int64_t s = 0;
                for (int32_t i = 0; i < 3; ++i)
                    for (int32_t j = 0; j < 3; ++j)
                        s += SharpenWeight[ch][i][j] * t[i][j];
                const double value = double(q[ch] + SymmetricShift(s, 14)) * ChannelFactor[ch];
                At(row, col, ch) = uint16_t(std::clamp(int64_t(value), int64_t(0), int64_t(32000)));
            }
        }
    }
}

void TFoveon::SmoothRed()
{
    std::vector<int64_t> ring(size_t(5) * size_t(width));
    auto ringAt = [&](int32_t row, int32_t col) -> int64_t& {
        return ring[size_t(row % 5) * size_t(width) + size_t(col)];
    };
    int32_t filled = -1;
    for (int32_t row = 2; row < height - 2; ++row) {
        for (; filled < row + 2; ++filled) {
            const int32_t r = filled + 1;
            for (int32_t col = 2; col < width - 2; ++col)
                ringAt(r, col) = (6 * At(r, col, 0) + 4 * (At(r, col - 1, 0) + At(r, col + 1, 0)) + At(r, col - 2, 0) +
                                  At(r, col + 2, 0) + 8) >>
                    4;
        }
        int64_t last = 0;
        for (int32_t col = 2; col < width - 2; ++col) {
            const int64_t smred =
                SymmetricShift(6 * ringAt(row, col) + 4 * (ringAt(row - 1, col) + ringAt(row + 1, col)) +
                                   ringAt(row - 2, col) + ringAt(row + 2, col) + 8,
                               4);
            if (col == 2)
                last = smred;
            const int64_t red = At(row, col, 0);
            const int64_t sharp = red + SymmetricShift(red - SymmetricShift(7 * smred + last, 3), 2);
            At(row, col, 0) = uint16_t(std::clamp<int64_t>(sharp, 0, 10000));
            last = smred;
        }
    }
}

void TFoveon::LimitToNeighbours()
{
    for (int32_t row = 1; row < height - 1; ++row) {
        int32_t left[3] = {At(row, 0, 0), At(row, 0, 1), At(row, 0, 2)};
        for (int32_t col = 1; col < width - 1; ++col)
            for (int32_t ch = 0; ch < 3; ++ch) {
                const int32_t neighbours[8] = {At(row, col + 1, ch),     At(row - 1, col - 1, ch),
                                               At(row - 1, col, ch),     At(row - 1, col + 1, ch),
                                               At(row + 1, col - 1, ch), At(row + 1, col, ch),
                                               At(row + 1, col + 1, ch), left[ch]};
                const auto [low, high] = std::minmax_element(std::begin(neighbours), std::end(neighbours));
                const int32_t own = At(row, col, ch);
                left[ch] = own;
                At(row, col, ch) = uint16_t(std::clamp(own, *low, *high));
            }
    }
}

void TFoveon::SmoothHues()
{
    std::vector<std::array<int64_t, 3>> ring(size_t(5) * size_t(width));
    auto ringAt = [&](int32_t row, int32_t col) -> std::array<int64_t, 3>& {
        return ring[size_t(row % 5) * size_t(width) + size_t(col)];
    };
    int32_t filled = -1;
    for (int32_t row = 2; row < height - 2; ++row) {
        for (; filled < row + 2; ++filled) {
            const int32_t r = filled + 1;
            for (int32_t col = 2; col < width - 2; ++col)
                for (int32_t ch = 0; ch < 3; ++ch) {
                    int64_t sum = 0;
                    for (int32_t dx = -2; dx <= 2; ++dx)
                        sum += At(r, col + dx, ch);
                    ringAt(r, col)[size_t(ch)] = sum;
                }
        }
        for (int32_t col = 2; col < width - 2; ++col) {
            int64_t total[3] = {};
            int64_t t = 1500, s = 60;
            for (int32_t ch = 0; ch < 3; ++ch) {
                for (int32_t k = -2; k <= 2; ++k)
                    total[ch] += ringAt(row + k, col)[size_t(ch)];
                t += total[ch];
                s += At(row, col, ch);
            }
            const int64_t j = s * 65536 / t;
            int64_t q[3];
            for (int32_t ch = 0; ch < 3; ++ch) {
                const int64_t p = At(row, col, ch);
                const int64_t x =
                    ApplyCurve(SymmetricShift(total[ch] * j, 16) - int32_t(p), TFoveonCurve::A) + p - (ch == 1) - 13;
                q[ch] = x - ApplyCurve(int32_t(x), TFoveonCurve::B);
            }
            const int64_t m = SymmetricShift(q[0] + 2 * q[1] + q[2], 2);
            for (int32_t ch = 0; ch < 3; ++ch)
                At(row, col, ch) =
                    uint16_t(std::clamp<int64_t>(q[ch] - ApplyCurve(int32_t(q[ch] - m), TFoveonCurve::B), 0, 0xFFFF));
        }
    }
}

} // namespace

void FoveonTransformColours(TRawDecodeContext& context)
{
    for (TRawPixel& pixel : context.image) {
        int64_t out[3];
        for (size_t i = 0; i < 3; ++i) {
            int64_t sum = 4096;
            for (size_t j = 0; j < 3; ++j)
                sum += Transform[i][j] * int64_t(pixel[j]);
            out[i] = std::clamp<int64_t>(SymmetricShift(sum, 13), 0, 24000);
        }
        for (size_t i = 0; i < 3; ++i)
            pixel[i] = uint16_t(out[i]);
    }
}

namespace {

void TFoveon::Chroma()
{
    const int32_t w4 = width / 4, h4 = height / 4;
    if (w4 <= 0 || h4 <= 0)
        return;
    std::vector<std::array<int64_t, 3>> copy(size_t(w4) * size_t(h4));
    for (int32_t row = h4 - 1; row >= 0; --row)
        for (int32_t col = 0; col < w4; ++col) {
            auto& out = copy[size_t(row) * size_t(w4) + size_t(col)];
            for (int32_t ch = 0; ch < 3; ++ch) {
                int64_t v = 0;
                for (int32_t y = 0; y < 4; ++y)
                    for (int32_t x = 0; x < 4; ++x)
                        v += At(4 * row + y, 4 * col + x, ch);
                if (row + 2 > h4)
                    out[size_t(ch)] = v >> 4;
                else
                    out[size_t(ch)] = SymmetricShift(
                        copy[size_t(row + 1) * size_t(w4) + size_t(col)][size_t(ch)] * 1840 + v * 141, 12);
            }
        }
    const int32_t cols = width & -4;
    const auto size = size_t(cols);
    std::vector<std::array<int64_t, 3>> ring0(size), ring1(size), ring2(size);
    for (int32_t row = 0; row < (height & -4); ++row) {
        if (row % 4 == 0) {
            int64_t a[3] = {}, b[3] = {};
            for (int32_t col = cols - 1; col >= 0; --col)
                for (size_t ch = 0; ch < 3; ++ch)
                    ring0[size_t(col)][ch] = a[ch] = SymmetricShift(
                        copy[size_t(row / 4) * size_t(w4) + size_t(col / 4)][ch] * 1485 + a[ch] * 6707, 13);
            for (int32_t col = 0; col < cols; ++col)
                for (size_t ch = 0; ch < 3; ++ch)
                    ring1[size_t(col)][ch] = b[ch] = SymmetricShift(ring0[size_t(col)][ch] * 1485 + b[ch] * 6707, 13);
        }
        for (int32_t col = 0; col < cols; ++col)
            for (size_t ch = 0; ch < 3; ++ch)
                ring2[size_t(col)][ch] = row == 0
                    ? ring1[size_t(col)][ch]
                    : SymmetricShift(ring2[size_t(col)][ch] * 6707 + ring1[size_t(col)][ch] * 1485, 13);
        static constexpr TFoveonCurve curves[3] = {TFoveonCurve::C0, TFoveonCurve::C1, TFoveonCurve::C2};
        for (int32_t col = 0; col < cols; ++col) {
            int64_t t = 60, s = 60;
            for (int32_t ch = 0; ch < 3; ++ch) {
                t += ring2[size_t(col)][size_t(ch)];
                s += At(row, col, ch);
            }
            const int64_t j = s * 65536 / t;
            int64_t e[3];
            for (int32_t ch = 0; ch < 3; ++ch)
                e[ch] = ApplyCurve(int32_t(SymmetricShift(j * ring2[size_t(col)][size_t(ch)], 16) - At(row, col, ch)),
                                   curves[ch]);
            const int64_t m = SymmetricShift(e[0] + e[1] + e[2], 3);
            for (int32_t ch = 0; ch < 3; ++ch)
                At(row, col, ch) = uint16_t(std::clamp<int64_t>(At(row, col, ch) + e[ch] - m, 0, 0xFFFF));
        }
    }
}

} // namespace

int32_t SymmetricShift(int64_t value, int32_t shift)
{
    const int64_t magnitude = (value < 0 ? -value : value) >> shift;
    return int32_t(value < 0 ? -magnitude : magnitude);
}

int32_t ApplyCurve(int32_t index, TFoveonCurve curve)
{
    const std::vector<int32_t>& v = CurveValues(curve);
    const auto n = int32_t(v.size());
    if (index <= -n)
        return -v.back() - 1;
    if (index < 0)
        return -v[size_t(-index)];
    if (index < n)
        return v[size_t(index)];
    return v.back() + 1;
}

void foveon_interpolate(TRawDecodeContext& context)
{
    TFoveon foveon{context, context.width, context.height};
    foveon.Sharpen();
    foveon.SmoothRed();
    foveon.LimitToNeighbours();
    foveon.SmoothHues();
    FoveonTransformColours(context);
    foveon.Chroma();
}
