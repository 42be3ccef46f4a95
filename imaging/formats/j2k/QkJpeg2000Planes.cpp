#include "imaging/formats/j2k/QkJpeg2000Planes.h"

#include <algorithm>

namespace {

// For each pixel along one axis, the component sample that covers it.
std::vector<uint32_t> SampleIndices(uint32_t imageStart, uint32_t pixels, uint32_t componentStart, uint32_t step,
                                    uint32_t samples)
{
    std::vector<uint32_t> indices(pixels);
    for (uint32_t i = 0; i < pixels; ++i) {
        const int64_t index = (int64_t(imageStart) + i) / step - componentStart;
        indices[i] = uint32_t(std::clamp<int64_t>(index, 0, int64_t(samples) - 1));
    }
    return indices;
}

} // namespace

TJ2kPlane::TJ2kPlane(const opj_image_t& image, const opj_image_comp_t& component)
    : data_(component.data), width_(component.w), precision_(int32_t(component.prec)),
      offset_(component.sgnd ? int32_t(1u << (component.prec - 1)) : 0),
      largest_(int32_t((uint64_t(1) << component.prec) - 1)),
      rows_(SampleIndices(image.y0, image.y1 - image.y0, component.y0, component.dy, component.h)),
      columns_(SampleIndices(image.x0, image.x1 - image.x0, component.x0, component.dx, component.w))
{}

int32_t TJ2kPlane::Sample(int32_t x, int32_t y) const
{
    const int64_t value = int64_t(data_[size_t(rows_[size_t(y)]) * width_ + columns_[size_t(x)]]) + offset_;
    return int32_t(std::clamp<int64_t>(value, 0, largest_));
}

uint8_t TJ2kPlane::Byte(int32_t x, int32_t y) const
{
    const int32_t value = Sample(x, y);
    if (precision_ < 8)
        return uint8_t((value * 255 + largest_ / 2) / largest_);
    return uint8_t(value >> (precision_ - 8));
}
