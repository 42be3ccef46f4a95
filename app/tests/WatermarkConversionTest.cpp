// A watermark whose file name holds every character the option-string
// splitter and the filter parsers treat specially still reaches the output.

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "ClipRow.h"
#include "ConversionTestSupport.h"
#include "app/ConversionTask.h"

using namespace conversion_test;

namespace {

// The average RGB of an 8 x 8 block at (x, y) of the first frame.
std::array<int, 3> BlockColour(const std::string& file, int x, int y)
{
    const std::string pixels =
        Shell("ffmpeg -nostdin -v error -i \"" + file + "\" -frames:v 1 -vf crop=8:8:" + std::to_string(x) + ":" +
              std::to_string(y) + " -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
    std::array<int, 3> sum{};
    if (pixels.size() != 8 * 8 * 3)
        return sum;
    for (size_t i = 0; i < pixels.size(); ++i)
        sum[i % 3] += static_cast<unsigned char>(pixels[i]);
    for (int& channel : sum)
        channel /= 64;
    return sum;
}

} // namespace

TEST(WatermarkConversionTest, OddlyNamedPngIsOverlaidWhereAsked)
{
    LoadEngineLibraries();
    GenerateClip();
    const std::string folder = MediaFolder + "watermark/";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string plain = folder + "green.png";
    Generate(plain, "-f lavfi -i color=c=0x00FF00:size=48x48 -frames:v 1");
    const std::string odd = folder + " mark ,;[]'=\\:\"é中 .png ";
    std::filesystem::rename(plain, odd);

    TCusOutputOptions settings = ClipRow(Clip, folder, 5);
    settings.WatermarkOn = true;
    settings.WatermarkFile = odd;
    settings.WatermarkX = 530;
    settings.WatermarkY = 420;

    VIDArarozo encoder(nullptr);
    TTerminateInfo end;
    encoder.OnTerminate = [&](TObject*, const TTerminateInfo& info) {
        if (info.TaskIndex == 0)
            end = info;
    };
    ASSERT_EQ(AddConversionTask(encoder, settings, MachineJobEnvironment(encoder)), "");
    RunToEnd(encoder);
    ASSERT_TRUE(end.Finished && !end.Exception) << end.ExceptionMessage;

    const std::string output = folder + "clip_new001.mp4";
    const auto inside = BlockColour(output, 550, 440);
    EXPECT_LT(inside[0], 40);
    EXPECT_GT(inside[1], 215);
    EXPECT_LT(inside[2], 40);
    const auto outside = BlockColour(output, 500, 440);
    EXPECT_FALSE(outside[0] < 40 && outside[1] > 215 && outside[2] < 40);
}
