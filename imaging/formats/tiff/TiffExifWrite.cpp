#include <algorithm>
#include <string>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/tiff/TiffEntryWriter.h"
#include "imaging/formats/tiff/TiffExif.h"
#include "imaging/formats/tiff/TiffExifTags.h"
#include "platform/core/Streams.h"

namespace {

constexpr size_t CommentCodeSize = 8;
const std::string UnicodeCode("UNICODE\0", CommentCodeSize);
const std::string AsciiCode("ASCII\0\0\0", CommentCodeSize);
// Shorter directory streams hold no entry.
constexpr int64_t SmallestMakerNote = 13;

std::vector<uint8_t> Utf16WithNul(const std::u16string& text)
{
    std::vector<uint8_t> bytes;
    for (const char16_t c : text) {
        bytes.push_back(uint8_t(c));
        bytes.push_back(uint8_t(c >> 8));
    }
    bytes.insert(bytes.end(), 2, 0);
    return bytes;
}

bool AnySet(std::span<const double> values)
{
    return std::any_of(values.begin(), values.end(), [](double v) { return v != -1; });
}

void AddImageFields(TTiffEntryWriter& entries, const TIOParamsVals& params)
{
    if (!params.ExifImageDescription.empty())
        entries.AddAscii(ImageDescriptionTag, params.ExifImageDescription);
    if (params.ExifXResolution != 0)
        entries.AddRational(XResolutionTag, params.ExifXResolution);
    if (params.ExifYResolution != 0)
        entries.AddRational(YResolutionTag, params.ExifYResolution);
    entries.AddShort(OrientationTag, uint16_t(params.TiffOrientation));
    entries.AddShort(ResolutionUnitTag, 2);
    for (const auto& text : ExifImageTexts)
        if (!(params.*text.Field).empty())
            entries.AddAscii(text.Tag, params.*text.Field);
    if (params.ExifXPRating >= 0)
        entries.AddShort(RatingTag, uint16_t(params.ExifXPRating));
    for (const auto& xp : ExifXpTexts)
        if (!(params.*xp.Field).empty())
            entries.AddBytes(xp.Tag, ttByte, Utf16WithNul(params.*xp.Field));
    if (AnySet(params.ExifWhitePoint))
        entries.AddRationals(WhitePointTag, params.ExifWhitePoint);
    if (params.ExifYCbCrPositioning != 0 && params.ExifYCbCrPositioning != -1)
        entries.AddShort(YCbCrPositioningTag, uint16_t(params.ExifYCbCrPositioning));
    if (AnySet(params.ExifPrimaryChromaticities))
        entries.AddRationals(PrimaryChromaticitiesTag, params.ExifPrimaryChromaticities);
    if (AnySet(params.ExifYCbCrCoefficients))
        entries.AddRationals(YCbCrCoefficientsTag, params.ExifYCbCrCoefficients);
    if (AnySet(params.ExifReferenceBlackWhite))
        entries.AddRationals(ReferenceBlackWhiteTag, params.ExifReferenceBlackWhite);
}

bool Listed(const TIOParamsVals& params, uint16_t tag)
{
    return std::find(params.ExifTags.begin(), params.ExifTags.end(), int32_t(tag)) != params.ExifTags.end();
}

void AddUserComment(TTiffEntryWriter& entries, const TIOParamsVals& params)
{
    const std::string code = params.ExifUserCommentCode.empty() ? UnicodeCode : params.ExifUserCommentCode;
    if (params.ExifUserComment.empty() || code.size() != CommentCodeSize)
        return;
    std::vector<uint8_t> bytes(code.begin(), code.end());
    if (code == UnicodeCode) {
        const std::vector<uint8_t> text = Utf16WithNul(params.ExifUserComment);
        bytes.insert(bytes.end(), text.begin(), text.end());
    } else if (code == AsciiCode) {
        for (const char16_t c : params.ExifUserComment)
            bytes.push_back(uint8_t(c));
        bytes.push_back(0);
    } else {
        return;
    }
    entries.AddBytes(UserCommentTag, ttUndefined, bytes);
}

void AddMakerNote(TTiffEntryWriter& entries, TIOParamsVals& params)
{
    if (params.ExifMakerNote.DirectoryStream().Size() < SmallestMakerNote)
        return;
    const uint32_t offset = entries.Align();
    const int32_t size = params.ExifMakerNote.WriteToStream(entries.Stream());
    if (size > 0)
        entries.AddRaw(MakerNoteTag, ttUndefined, uint32_t(size), offset);
}

void AddVersion(TTiffEntryWriter& entries, uint16_t tag, const std::string& version)
{
    entries.AddBytes(tag, ttUndefined,
                     std::span(reinterpret_cast<const uint8_t*>(version.data()), std::min<size_t>(version.size(), 4)));
}

void AddExifValues(TTiffEntryWriter& entries, const TIOParamsVals& params)
{
    for (const auto& real : ExifOptionalReals)
        if (Listed(params, real.Tag))
            entries.AddRational(real.Tag, params.*real.Field, real.Signed);
    for (const auto& integer : ExifOptionalIntegers)
        if (!Listed(params, integer.Tag))
            continue;
        else if (integer.Undefined)
            entries.AddRaw(integer.Tag, ttUndefined, 1, uint32_t(uint8_t(params.*integer.Field)));
        else
            entries.AddShort(integer.Tag, uint16_t(params.*integer.Field));
    const auto& iso = params.ExifISOSpeedRatings;
    if (iso[1] != 0) {
        const uint16_t values[] = {uint16_t(iso[0]), uint16_t(iso[1])};
        entries.AddShorts(IsoSpeedRatingsTag, values);
    } else if (iso[0] != 0) {
        entries.AddShort(IsoSpeedRatingsTag, uint16_t(iso[0]));
    }
    for (const auto& value : ExifShorts)
        if (params.*value.Field != -1)
            entries.AddShort(value.Tag, uint16_t(params.*value.Field));
    if (params.ExifDigitalZoomRatio != -1)
        entries.AddRational(DigitalZoomRatioTag, params.ExifDigitalZoomRatio);
    for (const auto& text : ExifTexts)
        if (!(params.*text.Field).empty())
            entries.AddAscii(text.Tag, params.*text.Field);
}

uint32_t WriteExifDirectory(TTiffEntryWriter& image, TIOParamsVals& params)
{
    TTiffEntryWriter exif(image.Stream(), image.Base(), image.Aborting());
    AddExifValues(exif, params);
    AddVersion(exif, ExifVersionTag, params.ExifExifVersion);
    if (!params.ExifFlashPixVersion.empty())
        AddVersion(exif, FlashPixVersionTag, params.ExifFlashPixVersion);
    AddUserComment(exif, params);
    AddMakerNote(exif, params);
    return exif.WriteDirectory(0);
}

// "2.2.0.0" as the bytes 2, 2, 0, 0.
std::vector<uint8_t> GpsVersionBytes(const std::string& version)
{
    std::vector<uint8_t> bytes;
    size_t start = 0;
    while (bytes.size() < 4 && start <= version.size()) {
        const size_t dot = std::min(version.find('.', start), version.size());
        bytes.push_back(uint8_t(std::atoi(version.substr(start, dot - start).c_str())));
        start = dot + 1;
    }
    bytes.resize(4, 0);
    return bytes;
}

uint32_t WriteGpsDirectory(TTiffEntryWriter& image, const TIOParamsVals& params)
{
    TTiffEntryWriter gps(image.Stream(), image.Base(), image.Aborting());
    gps.AddBytes(GpsVersionTag, ttByte, GpsVersionBytes(params.ExifGPSVersionID));
    for (const auto& reference : GpsReferences)
        gps.AddAsciiWithNul(reference.Tag, params.*reference.Field);
    const uint8_t altitudeRef = uint8_t(std::atoi(params.ExifGPSAltitudeRef.c_str()));
    gps.AddBytes(GpsAltitudeRefTag, ttByte, std::span(&altitudeRef, 1));
    for (const auto& triple : GpsTriples) {
        const double values[] = {params.*triple.Parts[0], params.*triple.Parts[1], params.*triple.Parts[2]};
        gps.AddRationals(triple.Tag, values);
    }
    for (const auto& real : GpsReals)
        gps.AddRational(real.Tag, params.*real.Field);
    for (const auto& text : GpsTexts)
        gps.AddAsciiWithNul(text.Tag, params.*text.Field);
    return gps.WriteDirectory(0);
}

} // namespace

void WriteExifIfds(TTiffEntryWriter& entries, TIOParamsVals& params)
{
    AddImageFields(entries, params);
    entries.AddLong(ExifIfdTag, WriteExifDirectory(entries, params));
    if (!params.ExifGPSVersionID.empty())
        entries.AddLong(GpsIfdTag, WriteGpsDirectory(entries, params));
}
