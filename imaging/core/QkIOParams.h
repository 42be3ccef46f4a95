#pragma once
// The parameters every format reader and writer shares: filled by a reader
// after a load, read by a writer before a save. The fields the imaging core
// uses; the formats add their own.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkDICOMTags.h"
#include "imaging/core/QkICC.h"
#include "imaging/core/QkIOFormatFields.h"
#include "imaging/core/QkIPTCInfoList.h"
#include "imaging/core/QkImagingAnnot.h"
#include "imaging/core/QkMarkerList.h"
#include "imaging/core/QkPixels.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkTagsHandler.h"
#include "platform/core/StringList.h"

class IBrelvixIO;

// The EXIF and GPS fields, reset together. An optional EXIF value holds its
// absent value (see the setters) when the file did not carry it.
struct TExifFields {
    // Metadata.
    std::vector<int32_t> ExifTags;
    bool ExifHasExifData = false;
    int32_t ExifOrientation = 0;

    // EXIF.
    std::string ExifImageDescription;
    std::string ExifMake;
    std::string ExifModel;
    double ExifXResolution = 0;
    double ExifYResolution = 0;
    int32_t ExifResolutionUnit = 0;
    std::string ExifSoftware;
    std::string ExifArtist;
    std::string ExifDateTime;
    std::array<double, 2> ExifWhitePoint{-1, -1};
    std::array<double, 6> ExifPrimaryChromaticities{-1, -1, -1, -1, -1, -1};
    std::array<double, 3> ExifYCbCrCoefficients{-1, -1, -1};
    int32_t ExifYCbCrPositioning = -1;
    std::array<double, 6> ExifReferenceBlackWhite{-1, -1, -1, -1, -1, -1};
    std::string ExifRightsNotice;
    double ExifExposureTime = -1;
    double ExifFNumber = -1;
    int32_t ExifExposureProgram = -1;
    std::array<int32_t, 2> ExifISOSpeedRatings{0, 0};
    std::string ExifExifVersion;
    std::string ExifDateTimeOriginal;
    std::string ExifDateTimeDigitized;
    double ExifCompressedBitsPerPixel = 0;
    double ExifShutterSpeedValue = -1;
    double ExifApertureValue = -1;
    double ExifBrightnessValue = -1000;
    double ExifExposureBiasValue = -1000;
    double ExifMaxApertureValue = -1000;
    double ExifSubjectDistance = -1;
    int32_t ExifMeteringMode = -1;
    int32_t ExifLightSource = -1;
    int32_t ExifFlash = -1;
    double ExifFocalLength = -1;
    std::string ExifSubsecTime;
    std::string ExifSubsecTimeOriginal;
    std::string ExifSubsecTimeDigitized;
    std::string ExifFlashPixVersion;
    int32_t ExifColorSpace = -1;
    int32_t ExifPixelXDimension = 0;
    int32_t ExifPixelYDimension = 0;
    std::string ExifRelatedSoundFile;
    double ExifFocalPlaneXResolution = -1;
    double ExifFocalPlaneYResolution = -1;
    int32_t ExifFocalPlaneResolutionUnit = -1;
    double ExifExposureIndex = -1;
    int32_t ExifSensingMethod = -1;
    int32_t ExifFileSource = -1;
    int32_t ExifSceneType = -1;
    std::u16string ExifUserComment;
    std::string ExifUserCommentCode;
    int32_t ExifXPRating = -1;
    std::u16string ExifXPTitle;
    std::u16string ExifXPComment;
    std::u16string ExifXPAuthor;
    std::u16string ExifXPKeywords;
    std::u16string ExifXPSubject;
    int32_t ExifExposureMode = -1;
    int32_t ExifWhiteBalance = -1;
    double ExifDigitalZoomRatio = -1;
    int32_t ExifFocalLengthIn35mmFilm = -1;
    int32_t ExifSceneCaptureType = -1;
    int32_t ExifGainControl = -1;
    int32_t ExifContrast = -1;
    int32_t ExifSaturation = -1;
    int32_t ExifSharpness = -1;
    int32_t ExifSubjectDistanceRange = -1;
    std::string ExifImageUniqueID;

    // GPS.
    std::string ExifGPSVersionID;
    std::string ExifGPSLatitudeRef;
    double ExifGPSLatitudeDegrees = 0;
    double ExifGPSLatitudeMinutes = 0;
    double ExifGPSLatitudeSeconds = 0;
    std::string ExifGPSLongitudeRef;
    double ExifGPSLongitudeDegrees = 0;
    double ExifGPSLongitudeMinutes = 0;
    double ExifGPSLongitudeSeconds = 0;
    std::string ExifGPSAltitudeRef;
    double ExifGPSAltitude = 0;
    double ExifGPSTimeStampHour = 0;
    double ExifGPSTimeStampMinute = 0;
    double ExifGPSTimeStampSecond = 0;
    std::string ExifGPSSatellites;
    std::string ExifGPSStatus;
    std::string ExifGPSMeasureMode;
    double ExifGPSDOP = 0;
    std::string ExifGPSSpeedRef;
    double ExifGPSSpeed = 0;
    std::string ExifGPSTrackRef;
    double ExifGPSTrack = 0;
    std::string ExifGPSImgDirectionRef;
    double ExifGPSImgDirection = 0;
    std::string ExifGPSMapDatum;
    std::string ExifGPSDestLatitudeRef;
    double ExifGPSDestLatitudeDegrees = 0;
    double ExifGPSDestLatitudeMinutes = 0;
    double ExifGPSDestLatitudeSeconds = 0;
    std::string ExifGPSDestLongitudeRef;
    double ExifGPSDestLongitudeDegrees = 0;
    double ExifGPSDestLongitudeMinutes = 0;
    double ExifGPSDestLongitudeSeconds = 0;
    std::string ExifGPSDestBearingRef;
    double ExifGPSDestBearing = 0;
    std::string ExifGPSDestDistanceRef;
    double ExifGPSDestDistance = 0;
    std::string ExifGPSDateStamp;
};

// The fields copied as plain values.
struct TIOParamsFields : TExifFields,
                         TGifFields,
                         TJpegFields,
                         TRasterFields,
                         TTargaFields,
                         TDocumentFields,
                         TRawFields {
    // General.
    int32_t BitsPerSample = 8;
    // UTF-8, like every file name.
    std::string FileName;
    int32_t SamplesPerPixel = 3;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t DpiX = 0;
    int32_t DpiY = 0;
    int32_t FileType = 0;
    int32_t ImageIndex = 0;
    int32_t ImageCount = 0;
    bool ReadThumbnail = false;
    bool HeaderlessStream = false;
    int32_t StoredWidth = 0;
    int32_t StoredHeight = 0;
    bool NativePixelFormat = false;

    // TIFF.
    uint8_t TiffCompression = 0;
    int32_t TiffImageIndex = 0;
    int32_t TiffSubIndex = -1;
    uint8_t TiffPhotometric = 2;
    int32_t TiffPlanarConfig = 1;
    int32_t TiffXPos = 0;
    int32_t TiffYPos = 0;
    int32_t TiffTileIndex = -1;
    std::string TiffDocumentName;
    std::string TiffImageDescription;
    std::string TiffPageName;
    int32_t TiffPageNumber = -1;
    int32_t TiffPageCount = -1;
    int32_t TiffOrientation = 1;
    TTiffLzwDecoder TiffLzwDecompress;
    TTiffLzwEncoder TiffLzwCompress;
    bool TiffAutoOrient = false;
    int32_t TiffJpegQuality = 80;
    uint8_t TiffJpegColorSpace = 2;
    int32_t TiffZipCompression = 1;
    int32_t TiffImageCount = 0;
    int32_t TiffFillOrder = 1;
    bool TiffByteOrder = true;

    std::string XmpInfo;
    // The palette of the file read, ColorMapCount entries.
    std::vector<TRGBPixel> ColorMap;
    int32_t ColorMapCount = 0;
};

class TIOParamsVals : public TIOParamsFields {
public:
    explicit TIOParamsVals(IBrelvixIO* owner);
    TIOParamsVals(const TIOParamsVals&) = delete;
    TIOParamsVals& operator=(const TIOParamsVals&) = delete;

    IBrelvixIO* Owner() const { return owner_; }

    TQkMarkerList JpegMarkerList;
    TStringList GifComments;
    TStringList PngTextKeys;
    // Parallel to PngTextKeys.
    TStringList PngTextValues;
    TStringList PxmComments;
    TQkIPTCInfoList IptcInfo;
    TQkDICOMTags DicomTags;
    TQkTagsHandler ExifMakerNote;
    // Nil until first needed.
    std::unique_ptr<TQkImagingAnnot> ImagingAnnot;
    std::unique_ptr<TQkBitmap> ExifThumbnail;
    std::unique_ptr<TQkICC> InputICCProfile;
    std::unique_ptr<TQkICC> OutputICCProfile;
    std::unique_ptr<TQkICC> DefaultICCProfile;

    // Every field to its default, in an order whose quirks callers see: the
    // EXIF fields are reset last, so a new object has ExifOrientation 0
    // beside TiffOrientation 1, and EXIF resolutions 0 beside the DPI.
    void SetDefaultParams();
    // Forgets the metadata of the last file; format settings stay.
    void ResetInfo();
    // The EXIF and GPS fields to their defaults; the first EXIF APP1 marker
    // is deleted, other APP1 markers (XMP) stay.
    void ResetExif();
    // Every field but the owner, through the setters that keep linked
    // fields (and the owner's view) in step.
    void Assign(const TIOParamsVals& source);
    void FreeColorMap();

    void SetDpiX(int32_t dpi);
    void SetDpiY(int32_t dpi);
    void SetExifXResolution(double resolution);
    void SetExifYResolution(double resolution);
    void SetImageIndex(int32_t index);
    void SetImageCount(int32_t count);
    // ReadThumbnail and JpegReadExifThumbnail.
    void SetReadThumbnail(bool read);
    void SetRawReadThumbnail(bool read) { RawReadThumbnail = read; }
    void SetTiffOrientation(int32_t orientation);
    void SetExifOrientation(int32_t orientation);

    TQkICC& GetInputICCProfile();
    TQkICC& GetDefaultICCProfile();
    // Created with the standard sRGB profile loaded.
    TQkICC& GetOutputICCProfile();
    TQkImagingAnnot& GetImagingAnnot();

    void AddExifTag(int32_t tag);
    void RemoveExifTag(int32_t tag);

    // An index outside the field reads 0 and writes nothing.
    int32_t GetExifISOSpeedRatings(int32_t index) const;
    void SetExifISOSpeedRatings(int32_t index, int32_t value);
    double GetExifWhitePoint(int32_t index) const;
    void SetExifWhitePoint(int32_t index, double value);
    double GetExifPrimaryChromaticities(int32_t index) const;
    void SetExifPrimaryChromaticities(int32_t index, double value);
    double GetExifYCbCrCoefficients(int32_t index) const;
    void SetExifYCbCrCoefficients(int32_t index, double value);
    double GetExifReferenceBlackWhite(int32_t index) const;
    void SetExifReferenceBlackWhite(int32_t index, double value);

    // Optional values: each keeps its tag in ExifTags exactly when the value
    // differs from its absent value.
    void SetExifExposureTime(double value);
    void SetExifFNumber(double value);
    void SetExifExposureProgram(int32_t value);
    void SetExifCompressedBitsPerPixel(double value);
    void SetExifShutterSpeedValue(double value);
    void SetExifApertureValue(double value);
    void SetExifBrightnessValue(double value);
    void SetExifExposureBiasValue(double value);
    void SetExifMaxApertureValue(double value);
    void SetExifSubjectDistance(double value);
    void SetExifMeteringMode(int32_t value);
    void SetExifLightSource(int32_t value);
    void SetExifFlash(int32_t value);
    void SetExifFocalLength(double value);
    void SetExifColorSpace(int32_t value);
    void SetExifPixelXDimension(int32_t value);
    void SetExifPixelYDimension(int32_t value);
    void SetExifFocalPlaneXResolution(double value);
    void SetExifFocalPlaneYResolution(double value);
    void SetExifFocalPlaneResolutionUnit(int32_t value);
    void SetExifExposureIndex(double value);
    void SetExifSensingMethod(int32_t value);
    void SetExifFileSource(int32_t value);
    void SetExifSceneType(int32_t value);

private:
    template <typename T>
    void SetOptional(T& field, T value, T absent, int32_t tag);
    void ResetExifFields();
    void DeleteFirstExifMarker();

    IBrelvixIO* owner_;
};
