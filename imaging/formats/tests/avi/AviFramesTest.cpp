#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/avi/QkAviReader.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"
#include "imaging/formats/tests/async/RecordingView.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/Form.h"

namespace {

const std::string Folder = std::string(TEST_BINARY_DIR) + "/avi-frames-" + std::to_string(getpid());

std::string Path(const std::string& name) { return Folder + "/" + name; }

std::string Made(const std::string& name, const std::string& command) { return command + " -f avi " + Path(name); }

std::string MakeClip(const std::string& name, const std::string& rate, const std::string& codec)
{
    return Made(name, "ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=" + rate + " -frames:v 14 " + codec);
}

// Frame `index` as the ffmpeg tool decodes it: bgr24 rows, top first.
std::string ToolFrame(const std::string& name, int index)
{
    return CommandOutput("ffmpeg -v error -i " + Path(name) + " -vf 'select=eq(n\\," + std::to_string(index) +
                         ")' -frames:v 1 -pix_fmt bgr24 -f rawvideo -");
}

// The image's bgr rows, top first.
std::string OurFrame(TQkBitmap& bitmap)
{
    std::string bytes;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y)
        bytes.append(reinterpret_cast<const char*>(bitmap.GetScanline(y)), size_t(bitmap.GetWidth()) * 3);
    return bytes;
}

class AviFrames : public FormatsTest {
protected:
    static void SetUpTestSuite()
    {
        MakeFiles(
            Folder,
            {MakeClip("bgr24.avi", "25", "-c:v rawvideo -pix_fmt bgr24"),
             MakeClip("bgra.avi", "30000/1001", "-c:v rawvideo -pix_fmt bgra"),
             MakeClip("rgb555.avi", "25", "-c:v rawvideo -pix_fmt rgb555le"),
             MakeClip("pal8.avi", "25", "-c:v rawvideo -pix_fmt pal8"),
             MakeClip("mjpeg.avi", "30000/1001", "-c:v mjpeg -q:v 3"),
             MakeClip("mpeg4.avi", "25", "-c:v mpeg4 -g 12 -q:v 4"),
             Made("audio.avi", "ffmpeg -v error -y -f lavfi -i sine=duration=0.3"),
             "ffmpeg -v error -y -f lavfi -i testsrc=size=16x8 -frames:v 1 -f image2 -c:v png " + Path("picture.avi")});
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }

    void SetUp() override
    {
        FormatsTest::SetUp();
        io->OnFinishWork = [this](TObject*) { ++finishes; };
    }
    void TearDown() override
    {
        io.reset();
        FormatsTest::TearDown();
    }

    std::unique_ptr<TBrelvixIO> io = std::make_unique<TBrelvixIO>(nullptr);
    int finishes = 0;
};

TEST_F(AviFrames, OpenAnswersTheFrameCountAndDelay)
{
    struct Case {
        const char* file;
        int32_t delay;
    };
    for (const Case& c : {Case{"bgr24.avi", 40}, Case{"mjpeg.avi", 33}, Case{"mpeg4.avi", 40}}) {
        SCOPED_TRACE(c.file);
        const int32_t counted = std::stoi(CommandOutput("ffprobe -v error -count_frames -select_streams v:0 "
                                                        "-show_entries stream=nb_read_frames -of csv=p=0 " +
                                                        Path(c.file)));
        EXPECT_EQ(io->OpenAVIFile(Path(c.file)), counted);
        EXPECT_FALSE(io->Aborting());
        EXPECT_EQ(io->Params().AviFrameCount, counted);
        EXPECT_EQ(io->Params().AviFrameDelayTime, c.delay);
        EXPECT_EQ(io->Params().FileName, Path(c.file));
    }
}

TEST_F(AviFrames, FailedOpensLeaveNothingOpen)
{
    for (const char* file : {"audio.avi", "missing.avi", "picture.avi"}) {
        SCOPED_TRACE(file);
        ASSERT_GT(io->OpenAVIFile(Path("bgr24.avi")), 0);
        EXPECT_EQ(io->OpenAVIFile(Path(file)), 0);
        EXPECT_TRUE(io->Aborting());
        EXPECT_EQ(io->Params().AviFrameCount, 0);
        // The file opened before was closed.
        finishes = 0;
        io->ReadAVIFrame(0);
        EXPECT_TRUE(io->Aborting());
        EXPECT_EQ(finishes, 1);
    }
}

TEST_F(AviFrames, FramesEqualTheToolsDecoding)
{
    struct Case {
        const char* file;
        int index;
        int tolerance;
    };
    const std::vector<Case> cases = {{"bgr24.avi", 0, 0},  {"bgr24.avi", 13, 0}, {"bgra.avi", 7, 0},
                                     {"rgb555.avi", 5, 0}, {"pal8.avi", 4, 0},   {"mjpeg.avi", 0, 2},
                                     {"mjpeg.avi", 13, 2}, {"mpeg4.avi", 0, 2},  {"mpeg4.avi", 11, 2},
                                     {"mpeg4.avi", 12, 2}, {"mpeg4.avi", 13, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " frame " + std::to_string(c.index));
        ASSERT_GT(io->OpenAVIFile(Path(c.file)), c.index);
        io->ReadAVIFrame(c.index);
        ASSERT_FALSE(io->Aborting());
        ASSERT_EQ(io->Bitmap()->GetWidth(), 64);
        ASSERT_EQ(io->Bitmap()->GetHeight(), 48);
        EXPECT_EQ(io->Params().Width, 64);
        EXPECT_EQ(io->Params().StoredHeight, 48);
        EXPECT_LE(LargestDifference(OurFrame(*io->Bitmap()), ToolFrame(c.file, c.index)), c.tolerance);
    }
}

TEST_F(AviFrames, FramesReadOutOfOrderEqualTheFramesReadInOrder)
{
    ASSERT_EQ(io->OpenAVIFile(Path("mpeg4.avi")), 14);
    std::vector<std::string> inOrder;
    for (int index = 0; index < 14; ++index) {
        io->ReadAVIFrame(index);
        ASSERT_FALSE(io->Aborting()) << index;
        inOrder.push_back(OurFrame(*io->Bitmap()));
    }
    for (int index : {9, 0, 5, 4, 13, 12}) {
        io->ReadAVIFrame(index);
        ASSERT_FALSE(io->Aborting()) << index;
        EXPECT_TRUE(OurFrame(*io->Bitmap()) == inOrder[size_t(index)]) << index;
    }
}

TEST_F(AviFrames, IndexesOutOfRangeAreRefused)
{
    ASSERT_EQ(io->OpenAVIFile(Path("bgr24.avi")), 14);
    io->ReadAVIFrame(2);
    const std::string before = OurFrame(*io->Bitmap());
    for (int32_t index : {14, -1}) {
        finishes = 0;
        io->ReadAVIFrame(index);
        EXPECT_TRUE(io->Aborting()) << index;
        EXPECT_EQ(finishes, 1) << index;
        EXPECT_TRUE(OurFrame(*io->Bitmap()) == before) << index;
    }
}

TEST_F(AviFrames, SampleLayoutFollowsTheStoredBitCount)
{
    struct Case {
        const char* file;
        int32_t bitsPerSample;
        int32_t samplesPerPixel;
    };
    for (const Case& c :
         {Case{"bgr24.avi", 8, 3}, Case{"bgra.avi", 8, 3}, Case{"rgb555.avi", 8, 3}, Case{"pal8.avi", 8, 1}}) {
        SCOPED_TRACE(c.file);
        io->Params().BitsPerSample = 0;
        io->Params().SamplesPerPixel = 0;
        io->OpenAVIFile(Path(c.file));
        io->ReadAVIFrame(1);
        EXPECT_EQ(io->Params().BitsPerSample, c.bitsPerSample);
        EXPECT_EQ(io->Params().SamplesPerPixel, c.samplesPerPixel);
    }
}

TEST_F(AviFrames, DelayOfAZeroRateOrScaleIsZero)
{
    EXPECT_EQ(AviFrameDelay(25, 1), 40);
    EXPECT_EQ(AviFrameDelay(30000, 1001), 33);
    EXPECT_EQ(AviFrameDelay(0, 1), 0);
    EXPECT_EQ(AviFrameDelay(25, 0), 0);
}

TEST_F(AviFrames, LoadFromFileReadsTheIndexedFrame)
{
    io->Params().ImageIndex = 3;
    io->LoadFromFile(Path("bgr24.avi"));
    ASSERT_FALSE(io->Aborting());
    EXPECT_EQ(io->Params().FileType, ioAVI);
    EXPECT_EQ(finishes, 1);
    EXPECT_TRUE(OurFrame(*io->Bitmap()) == ToolFrame("bgr24.avi", 3));
    // The file was closed again.
    io->ReadAVIFrame(0);
    EXPECT_TRUE(io->Aborting());
}

TEST_F(AviFrames, CutFilesFailCleanly)
{
    const std::string whole = FileContent(Path("mjpeg.avi"));
    for (size_t length : {size_t(0), size_t(11), size_t(200), size_t(2000), whole.size() / 2, whole.size() - 7}) {
        SCOPED_TRACE(length);
        const std::string cut = Path("cut-" + std::to_string(getpid()) + ".avi");
        {
            std::ofstream file(cut, std::ios::binary | std::ios::trunc);
            file.write(whole.data(), std::streamsize(length));
        }
        const int32_t frames = io->OpenAVIFile(cut);
        EXPECT_EQ(frames == 0, io->Aborting());
        for (int32_t index : {0, frames / 2, frames - 1}) {
            io->ReadAVIFrame(index);
            if (!io->Aborting()) {
                EXPECT_EQ(io->Bitmap()->GetWidth(), 64);
            }
        }
        io->CloseAVIFile();
        std::filesystem::remove(cut);
    }
}

// An asynchronous read handed to a worker ends before the file it reads is
// closed.
class AsyncAviFrames : public AviFrames {
protected:
    void SetUp() override
    {
        InstallWindowSystem(backend);
        AviFrames::SetUp();
        view->SetParent(form.get());
        io->SetAttachedBrelvix(view.get());
        io->SetAsynchronous(true);
    }
    void TearDown() override
    {
        AviFrames::TearDown();
        view.reset();
        form.reset();
        UninstallWindowSystem();
    }

    THeadlessBackend backend;
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);
    std::unique_ptr<TRecordingView> view = std::make_unique<TRecordingView>();
};

TEST_F(AsyncAviFrames, CloseWaitsForTheHandedOffRead)
{
    ASSERT_EQ(io->OpenAVIFile(Path("bgr24.avi")), 14);
    io->ReadAVIFrame(6);
    io->CloseAVIFile();
    EXPECT_FALSE(io->Aborting());
    EXPECT_TRUE(OurFrame(view->image) == ToolFrame("bgr24.avi", 6));
    DeliverPostedMessages();
    EXPECT_EQ(std::count(view->messages.begin(), view->messages.end(), TRecordedMessage{QKM_IOFINISHWORK, 0}), 1);
}

} // namespace
