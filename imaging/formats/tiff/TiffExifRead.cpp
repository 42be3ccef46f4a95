#include <string>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/tiff/TiffDirectory.h"
#include "imaging/formats/tiff/TiffExif.h"
#include "imaging/formats/tiff/TiffExifTags.h"
#include "platform/core/Streams.h"

namespace {

constexpr size_t CommentCodeSize = 8;
const std::string UnicodeCode("UNICODE\0", CommentCodeSize);

// Little-endian UTF-16 within the bytes, cut at the first NUL.
std::u16string WideText(const std::vector<uint8_t>& bytes, size_t from)
{
    std::u16string text;
    for (size_t i = from; i + 1 < bytes.size(); i += 2) {
        const char16_t c = char16_t(bytes[i] | bytes[i + 1] << 8);
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}

// The value field's bytes as text, cut at the first NUL.
std::string FieldText(const TTiffDirectory& directory, uint16_t tag)
{
    const TTiffEntry* entry = directory.Find(tag);
    if (!entry)
        return {};
    std::string text(reinterpret_cast<const char*>(entry->Field), 4);
    return text.substr(0, text.find('\0'));
}

void ReadUserComment(const TTiffDirectory& exif, TIOParamsVals& params)
{
    const std::vector<uint8_t> bytes = exif.Bytes(UserCommentTag);
    params.ExifUserComment.clear();
    if (bytes.size() <= CommentCodeSize) {
        params.ExifUserCommentCode = UnicodeCode;
        return;
    }
    params.ExifUserCommentCode.assign(bytes.begin(), bytes.begin() + CommentCodeSize);
    if (params.ExifUserCommentCode == UnicodeCode) {
        params.ExifUserComment = WideText(bytes, CommentCodeSize);
        return;
    }
    for (size_t i = CommentCodeSize; i < bytes.size() && bytes[i] != 0; ++i)
        params.ExifUserComment.push_back(char16_t(bytes[i]));
}

void ReadMakerNote(const TTiffDirectory& exif, TIOParamsVals& params)
{
    params.ExifMakerNote.Clear();
    const TTiffEntry* entry = exif.Find(MakerNoteTag);
    if (!entry || entry->Count == 0 || entry->Count > INT32_MAX)
        return;
    const uint32_t offset = entry->Count <= 4 ? 0 : exif.Long(entry->Field);
    if (entry->Count <= 4 || uint64_t(exif.BytesFrom(offset)) < entry->Count)
        return;
    TStream& stream = exif.Stream();
    stream.SetPosition(exif.Base() + offset);
    params.ExifMakerNote.ReadFromStream(stream, int32_t(entry->Count), exif.Intel());
}

void ReadImageFields(const TTiffDirectory& directory, TIOParamsVals& params)
{
    params.ExifImageDescription = directory.Text(ImageDescriptionTag);
    for (const auto& text : ExifImageTexts)
        params.*text.Field = directory.Text(text.Tag);
    params.ExifResolutionUnit = int32_t(directory.Integer(ResolutionUnitTag, 2));
    params.ExifXPRating = int32_t(directory.Integer(RatingTag, -1));
    for (const auto& xp : ExifXpTexts)
        params.*xp.Field = WideText(directory.Bytes(xp.Tag), 0);
    for (uint32_t i = 0; i < 2; ++i)
        params.ExifWhitePoint[i] = directory.Rational(WhitePointTag, -1, i);
    for (uint32_t i = 0; i < 6; ++i) {
        params.ExifPrimaryChromaticities[i] = directory.Rational(PrimaryChromaticitiesTag, -1, i);
        params.ExifReferenceBlackWhite[i] = directory.Rational(ReferenceBlackWhiteTag, -1, i);
    }
    for (uint32_t i = 0; i < 3; ++i)
        params.ExifYCbCrCoefficients[i] = directory.Rational(YCbCrCoefficientsTag, -1, i);
    params.ExifYCbCrPositioning = int32_t(directory.Integer(YCbCrPositioningTag, -1));
}

void ReadExifDirectory(const TTiffDirectory& exif, TIOParamsVals& params)
{
    for (const auto& real : ExifOptionalReals)
        (params.*real.Setter)(exif.Rational(real.Tag, real.Absent));
    for (const auto& integer : ExifOptionalIntegers)
        (params.*integer.Setter)(int32_t(exif.Integer(integer.Tag, integer.Absent)));
    for (const auto& value : ExifShorts)
        params.*value.Field = int32_t(exif.Integer(value.Tag, value.Absent));
    for (const auto& text : ExifTexts)
        params.*text.Field = exif.Text(text.Tag);
    params.ExifISOSpeedRatings = {int32_t(exif.Integer(IsoSpeedRatingsTag, 0, 0)),
                                  int32_t(exif.Integer(IsoSpeedRatingsTag, 0, 1))};
    params.ExifExifVersion = FieldText(exif, ExifVersionTag);
    params.ExifFlashPixVersion = FieldText(exif, FlashPixVersionTag);
    params.ExifDigitalZoomRatio = exif.Rational(DigitalZoomRatioTag, -1);
    ReadUserComment(exif, params);
    ReadMakerNote(exif, params);
}

std::string GpsVersion(const TTiffDirectory& gps)
{
    const TTiffEntry* entry = gps.Find(GpsVersionTag);
    if (!entry)
        return {};
    std::string text;
    for (uint32_t i = 0; i < std::min<uint32_t>(entry->Count, 4); ++i)
        text += (i ? "." : "") + std::to_string(entry->Field[i]);
    return text;
}

void ReadGpsDirectory(const TTiffDirectory& gps, TIOParamsVals& params)
{
    params.ExifGPSVersionID = GpsVersion(gps);
    for (const auto& reference : GpsReferences)
        params.*reference.Field = FieldText(gps, reference.Tag);
    for (const auto& text : GpsTexts)
        params.*text.Field = gps.Text(text.Tag);
    for (const auto& triple : GpsTriples)
        for (uint32_t i = 0; i < 3; ++i)
            params.*triple.Parts[i] = gps.Rational(triple.Tag, 0, i);
    for (const auto& real : GpsReals)
        params.*real.Field = gps.Rational(real.Tag, real.Absent);
    const TTiffEntry* altitudeRef = gps.Find(GpsAltitudeRefTag);
    params.ExifGPSAltitudeRef = altitudeRef ? std::to_string(gps.Integer(GpsAltitudeRefTag, 0)) : std::string();
}

// A sub-directory through its pointer tag; empty when absent or unreadable.
TTiffDirectory SubDirectory(const TTiffDirectory& directory, uint16_t tag)
{
    TTiffDirectory sub = directory;
    const int64_t offset = directory.Integer(tag, 0);
    if (offset <= 0 || offset > UINT32_MAX || !sub.Load(uint32_t(offset)))
        sub.Clear();
    return sub;
}

} // namespace

void ReadExifFields(const TTiffDirectory& directory, TIOParamsVals& params)
{
    ReadImageFields(directory, params);
    ReadExifDirectory(SubDirectory(directory, ExifIfdTag), params);
    ReadGpsDirectory(SubDirectory(directory, GpsIfdTag), params);
}
