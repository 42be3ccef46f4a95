#include "imaging/views/layers/QkLayersStream.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "imaging/core/QkRawBitmap.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/views/layers/QkLayerBytes.h"
#include "imaging/views/tests/ViewTestSupport.h"

namespace {

std::vector<uint8_t> Bytes(TMemoryStream& stream)
{
    const auto* data = static_cast<const uint8_t*>(stream.Memory());
    return {data, data + stream.Size()};
}

void Fill(TMemoryStream& stream, const std::vector<uint8_t>& bytes)
{
    stream.Clear();
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::unique_ptr<TQkBitmap> Pattern(int32_t width, int32_t height, TQkPixelFormat format, int32_t seed)
{
    auto bitmap = std::make_unique<TQkBitmap>(width, height, format);
    const int32_t rowBytes = format == qk8g ? width : width * 3;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t i = 0; i < rowBytes; ++i)
            bitmap->GetScanline(y)[i] = static_cast<uint8_t>(seed + y * 31 + i * 7);
    return bitmap;
}

// A gray image may come back as palette indices into the gray ramp.
void ExpectSamePixels(TQkBitmap& expected, TQkBitmap& actual, TQkPixelFormat format = qkNone)
{
    ASSERT_EQ(actual.GetWidth(), expected.GetWidth());
    ASSERT_EQ(actual.GetHeight(), expected.GetHeight());
    ASSERT_EQ(int(actual.GetPixelFormat()), int(format == qkNone ? expected.GetPixelFormat() : format));
    const size_t rowBytes = static_cast<size_t>(expected.GetWidth()) * (expected.GetPixelFormat() == qk8g ? 1 : 3);
    for (int32_t y = 0; y < expected.GetHeight(); ++y)
        EXPECT_EQ(std::memcmp(actual.GetScanline(y), expected.GetScanline(y), rowBytes), 0) << "row " << y;
}

// The layers-stream tests load images through the input/output component,
// whose start-up must be installed before the view tests start the library.
struct TFormatsStartup {
    TFormatsStartup() { InstallBrelvixIOStartup(); }
};

class LayersStreamTest : private TFormatsStartup, public ViewTest {
protected:
    // Layer 0 a pattern; layer 1 placed, named, with application data and
    // an alpha channel; layer 2 its gray mask.
    void BuildThreeLayers(TBrelvixView& target)
    {
        target.Layer(0).Bitmap()->Assign(Pattern(6, 4, qk24RGB, 0).get());
        std::unique_ptr<TQkBitmap> top = Pattern(3, 2, qk24RGB, 90);
        for (int32_t x = 0; x < 3; ++x)
            top->SetAlpha(x, 1, static_cast<uint8_t>(40 * x));
        target.AddLayer(std::move(top));
        TQkLayer& layer = target.Layer(1);
        layer.LayerName = "top layer";
        layer.AppData = {1, 2, 3, 250};
        layer.Left = -2;
        layer.Top = 3;
        layer.OpacityValue = 128;
        layer.LensEnabled = true;
        layer.LensRate = 3.5;
        layer.LensSource = 0;
        layer.ZoomFilter = rfLanczos3;
        layer.OwnZoomFilter = true;
        layer.Selectable = false;
        layer.ShadeOutside = true;
        layer.DisplayWidth = 9;
        target.AddLayer(Pattern(3, 2, qk8g, 200));
        target.Layer(2).MaskOfPrevious = true;
        target.Layer(2).LayerName = "mask";
    }

    std::vector<uint8_t> Saved(TBrelvixView& source, int32_t format)
    {
        TMemoryStream stream;
        source.SaveLayersToStream(stream, format);
        return Bytes(stream);
    }

    bool Load(TBrelvixView& target, const std::vector<uint8_t>& bytes)
    {
        TMemoryStream stream;
        Fill(stream, bytes);
        return target.LoadLayersFromStream(stream);
    }

    // Bytes of the stream made by BuildThreeLayers.
    std::vector<uint8_t> ThreeLayers(int32_t format)
    {
        BuildThreeLayers(*view);
        return Saved(*view, format);
    }

    TBrelvixView* NewView()
    {
        auto* other = new TBrelvixView(form.get());
        other->SetParent(form.get());
        return other;
    }
};

struct TRoundTripCase {
    int32_t Format;
    int32_t HeaderFormat;
    bool KeepsAlpha;
    TQkPixelFormat MaskFormat;
};

TEST_F(LayersStreamTest, RoundTripsKeepLayersPropertiesAndPixels)
{
    const TRoundTripCase cases[] = {
        {LayersImageZlibRaw, LayersImageZlibRaw, true, qk8g},
        {LayersImageRaw, LayersImageRaw, true, qk8g},
        {ioBMP, ioBMP, false, qk8p}, // a palette of grays, as the file holds it
        {ioTIFF, ioPNG, true, qk8g},
    };
    BuildThreeLayers(*view);
    for (const TRoundTripCase& test : cases) {
        SCOPED_TRACE(test.Format);
        const std::vector<uint8_t> bytes = Saved(*view, test.Format);
        EXPECT_EQ(TQkByteReader(bytes.data() + 17, 4).Int32(), test.HeaderFormat);
        TBrelvixView* loaded = NewView();
        ASSERT_TRUE(Load(*loaded, bytes));
        ASSERT_EQ(loaded->GetLayerCount(), 3);
        EXPECT_EQ(loaded->LayersCurrent(), 2);
        ExpectSamePixels(*view->Layer(0).Bitmap(), *loaded->Layer(0).Bitmap());
        ExpectSamePixels(*view->Layer(1).Bitmap(), *loaded->Layer(1).Bitmap());
        ExpectSamePixels(*view->Layer(2).Bitmap(), *loaded->Layer(2).Bitmap(), test.MaskFormat);
        TQkLayer& top = loaded->Layer(1);
        EXPECT_EQ(top.LayerName, "top layer");
        EXPECT_EQ(top.AppData, (std::vector<uint8_t>{1, 2, 3, 250}));
        EXPECT_EQ(top.Left, -2);
        EXPECT_EQ(top.Top, 3);
        EXPECT_EQ(top.OpacityValue, 128);
        EXPECT_TRUE(top.LensEnabled);
        EXPECT_EQ(top.LensRate, 3.5);
        EXPECT_EQ(top.LensSource, 0);
        EXPECT_EQ(top.ZoomFilter, rfLanczos3);
        EXPECT_TRUE(top.OwnZoomFilter);
        EXPECT_FALSE(top.Selectable);
        EXPECT_TRUE(top.ShadeOutside);
        EXPECT_EQ(top.DisplayWidth, 9);
        EXPECT_TRUE(loaded->Layer(2).MaskOfPrevious);
        EXPECT_FALSE(loaded->Layer(0).ShowBox);
        EXPECT_TRUE(loaded->Layer(0).Locked);
        if (test.KeepsAlpha) {
            ASSERT_TRUE(top.Bitmap()->HasAlphaChannel());
            EXPECT_EQ(top.Bitmap()->GetAlpha(2, 1), 80);
            EXPECT_EQ(top.Bitmap()->GetAlpha(2, 0), 255);
        }
        // A stream read again writes the same bytes.
        if (test.Format < 0) {
            EXPECT_EQ(Saved(*loaded, test.Format), bytes);
        }
        delete loaded;
    }
}

// The 1 x 1 layout as written by hand from the stream's table: header,
// one 57-byte record without name and data, then the raw image's size and
// record; the stored offset is the position of that size field.
TEST_F(LayersStreamTest, OnePixelStreamMatchesTheGoldenFile)
{
    const std::vector<uint8_t> golden =
        ReadFile(std::filesystem::path(TEST_SOURCE_DIR) / "layers" / "fixtures" / "layers-1x1.bin");
    ASSERT_GT(golden.size(), 86u);
    EXPECT_EQ(std::string(golden.begin(), golden.begin() + 13), "BRELVIXLAYERS");
    TQkByteReader header(golden.data() + 13, 12);
    EXPECT_EQ(header.Int32(), 6);
    EXPECT_EQ(header.Int32(), LayersImageRaw);
    EXPECT_EQ(header.Int32(), 1);
    TQkByteReader offset(golden.data() + 25 + 49, 8);
    EXPECT_EQ(offset.UInt32(), 82u);
    EXPECT_EQ(offset.UInt32(), 0u);
    EXPECT_EQ(TQkByteReader(golden.data() + 82, 4).UInt32(), golden.size() - 86);

    view->Layer(0).Bitmap()->Assign(Pattern(1, 1, qk24RGB, 0x40).get());
    EXPECT_EQ(Saved(*view, LayersImageRaw), golden);
    TBrelvixView* loaded = NewView();
    ASSERT_TRUE(Load(*loaded, golden));
    ExpectSamePixels(*view->Layer(0).Bitmap(), *loaded->Layer(0).Bitmap());
}

// A version-2 record lacks everything from the lens source on but the
// display size and the offset; those fields keep what the layer had.
TEST_F(LayersStreamTest, VersionTwoLeavesNewerFieldsAsTheyWere)
{
    view->Layer(0).LayerName = "kept";
    view->Layer(0).LensSource = 0;
    TMemoryStream rawImage;
    SaveRawToStream(*Pattern(2, 2, qk24RGB, 5), rawImage);
    TQkByteWriter stream;
    stream.Bytes(reinterpret_cast<const uint8_t*>("BRELVIXLAYERS"), 13);
    stream.Int32(2);
    stream.Int32(LayersImageRaw);
    stream.Int32(2);
    const size_t recordSize = 43;
    const size_t imageAt = 25 + 2 * recordSize;
    for (int32_t layer = 0; layer < 2; ++layer) {
        stream.Flag(true); // Visible
        stream.Flag(false); // ShowBox
        stream.Int32(200); // Opacity
        stream.Int32(layer * 4); // Left
        stream.Int32(1); // Top
        stream.Flag(false); // ClipToBackground
        stream.Flag(layer == 0); // Locked
        stream.Flag(false); // LensEnabled
        stream.Double(2.5); // LensRate
        stream.Byte(1); // LensShape
        stream.Byte(0); // BlendOperation
        stream.Int32(0); // DisplayWidth
        stream.Int32(0); // DisplayHeight
        stream.UInt32(static_cast<uint32_t>(imageAt));
        stream.UInt32(0);
    }
    // Both records name the one image block.
    stream.UInt32(static_cast<uint32_t>(rawImage.Size()));
    stream.Bytes(static_cast<const uint8_t*>(rawImage.Memory()), static_cast<size_t>(rawImage.Size()));

    ASSERT_TRUE(Load(*view, stream.Data()));
    ASSERT_EQ(view->GetLayerCount(), 2);
    TQkLayer& background = view->Layer(0);
    EXPECT_EQ(background.LayerName, "kept");
    EXPECT_EQ(background.LensSource, 0);
    EXPECT_EQ(background.OpacityValue, 200);
    TQkLayer& added = view->Layer(1);
    EXPECT_EQ(added.Left, 4);
    EXPECT_EQ(added.LensRate, 2.5);
    EXPECT_EQ(added.LensSource, 1);
    EXPECT_TRUE(added.LayerName.empty());
    EXPECT_TRUE(added.Selectable);
    EXPECT_FALSE(added.MaskOfPrevious);
    EXPECT_EQ(added.Bitmap()->GetWidth(), 2);
}

TEST_F(LayersStreamTest, CountZeroIsNoLayersStreamButLoadsToLayerZero)
{
    BuildThreeLayers(*view);
    view->AddLayer(Pattern(2, 2, qk24RGB, 1));
    view->AddLayer(Pattern(2, 2, qk24RGB, 2));
    ASSERT_EQ(view->GetLayerCount(), 5);
    TQkByteWriter header;
    header.Bytes(reinterpret_cast<const uint8_t*>("BRELVIXLAYERS"), 13);
    header.Int32(6);
    header.Int32(LayersImageRaw);
    header.Int32(0);
    TMemoryStream stream;
    Fill(stream, header.Data());
    EXPECT_FALSE(IsLayersStream(stream));
    EXPECT_EQ(stream.Position(), 0);
    EXPECT_TRUE(view->LoadLayersFromStream(stream));
    EXPECT_EQ(view->GetLayerCount(), 1);
    EXPECT_EQ(view->LayersCurrent(), 0);
    EXPECT_EQ(view->Layer(0).Bitmap()->GetWidth(), 6);
}

TEST_F(LayersStreamTest, LoadingIntoFiveLayersLeavesTheStreamsCount)
{
    const std::vector<uint8_t> bytes = ThreeLayers(LayersImageZlibRaw);
    TMemoryStream probe;
    Fill(probe, bytes);
    EXPECT_TRUE(IsLayersStream(probe));
    TBrelvixView* target = NewView();
    for (int32_t i = 0; i < 4; ++i)
        target->AddLayer(Pattern(4, 4, qk24RGB, i));
    ASSERT_EQ(target->GetLayerCount(), 5);
    ASSERT_TRUE(Load(*target, bytes));
    EXPECT_EQ(target->GetLayerCount(), 3);
    EXPECT_EQ(target->GetImageBitmap(), target->Layer(2).Bitmap());
    EXPECT_EQ(target->Geometry().ImageWidth, 6);
    delete target;
}

// The view a failed load leaves: its two layers exactly as they were.
void ExpectUntouched(TBrelvixView& target, TQkBitmap& background)
{
    ASSERT_EQ(target.GetLayerCount(), 2);
    EXPECT_EQ(target.Layer(1).LayerName, "before");
    ExpectSamePixels(background, *target.Layer(0).Bitmap());
}

TEST_F(LayersStreamTest, EveryTruncationIsRefusedWithTheViewUnchanged)
{
    for (const int32_t format : {LayersImageZlibRaw, LayersImageRaw}) {
        SCOPED_TRACE(format);
        const std::vector<uint8_t> bytes = ThreeLayers(format);
        TBrelvixView* target = NewView();
        std::unique_ptr<TQkBitmap> background = Pattern(5, 5, qk24RGB, 9);
        target->Layer(0).Bitmap()->Assign(background.get());
        target->AddLayer(Pattern(2, 2, qk24RGB, 3));
        target->Layer(1).LayerName = "before";
        for (size_t length = 0; length < bytes.size(); ++length) {
            TMemoryStream stream;
            Fill(stream, std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length)));
            ASSERT_FALSE(target->LoadLayersFromStream(stream)) << "length " << length;
            EXPECT_EQ(stream.Position(), 0);
        }
        ExpectUntouched(*target, *background);
        delete target;
    }
}

struct TMalformedCase {
    const char* Name;
    // Changes a valid -2 stream of the three layers.
    std::function<void(std::vector<uint8_t>&)> Spoil;
};

void PutInt32(std::vector<uint8_t>& bytes, size_t at, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

// Layer 0's record starts at 25; its name length at 25 + 38, its
// application-data size 4 bytes later, its offset at 25 + 49.
TEST_F(LayersStreamTest, MalformedStreamsAreRefusedWithTheViewUnchanged)
{
    const TMalformedCase cases[] = {
        {"wrong signature", [](std::vector<uint8_t>& b) { b[0] = 'X'; }},
        {"version 0", [](std::vector<uint8_t>& b) { PutInt32(b, 13, 0); }},
        {"negative count", [](std::vector<uint8_t>& b) { PutInt32(b, 21, -1); }},
        {"count past the bytes", [](std::vector<uint8_t>& b) { PutInt32(b, 21, 0x7FFFFFFF); }},
        {"negative name length", [](std::vector<uint8_t>& b) { PutInt32(b, 25 + 38, -5); }},
        {"name past the end", [](std::vector<uint8_t>& b) { PutInt32(b, 25 + 38, 0x7FFFFFF0); }},
        {"data size past the end", [](std::vector<uint8_t>& b) { PutInt32(b, 25 + 42, 0x7FFFFFF0); }},
        {"unknown zoom filter", [](std::vector<uint8_t>& b) { b[25 + 36] = 200; }},
        {"offset past the end", [](std::vector<uint8_t>& b) { PutInt32(b, 25 + 49, 0x7FFFFFF0); }},
        {"negative offset", [](std::vector<uint8_t>& b) { PutInt32(b, 25 + 53, -1); }},
        {"offset onto the header", [](std::vector<uint8_t>& b) { PutInt32(b, 25 + 49, 0); }},
        {"image size past the end",
         [](std::vector<uint8_t>& b) {
             const size_t at = TQkByteReader(b.data() + 25 + 49, 4).UInt32();
             PutInt32(b, at, 0x7FFFFFF0);
         }},
        {"garbage image",
         [](std::vector<uint8_t>& b) {
             const size_t at = TQkByteReader(b.data() + 25 + 49, 4).UInt32();
             std::fill(b.begin() + static_cast<ptrdiff_t>(at) + 4, b.begin() + static_cast<ptrdiff_t>(at) + 40, 0xEE);
         }},
        {"unknown image format", [](std::vector<uint8_t>& b) { PutInt32(b, 17, 99); }},
    };
    const std::vector<uint8_t> valid = ThreeLayers(LayersImageRaw);
    TBrelvixView* target = NewView();
    std::unique_ptr<TQkBitmap> background = Pattern(5, 5, qk24RGB, 9);
    target->Layer(0).Bitmap()->Assign(background.get());
    target->AddLayer(Pattern(2, 2, qk24RGB, 3));
    target->Layer(1).LayerName = "before";
    for (const TMalformedCase& test : cases) {
        SCOPED_TRACE(test.Name);
        std::vector<uint8_t> bytes = valid;
        test.Spoil(bytes);
        EXPECT_FALSE(Load(*target, bytes));
        ExpectUntouched(*target, *background);
    }
    delete target;
}

// A compressed image that inflates past the decode limit is refused
// before it is decoded.
TEST_F(LayersStreamTest, ImagesPastTheDecodeLimitAreRefused)
{
    const std::vector<uint8_t> bytes = ThreeLayers(LayersImageZlibRaw);
    const int64_t limit = DecodePixelLimit;
    DecodePixelLimit = 20;
    TBrelvixView* target = NewView();
    EXPECT_FALSE(Load(*target, bytes));
    EXPECT_EQ(target->GetLayerCount(), 1);
    DecodePixelLimit = limit;
    EXPECT_TRUE(Load(*target, bytes));
    delete target;
}

} // namespace
