#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "FormatsTestSupport.h"
#include "imaging/formats/fuzz/FormatsFuzzInput.h"

namespace {

using FormatsMalformedInputs = FormatsTest;

} // namespace

// Inputs that once failed under the formats fuzzer are read again, as the
// fuzzer reads them.
TEST_F(FormatsMalformedInputs, ReadSafely)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(file.path().filename().string());
        std::ifstream in(file.path(), std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ReadAsEveryFormat(bytes.data(), bytes.size());
    }
}
