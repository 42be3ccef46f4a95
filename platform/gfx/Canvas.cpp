#include "platform/gfx/Canvas.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/CanvasState.h"
#include "platform/gfx/HatchPattern.h"
#include "platform/gfx/Shapes.h"

TCanvas::TCanvas(TBitmap* target) : FTarget(target)
{
    if (!FTarget)
        throw EInvalidGraphicOperation("Canvas does not allow drawing");
    FBrush.OnChange = [this](TObject*) { BrushChanged(); };
    FFont.OnChange = [this](TObject*) { FontChanged(); };
    BrushChanged();
    FontChanged();
}

TCanvas::~TCanvas() = default;

void TCanvas::BrushChanged()
{
    if (FBrush.Style() == bsSolid && !FBrush.Bitmap()) {
        FBackColor = FBrush.Color();
        FBackMode = OPAQUE;
    } else {
        FBackColor = ~ColorToRGB(FBrush.Color()) & 0x00FFFFFF;
        FBackMode = TRANSPARENT;
    }
}

void TCanvas::FontChanged()
{
    FTextColor = FFont.Color();
    FFace.reset();
}

TRasterSurface TCanvas::Surface() const { return FTarget->Surface(); }

uint32_t TCanvas::RawOf(TColor color) const
{
    const TRasterSurface s = Surface();
    return RgbToRaw(ColorToPixelRGB(color), s.Bpp, s.Palette);
}

// ---- Clipping -------------------------------------------------------------

void TCanvas::UpdateClipRects() { FClipSurfaceSize = {-1, -1}; }

void TCanvas::EnsureClipRects() const
{
    const TSize size{FTarget->Width(), FTarget->Height()};
    if (size == FClipSurfaceSize)
        return;
    TRegion visible(TRect{0, 0, size.cx, size.cy});
    if (FDeviceClip)
        visible.Combine(visible, *FDeviceClip, RGN_AND);
    if (FClipRegion)
        visible.Combine(visible, *FClipRegion, RGN_AND);
    FClipRects = visible.Rects();
    FClipBox = visible.BoundingBox();
    FClipSurfaceSize = size;
}

TRect TCanvas::VisibleBox() const
{
    EnsureClipRects();
    return FClipBox;
}

void TCanvas::SetDeviceClip(const TRegion* region)
{
    if (region)
        FDeviceClip = *region;
    else
        FDeviceClip.reset();
    UpdateClipRects();
}

namespace {

TRegionKind KindOfRects(const std::vector<TRect>& rects)
{
    return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

} // namespace

TRegionKind TCanvas::SelectClipRgn(const TRegion* region)
{
    if (region)
        FClipRegion = *region;
    else
        FClipRegion.reset();
    UpdateClipRects();
    EnsureClipRects();
    return KindOfRects(FClipRects);
}

TRegionKind TCanvas::ExcludeClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    const TRegion excluded(OffsetRect(TRect{left, top, right, bottom}, FViewport.X, FViewport.Y));
    if (!FClipRegion)
        FClipRegion = TRegion(TRect{0, 0, FTarget->Width(), FTarget->Height()});
    FClipRegion->Combine(*FClipRegion, excluded, RGN_DIFF);
    UpdateClipRects();
    EnsureClipRects();
    return KindOfRects(FClipRects);
}

TRegionKind TCanvas::IntersectClipRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
{
    const TRegion kept(OffsetRect(TRect{left, top, right, bottom}, FViewport.X, FViewport.Y));
    if (FClipRegion)
        FClipRegion->Combine(*FClipRegion, kept, RGN_AND);
    else
        FClipRegion = kept;
    UpdateClipRects();
    EnsureClipRects();
    return KindOfRects(FClipRects);
}

bool TCanvas::GetClipRgn(TRegion& region) const
{
    if (!FClipRegion)
        return false;
    region = *FClipRegion;
    return true;
}

TRect TCanvas::ClipRect() const { return OffsetRect(VisibleBox(), -FViewport.X, -FViewport.Y); }

bool TCanvas::PtVisible(int32_t x, int32_t y) const
{
    const TPoint d = ToDevice(x, y);
    bool visible = false;
    ForEachVisible(d.Y, d.X, d.X + 1, [&](int32_t, int32_t) { visible = true; });
    return visible;
}

bool TCanvas::RectVisible(const TRect& rect) const
{
    EnsureClipRects();
    const TRect d = OffsetRect(rect, FViewport.X, FViewport.Y);
    for (const TRect& r : FClipRects)
        if (!IsRectEmpty(IntersectRect(r, d)))
            return true;
    return false;
}

// ---- Saved states ---------------------------------------------------------

int TCanvas::SaveDC()
{
    auto state = std::make_unique<TSavedState>();
    state->Pen.Assign(&FPen);
    state->Brush.Assign(&FBrush);
    state->Font.Assign(&FFont);
    state->PenPos = FPenPos;
    state->CopyMode = FCopyMode;
    state->TextColor = FTextColor;
    state->BackColor = FBackColor;
    state->BackMode = FBackMode;
    state->TextAlign = FTextAlign;
    state->StretchMode = FStretchMode;
    state->PolyFillMode = FPolyFillMode;
    state->BrushOrigin = FBrushOrigin;
    state->Viewport = FViewport;
    state->ClipRegion = FClipRegion;
    FSaved.push_back(std::move(state));
    return static_cast<int>(FSaved.size());
}

bool TCanvas::RestoreDC(int level)
{
    const int count = static_cast<int>(FSaved.size());
    if (level < 0)
        level = count + 1 + level;
    if (level < 1 || level > count)
        return false;
    std::unique_ptr<TSavedState> state = std::move(FSaved[static_cast<size_t>(level - 1)]);
    FSaved.resize(static_cast<size_t>(level - 1));
    FPen.Assign(&state->Pen);
    FBrush.Assign(&state->Brush);
    FFont.Assign(&state->Font);
    FPenPos = state->PenPos;
    FCopyMode = state->CopyMode;
    FTextColor = state->TextColor;
    FBackColor = state->BackColor;
    FBackMode = state->BackMode;
    FTextAlign = state->TextAlign;
    FStretchMode = state->StretchMode;
    FPolyFillMode = state->PolyFillMode;
    FBrushOrigin = state->BrushOrigin;
    FViewport = state->Viewport;
    FClipRegion = state->ClipRegion;
    UpdateClipRects();
    return true;
}

// ---- Pixels and span painting ----------------------------------------------

TColor TCanvas::Pixels(int32_t x, int32_t y) const
{
    const TPoint d = ToDevice(x, y);
    const TRasterSurface s = Surface();
    if (d.X < 0 || d.Y < 0 || d.X >= s.Width || d.Y >= s.Height)
        return CLR_INVALID;
    return RawToRgb(ReadRaw(s.Row(d.Y), d.X, s.Bpp), s.Bpp, s.Palette);
}

void TCanvas::SetPixel(int32_t x, int32_t y, TColor color)
{
    const TPoint d = ToDevice(x, y);
    PaintSpans({TSpan{d.Y, d.X, d.X + 1}}, RawOf(color), R2_COPYPEN);
    FTarget->SetModified(true);
}

void TCanvas::PaintSpans(const std::vector<TSpan>& spans, uint32_t raw, int rop2)
{
    const TRasterSurface s = Surface();
    for (const TSpan& span : spans) {
        if (span.Y < 0 || span.Y >= s.Height)
            continue;
        uint8_t* row = s.Row(span.Y);
        ForEachVisible(span.Y, span.X0, span.X1,
                       [&](int32_t a, int32_t b) { FillSpanRaw(row, a, b, s.Bpp, raw, rop2); });
    }
}

void TCanvas::PaintBrushSpans(const std::vector<TSpan>& spans)
{
    PaintPatternSpans(spans, MakeBrushPattern(), R2_COPYPEN);
}

void TCanvas::PaintPatternSpans(const std::vector<TSpan>& spans, const TBrushPattern& pattern, int rop2)
{
    if (pattern.Clear)
        return;
    if (pattern.Solid) {
        PaintSpans(spans, pattern.Cells[0], rop2);
        return;
    }
    const TRasterSurface s = Surface();
    const uint32_t mask = RawMask(s.Bpp);
    for (const TSpan& span : spans) {
        if (span.Y < 0 || span.Y >= s.Height)
            continue;
        uint8_t* row = s.Row(span.Y);
        const int32_t py = span.Y - FBrushOrigin.Y;
        ForEachVisible(span.Y, span.X0, span.X1, [&](int32_t a, int32_t b) {
            for (int32_t x = a; x < b; ++x) {
                const int32_t px = x - FBrushOrigin.X;
                if (!pattern.PaintedAt(px, py))
                    continue;
                WriteRaw(row, x, s.Bpp, ApplyRop2(rop2, pattern.Cell(px, py), ReadRaw(row, x, s.Bpp)) & mask);
            }
        });
    }
}

TCanvas::TBrushPattern TCanvas::MakeBrushPattern()
{
    TBrushPattern pattern;
    const TRasterSurface s = Surface();
    if (TBitmap* bitmap = FBrush.Bitmap(); bitmap && !bitmap->Empty()) {
        const TRasterSurface p = bitmap->Surface();
        const uint32_t one = RawOf(FBackColor), zero = RawOf(FTextColor);
        if (FBrush.WholeBitmap()) {
            pattern.Whole = p;
            pattern.Target = s;
            pattern.One = one;
            pattern.Zero = zero;
            return pattern;
        }
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const uint32_t raw = ReadRaw(p.Row(y % p.Height), x % p.Width, p.Bpp);
                pattern.Cells[y * 8 + x] =
                    p.IsMono() ? (raw ? one : zero) : RgbToRaw(RawToRgb(raw, p.Bpp, p.Palette), s.Bpp, s.Palette);
            }
        pattern.Painted = ~uint64_t{0};
        return pattern;
    }
    switch (FBrush.Style()) {
    case bsClear: pattern.Clear = true; return pattern;
    case bsSolid:
        pattern.Solid = true;
        pattern.Cells[0] = RawOf(FBrush.Color());
        return pattern;
    default: break;
    }
    const uint64_t hatch = HatchBits(FBrush.Style());
    const uint32_t line = RawOf(FBrush.Color()), back = RawOf(FBackColor);
    for (int i = 0; i < 64; ++i)
        pattern.Cells[i] = (hatch >> i & 1u) ? line : back;
    pattern.Painted = FBackMode == OPAQUE ? ~uint64_t{0} : hatch;
    return pattern;
}
