#pragma once
// Conversion of a decoded row of TIFF samples into a row of the
// destination pixel format, with the alpha sample going to an 8-bit row.

#include <cstdint>
#include <vector>

#include "imaging/core/QkBaseBitmap.h"
#include "imaging/core/QkPixels.h"

struct TTiffPage;
class TIOParamsVals;

// The sample that holds alpha, or -1.
int32_t TiffAlphaSample(const TTiffPage& page);
// The destination format a page decodes into.
TQkPixelFormat TiffDestinationFormat(const TTiffPage& page, bool native);
// Whether the converter knows the page's sample layout.
bool TiffLayoutSupported(const TTiffPage& page);

class TTiffRowConverter {
public:
    TTiffRowConverter(const TTiffPage& page, TQkPixelFormat destination, TIOParamsVals* params, bool withAlpha);

    // Whether a row may be converted over itself: a pixel takes as many
    // bytes in the destination as in the file, and no alpha is split off.
    bool InPlace() const;
    // `packed` holds `pixels` pixels of all the page's samples, 16-bit
    // samples in host order, 2-byte aligned. `alpha` may be null. The
    // destination may be `packed` itself when InPlace().
    void Convert(const uint8_t* packed, int64_t pixels, uint8_t* destination, uint8_t* alpha);

private:
    void Unpack(const uint8_t* packed, int64_t count);
    uint8_t Eight(uint32_t sample) const;
    void Bilevel(const uint8_t* packed, int64_t pixels, uint8_t* destination) const;
    // Each reads all of a pixel's samples before writing its destination
    // pixel, which keeps conversions in place sound.
    template <typename T>
    void Samples(const T* samples, int64_t pixels, uint8_t* destination, uint8_t* alpha);
    template <typename T>
    void Gray(const T* samples, int64_t pixels, uint8_t* destination) const;
    template <typename T>
    void Palette(const T* samples, int64_t pixels, uint8_t* destination) const;
    template <typename T>
    void Rgb(const T* samples, int64_t pixels, uint8_t* destination) const;
    template <typename T>
    void Cmyk(const T* samples, int64_t pixels, uint8_t* destination);
    template <typename T>
    void Lab(const T* samples, int64_t pixels, uint8_t* destination);
    template <typename T>
    void Alpha(const T* samples, int64_t pixels, uint8_t* alpha) const;
    template <typename T>
    void Unassociate(const T* samples, int64_t pixels, uint8_t* destination) const;

    const TTiffPage& page_;
    TQkPixelFormat destination_;
    TIOParamsVals* params_;
    int32_t alphaSample_;
    bool associated_;
    int32_t grayShift_;
    // Sub-byte samples, one per value.
    std::vector<uint16_t> unpacked_;
    std::vector<uint8_t> scratch_;
};
