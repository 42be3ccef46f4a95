// Fujifilm's 45-degree sensors, stored diagonally in the pixel array, and
// Sony's scrambled four-colour frame.
#include "imaging/formats/cameraraw/RawLoaderSupport.h"
#include "imaging/formats/cameraraw/RawLoaders.h"

namespace {

void fuji_diagonal_load_raw(TRawDecodeContext& context, int32_t ncol, int32_t icol, int32_t nrow)
{
    context.fuji_rotated = true;
    SetRowProgressCount(context, nrow);
    for (int32_t r = 0; r < nrow; ++r) {
        ReportRowProgress(context, r);
        const std::vector<uint16_t> words = ReadRowWords(context, ncol, 0x4949, "fuji_load_raw()");
        for (int32_t col = 0; col <= icol && col < ncol; ++col)
            SetBayerSample(context, icol - col + r / 2, col + (r + 1) / 2, uint16_t(words[size_t(col)] << 2));
    }
}

void DecryptBytes(TRawDecodeContext& context, uint8_t* bytes, size_t count, bool start, uint32_t key)
{
    std::vector<uint32_t> words(count / 4);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 | uint32_t(bytes[4 * i + 2]) << 16 |
            uint32_t(bytes[4 * i + 3]) << 24;
    SonyDecrypt(context, words.data(), int32_t(words.size()), start, key);
    for (size_t i = 0; i < words.size(); ++i)
        for (size_t b = 0; b < 4; ++b)
            bytes[4 * i + b] = uint8_t(words[i] >> (8 * b));
}

} // namespace

void fuji_s2pro_load_raw(TRawDecodeContext& context)
{
    context.fuji_rotated = true;
    SkipBytes(context, 141376);
    SetRowProgressCount(context, 2144);
    for (int32_t r = 0; r < 2144; ++r) {
        ReportRowProgress(context, r);
        const std::vector<uint16_t> words = ReadRowWords(context, 2944, 0x4D4D, "fuji_s2pro_load_raw()");
        for (int32_t i = 0; i < 2880; ++i)
            SetBayerSample(context, (i + 1) / 2 + r, i / 2 - r + 2143, uint16_t(words[size_t(i)] << 2));
    }
}

void fuji_s5000_load_raw(TRawDecodeContext& context)
{
    SkipBytes(context, 11824);
    fuji_diagonal_load_raw(context, 1472, 1423, 2152);
}

void fuji_s7000_load_raw(TRawDecodeContext& context) { fuji_diagonal_load_raw(context, 2048, 2047, 3080); }

void fuji_f700_load_raw(TRawDecodeContext& context)
{
    context.fuji_rotated = true;
    SetRowProgressCount(context, 2168);
    for (int32_t r = 0; r < 2168; ++r) {
        ReportRowProgress(context, r);
        const std::vector<uint16_t> words = ReadRowWords(context, 2944, 0x4949, "fuji_f700_load_raw()");
        for (int32_t col = 0; col < 1440; ++col)
            SetBayerSample(context, 1439 - col + r / 2, col + (r + 1) / 2,
                           words[size_t(col + 16 + context.use_secondary * 1472)]);
    }
}

void sony_f828_load_raw(TRawDecodeContext& context)
{
    SeekTo(context, 200896);
    const uint8_t k = Get1(context);
    SeekTo(context, 200896 + 4 * int64_t(k));
    const int16_t order = context.order;
    context.order = 0x4D4D;
    uint32_t key = Get4(context);
    context.order = order;
    uint8_t head[40];
    SeekTo(context, 164600);
    ReadRawBytes(context, head, 40);
    // The pad works on the bytes as they lie in the file, taken four at a
    // time as little-endian words.
    DecryptBytes(context, head, 40, true, key);
    key = uint32_t(head[22]) | uint32_t(head[23]) << 8 | uint32_t(head[24]) << 16 | uint32_t(head[25]) << 24;
    SeekTo(context, 862144);
    TMaskedBlack black;
    SetRowProgressCount(context, context.height);
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        std::vector<uint8_t> data = ReadRowBytes(context, 2 * int64_t(context.raw_width), "sony_f828_load_raw()");
        DecryptBytes(context, data.data(), data.size() / 4 * 4, row == 0, key);
        for (int32_t col = 0; col < 3343 && size_t(2 * col + 1) < data.size(); ++col) {
            const uint16_t word = uint16_t(data[size_t(2 * col)] << 8 | data[size_t(2 * col + 1)]);
            PutFrameSample(context, row, col, word, word, black);
        }
    }
    const int64_t masked = int64_t(3343 - context.width) * context.height;
    if (masked > 0)
        context.black = int32_t(int64_t(black.sum) / masked);
}
