#include <gtest/gtest.h>

#include <functional>

#include "imaging/formats/cameraraw/RawLoaders.h"
#include "imaging/formats/tests/cameraraw/RawFileBuilder.h"

namespace {

// A ramp that uses every bit of an n-bit sample somewhere in the frame.
uint32_t Ramp(int32_t row, int32_t col, int32_t bits)
{
    return uint32_t(row * 1237 + col * 611 + 5) & ((1u << bits) - 1);
}

// MSB-first bits into bytes.
struct TBitWriter {
    std::string bytes;
    uint64_t buffer = 0;
    int32_t count = 0;
    bool stuff = false;

    void Put(uint32_t value, int32_t bits)
    {
        for (int32_t i = bits - 1; i >= 0; --i) {
            buffer = (buffer << 1) | (i < 32 ? (value >> i) & 1 : 0);
            if (++count == 8) {
                bytes += char(buffer & 0xFF);
                if (stuff && (buffer & 0xFF) == 0xFF)
                    bytes += '\0';
                buffer = 0;
                count = 0;
            }
        }
    }
    std::string Finish()
    {
        if (count)
            Put(0, 8 - count);
        return bytes + std::string(8, '\0');
    }
};

struct TFrame {
    int32_t height, width, rawWidth;
};

struct TLoaderCase {
    const char* name;
    TRawLoader loader;
    TFrame frame;
    int32_t bits;
    int32_t shift;
    std::function<std::string(const TFrame&, int32_t bits)> encode;
};

std::string Words(const TFrame& f, int32_t bits, bool big, int32_t placeShift)
{
    TRawBytes b(0, big);
    for (int32_t row = 0; row < f.height; ++row)
        for (int32_t col = 0; col < f.rawWidth; ++col)
            b.Put16(2 * size_t(row * f.rawWidth + col), Ramp(row, col, bits) << placeShift);
    return b.data;
}

std::string Bytes8(const TFrame& f, int32_t bits)
{
    std::string data;
    for (int32_t row = 0; row < f.height; ++row)
        for (int32_t col = 0; col < f.rawWidth; ++col)
            data += char(Ramp(row, col, bits));
    return data;
}

std::string Packed12(const TFrame& f, int32_t bits)
{
    TBitWriter w;
    for (int32_t row = 0; row < f.height; ++row) {
        for (int32_t col = 0; col < f.width; ++col)
            w.Put(Ramp(row, col, bits), 12);
        for (int32_t i = 0; i < f.rawWidth - f.width * 3 / 2; ++i)
            w.Put(0, 8);
    }
    return w.Finish();
}

std::string CanonPacked10(const TFrame& f, int32_t bits)
{
    std::string data;
    for (int32_t row = 0; row < f.height; ++row) {
        TBitWriter w;
        for (int32_t col = 0; col < f.rawWidth; ++col)
            w.Put(col < f.width ? Ramp(row, col, bits) : 100, 10);
        std::string line = w.bytes;
        for (size_t i = 0; i + 1 < line.size(); i += 2)
            std::swap(line[i], line[i + 1]);
        data += line;
    }
    return data;
}

std::string Qv5700(const TFrame& f, int32_t bits)
{
    std::string data;
    for (int32_t row = 0; row < f.height; ++row) {
        TBitWriter w;
        for (int32_t col = 0; col < 2576; ++col)
            w.Put(col < f.width ? Ramp(row, col, bits) : 0, 10);
        std::string line = w.bytes;
        line.resize(3232, '\0');
        data += line;
    }
    return data;
}

std::string PowerShot600(const TFrame& f, int32_t bits)
{
    std::string data;
    int32_t row = 0;
    for (int32_t irow = 0; irow < f.height; ++irow) {
        std::string line(1120, '\0');
        for (int32_t unit = 0; unit < 112; ++unit) {
            uint8_t* d = reinterpret_cast<uint8_t*>(line.data()) + unit * 10;
            static constexpr int32_t high[8] = {0, 2, 3, 4, 5, 6, 7, 8};
            for (int32_t k = 0; k < 8; ++k) {
                const int32_t col = unit * 8 + k;
                const uint32_t v = col < f.width ? Ramp(row, col, bits) : 40;
                d[high[k]] = uint8_t(v >> 2);
                if (k < 4)
                    d[1] |= uint8_t((v & 3) << (6 - 2 * k));
                else
                    d[9] |= uint8_t((v & 3) << (2 * (k - 4)));
            }
        }
        data += line;
        if ((row += 2) > f.height)
            row = 1;
    }
    return data;
}

std::string NikonPacked12(const TFrame& f, int32_t bits)
{
    std::string data;
    auto rowBytes = [&](int32_t row) {
        std::string line;
        for (int32_t col = 0; col < f.width; col += 8) {
            uint32_t s[8];
            for (int32_t k = 0; k < 8; ++k)
                s[k] = Ramp(row, col + k, bits);
            uint8_t d[12];
            d[3] = uint8_t(s[0] >> 4), d[2] = uint8_t((s[0] & 15) << 4 | s[1] >> 8), d[1] = uint8_t(s[1]);
            d[0] = uint8_t(s[2] >> 4), d[7] = uint8_t((s[2] & 15) << 4 | s[3] >> 8), d[6] = uint8_t(s[3]);
            d[5] = uint8_t(s[4] >> 4), d[4] = uint8_t((s[4] & 15) << 4 | s[5] >> 8), d[11] = uint8_t(s[5]);
            d[10] = uint8_t(s[6] >> 4), d[9] = uint8_t((s[6] & 15) << 4 | s[7] >> 8), d[8] = uint8_t(s[7]);
            line.append(reinterpret_cast<const char*>(d), 12);
        }
        return line;
    };
    for (int32_t row = 0; row < f.height; row += 2)
        data += rowBytes(row);
    data += std::string(424, '\0');
    for (int32_t row = 1; row < f.height; row += 2)
        data += rowBytes(row);
    return data;
}

std::string Nikon10(const TFrame& f, int32_t bits)
{
    TBitWriter w;
    for (int32_t r = 0; r < f.height; ++r) {
        const int32_t row = (2 * r) % f.height;
        for (int32_t col = 0; col < f.width; ++col)
            w.Put(Ramp(row, col, bits), 10);
        w.Put(0, 28 * 8);
    }
    return w.Finish();
}

std::string Nikon12(const TFrame& f, int32_t bits)
{
    TBitWriter w;
    for (int32_t row = 0; row < f.height; ++row)
        for (int32_t col = 0; col < f.rawWidth; ++col)
            w.Put(Ramp(row, col, bits), 12);
    return w.Finish();
}

std::string PhaseOne(const TFrame& f, int32_t bits)
{
    TRawBytes b(0, true);
    constexpr uint16_t a = 0x1234, k = 0xBEEF;
    b.Put32(8, 0);
    b.Put16(308, a);
    b.Put16(310, k);
    for (int32_t row = 0; row < f.height; ++row)
        for (int32_t col = 0; col < f.rawWidth; col += 2) {
            const uint32_t first = Ramp(row, col, bits), second = Ramp(row, col + 1, bits);
            const uint32_t x = (second & 0xAAAA) | (first & 0x5555);
            const uint32_t y = (first & 0xAAAA) | (second & 0x5555);
            const size_t at = 12 + 2 * size_t(row * f.rawWidth + col);
            b.Put16(at, x ^ a);
            b.Put16(at + 2, y ^ k);
        }
    b.Grow(400);
    return b.data;
}

std::string Dc120(const TFrame& f, int32_t bits)
{
    static constexpr int32_t multiplier[4] = {162, 192, 187, 92};
    static constexpr int32_t addend[4] = {0, 636, 424, 212};
    std::string data;
    for (int32_t row = 0; row < f.height; ++row) {
        std::string line(848, '\0');
        const int32_t shift = (row * multiplier[row & 3] + addend[row & 3]) % 848;
        for (int32_t col = 0; col < f.width; ++col)
            line[size_t((col + shift) % 848)] = char(Ramp(row, col, bits));
        data += line;
    }
    return data;
}

const TLoaderCase LoaderCases[] = {
    {"Be16", be16_load_raw, {3, 8, 8}, 16, 0, [](const TFrame& f, int32_t n) { return Words(f, n, true, 0); }},
    {"BeHigh12", be_high12_load_raw, {3, 8, 8}, 12, 2, [](const TFrame& f, int32_t n) { return Words(f, n, true, 4); }},
    {"BeLow12", be_low12_load_raw, {3, 8, 8}, 12, 2, [](const TFrame& f, int32_t n) { return Words(f, n, true, 0); }},
    {"BeLow10", be_low10_load_raw, {3, 8, 8}, 10, 4, [](const TFrame& f, int32_t n) { return Words(f, n, true, 0); }},
    {"LeHigh12",
     le_high12_load_raw,
     {3, 8, 8},
     12,
     2,
     [](const TFrame& f, int32_t n) { return Words(f, n, false, 4); }},
    {"Nucore", nucore_load_raw, {3, 8, 8}, 14, 2, [](const TFrame& f, int32_t n) { return Words(f, n, false, 0); }},
    {"EightBit", eight_bit_load_raw, {3, 8, 10}, 8, 6, Bytes8},
    {"Packed12", packed12_load_raw, {3, 8, 14}, 12, 2, Packed12},
    {"CanonPacked10", canon_packed10_load_raw, {3, 8, 16}, 10, 4, CanonPacked10},
    {"Qv5700", qv5700_load_raw, {2, 8, 8}, 10, 4, Qv5700},
    {"PowerShot600", powershot600_load_raw, {5, 854, 854}, 10, 4, PowerShot600},
    {"NikonPacked12", nikon_packed12_load_raw, {4, 16, 16}, 12, 2, NikonPacked12},
    {"Nikon10", nikon_10bit_load_raw, {3, 8, 8}, 10, 4, Nikon10},
    {"Nikon12", nikon_12bit_load_raw, {3, 8, 8}, 12, 2, Nikon12},
    {"KodakEasy", kodak_easy_load_raw, {3, 8, 8}, 8, 2, Bytes8},
    {"KodakDc120", kodak_dc120_load_raw, {6, 848, 848}, 8, 6, Dc120},
    {"PhaseOne", phase_one_load_raw, {3, 8, 8}, 16, 0, PhaseOne},
};

void PrintTo(const TLoaderCase& test, std::ostream* out) { *out << test.name; }

class RawLoaders : public testing::TestWithParam<TLoaderCase> {};

} // namespace

// Prepares a context as identification and the reader leave it.
void Prepare(TRawTestContext& context, int32_t height, int32_t width, int32_t rawWidth)
{
    context->height = context->raw_height = context->iheight = height;
    context->width = context->iwidth = width;
    context->raw_width = rawWidth;
    context->filters = 0x94949494;
    context->order = 0x4D4D;
    context->model = "D100";
    context->image.assign(size_t(height) * size_t(width), TRawPixel{});
}

uint16_t SampleAt(TRawDecodeContext& context, int32_t row, int32_t col)
{
    return context.image[size_t(row) * size_t(context.width) + size_t(col)][size_t(FilterColor(context, row, col))];
}

TEST_P(RawLoaders, DecodeTheRampShifted)
{
    const TLoaderCase& test = GetParam();
    const TFrame& f = test.frame;
    TRawTestContext context(test.encode(f, test.bits));
    Prepare(context, f.height, f.width, f.rawWidth);
    test.loader(*context);
    for (int32_t row = 0; row < f.height; ++row)
        for (int32_t col = 0; col < f.width; ++col)
            ASSERT_EQ(SampleAt(*context, row, col), uint16_t(Ramp(row, col, test.bits) << test.shift))
                << row << "," << col;
    EXPECT_FALSE(context->fuji_rotated);
}

INSTANTIATE_TEST_SUITE_P(Layouts, RawLoaders, testing::ValuesIn(LoaderCases),
                         [](const testing::TestParamInfo<TLoaderCase>& param) {
                             return std::string(param.param.name);
                         });

// The masked columns right of the visible area give the black level.
TEST(RawLoaderBlack, FromMaskedColumns)
{
    const TFrame f{3, 8, 16};
    TRawTestContext packed(CanonPacked10(f, 10));
    Prepare(packed, f.height, f.width, f.rawWidth);
    canon_packed10_load_raw(*packed);
    EXPECT_EQ(packed->black, 100 * 16);
}
