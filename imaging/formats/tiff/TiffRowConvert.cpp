#include "imaging/formats/tiff/TiffRowConvert.h"

#include <algorithm>
#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/formats/tiff/TiffPage.h"

namespace {

constexpr uint32_t ExtraAssociatedAlpha = 1;
constexpr uint32_t ExtraUnassociatedAlpha = 2;

int32_t ColourSamples(uint32_t photometric)
{
    switch (photometric) {
    case tpRgb:
    case tpYCbCr:
    case tpCieLab: return 3;
    case tpSeparated: return 4;
    default: return 1;
    }
}

bool IsGray(const TTiffPage& page) { return page.Photometric == tpWhiteIsZero || page.Photometric == tpBlackIsZero; }

} // namespace

int32_t TiffAlphaSample(const TTiffPage& page)
{
    const int32_t colours = ColourSamples(page.Photometric);
    if (page.Samples <= colours)
        return -1;
    if (!page.ExtraSamples.empty()) {
        const uint32_t kind = page.ExtraSamples[0];
        return kind == ExtraAssociatedAlpha || kind == ExtraUnassociatedAlpha ? colours : -1;
    }
    // Files that leave ExtraSamples out still mean alpha by these layouts.
    const bool implied = (page.Photometric == tpRgb && page.Samples == 4) || (colours == 1 && page.Samples == 2);
    return implied ? colours : -1;
}

bool TiffLayoutSupported(const TTiffPage& page)
{
    const bool bitsKnown = page.Bits >= 1 && page.Bits <= 16 && (page.Bits <= 8 || page.Bits == 16);
    if (!bitsKnown || !page.UniformBits || page.Samples < ColourSamples(page.Photometric))
        return false;
    switch (page.Photometric) {
    case tpWhiteIsZero:
    case tpBlackIsZero:
    case tpRgb:
    case tpSeparated: return true;
    case tpPalette: return !page.ColorMap.empty();
    case tpCieLab: return page.Bits == 8;
    case tpYCbCr: return page.Compression == tcJpeg;
    default: return false;
    }
}

TQkPixelFormat TiffDestinationFormat(const TTiffPage& page, bool native)
{
    if (page.Bits == 1 && page.Samples == 1 && page.Photometric != tpPalette)
        return qk1g;
    if (!native)
        return qk24RGB;
    if (page.Bits == 8 && page.Samples == 1 && page.Photometric == tpPalette)
        return qk8p;
    if (page.Samples == 1 && IsGray(page) && (page.Bits == 8 || page.Bits == 16))
        return page.Bits == 8 ? qk8g : qk16g;
    if (page.Photometric == tpSeparated && page.Samples >= 4 && (page.Bits == 8 || page.Bits == 16))
        return qkCMYK;
    if (page.Photometric == tpRgb && page.Bits == 16 && page.Samples == 3)
        return qkRGB48;
    return qk24RGB;
}

TTiffRowConverter::TTiffRowConverter(const TTiffPage& page, TQkPixelFormat destination, TIOParamsVals* params,
                                     bool withAlpha)
    : page_(page), destination_(destination), params_(params), alphaSample_(withAlpha ? TiffAlphaSample(page) : -1),
      associated_(!page.ExtraSamples.empty() && page.ExtraSamples[0] == ExtraAssociatedAlpha),
      grayShift_(page.Software.starts_with("Look@Molli v1.1") ? 4 : 8)
{}

bool TTiffRowConverter::InPlace() const
{
    if (destination_ == qk1g)
        return true;
    // An alpha sample is read again after the colours are written (gray
    // with alpha in three samples would otherwise fit).
    const bool wholeBytes = page_.Bits == 8 || page_.Bits == 16;
    return wholeBytes && alphaSample_ < 0 && int64_t(page_.Samples) * page_.Bits / 8 == QkBytesPerPixel(destination_);
}

// One value per sample, most significant bits first.
void TTiffRowConverter::Unpack(const uint8_t* packed, int64_t count)
{
    unpacked_.resize(size_t(count));
    const uint32_t mask = (1u << page_.Bits) - 1;
    int64_t bit = 0;
    for (int64_t i = 0; i < count; ++i, bit += page_.Bits) {
        // A sample spans at most two bytes.
        const uint32_t pair = uint32_t(packed[bit / 8]) << 8 | ((bit % 8) + page_.Bits > 8 ? packed[bit / 8 + 1] : 0);
        unpacked_[size_t(i)] = uint16_t((pair >> (16 - bit % 8 - page_.Bits)) & mask);
    }
}

uint8_t TTiffRowConverter::Eight(uint32_t sample) const
{
    if (page_.Bits == 8)
        return uint8_t(sample);
    if (page_.Bits == 16)
        return uint8_t(sample >> 8);
    return uint8_t(sample * 255 / ((1u << page_.Bits) - 1));
}

void TTiffRowConverter::Convert(const uint8_t* packed, int64_t pixels, uint8_t* destination, uint8_t* alpha)
{
    if (destination_ == qk1g) {
        Bilevel(packed, pixels, destination);
    } else if (page_.Bits == 8) {
        Samples(packed, pixels, destination, alpha);
    } else if (page_.Bits == 16) {
        Samples(reinterpret_cast<const uint16_t*>(packed), pixels, destination, alpha);
    } else {
        Unpack(packed, pixels * page_.Samples);
        Samples(unpacked_.data(), pixels, destination, alpha);
    }
}

template <typename T>
void TTiffRowConverter::Samples(const T* samples, int64_t pixels, uint8_t* destination, uint8_t* alpha)
{
    switch (page_.Photometric) {
    case tpWhiteIsZero:
    case tpBlackIsZero: Gray(samples, pixels, destination); break;
    case tpPalette: Palette(samples, pixels, destination); break;
    case tpRgb: Rgb(samples, pixels, destination); break;
    case tpSeparated: Cmyk(samples, pixels, destination); break;
    case tpCieLab: Lab(samples, pixels, destination); break;
    default: break;
    }
    if (alpha && alphaSample_ >= 0)
        Alpha(samples, pixels, alpha);
    if (associated_ && alphaSample_ >= 0 && destination_ == qk24RGB)
        Unassociate(samples, pixels, destination);
}

// Raw data stores 0 as white exactly in WhiteIsZero pages, the fax codecs'
// 1 means white in the code's terms, which BlackIsZero pages turn round.
void TTiffRowConverter::Bilevel(const uint8_t* packed, int64_t pixels, uint8_t* destination) const
{
    const size_t bytes = size_t((pixels + 7) / 8);
    const bool invert = (page_.Photometric == tpWhiteIsZero) != page_.Fax();
    if (invert)
        for (size_t i = 0; i < bytes; ++i)
            destination[i] = uint8_t(~packed[i]);
    else if (destination != packed)
        std::memcpy(destination, packed, bytes);
}

template <typename T>
void TTiffRowConverter::Gray(const T* samples, int64_t pixels, uint8_t* destination) const
{
    const bool white0 = page_.Photometric == tpWhiteIsZero;
    const int32_t step = page_.Samples;
    for (int64_t x = 0; x < pixels; ++x) {
        const uint32_t sample = samples[x * step];
        if (destination_ == qk16g) {
            const uint16_t word = uint16_t(white0 ? 65535 - sample : sample);
            std::memcpy(destination + x * 2, &word, 2);
            continue;
        }
        uint8_t level = page_.Bits == 16 ? uint8_t(sample >> grayShift_) : Eight(sample);
        if (white0)
            level = page_.Bits == 16 ? uint8_t((65535 - sample) >> grayShift_) : uint8_t(255 - level);
        if (destination_ == qk8g)
            destination[x] = level;
        else
            std::memset(destination + x * 3, level, 3);
    }
}

template <typename T>
void TTiffRowConverter::Palette(const T* samples, int64_t pixels, uint8_t* destination) const
{
    const int32_t step = page_.Samples;
    for (int64_t x = 0; x < pixels; ++x) {
        const uint32_t index = samples[x * step];
        if (destination_ == qk8p)
            destination[x] = uint8_t(index);
        else
            std::memcpy(destination + x * 3, &page_.ColorMap[std::min<size_t>(index, page_.ColorMap.size() - 1)], 3);
    }
}

template <typename T>
void TTiffRowConverter::Rgb(const T* samples, int64_t pixels, uint8_t* destination) const
{
    const int32_t step = page_.Samples;
    if (destination_ == qkRGB48) {
        for (int64_t x = 0; x < pixels; ++x)
            std::memmove(destination + x * 6, samples + x * step, 6);
        return;
    }
    for (int64_t x = 0; x < pixels; ++x) {
        const T* pixel = samples + x * step;
        const uint8_t red = Eight(pixel[0]);
        const uint8_t green = Eight(pixel[1]);
        const uint8_t blue = Eight(pixel[2]);
        destination[x * 3] = blue;
        destination[x * 3 + 1] = green;
        destination[x * 3 + 2] = red;
    }
}

// qkCMYK stores 255 minus the ink that the file holds.
template <typename T>
void TTiffRowConverter::Cmyk(const T* samples, int64_t pixels, uint8_t* destination)
{
    const int32_t step = page_.Samples;
    uint8_t* stored = destination;
    if (destination_ != qkCMYK) {
        scratch_.resize(size_t(pixels) * 4);
        stored = scratch_.data();
    }
    for (int64_t x = 0; x < pixels; ++x)
        for (int32_t s = 0; s < 4; ++s)
            stored[x * 4 + s] = uint8_t(255 - Eight(samples[x * step + s]));
    if (destination_ != qkCMYK)
        ConvertColor(stored, ckCMYK, destination, ckBGR, int32_t(pixels), params_);
}

template <typename T>
void TTiffRowConverter::Lab(const T* samples, int64_t pixels, uint8_t* destination)
{
    const int32_t step = page_.Samples;
    scratch_.resize(size_t(pixels) * 3);
    for (int64_t x = 0; x < pixels; ++x)
        for (int32_t s = 0; s < 3; ++s)
            scratch_[size_t(x * 3 + s)] = uint8_t(samples[x * step + s]);
    ConvertColor(scratch_.data(), ckCIELab, destination, ckBGR, int32_t(pixels), params_);
}

template <typename T>
void TTiffRowConverter::Alpha(const T* samples, int64_t pixels, uint8_t* alpha) const
{
    for (int64_t x = 0; x < pixels; ++x)
        alpha[x] = Eight(samples[x * page_.Samples + alphaSample_]);
}

// Associated alpha has the colours multiplied in; the bitmap keeps them apart.
template <typename T>
void TTiffRowConverter::Unassociate(const T* samples, int64_t pixels, uint8_t* destination) const
{
    for (int64_t x = 0; x < pixels; ++x) {
        const uint32_t alpha = Eight(samples[x * page_.Samples + alphaSample_]);
        for (int32_t c = 0; c < 3; ++c) {
            uint8_t& colour = destination[x * 3 + c];
            colour = uint8_t(alpha == 0 ? 0 : std::min<uint32_t>(255, (colour * 255 + alpha / 2) / alpha));
        }
    }
}
