#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "imaging/formats/fuzz/ExifBlockFuzzInput.h"
#include "imaging/formats/fuzz/TiffReaderFuzzInput.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

using TiffMalformedInputs = FormatsTest;

// Broken TIFF data (directory loops, huge counts, offsets past the end, cut
// strips), named after the fuzz target that reads it, is read as the target
// reads it under several of its choices; the EXIF loaders and probes read
// every one of them too.
TEST_F(TiffMalformedInputs, ReadSafely)
{
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        const bool reader = name.starts_with("tiffreader-");
        if (!reader && !name.starts_with("exifblock-"))
            continue;
        SCOPED_TRACE(name);
        std::ifstream in(file.path(), std::ios::binary);
        std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ASSERT_FALSE(bytes.empty());
        if (reader) {
            for (uint8_t choice : {0x00, 0x01, 0x02, 0x04, 0x08, 0x30}) {
                bytes[0] = choice;
                ReadAsTiff(bytes.data(), bytes.size());
            }
            bytes.erase(bytes.begin());
        }
        ReadAsExifBlock(bytes.data(), bytes.size());
    }
}
