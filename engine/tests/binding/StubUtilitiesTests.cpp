#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/binding/AVUtilStubs.h"
#include "engine/binding/FFLoad.h"
#include "engine/binding/MyUtilStubs.h"
#include "platform/core/Exceptions.h"

namespace {

class StubUtilitiesTest : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(FFLoader.Load(libAVUtil)) << FFLoader.LastErrorText(); }
};

TEST_F(StubUtilitiesTest, RationalArithmetic)
{
    const AVRational quotient = DivideRational(AVRational{1, 2}, AVRational{3, 4});
    EXPECT_EQ(quotient.num, 2);
    EXPECT_EQ(quotient.den, 3);
    EXPECT_DOUBLE_EQ(RationalToDouble(AVRational{1, 4}), 0.25);
    EXPECT_TRUE(std::isinf(RationalToDouble(AVRational{1, 0})));
    EXPECT_EQ(InvertRational(AVRational{25, 1}).den, 25);
}

TEST_F(StubUtilitiesTest, DoubleToRational)
{
    struct TCase {
        double Value;
        int32_t Maximum;
        int Num;
        int Den;
    };
    const TCase cases[] = {
        {0.5, 255, 1, 2},
        {29.97002997002997, 100000, 30000, 1001},
        {-2.5, 1000, -5, 2},
        {1e30, 1000, 1000, 1},
        {0.0, 1000, 0, 1},
        {std::numeric_limits<double>::infinity(), 1000, 1, 0},
        {-std::numeric_limits<double>::infinity(), 1000, -1, 0},
        {std::nan(""), 1000, 0, 0},
    };
    for (const TCase& c : cases) {
        const AVRational result = DoubleToRational(c.Value, c.Maximum);
        EXPECT_EQ(result.num, c.Num) << c.Value;
        EXPECT_EQ(result.den, c.Den) << c.Value;
    }
}

TEST_F(StubUtilitiesTest, TimestampTexts)
{
    EXPECT_EQ(TimestampToText(AV_NOPTS_VALUE), "NOPTS");
    EXPECT_EQ(TimestampToText(0), "0");
    EXPECT_EQ(TimestampToText(-1234567890123), "-1234567890123");
    EXPECT_EQ(TimestampToSecondsText(AV_NOPTS_VALUE, AVRational{1, 90000}), "NOPTS");
    EXPECT_EQ(TimestampToSecondsText(90000, AVRational{1, 90000}), "1");
    EXPECT_EQ(TimestampToSecondsText(1, AVRational{1, 3}), "0.333333");
}

TEST(CompareBytes, ComparesUnsignedBytes)
{
    const unsigned char a[] = {1, 0x80, 3};
    const unsigned char b[] = {1, 0x7F, 4};
    EXPECT_EQ(CompareBytes(a, b, 3), 1);
    EXPECT_EQ(CompareBytes(b, a, 3), -1);
    EXPECT_EQ(CompareBytes(a, a, 3), 0);
    EXPECT_EQ(CompareBytes(a, b, 1), 0);
    EXPECT_THROW(CompareBytes(a, nullptr, 1), EInvalidArgument);
    EXPECT_THROW(CompareBytes(a, b, 0), EInvalidArgument);
}

} // namespace
