// The input/output component with a real image view attached: Photoshop
// layers made by ImageMagick, and layers files found by extension and by
// content.

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/BrelvixIOStartup.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/views/BrelvixViewStartup.h"
#include "imaging/views/layers/QkLayersStream.h"
#include "imaging/views/tests/ViewTestSupport.h"

namespace {

const std::filesystem::path Folder = std::filesystem::path(TEST_BINARY_DIR) / "layered-files";

struct TStartups {
    TStartups()
    {
        InstallBrelvixIOStartup();
        InstallBrelvixViewStartup();
        std::filesystem::create_directories(Folder);
    }
};

class LayeredFilesTest : private TStartups, public ViewTest {
protected:
    LayeredFilesTest()
    {
        io = std::make_unique<TBrelvixIO>(nullptr);
        io->SetAttachedBrelvix(view);
    }
    ~LayeredFilesTest() override { io.reset(); }

    // A 6 x 4 image, and a named 2 x 3 layer at (1, 1).
    std::string SavedLayers(const std::string& name)
    {
        TBrelvixView* source = new TBrelvixView(form.get());
        source->Layer(0).Bitmap()->Allocate(6, 4, qk24RGB);
        source->Layer(0).Bitmap()->Fill(30);
        auto top = std::make_unique<TQkBitmap>(2, 3, qk24RGB);
        top->Fill(220);
        source->Layer(source->AddLayer(std::move(top))).LayerName = "top";
        source->Layer(1).Left = 1;
        TMemoryStream stream;
        source->SaveLayersToStream(stream, LayersImageZlibRaw);
        delete source;
        const std::string path = (Folder / name).string();
        stream.SaveToFile(path);
        return path;
    }

    std::unique_ptr<TBrelvixIO> io;
};

// ImageMagick keeps its first image as the merged one and writes the red
// 10 x 8 image at (5, 3) as the only layer. Appended after the view's own
// layer, it lies over a locked, transparent background of the document's
// size.
TEST_F(LayeredFilesTest, PhotoshopLayersFromImageMagickJoinTheView)
{
    const std::string path = (Folder / "magick-layers.psd").string();
    const std::string command =
        "convert -size 30x20 xc:'#ffeedd' \\( -size 10x8 xc:red -repage +5+3 \\) -depth 8 '" + path + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    io->Params().PsdLoadLayers = true;
    io->Params().PsdReplaceLayers = false;
    io->LoadFromFile(path);
    ASSERT_FALSE(io->Aborting());
    ASSERT_EQ(view->GetLayerCount(), 3);
    TQkLayer& background = view->Layer(1);
    EXPECT_EQ(background.Bitmap()->GetWidth(), 30);
    EXPECT_EQ(background.Bitmap()->GetHeight(), 20);
    EXPECT_TRUE(background.Locked);
    EXPECT_EQ(background.Bitmap()->GetAlpha(29, 19), 0);
    TQkLayer& red = view->Layer(2);
    EXPECT_EQ(red.Left, 5);
    EXPECT_EQ(red.Top, 3);
    EXPECT_EQ(red.Bitmap()->GetWidth(), 10);
    EXPECT_EQ(red.Bitmap()->GetHeight(), 8);
    const uint8_t* last = red.Bitmap()->GetScanline(7) + 9 * 3;
    EXPECT_EQ(last[0], 0);
    EXPECT_EQ(last[2], 255);
}

TEST_F(LayeredFilesTest, LayersFilesLoadIntoTheViewByExtensionAndByContent)
{
    for (const char* name : {"by-extension.lyr", "by-content.bin"}) {
        SCOPED_TRACE(name);
        const std::string path = SavedLayers(name);
        TMemoryStream probe;
        probe.LoadFromFile(path);
        EXPECT_EQ(DetectStreamFormat(probe), ioLYR);
        io->LoadFromFileAuto(path);
        ASSERT_FALSE(io->Aborting());
        EXPECT_EQ(io->Params().FileType, ioLYR);
        ASSERT_EQ(view->GetLayerCount(), 2);
        EXPECT_EQ(view->Layer(0).Bitmap()->GetWidth(), 6);
        EXPECT_EQ(view->Layer(1).LayerName, "top");
        EXPECT_EQ(view->Layer(1).Left, 1);
        EXPECT_EQ(view->Layer(1).Bitmap()->GetScanline(2)[5], 220);
        view->SetLayersCurrent(0);
    }
}

// A cut layers file fails cleanly and the view keeps what it showed.
TEST_F(LayeredFilesTest, ABadLayersFileLeavesTheView)
{
    const std::string path = SavedLayers("cut.lyr");
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 5);
    view->Layer(0).Bitmap()->Allocate(9, 9, qk24RGB);
    io->LoadFromFile(path);
    EXPECT_TRUE(io->Aborting());
    EXPECT_EQ(view->GetLayerCount(), 1);
    EXPECT_EQ(view->Layer(0).Bitmap()->GetWidth(), 9);
}

} // namespace
