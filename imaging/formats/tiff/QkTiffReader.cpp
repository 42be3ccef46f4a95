#include <cmath>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkExifOrientation.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/tiff/QkTiff.h"
#include "imaging/formats/tiff/TiffDirectory.h"
#include "imaging/formats/tiff/TiffExif.h"
#include "imaging/formats/tiff/TiffOldJpeg.h"
#include "imaging/formats/tiff/TiffPage.h"
#include "imaging/formats/tiff/TiffPixels.h"
#include "imaging/formats/tiff/TiffRowConvert.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint16_t DocumentNameTag = 269;
constexpr uint16_t ImageDescriptionTag = 270;
constexpr uint16_t PageNameTag = 285;
constexpr uint16_t PageNumberTag = 297;
constexpr uint16_t SubIfdsTag = 330;
constexpr uint16_t XmpTag = 700;
constexpr uint16_t ImagingAnnotTag = 32932;
constexpr uint16_t IptcTag = 33723;
constexpr uint16_t IccProfileTag = 34675;
constexpr double CentimetresPerInch = 2.54;

uint8_t CompressionParam(const TTiffPage& page)
{
    switch (page.Compression) {
    case tcNone: return 0;
    case tcModifiedHuffman: return 1;
    case tcFaxT4: return page.T4Options & 1 ? 3 : 2;
    case tcFaxT6: return 4;
    case tcLzw: return 5;
    case tcOldJpeg: return 6;
    case tcJpeg: return 7;
    case tcAdobeDeflate: return 10;
    case tcPackBits: return 8;
    case tcDeflate: return 9;
    default: return 11;
    }
}

void ReportResolution(const TTiffPage& page, TIOParamsVals& params)
{
    const double factor = page.ResolutionUnit == 3 ? CentimetresPerInch : 1;
    const auto dpi = [factor](double resolution, int32_t fallback) {
        const double value = std::round(resolution * factor);
        return value >= 1 && value <= INT32_MAX ? int32_t(value) : fallback;
    };
    // The EXIF resolutions set the DPI too, so they go first.
    params.SetExifXResolution(page.XResolution * factor);
    params.SetExifYResolution(page.YResolution * factor);
    params.SetDpiX(dpi(page.XResolution, DefaultDpiX));
    params.SetDpiY(dpi(page.YResolution, DefaultDpiY));
    params.TiffXPos = int32_t(std::clamp(page.XPosition * factor, double(INT32_MIN), double(INT32_MAX)));
    params.TiffYPos = int32_t(std::clamp(page.YPosition * factor, double(INT32_MIN), double(INT32_MAX)));
}

void ReportLayout(const TTiffPage& page, TIOParamsVals& params)
{
    params.BitsPerSample = page.Bits;
    params.SamplesPerPixel = page.Samples;
    params.Width = params.StoredWidth = int32_t(std::clamp<int64_t>(page.Width, 0, INT32_MAX));
    params.Height = params.StoredHeight = int32_t(std::clamp<int64_t>(page.Length, 0, INT32_MAX));
    params.TiffByteOrder = page.Intel;
    params.SetTiffOrientation(page.Orientation);
    params.TiffCompression = CompressionParam(page);
    if (page.Photometric <= tpYCbCr)
        params.TiffPhotometric = uint8_t(page.Photometric);
    else if (page.Photometric == tpCieLab)
        params.TiffPhotometric = 7;
    params.TiffPlanarConfig = int32_t(page.Planar);
    params.TiffFillOrder = page.FillOrder;
    params.FreeColorMap();
    params.ColorMap = page.ColorMap;
    params.ColorMapCount = int32_t(page.ColorMap.size());
}

void ReportBlocks(const TTiffDirectory& directory, TIOParamsVals& params)
{
    const std::vector<uint8_t> iptc = directory.Bytes(IptcTag);
    params.IptcInfo.Clear();
    if (!iptc.empty())
        params.IptcInfo.LoadFromBuffer(iptc.data(), int64_t(iptc.size()));
    const TTiffEntry* xmp = directory.Find(XmpTag);
    if (xmp && (xmp->Type == 1 || xmp->Type == 7)) {
        const std::vector<uint8_t> bytes = directory.Bytes(XmpTag);
        params.XmpInfo.assign(bytes.begin(), bytes.end());
    }
    const std::vector<uint8_t> annot = directory.Bytes(ImagingAnnotTag);
    if (!annot.empty())
        params.GetImagingAnnot().LoadFromBuffer(annot.data(), int64_t(annot.size()));
    const std::vector<uint8_t> icc = directory.Bytes(IccProfileTag);
    if (!icc.empty() && icc.size() <= INT32_MAX)
        params.GetInputICCProfile().LoadFromBuffer(icc.data(), int32_t(icc.size()));
}

void ReportParams(const TTiffDirectory& directory, const TTiffPage& page, TIOParamsVals& params)
{
    ReportLayout(page, params);
    ReportResolution(page, params);
    params.TiffDocumentName = directory.Text(DocumentNameTag);
    params.TiffImageDescription = directory.Text(ImageDescriptionTag);
    params.TiffPageName = directory.Text(PageNameTag);
    params.TiffPageNumber = int32_t(directory.Integer(PageNumberTag, 0, 0));
    params.TiffPageCount = int32_t(directory.Integer(PageNumberTag, 0, 1));
    params.ExifHasExifData = directory.Has(ExifIfdTag);
    ReportBlocks(directory, params);
    ReadExifFields(directory, params);
}

// The directory of the page asked for: the chain's page, or one of its
// SubIFDs.
bool FindPage(TTiffDirectory& directory, uint32_t firstOffset, TQkReadRequest& request)
{
    int32_t count = 0;
    const bool found = ReadTiffIfd(request.Params.TiffImageIndex, firstOffset, directory, count);
    request.ImageCount = count;
    request.Params.SetImageCount(count);
    if (!found)
        return false;
    if (request.Params.TiffSubIndex < 0)
        return true;
    const int64_t subOffset = directory.Integer(SubIfdsTag, 0, uint32_t(request.Params.TiffSubIndex));
    return subOffset <= 0 || directory.Load(uint32_t(subOffset));
}

bool Decodable(const TTiffPage& page)
{
    return page.Width > 0 && page.Length > 0 && WithinDecodeLimit(page.Width, page.Length) &&
        (page.Compression == tcOldJpeg || TiffLayoutSupported(page));
}

void DecodePage(const TTiffDirectory& directory, const TTiffPage& page, TQkReadRequest& request,
                TQkFilterProgress& progress)
{
    TIOParamsVals& params = request.Params;
    const TTiffLzwDecoder lzw = params.TiffLzwDecompress ? params.TiffLzwDecompress : TiffLzwDecoderHook;
    const bool jpeg = page.Compression == tcJpeg || page.Compression == tcOldJpeg;
    const TQkPixelFormat format =
        jpeg && page.Bits != 1 ? qk24RGB : TiffDestinationFormat(page, params.NativePixelFormat);
    if ((page.Compression == tcLzw && !lzw) || !Decodable(page) ||
        !request.Bitmap.Allocate(int32_t(page.Width), int32_t(page.Length), format)) {
        SetAborting(progress);
        return;
    }
    if (format == qk8p)
        request.Bitmap.AssignPalette(page.ColorMap);
    if (page.Compression == tcOldJpeg) {
        DecodeOldStyleJpeg(directory, page, request.Bitmap, progress);
    } else {
        const bool alpha = !request.IgnoreAlpha && TiffAlphaSample(page) >= 0 && page.Compression != tcJpeg;
        TTiffDecodeTarget target{
            request.Bitmap,      alpha ? request.Bitmap.GetAlphaChannel() : nullptr, params, progress, lzw,
            params.TiffTileIndex};
        DecodeTiffPixels(directory, page, target);
    }
    if (params.TiffAutoOrient && !IsAborting(progress)) {
        ApplyEXIFOrientation(request.Bitmap, page.Orientation);
        params.SetTiffOrientation(1);
    }
}

} // namespace

void ReadTiffImage(TQkReadRequest& request)
{
    TStream& stream = request.Stream;
    std::atomic<bool> localAborting = false;
    TQkFilterProgress progress = request.Progress;
    if (!progress.Aborting)
        progress.Aborting = &localAborting;
    const int64_t base = request.AbsoluteOffsets ? 0 : stream.Position();
    bool intel = true;
    uint32_t firstOffset = 0;
    request.ImageCount = 0;
    if (!ReadTiffHeader(stream, intel, firstOffset) || firstOffset == 0) {
        SetAborting(progress);
        return;
    }
    TTiffDirectory directory(stream, base, intel);
    if (!FindPage(directory, firstOffset, request)) {
        SetAborting(progress);
        return;
    }
    const TTiffPage page = ReadTiffPage(directory, request.Params.TiffTileIndex);
    if (!page.UniformBits) {
        SetAborting(progress);
        return;
    }
    ReportParams(directory, page, request.Params);
    if (page.Width <= 0 || page.Length <= 0) {
        SetAborting(progress);
        return;
    }
    if (!request.ParamsOnly)
        DecodePage(directory, page, request, progress);
}
