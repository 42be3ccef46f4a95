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

    // `packed` holds `pixels` pixels of all the page's samples, 16-bit
    // samples in host order. `alpha` may be null.
    void Convert(const uint8_t* packed, int64_t pixels, uint8_t* destination, uint8_t* alpha);

private:
    void Unpack(const uint8_t* packed, int64_t count);
    uint8_t Eight(uint32_t sample) const;
    void Bilevel(const uint8_t* packed, int64_t pixels, uint8_t* destination) const;
    void Gray(int64_t pixels, uint8_t* destination) const;
    void Palette(int64_t pixels, uint8_t* destination) const;
    void Rgb(int64_t pixels, uint8_t* destination) const;
    void Cmyk(int64_t pixels, uint8_t* destination);
    void Lab(int64_t pixels, uint8_t* destination);
    void Alpha(int64_t pixels, uint8_t* alpha) const;
    void Unassociate(int64_t pixels, uint8_t* destination) const;

    const TTiffPage& page_;
    TQkPixelFormat destination_;
    TIOParamsVals* params_;
    int32_t alphaSample_;
    bool associated_;
    int32_t grayShift_;
    std::vector<uint16_t> samples_;
    std::vector<uint8_t> scratch_;
};
