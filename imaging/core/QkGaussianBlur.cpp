#include "imaging/core/QkGaussianBlur.h"

#include "imaging/core/QkPixels.h"
#include "imaging/core/QkRowTable.h"

#include "platform/core/Types.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int32_t Centre = 100;

} // namespace

void BuildGaussianKernel(TGaussianKernel& kernel, double radius)
{
    kernel.Taps.fill(0);
    if (!(radius > 0)) {
        kernel.Taps[Centre] = 65536;
        kernel.Radius = 1;
        return;
    }
    std::array<double, 201> values;
    double sum = 0;
    for (int32_t i = 0; i < 201; ++i) {
        const double distance = (i - Centre) / radius;
        values[i] = std::exp2(-distance * distance / 2 * std::numbers::log2e);
        sum += values[i];
    }
    for (int32_t i = 0; i < 201; ++i)
        kernel.Taps[i] = static_cast<int32_t>(Round(values[i] * 65536 / sum));
    int32_t reach = Centre;
    while (reach > 1 && kernel.Taps[Centre - reach] == 0 && kernel.Taps[Centre + reach] == 0)
        --reach;
    kernel.Radius = static_cast<uint8_t>(reach);
}

void GaussianBlurLine(const TGaussianKernel& kernel, const uint8_t* source, uint8_t* destination, int32_t count)
{
    const int32_t radius = kernel.Radius;
    for (int32_t p = 0; p < count; ++p) {
        int64_t sum = 32768;
        for (int32_t j = -radius; j <= radius; ++j)
            sum += static_cast<int64_t>(kernel.Taps[Centre + j]) * source[std::clamp(p + j, 0, count - 1)];
        destination[p] = ByteClamp(static_cast<int32_t>(sum >> 16));
    }
}

void GaussianBlurGray(TQkBitmap& bitmap, int32_t x1, int32_t y1, int32_t x2, int32_t y2, double radius)
{
    if (bitmap.GetPixelFormat() != qk8g || bitmap.IsEmpty() || !(radius > 0))
        return;
    x1 = std::clamp(x1, 0, bitmap.GetWidth() - 1);
    x2 = std::clamp(x2, 0, bitmap.GetWidth() - 1);
    y1 = std::clamp(y1, 0, bitmap.GetHeight() - 1);
    y2 = std::clamp(y2, 0, bitmap.GetHeight() - 1);
    if (x2 < x1 || y2 < y1)
        return;
    TGaussianKernel kernel;
    BuildGaussianKernel(kernel, radius);
    const int32_t columns = x2 - x1 + 1;
    const int32_t rows = y2 - y1 + 1;
    std::vector<uint8_t> line(std::max(columns, rows));
    std::vector<uint8_t> blurred(line.size());
    const TQkRowTable table(bitmap, qkaRead | qkaWrite);
    for (int32_t y = y1; y <= y2; ++y) {
        std::copy_n(table[y] + x1, columns, line.data());
        GaussianBlurLine(kernel, line.data(), table[y] + x1, columns);
    }
    for (int32_t x = x1; x <= x2; ++x) {
        for (int32_t y = y1; y <= y2; ++y)
            line[y - y1] = table[y][x];
        GaussianBlurLine(kernel, line.data(), blurred.data(), rows);
        for (int32_t y = y1; y <= y2; ++y)
            table[y][x] = blurred[y - y1];
    }
}
