#pragma once
// Helpers of the bitmap tests: pixels in and out of bitmaps, and running
// the peer tools on PPM files.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/tests/QkPpmFiles.h"

// The bytes of every row (without padding) from the top.
inline std::vector<uint8_t> RowBytes(TQkBitmap& bitmap)
{
    const int64_t used = CalcRowLength(bitmap.GetWidth(), bitmap.GetBitCount(), 8);
    std::vector<uint8_t> bytes;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* row = bitmap.GetScanline(y);
        bytes.insert(bytes.end(), row, row + used);
    }
    return bytes;
}

// A qk24RGB image whose pixel (x, y) is blue x * 7 + y, green x + y * 5,
// red x * y (all mod 256): no two neighbours alike.
inline void FillPattern(TQkBitmap& bitmap)
{
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 7 + y);
            row[3 * x + 1] = static_cast<uint8_t>(x + y * 5);
            row[3 * x + 2] = static_cast<uint8_t>(x * y);
        }
    }
}

inline bool RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

inline std::string ScratchFile(const std::string& name)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(TEST_BINARY_DIR) + "/" + test->test_suite_name() + "." + test->name() + "." + name;
}
