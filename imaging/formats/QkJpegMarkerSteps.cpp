#include "imaging/formats/QkJpegMarkerSteps.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "imaging/core/QkExifBlocks.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkMarkerList.h"

namespace {

constexpr uint8_t resolutionResourceTag[] = {'8', 'B', 'I', 'M', 0x03, 0xED};
constexpr size_t resolutionInfoSize = 16;
constexpr size_t markerPayloadLimit = std::numeric_limits<uint16_t>::max() - 2;

uint32_t ReadBigEndian32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

void WriteBigEndian32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

void WriteBigEndian16(uint8_t* bytes, uint16_t value)
{
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

// The offset of the resolution resource's body, none when the resource is
// missing or does not fit. Its name is a length byte and the text,
// padded to an even length.
std::optional<size_t> ResolutionBodyOffset(const std::vector<uint8_t>& data)
{
    const auto tag =
        std::search(data.begin(), data.end(), std::begin(resolutionResourceTag), std::end(resolutionResourceTag));
    if (tag == data.end())
        return std::nullopt;
    size_t offset = size_t(tag - data.begin()) + sizeof resolutionResourceTag;
    if (offset >= data.size())
        return std::nullopt;
    const size_t nameField = (size_t(data[offset]) + 2) & ~size_t(1);
    offset += nameField;
    if (offset + 4 > data.size())
        return std::nullopt;
    const uint32_t size = ReadBigEndian32(&data[offset]);
    offset += 4;
    if (size < resolutionInfoSize || size > data.size() - offset)
        return std::nullopt;
    return offset;
}

void WriteResolutionInfo(uint8_t* body, int32_t dpiX, int32_t dpiY)
{
    WriteBigEndian32(body, static_cast<uint32_t>(dpiX) << 16);
    WriteBigEndian16(body + 4, 1);
    WriteBigEndian16(body + 6, 1);
    WriteBigEndian32(body + 8, static_cast<uint32_t>(dpiY) << 16);
    WriteBigEndian16(body + 12, 1);
    WriteBigEndian16(body + 14, 1);
}

int32_t FindApp1(const TQkMarkerList& markers, bool (*holds)(const uint8_t*, int64_t))
{
    for (int32_t i = 0; i < markers.GetCount(); ++i)
        if (markers.GetMarkerType(i) == JpegApp1 && holds(markers.GetMarkerData(i), markers.GetMarkerLength(i)))
            return i;
    return -1;
}

bool HoldsXmp(const uint8_t* data, int64_t length) { return FindXMPPacket(data, length) != nullptr; }

bool FitsMarker(const std::vector<uint8_t>& block) { return block.size() <= markerPayloadLimit; }

void AppendMarker(TQkMarkerList& markers, uint8_t type, const std::vector<uint8_t>& block)
{
    markers.AddMarker(type, block.data(), static_cast<uint16_t>(block.size()));
}

void RebuildIptc(TIOParamsVals& params)
{
    TQkMarkerList& markers = params.JpegMarkerList;
    if (!params.IptcInfo.UserChanged() && !(params.IptcInfo.GetCount() > 0 && markers.GetCount() == 0))
        return;
    const std::vector<uint8_t> block = params.IptcInfo.SaveToBuffer(true);
    const int32_t app13 = markers.IndexOf(JpegApp13);
    if (block.empty()) {
        if (app13 >= 0)
            markers.DeleteMarker(app13);
    } else if (FitsMarker(block)) {
        if (app13 >= 0)
            markers.SetMarker(app13, JpegApp13, static_cast<uint16_t>(block.size()), block.data());
        else
            AppendMarker(markers, JpegApp13, block);
    }
}

void RebuildExif(TIOParamsVals& params, const TQkExifBlockBuilder& buildExif)
{
    if (!params.ExifHasExifData)
        return;
    std::vector<uint8_t> block;
    if (!buildExif(params, block) || !FitsMarker(block))
        return;
    TQkMarkerList& markers = params.JpegMarkerList;
    const int32_t old = FindApp1(markers, IsExifBlock);
    if (old >= 0)
        markers.DeleteMarker(old);
    AppendMarker(markers, JpegApp1, block);
}

void RebuildXmp(TIOParamsVals& params)
{
    TQkMarkerList& markers = params.JpegMarkerList;
    const int32_t old = FindApp1(markers, HoldsXmp);
    if (old >= 0)
        markers.DeleteMarker(old);
    if (params.XmpInfo.empty())
        return;
    const std::vector<uint8_t> block = BuildXMPSegment(params);
    if (FitsMarker(block))
        AppendMarker(markers, JpegApp1, block);
}

} // namespace

void UpdateJpegResolution(TQkMarkerList& markers, int32_t dpiX, int32_t dpiY)
{
    const int32_t app13 = markers.IndexOf(JpegApp13);
    if (app13 < 0)
        return;
    const uint8_t* source = markers.GetMarkerData(app13);
    std::vector<uint8_t> data(source, source + markers.GetMarkerLength(app13));
    const std::optional<size_t> body = ResolutionBodyOffset(data);
    if (!body)
        return;
    WriteResolutionInfo(&data[*body], dpiX, dpiY);
    markers.SetMarker(app13, JpegApp13, static_cast<uint16_t>(data.size()), data.data());
}

void RebuildJpegMarkers(TIOParamsVals& params, const TQkExifBlockBuilder& buildExif)
{
    UpdateJpegResolution(params.JpegMarkerList, params.DpiX, params.DpiY);
    RebuildIptc(params);
    RebuildExif(params, buildExif);
    RebuildXmp(params);
}

void RebuildJpegMarkers(TIOParamsVals& params)
{
    RebuildJpegMarkers(params, [](TIOParamsVals& exifParams, std::vector<uint8_t>& block) {
        return SaveExifToBuffer(exifParams, block, true);
    });
}
