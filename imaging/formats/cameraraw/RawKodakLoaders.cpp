// Kodak's loaders: the tone curve, plain bytes, the DC120's rotated rows,
// the nibble-length coded runs and the embedded JPEG.
#include <algorithm>

#include "imaging/formats/cameraraw/RawLoaderSupport.h"
#include "imaging/formats/cameraraw/RawLoaders.h"
#include "imaging/formats/jpeg/QkJpegDecompressor.h"

namespace {

constexpr int32_t KodakCurveSize = 4096;

// Bit lengths packed two to a byte, low nibble first.
std::vector<uint8_t> ReadNibbleLengths(TRawDecodeContext& context, int32_t count)
{
    std::vector<uint8_t> lengths(size_t(std::max(count, 0)) + 1);
    for (int32_t i = 0; i + 1 < count + 1; i += 2) {
        const uint8_t c = Get1(context);
        lengths[size_t(i)] = c & 15;
        lengths[size_t(i) + 1] = c >> 4;
    }
    return lengths;
}

// A little-endian bit buffer refilled four bytes at a time.
struct TKodakBits {
    uint64_t buffer = 0;
    int32_t count = 0;

    void Preload(TRawDecodeContext& context)
    {
        buffer = uint64_t(Get1(context)) << 8;
        buffer += Get1(context);
        count = 16;
    }

    int32_t Difference(TRawDecodeContext& context, int32_t length)
    {
        if (count < length) {
            static constexpr int32_t shifts[4] = {8, 0, 24, 16};
            for (const int32_t shift : shifts)
                buffer += uint64_t(Get1(context)) << (count + shift);
            count += 32;
        }
        const uint32_t bits = uint32_t(buffer & ((uint64_t(1) << length) - 1));
        buffer >>= length;
        count -= length;
        return SignExtendBits(bits, length);
    }
};

uint16_t CurveAt(const std::vector<uint16_t>& curve, int64_t index)
{
    return curve[size_t(std::clamp<int64_t>(index, 0, KodakCurveSize - 1))];
}

struct TSwappedJpegSource {
    TRawDecodeContext& context;
    std::array<uint8_t, 4096> buffer{};
};

void FillSwappedJpeg(TJpegDecompressor& decompressor, void* data)
{
    auto& source = *static_cast<TSwappedJpegSource*>(data);
    const int64_t left = source.context.fsize - Tell(source.context);
    size_t count = size_t(std::clamp<int64_t>(left, 0, int64_t(source.buffer.size())));
    ReadRawBytes(source.context, source.buffer.data(), int64_t(count));
    for (size_t i = 0; i + 1 < count; i += 2)
        std::swap(source.buffer[i], source.buffer[i + 1]);
    if (count == 0) {
        // An ended stream reads as an end-of-image marker.
        source.buffer[0] = 0xFF;
        source.buffer[1] = 0xD9;
        count = 2;
    }
    decompressor.SetSourceBuffer(source.buffer.data(), count);
}

} // namespace

std::vector<uint16_t> ReadKodakCurve(TRawDecodeContext& context)
{
    std::vector<uint16_t> curve(KodakCurveSize);
    for (size_t i = 0; i < curve.size(); ++i)
        curve[i] = uint16_t(i);
    if (!SameText(context.make, "KODAK"))
        return curve;
    if (context.curve_offset) {
        SeekTo(context, 12);
        const uint16_t entries = Get2(context);
        for (uint16_t i = 0; i < entries; ++i) {
            const uint16_t tag = Get2(context);
            Get2(context);
            const uint32_t count = Get4(context);
            const uint32_t value = Get4(context);
            if (tag == 0x090D) {
                context.curve_offset = int32_t(value);
                context.curve_length = int32_t(count);
            }
        }
    }
    const int32_t length = std::min(context.curve_length, KodakCurveSize);
    if (context.curve_offset && length > 0) {
        SeekTo(context, context.curve_offset);
        for (int32_t i = 0; i < length; ++i)
            curve[size_t(i)] = Get2(context);
        std::fill(curve.begin() + length, curve.end(), curve[size_t(length) - 1]);
        context.rgb_max = curve[size_t(length) - 1] * 4;
    }
    SeekTo(context, context.data_offset);
    return curve;
}

void kodak_easy_load_raw(TRawDecodeContext& context)
{
    const std::vector<uint16_t> curve = ReadKodakCurve(context);
    TMaskedBlack black;
    SetRowProgressCount(context, context.height);
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        const std::vector<uint8_t> data = ReadRowBytes(context, context.raw_width, "kodak_easy_load_raw()");
        for (int32_t col = 0; col < context.raw_width; ++col) {
            const uint16_t value = curve[data[size_t(col)]];
            PutFrameSample(context, row, col, uint16_t(value << 2), value, black);
        }
    }
    black.Finish(context, 4);
    if (StartsWith(context.model, "DC2"))
        context.black = 0;
}

void kodak_dc120_load_raw(TRawDecodeContext& context)
{
    static constexpr int32_t multiplier[4] = {162, 192, 187, 92};
    static constexpr int32_t addend[4] = {0, 636, 424, 212};
    SetRowProgressCount(context, context.height);
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        const std::vector<uint8_t> data = ReadRowBytes(context, 848, "kodak_dc120_load_raw()");
        const int32_t shift = (row * multiplier[row & 3] + addend[row & 3]) % 848;
        for (int32_t col = 0; col < context.width; ++col)
            SetBayerSample(context, row, col, uint16_t(data[size_t((col + shift) % 848)] << 6));
    }
}

void kodak_compressed_load_raw(TRawDecodeContext& context)
{
    const std::vector<uint16_t> curve = ReadKodakCurve(context);
    SetRowProgressCount(context, context.height);
    std::vector<uint8_t> lengths;
    TKodakBits bits;
    bool raw = false;
    int32_t predictor[2] = {0, 0};
    uint16_t words[6] = {};
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        for (int32_t col = 0; col < context.width; ++col) {
            if ((col & 255) == 0) {
                const int32_t length = std::min(256, context.width - col);
                const int64_t save = Tell(context);
                lengths = ReadNibbleLengths(context, length);
                raw = std::any_of(lengths.begin(), lengths.end(), [](uint8_t l) { return l > 12; });
                bits = TKodakBits{};
                predictor[0] = predictor[1] = 0;
                if (length % 8 == 4)
                    bits.Preload(context);
                if (raw)
                    SeekTo(context, save);
            }
            int64_t value = 0;
            if (raw) {
                if ((col & 7) == 0)
                    for (uint16_t& w : words) {
                        const uint32_t high = Get1(context);
                        w = uint16_t(high << 8 | Get1(context));
                    }
                const int32_t k = col & 7;
                if (k < 2)
                    value = (words[k] >> 12) << 8 | (words[k + 2] >> 12) << 4 | words[k + 4] >> 12;
                else
                    value = words[k - 2] & 0xFFF;
            } else {
                predictor[col & 1] += bits.Difference(context, lengths[size_t(col & 255)]);
                value = predictor[col & 1];
            }
            SetBayerSample(context, row, col, uint16_t(CurveAt(curve, value) << 2));
        }
    }
}

void kodak_yuv_load_raw(TRawDecodeContext& context)
{
    const std::vector<uint16_t> curve = ReadKodakCurve(context);
    SetRowProgressCount(context, context.height);
    std::vector<uint8_t> lengths;
    TKodakBits bits;
    size_t next = 0;
    int32_t y[4] = {}, cb = 0, cr = 0;
    for (int32_t row = 0; row < context.height; row += 2) {
        ReportRowProgress(context, row);
        for (int32_t col = 0; col < context.width; col += 2) {
            if ((col & 127) == 0) {
                const int32_t length = std::min(((context.width - col + 1) * 3) & -4, 384);
                lengths = ReadNibbleLengths(context, length);
                bits = TKodakBits{};
                next = 0;
                y[1] = y[3] = cb = cr = 0;
                if (length % 8 == 4)
                    bits.Preload(context);
            }
            int32_t d[6];
            for (int32_t& diff : d)
                diff = bits.Difference(context, next < lengths.size() ? lengths[next++] : 0);
            y[0] = d[0] + y[1];
            y[1] = d[1] + y[0];
            y[2] = d[2] + y[3];
            y[3] = d[3] + y[2];
            cb += d[4];
            cr += d[5];
            for (int32_t i = 0; i < 4; ++i) {
                TRawPixel* pixel = RawPixelAt(context, row + i / 2, col + (i & 1));
                if (!pixel || row + i / 2 >= context.height || col + (i & 1) >= context.width)
                    continue;
                const int64_t index[3] = {int64_t(y[i]) + cr, y[i], int64_t(y[i]) + cb};
                for (size_t c = 0; c < 3; ++c)
                    if (index[c] > 0)
                        (*pixel)[c] = uint16_t(CurveAt(curve, index[c]) << 2);
            }
        }
    }
}

void kodak_jpeg_load_raw(TRawDecodeContext& context)
{
    TSwappedJpegSource source{context};
    TJpegDecompressor decompressor(*context.stream);
    decompressor.SetFillInput(FillSwappedJpeg, &source);
    decompressor.ReadHeader(true);
    decompressor.Start();
    if (int32_t(decompressor.OutputWidth()) != context.width ||
        int32_t(decompressor.OutputHeight()) * 2 != context.height || decompressor.OutputComponents() != 3)
        throw Exception(": incorrect JPEG dimensions");
    std::vector<uint8_t> line(size_t(context.width) * 3);
    uint8_t* rows[1] = {line.data()};
    SetRowProgressCount(context, int32_t(decompressor.OutputHeight()));
    while (decompressor.OutputScanline() < decompressor.OutputHeight()) {
        const int32_t y = int32_t(decompressor.OutputScanline());
        ReportRowProgress(context, y);
        if (decompressor.ReadScanlines(rows, 1) == 0)
            break;
        for (int32_t x = 0; x + 1 < context.width; x += 2) {
            const uint8_t* p = &line[size_t(x) * 3];
            const uint8_t* q = p + 3;
            SetBayerSample(context, 2 * y, x, uint16_t(p[1] << 6));
            SetBayerSample(context, 2 * y + 1, x + 1, uint16_t(q[1] << 6));
            SetBayerSample(context, 2 * y, x + 1, uint16_t((p[0] + q[0]) << 5));
            SetBayerSample(context, 2 * y + 1, x, uint16_t((p[2] + q[2]) << 5));
        }
    }
    decompressor.Finish();
}
