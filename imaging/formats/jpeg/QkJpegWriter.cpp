#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/jpeg/QkJpegLibrary.h"

namespace {

constexpr uint8_t MarkerApp14 = JPEG_APP0 + 14;
// A segment's length field counts itself.
constexpr int32_t MaxMarkerData = 65533;
constexpr int RowsPerCall = 16;
// The library's code for a marker length it cannot write.
constexpr int BogusMarkerLength = 11;

J_COLOR_SPACE JpegColorSpace(uint8_t setting)
{
    switch (setting) {
    case 1: return JCS_GRAYSCALE;
    case 2: return JCS_YCbCr;
    case 3: return JCS_CMYK;
    case 4: return JCS_YCCK;
    default: return JCS_RGB;
    }
}

bool MarkersFit(const TQkMarkerList& markers)
{
    for (int32_t i = 0; i < markers.GetCount(); ++i)
        if (markers.GetMarkerLength(i) > MaxMarkerData)
            return false;
    return true;
}

class TJpegWriter {
public:
    TJpegWriter(TQkBitmap& source, TIOParamsVals& params, TQkFilterProgress& progress)
        : FSource(source), FParams(params), FProgress(progress), FDestination(std::make_unique<TJpegDestination>()),
          FColorSpace(JpegColorSpace(params.JpegColorSpace)), FInks(FColorSpace == JCS_CMYK || FColorSpace == JCS_YCCK)
    {
        InitJpegErrors(FErrors, progress.Aborting);
        FInfo.err = &FErrors.Pub;
    }
    ~TJpegWriter() { jpeg_destroy_compress(&FInfo); }
    TJpegWriter(const TJpegWriter&) = delete;
    TJpegWriter& operator=(const TJpegWriter&) = delete;

    void Write(TStream& stream);

private:
    // Runs one library step; a library error raises.
    void Step(void (*step)(jpeg_compress_struct&));
    void Configure();
    void SetSampling();
    void WriteMarkers();
    void WriteRows();
    bool Failed() const { return IsAborting(FProgress); }

    TQkBitmap& FSource;
    TIOParamsVals& FParams;
    TQkFilterProgress& FProgress;
    TJpegErrorManager FErrors;
    jpeg_compress_struct FInfo{};
    std::unique_ptr<TJpegDestination> FDestination;
    J_COLOR_SPACE FColorSpace;
    bool FInks;
};

void TJpegWriter::Step(void (*step)(jpeg_compress_struct&))
{
    jpeg_compress_struct& info = FInfo;
    if (!JpegGuarded(FErrors, [&info, step] { step(info); }))
        throw EQkJpegException(JpegErrorText(FErrors));
}

void TJpegWriter::SetSampling()
{
    static const int Horizontal[] = {2, 2, 1};
    static const int Vertical[] = {1, 2, 1};
    const uint8_t sampling = FParams.JpegChromaSubsampling;
    if (FColorSpace != JCS_YCbCr || sampling > 2)
        return;
    FInfo.comp_info[0].h_samp_factor = Horizontal[sampling];
    FInfo.comp_info[0].v_samp_factor = Vertical[sampling];
    for (int i = 1; i < 3; ++i)
        FInfo.comp_info[i].h_samp_factor = FInfo.comp_info[i].v_samp_factor = 1;
}

void TJpegWriter::Configure()
{
    FInfo.image_width = JDIMENSION(FSource.GetWidth());
    FInfo.image_height = JDIMENSION(FSource.GetHeight());
    FInfo.input_components = FInks ? 4 : 3;
    FInfo.in_color_space = FInks ? JCS_CMYK : JCS_EXT_BGR;
    Step([](jpeg_compress_struct& compressor) { jpeg_set_defaults(&compressor); });
    jpeg_compress_struct& info = FInfo;
    const J_COLOR_SPACE space = FColorSpace;
    if (!JpegGuarded(FErrors, [&info, space] { jpeg_set_colorspace(&info, space); }))
        throw EQkJpegException(JpegErrorText(FErrors));
    FInfo.density_unit = 1;
    FInfo.X_density = uint16_t(FParams.DpiX != 0 ? FParams.DpiX : DefaultDpiX);
    FInfo.Y_density = uint16_t(FParams.DpiY != 0 ? FParams.DpiY : DefaultDpiY);
    SetJpegDctMethod(FInfo.dct_method, FParams.JpegDCTMethod);
    FInfo.optimize_coding = FParams.JpegOptimalHuffman;
    FInfo.smoothing_factor = std::clamp(FParams.JpegSmooth, 0, 100);
    const int quality = FParams.JpegQuality;
    if (!JpegGuarded(FErrors, [&info, quality] { jpeg_set_quality(&info, quality, TRUE); }))
        throw EQkJpegException(JpegErrorText(FErrors));
    SetSampling();
    // Adobe CMYK files carry no JFIF header unless asked for; readers look
    // for its resolution.
    if (FColorSpace == JCS_CMYK)
        FInfo.write_JFIF_header = TRUE;
    if (FParams.JpegProgressive)
        Step([](jpeg_compress_struct& compressor) { jpeg_simple_progression(&compressor); });
}

// The library writes its own APP14 for CMYK and YCCK.
void TJpegWriter::WriteMarkers()
{
    const TQkMarkerList& markers = FParams.JpegMarkerList;
    for (int32_t i = 0; i < markers.GetCount(); ++i) {
        const uint8_t type = markers.GetMarkerType(i);
        if (type == MarkerApp14)
            continue;
        jpeg_compress_struct& info = FInfo;
        const JOCTET* data = markers.GetMarkerData(i);
        const auto length = unsigned(markers.GetMarkerLength(i));
        if (!JpegGuarded(FErrors, [&info, type, data, length] { jpeg_write_marker(&info, type, data, length); }))
            throw EQkJpegException(JpegErrorText(FErrors));
    }
}

void TJpegWriter::WriteRows()
{
    const int32_t width = FSource.GetWidth();
    const int32_t height = FSource.GetHeight();
    const size_t rowBytes = size_t(width) * size_t(FInfo.input_components);
    std::vector<uint8_t> buffer(rowBytes * RowsPerCall);
    std::array<JSAMPROW, RowsPerCall> rows{};
    TQkRowProgress progress(FProgress, height);
    while (int32_t(FInfo.next_scanline) < height && !Failed()) {
        const int32_t first = int32_t(FInfo.next_scanline);
        const int32_t count = std::min(RowsPerCall, height - first);
        for (int32_t i = 0; i < count; ++i) {
            rows[size_t(i)] = buffer.data() + size_t(i) * rowBytes;
            uint8_t* pixels = FSource.GetScanline(first + i);
            if (FInks)
                ConvertColorRow(pixels, ckBGR, rows[size_t(i)], &FParams, width, ckCMYK);
            else
                std::copy(pixels, pixels + rowBytes, rows[size_t(i)]);
        }
        jpeg_compress_struct& info = FInfo;
        JSAMPROW* rowPointers = rows.data();
        if (!JpegGuarded(FErrors,
                         [&info, rowPointers, count] { jpeg_write_scanlines(&info, rowPointers, JDIMENSION(count)); }))
            throw EQkJpegException(JpegErrorText(FErrors));
        progress.Report(int32_t(FInfo.next_scanline));
    }
}

void TJpegWriter::Write(TStream& stream)
{
    Step([](jpeg_compress_struct& compressor) { jpeg_create_compress(&compressor); });
    SetJpegDestination(FInfo, *FDestination, stream, FProgress.Aborting);
    Configure();
    Step([](jpeg_compress_struct& compressor) { jpeg_start_compress(&compressor, TRUE); });
    WriteMarkers();
    WriteRows();
    if (!Failed())
        Step([](jpeg_compress_struct& compressor) { jpeg_finish_compress(&compressor); });
}

} // namespace

void WriteJpegImage(TStream& destination, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress)
{
    TQkBitmap converted;
    TQkBitmap* source = &bitmap;
    if (bitmap.GetPixelFormat() != qk24RGB) {
        converted.Assign(&bitmap);
        converted.SetPixelFormat(qk24RGB);
        source = &converted;
    }
    if (source->IsEmpty()) {
        SetAborting(progress);
        return;
    }
    params.JpegMarkerList.Sort();
    // The library would fail on such a marker after the header is out.
    if (!MarkersFit(params.JpegMarkerList)) {
        SetAborting(progress);
        throw EQkJpegException(JpegMessageText(BogusMarkerLength));
    }
    TJpegWriter writer(*source, params, progress);
    writer.Write(destination);
}

// The front end's save steps have already rebuilt the EXIF, IPTC and
// profile markers into the marker list when this runs.
void WriteJpegFile(TQkWriteRequest& request)
{
    WriteJpegImage(request.Stream, request.Bitmap, request.Params, request.Progress);
}
