#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "QkCommand.h"
#include "imaging/core/QkColorRoutines.h"

namespace {

std::string LabScript() { return std::string("python3 '") + TEST_SOURCE_DIR + "/lab_reference.py' "; }

// Each direction over a grid of inputs, byte for byte against the
// reference script.
TEST(CieLab, MatchesTheReferenceEquationsInBothDirections)
{
    std::string arguments;
    std::string expected;
    std::ostringstream ours;
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 51) {
                arguments += std::to_string(r) + " " + std::to_string(g) + " " + std::to_string(b) + " ";
                TCIELabPixel lab{};
                RgbToCieLab(lab,
                            MakeRGBPixel(static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b)));
                ours << int(lab.l) << " " << int(static_cast<uint8_t>(lab.a)) << " " << int(static_cast<uint8_t>(lab.b))
                     << "\n";
            }
        }
    }
    EXPECT_EQ(ours.str(), CommandOutput(LabScript() + "to-lab " + arguments));

    arguments.clear();
    std::ostringstream back;
    for (int l = 0; l < 256; l += 15) {
        for (int a = 0; a < 256; a += 13) {
            for (int b = 0; b < 256; b += 29) {
                arguments += std::to_string(l) + " " + std::to_string(a) + " " + std::to_string(b) + " ";
                TRGBPixel rgb{};
                CieLabToRgb(rgb, {static_cast<uint8_t>(l), static_cast<int8_t>(a), static_cast<int8_t>(b)});
                back << int(rgb.r) << " " << int(rgb.g) << " " << int(rgb.b) << "\n";
            }
        }
    }
    EXPECT_EQ(back.str(), CommandOutput(LabScript() + "to-rgb " + arguments));
}

TEST(CieLab, WhiteBothWays)
{
    TCIELabPixel lab{};
    RgbToCieLab(lab, MakeRGBPixel(255, 255, 255));
    EXPECT_GE(lab.l, 254);
    EXPECT_LE(std::abs(lab.a), 1);
    EXPECT_LE(std::abs(lab.b), 1);
    TRGBPixel rgb{};
    CieLabToRgb(rgb, {255, 0, 0});
    EXPECT_TRUE(SameRGBPixel(rgb, MakeRGBPixel(255, 255, 255)));
}

std::string Bytes(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string Converted(std::vector<uint8_t> source, uint8_t sourceKind, int32_t count, uint8_t targetKind,
                      size_t targetBytes)
{
    std::vector<uint8_t> target(targetBytes, 0xEE);
    ConvertColorRow(source.data(), sourceKind, target.data(), nullptr, count, targetKind);
    return Bytes(target);
}

TEST(ConvertColorRow, EveryKind)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> source;
        uint8_t sourceKind;
        uint8_t targetKind;
        std::vector<uint8_t> expected;
    };
    const std::vector<Case> cases = {
        {"RGB swaps to BGR", {1, 2, 3, 4, 5, 6}, ckRGB, ckBGR, {3, 2, 1, 6, 5, 4}},
        {"BGR copies", {1, 2, 3}, ckBGR, ckBGR, {1, 2, 3}},
        {"stored CMYK without ink is white", {255, 255, 255, 255}, ckCMYK, ckBGR, {255, 255, 255}},
        {"stored CMYK with K 0 is black", {200, 100, 50, 0}, ckCMYK, ckBGR, {0, 0, 0}},
        {"ink CMYK is complemented", {0, 0, 0, 0, 9, 9}, ckInkCMYK, ckBGR, {255, 255, 255}},
        {"gray to BGR", {77}, ckGray, ckBGR, {77, 77, 77}},
        {"BGR to gray uses the weights", {100, 0, 200}, ckBGR, ckGray, {(200 * 21 + 100 * 8) / 100}},
        {"16-bit low byte first", {0x11, 0xA1, 0x22, 0xA2, 0x33, 0xA3}, ckRGB48, ckBGR, {0xA3, 0xA2, 0xA1}},
        {"16-bit high byte first", {0xA1, 0x11, 0xA2, 0x22, 0xA3, 0x33}, ckRGB48BigEndian, ckBGR, {0xA3, 0xA2, 0xA1}},
        {"YCbCr neutral", {128, 128, 128}, ckYCbCr, ckBGR, {128, 128, 128}},
        {"YCbCr clamps", {255, 0, 255}, ckYCbCr, ckBGR, {28, 208, 255}},
        {"BGR red to CMYK", {0, 0, 255}, ckBGR, ckCMYK, {255, 0, 0, 255}},
        {"BGR black to CMYK", {0, 0, 0}, ckBGR, ckCMYK, {0, 0, 0, 1}},
        {"BGR white to Lab", {255, 255, 255}, ckBGR, ckCIELab, {255, 0, 0}},
        {"unknown source writes nothing", {1, 2, 3}, 9, ckBGR, {0xEE, 0xEE, 0xEE}},
        {"RGB is no target", {1, 2, 3}, ckBGR, ckRGB, {0xEE, 0xEE, 0xEE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t pixelBytes = c.sourceKind == ckRGB ? 3 : c.source.size();
        const int32_t count = static_cast<int32_t>(c.source.size() / pixelBytes);
        EXPECT_EQ(Converted(c.source, c.sourceKind, count, c.targetKind, c.expected.size()), Bytes(c.expected));
    }
}

TEST(ConvertColorRow, InkCMYKSourceIsComplementedInPlace)
{
    std::vector<uint8_t> row = {10, 20, 30, 40, 1, 2};
    std::vector<uint8_t> target(3);
    ConvertColorRow(row.data(), ckInkCMYK, target.data(), nullptr, 1, ckBGR);
    EXPECT_EQ(row, (std::vector<uint8_t>{245, 235, 225, 215, 1, 2}));
    ConvertColor(row.data(), ckBGR, target.data(), ckGray, 1, nullptr);
    EXPECT_EQ(target[0], (225 * 21 + 235 * 71 + 245 * 8) / 100);
}

TEST(Cmyk, FormulasAtBlackAndWhite)
{
    TRGBPixel rgb{};
    CmykToRgb(MakeCMYKPixel(255, 255, 255, 255), rgb);
    EXPECT_TRUE(SameRGBPixel(rgb, MakeRGBPixel(255, 255, 255)));
    CmykToRgb(MakeCMYKPixel(0, 0, 0, 255), rgb);
    EXPECT_TRUE(SameRGBPixel(rgb, MakeRGBPixel(0, 0, 0)));
    const TCMYKPixel black = RgbToCmyk(0x000000);
    EXPECT_EQ(std::vector<int>({black.c, black.m, black.y, black.k}), std::vector<int>({0, 0, 0, 1}));
    CmykToRgb(black, rgb);
    EXPECT_TRUE(SameRGBPixel(rgb, MakeRGBPixel(0, 0, 0)));
    const TCMYKPixel white = RgbToCmyk(0xFFFFFF);
    EXPECT_EQ(std::vector<int>({white.c, white.m, white.y, white.k}), std::vector<int>({255, 255, 255, 255}));
}

} // namespace
