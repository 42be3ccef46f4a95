// Converts one image through the imaging library's input/output component,
// for comparison with ImageMagick, libvips and the libtiff tools:
//   image_convert <input> <output> [--params] [--index N]
//   image_convert <input> --params [--index N]
// The input is loaded as a user's load does it (by content, by extension when
// the content is not recognised), frame or page N when given, and saved in the
// format the output's extension names (.ppm colour, .pgm gray, .pbm bits). --params prints, as name=value lines,
// what a parameters-only read of the input gives: the general fields, then
// every format field whose value differs from its default. Anything wrong
// gives one line on stderr and status 1 (2 for a wrong command line); an
// output the failed save left behind is removed. Compare with e.g.
//   image_convert photo.bmp out.ppm && compare -metric AE photo.bmp out.ppm null:
//   image_convert scan.tif --params   beside   tiffinfo scan.tif

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStartup.h"
#include "imaging/core/QkTextRoutines.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "platform/core/Strings.h"

namespace {

// A failure of the harness's inputs or of the library, reported as one line.
class EHarnessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TCommandLine {
    std::string Input;
    std::string Output;
    bool PrintParams = false;
    std::optional<int32_t> Index;
};

std::optional<TCommandLine> ParseCommandLine(int argc, char** argv)
{
    TCommandLine line;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--params")
            line.PrintParams = true;
        else if (argument == "--index" && i + 1 < argc) {
            int32_t index = -1;
            if (!TryStrToInt(argv[++i], index) || index < 0)
                return std::nullopt;
            line.Index = index;
        } else if (argument.starts_with("--"))
            return std::nullopt;
        else
            names.push_back(argument);
    }
    if (names.empty() || names.size() > 2 || (names.size() == 1 && !line.PrintParams))
        return std::nullopt;
    line.Input = names[0];
    if (names.size() == 2)
        line.Output = names[1];
    return line;
}

std::string FieldText(int32_t value) { return IntToStr(value); }
std::string FieldText(uint8_t value) { return IntToStr(value); }
std::string FieldText(bool value) { return value ? "true" : "false"; }
std::string FieldText(const std::string& value) { return value; }
std::string FieldText(const TRGBPixel& pixel)
{
    return IntToStr(pixel.r) + "," + IntToStr(pixel.g) + "," + IntToStr(pixel.b);
}
std::string FieldText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}
std::string ListText(const TStrings& list)
{
    std::string text;
    for (int32_t i = 0; i < list.Count(); ++i)
        text += (i > 0 ? "|" : "") + list[i];
    return text;
}

struct TParamField {
    const char* Name;
    std::function<std::string(const TIOParamsVals&)> Text;
};

template <typename Owner, typename T>
TParamField Field(const char* name, T Owner::*member)
{
    return {name, [member](const TIOParamsVals& params) { return FieldText(params.*member); }};
}

// Always printed: what identify's first lines and tiffinfo's header show.
const std::vector<TParamField>& GeneralFields()
{
    static const std::vector<TParamField> fields{
        Field("Width", &TIOParamsVals::Width),
        Field("Height", &TIOParamsVals::Height),
        Field("BitsPerSample", &TIOParamsVals::BitsPerSample),
        Field("SamplesPerPixel", &TIOParamsVals::SamplesPerPixel),
        Field("FileType", &TIOParamsVals::FileType),
        Field("DpiX", &TIOParamsVals::DpiX),
        Field("DpiY", &TIOParamsVals::DpiY),
        Field("ImageIndex", &TIOParamsVals::ImageIndex),
        Field("ImageCount", &TIOParamsVals::ImageCount),
    };
    return fields;
}

// Printed when a read set them to something other than their default.
const std::vector<TParamField>& FormatFields()
{
    static const std::vector<TParamField> fields{
        // TIFF.
        Field("TiffCompression", &TIOParamsVals::TiffCompression),
        Field("TiffPhotometric", &TIOParamsVals::TiffPhotometric),
        Field("TiffPlanarConfig", &TIOParamsVals::TiffPlanarConfig),
        Field("TiffXPos", &TIOParamsVals::TiffXPos),
        Field("TiffYPos", &TIOParamsVals::TiffYPos),
        Field("TiffDocumentName", &TIOParamsVals::TiffDocumentName),
        Field("TiffImageDescription", &TIOParamsVals::TiffImageDescription),
        Field("TiffPageName", &TIOParamsVals::TiffPageName),
        Field("TiffPageNumber", &TIOParamsVals::TiffPageNumber),
        Field("TiffPageCount", &TIOParamsVals::TiffPageCount),
        Field("TiffOrientation", &TIOParamsVals::TiffOrientation),
        Field("TiffImageCount", &TIOParamsVals::TiffImageCount),
        Field("TiffFillOrder", &TIOParamsVals::TiffFillOrder),
        Field("TiffByteOrder", &TIOParamsVals::TiffByteOrder),
        Field("TiffJpegQuality", &TIOParamsVals::TiffJpegQuality),
        Field("TiffZipCompression", &TIOParamsVals::TiffZipCompression),
        // GIF.
        Field("GifVersion", &TIOParamsVals::GifVersion),
        Field("GifXPos", &TIOParamsVals::GifXPos),
        Field("GifYPos", &TIOParamsVals::GifYPos),
        Field("GifDelayTime", &TIOParamsVals::GifDelayTime),
        Field("GifTransparent", &TIOParamsVals::GifTransparent),
        Field("GifTranspColor", &TIOParamsVals::GifTranspColor),
        Field("GifInterlaced", &TIOParamsVals::GifInterlaced),
        Field("GifScreenWidth", &TIOParamsVals::GifScreenWidth),
        Field("GifScreenHeight", &TIOParamsVals::GifScreenHeight),
        Field("GifBackground", &TIOParamsVals::GifBackground),
        Field("GifPixelAspect", &TIOParamsVals::GifPixelAspect),
        Field("GifDisposal", &TIOParamsVals::GifDisposal),
        Field("GifImageCount", &TIOParamsVals::GifImageCount),
        TParamField{"GifComments", [](const TIOParamsVals& p) { return ListText(p.GifComments); }},
        // JPEG and JPEG 2000.
        Field("JpegColorSpace", &TIOParamsVals::JpegColorSpace),
        Field("JpegQuality", &TIOParamsVals::JpegQuality),
        Field("JpegProgressive", &TIOParamsVals::JpegProgressive),
        Field("JpegScaleUsed", &TIOParamsVals::JpegScaleUsed),
        Field("JpegWarningCount", &TIOParamsVals::JpegWarningCount),
        Field("JpegLastWarningCode", &TIOParamsVals::JpegLastWarningCode),
        Field("J2000ColorSpace", &TIOParamsVals::J2000ColorSpace),
        // PCX, BMP, icons, cursors and PNG.
        Field("PcxVersion", &TIOParamsVals::PcxVersion),
        Field("PcxCompression", &TIOParamsVals::PcxCompression),
        Field("BmpVersion", &TIOParamsVals::BmpVersion),
        Field("BmpCompression", &TIOParamsVals::BmpCompression),
        Field("BmpAlpha", &TIOParamsVals::BmpAlpha),
        Field("CurXHotSpot", &TIOParamsVals::CurXHotSpot),
        Field("CurYHotSpot", &TIOParamsVals::CurYHotSpot),
        Field("PngInterlaced", &TIOParamsVals::PngInterlaced),
        Field("PngBackground", &TIOParamsVals::PngBackground),
        Field("PngFilter", &TIOParamsVals::PngFilter),
        TParamField{"PngTextKeys", [](const TIOParamsVals& p) { return ListText(p.PngTextKeys); }},
        TParamField{"PngTextValues", [](const TIOParamsVals& p) { return ListText(p.PngTextValues); }},
        TParamField{"PxmComments", [](const TIOParamsVals& p) { return ListText(p.PxmComments); }},
        // Targa.
        Field("TgaXPos", &TIOParamsVals::TgaXPos),
        Field("TgaYPos", &TIOParamsVals::TgaYPos),
        Field("TgaCompressed", &TIOParamsVals::TgaCompressed),
        Field("TgaImageId", &TIOParamsVals::TgaImageId),
        Field("TgaAuthor", &TIOParamsVals::TgaAuthor),
        Field("TgaJobName", &TIOParamsVals::TgaJobName),
        Field("TgaBackground", &TIOParamsVals::TgaBackground),
        Field("TgaAspectRatio", &TIOParamsVals::TgaAspectRatio),
        Field("TgaGamma", &TIOParamsVals::TgaGamma),
        // Video frames, camera raw, PSD.
        Field("AviFrameCount", &TIOParamsVals::AviFrameCount),
        Field("AviFrameDelayTime", &TIOParamsVals::AviFrameDelayTime),
        Field("RawCamera", &TIOParamsVals::RawCamera),
        // EXIF and GPS.
        Field("ExifHasExifData", &TIOParamsVals::ExifHasExifData),
        Field("ExifOrientation", &TIOParamsVals::ExifOrientation),
        Field("ExifImageDescription", &TIOParamsVals::ExifImageDescription),
        Field("ExifMake", &TIOParamsVals::ExifMake),
        Field("ExifModel", &TIOParamsVals::ExifModel),
        Field("ExifXResolution", &TIOParamsVals::ExifXResolution),
        Field("ExifYResolution", &TIOParamsVals::ExifYResolution),
        Field("ExifResolutionUnit", &TIOParamsVals::ExifResolutionUnit),
        Field("ExifSoftware", &TIOParamsVals::ExifSoftware),
        Field("ExifArtist", &TIOParamsVals::ExifArtist),
        Field("ExifDateTime", &TIOParamsVals::ExifDateTime),
        Field("ExifDateTimeOriginal", &TIOParamsVals::ExifDateTimeOriginal),
        Field("ExifExposureTime", &TIOParamsVals::ExifExposureTime),
        Field("ExifFNumber", &TIOParamsVals::ExifFNumber),
        Field("ExifFocalLength", &TIOParamsVals::ExifFocalLength),
        Field("ExifFlash", &TIOParamsVals::ExifFlash),
        Field("ExifColorSpace", &TIOParamsVals::ExifColorSpace),
        Field("ExifPixelXDimension", &TIOParamsVals::ExifPixelXDimension),
        Field("ExifPixelYDimension", &TIOParamsVals::ExifPixelYDimension),
        Field("ExifGPSLatitudeRef", &TIOParamsVals::ExifGPSLatitudeRef),
        Field("ExifGPSLatitudeDegrees", &TIOParamsVals::ExifGPSLatitudeDegrees),
        Field("ExifGPSLatitudeMinutes", &TIOParamsVals::ExifGPSLatitudeMinutes),
        Field("ExifGPSLatitudeSeconds", &TIOParamsVals::ExifGPSLatitudeSeconds),
        Field("ExifGPSLongitudeRef", &TIOParamsVals::ExifGPSLongitudeRef),
        Field("ExifGPSLongitudeDegrees", &TIOParamsVals::ExifGPSLongitudeDegrees),
        Field("ExifGPSLongitudeMinutes", &TIOParamsVals::ExifGPSLongitudeMinutes),
        Field("ExifGPSLongitudeSeconds", &TIOParamsVals::ExifGPSLongitudeSeconds),
        // Other metadata, by size.
        TParamField{"XmpInfoBytes", [](const TIOParamsVals& p) { return IntToStr(int32_t(p.XmpInfo.size())); }},
        TParamField{"IptcItems", [](const TIOParamsVals& p) { return IntToStr(p.IptcInfo.GetCount()); }},
        TParamField{"DicomTags", [](const TIOParamsVals& p) { return IntToStr(p.DicomTags.Count()); }},
        Field("ColorMapCount", &TIOParamsVals::ColorMapCount),
    };
    return fields;
}

std::string FormatName(int32_t fileType)
{
    const TQkFileFormatInfo* format = FindFileFormat(fileType);
    return format != nullptr ? format->FullName : "unknown";
}

// As LoadFromFileAuto chooses: by content, else by the extension's entry.
int32_t FormatOfLoad(const std::string& fileName)
{
    if (const int32_t detected = DetectFileFormat(fileName, false); detected != 0)
        return detected;
    const TQkFileFormatInfo* format = FindFileFormatByExtension(ExtractFileExtLower(fileName, false));
    return format != nullptr ? format->FileType : 0;
}

void PrintParams(const std::string& input, std::optional<int32_t> index)
{
    TBrelvixIO io(nullptr);
    if (index)
        io.Params().SetImageIndex(*index);
    io.ParamsFromFileFormat(input, FormatOfLoad(input));
    const TIOParamsVals& params = io.Params();
    if (params.FileType == 0)
        throw EHarnessError("cannot read the parameters of " + input + ": not a format the library reads, or damaged");
    std::printf("FileTypeName=%s\n", FormatName(params.FileType).c_str());
    for (const TParamField& field : GeneralFields())
        std::printf("%s=%s\n", field.Name, field.Text(params).c_str());
    const TIOParamsVals defaults(nullptr);
    for (const TParamField& field : FormatFields()) {
        const std::string text = field.Text(params);
        if (text != field.Text(defaults))
            std::printf("%s=%s\n", field.Name, text.c_str());
    }
}

// The portable-map writer takes its variant from the parameters, which after a
// load describe the file read (a palette file reads as 8 bits, 1 sample, which
// that writer takes for gray). The output's extension names the variant here.
void ChoosePortableMapVariant(TIOParamsVals& params, const std::string& output)
{
    const std::string extension = ExtractFileExtLower(output, false);
    if (extension == "ppm") {
        params.BitsPerSample = params.BitsPerSample == 16 && params.SamplesPerPixel == 3 ? 16 : 8;
        params.SamplesPerPixel = 3;
    } else if (extension == "pgm") {
        params.BitsPerSample = 8;
        params.SamplesPerPixel = 1;
    } else if (extension == "pbm") {
        params.BitsPerSample = 1;
        params.SamplesPerPixel = 1;
    }
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(a, b, error);
}

void Convert(const std::string& input, const std::string& output, std::optional<int32_t> index)
{
    if (SameFile(input, output))
        throw EHarnessError("the output " + output + " is the input; choose another name");
    TBrelvixIO io(nullptr);
    if (index)
        io.Params().SetImageIndex(*index);
    io.LoadFromFileAuto(input);
    if (io.Aborting())
        throw EHarnessError("cannot read " + input + ": not a format the library reads, or damaged");
    ChoosePortableMapVariant(io.Params(), output);
    const bool existed = std::filesystem::exists(output);
    try {
        io.SaveToFile(output);
    } catch (...) {
        if (!existed)
            std::filesystem::remove(output);
        throw;
    }
    if (io.Aborting()) {
        if (!existed)
            std::filesystem::remove(output);
        throw EHarnessError("cannot write " + output +
                            ": the library has no writer for its extension, or the write failed");
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<TCommandLine> line = ParseCommandLine(argc, argv);
    if (!line) {
        std::fprintf(stderr,
                     "usage: image_convert <input> <output> [--params] [--index N]\n"
                     "       image_convert <input> --params [--index N]\n");
        return 2;
    }
    InstallBrelvixIOStartup();
    LibraryStaticInit();
    int status = 0;
    try {
        if (!line->Output.empty())
            Convert(line->Input, line->Output, line->Index);
        if (line->PrintParams)
            PrintParams(line->Input, line->Index);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "image_convert: %s\n", error.what());
        status = 1;
    }
    LibraryStaticFinal();
    return status;
}
