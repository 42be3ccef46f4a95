// Drawing: opaque, with a key colour, alpha blended; bitmaps in and out.

#include "PngTestSupport.h"

#include "controls/png/pngimage.h"

#include "platform/gfx/Canvas.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor Backdrop = RGB(0, 255, 0);

std::unique_ptr<TBitmap> Canvas(int32_t width, int32_t height)
{
    auto bitmap = std::make_unique<TBitmap>(width, height, pf24bit);
    bitmap->Canvas()->Brush()->SetColor(Backdrop);
    bitmap->Canvas()->FillRect(Rect(0, 0, width, height));
    return bitmap;
}

uint8_t Blend(uint8_t source, uint8_t alpha, uint8_t destination)
{
    return static_cast<uint8_t>((source * alpha + (255 - alpha) * destination + 255) / 256);
}

std::vector<std::string> ChunkNames(const TPNGObject& png)
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < png.Chunks().Count(); ++i)
        names.push_back(png.Chunks().Item(i)->Name());
    return names;
}

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int v : values)
        bytes += static_cast<char>(v);
    return bytes;
}

} // namespace

TEST(PngDrawing, OpaqueImagesDrawTheirPixels)
{
    // Drawn plainly, and through the blending path as if they had alpha.
    for (uint8_t colorType : {0, 2, 3}) {
        SCOPED_TRACE(int(colorType));
        TPNGObject png;
        LoadPng(png, WriteWithLibpng(MakePattern(5, 4, colorType, colorType == 2 ? 8 : 4, 0, 11)));
        auto plain = Canvas(5, 4);
        png.Draw(*plain->Canvas(), Rect(0, 0, 5, 4));
        auto blended = Canvas(5, 4);
        png.DrawAlphaBlended(*blended->Canvas(), Rect(0, 0, 5, 4));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                ASSERT_EQ(plain->Canvas()->Pixels(x, y), png.Pixels(x, y)) << x << "," << y;
                ASSERT_EQ(blended->Canvas()->Pixels(x, y), png.Pixels(x, y)) << x << "," << y;
            }
    }
}

// The key matches the pixels whatever the depth or gamma: the comparison is
// made on the samples as stored.
TEST(PngDrawing, KeyColourIsTransparentInEveryDepth)
{
    struct Case {
        const char* Name;
        std::string File;
    };
    const Case cases[] = {
        {"RGB 8",
         TPngBuilder()
             .Header(2, 1, 8, 2)
             .Chunk("tRNS", Bytes({0, 10, 0, 20, 0, 30}))
             .ImageData(Bytes({0, 10, 20, 30, 200, 100, 50}))
             .End()
             .Bytes()},
        {"RGB 16",
         TPngBuilder()
             .Header(2, 1, 16, 2)
             .Chunk("tRNS", Bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}))
             .ImageData(Bytes({0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x34, 0x12, 0x78, 0x56, 0xBC, 0x9A}))
             .End()
             .Bytes()},
        {"RGB 8 with gamma",
         TPngBuilder()
             .Header(2, 1, 8, 2)
             .Chunk("gAMA", BigEndian(100000))
             .Chunk("tRNS", Bytes({0, 10, 0, 20, 0, 30}))
             .ImageData(Bytes({0, 10, 20, 30, 200, 100, 50}))
             .End()
             .Bytes()},
        {"gray 4",
         TPngBuilder().Header(2, 1, 4, 0).Chunk("tRNS", Bytes({0, 5})).ImageData(Bytes({0, 0x59})).End().Bytes()},
        {"gray 2",
         TPngBuilder().Header(2, 1, 2, 0).Chunk("tRNS", Bytes({0, 2})).ImageData(Bytes({0, 0x80})).End().Bytes()},
        {"gray 16",
         TPngBuilder()
             .Header(2, 1, 16, 0)
             .Chunk("tRNS", Bytes({0x80, 0x01}))
             .ImageData(Bytes({0, 0x80, 0x01, 0x20, 0x01}))
             .End()
             .Bytes()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TPNGObject png;
        LoadPng(png, c.File);
        ASSERT_EQ(png.TransparencyMode(), 1);
        EXPECT_EQ(png.TransparentColor(), png.Pixels(0, 0));
        auto target = Canvas(2, 1);
        png.Draw(*target->Canvas(), Rect(0, 0, 2, 1));
        EXPECT_EQ(target->Canvas()->Pixels(0, 0), Backdrop);
        EXPECT_EQ(target->Canvas()->Pixels(1, 0), png.Pixels(1, 0));
    }
}

TEST(PngDrawing, AlphaImageDrawnTwiceAsLargeBlendsEachPixelIntoABlock)
{
    const uint8_t pixels[4][4] = {{255, 0, 0, 255}, {0, 0, 255, 0}, {0, 255, 0, 128}, {100, 150, 200, 64}};
    std::string rows;
    for (int y = 0; y < 2; ++y) {
        rows += '\0';
        for (int x = 0; x < 2; ++x)
            rows.append(reinterpret_cast<const char*>(pixels[y * 2 + x]), 4);
    }
    TPNGObject png;
    LoadPng(png, TPngBuilder().Header(2, 2, 8, 6).ImageData(rows).End().Bytes());
    ASSERT_EQ(png.TransparencyMode(), 2);
    auto target = Canvas(4, 4);
    png.Draw(*target->Canvas(), Rect(0, 0, 4, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint8_t* p = pixels[(y / 2) * 2 + x / 2];
            const TColor expected = RGB(Blend(p[0], p[3], GetRValue(Backdrop)), Blend(p[1], p[3], GetGValue(Backdrop)),
                                        Blend(p[2], p[3], GetBValue(Backdrop)));
            const TColor exact = p[3] == 255 ? RGB(p[0], p[1], p[2]) : p[3] == 0 ? Backdrop : expected;
            EXPECT_EQ(target->Canvas()->Pixels(x, y), exact) << x << "," << y;
        }
}

TEST(PngDrawing, GrayAlphaAndReversedOrStretchedRectangles)
{
    TPNGObject png;
    LoadPng(png, TPngBuilder().Header(2, 1, 8, 4).ImageData(Bytes({0, 200, 255, 50, 0})).End().Bytes());
    // A reversed rectangle is put in order; a wider, flatter one is scaled, not overrun.
    auto target = Canvas(4, 1);
    png.Draw(*target->Canvas(), Rect(4, 1, 0, 0));
    EXPECT_EQ(target->Canvas()->Pixels(0, 0), RGB(200, 200, 200));
    EXPECT_EQ(target->Canvas()->Pixels(1, 0), RGB(200, 200, 200));
    EXPECT_EQ(target->Canvas()->Pixels(3, 0), Backdrop);
    // Same area as the image but another shape: still scaled.
    auto column = Canvas(1, 2);
    png.Draw(*column->Canvas(), Rect(0, 0, 1, 2));
    EXPECT_EQ(column->Canvas()->Pixels(0, 0), RGB(200, 200, 200));
    EXPECT_EQ(column->Canvas()->Pixels(0, 1), RGB(200, 200, 200));
}

TEST(PngDrawing, PaletteIndexBeyondThePaletteDrawsBlack)
{
    TPNGObject png;
    LoadPng(png,
            TPngBuilder()
                .Header(3, 1, 2, 3)
                .Chunk("PLTE", Bytes({255, 0, 0, 0, 0, 255}))
                .Chunk("tRNS", Bytes({128, 64}))
                .ImageData(Bytes({0, 0x1C})) // indexes 0, 1, 3
                .End()
                .Bytes());
    ASSERT_EQ(png.TransparencyMode(), 2);
    auto target = Canvas(3, 1);
    EXPECT_NO_THROW(png.Draw(*target->Canvas(), Rect(0, 0, 3, 1)));
    EXPECT_EQ(target->Canvas()->Pixels(0, 0), RGB(Blend(255, 128, 0), Blend(0, 128, 255), 0));
    EXPECT_EQ(target->Canvas()->Pixels(1, 0), RGB(0, Blend(0, 64, 255), Blend(255, 64, 0)));
    EXPECT_EQ(target->Canvas()->Pixels(2, 0), RGB(0, 0, 0));
}

TEST(PngDrawing, BitmapsBecomePngImages)
{
    TBitmap colour(3, 2, pf24bit);
    colour.Canvas()->SetPixel(1, 1, RGB(10, 20, 30));
    TPNGObject png;
    png.Assign(&colour);
    EXPECT_EQ(ChunkNames(png), (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    EXPECT_EQ(png.Header()->ColorType, COLOR_RGB);
    EXPECT_EQ(png.Header()->BitDepth, 8);
    EXPECT_EQ(png.Pixels(1, 1), RGB(10, 20, 30));
    EXPECT_EQ(ReadWithLibpng(SavePng(png)).Rows[1][3], 10);

    TBitmap indexed(4, 1, pf8bit);
    indexed.SetTransparentMode(tmFixed);
    indexed.SetTransparentColor(indexed.Palette().EntryColor(7));
    indexed.SetTransparent(true);
    png.Assign(&indexed);
    EXPECT_EQ(ChunkNames(png), (std::vector<std::string>{"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}));
    EXPECT_EQ(png.TransparencyMode(), 1);
    EXPECT_EQ(png.TransparentColor(), indexed.Palette().EntryColor(7));
}

TEST(PngDrawing, ImagesBecomeBitmaps)
{
    TPNGObject png;
    LoadPng(png,
            TPngBuilder()
                .Header(2, 1, 8, 2)
                .Chunk("tRNS", Bytes({0, 10, 0, 20, 0, 30}))
                .ImageData(Bytes({0, 10, 20, 30, 200, 100, 50}))
                .End()
                .Bytes());
    TBitmap bitmap;
    bitmap.Assign(&png);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), RGB(200, 100, 50));
    EXPECT_TRUE(bitmap.Transparent());
    EXPECT_EQ(bitmap.TransparentColor(), RGB(10, 20, 30));
}

TEST(PngDrawing, ClipboardCarriesTheImageAsDrawnOnABitmap)
{
    // A palette image whose index 0 is the key colour: the clipboard holds a
    // plain bitmap of it as drawn on white, and what comes back is an opaque
    // colour image.
    TPNGObject png;
    LoadPng(png,
            TPngBuilder()
                .Header(3, 2, 8, COLOR_PALETTE)
                .Chunk("PLTE", Bytes({10, 20, 30, 40, 50, 60, 70, 80, 90}))
                .Chunk("tRNS", Bytes({0}))
                .ImageData(Bytes({0, 0, 1, 2, 0, 2, 1, 0}))
                .End()
                .Bytes());
    ASSERT_EQ(png.TransparencyMode(), 1);
    TClipFormat format = 0;
    std::vector<uint8_t> data;
    png.SaveToClipboardFormat(format, data);
    EXPECT_EQ(format, CF_BITMAP);

    TBitmap bitmap;
    bitmap.LoadFromClipboardFormat(format, data);
    TPNGObject pasted;
    pasted.LoadFromClipboardFormat(format, data);
    EXPECT_EQ(pasted.Header()->ColorType, COLOR_RGB);
    EXPECT_EQ(pasted.TransparencyMode(), 0);
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(pasted.Height(), 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const bool key = (y == 0 && x == 0) || (y == 1 && x == 2);
            const TColor shown = key ? clWhite : png.Pixels(x, y);
            EXPECT_EQ(bitmap.Canvas()->Pixels(x, y), shown) << x << "," << y;
            EXPECT_EQ(pasted.Pixels(x, y), shown) << x << "," << y;
        }
}

TEST(PngDrawing, ClipboardDataInAnotherFormatOrDamagedLeavesTheImage)
{
    TPNGObject png;
    LoadPng(png, WriteWithLibpng(MakePattern(3, 2, COLOR_RGB, 8, 0, 5)));
    TClipFormat format = 0;
    std::vector<uint8_t> data;
    png.SaveToClipboardFormat(format, data);
    const std::string before = SavePng(png);

    EXPECT_THROW(png.LoadFromClipboardFormat(0xC123, data), EInvalidGraphic);
    data.resize(20);
    EXPECT_THROW(png.LoadFromClipboardFormat(format, data), EInvalidGraphic);
    EXPECT_THROW(png.LoadFromClipboardFormat(format, {}), EInvalidGraphic);
    EXPECT_EQ(SavePng(png), before);
}
