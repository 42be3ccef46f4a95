#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/gif/GifLzw.h"
#include "imaging/formats/gif/QkGif.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/gif/GifTestFiles.h"

namespace {

const std::string Folder = std::string(TEST_BINARY_DIR) + "/gif-files-" + std::to_string(getpid());
const std::string GoTestData = "/usr/share/go-1.19/src/image/testdata/";
const std::string SdlPalette = "/usr/libexec/installed-tests/SDL2_image/palette.gif";

std::string Path(const std::string& name) { return Folder + "/" + name; }

std::string MagickFrame(const std::string& path, int32_t index)
{
    return CommandOutput("convert '" + path + "[" + std::to_string(index) + "]' +repage -depth 8 rgba:-");
}

// The frame as an animation shows it: ImageMagick's coalesced frame.
std::string MagickComposedFrame(const std::string& path, int32_t index)
{
    return CommandOutput("convert '" + path + "' -coalesce \\( -clone " + std::to_string(index) +
                         " \\) -delete 0--2 +repage -depth 8 rgba:-");
}

// Empty when composed "rgba:" bytes agree, else the first pixel that does
// not. The canvas starts as the background colour with alpha 0 and a frame
// disposed to the background goes back to it; ImageMagick shows the first
// opaque and the second transparent in a colour of its own. So colours must
// agree where ImageMagick's pixel shows, and ours must be clear where its is.
std::string ComposedDifference(const std::string& ours, const std::string& theirs)
{
    if (ours.size() != theirs.size())
        return "sizes " + std::to_string(ours.size()) + "/" + std::to_string(theirs.size());
    for (size_t i = 0; i < ours.size(); i += 4) {
        const bool shows = theirs[i + 3] != 0;
        if (shows ? ours.compare(i, 3, theirs, i, 3) != 0 : ours[i + 3] != 0)
            return "first difference at pixel " + std::to_string(i / 4);
    }
    return {};
}

// A frame's placement and timing as giftext prints them: each graphic control
// block's fields come before the image they apply to.
struct TGiftextFrame {
    int32_t X = 0, Y = 0, Delay = 0, Disposal = 0;
    bool Transparent = false;
};

std::vector<TGiftextFrame> GiftextFrames(const std::string& path)
{
    std::vector<TGiftextFrame> frames;
    TGiftextFrame next;
    std::istringstream lines(CommandOutput("giftext " + path));
    for (std::string line; std::getline(lines, line);) {
        int32_t x, y;
        char answer[4] = {};
        if (std::sscanf(line.c_str(), " Disposal Mode: %d", &next.Disposal) == 1 ||
            std::sscanf(line.c_str(), " DelayTime: %d", &next.Delay) == 1)
            continue;
        if (std::sscanf(line.c_str(), " Transparency on: %3s", answer) == 1)
            next.Transparent = std::string(answer) == "yes";
        else if (std::sscanf(line.c_str(), " Image Size - Left = %d, Top = %d", &x, &y) == 2) {
            next.X = x;
            next.Y = y;
            frames.push_back(next);
            next = {};
        }
    }
    return frames;
}

class GifFiles : public FilterTest {
protected:
    static void SetUpTestSuite()
    {
        const std::string f = Folder + "/";
        MakeFiles(Folder,
                  {
                      "convert -size 37x23 gradient:red-blue -swirl 90 " + f + "colour.ppm",
                      "convert " + f + "colour.ppm " + f + "magick.gif",
                      "convert " + f + "colour.ppm -interlace GIF " + f + "magick-interlaced.gif",
                      // netpbm orders the table black, white, as a bilevel image needs.
                      "pbmmake -gray 9 5 | pamtogif > " + f + "bilevel.gif",
                      "convert -size 12x7 xc:red xc:blue -append " + f + "redblue.gif",
                      "convert -size 20x10 gradient:yellow-green " + f + "a.gif",
                      "convert -size 20x10 gradient:blue-white " + f + "b.gif",
                      "convert -size 8x6 xc:orange " + f + "c.gif",
                      // Three frames with local tables and delays; the second sits at
                      // (4, 2), the third has a transparent index.
                      "gifsicle --no-warnings -d 10 " + f + "a.gif -d 25 --position 4,2 --disposal background " + f +
                          "b.gif -d 40 --position 0,0 --disposal asis -t '#FFA500' " + f + "c.gif > " + f + "three.gif",
                      // ImageMagick gives the later frames local tables.
                      "convert -delay 5 " + f + "a.gif " + f + "b.gif " + f + "c.gif " + f + "local.gif",
                      "gifsicle --no-warnings --comment 'first words' --comment 'second words' " + f + "magick.gif > " +
                          f + "comment.gif",
                      "gifsicle --no-warnings --interlace " + f + "magick.gif > " + f + "gifsicle-interlaced.gif",
                      "convert -size 16x16 xc:none -fill red -draw 'rectangle 3,3 10,10' " + f + "transparent.gif",
                  });
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }

    // The frame as red, green, blue and alpha.
    std::string LoadFrame(const std::string& path, int32_t index)
    {
        io.Params().GifImageIndex = index;
        io.LoadFromFile(path);
        EXPECT_FALSE(io.Aborting()) << path << "[" << index << "]";
        return RgbBytes(*io.Bitmap(), true);
    }

    void SetUp() override
    {
        FilterTest::SetUp();
        io.Params().SetDefaultParams();
    }

    TBrelvixIO io{nullptr};
};

} // namespace

TEST_F(GifFiles, FramesEqualImageMagicks)
{
    const std::string files[] = {
        GoTestData + "video-001.gif",
        GoTestData + "video-001.interlaced.gif",
        GoTestData + "video-001.5bpp.gif",
        GoTestData + "triangle-001.gif",
        SdlPalette,
        Path("magick.gif"),
        Path("magick-interlaced.gif"),
        Path("gifsicle-interlaced.gif"),
        Path("comment.gif"),
        Path("transparent.gif"),
    };
    for (const std::string& file : files)
        EXPECT_EQ(Difference(LoadFrame(file, 0), MagickFrame(file, 0)), "") << file;
    // The component composes an animation's frames.
    for (const char* name : {"three.gif", "local.gif"})
        for (int32_t frame = 0; frame < 3; ++frame) {
            EXPECT_EQ(ComposedDifference(LoadFrame(Path(name), frame), MagickComposedFrame(Path(name), frame)), "")
                << name << frame;
        }
}

TEST_F(GifFiles, FrameParametersAndCount)
{
    const std::string file = FileContent(Path("three.gif"));
    const std::vector<TGiftextFrame> frames = GiftextFrames(Path("three.gif"));
    ASSERT_EQ(frames.size(), 3u);
    for (int32_t index = 0; index < 3; ++index) {
        const TGiftextFrame& frame = frames[index];
        params.SetImageIndex(index);
        ASSERT_TRUE(ReadWith(ReadGifImage, file)) << index;
        EXPECT_EQ(params.GifXPos, frame.X) << index;
        EXPECT_EQ(params.GifYPos, frame.Y) << index;
        EXPECT_EQ(params.GifDelayTime, frame.Delay) << index;
        EXPECT_EQ(params.GifDisposal, frame.Disposal) << index;
        EXPECT_EQ(params.GifTransparent, frame.Transparent) << index;
        EXPECT_EQ(params.ImageCount, 3);
        EXPECT_EQ(params.GifImageCount, 3);
    }
    // Past the count the reader gives no image, but a parameters read still counts.
    params.SetImageIndex(5);
    EXPECT_FALSE(ReadWith(ReadGifImage, file));
    EXPECT_TRUE(ReadWith(ReadGifImage, file, true));
    EXPECT_EQ(params.ImageCount, 3);
    // The component shows the composed last frame and answers the count.
    io.Params().GifImageIndex = 5;
    EXPECT_EQ(io.LoadGifFromFile(Path("three.gif")), 3);
    EXPECT_FALSE(io.Aborting());
    EXPECT_EQ(io.Params().GifDisposal, 2);
    EXPECT_EQ(io.Params().GifXPos, 0);
    EXPECT_EQ(ComposedDifference(RgbBytes(*io.Bitmap(), true), MagickComposedFrame(Path("three.gif"), 2)), "");
}

TEST_F(GifFiles, DetectedByContent)
{
    EXPECT_EQ(DetectFileFormat(Path("magick.gif"), false), ioGIF);
    std::filesystem::copy_file(Path("magick.gif"), Path("renamed.dat"));
    io.LoadFromFileAuto(Path("renamed.dat"));
    EXPECT_FALSE(io.Aborting());
    EXPECT_EQ(io.Params().FileType, ioGIF);
}

TEST_F(GifFiles, CommentsMatchGifsicle)
{
    LoadFrame(Path("comment.gif"), 0);
    const std::string info = CommandOutput("gifsicle --info " + Path("comment.gif"));
    ASSERT_EQ(io.Params().GifComments.Count(), 2);
    for (int32_t i = 0; i < 2; ++i)
        EXPECT_NE(info.find(io.Params().GifComments.Strings(i)), std::string::npos) << info;
}

TEST_F(GifFiles, PixelFormatByPalette)
{
    LoadFrame(Path("bilevel.gif"), 0);
    EXPECT_EQ(io.Bitmap()->GetPixelFormat(), qk1g);
    EXPECT_EQ(io.Bitmap()->GetWidth(), 9);
    EXPECT_EQ(Difference(RgbBytes(*io.Bitmap()), MagickRgb(Path("bilevel.gif"))), "");
    LoadFrame(Path("redblue.gif"), 0);
    EXPECT_EQ(io.Bitmap()->GetPixelFormat(), qk24RGB);
    io.SetNativePixelFormat(true);
    LoadFrame(Path("redblue.gif"), 0);
    EXPECT_EQ(io.Bitmap()->GetPixelFormat(), qk8p);
    EXPECT_EQ(io.Bitmap()->GetPaletteLength(), 2);
}

TEST_F(GifFiles, SavedFilesDecodeInOtherTools)
{
    for (int32_t bits = 1; bits <= 8; ++bits)
        for (bool interlaced : {false, true}) {
            const std::string name = Path("ours" + std::to_string(bits) + (interlaced ? "i" : "") + ".gif");
            io.LoadFromFile(Path(bits == 1 ? "bilevel.gif" : "magick.gif"));
            io.Params().BitsPerSample = bits;
            io.Params().GifInterlaced = interlaced;
            io.Params().GifDelayTime = 7;
            io.SaveToFile(name);
            ASSERT_FALSE(io.Aborting()) << name;
            const std::string ours = RgbBytes(*io.Bitmap());
            io.LoadFromFile(name);
            EXPECT_EQ(Difference(MagickRgb(name), RgbBytes(*io.Bitmap())), "") << name;
            if (bits == 8 || bits == 1) {
                EXPECT_EQ(Difference(MagickRgb(name), ours), "") << name;
            }
            const std::string info = CommandOutput("gifsicle --info " + name);
            EXPECT_NE(info.find("global color table [" + std::to_string(1 << bits) + "]"), std::string::npos) << info;
            EXPECT_NE(info.find("delay 0.07s"), std::string::npos) << info;
            EXPECT_EQ(info.find("interlaced") != std::string::npos, interlaced) << info;
            EXPECT_EQ(Difference(CommandOutput("gif2rgb -1 " + name), RgbBytes(*io.Bitmap())), "") << name;
        }
}

TEST_F(GifFiles, AlphaTakesTheLastEntry)
{
    io.LoadFromFile(Path("transparent.gif"));
    ASSERT_TRUE(io.Bitmap()->HasAlphaChannel());
    const std::string expected = RgbBytes(*io.Bitmap(), true);
    for (int32_t bits : {1, 8}) {
        io.LoadFromFile(Path("transparent.gif"));
        io.Params().BitsPerSample = bits;
        io.Params().GifTranspColor = {10, 20, 30};
        io.SaveToFile(Path("alpha.gif"));
        const std::string info = CommandOutput("gifsicle --info " + Path("alpha.gif"));
        const int32_t entries = bits == 1 ? 4 : 256;
        EXPECT_NE(info.find("global color table [" + std::to_string(entries) + "]"), std::string::npos) << info;
        EXPECT_NE(info.find("transparent " + std::to_string(bits == 1 ? 2 : 255)), std::string::npos) << info;
        const std::string magick = MagickFrame(Path("alpha.gif"), 0);
        // Transparent pixels' colour differs by tool; compare alpha, and
        // at 8 bits the colour where opaque (1 bit makes red white).
        ASSERT_EQ(magick.size(), expected.size());
        for (size_t at = 0; at < magick.size(); at += 4) {
            EXPECT_EQ(magick[at + 3], expected[at + 3]) << at;
            if (bits == 8 && expected[at + 3] == char(255)) {
                EXPECT_EQ(magick.substr(at, 3), expected.substr(at, 3)) << at;
            }
        }
    }
}

TEST_F(GifFiles, CommentsAreWrittenWhole)
{
    io.LoadFromFile(Path("magick.gif"));
    const std::string plain = [&] {
        TMemoryStream stream;
        io.SaveToStream(stream, ioGIF);
        return std::string(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    }();
    EXPECT_EQ(plain.substr(plain.size() - 4), Bytes({0x21, 0xFE, 0x00, 0x3B}));
    const std::string longComment(600, 'w');
    io.Params().GifComments.Add(longComment);
    io.SaveToFile(Path("long-comment.gif"));
    const std::string info = CommandOutput("gifsicle --info " + Path("long-comment.gif"));
    EXPECT_NE(info.find(longComment), std::string::npos) << info;
    io.LoadFromFile(Path("long-comment.gif"));
    ASSERT_EQ(io.Params().GifComments.Count(), 1);
    EXPECT_EQ(io.Params().GifComments.Strings(0), longComment);
}

namespace {

// A 2 x 2 GIF whose table and LZW data are given.
std::string SmallGif(bool globalTable, int32_t tableBits, std::vector<uint8_t> data)
{
    std::string gif = Bytes({'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0});
    gif.push_back(globalTable ? char(0x80 | (tableBits - 1)) : 0);
    gif += Bytes({0, 0});
    if (globalTable)
        for (int32_t i = 0; i < (1 << tableBits); ++i)
            gif += Bytes({i * 40, 0, 0});
    gif += Bytes({0x21, 0xF9, 4, 1, 0, 0, 3, 0}); // transparent index 3, unused below
    gif += Bytes({0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0});
    gif.append(data.begin(), data.end());
    return gif + ";";
}

// The LZW data of the indexes 1, 0 / 2, 1.
std::vector<uint8_t> EncodedIndexes()
{
    TMemoryStream stream;
    const std::vector<uint8_t> indexes{1, 0, 2, 1};
    GifLzwEncode(stream, 2, 2, false, indexes, 2);
    const auto* bytes = static_cast<const uint8_t*>(stream.Memory());
    return {bytes, bytes + stream.Size()};
}
const std::vector<uint8_t> IndexData = EncodedIndexes();

class GifReader : public FilterTest {};

} // namespace

TEST_F(GifReader, IndexesBeyondTheTableReadBlack)
{
    // One-entry tables are not possible; a 2-entry table leaves index 2 black.
    ASSERT_TRUE(ReadWith(ReadGifImage, SmallGif(true, 1, IndexData)));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(bitmap.GetPixel24(0, 1).r, 0);
    EXPECT_EQ(bitmap.GetPixel24(1, 0).r, 0);
    EXPECT_EQ(bitmap.GetPixel24(0, 0).r, 40);
    // No table at all: black pixels, no palette, never bilevel.
    ASSERT_TRUE(ReadWith(ReadGifImage, SmallGif(false, 1, IndexData)));
    EXPECT_EQ(params.ColorMapCount, 0);
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);
    EXPECT_EQ(bitmap.GetPixel24(0, 0).r, 0);
}

TEST_F(GifReader, AnUnusedTransparentIndexGivesNoMask)
{
    TMemoryStream stream;
    FillStream(stream, SmallGif(true, 2, IndexData));
    TQkReadRequest request(stream, bitmap, params, progress);
    progress.Aborting = &aborting;
    ReadGifImage(request);
    EXPECT_FALSE(aborting);
    EXPECT_TRUE(params.GifTransparent);
    EXPECT_EQ(request.AlphaMask, nullptr);
}

TEST_F(GifReader, DamagedFilesFailCleanly)
{
    const std::string good = SmallGif(true, 2, IndexData);
    const struct {
        const char* Name;
        std::string Bytes;
        bool Fails;
    } cases[] = {
        {"not a GIF", "GIX89a" + good.substr(6), true},
        {"header only", good.substr(0, 13), true},
        {"data cut in its sub-block", good.substr(0, good.size() - 4), false},
        {"bad minimum code size", SmallGif(true, 2, {0x0A, 0x01, 0x00, 0x00}), true},
        {"huge size, no data",
         Bytes({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 0}),
         true},
        {"zero width",
         Bytes({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0, 0, 1, 0, 0, 2, 1, 0, 0}), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(!ReadWith(ReadGifImage, c.Bytes), c.Fails) << c.Name;
}

// The parameters' codec is the one used: with the library-wide codecs still
// installed, clearing it in the parameters makes the codec unavailable.
TEST_F(GifReader, NoCodecMeansNoImage)
{
    ASSERT_TRUE(GifLzwDecoderHook && GifLzwEncoderHook);
    params.GifLzwDecompress = nullptr;
    EXPECT_FALSE(ReadWith(ReadGifImage, SmallGif(true, 2, IndexData)));
    bitmap.Allocate(2, 2, qk24RGB);
    params.GifLzwCompress = nullptr;
    EXPECT_TRUE(WriteWith(WriteGifImage).empty());
    EXPECT_TRUE(aborting);
}
