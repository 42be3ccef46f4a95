#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/formats/fuzz/CodecFuzzInputs.h"
#include "imaging/formats/tests/CodecTestFiles.h"

// Inputs that once failed a codec's fuzz target, named after the target
// ("giflzw-", "tifflzw-", "fax-", "bmprle-"), are decoded again as the target
// reads them, and must decode safely.
TEST(CodecMalformedInputs, DecodeSafely)
{
    const struct {
        const char* Prefix;
        void (*Decode)(const uint8_t*, size_t);
    } targets[] = {{"giflzw-", FuzzGifLzwDecode},
                   {"tifflzw-", FuzzTiffLzwDecode},
                   {"fax-", FuzzFaxDecode},
                   {"bmprle-", FuzzBmpRleDecode}};
    const std::filesystem::path folder = std::filesystem::path(TEST_SOURCE_DIR) / "malformed";
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        const std::string name = file.path().filename().string();
        SCOPED_TRACE(name);
        const auto bytes = ReadFileBytes(file.path().string());
        for (const auto& target : targets) {
            if (name.rfind(target.Prefix, 0) == 0) {
                target.Decode(bytes.data(), bytes.size());
            }
        }
    }
}
