#include <algorithm>

#include "imaging/formats/dicom/QkDicom.h"
#include "imaging/formats/dicom/QkDicomPixels.h"

namespace {

constexpr size_t RleHeaderSize = 64;
constexpr size_t RleMaxSegments = 15;

uint32_t LittleLongWord(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

// Segments one a byte plane: one for 8-bit grey, high then low bytes for
// 16-bit grey, red, green and blue for colour; 0 for layouts not shown.
size_t SegmentsOf(const TDicomContext& context)
{
    if (context.SamplesPerPixel == 1 && context.BitsStored >= 1 && context.BitsStored <= context.BitsAllocated)
        return context.BitsAllocated == 8 ? 1 : context.BitsAllocated == 16 ? 2 : 0;
    if (context.SamplesPerPixel == 3 && context.BitsAllocated == 8 && context.BitsStored >= 1 &&
        context.BitsStored <= 8)
        return 3;
    return 0;
}

// Each segment runs from its offset in the header to the next one (or the
// end of the frame): a segment's even-length pad is not the next one's
// first control byte.
bool UnpackSegments(const std::vector<uint8_t>& frame, size_t count, size_t planeSize,
                    std::vector<std::vector<uint8_t>>& planes)
{
    if (frame.size() < RleHeaderSize || LittleLongWord(frame.data()) != count)
        return false;
    std::vector<size_t> bounds;
    for (size_t i = 0; i < count; ++i)
        bounds.push_back(LittleLongWord(frame.data() + 4 + i * 4));
    bounds.push_back(frame.size());
    planes.assign(count, std::vector<uint8_t>(planeSize));
    for (size_t i = 0; i < count; ++i) {
        if (bounds[i] < RleHeaderSize || bounds[i] > bounds[i + 1] || bounds[i + 1] > frame.size())
            return false;
        UnpackBits(frame.data() + bounds[i], int64_t(bounds[i + 1] - bounds[i]), planes[i]);
        if (planes[i].size() != planeSize)
            return false;
    }
    return true;
}

} // namespace

int64_t UnpackBits(const uint8_t* data, int64_t length, std::vector<uint8_t>& out)
{
    const size_t count = out.size();
    size_t produced = 0;
    int64_t at = 0;
    while (produced < count && at < length) {
        const int8_t control = int8_t(data[at++]);
        if (control >= 0) {
            const size_t run = std::min({size_t(control) + 1, count - produced, size_t(length - at)});
            std::copy_n(data + at, run, out.data() + produced);
            at += int64_t(run);
            produced += run;
        } else if (control != -128 && at < length) {
            const size_t run = std::min(size_t(1 - control), count - produced);
            std::fill_n(out.data() + produced, run, data[at++]);
            produced += run;
        }
    }
    out.resize(produced);
    return at;
}

bool DecodeRleFrame(TDicomContext& context, const std::vector<uint8_t>& frame)
{
    const size_t count = SegmentsOf(context);
    const size_t pixels = size_t(context.Rows) * size_t(context.Columns);
    std::vector<std::vector<uint8_t>> planes;
    if (count == 0 || count > RleMaxSegments || !UnpackSegments(frame, count, pixels, planes))
        return false;
    if (context.SamplesPerPixel == 1) {
        TDicomSamples samples(pixels);
        for (size_t i = 0; i < pixels; ++i) {
            const uint32_t raw = count == 1 ? planes[0][i] : uint32_t(planes[0][i] << 8 | planes[1][i]);
            samples[i] = DicomSampleValue(context, raw);
        }
        return ShowOneSampleFrame(context, samples);
    }
    const int32_t shift = 8 - context.BitsStored;
    std::vector<uint8_t> interleaved(pixels * 3);
    for (size_t i = 0; i < pixels; ++i) {
        for (size_t channel = 0; channel < 3; ++channel)
            interleaved[i * 3 + channel] = uint8_t(planes[channel][i] << shift);
    }
    return ShowColourFrame(context, interleaved);
}
