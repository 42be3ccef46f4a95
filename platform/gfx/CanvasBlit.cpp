#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/CanvasState.h"
#include "platform/gfx/Shapes.h"

#include <cstring>
#include <memory>
#include <pixman.h>

namespace {

bool UsesSource(uint8_t code) { return ((code >> 2) & 0x33) != (code & 0x33); }
bool UsesPattern(uint8_t code) { return ((code >> 4) & 0x0F) != (code & 0x0F); }
uint8_t RopCode(uint32_t rop) { return static_cast<uint8_t>(rop >> 16); }

// One axis of a stretch: destination pixels [DestStart, DestStart + Count)
// map onto source pixels [SourceStart, SourceStart + SourceCount), reversed
// when Mirror is set.
struct TAxis {
    int32_t DestStart = 0;
    int32_t Count = 0;
    int32_t SourceStart = 0;
    int32_t SourceCount = 0;
    bool Mirror = false;

    static TAxis Make(int32_t dest, int32_t extent, int32_t source, int32_t sourceExtent)
    {
        TAxis a;
        a.Count = extent < 0 ? -extent : extent;
        a.DestStart = extent < 0 ? dest + extent + 1 : dest;
        a.SourceCount = sourceExtent < 0 ? -sourceExtent : sourceExtent;
        a.SourceStart = sourceExtent < 0 ? source + sourceExtent + 1 : source;
        a.Mirror = (extent < 0) != (sourceExtent < 0);
        return a;
    }
    // Source offsets [first, last) that destination offset i covers.
    void Range(int32_t i, int32_t& first, int32_t& last) const
    {
        const int64_t n = Count, s = SourceCount;
        first = static_cast<int32_t>(i * s / n);
        last = std::max(first + 1, static_cast<int32_t>((i + 1) * s / n));
        if (Mirror) {
            const int32_t f = SourceCount - last;
            last = SourceCount - first;
            first = f;
        }
    }
    // The source pixel the centre of destination offset i falls on.
    int32_t Nearest(int32_t i) const
    {
        const int32_t k =
            static_cast<int32_t>((2 * static_cast<int64_t>(i) + 1) * SourceCount / (2 * static_cast<int64_t>(Count)));
        return SourceStart + (Mirror ? SourceCount - 1 - k : k);
    }
};

// Offsets [First, Last) along an axis whose destination pixels lie in lo .. hi-1.
struct TSteps {
    int32_t First = 0;
    int32_t Last = 0;
};

TSteps VisibleSteps(const TAxis& a, int32_t lo, int32_t hi)
{
    const int64_t first = std::max<int64_t>(0, static_cast<int64_t>(lo) - a.DestStart);
    const int64_t last = std::min<int64_t>(a.Count, static_cast<int64_t>(hi) - a.DestStart);
    return {static_cast<int32_t>(first), static_cast<int32_t>(std::max(first, last))};
}

// The nearest source column of each visible destination column, -1 outside the source.
class TSourceColumns {
public:
    TSourceColumns(const TAxis& ax, int32_t sourceWidth, const TRect& visible)
    {
        const TSteps steps = VisibleSteps(ax, visible.Left, visible.Right);
        FFirstX = ax.DestStart + steps.First;
        for (int32_t i = steps.First; i < steps.Last; ++i) {
            const int32_t column = ax.Nearest(i);
            FColumns.push_back(column >= 0 && column < sourceWidth ? column : -1);
        }
    }
    // For a destination x inside the visible range.
    int32_t At(int32_t destX) const { return FColumns[static_cast<size_t>(destX - FFirstX)]; }
    // The columns from destination x on.
    const int32_t* From(int32_t destX) const { return FColumns.data() + (destX - FFirstX); }

private:
    int32_t FFirstX = 0;
    std::vector<int32_t> FColumns;
};

// Copies pixels between 24- and 32-bit rows (alpha 0 when widening).
void CopyRgbPixels(const uint8_t* source, int sourceBpp, uint8_t* dest, int destBpp, int32_t count)
{
    const int sourceStep = sourceBpp / 8, destStep = destBpp / 8;
    for (int32_t i = 0; i < count; ++i, source += sourceStep, dest += destStep) {
        dest[0] = source[0];
        dest[1] = source[1];
        dest[2] = source[2];
        if (destStep == 4)
            dest[3] = 0;
    }
}

// Turns source pixels into destination raw values under the mono/colour rules.
class TSourceReader {
public:
    TSourceReader(const TRasterSurface& source, TColor sourceBack, const TRasterSurface& dest, uint32_t destOne,
                  uint32_t destZero)
        : FSource(source), FDest(dest), FConvert(source, dest), FOne(destOne), FZero(destZero),
          FSourceBack(ColorToPixelRGB(sourceBack))
    {
        const bool rgb = (source.Bpp == 24 || source.Bpp == 32) && (dest.Bpp == 24 || dest.Bpp == 32);
        FIdentical = rgb && source.Bpp == dest.Bpp;
        FRgbOnly = rgb && !FIdentical;
    }

    bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < FSource.Width && y < FSource.Height; }
    uint32_t SourceRaw(int32_t x, int32_t y) const { return ReadRaw(FSource.Row(y), x, FSource.Bpp); }
    TColor SourceRgb(int32_t x, int32_t y) const { return RawToRgb(SourceRaw(x, y), FSource.Bpp, FSource.Palette); }

    uint32_t ToDest(uint32_t sourceRaw)
    {
        if (FIdentical)
            return sourceRaw;
        if (FRgbOnly)
            return sourceRaw & 0x00FFFFFFu;
        if (FSource.IsMono() && FDest.IsMono())
            return sourceRaw;
        if (FSource.IsMono())
            return sourceRaw ? FOne : FZero;
        if (FDest.IsMono())
            return RawToRgb(sourceRaw, FSource.Bpp, FSource.Palette) == FSourceBack ? 1u : 0u;
        return FConvert(sourceRaw);
    }

    uint32_t FromRgb(TColor rgb)
    {
        if (FDest.IsMono())
            return rgb == FSourceBack ? 1u : 0u;
        return RgbToRaw(rgb, FDest.Bpp, FDest.Palette);
    }

    const TRasterSurface& Source() const { return FSource; }

private:
    TRasterSurface FSource;
    TRasterSurface FDest;
    TRawConverter FConvert;
    uint32_t FOne, FZero;
    TColor FSourceBack;
    bool FIdentical = false;
    bool FRgbOnly = false;
};

// Channel sums of the source pixels in a box (all inside the source).
void SumBox(const TRasterSurface& s, int32_t left, int32_t top, int32_t right, int32_t bottom, uint64_t& r, uint64_t& g,
            uint64_t& b)
{
    const bool direct = s.Bpp == 24 || s.Bpp == 32;
    const int step = s.Bpp / 8;
    for (int32_t y = top; y < bottom; ++y) {
        const uint8_t* row = s.Row(y);
        for (int32_t x = left; x < right; ++x) {
            if (direct) {
                const uint8_t* p = row + static_cast<size_t>(x) * step;
                b += p[0], g += p[1], r += p[2];
                continue;
            }
            const TColor c = RawToRgb(ReadRaw(row, x, s.Bpp), s.Bpp, s.Palette);
            r += GetRValue(c), g += GetGValue(c), b += GetBValue(c);
        }
    }
}

// The destination raw value for one destination pixel of a stretch, by
// stretch mode; false when the pixel's source lies outside the source.
bool StretchedPixel(TSourceReader& reader, const TAxis& ax, const TAxis& ay, int32_t i, int32_t j, TStretchMode mode,
                    uint32_t& out)
{
    const bool shrinking = ax.SourceCount > ax.Count || ay.SourceCount > ay.Count;
    if (!shrinking || mode == COLORONCOLOR) {
        const int32_t sx = ax.Nearest(i), sy = ay.Nearest(j);
        if (!reader.Inside(sx, sy))
            return false;
        out = reader.ToDest(reader.SourceRaw(sx, sy));
        return true;
    }
    int32_t x0, x1, y0, y1;
    ax.Range(i, x0, x1);
    ay.Range(j, y0, y1);
    const TRasterSurface& s = reader.Source();
    const int32_t left = std::max(ax.SourceStart + x0, 0), right = std::min(ax.SourceStart + x1, s.Width);
    const int32_t top = std::max(ay.SourceStart + y0, 0), bottom = std::min(ay.SourceStart + y1, s.Height);
    if (left >= right || top >= bottom)
        return false;
    if (mode == HALFTONE) {
        uint64_t r = 0, g = 0, b = 0;
        SumBox(s, left, top, right, bottom, r, g, b);
        const uint64_t n = static_cast<uint64_t>(right - left) * static_cast<uint64_t>(bottom - top);
        out = reader.FromRgb(RGB(static_cast<uint8_t>((r + n / 2) / n), static_cast<uint8_t>((g + n / 2) / n),
                                 static_cast<uint8_t>((b + n / 2) / n)));
        return true;
    }
    // Black on white keeps dark pixels (AND), white on black light ones (OR).
    uint32_t combined = mode == WHITEONBLACK ? 0u : ~0u;
    for (int32_t y = top; y < bottom; ++y)
        for (int32_t x = left; x < right; ++x)
            combined = mode == WHITEONBLACK ? combined | reader.SourceRaw(x, y) : combined & reader.SourceRaw(x, y);
    out = reader.ToDest(combined & RawMask(s.Bpp));
    return true;
}

// Copies one visible piece (destination x a .. b-1) of a one-to-one row
// between equal formats or between 24 and 32 bits.
void CopyRowPiece(uint8_t* row, const uint8_t* sourceRow, const TAxis& ax, const TRasterSurface& src,
                  const TRasterSurface& dst, int32_t a, int32_t b)
{
    const int32_t first = std::max(a, ax.DestStart - ax.SourceStart);
    const int32_t last = std::min(b, ax.DestStart + (src.Width - ax.SourceStart));
    if (first >= last)
        return;
    const int destBytes = (dst.Bpp + 7) / 8, sourceBytes = (src.Bpp + 7) / 8;
    uint8_t* to = row + static_cast<size_t>(first) * destBytes;
    const uint8_t* from = sourceRow + static_cast<size_t>(first - ax.DestStart + ax.SourceStart) * sourceBytes;
    if (src.Bpp == dst.Bpp)
        std::memcpy(to, from, static_cast<size_t>(last - first) * destBytes);
    else
        CopyRgbPixels(from, src.Bpp, to, dst.Bpp, last - first);
}

// The pixels of a nearest-pixel stretch for one pair of byte sizes, so that
// each case compiles to a tight loop of whole-pixel moves.
template <int SourceBytes, int DestBytes>
void CopyStretchedPixels(uint8_t* to, const uint8_t* sourceRow, const int32_t* columns, int32_t count)
{
    for (int32_t i = 0; i < count; ++i, to += DestBytes) {
        const int32_t column = columns[i];
        if (column < 0)
            continue;
        const uint8_t* from = sourceRow + static_cast<size_t>(column) * SourceBytes;
        if constexpr (SourceBytes == 4 && DestBytes == 4) {
            std::memcpy(to, from, 4);
        } else {
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            if constexpr (DestBytes == 4)
                to[3] = 0;
        }
    }
}

// Copies one visible piece of a nearest-pixel stretch between 24- and
// 32-bit rows (32 to 32 keeps alpha, 24 to 32 writes alpha 0).
void CopyStretchedPiece(uint8_t* row, const uint8_t* sourceRow, const TSourceColumns& columns,
                        const TRasterSurface& src, const TRasterSurface& dst, int32_t a, int32_t b)
{
    uint8_t* to = row + static_cast<size_t>(a) * (dst.Bpp / 8);
    const int32_t* from = columns.From(a);
    if (src.Bpp == 32 && dst.Bpp == 32)
        CopyStretchedPixels<4, 4>(to, sourceRow, from, b - a);
    else if (src.Bpp == 32)
        CopyStretchedPixels<4, 3>(to, sourceRow, from, b - a);
    else if (dst.Bpp == 32)
        CopyStretchedPixels<3, 4>(to, sourceRow, from, b - a);
    else
        CopyStretchedPixels<3, 3>(to, sourceRow, from, b - a);
}

// The general row of a stretch: source pixels by the stretch mode, then the
// raster operation with pattern and destination.
class TRowBlender {
public:
    TRowBlender(TSourceReader& reader, const TAxis& ax, const TAxis& ay, const TSourceColumns& columns,
                TStretchMode mode, uint8_t code, const TCanvas::TBrushPattern& pattern, TPoint brushOrigin)
        : FReader(reader), FAx(ax), FAy(ay), FColumns(columns), FMode(mode), FCode(code), FPattern(pattern),
          FOrigin(brushOrigin), FBoxed((ax.SourceCount > ax.Count || ay.SourceCount > ay.Count) && mode != COLORONCOLOR)
    {}

    bool Boxed() const { return FBoxed; }

    // Destination row dy (offset j along the vertical axis), pixels a .. b-1.
    void Blend(const TRasterSurface& dst, uint8_t* row, const uint8_t* sourceRow, int32_t dy, int32_t j, int32_t a,
               int32_t b)
    {
        const auto n = static_cast<size_t>(b - a);
        FValues.resize(n);
        FPresent.assign(n, 1);
        for (size_t k = 0; k < n; ++k) {
            const int32_t dx = a + static_cast<int32_t>(k);
            if (FBoxed) {
                FPresent[k] = StretchedPixel(FReader, FAx, FAy, dx - FAx.DestStart, j, FMode, FValues[k]);
                continue;
            }
            const int32_t column = FColumns.At(dx);
            if (column < 0)
                FPresent[k] = 0;
            else
                FValues[k] = FReader.ToDest(ReadRaw(sourceRow, column, FReader.Source().Bpp));
        }
        const uint32_t mask = RawMask(dst.Bpp);
        for (size_t k = 0; k < n; ++k) {
            if (!FPresent[k])
                continue;
            const int32_t dx = a + static_cast<int32_t>(k);
            uint32_t value = FValues[k];
            if (FCode != 0xCC) {
                const uint32_t p = FPattern.Cell(dx - FOrigin.X, dy - FOrigin.Y);
                value = ApplyRop3(FCode, p, value, ReadRaw(row, dx, dst.Bpp)) & mask;
            }
            WriteRaw(row, dx, dst.Bpp, value);
        }
    }

private:
    TSourceReader& FReader;
    const TAxis& FAx;
    const TAxis& FAy;
    const TSourceColumns& FColumns;
    TStretchMode FMode;
    uint8_t FCode;
    const TCanvas::TBrushPattern& FPattern;
    TPoint FOrigin;
    bool FBoxed;
    std::vector<uint32_t> FValues;
    std::vector<uint8_t> FPresent;
};

} // namespace

void TCanvas::StretchBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                         int32_t sourceWidth, int32_t sourceHeight, uint32_t rop)
{
    const uint8_t code = RopCode(rop);
    if (!UsesSource(code)) {
        PatBlt(x, y, width, height, rop);
        return;
    }
    if (!source || width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0)
        return;
    const TPoint d = ToDevice(x, y);
    const TPoint s = source->ToDevice(sx, sy);
    const TAxis ax = TAxis::Make(d.X, width, s.X, sourceWidth);
    const TAxis ay = TAxis::Make(d.Y, height, s.Y, sourceHeight);
    const TRasterSurface dst = Surface();
    // A copy of the source when both are one bitmap keeps overlapping blits exact.
    std::unique_ptr<TBitmap> snapshot;
    TRasterSurface src = source->Surface();
    if (source->FTarget == FTarget) {
        snapshot = std::make_unique<TBitmap>();
        snapshot->Assign(FTarget);
        src = snapshot->Surface();
    }
    TSourceReader reader(src, source->FBackColor, dst, RawOf(FBackColor), RawOf(FTextColor));
    const TBrushPattern pattern = UsesPattern(code) ? MakeBrushPattern() : TBrushPattern{};
    const bool oneToOne = ax.Count == ax.SourceCount && ay.Count == ay.SourceCount && !ax.Mirror && !ay.Mirror;
    const bool sameLayout = src.Bpp == dst.Bpp && src.Bpp >= 8 && (src.Bpp > 8 || *src.Palette == *dst.Palette);
    const bool rgbPair = (src.Bpp == 24 || src.Bpp == 32) && (dst.Bpp == 24 || dst.Bpp == 32);
    const bool rowCopy = code == 0xCC && oneToOne && (sameLayout || rgbPair);
    const TRect visible = VisibleBox();
    const TSourceColumns columns(ax, src.Width, visible);
    const TSteps rows = VisibleSteps(ay, visible.Top, visible.Bottom);
    TRowBlender blender(reader, ax, ay, columns, FStretchMode, code, pattern, FBrushOrigin);
    const bool stretchCopy = code == 0xCC && rgbPair && !blender.Boxed();

    for (int32_t j = rows.First; j < rows.Last; ++j) {
        const int32_t dy = ay.DestStart + j, syRow = ay.Nearest(j);
        if (dy < 0 || dy >= dst.Height || (!blender.Boxed() && (syRow < 0 || syRow >= src.Height)))
            continue;
        const uint8_t* sourceRow = blender.Boxed() ? nullptr : src.Row(syRow);
        uint8_t* row = dst.Row(dy);
        ForEachVisible(dy, ax.DestStart, ax.DestStart + ax.Count, [&](int32_t a, int32_t b) {
            if (rowCopy)
                CopyRowPiece(row, sourceRow, ax, src, dst, a, b);
            else if (stretchCopy)
                CopyStretchedPiece(row, sourceRow, columns, src, dst, a, b);
            else
                blender.Blend(dst, row, sourceRow, dy, j, a, b);
        });
    }
    FTarget->SetModified(true);
}

void TCanvas::BitBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                     uint32_t rop)
{
    StretchBlt(x, y, width, height, source, sx, sy, width, height, rop);
}

void TCanvas::MaskBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                      TBitmap* mask, int32_t mx, int32_t my, uint32_t rop4)
{
    if (!mask) {
        BitBlt(x, y, width, height, source, sx, sy, rop4 & 0x00FFFFFF);
        return;
    }
    if (width <= 0 || height <= 0)
        return;
    const uint8_t fore = RopCode(rop4), back = static_cast<uint8_t>(rop4 >> 24);
    if ((UsesSource(fore) || UsesSource(back)) && !source)
        return;
    const TPoint d = ToDevice(x, y);
    const TRasterSurface dst = Surface();
    std::unique_ptr<TBitmap> snapshot;
    TRasterSurface src = source ? source->Surface() : TRasterSurface{};
    const TPoint s = source ? source->ToDevice(sx, sy) : TPoint{};
    if (source && source->FTarget == FTarget) {
        snapshot = std::make_unique<TBitmap>();
        snapshot->Assign(FTarget);
        src = snapshot->Surface();
    }
    TSourceReader reader(src, source ? source->FBackColor : clWhite, dst, RawOf(FBackColor), RawOf(FTextColor));
    const TRasterSurface m = mask->Surface();
    const TBrushPattern pattern = MakeBrushPattern();
    const uint32_t rawMask = RawMask(dst.Bpp);
    const TSteps rows = VisibleSteps(TAxis::Make(d.Y, height, 0, height), VisibleBox().Top, VisibleBox().Bottom);
    for (int32_t j = rows.First; j < rows.Last; ++j) {
        const int32_t dy = d.Y + j, my2 = my + j;
        if (dy < 0 || dy >= dst.Height || my2 < 0 || my2 >= m.Height)
            continue;
        uint8_t* row = dst.Row(dy);
        ForEachVisible(dy, d.X, d.X + width, [&](int32_t a, int32_t b) {
            for (int32_t dx = a; dx < b; ++dx) {
                const int32_t i = dx - d.X, mx2 = mx + i;
                if (mx2 < 0 || mx2 >= m.Width)
                    continue;
                const bool set = m.IsMono() ? ReadRaw(m.Row(my2), mx2, 1) != 0
                                            : RawToRgb(ReadRaw(m.Row(my2), mx2, m.Bpp), m.Bpp, m.Palette) == clWhite;
                const uint8_t code = set ? fore : back;
                uint32_t sourceValue = 0;
                if (UsesSource(code)) {
                    if (!reader.Inside(s.X + i, s.Y + j))
                        continue;
                    sourceValue = reader.ToDest(reader.SourceRaw(s.X + i, s.Y + j));
                }
                const uint32_t p = pattern.Cell(dx - FBrushOrigin.X, dy - FBrushOrigin.Y);
                WriteRaw(row, dx, dst.Bpp, ApplyRop3(code, p, sourceValue, ReadRaw(row, dx, dst.Bpp)) & rawMask);
            }
        });
    }
    FTarget->SetModified(true);
}

// Copies the nearest source pixel to each destination pixel for which
// `keep(source x, source y)` holds.
template <typename Keep>
static void KeyedStretch(TCanvas& dest, const TRasterSurface& dst, int32_t x, int32_t y, int32_t width, int32_t height,
                         const TRasterSurface& src, int32_t sx, int32_t sy, int32_t sourceWidth, int32_t sourceHeight,
                         Keep keep)
{
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0)
        return;
    const TAxis ax = TAxis::Make(x, width, sx, sourceWidth);
    const TAxis ay = TAxis::Make(y, height, sy, sourceHeight);
    TRasterSurface source = src;
    TRawConverter convert(source, dst);
    const TRect visible = dest.VisibleBox();
    const TSourceColumns columns(ax, src.Width, visible);
    const TSteps rows = VisibleSteps(ay, visible.Top, visible.Bottom);
    for (int32_t j = rows.First; j < rows.Last; ++j) {
        const int32_t dy = ay.DestStart + j, syRow = ay.Nearest(j);
        if (dy < 0 || dy >= dst.Height || syRow < 0 || syRow >= src.Height)
            continue;
        uint8_t* row = dst.Row(dy);
        dest.ForEachVisible(dy, ax.DestStart, ax.DestStart + ax.Count, [&](int32_t a, int32_t b) {
            for (int32_t dx = a; dx < b; ++dx) {
                const int32_t sxCol = columns.At(dx);
                if (sxCol < 0 || !keep(sxCol, syRow))
                    continue;
                WriteRaw(row, dx, dst.Bpp, convert(ReadRaw(src.Row(syRow), sxCol, src.Bpp)));
            }
        });
    }
}

void TCanvas::TransparentBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx,
                             int32_t sy, int32_t sourceWidth, int32_t sourceHeight, TColor key)
{
    if (!source)
        return;
    const TRasterSurface src = source->Surface();
    const TColor keyRgb = ColorToPixelRGB(key);
    const TPoint d = ToDevice(x, y), s = source->ToDevice(sx, sy);
    KeyedStretch(*this, Surface(), d.X, d.Y, width, height, src, s.X, s.Y, sourceWidth, sourceHeight,
                 [&](int32_t px, int32_t py) {
                     return RawToRgb(ReadRaw(src.Row(py), px, src.Bpp), src.Bpp, src.Palette) != keyRgb;
                 });
    FTarget->SetModified(true);
}

void TCanvas::TransparentStretchBlt(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx,
                                    int32_t sy, int32_t sourceWidth, int32_t sourceHeight, TCanvas* mask, int32_t mx,
                                    int32_t my)
{
    if (!source || !mask)
        return;
    const TRasterSurface src = source->Surface(), m = mask->Surface();
    const TPoint d = ToDevice(x, y), s = source->ToDevice(sx, sy), mo = mask->ToDevice(mx, my);
    KeyedStretch(*this, Surface(), d.X, d.Y, width, height, src, s.X, s.Y, sourceWidth, sourceHeight,
                 [&](int32_t px, int32_t py) {
                     const int32_t qx = px - s.X + mo.X, qy = py - s.Y + mo.Y;
                     if (qx < 0 || qy < 0 || qx >= m.Width || qy >= m.Height)
                         return true;
                     const uint32_t raw = ReadRaw(m.Row(qy), qx, m.Bpp);
                     const bool transparent = m.IsMono() ? raw != 0 : RawToRgb(raw, m.Bpp, m.Palette) == clWhite;
                     return !transparent;
                 });
    FTarget->SetModified(true);
}

namespace {

uint32_t Scale255(uint32_t value, uint32_t alpha) { return (value * alpha + 127) / 255; }

// The source side of a blend, looked up once per call instead of per pixel:
// each source channel scaled by the constant alpha, and the effective alpha
// of each source alpha value.
struct TBlendTables {
    explicit TBlendTables(uint32_t constant, bool perPixel) : Constant(constant), PerPixel(perPixel)
    {
        for (uint32_t v = 0; v < 256; ++v) {
            Scaled[v] = static_cast<uint8_t>(Scale255(v, constant));
            Alpha[v] = static_cast<uint8_t>(perPixel ? Scale255(v, constant) : constant);
        }
    }
    uint32_t Constant;
    bool PerPixel;
    uint8_t Scaled[256];
    uint8_t Alpha[256];
};

// Two channels at once, in the 0x00ff00ff lanes of a word. Scaling: with
// t = v * alpha + 128, (t + t / 256) / 256 is exactly Scale255(v, alpha)
// for every pair of bytes. Adding: each lane saturates at 255.
uint32_t ScaleLanes(uint32_t lanes, uint32_t alpha)
{
    uint32_t t = lanes * alpha + 0x00800080u;
    t += (t >> 8) & 0x00FF00FFu;
    return (t >> 8) & 0x00FF00FFu;
}

uint32_t AddLanesSaturated(uint32_t a, uint32_t b)
{
    uint32_t t = a + b;
    t |= 0x01000100u - ((t >> 8) & 0x00010001u);
    return t & 0x00FF00FFu;
}

template <int Bytes>
uint32_t LoadPixel(const uint8_t* p)
{
    uint32_t value = p[0] | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    if constexpr (Bytes == 4)
        value |= static_cast<uint32_t>(p[3]) << 24;
    return value;
}

template <int Bytes>
void StorePixel(uint8_t* p, uint32_t value)
{
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    if constexpr (Bytes == 4)
        p[3] = static_cast<uint8_t>(value >> 24);
}

// Source-over blending of premultiplied pixels between 24- and 32-bit rows,
// one loop per pair of byte sizes: destination channels keep (255 - alpha)
// of themselves and gain the source scaled by the constant alpha, each
// saturating at 255; the destination alpha gains the effective alpha.
template <int SourceBytes, int DestBytes>
void BlendRgbPixels(uint8_t* to, const uint8_t* sourceRow, const int32_t* columns, int32_t count,
                    const TBlendTables& tables)
{
    for (int32_t i = 0; i < count; ++i, to += DestBytes) {
        if (columns[i] < 0)
            continue;
        const uint32_t source = LoadPixel<SourceBytes>(sourceRow + static_cast<size_t>(columns[i]) * SourceBytes);
        if (source == 0)
            continue; // fully transparent: nothing to add
        const uint32_t alpha = tables.PerPixel ? tables.Alpha[source >> 24] : tables.Constant;
        if (alpha == 255 && tables.Constant == 255) {
            StorePixel<DestBytes>(to, source | 0xFF000000u);
            continue;
        }
        const uint32_t dest = LoadPixel<DestBytes>(to);
        const uint32_t keep = 255 - alpha;
        const uint32_t redBlue =
            AddLanesSaturated(ScaleLanes(source & 0x00FF00FFu, tables.Constant), ScaleLanes(dest & 0x00FF00FFu, keep));
        // The alpha lane holds the effective alpha, whatever the source's own.
        const uint32_t sourceAlphaGreen = ScaleLanes((source >> 8) & 0x000000FFu, tables.Constant) | (alpha << 16);
        const uint32_t alphaGreen = AddLanesSaturated(sourceAlphaGreen, ScaleLanes((dest >> 8) & 0x00FF00FFu, keep));
        StorePixel<DestBytes>(to, redBlue | (alphaGreen << 8));
    }
}

void BlendRgbPiece(uint8_t* row, const uint8_t* sourceRow, const TSourceColumns& columns, const TRasterSurface& src,
                   const TRasterSurface& dst, int32_t a, int32_t b, const TBlendTables& tables)
{
    uint8_t* to = row + static_cast<size_t>(a) * (dst.Bpp / 8);
    const int32_t* from = columns.From(a);
    if (src.Bpp == 32 && dst.Bpp == 32)
        BlendRgbPixels<4, 4>(to, sourceRow, from, b - a, tables);
    else if (src.Bpp == 32)
        BlendRgbPixels<4, 3>(to, sourceRow, from, b - a, tables);
    else if (dst.Bpp == 32)
        BlendRgbPixels<3, 4>(to, sourceRow, from, b - a, tables);
    else
        BlendRgbPixels<3, 3>(to, sourceRow, from, b - a, tables);
}

// The same blend for palette and 15/16-bit bitmaps, through colours.
void BlendByColour(uint8_t* row, const uint8_t* sourceRow, const TSourceColumns& columns, const TRasterSurface& src,
                   const TRasterSurface& dst, int32_t a, int32_t b, const TBlendTables& tables)
{
    for (int32_t dx = a; dx < b; ++dx) {
        const int32_t column = columns.At(dx);
        if (column < 0)
            continue;
        const uint32_t sraw = ReadRaw(sourceRow, column, src.Bpp);
        const uint32_t sa = tables.PerPixel ? tables.Alpha[sraw >> 24] : tables.Constant;
        const uint32_t draw = ReadRaw(row, dx, dst.Bpp);
        const TColor sc = RawToRgb(sraw, src.Bpp, src.Palette);
        const TColor dc = RawToRgb(draw, dst.Bpp, dst.Palette);
        auto mix = [&](uint8_t sv, uint8_t dv) {
            return static_cast<uint8_t>(std::min<uint32_t>(255, tables.Scaled[sv] + Scale255(dv, 255 - sa)));
        };
        const TColor out = RGB(mix(GetRValue(sc), GetRValue(dc)), mix(GetGValue(sc), GetGValue(dc)),
                               mix(GetBValue(sc), GetBValue(dc)));
        uint32_t raw = RgbToRaw(out, dst.Bpp, dst.Palette);
        if (dst.Bpp == 32)
            raw |= std::min<uint32_t>(255, sa + Scale255(draw >> 24, 255 - sa)) << 24;
        WriteRaw(row, dx, dst.Bpp, raw);
    }
}

struct TPixmanImageFree {
    void operator()(pixman_image_t* image) const { pixman_image_unref(image); }
};
using TPixmanImage = std::unique_ptr<pixman_image_t, TPixmanImageFree>;

// pixman's OVER through a solid mask of the constant alpha is this blend
// for premultiplied 32-bit pixels taken one to one: its byte products round
// as Scale255 does, its sums saturate, and a zero source leaves the
// destination as it is. It runs on the processor's vector units. The images
// are the bitmaps' rows in memory order, so row y is row height-1-y there.
class TPixmanBlend {
public:
    TPixmanBlend(const TRasterSurface& src, const TRasterSurface& dst, uint32_t constant)
        : FSource(Image(src)), FDest(Image(dst)), FSourceHeight(src.Height), FDestHeight(dst.Height)
    {
        if (constant < 255) {
            const pixman_color_t alpha{0, 0, 0, static_cast<uint16_t>(constant * 257)};
            FMask.reset(pixman_image_create_solid_fill(&alpha));
        }
    }

    // Whether pixman may blend these bitmaps: 32-bit rows on 4-byte
    // boundaries, and two different pictures.
    static bool Suits(const TRasterSurface& src, const TRasterSurface& dst)
    {
        return src.Bpp == 32 && dst.Bpp == 32 && src.Bits != dst.Bits &&
            reinterpret_cast<uintptr_t>(src.Bits) % 4 == 0 && reinterpret_cast<uintptr_t>(dst.Bits) % 4 == 0;
    }

    // Destination row dy, pixels a .. b-1, from source row sy at column sx.
    void Row(int32_t dy, int32_t a, int32_t b, int32_t sy, int32_t sx)
    {
        pixman_image_composite32(PIXMAN_OP_OVER, FSource.get(), FMask.get(), FDest.get(), sx, FSourceHeight - 1 - sy, 0,
                                 0, a, FDestHeight - 1 - dy, b - a, 1);
    }

private:
    static TPixmanImage Image(const TRasterSurface& s)
    {
        return TPixmanImage(pixman_image_create_bits(PIXMAN_a8r8g8b8, s.Width, s.Height,
                                                     reinterpret_cast<uint32_t*>(s.Bits), s.Stride));
    }

    TPixmanImage FSource, FDest, FMask;
    int32_t FSourceHeight, FDestHeight;
};

} // namespace

void TCanvas::AlphaBlend(int32_t x, int32_t y, int32_t width, int32_t height, TCanvas* source, int32_t sx, int32_t sy,
                         int32_t sourceWidth, int32_t sourceHeight, TBlendFunction blend)
{
    if (!source || width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0)
        return;
    const TRasterSurface src = source->Surface(), dst = Surface();
    const TPoint d = ToDevice(x, y), s = source->ToDevice(sx, sy);
    const TAxis ax = TAxis::Make(d.X, width, s.X, sourceWidth);
    const TAxis ay = TAxis::Make(d.Y, height, s.Y, sourceHeight);
    const TBlendTables tables(blend.SourceConstantAlpha, blend.UseSourceAlpha && src.Bpp == 32);
    const bool directRgb = (src.Bpp == 24 || src.Bpp == 32) && (dst.Bpp == 24 || dst.Bpp == 32);
    const bool oneToOne = ax.Count == ax.SourceCount && !ax.Mirror;
    std::unique_ptr<TPixmanBlend> pixman;
    if (tables.PerPixel && oneToOne && TPixmanBlend::Suits(src, dst))
        pixman = std::make_unique<TPixmanBlend>(src, dst, tables.Constant);
    const TRect visible = VisibleBox();
    const TSourceColumns columns(ax, src.Width, visible);
    const TSteps rows = VisibleSteps(ay, visible.Top, visible.Bottom);
    for (int32_t j = rows.First; j < rows.Last; ++j) {
        const int32_t dy = ay.DestStart + j, syRow = ay.Nearest(j);
        if (dy < 0 || dy >= dst.Height || syRow < 0 || syRow >= src.Height)
            continue;
        uint8_t* row = dst.Row(dy);
        const uint8_t* sourceRow = src.Row(syRow);
        ForEachVisible(dy, ax.DestStart, ax.DestStart + ax.Count, [&](int32_t a, int32_t b) {
            const int32_t shift = ax.SourceStart - ax.DestStart; // source x minus destination x, one to one
            if (pixman) {
                const int32_t first = std::max(a, -shift), last = std::min(b, src.Width - shift);
                if (first < last)
                    pixman->Row(dy, first, last, syRow, first + shift);
            } else if (directRgb)
                BlendRgbPiece(row, sourceRow, columns, src, dst, a, b, tables);
            else
                BlendByColour(row, sourceRow, columns, src, dst, a, b, tables);
        });
    }
    FTarget->SetModified(true);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
    StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), source, sourceRect.Left, sourceRect.Top,
               sourceRect.Width(), sourceRect.Height(), FCopyMode);
}

void TCanvas::Draw(int32_t x, int32_t y, TGraphic* graphic)
{
    if (graphic && !graphic->Empty())
        graphic->Draw(*this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
    if (graphic && !graphic->Empty())
        graphic->Draw(*this, rect);
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& source, TColor color)
{
    if (!bitmap || bitmap->Empty())
        return;
    const TRasterSurface src = bitmap->Surface();
    const TColor key = ColorToPixelRGB(color);
    const TPoint d = ToDevice(dest.Left, dest.Top);
    // The keyed pixels are painted with the brush, the others copied.
    std::vector<TSpan> keyed;
    const TAxis ax = TAxis::Make(d.X, dest.Width(), source.Left, source.Width());
    const TAxis ay = TAxis::Make(d.Y, dest.Height(), source.Top, source.Height());
    if (ax.Count == 0 || ay.Count == 0 || ax.SourceCount == 0 || ay.SourceCount == 0)
        return;
    const TRect visible = VisibleBox();
    const TSteps rows = VisibleSteps(ay, visible.Top, visible.Bottom);
    const TSteps columns = VisibleSteps(ax, visible.Left, visible.Right);
    for (int32_t j = rows.First; j < rows.Last; ++j)
        for (int32_t i = columns.First; i < columns.Last; ++i) {
            const int32_t sx = ax.Nearest(i), sy = ay.Nearest(j);
            if (sx >= 0 && sy >= 0 && sx < src.Width && sy < src.Height &&
                RawToRgb(ReadRaw(src.Row(sy), sx, src.Bpp), src.Bpp, src.Palette) == key)
                keyed.push_back({ay.DestStart + j, ax.DestStart + i, ax.DestStart + i + 1});
        }
    StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), bitmap->Canvas(), source.Left, source.Top,
               source.Width(), source.Height(), SRCCOPY);
    NormalizeSpans(keyed);
    PaintPatternSpans(keyed, MakeBrushPattern(), R2_COPYPEN);
}
