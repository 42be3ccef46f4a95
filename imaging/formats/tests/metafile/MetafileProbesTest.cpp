#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/metafile/QkMetafileProbes.h"
#include "imaging/formats/tests/FormatsTestSupport.h"

namespace {

// The 18-byte standard metafile header.
std::string WmfHeader(int type, int headerWords, int parameterCount)
{
    return Bytes({type, 0, headerWords, 0, 0x00, 0x03, 0x40, 0, 0, 0, 1, 0, 0x10, 0, 0, 0, parameterCount, 0});
}

std::string Placeable(const std::string& header) { return Padded(Bytes({0xD7, 0xCD, 0xC6, 0x9A}), 22) + header; }

std::string Emf(const std::string& signature)
{
    return Padded(Padded(Bytes({1, 0, 0, 0, 108, 0, 0, 0}), 40) + signature, 108);
}

} // namespace

TEST(MetafileProbes, RecogniseTheirHeadersFromThePosition)
{
    const struct {
        std::string Bytes;
        bool Wmf;
        bool Emf;
    } cases[] = {
        {Placeable(WmfHeader(1, 9, 0)), true, false},
        {Padded(WmfHeader(1, 9, 0), 40), true, false},
        {Padded(WmfHeader(2, 9, 0), 40), false, false},
        {Padded(WmfHeader(1, 8, 0), 40), false, false},
        {Padded(WmfHeader(1, 9, 1), 40), false, false},
        // A placeable key before a plain header that is not there.
        {Padded(Bytes({0xD7, 0xCD, 0xC6, 0x9A}), 40), false, false},
        {Emf(" EMF"), false, true},
        {Emf("EMF "), false, false},
        // Shorter than what each probe reads.
        {Placeable(WmfHeader(1, 9, 0)).substr(0, 39), false, false},
        {WmfHeader(1, 9, 0) + "x", false, false},
        {Emf(" EMF").substr(0, 99), false, false},
        {"", false, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        TMemoryStream stream;
        FillStream(stream, "ab" + cases[i].Bytes);
        stream.SetPosition(2);
        EXPECT_EQ(IsWmfStream(stream), cases[i].Wmf) << i;
        EXPECT_EQ(stream.Position(), 2) << i;
        EXPECT_EQ(IsEmfStream(stream), cases[i].Emf) << i;
        EXPECT_EQ(stream.Position(), 2) << i;
    }
}

using MetafileDetection = FormatsTest;

TEST_F(MetafileDetection, MetafilesTakeTheirDetectionSlots)
{
    TStringStream wmf(Placeable(WmfHeader(1, 9, 0)));
    EXPECT_EQ(DetectStreamFormat(wmf), ioWMF);
    TStringStream emf(Emf(" EMF"));
    EXPECT_EQ(DetectStreamFormat(emf), ioEMF);
}

TEST_F(MetafileDetection, LibEmfsMetafileIsDetected)
{
    const std::string path = std::string(TEST_BINARY_DIR) + "/sample-" + std::to_string(getpid()) + ".emf";
    ASSERT_EQ(std::system((std::string(EMF_SAMPLE_PROGRAM) + " " + path).c_str()), 0);
    EXPECT_EQ(DetectFileFormat(path, false), ioEMF);
    std::filesystem::remove(path);
}
