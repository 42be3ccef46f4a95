#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkExifOrientation.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkICC.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/jpeg/QkJpegLibrary.h"
#include "platform/core/Streams.h"

namespace {

constexpr int MarkerApp0 = JPEG_APP0;
constexpr int MarkerApp1 = JPEG_APP0 + 1;
constexpr int MarkerApp2 = JPEG_APP0 + 2;
constexpr int MarkerApp13 = JPEG_APP0 + 13;
constexpr unsigned MaxSavedMarker = 0xFFFF;
// Rows asked of the library per call.
constexpr int RowsPerCall = 16;

// How decoded rows reach the bitmap.
enum class TRowPath { Copy, ProfileBgr, CmykToBgr, None };

class TJpegReader {
public:
    TJpegReader(TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress,
                const TQkJpegReadOptions& options)
        : FBitmap(bitmap), FParams(params), FProgress(progress), FOptions(options),
          FSource(std::make_unique<TJpegSource>())
    {
        InitJpegErrors(FErrors, progress.Aborting);
        FInfo.err = &FErrors.Pub;
    }
    ~TJpegReader() { jpeg_destroy_decompress(&FInfo); }
    TJpegReader(const TJpegReader&) = delete;
    TJpegReader& operator=(const TJpegReader&) = delete;

    int32_t Read(TStream& source);

private:
    bool Failed() const { return IsAborting(FProgress); }
    bool Guarded(void (*step)(jpeg_decompress_struct&));
    bool ReadHeaders(TStream& source);
    void ChooseOutput();
    void TakeResolution();
    void ChooseScale();
    bool AllocateBitmap();
    void ReadRows();
    void StoreRow(uint8_t* decoded, int32_t row);
    void CollectMarkers();
    void DropProfileMarkers();
    void Finish();
    void TakeWarnings();
    void LoadMetadata();
    void TakeExifResolution();

    TQkBitmap& FBitmap;
    TIOParamsVals& FParams;
    TQkFilterProgress& FProgress;
    const TQkJpegReadOptions& FOptions;
    TJpegErrorManager FErrors;
    jpeg_decompress_struct FInfo{};
    std::unique_ptr<TJpegSource> FSource;
    bool FProfileActive = false;
    TRowPath FRowPath = TRowPath::None;
    TQkPixelFormat FPixelFormat = qk24RGB;
    int32_t FRowsWanted = 0;
    int32_t FRowsRead = 0;
    bool FStarted = false;
};

bool TJpegReader::Guarded(void (*step)(jpeg_decompress_struct&))
{
    jpeg_decompress_struct& info = FInfo;
    return JpegGuarded(FErrors, [&info, step] { step(info); });
}

void CreateDecompressor(jpeg_decompress_struct& info) { jpeg_create_decompress(&info); }

void ReadTablesOnly(jpeg_decompress_struct& info) { jpeg_read_header(&info, FALSE); }

void ReadImageHeader(jpeg_decompress_struct& info)
{
    jpeg_save_markers(&info, JPEG_COM, MaxSavedMarker);
    for (int marker = JPEG_APP0; marker <= JPEG_APP0 + 15; ++marker)
        jpeg_save_markers(&info, marker, MaxSavedMarker);
    jpeg_read_header(&info, TRUE);
}

void StartDecompressor(jpeg_decompress_struct& info) { jpeg_start_decompress(&info); }

void FinishDecompressor(jpeg_decompress_struct& info) { jpeg_finish_decompress(&info); }

bool TJpegReader::ReadHeaders(TStream& source)
{
    if (!Guarded(CreateDecompressor) || Failed())
        return false;
    if (FOptions.Tables && FOptions.Tables != &source) {
        SetJpegSource(FInfo, *FSource, *FOptions.Tables, FProgress.Aborting);
        if (!Guarded(ReadTablesOnly))
            return false;
    }
    SetJpegSource(FInfo, *FSource, source, FProgress.Aborting);
    return !Failed() && Guarded(ReadImageHeader) && !Failed();
}

// The output colour space, and the fields that describe the file's.
void TJpegReader::ChooseOutput()
{
    FParams.ImageCount = 1;
    FParams.BitsPerSample = 8;
    switch (FInfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        FParams.JpegColorSpace = 1;
        FParams.SamplesPerPixel = 1;
        FInfo.out_color_space = FOptions.Native ? JCS_GRAYSCALE : JCS_EXT_BGR;
        FPixelFormat = FOptions.Native ? qk8g : qk24RGB;
        FRowPath = TRowPath::Copy;
        break;
    case JCS_RGB:
    case JCS_YCbCr:
        FParams.JpegColorSpace = FInfo.jpeg_color_space == JCS_RGB ? 0 : 2;
        FParams.SamplesPerPixel = 3;
        FInfo.out_color_space = JCS_EXT_BGR;
        FRowPath = FProfileActive ? TRowPath::ProfileBgr : TRowPath::Copy;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        FParams.JpegColorSpace = FInfo.jpeg_color_space == JCS_CMYK ? 3 : 4;
        FParams.SamplesPerPixel = 4;
        FInfo.out_color_space = JCS_CMYK;
        FPixelFormat = FOptions.Native ? qkCMYK : qk24RGB;
        FRowPath = FOptions.Native ? TRowPath::Copy : TRowPath::CmykToBgr;
        break;
    default: FRowPath = TRowPath::None; return;
    }
    if (FOptions.RawYCbCr) {
        FInfo.out_color_space = JCS_YCbCr;
        FPixelFormat = qk24RGB;
        FRowPath = TRowPath::Copy;
    }
}

void TJpegReader::TakeResolution()
{
    switch (FInfo.density_unit) {
    case 0:
    case 1:
        FParams.SetDpiX(FInfo.X_density);
        FParams.SetDpiY(FInfo.Y_density);
        break;
    case 2:
        FParams.SetDpiX(int32_t(std::trunc(FInfo.X_density * 2.54)));
        FParams.SetDpiY(int32_t(std::trunc(FInfo.Y_density * 2.54)));
        break;
    default: break;
    }
}

// The largest reduction whose result still covers the wanted size.
unsigned AutomaticScale(const jpeg_decompress_struct& info, int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return 1;
    for (unsigned denominator = 8; denominator > 1; denominator /= 2)
        if (int64_t(info.image_width / denominator) >= width && int64_t(info.image_height / denominator) >= height)
            return denominator;
    return 1;
}

void TJpegReader::ChooseScale()
{
    static const unsigned Denominators[] = {0, 1, 2, 4, 8};
    FInfo.scale_num = 1;
    if (FParams.JpegScale == 0)
        FInfo.scale_denom = AutomaticScale(FInfo, FParams.Width, FParams.Height);
    else if (FParams.JpegScale <= 4)
        FInfo.scale_denom = Denominators[FParams.JpegScale];
    FParams.JpegScaleUsed = int32_t(FInfo.scale_denom);
}

bool TJpegReader::AllocateBitmap()
{
    FParams.Width = int32_t(FInfo.output_width);
    FParams.Height = int32_t(FInfo.output_height);
    if (!FBitmap.Allocate(FParams.Width, FParams.Height, FPixelFormat))
        return false;
    FRowsWanted = FOptions.RowsToRead < 0 ? FParams.Height : std::min(FOptions.RowsToRead, FParams.Height);
    return true;
}

void TJpegReader::StoreRow(uint8_t* decoded, int32_t row)
{
    uint8_t* target = FBitmap.GetScanline(row);
    const int32_t width = FParams.Width;
    switch (FRowPath) {
    case TRowPath::Copy: std::memcpy(target, decoded, size_t(width) * FInfo.output_components); break;
    case TRowPath::ProfileBgr: ConvertColorRow(decoded, ckBGR, target, &FParams, width, ckBGR); break;
    case TRowPath::CmykToBgr:
        if (FOptions.InvertCmyk)
            for (size_t i = 0; i < size_t(width) * 4; ++i)
                decoded[i] = uint8_t(255 - decoded[i]);
        ConvertColorRow(decoded, ckCMYK, target, &FParams, width, ckBGR);
        break;
    case TRowPath::None: break;
    }
}

struct TRowBlock {
    jpeg_decompress_struct* Info;
    JSAMPROW* Rows;
    JDIMENSION Count;
    JDIMENSION Read = 0;
};

void ReadRowBlock(TRowBlock& block) { block.Read = jpeg_read_scanlines(block.Info, block.Rows, block.Count); }

void TJpegReader::ReadRows()
{
    const size_t rowBytes = size_t(FInfo.output_width) * size_t(FInfo.output_components);
    std::vector<uint8_t> buffer(rowBytes * RowsPerCall);
    std::array<JSAMPROW, RowsPerCall> rows{};
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = buffer.data() + i * rowBytes;
    TQkRowProgress progress(FProgress, FParams.Height);
    while (FInfo.output_scanline < FInfo.output_height && FRowsRead < FRowsWanted && !Failed()) {
        TRowBlock block{&FInfo, rows.data(), JDIMENSION(std::min(RowsPerCall, FRowsWanted - FRowsRead))};
        if (!JpegGuarded(FErrors, [&block] { ReadRowBlock(block); }))
            break;
        for (JDIMENSION i = 0; i < block.Read; ++i)
            StoreRow(rows[i], FRowsRead + int32_t(i));
        FRowsRead += int32_t(block.Read);
        progress.Report(FRowsRead);
    }
    if (FRowsRead < FRowsWanted)
        SetAborting(FProgress);
}

void TJpegReader::CollectMarkers()
{
    FParams.JpegMarkerList.Clear();
    bool firstApp0 = true;
    for (jpeg_saved_marker_ptr marker = FInfo.marker_list; marker; marker = marker->next) {
        if (marker->marker == MarkerApp0 && firstApp0) {
            firstApp0 = false;
            continue;
        }
        FParams.JpegMarkerList.AddMarker(uint8_t(marker->marker), marker->data, uint16_t(marker->data_length));
    }
}

void TJpegReader::DropProfileMarkers()
{
    if (!FOptions.DropProfile || !FProfileActive || !FParams.InputICCProfile->HasTransform())
        return;
    FParams.InputICCProfile->FreeTransform();
    TQkMarkerList& markers = FParams.JpegMarkerList;
    for (int32_t i = markers.GetCount() - 1; i >= 0; --i)
        if (markers.GetMarkerType(i) == MarkerApp2)
            markers.DeleteMarker(i);
}

// Errors while finishing are of no interest: the image is complete, and
// damage after it must not lose it. A read stopped early is abandoned.
void TJpegReader::Finish()
{
    if (!FStarted || Failed())
        return;
    if (FInfo.output_scanline < FInfo.output_height) {
        jpeg_abort_decompress(&FInfo);
        return;
    }
    FErrors.Aborting = nullptr;
    Guarded(FinishDecompressor);
}

void TJpegReader::TakeWarnings()
{
    if (FErrors.Pub.num_warnings <= 0)
        return;
    FParams.JpegWarningCount = int32_t(FErrors.Pub.num_warnings);
    FParams.JpegLastWarningCode = FErrors.Pub.msg_code;
}

// A file without a JFIF resolution (aspect ratio 1:1) takes the EXIF one.
void TJpegReader::TakeExifResolution()
{
    if (FParams.DpiX == 1 && FParams.DpiY == 1) {
        const double factor = FParams.ExifResolutionUnit == 3 ? 2.54 : 1;
        FParams.SetDpiX(int32_t(std::trunc(FParams.ExifXResolution * factor)));
        FParams.SetDpiY(int32_t(std::trunc(FParams.ExifYResolution * factor)));
    } else {
        FParams.SetDpiX(FParams.DpiX);
        FParams.SetDpiY(FParams.DpiY);
    }
    if (FParams.JpegAutoOrient && !FBitmap.IsEmpty()) {
        ApplyEXIFOrientation(FBitmap, FParams.ExifOrientation);
        FParams.SetExifOrientation(1);
    }
}

void TJpegReader::LoadMetadata()
{
    const TQkMarkerList& markers = FParams.JpegMarkerList;
    bool iptc = false, exif = false, xmp = false;
    for (int32_t i = 0; i < markers.GetCount(); ++i) {
        const uint8_t type = markers.GetMarkerType(i);
        const uint8_t* data = markers.GetMarkerData(i);
        const int64_t length = markers.GetMarkerLength(i);
        if (type == MarkerApp13 && !iptc)
            iptc = FParams.IptcInfo.LoadFromBuffer(data, length);
        if (type == MarkerApp1 && !exif && LoadExifFromBuffer(data, length, FParams)) {
            exif = true;
            TakeExifResolution();
        }
        if (type == MarkerApp1 && !xmp)
            xmp = LoadXMPFromSegment(data, length, FParams);
    }
}

int32_t TJpegReader::Read(TStream& source)
{
    FProfileActive = ColorManagementEnabled && FParams.InputICCProfile && FParams.InputICCProfile->IsValid();
    if (ReadHeaders(source)) {
        ChooseOutput();
        SetJpegDctMethod(FInfo.dct_method, FParams.JpegDCTMethod);
        TakeResolution();
        FParams.FreeColorMap();
        FParams.JpegProgressive = jpeg_has_multiple_scans(&FInfo);
        FParams.StoredWidth = int32_t(FInfo.image_width);
        FParams.StoredHeight = int32_t(FInfo.image_height);
        ChooseScale();
        if (FOptions.ParamsOnly) {
            FParams.Width = FParams.StoredWidth;
            FParams.Height = FParams.StoredHeight;
        } else if (FRowPath == TRowPath::None || !WithinDecodeLimit(FInfo.image_width, FInfo.image_height)) {
            SetAborting(FProgress);
        } else if (Guarded(StartDecompressor) && !Failed()) {
            FStarted = true;
            if (AllocateBitmap())
                ReadRows();
            else
                SetAborting(FProgress);
        }
    }
    CollectMarkers();
    DropProfileMarkers();
    if (!FOptions.ParamsOnly)
        Finish();
    TakeWarnings();
    if (FOptions.Metadata)
        LoadMetadata();
    return FRowsRead;
}

// The EXIF thumbnail in place of the image, when asked for and present.
bool ReadExifThumbnail(TStream& source, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress,
                       const TQkJpegReadOptions& options)
{
    if (params.ExifThumbnail)
        params.ExifThumbnail->FreeImage(true);
    params.SetReadThumbnail(false);
    const int32_t width = params.Width;
    const int32_t height = params.Height;
    TQkJpegReadOptions header = options;
    header.ParamsOnly = true;
    header.Metadata = true;
    header.ReadIcc = false;
    header.RowsToRead = -1;
    header.Native = params.NativePixelFormat;
    const int64_t start = source.Position();
    ReadJpegImage(source, bitmap, params, progress, header);
    source.SetPosition(start);
    params.SetReadThumbnail(true);
    if (params.ExifThumbnail && !params.ExifThumbnail->IsEmpty()) {
        bitmap.Assign(params.ExifThumbnail.get());
        return true;
    }
    params.Width = width;
    params.Height = height;
    params.StoredWidth = width;
    params.StoredHeight = height;
    return false;
}

} // namespace

int32_t ReadJpegImage(TStream& source, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress,
                      const TQkJpegReadOptions& options)
{
    try {
        if (params.JpegReadExifThumbnail && ReadExifThumbnail(source, bitmap, params, progress, options))
            return 0;
        params.JpegWarningCount = 0;
        params.JpegLastWarningCode = 0;
        const int64_t start = FindJpegSoi(source, true);
        if (start < 0) {
            SetAborting(progress);
            return 0;
        }
        source.SetPosition(start);
        if (options.ReadIcc)
            ReadJpegIccProfile(source, params);
        TJpegReader reader(bitmap, params, progress, options);
        return reader.Read(source);
    } catch (const std::exception&) {
        SetAborting(progress);
        return 0;
    }
}

void ReadJpegFile(TQkReadRequest& request)
{
    TQkJpegReadOptions options;
    options.ParamsOnly = request.ParamsOnly;
    options.Native = request.Params.NativePixelFormat;
    ReadJpegImage(request.Stream, request.Bitmap, request.Params, request.Progress, options);
    request.ImageCount = 1;
}
