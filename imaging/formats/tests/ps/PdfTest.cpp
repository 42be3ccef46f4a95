#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkFileStreams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/ps/QkPdf.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/ps/PageTestSupport.h"

namespace {

std::string Written(TQkBitmap& bitmap, TIOParamsVals& params) { return WrittenBy(WritePdf, bitmap, params); }

// What lies between the object's "obj" and "endobj" lines.
std::string ObjectText(const std::string& pdf, int number)
{
    const std::string start = "\n" + std::to_string(number) + " 0 obj\n";
    const size_t at = pdf.find(start);
    if (at == std::string::npos)
        return "";
    const size_t from = at + start.size();
    return pdf.substr(from, pdf.find("\nendobj", from) - from);
}

std::string StreamData(const std::string& object)
{
    const size_t from = object.find("\nstream\n") + 8;
    return object.substr(from, object.rfind("\nendstream") - from);
}

// Fails the test unless qpdf finds neither errors nor warnings.
void ExpectQpdfClean(const std::string& path)
{
    EXPECT_NE(CommandOutput("qpdf --check " + path + " 2>&1").find("No syntax or stream encoding errors"),
              std::string::npos)
        << path;
}

std::string PdfInfo(const std::string& path) { return CommandOutput("pdfinfo " + path + " 2>&1"); }

void FillGray(TQkBitmap& bitmap, int32_t width, int32_t height)
{
    bitmap.Allocate(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            std::fill_n(bitmap.GetScanline(y) + 3 * x, 3, uint8_t((x + y) * 255 / (width + height)));
}

class PdfTest : public PageWriterTest {};

} // namespace

TEST_F(PdfTest, FitsTheImageIntoTheTopLeftOfThePage)
{
    FillRgb(bitmap, 100, 50);
    const std::string pdf = Written(bitmap, params);
    EXPECT_EQ(pdf.substr(0, 9), "%PDF-1.4\n");
    EXPECT_NE(ObjectText(pdf, 1).find("/Pages 6 0 R"), std::string::npos);
    EXPECT_NE(ObjectText(pdf, 2).find("/ProcSet [/PDF /ImageB ]\n/XObject << /lm1 3 0 R\n>>"), std::string::npos);
    EXPECT_NE(ObjectText(pdf, 3).find("/Subtype /Image"), std::string::npos);
    EXPECT_EQ(StreamData(ObjectText(pdf, 4)), "q\n595 0 0 297 0 545 cm\n/lm1 Do\nQ");
    const std::string page = ObjectText(pdf, 5);
    EXPECT_NE(page.find("/MediaBox [0 0 595 842 ]\n/Contents 4 0 R\n/Parent 6 0 R"), std::string::npos) << page;
    EXPECT_NE(ObjectText(pdf, 6).find("/Kids [5 0 R ]"), std::string::npos);
    EXPECT_NE(ObjectText(pdf, 7).find("/CreationDate (D:"), std::string::npos);
    EXPECT_EQ(ObjectText(pdf, 8), "");
    EXPECT_EQ(params.BitsPerSample, 8);
    EXPECT_EQ(params.SamplesPerPixel, 3);

    const std::string rendered = GhostscriptRgb(SaveFile("fit.pdf", pdf));
    ExpectTopLeftBox(rendered, bitmap);
}

TEST_F(PdfTest, EveryCodingReadsBackThroughTheTools)
{
    const std::string faxParms = "/EndOfLine false\n/Uncompressed true\n/EncodedByteAlign false\n/EndOfBlock false";
    const struct {
        int Kind;
        int Compression;
        uint8_t JpegColorSpace;
        bool Lzw;
        std::string Coding;
        // pdfimages -list: colour, components, bits, encoding (poppler
        // names LZW data "image").
        const char* Listed;
        int CompressionAfter;
    } cases[] = {
        {1, 0, 2, true, "", "gray    1   1  image", 0},
        {1, 1, 2, true, "/Filter [/RunLengthDecode ]", "gray    1   1  image", 1},
        {1, 2, 2, true,
         "/Filter /CCITTFaxDecode\n/DecodeParms << /K -1\n/BlackIs1 true\n/Columns 595\n/Rows 842\n" + faxParms,
         "gray    1   1  ccitt", 2},
        {1, 3, 2, true, "/DecodeParms << /K 1\n", "gray    1   1  ccitt", 3},
        {1, 4, 2, true, "/DecodeParms << /K 1\n", "gray    1   1  ccitt", 3},
        {1, 5, 2, true, "/Filter /LZWDecode", "gray    1   1  image", 5},
        {1, 5, 2, false, "", "gray    1   1  image", 5},
        {1, 9, 2, true, "", "gray    1   1  image", 9},
        {24, 2, 2, true, "", "rgb     3   8  image", 2},
        {24, 4, 2, true, "/Filter /DCTDecode\n/ColorSpace /DeviceRGB", "rgb     3   8  jpeg", 4},
        {24, 4, 3, true, "/Filter /DCTDecode\n/ColorSpace /DeviceRGB", "rgb     3   8  jpeg", 4},
        {24, 4, 1, true, "/Filter /DCTDecode\n/ColorSpace /DeviceGray", "gray    1   8  jpeg", 4},
        {24, 5, 2, true, "/Filter /LZWDecode\n/ColorSpace /DeviceRGB", "rgb     3   8  image", 5},
        {24, 5, 2, false, "", "rgb     3   8  image", 5},
    };
    for (const auto& c : cases) {
        const std::string name = "coding-" + std::to_string(c.Kind) + "-" + std::to_string(c.Compression) + "-" +
            std::to_string(c.JpegColorSpace) + (c.Lzw ? "" : "-nolzw");
        SCOPED_TRACE(name);
        if (c.Kind == 1)
            FillOneBit(bitmap, 595, 842);
        else
            c.JpegColorSpace == 1 ? FillGray(bitmap, 595, 842) : FillRgb(bitmap, 595, 842);
        params.PdfCompression = uint8_t(c.Compression);
        params.JpegColorSpace = c.JpegColorSpace;
        if (!c.Lzw)
            params.TiffLzwCompress = nullptr;
        const std::string pdf = Written(bitmap, params);
        params.TiffLzwCompress = TiffLzwEncoderHook;
        const std::string image = ObjectText(pdf, 3);
        if (c.Coding.empty()) {
            EXPECT_EQ(image.find("/Filter"), std::string::npos);
        }
        EXPECT_NE(image.find(c.Coding), std::string::npos) << image.substr(0, 300);
        EXPECT_EQ(params.PdfCompression, c.CompressionAfter);
        EXPECT_EQ(params.JpegColorSpace, c.JpegColorSpace);
        EXPECT_EQ(params.SamplesPerPixel, c.Kind == 1 ? 1 : 3);

        const std::string path = SaveFile(name + ".pdf", pdf);
        ExpectQpdfClean(path);
        const std::string listed = CommandOutput("pdfimages -list " + path);
        EXPECT_NE(listed.find(c.Listed), std::string::npos) << listed;
        CommandOutput("pdfimages -png " + path + " " + Folder() + "/" + name);
        const std::string extracted = MagickRgb(Folder() + "/" + name + "-000.png");
        const std::string rendered = GhostscriptRgb(path);
        const std::string expected = RgbBytes(bitmap);
        ASSERT_EQ(rendered.size(), expected.size());
        ASSERT_EQ(extracted.size(), expected.size());
        if (c.Compression == 4 && c.Kind == 24) {
            EXPECT_LE(MeanError(rendered, expected), 2.0);
            EXPECT_LE(MeanError(extracted, expected), 2.0);
        } else {
            EXPECT_EQ(Difference(rendered, expected), "");
            EXPECT_EQ(Difference(extracted, expected), "");
        }
        // Poppler smooths images even at 1:1, so it only has to draw the
        // page without complaint.
        EXPECT_EQ(CommandOutput("pdftoppm -r 72 -singlefile " + path + " " + Folder() + "/" + name + " 2>&1"), "");
        EXPECT_EQ(FileContent(Folder() + "/" + name + ".ppm").substr(0, 11), "P6\n595 842\n");
    }
}

TEST_F(PdfTest, DocumentInformationKeepsItsText)
{
    const std::pair<std::string, std::string> texts[] = {
        {"Plain (text)", "Plain (text)"},
        {"Caf\xC3\xA9", std::string("\xFE\xFF\0C\0a\0f\0\xE9", 10)},
        {"\xF0\x9F\x98\x80", std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6)},
    };
    for (const auto& [text, encoded] : texts)
        EXPECT_EQ(PdfTextString(text), encoded);
    EXPECT_EQ(PdfCreationDate({2019, 7, 4, 13, 30, 5, 0}), "D:20190704133005");
    EXPECT_EQ(PdfCreationDate({2024, 12, 31, 0, 0, 0, 999}), "D:20241231000000");

    params.PdfTitle = "Caf\xC3\xA9 (au lait)";
    params.PdfAuthor = "A. Author";
    params.PdfSubject = "";
    params.PdfKeywords = "one, two";
    params.PdfCreator = "Creator\\tool";
    params.PdfProducer = "Producer";
    TTestClock clock(TSystemTime{2019, 7, 4, 13, 30, 0, 0});
    SetClock(&clock);
    FillOneBit(bitmap, 16, 16);
    const std::string pdf = Written(bitmap, params);
    SetClock(nullptr);
    EXPECT_NE(ObjectText(pdf, 7).find("/CreationDate (D:20190704133000)"), std::string::npos);
    const std::string info = PdfInfo(SaveFile("info.pdf", pdf));
    for (const char* line : {"Title:           Caf\xC3\xA9 (au lait)\n", "Author:          A. Author\n",
                             "Keywords:        one, two\n", "Creator:         Creator\\tool\n",
                             "Producer:        Producer\n", "CreationDate:    Thu Jul  4 13:30:00 2019"})
        EXPECT_NE(info.find(line), std::string::npos) << line << info;
    EXPECT_EQ(info.find("Subject:"), std::string::npos) << info;
}

TEST_F(PdfTest, PagesAddedToAnOpenDocument)
{
    TMemoryStream stream;
    TQkFilterProgress progress;
    std::unique_ptr<TPdfDocument> document = PDFNewDocument();
    FillRgb(bitmap, 60, 40);
    PDFAddImagePage(*document, bitmap, params, progress);
    FillOneBit(bitmap, 40, 60);
    PDFAddImagePage(*document, bitmap, params, progress);
    EXPECT_EQ(stream.Size(), 0);
    PDFEndDocument(document, stream, params);
    EXPECT_EQ(document, nullptr);
    PDFEndDocument(document, stream, params);
    const std::string pdf(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    EXPECT_NE(ObjectText(pdf, 2).find("/lm1 3 0 R\n/lm2 6 0 R"), std::string::npos);
    EXPECT_EQ(StreamData(ObjectText(pdf, 7)), "q\n561 0 0 842 0 0 cm\n/lm2 Do\nQ");
    const std::string path = SaveFile("two-pages.pdf", pdf);
    ExpectQpdfClean(path);
    EXPECT_NE(PdfInfo(path).find("Pages:           2\n"), std::string::npos);
    CommandOutput("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile=" + Folder() +
                  "/two-pages-%d.ppm " + path);
    EXPECT_TRUE(std::filesystem::exists(Folder() + "/two-pages-2.ppm"));
    EXPECT_FALSE(std::filesystem::exists(Folder() + "/two-pages-3.ppm"));
}

TEST_F(PdfTest, ThePendingDocumentIsWrittenByCloseAndByTheDestructor)
{
    for (bool byDestructor : {false, true}) {
        const std::string path = SaveFile(byDestructor ? "pending-destroyed.pdf" : "pending-closed.pdf", "");
        {
            TPendingDocumentIO io;
            io.Params().PdfTitle = "Pending";
            std::unique_ptr<TPdfDocument> document = PDFNewDocument();
            TQkFilterProgress progress;
            FillRgb(bitmap, 30, 20);
            PDFAddImagePage(*document, bitmap, params, progress);
            PDFAddImagePage(*document, bitmap, params, progress);
            io.OpenPdf(std::make_unique<TQkWideFileStream>(path, fmCreate), std::move(document));
            if (!byDestructor) {
                io.ClosePdfFile();
                io.ClosePdfFile();
            }
        }
        ExpectQpdfClean(path);
        const std::string info = PdfInfo(path);
        EXPECT_NE(info.find("Pages:           2\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Title:           Pending\n"), std::string::npos) << info;
    }
}

TEST_F(PdfTest, SavedAfterOtherDataItIsAWholeFileOnceCutOut)
{
    TBrelvixIO io(nullptr);
    FillRgb(*io.Bitmap(), 20, 10);
    TMemoryStream stream;
    const std::string before(100, 'x');
    stream.WriteBuffer(before.data(), int64_t(before.size()));
    io.SavePdfToStream(stream);
    EXPECT_FALSE(io.Aborting());
    const std::string written(static_cast<const char*>(stream.Memory()), size_t(stream.Size()));
    EXPECT_EQ(written.substr(0, 109), before + "%PDF-1.4\n");
    ExpectQpdfClean(SaveFile("cut.pdf", written.substr(100)));
}

TEST_F(PdfTest, EmptyImagesAbortWithoutWriting)
{
    TMemoryStream stream;
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    WritePdf(stream, bitmap, params, progress);
    EXPECT_TRUE(aborting);
    EXPECT_EQ(stream.Size(), 0);

    std::unique_ptr<TPdfDocument> document = PDFNewDocument();
    aborting = false;
    PDFAddImagePage(*document, bitmap, params, progress);
    EXPECT_TRUE(aborting);
    EXPECT_EQ(document->Objects.size(), 2u);
    EXPECT_TRUE(document->Images.empty());
}
