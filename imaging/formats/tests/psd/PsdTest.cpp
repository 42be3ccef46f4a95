#include <gtest/gtest.h>

#include <cstring>
#include <zlib.h>

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/jpeg/QkJpeg.h"
#include "imaging/formats/psd/QkLayerData.h"
#include "imaging/formats/psd/QkPackBits.h"
#include "imaging/formats/psd/QkPsd.h"
#include "imaging/formats/tests/CodecTestFiles.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"

namespace {

using TBytes = std::vector<uint8_t>;

void Put16(TBytes& out, uint32_t v) { out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)}); }
void Put32(TBytes& out, uint32_t v)
{
    Put16(out, v >> 16);
    Put16(out, v);
}
void PutText(TBytes& out, const char* text) { out.insert(out.end(), text, text + std::strlen(text)); }
void PutBlock(TBytes& out, const TBytes& block)
{
    Put32(out, uint32_t(block.size()));
    out.insert(out.end(), block.begin(), block.end());
}
uint16_t Get16(const std::string& bytes, size_t at)
{
    return uint16_t(uint8_t(bytes[at]) << 8 | uint8_t(bytes[at + 1]));
}
uint32_t Get32(const std::string& bytes, size_t at) { return uint32_t(Get16(bytes, at)) << 16 | Get16(bytes, at + 2); }

TBytes Resource(uint16_t id, const TBytes& data)
{
    TBytes out;
    PutText(out, "8BIM");
    Put16(out, id);
    Put16(out, 0);
    PutBlock(out, data);
    if (out.size() % 2 != 0)
        out.push_back(0);
    return out;
}

// A document: header, colour data, resources, layer section, then the
// merged image given as raw channels.
struct TPsdBuilder {
    uint16_t Mode = 3;
    uint16_t Depth = 8;
    uint16_t Channels = 3;
    uint32_t Width = 4;
    uint32_t Height = 2;
    TBytes ColourData;
    TBytes Resources;
    TBytes LayerSection;
    uint16_t Compression = 0;
    TBytes Merged;

    std::string Bytes() const
    {
        TBytes out;
        PutText(out, "8BPS");
        Put16(out, 1);
        out.insert(out.end(), 6, 0);
        Put16(out, Channels);
        Put32(out, Height);
        Put32(out, Width);
        Put16(out, Depth);
        Put16(out, Mode);
        PutBlock(out, ColourData);
        PutBlock(out, Resources);
        PutBlock(out, LayerSection);
        Put16(out, Compression);
        out.insert(out.end(), Merged.begin(), Merged.end());
        return {out.begin(), out.end()};
    }
};

struct TLayerSpec {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 2;
    int32_t Height = 1;
    // Channel id and its data (compression first).
    std::vector<std::pair<int16_t, TBytes>> Channels;
    TBytes MaskData;
    std::string Name = "L";
};

TBytes LayerSection(const std::vector<TLayerSpec>& layers)
{
    TBytes info;
    Put16(info, uint16_t(layers.size()));
    for (const TLayerSpec& layer : layers) {
        for (const int32_t v : {layer.Top, layer.Left, layer.Top + layer.Height, layer.Left + layer.Width})
            Put32(info, uint32_t(v));
        Put16(info, uint16_t(layer.Channels.size()));
        for (const auto& [id, data] : layer.Channels) {
            Put16(info, uint16_t(id));
            Put32(info, uint32_t(data.size()));
        }
        PutText(info, "8BIMnorm");
        info.insert(info.end(), {200, 0, 0, 0});
        TBytes extra;
        PutBlock(extra, layer.MaskData);
        Put32(extra, 0);
        extra.push_back(uint8_t(layer.Name.size()));
        PutText(extra, layer.Name.c_str());
        for (size_t namePart = layer.Name.size() + 1; namePart % 4 != 0; ++namePart)
            extra.push_back(0);
        PutBlock(info, extra);
    }
    for (const TLayerSpec& layer : layers)
        for (const auto& channel : layer.Channels)
            info.insert(info.end(), channel.second.begin(), channel.second.end());
    TBytes section;
    PutBlock(section, info);
    Put32(section, 0);
    return section;
}

TBytes RawChannel(const TBytes& samples)
{
    TBytes out{0, 0};
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

class PsdTest : public FilterTest {
protected:
    bool Read(const std::string& bytes, bool loadLayers = false)
    {
        TMemoryStream stream;
        FillStream(stream, bytes);
        aborting = false;
        progress.Aborting = &aborting;
        layers.clear();
        TQkReadRequest request(stream, bitmap, params, progress);
        ReadPsdImage(request, loadLayers, &layers);
        return !aborting;
    }
    std::string Write(const TQkLayerList& written)
    {
        TMemoryStream stream;
        aborting = false;
        progress.Aborting = &aborting;
        TQkWriteRequest request{stream, bitmap, params, progress};
        WritePsdImage(request, written);
        return {static_cast<const char*>(stream.Memory()), size_t(stream.Size())};
    }

    TQkLayerList layers;
};

std::string Row(TQkBitmap& bitmap, int32_t y, int32_t bytes)
{
    return {reinterpret_cast<const char*>(bitmap.GetScanline(y)), size_t(bytes)};
}

} // namespace

TEST(PackBits, RowsPackIntoRunsAndLiterals)
{
    const struct {
        TBytes Row;
        TBytes Packed;
    } cases[] = {
        {{7, 7, 7, 7, 7, 1, 2, 3}, {uint8_t(-4), 7, 2, 1, 2, 3}},
        {{1, 2, 2, 2, 3}, {4, 1, 2, 2, 2, 3}},
        {{9}, {0, 9}},
    };
    for (const auto& c : cases) {
        TBytes packed;
        PackBitsRow(c.Row, packed);
        EXPECT_EQ(packed, c.Packed);
        TBytes row(c.Row.size());
        EXPECT_EQ(UnpackBitsRow(packed, row), row.size());
        EXPECT_EQ(row, c.Row);
    }
    TBytes longRow(300);
    for (size_t i = 0; i < longRow.size(); ++i)
        longRow[i] = uint8_t(i * 7);
    longRow.insert(longRow.end(), 200, 5);
    TBytes packed;
    PackBitsRow(longRow, packed);
    EXPECT_EQ(packed[0], 127); // literals stop at 128 bytes
    TBytes row(longRow.size());
    UnpackBitsRow(packed, row);
    EXPECT_EQ(row, longRow);
}

// Header -128 does nothing, and neither a long run nor a literal cut short
// writes past the row or reads past the data.
TEST(PackBits, DecodingStaysInsideTheRowAndTheData)
{
    TBytes row(4, 0xEE);
    EXPECT_EQ(UnpackBitsRow(TBytes{0x80, uint8_t(-127), 3}, row), 4u);
    EXPECT_EQ(row, (TBytes{3, 3, 3, 3}));
    TBytes shortRow(4, 0xEE);
    EXPECT_EQ(UnpackBitsRow(TBytes{10, 1, 2}, shortRow), 2u);
    EXPECT_EQ(shortRow, (TBytes{1, 2, 0xEE, 0xEE}));
}

TEST_F(PsdTest, ResourcesFillTheParameters)
{
    TPsdBuilder psd;
    psd.Merged.assign(24, 0x40);
    TBytes resolution;
    for (int i = 0; i < 2; ++i) {
        Put32(resolution, (150u + i * 50) << 16 | 0x8000);
        Put32(resolution, 0x00010001);
    }
    TBytes xmp;
    PutText(xmp, "<x:xmpmeta/>");
    TBytes iptc{0x1C, 2, 120, 0, 5};
    PutText(iptc, "hello");
    // A named resource: a length byte and the text, padded to even.
    TBytes named;
    PutText(named, "8BIM");
    Put16(named, 2000);
    named.insert(named.end(), {3, 'a', 'b', 'c'});
    Put32(named, 1);
    named.insert(named.end(), {9, 0});
    TQkBitmap small(3, 2, qk24RGB);
    small.Fill(0x808080);
    TMemoryStream jpeg;
    TIOParamsVals jpegParams(nullptr);
    TQkFilterProgress jpegProgress;
    WriteJpegImage(jpeg, small, jpegParams, jpegProgress);
    TBytes thumbnail(28, 0);
    const auto* jpegBytes = static_cast<const uint8_t*>(jpeg.Memory());
    thumbnail.insert(thumbnail.end(), jpegBytes, jpegBytes + jpeg.Size());
    for (const TBytes& block :
         {Resource(1005, resolution), named, Resource(1060, xmp), Resource(1028, iptc), Resource(1036, thumbnail)})
        psd.Resources.insert(psd.Resources.end(), block.begin(), block.end());
    ASSERT_TRUE(Read(psd.Bytes()));
    EXPECT_EQ(params.DpiX, 150);
    EXPECT_EQ(params.DpiY, 200);
    EXPECT_EQ(params.XmpInfo, "<x:xmpmeta/>");
    EXPECT_EQ(params.IptcInfo.GetCount(), 1);
    ASSERT_TRUE(params.ExifThumbnail);
    EXPECT_EQ(params.ExifThumbnail->GetWidth(), 3);
    EXPECT_EQ(bitmap.GetWidth(), 4);
    // Asked for, the thumbnail replaces the image.
    params.ReadThumbnail = true;
    ASSERT_TRUE(Read(psd.Bytes()));
    EXPECT_EQ(bitmap.GetWidth(), 3);
    params.ReadThumbnail = false;
    // A broken thumbnail is left out.
    thumbnail.resize(40);
    psd.Resources = Resource(1036, thumbnail);
    params.ExifThumbnail.reset();
    EXPECT_TRUE(Read(psd.Bytes()));
    EXPECT_FALSE(params.ExifThumbnail);
}

TEST_F(PsdTest, IndexedTransparencyAndBitmapAndLabModes)
{
    TPsdBuilder indexed;
    indexed.Mode = 2;
    indexed.Channels = 1;
    indexed.ColourData.assign(768, 0);
    indexed.ColourData[3] = 250; // red of index 3
    indexed.ColourData[512 + 1] = 90; // blue of index 1
    indexed.Resources = Resource(1047, {0, 3});
    indexed.Merged = {3, 1, 3, 0, 255, 3, 2, 1};
    params.NativePixelFormat = true;
    ASSERT_TRUE(Read(indexed.Bytes()));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk8p);
    EXPECT_EQ(Row(*bitmap.GetAlphaChannel(), 0, 4), std::string("\0\xff\0\xff", 4));
    EXPECT_EQ(Row(*bitmap.GetAlphaChannel(), 1, 4), std::string("\xff\0\xff\xff", 4));
    TRGBPixel colour;
    bitmap.GetPaletteColor(3, colour);
    EXPECT_EQ(colour.r, 250);
    bitmap.GetPaletteColor(1, colour);
    EXPECT_EQ(colour.b, 90);

    TPsdBuilder bits;
    bits.Mode = 0;
    bits.Depth = 1;
    bits.Channels = 1;
    bits.Width = 10;
    bits.Merged = {0x80, 0x40, 0xFF, 0xC0}; // 1 is black
    ASSERT_TRUE(Read(bits.Bytes()));
    ASSERT_EQ(bitmap.GetPixelFormat(), qk1g);
    EXPECT_EQ(Row(bitmap, 0, 2), "\x7f\xbf");
    EXPECT_EQ(Row(bitmap, 1, 2).substr(0, 1), std::string("\0", 1));

    TPsdBuilder lab;
    lab.Mode = 9;
    lab.Channels = 3;
    lab.Width = 1;
    lab.Height = 1;
    lab.Merged = {200, 128 + 20, 128 - 30};
    ASSERT_TRUE(Read(lab.Bytes()));
    ASSERT_EQ(bitmap.GetPixelFormat(), qkCIELab);
    EXPECT_EQ(Row(bitmap, 0, 3), std::string({char(200), char(20), char(-30)}));
}

TEST_F(PsdTest, HeadersAndDepthsTheReaderRefuses)
{
    const struct {
        uint16_t Mode;
        uint16_t Depth;
        uint16_t Channels;
    } cases[] = {{3, 4, 3}, {3, 32, 3}, {3, 8, 25}, {10, 8, 3}, {2, 16, 1}, {3, 1, 3}};
    for (const auto& c : cases) {
        TPsdBuilder psd;
        psd.Mode = c.Mode;
        psd.Depth = c.Depth;
        psd.Channels = c.Channels;
        psd.Merged.assign(200, 0);
        EXPECT_FALSE(Read(psd.Bytes())) << c.Mode << " " << c.Depth << " " << c.Channels;
    }
    TPsdBuilder psd;
    psd.Merged.assign(24, 0);
    const std::string whole = psd.Bytes();
    EXPECT_FALSE(Read(whole.substr(0, whole.size() - 5))); // merged image cut short
    psd.Compression = 2;
    EXPECT_FALSE(Read(psd.Bytes()));
}

// Three layers: without the layers flag only the merged image is read;
// with it the list gets them (the second with its mask, a 36-byte mask
// record, as a hidden mask layer), and the merged image is not read.
TEST_F(PsdTest, LayersMasksAndTheLayersFlag)
{
    TBytes mask36;
    for (const int32_t v : {1, 2, 2, 4})
        Put32(mask36, uint32_t(v));
    mask36.resize(36, 0);
    TLayerSpec first{
        0,
        0,
        2,
        1,
        {{-1, RawChannel({10, 20})}, {0, RawChannel({1, 2})}, {1, RawChannel({3, 4})}, {2, RawChannel({5, 6})}},
        {},
        "first"};
    TLayerSpec second{1, 1, 3, 1, {{0, RawChannel({7, 7, 7})}, {-2, RawChannel({100, 200})}}, mask36, "second"};
    // Zip with row prediction: deltas 1, +1, +1.
    const uint8_t deltas[] = {1, 1, 1};
    TBytes zipped(64);
    uLongf zippedSize = zipped.size() - 2;
    ASSERT_EQ(compress(zipped.data() + 2, &zippedSize, deltas, sizeof deltas), Z_OK);
    zipped.resize(zippedSize + 2);
    zipped[1] = 3;
    TLayerSpec third{0, 1, 3, 1, {{0, zipped}, {1, RawChannel({0, 0, 0})}, {2, RawChannel({0, 0, 0})}}, {}, "z"};
    TPsdBuilder psd;
    psd.LayerSection = LayerSection({first, second, third});
    psd.Merged.assign(24, 0x55);
    params.NativePixelFormat = true;
    ASSERT_TRUE(Read(psd.Bytes(), false));
    EXPECT_TRUE(layers.empty());
    EXPECT_EQ(bitmap.GetScanline(0)[0], 0x55);
    bitmap.FreeImage(true);
    ASSERT_TRUE(Read(psd.Bytes(), true));
    EXPECT_TRUE(bitmap.IsEmpty());
    ASSERT_EQ(layers.size(), 4u);
    EXPECT_EQ(layers[0]->Name(), "first");
    EXPECT_EQ(layers[0]->Opacity(), 200);
    EXPECT_EQ(Row(*layers[0]->Bitmap(), 0, 6), "\5\3\1\6\4\2");
    EXPECT_EQ(Row(*layers[0]->Bitmap()->GetAlphaChannel(), 0, 2), "\x0a\x14");
    EXPECT_EQ(layers[1]->Name(), "second");
    EXPECT_EQ(layers[1]->PosX(), 1);
    EXPECT_TRUE(layers[2]->IsMask());
    EXPECT_FALSE(layers[2]->Visible());
    EXPECT_EQ(layers[2]->PosX(), 2);
    EXPECT_EQ(layers[2]->PosY(), 1);
    EXPECT_EQ(Row(*layers[2]->Bitmap(), 0, 2), "\x64\xc8");
    EXPECT_EQ(layers[3]->Name(), "z");
    EXPECT_EQ(Row(*layers[3]->Bitmap(), 0, 9), std::string("\0\0\1\0\0\2\0\0\3", 9));
}

// Two layers, the second the mask of the first: one record with the
// alpha, colour and mask channels, the merged image counted without its
// alpha, no transparency-index resource, and our reader gets it all back.
TEST_F(PsdTest, WrittenLayersAndMasksReadBack)
{
    bitmap.Allocate(5, 3, qk24RGB);
    bitmap.Fill(0x102030);
    bitmap.GetAlphaChannel()->Fill(77);
    TQkLayerList written;
    auto layer = std::make_unique<TQkLayerData>();
    layer->Bitmap()->Allocate(3, 2, qk24RGB);
    layer->Bitmap()->Fill(0x405060);
    layer->Bitmap()->GetAlphaChannel()->Fill(99);
    layer->SetPosX(1);
    layer->SetPosY(1);
    layer->SetName("top");
    auto mask = std::make_unique<TQkLayerData>();
    mask->Bitmap()->Allocate(2, 2, qk8g);
    mask->Bitmap()->Fill(180);
    mask->SetIsMask(true);
    mask->SetPosX(2);
    mask->SetPosY(1);
    written.push_back(std::move(layer));
    written.push_back(std::move(mask));
    params.DpiX = params.DpiY = 120;
    const std::string file = Write(written);
    ASSERT_FALSE(aborting);
    EXPECT_EQ(Get16(file, 12), 3); // channels
    const size_t resources = 26 + 4;
    const uint32_t resourceLength = Get32(file, resources);
    EXPECT_EQ(file.substr(resources + 4, resourceLength).find(std::string("8BIM\x04\x17", 6)), std::string::npos);
    const size_t section = resources + 4 + resourceLength;
    EXPECT_EQ(Get16(file, section + 8), 1); // layer count
    const size_t channels = section + 10 + 16;
    ASSERT_EQ(Get16(file, channels), 5);
    const int16_t ids[] = {-1, 0, 1, 2, -2};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(int16_t(Get16(file, channels + 2 + 6 * i)), ids[i]);

    params.NativePixelFormat = true;
    TQkBitmap merged;
    merged.Assign(&bitmap);
    ASSERT_TRUE(Read(file, true));
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(params.DpiX, 120);
    EXPECT_EQ(layers[0]->Name(), "top");
    EXPECT_EQ(layers[0]->PosY(), 1);
    EXPECT_EQ(Row(*layers[0]->Bitmap(), 1, 9), "\x40\x50\x60\x40\x50\x60\x40\x50\x60");
    EXPECT_EQ(Row(*layers[0]->Bitmap()->GetAlphaChannel(), 1, 3), "ccc");
    EXPECT_TRUE(layers[1]->IsMask());
    EXPECT_EQ(layers[1]->PosX(), 2);
    EXPECT_EQ(Row(*layers[1]->Bitmap(), 1, 2), "\xb4\xb4");
    ASSERT_TRUE(Read(file, false));
    EXPECT_EQ(Row(bitmap, 2, 15), Row(merged, 2, 15));
}

// Every pixel format the writer takes is read back as it was, 1-bit rows
// and 16-bit samples included; qk32f is refused without a byte.
TEST_F(PsdTest, WrittenFormatsRoundTrip)
{
    params.NativePixelFormat = true;
    for (const TQkPixelFormat format : {qk1g, qk8p, qk8g, qk16g, qk24RGB, qkRGB48, qkCMYK, qkCIELab}) {
        SCOPED_TRACE(int(format));
        TQkBitmap source(7, 3, format);
        const int32_t rowBytes = source.GetRowLen();
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t i = 0; i < rowBytes; ++i)
                source.GetScanline(y)[i] = uint8_t(i * 37 + y * 11);
        if (format == qk8p)
            for (int32_t i = 0; i < 256; ++i)
                source.SetPaletteColor(i, TRGBPixel{uint8_t(i), uint8_t(255 - i), 9});
        bitmap.Assign(&source);
        const std::string file = Write({});
        ASSERT_FALSE(aborting);
        ASSERT_TRUE(Read(file));
        ASSERT_EQ(bitmap.GetPixelFormat(), format);
        const int32_t used = format == qk1g ? 1 : QkBytesPerPixel(format) * 7;
        for (int32_t y = 0; y < 3; ++y)
            EXPECT_EQ(Row(bitmap, y, used), Row(source, y, used)) << y;
    }
    bitmap.Allocate(2, 2, qk32f);
    EXPECT_TRUE(Write({}).empty());
    EXPECT_TRUE(aborting);
}

// An embedded profile comes back in the parameters, converts the CMYK
// document to RGB and is written again.
TEST_F(PsdTest, EmbeddedProfileConvertsAndRoundTrips)
{
    const std::vector<uint8_t> profile = ReadFileBytes(std::string(TEST_BINARY_DIR) + "/CmykProfile.icc");
    ASSERT_FALSE(profile.empty());
    TPsdBuilder psd;
    psd.Mode = 4;
    psd.Channels = 4;
    for (int channel = 0; channel < 4; ++channel)
        for (int i = 0; i < 8; ++i)
            psd.Merged.push_back(uint8_t(channel == 3 ? 255 : 40 * channel + 20 * i));
    psd.Resources = Resource(1039, TBytes(profile.begin(), profile.end()));
    ASSERT_TRUE(Read(psd.Bytes()));
    ASSERT_TRUE(params.InputICCProfile);
    EXPECT_TRUE(params.InputICCProfile->IsValid());
    EXPECT_EQ(params.InputICCProfile->RawData(), profile);
    EXPECT_EQ(bitmap.GetPixelFormat(), qk24RGB);

    const std::string written = Write({});
    ASSERT_FALSE(aborting);
    params.InputICCProfile.reset();
    ASSERT_TRUE(Read(written));
    ASSERT_TRUE(params.InputICCProfile);
    EXPECT_EQ(params.InputICCProfile->RawData(), profile);
}
