#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <string>

#include "QkCommand.h"
#include "imaging/core/QkPresetImages.h"
#include "imaging/core/QkSettings.h"
#include "imaging/core/QkStartup.h"
#include "platform/core/Strings.h"

namespace {

TEST(PresetImages, LiveFromStartUpToShutDown)
{
    const std::array<int32_t, 4> innerRects[] = {{18, 29, 140, 119},
                                                 {13, 1, 95, 98},
                                                 {30, 14, 147, 92},
                                                 {17, 17, 131, 131}};
    LibraryStaticInit();
    const std::vector<TQkPresetImage>* list = PresetImageList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), std::size(innerRects));
    std::string files;
    for (size_t i = 0; i < list->size(); ++i) {
        const TQkPresetImage& image = (*list)[i];
        EXPECT_EQ(image.FileType, ioPNG);
        EXPECT_EQ((std::array{image.Left, image.Top, image.Right, image.Bottom}), innerRects[i]) << i;
        const std::string file = Format("%s/preset-%d.png", TEST_BINARY_DIR, static_cast<int>(i));
        std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(image.Data), image.DataSize);
        files += " " + file;
    }
    // Width, height, PNG colour type, bit depth, alpha (tRNS for the palette).
    EXPECT_EQ(
        CommandOutput("identify -format '%w %h %[png:IHDR.color-type-orig] %[png:IHDR.bit-depth-orig] %A\\n'" + files),
        "162 159 6 8 True\n"
        "112 100 2 8 False\n"
        "163 108 3 8 True\n"
        "150 150 3 8 False\n");
    LibraryStaticFinal();
    EXPECT_EQ(PresetImageList(), nullptr);
}

} // namespace
