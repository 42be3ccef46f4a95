#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TransitionTestSupport.h"
#include "imaging/views/transitions/QkTransitionFrame.h"

namespace {

// The flags by value, with the effect numbers that carry each.
struct TFlagRow {
    uint32_t Flags;
    std::vector<std::pair<int, int>> Ranges;
};

const TFlagRow FlagRows[] = {
    {0x000, {{4, 4}, {186, 189}}},
    {0x009, {{13, 16}, {18, 18}, {20, 20}, {22, 22}, {24, 24}, {65, 68}, {76, 76}}},
    {0x00A, {{17, 17}, {19, 19}, {21, 21}, {23, 23}, {151, 158}}},
    {0x00B, {{69, 73}}},
    {0x00C, {{29, 48}, {75, 75}}},
    {0x010, {{57, 60}}},
    {0x011, {{2, 3}}},
    {0x100, {{1, 1}}},
    {0x101, {{5, 12}, {27, 28}, {49, 56}, {74, 74}}},
    {0x102, {{61, 64}, {147, 150}}},
    {0x103, {{77, 84}}},
    {0x104, {{133, 136}, {171, 176}, {179, 180}, {184, 184}, {190, 191}}},
    {0x105, {{117, 118}, {177, 178}, {181, 182}, {201, 210}}},
    {0x106, {{183, 183}, {211, 214}}},
    {0x107, {{95, 112}}},
    {0x108, {{85, 94}, {119, 132}}},
    {0x10D, {{113, 116}, {196, 200}}},
    {0x10E, {{25, 26}, {185, 185}, {192, 195}}},
    {0x10F, {{137, 146}, {169, 170}}},
    {0x110, {{159, 164}}},
    {0x111, {{165, 168}}},
};

} // namespace

TEST_F(TransitionTableTest, RowsCarryNamesFlagsAndPaintersFromEffect31On)
{
    ASSERT_EQ(Effects().size(), 214u);
    EXPECT_EQ(Effects()[30].Name, "Expand from Left");
    EXPECT_EQ(Effects()[0].Name, "Cross Fade");
    EXPECT_EQ(Effects()[212].Name, "6 Pointed Star Wipe In and Out");
    EXPECT_EQ(Effects()[213].Name, "Explosion Wipe In and Out");
    EXPECT_EQ(Effects()[0].Flags, 0x100u);
    EXPECT_EQ(Effects()[185].Name, "Page Flip");
    EXPECT_EQ(Effects()[185].Flags, 0u);
    for (size_t row = 0; row < Effects().size(); ++row) {
        EXPECT_FALSE(Effects()[row].Name.empty()) << row;
        EXPECT_EQ(Effects()[row].Painter != nullptr, row >= 30) << row;
    }
    int covered = 0;
    for (const TFlagRow& flags : FlagRows)
        for (const auto& [first, last] : flags.Ranges)
            for (int effect = first; effect <= last; ++effect, ++covered)
                EXPECT_EQ(Effects()[size_t(effect - 1)].Flags, flags.Flags) << effect;
    EXPECT_EQ(covered, 214);

    // Shutting the library down blanks the table again.
    LibraryStaticFinal();
    EXPECT_EQ(Effects()[30].Painter, nullptr);
    EXPECT_TRUE(Effects()[30].Name.empty());
    LibraryStaticInit();
}

TEST(GetProgressSizes, ScaleTheLongerSideAndKeepTheAspect)
{
    struct TCase {
        TRect Rect;
        int32_t Progress, W, H, PW, PH;
    };
    const TCase cases[] = {
        {{0, 0, 400, 300}, 50, 400, 300, 200, 150},  {{0, 0, 300, 400}, 33, 300, 400, 99, 132},
        {{0, 0, 400, 300}, 100, 400, 300, 400, 300}, {{0, 0, 400, 300}, 0, 400, 300, 0, 0},
        {{10, 20, 30, 20}, 50, 20, 0, 10, 0},
    };
    for (const TCase& c : cases) {
        int32_t w, h, pw, ph;
        GetProgressSizes(c.Rect, c.Progress, w, h, pw, ph);
        EXPECT_EQ((std::vector{w, h, pw, ph}), (std::vector{c.W, c.H, c.PW, c.PH}))
            << c.Rect.Right << "@" << c.Progress;
    }
}
