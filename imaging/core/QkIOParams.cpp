#include "imaging/core/QkIOParams.h"

#include <algorithm>

#include "imaging/core/QkBrelvixIOInterface.h"
#include "imaging/core/QkDateTime.h"
#include "imaging/core/QkExifBlocks.h"
#include "platform/gfx/Bitmap.h"

namespace {

template <typename T, size_t N>
T ReadAt(const std::array<T, N>& values, int32_t index)
{
    return index >= 0 && size_t(index) < N ? values[size_t(index)] : T{};
}

template <typename T, size_t N>
void WriteAt(std::array<T, N>& values, int32_t index, T value)
{
    if (index >= 0 && size_t(index) < N)
        values[size_t(index)] = value;
}

// Copies the source's profile or object into the destination's, created
// when missing; frees the destination's when the source has none.
template <typename T, typename Get>
void AssignOwned(const std::unique_ptr<T>& source, std::unique_ptr<T>& destination, Get get)
{
    if (source)
        get().Assign(*source);
    else
        destination.reset();
}

} // namespace

TIOParamsVals::TIOParamsVals(IBrelvixIO* owner) : owner_(owner) { SetDefaultParams(); }

void TIOParamsVals::SetDefaultParams()
{
    FreeColorMap();
    FileName.clear();
    FileType = 0;
    BitsPerSample = 8;
    SamplesPerPixel = 3;
    NativePixelFormat = false;
    if (owner_ != nullptr) {
        if (const TBitmap* bitmap = owner_->GetTBitmap()) {
            Width = bitmap->Width();
            Height = bitmap->Height();
        }
        SetDpiX(DefaultDpiX);
        SetDpiY(DefaultDpiY);
    }
    ImageIndex = 0;
    ImageCount = 0;
    ReadThumbnail = false;
    HeaderlessStream = false;
    static_cast<TGifFields&>(*this) = TGifFields{};
    SetImageIndex(0);
    GifComments.Clear();
    GifLzwDecompress = GifLzwDecoderHook;
    GifLzwCompress = GifLzwEncoderHook;

    TiffCompression = 0;
    TiffPhotometric = 2;
    TiffPlanarConfig = 1;
    TiffSubIndex = -1;
    TiffTileIndex = -1;
    TiffXPos = 0;
    TiffYPos = 0;
    TiffDocumentName.clear();
    TiffImageDescription.clear();
    TiffPageName.clear();
    TiffPageNumber = -1;
    TiffPageCount = -1;
    SetTiffOrientation(1);
    TiffLzwDecompress = TiffLzwDecoderHook;
    TiffLzwCompress = TiffLzwEncoderHook;
    TiffAutoOrient = false;
    TiffJpegQuality = 80;
    TiffJpegColorSpace = 2;
    TiffImageCount = 0;
    TiffZipCompression = 1;
    TiffFillOrder = 1;
    TiffByteOrder = true;

    static_cast<TJpegFields&>(*this) = TJpegFields{};
    JpegMarkerList.Clear();
    StoredWidth = 0;
    StoredHeight = 0;
    SetReadThumbnail(false);
    static_cast<TRasterFields&>(*this) = TRasterFields{};
    PngTextKeys.Clear();
    PngTextValues.Clear();
    DicomTags.Clear();
    static_cast<TTargaFields&>(*this) = TTargaFields{};
    TgaDate = TodayAsDateTime();
    AviFrameCount = 0;
    AviFrameDelayTime = 0;
    IptcInfo.Clear();
    PxmComments.Clear();

    ResetExif();

    static_cast<TDocumentFields&>(*this) = TDocumentFields{};
    ImagingAnnot.reset();
    InputICCProfile.reset();
    OutputICCProfile.reset();
    DefaultICCProfile.reset();
    static_cast<TRawFields&>(*this) = TRawFields{};
    XmpInfo.clear();
}

void TIOParamsVals::ResetInfo()
{
    IptcInfo.Clear();
    ImagingAnnot.reset();
    JpegMarkerList.Clear();
    ResetExif();
    GifComments.Clear();
    DicomTags.Clear();
    PngTextKeys.Clear();
    PngTextValues.Clear();
    TiffDocumentName.clear();
    TiffImageDescription.clear();
    TiffPageName.clear();
    TgaImageId.clear();
    TgaAuthor.clear();
    TgaJobName.clear();
    PxmComments.Clear();
    XmpInfo.clear();
    InputICCProfile.reset();
}

void TIOParamsVals::ResetExif()
{
    static_cast<TExifFields&>(*this) = TExifFields{};
    ExifThumbnail.reset();
    ExifMakerNote.Clear();
    DeleteFirstExifMarker();
}

void TIOParamsVals::DeleteFirstExifMarker()
{
    for (int32_t i = 0; i < JpegMarkerList.GetCount(); ++i)
        if (JpegMarkerList.GetMarkerType(i) == qkMarkerAPP1 &&
            IsExifBlock(JpegMarkerList.GetMarkerData(i), JpegMarkerList.GetMarkerLength(i))) {
            JpegMarkerList.DeleteMarker(i);
            return;
        }
}

void TIOParamsVals::Assign(const TIOParamsVals& source)
{
    if (&source == this)
        return;
    static_cast<TIOParamsFields&>(*this) = source;
    SetDpiX(source.DpiX);
    SetDpiY(source.DpiY);
    ExifXResolution = source.ExifXResolution;
    ExifYResolution = source.ExifYResolution;
    // The per-format indexes hold one value: the last in field order wins.
    SetImageIndex(source.CurImageIndex);
    SetTiffOrientation(source.TiffOrientation);
    SetReadThumbnail(source.JpegReadExifThumbnail);

    JpegMarkerList.Assign(&source.JpegMarkerList);
    GifComments.Assign(&source.GifComments);
    PngTextKeys.Assign(&source.PngTextKeys);
    PngTextValues.Assign(&source.PngTextValues);
    PxmComments.Assign(&source.PxmComments);
    IptcInfo.Assign(&source.IptcInfo);
    DicomTags.Assign(source.DicomTags);
    ExifMakerNote.Assign(source.ExifMakerNote);
    AssignOwned(source.ImagingAnnot, ImagingAnnot, [this]() -> TQkImagingAnnot& { return GetImagingAnnot(); });
    AssignOwned(source.InputICCProfile, InputICCProfile, [this]() -> TQkICC& { return GetInputICCProfile(); });
    AssignOwned(source.OutputICCProfile, OutputICCProfile, [this]() -> TQkICC& { return GetOutputICCProfile(); });
    AssignOwned(source.DefaultICCProfile, DefaultICCProfile, [this]() -> TQkICC& { return GetDefaultICCProfile(); });
    // A source without a thumbnail leaves this one's.
    if (source.ExifThumbnail) {
        if (!ExifThumbnail)
            ExifThumbnail = std::make_unique<TQkBitmap>();
        ExifThumbnail->Assign(source.ExifThumbnail.get());
    }
}

void TIOParamsVals::FreeColorMap()
{
    ColorMap.clear();
    ColorMapCount = 0;
}

void TIOParamsVals::SetDpiX(int32_t dpi)
{
    DpiX = dpi;
    ExifXResolution = dpi;
    if (owner_ != nullptr)
        owner_->SetViewDpiX(dpi);
}

void TIOParamsVals::SetDpiY(int32_t dpi)
{
    DpiY = dpi;
    ExifYResolution = dpi;
    if (owner_ != nullptr)
        owner_->SetViewDpiY(dpi);
}

void TIOParamsVals::SetExifXResolution(double resolution)
{
    SetDpiX(static_cast<int32_t>(resolution));
    ExifXResolution = resolution;
}

void TIOParamsVals::SetExifYResolution(double resolution)
{
    SetDpiY(static_cast<int32_t>(resolution));
    ExifYResolution = resolution;
}

void TIOParamsVals::SetImageIndex(int32_t index)
{
    ImageIndex = index;
    TiffImageIndex = index;
    DcxImageIndex = index;
    GifImageIndex = index;
    IcoImageIndex = index;
    CurImageIndex = index;
}

void TIOParamsVals::SetImageCount(int32_t count)
{
    ImageCount = count;
    TiffImageCount = count;
    AviFrameCount = count;
    GifImageCount = count;
}

void TIOParamsVals::SetReadThumbnail(bool read)
{
    ReadThumbnail = read;
    JpegReadExifThumbnail = read;
}

void TIOParamsVals::SetTiffOrientation(int32_t orientation)
{
    TiffOrientation = orientation;
    ExifOrientation = orientation;
}

void TIOParamsVals::SetExifOrientation(int32_t orientation) { SetTiffOrientation(orientation); }

TQkICC& TIOParamsVals::GetInputICCProfile()
{
    if (!InputICCProfile)
        InputICCProfile = std::make_unique<TQkICC>();
    return *InputICCProfile;
}

TQkICC& TIOParamsVals::GetDefaultICCProfile()
{
    if (!DefaultICCProfile)
        DefaultICCProfile = std::make_unique<TQkICC>();
    return *DefaultICCProfile;
}

TQkICC& TIOParamsVals::GetOutputICCProfile()
{
    if (!OutputICCProfile) {
        OutputICCProfile = std::make_unique<TQkICC>();
        OutputICCProfile->LoadStandardSRGB();
    }
    return *OutputICCProfile;
}

TQkImagingAnnot& TIOParamsVals::GetImagingAnnot()
{
    if (!ImagingAnnot)
        ImagingAnnot = std::make_unique<TQkImagingAnnot>();
    return *ImagingAnnot;
}

void TIOParamsVals::AddExifTag(int32_t tag)
{
    if (std::find(ExifTags.begin(), ExifTags.end(), tag) == ExifTags.end())
        ExifTags.push_back(tag);
}

void TIOParamsVals::RemoveExifTag(int32_t tag) { std::erase(ExifTags, tag); }

int32_t TIOParamsVals::GetExifISOSpeedRatings(int32_t index) const { return ReadAt(ExifISOSpeedRatings, index); }
void TIOParamsVals::SetExifISOSpeedRatings(int32_t index, int32_t value) { WriteAt(ExifISOSpeedRatings, index, value); }
double TIOParamsVals::GetExifWhitePoint(int32_t index) const { return ReadAt(ExifWhitePoint, index); }
void TIOParamsVals::SetExifWhitePoint(int32_t index, double value) { WriteAt(ExifWhitePoint, index, value); }
double TIOParamsVals::GetExifPrimaryChromaticities(int32_t index) const
{
    return ReadAt(ExifPrimaryChromaticities, index);
}
void TIOParamsVals::SetExifPrimaryChromaticities(int32_t index, double value)
{
    WriteAt(ExifPrimaryChromaticities, index, value);
}
double TIOParamsVals::GetExifYCbCrCoefficients(int32_t index) const { return ReadAt(ExifYCbCrCoefficients, index); }
void TIOParamsVals::SetExifYCbCrCoefficients(int32_t index, double value)
{
    WriteAt(ExifYCbCrCoefficients, index, value);
}
double TIOParamsVals::GetExifReferenceBlackWhite(int32_t index) const { return ReadAt(ExifReferenceBlackWhite, index); }
void TIOParamsVals::SetExifReferenceBlackWhite(int32_t index, double value)
{
    WriteAt(ExifReferenceBlackWhite, index, value);
}

template <typename T>
void TIOParamsVals::SetOptional(T& field, T value, T absent, int32_t tag)
{
    field = value;
    if (value != absent)
        AddExifTag(tag);
    else
        RemoveExifTag(tag);
}

void TIOParamsVals::SetExifExposureTime(double value) { SetOptional(ExifExposureTime, value, -1.0, 33434); }
void TIOParamsVals::SetExifFNumber(double value) { SetOptional(ExifFNumber, value, -1.0, 33437); }
void TIOParamsVals::SetExifExposureProgram(int32_t value) { SetOptional(ExifExposureProgram, value, -1, 34850); }
void TIOParamsVals::SetExifCompressedBitsPerPixel(double value)
{
    SetOptional(ExifCompressedBitsPerPixel, value, 0.0, 37122);
}
void TIOParamsVals::SetExifShutterSpeedValue(double value) { SetOptional(ExifShutterSpeedValue, value, -1.0, 37377); }
void TIOParamsVals::SetExifApertureValue(double value) { SetOptional(ExifApertureValue, value, -1.0, 37378); }
void TIOParamsVals::SetExifBrightnessValue(double value) { SetOptional(ExifBrightnessValue, value, -1000.0, 37379); }
void TIOParamsVals::SetExifExposureBiasValue(double value)
{
    SetOptional(ExifExposureBiasValue, value, -1000.0, 37380);
}
void TIOParamsVals::SetExifMaxApertureValue(double value) { SetOptional(ExifMaxApertureValue, value, -1000.0, 37381); }
void TIOParamsVals::SetExifSubjectDistance(double value) { SetOptional(ExifSubjectDistance, value, -1.0, 37382); }
void TIOParamsVals::SetExifMeteringMode(int32_t value) { SetOptional(ExifMeteringMode, value, -1, 37383); }
void TIOParamsVals::SetExifLightSource(int32_t value) { SetOptional(ExifLightSource, value, -1, 37384); }
void TIOParamsVals::SetExifFlash(int32_t value) { SetOptional(ExifFlash, value, -1, 37385); }
void TIOParamsVals::SetExifFocalLength(double value) { SetOptional(ExifFocalLength, value, -1.0, 37386); }
void TIOParamsVals::SetExifColorSpace(int32_t value) { SetOptional(ExifColorSpace, value, -1, 40961); }
void TIOParamsVals::SetExifPixelXDimension(int32_t value) { SetOptional(ExifPixelXDimension, value, 0, 40962); }
void TIOParamsVals::SetExifPixelYDimension(int32_t value) { SetOptional(ExifPixelYDimension, value, 0, 40963); }
void TIOParamsVals::SetExifFocalPlaneXResolution(double value)
{
    SetOptional(ExifFocalPlaneXResolution, value, -1.0, 41486);
}
void TIOParamsVals::SetExifFocalPlaneYResolution(double value)
{
    SetOptional(ExifFocalPlaneYResolution, value, -1.0, 41487);
}
void TIOParamsVals::SetExifFocalPlaneResolutionUnit(int32_t value)
{
    SetOptional(ExifFocalPlaneResolutionUnit, value, -1, 41488);
}
void TIOParamsVals::SetExifExposureIndex(double value) { SetOptional(ExifExposureIndex, value, -1.0, 41493); }
void TIOParamsVals::SetExifSensingMethod(int32_t value) { SetOptional(ExifSensingMethod, value, -1, 41495); }
void TIOParamsVals::SetExifFileSource(int32_t value) { SetOptional(ExifFileSource, value, -1, 41728); }
void TIOParamsVals::SetExifSceneType(int32_t value) { SetOptional(ExifSceneType, value, -1, 41729); }
