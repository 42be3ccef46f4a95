#include "imaging/core/QkExifParams.h"

#include <string>

#include "imaging/core/QkExifBlocks.h"
#include "imaging/core/QkIOParams.h"

namespace {

template <typename T>
struct TOptionalField {
    T TExifFields::*Field;
    void (TIOParamsVals::*Setter)(T);
};

constexpr TOptionalField<double> optionalReals[] = {
    {&TExifFields::ExifExposureTime, &TIOParamsVals::SetExifExposureTime},
    {&TExifFields::ExifFNumber, &TIOParamsVals::SetExifFNumber},
    {&TExifFields::ExifCompressedBitsPerPixel, &TIOParamsVals::SetExifCompressedBitsPerPixel},
    {&TExifFields::ExifShutterSpeedValue, &TIOParamsVals::SetExifShutterSpeedValue},
    {&TExifFields::ExifApertureValue, &TIOParamsVals::SetExifApertureValue},
    {&TExifFields::ExifBrightnessValue, &TIOParamsVals::SetExifBrightnessValue},
    {&TExifFields::ExifExposureBiasValue, &TIOParamsVals::SetExifExposureBiasValue},
    {&TExifFields::ExifMaxApertureValue, &TIOParamsVals::SetExifMaxApertureValue},
    {&TExifFields::ExifSubjectDistance, &TIOParamsVals::SetExifSubjectDistance},
    {&TExifFields::ExifFocalLength, &TIOParamsVals::SetExifFocalLength},
    {&TExifFields::ExifFocalPlaneXResolution, &TIOParamsVals::SetExifFocalPlaneXResolution},
    {&TExifFields::ExifFocalPlaneYResolution, &TIOParamsVals::SetExifFocalPlaneYResolution},
    {&TExifFields::ExifExposureIndex, &TIOParamsVals::SetExifExposureIndex},
};

constexpr TOptionalField<int32_t> optionalIntegers[] = {
    {&TExifFields::ExifExposureProgram, &TIOParamsVals::SetExifExposureProgram},
    {&TExifFields::ExifMeteringMode, &TIOParamsVals::SetExifMeteringMode},
    {&TExifFields::ExifLightSource, &TIOParamsVals::SetExifLightSource},
    {&TExifFields::ExifFlash, &TIOParamsVals::SetExifFlash},
    {&TExifFields::ExifColorSpace, &TIOParamsVals::SetExifColorSpace},
    {&TExifFields::ExifPixelXDimension, &TIOParamsVals::SetExifPixelXDimension},
    {&TExifFields::ExifPixelYDimension, &TIOParamsVals::SetExifPixelYDimension},
    {&TExifFields::ExifFocalPlaneResolutionUnit, &TIOParamsVals::SetExifFocalPlaneResolutionUnit},
    {&TExifFields::ExifSensingMethod, &TIOParamsVals::SetExifSensingMethod},
    {&TExifFields::ExifFileSource, &TIOParamsVals::SetExifFileSource},
    {&TExifFields::ExifSceneType, &TIOParamsVals::SetExifSceneType},
};

} // namespace

void CopyExifFields(const TIOParamsVals& source, TIOParamsVals& destination)
{
    if (&source == &destination)
        return;
    const bool hadExifData = destination.ExifHasExifData;
    static_cast<TExifFields&>(destination) = source;
    destination.ExifHasExifData = hadExifData;
    destination.ExifImageDescription = source.TiffImageDescription;
    destination.SetExifOrientation(source.ExifOrientation);
    destination.SetExifXResolution(source.ExifXResolution);
    destination.SetExifYResolution(source.ExifYResolution);
    for (const auto& optional : optionalReals)
        (destination.*optional.Setter)(source.*optional.Field);
    for (const auto& optional : optionalIntegers)
        (destination.*optional.Setter)(source.*optional.Field);
    destination.ExifMakerNote.Assign(source.ExifMakerNote);
}

bool LoadXMPFromSegment(const uint8_t* data, int64_t length, TIOParamsVals& params)
{
    const uint8_t* packet = FindXMPPacket(data, length);
    if (packet == nullptr)
        return false;
    params.XmpInfo.assign(reinterpret_cast<const char*>(packet), reinterpret_cast<const char*>(data + length));
    return true;
}

std::vector<uint8_t> BuildXMPSegment(const TIOParamsVals& params)
{
    const std::string segment = std::string(qkXmpNamespace, qkXmpNamespaceSize) + params.XmpInfo;
    return {segment.begin(), segment.end()};
}
