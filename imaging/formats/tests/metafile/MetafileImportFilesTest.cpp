#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../FormatsTestSupport.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/fuzz/MetafileFuzzInput.h"
#include "platform/gfx/tests/MetafileWriter.h"

namespace {

class MetafileFiles : public FormatsTest {
protected:
    std::unique_ptr<TBrelvixIO> io = std::make_unique<TBrelvixIO>(nullptr);
};

TEST_F(MetafileFiles, LibEmfsMetafileLoadsWithItsFrameSize)
{
    const std::string path = std::string(TEST_BINARY_DIR) + "/import-" + std::to_string(getpid()) + ".emf";
    ASSERT_EQ(std::system((std::string(EMF_SAMPLE_PROGRAM) + " " + path).c_str()), 0);
    io->ParamsFromFile(path);
    EXPECT_EQ(io->Params().FileType, ioEMF);
    // A 20 x 10 mm frame at 96 pixels per inch.
    EXPECT_EQ(io->Params().Width, 75);
    EXPECT_EQ(io->Params().Height, 37);

    io->LoadFromFile(path);
    std::filesystem::remove(path);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(io->Params().FileName, path);
    TQkBitmap& bitmap = *io->Bitmap();
    ASSERT_EQ(bitmap.GetWidth(), 75);
    ASSERT_EQ(bitmap.GetHeight(), 37);
    // The file's rectangle starts at 10, 10 of its 64 x 32 reference pixels
    // and runs past the frame: its left edge is black, the margin before it
    // transparent, its fill white and opaque.
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 0);
    EXPECT_EQ(bitmap.GetAlpha(6, 30), 0);
    EXPECT_EQ(bitmap.GetPixelRGB(12, 30).g, 0);
    EXPECT_EQ(bitmap.GetAlpha(12, 30), 255);
    EXPECT_EQ(bitmap.GetPixelRGB(20, 32).g, 255);
    EXPECT_EQ(bitmap.GetAlpha(74, 36), 255);
}

TEST_F(MetafileFiles, DetectedWindowsMetafileIsImportedWithTransparency)
{
    MetafileWriter writer;
    writer.Wmf(0x02FC, {0, 0x00FF, 0, 0});
    writer.Wmf(0x012D, {0});
    writer.Wmf(0x041B, {10, 10, 0, 0});
    const std::vector<uint8_t> bytes = writer.WindowsFile(true, 40, 20);
    io->LoadFromBuffer(bytes.data(), int64_t(bytes.size()), 0);
    EXPECT_FALSE(io->Aborting());
    EXPECT_EQ(io->Params().FileType, ioWMF);
    TQkBitmap& bitmap = *io->Bitmap();
    ASSERT_EQ(bitmap.GetWidth(), 40);
    EXPECT_EQ(bitmap.GetPixelRGB(5, 5).r, 255);
    EXPECT_EQ(bitmap.GetAlpha(5, 5), 255);
    EXPECT_EQ(bitmap.GetAlpha(0, 0), 255);
    EXPECT_EQ(bitmap.GetAlpha(20, 15), 0);
}

// Broken metafiles are refused by the component and by the player alike,
// or, where only a record is broken, load and play without it.
TEST_F(MetafileFiles, MalformedMetafilesFailCleanly)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        if (!name.starts_with("metafile-"))
            continue;
        std::ifstream in(file.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        const bool loadable = name.find("short-") != std::string::npos;
        const int32_t fileType = name.ends_with(".emf") ? ioEMF : ioWMF;
        io->LoadFromBuffer(bytes.data(), int64_t(bytes.size()), fileType);
        EXPECT_EQ(io->Aborting(), !loadable) << name;
        EXPECT_EQ(PlayMetafileInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), loadable) << name;
    }
}

} // namespace
