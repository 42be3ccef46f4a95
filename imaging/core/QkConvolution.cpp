#include "imaging/core/QkConvolution.h"

#include "imaging/core/QkPixels.h"
#include "imaging/core/QkRowTable.h"

#include <cstdlib>
#include <mutex>

namespace {

struct TPresetList {
    std::mutex Lock;
    std::vector<TConvolutionPreset> Presets;
    std::vector<std::string> Names;
};

TPresetList& PresetList()
{
    static TPresetList list;
    return list;
}

// For each of the nine weights, its product with every byte value.
using TProductTable = std::array<std::array<int32_t, 256>, 9>;

TProductTable ProductTable(const TConvolutionPreset& kernel)
{
    TProductTable table;
    for (size_t k = 0; k < 9; ++k)
        for (int32_t v = 0; v < 256; ++v)
            table[k][v] = kernel.Kernel[k] * v;
    return table;
}

} // namespace

void Convolve3x3Gray(TQkBitmap& bitmap, const TConvolutionPreset& kernel, int32_t x1, int32_t y1, int32_t x2,
                     int32_t y2)
{
    if (bitmap.GetPixelFormat() != qk8g || bitmap.IsEmpty())
        return;
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, width);
    y2 = std::min(y2, height);
    if (x2 <= x1 || y2 <= y1)
        return;
    const int32_t divisor = kernel.Divisor == 0 ? 1 : kernel.Divisor;
    const TProductTable products = ProductTable(kernel);
    const int32_t runWidth = x2 - x1;
    std::vector<uint8_t> result(static_cast<size_t>(runWidth) * (y2 - y1));
    {
        const TQkRowTable rows(bitmap, qkaRead);
        uint8_t* out = result.data();
        for (int32_t y = y1; y < y2; ++y)
            for (int32_t x = x1; x < x2; ++x) {
                int32_t sum = 0;
                for (int32_t i = 0; i < 3; ++i) {
                    const uint8_t* row = rows[std::clamp(y - 1 + i, 0, height - 1)];
                    for (int32_t j = 0; j < 3; ++j)
                        sum += products[3 * i + j][row[std::clamp(x - 1 + j, 0, width - 1)]];
                }
                *out++ = ByteClamp(std::abs(sum) / divisor);
            }
    }
    const TQkRowTable rows(bitmap, qkaRead | qkaWrite);
    for (int32_t y = y1; y < y2; ++y)
        std::copy_n(result.data() + static_cast<size_t>(y - y1) * runWidth, runWidth, rows[y] + x1);
}

const std::vector<TConvolutionPreset>& BuiltInConvolutionPresets()
{
    static const std::vector<TConvolutionPreset> presets = {
        {{0, 0, 0, 0, 1, 0, 0, 0, 0}, 0},     {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 9},
        {{1, 1, 1, 1, -8, 1, 1, 1, 1}, 1},    {{-1, 0, 1, -1, 1, 1, -1, 0, 1}, 1},
        {{0, -1, 0, -1, 5, -1, 0, -1, 0}, 1}, {{-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1},
        {{1, -2, 1, -2, 5, -2, 1, -2, 1}, 1}, {{1, 1, 1, 1, 1, 1, 1, 1, 1}, 10},
        {{1, 2, 1, 2, 4, 2, 1, 2, 1}, 16},
    };
    return presets;
}

const std::vector<std::string>& BuiltInConvolutionPresetNames()
{
    static const std::vector<std::string> names = {
        "None", "Blur", "Edges", "Emboss", "High Pass 1", "High Pass 2", "High Pass 3", "Low Pass 1", "Low Pass 2"};
    return names;
}

const std::vector<TConvolutionPreset>& ConvolutionPresets() { return PresetList().Presets; }

const std::vector<std::string>& ConvolutionPresetNames() { return PresetList().Names; }

void AddConvolutionPreset(const TConvolutionPreset& preset, const std::string& name)
{
    TPresetList& list = PresetList();
    const std::lock_guard<std::mutex> guard(list.Lock);
    list.Presets.push_back(preset);
    list.Names.push_back(name);
}

void CreateConvolutionPresets()
{
    FreeConvolutionPresets();
    for (size_t i = 0; i < BuiltInConvolutionPresets().size(); ++i)
        AddConvolutionPreset(BuiltInConvolutionPresets()[i], BuiltInConvolutionPresetNames()[i]);
}

void FreeConvolutionPresets()
{
    TPresetList& list = PresetList();
    const std::lock_guard<std::mutex> guard(list.Lock);
    list.Presets.clear();
    list.Names.clear();
}
