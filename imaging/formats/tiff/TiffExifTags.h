#pragma once
// The tag numbers of the EXIF and GPS fields, shared by the reader and the
// writer so that both walk the same lists.

#include <array>
#include <cstdint>
#include <string>

#include "imaging/core/QkIOParams.h"

template <typename T>
struct TExifTagField {
    uint16_t Tag;
    T TExifFields::*Field;
    T Absent;
};

// EXIF values kept in ExifTags by their setters.
struct TExifOptionalReal {
    uint16_t Tag;
    double TExifFields::*Field;
    void (TIOParamsVals::*Setter)(double);
    double Absent;
    // SRATIONAL: the value may be negative.
    bool Signed = false;
};
struct TExifOptionalInteger {
    uint16_t Tag;
    int32_t TExifFields::*Field;
    void (TIOParamsVals::*Setter)(int32_t);
    int32_t Absent;
    // Written as one UNDEFINED byte rather than a SHORT.
    bool Undefined;
};

// A GPS position: degrees, minutes, seconds.
struct TGpsTriple {
    uint16_t Tag;
    double TExifFields::*Parts[3];
};

extern const std::array<TExifOptionalReal, 13> ExifOptionalReals;
extern const std::array<TExifOptionalInteger, 11> ExifOptionalIntegers;
// Plain SHORTs written when not -1.
extern const std::array<TExifTagField<int32_t>, 9> ExifShorts;
// ASCII fields of the EXIF directory.
extern const std::array<TExifTagField<std::string>, 7> ExifTexts;
// ASCII fields of the image directory.
extern const std::array<TExifTagField<std::string>, 6> ExifImageTexts;
extern const std::array<TExifTagField<std::u16string>, 5> ExifXpTexts;
// GPS reference, status and measure-mode fields.
extern const std::array<TExifTagField<std::string>, 11> GpsReferences;
extern const std::array<TExifTagField<std::string>, 3> GpsTexts;
extern const std::array<TGpsTriple, 5> GpsTriples;
extern const std::array<TExifTagField<double>, 7> GpsReals;

constexpr uint16_t ExifVersionTag = 36864;
constexpr uint16_t FlashPixVersionTag = 40960;
constexpr uint16_t IsoSpeedRatingsTag = 34855;
constexpr uint16_t DigitalZoomRatioTag = 41988;
constexpr uint16_t UserCommentTag = 37510;
constexpr uint16_t MakerNoteTag = 37500;
constexpr uint16_t RatingTag = 18246;
constexpr uint16_t WhitePointTag = 318;
constexpr uint16_t PrimaryChromaticitiesTag = 319;
constexpr uint16_t YCbCrCoefficientsTag = 529;
constexpr uint16_t YCbCrPositioningTag = 531;
constexpr uint16_t ReferenceBlackWhiteTag = 532;
constexpr uint16_t ImageDescriptionTag = 270;
constexpr uint16_t OrientationTag = 274;
constexpr uint16_t XResolutionTag = 282;
constexpr uint16_t YResolutionTag = 283;
constexpr uint16_t ResolutionUnitTag = 296;
constexpr uint16_t GpsVersionTag = 0;
constexpr uint16_t GpsAltitudeRefTag = 5;
