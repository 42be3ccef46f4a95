// Loaders of plain and bit-packed samples.
#include <cstdlib>

#include "imaging/formats/cameraraw/RawLoaderSupport.h"
#include "imaging/formats/cameraraw/RawLoaders.h"

namespace {

void unpacked_load_raw(TRawDecodeContext& context, int16_t order, int32_t shift)
{
    SetRowProgressCount(context, context.height);
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        const std::vector<uint16_t> words = ReadRowWords(context, context.raw_width, order, "unpacked_load_raw()");
        for (int32_t col = 0; col < context.width; ++col) {
            const size_t at = size_t(col + context.left_margin);
            const uint32_t word = at < words.size() ? words[at] : 0;
            SetBayerSample(context, row, col, uint16_t(shift >= 0 ? word >> shift : word << -shift));
        }
    }
}

} // namespace

void powershot600_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    TMaskedBlack black;
    int32_t row = 0;
    for (int32_t irow = 0; irow < context.height; ++irow) {
        ReportRowProgress(context, irow);
        const std::vector<uint8_t> data = ReadRowBytes(context, 1120, "powershot600_load_raw()");
        for (int32_t unit = 0; unit < 112; ++unit) {
            const uint8_t* d = &data[size_t(unit) * 10];
            const uint8_t high[8] = {d[0], d[2], d[3], d[4], d[5], d[6], d[7], d[8]};
            for (int32_t k = 0; k < 8; ++k) {
                const int32_t low = k < 4 ? (d[1] >> (6 - 2 * k)) & 3 : (d[9] >> (2 * (k - 4))) & 3;
                const uint32_t sample = uint32_t(high[k]) << 2 | uint32_t(low);
                const int32_t col = unit * 8 + k;
                if (col < context.width)
                    SetBayerSample(context, row, col, uint16_t(sample << 4));
                else if (row < context.height)
                    black.sum += sample;
            }
        }
        if ((row += 2) > context.height)
            row = 1;
    }
    black.Finish(context, 16);
}

void canon_packed10_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    TMaskedBlack black;
    const int64_t rowBytes = int64_t(context.raw_width) * 10 / 8;
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        std::vector<uint8_t> data = ReadRowBytes(context, rowBytes, "canon_packed10_load_raw()");
        // A last partial unit reads as zeros.
        data.resize(data.size() + 10);
        for (size_t i = 0; i + 1 < data.size(); i += 2)
            std::swap(data[i], data[i + 1]);
        uint64_t bits = 0;
        int32_t available = 0;
        size_t next = 0;
        for (int32_t col = 0; col < context.raw_width; ++col) {
            while (available < 10) {
                bits = (bits << 8) | data[next++];
                available += 8;
            }
            available -= 10;
            const uint32_t sample = uint32_t(bits >> available) & 0x3FF;
            PutFrameSample(context, row, col, uint16_t(sample << 4), sample, black);
        }
    }
    black.Finish(context, 16);
}

void nikon_12bit_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    GetBits(context, -1);
    const bool interlaced = StartsWith(context.model, "E");
    const int32_t half = context.height / 2;
    for (int32_t irow = 0; irow < context.height; ++irow) {
        ReportRowProgress(context, irow);
        int32_t row = irow;
        if (interlaced && half > 0) {
            row = irow / half + (2 * irow) % context.height;
            if (row == 1 && std::atoi(context.model.c_str() + 1) < 5000) {
                SeekTo(context, context.fsize / 2);
                GetBits(context, -1);
            }
        }
        for (int32_t col = 0; col < context.raw_width; ++col) {
            const uint32_t sample = GetBits(context, 12);
            const int32_t visible = col - context.left_margin;
            if (visible >= 0 && visible < context.width)
                SetBayerSample(context, row, visible, uint16_t(sample << 2));
            if (context.tiff_compression == 34713 && col % 10 == 9)
                GetBits(context, 8);
        }
    }
}

void nikon_packed12_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    int32_t row = 0;
    for (int32_t irow = 0; irow < context.height; ++irow) {
        ReportRowProgress(context, irow);
        std::vector<uint8_t> data = ReadRowBytes(context, int64_t(context.width) * 3 / 2, "nikon_packed12_load_raw()");
        // The last unit of a row may be partial.
        data.resize(data.size() + 12);
        for (int32_t col = 0; col < context.width; col += 8) {
            const uint8_t* d = &data[size_t(col) * 3 / 2];
            const uint32_t samples[8] = {uint32_t(d[2] >> 4) + uint32_t(d[3] << 4),  uint32_t(d[2] << 8) + d[1],
                                         uint32_t(d[7] >> 4) + uint32_t(d[0] << 4),  uint32_t(d[7] << 8) + d[6],
                                         uint32_t(d[4] >> 4) + uint32_t(d[5] << 4),  uint32_t(d[4] << 8) + d[11],
                                         uint32_t(d[9] >> 4) + uint32_t(d[10] << 4), uint32_t(d[9] << 8) + d[8]};
            for (int32_t k = 0; k < 8 && col + k < context.width; ++k)
                SetBayerSample(context, row, col + k, uint16_t((samples[k] & 0xFFF) << 2));
        }
        if ((row += 2) == context.height) {
            SkipBytes(context, context.width == 1616 ? 8792 : 424);
            row = 1;
        }
    }
}

void nikon_10bit_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    GetBits(context, -1);
    for (int32_t irow = 0; irow < context.height; ++irow) {
        ReportRowProgress(context, irow);
        const int32_t row = (2 * irow) % context.height;
        for (int32_t col = 0; col < context.width; ++col)
            SetBayerSample(context, row, col, uint16_t(GetBits(context, 10) << 4));
        for (int32_t skip = 0; skip < 28; ++skip)
            GetBits(context, 8);
    }
}

void packed12_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    GetBits(context, -1);
    const int32_t skip = context.raw_width - context.width * 3 / 2;
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        for (int32_t col = 0; col < context.width; ++col)
            SetBayerSample(context, row, col, uint16_t(GetBits(context, 12) << 2));
        for (int32_t i = 0; i < skip; ++i)
            GetBits(context, 8);
    }
}

void be16_load_raw(TRawDecodeContext& context) { unpacked_load_raw(context, 0x4D4D, 0); }
void be_high12_load_raw(TRawDecodeContext& context) { unpacked_load_raw(context, 0x4D4D, 2); }
void be_low12_load_raw(TRawDecodeContext& context) { unpacked_load_raw(context, 0x4D4D, -2); }
void be_low10_load_raw(TRawDecodeContext& context) { unpacked_load_raw(context, 0x4D4D, -4); }
void le_high12_load_raw(TRawDecodeContext& context) { unpacked_load_raw(context, 0x4949, 2); }

void olympus_interlaced_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    const int32_t half = std::max(context.height / 2, 1);
    const int64_t field = (-int64_t(context.width) * context.height * 3 / 4) & -2048;
    for (int32_t irow = 0; irow < context.height; ++irow) {
        ReportRowProgress(context, irow);
        const int32_t row = (2 * irow) % context.height + irow / half;
        if (row < 2) {
            SeekTo(context, context.data_offset - row * field);
            GetBits(context, -1);
        }
        for (int32_t col = 0; col < context.width; ++col)
            SetBayerSample(context, row, col, uint16_t(GetBits(context, 12) << 2));
    }
}

void eight_bit_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        const std::vector<uint8_t> data = ReadRowBytes(context, context.raw_width, "eight_bit_load_raw()");
        for (int32_t col = 0; col < context.width && size_t(col) < data.size(); ++col)
            SetBayerSample(context, row, col, uint16_t(data[size_t(col)] << 6));
    }
}

void qv5700_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        const std::vector<uint8_t> data = ReadRowBytes(context, 3232, "qv5700_load_raw()");
        int32_t col = 0;
        for (size_t at = 0; at < 3220; at += 5) {
            const uint8_t* d = &data[at];
            const uint32_t samples[4] = {uint32_t(d[0] << 2) + (d[1] >> 6), uint32_t(d[1] << 4) + (d[2] >> 4),
                                         uint32_t(d[2] << 6) + (d[3] >> 2), uint32_t(d[3] << 8) + d[4]};
            for (const uint32_t sample : samples) {
                if (col < context.width)
                    SetBayerSample(context, row, col, uint16_t((sample & 0x3FF) << 4));
                ++col;
            }
        }
    }
}

void nucore_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    const bool folded = StartsWith(context.model, "B") && context.width == 2598;
    for (int32_t irow = 0; irow < context.height; ++irow) {
        ReportRowProgress(context, irow);
        const std::vector<uint16_t> words = ReadRowWords(context, context.width, 0x4949, "nucore_load_raw()");
        int32_t row = irow;
        if (folded)
            row = context.height - 1 - irow / 2 - ((irow & 1) ? context.height / 2 : 0);
        for (int32_t col = 0; col < context.width; ++col)
            SetBayerSample(context, row, col, uint16_t(words[size_t(col)] << 2));
    }
}

void ixpress_load_raw(TRawDecodeContext& context)
{
    SetRowProgressCount(context, context.height);
    SeekTo(context, 49384);
    for (int32_t row = context.height - 1, done = 0; row >= 0; --row, ++done) {
        ReportRowProgress(context, done);
        const std::vector<uint16_t> words = ReadRowWords(context, 4090, 0x4949, "ixpress_load_raw()");
        for (int32_t col = 0; col < context.width; ++col) {
            const int32_t at = context.width - 1 - col;
            if (at >= 0 && at < 4090)
                SetBayerSample(context, row, col, words[size_t(at)]);
        }
    }
}

void phase_one_load_raw(TRawDecodeContext& context)
{
    SkipBytes(context, 8);
    SkipBytes(context, int64_t(Get4(context)) + 296);
    const uint16_t a = Get2(context);
    const uint16_t b = Get2(context);
    SeekTo(context, context.data_offset + 12 + int64_t(context.top_margin) * context.raw_width * 2);
    SetRowProgressCount(context, context.height);
    for (int32_t row = 0; row < context.height; ++row) {
        ReportRowProgress(context, row);
        std::vector<uint16_t> words = ReadRowWords(context, context.raw_width, 0x4D4D, "phase_one_load_raw()");
        for (size_t i = 0; i + 1 < words.size(); i += 2) {
            const uint16_t x = uint16_t(words[i] ^ a);
            const uint16_t y = uint16_t(words[i + 1] ^ b);
            words[i] = uint16_t((y & 0xAAAA) | (x & 0x5555));
            words[i + 1] = uint16_t((x & 0xAAAA) | (y & 0x5555));
        }
        for (int32_t col = 0; col < context.width; ++col) {
            const size_t at = size_t(col + context.left_margin);
            if (at < words.size())
                SetBayerSample(context, row, col, words[at]);
        }
    }
}

void rollei_load_raw(TRawDecodeContext& context)
{
    int64_t index = 0;
    int64_t second = int64_t(context.raw_width) * context.raw_height * 5 / 8;
    const auto store = [&context](int64_t at, uint32_t value) {
        if (context.raw_width <= 0)
            return;
        const int64_t row = at / context.raw_width - context.top_margin;
        const int64_t col = at % context.raw_width - context.left_margin;
        if (row >= 0 && row < context.height && col >= 0 && col < context.width)
            SetBayerSample(context, int32_t(row), int32_t(col), uint16_t((value & 0x3FF) << 4));
    };
    uint8_t unit[10];
    while (Tell(context) + 10 <= context.fsize) {
        ReadRawBytes(context, unit, 10);
        uint32_t bits = 0;
        for (int32_t k = 0; k < 5; ++k) {
            store(index++, uint32_t(unit[2 * k] << 8 | unit[2 * k + 1]));
            bits = (bits << 6) | (unit[2 * k] >> 2);
        }
        for (int32_t shift = 20; shift >= 0; shift -= 10)
            store(second++, bits >> shift);
    }
}
