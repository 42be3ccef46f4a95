#include "imaging/views/layers/QkLayer.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "imaging/core/QkBitmap.h"
#include "imaging/views/QkViewGeometry.h"

namespace {

std::vector<uint8_t> ReadFixture(const std::string& name)
{
    std::ifstream file(std::string(TEST_SOURCE_DIR) + "/layers/fixtures/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Bytes(TMemoryStream& stream)
{
    const auto* data = static_cast<const uint8_t*>(stream.Memory());
    return {data, data + stream.Size()};
}

void Fill(TMemoryStream& stream, const std::vector<uint8_t>& bytes)
{
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
}

std::unique_ptr<TQkBitmap> Gradient(int32_t width, int32_t height)
{
    auto bitmap = std::make_unique<TQkBitmap>(width, height, qk24RGB);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = bitmap->GetScanline(y);
        for (int32_t i = 0; i < width * 3; ++i)
            row[i] = static_cast<uint8_t>(y * 31 + i * 7);
    }
    return bitmap;
}

// The layer the golden record was written from, field by field.
void FillAsGolden(TQkLayer& layer)
{
    for (uint8_t i = 0; i < 16; ++i)
        layer.Identity[i] = static_cast<uint8_t>(i + 1);
    layer.DisplayWidth = 100;
    layer.DisplayHeight = 50;
    layer.ShowBox = false;
    layer.OpacityValue = 128;
    layer.Left = -3;
    layer.Top = 7;
    layer.ScreenRect = TRect{1, 2, 3, 4};
    layer.ClipToBackground = true;
    layer.LensEnabled = true;
    layer.LensRate = 3.5;
    layer.LensShape = 1;
    layer.LensSource = 0;
    layer.BlendOperation = 9;
    layer.ZoomFilter = static_cast<TResampleFilter>(2);
    layer.OwnZoomFilter = true;
    layer.LayerName = "abc";
    layer.MaskOfPrevious = true;
    layer.ShadeOutside = true;
    layer.SetAngle(90);
    layer.PivotX = 0.25;
    layer.PivotY = 0.75;
}

TEST(LayerTest, WholeTurnsAreStoredAsNoRotation)
{
    struct TCase {
        double Requested;
        double Stored;
    } cases[] = {{360, 0}, {-720, 0}, {0, 0}, {360.5, 360.5}, {90, 90}, {-90, -90}};
    TQkLayer layer(nullptr, static_cast<TQkBitmap*>(nullptr));
    for (const TCase& c : cases) {
        layer.SetAngle(c.Requested);
        EXPECT_EQ(layer.Angle(), c.Stored) << c.Requested;
    }
}

TEST(LayerTest, DisplayedSizeScalesScreenToBitmap)
{
    TQkViewGeometry view;
    view.ImageWidth = 200;
    view.ImageHeight = 100;
    view.ViewWidth = view.OuterWidth = 400;
    view.ViewHeight = view.OuterHeight = 300;
    view.UpdateZoomedSize();
    view.UpdateVisibleArea();
    view.UpdateCoordinateTables();
    TQkLayer layer(&view, Gradient(200, 20));
    EXPECT_EQ(layer.GetWidth(), 200);
    EXPECT_EQ(layer.GetHeight(), 20);
    layer.DisplayWidth = 100;
    layer.Left = 10;
    const int32_t screen = view.OffsetX() + 10 + 30; // image column 30 of the layer
    EXPECT_EQ(layer.ScreenToBitmapX(screen), 60);
    EXPECT_EQ(layer.BitmapToScreenX(60), screen);
    layer.DisplayWidth = 0;
    EXPECT_EQ(layer.ScreenToBitmapX(screen), 30);
}

TEST(LayerTest, RecordMatchesTheGoldenBytes)
{
    TQkLayer layer(nullptr, Gradient(4, 4));
    FillAsGolden(layer);
    TMemoryStream stream;
    layer.SaveToStream(stream, false);
    const std::vector<uint8_t> golden = ReadFixture("layer-abc.bin");
    ASSERT_EQ(golden.size(), 126u);
    const std::vector<uint8_t> written = Bytes(stream);
    ASSERT_EQ(written.size(), golden.size());
    for (size_t i = 0; i < golden.size(); ++i)
        EXPECT_EQ(written[i], golden[i]) << "at offset " << i;

    TQkLayer read(nullptr, Gradient(4, 4));
    TMemoryStream input;
    Fill(input, golden);
    ASSERT_TRUE(read.LoadFromStream(input));
    EXPECT_EQ(input.Position(), 126);
    TMemoryStream again;
    read.SaveToStream(again, false);
    EXPECT_EQ(Bytes(again), golden);
    EXPECT_EQ(read.Bitmap()->GetWidth(), 4) << "a record without image leaves the bitmap";
}

TEST(LayerTest, RecordRoundTripsWithTheImage)
{
    TQkLayer layer(nullptr, Gradient(5, 3));
    FillAsGolden(layer);
    layer.AppData = {1, 2, 3};
    TMemoryStream stream;
    stream.WriteBuffer("xy", 2); // records start where the stream stands
    layer.SaveToStream(stream, true);
    stream.SetPosition(2);

    TQkLayer read(nullptr, static_cast<TQkBitmap*>(nullptr));
    read.AppData = {9};
    ASSERT_TRUE(read.LoadFromStream(stream));
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(read.Identity, layer.Identity);
    EXPECT_EQ(read.LayerName, "abc");
    EXPECT_EQ(read.Angle(), 90);
    EXPECT_EQ(read.LensRate, 3.5);
    EXPECT_EQ(read.AppData, std::vector<uint8_t>{9}) << "application data travels in the layers stream only";
    ASSERT_EQ(read.Bitmap()->GetWidth(), 5);
    ASSERT_EQ(read.Bitmap()->GetHeight(), 3);
    for (int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(read.Bitmap()->GetScanline(y), layer.Bitmap()->GetScanline(y), 15), 0) << y;
}

TEST(LayerTest, CutOrImpossibleRecordsChangeNothing)
{
    TQkLayer source(nullptr, Gradient(5, 3));
    FillAsGolden(source);
    TMemoryStream whole;
    source.SaveToStream(whole, true);
    const std::vector<uint8_t> record = Bytes(whole);

    TQkLayer target(nullptr, Gradient(2, 2));
    target.LayerName = "kept";
    for (size_t length = 0; length < record.size(); ++length) {
        TMemoryStream cut;
        Fill(cut, {record.begin(), record.begin() + static_cast<std::ptrdiff_t>(length)});
        ASSERT_FALSE(target.LoadFromStream(cut)) << length;
        ASSERT_EQ(cut.Position(), 0) << length;
    }
    std::vector<uint8_t> hugeName = ReadFixture("layer-abc.bin");
    hugeName[92] = hugeName[93] = hugeName[94] = hugeName[95] = 0xFF;
    std::vector<uint8_t> tinySize = ReadFixture("layer-abc.bin");
    tinySize[0] = 4;
    std::vector<uint8_t> missingImage = ReadFixture("layer-abc.bin");
    missingImage[125] = 1;
    std::vector<uint8_t> unknownFilter = ReadFixture("layer-abc.bin");
    unknownFilter[90] = 0xFF;
    for (const auto& bad : {hugeName, tinySize, missingImage, unknownFilter}) {
        TMemoryStream stream;
        Fill(stream, bad);
        EXPECT_FALSE(target.LoadFromStream(stream));
    }
    EXPECT_EQ(target.LayerName, "kept");
    EXPECT_EQ(target.Bitmap()->GetWidth(), 2);
}

// Records that once upset the reader under the fuzzer: each is refused and
// leaves the layer as it was.
TEST(LayerTest, MalformedRecordsAreRefused)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        if (file.path().filename().string().rfind("layer-", 0) != 0)
            continue;
        SCOPED_TRACE(file.path().filename().string());
        std::ifstream in(file.path(), std::ios::binary);
        TMemoryStream stream;
        Fill(stream, {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
        TQkLayer layer(nullptr, Gradient(2, 2));
        EXPECT_FALSE(layer.LoadFromStream(stream));
        EXPECT_TRUE(layer.LayerName.empty());
    }
}

// A layer of another kind, as the layered-format readers make them.
class TForeignLayer : public IQkLayer {
public:
    TQkBitmap Pixels{3, 2, qk24RGB};
    TQkGUID Id{};
    TQkBitmap* Bitmap() override { return &Pixels; }
    const TQkGUID& Identifier() const override { return Id; }
    int32_t PosX() const override { return 11; }
    void SetPosX(int32_t) override {}
    int32_t PosY() const override { return 12; }
    void SetPosY(int32_t) override {}
    uint8_t Opacity() const override { return 77; }
    void SetOpacity(uint8_t) override {}
    std::string Name() const override { return "foreign"; }
    void SetName(const std::string&) override {}
    bool Visible() const override { return false; }
    void SetVisible(bool) override {}
    bool PsdBaseClipping() const override { return true; }
    void SetPsdBaseClipping(bool) override {}
    bool IsMask() const override { return true; }
    void SetIsMask(bool) override {}
    TResampleFilter ResampleFilter() const override { return static_cast<TResampleFilter>(3); }
    void SetResampleFilter(TResampleFilter) override {}
    bool UseResampleFilter() const override { return true; }
    void SetUseResampleFilter(bool) override {}
    int32_t GetWidth() const override { return 3; }
    int32_t GetHeight() const override { return 2; }
    void SaveToStream(TMemoryStream&, bool) override {}
    bool LoadFromStream(TStream&) override { return false; }
    void SetDefaults() override {}
    void Assign(IQkLayer&) override {}
    void SetLocked(bool) override {}
};

TEST(LayerTest, AssignCopiesByValueAndKeepsTheTargetsRotationAndIdentity)
{
    TQkLayer target(nullptr, Gradient(2, 2));
    target.SetAngle(45);
    target.PivotX = 0.1;
    const TQkGUID identity = target.Identity;
    {
        auto source = std::make_unique<TQkLayer>(nullptr, Gradient(6, 4));
        FillAsGolden(*source);
        source->AppData = {5, 6, 7};
        target.Assign(*source);
        source->AppData[0] = 0;
    } // the source and its block are gone: the target's copy must stand alone
    EXPECT_EQ(target.AppData, (std::vector<uint8_t>{5, 6, 7}));
    EXPECT_EQ(target.Angle(), 45);
    EXPECT_EQ(target.PivotX, 0.1);
    EXPECT_EQ(target.Identity, identity);
    EXPECT_EQ(target.LayerName, "abc");
    EXPECT_EQ(target.DisplayWidth, 100);
    EXPECT_EQ(target.Bitmap()->GetWidth(), 6);

    TForeignLayer foreign;
    target.Assign(foreign);
    EXPECT_EQ(target.LayerName, "foreign");
    EXPECT_EQ(target.Left, 11);
    EXPECT_EQ(target.Top, 12);
    EXPECT_EQ(target.OpacityValue, 77);
    EXPECT_FALSE(target.IsVisible);
    EXPECT_TRUE(target.MaskOfPrevious);
    EXPECT_EQ(target.Bitmap()->GetWidth(), 3);
    EXPECT_EQ(target.AppData, (std::vector<uint8_t>{5, 6, 7})) << "a foreign layer has no application data";
}

TEST(LayerTest, IdentitiesAreDistinctVersionFourGuids)
{
    TQkLayer a(nullptr, static_cast<TQkBitmap*>(nullptr));
    TQkLayer b(nullptr, static_cast<TQkBitmap*>(nullptr));
    EXPECT_NE(a.Identity, b.Identity);
    EXPECT_EQ(a.Identity[7] >> 4, 4);
    EXPECT_EQ(a.Identity[8] & 0xC0, 0x80);
}

} // namespace
