// Deinterlacing: the routine on hand-made combed planes, the decoder's
// Deinterlace property and the job's "-deinterlace" option on a generated
// interlaced source.

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/decode/Deinterlace.h"
#include "engine/decode/FFDecode.h"
#include "engine/tests/decode/DecoderTestMedia.h"
#include "platform/gfx/Bitmap.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace decoder_tests {
namespace {

// A picture whose planes are combed: even lines Even, odd lines Odd.
struct TCombedPicture {
    TCombedPicture(AVPixelFormat format, int width, int height, uint8_t even, uint8_t odd)
        : Format(format), Width(width), Height(height)
    {
        const AVPixFmtDescriptor* descriptor = av::av_pix_fmt_desc_get(format);
        for (int i = 0; i < descriptor->nb_components; ++i) {
            const int plane = descriptor->comp[i].plane;
            const bool chroma = i == 1 || i == 2;
            PlaneWidth[plane] = chroma ? -((-width) >> descriptor->log2_chroma_w) : width;
            PlaneHeight[plane] = chroma ? -((-height) >> descriptor->log2_chroma_h) : height;
            Linesize[plane] = PlaneWidth[plane] + 3; // strides wider than the lines
            Planes[plane].assign(static_cast<size_t>(Linesize[plane]) * PlaneHeight[plane], 0);
            for (int y = 0; y < PlaneHeight[plane]; ++y)
                std::memset(&Planes[plane][static_cast<size_t>(y) * Linesize[plane]], y % 2 ? odd : even,
                            static_cast<size_t>(PlaneWidth[plane]));
            Data[plane] = Planes[plane].data();
        }
    }

    uint8_t At(int plane, int x, int y) const { return Planes[plane][static_cast<size_t>(y) * Linesize[plane] + x]; }
    bool Deinterlace() { return DeinterlaceInPlace(Data, Linesize, Format, Width, Height); }

    AVPixelFormat Format;
    int Width, Height;
    std::vector<uint8_t> Planes[4];
    uint8_t* Data[4] = {};
    int Linesize[4] = {};
    int PlaneWidth[4] = {};
    int PlaneHeight[4] = {};
};

class DeinterlaceTest : public DecoderTest {};

// Inside the picture the second field takes the first field's value; even
// lines never change; near the edges, where lines repeat, it lies between.
TEST_F(DeinterlaceTest, SecondFieldBlendsIntoTheFirstOnEveryPlane)
{
    struct TCase {
        AVPixelFormat Format;
        int Width, Height;
    };
    const TCase cases[] = {
        {AV_PIX_FMT_YUV420P, 16, 12}, {AV_PIX_FMT_YUV420P, 5, 7},  {AV_PIX_FMT_YUV422P, 9, 10},
        {AV_PIX_FMT_YUV444P, 4, 9},   {AV_PIX_FMT_YUVJ420P, 6, 6}, {AV_PIX_FMT_GRAY8, 3, 11},
        {AV_PIX_FMT_YUVA420P, 8, 8},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(std::string(av::av_get_pix_fmt_name(c.Format)) + " " + std::to_string(c.Width) + "x" +
                     std::to_string(c.Height));
        TCombedPicture picture(c.Format, c.Width, c.Height, 200, 40);
        ASSERT_TRUE(picture.Deinterlace());
        for (int plane = 0; plane < 4 && picture.Data[plane]; ++plane) {
            const int height = picture.PlaneHeight[plane];
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < picture.PlaneWidth[plane]; ++x) {
                    const int value = picture.At(plane, x, y);
                    SCOPED_TRACE("plane " + std::to_string(plane) + " x " + std::to_string(x) + " y " +
                                 std::to_string(y));
                    if (y % 2 == 0 || (y >= 2 && y + 2 < height)) {
                        // (-40 + 4 * 200 + 2 * 40 + 4 * 200 - 40) / 8 between two first-field lines.
                        ASSERT_EQ(value, 200);
                    } else {
                        ASSERT_GT(value, 40);
                        ASSERT_LT(value, 200);
                    }
                }
        }
    }
}

TEST_F(DeinterlaceTest, FormatsItCannotHandleAreLeftUntouched)
{
    for (AVPixelFormat format : {AV_PIX_FMT_NV12, AV_PIX_FMT_RGB24, AV_PIX_FMT_YUV420P10LE, AV_PIX_FMT_PAL8}) {
        SCOPED_TRACE(av::av_get_pix_fmt_name(format));
        EXPECT_FALSE(CanDeinterlace(format));
        uint8_t line[64] = {1, 2, 3};
        uint8_t* data[4] = {line, line, line, nullptr};
        const int linesize[4] = {16, 16, 16, 0};
        EXPECT_FALSE(DeinterlaceInPlace(data, linesize, format, 2, 2));
        EXPECT_EQ(line[0] + line[1] + line[2], 6);
    }
    TCombedPicture empty(AV_PIX_FMT_YUV420P, 4, 4, 200, 40);
    EXPECT_FALSE(DeinterlaceInPlace(empty.Data, empty.Linesize, AV_PIX_FMT_YUV420P, 0, 4));
    EXPECT_EQ(empty.At(0, 0, 1), 40);
}

const std::string InterlacedFile = MediaFolder + "interlaced.mpg";
const std::string ProgressiveFile = MediaFolder + "progressive.mkv";

void GenerateInterlacedMedia()
{
    // Two fields from pictures 1/50 s apart: the moving pattern is combed.
    Generate(InterlacedFile,
             "-f lavfi -i testsrc=size=160x120:rate=50:duration=1 -vf "
             "\"tinterlace=interleave_top,fieldorder=tff\" -c:v mpeg2video -flags +ildct+ilme "
             "-q:v 2");
    // A smooth progressive still, losslessly stored.
    Generate(ProgressiveFile,
             "-f lavfi -i \"nullsrc=size=64x48:duration=0.2,geq=lum='X*3+Y':cb=128:cr=128\" "
             "-pix_fmt yuv420p -c:v ffv1");
}

std::vector<uint8_t> SecondPicture(TFFDecoder& decoder, const std::string& file, bool deinterlace)
{
    decoder.SetDeinterlace(deinterlace);
    EXPECT_TRUE(decoder.LoadFile(file)) << decoder.LastErrorText();
    EXPECT_TRUE(decoder.Decode() && decoder.Decode()) << decoder.LastErrorText();
    TBitmap bitmap;
    EXPECT_TRUE(decoder.CopyToBitmap(bitmap)) << decoder.LastErrorText();
    std::vector<uint8_t> pixels;
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        const auto* row = static_cast<const uint8_t*>(bitmap.ScanLine(y));
        pixels.insert(pixels.end(), row, row + bitmap.Width() * 4);
    }
    return pixels;
}

TEST_F(DeinterlaceTest, DecoderPropertyChangesTheCopiedPicture)
{
    GenerateInterlacedMedia();
    TFFDecoder decoder(nullptr);
    const std::vector<uint8_t> combed = SecondPicture(decoder, InterlacedFile, false);
    const std::vector<uint8_t> blended = SecondPicture(decoder, InterlacedFile, true);
    ASSERT_EQ(combed.size(), 160u * 120u * 4u);
    EXPECT_NE(combed, blended);
    EXPECT_TRUE(decoder.Deinterlace());

    const std::vector<uint8_t> still = SecondPicture(decoder, ProgressiveFile, false);
    const std::vector<uint8_t> filtered = SecondPicture(decoder, ProgressiveFile, true);
    ASSERT_EQ(still.size(), filtered.size());
    ASSERT_FALSE(still.empty());
    int worst = 0;
    for (size_t i = 0; i < still.size(); ++i)
        worst = std::max(worst, std::abs(still[i] - filtered[i]));
    EXPECT_LE(worst, 2);
}

TEST_F(DeinterlaceTest, DecoderSwitchesItselfOffForAPictureItCannotHandle)
{
    const std::string file = MediaFolder + "rgb.mkv";
    Generate(file, "-f lavfi -i testsrc=size=32x24:duration=0.2 -pix_fmt rgb24 -c:v ffv1");
    TFFDecoder decoder(nullptr);
    decoder.SetDeinterlace(true);
    ASSERT_TRUE(decoder.LoadFile(file)) << decoder.LastErrorText();
    ASSERT_TRUE(decoder.Decode()) << decoder.LastErrorText();
    EXPECT_FALSE(decoder.Deinterlace());
    EXPECT_EQ(decoder.LastErrorText(), "deinterlacing failed.");
    EXPECT_TRUE(decoder.PictureReady());
}

} // namespace
} // namespace decoder_tests
