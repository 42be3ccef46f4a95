#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "QkBitmapTestSupport.h"
#include "imaging/core/QkQuantizer.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkStartup.h"

namespace {

// Peak signal-to-noise ratio of two qk24RGB images of one size, in dB.
double Psnr(TQkBitmap& a, TQkBitmap& b)
{
    double squares = 0;
    for (int32_t y = 0; y < a.GetHeight(); ++y) {
        const uint8_t* rowA = a.GetScanline(y);
        const uint8_t* rowB = b.GetScanline(y);
        for (int32_t i = 0; i < a.GetWidth() * 3; ++i)
            squares += (rowA[i] - rowB[i]) * (rowA[i] - rowB[i]);
    }
    const double mean = squares / (3.0 * a.GetWidth() * a.GetHeight());
    return mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

// The PSNR of the peer's 256-colour version of `input` (a PPM written by
// `command` to `output`), or -1 when the peer fails.
double PeerPsnr(TQkBitmap& original, const std::string& command, const std::string& output)
{
    if (!RunTool(command))
        return -1;
    TQkBitmap reduced;
    if (!ReadPpm(output, reduced) || reduced.GetWidth() != original.GetWidth() ||
        reduced.GetHeight() != original.GetHeight())
        return -1;
    return Psnr(original, reduced);
}

// Our 256-colour palette image through the conversion table, back in 24 bits.
double OurPsnr(TQkBitmap& original, int32_t method)
{
    QuantizerMethod = method;
    TQkBitmap reduced;
    reduced.Assign(&original);
    if (!reduced.SetPixelFormat(qk8p) || !reduced.SetPixelFormat(qk24RGB))
        return -1;
    return Psnr(original, reduced);
}

class QuantizerQualityTest : public ::testing::Test {
protected:
    void SetUp() override { LibraryStaticInit(); }
    void TearDown() override { LibraryStaticFinal(); }
};

// Against ImageMagick's `-colors 256 +dither` and pillow's quantize(256)
// on a photograph and two synthetic pictures, with the default settings.
// On the photograph and the plasma the automatic choice for 256 colours
// (the neural network, which samples every sixth pixel or so) stays within
// 2 dB of either peer. Box splitting maps colours through the cells of its
// 5-bit histogram, not to the nearest entry, which costs it about another
// decibel. Smooth two-way gradients are the networks' weak case: about
// 5 dB below the peers, held here so that it gets no worse.
TEST_F(QuantizerQualityTest, PsnrStaysNearThePeers)
{
    const struct {
        const char* Name;
        const char* Make; // an ImageMagick image description
        double AutomaticMargin;
        double BoxMargin;
    } pictures[] = {
        {"photo", "rose: -filter Lanczos -resize 400%", 2, 4},
        {"plasma", "-seed 7 -size 240x180 plasma:", 2, 4},
        {"gradients",
         "-size 192x256 gradient:red-blue -rotate 90 \\( -size 256x192 gradient:yellow-cyan \\) -compose multiply "
         "-composite",
         6, 6},
    };
    for (const auto& picture : pictures) {
        SCOPED_TRACE(picture.Name);
        const std::string input = ScratchFile(std::string(picture.Name) + ".ppm");
        const std::string output = ScratchFile(std::string(picture.Name) + ".out.ppm");
        ASSERT_TRUE(RunTool("convert " + std::string(picture.Make) + " -depth 8 " + input));
        TQkBitmap original;
        ASSERT_TRUE(ReadPpm(input, original));

        const double magick = PeerPsnr(original, "convert " + input + " +dither -colors 256 " + output, output);
        const double pillow = PeerPsnr(original,
                                       "/usr/bin/python3 -c \"import sys; from PIL import Image; "
                                       "Image.open(sys.argv[1]).quantize(256).convert('RGB').save(sys.argv[2])\" " +
                                           input + " " + output,
                                       output);
        ASSERT_GT(magick, 0);
        ASSERT_GT(pillow, 0);
        const double automatic = OurPsnr(original, -1);
        const double boxes = OurPsnr(original, qmBoxSplitting);
        RecordProperty(std::string(picture.Name) + "_psnr",
                       "automatic " + std::to_string(automatic) + " boxes " + std::to_string(boxes) + " convert " +
                           std::to_string(magick) + " pillow " + std::to_string(pillow));
        EXPECT_GT(automatic, std::max(magick, pillow) - picture.AutomaticMargin);
        EXPECT_GT(boxes, std::max(magick, pillow) - picture.BoxMargin);
    }
}

} // namespace
