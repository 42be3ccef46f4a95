#include "platform/core/Streams.h"
#include "platform/gfx/Icon.h"
#include "platform/gfx/ImageList.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/Resources.h"
#include "platform/gfx/tests/GfxTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::unique_ptr<TBitmap> Checker(TPixelFormat format)
{
    auto bitmap = MakeBitmap(5, 3, format, clWhite);
    bitmap->Canvas()->SetPixel(0, 0, clBlack);
    bitmap->Canvas()->SetPixel(4, 2, clRed);
    bitmap->Canvas()->SetPixel(2, 1, clBlue);
    return bitmap;
}

} // namespace

class BmpRoundTrip : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(BmpRoundTrip, SavedFilesLoadBackPixelForPixel)
{
    auto original = Checker(GetParam());
    TMemoryStream stream;
    original->SaveToStream(stream);
    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(stream);
    ASSERT_EQ(loaded.PixelFormat(), original->PixelFormat());
    ASSERT_EQ(loaded.Width(), 5);
    for (int32_t y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(loaded.ScanLine(y), original->ScanLine(y), static_cast<size_t>(original->RowBytes())), 0);
    EXPECT_EQ(loaded.Palette(), original->Palette());
}

INSTANTIATE_TEST_SUITE_P(AllFormats, BmpRoundTrip,
                         ::testing::Values(pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit));

TEST(BmpFiles, ReadsTopDownAndRunLengthEncodedFiles)
{
    // A 2 x 2, 8-bit, RLE8 file: bottom row index 1,1; top row 0 then 1.
    const uint8_t palette[8] = {0, 0, 255, 0, 0, 255, 0, 0}; // red, green
    std::vector<uint8_t> file{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0};
    const uint8_t info[40] = {40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 8, 0, 1, 0, 0, 0,
                              0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0};
    file.insert(file.end(), info, info + 40);
    file.insert(file.end(), palette, palette + 8);
    const uint8_t rle[] = {2, 1, 0, 0, 1, 0, 1, 1, 0, 1};
    file.insert(file.end(), rle, rle + sizeof rle);
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.SetPosition(0);
    TBitmap bitmap;
    bitmap.LoadFromStream(stream);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clLime);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clLime);

    // The same picture uncompressed and top-down (negative height).
    std::vector<uint8_t> topDown(file.begin(), file.begin() + 62);
    topDown[14 + 8] = 0xFE;
    topDown[14 + 9] = topDown[14 + 10] = topDown[14 + 11] = 0xFF;
    topDown[14 + 16] = 0;
    const uint8_t rows[8] = {0, 1, 0, 0, 1, 1, 0, 0};
    topDown.insert(topDown.end(), rows, rows + 8);
    TMemoryStream second;
    second.WriteBuffer(topDown.data(), static_cast<int64_t>(topDown.size()));
    second.SetPosition(0);
    bitmap.LoadFromStream(second);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clLime);
}

TEST(BmpFiles, MalformedOrTruncatedFilesRaise)
{
    auto bitmap = Checker(pf24bit);
    TMemoryStream good;
    bitmap->SaveToStream(good);
    const std::string bytes(static_cast<const char*>(good.Memory()), static_cast<size_t>(good.Size()));
    for (const std::string& bad : {bytes.substr(0, 20), bytes.substr(0, bytes.size() - 5),
                                   std::string("XM") + bytes.substr(2), std::string("BM")}) {
        TStringStream stream(bad);
        TBitmap target;
        EXPECT_THROW(target.LoadFromStream(stream), EInvalidGraphic);
    }
}

TEST(Pictures, RegistryCreatesGraphicsByExtension)
{
    EXPECT_NE(dynamic_cast<TBitmap*>(CreateGraphicForExtension(".bmp").get()), nullptr);
    EXPECT_NE(dynamic_cast<TIcon*>(CreateGraphicForExtension("ICO").get()), nullptr);
    EXPECT_THROW(CreateGraphicForExtension("xyz"), EInvalidGraphic);
    RegisterFileFormat("tst", "Test pictures", [] { return std::make_unique<TIcon>(); });
    EXPECT_NE(dynamic_cast<TIcon*>(CreateGraphicForExtension(".TST").get()), nullptr);
    UnregisterFileFormat("tst");
    EXPECT_THROW(CreateGraphicForExtension("tst"), EInvalidGraphic);
}

TEST(Pictures, LoadsFromFileByExtensionAndCopiesGraphics)
{
    const std::string file = std::string(TEST_BINARY_DIR) + "/picture.bmp";
    Checker(pf8bit)->SaveToFile(file);
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    picture.LoadFromFile(file);
    EXPECT_EQ(picture.Width(), 5);
    EXPECT_EQ(picture.Bitmap()->Canvas()->Pixels(4, 2), clRed);
    EXPECT_GE(changes, 1);
    TPicture copy;
    copy.Assign(&picture);
    EXPECT_NE(copy.Graphic(), picture.Graphic());
    EXPECT_EQ(copy.Height(), 3);
    EXPECT_THROW(picture.LoadFromFile(std::string(TEST_BINARY_DIR) + "/picture.unknown"), EInvalidGraphic);
}

TEST(Icons, SaveAndLoadKeepAlpha)
{
    TIcon icon;
    icon.SetSize(4, 4);
    WriteRaw(icon.Image().ScanLine(1), 2, 32, 0xFF0000FF); // opaque blue
    WriteRaw(icon.Image().ScanLine(3), 0, 32, 0x80008000); // half-transparent green, premultiplied
    TMemoryStream stream;
    icon.SaveToStream(stream);
    stream.SetPosition(0);
    TIcon loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(ReadRaw(loaded.Image().ScanLine(1), 2, 32), 0xFF0000FFu);
    EXPECT_EQ(ReadRaw(loaded.Image().ScanLine(3), 0, 32), 0x80008000u);
    EXPECT_EQ(ReadRaw(loaded.Image().ScanLine(0), 0, 32), 0u);
    auto dest = MakeBitmap(4, 4, pf24bit, clWhite);
    dest->Canvas()->Draw(0, 0, &loaded);
    EXPECT_EQ(dest->Canvas()->Pixels(2, 1), clBlue);
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), clWhite);
    EXPECT_THROW(loaded.SetWidth(8), EInvalidGraphicOperation);
}

TEST(ImageLists, AddSplitsIntoCellsAndDrawsMasked)
{
    TImageList list(nullptr);
    list.SetWidth(2);
    list.SetHeight(2);
    auto strip = MakeBitmap(4, 2, pf24bit, clFuchsia);
    strip->Canvas()->SetPixel(0, 0, clRed);
    strip->Canvas()->SetPixel(3, 1, clBlue);
    EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);
    auto dest = MakeBitmap(2, 2, pf24bit, clWhite);
    list.Draw(dest->Canvas(), 0, 0, 1);
    EXPECT_EQ(InkMap(*dest, clBlue), "..\n.#\n");
    EXPECT_EQ(CountInk(*dest, clWhite), 3);
    EXPECT_THROW(list.Draw(dest->Canvas(), 0, 0, 2), EInvalidOperation);
}

TEST(ImageLists, DisabledImagesShowAnEmbossedShape)
{
    TImageList list(nullptr);
    list.SetWidth(2);
    list.SetHeight(2);
    TBitmap image(2, 2, pf24bit), mask(2, 2, pf1bit);
    image.Canvas()->Brush()->SetColor(clRed);
    image.Canvas()->FillRect(Rect(0, 0, 2, 2));
    mask.Canvas()->Brush()->SetColor(clWhite);
    mask.Canvas()->FillRect(Rect(0, 0, 2, 2));
    mask.Canvas()->SetPixel(0, 0, clBlack); // one opaque pixel
    list.Add(&image, &mask);
    auto dest = MakeBitmap(3, 3, pf24bit, clBlack);
    list.Draw(dest->Canvas(), 0, 0, 0, false);
    EXPECT_EQ(dest->Canvas()->Pixels(0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(dest->Canvas()->Pixels(1, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(CountInk(*dest, clBlack), 7);
}

TEST(ImageLists, ChangeLinksHearChangesUntilTheyLeave)
{
    auto list = std::make_unique<TImageList>(nullptr);
    TChangeLink link;
    int heard = 0;
    link.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, list.get());
        ++heard;
    };
    list->RegisterChanges(&link);
    EXPECT_EQ(link.Sender(), list.get());
    list->AddMasked(MakeBitmap(16, 16).get(), clDefault);
    list->Delete(0);
    EXPECT_EQ(heard, 2);
    list->UnRegisterChanges(&link);
    list->Clear();
    EXPECT_EQ(heard, 2);
    list->RegisterChanges(&link);
    list.reset();
    EXPECT_EQ(link.Sender(), nullptr);
}

TEST(Resources, NamedBitmapsLoadAndMissingNamesRaise)
{
    RegisterBitmapResource("TESTS_ARROW", [] { return MakeBitmap(3, 2, pf24bit, clSilver); });
    EXPECT_TRUE(BitmapResourceExists("tests_arrow"));
    EXPECT_EQ(LoadBitmapResource("Tests_Arrow")->Width(), 3);
    try {
        LoadBitmapResource("TESTS_NOTHING");
        FAIL();
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource TESTS_NOTHING not found");
    }
    const auto mapped = CreateMappedBitmapResource("TESTS_ARROW", {{clSilver, clBtnFace}, {clGray, clBtnShadow}});
    EXPECT_EQ(mapped->Canvas()->Pixels(0, 0), ColorToRGB(clBtnFace));
    EXPECT_THROW(LoadCursorResource("TESTS_NOTHING"), EResNotFound);
}

TEST(Resources, CursorsKeepTheirHotSpotAndTransparency)
{
    RegisterCursorResource("TESTS_CURSOR", [] {
        auto picture = MakeBitmap(3, 3, pf24bit, clFuchsia);
        picture->Canvas()->SetPixel(1, 1, clBlack);
        return CursorFromBitmap(*picture, clFuchsia, {1, 1});
    });
    const TCursorImage cursor = LoadCursorResource("tests_cursor");
    EXPECT_EQ(cursor.HotSpot, (TPoint{1, 1}));
    EXPECT_EQ(ReadRaw(cursor.Image->ScanLine(1), 1, 32), 0xFF000000u);
    EXPECT_EQ(ReadRaw(cursor.Image->ScanLine(0), 0, 32), 0u);
}

TEST(Resources, TwoMaskCursorsShowThroughWhereTheAndMaskIsSet)
{
    TBitmap andMask(2, 1, pf1bit), colour(2, 1, pf24bit);
    andMask.Canvas()->SetPixel(0, 0, clWhite);
    andMask.Canvas()->SetPixel(1, 0, clBlack);
    colour.Canvas()->SetPixel(0, 0, clBlack);
    colour.Canvas()->SetPixel(1, 0, clRed);
    const TCursorImage cursor = CursorFromMasks(andMask, colour, {0, 0});
    EXPECT_EQ(ReadRaw(cursor.Image->ScanLine(0), 0, 32), 0u);
    EXPECT_EQ(ReadRaw(cursor.Image->ScanLine(0), 1, 32), 0xFFFF0000u);
    TBitmap wrongSize(3, 1, pf1bit);
    EXPECT_THROW(CursorFromMasks(wrongSize, colour, {0, 0}), EInvalidGraphicOperation);
}

TEST(Icons, TwentyFourBitImagesTakeTransparencyFromTheAndMask)
{
    std::vector<uint8_t> file{0,  0, 1, 0, 1,  0, // directory, one image
                              2,  1, 0, 0, 1,  0, 24, 0, // 2 x 1, 24 bits
                              52, 0, 0, 0, 22, 0, 0,  0, // 52 bytes at offset 22
                              40, 0, 0, 0, 2,  0, 0,  0, 2, 0, 0, 0, 1, 0, 24, 0};
    file.resize(22 + 40, 0);
    const uint8_t colour[8] = {0, 0, 255, 255, 0, 0, 0, 0}; // red, blue
    const uint8_t mask[4] = {0x40, 0, 0, 0}; // the second pixel shows through
    file.insert(file.end(), colour, colour + 8);
    file.insert(file.end(), mask, mask + 4);
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.SetPosition(0);
    TIcon icon;
    icon.LoadFromStream(stream);
    EXPECT_EQ(icon.Width(), 2);
    EXPECT_EQ(icon.Height(), 1);
    EXPECT_EQ(ReadRaw(icon.Image().ScanLine(0), 0, 32), 0xFFFF0000u);
    EXPECT_EQ(ReadRaw(icon.Image().ScanLine(0), 1, 32), 0u);
    TStringStream png(std::string("\0\0\1\0\1\0", 6) + std::string(16, '\0'));
    EXPECT_THROW(icon.LoadFromStream(png), EInvalidGraphic);
}
