#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "imaging/formats/cameraraw/QkCameraRaw.h"
#include "imaging/formats/fuzz/CameraRawFuzzInput.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

using CameraRawMalformed = FilterTest;

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

// Looping directories, self-nesting heaps, huge frames and short files end
// in every mode of the fuzz target.
TEST_F(CameraRawMalformed, ReplayInEveryMode)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        if (!name.starts_with("cameraraw-"))
            continue;
        SCOPED_TRACE(name);
        const std::string bytes = ReadFile(file.path());
        for (const uint8_t mode : {0, 1, 2, 3, 5, 9}) {
            std::string input(1, char(mode));
            input += bytes;
            FuzzCameraRaw(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        }
    }
}

// A frame over the decode limit is refused before anything is allocated;
// a heap without sensor data decodes to what the file has.
TEST_F(CameraRawMalformed, HugeFrameAbortsShortDataDecodes)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    EXPECT_FALSE(ReadWith(ReadCameraRaw, ReadFile(folder / "cameraraw-huge-frame")));
    EXPECT_TRUE(ReadWith(ReadCameraRaw, ReadFile(folder / "cameraraw-short-sensor-data")));
    EXPECT_EQ(bitmap.GetWidth(), 958);
    EXPECT_TRUE(ReadWith(ReadCameraRaw, ReadFile(folder / "cameraraw-self-nesting-heap"), true));
    EXPECT_EQ(params.RawCamera, "Canon PowerShot A5 ");
}
