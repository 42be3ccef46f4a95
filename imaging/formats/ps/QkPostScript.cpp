#include "imaging/formats/ps/QkPostScript.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <variant>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkEncoders.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkMath.h"
#include "imaging/core/QkStreamRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/ps/QkPageImage.h"
#include "platform/core/Streams.h"

namespace {

constexpr int PsJpeg = 3;
constexpr int PsFaxG4 = 1;
constexpr int PsFaxG3 = 2;
// "%%Pages: " and a count of six characters.
constexpr int PagesLineLength = 15;

std::string PaddedCount(int32_t count)
{
    std::string text = std::to_string(count);
    if (text.size() < 6)
        text.append(6 - text.size(), ' ');
    return text;
}

// DSC comments are 7-bit text lines: anything else could end the line or
// start a comment of its own.
std::string CleanTitle(const std::string& title)
{
    std::string clean = title;
    for (char& c : clean)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
            c = '?';
    return clean;
}

int32_t ReadPageCount(TStream& stream, int64_t position)
{
    char line[PagesLineLength] = {};
    stream.SetPosition(position);
    stream.Read(line, PagesLineLength);
    const char* first = line + 9;
    const char* last = line + PagesLineLength;
    while (first < last && *first == ' ')
        ++first;
    while (last > first && last[-1] == ' ')
        --last;
    int32_t count = 0;
    const auto [end, error] = std::from_chars(first, last, count);
    if (error != std::errc() || end != last || first == last)
        return 1;
    return count;
}

// Run-length for 1-bit images unless a fax coding is asked for.
int OneBitCompression(const TIOParamsVals& params)
{
    return params.PsCompression == PsFaxG4 || params.PsCompression == PsFaxG3 ? params.PsCompression : 0;
}

std::string FaxFilterLine(int compression, int32_t width, int32_t height)
{
    std::string line = "currentfile /ASCII85Decode filter <<";
    for (const TFaxDecodeParameter& parameter : FaxDecodeParameters(compression == PsFaxG4, width, height)) {
        line += std::string(" /") + parameter.Key + " ";
        if (const bool* flag = std::get_if<bool>(&parameter.Value))
            line += *flag ? "true" : "false";
        else
            line += std::to_string(std::get<int32_t>(parameter.Value));
    }
    return line + " >> /CCITTFaxDecode filter";
}

void AppendASCII85(const uint8_t* bytes, int64_t count, std::string& data)
{
    int64_t characters = 0;
    EncodeASCII85(bytes, count, data, characters);
}

std::string ASCII85Text(const std::vector<uint8_t>& bytes)
{
    std::string data;
    AppendASCII85(bytes.data(), int64_t(bytes.size()), data);
    return data;
}

std::string EncodeRgbRows(TQkBitmap& bitmap, TQkFilterProgress& progress)
{
    const int32_t width = bitmap.GetWidth();
    TQkRowProgress rows(progress, bitmap.GetHeight());
    std::vector<uint8_t> channel(width);
    std::vector<uint8_t> packed;
    std::string data;
    for (int32_t y = 0; y < bitmap.GetHeight() && !IsAborting(progress); ++y) {
        const uint8_t* line = bitmap.GetScanline(y);
        for (int offset : {2, 1, 0}) {
            for (int32_t x = 0; x < width; ++x)
                channel[x] = line[3 * x + offset];
            packed.clear();
            EncodeRunLength(channel.data(), width, packed);
            AppendASCII85(packed.data(), int64_t(packed.size()), data);
        }
        rows.Report(y);
    }
    return data;
}

std::string EncodeOneBitRunLength(TQkBitmap& bitmap, TQkFilterProgress& progress)
{
    const std::vector<uint8_t> pixels = PageRows(bitmap, progress);
    std::vector<uint8_t> packed;
    EncodeRunLength(pixels.data(), int64_t(pixels.size()), packed);
    return ASCII85Text(packed);
}

std::string EncodeImageData(TQkBitmap& bitmap, const TIOParamsVals& params, TQkFilterProgress& progress)
{
    // The page's operators expect three JPEG components whatever the
    // caller's colour space asks for.
    if (!IsOneBitPage(bitmap))
        return params.PsCompression == PsJpeg ? ASCII85Text(JpegCodedImage(bitmap, params, JpegYCbCr, progress))
                                              : EncodeRgbRows(bitmap, progress);
    const int compression = OneBitCompression(params);
    return compression == 0 ? EncodeOneBitRunLength(bitmap, progress)
                            : ASCII85Text(FaxCodedRows(bitmap, compression == PsFaxG4, progress));
}

void WriteRgbOperators(TStream& stream, const TIOParamsVals& params, int32_t width)
{
    if (params.PsCompression == PsJpeg) {
        WriteLineToStream(stream, "currentfile /ASCII85Decode filter << >> /DCTDecode filter");
        WriteLineToStream(stream, "false 3");
        return;
    }
    for (const char* name : {"rstr", "gstr", "bstr"})
        WriteLineToStream(stream, std::string("/") + name + " " + std::to_string(width) + " string def");
    for (const char* name : {"rstr", "gstr", "bstr"})
        WriteLineToStream(stream,
                          std::string("{currentfile /ASCII85Decode filter /RunLengthDecode filter ") + name +
                              " readstring pop}");
    WriteLineToStream(stream, "true 3");
}

void WriteOneBitOperators(TStream& stream, const TIOParamsVals& params, int32_t width, int32_t height)
{
    const int compression = OneBitCompression(params);
    WriteLineToStream(stream,
                      compression == 0 ? "currentfile /ASCII85Decode filter /RunLengthDecode filter"
                                       : FaxFilterLine(compression, width, height));
}

void WritePage(TStream& stream, TQkBitmap& bitmap, TQkFilterProgress& progress, TIOParamsVals& params, int32_t page)
{
    const int32_t width = bitmap.GetWidth();
    const int32_t height = bitmap.GetHeight();
    int32_t fitWidth = 1;
    int32_t fitHeight = 1;
    FitSizeInBox(width, height, params.PsPaperWidth, params.PsPaperHeight, fitWidth, fitHeight);
    const std::string number = std::to_string(page);
    WriteLineToStream(stream, "%%Page: " + number + " " + number);
    WriteLineToStream(stream, "0 " + std::to_string(params.PsPaperHeight) + " translate");
    WriteLineToStream(stream, std::to_string(fitWidth) + " -" + std::to_string(fitHeight) + " scale");
    SetPageSampleLayout(bitmap, params);
    WriteLineToStream(
        stream, std::to_string(width) + " " + std::to_string(height) + " " + std::to_string(params.BitsPerSample));
    WriteLineToStream(stream, "[ " + std::to_string(width) + " 0 0 " + std::to_string(height) + " 0 0 ]");
    const std::string data = EncodeImageData(bitmap, params, progress);
    if (IsOneBitPage(bitmap))
        WriteOneBitOperators(stream, params, width, height);
    else
        WriteRgbOperators(stream, params, width);
    // Readers skip the data by this count, so it is every byte up to
    // %%EndData, line breaks and end codes included.
    WriteLineToStream(stream, "%%BeginData:      " + std::to_string(data.size()) + " ASCII Bytes");
    WriteLineToStream(stream, IsOneBitPage(bitmap) ? "image" : "colorimage");
    stream.WriteBuffer(data.data(), int64_t(data.size()));
    WriteLineToStream(stream, "%%EndData");
    WriteLineToStream(stream, "showpage");
}

} // namespace

std::string PsCreationDate(const TSystemTime& time)
{
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::chrono::year_month_day date{std::chrono::year(time.Year), std::chrono::month(time.Month),
                                           std::chrono::day(time.Day)};
    const unsigned weekday = std::chrono::weekday(std::chrono::sys_days(date)).c_encoding();
    char text[40];
    std::snprintf(text, sizeof text, "%s %s %02u %02u:%02u:%02u %04u", days[weekday],
                  months[std::clamp<int>(time.Month, 1, 12) - 1], unsigned(time.Day), unsigned(time.Hour),
                  unsigned(time.Minute), unsigned(time.Second), unsigned(time.Year));
    return text;
}

std::unique_ptr<TPsDocument> PSBeginDocument(TStream& stream, const TIOParamsVals& params)
{
    auto document = std::make_unique<TPsDocument>();
    WriteLineToStream(stream, "%!PS-Adobe-3.0");
    WriteLineToStream(stream, "%%Creator: Brelvix");
    WriteLineToStream(stream, "%%Title: " + CleanTitle(params.PsTitle));
    WriteLineToStream(stream, "%%CreationDate: " + PsCreationDate(GetLocalTime()));
    WriteLineToStream(stream, "%%DocumentData: Clean7Bit");
    WriteLineToStream(stream, "%%LanguageLevel: 2");
    document->PagesPosition = stream.Position();
    WriteLineToStream(stream, "%%Pages: " + PaddedCount(0));
    WriteLineToStream(stream,
                      "%%BoundingBox: 0 0 " + std::to_string(params.PsPaperWidth - 1) + " " +
                          std::to_string(params.PsPaperHeight - 1));
    WriteLineToStream(stream, "%%EndComments");
    document->NextPosition = stream.Position();
    return document;
}

void PSAddPage(TPsDocument& document, TStream& stream, TQkBitmap& bitmap, TQkFilterProgress& progress,
               TIOParamsVals& params)
{
    if (RefuseEmptyPage(bitmap, progress))
        return;
    TQkBitmap copy;
    TQkBitmap& page = PageBitmap(bitmap, copy);
    const int32_t count = ReadPageCount(stream, document.PagesPosition) + 1;
    stream.SetPosition(document.PagesPosition);
    const std::string pages = "%%Pages: " + PaddedCount(count);
    stream.WriteBuffer(pages.data(), int64_t(pages.size()));
    stream.SetPosition(document.NextPosition);
    WritePage(stream, page, progress, params, count);
    document.NextPosition = stream.Position();
}

void PSEndDocument(std::unique_ptr<TPsDocument>& document, TStream& stream)
{
    if (!document)
        return;
    stream.SetPosition(document->NextPosition);
    WriteLineToStream(stream, "%%Trailer");
    WriteLineToStream(stream, "%%EOF");
    document.reset();
}

void WritePostScript(TStream& stream, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress)
{
    if (RefuseEmptyPage(bitmap, progress))
        return;
    std::unique_ptr<TPsDocument> document = PSBeginDocument(stream, params);
    PSAddPage(*document, stream, bitmap, progress, params);
    PSEndDocument(document, stream);
}

void WritePostScriptImage(TQkWriteRequest& request)
{
    WritePostScript(request.Stream, request.Bitmap, request.Params, request.Progress);
}
