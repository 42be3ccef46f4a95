#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/core/QkBrelvixIOInterface.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkExifBlocks.h"
#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreams.h"
#include "platform/gfx/Bitmap.h"

namespace {

// An owner showing a TBitmap, recording the DPI given to its view.
class TFakeOwner : public IBrelvixIO {
public:
    TFakeOwner(int32_t width, int32_t height) : bitmap_(width, height) {}
    TBitmap* GetTBitmap() override { return &bitmap_; }
    void SetViewDpiX(int32_t dpi) override { ViewDpiX = dpi; }
    void SetViewDpiY(int32_t dpi) override { ViewDpiY = dpi; }
    int32_t ViewDpiX = 0;
    int32_t ViewDpiY = 0;

private:
    TBitmap bitmap_;
};

bool HasTag(const TIOParamsVals& params, int32_t tag)
{
    return std::count(params.ExifTags.begin(), params.ExifTags.end(), tag) == 1;
}

void AddMarker(TQkMarkerList& list, const std::string& payload)
{
    list.AddMarker(qkMarkerAPP1, reinterpret_cast<const uint8_t*>(payload.data()), uint16_t(payload.size()));
}

std::vector<uint8_t> FileBytes(const std::string& name)
{
    std::ifstream file(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(IOParams, DefaultsWithAndWithoutAnOwner)
{
    const TIOParamsVals alone(nullptr);
    EXPECT_EQ(alone.DpiX, 0);
    EXPECT_EQ(alone.DpiY, 0);
    EXPECT_EQ(alone.Width, 0);
    EXPECT_EQ(alone.Height, 0);
    EXPECT_EQ(alone.TiffOrientation, 1);
    EXPECT_EQ(alone.ExifOrientation, 0);
    EXPECT_EQ(alone.TiffSubIndex, -1);
    EXPECT_EQ(alone.ExifBrightnessValue, -1000);
    EXPECT_EQ(alone.ExifCompressedBitsPerPixel, 0);
    EXPECT_EQ(alone.ExifWhitePoint[1], -1);
    EXPECT_TRUE(alone.ExifTags.empty());
    EXPECT_FALSE(alone.ImagingAnnot || alone.ExifThumbnail || alone.InputICCProfile || alone.OutputICCProfile);

    TFakeOwner owner(640, 480);
    const TIOParamsVals owned(&owner);
    EXPECT_EQ(owned.Width, 640);
    EXPECT_EQ(owned.Height, 480);
    EXPECT_EQ(owned.DpiX, DefaultDpiX);
    EXPECT_EQ(owned.DpiY, DefaultDpiY);
    EXPECT_EQ(owner.ViewDpiX, DefaultDpiX);
    // The EXIF fields are reset after the DPI is set.
    EXPECT_EQ(owned.ExifXResolution, 0);
    EXPECT_EQ(owned.ExifOrientation, 0);
}

TEST(IOParams, SettersKeepLinkedFieldsAndTagsInStep)
{
    TFakeOwner owner(1, 1);
    TIOParamsVals params(&owner);
    params.SetExifExposureTime(0.01);
    params.SetExifExposureTime(0.01);
    EXPECT_TRUE(HasTag(params, 33434));
    params.SetExifExposureTime(-1);
    EXPECT_FALSE(HasTag(params, 33434));
    params.SetExifBrightnessValue(-1);
    EXPECT_TRUE(HasTag(params, 37379));
    params.SetExifPixelXDimension(0);
    EXPECT_FALSE(HasTag(params, 40962));

    params.SetExifXResolution(71.9);
    EXPECT_EQ(params.DpiX, 71);
    EXPECT_EQ(params.ExifXResolution, 71.9);
    EXPECT_EQ(owner.ViewDpiX, 71);
    params.SetExifOrientation(6);
    EXPECT_EQ(params.TiffOrientation, 6);
    params.SetImageIndex(3);
    EXPECT_EQ(params.TiffImageIndex, 3);
    params.SetReadThumbnail(true);
    EXPECT_TRUE(params.JpegReadExifThumbnail);

    // Indexes outside a field read 0 and write nothing.
    params.SetExifPrimaryChromaticities(5, 0.25);
    params.SetExifPrimaryChromaticities(6, 9);
    params.SetExifISOSpeedRatings(-1, 9);
    EXPECT_EQ(params.GetExifPrimaryChromaticities(5), 0.25);
    EXPECT_EQ(params.GetExifPrimaryChromaticities(6), 0);
    EXPECT_EQ(params.GetExifReferenceBlackWhite(-1), 0);
    EXPECT_EQ(params.GetExifISOSpeedRatings(2), 0);
    EXPECT_EQ(params.ExifISOSpeedRatings, (std::array<int32_t, 2>{0, 0}));
}

TEST(IOParams, AssignCopiesDeepAndThroughTheSetters)
{
    auto source = std::make_unique<TIOParamsVals>(nullptr);
    source->ColorMap.resize(16, TRGBPixel{1, 2, 3});
    source->ColorMap[15] = TRGBPixel{9, 8, 7};
    source->ColorMapCount = 16;
    source->SetTiffOrientation(8);
    source->ExifOrientation = 3;
    source->SetImageIndex(2);
    source->DpiX = 150;
    source->ExifXResolution = 150.5;
    source->SetExifFlash(1);
    AddMarker(source->JpegMarkerList, "comment");
    const std::vector<uint8_t> profile = FileBytes("/usr/share/color/icc/Gray.icc");
    source->GetOutputICCProfile().LoadFromBuffer(profile.data(), int32_t(profile.size()));

    TFakeOwner owner(4, 4);
    TIOParamsVals destination(&owner);
    destination.ExifThumbnail = std::make_unique<TQkBitmap>(3, 3, qk24RGB);
    destination.GetImagingAnnot();
    destination.Assign(*source);
    source.reset();

    ASSERT_EQ(destination.ColorMapCount, 16);
    ASSERT_EQ(destination.ColorMap.size(), 16u);
    EXPECT_EQ(destination.ColorMap[15].r, 7);
    EXPECT_EQ(destination.ExifOrientation, 8);
    EXPECT_EQ(destination.TiffImageIndex, 2);
    EXPECT_EQ(owner.ViewDpiX, 150);
    EXPECT_EQ(destination.ExifXResolution, 150.5);
    EXPECT_TRUE(HasTag(destination, 37385));
    EXPECT_EQ(destination.JpegMarkerList.GetCount(), 1);
    ASSERT_TRUE(destination.ExifThumbnail);
    EXPECT_EQ(destination.ExifThumbnail->GetWidth(), 3);
    EXPECT_FALSE(destination.ImagingAnnot);
    ASSERT_TRUE(destination.OutputICCProfile);
    EXPECT_EQ(destination.OutputICCProfile->RawData(), profile);
    EXPECT_EQ(destination.Owner(), &owner);
}

// The output profile starts as the built-in sRGB, which has no bytes of its own.
TEST(IOParams, AssignKeepsTheBuiltInOutputProfile)
{
    TIOParamsVals source(nullptr);
    ASSERT_TRUE(source.GetOutputICCProfile().IsValid());
    TIOParamsVals destination(nullptr);
    destination.Assign(source);
    ASSERT_TRUE(destination.OutputICCProfile);
    EXPECT_TRUE(destination.OutputICCProfile->IsValid());
}

TEST(IOParams, ResetsForgetTheFilesMetadataOnly)
{
    TIOParamsVals params(nullptr);
    AddMarker(params.JpegMarkerList, std::string("Exif\0\0II", 8));
    AddMarker(params.JpegMarkerList, std::string(qkXmpNamespace, qkXmpNamespaceSize) + "<x/>");
    AddMarker(params.JpegMarkerList, std::string("Exif\0\0MM", 8));
    params.SetExifFNumber(2.8);
    params.ExifGPSLatitudeDegrees = 45;
    params.ExifThumbnail = std::make_unique<TQkBitmap>(2, 2, qk24RGB);
    params.ResetExif();
    ASSERT_EQ(params.JpegMarkerList.GetCount(), 2);
    EXPECT_EQ(params.JpegMarkerList.GetMarkerData(0)[0], 'h');
    EXPECT_EQ(params.JpegMarkerList.GetMarkerData(1)[7], 'M');
    EXPECT_EQ(params.ExifFNumber, -1);
    EXPECT_TRUE(params.ExifTags.empty());
    EXPECT_EQ(params.ExifGPSLatitudeDegrees, 0);
    EXPECT_FALSE(params.ExifThumbnail);

    params.TiffJpegQuality = 55;
    params.SetImageIndex(4);
    params.TiffImageDescription = "described";
    params.XmpInfo = "<x/>";
    params.GetInputICCProfile();
    params.GetImagingAnnot();
    params.ResetInfo();
    EXPECT_EQ(params.TiffJpegQuality, 55);
    EXPECT_EQ(params.ImageIndex, 4);
    EXPECT_TRUE(params.TiffImageDescription.empty());
    EXPECT_TRUE(params.XmpInfo.empty());
    EXPECT_EQ(params.JpegMarkerList.GetCount(), 0);
    EXPECT_FALSE(params.InputICCProfile || params.ImagingAnnot);
}

TEST(IOParams, FormatFieldDefaults)
{
    TIOParamsVals params(nullptr);
    EXPECT_EQ(params.GifVersion, "GIF89a");
    EXPECT_EQ(params.GifDisposal, 2);
    EXPECT_EQ(params.PsTitle, "No Title");
    EXPECT_EQ(params.JpegQuality, 80);
    EXPECT_EQ(params.PngCompression, 5);
    EXPECT_EQ(params.TgaGamma, 2.2);
    EXPECT_EQ(params.HdpImageQuality, 0.9);
    EXPECT_EQ(params.RawGamma, 0.6);
    EXPECT_EQ(params.PdfCompression, 2);
    EXPECT_EQ(params.BmpRawRowAlign, 8);
    EXPECT_EQ(params.IcoBackground.r, 255);
    EXPECT_EQ(params.IcoSizes[0].Width, 64);
    EXPECT_EQ(params.IcoSizes[0].Height, 64);
    EXPECT_EQ(params.IcoBitCount[0], 8);
    for (size_t slot = 1; slot < IcoImageSlots; ++slot) {
        EXPECT_EQ(params.IcoSizes[slot].Width, 0);
        EXPECT_EQ(params.IcoBitCount[slot], 0);
    }
    // Today's date with no time of day, in days since 30 December 1899.
    EXPECT_GT(params.TgaDate, 45000);
    EXPECT_EQ(params.TgaDate, double(int64_t(params.TgaDate)));

    // A reset after a use gives the defaults again, the LZW hooks included.
    params.IcoSizes[3] = {16, 16};
    params.PsTitle = "Mine";
    params.GifVersion = "GIF87a";
    GifLzwDecoderHook = [](TStream&, int32_t, int32_t, bool, std::span<uint8_t>) { return true; };
    params.SetDefaultParams();
    GifLzwDecoderHook = nullptr;
    EXPECT_EQ(params.IcoSizes[3].Width, 0);
    EXPECT_EQ(params.PsTitle, "No Title");
    EXPECT_EQ(params.GifVersion, "GIF89a");
    EXPECT_TRUE(params.GifLzwDecompress);
    EXPECT_FALSE(params.TiffLzwDecompress);
}

TEST(IOParams, FormatFieldsThroughResetInfoAndAssign)
{
    TIOParamsVals params(nullptr);
    params.JpegQuality = 42;
    params.JpegScale = 3;
    params.SetImageIndex(5);
    params.SetImageCount(7);
    params.GifComments.Add("made here");
    params.PngTextKeys.Add("Title");
    params.PngTextValues.Add("Sunset");
    params.PxmComments.Add("# pnm");
    params.TgaAuthor = "author";
    params.TgaImageId = "id";
    params.ResetInfo();
    EXPECT_EQ(params.JpegQuality, 42);
    EXPECT_EQ(params.JpegScale, 3);
    for (int32_t index : {params.ImageIndex, params.TiffImageIndex, params.DcxImageIndex, params.GifImageIndex,
                          params.IcoImageIndex, params.CurImageIndex})
        EXPECT_EQ(index, 5);
    for (int32_t count : {params.ImageCount, params.TiffImageCount, params.GifImageCount, params.AviFrameCount})
        EXPECT_EQ(count, 7);
    EXPECT_EQ(params.GifComments.Count() + params.PngTextKeys.Count() + params.PngTextValues.Count() +
                  params.PxmComments.Count(),
              0);
    EXPECT_TRUE(params.TgaAuthor.empty() && params.TgaImageId.empty());

    params.GifComments.Add("kept");
    params.PngTextKeys.Add("Author");
    params.IcoSizes[1] = {32, 32};
    params.IcoBitCount[1] = 4;
    params.PdfTitle = "Report";
    params.RawCamera = "Maker Model";
    params.JpegWarningCount = 2;
    params.GifTranspColor = TRGBPixel{1, 2, 3};
    params.CurImageIndex = 9;
    TIOParamsVals copy(nullptr);
    copy.Assign(params);
    EXPECT_EQ(copy.JpegQuality, 42);
    EXPECT_EQ(copy.GifComments.Strings(0), "kept");
    EXPECT_EQ(copy.PngTextKeys.Strings(0), "Author");
    EXPECT_EQ(copy.IcoSizes[1].Height, 32);
    EXPECT_EQ(copy.IcoBitCount[1], 4);
    EXPECT_EQ(copy.PdfTitle, "Report");
    EXPECT_EQ(copy.RawCamera, "Maker Model");
    EXPECT_EQ(copy.JpegWarningCount, 2);
    EXPECT_EQ(copy.GifTranspColor.r, 3);
    // The per-format indexes end holding the last one's value.
    EXPECT_EQ(copy.ImageIndex, 9);
    EXPECT_EQ(copy.GifImageIndex, 9);
}

TEST(ExifParams, CopyExifFieldsGoesThroughTheSetters)
{
    TIOParamsVals source(nullptr);
    source.SetExifOrientation(6);
    source.SetExifYResolution(96.5);
    source.ExifMake = "Camera";
    source.ExifGPSDestLongitudeRef = "E";
    source.ExifApertureValue = 4;
    source.TiffImageDescription = "from tag 270";
    source.ExifHasExifData = true;
    TIOParamsVals destination(nullptr);
    CopyExifFields(source, destination);
    EXPECT_EQ(destination.TiffOrientation, 6);
    EXPECT_EQ(destination.DpiY, 96);
    EXPECT_EQ(destination.ExifYResolution, 96.5);
    EXPECT_EQ(destination.ExifMake, "Camera");
    EXPECT_EQ(destination.ExifGPSDestLongitudeRef, "E");
    EXPECT_EQ(destination.ExifImageDescription, "from tag 270");
    EXPECT_TRUE(HasTag(destination, 37378));
    EXPECT_FALSE(destination.ExifHasExifData);
}

TEST(ExifParams, XmpSegmentsAndTheBlocksThatWaitForTheTiffCodec)
{
    TIOParamsVals params(nullptr);
    params.XmpInfo = "<x:xmpmeta/>";
    const std::vector<uint8_t> segment = BuildXMPSegment(params);
    EXPECT_EQ(segment.size(), params.XmpInfo.size() + 29);
    TIOParamsVals loaded(nullptr);
    ASSERT_TRUE(LoadXMPFromSegment(segment.data(), int64_t(segment.size()), loaded));
    EXPECT_EQ(loaded.XmpInfo, "<x:xmpmeta/>");
    EXPECT_FALSE(LoadXMPFromSegment(segment.data() + 1, int64_t(segment.size() - 1), loaded));

    std::vector<uint8_t> buffer;
    EXPECT_FALSE(SaveExifToBuffer(params, buffer, true));
    EXPECT_TRUE(buffer.empty());
    const std::string exif("Exif\0\0II*\0\x08\0\0\0", 14);
    EXPECT_FALSE(LoadExifFromBuffer(reinterpret_cast<const uint8_t*>(exif.data()), int64_t(exif.size()), params));
    TQkMemStream stream(exif.data() + 6, 8);
    EXPECT_FALSE(LoadExifFromTiffStream(stream, params));
    EXPECT_FALSE(LoadExifAndThumbnailFromTiff(stream, params));
    EXPECT_FALSE(params.ExifHasExifData);
}

// With colour management on, BGR and CMYK targets go from the input (or
// default) profile to the output profile; other targets keep the formulas.
TEST(ExifParams, ColourRowsGoThroughTheParametersProfiles)
{
    const std::vector<uint8_t> adobe = FileBytes("/usr/share/color/icc/compatibleWithAdobeRGB1998.icc");
    ASSERT_FALSE(adobe.empty());
    const std::vector<uint8_t> pixel{200, 150, 100};
    auto convert = [&pixel](TIOParamsVals* params, uint8_t target) {
        std::vector<uint8_t> source = pixel;
        std::vector<uint8_t> out(4, 0);
        ConvertColorRow(source.data(), ckBGR, out.data(), params, 1, target);
        return out;
    };
    TIOParamsVals params(nullptr);
    params.GetDefaultICCProfile().LoadFromBuffer(adobe.data(), int32_t(adobe.size()));
    const auto plain = convert(nullptr, ckBGR);

    const bool wasEnabled = ColorManagementEnabled;
    ColorManagementEnabled = true;
    const auto managed = convert(&params, ckBGR);
    const auto gray = convert(&params, ckGray);
    params.GetInputICCProfile().LoadStandardSRGB();
    const auto fromSrgb = convert(&params, ckBGR);
    ColorManagementEnabled = wasEnabled;

    TQkICC expectedSource;
    expectedSource.LoadFromBuffer(adobe.data(), int32_t(adobe.size()));
    TQkICC srgb;
    srgb.LoadStandardSRGB();
    std::vector<uint8_t> expected(4, 0);
    ASSERT_TRUE(expectedSource.TransformPixels(srgb, ckBGR, ckBGR, 0, 0, pixel.data(), expected.data(), 1));
    EXPECT_EQ(managed, expected);
    EXPECT_NE(managed, plain);
    EXPECT_EQ(gray, convert(nullptr, ckGray));
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(fromSrgb[size_t(channel)], pixel[size_t(channel)], 1);
}
