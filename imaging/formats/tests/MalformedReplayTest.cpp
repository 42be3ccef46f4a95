#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FormatsTestSupport.h"
#include "imaging/formats/fuzz/FiltersFuzzInput.h"
#include "imaging/formats/fuzz/FormatsFuzzInput.h"

namespace {

using FormatsMalformedInputs = FormatsTest;

} // namespace

// Inputs that once failed under the formats or filters fuzzers, and files
// built to break the filters, are read again as both fuzzers read them.
TEST_F(FormatsMalformedInputs, ReadSafely)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(file.path().filename().string());
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ReadAsEveryFormat(bytes.data(), bytes.size());
        ReadAsFilter(bytes.data(), bytes.size());
    }
}

// The filters' broken files load through the component as their format:
// a bad header is refused, short data loads with what it has.
TEST_F(FormatsMalformedInputs, FilterFilesFailCleanly)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    TBrelvixIO io(nullptr);
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        const int32_t fileType = name.starts_with("pnm-") ? ioPXM : name.starts_with("wbmp-") ? ioWBMP : 0;
        if (fileType == 0)
            continue;
        std::ifstream in(file.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        io.LoadFromBuffer(bytes.data(), int64_t(bytes.size()), fileType);
        EXPECT_EQ(io.Aborting(), name.find("short") == std::string::npos) << name;
    }
}
