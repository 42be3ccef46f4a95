#include "platform/gfx/Raster.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Spans of random length and place in rows of random bytes, filled with
// random values: the fast fills must write exactly what pixel-by-pixel
// writes would, and nothing outside the span.
TEST(Raster, FillSpanRawMatchesPixelByPixelWrites)
{
    std::mt19937 random(20);
    for (int bpp : {8, 15, 16, 24, 32}) {
        for (int round = 0; round < 200; ++round) {
            const int32_t width = 1 + static_cast<int32_t>(random() % 300);
            std::vector<uint8_t> row(static_cast<size_t>(RowStride(width, bpp)) + 8);
            for (uint8_t& byte : row)
                byte = static_cast<uint8_t>(random());
            std::vector<uint8_t> expected = row;
            const int32_t x0 = static_cast<int32_t>(random() % static_cast<uint32_t>(width));
            const int32_t x1 = x0 + static_cast<int32_t>(random() % static_cast<uint32_t>(width - x0 + 1));
            uint32_t raw = static_cast<uint32_t>(random()) & RawMask(bpp);
            if (round % 4 == 0 && bpp == 24) // a grey takes its own path
                raw = (raw & 0xFF) * 0x010101u;
            for (int32_t x = x0; x < x1; ++x)
                WriteRaw(expected.data(), x, bpp, raw);
            FillSpanRaw(row.data(), x0, x1, bpp, raw, R2_COPYPEN);
            ASSERT_EQ(row, expected) << bpp << " bpp, " << x0 << " .. " << x1 << ", raw " << raw;
        }
    }
}

} // namespace
