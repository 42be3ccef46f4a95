#include "platform/gfx/Icon.h"

#include "platform/core/Streams.h"
#include "platform/gfx/BmpCodec.h"
#include "platform/gfx/Canvas.h"

#include <cstring>
#include <vector>

namespace {

[[noreturn]] void Invalid() { throw EInvalidGraphic("Icon image is not valid"); }

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
void Put(std::vector<uint8_t>& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct TIconEntry {
    int32_t Width = 0;
    int32_t Height = 0;
    int BitCount = 0;
    uint32_t Size = 0;
    uint32_t Offset = 0;
};

TIconEntry BestEntry(const std::vector<TIconEntry>& entries)
{
    TIconEntry best = entries.front();
    for (const TIconEntry& e : entries) {
        const int64_t area = int64_t{e.Width} * e.Height, bestArea = int64_t{best.Width} * best.Height;
        if (area > bestArea || (area == bestArea && e.BitCount > best.BitCount))
            best = e;
    }
    return best;
}

// The colour part of an icon image as a bitmap: the image's header with
// the height halved, behind a bitmap file header.
void DecodeColourPart(const std::vector<uint8_t>& data, uint32_t headerSize, uint32_t paletteBytes, TBitmap& out)
{
    std::vector<uint8_t> file{'B', 'M'};
    Put(file, static_cast<uint32_t>(14 + data.size()), 4);
    Put(file, 0, 4);
    Put(file, 14 + headerSize + paletteBytes, 4);
    file.insert(file.end(), data.begin(), data.end());
    const uint32_t halfHeight = Get32(&data[8]) / 2;
    std::memcpy(&file[14 + 8], &halfHeight, 4);
    TMemoryStream stream;
    stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream.SetPosition(0);
    ReadBmp(stream, out);
}

// The bytes of the file's largest, deepest image.
std::vector<uint8_t> ReadBestImage(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t dir[6];
    if (stream.Read(dir, 6) != 6 || Get16(dir) != 0 || Get16(dir + 2) != 1 || Get16(dir + 4) == 0)
        Invalid();
    std::vector<TIconEntry> entries;
    for (int i = 0; i < Get16(dir + 4); ++i) {
        uint8_t e[16];
        if (stream.Read(e, 16) != 16)
            Invalid();
        entries.push_back({e[0] ? e[0] : 256, e[1] ? e[1] : 256, Get16(e + 6), Get32(e + 8), Get32(e + 12)});
    }
    const TIconEntry entry = BestEntry(entries);
    if (entry.Size < 40 || entry.Size > (64u << 20))
        Invalid();
    std::vector<uint8_t> data(entry.Size);
    stream.SetPosition(start + entry.Offset);
    if (stream.Read(data.data(), entry.Size) != entry.Size)
        Invalid();
    return data;
}

bool HasAlpha(const TBitmap& colour)
{
    if (colour.BitCount() != 32)
        return false;
    for (int32_t y = 0; y < colour.Height(); ++y)
        for (int32_t x = 0; x < colour.Width(); ++x)
            if ((ReadRaw(colour.ScanLine(y), x, 32) >> 24) != 0)
                return true;
    return false;
}

// The premultiplied 32-bit image: the colour part's own alpha when it has
// any, else opaque except where the AND mask after it is set.
void ComposeImage(const TBitmap& colour, const std::vector<uint8_t>& data, size_t maskOffset, TBitmap& image)
{
    const int32_t width = colour.Width(), height = colour.Height();
    const auto maskStride = static_cast<int32_t>(RowStride(width, 1));
    const bool hasMask = maskOffset + static_cast<size_t>(maskStride) * height <= data.size();
    const bool ownAlpha = HasAlpha(colour);
    const int bpp = colour.BitCount();
    image.SetPixelFormat(pf32bit);
    image.SetSize(width, height);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* maskRow =
            hasMask ? &data[maskOffset + static_cast<size_t>(height - 1 - y) * maskStride] : nullptr;
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t raw = ReadRaw(colour.ScanLine(y), x, bpp);
            uint32_t alpha = 255;
            if (ownAlpha)
                alpha = raw >> 24;
            else if (maskRow && ((maskRow[x >> 3] >> (7 - (x & 7))) & 1))
                alpha = 0;
            const TColor c = RawToRgb(raw, bpp, &colour.Palette());
            const uint32_t r = GetRValue(c) * alpha / 255, g = GetGValue(c) * alpha / 255,
                           b = GetBValue(c) * alpha / 255;
            WriteRaw(image.ScanLine(y), x, 32, (alpha << 24) | (r << 16) | (g << 8) | b);
        }
    }
}

} // namespace

TIcon::TIcon() = default;
TIcon::~TIcon() = default;

void TIcon::SetWidth(int32_t) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::SetHeight(int32_t) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::SetSize(int32_t width, int32_t height)
{
    TBitmap image(width, height, pf32bit);
    for (int32_t y = 0; y < height; ++y)
        std::memset(image.ScanLine(y), 0, static_cast<size_t>(image.RowBytes()));
    FImage.Assign(&image);
    Changed();
}

void TIcon::Draw(TCanvas& canvas, const TRect& rect)
{
    if (Empty())
        return;
    canvas.AlphaBlend(rect.Left, rect.Top, rect.Width(), rect.Height(), FImage.Canvas(), 0, 0, Width(), Height(),
                      TBlendFunction{255, true});
}

void TIcon::LoadFromStream(TStream& stream)
{
    const std::vector<uint8_t> data = ReadBestImage(stream);
    const uint32_t headerSize = Get32(&data[0]);
    if (headerSize < 40 || headerSize >= data.size())
        Invalid();
    const int bitCount = Get16(&data[14]);
    const uint32_t colorsUsed = Get32(&data[32]);
    const uint32_t paletteBytes = bitCount <= 8 ? (colorsUsed ? colorsUsed : (1u << bitCount)) * 4 : 0;
    TBitmap colour;
    try {
        DecodeColourPart(data, headerSize, paletteBytes, colour);
    } catch (const EInvalidGraphic&) {
        Invalid();
    }
    const size_t maskOffset =
        headerSize + paletteBytes + static_cast<size_t>(RowStride(colour.Width(), bitCount)) * colour.Height();
    TBitmap image;
    ComposeImage(colour, data, maskOffset, image);
    FImage.Assign(&image);
    Changed();
}

void TIcon::SaveToStream(TStream& stream) const
{
    if (Empty())
        throw EInvalidGraphicOperation("Cannot save an empty icon");
    const int32_t w = Width(), h = Height();
    const auto maskStride = static_cast<int32_t>(RowStride(w, 1));
    const uint32_t imageBytes = static_cast<uint32_t>(40 + w * 4 * h + maskStride * h);
    std::vector<uint8_t> out;
    Put(out, 0, 2);
    Put(out, 1, 2);
    Put(out, 1, 2);
    out.push_back(w >= 256 ? 0 : static_cast<uint8_t>(w));
    out.push_back(h >= 256 ? 0 : static_cast<uint8_t>(h));
    Put(out, 0, 2);
    Put(out, 1, 2);
    Put(out, 32, 2);
    Put(out, imageBytes, 4);
    Put(out, 22, 4);
    for (uint32_t v : {40u, static_cast<uint32_t>(w), static_cast<uint32_t>(2 * h)})
        Put(out, v, 4);
    Put(out, 1, 2);
    Put(out, 32, 2);
    for (int i = 0; i < 6; ++i)
        Put(out, 0, 4);
    std::vector<uint8_t> mask;
    for (int32_t y = h - 1; y >= 0; --y) {
        const uint8_t* row = FImage.ScanLine(y);
        std::vector<uint8_t> maskRow(static_cast<size_t>(maskStride), 0);
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t p = ReadRaw(row, x, 32), a = p >> 24;
            auto unmultiply = [a](uint32_t v) { return a ? std::min<uint32_t>(255, (v * 255 + a / 2) / a) : 0; };
            Put(out,
                (a << 24) | (unmultiply((p >> 16) & 0xFF) << 16) | (unmultiply((p >> 8) & 0xFF) << 8) |
                    unmultiply(p & 0xFF),
                4);
            if (a == 0)
                maskRow[static_cast<size_t>(x >> 3)] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
        mask.insert(mask.end(), maskRow.begin(), maskRow.end());
    }
    out.insert(out.end(), mask.begin(), mask.end());
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

std::unique_ptr<TGraphic> TIcon::Clone() const
{
    auto copy = std::make_unique<TIcon>();
    copy->Assign(this);
    copy->SetModified(false);
    return copy;
}

void TIcon::Assign(const TPersistent* source)
{
    if (const auto* icon = dynamic_cast<const TIcon*>(source)) {
        if (icon != this) {
            FImage.Assign(&icon->FImage);
            Changed();
        }
        return;
    }
    TPersistent::Assign(source);
}
