#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "FormatsTestSupport.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/QkFormatSteps.h"

namespace {

class CameraRaw : public FormatsTest {
protected:
    // An external format that owns the "RAW" extension once the camera-raw
    // entry is gone, and counts its reads.
    void ReplaceCameraRawEntry()
    {
        UnregisterFileFormat(ioRAW);
        auto format = std::make_unique<TQkFileFormatInfo>();
        format->FileType = 100;
        format->FullName = "Other raw";
        format->Extensions = "RAW";
        format->ReadFunction = [this](TStream&, TQkBitmap& bitmap, TIOParamsVals&, bool, TQkFilterProgress&) {
            ++otherReads;
            bitmap.Allocate(3, 1, qk24RGB);
        };
        RegisterFileFormat(std::move(format));
    }

    TBrelvixIO io{nullptr};
    int otherReads = 0;
};

TEST_F(CameraRaw, GoesToTheFormatThatNowOwnsTheExtension)
{
    ReplaceCameraRawEntry();
    TStringStream stream("raw bytes");
    io.LoadCameraRawFromStream(stream);
    const std::string path = std::string(TEST_BINARY_DIR) + "/camera.raw";
    std::ofstream(path) << "raw bytes";
    io.LoadCameraRawFromFile(path);
    EXPECT_EQ(otherReads, 2);
    EXPECT_EQ(io.Params().FileType, 100);
    EXPECT_EQ(io.Bitmap()->GetWidth(), 3);
}

TEST_F(CameraRaw, RegisteredEntryUsesTheCameraRawReader)
{
    TStringStream stream("raw bytes");
    // No camera wrote these bytes: the camera raw reader refuses them.
    io.LoadCameraRawFromStream(stream);
    EXPECT_TRUE(io.Aborting());
    FormatRow(ioRAW).Read = [](TQkReadRequest& request) { request.Bitmap.Allocate(5, 1, qk24RGB); };
    io.LoadCameraRawFromStream(stream);
    EXPECT_EQ(io.Params().FileType, ioRAW);
    EXPECT_EQ(io.Bitmap()->GetWidth(), 5);
}

TEST(IconSaveList, TakesTheLeadingEntriesWithAPositiveWidth)
{
    struct Case {
        std::vector<int32_t> widths;
        size_t expected;
    };
    const Case cases[] = {{{}, 0}, {{16, 32, 0, 48}, 2}, {{16, -1, 32}, 1}, {std::vector<int32_t>(16, 8), 16}};
    for (const Case& c : cases) {
        TIOParamsVals params(nullptr);
        params.IcoSizes.fill({});
        for (size_t i = 0; i < c.widths.size(); ++i) {
            params.IcoSizes[i] = {c.widths[i], 20 + int32_t(i)};
            params.IcoBitCount[i] = 4 + int32_t(i);
        }
        const TQkIconSaveList list = IconSaveList(params);
        ASSERT_EQ(list.Sizes.size(), c.expected);
        ASSERT_EQ(list.BitCounts.size(), c.expected);
        for (size_t i = 0; i < c.expected; ++i) {
            EXPECT_EQ(list.Sizes[i].Height, 20 + int32_t(i));
            EXPECT_EQ(list.BitCounts[i], 4 + int32_t(i));
        }
    }
}

} // namespace
