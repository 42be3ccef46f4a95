#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "FormatsTestSupport.h"
#include "imaging/core/QkSettings.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "platform/core/Exceptions.h"

namespace {

// A component whose TIFF row writes `encodedSize` fixed bytes, working in
// the test binary's folder so that the identifiers stay short.
class SourceExport : public FormatsTest {
protected:
    void SetUp() override
    {
        FormatsTest::SetUp();
        previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(TEST_BINARY_DIR);
        io = std::make_unique<TBrelvixIO>(nullptr);
        io->Bitmap()->Allocate(2, 2, qk24RGB);
        FormatRow(ioTIFF).Write = [this](TQkWriteRequest& request) {
            for (int i = 0; i < encodedSize; ++i) {
                const uint8_t byte = static_cast<uint8_t>(i * 37 + 10);
                request.Stream.WriteBuffer(&byte, 1);
            }
        };
    }
    void TearDown() override
    {
        io.reset();
        std::filesystem::current_path(previousFolder);
        FormatsTest::TearDown();
    }

    std::string Export(const std::string& name, uint8_t flavour)
    {
        io->ExportToSource(name, ioTIFF, flavour);
        std::ifstream file(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path previousFolder;
    std::unique_ptr<TBrelvixIO> io;
    int encodedSize = 30;
};

TEST_F(SourceExport, ConstantArrayHoldsEighteenItemsALine)
{
    EXPECT_EQ(Export("export.a.inc", 0),
              "const\n"
              "  export_a.inc_Size = 30;\n"
              "  export_a.inc : array [0..export_a.inc_Size-1] of byte = (\n"
              "    $0A,$2F,$54,$79,$9E,$C3,$E8,$0D,$32,$57,$7C,$A1,$C6,$EB,$10,$35,$5A,$7F,\n"
              "    $A4,$C9,$EE,$13,$38,$5D,$82,$A7,$CC,$F1,$16,$3B);\n");
    EXPECT_EQ(io->Params().FileName, "export.a.inc");
    EXPECT_FALSE(io->Aborting());
}

TEST_F(SourceExport, HexadecimalLiteralsHoldFifteenItemsALine)
{
    EXPECT_EQ(Export("export.h", 1),
              "// Size=30\n"
              "0x0A,0x2F,0x54,0x79,0x9E,0xC3,0xE8,0x0D,0x32,0x57,0x7C,0xA1,0xC6,0xEB,0x10,\n"
              "0x35,0x5A,0x7F,0xA4,0xC9,0xEE,0x13,0x38,0x5D,0x82,0xA7,0xCC,0xF1,0x16,0x3B\n");
}

TEST_F(SourceExport, NameWithoutDotIsItsOwnIdentifier)
{
    encodedSize = 1;
    EXPECT_EQ(Export("single", 0),
              "const\n"
              "  single_Size = 1;\n"
              "  single : array [0..single_Size-1] of byte = (\n"
              "    $0A);\n");
}

// The lines of `base64 -w 76` over the same 100 bytes.
TEST_F(SourceExport, Base64MatchesTheBase64Tool)
{
    encodedSize = 100;
    EXPECT_EQ(Export("export.b64", 2),
              "Ci9UeZ7D6A0yV3yhxusQNVp/pMnuEzhdgqfM8RY7YIWqz/QZPmOIrdL3HEFmi7DV+h9EaY6z2P0i\n"
              "R2yRttsAJUpvlLneAyhNcpe84QYrUHWav+QJLlN4ncLnDDFWe6DF6g80WQ==\n");
}

TEST_F(SourceExport, CharacterPictureFollowsTheGrayRamp)
{
    TQkBitmap& bitmap = *io->Bitmap();
    bitmap.Allocate(3, 2, qk24RGB);
    const TRGBPixel pixels[] = {{0, 0, 0}, {255, 255, 255}, {28, 28, 28}, {29, 29, 29}, {57, 57, 57}, {226, 226, 226}};
    for (int i = 0; i < 6; ++i)
        *bitmap.GetRGBPixelAddress(i % 3, i / 3) = pixels[i];
    EXPECT_EQ(Export("picture.txt", 3), "W W\n@#,\n");
    EXPECT_EQ(io->Params().FileName, "picture.txt");
}

TEST_F(SourceExport, NothingToExportLeavesTheFileEmpty)
{
    io->Params().FileName = "before";
    encodedSize = 0;
    for (uint8_t flavour : {0, 1, 2}) {
        EXPECT_EQ(Export("empty.inc", flavour), "") << int(flavour);
        EXPECT_TRUE(io->Aborting());
    }
    io->Bitmap()->Allocate(2, 2, qk8g);
    EXPECT_EQ(Export("empty.txt", 3), "");
    EXPECT_EQ(io->Params().FileName, "before");
}

TEST_F(SourceExport, TextFileErrorsGoToTheCaller)
{
    EXPECT_THROW(io->ExportToSource("no-such-folder/x.inc", ioTIFF, 0), EFCreateError);
}

} // namespace
