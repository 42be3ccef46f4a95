#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <tuple>
#include <unistd.h>

#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFormatDetection.h"
#include "imaging/formats/dicom/QkDicom.h"
#include "imaging/formats/tests/FormatsTestSupport.h"
#include "imaging/formats/tests/OracleTestSupport.h"

namespace {

const std::string PydicomFiles = "/usr/lib/python3/dist-packages/pydicom/data/test_files/";
// Files dcmtk and gdcm make at test time.
const std::string Folder = std::string(TEST_BINARY_DIR) + "/dicom-files-" + std::to_string(getpid());

std::string Made(const std::string& name) { return Folder + "/" + name; }

// The samples of dcm2pnm's ASCII PGM or PPM output.
std::vector<int> Dcm2pnmSamples(const std::string& path, const std::string& options)
{
    std::istringstream text(CommandOutput("dcm2pnm " + options + " " + path + " 2>/dev/null"));
    std::string magic;
    int width = 0, height = 0, top = 0;
    text >> magic >> width >> height >> top;
    std::vector<int> samples;
    for (int value; text >> value;)
        samples.push_back(value);
    return samples;
}

std::vector<int> OurSamples(TQkBitmap& bitmap)
{
    std::vector<int> samples;
    for (int32_t y = 0; y < bitmap.GetHeight(); ++y) {
        const uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < bitmap.GetWidth(); ++x) {
            switch (bitmap.GetPixelFormat()) {
            case qk16g: samples.push_back(reinterpret_cast<const uint16_t*>(row)[x]); break;
            case qk8g: samples.push_back(row[x]); break;
            default: samples.insert(samples.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]}); break;
            }
        }
    }
    return samples;
}

// The largest difference, or -1 when the counts differ.
int LargestDifference(const std::vector<int>& ours, const std::vector<int>& theirs)
{
    if (ours.size() != theirs.size() || ours.empty())
        return -1;
    int largest = 0;
    for (size_t i = 0; i < ours.size(); ++i)
        largest = std::max(largest, std::abs(ours[i] - theirs[i]));
    return largest;
}

class DicomFiles : public FilterTest {
protected:
    static void SetUpTestSuite()
    {
        const std::string f = Folder + "/";
        const std::string ct = PydicomFiles + "CT_small.dcm";
        MakeFiles(Folder,
                  {
                      "convert -size 37x23 gradient: -swirl 90 -type grayscale " + f + "gray.jpg",
                      "convert -size 37x23 gradient:red-blue -swirl 90 " + f + "colour.jpg",
                      "convert -size 37x23 gradient:red-blue -swirl 90 BMP3:" + f + "colour.bmp",
                      "img2dcm " + f + "gray.jpg " + f + "gray-jpeg.dcm",
                      "img2dcm " + f + "colour.jpg " + f + "colour-jpeg.dcm",
                      "img2dcm -i BMP " + f + "colour.bmp " + f + "colour.dcm",
                      "dcmdjpeg " + f + "gray-jpeg.dcm " + f + "gray.dcm",
                      "dcmconv +ti " + f + "gray.dcm " + f + "gray-implicit.dcm",
                      "dcmconv +tb " + f + "gray.dcm " + f + "gray-big.dcm",
                      "dcmconv +tb " + ct + " " + f + "ct-big.dcm",
                      "dcmconv +ti " + ct + " " + f + "ct-implicit.dcm",
                      "dcmconv +te " + f + "colour.dcm " + f + "colour-explicit.dcm",
                      "dcmcrle " + f + "gray.dcm " + f + "gray-rle.dcm",
                      "dcmcrle " + ct + " " + f + "ct-rle.dcm",
                      "dcmcrle " + f + "colour.dcm " + f + "colour-rle.dcm",
                      "dcmcjpeg +e1 " + f + "gray.dcm " + f + "gray-e1.dcm",
                      "dcmcjpeg +el " + ct + " " + f + "ct-el.dcm",
                      "dcmcjpeg +e1 " + ct + " " + f + "ct-e1.dcm",
                      "dcmcjpeg +e1 " + f + "colour.dcm " + f + "colour-e1.dcm",
                      "dcmcjpeg +eb " + f + "colour.dcm " + f + "colour-eb.dcm",
                      "dcmcjpeg +eb " + f + "gray.dcm " + f + "gray-eb.dcm",
                      "dcmdjpeg " + f + "colour-jpeg.dcm " + f + "colour-jpeg-plain.dcm",
                      "dcmdjpeg " + f + "colour-eb.dcm " + f + "colour-eb-plain.dcm",
                      "gdcmconv --j2k " + ct + " " + f + "ct-j2k.dcm",
                  });
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(Folder); }

    bool ReadFile(const std::string& path, bool paramsOnly = false)
    {
        return ReadWith(ReadDicom, FileContent(path), paramsOnly);
    }
};

struct TPydicomCase {
    const char* Name;
    int Width, Height, Frames;
    TQkPixelFormat Format; // qkNone: the read fails cleanly
};

} // namespace

TEST_F(DicomFiles, PydicomImagesLoadOrFailCleanly)
{
    const TPydicomCase cases[] = {
        {"CT_small.dcm", 128, 128, 1, qk16g},
        {"MR_small.dcm", 64, 64, 1, qk16g},
        {"MR_small_implicit.dcm", 64, 64, 1, qk16g},
        {"MR_small_bigendian.dcm", 64, 64, 1, qk16g},
        {"MR_small_expb.dcm", 64, 64, 1, qk16g},
        {"MR_small_padded.dcm", 64, 64, 1, qk16g},
        {"MR_small_RLE.dcm", 64, 64, 1, qk16g},
        {"ExplVR_BigEnd.dcm", 80, 60, 1, qk24RGB},
        {"SC_rgb_small_odd.dcm", 3, 3, 1, qk24RGB},
        {"SC_rgb_small_odd_jpeg.dcm", 3, 3, 1, qk24RGB},
        {"SC_ybr_full_422_uncompressed.dcm", 100, 100, 1, qk24RGB},
        {"SC_rgb_jpeg_dcmd.dcm", 256, 256, 1, qk24RGB},
        {"SC_rgb_jpeg_dcmtk.dcm", 100, 100, 1, qk24RGB},
        {"SC_rgb_jpeg_gdcm.dcm", 100, 100, 1, qk24RGB},
        {"SC_rgb_dcmtk_+eb+cr.dcm", 100, 100, 1, qk24RGB},
        {"SC_rgb_dcmtk_+eb+cy+np.dcm", 100, 100, 1, qk24RGB},
        {"SC_rgb_rle.dcm", 100, 100, 1, qk24RGB},
        {"SC_rgb_rle_2frame.dcm", 100, 100, 2, qk24RGB},
        {"SC_rgb_rle_16bit.dcm", 100, 100, 1, qkNone},
        {"SC_rgb_rle_32bit.dcm", 100, 100, 1, qkNone},
        {"rtdose.dcm", 10, 10, 15, qkNone},
        {"MR_small_jpeg_ls_lossless.dcm", 64, 64, 1, qkNone},
        {"image_dfl.dcm", 0, 0, 1, qkNone},
        {"JPGExtended.dcm", 256, 1024, 1, qkNone},
        {"MR_truncated.dcm", 64, 64, 1, qkNone},
        {"liver_1frame.dcm", 512, 512, 1, qkNone},
    };
    for (const TPydicomCase& c : cases) {
        SCOPED_TRACE(c.Name);
        params.SetImageIndex(0);
        EXPECT_EQ(ReadFile(PydicomFiles + c.Name), c.Format != qkNone);
        EXPECT_EQ(params.Width, c.Width);
        EXPECT_EQ(params.Height, c.Height);
        EXPECT_EQ(params.ImageCount, c.Frames);
        if (c.Format != qkNone) {
            EXPECT_EQ(bitmap.GetPixelFormat(), c.Format);
        }
    }
}

// Grey frames without a window equal dcm2pnm's min-max window, native,
// run-length and lossless JPEG alike; colour frames its RGB output.
TEST_F(DicomFiles, PixelsEqualDcm2pnm)
{
    // Ours, dcm2pnm's plain version of it, the largest difference.
    const std::string ct = PydicomFiles + "CT_small.dcm";
    const std::tuple<std::string, std::string, int> cases[] = {
        {ct, ct, 1},
        {Made("ct-big.dcm"), ct, 1},
        {Made("ct-implicit.dcm"), ct, 1},
        {Made("ct-rle.dcm"), ct, 1},
        {Made("ct-el.dcm"), ct, 1},
        {Made("ct-e1.dcm"), ct, 1},
        {Made("gray.dcm"), Made("gray.dcm"), 1},
        {Made("gray-implicit.dcm"), Made("gray.dcm"), 1},
        {Made("gray-big.dcm"), Made("gray.dcm"), 1},
        {Made("gray-rle.dcm"), Made("gray.dcm"), 1},
        {Made("gray-e1.dcm"), Made("gray.dcm"), 1},
        {Made("gray-jpeg.dcm"), Made("gray.dcm"), 1},
        {Made("colour.dcm"), Made("colour.dcm"), 0},
        {Made("colour-explicit.dcm"), Made("colour.dcm"), 0},
        {Made("colour-rle.dcm"), Made("colour.dcm"), 0},
        {Made("colour-e1.dcm"), Made("colour.dcm"), 0},
        {Made("colour-jpeg.dcm"), Made("colour-jpeg-plain.dcm"), 2},
        {Made("colour-eb.dcm"), Made("colour-eb-plain.dcm"), 2},
        {PydicomFiles + "SC_rgb_rle_2frame.dcm", PydicomFiles + "SC_rgb_rle_2frame.dcm", 0},
        {PydicomFiles + "SC_ybr_full_422_uncompressed.dcm", PydicomFiles + "SC_ybr_full_422_uncompressed.dcm", 1},
        {PydicomFiles + "SC_rgb_small_odd.dcm", PydicomFiles + "SC_rgb_small_odd.dcm", 0},
        {PydicomFiles + "ExplVR_BigEnd.dcm", PydicomFiles + "ExplVR_BigEnd.dcm", 0},
    };
    for (const auto& [path, plain, tolerance] : cases) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(ReadFile(path));
        const TQkPixelFormat format = bitmap.GetPixelFormat();
        const std::string options = format == qk16g ? "+Wm +opw" : format == qk8g ? "+Wm +opb" : "+opb";
        const int difference = LargestDifference(OurSamples(bitmap), Dcm2pnmSamples(plain, options));
        EXPECT_GE(difference, 0);
        EXPECT_LE(difference, tolerance);
    }
    params.SetImageIndex(1);
    ASSERT_TRUE(ReadFile(PydicomFiles + "SC_rgb_rle_2frame.dcm"));
    EXPECT_EQ(
        LargestDifference(OurSamples(bitmap), Dcm2pnmSamples(PydicomFiles + "SC_rgb_rle_2frame.dcm", "+F 2 +opb")), 0);
}

// JPEG 2000 frames (gdcm's lossless coding of the CT slice) decode to the
// slice's own values.
TEST_F(DicomFiles, Jpeg2000FramesEqualTheNativeSlice)
{
    ASSERT_TRUE(ReadFile(Made("ct-j2k.dcm")));
    EXPECT_EQ(bitmap.GetPixelFormat(), qk16g);
    const std::string ct = PydicomFiles + "CT_small.dcm";
    const int difference = LargestDifference(OurSamples(bitmap), Dcm2pnmSamples(ct, "+Wm +opw"));
    EXPECT_GE(difference, 0);
    EXPECT_LE(difference, 1);
    EXPECT_TRUE(ReadFile(Made("ct-j2k.dcm"), true));
    EXPECT_EQ(params.Width, 128);
}

// pydicom's MR slice coded with signed JPEG 2000 components: the stored
// two's-complement values come back, so it shows as the uncompressed slice.
TEST_F(DicomFiles, SignedJpeg2000FramesEqualTheNativeSlice)
{
    ASSERT_TRUE(ReadFile(PydicomFiles + "MR_small.dcm"));
    const std::vector<int> native = OurSamples(bitmap);
    ASSERT_TRUE(ReadFile(PydicomFiles + "MR_small_jp2klossless.dcm"));
    EXPECT_EQ(OurSamples(bitmap), native);
}

// A TIFF header in the preamble does not hide the DICOM signature; a file
// without a preamble is not detected but loads by its extension.
TEST_F(DicomFiles, DetectionAndLoadingByExtension)
{
    for (const char* name : {"CT_small.dcm", "MR_small.dcm", "SC_rgb_rle.dcm"})
        EXPECT_EQ(DetectFileFormat(PydicomFiles + name, false), ioDICOM) << name;
    const std::string bare = Made("no-preamble.dcm");
    const std::string content = FileContent(PydicomFiles + "CT_small.dcm");
    std::ofstream(bare, std::ios::binary) << content.substr(128 + 4);
    EXPECT_NE(DetectFileFormat(bare, false), ioDICOM);
    TBrelvixIO io(nullptr);
    io.LoadFromFile(bare);
    EXPECT_FALSE(io.Aborting());
    EXPECT_EQ(io.Bitmap()->GetWidth(), 128);
}
