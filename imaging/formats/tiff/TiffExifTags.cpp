#include "imaging/formats/tiff/TiffExifTags.h"

using F = TExifFields;
using P = TIOParamsVals;

const std::array<TExifOptionalReal, 13> ExifOptionalReals = {{
    {33434, &F::ExifExposureTime, &P::SetExifExposureTime, -1},
    {33437, &F::ExifFNumber, &P::SetExifFNumber, -1},
    {37122, &F::ExifCompressedBitsPerPixel, &P::SetExifCompressedBitsPerPixel, 0},
    {37377, &F::ExifShutterSpeedValue, &P::SetExifShutterSpeedValue, -1},
    {37378, &F::ExifApertureValue, &P::SetExifApertureValue, -1},
    {37379, &F::ExifBrightnessValue, &P::SetExifBrightnessValue, -1000, true},
    {37380, &F::ExifExposureBiasValue, &P::SetExifExposureBiasValue, -1000, true},
    {37381, &F::ExifMaxApertureValue, &P::SetExifMaxApertureValue, -1000},
    {37382, &F::ExifSubjectDistance, &P::SetExifSubjectDistance, -1},
    {37386, &F::ExifFocalLength, &P::SetExifFocalLength, -1},
    {41486, &F::ExifFocalPlaneXResolution, &P::SetExifFocalPlaneXResolution, -1},
    {41487, &F::ExifFocalPlaneYResolution, &P::SetExifFocalPlaneYResolution, -1},
    {41493, &F::ExifExposureIndex, &P::SetExifExposureIndex, -1},
}};

const std::array<TExifOptionalInteger, 11> ExifOptionalIntegers = {{
    {34850, &F::ExifExposureProgram, &P::SetExifExposureProgram, -1, false},
    {37383, &F::ExifMeteringMode, &P::SetExifMeteringMode, -1, false},
    {37384, &F::ExifLightSource, &P::SetExifLightSource, -1, false},
    {37385, &F::ExifFlash, &P::SetExifFlash, -1, false},
    {40961, &F::ExifColorSpace, &P::SetExifColorSpace, -1, false},
    {40962, &F::ExifPixelXDimension, &P::SetExifPixelXDimension, 0, false},
    {40963, &F::ExifPixelYDimension, &P::SetExifPixelYDimension, 0, false},
    {41488, &F::ExifFocalPlaneResolutionUnit, &P::SetExifFocalPlaneResolutionUnit, -1, false},
    {41495, &F::ExifSensingMethod, &P::SetExifSensingMethod, -1, false},
    {41728, &F::ExifFileSource, &P::SetExifFileSource, -1, true},
    {41729, &F::ExifSceneType, &P::SetExifSceneType, -1, true},
}};

const std::array<TExifTagField<int32_t>, 9> ExifShorts = {{
    {41986, &F::ExifExposureMode, -1},
    {41987, &F::ExifWhiteBalance, -1},
    {41989, &F::ExifFocalLengthIn35mmFilm, -1},
    {41990, &F::ExifSceneCaptureType, -1},
    {41991, &F::ExifGainControl, -1},
    {41992, &F::ExifContrast, -1},
    {41993, &F::ExifSaturation, -1},
    {41994, &F::ExifSharpness, -1},
    {41996, &F::ExifSubjectDistanceRange, -1},
}};

const std::array<TExifTagField<std::string>, 7> ExifTexts = {{
    {36867, &F::ExifDateTimeOriginal, {}},
    {36868, &F::ExifDateTimeDigitized, {}},
    {37520, &F::ExifSubsecTime, {}},
    {37521, &F::ExifSubsecTimeOriginal, {}},
    {37522, &F::ExifSubsecTimeDigitized, {}},
    {40964, &F::ExifRelatedSoundFile, {}},
    {42016, &F::ExifImageUniqueID, {}},
}};

const std::array<TExifTagField<std::string>, 6> ExifImageTexts = {{
    {271, &F::ExifMake, {}},
    {272, &F::ExifModel, {}},
    {305, &F::ExifSoftware, {}},
    {306, &F::ExifDateTime, {}},
    {315, &F::ExifArtist, {}},
    {33432, &F::ExifRightsNotice, {}},
}};

const std::array<TExifTagField<std::u16string>, 5> ExifXpTexts = {{
    {40091, &F::ExifXPTitle, {}},
    {40092, &F::ExifXPComment, {}},
    {40093, &F::ExifXPAuthor, {}},
    {40094, &F::ExifXPKeywords, {}},
    {40095, &F::ExifXPSubject, {}},
}};

const std::array<TExifTagField<std::string>, 11> GpsReferences = {{
    {1, &F::ExifGPSLatitudeRef, {}},
    {3, &F::ExifGPSLongitudeRef, {}},
    {9, &F::ExifGPSStatus, {}},
    {10, &F::ExifGPSMeasureMode, {}},
    {12, &F::ExifGPSSpeedRef, {}},
    {14, &F::ExifGPSTrackRef, {}},
    {16, &F::ExifGPSImgDirectionRef, {}},
    {19, &F::ExifGPSDestLatitudeRef, {}},
    {21, &F::ExifGPSDestLongitudeRef, {}},
    {23, &F::ExifGPSDestBearingRef, {}},
    {25, &F::ExifGPSDestDistanceRef, {}},
}};

const std::array<TExifTagField<std::string>, 3> GpsTexts = {{
    {8, &F::ExifGPSSatellites, {}},
    {18, &F::ExifGPSMapDatum, {}},
    {29, &F::ExifGPSDateStamp, {}},
}};

const std::array<TGpsTriple, 5> GpsTriples = {{
    {2, {&F::ExifGPSLatitudeDegrees, &F::ExifGPSLatitudeMinutes, &F::ExifGPSLatitudeSeconds}},
    {4, {&F::ExifGPSLongitudeDegrees, &F::ExifGPSLongitudeMinutes, &F::ExifGPSLongitudeSeconds}},
    {7, {&F::ExifGPSTimeStampHour, &F::ExifGPSTimeStampMinute, &F::ExifGPSTimeStampSecond}},
    {20, {&F::ExifGPSDestLatitudeDegrees, &F::ExifGPSDestLatitudeMinutes, &F::ExifGPSDestLatitudeSeconds}},
    {22, {&F::ExifGPSDestLongitudeDegrees, &F::ExifGPSDestLongitudeMinutes, &F::ExifGPSDestLongitudeSeconds}},
}};

const std::array<TExifTagField<double>, 7> GpsReals = {{
    {6, &F::ExifGPSAltitude, 0},
    {11, &F::ExifGPSDOP, 0},
    {13, &F::ExifGPSSpeed, 0},
    {15, &F::ExifGPSTrack, 0},
    {17, &F::ExifGPSImgDirection, 0},
    {24, &F::ExifGPSDestBearing, 0},
    {26, &F::ExifGPSDestDistance, 0},
}};
