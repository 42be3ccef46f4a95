#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "GfxTestSupport.h"
#include "MetafileWriter.h"
#include "platform/gfx/Metafile.h"
#include "platform/gfx/Pen.h"

namespace {

constexpr int32_t targetWidth = 40, targetHeight = 30;

void LoadBytes(TMetafile& metafile, const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    stream.SetPosition(0);
    metafile.LoadFromStream(stream);
}

std::unique_ptr<TBitmap> Played(const std::vector<uint8_t>& bytes)
{
    TMetafile metafile;
    LoadBytes(metafile, bytes);
    auto bitmap = MakeBitmap(targetWidth, targetHeight);
    bitmap->Canvas()->StretchDraw(Rect(0, 0, targetWidth, targetHeight), &metafile);
    return bitmap;
}

std::unique_ptr<TBitmap> Direct(const std::function<void(TCanvas&)>& draw)
{
    auto bitmap = MakeBitmap(targetWidth, targetHeight);
    draw(*bitmap->Canvas());
    return bitmap;
}

void ExpectSamePixels(TBitmap& played, TBitmap& direct, const std::string& name)
{
    int differences = 0;
    for (int32_t y = 0; y < targetHeight; ++y)
        for (int32_t x = 0; x < targetWidth; ++x)
            differences += played.Canvas()->Pixels(x, y) != direct.Canvas()->Pixels(x, y);
    EXPECT_EQ(differences, 0) << name;
    EXPECT_GT(CountInk(direct, clWhite), 0) << name;
}

// Text packed two bytes a word, or two UTF-16 units a 32-bit value.
std::vector<int32_t> Packed(const std::string& text, size_t bytes, bool wide)
{
    std::vector<uint8_t> raw;
    for (char c : text) {
        raw.push_back(uint8_t(c));
        if (wide)
            raw.push_back(0);
    }
    raw.resize(bytes, 0);
    std::vector<int32_t> values;
    const size_t step = wide ? 4 : 2;
    for (size_t i = 0; i < raw.size(); i += step) {
        int32_t value = 0;
        for (size_t j = 0; j < step; ++j)
            value |= int32_t(raw[i + j]) << (8 * j);
        values.push_back(value);
    }
    return values;
}

int32_t FloatBits(float value)
{
    int32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// A world transform record: set (35) or modify (36) with a mode.
void WorldTransform(MetafileWriter& w, std::initializer_list<float> xform, int32_t mode = 0)
{
    std::vector<int32_t> values;
    for (float value : xform)
        values.push_back(FloatBits(value));
    if (mode != 0)
        values.push_back(mode);
    w.EmfValues(mode == 0 ? 35 : 36, values);
}

void Pen(TCanvas& c, TPenStyle style, int32_t width, TColor color)
{
    c.Pen()->SetStyle(style);
    c.Pen()->SetWidth(width);
    c.Pen()->SetColor(color);
}

void Brush(TCanvas& c, TBrushStyle style, TColor color)
{
    c.Brush()->SetColor(color);
    c.Brush()->SetStyle(style);
}

// Windows records: a red pen two wide in slot 0 and a blue brush in slot 1,
// selected; then the case's own records.
struct WindowsCase {
    const char* name;
    std::function<void(MetafileWriter&)> records;
    std::function<void(TCanvas&)> direct;
};

void RedPenBlueBrush(MetafileWriter& w)
{
    w.Wmf(0x02FA, {0, 2, 0, 0x00FF, 0});
    w.Wmf(0x02FC, {0, 0x0000, 0x00FF, 0});
    w.Wmf(0x012D, {0});
    w.Wmf(0x012D, {1});
}

// Selecting a brush leaves a device context's background colour and mode
// as they were (white and opaque at the start), where the canvas resets
// them.
void RedPenBlueBrush(TCanvas& c)
{
    Pen(c, psSolid, 2, clRed);
    Brush(c, bsSolid, clBlue);
    c.SetBackgroundColor(clWhite);
    c.SetBackgroundMode(OPAQUE);
}

TEST(MetafilePlayer, WindowsRecordsDrawAsTheSameCallsOnTheCanvas)
{
    const WindowsCase cases[] = {
        {"rectangle",
         [](MetafileWriter& w) {
             w.Wmf(0x041B, {20, 30, 3, 4});
         },
         [](TCanvas& c) { c.Rectangle(4, 3, 30, 20); }},
        {"ellipse",
         [](MetafileWriter& w) {
             w.Wmf(0x0418, {25, 35, 2, 5});
         },
         [](TCanvas& c) { c.Ellipse(5, 2, 35, 25); }},
        {"round rectangle",
         [](MetafileWriter& w) {
             w.Wmf(0x061C, {8, 10, 25, 35, 2, 5});
         },
         [](TCanvas& c) { c.RoundRect(5, 2, 35, 25, 10, 8); }},
        {"arc",
         [](MetafileWriter& w) {
             w.Wmf(0x0817, {2, 20, 15, 38, 28, 38, 2, 2});
         },
         [](TCanvas& c) { c.Arc(2, 2, 38, 28, 38, 15, 20, 2); }},
        {"pie",
         [](MetafileWriter& w) {
             w.Wmf(0x081A, {2, 20, 15, 38, 28, 38, 2, 2});
         },
         [](TCanvas& c) { c.Pie(2, 2, 38, 28, 38, 15, 20, 2); }},
        {"chord",
         [](MetafileWriter& w) {
             w.Wmf(0x0830, {2, 20, 15, 38, 28, 38, 2, 2});
         },
         [](TCanvas& c) { c.Chord(2, 2, 38, 28, 38, 15, 20, 2); }},
        {"lines",
         [](MetafileWriter& w) {
             w.Wmf(0x0214, {3, 2});
             w.Wmf(0x0213, {27, 37});
             w.Wmf(0x0213, {27, 5});
         },
         [](TCanvas& c) {
             c.MoveTo(2, 3);
             c.LineTo(37, 27);
             c.LineTo(5, 27);
         }},
        {"polyline and polygon",
         [](MetafileWriter& w) {
             w.Wmf(0x0325, {3, 1, 1, 20, 28, 38, 2});
             w.Wmf(0x0324, {3, 5, 20, 15, 5, 25, 20});
         },
         [](TCanvas& c) {
             c.Polyline({{1, 1}, {20, 28}, {38, 2}});
             c.Polygon({{5, 20}, {15, 5}, {25, 20}});
         }},
        {"polypolygon",
         [](MetafileWriter& w) {
             w.Wmf(0x0538, {2, 3, 4, 1, 1, 10, 1, 5, 9, 20, 5, 35, 5, 35, 25, 20, 25});
         },
         [](TCanvas& c) {
             c.Polygon({{1, 1}, {10, 1}, {5, 9}});
             c.Polygon({{20, 5}, {35, 5}, {35, 25}, {20, 25}});
         }},
        {"hatched brush on a transparent background",
         [](MetafileWriter& w) {
             w.Wmf(0x02FC, {2, 0xFF00, 0, 4});
             w.Wmf(0x012D, {2});
             w.Wmf(0x0102, {1});
             w.Wmf(0x041B, {28, 38, 2, 2});
         },
         [](TCanvas& c) {
             Brush(c, bsCross, clLime);
             c.SetBackgroundMode(TRANSPARENT);
             c.Rectangle(2, 2, 38, 28);
         }},
        {"xor pen and dashes",
         [](MetafileWriter& w) {
             w.Wmf(0x0104, {7});
             w.Wmf(0x02FA, {1, 1, 0, 0x00FF, 0});
             w.Wmf(0x012D, {2});
             w.Wmf(0x041B, {25, 35, 5, 5});
         },
         [](TCanvas& c) {
             c.Pen()->SetMode(pmXor);
             Pen(c, psDash, 1, clRed);
             c.Rectangle(5, 5, 35, 25);
         }},
        {"saved state comes back",
         [](MetafileWriter& w) {
             w.Wmf(0x001E, {});
             w.Wmf(0x02FA, {0, 4, 0, 0xFF00, 0});
             w.Wmf(0x012D, {2});
             w.Wmf(0x0127, {0xFFFF});
             w.Wmf(0x041B, {25, 35, 5, 5});
         },
         [](TCanvas& c) { c.Rectangle(5, 5, 35, 25); }},
        {"clip rectangle",
         [](MetafileWriter& w) {
             w.Wmf(0x0416, {20, 20, 0, 0});
             w.Wmf(0x0418, {28, 38, 2, 2});
         },
         [](TCanvas& c) {
             c.IntersectClipRect(0, 0, 20, 20);
             c.Ellipse(2, 2, 38, 28);
         }},
        {"text in a bold underlined font",
         [](MetafileWriter& w) {
             std::vector<int32_t> font = {-12, 0, 0, 0, 700, 0x0100, 0, 0, 0};
             for (int32_t word : Packed("DejaVu Sans", 32, false))
                 font.push_back(word);
             w.WmfWords(0x02FB, font);
             w.Wmf(0x012D, {2});
             w.Wmf(0x0209, {0, 0x0080});
             w.Wmf(0x0102, {1});
             w.Wmf(0x0521, {2, 'H' | 'i' << 8, 6, 4});
         },
         [](TCanvas& c) {
             c.Font()->SetName("DejaVu Sans");
             c.Font()->SetHeight(-12);
             c.Font()->SetStyle(TFontStyles{fsBold, fsUnderline});
             c.SetTextColor(clNavy);
             c.SetBackgroundMode(TRANSPARENT);
             c.ExtTextOut(4, 6, 0, nullptr, "Hi");
         }},
        {"text with its own advances",
         [](MetafileWriter& w) {
             w.Wmf(0x0A32, {6, 4, 3, 0, 'A' | 'b' << 8, 'c', 9, 12, 3});
         },
         [](TCanvas& c) {
             const int32_t advances[] = {9, 12, 3};
             c.ExtTextOut(4, 6, 0, nullptr, "Abc", advances);
         }},
        {"clip region object and an excluded rectangle",
         [](MetafileWriter& w) {
             // Two scans: 0..20 on rows 0..10, 5..12 and 18..30 on rows 10..25.
             w.Wmf(0x06FF, {0, 6, 0, 0, 0, 2, 0, 0, 0, 30, 25, 2, 0, 10, 0, 20, 2, 4, 10, 25, 5, 12, 18, 30, 4});
             w.Wmf(0x012C, {2});
             w.Wmf(0x0415, {22, 25, 15, 20});
             w.Wmf(0x0418, {28, 38, 2, 2});
         },
         [](TCanvas& c) {
             const TRegion region = TRegion::FromRects({Rect(0, 0, 20, 10), Rect(5, 10, 12, 25), Rect(18, 10, 30, 25)});
             c.SelectClipRgn(&region);
             c.ExcludeClipRect(20, 15, 25, 22);
             c.Ellipse(2, 2, 38, 28);
         }},
        {"window scaled onto the target",
         [](MetafileWriter& w) {
             w.Wmf(0x020B, {-10, -20});
             w.Wmf(0x020C, {60, 80});
             w.Wmf(0x041B, {30, 40, 0, 0});
         },
         [](TCanvas& c) { c.Rectangle(10, 5, 30, 20); }},
    };
    for (const WindowsCase& c : cases) {
        MetafileWriter writer;
        RedPenBlueBrush(writer);
        c.records(writer);
        auto played = Played(writer.WindowsFile(true, targetWidth, targetHeight));
        auto direct = Direct([&c](TCanvas& canvas) {
            RedPenBlueBrush(canvas);
            c.direct(canvas);
        });
        ExpectSamePixels(*played, *direct, c.name);
    }
}

TEST(MetafilePlayer, EnhancedRecordsDrawAsTheSameCallsOnTheCanvas)
{
    struct EnhancedCase {
        const char* name;
        std::function<void(MetafileWriter&)> records;
        std::function<void(TCanvas&)> direct;
    };
    const EnhancedCase cases[] = {
        {"pen, brush and rectangle",
         [](MetafileWriter& w) {
             w.Emf(38, {1, 0, 3, 0, 0x0000FF});
             w.Emf(39, {2, 0, 0x00FF00, 0});
             w.Emf(37, {1});
             w.Emf(37, {2});
             w.Emf(43, {4, 3, 30, 20});
         },
         [](TCanvas& c) {
             Pen(c, psSolid, 3, clRed);
             Brush(c, bsSolid, clLime);
             c.Rectangle(4, 3, 30, 20);
         }},
        {"stock objects and an ellipse",
         [](MetafileWriter& w) {
             w.Emf(37, {int32_t(0x80000004)});
             w.Emf(37, {int32_t(0x80000008)});
             w.Emf(42, {2, 2, 38, 28});
         },
         [](TCanvas& c) {
             Brush(c, bsSolid, clBlack);
             Pen(c, psClear, 1, clBlack);
             c.Ellipse(2, 2, 38, 28);
         }},
        {"16- and 32-bit polygons",
         [](MetafileWriter& w) {
             w.Emf(3, {0, 0, 0, 0, 3, 1, 1, 20, 28, 38, 2});
             w.Emf(87, {0, 0, 0, 0, 2, 5 | 25 << 16, 35 | 5 << 16});
             w.Emf(8, {0, 0, 0, 0, 2, 6, 3, 3, 2, 2, 10, 2, 6, 9, 20, 20, 30, 20, 25, 28});
         },
         [](TCanvas& c) {
             c.Polygon({{1, 1}, {20, 28}, {38, 2}});
             c.Polyline({{5, 25}, {35, 5}});
             c.Polygon({{2, 2}, {10, 2}, {6, 9}});
             c.Polygon({{20, 20}, {30, 20}, {25, 28}});
         }},
        {"anisotropic mapping",
         [](MetafileWriter& w) {
             w.Emf(17, {8});
             w.Emf(9, {200, 100});
             w.Emf(11, {40, 30});
             w.Emf(43, {50, 20, 150, 80});
         },
         [](TCanvas& c) { c.Rectangle(10, 6, 30, 24); }},
        {"wide text in an italic font, opaque in its rectangle",
         [](MetafileWriter& w) {
             std::vector<int32_t> font = {3, -14, 0, 0, 0, 400, 1, 0};
             for (int32_t value : Packed("DejaVu Sans", 64, true))
                 font.push_back(value);
             w.EmfValues(82, font);
             w.Emf(37, {3});
             w.Emf(24, {0x0000FF});
             w.Emf(25, {0x00FFFF});
             std::vector<int32_t> text = {0, 0, 0, 0, 1, 0, 0, 4, 8, 3, 76, 2, 2, 4, 30, 24, 0};
             for (int32_t value : Packed("Abc", 8, true))
                 text.push_back(value);
             w.EmfValues(84, text);
         },
         [](TCanvas& c) {
             c.Font()->SetName("DejaVu Sans");
             c.Font()->SetHeight(-14);
             c.Font()->SetStyle(TFontStyles{fsItalic});
             c.SetTextColor(clRed);
             c.SetBackgroundColor(clYellow);
             const TRect rect = Rect(2, 4, 30, 24);
             c.ExtTextOut(4, 8, ETO_OPAQUE, &rect, "Abc");
         }},
        {"wide text with its own advances",
         [](MetafileWriter& w) {
             // The advances follow the text, at offset 84.
             std::vector<int32_t> text = {0, 0, 0, 0, 1, 0, 0, 4, 8, 3, 76, 0, 0, 0, 0, 0, 84};
             for (int32_t value : Packed("Abc", 8, true))
                 text.push_back(value);
             for (int32_t advance : {10, 7, 5})
                 text.push_back(advance);
             w.EmfValues(84, text);
         },
         [](TCanvas& c) {
             const int32_t advances[] = {10, 7, 5};
             c.ExtTextOut(4, 8, 0, nullptr, "Abc", advances);
         }},
        {"clip regions copied, cut and reset",
         [](MetafileWriter& w) {
             // Region data: its header (size, type, count, size, bounds),
             // then the rectangles; mode 5 copies, 4 takes away.
             w.Emf(75, {64, 5, 32, 1, 2, 32, 0, 0, 0, 0, 0, 0, 20, 15, 10, 15, 35, 28});
             w.Emf(75, {48, 4, 32, 1, 1, 16, 0, 0, 0, 0, 5, 5, 30, 10});
             w.Emf(42, {2, 2, 38, 28});
             w.Emf(75, {0, 5});
             w.Emf(27, {0, 29});
             w.Emf(54, {40, 29});
         },
         [](TCanvas& c) {
             TRegion region = TRegion::FromRects({Rect(0, 0, 20, 15), Rect(10, 15, 35, 28)});
             region.Combine(region, TRegion(Rect(5, 5, 30, 10)), RGN_DIFF);
             c.SelectClipRgn(&region);
             c.Ellipse(2, 2, 38, 28);
             c.SelectClipRgn(nullptr);
             c.MoveTo(0, 29);
             c.LineTo(40, 29);
         }},
        {"straight Béziers and lines from the pen position",
         [](MetafileWriter& w) {
             w.Emf(2, {0, 0, 0, 0, 4, 2, 5, 10, 5, 30, 5, 38, 5});
             w.Emf(27, {2, 10});
             w.Emf(6, {0, 0, 0, 0, 2, 20, 10, 20, 25});
             w.Emf(88, {0, 0, 0, 0, 3, 25 | 25 << 16, 30 | 25 << 16, 35 | 25 << 16});
         },
         [](TCanvas& c) {
             c.MoveTo(2, 5);
             c.LineTo(38, 5);
             c.MoveTo(2, 10);
             c.LineTo(20, 10);
             c.LineTo(20, 25);
             c.LineTo(35, 25);
         }},
        {"a rotated rectangle becomes a polygon",
         [](MetafileWriter& w) {
             WorldTransform(w, {0, 1, -1, 0, 30, 2});
             w.Emf(43, {2, 2, 20, 10});
         },
         [](TCanvas& c) {
             c.Polygon({{28, 4}, {28, 22}, {20, 22}, {20, 4}});
         }},
        {"scaled then moved world",
         [](MetafileWriter& w) {
             WorldTransform(w, {2, 0, 0, 2, 0, 0});
             WorldTransform(w, {1, 0, 0, 1, 5, 3}, 3);
             w.Emf(43, {1, 1, 10, 8});
             WorldTransform(w, {1, 0, 0, 1, 0, 0}, 1);
             w.Emf(27, {0, 26});
             w.Emf(54, {30, 26});
         },
         [](TCanvas& c) {
             c.Rectangle(7, 5, 25, 19);
             c.MoveTo(0, 26);
             c.LineTo(30, 26);
         }},
        {"lines and arcs",
         [](MetafileWriter& w) {
             w.Emf(27, {2, 3});
             w.Emf(54, {37, 27});
             w.Emf(47, {2, 2, 38, 28, 38, 15, 20, 2});
         },
         [](TCanvas& c) {
             c.MoveTo(2, 3);
             c.LineTo(37, 27);
             c.Pie(2, 2, 38, 28, 38, 15, 20, 2);
         }},
    };
    for (const EnhancedCase& c : cases) {
        MetafileWriter writer;
        c.records(writer);
        auto played = Played(writer.EnhancedFile(targetWidth, targetHeight));
        auto direct = Direct(c.direct);
        ExpectSamePixels(*played, *direct, c.name);
    }
}

TEST(MetafilePlayer, BezierPassesThroughItsMidpoint)
{
    MetafileWriter writer;
    writer.Emf(85, {0, 0, 0, 0, 4, 2 | 2 << 16, 2 | 30 << 16, 38 | 30 << 16, 38 | 2 << 16});
    auto played = Played(writer.EnhancedFile(targetWidth, targetHeight));
    // At t = 1/2 the curve is at (20, 23); its ends are drawn too.
    EXPECT_EQ(InkMap(*played, clBlack, Rect(19, 22, 22, 25)), "...\n###\n...\n");
    EXPECT_EQ(played->Canvas()->Pixels(2, 2), ColorToPixelRGB(clBlack));
    EXPECT_GT(CountInk(*played, clBlack), 40);
}

TEST(MetafilePlayer, RotatedEllipseTurnsWithTheWorld)
{
    MetafileWriter writer;
    WorldTransform(writer, {0, 1, -1, 0, 25, 2});
    writer.Emf(42, {0, 0, 24, 10});
    auto played = Played(writer.EnhancedFile(targetWidth, targetHeight));
    int32_t left = targetWidth, right = -1, top = targetHeight, bottom = -1;
    for (int32_t y = 0; y < targetHeight; ++y)
        for (int32_t x = 0; x < targetWidth; ++x)
            if (played->Canvas()->Pixels(x, y) == ColorToPixelRGB(clBlack)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    // The 24 x 10 box turned a quarter: 10 wide from x 15, 24 high from y 2.
    EXPECT_EQ(left, 15);
    EXPECT_EQ(right, 25);
    EXPECT_EQ(top, 2);
    EXPECT_EQ(bottom, 26);
}

TEST(Metafile, SizeComesFromTheHeaders)
{
    MetafileWriter placeable;
    TMetafile metafile;
    LoadBytes(metafile, placeable.WindowsFile(true, 2880, 1440, 1440));
    EXPECT_FALSE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), 192);
    EXPECT_EQ(metafile.Height(), 96);

    MetafileWriter plain;
    plain.Wmf(0x020B, {5, 10});
    plain.Wmf(0x020C, {70, 300});
    LoadBytes(metafile, plain.WindowsFile(false, 0, 0));
    EXPECT_EQ(metafile.Width(), 300);
    EXPECT_EQ(metafile.Height(), 70);

    MetafileWriter enhanced;
    LoadBytes(metafile, enhanced.EnhancedFile(2540, 5080));
    EXPECT_TRUE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), 96);
    EXPECT_EQ(metafile.Height(), 192);
}

TEST(Metafile, MalformedDataRaisesAndBadRecordsAreDropped)
{
    const std::vector<uint8_t> noHeader = {1, 2, 3};
    MetafileWriter overlong;
    overlong.Put32(5000);
    overlong.Put16(0x041B);
    MetafileWriter zeroInch;
    MetafileWriter enhanced;
    std::vector<uint8_t> cutEnhanced = enhanced.EnhancedFile(10, 10);
    cutEnhanced.resize(60);
    for (const std::vector<uint8_t>& bytes :
         {noHeader, overlong.WindowsFile(true, 10, 10), zeroInch.WindowsFile(true, 10, 10, 0), cutEnhanced}) {
        TMetafile metafile;
        EXPECT_THROW(LoadBytes(metafile, bytes), EInvalidGraphic) << bytes.size();
    }

    // Counts past their record, unknown and out-of-range objects, and
    // restores without saves draw nothing and do not stop the rest.
    MetafileWriter lying;
    lying.Wmf(0x0325, {3000, 1, 1});
    lying.Wmf(0x0538, {2, 3});
    lying.Wmf(0x012D, {9999});
    lying.Wmf(0x01F0, {9999});
    lying.Wmf(0x0127, {-5});
    lying.Wmf(0x0127, {3});
    lying.Wmf(0x041B, {});
    lying.Wmf(0x041B, {20, 30, 3, 4});
    auto played = Played(lying.WindowsFile(true, targetWidth, targetHeight));
    auto direct = Direct([](TCanvas& c) { c.Rectangle(4, 3, 30, 20); });
    ExpectSamePixels(*played, *direct, "lying records");
}

TEST(Metafile, DeepSavesAreCappedAndStillPairWithRestores)
{
    MetafileWriter writer;
    RedPenBlueBrush(writer);
    for (int i = 0; i < 1000; ++i)
        writer.Wmf(0x001E, {});
    writer.Wmf(0x02FA, {0, 1, 0, 0xFF00, 0});
    writer.Wmf(0x012D, {2});
    writer.Wmf(0x0127, {-1000});
    writer.Wmf(0x041B, {20, 30, 3, 4});
    auto played = Played(writer.WindowsFile(true, targetWidth, targetHeight));
    auto direct = Direct([](TCanvas& c) {
        RedPenBlueBrush(c);
        c.Rectangle(4, 3, 30, 20);
    });
    ExpectSamePixels(*played, *direct, "deep saves");
}

} // namespace
