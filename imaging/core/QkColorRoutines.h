#pragma once
// Colour-space conversions of single pixels and of pixel rows: CIE L*a*b*,
// YCbCr, CMYK (stored inverted, 255 = no ink) and gray.

#include <cstdint>

#include "imaging/core/QkPixels.h"

class TIOParamsVals;

void RgbToCieLab(TCIELabPixel& lab, const TRGBPixel& color);
void CieLabToRgb(TRGBPixel& color, const TCIELabPixel& lab);
// JFIF equations, each channel truncated and clamped to 0..255.
void YCbCrToRGB(TRGBPixel& pixel, uint8_t y, uint8_t cb, uint8_t cr);
// Through the CMYK profile pair when one is supplied (CmykProfileSource),
// otherwise red = C x K div 255 and so on, on the stored bytes.
void CmykToRgb(const TCMYKPixel& cmyk, TRGBPixel& rgb);
// `rgb` packed with red in bits 16-23, green 8-15, blue 0-7. Through the
// CMYK profile pair when one is supplied, otherwise K is the largest
// channel (1 for black, so black stores K = 1).
TCMYKPixel RgbToCmyk(uint32_t rgb);

// Pixel kinds of ConvertColorRow. Sources: every kind; targets: ckBGR,
// ckCMYK, ckCIELab and ckGray.
enum TColorKind : uint8_t {
    ckRGB = 0, // 3 bytes red, green, blue
    ckBGR = 1, // TRGBPixel
    ckCMYK = 2, // TCMYKPixel
    ckInkCMYK = 3, // 6 bytes, the first four CMYK as ink amounts (0 = no ink)
    ckCIELab = 4, // TCIELabPixel
    ckGray = 5, // 1 byte
    ckRGB48 = 6, // three 16-bit samples, low byte first
    ckRGB48BigEndian = 7, // three 16-bit samples, high byte first
    ckYCbCr = 8, // 3 bytes Y, Cb, Cr
};

// Converts `count` pixels. Every source kind converts to every target kind
// through a TRGBPixel; an unknown kind writes nothing. A ckInkCMYK source
// is complemented in place (its row becomes stored CMYK), so callers pass a
// row they own. With ColorManagementEnabled, BGR and CMYK targets go
// through the parameters' profiles when they can: the input profile (or the
// default one when the input has none open) to the output profile.
void ConvertColorRow(void* source, uint8_t sourceKind, void* target, TIOParamsVals* params, int32_t count,
                     uint8_t targetKind);
void ConvertColor(void* source, uint8_t sourceKind, void* target, uint8_t targetKind, int32_t count,
                  TIOParamsVals* params);
