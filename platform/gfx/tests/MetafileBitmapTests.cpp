#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "GfxTestSupport.h"
#include "MetafileWriter.h"
#include "platform/gfx/BmpCodec.h"
#include "platform/gfx/Metafile.h"

namespace {

constexpr int32_t targetWidth = 40, targetHeight = 30;

std::unique_ptr<TBitmap> Played(const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    stream.SetPosition(0);
    TMetafile metafile;
    metafile.LoadFromStream(stream);
    auto bitmap = MakeBitmap(targetWidth, targetHeight);
    bitmap->Canvas()->StretchDraw(Rect(0, 0, targetWidth, targetHeight), &metafile);
    return bitmap;
}

// A 4 x 3 picture of distinct colours, so a flipped, shifted or misread
// DIB shows.
std::unique_ptr<TBitmap> Source(TPixelFormat format)
{
    auto bitmap = MakeBitmap(4, 3, format);
    const TColor colors[] = {clRed,   clLime, clBlue,   clYellow, clFuchsia, clAqua,
                             clBlack, clGray, clMaroon, clNavy,   clOlive,   clTeal};
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            bitmap->Canvas()->SetPixel(x, y, colors[y * 4 + x]);
    return bitmap;
}

// An 8 x 8 brush pattern: a checker with one odd pixel.
std::unique_ptr<TBitmap> Pattern()
{
    auto bitmap = MakeBitmap(8, 8);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            bitmap->Canvas()->SetPixel(x, y, (x + y) % 2 ? clRed : clNavy);
    bitmap->Canvas()->SetPixel(1, 0, clLime);
    return bitmap;
}

// The source as a packed DIB: its header (with colour table) and its bits.
struct PackedDib {
    std::vector<uint8_t> header, bits;
};

PackedDib Pack(TBitmap& bitmap)
{
    TMemoryStream stream;
    WriteBmp(stream, bitmap);
    std::vector<uint8_t> file(static_cast<size_t>(stream.Size()));
    stream.SetPosition(0);
    stream.ReadBuffer(file.data(), int64_t(file.size()));
    const size_t offBits = file[10] | file[11] << 8;
    return {{file.begin() + 14, file.begin() + offBits}, {file.begin() + offBits, file.end()}};
}

std::vector<uint8_t> Joined(const PackedDib& dib)
{
    std::vector<uint8_t> bytes = dib.header;
    bytes.insert(bytes.end(), dib.bits.begin(), dib.bits.end());
    return bytes;
}

// Bytes as little-endian items of `size` bytes, the last one padded.
std::vector<int32_t> Items(const std::vector<uint8_t>& bytes, size_t size)
{
    std::vector<int32_t> items((bytes.size() + size - 1) / size, 0);
    for (size_t i = 0; i < bytes.size(); ++i)
        items[i / size] |= int32_t(bytes[i]) << (8 * (i % size));
    return items;
}

// A Windows bitmap record: the 32-bit raster operation (if any), the
// 16-bit fields, then the DIB.
void WmfBitmap(MetafileWriter& w, uint16_t function, std::vector<int32_t> words, const std::vector<uint8_t>& dib)
{
    const std::vector<int32_t> dibWords = Items(dib, 2);
    words.insert(words.end(), dibWords.begin(), dibWords.end());
    w.WmfWords(function, words);
}

std::vector<int32_t> Rop(uint32_t rop) { return {int32_t(rop & 0xFFFF), int32_t(rop >> 16)}; }

std::vector<int32_t> operator+(std::vector<int32_t> a, const std::vector<int32_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An enhanced bitmap record: the fields `before` the DIB's
// offsets and sizes, the fields `after` them, then the DIB's header and bits.
void EmfBitmap(MetafileWriter& w, uint32_t type, const std::vector<int32_t>& before, const std::vector<int32_t>& after,
               const PackedDib& dib)
{
    std::vector<int32_t> values = before;
    const size_t fields = values.size();
    values = values + std::vector<int32_t>(4, 0) + after;
    const auto headerOffset = int32_t(8 + 4 * values.size());
    const auto headerSize = int32_t(dib.header.size());
    values[fields] = headerOffset;
    values[fields + 1] = headerSize;
    values[fields + 2] = headerOffset + headerSize;
    values[fields + 3] = int32_t(dib.bits.size());
    w.EmfValues(type, values + Items(Joined(dib), 4));
}

// Empty bounds, then the fields of the record.
std::vector<int32_t> Bounded(const std::vector<int32_t>& fields) { return std::vector<int32_t>{0, 0, 0, 0} + fields; }

// BitBlt's fields before the DIB: destination, operation, source origin,
// identity source transform, background colour, colour usage.
std::vector<int32_t> BlitFields(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t rop)
{
    const int32_t one = 0x3F800000;
    return Bounded({x, y, width, height, int32_t(rop), 0, 0, one, 0, 0, one, 0, 0, 0, 0});
}

// The `count` stored rows from `first` on, as SetDIBitsToDevice's bands
// carry them; the header keeps the whole DIB's height.
PackedDib Band(const PackedDib& dib, size_t first, size_t count)
{
    const size_t stride = dib.bits.size() / 3;
    return {dib.header, {dib.bits.begin() + first * stride, dib.bits.begin() + (first + count) * stride}};
}

// The same DIB stored top-down.
PackedDib TopDown(const PackedDib& dib)
{
    PackedDib flipped = dib;
    const size_t stride = dib.bits.size() / 3;
    for (size_t row = 0; row < 3; ++row)
        std::copy_n(dib.bits.begin() + (2 - row) * stride, stride, flipped.bits.begin() + row * stride);
    for (size_t i = 8; i < 12; ++i)
        flipped.header[i] = 0xFF;
    flipped.header[8] = uint8_t(-3);
    return flipped;
}

// The DIB with its colour table as 16-bit indexes into a logical palette
// that holds the table's colours in reverse order; also that palette, as
// the words of a Windows palette record.
PackedDib PaletteIndexed(const PackedDib& dib, std::vector<int32_t>& paletteWords)
{
    PackedDib indexed{{dib.header.begin(), dib.header.begin() + 40}, dib.bits};
    paletteWords = {0x300, 256};
    for (int i = 0; i < 256; ++i) {
        const size_t entry = 40 + 4 * size_t(255 - i);
        paletteWords.push_back(dib.header[entry + 2] | dib.header[entry + 1] << 8);
        paletteWords.push_back(dib.header[entry]);
        indexed.header.push_back(uint8_t(255 - i));
        indexed.header.push_back(0);
    }
    return indexed;
}

// An 8 x 2 one-bit DIB whose table names the default palette's red and
// blue, rows (top first) 0x0F and 0xF0.
PackedDib DefaultPaletteDib()
{
    PackedDib dib;
    for (uint32_t field : {40u, 8u, 2u, 0x00010001u, 0u, 8u, 0u, 0u, 2u, 0u})
        for (int shift = 0; shift < 32; shift += 8)
            dib.header.push_back(uint8_t(field >> shift));
    dib.header.insert(dib.header.end(), {13, 0, 16, 0});
    dib.bits = {0xF0, 0, 0, 0, 0x0F, 0, 0, 0};
    return dib;
}

// An 8 x 8 monochrome pattern: a checker with one odd pixel.
std::unique_ptr<TBitmap> MonoPattern()
{
    auto bitmap = MakeBitmap(8, 8, pf1bit);
    for (int32_t y = 0; y < 8; ++y)
        bitmap->ScanLine(y)[0] = uint8_t(y % 2 ? 0x55 : y == 0 ? 0xEA : 0xAA);
    return bitmap;
}

// An 8-bit run-length DIB of the given size whose data only ends the
// bitmap: a few bytes that may ask for any size.
PackedDib RunLengthDib(uint32_t width, uint32_t height)
{
    PackedDib dib;
    for (uint32_t field : {40u, width, height, 0x00080001u, 1u, 2u, 0u, 0u, 2u, 0u})
        for (int shift = 0; shift < 32; shift += 8)
            dib.header.push_back(uint8_t(field >> shift));
    dib.header.insert(dib.header.end(), {0, 0, 255, 0, 0, 255, 0, 0});
    dib.bits = {0, 1};
    return dib;
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

struct BitmapCase {
    const char* name;
    bool enhanced;
    std::function<void(MetafileWriter&)> records;
    std::function<void(TCanvas&)> direct;
};

// A blue brush, so pattern operations show.
void BlueBrush(MetafileWriter& w, bool enhanced)
{
    if (enhanced) {
        w.Emf(39, {1, 0, 0xFF0000, 0});
        w.Emf(37, {1});
    } else {
        w.Wmf(0x02FC, {0, 0x0000, 0x00FF, 0});
        w.Wmf(0x012D, {0});
    }
}

TEST(MetafilePlayer, BitmapRecordsDrawAsTheSameBlitsOnTheCanvas)
{
    const auto rgb = Source(pf24bit);
    const auto indexed = Source(pf8bit);
    const PackedDib rgbDib = Pack(*rgb), indexedDib = Pack(*indexed);
    const PackedDib topDownDib = TopDown(rgbDib);
    TCanvas* src = rgb->Canvas();
    const auto pattern = Pattern();
    const PackedDib patternDib = Pack(*pattern);
    const auto patternRectangle = [&](TCanvas& c) {
        c.Brush()->SetBitmap(pattern.get());
        c.Rectangle(3, 2, 33, 25);
    };
    std::vector<int32_t> paletteWords;
    const PackedDib paletteIndexedDib = PaletteIndexed(Pack(*indexed), paletteWords);
    const auto monoPattern = MonoPattern();
    const auto monoRectangle = [&](TColor text, TColor background) {
        return [&, text, background](TCanvas& c) {
            c.Brush()->SetBitmap(monoPattern.get());
            c.SetTextColor(text);
            c.SetBackgroundColor(background);
            c.Rectangle(3, 2, 33, 25);
        };
    };
    // 13 x 10, each pixel its own colour.
    const auto largePattern = MakeBitmap(13, 10);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 13; ++x)
            largePattern->Canvas()->SetPixel(x, y, TColor(0x102030 + x * 0x11 + y * 0x1100));
    const BitmapCase cases[] = {
        {"Windows DIB blit", false,
         [&](MetafileWriter& w) {
             WmfBitmap(w, 0x0940, Rop(SRCCOPY) + std::vector<int32_t>{0, 0, 3, 4, 5, 6}, Joined(rgbDib));
         },
         [&](TCanvas& c) { c.BitBlt(6, 5, 4, 3, src, 0, 0, SRCCOPY); }},
        {"Windows DIB stretch, inverting", false,
         [&](MetafileWriter& w) {
             WmfBitmap(w, 0x0B41, Rop(SRCINVERT) + std::vector<int32_t>{2, 3, 1, 1, 12, 16, 2, 3}, Joined(rgbDib));
         },
         [&](TCanvas& c) { c.StretchBlt(3, 2, 16, 12, src, 1, 1, 3, 2, SRCINVERT); }},
        {"Windows stretched palette DIB, mirrored", false,
         [&](MetafileWriter& w) {
             WmfBitmap(w, 0x0F43, Rop(SRCCOPY) + std::vector<int32_t>{0, 2, 2, 0, 1, 9, -20, 1, 30},
                       Joined(indexedDib));
         },
         [&](TCanvas& c) { // Source rows count from the bottom of the bottom-up DIB.
             c.StretchBlt(30, 1, -20, 9, indexed->Canvas(), 1, 1, 2, 2, SRCCOPY);
         }},
        {"Windows DIB to device", false,
         [&](MetafileWriter& w) {
             WmfBitmap(w, 0x0D33, {0, 3, 0, 0, 0, 3, 4, 7, 8}, Joined(rgbDib));
         },
         [&](TCanvas& c) { c.BitBlt(8, 7, 4, 3, src, 0, 0, SRCCOPY); }},
        {"Windows DIB to device in bands", false,
         [&](MetafileWriter& w) {
             WmfBitmap(w, 0x0D33, {0, 2, 1, 0, 0, 3, 4, 7, 8}, Joined(Band(rgbDib, 1, 2)));
             WmfBitmap(w, 0x0D33, {0, 1, 0, 0, 0, 3, 4, 7, 20}, Joined(Band(rgbDib, 0, 1)));
         },
         [&](TCanvas& c) {
             c.BitBlt(8, 7, 4, 2, src, 0, 0, SRCCOPY);
             c.BitBlt(20, 9, 4, 1, src, 0, 2, SRCCOPY);
         }},
        {"Windows pattern blit without a DIB", false,
         [](MetafileWriter& w) {
             BlueBrush(w, false);
             w.WmfWords(0x0940, Rop(PATCOPY) + std::vector<int32_t>{0, 0, 0, 10, 20, 4, 5});
         },
         [](TCanvas& c) {
             c.Brush()->SetColor(clBlue);
             c.PatBlt(5, 4, 20, 10, PATCOPY);
         }},
        {"Windows DIB blit in a scaled window", false,
         [&](MetafileWriter& w) {
             w.Wmf(0x020C, {15, 20});
             WmfBitmap(w, 0x0940, Rop(SRCCOPY) + std::vector<int32_t>{0, 0, 3, 4, 2, 1}, Joined(rgbDib));
         },
         [&](TCanvas& c) { c.StretchBlt(2, 4, 8, 6, src, 0, 0, 4, 3, SRCCOPY); }},
        {"Windows DIB pattern brush", false,
         [&](MetafileWriter& w) {
             WmfBitmap(w, 0x0142, {5, 0}, Joined(patternDib));
             w.Wmf(0x012D, {0});
             w.Wmf(0x041B, {25, 33, 2, 3});
         },
         patternRectangle},
        {"Windows BS_PATTERN DIB brush, coloured as a device bitmap", false,
         [&](MetafileWriter& w) {
             // Its colour usage (palette indexes) is ignored.
             WmfBitmap(w, 0x0142, {3, 1}, Joined(Pack(*monoPattern)));
             w.Wmf(0x0209, {0x00FF, 0});
             w.Wmf(0x0201, {0, 0x80});
             w.Wmf(0x012D, {0});
             w.Wmf(0x041B, {25, 33, 2, 3});
         },
         monoRectangle(clRed, clNavy)},
        {"enhanced DIB pattern brush wider and taller than 8 pixels", true,
         [&](MetafileWriter& w) {
             EmfBitmap(w, 94, {3, 0}, {}, Pack(*largePattern));
             w.Emf(37, {3});
             w.Emf(43, {3, 2, 33, 25});
         },
         [&](TCanvas& c) {
             c.Brush()->SetBitmap(largePattern.get());
             c.Brush()->SetWholeBitmap(true);
             c.Rectangle(3, 2, 33, 25);
         }},
        {"enhanced DIB pattern brush", true,
         [&](MetafileWriter& w) {
             EmfBitmap(w, 94, {3, 0}, {}, patternDib);
             w.Emf(37, {3});
             w.Emf(43, {3, 2, 33, 25});
         },
         patternRectangle},
        {"Windows stretch of a DIB indexing the selected palette", false,
         [&](MetafileWriter& w) {
             w.WmfWords(0x00F7, paletteWords);
             w.Wmf(0x0234, {0});
             WmfBitmap(w, 0x0F43, Rop(SRCCOPY) + std::vector<int32_t>{1, 3, 4, 0, 0, 9, 20, 1, 1},
                       Joined(paletteIndexedDib));
         },
         [&](TCanvas& c) { c.StretchBlt(1, 1, 20, 9, indexed->Canvas(), 0, 0, 4, 3, SRCCOPY); }},
        {"enhanced one-bit DIB indexing the default palette", true,
         [&](MetafileWriter& w) {
             EmfBitmap(w, 80, Bounded({9, 2, 0, 0, 8, 2}), {1, 0, 2}, DefaultPaletteDib());
         },
         [&](TCanvas& c) {
             c.Brush()->SetColor(clRed);
             c.FillRect(Rect(9, 2, 13, 3));
             c.FillRect(Rect(13, 3, 17, 4));
             c.Brush()->SetColor(clBlue);
             c.FillRect(Rect(13, 2, 17, 3));
             c.FillRect(Rect(9, 3, 13, 4));
         }},
        {"Windows monochrome pattern brush", false,
         [&](MetafileWriter& w) {
             std::vector<int32_t> words{0, 8, 8, 2, 0x0101, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
             for (int32_t y = 0; y < 8; ++y)
                 words.push_back(monoPattern->ScanLine(y)[0]);
             w.WmfWords(0x01F9, words);
             w.Wmf(0x0209, {0x00FF, 0});
             w.Wmf(0x0201, {0, 0x80});
             w.Wmf(0x012D, {0});
             w.Wmf(0x041B, {25, 33, 2, 3});
         },
         monoRectangle(clRed, clNavy)},
        {"enhanced monochrome brush", true,
         [&](MetafileWriter& w) {
             PackedDib mono{Joined(DefaultPaletteDib()), {}};
             mono.header.resize(40);
             mono.header[8] = 8; // 8 x 8, no colour table
             for (int32_t y = 7; y >= 0; --y)
                 mono.bits.insert(mono.bits.end(), {monoPattern->ScanLine(y)[0], 0, 0, 0});
             EmfBitmap(w, 93, {2, 2}, {}, mono);
             w.Emf(37, {2});
             w.Emf(24, {0xFF00});
             w.Emf(25, {0xFF0000});
             w.Emf(43, {3, 2, 33, 25});
         },
         monoRectangle(clLime, clBlue)},
        {"enhanced blit", true,
         [&](MetafileWriter& w) { EmfBitmap(w, 76, BlitFields(6, 5, 4, 3, SRCCOPY), {}, rgbDib); },
         [&](TCanvas& c) { c.BitBlt(6, 5, 4, 3, src, 0, 0, SRCCOPY); }},
        {"enhanced stretch, painting", true,
         [&](MetafileWriter& w) {
             w.Emf(43, {0, 0, 20, 20});
             EmfBitmap(w, 77, BlitFields(2, 3, 24, 15, SRCPAINT), {4, 3}, rgbDib);
         },
         [&](TCanvas& c) {
             c.Rectangle(0, 0, 20, 20);
             c.StretchBlt(2, 3, 24, 15, src, 0, 0, 4, 3, SRCPAINT);
         }},
        {"enhanced stretched palette DIB, flipped", true,
         [&](MetafileWriter& w) {
             EmfBitmap(w, 81, Bounded({3, 25, 2, 1, 2, 2}), {0, int32_t(SRCCOPY), 12, -18}, indexedDib);
         },
         [&](TCanvas& c) { c.StretchBlt(3, 25, 12, -18, indexed->Canvas(), 2, 0, 2, 2, SRCCOPY); }},
        {"enhanced DIB to device", true,
         [&](MetafileWriter& w) {
             EmfBitmap(w, 80, Bounded({9, 2, 0, 0, 4, 3}), {0, 0, 3}, rgbDib);
         },
         [&](TCanvas& c) { c.BitBlt(9, 2, 4, 3, src, 0, 0, SRCCOPY); }},
        {"enhanced DIB to device in bands, top-down and cut by the source", true,
         [&](MetafileWriter& w) {
             EmfBitmap(w, 80, Bounded({9, 2, 0, 0, 4, 3}), {0, 1, 2}, Band(rgbDib, 1, 2));
             EmfBitmap(w, 80, Bounded({20, 2, 0, 1, 4, 2}), {0, 0, 2}, Band(topDownDib, 0, 2));
         },
         [&](TCanvas& c) {
             c.BitBlt(9, 2, 4, 2, src, 0, 0, SRCCOPY);
             c.BitBlt(20, 2, 4, 1, src, 0, 1, SRCCOPY);
         }},
        {"enhanced pattern blit without a DIB", true,
         [](MetafileWriter& w) {
             BlueBrush(w, true);
             EmfBitmap(w, 76, BlitFields(5, 4, 20, 10, PATINVERT), {}, {});
         },
         [](TCanvas& c) {
             c.Brush()->SetColor(clBlue);
             c.PatBlt(5, 4, 20, 10, PATINVERT);
         }},
    };
    for (const BitmapCase& item : cases) {
        MetafileWriter writer;
        item.records(writer);
        auto played = Played(item.enhanced ? writer.EnhancedFile(targetWidth, targetHeight)
                                           : writer.WindowsFile(true, targetWidth, targetHeight));
        auto direct = MakeBitmap(targetWidth, targetHeight);
        item.direct(*direct->Canvas());
        ExpectSamePixels(*played, *direct, item.name);
    }
}

// Under a world transform that turns by a quarter, each source pixel lands
// on its turned place; a second, inverting blit there takes it all back.
TEST(MetafilePlayer, TurnedBitmapsLandOnTheTurnedPixels)
{
    const auto rgb = Source(pf24bit);
    const PackedDib dib = Pack(*rgb);
    const auto turnedBlit = [&](MetafileWriter& w, uint32_t rop) {
        const int32_t one = 0x3F800000, minusOne = int32_t(0xBF800000);
        w.Emf(35, {0, one, minusOne, 0, 0x41200000 /* 10 */, 0x40A00000 /* 5 */});
        EmfBitmap(w, 81, Bounded({2, 1, 0, 0, 4, 3}), {0, int32_t(rop), 8, 6}, dib);
    };
    MetafileWriter writer;
    turnedBlit(writer, SRCCOPY);
    auto played = Played(writer.EnhancedFile(targetWidth, targetHeight));
    // x' = 10 - y, y' = x + 5: the 8 x 6 destination at (2, 1) covers
    // columns 3..8 and rows 7..14, source column = (row - 7) / 2 and
    // source row = (8 - column) / 2.
    int32_t coloured = 0;
    for (int32_t y = 0; y < targetHeight; ++y)
        for (int32_t x = 0; x < targetWidth; ++x) {
            const bool inside = x >= 3 && x <= 8 && y >= 7 && y <= 14;
            const uint32_t expected =
                inside ? rgb->Canvas()->Pixels((y - 7) / 2, (8 - x) / 2) : ColorToPixelRGB(clWhite);
            coloured += inside;
            EXPECT_EQ(played->Canvas()->Pixels(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(coloured, 48);
    turnedBlit(writer, SRCINVERT);
    turnedBlit(writer, SRCINVERT);
    played = Played(writer.EnhancedFile(targetWidth, targetHeight));
    EXPECT_EQ(CountInk(*played, clWhite), targetWidth * targetHeight - 48);
}

// DIBs whose header, colour table or rows run past their record draw
// nothing, nor make a pattern brush, and leave the records after them
// playing.
TEST(MetafilePlayer, BitmapsPastTheirRecordAreDropped)
{
    const auto rgb = Source(pf24bit);
    const auto indexed = Source(pf8bit);
    const PackedDib rgbDib = Pack(*rgb);
    PackedDib shortRows = rgbDib;
    shortRows.bits.resize(shortRows.bits.size() - 4);
    PackedDib shortTable = Pack(*indexed);
    shortTable.header.resize(40 + 16);
    PackedDib huge = rgbDib;
    huge.header[6] = 0x01; // width 65540, rows far past the bits
    const PackedDib hugeRunLength = RunLengthDib(65536, 65536);
    const std::vector<uint8_t> cutWindowsDib(rgbDib.header.begin(), rgbDib.header.begin() + 30);

    MetafileWriter windows;
    WmfBitmap(windows, 0x0940, Rop(SRCCOPY) + std::vector<int32_t>{0, 0, 3, 4, 5, 6}, Joined(shortRows));
    WmfBitmap(windows, 0x0F43, Rop(SRCCOPY) + std::vector<int32_t>{0, 3, 4, 0, 0, 9, 20, 1, 1}, Joined(shortTable));
    WmfBitmap(windows, 0x0B41, Rop(SRCCOPY) + std::vector<int32_t>{3, 4, 0, 0, 9, 9, 0, 0}, cutWindowsDib);
    WmfBitmap(windows, 0x0D33, {0, 3, 0, 0, 0, 3, 4, 7, 8}, Joined(huge));
    WmfBitmap(windows, 0x0F43, Rop(SRCCOPY) + std::vector<int32_t>{0, 3, 4, 0, 0, 9, 20, 1, 1}, Joined(hugeRunLength));
    windows.WmfWords(0x0940, Rop(SRCCOPY));
    windows.Wmf(0x041B, {20, 30, 3, 4});

    MetafileWriter enhanced;
    EmfBitmap(enhanced, 76, BlitFields(6, 5, 4, 3, SRCCOPY), {}, shortRows);
    EmfBitmap(enhanced, 81, Bounded({3, 25, 0, 0, 4, 3}), {0, int32_t(SRCCOPY), 12, 18}, huge);
    EmfBitmap(enhanced, 81, Bounded({3, 25, 0, 0, 4, 3}), {0, int32_t(SRCCOPY), 12, 18}, hugeRunLength);
    // Header and bits stated past the record's end.
    std::vector<int32_t> pastEnd = std::vector<int32_t>{0, 0, 0, 0, 1, 1, 0, 0, 4, 3} +
        std::vector<int32_t>{200, 40, 240, 36, 0, int32_t(SRCCOPY), 4, 3};
    enhanced.EmfValues(81, pastEnd);
    pastEnd[10] = 8 + 4 * int32_t(pastEnd.size()) - 20;
    enhanced.EmfValues(81, pastEnd);
    enhanced.Emf(77, {0, 0, 0, 0, 1, 1, 4, 3});
    enhanced.Emf(94, {4, 0, 200, 40, 240, 36});
    enhanced.Emf(37, {4});
    enhanced.Emf(43, {4, 3, 30, 20});

    auto direct = MakeBitmap(targetWidth, targetHeight);
    direct->Canvas()->Rectangle(4, 3, 30, 20);
    ExpectSamePixels(*Played(windows.WindowsFile(true, targetWidth, targetHeight)), *direct, "Windows");
    ExpectSamePixels(*Played(enhanced.EnhancedFile(targetWidth, targetHeight)), *direct, "enhanced");
}

TEST(BmpCodec, PackedDibReadsAsItsFile)
{
    const auto indexed = Source(pf8bit);
    const std::vector<uint8_t> bytes = Joined(Pack(*indexed));
    TBitmap read;
    ReadPackedDib(bytes.data(), bytes.size(), read);
    ASSERT_EQ(read.Width(), 4);
    ASSERT_EQ(read.Height(), 3);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(read.Canvas()->Pixels(x, y), indexed->Canvas()->Pixels(x, y)) << x << "," << y;
    EXPECT_THROW(ReadPackedDib(bytes.data(), bytes.size() - 1, read), EInvalidGraphic);
}

// Run-length data cannot vouch for the size it covers, so the bitmap's
// pixel count is bounded before anything is allocated.
TEST(BmpCodec, RunLengthDibsAreBoundedByPixelCount)
{
    TBitmap read;
    const std::vector<uint8_t> small = Joined(RunLengthDib(300, 200));
    ReadPackedDib(small.data(), small.size(), read);
    EXPECT_EQ(read.Width(), 300);
    EXPECT_EQ(read.Height(), 200);
    for (const auto& [width, height] : {std::pair{65536u, 65536u}, std::pair{16385u, 16384u}}) {
        const std::vector<uint8_t> bytes = Joined(RunLengthDib(width, height));
        EXPECT_THROW(ReadPackedDib(bytes.data(), bytes.size(), read), EInvalidGraphic) << width << "x" << height;
        EXPECT_EQ(read.Width(), 300);
    }
}

} // namespace
