#pragma once
// One decoded component laid over the image's pixel grid: subsampled
// components repeat their samples, and pixels past a component's edge take
// its last sample. Signed samples are moved into the unsigned range and
// every sample is clamped to the component's depth.

#include <openjpeg.h>

#include <cstdint>
#include <vector>

class TJ2kPlane {
public:
    TJ2kPlane(const opj_image_t& image, const opj_image_comp_t& component);

    int32_t Precision() const { return precision_; }
    // The sample as stored (unsigned, clamped).
    int32_t Sample(int32_t x, int32_t y) const;
    // Depths below 8 bits scaled to full range, deeper ones cut to their
    // top 8 bits.
    uint8_t Byte(int32_t x, int32_t y) const;

private:
    const OPJ_INT32* data_;
    uint32_t width_;
    int32_t precision_;
    int32_t offset_;
    int32_t largest_;
    std::vector<uint32_t> rows_;
    std::vector<uint32_t> columns_;
};

// Depths OpenJPEG may hand over that the planes can hold.
inline bool IsPlaneUsable(const opj_image_comp_t& component)
{
    return component.data && component.w > 0 && component.h > 0 && component.dx > 0 && component.dy > 0 &&
        component.prec >= 1 && component.prec <= 31;
}
