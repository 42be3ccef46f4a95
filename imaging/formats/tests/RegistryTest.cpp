#include <gtest/gtest.h>

#include "FormatsTestSupport.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkIOSupport.h"

namespace {

using Registry = FormatsTest;

int32_t IdOf(const std::string& extension)
{
    const TQkFileFormatInfo* format = FindFileFormatByExtension(extension);
    return format != nullptr ? format->FileType : 0;
}

} // namespace

TEST_F(Registry, ExtensionLookups)
{
    const std::pair<const char*, int32_t> cases[] = {
        {".JPG", 3}, {"jpg", 3},  {"JPEG", 3}, {"jpe", 3}, {"tif", 1}, {"V2", 28}, {"qkv", 25},
        {"lyr", 26}, {"all", 27}, {".win", 0}, {"", 0},    {".", 0},   {"xyz", 0}, {"wdp", 29},
    };
    for (const auto& [extension, id] : cases) {
        EXPECT_EQ(IdOf(extension), id) << extension;
        EXPECT_EQ(FileTypeOfExtension(extension), id) << extension;
    }
}

TEST_F(Registry, EntriesInRegistrationOrderWithTheirDirections)
{
    const int32_t order[] = {1,  2,  3,  4,  5,  21, 6,  7,  8,  28, 9,  10, 11,
                             12, 16, 13, 14, 17, 18, 19, 20, 24, 25, 26, 27, 29};
    ASSERT_EQ(FileFormatCount(), int32_t(std::size(order)));
    for (int32_t i = 0; i < FileFormatCount(); ++i) {
        const TQkFileFormatInfo& format = FileFormatAt(i);
        EXPECT_EQ(format.FileType, order[i]);
        EXPECT_TRUE(format.InternalFormat);
        EXPECT_TRUE(format.TryFunction);
    }
    EXPECT_EQ(FindFileFormat(1)->FullName, "TIFF Bitmap");
    EXPECT_EQ(FindFileFormat(13)->DialogPage, 512);
    EXPECT_FALSE(FindFileFormat(17)->ReadFunction);
    for (int32_t id : {7, 9, 10, 20, 28})
        EXPECT_FALSE(FindFileFormat(id)->WriteFunction) << id;
    EXPECT_TRUE(FindFileFormat(7)->ReadFunction);
    EXPECT_TRUE(FindFileFormat(18)->WriteFunction);
    EXPECT_EQ(FindFileFormat(15), nullptr);
    // The linked HD Photo codec reports itself.
    EXPECT_EQ(FindFileFormat(29)->FullName, "Microsoft HD Photo");
}

TEST_F(Registry, ExtensionsAndTheirCounts)
{
    EXPECT_EQ(GetFileExtension(1, 0), "TIF");
    EXPECT_EQ(GetFileExtension(1, 5), "XIF");
    EXPECT_EQ(GetFileExtension(1, 6), "");
    EXPECT_EQ(GetFileExtension(15, 0), "");
    EXPECT_EQ(GetFileExtensionCount(20), 13);
    EXPECT_EQ(GetFileExtensionCount(21), 0);

    // An empty item ends an external entry's list.
    auto external = std::make_unique<TQkFileFormatInfo>();
    external->FileType = 100;
    external->Extensions = "A;;B";
    RegisterFileFormat(std::move(external));
    EXPECT_EQ(GetFileExtensionCount(100), 1);
    EXPECT_EQ(IdOf("b"), 0);
    UnregisterFileFormat(100);
    EXPECT_EQ(FindFileFormat(100), nullptr);
    UnregisterFileFormat(100);
}

TEST_F(Registry, HDPhotoIsRegisteredOnlyWhenItsCodecReports)
{
    EXPECT_EQ(FileFormatAt(FileFormatCount() - 1).FileType, 29);
    EXPECT_EQ(IdOf("hdp"), 29);
    LibraryStaticFinal();
    const std::function<bool()> linked = HDPhotoCodecAvailable;
    HDPhotoCodecAvailable = [] { return false; };
    LibraryStaticInit();
    HDPhotoCodecAvailable = linked;
    EXPECT_EQ(FindFileFormat(29), nullptr);
    EXPECT_EQ(IdOf("hdp"), 0);
}

TEST_F(Registry, ReleasingPluginsRemovesTheirEntries)
{
    auto external = std::make_unique<TQkFileFormatInfo>();
    external->FileType = 101;
    external->Extensions = "PLG";
    RegisterFileFormat(std::move(external));
    IOPlugins.push_back({nullptr, 101, "plugin"});
    ReleaseIOPlugins();
    EXPECT_TRUE(IOPlugins.empty());
    EXPECT_EQ(IdOf("plg"), 0);
}

TEST_F(Registry, StartUpInstallsTheLzwCodecsThatParametersCopy)
{
    EXPECT_TRUE(GifLzwDecoderHook && GifLzwEncoderHook && TiffLzwDecoderHook && TiffLzwEncoderHook);
    TIOParamsVals params(nullptr);
    EXPECT_TRUE(params.GifLzwDecompress && params.GifLzwCompress);
    EXPECT_TRUE(params.TiffLzwDecompress && params.TiffLzwCompress);
}
