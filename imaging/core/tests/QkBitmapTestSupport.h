#pragma once
// Helpers of the bitmap tests: pixels in and out of bitmaps, PPM files
// for the peer tools, and running those tools.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "imaging/core/QkBitmap.h"

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

// Binary PPM (red, green, blue) of a qk24RGB image.
inline void WritePpm(TQkBitmap& bitmap, const std::string& fileName)
{
    std::ofstream out(fileName, std::ios::binary);
    out << "P6\n" << bitmap.GetWidth() << " " << bitmap.GetHeight() << "\n255\n";
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
            const char rgb[3] = {static_cast<char>(row[3 * x + 2]), static_cast<char>(row[3 * x + 1]),
                                 static_cast<char>(row[3 * x])};
            out.write(rgb, 3);
        }
    }
}

// Reads a binary PPM written by a peer tool into a qk24RGB bitmap.
inline bool ReadPpm(const std::string& fileName, TQkBitmap& bitmap)
{
    std::ifstream in(fileName, std::ios::binary);
    std::string magic;
    int32_t width = 0;
    int32_t height = 0;
    int32_t maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255 || !bitmap.Allocate(width, height, qk24RGB))
        return false;
    std::vector<char> rgb(static_cast<size_t>(width) * 3);
    for (int32_t y = 0; y < height; ++y) {
        in.read(rgb.data(), static_cast<std::streamsize>(rgb.size()));
        uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(rgb[3 * x + 2]);
            row[3 * x + 1] = static_cast<uint8_t>(rgb[3 * x + 1]);
            row[3 * x + 2] = static_cast<uint8_t>(rgb[3 * x]);
        }
    }
    return static_cast<bool>(in);
}

inline bool RunTool(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string ScratchFile(const std::string& name)
{
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(TEST_BINARY_DIR) + "/" + test->test_suite_name() + "." + test->name() + "." + name;
}
