#include "imaging/formats/tests/j2k/J2kFilesTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "imaging/core/tests/QkCommand.h"
#include "imaging/formats/tests/CodecTestFiles.h"

std::string J2kPath(const std::string& name)
{
    const std::string folder = std::string(TEST_BINARY_DIR) + "/j2k-files-" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    return folder + "/" + name;
}

TJ2kRaw PatternRaw(int32_t depth, bool isSigned, std::vector<int32_t> steps, int32_t width, int32_t height)
{
    TJ2kRaw raw;
    raw.Width = width;
    raw.Height = height;
    raw.Depth = depth;
    raw.Signed = isSigned;
    raw.Steps = std::move(steps);
    const int32_t levels = 1 << depth;
    const int32_t lowest = isSigned ? -levels / 2 : 0;
    for (size_t c = 0; c < raw.Steps.size(); ++c) {
        const int32_t rows = (raw.Height + raw.Steps[c] - 1) / raw.Steps[c];
        std::vector<int32_t> plane;
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < raw.PlaneWidth(c); ++x)
                plane.push_back(lowest + (x * 311 + y * 97 + int32_t(c) * 1013 + (x == 0 ? levels - 1 : 0)) % levels);
        raw.Planes.push_back(std::move(plane));
    }
    return raw;
}

namespace {

// Big-endian samples in one or two bytes.
std::vector<uint8_t> SampleBytes(const TJ2kRaw& raw)
{
    std::vector<uint8_t> bytes;
    for (const std::vector<int32_t>& plane : raw.Planes)
        for (int32_t sample : plane) {
            if (raw.Depth > 8)
                bytes.push_back(uint8_t(uint32_t(sample) >> 8));
            bytes.push_back(uint8_t(sample));
        }
    return bytes;
}

std::string RawInput(const TJ2kRaw& raw, const std::string& name)
{
    const std::string path = J2kPath(name + ".raw");
    WriteFileBytes(path, SampleBytes(raw));
    std::string format = std::to_string(raw.Width) + "," + std::to_string(raw.Height) + "," +
        std::to_string(raw.Planes.size()) + "," + std::to_string(raw.Depth) + "," + (raw.Signed ? "s" : "u");
    if (raw.Steps.size() > 1) {
        format += "@";
        for (size_t c = 0; c < raw.Steps.size(); ++c)
            format += (c ? ":" : "") + std::to_string(raw.Steps[c]) + "x" + std::to_string(raw.Steps[c]);
    }
    return path + " -F " + format;
}

} // namespace

std::string CompressRaw(const TJ2kRaw& raw, const std::string& name, const std::string& options)
{
    const std::string input = RawInput(raw, name);
    const std::string path = J2kPath(name);
    CommandOutput("opj_compress -n 3 -i " + input + " -o " + path + " " + options);
    EXPECT_TRUE(std::filesystem::exists(path)) << name;
    return path;
}
