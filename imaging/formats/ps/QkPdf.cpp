#include "imaging/formats/ps/QkPdf.h"

#include <atomic>
#include <cstdio>
#include <variant>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkEncoders.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkMath.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/ps/QkPageImage.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"

namespace {

constexpr int PdfRunLength = 1;
constexpr int PdfFaxG4 = 2;
constexpr int PdfFaxG3 = 3;
constexpr int PdfJpeg = 4;
constexpr int PdfLzw = 5;

TQkPDFObjectPtr Name(const std::string& value) { return std::make_shared<TQkPDFNameObject>(value); }

TQkPDFObjectPtr Number(double value) { return std::make_shared<TQkPDFNumericObject>(value); }

TQkPDFObjectPtr Reference(const TQkPDFObject& object)
{
    return std::make_shared<TQkPDFRefObject>(object.ObjectNumber, 0);
}

std::shared_ptr<TQkPDFArrayObject> Array(std::vector<TQkPDFObjectPtr> items)
{
    auto array = std::make_shared<TQkPDFArrayObject>();
    array->Items = std::move(items);
    return array;
}

std::vector<uint8_t> LzwCodedRows(TQkBitmap& bitmap, const TTiffLzwEncoder& encode, TQkFilterProgress& progress)
{
    std::atomic<bool> localAborting = false;
    std::atomic<bool>& aborting = AbortingFlag(progress, localAborting);
    TQkRowProgress rows(progress, bitmap.GetHeight());
    TMemoryStream lzw;
    TTiffLzwEncodeStatePtr state;
    std::vector<uint8_t> buffer;
    for (int32_t y = 0; y < bitmap.GetHeight() && !aborting; ++y) {
        encode(PageRow(bitmap, y, buffer), PageRowBytes(bitmap), lzw, state, aborting);
        rows.Report(y);
    }
    encode(nullptr, 0, lzw, state, aborting);
    return MemoryStreamBytes(lzw);
}

std::shared_ptr<TQkPDFDictionaryObject> FaxDecodeParms(bool g4, int32_t width, int32_t height)
{
    auto parms = std::make_shared<TQkPDFDictionaryObject>();
    for (const TFaxDecodeParameter& parameter : FaxDecodeParameters(g4, width, height)) {
        if (const bool* flag = std::get_if<bool>(&parameter.Value))
            parms->Set(parameter.Key, std::make_shared<TQkPDFBooleanObject>(*flag));
        else
            parms->Set(parameter.Key, Number(std::get<int32_t>(parameter.Value)));
    }
    return parms;
}

// 1-bit images take JPEG as G3, and any coding without data here (LZW
// without an encoder, values past LZW) as none.
int OneBitCompression(TIOParamsVals& params)
{
    if (params.PdfCompression == PdfJpeg)
        params.PdfCompression = PdfFaxG3;
    if (params.PdfCompression == PdfLzw && !params.TiffLzwCompress)
        return 0;
    return params.PdfCompression <= PdfLzw ? params.PdfCompression : 0;
}

void FillOneBitImage(TQkPDFStreamObject& image, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress)
{
    TQkPDFDictionaryObject& dictionary = image.Dictionary;
    switch (const int compression = OneBitCompression(params)) {
    case PdfRunLength: {
        const std::vector<uint8_t> rows = PageRows(bitmap, progress);
        EncodeRunLength(rows.data(), int64_t(rows.size()), image.Data);
        dictionary.Set("Filter", Array({Name("RunLengthDecode")}));
        break;
    }
    case PdfFaxG4:
    case PdfFaxG3:
        image.Data = FaxCodedRows(bitmap, compression == PdfFaxG4, progress);
        dictionary.Set("Filter", Name("CCITTFaxDecode"));
        dictionary.Set("DecodeParms", FaxDecodeParms(compression == PdfFaxG4, bitmap.GetWidth(), bitmap.GetHeight()));
        break;
    case PdfLzw:
        image.Data = LzwCodedRows(bitmap, params.TiffLzwCompress, progress);
        dictionary.Set("Filter", Name("LZWDecode"));
        break;
    default: image.Data = PageRows(bitmap, progress);
    }
    dictionary.Set("ColorSpace", Name("DeviceGray"));
    dictionary.Set("BitsPerComponent", Number(1));
}

void FillRgbImage(TQkPDFStreamObject& image, TQkBitmap& bitmap, const TIOParamsVals& params,
                  TQkFilterProgress& progress)
{
    TQkPDFDictionaryObject& dictionary = image.Dictionary;
    bool gray = false;
    if (params.PdfCompression == PdfJpeg) {
        // Readers take three-component DCT data for YCbCr; a gray JPEG
        // keeps its single component.
        gray = params.JpegColorSpace == JpegGrayscale;
        image.Data = JpegCodedImage(bitmap, params, gray ? JpegGrayscale : JpegYCbCr, progress);
        dictionary.Set("Filter", Name("DCTDecode"));
    } else if (params.PdfCompression == PdfLzw && params.TiffLzwCompress) {
        image.Data = LzwCodedRows(bitmap, params.TiffLzwCompress, progress);
        dictionary.Set("Filter", Name("LZWDecode"));
    } else {
        image.Data = PageRows(bitmap, progress);
    }
    dictionary.Set("ColorSpace", Name(gray ? "DeviceGray" : "DeviceRGB"));
    dictionary.Set("BitsPerComponent", Number(8));
}

std::shared_ptr<TQkPDFStreamObject> ImageObject(TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress)
{
    auto image = std::make_shared<TQkPDFStreamObject>();
    image->Dictionary.Set("Type", Name("XObject"));
    image->Dictionary.Set("Subtype", Name("Image"));
    if (IsOneBitPage(bitmap))
        FillOneBitImage(*image, bitmap, params, progress);
    else
        FillRgbImage(*image, bitmap, params, progress);
    image->Dictionary.Set("Width", Number(bitmap.GetWidth()));
    image->Dictionary.Set("Height", Number(bitmap.GetHeight()));
    return image;
}

// Draws image `lm<index>` into the largest top-left box of the page that
// keeps its aspect ratio.
std::shared_ptr<TQkPDFStreamObject> ContentStream(TQkBitmap& bitmap, const TIOParamsVals& params, size_t index)
{
    int32_t fitWidth = 1;
    int32_t fitHeight = 1;
    FitSizeInBox(bitmap.GetWidth(), bitmap.GetHeight(), params.PdfPaperWidth, params.PdfPaperHeight, fitWidth,
                 fitHeight);
    const std::string text = "q\n" + std::to_string(fitWidth) + " 0 0 " + std::to_string(fitHeight) + " 0 " +
        std::to_string(params.PdfPaperHeight - fitHeight) + " cm\n/lm" + std::to_string(index) + " Do\nQ";
    return std::make_shared<TQkPDFStreamObject>(std::vector<uint8_t>(text.begin(), text.end()));
}

void AddText(TQkPDFDictionaryObject& info, const char* key, const std::string& text)
{
    if (!text.empty())
        info.Set(key, std::make_shared<TQkPDFStringObject>(PdfTextString(text)));
}

std::shared_ptr<TQkPDFDictionaryObject> InfoDictionary(const TIOParamsVals& params)
{
    auto info = std::make_shared<TQkPDFDictionaryObject>();
    AddText(*info, "Title", params.PdfTitle);
    AddText(*info, "Author", params.PdfAuthor);
    AddText(*info, "Subject", params.PdfSubject);
    AddText(*info, "Keywords", params.PdfKeywords);
    AddText(*info, "Creator", params.PdfCreator);
    AddText(*info, "Producer", params.PdfProducer);
    info->Set("CreationDate", std::make_shared<TQkPDFStringObject>(PdfCreationDate(GetLocalTime())));
    return info;
}

void AppendUtf16(std::string& text, char16_t unit)
{
    text += char(unit >> 8);
    text += char(unit & 0xFF);
}

} // namespace

std::string PdfCreationDate(const TSystemTime& time)
{
    char text[64];
    std::snprintf(text, sizeof text, "D:%04u%02u%02u%02u%02u%02u", unsigned(time.Year), unsigned(time.Month),
                  unsigned(time.Day), unsigned(time.Hour), unsigned(time.Minute), unsigned(time.Second));
    return text;
}

std::string PdfTextString(const std::string& text)
{
    bool ascii = true;
    for (const char c : text)
        ascii = ascii && static_cast<unsigned char>(c) < 128;
    if (ascii)
        return text;
    std::string utf16 = "\xFE\xFF";
    for (size_t position = 0; position < text.size();) {
        const char32_t code = Utf8Next(text, position);
        if (code < 0x10000) {
            AppendUtf16(utf16, char16_t(code));
            continue;
        }
        AppendUtf16(utf16, char16_t(0xD800 + ((code - 0x10000) >> 10)));
        AppendUtf16(utf16, char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
    }
    return utf16;
}

std::unique_ptr<TPdfDocument> PDFNewDocument()
{
    auto document = std::make_unique<TPdfDocument>();
    document->Catalog = CreatePDFCatalog(document->Objects);
    document->Resources = std::make_shared<TQkPDFDictionaryObject>();
    document->Resources->Set("ProcSet", Array({Name("PDF"), Name("ImageB")}));
    document->XObjects = std::make_shared<TQkPDFDictionaryObject>();
    document->Resources->Set("XObject", document->XObjects);
    AddPDFObject(document->Objects, document->Resources);
    return document;
}

void PDFAddImagePage(TPdfDocument& document, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress)
{
    if (RefuseEmptyPage(bitmap, progress))
        return;
    TQkBitmap copy;
    TQkBitmap& page = PageBitmap(bitmap, copy);
    SetPageSampleLayout(page, params);
    const std::shared_ptr<TQkPDFStreamObject> image = ImageObject(page, params, progress);
    AddPDFObject(document.Objects, image);
    document.Images.push_back(image);
    const size_t index = document.Images.size();
    const std::shared_ptr<TQkPDFStreamObject> contents = ContentStream(page, params, index);
    AddPDFObject(document.Objects, contents);
    document.XObjects->Set("lm" + std::to_string(index), Reference(*image));
    CreatePDFPage(document.Objects, document.Pages, document.Resources.get(), contents->ObjectNumber,
                  Array({Number(0), Number(0), Number(params.PdfPaperWidth), Number(params.PdfPaperHeight)}));
}

void PDFEndDocument(std::unique_ptr<TPdfDocument>& document, TStream& stream, const TIOParamsVals& params)
{
    if (!document)
        return;
    CreatePDFPages(document->Objects, document->Pages);
    const std::shared_ptr<TQkPDFDictionaryObject> info = InfoDictionary(params);
    AddPDFObject(document->Objects, info);
    // Cross-reference offsets count from the file's first byte, wherever
    // the caller's stream stands.
    TMemoryStream file;
    WritePDFHeader(file);
    WritePDFObjects(file, document->Objects);
    WritePDFTrailer(file, document->Objects, *info);
    stream.WriteBuffer(file.Memory(), file.Size());
    document.reset();
}

void WritePdf(TStream& stream, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress)
{
    if (RefuseEmptyPage(bitmap, progress))
        return;
    std::unique_ptr<TPdfDocument> document = PDFNewDocument();
    PDFAddImagePage(*document, bitmap, params, progress);
    PDFEndDocument(document, stream, params);
}

void WritePdfImage(TQkWriteRequest& request)
{
    WritePdf(request.Stream, request.Bitmap, request.Params, request.Progress);
}
