// The bitmap records of both metafile kinds: blits and stretches of packed
// DIBs carried inside the record, and pattern blits that carry none.

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/BmpCodec.h"
#include "platform/gfx/Graphic.h"
#include "platform/gfx/MetafileBytes.h"
#include "platform/gfx/MetafilePlayer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

enum : uint16_t {
    wmfSetDibToDev = 0x0D33,
    wmfDibBitBlt = 0x0940,
    wmfDibStretchBlt = 0x0B41,
    wmfStretchDib = 0x0F43,
};

enum : uint32_t {
    emrBitBlt = 76,
    emrStretchBlt = 77,
    emrSetDiBitsToDevice = 80,
    emrStretchDiBits = 81,
    emrCreateMonoBrush = 93,
    emrCreateDibPatternBrushPt = 94,
};

// A Windows blit record without a DIB is one word longer than its
// parameters and holds a reserved word before the extents.
bool WithoutDib(uint16_t function, const TMetafileBytes& p) { return p.Size() == size_t(function >> 8) * 2; }

// Core headers are always bottom-up; info headers are unless their height
// is negative. Only called on a DIB that decoded.
bool BottomUp(const uint8_t* dib, size_t size)
{
    TMetafileBytes header(dib, size);
    return header.U32(0) == 12 || header.I32(8) > 0;
}

// The DIB's header and bits from the offset and size pairs at `fields`;
// false when either lies outside the record.
bool JoinedDib(TMetafileBytes& r, size_t fields, std::vector<uint8_t>& dib)
{
    const uint32_t headerOffset = r.U32(fields), headerSize = r.U32(fields + 4);
    const uint32_t bitsOffset = r.U32(fields + 8), bitsSize = r.U32(fields + 12);
    if (r.Failed() || !r.Fits(headerOffset, headerSize, 1) || !r.Fits(bitsOffset, bitsSize, 1))
        return false;
    dib.assign(r.At(headerOffset), r.At(headerOffset) + headerSize);
    dib.insert(dib.end(), r.At(bitsOffset), r.At(bitsOffset) + bitsSize);
    return true;
}

// The DIB header's height field: 16 bits in a core header, 32 otherwise.
void SetHeaderHeight(std::vector<uint8_t>& dib, bool core, int32_t height)
{
    const size_t at = core ? 6 : 8, bytes = core ? 2 : 4;
    for (size_t i = 0; i < bytes; ++i)
        dib[at + i] = uint8_t(uint32_t(height) >> (8 * i));
}

// The system palette's static colours, which palette indexes name when no
// logical palette is selected.
constexpr TColor defaultPalette[] = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0, 0xC0DCC0, 0xF0CAA6,
    0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

// The canvas colours a one-bit bitmap with the text and background colours,
// as GDI does a monochrome device bitmap; a DIB keeps its table's colours.
void KeepTableColours(TBitmap& bitmap)
{
    if (bitmap.PixelFormat() == pf1bit)
        bitmap.SetPixelFormat(pf24bit);
}

void AppendRgb(std::vector<uint8_t>& table, TColor color, bool core)
{
    table.insert(table.end(), {uint8_t(color >> 16), uint8_t(color >> 8), uint8_t(color)});
    if (!core)
        table.push_back(0);
}

} // namespace

std::vector<uint8_t> TMetafilePlayer::RgbDib(const uint8_t* dib, size_t size, uint32_t usage) const
{
    TMetafileBytes header(dib, size);
    const uint32_t headerSize = header.U32(0);
    const bool core = headerSize == 12;
    const uint16_t bitCount = core ? header.U16(10) : header.U16(14);
    const uint32_t used = core ? 0 : header.U32(32);
    constexpr uint32_t biBitFields = 3;
    const bool masks = !core && headerSize == 40 && header.U32(16) == biBitFields;
    if ((usage != dibPalColors && usage != dibPalMono) || header.Failed() || bitCount > 8 || used > 256u)
        return {dib, dib + size};
    const uint32_t colours = used ? used : 1u << bitCount;
    const size_t tableStart = size_t(headerSize) + (masks ? 12 : 0);
    // Palette indexes are 16 bits each; a monochrome DIB carries no table.
    const size_t tableBytes = usage == dibPalColors ? 2 * size_t(colours) : 0;
    if (!header.Fits(tableStart, tableBytes, 1))
        return {};
    std::vector<uint8_t> rgb(dib, dib + tableStart);
    for (uint32_t i = 0; i < colours; ++i) {
        if (usage == dibPalMono) {
            AppendRgb(rgb, i ? clWhite : clBlack, core);
            continue;
        }
        const uint16_t index = header.U16(tableStart + 2 * size_t(i));
        const bool selected = !FState.Palette.empty();
        const size_t count = selected ? FState.Palette.size() : std::size(defaultPalette);
        AppendRgb(rgb, index >= count ? clBlack : selected ? FState.Palette[index] : defaultPalette[index], core);
    }
    rgb.insert(rgb.end(), dib + tableStart + tableBytes, dib + size);
    return rgb;
}

bool TMetafilePlayer::BandBlit(std::vector<uint8_t>& dib, TBlit& blit)
{
    TMetafileBytes header(dib.data(), dib.size());
    const bool core = header.U32(0) == 12;
    const int32_t height = core ? header.U16(6) : header.I32(8);
    if (header.Failed())
        return false;
    const bool bottomUp = height > 0;
    const int64_t start = blit.StartScan;
    if (height == INT32_MIN || start >= std::abs(int64_t(height)))
        return false;
    const int64_t scans = std::min<int64_t>(blit.ScanCount, std::abs(int64_t(height)) - start);
    // Source rows in the order the DIB stores them, clipped to the band.
    const int64_t first = std::max<int64_t>(blit.SourceY, start);
    const int64_t last = std::min<int64_t>(int64_t(blit.SourceY) + blit.SourceHeight, start + scans);
    if (scans <= 0 || first >= last)
        return false;
    SetHeaderHeight(dib, core, int32_t(bottomUp ? scans : -scans));
    // Destination rows run top-down: a bottom-up band's last row is drawn
    // first.
    const int64_t skipped = bottomUp ? int64_t(blit.SourceY) + blit.SourceHeight - last : first - blit.SourceY;
    blit.Y += double(skipped);
    blit.Height = double(last - first);
    blit.SourceHeight = int32_t(last - first);
    blit.SourceY = int32_t(bottomUp ? start + scans - last : first - start);
    blit.RowsFromBottom = false;
    return true;
}

bool TMetafilePlayer::DrawDib(const uint8_t* dib, size_t size, const TBlit& blit)
{
    if (dib == nullptr) {
        const TPoint from = Map(blit.X, blit.Y);
        const TPoint to = Map(blit.X + blit.Width, blit.Y + blit.Height);
        FCanvas.StretchBlt(from.X, from.Y, to.X - from.X, to.Y - from.Y, nullptr, 0, 0, 0, 0, blit.Rop);
        return true;
    }
    std::vector<uint8_t> bytes = RgbDib(dib, size, blit.Usage);
    TBlit drawn = blit;
    if (blit.ScanCount >= 0 && !BandBlit(bytes, drawn))
        return true;
    TBitmap bitmap;
    try {
        ReadPackedDib(bytes.data(), bytes.size(), bitmap);
    } catch (const EInvalidGraphic&) {
        return false;
    }
    KeepTableColours(bitmap);
    const int32_t sourceY = drawn.RowsFromBottom && BottomUp(bytes.data(), bytes.size())
        ? bitmap.Height() - drawn.SourceY - drawn.SourceHeight
        : drawn.SourceY;
    if (Rotated()) {
        DrawTransformedDib(bitmap, drawn, sourceY);
        return true;
    }
    const TPoint from = Map(drawn.X, drawn.Y);
    const TPoint to = Map(drawn.X + drawn.Width, drawn.Y + drawn.Height);
    FCanvas.StretchBlt(from.X, from.Y, to.X - from.X, to.Y - from.Y, bitmap.Canvas(), drawn.SourceX, sourceY,
                       drawn.SourceWidth, drawn.SourceHeight, drawn.Rop);
    return true;
}

// Each canvas pixel whose centre falls inside the mapped parallelogram
// takes the source pixel at the same place in the source rectangle; the
// pixels of a row go to the canvas as one run through the blit's raster
// operation, so clipping and the pattern apply as for upright blits.
void TMetafilePlayer::DrawTransformedDib(TBitmap& bitmap, const TBlit& blit, int32_t sourceY)
{
    const TPoint64 origin = MapExact(blit.X, blit.Y);
    const TPoint64 across = MapExact(blit.X + blit.Width, blit.Y);
    const TPoint64 down = MapExact(blit.X, blit.Y + blit.Height);
    const double ux = across.X - origin.X, uy = across.Y - origin.Y;
    const double vx = down.X - origin.X, vy = down.Y - origin.Y;
    const double determinant = ux * vy - uy * vx;
    if (std::abs(determinant) < 1e-9)
        return;
    const TRect clip = FCanvas.ClipRect();
    const auto [minX, maxX] = std::minmax({origin.X, across.X, down.X, across.X + vx});
    const auto [minY, maxY] = std::minmax({origin.Y, across.Y, down.Y, across.Y + vy});
    const int32_t left = std::max<int32_t>(clip.Left, ToDevice(std::floor(minX)));
    const int32_t right = std::min<int32_t>(clip.Right, ToDevice(std::ceil(maxX)));
    const int32_t top = std::max<int32_t>(clip.Top, ToDevice(std::floor(minY)));
    const int32_t bottom = std::min<int32_t>(clip.Bottom, ToDevice(std::ceil(maxY)));
    if (left >= right)
        return;
    bitmap.SetPixelFormat(pf24bit);
    TBitmap run(right - left, 1, pf24bit);
    for (int32_t y = top; y < bottom; ++y) {
        int32_t runStart = -1, runLength = 0;
        const auto flush = [&] {
            if (runLength > 0)
                FCanvas.StretchBlt(runStart, y, runLength, 1, run.Canvas(), 0, 0, runLength, 1, blit.Rop);
            runLength = 0;
        };
        for (int32_t x = left; x < right; ++x) {
            const double dx = x + 0.5 - origin.X, dy = y + 0.5 - origin.Y;
            const double u = (dx * vy - dy * vx) / determinant, v = (ux * dy - uy * dx) / determinant;
            // Written so that a NaN counts as outside.
            const bool inside = u >= 0 && u < 1 && v >= 0 && v < 1;
            const int64_t sx = inside ? blit.SourceX + int64_t(std::floor(u * blit.SourceWidth)) : -1;
            const int64_t sy = inside ? sourceY + int64_t(std::floor(v * blit.SourceHeight)) : -1;
            if (sx < 0 || sx >= bitmap.Width() || sy < 0 || sy >= bitmap.Height()) {
                flush();
                continue;
            }
            if (runLength == 0)
                runStart = x;
            std::copy_n(bitmap.ScanLine(int32_t(sy)) + 3 * sx, 3, run.ScanLine(0) + 3 * runLength);
            ++runLength;
        }
        flush();
    }
}

void TMetafilePlayer::CreatePatternBrush(const uint8_t* dib, size_t size, uint32_t usage, int64_t index,
                                         bool monochrome)
{
    TObject object;
    object.Kind = TObjectKind::Brush;
    object.Brush = {bsSolid, clBlack, std::make_shared<TBitmap>()};
    const std::vector<uint8_t> bytes = RgbDib(dib, size, usage);
    try {
        ReadPackedDib(bytes.data(), bytes.size(), *object.Brush.Pattern);
        if (!monochrome)
            KeepTableColours(*object.Brush.Pattern);
    } catch (const EInvalidGraphic&) {
        object.Brush.Pattern.reset();
    }
    CreateObject(object, index);
}

void TMetafilePlayer::CreateBitmapPatternBrush(TMetafileBytes& p, size_t bitsOffset, int64_t index)
{
    TObject object;
    object.Kind = TObjectKind::Other;
    const int32_t width = p.I16(2), height = p.I16(4);
    const uint16_t rowBytes = p.U16(6);
    const bool monochrome = p.U8(8) == 1 && p.U8(9) == 1;
    const size_t usedBytes = (size_t(std::max(width, 0)) + 7) / 8;
    // Only monochrome device bitmaps have a meaning away from their device.
    if (!p.Failed() && monochrome && width > 0 && height > 0 && rowBytes >= usedBytes &&
        p.Fits(bitsOffset, uint64_t(rowBytes) * uint64_t(height), 1)) {
        auto pattern = std::make_shared<TBitmap>(width, height, pf1bit);
        for (int32_t y = 0; y < height; ++y)
            std::copy_n(p.At(bitsOffset + size_t(y) * rowBytes), usedBytes, pattern->ScanLine(y));
        object.Kind = TObjectKind::Brush;
        object.Brush = {bsSolid, clBlack, pattern};
    }
    CreateObject(object, index);
}

// Parameters come last first; the DIB, if any, follows them to the record's
// end.
bool TMetafilePlayer::PlayWindowsBitmap(uint16_t function, TMetafileBytes& p)
{
    TBlit blit;
    size_t dibOffset = 0;
    switch (function) {
    case wmfDibBitBlt: {
        const size_t skip = WithoutDib(function, p) ? 2 : 0;
        blit.Rop = p.U32(0);
        blit.SourceY = p.I16(4);
        blit.SourceX = p.I16(6);
        blit.Height = blit.SourceHeight = p.I16(8 + skip);
        blit.Width = blit.SourceWidth = p.I16(10 + skip);
        blit.Y = p.I16(12 + skip);
        blit.X = p.I16(14 + skip);
        dibOffset = 16 + skip;
        break;
    }
    case wmfDibStretchBlt: {
        const size_t skip = WithoutDib(function, p) ? 2 : 0;
        blit.Rop = p.U32(0);
        blit.SourceHeight = p.I16(4);
        blit.SourceWidth = p.I16(6);
        blit.SourceY = p.I16(8);
        blit.SourceX = p.I16(10);
        blit.Height = p.I16(12 + skip);
        blit.Width = p.I16(14 + skip);
        blit.Y = p.I16(16 + skip);
        blit.X = p.I16(18 + skip);
        dibOffset = 20 + skip;
        break;
    }
    case wmfStretchDib:
        blit.RowsFromBottom = true;
        blit.Rop = p.U32(0);
        blit.Usage = p.U16(4);
        blit.SourceHeight = p.I16(6);
        blit.SourceWidth = p.I16(8);
        blit.SourceY = p.I16(10);
        blit.SourceX = p.I16(12);
        blit.Height = p.I16(14);
        blit.Width = p.I16(16);
        blit.Y = p.I16(18);
        blit.X = p.I16(20);
        dibOffset = 22;
        break;
    case wmfSetDibToDev:
        blit.RowsFromBottom = true;
        blit.Usage = p.U16(0);
        blit.ScanCount = p.U16(2);
        blit.StartScan = p.U16(4);
        blit.SourceY = p.I16(6);
        blit.SourceX = p.I16(8);
        blit.Height = blit.SourceHeight = p.I16(10);
        blit.Width = blit.SourceWidth = p.I16(12);
        blit.Y = p.I16(14);
        blit.X = p.I16(16);
        dibOffset = 18;
        break;
    default: return true;
    }
    if (p.Failed())
        return false;
    const bool hasDib = dibOffset < p.Size();
    return DrawDib(hasDib ? p.At(dibOffset) : nullptr, hasDib ? p.Size() - dibOffset : 0, blit);
}

// The DIB's header and its bits lie at stated offsets in the record; both
// must lie within it. A blit or stretch with no header is a pattern blit.
bool TMetafilePlayer::PlayEnhancedBitmap(uint32_t type, TMetafileBytes& r)
{
    TBlit blit;
    size_t dibFields = 0;
    switch (type) {
    case emrBitBlt:
    case emrStretchBlt:
        blit.X = r.I32(24);
        blit.Y = r.I32(28);
        blit.Width = r.I32(32);
        blit.Height = r.I32(36);
        blit.Rop = r.U32(40);
        blit.SourceX = r.I32(44);
        blit.SourceY = r.I32(48);
        blit.SourceWidth = type == emrStretchBlt ? r.I32(100) : r.I32(32);
        blit.SourceHeight = type == emrStretchBlt ? r.I32(104) : r.I32(36);
        blit.Usage = r.U32(80);
        dibFields = 84;
        break;
    case emrStretchDiBits:
    case emrSetDiBitsToDevice:
        blit.X = r.I32(24);
        blit.Y = r.I32(28);
        blit.SourceX = r.I32(32);
        blit.SourceY = r.I32(36);
        blit.SourceWidth = r.I32(40);
        blit.SourceHeight = r.I32(44);
        blit.Rop = type == emrStretchDiBits ? r.U32(68) : SRCCOPY;
        blit.RowsFromBottom = true;
        blit.Usage = r.U32(64);
        blit.Width = type == emrStretchDiBits ? r.I32(72) : blit.SourceWidth;
        blit.Height = type == emrStretchDiBits ? r.I32(76) : blit.SourceHeight;
        if (type == emrSetDiBitsToDevice) {
            blit.StartScan = int32_t(std::min<uint32_t>(r.U32(68), INT32_MAX));
            blit.ScanCount = int32_t(std::min<uint32_t>(r.U32(72), INT32_MAX));
        }
        dibFields = 48;
        break;
    case emrCreateMonoBrush:
    case emrCreateDibPatternBrushPt: {
        std::vector<uint8_t> dib;
        if (!JoinedDib(r, 16, dib))
            return false;
        CreatePatternBrush(dib.data(), dib.size(), r.U32(12), r.U32(8), type == emrCreateMonoBrush);
        return true;
    }
    default: return true;
    }
    std::vector<uint8_t> dib;
    if (!JoinedDib(r, dibFields, dib))
        return false;
    if (r.U32(dibFields + 4) == 0)
        return DrawDib(nullptr, 0, blit);
    return DrawDib(dib.data(), dib.size(), blit);
}
