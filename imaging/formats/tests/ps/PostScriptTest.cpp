#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/ps/QkPostScript.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/ps/PageTestSupport.h"

namespace {

std::string Written(TQkBitmap& bitmap, TIOParamsVals& params) { return WrittenBy(WritePostScript, bitmap, params); }

std::string Line(const std::string& text, const std::string& start)
{
    const size_t at = text.find(start);
    return at == std::string::npos ? "" : text.substr(at, text.find("\r\n", at) - at);
}

class PostScriptTest : public PageWriterTest {};

} // namespace

TEST_F(PostScriptTest, FitsTheImageIntoTheTopLeftOfThePage)
{
    FillRgb(bitmap, 100, 50);
    const std::string ps = Written(bitmap, params);
    EXPECT_EQ(ps.substr(0, 16), "%!PS-Adobe-3.0\r\n");
    EXPECT_EQ(Line(ps, "%%Creator"), "%%Creator: Brelvix");
    EXPECT_EQ(Line(ps, "%%Title"), "%%Title: No Title");
    EXPECT_EQ(Line(ps, "%%Pages"), "%%Pages: 1     ");
    EXPECT_EQ(Line(ps, "%%BoundingBox"), "%%BoundingBox: 0 0 594 841");
    EXPECT_EQ(Line(ps, "%%Page:"), "%%Page: 1 1");
    EXPECT_NE(ps.find("\r\n0 842 translate\r\n595 -297 scale\r\n100 50 8\r\n[ 100 0 0 50 0 0 ]\r\n"),
              std::string::npos);
    EXPECT_EQ(ps.substr(ps.size() - 39), "%%EndData\r\nshowpage\r\n%%Trailer\r\n%%EOF\r\n");
    EXPECT_EQ(params.BitsPerSample, 8);
    EXPECT_EQ(params.SamplesPerPixel, 3);

    const std::string rendered = GhostscriptRgb(SaveFile("fit.ps", ps));
    ExpectTopLeftBox(rendered, bitmap);
}

TEST_F(PostScriptTest, BeginDataCountsEveryByteUpToEndData)
{
    for (int kind : {1, 24}) {
        kind == 1 ? FillOneBit(bitmap, 300, 200) : FillRgb(bitmap, 300, 200);
        params.PsCompression = 0;
        const std::string ps = Written(bitmap, params);
        const std::string begin = Line(ps, "%%BeginData:");
        ASSERT_FALSE(begin.empty());
        const size_t count = std::stoul(begin.substr(12));
        // The operator line follows the comment, then the data.
        const size_t dataStart = ps.find("\r\n", ps.find("\r\n", ps.find("%%BeginData:")) + 2) + 2;
        EXPECT_EQ(ps.find("%%EndData"), dataStart + count) << kind;
        EXPECT_EQ(ps.substr(dataStart + count - 4, 4), "~>\r\n") << kind;
    }
}

TEST_F(PostScriptTest, ImageKindAndCompressionChooseTheOperators)
{
    const std::string runLength = "currentfile /ASCII85Decode filter /RunLengthDecode filter\r\n%%BeginData:";
    const std::string fax = "currentfile /ASCII85Decode filter << /K %s /BlackIs1 true /Columns 30 /Rows 20 "
                            "/EndOfLine false /Uncompressed true /EncodedByteAlign false /EndOfBlock false >> "
                            "/CCITTFaxDecode filter\r\n%%BeginData:";
    const std::string procedures = "/rstr 30 string def\r\n/gstr 30 string def\r\n/bstr 30 string def\r\n"
                                   "{currentfile /ASCII85Decode filter /RunLengthDecode filter rstr readstring pop}"
                                   "\r\n{currentfile /ASCII85Decode filter /RunLengthDecode filter gstr readstring "
                                   "pop}\r\n{currentfile /ASCII85Decode filter /RunLengthDecode filter bstr "
                                   "readstring pop}\r\ntrue 3\r\n%%BeginData:";
    const std::string dct = "currentfile /ASCII85Decode filter << >> /DCTDecode filter\r\nfalse 3\r\n%%BeginData:";
    const auto withK = [&](const char* k) {
        return fax.substr(0, fax.find("%s")) + k + fax.substr(fax.find("%s") + 2);
    };
    const struct {
        int Kind;
        int Compression;
        std::string Lines;
        const char* Operator;
    } cases[] = {
        {1, 0, runLength, "image"},        {1, 1, withK("-1"), "image"},      {1, 2, withK("1"), "image"},
        {1, 3, runLength, "image"},        {1, 9, runLength, "image"},        {24, 0, procedures, "colorimage"},
        {24, 1, procedures, "colorimage"}, {24, 2, procedures, "colorimage"}, {24, 3, dct, "colorimage"},
    };
    for (const auto& c : cases) {
        c.Kind == 1 ? FillOneBit(bitmap, 30, 20) : FillRgb(bitmap, 30, 20);
        params.PsCompression = uint8_t(c.Compression);
        const std::string ps = Written(bitmap, params);
        EXPECT_NE(ps.find("[ 30 0 0 20 0 0 ]\r\n" + c.Lines), std::string::npos) << c.Kind << " " << c.Compression;
        EXPECT_NE(ps.find(" ASCII Bytes\r\n" + std::string(c.Operator) + "\r\n"), std::string::npos);
        EXPECT_EQ(params.SamplesPerPixel, c.Kind == 1 ? 1 : 3);
    }
}

TEST_F(PostScriptTest, GhostscriptRendersEveryCodingExactly)
{
    const struct {
        int Kind;
        int Compression;
        uint8_t JpegColorSpace;
    } cases[] = {
        {1, 0, 2}, {1, 1, 2}, {1, 2, 2}, {1, 3, 2}, {1, 9, 2}, {24, 0, 2}, {24, 3, 2}, {24, 3, 1}, {24, 3, 3},
    };
    for (const auto& c : cases) {
        c.Kind == 1 ? FillOneBit(bitmap, 595, 842) : FillRgb(bitmap, 595, 842);
        params.PsCompression = uint8_t(c.Compression);
        params.JpegColorSpace = c.JpegColorSpace;
        const std::string name = "render-" + std::to_string(c.Kind) + "-" + std::to_string(c.Compression) + "-" +
            std::to_string(c.JpegColorSpace) + ".ps";
        const std::string rendered = GhostscriptRgb(SaveFile(name, Written(bitmap, params)));
        const std::string expected = RgbBytes(bitmap);
        ASSERT_EQ(rendered.size(), expected.size()) << name;
        // The JPEG page's colour space is its own: the caller's stays.
        EXPECT_EQ(params.JpegColorSpace, c.JpegColorSpace);
        if (c.Compression != 3 || c.Kind == 1) {
            EXPECT_EQ(Difference(rendered, expected), "") << name;
            continue;
        }
        EXPECT_LE(MeanError(rendered, expected), 2.0) << name;
    }
}

TEST_F(PostScriptTest, AppendedPagesRaiseTheCountInPlace)
{
    TMemoryStream stream;
    TQkFilterProgress progress;
    std::unique_ptr<TPsDocument> document = PSBeginDocument(stream, params);
    const int64_t headerLength = stream.Size();
    FillRgb(bitmap, 60, 40);
    PSAddPage(*document, stream, bitmap, progress, params);
    FillOneBit(bitmap, 40, 60);
    PSAddPage(*document, stream, bitmap, progress, params);
    PSEndDocument(document, stream);
    EXPECT_EQ(document, nullptr);
    PSEndDocument(document, stream);
    const std::string ps(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    EXPECT_EQ(Line(ps, "%%Pages"), "%%Pages: 2     ");
    EXPECT_EQ(ps.find("%%Page: 1 1"), size_t(headerLength));
    EXPECT_NE(ps.find("%%Page: 2 2"), std::string::npos);
    EXPECT_EQ(ps.find("%%Trailer"), ps.size() - 18);

    const std::string pattern = Folder() + "/two-pages-%d.ppm";
    CommandOutput("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile=" + pattern + " " +
                  SaveFile("two-pages.ps", ps));
    EXPECT_TRUE(std::filesystem::exists(Folder() + "/two-pages-2.ppm"));
    EXPECT_FALSE(std::filesystem::exists(Folder() + "/two-pages-3.ppm"));
}

TEST_F(PostScriptTest, TitleKeepsTheHeaderSevenBitAndItsLinesIntact)
{
    FillOneBit(bitmap, 8, 8);
    const std::pair<std::string, std::string> cases[] = {
        {"Plain title", "%%Title: Plain title"},
        {"Caf\xC3\xA9", "%%Title: Caf??"},
        {"A\r\n%%Pages: 9\t~", "%%Title: A??%%Pages: 9?~"},
    };
    for (const auto& [title, line] : cases) {
        params.PsTitle = title;
        const std::string ps = Written(bitmap, params);
        EXPECT_EQ(Line(ps, "%%Title"), line);
        EXPECT_NE(ps.find("\r\n%%Pages: 1     \r\n"), std::string::npos);
        EXPECT_EQ(ps.find("\r\n%%Pages: 9"), std::string::npos);
    }
}

TEST_F(PostScriptTest, CreationDateUsesEnglishNamesAndTheLocalClock)
{
    const std::pair<TSystemTime, std::string> cases[] = {
        {{2000, 1, 1, 0, 0, 0, 0}, "Sat Jan 01 00:00:00 2000"},
        {{2026, 12, 11, 7, 5, 9, 0}, "Fri Dec 11 07:05:09 2026"},
        {{2024, 2, 29, 23, 59, 59, 999}, "Thu Feb 29 23:59:59 2024"},
    };
    for (const auto& [time, text] : cases)
        EXPECT_EQ(PsCreationDate(time), text);
    TTestClock clock(TSystemTime{2019, 7, 4, 13, 30, 0, 0});
    SetClock(&clock);
    FillOneBit(bitmap, 8, 8);
    const std::string ps = Written(bitmap, params);
    SetClock(nullptr);
    EXPECT_EQ(Line(ps, "%%CreationDate"), "%%CreationDate: Thu Jul 04 13:30:00 2019");
}

TEST_F(PostScriptTest, TheComponentSavesThroughTheRegistry)
{
    TBrelvixIO io(nullptr);
    FillRgb(*io.Bitmap(), 20, 10);
    TMemoryStream stream;
    io.SavePsToStream(stream);
    EXPECT_FALSE(io.Aborting());
    const std::string ps(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    EXPECT_EQ(Line(ps, "%%Page:"), "%%Page: 1 1");
    EXPECT_EQ(ps.substr(ps.size() - 7), "%%EOF\r\n");
}

TEST_F(PostScriptTest, EmptyImagesAbortWithoutWriting)
{
    TMemoryStream stream;
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    WritePostScript(stream, bitmap, params, progress);
    EXPECT_TRUE(aborting);
    EXPECT_EQ(stream.Size(), 0);

    std::unique_ptr<TPsDocument> document = PSBeginDocument(stream, params);
    const int64_t headerLength = stream.Size();
    aborting = false;
    PSAddPage(*document, stream, bitmap, progress, params);
    EXPECT_TRUE(aborting);
    EXPECT_EQ(stream.Size(), headerLength);
    EXPECT_EQ(Line(std::string(static_cast<const char*>(stream.Memory()), size_t(stream.Size())), "%%Pages"),
              "%%Pages: 0     ");
}

TEST_F(PostScriptTest, ThePendingDocumentIsFinishedByCloseAndByTheDestructor)
{
    for (bool byDestructor : {false, true}) {
        const std::string path = SaveFile(byDestructor ? "pending-destroyed.ps" : "pending-closed.ps", "");
        {
            TPendingDocumentIO io;
            auto stream = std::make_unique<TQkWideFileStream>(path, fmCreate);
            std::unique_ptr<TPsDocument> document = PSBeginDocument(*stream, params);
            TQkFilterProgress progress;
            FillRgb(bitmap, 30, 20);
            PSAddPage(*document, *stream, bitmap, progress, params);
            PSAddPage(*document, *stream, bitmap, progress, params);
            io.OpenPs(std::move(stream), std::move(document));
            if (!byDestructor) {
                io.ClosePSFile();
                io.ClosePSFile();
            }
        }
        const std::string ps = FileContent(path);
        EXPECT_EQ(ps.substr(ps.size() - 18), "%%Trailer\r\n%%EOF\r\n") << path;
        EXPECT_EQ(Line(ps, "%%Pages"), "%%Pages: 2     ");
        CommandOutput("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage " + path);
    }
}
