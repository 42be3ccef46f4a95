#include <gtest/gtest.h>

#include "FormatsTestSupport.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "platform/gfx/Brush.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Graphic.h"

namespace {

// A picture of the given extent that fills its top-left quarter with a
// colour.
class FakePicture : public TGraphic {
public:
    FakePicture(int32_t width, int32_t height, TColor colour) : width_(width), height_(height), colour_(colour) {}
    bool Empty() const override { return width_ <= 0 || height_ <= 0; }
    int32_t Width() const override { return width_; }
    int32_t Height() const override { return height_; }
    void SetWidth(int32_t value) override { width_ = value; }
    void SetHeight(int32_t value) override { height_ = value; }
    void Draw(TCanvas& canvas, const TRect& rect) override
    {
        ++draws;
        canvas.FillSolidRect(Rect(rect.Left, rect.Top, rect.Left + (rect.Right - rect.Left) / 2,
                                  rect.Top + (rect.Bottom - rect.Top) / 2),
                             colour_);
    }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) const override {}
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<FakePicture>(width_, height_, colour_); }

    int draws = 0;

private:
    int32_t width_;
    int32_t height_;
    TColor colour_;
};

class MetafileImport : public FormatsTest {
protected:
    void SetUp() override
    {
        FormatsTest::SetUp();
        io = std::make_unique<TBrelvixIO>(nullptr);
        io->SetBackground(clWhite);
    }
    void TearDown() override
    {
        io.reset();
        FormatsTest::TearDown();
    }

    std::unique_ptr<TBrelvixIO> io;
};

TEST_F(MetafileImport, TargetSizeFollowsTheRequestAndTheLimit)
{
    struct Case {
        int32_t ownWidth, ownHeight, width, height, expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {200, 100, 30, 40, 30, 40},         {200, 100, -1, 300, 600, 300},
        {200, 100, 300, -1, 300, 150},      {200, 100, -1, -1, 200, 100},
        {20000, 10000, -1, -1, 8000, 4000}, {100, 100, 2000000000, 1000000000, 8000, 4000},
        {100, 100, 9000, 1, 8000, 1},       {1, 2000000000, -5, 1000000, 1, 8000},
    };
    for (const Case& c : cases) {
        FakePicture picture(c.ownWidth, c.ownHeight, clBlack);
        io->ImportMetafile(picture, c.width, c.height, false, false);
        EXPECT_FALSE(io->Aborting()) << c.width << "x" << c.height;
        EXPECT_EQ(io->Bitmap()->GetWidth(), c.expectedWidth) << c.width << "x" << c.height;
        EXPECT_EQ(io->Bitmap()->GetHeight(), c.expectedHeight) << c.width << "x" << c.height;
        EXPECT_EQ(io->Params().Width, c.expectedWidth);
        EXPECT_EQ(io->Params().StoredHeight, c.expectedHeight);
    }
}

TEST_F(MetafileImport, ParametersDescribeTheRasterisedImage)
{
    io->Params().FileName = "before.wmf";
    FakePicture picture(40, 20, clBlack);
    io->ImportMetafile(picture, -1, -1, false, true);
    const TIOParamsVals& params = io->Params();
    EXPECT_EQ(params.FileType, ioEMF);
    EXPECT_EQ(params.FileName, "");
    EXPECT_EQ(params.DpiX, DefaultDpiX);
    EXPECT_EQ(params.DpiY, DefaultDpiY);
    EXPECT_EQ(params.SamplesPerPixel, 3);
    EXPECT_EQ(io->Bitmap()->GetPixelFormat(), qk24RGB);
    EXPECT_FALSE(io->Bitmap()->HasAlphaChannel());
    io->ImportMetafile(picture, -1, -1, false, false);
    EXPECT_EQ(io->Params().FileType, ioWMF);
}

TEST_F(MetafileImport, TransparencyLeavesAlphaOnlyWhereThePictureDrew)
{
    FakePicture picture(8, 4, clRed);
    io->ImportMetafile(picture, -1, -1, true, false);
    EXPECT_EQ(picture.draws, 2);
    TQkBitmap& bitmap = *io->Bitmap();
    EXPECT_EQ(bitmap.GetPixelRGB(0, 0).r, 255);
    EXPECT_EQ(bitmap.GetPixelRGB(0, 0).g, 0);
    EXPECT_EQ(bitmap.GetPixelRGB(7, 3).g, 255);
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 255);
    EXPECT_EQ(bitmap.GetAlpha(3, 1), 255);
    EXPECT_EQ(bitmap.GetAlpha(4, 1), 0);
    EXPECT_EQ(bitmap.GetAlpha(3, 2), 0);
    EXPECT_EQ(bitmap.GetAlpha(7, 3), 0);
}

TEST_F(MetafileImport, EmptyPictureAbortsAndZeroSizeChangesNothing)
{
    io->Bitmap()->Allocate(3, 3, qk8g);
    FakePicture empty(0, 10, clBlack);
    io->ImportMetafile(empty, 10, 10, false, false);
    EXPECT_TRUE(io->Aborting());
    FakePicture picture(10, 10, clBlack);
    io->ImportMetafile(picture, 0, 10, false, false);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(picture.draws, 0);
    EXPECT_EQ(io->Bitmap()->GetWidth(), 3);
    EXPECT_EQ(io->Bitmap()->GetPixelFormat(), qk8g);
}

TEST_F(MetafileImport, RasterPastTheDecodeLimitAborts)
{
    const int64_t savedLimit = DecodePixelLimit;
    DecodePixelLimit = 100 * 100;
    FakePicture picture(200, 100, clBlack);
    io->ImportMetafile(picture, -1, -1, false, false);
    DecodePixelLimit = savedLimit;
    EXPECT_TRUE(io->Aborting());
    EXPECT_EQ(picture.draws, 0);
}

} // namespace
