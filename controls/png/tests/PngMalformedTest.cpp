// Malformed files fail with the right exception and never read out of bounds.

#include "PngTestSupport.h"

#include "controls/png/pngimage.h"

#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <typeinfo>

namespace {

// Two rows of a 2 x 2 8-bit gray image, filter type 0.
const std::string GrayRows("\0\x10\x20\0\x30\x40", 6);

std::string HeaderFields(uint32_t width, uint32_t height, uint8_t depth, uint8_t type, uint8_t compression,
                         uint8_t interlace)
{
    const char fields[5] = {char(depth), char(type), char(compression), 0, char(interlace)};
    return BigEndian(width) + BigEndian(height) + std::string(fields, 5);
}

std::string ValidGray() { return TPngBuilder().Header(2, 2, 8, 0).ImageData(GrayRows).End().Bytes(); }

std::string WithHeader(uint32_t width, uint32_t height, uint8_t depth, uint8_t type)
{
    return TPngBuilder().Header(width, height, depth, type).ImageData(GrayRows).End().Bytes();
}

// The zlib stream of GrayRows cut in two IDAT chunks.
std::string SplitImageData(const std::string& between)
{
    const std::string compressed = Deflate(GrayRows);
    return TPngBuilder()
        .Header(2, 2, 8, 0)
        .Chunk("IDAT", compressed.substr(0, 4))
        .Raw(between)
        .Chunk("IDAT", compressed.substr(4))
        .End()
        .Bytes();
}

struct TMalformed {
    const char* Name;
    std::string File;
    std::function<bool(const Exception&)> Matches;
};

template <class E>
std::function<bool(const Exception&)> Is()
{
    return [](const Exception& e) { return dynamic_cast<const E*>(&e) != nullptr; };
}

std::string IendChunk() { return TPngBuilder().Chunk("IEND", "").Bytes().substr(8); }

std::vector<TMalformed> MalformedFiles()
{
    const std::string valid = ValidGray();
    const std::string compressed = Deflate(GrayRows);
    std::string corruptZlib = compressed;
    corruptZlib[2] = '\xFF';
    // A zlib header asking for a preset dictionary (FDICT) and its id.
    const std::string dictionaryStream("\x78\x20\x00\x00\x00\x01", 6);
    return {
        {"not a PNG", "GIF89a\x01\x00\x01\x00", Is<EPNGInvalidFileHeader>()},
        {"empty stream", "", Is<EPNGInvalidFileHeader>()},
        {"first chunk gAMA", TPngBuilder().Chunk("gAMA", BigEndian(45455)).Header(2, 2, 8, 0).Bytes(),
         Is<EPNGIHDRNotFirst>()},
        {"short header", TPngBuilder().Chunk("IHDR", HeaderFields(2, 2, 8, 0, 0, 0).substr(0, 12)).Bytes(),
         Is<EPngInvalidIHDR>()},
        {"width above 65535", WithHeader(65536, 1, 8, 0), Is<EPNGSizeExceeds>()},
        {"compression 1", TPngBuilder().Chunk("IHDR", HeaderFields(2, 2, 8, 0, 1, 0)).Bytes(),
         Is<EPNGUnknownCompression>()},
        {"interlace 2", TPngBuilder().Header(2, 2, 8, 0, 2).Bytes(), Is<EPNGUnknownInterlace>()},
        {"palette 16 bits", WithHeader(2, 2, 16, 3), Is<EPngInvalidIHDR>()},
        {"RGB 4 bits", WithHeader(2, 2, 4, 2), Is<EPngInvalidIHDR>()},
        {"gray alpha 2 bits", WithHeader(2, 2, 2, 4), Is<EPngInvalidIHDR>()},
        {"colour type 5", WithHeader(2, 2, 8, 5), Is<EPngInvalidIHDR>()},
        {"bit depth 0", WithHeader(2, 2, 0, 0), Is<EPngInvalidIHDR>()},
        {"zero width", WithHeader(0, 2, 8, 0), Is<EPngInvalidIHDR>()},
        {"zero height", WithHeader(2, 0, 8, 0), Is<EPngInvalidIHDR>()},
        {"store too large", WithHeader(65535, 65535, 16, 6), Is<EPNGOutMemory>()},
        {"header CRC", TPngBuilder().ChunkWithBadCrc("IHDR", HeaderFields(2, 2, 8, 0, 0, 0)).Bytes(),
         Is<EPngInvalidCRC>()},
        {"image data CRC", TPngBuilder().Header(2, 2, 8, 0).ChunkWithBadCrc("IDAT", compressed).End().Bytes(),
         Is<EPngInvalidCRC>()},
        {"unknown critical chunk", TPngBuilder().Header(2, 2, 8, 0).Chunk("QxYz", "abc").Bytes(),
         Is<EPNGUnknownCriticalChunk>()},
        {"no IEND", TPngBuilder().Header(2, 2, 8, 0).ImageData(GrayRows).Bytes(), Is<EPngUnexpectedEnd>()},
        {"cut inside a chunk", valid.substr(0, 40), Is<EPngUnexpectedEnd>()},
        {"cut inside image data", valid.substr(0, 8 + 25 + 8 + 3), Is<EPngUnexpectedEnd>()},
        {"length beyond the end", TPngBuilder().Header(2, 2, 8, 0).Raw(BigEndian(0x7FFFFFF0) + "tEXtabc").Bytes(),
         Is<EPngUnexpectedEnd>()},
        {"image parts missing", SplitImageData(IendChunk()), Is<EPNGMissingMultipleIDAT>()},
        {"corrupt compressed data", TPngBuilder().Header(2, 2, 8, 0).Chunk("IDAT", corruptZlib).End().Bytes(),
         Is<EPNGZLIBError>()},
        {"preset dictionary", TPngBuilder().Header(2, 2, 8, 0).Chunk("IDAT", dictionaryStream).End().Bytes(),
         Is<EPNGZLIBError>()},
        {"palette image without PLTE", TPngBuilder().Header(2, 2, 8, 3).ImageData(GrayRows).End().Bytes(),
         Is<EPNGInvalidPalette>()},
        {"PLTE not a multiple of 3", TPngBuilder().Header(2, 2, 8, 3).Chunk("PLTE", "abcd").Bytes(),
         Is<EPNGInvalidPalette>()},
        {"PLTE above 256 entries", TPngBuilder().Header(2, 2, 8, 3).Chunk("PLTE", std::string(771, 'x')).Bytes(),
         Is<EPNGInvalidPalette>()},
        {"tRNS above 256 bytes",
         TPngBuilder().Header(2, 2, 8, 3).Chunk("PLTE", "abc").Chunk("tRNS", std::string(257, '\0')).Bytes(),
         Is<EPNGInvalidPalette>()},
        {"short gray tRNS", TPngBuilder().Header(2, 2, 8, 0).Chunk("tRNS", std::string(1, '\0')).Bytes(),
         Is<EPNGInvalidPalette>()},
        {"short RGB tRNS", TPngBuilder().Header(2, 2, 8, 2).Chunk("tRNS", std::string(4, '\0')).Bytes(),
         Is<EPNGInvalidPalette>()},
        {"no image data", TPngBuilder().Header(2, 2, 8, 0).End().Bytes(), Is<EPNGNoImageData>()},
    };
}

} // namespace

TEST(PngMalformed, EachFailsWithItsException)
{
    for (const TMalformed& c : MalformedFiles()) {
        SCOPED_TRACE(c.Name);
        TPNGObject png;
        try {
            LoadPng(png, c.File);
            ADD_FAILURE() << "loaded";
        } catch (const Exception& e) {
            EXPECT_TRUE(c.Matches(e)) << "raised " << typeid(e).name() << ": " << e.Message();
        }
        // Whatever was kept can be drawn, saved and asked about without harm.
        png.Pixels(0, 0);
        png.TransparencyMode();
        if (png.Width() <= 64 && png.Height() <= 64) {
            TBitmap target(4, 4, pf24bit);
            png.Draw(*target.Canvas(), Rect(0, 0, 4, 4));
        }
        try {
            SavePng(png);
        } catch (const Exception&) {}
    }
}

TEST(PngMalformed, NothingIsKeptBeforeAValidStart)
{
    TPNGObject png;
    EXPECT_THROW(LoadPng(png, "not a png at all"), EPNGInvalidFileHeader);
    EXPECT_TRUE(png.Empty());
    EXPECT_THROW(LoadPng(png, TPngBuilder().Chunk("gAMA", BigEndian(45455)).Bytes()), EPNGIHDRNotFirst);
    EXPECT_EQ(png.Chunks().Count(), 0u);
}

TEST(PngMalformed, ZlibErrorsCarryZlibsDescription)
{
    std::string corrupt = Deflate(GrayRows);
    corrupt[2] = '\xFF';
    TPNGObject png;
    try {
        LoadPng(png, TPngBuilder().Header(2, 2, 8, 0).Chunk("IDAT", corrupt).End().Bytes());
        ADD_FAILURE() << "loaded";
    } catch (const EPNGZLIBError& e) {
        EXPECT_EQ(e.Message(),
                  "Could not decompress the image because it contains invalid compressed data.\r\n"
                  " Description: data error (-3)");
    }
}

TEST(PngMalformed, TextChunksWithoutSeparatorOrWithUnknownCompressionLoad)
{
    const std::string file = TPngBuilder()
                                 .Header(2, 2, 8, 0)
                                 .Chunk("tEXt", "NoSeparator")
                                 .Chunk("zTXt", std::string("Key\0\x01garbage", 12))
                                 .Chunk("zTXt", "Key")
                                 .ImageData(GrayRows)
                                 .End()
                                 .Bytes();
    TPNGObject png;
    LoadPng(png, file);
    const auto* text = dynamic_cast<TChunktEXt*>(png.Chunks().Item(1));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Keyword, "NoSeparator");
    EXPECT_EQ(text->Text, "");
    const auto* compressed = dynamic_cast<TChunkzTXt*>(png.Chunks().Item(2));
    ASSERT_NE(compressed, nullptr);
    EXPECT_EQ(compressed->Keyword, "Key");
    EXPECT_EQ(compressed->Text, "");
}
