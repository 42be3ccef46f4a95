#include <gtest/gtest.h>

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "QkCommand.h"
#include "QkTestFolder.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkICC.h"
#include "imaging/core/QkStreams.h"

namespace {

constexpr const char* IccFolder = "/usr/share/color/icc/";

std::vector<uint8_t> FileBytes(const std::string& name)
{
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void LoadFile(TQkICC& icc, const std::string& name)
{
    const std::vector<uint8_t> bytes = FileBytes(name);
    ASSERT_FALSE(bytes.empty()) << name;
    icc.LoadFromBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    ASSERT_TRUE(icc.IsValid()) << name;
}

std::vector<uint8_t> SavedProfile(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

// Lab <-> sRGB in doubles, for the generated CMYK profile.
struct TLabTransforms {
    cmsHTRANSFORM ToLab;
    cmsHTRANSFORM FromLab;
};

int InkToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    const double k = in[3] / 65535.0;
    double rgb[3];
    for (int c = 0; c < 3; ++c)
        rgb[c] = (1 - in[c] / 65535.0) * (1 - k);
    cmsCIELab lab;
    cmsDoTransform(static_cast<TLabTransforms*>(cargo)->ToLab, rgb, &lab, 1);
    cmsFloat2LabEncodedV2(out, &lab);
    return 1;
}

int LabToInk(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo)
{
    cmsCIELab lab;
    cmsLabEncoded2FloatV2(&lab, in);
    double rgb[3];
    cmsDoTransform(static_cast<TLabTransforms*>(cargo)->FromLab, &lab, rgb, 1);
    for (int c = 0; c < 3; ++c)
        out[c] = static_cast<cmsUInt16Number>(std::clamp(1 - rgb[c], 0.0, 1.0) * 65535.0 + 0.5);
    out[3] = 0;
    return 1;
}

void WriteText(cmsHPROFILE profile, cmsTagSignature tag, const char* text)
{
    cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
    cmsMLUsetASCII(mlu, "en", "US", text);
    cmsWriteTag(profile, tag, mlu);
    cmsMLUfree(mlu);
}

cmsPipeline* SampledPipeline(int inputs, int outputs, int grid, cmsSAMPLER16 sampler, TLabTransforms& cargo)
{
    cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, inputs, outputs);
    cmsStage* clut = cmsStageAllocCLut16bit(nullptr, grid, inputs, outputs, nullptr);
    cmsStageSampleCLut16bit(clut, sampler, &cargo, 0);
    cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, clut);
    return pipeline;
}

// A small CMYK printer profile: ink to RGB by the subtractive
// model, then sRGB to Lab, and back without black ink.
std::vector<uint8_t> MakeCmykProfile()
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile();
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    TLabTransforms transforms{
        cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0),
        cmsCreateTransform(lab, TYPE_Lab_DBL, srgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, 0)};
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 2.1);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsPipeline* aToB = SampledPipeline(4, 3, 9, InkToLab, transforms);
    cmsPipeline* bToA = SampledPipeline(3, 4, 17, LabToInk, transforms);
    cmsWriteTag(profile, cmsSigAToB0Tag, aToB);
    cmsWriteTag(profile, cmsSigBToA0Tag, bToA);
    cmsWriteTag(profile, cmsSigAToB1Tag, aToB);
    cmsWriteTag(profile, cmsSigBToA1Tag, bToA);
    cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    WriteText(profile, cmsSigProfileDescriptionTag, "Test CMYK");
    WriteText(profile, cmsSigCopyrightTag, "No rights reserved");
    cmsPipelineFree(aToB);
    cmsPipelineFree(bToA);
    cmsDeleteTransform(transforms.ToLab);
    cmsDeleteTransform(transforms.FromLab);
    cmsCloseProfile(srgb);
    cmsCloseProfile(lab);
    return SavedProfile(profile);
}

// transicc's results (relative colorimetric, evaluated without
// precalculated tables like our transforms) for lines of input values:
// 0..255 for RGB and gray, 0..100 % for CMYK, in and out. Results are
// clipped to 0..maximum here: transicc's own bounded mode clips CMYK to 0..1.
std::vector<std::vector<double>> Transicc(const TestFolder& folder, const std::string& input, const std::string& output,
                                          const std::vector<std::vector<double>>& colours, double maximum)
{
    const std::string inputFile = folder.File("transicc-input.txt");
    {
        std::ofstream lines(inputFile);
        for (const auto& colour : colours) {
            for (double value : colour)
                lines << value << ' ';
            lines << '\n';
        }
    }
    std::istringstream printed(
        CommandOutput("transicc -t1 -c0 -n -i'" + input + "' -o'" + output + "' < '" + inputFile + "' 2>/dev/null"));
    std::vector<std::vector<double>> results;
    for (std::string line; std::getline(printed, line);) {
        std::istringstream numbers(line);
        std::vector<double> result;
        for (double value; numbers >> value;)
            result.push_back(std::clamp(value, 0.0, maximum));
        if (!result.empty())
            results.push_back(result);
    }
    EXPECT_EQ(results.size(), colours.size());
    return results;
}

std::vector<std::vector<int>> RgbGrid()
{
    std::vector<std::vector<int>> grid;
    for (int r = 0; r <= 255; r += 51)
        for (int g = 0; g <= 255; g += 51)
            for (int b = 0; b <= 255; b += 51)
                grid.push_back({r, g, b});
    return grid;
}

std::vector<std::vector<double>> Scaled(const std::vector<std::vector<int>>& colours, double factor)
{
    std::vector<std::vector<double>> scaled;
    for (const auto& colour : colours)
        scaled.emplace_back(colour.begin(), colour.end());
    for (auto& colour : scaled)
        for (double& value : colour)
            value *= factor;
    return scaled;
}

// CMYK percentages of transicc per byte.
constexpr double PercentPerByte = 100.0 / 255;

} // namespace

TEST(ICC, StandardSRGBToItselfKeepsColours)
{
    TQkICC source, target;
    source.LoadStandardSRGB();
    target.LoadStandardSRGB();
    ASSERT_TRUE(source.IsValid());
    EXPECT_TRUE(source.RawData().empty());
    for (const auto& colour : RgbGrid()) {
        const TRGBPixel in = MakeRGBPixel(uint8_t(colour[0]), uint8_t(colour[1]), uint8_t(colour[2]));
        TRGBPixel out;
        ASSERT_TRUE(source.TransformPixels(target, icBGR, icBGR, 0, 0, &in, &out, 1));
        EXPECT_NEAR(out.r, in.r, 1);
        EXPECT_NEAR(out.g, in.g, 1);
        EXPECT_NEAR(out.b, in.b, 1);
    }
    TMemoryStream saved;
    source.SaveToStream(saved, false);
    EXPECT_EQ(saved.Size(), 4);
}

// Installed RGB and gray profiles converted to sRGB agree with transicc.
TEST(ICC, InstalledProfilesAgreeWithTransicc)
{
    struct TCase {
        std::string File;
        int32_t Code;
    };
    const TCase cases[] = {{"compatibleWithAdobeRGB1998.icc", icRGB},
                           {"colord/ProPhotoRGB.icc", icRGB},
                           {"Gray.icc", icGray}};
    TestFolder folder;
    TQkICC srgb;
    srgb.LoadStandardSRGB();
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.File);
        TQkICC profile;
        LoadFile(profile, IccFolder + test.File);
        std::vector<std::vector<int>> colours = RgbGrid();
        if (test.Code == icGray) {
            colours.clear();
            for (int v = 0; v <= 255; v += 15)
                colours.push_back({v});
        }
        const auto expected = Transicc(folder, IccFolder + test.File, "*sRGB", Scaled(colours, 1), 255);
        for (size_t i = 0; i < colours.size() && i < expected.size(); ++i) {
            std::vector<uint8_t> in(colours[i].begin(), colours[i].end());
            TRGBPixel out;
            ASSERT_TRUE(profile.TransformPixels(srgb, test.Code, icBGR, 0, 0, in.data(), &out, 1));
            EXPECT_NEAR(out.r, expected[i][0], 1) << i;
            EXPECT_NEAR(out.g, expected[i][1], 1) << i;
            EXPECT_NEAR(out.b, expected[i][2], 1) << i;
        }
    }
}

class CmykProfile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<uint8_t> bytes = MakeCmykProfile();
        profileFile_ = folder_.File("cmyk.icc");
        std::ofstream(profileFile_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        cmyk_.LoadFromBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
        rgb_.LoadStandardSRGB();
        CmykProfileSource = [this] { return TQkCmykProfiles{&cmyk_, &rgb_}; };
    }
    void TearDown() override { CmykProfileSource = nullptr; }

    TestFolder folder_;
    std::string profileFile_;
    TQkICC cmyk_;
    TQkICC rgb_;
};

TEST_F(CmykProfile, TextsComeFromTheTagTable)
{
    ASSERT_TRUE(cmyk_.IsValid());
    EXPECT_EQ(cmyk_.Description(), "Test CMYK");
    EXPECT_EQ(cmyk_.RightsText(), "No rights reserved");
}

TEST_F(CmykProfile, CmykToRgbAgreesWithTransicc)
{
    std::vector<std::vector<int>> inks;
    for (int c = 0; c <= 255; c += 85)
        for (int m = 0; m <= 255; m += 85)
            for (int y = 0; y <= 255; y += 85)
                for (int k : {0, 128, 255})
                    inks.push_back({c, m, y, k});
    const auto expected = Transicc(folder_, profileFile_, "*sRGB", Scaled(inks, PercentPerByte), 255);
    for (size_t i = 0; i < inks.size() && i < expected.size(); ++i) {
        // Stored CMYK is inverted: 255 means no ink.
        const TCMYKPixel stored = MakeCMYKPixel(uint8_t(255 - inks[i][0]), uint8_t(255 - inks[i][1]),
                                                uint8_t(255 - inks[i][2]), uint8_t(255 - inks[i][3]));
        TRGBPixel rgb;
        CmykToRgb(stored, rgb);
        EXPECT_NEAR(rgb.r, expected[i][0], 1) << i;
        EXPECT_NEAR(rgb.g, expected[i][1], 1) << i;
        EXPECT_NEAR(rgb.b, expected[i][2], 1) << i;
    }
}

TEST_F(CmykProfile, RgbToCmykAgreesWithTransicc)
{
    const auto colours = RgbGrid();
    const auto expected = Transicc(folder_, "*sRGB", profileFile_, Scaled(colours, 1), 100);
    for (size_t i = 0; i < colours.size() && i < expected.size(); ++i) {
        const uint32_t packed = uint32_t(colours[i][0]) << 16 | uint32_t(colours[i][1]) << 8 | uint32_t(colours[i][2]);
        const TCMYKPixel cmyk = RgbToCmyk(packed);
        EXPECT_NEAR(255 - cmyk.c, expected[i][0] / PercentPerByte, 1) << i;
        EXPECT_NEAR(255 - cmyk.m, expected[i][1] / PercentPerByte, 1) << i;
        EXPECT_NEAR(255 - cmyk.y, expected[i][2] / PercentPerByte, 1) << i;
        EXPECT_NEAR(255 - cmyk.k, expected[i][3] / PercentPerByte, 1) << i;
    }
}

TEST_F(CmykProfile, WithoutASourceTheFormulaStays)
{
    CmykProfileSource = nullptr;
    TRGBPixel rgb;
    CmykToRgb(MakeCMYKPixel(255, 128, 0, 255), rgb);
    EXPECT_EQ(rgb.r, 255);
    EXPECT_EQ(rgb.g, 128);
    EXPECT_EQ(rgb.b, 0);
    CmykProfileSource = [] { return TQkCmykProfiles{}; };
    CmykToRgb(MakeCMYKPixel(255, 128, 0, 255), rgb);
    EXPECT_EQ(rgb.g, 128);
}

TEST(ICC, TransformIsBuiltOnceForRepeatedCodes)
{
    TQkICC source, target;
    source.LoadStandardSRGB();
    target.LoadStandardSRGB();
    const uint8_t row[6] = {10, 20, 30, 40, 50, 60};
    uint8_t out[6];
    ASSERT_TRUE(source.TransformPixels(target, icRGB, icBGR, 0, 0, row, out, 2));
    ASSERT_TRUE(source.TransformPixels(target, icRGB, icBGR, 0, 0, row, out, 2));
    EXPECT_FALSE(source.Applied()) << "the second row rebuilt the transform";
    ASSERT_TRUE(source.TransformPixels(target, icBGR, icBGR, 0, 0, row, out, 2));
    EXPECT_TRUE(source.Applied());
}

TEST(ICC, BgrInputLeavesTheCallersPixelsAlone)
{
    TQkICC source, target;
    source.LoadStandardSRGB();
    target.LoadStandardSRGB();
    const std::vector<uint8_t> original = {0, 0, 255, 10, 200, 30};
    std::vector<uint8_t> pixels = original;
    std::vector<uint8_t> out(6);
    ASSERT_TRUE(source.TransformPixels(target, icBGR, icBGR, 0, 0, pixels.data(), out.data(), 2));
    EXPECT_EQ(pixels, original);
    EXPECT_NEAR(out[2], 255, 1);
    EXPECT_NEAR(out[0], 0, 1);
}

// Lab bytes carry a and b as signed values around 0.
TEST(ICC, LabBytesWidenAroundTheNeutralAxis)
{
    TQkICC lab, srgb;
    const std::vector<uint8_t> labBytes = SavedProfile(cmsCreateLab4Profile(nullptr));
    lab.LoadFromBuffer(labBytes.data(), static_cast<int32_t>(labBytes.size()));
    srgb.LoadStandardSRGB();
    const TCIELabPixel white{255, 0, 0}, black{0, 0, 0};
    TRGBPixel out;
    ASSERT_TRUE(lab.TransformPixels(srgb, icLab, icBGR, 0, 0, &white, &out, 1));
    EXPECT_GE(out.r, 254);
    EXPECT_GE(out.g, 254);
    EXPECT_GE(out.b, 254);
    ASSERT_TRUE(lab.TransformPixels(srgb, icLab, icBGR, 0, 0, &black, &out, 1));
    EXPECT_LE(out.r + out.g + out.b, 3);

    const TRGBPixel gray = MakeRGBPixel(128, 128, 128);
    TCIELabPixel result;
    ASSERT_TRUE(srgb.TransformPixels(lab, icBGR, icLab, 0, 0, &gray, &result, 1));
    EXPECT_NEAR(result.a, 0, 1);
    EXPECT_NEAR(result.b, 0, 1);
    EXPECT_NEAR(result.l, 137, 1); // L* 53.6 of 100
}

TEST(ICC, ConvertBitmapWritesTheTargetFormat)
{
    TQkICC srgb, gray;
    srgb.LoadStandardSRGB();
    LoadFile(gray, std::string(IccFolder) + "Gray.icc");
    TQkBitmap bitmap(3, 2, qk24RGB);
    bitmap.SetPixel24(1, 1, MakeRGBPixel(255, 255, 255));
    bitmap.SetPixel24(2, 0, MakeRGBPixel(200, 100, 50));
    ASSERT_TRUE(srgb.ConvertBitmap(bitmap, qkRGB48, srgb));
    ASSERT_EQ(bitmap.GetPixelFormat(), qkRGB48);
    EXPECT_NEAR(bitmap.GetPixel48(2, 0).r, 200 * 257, 257);
    EXPECT_NEAR(bitmap.GetPixel48(2, 0).b, 50 * 257, 257);
    EXPECT_FALSE(srgb.HasTransform());

    ASSERT_TRUE(srgb.ConvertBitmap(bitmap, qk8g, gray)); // from qkRGB48
    ASSERT_EQ(bitmap.GetPixelFormat(), qk8g);
    EXPECT_GE(bitmap.GetPixel8(1, 1), 254);
    EXPECT_LE(bitmap.GetPixel8(0, 0), 1);

    // No transform from gray pixels through an RGB profile: nothing changes.
    EXPECT_FALSE(srgb.ConvertBitmap(bitmap, qk24RGB, srgb));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk8g);
    EXPECT_FALSE(srgb.ConvertBitmap(bitmap, qk1g, srgb));
}

TEST(ICC, AssignCopiesRawDataOrTheBuiltInProfile)
{
    TQkICC standard, copy, adobe;
    standard.LoadStandardSRGB();
    copy.Assign(standard);
    EXPECT_TRUE(copy.IsValid());
    EXPECT_TRUE(copy.RawData().empty());
    LoadFile(adobe, std::string(IccFolder) + "compatibleWithAdobeRGB1998.icc");
    copy.Assign(adobe);
    EXPECT_TRUE(copy.IsValid());
    EXPECT_EQ(copy.RawData(), adobe.RawData());
    TMemoryStream saved;
    copy.SaveToStream(saved, true);
    EXPECT_EQ(saved.Size(), static_cast<int64_t>(adobe.RawData().size()));
    TQkICC empty;
    copy.Assign(empty);
    EXPECT_FALSE(copy.IsValid());
}

namespace {

// A profile header of zeros, then a tag table.
struct TTagEntry {
    const char* Signature;
    uint32_t Offset;
    uint32_t Size;
};

void PutBigEndian32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

std::vector<uint8_t> CraftedProfile(uint32_t count, const std::vector<TTagEntry>& entries, size_t length)
{
    std::vector<uint8_t> bytes(length, 'x');
    std::fill(bytes.begin(), bytes.begin() + std::min<size_t>(128, length), 0);
    if (length >= 132)
        PutBigEndian32(bytes, 128, count);
    for (size_t i = 0; i < entries.size() && 132 + 12 * i + 12 <= length; ++i) {
        std::copy_n(entries[i].Signature, 4, bytes.begin() + 132 + 12 * i);
        PutBigEndian32(bytes, 136 + 12 * i, entries[i].Offset);
        PutBigEndian32(bytes, 140 + 12 * i, entries[i].Size);
    }
    return bytes;
}

} // namespace

TEST(ICC, CraftedProfilesAreReadSafely)
{
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Bytes;
        const char* Rights;
        const char* Description;
    };
    std::vector<uint8_t> unterminated = CraftedProfile(1, {{"desc", 144, 20}}, 160);
    const TCase cases[] = {
        {"128 bytes", CraftedProfile(0, {}, 128), "", ""},
        {"count cut short", CraftedProfile(0, {}, 130), "", ""},
        {"huge count", CraftedProfile(0xFFFFFFFF, {{"cprt", 140, 4}}, 200), "", ""},
        {"count past the data", CraftedProfile(1000, {{"cprt", 150, 10}}, 160), "xx", ""},
        {"offset past the end", CraftedProfile(2, {{"cprt", 5000, 10}, {"desc", 150, 4}}, 170), "", ""},
        {"negative size", CraftedProfile(1, {{"cprt", 150, 0x80000000}}, 170), "", ""},
        {"text start past the end", CraftedProfile(1, {{"cprt", 165, 4}}, 170), "", ""},
        // No zero before the data end: the text ends there.
        {"unterminated text", unterminated, "", "xxxx"},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        TQkICC icc;
        icc.LoadFromBuffer(test.Bytes.data(), static_cast<int32_t>(test.Bytes.size()));
        EXPECT_FALSE(icc.IsValid());
        EXPECT_EQ(icc.RightsText(), test.Rights);
        EXPECT_EQ(icc.Description(), test.Description);
        EXPECT_EQ(icc.RawData(), test.Bytes);
        TQkICC srgb;
        srgb.LoadStandardSRGB();
        uint8_t pixel[3] = {1, 2, 3}, out[3] = {7, 7, 7};
        EXPECT_FALSE(icc.TransformPixels(srgb, icRGB, icBGR, 0, 0, pixel, out, 1));
        EXPECT_EQ(out[0], 7);
    }
}
