#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "QkCommand.h"
#include "QkTestFolder.h"
#include "imaging/core/QkPDFObjects.h"
#include "platform/core/Streams.h"

namespace {

std::string Written(TQkPDFObject& object)
{
    TStringStream stream;
    object.WriteToStream(stream);
    return stream.DataString();
}

std::shared_ptr<TQkPDFArrayObject> Numbers(const std::vector<double>& values)
{
    auto array = std::make_shared<TQkPDFArrayObject>();
    for (double value : values)
        array->Items.push_back(std::make_shared<TQkPDFNumericObject>(value));
    return array;
}

} // namespace

TEST(PDFObjects, ObjectsWriteTheirSyntaxWithEscapes)
{
    const struct {
        std::shared_ptr<TQkPDFObject> object;
        std::string syntax;
    } cases[] = {
        {std::make_shared<TQkPDFStringObject>("a(b)c\\"), "(a\\(b\\)c\\\\)"},
        {std::make_shared<TQkPDFStringObject>("\b\t\n\f\r\x01"), "(\\b\\t\\n\\f\\r\x01)"},
        {std::make_shared<TQkPDFNameObject>("A B"), "/A#20B"},
        {std::make_shared<TQkPDFNameObject>("\xC8"), "/#C8"},
        {std::make_shared<TQkPDFNameObject>("50#/x(y)<z>[]{}%"), "/50#23#2Fx#28y#29#3Cz#3E#5B#5D#7B#7D#25"},
        {std::make_shared<TQkPDFRefObject>(5, 0), "5 0 R"},
        {std::make_shared<TQkPDFBooleanObject>(false), "false"},
        {Numbers({0, 612, -3.5, 0.333333333, 1e-9, 1e12, 2.000001}), "[0 612 -3.5 0.33333 0 1000000000000 2 ]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.syntax);
        EXPECT_EQ(Written(*c.object), c.syntax);
    }

    TQkPDFDictionaryObject page;
    page.Set("Type", std::make_shared<TQkPDFNameObject>("Page"));
    EXPECT_EQ(Written(page), "<< /Type /Page\n>>");

    TQkPDFStreamObject stream(std::vector<uint8_t>(10, 'x'));
    stream.Dictionary.Set("Filter", std::make_shared<TQkPDFNameObject>("FlateDecode"));
    EXPECT_EQ(Written(stream), "<< /Length 10\n/Filter /FlateDecode\n>>\nstream\nxxxxxxxxxx\nendstream");
}

TEST(PDFObjects, TheCrossReferenceTableHasALineOfTwentyBytesPerObject)
{
    TQkPDFDocument list;
    auto catalog = CreatePDFCatalog(list);
    for (int i = 0; i < 4; ++i)
        AddPDFObject(list, std::make_shared<TQkPDFNumericObject>(i));
    list[1]->Offset = 123;
    TStringStream stream;
    WritePDFTrailer(stream, list, *list[1]);
    const std::string text = stream.DataString();
    EXPECT_EQ(text.substr(0, 9), "xref\n0 6\n");
    EXPECT_EQ(text.substr(9, 20), "0000000000 65535 f \n");
    EXPECT_EQ(text.substr(49, 20), "0000000123 00000 n \n");
    EXPECT_NE(text.find("trailer\n<< /Size 6\n/Root 1 0 R\n/Info 2 0 R\n>>\nstartxref\n0\n%%EOF\n"), std::string::npos);
    EXPECT_EQ(catalog->ObjectNumber, 1);
}

// A page showing an RGB image at one pixel per point: qpdf finds the file
// sound, pdfinfo its page, and Ghostscript at 72 dpi gives back the pixels.
TEST(PDFObjects, AOnePageImageDocumentIsReadByThePdfTools)
{
    TestFolder folder;
    TQkBitmap image(7, 5, qk24RGB);
    FillPattern(image);
    std::vector<uint8_t> rgb;
    for (int32_t y = 0; y < image.GetHeight(); ++y)
        for (int32_t x = 0; x < image.GetWidth(); ++x) {
            const uint8_t* pixel = image.GetScanline(y) + 3 * x;
            rgb.insert(rgb.end(), {pixel[2], pixel[1], pixel[0]});
        }

    TQkPDFDocument list;
    CreatePDFCatalog(list);
    auto info = std::make_shared<TQkPDFDictionaryObject>();
    info->Set("Title", std::make_shared<TQkPDFStringObject>("Test (image)"));
    AddPDFObject(list, info);
    auto xobject = std::make_shared<TQkPDFStreamObject>(rgb);
    for (const auto& [key, value] : std::vector<std::pair<std::string, TQkPDFObjectPtr>>{
             {"Type", std::make_shared<TQkPDFNameObject>("XObject")},
             {"Subtype", std::make_shared<TQkPDFNameObject>("Image")},
             {"Width", std::make_shared<TQkPDFNumericObject>(7)},
             {"Height", std::make_shared<TQkPDFNumericObject>(5)},
             {"ColorSpace", std::make_shared<TQkPDFNameObject>("DeviceRGB")},
             {"BitsPerComponent", std::make_shared<TQkPDFNumericObject>(8)}})
        xobject->Dictionary.Set(key, value);
    AddPDFObject(list, xobject);
    const std::string drawing = "q 7 0 0 5 0 0 cm /Im#201 Do Q";
    auto contents = std::make_shared<TQkPDFStreamObject>(std::vector<uint8_t>(drawing.begin(), drawing.end()));
    AddPDFObject(list, contents);
    auto images = std::make_shared<TQkPDFDictionaryObject>();
    images->Set("Im 1", std::make_shared<TQkPDFRefObject>(xobject->ObjectNumber, 0));
    auto resources = std::make_shared<TQkPDFDictionaryObject>();
    resources->Set("XObject", images);
    AddPDFObject(list, resources);
    std::vector<std::shared_ptr<TQkPDFDictionaryObject>> pages;
    CreatePDFPage(list, pages, resources.get(), contents->ObjectNumber, Numbers({0, 0, 7, 5}));
    CreatePDFPages(list, pages);

    TStringStream stream;
    WritePDFHeader(stream);
    WritePDFObjects(stream, list);
    WritePDFTrailer(stream, list, *info);
    const std::string file = folder.File("image.pdf");
    std::ofstream(file, std::ios::binary) << stream.DataString();

    EXPECT_NE(CommandOutput("qpdf --check " + file).find("No syntax or stream encoding errors"), std::string::npos);
    const std::string pdfinfo = CommandOutput("pdfinfo " + file);
    EXPECT_NE(pdfinfo.find("Pages:           1\n"), std::string::npos) << pdfinfo;
    EXPECT_NE(pdfinfo.find("Page size:       7 x 5 pts"), std::string::npos) << pdfinfo;
    EXPECT_NE(pdfinfo.find("Title:           Test (image)"), std::string::npos) << pdfinfo;
    const std::string rendered = folder.File("rendered.ppm");
    CommandOutput("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=ppmraw -r72 -sOutputFile=" + rendered + " " + file);
    // Ghostscript's comment line goes before the PPM is read.
    std::ifstream in(rendered, std::ios::binary);
    std::string ppm{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (const size_t comment = ppm.find("\n#"); comment != std::string::npos)
        ppm.erase(comment + 1, ppm.find('\n', comment + 1) - comment);
    std::ofstream(rendered, std::ios::binary) << ppm;
    TQkBitmap back;
    ASSERT_TRUE(ReadPpm(rendered, back));
    EXPECT_EQ(RowBytes(back), RowBytes(image));
}
