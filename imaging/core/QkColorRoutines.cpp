#include "imaging/core/QkColorRoutines.h"

#include <algorithm>
#include <cmath>

#include "imaging/core/QkICC.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSettings.h"
#include "platform/core/Types.h"

namespace {

double Linearised(uint8_t channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double LabF(double v) { return v > 0.008856 ? std::pow(v, 1.0 / 3.0) : 7.787 * v + 16.0 / 116.0; }

double LabInverse(double f)
{
    const double cube = f * f * f;
    return cube > 0.008856 ? cube : (f - 16.0 / 116.0) / 7.787;
}

uint8_t GammaByte(double c)
{
    const double encoded = c > 0.0031308 ? 1.055 * std::pow(c, 1 / 2.4) - 0.055 : 12.92 * c;
    const double scaled = encoded * 255;
    return ByteClamp(scaled <= -1 ? -1 : scaled >= 256 ? 256 : static_cast<int32_t>(Round(scaled)));
}

uint8_t TruncatedByte(double value)
{
    return ByteClamp(value <= -1 ? -1 : value >= 256 ? 256 : static_cast<int32_t>(value));
}

// Bytes of one pixel of each kind, 0 for an unknown kind.
int32_t PixelBytes(uint8_t kind)
{
    switch (kind) {
    case ckRGB:
    case ckBGR:
    case ckCIELab:
    case ckYCbCr: return 3;
    case ckCMYK: return 4;
    case ckInkCMYK:
    case ckRGB48:
    case ckRGB48BigEndian: return 6;
    case ckGray: return 1;
    default: return 0;
    }
}

TRGBPixel DecodePixel(uint8_t* pixel, uint8_t kind)
{
    TRGBPixel rgb{};
    switch (kind) {
    case ckRGB: return MakeRGBPixel(pixel[0], pixel[1], pixel[2]);
    case ckBGR: return {pixel[0], pixel[1], pixel[2]};
    case ckInkCMYK:
        for (int i = 0; i < 4; ++i)
            pixel[i] = static_cast<uint8_t>(255 - pixel[i]);
        [[fallthrough]];
    case ckCMYK: CmykToRgb({pixel[0], pixel[1], pixel[2], pixel[3]}, rgb); return rgb;
    case ckCIELab:
        CieLabToRgb(rgb, {pixel[0], static_cast<int8_t>(pixel[1]), static_cast<int8_t>(pixel[2])});
        return rgb;
    case ckGray: return {pixel[0], pixel[0], pixel[0]};
    case ckRGB48: return MakeRGBPixel(pixel[1], pixel[3], pixel[5]);
    case ckRGB48BigEndian: return MakeRGBPixel(pixel[0], pixel[2], pixel[4]);
    default: YCbCrToRGB(rgb, pixel[0], pixel[1], pixel[2]); return rgb;
    }
}

// Writes one pixel of a target kind.
void EncodePixel(const TRGBPixel& rgb, uint8_t* pixel, uint8_t kind)
{
    switch (kind) {
    case ckBGR:
        pixel[0] = rgb.b;
        pixel[1] = rgb.g;
        pixel[2] = rgb.r;
        return;
    case ckCMYK: {
        const TCMYKPixel cmyk = RgbToCmyk((static_cast<uint32_t>(rgb.r) << 16) | (rgb.g << 8) | rgb.b);
        pixel[0] = cmyk.c;
        pixel[1] = cmyk.m;
        pixel[2] = cmyk.y;
        pixel[3] = cmyk.k;
        return;
    }
    case ckCIELab: {
        TCIELabPixel lab{};
        RgbToCieLab(lab, rgb);
        pixel[0] = lab.l;
        pixel[1] = static_cast<uint8_t>(lab.a);
        pixel[2] = static_cast<uint8_t>(lab.b);
        return;
    }
    default: pixel[0] = RGBPixelToGray(rgb); return;
    }
}

int32_t TargetBytes(uint8_t kind)
{
    return kind == ckBGR || kind == ckCMYK || kind == ckCIELab || kind == ckGray ? PixelBytes(kind) : 0;
}

} // namespace

void RgbToCieLab(TCIELabPixel& lab, const TRGBPixel& color)
{
    const double r = Linearised(color.r);
    const double g = Linearised(color.g);
    const double b = Linearised(color.b);
    const double x = (0.412453 * r + 0.35758 * g + 0.180423 * b) / 0.95047;
    const double y = 0.212671 * r + 0.71516 * g + 0.072169 * b;
    const double z = (0.019334 * r + 0.119193 * g + 0.950227 * b) / 1.088883;
    const double fx = LabF(x);
    const double fy = LabF(y);
    const double fz = LabF(z);
    const double lightness = y > 0.008856 ? 116 * fy - 16 : 903.3 * y;
    lab.l = static_cast<uint8_t>(static_cast<int32_t>(lightness * 255 / 100));
    lab.a = static_cast<int8_t>(static_cast<uint8_t>(static_cast<int32_t>(500 * (fx - fy))));
    lab.b = static_cast<int8_t>(static_cast<uint8_t>(static_cast<int32_t>(200 * (fy - fz))));
}

void CieLabToRgb(TRGBPixel& color, const TCIELabPixel& lab)
{
    const double lightness = lab.l * 0.39215686275;
    const double fy = (lightness + 16) / 116;
    const double fx = lab.a / 500.0 + fy;
    const double fz = fy - lab.b / 200.0;
    const double x = LabInverse(fx) * 0.95047;
    const double y = LabInverse(fy);
    const double z = LabInverse(fz) * 1.08883;
    color.r = GammaByte(3.2406 * x - 1.5372 * y - 0.4986 * z);
    color.g = GammaByte(-0.9689 * x + 1.8758 * y + 0.0415 * z);
    color.b = GammaByte(0.0557 * x - 0.204 * y + 1.057 * z);
}

void YCbCrToRGB(TRGBPixel& pixel, uint8_t y, uint8_t cb, uint8_t cr)
{
    pixel.r = TruncatedByte(y + 1.402 * (cr - 128));
    pixel.g = TruncatedByte(y - 0.34414 * (cb - 128) - 0.71414 * (cr - 128));
    pixel.b = TruncatedByte(y + 1.772 * (cb - 128));
}

void CmykToRgb(const TCMYKPixel& cmyk, TRGBPixel& rgb)
{
    if (CmykToRgbThroughProfile(cmyk, rgb))
        return;
    rgb.r = static_cast<uint8_t>(cmyk.c * cmyk.k / 255);
    rgb.g = static_cast<uint8_t>(cmyk.m * cmyk.k / 255);
    rgb.b = static_cast<uint8_t>(cmyk.y * cmyk.k / 255);
}

TCMYKPixel RgbToCmyk(uint32_t rgb)
{
    if (TCMYKPixel cmyk; RgbToCmykThroughProfile(rgb, cmyk))
        return cmyk;
    const int32_t r = (rgb >> 16) & 0xFF;
    const int32_t g = (rgb >> 8) & 0xFF;
    const int32_t b = rgb & 0xFF;
    int32_t k = std::max({r, g, b});
    if (k == 0)
        k = 1;
    return MakeCMYKPixel(static_cast<uint8_t>(r * 255 / k), static_cast<uint8_t>(g * 255 / k),
                         static_cast<uint8_t>(b * 255 / k), static_cast<uint8_t>(k));
}

namespace {

TQkICC* SourceProfile(TIOParamsVals& params)
{
    TQkICC* input = params.InputICCProfile.get();
    if (!params.DefaultICCProfile || (input != nullptr && input->IsValid()))
        return input;
    return params.DefaultICCProfile.get();
}

bool ConvertThroughProfiles(void* source, uint8_t sourceKind, void* target, TIOParamsVals* params, int32_t count,
                            uint8_t targetKind)
{
    if (!ColorManagementEnabled || params == nullptr || (targetKind != ckBGR && targetKind != ckCMYK))
        return false;
    TQkICC* profile = SourceProfile(*params);
    if (profile == nullptr || !profile->IsValid() || profile->Applied())
        return false;
    TQkICC& output = params->GetOutputICCProfile();
    return output.IsValid() && profile->TransformPixels(output, sourceKind, targetKind, 0, 0, source, target, count);
}

} // namespace

void ConvertColorRow(void* source, uint8_t sourceKind, void* target, TIOParamsVals* params, int32_t count,
                     uint8_t targetKind)
{
    if (source != nullptr && target != nullptr &&
        ConvertThroughProfiles(source, sourceKind, target, params, count, targetKind))
        return;
    const int32_t sourceBytes = PixelBytes(sourceKind);
    const int32_t targetBytes = TargetBytes(targetKind);
    if (sourceBytes == 0 || targetBytes == 0 || source == nullptr || target == nullptr)
        return;
    auto* in = static_cast<uint8_t*>(source);
    auto* out = static_cast<uint8_t*>(target);
    for (int32_t i = 0; i < count; ++i, in += sourceBytes, out += targetBytes)
        EncodePixel(DecodePixel(in, sourceKind), out, targetKind);
}

void ConvertColor(void* source, uint8_t sourceKind, void* target, uint8_t targetKind, int32_t count,
                  TIOParamsVals* params)
{
    ConvertColorRow(source, sourceKind, target, params, count, targetKind);
}
