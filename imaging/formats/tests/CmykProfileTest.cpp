#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "FormatsTestSupport.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/formats/QkIOSupport.h"

namespace {

using CmykProfileConversions = FormatsTest;

// transicc (relative colorimetric, like the library's transforms) on one
// colour; its unbounded results are clamped as an 8-bit transform does.
std::vector<int> Transicc(const std::string& arguments, const std::string& values)
{
    const std::string command = "echo '" + values + "' | transicc -t1 -n " + arguments + " 2>/dev/null | tail -1";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    std::array<char, 256> chunk{};
    while (pipe != nullptr && std::fgets(chunk.data(), int(chunk.size()), pipe) != nullptr)
        output += chunk.data();
    if (pipe != nullptr)
        pclose(pipe);
    std::istringstream numbers(output);
    std::vector<int> result;
    for (double value = 0; numbers >> value;)
        result.push_back(std::clamp(int(std::lround(value)), 0, 255));
    return result;
}

TRGBPixel CmykToRgbOf(std::array<uint8_t, 4> stored)
{
    TRGBPixel rgb;
    CmykToRgb(TCMYKPixel{stored[0], stored[1], stored[2], stored[3]}, rgb);
    return rgb;
}

} // namespace

TEST_F(CmykProfileConversions, ThePrimariesAndWhiteMatchTransiccWithTheSameProfile)
{
    ASSERT_TRUE(LoadCmykProfile()) << CmykProfileFileName;
    const std::string profile = "-i " + CmykProfileFileName + " -o '*sRGB'";
    // Ink percentages and the stored (inverted) pixel.
    const std::pair<const char*, std::array<uint8_t, 4>> inks[] = {
        {"100 0 0 0", {0, 255, 255, 255}}, {"0 100 0 0", {255, 0, 255, 255}}, {"0 0 100 0", {255, 255, 0, 255}},
        {"0 0 0 100", {255, 255, 255, 0}}, {"0 0 0 0", {255, 255, 255, 255}},
    };
    for (const auto& [percent, stored] : inks) {
        const std::vector<int> expected = Transicc(profile, percent);
        ASSERT_EQ(expected.size(), 3u) << percent;
        const TRGBPixel rgb = CmykToRgbOf(stored);
        EXPECT_NEAR(rgb.r, expected[0], 1) << percent;
        EXPECT_NEAR(rgb.g, expected[1], 1) << percent;
        EXPECT_NEAR(rgb.b, expected[2], 1) << percent;
    }
    // The other direction: red as inks, stored inverted.
    const std::vector<int> ink = Transicc("-i '*sRGB' -o " + CmykProfileFileName, "255 0 0");
    ASSERT_EQ(ink.size(), 4u);
    const TCMYKPixel red = RgbToCmyk(0xFF0000);
    EXPECT_NEAR(255 - red.c, std::lround(ink[0] * 2.55), 2);
    EXPECT_NEAR(255 - red.m, std::lround(ink[1] * 2.55), 2);
    EXPECT_NEAR(255 - red.y, std::lround(ink[2] * 2.55), 2);
    EXPECT_NEAR(255 - red.k, std::lround(ink[3] * 2.55), 2);
}

TEST_F(CmykProfileConversions, FormulasWhenTheProfileIsMissingOrOff)
{
    for (const bool missing : {true, false}) {
        FreeCmykProfiles();
        if (missing)
            CmykProfileFileName = std::string(TEST_BINARY_DIR) + "/no-such-profile.icc";
        else
            CmykProfileConversion = false;
        for (int call = 0; call < 2; ++call) {
            const TRGBPixel red = CmykToRgbOf({255, 0, 0, 255});
            EXPECT_EQ(red.r, 255);
            EXPECT_EQ(red.g, 0);
            const TRGBPixel black = CmykToRgbOf({10, 20, 30, 0});
            EXPECT_EQ(black.r + black.g + black.b, 0);
            const TCMYKPixel cmyk = RgbToCmyk(0);
            EXPECT_EQ(cmyk.c + cmyk.m + cmyk.y, 0);
            EXPECT_EQ(cmyk.k, 1);
        }
        EXPECT_FALSE(CmykProfile);
    }
}
