#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "QkBitmapTestSupport.h"
#include "QkTestFolder.h"
#include "imaging/core/QkExifOrientation.h"

namespace {

// A PAM image: size and the samples, red, green, blue (and alpha) per pixel.
struct TPam {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> samples;
    bool operator==(const TPam&) const = default;
};

TPam PamOf(TQkBitmap& bitmap)
{
    TPam pam{bitmap.GetWidth(), bitmap.GetHeight(), {}};
    for (int32_t y = 0; y < pam.height; ++y) {
        const uint8_t* row = bitmap.GetScanline(y);
        for (int32_t x = 0; x < pam.width; ++x) {
            pam.samples.insert(pam.samples.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            if (bitmap.HasAlphaChannel())
                pam.samples.push_back(bitmap.GetAlpha(x, y));
        }
    }
    return pam;
}

void WritePam(TQkBitmap& bitmap, const std::string& fileName)
{
    const TPam pam = PamOf(bitmap);
    const bool alpha = bitmap.HasAlphaChannel();
    std::ofstream out(fileName, std::ios::binary);
    out << "P7\nWIDTH " << pam.width << "\nHEIGHT " << pam.height << "\nDEPTH " << (alpha ? 4 : 3)
        << "\nMAXVAL 255\nTUPLTYPE " << (alpha ? "RGB_ALPHA" : "RGB") << "\nENDHDR\n";
    out.write(reinterpret_cast<const char*>(pam.samples.data()), std::streamsize(pam.samples.size()));
}

TPam ReadPam(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    TPam pam;
    for (std::string line; std::getline(in, line) && line != "ENDHDR";) {
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "WIDTH")
            words >> pam.width;
        else if (key == "HEIGHT")
            words >> pam.height;
    }
    pam.samples.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return pam;
}

// The orientation names ImageMagick takes for the EXIF values 1 .. 8.
constexpr std::array<const char*, 8> orientationNames = {"TopLeft", "TopRight", "BottomRight", "BottomLeft",
                                                         "LeftTop", "RightTop", "RightBottom", "LeftBottom"};

// Each orientation as ImageMagick turns it upright: the image saved as a
// TIFF carrying the orientation, then read back with -auto-orient.
void ExpectOrientationsAsImageMagick(TQkBitmap& source)
{
    TestFolder folder;
    WritePam(source, folder.File("source.pam"));
    for (int32_t orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientationNames[size_t(orientation - 1)]);
        const std::string tiff = folder.File("oriented.tif");
        const std::string upright = folder.File("upright.pam");
        ASSERT_TRUE(RunTool("convert " + folder.File("source.pam") + " -orient " +
                            orientationNames[size_t(orientation - 1)] + " " + tiff));
        ASSERT_TRUE(RunTool("convert " + tiff + " -auto-orient " + upright));
        TQkBitmap bitmap;
        bitmap.Assign(&source);
        ApplyEXIFOrientation(bitmap, orientation);
        EXPECT_EQ(PamOf(bitmap), ReadPam(upright));
    }
}

} // namespace

TEST(ExifOrientation, EveryOrientationTurnsAsImageMagickDoes)
{
    TQkBitmap grid(3, 2, qk24RGB);
    FillPattern(grid);
    ExpectOrientationsAsImageMagick(grid);
}

TEST(ExifOrientation, TheAlphaChannelTurnsWithTheImage)
{
    TQkBitmap image(5, 3, qk24RGB);
    FillPattern(image);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            image.SetAlpha(x, y, static_cast<uint8_t>(40 * y + 9 * x + 1));
    ExpectOrientationsAsImageMagick(image);
}

TEST(ExifOrientation, OtherValuesLeaveTheBitmap)
{
    TQkBitmap bitmap(2, 1, qk24RGB);
    FillPattern(bitmap);
    const TPam before = PamOf(bitmap);
    for (int32_t orientation : {0, 1, 9, -6}) {
        ApplyEXIFOrientation(bitmap, orientation);
        EXPECT_EQ(PamOf(bitmap), before);
    }
    ApplyEXIFOrientation(bitmap, 6);
    EXPECT_EQ(bitmap.GetWidth(), 1);
    EXPECT_EQ(bitmap.GetHeight(), 2);
    TQkBitmap empty;
    ApplyEXIFOrientation(empty, 5);
    EXPECT_TRUE(empty.IsEmpty());
}
