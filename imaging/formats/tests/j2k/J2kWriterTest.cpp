#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/j2k/QkJpeg2000.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/j2k/J2kFilesTest.h"

namespace {

class J2kWriter : public FilterTest {
protected:
    static void SetUpTestSuite()
    {
        MakeFiles(J2kPath(""),
                  {"convert -seed 3 -size 37x23 plasma:fractal -depth 8 " + J2kPath("colour.ppm"),
                   "convert " + J2kPath("colour.ppm") + " -colorspace gray " + J2kPath("gray.pgm"),
                   "convert " + J2kPath("colour.ppm") + " -threshold 50% " + J2kPath("bits.pbm"),
                   "convert -seed 3 -size 256x256 plasma:fractal -depth 8 " + J2kPath("large.ppm")});
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(J2kPath("")); }

    void Load(const std::string& name)
    {
        io.LoadFromFile(J2kPath(name));
        ASSERT_FALSE(io.Aborting()) << name;
        bitmap.Assign(io.Bitmap());
    }

    // The file the writer makes of `bitmap`, kept in the folder.
    std::string WriteFile(const std::string& name, TJ2kContainer container)
    {
        const std::string bytes = WriteWith([container](TQkWriteRequest& r) { WriteJpeg2000Image(r, container); });
        EXPECT_FALSE(aborting) << name;
        WriteFileBytes(J2kPath(name), {bytes.begin(), bytes.end()});
        return J2kPath(name);
    }

    std::string OpjDecompressed(const std::string& path, const std::string& extension)
    {
        const std::string out = path + "." + extension;
        CommandOutput("opj_decompress -i " + path + " -o " + out + " >/dev/null");
        return out;
    }

    TBrelvixIO io{nullptr};
};

} // namespace

TEST_F(J2kWriter, LosslessFilesDecodeToTheInput)
{
    struct TCase {
        const char* Source;
        const char* Name;
        TJ2kContainer Container;
        uint8_t ColourSpace;
        const char* Decoded;
    };
    const TCase cases[] = {
        {"colour.ppm", "ours.jp2", TJ2kContainer::Jp2, 1, "ppm"},
        {"colour.ppm", "ours.j2k", TJ2kContainer::CodeStream, 2, "ppm"},
        {"gray.pgm", "oursgray.jp2", TJ2kContainer::Jp2, 0, "pgm"},
        {"bits.pbm", "oursbits.j2k", TJ2kContainer::CodeStream, 1, "pgm"},
    };
    for (const TCase& test : cases) {
        Load(test.Source);
        const std::string expected = RgbBytes(bitmap);
        params.J2000ColorSpace = test.ColourSpace;
        const std::string path = WriteFile(test.Name, test.Container);
        const std::string dump = CommandOutput("opj_dump -i " + path + " 2>/dev/null");
        const bool gray = test.Decoded == std::string("pgm");
        EXPECT_NE(dump.find(gray ? "numcomps=1" : "numcomps=3"), std::string::npos) << test.Name;
        EXPECT_NE(dump.find(std::string("prec=") + (test.Source == std::string("bits.pbm") ? "1\n" : "8\n")),
                  std::string::npos)
            << test.Name;
        // 1-bit samples are 0 and 1: stretched to white for the comparison.
        const std::string stretch = test.Source == std::string("bits.pbm") ? " -auto-level" : "";
        EXPECT_EQ(
            Difference(CommandOutput("convert " + OpjDecompressed(path, test.Decoded) + stretch + " -depth 8 rgb:-"),
                       expected),
            "")
            << test.Name;
        ASSERT_TRUE(ReadWith(ReadJpeg2000Image, FileContent(path))) << test.Name;
        EXPECT_EQ(bitmap.GetPixelFormat(), test.Source == std::string("bits.pbm") ? qk1g : qk24RGB);
        EXPECT_EQ(Difference(RgbBytes(bitmap), expected), "") << test.Name;
    }
}

TEST_F(J2kWriter, OptionsTextCarriesRateAndOrder)
{
    struct TCase {
        double Rate;
        uint8_t Order;
        const char* Text;
    };
    for (const TCase& test :
         {TCase{1.0, 0, "rate=1 prg=lrcp"}, TCase{0.5, 1, "rate=0.5 prg=rlcp"}, TCase{0.125, 7, "rate=0.125"}}) {
        params.J2000Rate = test.Rate;
        params.J2000Progression = test.Order;
        EXPECT_EQ(Jpeg2000EncoderOptions(params), test.Text);
    }
}

TEST_F(J2kWriter, RateAndOrderReachTheCodeStream)
{
    Load("large.ppm");
    params.J2000Rate = 0.1;
    params.J2000Progression = 1;
    const std::string path = WriteFile("rate.j2k", TJ2kContainer::CodeStream);
    EXPECT_LE(std::filesystem::file_size(path), 256u * 256u * 3u * 12u / 100u);
    const std::string dump = CommandOutput("opj_dump -i " + path + " 2>/dev/null");
    EXPECT_NE(dump.find("prg=0x1"), std::string::npos);
    EXPECT_NE(dump.find("mct=1"), std::string::npos);
    // The default keeps every bit, in layer order.
    params.J2000Rate = 1;
    params.J2000Progression = 0;
    const std::string lossless = WriteFile("lossless.j2k", TJ2kContainer::CodeStream);
    EXPECT_NE(CommandOutput("opj_dump -i " + lossless + " 2>/dev/null").find("prg=0\n"), std::string::npos);
    EXPECT_EQ(Difference(MagickRgb(OpjDecompressed(lossless, "ppm")), MagickRgb(J2kPath("large.ppm"))), "");
}

TEST_F(J2kWriter, PartialOpacityBecomesAnAlphaComponent)
{
    Load("colour.ppm");
    TQkBitmap* alpha = bitmap.GetAlphaChannel();
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x)
            alpha->GetScanline(y)[x] = uint8_t(x * 7 + y);
    alpha->UpdateFullAlphaFlag();
    const std::string expected = RgbBytes(bitmap, true);
    const std::string path = WriteFile("alpha.jp2", TJ2kContainer::Jp2);
    EXPECT_EQ(Difference(CommandOutput("convert " + OpjDecompressed(path, "png") + " -depth 8 rgba:-"), expected), "");
}

TEST_F(J2kWriter, EmptyBitmapsAndShortWritesAbort)
{
    WriteWith([](TQkWriteRequest& r) { WriteJpeg2000Image(r, TJ2kContainer::Jp2); });
    EXPECT_TRUE(aborting);

    Load("large.ppm");
    TFileStream full("/dev/full", fmOpenWrite);
    aborting = false;
    progress.Aborting = &aborting;
    TQkWriteRequest request{full, bitmap, params, progress};
    WriteJpeg2000Image(request, TJ2kContainer::Jp2);
    EXPECT_TRUE(aborting);
}

TEST_F(J2kWriter, TheComponentSavesLoadsAndDetectsBothContainers)
{
    for (const auto& [name, id] : {std::pair{"component.jp2", ioJP2}, std::pair{"component.j2k", ioJ2K}}) {
        io.LoadFromFile(J2kPath("colour.ppm"));
        const std::string expected = RgbBytes(*io.Bitmap());
        io.SaveToFile(J2kPath(name));
        ASSERT_FALSE(io.Aborting()) << name;
        EXPECT_EQ(DetectFileFormat(J2kPath(name), true), id) << name;
        io.LoadFromFile(J2kPath(name));
        ASSERT_FALSE(io.Aborting()) << name;
        EXPECT_EQ(Difference(RgbBytes(*io.Bitmap()), expected), "") << name;
    }
}
