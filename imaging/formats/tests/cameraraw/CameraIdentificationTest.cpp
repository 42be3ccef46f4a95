#include <gtest/gtest.h>

#include <functional>

#include "imaging/formats/cameraraw/RawIdentify.h"
#include "imaging/formats/cameraraw/RawLoaders.h"
#include "imaging/formats/tests/cameraraw/RawFileBuilder.h"

namespace {

struct TExpected {
    std::string make, model;
    int32_t height, width, rawHeight, rawWidth, top, left;
    uint32_t filters;
    int32_t colors;
    TRawLoader loader;
    int32_t dataOffset;
    float preMul0, preMul2;
};

struct TCase {
    const char* name;
    std::function<std::string()> file;
    TExpected expected;
};

std::string SizedFile(size_t size) { return std::string(size, '\0'); }

std::string PhaseOneFile()
{
    TRawBytes b(0, true);
    b.Text(0, "MMMMRawT");
    b.Put32(8, 0);
    b.Put32(148, 4128);
    b.Put32(164, 2060);
    b.Grow(4096);
    return b.data;
}

std::string MinoltaFile()
{
    TRawBytes b(0, true);
    b.Text(0, std::string("\0MRM", 4));
    b.Put32(4, 1000);
    b.Put16(24, 1544);
    b.Put16(26, 2056);
    b.Put16(36, 2);
    b.Put16(38, 1);
    b.Put16(40, 4);
    b.Put16(42, 8);
    WriteTiff(b, 48, {{{271, 2, 8, 0, NulText("MINOLTA")}, {272, 2, 10, 0, NulText("DiMAGE A1")}}});
    b.Grow(4096);
    return b.data;
}

std::string FujiFile()
{
    TRawBytes b(0, true);
    b.Text(0, "FUJIFILM");
    b.Put32(84, 188);
    b.Put32(100, 2048);
    WriteTiff(b, 200, {{{271, 2, 9, 0, NulText("FUJIFILM")}, {272, 2, 14, 0, NulText("FinePix S5000")}}});
    b.Grow(4096);
    return b.data;
}

std::string RolleiFile()
{
    std::string text = "DSC-Image\nHDR=1024\nX  =1316\nY  =1032\nTX =10\nTY =10\nEOHD\n";
    text.resize(4096, '\0');
    return text;
}

std::string FoveonFile()
{
    TRawBytes b;
    b.Text(0, "FOVb");
    b.Put32(248, 2304);
    b.Put32(252, 1531);
    b.Put32(308, 0);
    const std::string keys = std::string("CAMMANUF\0SIGMA\0CAMMODEL\0SD10\0", 29);
    for (size_t i = 0; i < keys.size(); ++i)
        b.Put16(324 + 2 * i, uint8_t(keys[i]));
    b.Text(400, "CAMF");
    b.Put32(404, 300);
    b.Put32(408, 400);
    return b.data;
}

std::string NucoreFile(const char* magic, uint32_t width)
{
    TRawBytes b;
    b.Text(0, magic);
    b.Put32(10, 54);
    b.Put32(18, width);
    b.Put32(22, 10);
    b.Put32(38, 2834);
    b.Put32(42, 2834);
    b.Grow(8192);
    return b.data;
}

std::string ContaxFile()
{
    std::string file(8192, '\0');
    file.replace(25, 7, "ARECOYK");
    return file;
}

std::string SinarFile()
{
    TRawBytes b(12582980, true);
    b.Text(0, "8BPS");
    b.Put32(14, 2048);
    b.Put32(18, 3072);
    return b.data;
}

std::string CanonHeap(const std::string& model, std::vector<THeapRecord> more = {})
{
    more.insert(more.begin(), {0x080A, NulText("Canon") + NulText("Canon " + model)});
    return HeapFile(more);
}

std::string CompressedCanon()
{
    TRawBytes size;
    size.Put16(2, 3152);
    size.Put16(4, 2068);
    return CanonHeap("EOS 10D", {{0x3004, HeapBlock({{0x1031, size.data}})}});
}

std::string NikonD100(bool withRaw)
{
    TRawBytes b;
    std::vector<std::vector<TTiffEntry>> ifds;
    std::vector<TTiffEntry> main = {{271, 2, 18, 0, NulText("NIKON CORPORATION")},
                                    {272, 2, 12, 0, NulText("NIKON D100 ")}};
    if (withRaw)
        main.push_back({330, 4, 1, 200, {}});
    WriteTiff(b, 0, {main});
    if (withRaw) {
        b.Put16(200, 5);
        const uint32_t raw[5][4] = {{256, 4, 1, 3034},
                                    {257, 4, 1, 2024},
                                    {259, 3, 1, 34713},
                                    {262, 3, 1, 32803},
                                    {273, 4, 1, 1024}};
        for (size_t i = 0; i < 5; ++i) {
            b.Put16(202 + 12 * i, raw[i][0]);
            b.Put16(204 + 12 * i, raw[i][1]);
            b.Put32(206 + 12 * i, raw[i][2]);
            if (raw[i][1] == 3)
                b.Put16(210 + 12 * i, raw[i][3]);
            else
                b.Put32(210 + 12 * i, raw[i][3]);
        }
    }
    b.Grow(4096);
    return b.data;
}

std::string CanonTiff(const std::string& model, bool adobe)
{
    TRawBytes b;
    std::vector<TTiffEntry> main = {{271, 2, 6, 0, NulText("Canon")},
                                    {272, 2, uint32_t(model.size() + 1), 0, NulText(model)},
                                    {273, 4, 1, 3000, {}}};
    if (adobe)
        main.push_back({305, 2, 16, 0, NulText("Adobe Photoshop")});
    WriteTiff(b, 0, {main});
    b.Grow(4096);
    return b.data;
}

std::string KodakDcs()
{
    TRawBytes b(0, true);
    WriteTiff(b, 0, {{{271, 2, 6, 0, NulText("KODAK")}, {272, 2, 8, 0, NulText("DCS520C")}, {330, 4, 1, 300, {}}}});
    b.Put16(300, 4);
    b.Put16(302, 256);
    b.Put16(304, 4);
    b.Put32(306, 1);
    b.Put32(310, 1736);
    b.Put16(314, 257);
    b.Put16(316, 4);
    b.Put32(318, 1);
    b.Put32(322, 1160);
    b.Put16(326, 259);
    b.Put16(328, 3);
    b.Put32(330, 1);
    b.Put16(334, 1);
    b.Put16(338, 273);
    b.Put16(340, 4);
    b.Put32(342, 1);
    b.Put32(346, 2048);
    b.Grow(4096);
    return b.data;
}

std::string LeafTiff()
{
    TRawBytes b(0, true);
    WriteTiff(b, 0, {{{256, 4, 1, 2048, {}}, {257, 4, 1, 3072, {}}, {324, 4, 1, 4096, {}}}});
    b.Grow(8192);
    return b.data;
}

const TCase Cases[] = {
    {"Dc20Small",
     [] { return SizedFile(62464); },
     {"Kodak", "DC20", 242, 249, 242, 256, 0, 0, 0x8D8D8D8D, 4, kodak_easy_load_raw, 257, 1, 1.209f}},
    {"Dc20Large",
     [] { return SizedFile(124928); },
     {"Kodak", "DC20", 242, 501, 242, 512, 0, 0, 0x8D8D8D8D, 4, kodak_easy_load_raw, 513, 1, 1.209f}},
    {"E950",
     [] { return SizedFile(2465792); },
     {"NIKON", "E950", 1203, 1616, 1203, 1616, 0, 0, 0x4B4B4B4B, 4, nikon_10bit_load_raw, 0, 1, 1}},
    {"E2500",
     [] { return SizedFile(2940928); },
     {"NIKON", "E2500", 1204, 1616, 1204, 1616, 0, 0, 0x4B4B4B4B, 4, nikon_12bit_load_raw, 0, 1.3f, 1}},
    {"E990",
     [] { return SizedFile(4771840); },
     {"NIKON", "E990", 1540, 2064, 1540, 2064, 0, 0, 0xB4B4B4B4, 4, nikon_12bit_load_raw, 0, 1, 1}},
    {"E4500",
     [] { return SizedFile(5865472); },
     {"NIKON", "E4500", 1708, 2288, 1708, 2288, 0, 0, 0xB4B4B4B4, 4, nikon_12bit_load_raw, 0, 1.3f, 1}},
    {"E4300",
     [] { return SizedFile(5869568); },
     {"NIKON", "E4300", 1710, 2288, 1710, 2288, 0, 0, 0x16161616, 3, nikon_12bit_load_raw, 0, 1, 1}},
    {"PcCam600",
     [] { return SizedFile(787456); },
     {"Creative", "PC-CAM 600", 768, 1024, 768, 1024, 0, 0, 0x49494949, 3, eight_bit_load_raw, 1024, 1, 1}},
    {"Qv2000",
     [] { return SizedFile(1976352); },
     {"Casio", "QV-2000UX", 1208, 1632, 1208, 1632, 0, 0, 0x94949494, 3, eight_bit_load_raw, 3264, 1, 1}},
    {"Qv3x00",
     [] { return SizedFile(3217760); },
     {"Casio", "QV-3*00EX", 1546, 2070, 1546, 2080, 0, 0, 0x94949494, 3, eight_bit_load_raw, 0, 1, 1}},
    {"Qv5700",
     [] { return SizedFile(6218368); },
     {"Casio", "QV-5700", 1924, 2576, 1924, 2576, 0, 0, 0x94949494, 3, qv5700_load_raw, 0, 1, 1}},
    {"Qv4000",
     [] { return SizedFile(7684000); },
     {"Casio", "QV-4000", 1700, 2260, 1700, 2260, 0, 0, 0x94949494, 3, be_high12_load_raw, 0, 1, 1}},
    {"ExP600",
     [] { return SizedFile(9313536); },
     {"Casio", "EX-P600", 2142, 2844, 2142, 4288, 0, 0, 0x94949494, 3, packed12_load_raw, 0, 1, 1}},
    {"OptioS",
     [] { return SizedFile(4841984); },
     {"Pentax", "Optio S", 1544, 2068, 1544, 3136, 0, 0, 0x94949494, 3, packed12_load_raw, 0, 1, 1}},
    {"OptioS4",
     [] { return SizedFile(6114240); },
     {"Pentax", "Optio S4", 1737, 2324, 1737, 3520, 0, 0, 0x94949494, 3, packed12_load_raw, 0, 1, 1}},
    {"Sinar", SinarFile, {"Sinar", "", 2048, 3072, 2048, 3072, 0, 0, 0x61616161, 3, be16_load_raw, 68, 1, 1}},
    {"PhaseOne",
     PhaseOneFile,
     {"Phase One", "LightPhase", 2048, 3080, 2060, 4128, 5, 22, 0x94949494, 3, phase_one_load_raw, 0, 1, 1}},
    {"Minolta",
     MinoltaFile,
     {"MINOLTA", "DiMAGE A1", 1544, 2056, 1544, 2056, 0, 0, 0x94949494, 3, packed12_load_raw, 1008, 1, 1}},
    {"Fuji",
     FujiFile,
     {"FUJIFILM", "FinePix S5000", 2499, 2500, 2499, 2500, 0, 0, 0x49494949, 3, fuji_s5000_load_raw, 2048, 1, 1}},
    {"Rollei",
     RolleiFile,
     {"Rollei", "d530flex", 1030, 1300, 1032, 1316, 1, 6, 0x16161616, 3, rollei_load_raw, 1224, 1.8f, 1.3f}},
    {"Foveon",
     FoveonFile,
     {"SIGMA", "SD10", 1514, 2271, 1531, 2304, 7, 17, 0, 3, foveon_load_raw, 0, 1.179f * 2.07f, 0.713f * 2.3f}},
    {"Nucore",
     [] { return NucoreFile("BR", 640); },
     {"Nucore", "RAW", 10, 640, 10, 640, 0, 0, 0x61616161, 3, nucore_load_raw, 54, 1, 1}},
    {"Bmq",
     [] { return NucoreFile("BM", 2597); },
     {"Nucore", "BMQ", 10, 2598, 10, 2598, 0, 0, 0x61616161, 3, nucore_load_raw, 54, 1, 1}},
    {"Contax",
     ContaxFile,
     {"CONTAX", "N DIGITAL", 2047, 3072, 2047, 3072, 0, 0, 0x61616161, 3, packed12_load_raw, 6656, 1, 1}},
    {"PowerShot600",
     [] { return CanonHeap("PowerShot 600"); },
     {"Canon", "PowerShot 600", 613, 854, 613, 854, 0, 0, 0xE1E4E1E4, 4, powershot600_load_raw, 26, 1.137f, 1}},
    {"PowerShotA5",
     [] { return CanonHeap("PowerShot A5"); },
     {"Canon", "PowerShot A5", 776, 960, 776, 992, 0, 0, 0x1E4E1E4E, 4, canon_packed10_load_raw, 26, 1, 1}},
    {"PowerShotA50",
     [] { return CanonHeap("PowerShot A50"); },
     {"Canon", "PowerShot A50", 968, 1290, 968, 1320, 0, 0, 0x1B4E4B1E, 4, canon_packed10_load_raw, 26, 1, 1}},
    {"PowerShotPro70",
     [] { return CanonHeap("PowerShot Pro70"); },
     {"Canon", "PowerShot Pro70", 1024, 1552, 1024, 1552, 0, 0, 0x1E4B4E1B, 4, canon_packed10_load_raw, 26, 1, 1}},
    {"Eos10D",
     CompressedCanon,
     {"Canon", "EOS 10D", 2056, 3088, 2068, 3152, 12, 64, 0x94949494, 3, unsupported_load_raw, 26, 1, 1}},
    {"NikonD100",
     [] { return NikonD100(true); },
     {"NIKON", "D100", 2024, 3037, 2024, 3040, 0, 0, 0x61616161, 3, nikon_12bit_load_raw, 1024, 1, 1}},
    {"Eos20D",
     [] { return CanonTiff("Canon EOS 20D", false); },
     {"Canon", "EOS 20D", 2348, 3522, 2360, 3596, 12, 74, 0x94949494, 3, ljpeg_load_raw, 3000, 1.95f, 1.36f}},
    {"KodakDcs",
     KodakDcs,
     {"KODAK", "DCS520C", 1160, 1736, 1160, 1736, 0, 0, 0x61616161, 3, kodak_easy_load_raw, 2048, 1, 1}},
    {"Leaf", LeafTiff, {"Leaf", "", 3072, 2048, 3072, 2048, 0, 0, 0x16161616, 3, be16_load_raw, 4096, 1, 1}},
};

void PrintTo(const TCase& test, std::ostream* out) { *out << test.name; }

class CameraIdentification : public testing::TestWithParam<TCase> {};

} // namespace

TEST_P(CameraIdentification, MatchesTheChain)
{
    const TCase& test = GetParam();
    TRawTestContext context(test.file());
    ASSERT_EQ(IdentifyCamera(*context), 0);
    const TExpected& e = test.expected;
    EXPECT_EQ(context->make, e.make);
    EXPECT_EQ(context->model, e.model);
    EXPECT_EQ(context->height, e.height);
    EXPECT_EQ(context->width, e.width);
    EXPECT_EQ(context->raw_height, e.rawHeight);
    EXPECT_EQ(context->raw_width, e.rawWidth);
    EXPECT_EQ(context->top_margin, e.top);
    EXPECT_EQ(context->left_margin, e.left);
    EXPECT_EQ(context->filters, e.filters);
    EXPECT_EQ(context->colors, e.colors);
    EXPECT_TRUE(context->load_raw == e.loader);
    EXPECT_EQ(context->data_offset, e.dataOffset);
    EXPECT_FLOAT_EQ(context->pre_mul[0], e.preMul0);
    EXPECT_FLOAT_EQ(context->pre_mul[2], e.preMul2);
    EXPECT_EQ(context.stream.Position(), e.dataOffset);
}

INSTANTIATE_TEST_SUITE_P(Files, CameraIdentification, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<TCase>& param) { return std::string(param.param.name); });

// Files that name no camera the chain knows, or that a converter rewrote.
TEST(CameraIdentificationRefusal, UnknownOrConvertedFiles)
{
    for (const std::string& file : {NikonD100(false), CanonTiff("Canon EOS 20D", true), std::string(1000, '\0'),
                                    std::string("BM") + std::string(100, '\0'), std::string()}) {
        TRawTestContext context(file);
        EXPECT_EQ(IdentifyCamera(*context), 1);
    }
}

// Each nibble 9 becomes 0xB and each 6 becomes 0xE: the second green of
// every pair of rows is a colour of its own.
TEST(CameraIdentificationOptions, FourColourSplitsTheSecondGreen)
{
    for (const auto& [size, filters] : {std::pair<size_t, uint32_t>{1976352, 0xB4B4B4B4}, {5869568, 0x1E1E1E1E}}) {
        TRawTestContext context(SizedFile(size));
        context->four_color_rgb = 1;
        ASSERT_EQ(IdentifyCamera(*context), 0);
        EXPECT_EQ(context->filters, filters);
        EXPECT_EQ(context->colors, 4);
        EXPECT_EQ(context->pre_mul[3], context->pre_mul[1]);
    }
}
