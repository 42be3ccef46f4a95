#include <gtest/gtest.h>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/core/tests/QkTestFolder.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/ico/QkIco.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/bmp/BmpTestFiles.h"

namespace {

class IconWriting : public FilterTest {
protected:
    // A 24-bit picture whose alpha runs from 0 at the left to 255 at the
    // right, loaded from ImageMagick's plasma.
    void LoadPicture(const TestFolder& folder, int32_t side)
    {
        const std::string ppm = folder.File("picture.ppm");
        ASSERT_EQ(std::system(
                      ("convert -seed 3 -size " + std::to_string(side) + "x" + std::to_string(side) + " plasma: " + ppm)
                          .c_str()),
                  0);
        TBrelvixIO io(nullptr);
        io.LoadFromFile(ppm);
        bitmap.Assign(io.Bitmap());
        for (int32_t y = 0; y < side; ++y)
            for (int32_t x = 0; x < side; ++x)
                bitmap.SetAlpha(x, y, uint8_t(x * 255 / (side - 1)));
    }
    void Request(std::initializer_list<std::pair<int32_t, int32_t>> sizesAndBits)
    {
        params.IcoSizes.fill(TQkIcoSize{});
        size_t i = 0;
        for (const auto& [side, bits] : sizesAndBits) {
            params.IcoSizes[i] = TQkIcoSize{side, side};
            params.IcoBitCount[i++] = bits;
        }
    }
    void Save(const std::string& path, const std::string& bytes) { WriteFileBytes(path, {bytes.begin(), bytes.end()}); }
};

std::string Icotool(const std::string& arguments) { return CommandOutput("icotool " + arguments + " 2>&1"); }

} // namespace

TEST_F(IconWriting, SizesAndDepthsReadBackByIcotoolAndOurReader)
{
    TestFolder folder;
    LoadPicture(folder, 64);
    Request({{16, 4}, {32, 8}, {48, 32}, {256, 24}});
    const std::string icon = WriteWith(WriteIconImage);
    ASSERT_FALSE(aborting);
    const std::string path = folder.File("ours.ico");
    Save(path, icon);
    EXPECT_EQ(Icotool("-l " + path),
              "--icon --index=1 --width=16 --height=16 --bit-depth=4 --palette-size=16\n"
              "--icon --index=2 --width=32 --height=32 --bit-depth=8 --palette-size=256\n"
              "--icon --index=3 --width=48 --height=48 --bit-depth=32 --palette-size=0\n"
              "--icon --index=4 --width=256 --height=256 --bit-depth=24 --palette-size=0\n");
    // The 256-pixel entry's directory bytes are 0.
    EXPECT_EQ(icon.substr(6 + 48, 2), Bytes({0, 0}));
    const int32_t sides[] = {16, 32, 48, 256};
    for (int32_t index = 0; index < 4; ++index) {
        params.IcoImageIndex = index;
        TMemoryStream stream;
        FillStream(stream, icon);
        TQkReadRequest request(stream, bitmap, params, progress);
        ReadIconImage(request);
        ASSERT_FALSE(aborting) << index;
        EXPECT_EQ(bitmap.GetWidth(), sides[index]);
        const std::string png = folder.File("x.png");
        Icotool("-x -i " + std::to_string(index + 1) + " -o " + png + " " + path);
        const std::string theirs = CommandOutput("convert " + png + " -depth 8 rgba:-");
        const std::string magick =
            CommandOutput("convert 'ico:" + path + "[" + std::to_string(index) + "]' -depth 8 rgba:-");
        const std::string ours =
            RgbaBytes(bitmap, AlphaBytes(request.AlphaMask.get(), bitmap.GetWidth(), bitmap.GetHeight()));
        EXPECT_TRUE(SameVisiblePixels(ours, theirs)) << index;
        EXPECT_TRUE(SameVisiblePixels(ours, magick)) << index;
        const uint8_t secondAlpha = uint8_t(ours[7]);
        // Only the 32-bit image keeps degrees of alpha; the others mark
        // every pixel below 255 transparent.
        EXPECT_EQ(secondAlpha != 0 && secondAlpha != 255, index == 2) << index;
    }
}

TEST_F(IconWriting, DefaultsAndBilevelImages)
{
    TestFolder folder;
    LoadPicture(folder, 20);
    bitmap.RemoveAlphaChannel(false, clWhite);
    // One 64 x 64 image of 8 bits: 255 colours after the transparent black.
    const std::string icon = WriteWith(WriteIconImage);
    Save(folder.File("default.ico"), icon);
    EXPECT_EQ(Icotool("-l " + folder.File("default.ico")),
              "--icon --index=1 --width=64 --height=64 --bit-depth=8 --palette-size=256\n");
    EXPECT_EQ(params.ColorMapCount, 256);
    // Without alpha the AND rows are all clear.
    EXPECT_EQ(icon.substr(icon.size() - 64 * 8), std::string(64 * 8, '\0'));
    bitmap.SetPixelFormat(qk1g);
    Request({{20, 0}});
    const std::string bilevel = WriteWith(WriteIconImage);
    EXPECT_EQ(bilevel[6 + 16 + 14], 1);
    EXPECT_EQ(bilevel.substr(6 + 16 + 40, 8), Bytes({0, 0, 0, 0, 255, 255, 255, 0}));
    ASSERT_TRUE(ReadWith(ReadIconImage, bilevel));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk1g);
}

TEST_F(IconWriting, ImageSizesCountPaddingAndAnAbortKeepsWhatWasWritten)
{
    TestFolder folder;
    LoadPicture(folder, 20);
    Request({{20, 4}, {20, 24}});
    // Stop when the second image is about to start.
    progress.OnProgress = [this](TObject*, int32_t percent) {
        if (percent >= 50)
            aborting = true;
    };
    const std::string icon = WriteWith(WriteIconImage);
    EXPECT_EQ(icon.substr(4, 2), Bytes({1, 0}));
    // 20 rows of 12 colour bytes and 4 AND bytes.
    const size_t image = 6 + 2 * 16;
    EXPECT_EQ(uint8_t(icon[image + 20]) | uint8_t(icon[image + 21]) << 8, 20 * (12 + 4));
    // icotool notes the unused directory slot and lists the one image.
    Save(folder.File("cut.ico"), icon);
    const std::string listed = Icotool("-l " + folder.File("cut.ico"));
    EXPECT_NE(listed.find("--icon --index=1 --width=20 --height=20 --bit-depth=4 --palette-size=16\n"),
              std::string::npos);
    EXPECT_EQ(listed.find("--index=2"), std::string::npos);
}

TEST_F(IconWriting, AfterOtherDataOffsetsStayRelative)
{
    TestFolder folder;
    LoadPicture(folder, 32);
    Request({{16, 32}, {32, 4}});
    TMemoryStream stream;
    stream.Write(std::string(100, 'x').data(), 100);
    progress.Aborting = &aborting;
    TQkWriteRequest request{stream, bitmap, params, progress};
    WriteIconImage(request);
    const std::string all(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    Save(folder.File("cut.ico"), all.substr(100));
    EXPECT_EQ(Icotool("-l " + folder.File("cut.ico")),
              "--icon --index=1 --width=16 --height=16 --bit-depth=32 --palette-size=0\n"
              "--icon --index=2 --width=32 --height=32 --bit-depth=4 --palette-size=16\n");
}

TEST_F(IconWriting, SizesOutsideTheFormatAreRefused)
{
    bitmap.Allocate(8, 8, qk24RGB);
    for (const int32_t side : {257, 1000}) {
        Request({{16, 8}, {side, 8}});
        EXPECT_EQ(WriteWith(WriteIconImage), "");
        EXPECT_TRUE(aborting);
    }
    params.IcoSizes[0] = TQkIcoSize{16, 0};
    EXPECT_EQ(WriteWith(WriteIconImage), "");
}
