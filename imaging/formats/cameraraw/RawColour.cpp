#include "imaging/formats/cameraraw/RawColour.h"

#include <algorithm>
#include <cmath>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"

namespace {

uint16_t& Sample(TRawDecodeContext& context, int32_t row, int32_t col, int32_t c)
{
    return context.image[size_t(row) * size_t(context.width) + size_t(col)][size_t(c)];
}

void AutomaticBalance(TRawDecodeContext& context, std::array<double, 4>& avg)
{
    std::array<double, 4> sum{}, count{};
    for (const TRawPixel& pixel : context.image)
        for (int32_t c = 0; c < context.colors; ++c) {
            const int32_t sample = pixel[size_t(c)];
            if (!sample)
                continue;
            const int32_t v = std::max(sample - context.black, 0);
            if (v > context.rgb_max - 100)
                continue;
            sum[size_t(c)] += v;
            count[size_t(c)] += 1;
        }
    for (int32_t c = 0; c < context.colors; ++c)
        avg[size_t(c)] = count[size_t(c)] ? sum[size_t(c)] / count[size_t(c)] : 0;
}

void CameraBalance(TRawDecodeContext& context)
{
    std::array<double, 4> sum{}, count{};
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t col = 0; col < 8; ++col) {
            const int32_t c = FilterColor(context, row, col);
            const int32_t v = context.white[size_t(row)][size_t(col)] - context.black;
            if (v > 0)
                sum[size_t(c)] += v;
            count[size_t(c)] += 1;
        }
    double dmin = 1.7e308, dmax = 0;
    std::array<double, 4> avg{};
    for (int32_t c = 0; c < context.colors; ++c) {
        avg[size_t(c)] = count[size_t(c)] ? sum[size_t(c)] / count[size_t(c)] : 0;
        dmin = std::min(dmin, avg[size_t(c)]);
        dmax = std::max(dmax, avg[size_t(c)]);
    }
    if (dmin > 0) {
        for (int32_t c = 0; c < context.colors; ++c)
            context.pre_mul[size_t(c)] = float(dmax / avg[size_t(c)]);
    } else if (context.camera_red != 0 && context.camera_blue != 0) {
        context.pre_mul = {context.camera_red, 1, context.camera_blue, 1};
    }
}

} // namespace

void ScaleColors(TRawDecodeContext& context)
{
    context.rgb_max -= context.black;
    const bool automatic = context.use_auto_wb || (context.use_camera_wb && context.camera_red == -1);
    if (automatic) {
        std::array<double, 4> avg{};
        AutomaticBalance(context, avg);
        const double dmax = *std::max_element(avg.begin(), avg.begin() + context.colors);
        // A colour without counted samples keeps its multiplier.
        for (int32_t c = 0; c < context.colors; ++c)
            if (avg[size_t(c)] > 0)
                context.pre_mul[size_t(c)] = float(dmax / avg[size_t(c)]);
    }
    if (context.use_camera_wb && context.camera_red != -1)
        CameraBalance(context);
    if (!context.use_coeff) {
        context.pre_mul[0] *= context.red_scale;
        context.pre_mul[2] *= context.blue_scale;
    }
    const int32_t high = std::max(context.rgb_max, 0);
    for (TRawPixel& pixel : context.image)
        for (int32_t c = 0; c < context.colors; ++c) {
            uint16_t& sample = pixel[size_t(c)];
            if (!sample)
                continue;
            const double scaled = (int32_t(sample) - context.black) * double(context.pre_mul[size_t(c)]);
            sample = uint16_t(std::clamp(std::trunc(scaled), 0.0, double(high)));
        }
}

void vng_interpolate(TRawDecodeContext& context)
{
    struct TTerm {
        int32_t dy, dx, shift, color;
    };
    struct TPhase {
        std::array<TTerm, 8> terms;
        std::array<int32_t, 4> weight{};
        int32_t own = 0;
    };
    std::array<std::array<TPhase, 2>, 8> phases;
    for (int32_t row = 0; row < 8; ++row)
        for (int32_t col = 1; col <= 2; ++col) {
            TPhase& phase = phases[size_t(row)][size_t(col & 1)];
            phase.own = FilterColor(context, row, col);
            size_t n = 0;
            for (int32_t dy = -1; dy <= 1; ++dy)
                for (int32_t dx = -1; dx <= 1; ++dx) {
                    if (!dy && !dx)
                        continue;
                    const int32_t shift = (dy == 0 || dx == 0) ? 1 : 0;
                    const int32_t color = FilterColor(context, row + dy, col + dx);
                    phase.terms[n++] = {dy, dx, shift, color};
                    phase.weight[size_t(color)] += 1 << shift;
                }
        }
    for (int32_t row = 1; row + 1 < context.height; ++row)
        for (int32_t col = 1; col + 1 < context.width; ++col) {
            const TPhase& phase = phases[size_t(row & 7)][size_t(col & 1)];
            std::array<int32_t, 4> sum{};
            for (const TTerm& t : phase.terms)
                sum[size_t(t.color)] += Sample(context, row + t.dy, col + t.dx, t.color) << t.shift;
            for (int32_t c = 0; c < context.colors; ++c)
                if (c != phase.own && phase.weight[size_t(c)])
                    Sample(context, row, col, c) = uint16_t(sum[size_t(c)] / phase.weight[size_t(c)]);
        }
}

void ConvertToRgb(TRawDecodeContext& context)
{
    context.histogram.fill(0);
    for (int32_t row = context.trim; row < context.height - context.trim; ++row)
        for (int32_t col = context.trim; col < context.width - context.trim; ++col) {
            TRawPixel& p = context.image[size_t(row) * size_t(context.width) + size_t(col)];
            if (context.colors == 4 && !context.use_coeff)
                p[1] = uint16_t((p[1] + p[3]) >> 1);
            double rgb[3] = {double(p[0]), double(p[1]), double(p[2])};
            bool limit = true;
            if (context.colors == 1) {
                rgb[1] = rgb[2] = p[0];
            } else if (context.use_coeff) {
                for (size_t r = 0; r < 3; ++r) {
                    rgb[r] = 0;
                    for (int32_t g = 0; g < context.colors; ++g)
                        rgb[r] += p[size_t(g)] * double(context.coeff[r][size_t(g)]);
                }
            } else if (context.is_cmy) {
                rgb[0] = double(p[0]) + p[1] - p[2];
                rgb[1] = double(p[1]) + p[2] - p[0];
                rgb[2] = double(p[2]) + p[0] - p[1];
            } else {
                limit = false;
            }
            if (limit)
                for (size_t c = 0; c < 3; ++c)
                    p[c] = uint16_t(std::clamp(rgb[c], 0.0, double(std::max(context.rgb_max, 0))));
            const double magnitude = std::sqrt(double(p[0]) * p[0] + double(p[1]) * p[1] + double(p[2]) * p[2]) / 2;
            p[3] = uint16_t(std::min(magnitude, 65535.0));
            ++context.histogram[size_t(p[3] >> 3)];
        }
}

void WriteRawOutput(TRawDecodeContext& context, TQkBitmap& bitmap, TIOParamsVals& params)
{
    const double fraction = context.make == "FUJIFILM" ? 0.005 : 0.01;
    const int64_t perc = int64_t(fraction * context.width * context.height);
    int64_t total = 0;
    int32_t bin = 0x1FFF;
    for (; bin > 0; --bin) {
        total += context.histogram[size_t(bin)];
        if (total > perc)
            break;
    }
    const int32_t white = std::max(bin << 4, 1);
    const bool deep = params.NativePixelFormat;
    const double mul = context.bright * 442.0 / white;
    // Each magnitude's gain is one power, computed when a pixel first needs
    // it: small or flat images never pay for all 65,535.
    std::vector<double> table(65536, 0.0);
    std::vector<uint8_t> known(65536, 0);
    known[0] = 1;
    const auto gainOf = [&](uint16_t magnitude) {
        double& gain = table[magnitude];
        if (!known[magnitude]) {
            known[magnitude] = 1;
            gain = std::pow(2.0 * double(magnitude) / white, double(context.gamma) - 1) * mul;
            if (deep)
                gain = gain / 255 * 65535;
        }
        return gain;
    };
    const int32_t outWidth = (context.width - 2 * context.trim) * context.xmag;
    const int32_t outHeight = (context.height - 2 * context.trim) * context.ymag;
    params.BitsPerSample = deep ? 16 : 8;
    params.SamplesPerPixel = 3;
    bitmap.Allocate(outWidth, outHeight, deep ? qkRGB48 : qk24RGB);
    const double top = deep ? 65535 : 255;
    for (int32_t row = context.trim; row < context.height - context.trim; ++row)
        for (int32_t y = 0; y < context.ymag; ++y) {
            uint8_t* line = bitmap.GetScanline((row - context.trim) * context.ymag + y);
            for (int32_t col = context.trim; col < context.width - context.trim; ++col) {
                const TRawPixel& p = context.image[size_t(row) * size_t(context.width) + size_t(col)];
                const double gain = gainOf(p[3]);
                for (int32_t x = 0; x < context.xmag; ++x) {
                    const int32_t at = (col - context.trim) * context.xmag + x;
                    for (int32_t c = 0; c < 3; ++c) {
                        const auto value = uint32_t(std::min(std::trunc(p[size_t(c)] * gain), top));
                        if (deep) {
                            uint8_t* out = line + size_t(at) * 6 + size_t(c) * 2;
                            out[0] = uint8_t(value);
                            out[1] = uint8_t(value >> 8);
                        } else {
                            line[size_t(at) * 3 + size_t(2 - c)] = uint8_t(value);
                        }
                    }
                }
            }
        }
    if (context.fuji_rotated)
        FujiDerotate(bitmap);
}
