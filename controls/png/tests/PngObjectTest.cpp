// Chunk handling, transparency, gamma and the encoder's settings.

#include "PngTestSupport.h"

#include "controls/png/pngimage.h"

#include "platform/core/Streams.h"
#include "platform/gfx/Picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <zlib.h>

namespace {

const std::string GrayRows("\0\x10\x20\0\x30\x40", 6);

std::string SimpleGray(const std::string& extraChunkName = "", const std::string& extraData = "")
{
    TPngBuilder builder;
    builder.Header(2, 2, 8, 0);
    if (!extraChunkName.empty())
        builder.Chunk(extraChunkName, extraData);
    return builder.ImageData(GrayRows).End().Bytes();
}

std::vector<std::string> ChunkNames(const std::string& file)
{
    std::vector<std::string> names;
    for (const auto& chunk : SplitChunks(file))
        names.push_back(chunk.first);
    return names;
}

// The IDAT data of a file, re-cut into chunks of `size` bytes, the second one empty.
std::string RechunkImageData(const std::string& file, size_t size)
{
    std::string data;
    TPngBuilder builder;
    for (const auto& [name, bytes] : SplitChunks(file)) {
        if (name == "IDAT") {
            data += bytes;
            continue;
        }
        if (name == "IEND")
            for (size_t i = 0; i < data.size(); i += size) {
                builder.Chunk("IDAT", data.substr(i, size));
                if (i == 0)
                    builder.Chunk("IDAT", "");
            }
        builder.Chunk(name, bytes);
    }
    return builder.Bytes();
}

// One stored deflate block: the data verbatim between a 7-byte head and the
// 4-byte checksum.
std::string StoredZlibStream(const std::string& data)
{
    const auto length = static_cast<uint16_t>(data.size());
    const char head[7] = {'\x78',
                          '\x01',
                          '\x01',
                          char(length & 0xFF),
                          char(length >> 8),
                          char(~length & 0xFF),
                          char((~length >> 8) & 0xFF)};
    const uint32_t checksum =
        static_cast<uint32_t>(adler32(1, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    return std::string(head, 7) + data + BigEndian(checksum);
}

// The filter-type byte of every row of a non-interlaced file.
std::vector<uint8_t> RowFilterTypes(const std::string& file, size_t rowBytes)
{
    std::string data;
    for (const auto& [name, bytes] : SplitChunks(file))
        if (name == "IDAT")
            data += bytes;
    const std::string rows = Inflate(data);
    std::vector<uint8_t> types;
    for (size_t i = 0; i < rows.size(); i += rowBytes + 1)
        types.push_back(static_cast<uint8_t>(rows[i]));
    return types;
}

} // namespace

TEST(PngObject, UnknownAncillaryChunksSurviveAndChromaticitiesAreDropped)
{
    TPNGObject png;
    LoadPng(png, SimpleGray("prVt", std::string("\x01\x02\0\x03", 4)));
    LoadPng(png,
            TPngBuilder()
                .Header(2, 2, 8, 0)
                .Chunk("cHRM", std::string(32, '\x01'))
                .Chunk("prVt", std::string("\x01\x02\0\x03", 4))
                .ImageData(GrayRows)
                .End()
                .Bytes());
    const std::string saved = SavePng(png);
    EXPECT_EQ(ChunkNames(saved), (std::vector<std::string>{"IHDR", "prVt", "IDAT", "IEND"}));
    EXPECT_EQ(SplitChunks(saved)[1].second, std::string("\x01\x02\0\x03", 4));
}

TEST(PngObject, ImageDataSplitOverManyChunksDecodes)
{
    const std::string file = WriteWithLibpng(MakePattern(23, 9, 2, 8, 1, 5));
    const std::string rechunked = RechunkImageData(file, 1);
    TPNGObject whole;
    TPNGObject pieces;
    LoadPng(whole, file);
    LoadPng(pieces, rechunked);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 23; ++x)
            ASSERT_EQ(pieces.Pixels(x, y), whole.Pixels(x, y)) << x << "," << y;
}

TEST(PngObject, CompressedStreamEndingAfterTheLastRowLoads)
{
    // A stored (level 0) stream of 65527 bytes: the first 65535-byte block
    // read holds every row, the checksum straddles into the next block.
    const uint32_t width = 65526;
    std::string rows(1, '\0');
    for (uint32_t x = 0; x < width; ++x)
        rows += static_cast<char>(x * 7);
    const std::string compressed = StoredZlibStream(rows);
    TPNGObject png;
    LoadPng(png, TPngBuilder().Header(width, 1, 8, 0).Chunk("IDAT", compressed).End().Bytes());
    EXPECT_EQ(png.Pixels(width - 1, 0),
              RGB(uint8_t((width - 1) * 7), uint8_t((width - 1) * 7), uint8_t((width - 1) * 7)));
    // The checksum alone in a chunk of its own after the rows.
    LoadPng(png,
            TPngBuilder()
                .Header(2, 2, 8, 0)
                .Chunk("IDAT", Deflate(GrayRows).substr(0, Deflate(GrayRows).size() - 4))
                .Chunk("IDAT", Deflate(GrayRows).substr(Deflate(GrayRows).size() - 4))
                .End()
                .Bytes());
    EXPECT_EQ(png.Pixels(1, 1), RGB(0x40, 0x40, 0x40));
}

TEST(PngObject, TwoBitGrayIsStoredWithFourBitsAndShowsFullRange)
{
    // Samples 0, 1, 2, 3 in one row.
    TPNGObject png;
    LoadPng(png, TPngBuilder().Header(4, 1, 2, 0).ImageData(std::string("\0\x1B", 2)).End().Bytes());
    EXPECT_EQ(png.Header()->ImageData.BitsPerPixel(), 4u);
    EXPECT_EQ(png.Header()->ImageData.Row(0)[1], 0xAF); // 10 -> 1010, 15 -> 1111
    const TColor expected[4] = {RGB(0, 0, 0), RGB(85, 85, 85), RGB(170, 170, 170), RGB(255, 255, 255)};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(png.Pixels(x, 0), expected[x]) << x;
    const TRawPng saved = ReadWithLibpng(SavePng(png));
    EXPECT_EQ(saved.BitDepth, 4);
    EXPECT_EQ(saved.Rows[0], (std::vector<uint8_t>{0x05, 0xAF}));
}

TEST(PngObject, PaletteTransparencyIsBinaryOrPartial)
{
    const std::string palette = "\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0\xC0";
    auto load = [&](const std::string& alphas) {
        auto png = std::make_unique<TPNGObject>();
        LoadPng(*png,
                TPngBuilder()
                    .Header(4, 1, 2, 3)
                    .Chunk("PLTE", palette)
                    .Chunk("tRNS", alphas)
                    .ImageData(std::string("\0\x1B", 2))
                    .End()
                    .Bytes());
        return png;
    };
    auto binary = load(std::string(1, '\0'));
    EXPECT_EQ(binary->TransparencyMode(), 1);
    EXPECT_EQ(binary->TransparentColor(), RGB(0x10, 0x20, 0x30));
    EXPECT_TRUE(binary->Transparent());
    auto partial = load(std::string("\0\x80", 2));
    EXPECT_EQ(partial->TransparencyMode(), 2);
}

TEST(PngObject, GammaTablesFollowTheGammaChunk)
{
    TPNGObject png;
    LoadPng(png, SimpleGray("gAMA", BigEndian(45455)));
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(png.GammaTable[i], i);
        ASSERT_EQ(png.InverseGammaTable[i], i);
    }
    LoadPng(png, SimpleGray("gAMA", BigEndian(100000)));
    EXPECT_EQ(png.GammaTable[128], 186); // round(255 * (128/255)^(1/2.2))
    EXPECT_EQ(png.GammaTable[0], 0);
    EXPECT_EQ(png.GammaTable[255], 255);
    EXPECT_EQ(png.Pixels(0, 0), RGB(png.GammaTable[0x10], png.GammaTable[0x10], png.GammaTable[0x10]));
}

TEST(PngObject, FilterSetDecidesTheRowFilters)
{
    TPNGObject png;
    LoadPng(png, WriteWithLibpng(MakePattern(20, 6, 2, 8, 0, 9)));
    png.SetFilters(pfSub);
    EXPECT_EQ(RowFilterTypes(SavePng(png), 60), std::vector<uint8_t>(6, 1));
    png.SetFilters(pfNone);
    EXPECT_EQ(RowFilterTypes(SavePng(png), 60), std::vector<uint8_t>(6, 0));
}

TEST(PngObject, ImageDataIsWrittenInChunksOfMaxIdatSize)
{
    TPNGObject png;
    png.SetMaxIdatSize(1000);
    EXPECT_EQ(png.MaxIdatSize(), 65535u);
    png.SetMaxIdatSize(70000);
    LoadPng(png, WriteWithLibpng(MakePattern(300, 300, 2, 8, 0, 3)));
    png.SetCompressionLevel(0);
    std::vector<size_t> sizes;
    for (const auto& [name, data] : SplitChunks(SavePng(png)))
        if (name == "IDAT")
            sizes.push_back(data.size());
    ASSERT_GE(sizes.size(), 3u);
    for (size_t i = 0; i + 1 < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], 70000u);
    EXPECT_LE(sizes.back(), 70000u);
}

TEST(PngObject, TimeAndTextChunksRoundTrip)
{
    TPNGObject png;
    LoadPng(png,
            TPngBuilder()
                .Header(2, 2, 8, 0)
                .Chunk("tIME", std::string("\x07\xD6\x05\x1F\x17\x3B\x3A", 7))
                .Chunk("tEXt", std::string("Title\0Caf\xE9", 10))
                .ImageData(GrayRows)
                .End()
                .Bytes());
    auto* time = png.Chunks().ItemOfClass<TChunktIME>();
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->Year, 2006);
    EXPECT_EQ(time->Second, 58);
    auto zText = std::make_unique<TChunkzTXt>(&png);
    zText->Keyword = "Comment";
    zText->Text = std::string(500, 'z');
    png.Chunks().Add(std::move(zText));
    const auto chunks = SplitChunks(SavePng(png));
    EXPECT_EQ(chunks[1].second.substr(0, 2), "\x07\xD6");
    TPNGObject reloaded;
    // IEND precedes the added zTXt, so move it behind the text before reloading.
    TPngBuilder builder;
    for (const auto& [name, data] : chunks)
        if (name != "IEND")
            builder.Chunk(name, data);
    LoadPng(reloaded, builder.End().Bytes());
    EXPECT_EQ(reloaded.Chunks().ItemOfClass<TChunktEXt>()->Text, "Caf\xE9");
    const auto* loadedZ = reloaded.Chunks().ItemOfClass<TChunkzTXt>();
    ASSERT_NE(loadedZ, nullptr);
    EXPECT_EQ(loadedZ->Keyword, "Comment");
    EXPECT_EQ(loadedZ->Text, std::string(500, 'z'));
}

TEST(PngObject, PixelsReadAndWriteInEveryStoredFormat)
{
    TPNGObject png;
    LoadPng(png,
            TPngBuilder()
                .Header(3, 1, 8, 3)
                .Chunk("PLTE", std::string("\x00\x00\x00\xFF\x00\x00\x00\x00\xFF", 9))
                .ImageData(std::string("\0\x00\x01\x02", 4))
                .End()
                .Bytes());
    EXPECT_EQ(png.Pixels(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(png.Pixels(3, 0), 0u);
    EXPECT_EQ(png.Pixels(-1, 0), 0u);
    png.SetPixels(0, 0, RGB(0, 0, 250));
    EXPECT_EQ(png.Pixels(0, 0), RGB(0, 0, 255));
    png.SetPixels(5, 5, RGB(1, 2, 3)); // outside: ignored

    LoadPng(png, WriteWithLibpng(MakePattern(2, 2, 2, 8, 0, 1)));
    png.SetPixels(1, 1, RGB(1, 2, 3));
    EXPECT_EQ(png.Pixels(1, 1), RGB(1, 2, 3));

    LoadPng(png, TPngBuilder().Header(2, 1, 4, 0).ImageData(std::string("\0\x3F", 2)).End().Bytes());
    EXPECT_EQ(png.Pixels(0, 0), RGB(51, 51, 51));
    png.SetPixels(0, 0, RGB(200, 200, 200)); // nearest of the 16 levels: 204
    EXPECT_EQ(png.Pixels(0, 0), RGB(204, 204, 204));
}

TEST(PngObject, ErrorsOfTheObjectItself)
{
    TPNGObject png;
    EXPECT_THROW(png.Header(), EPNGHeaderNotPresent);
    EXPECT_EQ(png.Width(), 0);
    uint64_t rowBytes = 1;
    uint32_t distance = 1;
    png.PixelInfo(rowBytes, distance);
    EXPECT_EQ(rowBytes, 0u);
    EXPECT_EQ(distance, 0u);
    LoadPng(png, SimpleGray());
    try {
        png.SetWidth(10);
        ADD_FAILURE() << "resized";
    } catch (const EPngError& e) {
        EXPECT_EQ(e.Message(), EPngCannotResizeText);
    }
    EXPECT_THROW(png.SetHeight(10), EPngError);
    TChunkPLTE palette(&png);
    palette.Count = 1;
    EXPECT_NO_THROW(palette.Entry(0));
    EXPECT_THROW(palette.Entry(1), EPngError);
    TChunkIEND end(&png);
    EXPECT_THROW(png.Header()->Assign(end), EPngError);
}

TEST(PngObject, CopiesKeepPixelsChunksAndGamma)
{
    TPNGObject png;
    LoadPng(png,
            TPngBuilder()
                .Header(2, 2, 8, 2)
                .Chunk("gAMA", BigEndian(100000))
                .Chunk("tRNS", std::string("\0\x10\0\x20\0\x30", 6))
                .ImageData(std::string("\0\x10\x20\x30\x40\x50\x60\0\x11\x21\x31\x41\x51\x61", 14))
                .End()
                .Bytes());
    png.SetFilters(pfPaeth);
    png.SetCompressionLevel(9);
    auto clone = png.Clone();
    auto& copy = dynamic_cast<TPNGObject&>(*clone);
    EXPECT_EQ(copy.Filters(), pfPaeth);
    EXPECT_EQ(copy.CompressionLevel(), 9);
    EXPECT_EQ(copy.TransparencyMode(), 1);
    EXPECT_EQ(copy.TransparentColor(), png.TransparentColor());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(copy.Pixels(x, y), png.Pixels(x, y));
    EXPECT_EQ(SavePng(copy), SavePng(png));
    TPNGObject empty;
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}

TEST(PngObject, RegisteredChunkClassesAreCreatedByName)
{
    struct TChunkprIv : TChunk {
        explicit TChunkprIv(TPNGObject* owner) : TChunk(owner, "prIv") {}
        std::string ChunkName() const override { return "prIv"; }
    };
    RegisterChunk("prIv", [](TPNGObject* owner) { return std::make_unique<TChunkprIv>(owner); });
    TPNGObject png;
    EXPECT_NE(dynamic_cast<TChunkprIv*>(CreateChunkByName(&png, "prIv").get()), nullptr);
    EXPECT_NE(dynamic_cast<TChunkIHDR*>(CreateChunkByName(&png, "IHDR").get()), nullptr);
    const auto generic = CreateChunkByName(&png, "abCd");
    EXPECT_EQ(typeid(*generic), typeid(TChunk));
    EXPECT_EQ(generic->Name(), "abCd");
}

TEST(PngObject, PicturesLoadPngFilesOnceRegistered)
{
    const std::string fileName = std::string(TEST_BINARY_DIR) + "/picture-registry.png";
    TPNGObject original;
    LoadPng(original, WriteWithLibpng(MakePattern(6, 4, 6, 8, 1, 21)));
    original.SaveToFile(fileName);

    RegisterPngPictureFormat();
    const auto formats = RegisteredFileFormats();
    const auto png = std::find_if(formats.begin(), formats.end(), [](const auto& f) { return f.Extension == "PNG"; });
    ASSERT_NE(png, formats.end());
    EXPECT_EQ(png->Description, "Portable Network Graphics");
    TPicture picture;
    picture.LoadFromFile(fileName);
    const auto* loaded = dynamic_cast<const TPNGObject*>(picture.Graphic());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Pixels(5, 3), original.Pixels(5, 3));

    UnregisterPngPictureFormat();
    EXPECT_THROW(picture.LoadFromFile(fileName), EInvalidGraphic);
}

// A form resource's picture data names the graphic's class, then holds the
// PNG file as it is.
TEST(PngObject, PictureDataNamesItsClassAndCarriesThePngFile)
{
    RegisterPngPictureFormat();
    TPicture picture;
    TPNGObject original;
    LoadPng(original, WriteWithLibpng(MakePattern(6, 4, 6, 8, 1, 21)));
    picture.SetGraphic(&original);
    TStringStream data;
    picture.WriteData(data);
    const std::string bytes = data.DataString();
    EXPECT_EQ(bytes.substr(0, 15), std::string("\x0ATPNGObject\x89PNG", 15));

    TPicture copy;
    data.SetPosition(0);
    copy.ReadData(data);
    const auto* loaded = dynamic_cast<const TPNGObject*>(copy.Graphic());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Pixels(5, 3), original.Pixels(5, 3));
    UnregisterPngPictureFormat();
}
