#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

#include "FormatsTestSupport.h"
#include "OracleTestSupport.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/QkFormatErrors.h"

namespace {

// Files written by ImageMagick, the ffmpeg tool, libEMF, jxrlib and dcmtk
// into the build tree, with the id detection gives them. Each format whose probe is built adds its row.
// CTest runs each test in its own process, so each writes its own folder.
const std::string Folder = std::string(TEST_BINARY_DIR) + "/real-files-" + std::to_string(getpid());

struct TRealFile {
    const char* Name;
    int32_t Id;
    // Whether the file is still known without its last quarter: TIFF and DCX
    // probes follow offsets into the file, and ImageMagick writes the TIFF
    // directory after the pixels.
    bool KnownWhenCut = true;
};

const TRealFile RealFileTable[] = {
    {"image.bmp", 5},
    {"image.gif", 2},
    {"image.pcx", 4},
    {"image.jpg", 3},
    {"clip.avi", 15},
    {"image.ppm", 12},
    {"image.ico", 6},
    {"image.cur", 7},
    // dcmtk's file; pydicom's with a TIFF header in its preamble; a data
    // set without preamble, which only its extension names.
    {"image.tif", 1, false},
    {"image.png", 8},
    {"image.tga", 11},
    {"image.psd", 24},
    {"image.jp2", 13},
    {"image.j2k", 14},
    {"image.dcx", 19, false},
    {"image.emf", 10},
    {"image.wdp", 29},
    {"image.pgm", 12},
    {"image.pbm", 12},
    // WBMP has no signature: only its extension names it.
    {"image.wbmp", 0},
    {"image.dcm", 28},
    {"tiff-preamble.dcm", 28},
    {"no-preamble.dcm", 0},
};

class RealFiles : public FormatsTest {
protected:
    static void SetUpTestSuite()
    {
        const std::string f = Folder + "/";
        std::vector<std::string> commands{"convert -size 16x8 gradient:red-blue " + f + "source.png"};
        for (const char* name :
             {"image.bmp", "image.gif", "image.pcx", "image.jpg", "image.ppm", "image.ico", "image.tif", "image.png",
              "image.tga", "image.psd", "image.jp2", "image.j2k", "image.dcx", "image.pgm", "image.pbm", "image.wbmp"})
            commands.push_back("convert " + f + "source.png " + f + name);
        commands.push_back("icotool -c --cursor -o " + f + "image.cur " + f + "source.png");
        commands.push_back(std::string(EMF_SAMPLE_PROGRAM) + " " + f + "image.emf");
        commands.push_back("convert " + f + "source.png -depth 8 " + f + "source.bmp");
        commands.push_back("JxrEncApp -i " + f + "source.bmp -o " + f + "image.wdp -q 1 >/dev/null");
        commands.push_back("img2dcm " + f + "image.jpg " + f + "image.dcm");
        commands.push_back("cp /usr/lib/python3/dist-packages/pydicom/data/test_files/CT_small.dcm " + f +
                           "tiff-preamble.dcm");
        commands.push_back("dcmdjpeg " + f + "image.dcm " + f + "plain.dcm && dcmconv -F +ti " + f + "plain.dcm " + f +
                           "no-preamble.dcm");
        commands.push_back("ffmpeg -loglevel error -y -f lavfi -i testsrc=size=16x16:rate=1 -frames:v 1 -c:v mjpeg " +
                           f + "clip.avi");
        MakeFiles(Folder, commands);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }

    static std::string Content(const std::string& name)
    {
        std::ifstream file(Folder + "/" + name, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
};

} // namespace

TEST_F(RealFiles, DetectedByContentAndExtension)
{
    for (const TRealFile& file : RealFileTable) {
        const std::string path = Folder + "/" + file.Name;
        EXPECT_EQ(DetectFileFormat(path, false), file.Id) << file.Name;
        // AVI has no registry entry for its extension to agree with.
        EXPECT_EQ(DetectFileFormat(path, true), file.Id == ioAVI ? 0 : file.Id) << file.Name;
    }
}

TEST_F(RealFiles, CutAndGarbledCopies)
{
    for (const TRealFile& file : RealFileTable) {
        const std::string content = Content(file.Name);
        // Missing their last quarter.
        TStringStream half(content.substr(0, content.size() * 3 / 4));
        EXPECT_EQ(DetectStreamFormat(half), file.KnownWhenCut ? file.Id : 0) << file.Name;
        TStringStream cut(content.substr(0, 2));
        EXPECT_EQ(DetectStreamFormat(cut), 0) << file.Name;
        std::string garbled = content;
        for (size_t i = 0; i < std::min<size_t>(garbled.size(), 200); ++i)
            garbled[i] = char(0x55 ^ i);
        TStringStream noise(garbled);
        EXPECT_EQ(DetectStreamFormat(noise), 0) << file.Name;
    }
}

// AVI files load through their own frame reader, not the registry.
TEST_F(RealFiles, LoadingAnAviClipReadsAFrame)
{
    TBrelvixIO io(nullptr);
    int32_t finished = 0;
    io.OnFinishWork = [&](TObject*) { ++finished; };
    io.LoadFromFile(Folder + "/clip.avi");
    EXPECT_FALSE(io.Aborting());
    EXPECT_EQ(io.Params().FileType, ioAVI);
    EXPECT_GT(io.Bitmap()->GetWidth(), 0);
    EXPECT_EQ(finished, 1);
}
