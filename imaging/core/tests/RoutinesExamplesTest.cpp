#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "imaging/core/QkBits.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkMath.h"
#include "imaging/core/QkPixels.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkTextRoutines.h"
#include "platform/core/Strings.h"

namespace {

struct Example {
    std::string what;
    std::string actual;
    std::string expected;
};

std::string Text(double value) { return Format("%.9g", value); }
std::string Text(int64_t value) { return std::to_string(value); }
std::string Text(const TRGBPixel& p) { return Format("%d,%d,%d", p.r, p.g, p.b); }

std::string Rational(double value, double tolerance)
{
    int32_t numerator = 0;
    int32_t denominator = 0;
    FloatToRational(numerator, denominator, tolerance, value);
    return Format("%d/%d", numerator, denominator);
}

std::string Fitted(int32_t width, int32_t height, int32_t boxWidth, int32_t boxHeight)
{
    int32_t newWidth = -1;
    int32_t newHeight = -1;
    FitSizeInBox(width, height, boxWidth, boxHeight, newWidth, newHeight);
    return Format("%dx%d", newWidth, newHeight);
}

std::string Ordered(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    OrderRectCorners(x1, y1, x2, y2);
    return Format("%d,%d,%d,%d", x1, y1, x2, y2);
}

std::string Reversed(uint8_t value)
{
    ReverseByteBits(value);
    return Text(int64_t{value});
}

std::string Reversed32(uint32_t value)
{
    ReverseBits32(value);
    return Format("%08X", value);
}

std::string Bits(uint8_t byte, int64_t index, bool value)
{
    uint8_t buffer[2] = {byte, 0};
    SetBit(buffer, index, value);
    return Format("%02X%02X", buffer[0], buffer[1]);
}

std::string DotText(double value)
{
    std::string text;
    FloatToStrDot(text, value);
    return text;
}

std::string YCbCr(uint8_t y, uint8_t cb, uint8_t cr)
{
    TRGBPixel pixel{};
    YCbCrToRGB(pixel, y, cb, cr);
    return Text(pixel);
}

TEST(RoutineExamples, Table)
{
    const uint8_t topBit[] = {0x80, 0x01};
    TLogFont boldItalic;
    boldItalic.lfWeight = 700;
    boldItalic.lfItalic = 1;
    const std::vector<Example> examples = {
        {"CeilLog2 0..5",
         Format("%d %d %d %d %d %d", CeilLog2(0), CeilLog2(1), CeilLog2(2), CeilLog2(3), CeilLog2(4), CeilLog2(5)),
         "-1 0 1 2 2 3"},
        {"CalcRowLength 3x24/32", Text(CalcRowLength(3, 24, 32)), "12"},
        {"CalcRowLength 3x1/8", Text(CalcRowLength(3, 1, 8)), "1"},
        {"CalcRowLength alignment below a byte", Text(CalcRowLength(9, 1, 0)), "2"},
        {"CalcTBitmapRowLength pf1bit", Text(CalcTBitmapRowLength(33, pf1bit)), "8"},
        {"CountMaskBits 565 green", Text(int64_t{CountMaskBits(0x07E0)}), "6"},
        {"CountMaskBits top bit", Text(int64_t{CountMaskBits(0x80000000u)}), "1"},
        {"CountMaskBits 0", Text(int64_t{CountMaskBits(0)}), "0"},
        {"ReverseByteBits", Reversed(0x01) + " " + Reversed(0xF0), "128 15"},
        {"ReverseBits32", Reversed32(0x00000001u), "80000000"},
        {"SwapWord keeps the high half", Format("%08X", SwapWord(0x12345678u)), "12347856"},
        {"SwapDWord", Format("%08X", SwapDWord(0x12345678u)), "78563412"},
        {"SwapWordIf false", Format("%X", SwapWordIf(0x1234u, false)), "1234"},
        {"CalcColorCount", Format("%u %u %u", CalcColorCount(8, 3), CalcColorCount(1, 1), CalcColorCount(16, 2)),
         "16777216 2 0"},
        {"QkArcCos -1 0 1", Text(QkArcCos(-1)) + " " + Text(QkArcCos(0)) + " " + Text(QkArcCos(1)),
         Text(M_PI) + " " + Text(M_PI / 2) + " 0"},
        {"FloatToRational 0.5", Rational(0.5, 0.001), "1/2"},
        {"FloatToRational 3", Rational(3, 0.001), "3/1"},
        {"FloatToRational -0.75", Rational(-0.75, 0.0001), "-3/4"},
        {"FloatToRational tiny", Rational(1e-20, 0.001), "1/999999999"},
        {"FloatToRational huge", Rational(-5e12, 0.001), "-999999999/1"},
        {"QkIntPower",
         Text(static_cast<double>(QkIntPower(2, 10))) + " " + Text(static_cast<double>(QkIntPower(2, -2))),
         "1024 0.25"},
        {"FloatPower",
         Text(static_cast<double>(FloatPower(0, 3))) + " " + Text(static_cast<double>(FloatPower(9, 0.5))), "0 3"},
        {"FastPower", Text(FastPower(0, 0)) + " " + Text(FastPower(3, -2)) + " " + Text(FastPower(2, 5)),
         "1 0.111111111 32"},
        {"FitSizeInBox", Fitted(200, 100, 50, 50) + " " + Fitted(1000, 1, 10, 10), "50x25 10x1"},
        {"FitSizeInBox zero width leaves the results", Fitted(0, 100, 50, 50), "-1x-1"},
        {"YCbCr neutral and clamped", YCbCr(128, 128, 128) + " " + YCbCr(255, 0, 255), "128,128,128 255,208,28"},
        {"GetURLKind",
         Format("%d %d %d %d", GetURLKind("HTTPS://a"), GetURLKind("http://a"), GetURLKind("FTP://a"),
                GetURLKind("file://a")),
         "2 1 3 0"},
        {"ExtractFileExtLower", ExtractFileExtLower("photo.JPG", false) + " " + ExtractFileExtLower("photo.JPG", true),
         "jpg .jpg"},
        {"StrToFloatLenient", Text(StrToFloatLenient("1,5", 0)) + " " + Text(StrToFloatLenient("x", 7)), "1.5 7"},
        {"FloatToStrDot", DotText(2.5), "2.5"},
        {"QkPos and QkCopy",
         Text(QkPos("lo", "hello")) + " " + QkCopy("hello", 2, 3) + " " + QkCopy("hello", 9, 2) + "|", "4 ell |"},
        {"QkFloatToStrF fixed, as the vector layer writes", QkFloatToStrF(ffFixed, 15, 2, 1234.567), "1234.57"},
        {"LogFontToFontStyles",
         Format("%d %d %d", LogFontToFontStyles(boldItalic).Contains(fsBold),
                LogFontToFontStyles(boldItalic).Contains(fsItalic),
                LogFontToFontStyles(boldItalic).Contains(fsUnderline)),
         "1 1 0"},
        {"IntClamp reversed bounds", Text(int64_t{IntClamp(5, 10, 0)}), "10"},
        {"FloorInt -1.5 and -2", Text(int64_t{FloorInt(-1.5)}) + " " + Text(int64_t{FloorInt(-2.0)}), "-2 -2"},
        {"CeilInt 1.5 and beyond the range", Text(int64_t{CeilInt(1.5)}) + " " + Text(int64_t{CeilInt(1e12)}),
         "2 2147483647"},
        {"ByteClamp", Format("%d %d %d", ByteClamp(-4), ByteClamp(300), ByteClamp(17)), "0 255 17"},
        {"RGBPixelToGray white", Text(int64_t{RGBPixelToGray(MakeRGBPixel(255, 255, 255))}), "255"},
        {"RGBPixelToColor", Format("%06X", RGBPixelToColor(MakeRGBPixel(0x11, 0x22, 0x33))), "332211"},
        {"ColorToRGBPixel resolves system colours", Text(ColorToRGBPixel(clBtnFace)),
         Text(MakeRGBPixel(static_cast<uint8_t>(ColorToRGB(clBtnFace)),
                           static_cast<uint8_t>(ColorToRGB(clBtnFace) >> 8),
                           static_cast<uint8_t>(ColorToRGB(clBtnFace) >> 16)))},
        {"ColorToRGBAPixel",
         Format("%d", ColorToRGBAPixel(0x0000FF, 7).a) + " " + Text(int64_t{ColorToRGBAPixel(0x0000FF, 7).r}), "7 255"},
        {"FloatMin tie keeps the first", Text(1 / FloatMin(0.0, -0.0)), "inf"},
        {"OrderRectCorners", Ordered(5, 9, 1, 2), "1,2,5,9"},
        {"GetBit 0 is the top bit", Format("%d %d %d", GetBit(topBit, 0), GetBit(topBit, 1), GetBit(topBit, 15)),
         "1 0 1"},
        {"SetBit", Bits(0x00, 9, true) + " " + Bits(0xFF, 0, false), "0040 7F00"},
        {"GetBitMSB", Format("%d", GetBitMSB(topBit, 0)), "1"},
        {"SameGUID", Format("%d %d", SameGUID(TQkGUID{1}, TQkGUID{1}), SameGUID(TQkGUID{1}, TQkGUID{2})), "1 0"},
    };
    for (const Example& example : examples)
        EXPECT_EQ(example.actual, example.expected) << example.what;
}

TEST(RoutineExamples, GrayPixelsKeepTheirLevel)
{
    for (int v = 0; v < 256; ++v) {
        const auto level = static_cast<uint8_t>(v);
        ASSERT_EQ(RGBPixelToGray(MakeRGBPixel(level, level, level)), level);
    }
}

} // namespace
