#include "platform/core/Types.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Round, HalvesGoToTheEvenNeighbour)
{
    const struct {
        long double value;
        int64_t expected;
    } cases[] = {
        {0.5L, 0},
        {1.5L, 2},
        {2.5L, 2},
        {-0.5L, 0},
        {-1.5L, -2},
        {-2.5L, -2},
        {2.4999999L, 2},
        {2.5000001L, 3},
        {-2.6L, -3},
        {7.0L, 7},
        {4503599627370497.0L, 4503599627370497LL}, // exact beyond double's fraction bits
    };
    for (const auto& c : cases)
        EXPECT_EQ(Round(c.value), c.expected) << static_cast<double>(c.value);
}

TEST(Round, UnrepresentableValuesGiveIntegerIndefinite)
{
    const int64_t indefinite = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(Round(std::nanl("")), indefinite);
    EXPECT_EQ(Round(1e19L), indefinite);
    EXPECT_EQ(Round(-1e19L), indefinite);
    EXPECT_EQ(Trunc(std::numeric_limits<long double>::infinity()), indefinite);
}

TEST(Trunc, CutsTowardZero)
{
    EXPECT_EQ(Trunc(2.9L), 2);
    EXPECT_EQ(Trunc(-2.9L), -2);
}

TEST(Microseconds, SecondsRoundToTheNearestMicrosecond)
{
    EXPECT_EQ(SecondsToMicroseconds(1.5), 1500000);
    EXPECT_EQ(SecondsToMicroseconds(0.0000005), 0); // half a microsecond, to even
    EXPECT_DOUBLE_EQ(MicrosecondsToSeconds(2500000), 2.5);
}

TEST(MulDiv, RoundsHalvesAwayFromZeroAndRefusesZeroDivisors)
{
    struct TCase {
        int32_t Number, Numerator, Denominator, Expected;
    };
    const TCase cases[] = {
        {400, 50, 100, 200},   {300, 33, 100, 99},
        {3, 1, 2, 2},          {-3, 1, 2, -2},
        {3, -1, 2, -2},        {5, 1, 3, 2},
        {4, 1, 3, 1},          {7, 5, 0, -1},
        {65536, 65536, 1, -1}, {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(MulDiv(c.Number, c.Numerator, c.Denominator), c.Expected)
            << c.Number << " * " << c.Numerator << " / " << c.Denominator;
}
