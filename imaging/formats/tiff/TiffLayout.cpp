#include "imaging/formats/tiff/TiffLayout.h"

#include <algorithm>

#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkPixelBuffers.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkWriterBitmaps.h"
#include "imaging/formats/tiff/TiffPage.h"

namespace {

// The parameters' TiffCompression enumeration.
enum : uint8_t {
    tsNone = 0,
    tsModifiedHuffman = 1,
    tsFaxT4 = 2,
    tsFaxT4TwoDimensional = 3,
    tsFaxT6 = 4,
    tsLzw = 5,
    tsOldJpeg = 6,
    tsJpeg = 7,
    tsPackBits = 8,
    tsDeflate = 9,
    tsAdobeDeflate = 10,
};

// The parameters' TiffPhotometric enumeration beyond TIFF's own numbers.
constexpr uint32_t CieLabSetting = 7;

bool Quantizable(int32_t bits) { return (bits >= 2 && bits <= 8) || bits == 16; }

// Formats whose rows the strip writer stores as they are, or converts
// itself; everything else goes through 24-bit colour.
TQkPixelFormat WorkingFormat(TQkBitmap& bitmap, int32_t bits, int32_t samples)
{
    const TQkPixelFormat format = bitmap.GetPixelFormat();
    if (bits == 1 && samples == 1)
        return qk1g;
    if (format == qkCMYK || format == qkRGB48 || (format == qk16g && bits == 16 && samples == 1) ||
        (format == qk8g && bits == 8 && samples == 1))
        return format;
    return qk24RGB;
}

bool KeepsCompressionForIndices(uint8_t setting)
{
    return setting == tsLzw || setting == tsPackBits || setting == tsDeflate;
}

// One sample of gray or palette indices.
void ChooseIndexedLayout(TIOParamsVals& params, TTiffLayout& layout, uint8_t& compression, uint32_t& photometric)
{
    TQkBitmap& working = *layout.Working;
    if (!KeepsCompressionForIndices(compression))
        compression = tsNone;
    if (working.GetPixelFormat() != qk24RGB) {
        photometric = tpBlackIsZero;
        return;
    }
    layout.Palette.resize(size_t(std::min(1 << std::min(params.BitsPerSample, 8), 256)));
    layout.Quantizer = std::make_unique<TQkQuantizer>(working, int32_t(layout.Palette.size()), layout.Palette);
    layout.Options.Quantizer = layout.Quantizer.get();
    photometric = layout.Quantizer->IsGray() ? tpBlackIsZero : tpPalette;
    if (photometric == tpPalette && params.BitsPerSample == 16)
        params.BitsPerSample = 8;
}

// The sample layout's corrections, in the order they apply.
void CorrectSamples(TQkPixelFormat format, uint8_t compression, int32_t& bits, int32_t& samples, uint32_t& photometric)
{
    const auto set = [&](int32_t newSamples, int32_t newBits, uint32_t newPhotometric) {
        samples = newSamples;
        bits = newBits;
        photometric = newPhotometric;
    };
    if (photometric == tpPalette && samples > 1)
        photometric = tpRgb;
    if (format == qkRGB48)
        set(3, 16, tpRgb);
    if (bits > 8 && samples != 1)
        set(3, 8, tpRgb);
    if (photometric <= tpBlackIsZero && samples == 3 && bits == 8)
        photometric = tpRgb;
    if (photometric == tpRgb && samples == 1 && bits == 1)
        photometric = tpBlackIsZero;
    if (photometric == tpYCbCr && compression != tsJpeg)
        photometric = tpRgb;
    if (photometric == tpRgb && samples > 3)
        samples = 3;
    if (format == qkCMYK)
        set(4, 8, tpSeparated);
}

uint32_t PhotometricState(uint32_t photometric)
{
    switch (photometric) {
    case tpWhiteIsZero:
    case tpBlackIsZero: return tpBlackIsZero;
    case tpPalette: return tpPalette;
    case tpSeparated: return tpSeparated;
    case CieLabSetting: return tpCieLab;
    default: return tpRgb;
    }
}

void UseJpeg(const TIOParamsVals& params, uint32_t compression, TTiffLayout& layout)
{
    static const uint32_t Photometric[] = {tpRgb, tpBlackIsZero, tpYCbCr, tpSeparated, tpRgb};
    TTiffWriteOptions& options = layout.Options;
    const uint8_t space = params.TiffJpegColorSpace <= 4 ? params.TiffJpegColorSpace : 0;
    options.Compression = compression;
    options.JpegQuality = params.TiffJpegQuality;
    options.JpegColorSpace = space == 4 ? 0 : space;
    options.Photometric = Photometric[space];
    options.Bits = 8;
    layout.Samples = space == 1 ? 1 : space == 3 ? 4 : 3;
}

void UseFax(uint32_t compression, bool twoDimensional, TTiffLayout& layout)
{
    layout.Options.Compression = compression;
    layout.Options.TwoDimensional = twoDimensional;
    if (layout.Working != layout.Copy.get()) {
        layout.Copy = std::make_unique<TQkBitmap>();
        layout.Copy->Assign(layout.Working);
        layout.Working = layout.Copy.get();
    }
    InvertBitmapBits(*layout.Working);
    layout.Inverted = true;
}

void UseLzw(const TIOParamsVals& params, TTiffLayout& layout)
{
    TTiffWriteOptions& options = layout.Options;
    options.Lzw = params.TiffLzwCompress ? params.TiffLzwCompress : TiffLzwEncoderHook;
    options.Compression = options.Lzw ? tcLzw : tcNone;
    options.Predictor = options.Lzw ? 2 : 1;
}

void ChooseCompression(const TIOParamsVals& params, uint8_t setting, TTiffLayout& layout)
{
    const TQkPixelFormat format = layout.Working->GetPixelFormat();
    const bool bilevel = format == qk1g;
    // JPEG holds 8-bit colour, gray or CMYK only.
    const bool jpegable = format == qk24RGB || format == qkCMYK;
    switch (setting) {
    case tsModifiedHuffman:
        if (bilevel)
            UseFax(tcModifiedHuffman, false, layout);
        break;
    case tsFaxT4:
        if (bilevel)
            UseFax(tcFaxT4, false, layout);
        break;
    case tsFaxT4TwoDimensional:
        if (bilevel)
            UseFax(tcFaxT4, true, layout);
        break;
    case tsFaxT6:
        if (bilevel)
            UseFax(tcFaxT6, false, layout);
        break;
    case tsLzw: UseLzw(params, layout); break;
    case tsOldJpeg:
        if (jpegable)
            UseJpeg(params, tcOldJpeg, layout);
        break;
    case tsJpeg:
        if (jpegable)
            UseJpeg(params, tcJpeg, layout);
        break;
    case tsPackBits: layout.Options.Compression = tcPackBits; break;
    case tsDeflate:
    case tsAdobeDeflate: layout.Options.Compression = tcDeflate; break;
    default: break;
    }
}

bool HasTransparency(TQkBitmap& bitmap)
{
    if (!bitmap.HasAlphaChannel())
        return false;
    TQkBitmap& alpha = *bitmap.GetAlphaChannel();
    for (int32_t y = 0; y < alpha.GetHeight(); ++y) {
        const uint8_t* row = alpha.GetScanline(y);
        if (std::any_of(row, row + alpha.GetWidth(), [](uint8_t a) { return a != 255; }))
            return true;
    }
    return false;
}

void ChooseExtras(TTiffLayout& layout)
{
    TTiffWriteOptions& options = layout.Options;
    TQkBitmap& working = *layout.Working;
    const bool colour = working.GetPixelFormat() == qk24RGB && options.Photometric == tpRgb && layout.Samples == 3;
    const uint32_t c = options.Compression;
    options.Alpha = colour && (c == tcNone || c == tcLzw || c == tcPackBits) && HasTransparency(working);
    // The difference predictor only pays on whole bytes of plain colour.
    if (!(colour && options.Bits == 8 && !working.HasAlphaChannel()))
        options.Predictor = 1;
    if (options.Alpha)
        layout.Samples = 4;
}

} // namespace

void ChooseTiffLayout(TQkBitmap& bitmap, TIOParamsVals& params, TTiffLayout& layout)
{
    int32_t bits = params.BitsPerSample;
    int32_t samples = params.SamplesPerPixel;
    layout.Working = &BitmapInFormat(bitmap, WorkingFormat(bitmap, bits, samples), layout.Copy);
    const TQkPixelFormat format = layout.Working->GetPixelFormat();
    uint8_t compression = params.TiffCompression;
    uint32_t photometric = params.TiffPhotometric;
    if (samples == 1 && ((format == qk24RGB && Quantizable(bits)) || format == qk8g || format == qk16g)) {
        ChooseIndexedLayout(params, layout, compression, photometric);
        bits = format == qk16g ? 16 : format == qk8g ? 8 : params.BitsPerSample;
    } else if (format == qk24RGB && samples == 1) {
        // One sample of a depth no index layout takes: plain colour.
        samples = 3;
        bits = 8;
        photometric = tpRgb;
    }
    CorrectSamples(format, compression, bits, samples, photometric);
    if (format == qk24RGB && !layout.Quantizer && photometric != tpSeparated && photometric != CieLabSetting)
        photometric = tpRgb;
    if (format == qk24RGB && !layout.Quantizer)
        bits = 8;
    layout.Samples = format == qk1g || format == qk8g || format == qk16g || layout.Quantizer ? 1 : samples;
    layout.Options.Bits = bits;
    layout.Options.Photometric = format == qk1g ? tpBlackIsZero : PhotometricState(photometric);
    if (layout.Options.Photometric == tpSeparated)
        layout.Samples = 4;
    layout.Options.FillOrder = params.TiffFillOrder == 2 ? 2 : 1;
    layout.Options.DeflateLevel = params.TiffZipCompression;
    ChooseCompression(params, compression, layout);
    ChooseExtras(layout);
}
