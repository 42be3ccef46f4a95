#include <gtest/gtest.h>

#include "imaging/formats/cameraraw/RawLoaders.h"
#include "imaging/formats/tests/cameraraw/RawFileBuilder.h"

namespace {

// A two-table lossless JPEG whose 17 length symbols all have 5-bit codes
// 0..16, as a camera's encoder would write it for the loader's predictors.
class TLosslessEncoder {
public:
    TLosslessEncoder(int32_t rows, int32_t columns) : rows_(rows), columns_(columns) {}

    std::string Encode(const std::function<int32_t(int32_t, int32_t)>& sample)
    {
        std::string out = "\xFF\xD8";
        Segment(out, 0xFFC3,
                {12, uint8_t(rows_ >> 8), uint8_t(rows_), uint8_t(columns_ / 2 >> 8), uint8_t(columns_ / 2), 2, 1, 0x11,
                 0, 2, 0x11, 0});
        std::vector<uint8_t> tables;
        for (uint8_t table = 0; table < 2; ++table) {
            tables.push_back(table);
            for (int32_t length = 1; length <= 16; ++length)
                tables.push_back(length == 5 ? 17 : 0);
            for (uint8_t symbol = 0; symbol <= 16; ++symbol)
                tables.push_back(symbol);
        }
        Segment(out, 0xFFC4, tables);
        Segment(out, 0xFFDA, {2, 1, 0x00, 2, 0x11, 1, 0, 0});
        int32_t vertical[2] = {2048, 2048};
        int32_t horizontal[2] = {0, 0};
        for (int32_t row = 0; row < rows_; ++row)
            for (int32_t col = 0; col < columns_; ++col) {
                const int32_t value = sample(row, col);
                const int32_t predicted = col < 2 ? vertical[col] : horizontal[col & 1];
                PutDifference(value - predicted);
                if (col < 2)
                    vertical[col] = value;
                horizontal[col & 1] = value;
            }
        return out + Flush() + "\xFF\xD9";
    }

private:
    static void Segment(std::string& out, uint16_t marker, const std::vector<uint8_t>& data)
    {
        const size_t length = data.size() + 2;
        out += char(marker >> 8);
        out += char(marker & 0xFF);
        out += char(length >> 8);
        out += char(length & 0xFF);
        out.append(data.begin(), data.end());
    }
    void PutBits(uint32_t value, int32_t count)
    {
        for (int32_t i = count - 1; i >= 0; --i) {
            byte_ = uint8_t(byte_ << 1 | ((value >> i) & 1));
            if (++bits_ == 8) {
                data_ += char(byte_);
                if (byte_ == 0xFF)
                    data_ += '\0';
                byte_ = 0;
                bits_ = 0;
            }
        }
    }
    void PutDifference(int32_t diff)
    {
        int32_t length = 0;
        while ((std::abs(diff) >> length) != 0)
            ++length;
        PutBits(uint32_t(length), 5);
        if (length)
            PutBits(uint32_t(diff >= 0 ? diff : diff + (1 << length) - 1), length);
    }
    std::string Flush()
    {
        while (bits_)
            PutBits(1, 1);
        return data_ + std::string(8, '\0');
    }

    int32_t rows_;
    int32_t columns_;
    std::string data_;
    uint8_t byte_ = 0;
    int32_t bits_ = 0;
};

int32_t Ramp(int32_t row, int32_t col) { return (row * 977 + col * 131 + 7) & 4095; }

} // namespace

// Visible samples land shifted by 2; the masked left columns give black.
TEST(LosslessJpegLoader, DecodesTwoComponentFrame)
{
    TLosslessEncoder encoder(4, 12);
    TRawTestContext context(encoder.Encode([](int32_t row, int32_t col) { return col < 2 ? 300 : Ramp(row, col); }));
    context->raw_height = context->height = context->iheight = 4;
    context->raw_width = 12;
    context->width = context->iwidth = 10;
    context->left_margin = 2;
    context->filters = 0x94949494;
    context->image.assign(40, TRawPixel{});
    ljpeg_load_raw(*context);
    for (int32_t row = 0; row < 4; ++row)
        for (int32_t col = 0; col < 10; ++col)
            ASSERT_EQ(context->image[size_t(row * 10 + col)][size_t(FilterColor(*context, row, col))],
                      Ramp(row, col + 2) << 2);
    EXPECT_EQ(context->black, 300 * 4);
}

// The widest sensor's data come as three vertical slices of 1680, 1680 and
// 1748 columns, each written row by row.
TEST(LosslessJpegLoader, PlacesTheWideSensorSlices)
{
    constexpr int32_t rows = 2, columns = 5108;
    TLosslessEncoder encoder(rows, columns);
    TRawTestContext context(encoder.Encode([](int32_t row, int32_t col) { return (row * columns + col) & 4095; }));
    context->raw_height = context->height = context->iheight = rows;
    context->raw_width = context->width = context->iwidth = columns;
    context->filters = 0;
    context->image.assign(size_t(rows * columns), TRawPixel{});
    ljpeg_load_raw(*context);
    const auto at = [&](int32_t row, int32_t col) { return context->image[size_t(row * columns + col)][0] >> 2; };
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(1, 0), 1680);
    EXPECT_EQ(at(0, 1680), 3360 & 4095);
    EXPECT_EQ(at(1, 1680), 5040 & 4095);
    EXPECT_EQ(at(0, 3360), 6720 & 4095);
    EXPECT_EQ(at(1, 3360), (6720 + 1748) & 4095);
}

// A frame larger than the sensor, or no start-of-image, leaves the image black.
TEST(LosslessJpegLoader, RefusesFramesThatDoNotFit)
{
    TLosslessEncoder encoder(8, 12);
    for (const std::string& data : {encoder.Encode([](int32_t, int32_t) { return 100; }), std::string(64, '\x11')}) {
        TRawTestContext context(data);
        context->raw_height = context->height = context->iheight = 4;
        context->raw_width = context->width = context->iwidth = 12;
        context->image.assign(48, TRawPixel{});
        ljpeg_load_raw(*context);
        for (const TRawPixel& pixel : context->image)
            ASSERT_EQ(pixel, TRawPixel{});
    }
}
