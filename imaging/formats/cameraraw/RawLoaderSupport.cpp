#include "imaging/formats/cameraraw/RawLoaderSupport.h"

void TMaskedBlack::Finish(TRawDecodeContext& context, int64_t scale) const
{
    const int64_t masked = int64_t(context.raw_width - context.width) * context.height;
    if (context.raw_width > context.width && masked > 0)
        context.black = int32_t(int64_t(sum) * scale / masked);
}

void PutFrameSample(TRawDecodeContext& context, int32_t row, int32_t col, uint16_t value, uint32_t raw,
                    TMaskedBlack& black)
{
    if (row < 0 || row >= context.height)
        return;
    const int32_t visible = col - context.left_margin;
    if (visible >= 0 && visible < context.width)
        SetBayerSample(context, row, visible, value);
    else
        black.sum += raw;
}

std::vector<uint8_t> ReadRowBytes(TRawDecodeContext& context, int64_t count, const char* where)
{
    CheckAllocSize(count, where);
    std::vector<uint8_t> row(size_t(std::max<int64_t>(count, 0)));
    ReadRawBytes(context, row.data(), int64_t(row.size()));
    return row;
}

std::vector<uint16_t> ReadRowWords(TRawDecodeContext& context, int64_t count, int16_t order, const char* where)
{
    const std::vector<uint8_t> bytes = ReadRowBytes(context, 2 * count, where);
    std::vector<uint16_t> words(bytes.size() / 2);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = order == 0x4949 ? uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8)
                                   : uint16_t(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    return words;
}
