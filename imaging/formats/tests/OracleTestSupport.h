#pragma once
// Reference tools run from the tests: the files they make, their output,
// files they wrote, and the loaded bitmap in the byte layout of ImageMagick's
// "rgb:" output.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/tests/QkCommand.h"

// Creates the folder and runs the commands that make a test's files; a
// failing command fails the test.
inline void MakeFiles(const std::string& folder, const std::vector<std::string>& commands)
{
    std::filesystem::create_directories(folder);
    for (const std::string& command : commands)
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

inline std::string FileContent(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// 8 bits a sample, red, green, blue (a qk8p bitmap through its palette),
// and with `withAlpha` the alpha channel's value (255 without one).
inline std::string RgbBytes(TQkBitmap& bitmap, bool withAlpha = false)
{
    std::string rgb;
    TQkBitmap* alpha = bitmap.HasAlphaChannel() ? bitmap.GetAlphaChannel() : nullptr;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* line = bitmap.GetScanline(y);
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
            TRGBPixel colour;
            switch (bitmap.GetPixelFormat()) {
            case qk1g: colour.r = colour.g = colour.b = (line[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0; break;
            case qk8p: bitmap.GetPaletteColor(line[x], colour); break;
            default: colour = TRGBPixel{line[3 * x], line[3 * x + 1], line[3 * x + 2]}; break;
            }
            rgb += {char(colour.r), char(colour.g), char(colour.b)};
            if (withAlpha)
                rgb.push_back(char(alpha ? alpha->GetScanline(y)[x] : 255));
        }
    }
    return rgb;
}

inline std::string MagickRgb(const std::string& path) { return CommandOutput("convert " + path + " -depth 8 rgb:-"); }

// The largest difference of two samples; 256 when the sizes differ.
inline int LargestDifference(const std::string& ours, const std::string& theirs)
{
    if (ours.size() != theirs.size())
        return 256;
    int largest = 0;
    for (size_t i = 0; i < ours.size(); ++i)
        largest = std::max(largest, std::abs(int(uint8_t(ours[i])) - int(uint8_t(theirs[i]))));
    return largest;
}

// Empty when equal, else where the bytes first differ (pixel dumps are too
// long to print).
inline std::string Difference(const std::string& ours, const std::string& theirs)
{
    if (ours == theirs)
        return {};
    const auto [at, unused] = std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end());
    return "sizes " + std::to_string(ours.size()) + "/" + std::to_string(theirs.size()) + ", first difference at " +
        std::to_string(at - ours.begin());
}
