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

// The samples of dcmj2pnm's ASCII PGM or PPM output (it decodes the JPEG
// and run-length codings itself).
std::vector<int> Dcm2pnmSamples(const std::string& path, const std::string& options)
{
    std::istringstream text(CommandOutput("dcmj2pnm " + options + " " + path + " 2>/dev/null"));
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

// An element as a list shows it: tag, value representation, length. The
// reader's list keeps no length for an undefined one (0), as it keeps no
// data.
struct TListedElement {
    uint16_t Group, Element;
    std::string VR;
    int64_t Length;
};

// dcmdump's elements in the reader's order up to the data set's own pixel
// data: the contents of sequences and items of explicit length, which the
// reader keeps as their values, and the delimiters dcmdump adds for them
// are left out.
std::vector<TListedElement> DcmdumpElements(const std::string& path)
{
    std::istringstream text(CommandOutput("dcmdump -q " + path));
    std::vector<TListedElement> elements;
    size_t skipDeeperThan = std::string::npos;
    for (std::string line; std::getline(text, line);) {
        const size_t indent = line.find_first_not_of(' ');
        const size_t hash = line.rfind('#');
        if (indent == std::string::npos || line[indent] != '(' || hash == std::string::npos ||
            line.find("for re-encod") != std::string::npos)
            continue;
        if (skipDeeperThan != std::string::npos && indent > skipDeeperThan)
            continue;
        skipDeeperThan = std::string::npos;
        const std::string length = line.substr(line.find_first_not_of(' ', hash + 1));
        TListedElement element{uint16_t(std::stoi(line.substr(indent + 1, 4), nullptr, 16)),
                               uint16_t(std::stoi(line.substr(indent + 6, 4), nullptr, 16)),
                               line.substr(indent + 12, 2), length.starts_with("u/l") ? 0 : std::stoll(length)};
        if (element.Group == 0x7FE0 && element.Element == 0x0010 && indent == 0)
            break;
        const bool container = element.VR == "SQ" || (element.Group == 0xFFFE && element.Element == 0xE000);
        if (container && !length.starts_with("u/l"))
            skipDeeperThan = indent;
        elements.push_back(element);
    }
    return elements;
}

// Where the lists first part, or empty when they agree. Items and
// delimiters have no representation ("na"); "xs" (a tag whose
// representation depends on the data, read without one) takes any; dcmdump
// shows an odd length (stored so, against the standard) padded to even.
std::string ListDifference(const TQkDICOMTags& ours, const std::vector<TListedElement>& theirs)
{
    const auto describe = [](const TListedElement& e) {
        char text[64];
        std::snprintf(text, sizeof text, "(%04x,%04x) %s %lld", e.Group, e.Element, e.VR.c_str(),
                      static_cast<long long>(e.Length));
        return std::string(text);
    };
    for (size_t i = 0; i < std::max(size_t(ours.Count()), theirs.size()); ++i) {
        if (i >= size_t(ours.Count()) || i >= theirs.size())
            return "counts " + std::to_string(ours.Count()) + "/" + std::to_string(theirs.size());
        const TQkDICOMTag& tag = ours.GetTag(int32_t(i));
        const TListedElement mine{tag.Group, tag.Element, tag.VR[0] ? std::string(tag.VR.data(), 2) : "na",
                                  tag.DataLength};
        const bool vrAgrees = mine.VR == theirs[i].VR || mine.VR == "xs";
        const bool lengthAgrees =
            mine.Length == theirs[i].Length || (mine.Length % 2 == 1 && mine.Length + 1 == theirs[i].Length);
        if (mine.Group != theirs[i].Group || mine.Element != theirs[i].Element || !vrAgrees || !lengthAgrees)
            return "element " + std::to_string(i) + ": " + describe(mine) + " / " + describe(theirs[i]);
    }
    return {};
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
                      "/usr/bin/python3 " + std::string(TEST_SOURCE_DIR) + "/dicom/make-odd-dicom-files.py " + Folder,
                      "dcmcjpeg +e1 " + f + "implicit-signed16.dcm " + f + "signed16-e1.dcm",
                      "dcmcjpeg +el " + f + "big-endian-12bit-signed.dcm " + f + "signed12-el.dcm",
                      "dcmcjpeg +e1 " + f + "three-frames.dcm " + f + "three-frames-e1.dcm",
                      "dcmcrle " + f + "three-frames.dcm " + f + "three-frames-rle.dcm",
                      "dcmcrle " + f + "rgb-planar.dcm " + f + "rgb-planar-rle.dcm",
                      "dcmcjpeg +e1 " + f + "palette.dcm " + f + "palette-e1.dcm",
                      "dcmcjpls " + f + "monochrome1-odd.dcm " + f + "jpeg-ls.dcm",
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

struct TPixelCase {
    std::string Path;
    // The file dcmj2pnm decodes for the same picture, its frame, and the
    // largest difference allowed.
    std::string Plain;
    int Frame;
    int Tolerance;
};

// Grey frames without a window equal dcmj2pnm's min-max window, native,
// run-length and lossless JPEG alike; windowed ones its first window;
// colour frames its RGB output. JPEG 2000 frames, which dcmtk does not
// decode, equal their native twins.
TEST_F(DicomFiles, PixelsEqualDcm2pnm)
{
    const std::string ct = PydicomFiles + "CT_small.dcm";
    const std::string rle2 = PydicomFiles + "SC_rgb_rle_2frame.dcm";
    const auto same = [](const std::string& path, int tolerance) { return TPixelCase{path, path, 0, tolerance}; };
    const auto made = [&](const std::string& name, int tolerance) { return same(Made(name), tolerance); };
    const TPixelCase cases[] = {
        same(ct, 1),
        {Made("ct-big.dcm"), ct, 0, 1},
        {Made("ct-implicit.dcm"), ct, 0, 1},
        {Made("ct-rle.dcm"), ct, 0, 1},
        {Made("ct-el.dcm"), ct, 0, 1},
        {Made("ct-e1.dcm"), ct, 0, 1},
        made("gray.dcm", 1),
        {Made("gray-implicit.dcm"), Made("gray.dcm"), 0, 1},
        {Made("gray-big.dcm"), Made("gray.dcm"), 0, 1},
        {Made("gray-rle.dcm"), Made("gray.dcm"), 0, 1},
        {Made("gray-e1.dcm"), Made("gray.dcm"), 0, 1},
        {Made("gray-jpeg.dcm"), Made("gray.dcm"), 0, 1},
        made("colour.dcm", 0),
        {Made("colour-explicit.dcm"), Made("colour.dcm"), 0, 0},
        {Made("colour-rle.dcm"), Made("colour.dcm"), 0, 0},
        {Made("colour-e1.dcm"), Made("colour.dcm"), 0, 0},
        {Made("colour-jpeg.dcm"), Made("colour-jpeg-plain.dcm"), 0, 2},
        {Made("colour-eb.dcm"), Made("colour-eb-plain.dcm"), 0, 2},
        same(rle2, 0),
        {rle2, rle2, 1, 0},
        same(PydicomFiles + "SC_ybr_full_422_uncompressed.dcm", 1),
        same(PydicomFiles + "SC_rgb_small_odd.dcm", 0),
        same(PydicomFiles + "ExplVR_BigEnd.dcm", 0),
        // Written by pydicom, and coded from those by dcmtk.
        made("implicit-signed16.dcm", 1),
        made("signed16-e1.dcm", 1),
        made("big-endian-12bit-signed.dcm", 1),
        made("packed-12bit.dcm", 1),
        made("signed12-el.dcm", 1),
        made("monochrome1-odd.dcm", 1),
        made("sequences-private.dcm", 1),
        made("no-preamble.dcm", 1),
        made("no-meta-implicit.dcm", 1),
        made("window.dcm", 1),
        made("three-frames.dcm", 1),
        {Made("three-frames.dcm"), Made("three-frames.dcm"), 1, 1},
        {Made("three-frames-rle.dcm"), Made("three-frames.dcm"), 2, 1},
        {Made("three-frames-e1.dcm"), Made("three-frames.dcm"), 1, 1},
        made("palette.dcm", 1),
        made("palette-first10.dcm", 1),
        made("palette-e1.dcm", 1),
        // dcmtk rounds the YCbCr conversion its own way.
        made("ybr-full.dcm", 2),
        made("rgb-planar.dcm", 0),
        made("rgb-planar-rle.dcm", 0),
        {Made("j2k-grey.dcm"), Made("j2k-grey-native.dcm"), 0, 1},
        {Made("j2k-grey-lossy.dcm"), Made("j2k-grey-lossy-native.dcm"), 0, 1},
        {Made("j2k-colour.dcm"), Made("j2k-colour-native.dcm"), 0, 0},
        {Made("j2k-colour-rct.dcm"), Made("j2k-colour-native.dcm"), 0, 0},
    };
    for (const TPixelCase& c : cases) {
        SCOPED_TRACE(c.Path + " frame " + std::to_string(c.Frame));
        params.SetImageIndex(c.Frame);
        ASSERT_TRUE(ReadFile(c.Path));
        const TQkPixelFormat format = bitmap.GetPixelFormat();
        const std::string window = c.Path.ends_with("window.dcm") ? "+Wi 1" : "+Wm";
        const std::string options = (format == qk16g      ? window + " +opw"
                                         : format == qk8g ? window + " +opb"
                                                          : "+opb") +
            " +F " + std::to_string(c.Frame + 1);
        const int difference = LargestDifference(OurSamples(bitmap), Dcm2pnmSamples(c.Plain, options));
        EXPECT_GE(difference, 0);
        EXPECT_LE(difference, c.Tolerance);
    }
    // An index past the last frame shows the last.
    params.SetImageIndex(5);
    ASSERT_TRUE(ReadFile(Made("three-frames.dcm")));
    const int difference =
        LargestDifference(OurSamples(bitmap), Dcm2pnmSamples(Made("three-frames.dcm"), "+Wm +opw +F 3"));
    EXPECT_GE(difference, 0);
    EXPECT_LE(difference, 1);
    // dcmtk's JPEG-LS coding of a pydicom file has no decoder here.
    params.SetImageIndex(0);
    EXPECT_FALSE(ReadFile(Made("jpeg-ls.dcm")));
    EXPECT_TRUE(ReadFile(Made("jpeg-ls.dcm"), true));
    EXPECT_EQ(params.Width, 5);
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

// The elements read equal dcmdump's list (tags, representations, lengths,
// in order) for pydicom's files, with their sequences, private and long
// text elements, and for the files made here.
TEST_F(DicomFiles, ElementsEqualDcmdump)
{
    std::vector<std::string> paths;
    for (const char* name : {"CT_small.dcm",
                             "MR_small.dcm",
                             "MR_small_implicit.dcm",
                             "MR_small_bigendian.dcm",
                             "MR_small_RLE.dcm",
                             "MR_small_jp2klossless.dcm",
                             "MR_small_jpeg_ls_lossless.dcm",
                             "ExplVR_BigEnd.dcm",
                             "ExplVR_LitEndNoMeta.dcm",
                             "SC_rgb_rle_2frame.dcm",
                             "SC_ybr_full_422_uncompressed.dcm",
                             "SC_rgb_jpeg_dcmtk.dcm",
                             "JPEG2000.dcm",
                             "liver_1frame.dcm",
                             "rtdose.dcm",
                             "rtplan.dcm",
                             "rtstruct.dcm",
                             "reportsi.dcm",
                             "test-SR.dcm",
                             "nested_priv_SQ.dcm",
                             "priv_SQ.dcm",
                             "waveform_ecg.dcm"})
        paths.push_back(PydicomFiles + name);
    for (const char* name : {"ct-big.dcm", "ct-implicit.dcm", "ct-rle.dcm", "ct-el.dcm", "ct-j2k.dcm",
                             "colour-jpeg.dcm", "implicit-signed16.dcm", "big-endian-12bit-signed.dcm",
                             "sequences-private.dcm", "packed-12bit.dcm", "no-preamble.dcm", "no-meta-implicit.dcm",
                             "palette.dcm", "three-frames-rle.dcm", "j2k-grey.dcm", "jpeg-ls.dcm"})
        paths.push_back(Made(name));
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(ReadFile(path, true));
        EXPECT_EQ(ListDifference(params.DicomTags, DcmdumpElements(path)), "");
    }
}
