#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/core/QkExifBlocks.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkMarkerList.h"
#include "imaging/formats/QkJpegMarkerSteps.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes photoshopHeader = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0', 0};
const Bytes resolutionTag = {'8', 'B', 'I', 'M', 0x03, 0xED};
const Bytes sixteenBytes(16, 0xAA);

Bytes Size32(uint32_t size) { return {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)}; }

Bytes Marker(const TQkMarkerList& markers, int32_t index)
{
    const uint8_t* data = markers.GetMarkerData(index);
    return Bytes(data, data + markers.GetMarkerLength(index));
}

void AddMarker(TQkMarkerList& markers, uint8_t type, const Bytes& data)
{
    markers.AddMarker(type, data.data(), static_cast<uint16_t>(data.size()));
}

TEST(JpegResolution, WritesTheResolutionBehindEmptyAndNamedResourceNames)
{
    const Bytes expected = {0x00, 0x96, 0x00, 0x00, 0, 1, 0, 1, 0x00, 0x48, 0x00, 0x00, 0, 1, 0, 1};
    // The name is a length byte and its text, padded to an even length.
    for (const Bytes& name : {Bytes{0, 0}, Bytes{2, 'a', 'b', 0}, Bytes{3, 'a', 'b', 'c'}}) {
        TQkMarkerList markers;
        AddMarker(markers, JpegApp1, {1, 2, 3});
        AddMarker(markers, JpegApp13, Concat({photoshopHeader, resolutionTag, name, Size32(16), sixteenBytes}));
        UpdateJpegResolution(markers, 150, 72);
        const Bytes data = Marker(markers, 1);
        const size_t body = photoshopHeader.size() + resolutionTag.size() + name.size() + 4;
        EXPECT_EQ(Bytes(data.begin() + long(body), data.end()), expected) << int(name[0]);
        EXPECT_EQ(Marker(markers, 0), (Bytes{1, 2, 3}));
    }
}

TEST(JpegResolution, LeavesResourcesThatDoNotFitTheMarkerAlone)
{
    const Bytes cases[] = {
        Concat({photoshopHeader, resolutionTag}), // no name byte
        Concat({photoshopHeader, resolutionTag, {0xFF, 'a'}}), // name past the end
        Concat({photoshopHeader, resolutionTag, {0, 0}, {0, 0}}), // size cut
        Concat({photoshopHeader, resolutionTag, {0, 0}, Size32(16), Bytes(15)}), // body cut
        Concat({photoshopHeader, resolutionTag, {0, 0}, Size32(0xFFFFFFF0), sixteenBytes}),
        Concat({photoshopHeader, resolutionTag, {0, 0}, Size32(15), sixteenBytes}), // too small
        Concat({photoshopHeader, {'8', 'B', 'I', 'M', 0x04, 0x04}, {0, 0}, Size32(16), sixteenBytes}),
    };
    for (const Bytes& data : cases) {
        TQkMarkerList markers;
        AddMarker(markers, JpegApp13, data);
        UpdateJpegResolution(markers, 150, 150);
        EXPECT_EQ(Marker(markers, 0), data) << data.size();
    }
}

class JpegMetadata : public ::testing::Test {
protected:
    // A block that says which build it came from.
    TQkExifBlockBuilder FakeExif(uint8_t generation)
    {
        return [generation](TIOParamsVals&, Bytes& block) {
            block = {'E', 'x', 'i', 'f', 0, 0, generation};
            return true;
        };
    }
    TIOParamsVals params{nullptr};
    TQkMarkerList& markers = params.JpegMarkerList;
};

TEST_F(JpegMetadata, ExifIsReplacedNotDuplicated)
{
    params.ExifHasExifData = true;
    AddMarker(markers, JpegApp1, {'E', 'x', 'i', 'f', 0, 0, 0});
    AddMarker(markers, 0xE2, {9});
    RebuildJpegMarkers(params, FakeExif(1));
    RebuildJpegMarkers(params, FakeExif(2));
    ASSERT_EQ(markers.GetCount(), 2);
    EXPECT_EQ(markers.GetMarkerType(0), 0xE2);
    EXPECT_EQ(Marker(markers, 1), (Bytes{'E', 'x', 'i', 'f', 0, 0, 2}));
}

TEST_F(JpegMetadata, ExifIsLeftAsItWasWithoutExifDataOrBlock)
{
    AddMarker(markers, JpegApp1, {'E', 'x', 'i', 'f', 0, 0, 0});
    RebuildJpegMarkers(params, FakeExif(1));
    params.ExifHasExifData = true;
    RebuildJpegMarkers(params, [](TIOParamsVals&, Bytes&) { return false; });
    ASSERT_EQ(markers.GetCount(), 1);
    EXPECT_EQ(Marker(markers, 0), (Bytes{'E', 'x', 'i', 'f', 0, 0, 0}));
}

TEST_F(JpegMetadata, XmpIsReplacedAndDeletedWhenEmpty)
{
    params.XmpInfo = "<x:xmpmeta>old</x:xmpmeta>";
    AddMarker(markers, JpegApp1, BuildXMPSegment(params));
    params.XmpInfo = "<x:xmpmeta>new</x:xmpmeta>";
    RebuildJpegMarkers(params, FakeExif(0));
    ASSERT_EQ(markers.GetCount(), 1);
    EXPECT_EQ(Marker(markers, 0), BuildXMPSegment(params));
    params.XmpInfo.clear();
    RebuildJpegMarkers(params, FakeExif(0));
    EXPECT_EQ(markers.GetCount(), 0);
}

TEST_F(JpegMetadata, IptcIsAppendedReplacesTheFirstApp13OrDeletesIt)
{
    const uint8_t caption[] = {'h', 'i'};
    params.IptcInfo.AddItem(2, 120, 2, caption);
    RebuildJpegMarkers(params, FakeExif(0));
    ASSERT_EQ(markers.GetCount(), 1);
    EXPECT_EQ(Marker(markers, 0), params.IptcInfo.SaveToBuffer(true));

    AddMarker(markers, JpegApp13, {7});
    params.IptcInfo.AddItem(2, 25, 2, caption);
    RebuildJpegMarkers(params, FakeExif(0));
    ASSERT_EQ(markers.GetCount(), 2);
    EXPECT_EQ(Marker(markers, 0), params.IptcInfo.SaveToBuffer(true));
    EXPECT_EQ(Marker(markers, 1), Bytes{7});

    params.IptcInfo.Clear();
    RebuildJpegMarkers(params, FakeExif(0));
    ASSERT_EQ(markers.GetCount(), 1);
    EXPECT_EQ(Marker(markers, 0), Bytes{7});
}

TEST_F(JpegMetadata, LoadedIptcIsKeptUntilTheUserChangesIt)
{
    AddMarker(markers, JpegApp13, {7});
    const Bytes loaded = Concat({photoshopHeader, {'8', 'B', 'I', 'M', 0x04, 0x04, 0, 0, 0, 0, 0, 0}});
    params.IptcInfo.LoadFromBuffer(loaded.data(), int64_t(loaded.size()));
    RebuildJpegMarkers(params, FakeExif(0));
    ASSERT_EQ(markers.GetCount(), 1);
    EXPECT_EQ(Marker(markers, 0), Bytes{7});
}

} // namespace
