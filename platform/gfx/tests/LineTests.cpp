#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TLineCase {
    const char* Name;
    TPoint From;
    TPoint To;
    const char* Expected; // 5x5 ink map around (2, 2)
};

class LineOctants : public ::testing::TestWithParam<TLineCase> {};

TEST_P(LineOctants, LeaveOutTheEndPoint)
{
    const TLineCase c = GetParam();
    auto bitmap = MakeBitmap(5, 5);
    bitmap->Canvas()->MoveTo(c.From.X, c.From.Y);
    bitmap->Canvas()->LineTo(c.To.X, c.To.Y);
    EXPECT_EQ(InkMap(*bitmap, clBlack), c.Expected) << c.Name;
    EXPECT_EQ(bitmap->Canvas()->PenPos(), c.To);
}

INSTANTIATE_TEST_SUITE_P(
    AllOctants, LineOctants,
    ::testing::Values(TLineCase{"east", {0, 2}, {4, 2}, ".....\n.....\n####.\n.....\n.....\n"},
                      TLineCase{"west", {4, 2}, {0, 2}, ".....\n.....\n.####\n.....\n.....\n"},
                      TLineCase{"south", {2, 0}, {2, 4}, "..#..\n..#..\n..#..\n..#..\n.....\n"},
                      TLineCase{"north", {2, 4}, {2, 0}, ".....\n..#..\n..#..\n..#..\n..#..\n"},
                      TLineCase{"south-east", {0, 0}, {4, 4}, "#....\n.#...\n..#..\n...#.\n.....\n"},
                      TLineCase{"north-west", {4, 4}, {0, 0}, ".....\n.#...\n..#..\n...#.\n....#\n"},
                      TLineCase{"shallow east", {0, 1}, {4, 3}, ".....\n##...\n..##.\n.....\n.....\n"},
                      TLineCase{"shallow west", {4, 3}, {0, 1}, ".....\n.....\n.##..\n...##\n.....\n"},
                      TLineCase{"steep south", {1, 0}, {3, 4}, ".#...\n.#...\n..#..\n..#..\n.....\n"},
                      TLineCase{"steep north", {3, 4}, {1, 0}, ".....\n..#..\n..#..\n...#.\n...#.\n"},
                      TLineCase{"north-east", {0, 4}, {4, 0}, ".....\n...#.\n..#..\n.#...\n#....\n"},
                      TLineCase{"south-west", {4, 0}, {0, 4}, "....#\n...#.\n..#..\n.#...\n.....\n"},
                      TLineCase{"single point", {2, 2}, {2, 2}, ".....\n.....\n.....\n.....\n.....\n"}),
    [](const auto& testCase) {
        std::string name = testCase.param.Name;
        for (char& ch : name)
            if (ch == ' ' || ch == '-')
                ch = '_';
        return name;
    });

} // namespace

TEST(Lines, XorPenDrawnTwiceRestoresTheBackground)
{
    auto bitmap = MakeBitmap(8, 8, pf24bit, clSilver);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clWhite);
    c->Polyline({{0, 0}, {7, 3}, {2, 7}});
    EXPECT_NE(CountInk(*bitmap, clSilver), 64);
    c->Polyline({{0, 0}, {7, 3}, {2, 7}});
    EXPECT_EQ(CountInk(*bitmap, clSilver), 64);
}

TEST(Lines, NotModeInvertsWhateverIsBelow)
{
    auto bitmap = MakeBitmap(4, 1, pf24bit, RGB(10, 20, 30));
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetMode(pmNot);
    c->MoveTo(0, 0);
    c->LineTo(2, 0);
    EXPECT_EQ(c->Pixels(0, 0), RGB(245, 235, 225));
    EXPECT_EQ(c->Pixels(2, 0), RGB(10, 20, 30));
}

TEST(Lines, DottedPenAlternatesRunsAndFillsGapsOnlyWhenOpaque)
{
    auto bitmap = MakeBitmap(12, 2, pf24bit, clWhite);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetStyle(psDot);
    c->SetBackgroundColor(clRed);
    c->SetBackgroundMode(TRANSPARENT);
    c->MoveTo(0, 0);
    c->LineTo(12, 0);
    c->SetBackgroundMode(OPAQUE);
    c->MoveTo(0, 1);
    c->LineTo(12, 1);
    EXPECT_EQ(InkMap(*bitmap, clBlack), "###...###...\n###...###...\n");
    EXPECT_EQ(InkMap(*bitmap, clRed), "............\n...###...###\n");
}

TEST(Lines, WidePenCoversADiscAroundBothEnds)
{
    auto bitmap = MakeBitmap(9, 7);
    TCanvas* c = bitmap->Canvas();
    c->Pen()->SetWidth(3);
    c->MoveTo(2, 3);
    c->LineTo(6, 3);
    EXPECT_EQ(InkMap(*bitmap, clBlack),
              ".........\n.........\n.#######.\n.#######.\n.#######.\n.........\n.........\n");
}

TEST(Lines, ClearPenDrawsNothing)
{
    auto bitmap = MakeBitmap(4, 4);
    bitmap->Canvas()->Pen()->SetStyle(psClear);
    bitmap->Canvas()->MoveTo(0, 0);
    bitmap->Canvas()->LineTo(4, 4);
    EXPECT_EQ(CountInk(*bitmap, clWhite), 16);
}
