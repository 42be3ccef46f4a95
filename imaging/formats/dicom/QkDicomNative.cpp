#include "imaging/formats/dicom/QkDicomPixels.h"

namespace {

bool IsPacked12(const TDicomContext& context)
{
    return context.SamplesPerPixel == 1 && context.BitsAllocated == 12 && context.BitsStored == 12 &&
        !context.IsPalette();
}

bool IsYbr422(const TDicomContext& context) { return context.Photometric == "YBR_FULL_422"; }

bool IsShowableOneSample(const TDicomContext& context)
{
    return context.SamplesPerPixel == 1 && (context.BitsAllocated == 8 || context.BitsAllocated == 16) &&
        context.BitsStored >= 1 && context.BitsStored <= context.BitsAllocated;
}

bool IsShowableColour(const TDicomContext& context)
{
    return context.SamplesPerPixel == 3 && context.BitsAllocated == 8 && context.BitsStored >= 1 &&
        context.BitsStored <= 8 &&
        (!IsYbr422(context) || (context.PlanarConfiguration == 0 && context.Columns % 2 == 0));
}

// Each three bytes hold two samples: the low byte and nibble of the first,
// then the high nibble and byte of the second.
TDicomSamples UnpackTwelveBits(const TDicomContext& context, const std::vector<uint8_t>& frame, size_t count)
{
    TDicomSamples samples(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* pair = frame.data() + i / 2 * 3;
        const uint32_t raw =
            i % 2 == 0 ? uint32_t((pair[1] & 0x0F) << 8 | pair[0]) : uint32_t(pair[1] >> 4 | pair[2] << 4);
        samples[i] = DicomSampleValue(context, raw);
    }
    return samples;
}

TDicomSamples ReadOneSample(const TDicomContext& context, const std::vector<uint8_t>& frame, size_t count)
{
    if (IsPacked12(context))
        return UnpackTwelveBits(context, frame, count);
    TDicomSamples samples(count);
    const bool wide = context.BitsAllocated == 16;
    for (size_t i = 0; i < count; ++i) {
        uint32_t raw = frame[i];
        if (wide) {
            const uint8_t* word = frame.data() + i * 2;
            raw = context.LittleEndian ? uint32_t(word[0] | word[1] << 8) : uint32_t(word[0] << 8 | word[1]);
        }
        samples[i] = DicomSampleValue(context, raw);
    }
    return samples;
}

// Y1 Y2 Cb Cr for each pair of pixels becomes two full YCbCr pixels.
std::vector<uint8_t> ExpandYbr422(const std::vector<uint8_t>& frame, size_t pixels)
{
    std::vector<uint8_t> full(pixels * 3);
    for (size_t pair = 0; pair < pixels / 2; ++pair) {
        const uint8_t* in = frame.data() + pair * 4;
        uint8_t* out = full.data() + pair * 6;
        out[0] = in[0];
        out[3] = in[1];
        out[1] = out[4] = in[2];
        out[2] = out[5] = in[3];
    }
    return full;
}

std::vector<uint8_t> ReadColour(const TDicomContext& context, const std::vector<uint8_t>& frame, size_t pixels)
{
    if (IsYbr422(context))
        return ExpandYbr422(frame, pixels);
    const int32_t shift = 8 - context.BitsStored;
    const bool planar = context.PlanarConfiguration == 1;
    std::vector<uint8_t> interleaved(pixels * 3);
    for (size_t i = 0; i < pixels; ++i) {
        for (size_t channel = 0; channel < 3; ++channel) {
            const uint8_t value = planar ? frame[channel * pixels + i] : frame[i * 3 + channel];
            interleaved[i * 3 + channel] = uint8_t(value << shift);
        }
    }
    return interleaved;
}

} // namespace

int64_t NativeFrameBytes(const TDicomContext& context)
{
    const int64_t pixels = int64_t(context.Rows) * context.Columns;
    if (IsPacked12(context))
        return (pixels * 3 + 1) / 2;
    if (IsShowableOneSample(context))
        return pixels * (context.BitsAllocated / 8);
    if (IsShowableColour(context))
        return IsYbr422(context) ? pixels * 2 : pixels * 3;
    return 0;
}

bool DecodeNativeFrame(TDicomContext& context, const std::vector<uint8_t>& frame)
{
    const size_t pixels = size_t(context.Rows) * size_t(context.Columns);
    if (context.SamplesPerPixel == 1)
        return ShowOneSampleFrame(context, ReadOneSample(context, frame, pixels));
    return ShowColourFrame(context, ReadColour(context, frame, pixels));
}
