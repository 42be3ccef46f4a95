#include <gtest/gtest.h>

#include <vector>

#include "engine/transcode/vf_rotate.h"

namespace {

// A planar picture with a guard byte after every row, so that a read past a
// plane's last column would show up as the guard value in the output.
struct TPicture {
    static constexpr uint8_t Guard = 0xEE;
    int32_t Width, Height;
    TRotateFormat Format;
    std::vector<uint8_t> Planes[4];
    int Linesize[4] = {};
    uint8_t* Data[4] = {};

    TPicture(int32_t w, int32_t h, TRotateFormat f, int guardBytes) : Width(w), Height(h), Format(f)
    {
        for (int p = 0; p < 4; ++p) {
            if (p == 3 && !f.HasAlpha)
                break;
            const int32_t pw = PlaneWidth(p), ph = PlaneHeight(p);
            Linesize[p] = pw + guardBytes;
            Planes[p].assign(static_cast<size_t>(Linesize[p]) * ph, Guard);
            Data[p] = Planes[p].data();
        }
    }
    int32_t PlaneWidth(int p) const { return (p == 1 || p == 2) ? -((-Width) >> Format.HSub) : Width; }
    int32_t PlaneHeight(int p) const { return (p == 1 || p == 2) ? -((-Height) >> Format.VSub) : Height; }
    uint8_t& At(int p, int32_t x, int32_t y) { return Data[p][y * Linesize[p] + x]; }
    int PlaneCount() const { return Format.HasAlpha ? 4 : 3; }
    // Every sample gets a value of its own position; guards stay.
    void FillPattern()
    {
        for (int p = 0; p < PlaneCount(); ++p)
            for (int32_t y = 0; y < PlaneHeight(p); ++y)
                for (int32_t x = 0; x < PlaneWidth(p); ++x)
                    At(p, x, y) = static_cast<uint8_t>((x * 7 + y * 13 + p) % 200);
    }
};

TPicture Rotate(TPicture& in, int32_t angle)
{
    const TRotateGeometry g = RotateGeometry(angle, in.Width, in.Height);
    TPicture out(g.OutW, g.OutH, in.Format, 0);
    RotatePicture(g, in.Format, in.Data, in.Linesize, in.Width, in.Height, out.Data, out.Linesize);
    return out;
}

constexpr TRotateFormat Yuv420{1, 1, false};

TEST(RotateGeometryTest, OutputSizes)
{
    struct Case {
        int32_t angle, w, h, outW, outH;
    } cases[] = {{90, 640, 480, 480, 640},
                 {45, 640, 480, 791, 791},
                 {0, 640, 480, 640, 480},
                 {180, 640, 480, 640, 480},
                 {270, 320, 240, 240, 320}};
    for (const Case& c : cases) {
        const TRotateGeometry g = RotateGeometry(c.angle, c.w, c.h);
        EXPECT_EQ(g.OutW, c.outW) << c.angle;
        EXPECT_EQ(g.OutH, c.outH) << c.angle;
    }
}

TEST(RotateGeometryTest, AngleArgument)
{
    int32_t angle = 0;
    EXPECT_TRUE(ParseRotateAngle("", angle));
    EXPECT_EQ(angle, 45);
    EXPECT_TRUE(ParseRotateAngle("-90", angle));
    EXPECT_EQ(angle, -90);
    EXPECT_FALSE(ParseRotateAngle("90.5", angle));
    EXPECT_FALSE(ParseRotateAngle("ninety", angle));
}

TEST(RotatePictureTest, QuarterTurnIsTransposeShiftedOneColumn)
{
    TPicture in(8, 6, Yuv420, 0);
    in.FillPattern();
    TPicture out = Rotate(in, 90);
    ASSERT_EQ(out.Width, 6);
    ASSERT_EQ(out.Height, 8);
    for (int32_t y = 0; y < out.Height; ++y) {
        EXPECT_EQ(out.At(0, 0, y), RotateFill[0]);
        for (int32_t x = 1; x < out.Width; ++x)
            EXPECT_EQ(out.At(0, x, y), in.At(0, y, in.Height - x)) << x << "," << y;
    }
    for (int32_t y = 0; y < out.PlaneHeight(1); ++y) {
        EXPECT_EQ(out.At(1, 0, y), RotateFill[1]);
        EXPECT_EQ(out.At(2, 0, y), RotateFill[2]);
    }
}

TEST(RotatePictureTest, ZeroCopiesAndHalfTurnFillsFirstRowAndColumn)
{
    TPicture in(6, 4, Yuv420, 0);
    in.FillPattern();
    TPicture same = Rotate(in, 0);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(same.Planes[p], in.Planes[p]) << p;

    TPicture turned = Rotate(in, 180);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            const uint8_t expected = (x == 0 || y == 0) ? RotateFill[0] : in.At(0, 6 - x, 4 - y);
            EXPECT_EQ(turned.At(0, x, y), expected) << x << "," << y;
        }
}

TEST(RotatePictureTest, AlphaCornersAreTransparent)
{
    TPicture in(16, 16, {1, 1, true}, 0);
    in.FillPattern();
    for (auto& a : in.Planes[3])
        a = 255;
    TPicture out = Rotate(in, 45);
    EXPECT_EQ(out.At(3, 0, 0), 0);
    EXPECT_EQ(out.At(3, out.Width - 1, out.Height - 1), 0);
    EXPECT_EQ(out.At(3, out.Width / 2, out.Height / 2), 255);
    EXPECT_EQ(out.At(0, 0, 0), RotateFill[0]);
}

// Subsampled formats near the right and bottom edges: no read past a plane,
// and every sample of odd-sized chroma planes is written.
TEST(RotatePictureTest, ChromaStaysInsideEveryPlaneAndCoversOddSizes)
{
    struct Case {
        const char* name;
        TRotateFormat format;
        int32_t w, h, angle;
    } cases[] = {{"411 quarter back", {2, 0, false}, 16, 8, 270},
                 {"410 quarter back", {2, 2, false}, 16, 16, 270},
                 {"410 quarter", {2, 2, false}, 16, 16, 90},
                 {"411 tilted", {2, 0, false}, 16, 8, 17},
                 {"420 odd", Yuv420, 5, 3, 0},
                 {"420 odd tilted", Yuv420, 7, 5, 33},
                 {"440 odd", {0, 1, false}, 4, 5, 180}};
    for (const Case& c : cases) {
        TPicture in(c.w, c.h, c.format, 1);
        in.FillPattern();
        TPicture out = Rotate(in, c.angle);
        for (int p = 0; p < 3; ++p)
            for (const uint8_t v : out.Planes[p])
                ASSERT_NE(v, TPicture::Guard) << c.name << " plane " << p;
    }
}

} // namespace
