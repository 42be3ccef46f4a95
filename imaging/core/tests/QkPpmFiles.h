#pragma once
// PPM files, the plain format the peer tools (ImageMagick, vips, pillow)
// exchange images with the tests and the benchmarks in.

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"

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
    for (int32_t y = 0; y < height && in.read(rgb.data(), static_cast<std::streamsize>(rgb.size())); ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < width; ++x) {
            row[3 * x] = static_cast<uint8_t>(rgb[3 * x + 2]);
            row[3 * x + 1] = static_cast<uint8_t>(rgb[3 * x + 1]);
            row[3 * x + 2] = static_cast<uint8_t>(rgb[3 * x]);
        }
    }
    return static_cast<bool>(in);
}
