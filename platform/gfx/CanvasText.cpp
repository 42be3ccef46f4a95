#include "platform/core/Strings.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/CanvasState.h"
#include "platform/gfx/FontFace.h"
#include "platform/gfx/Shapes.h"

#include <cmath>

namespace {

bool WantsAntialiasing(TFontQuality quality, int bpp)
{
    switch (quality) {
    case fqDraft:
    case fqNonAntialiased: return false;
    case fqDefault: return bpp >= 15;
    default: return true;
    }
}

// Device offset of a step of `along` pixels on the baseline and `down`
// pixels perpendicular to it (toward the descent) at the given angle.
struct TTextFrame {
    double Cos = 1, Sin = 0;
    double X(double along, double down) const { return along * Cos + down * Sin; }
    double Y(double along, double down) const { return -along * Sin + down * Cos; }
};

int32_t RoundToPixel(double v) { return static_cast<int32_t>(std::lround(v)); }

// A glyph to draw and where its origin goes, in pixels from the run's
// start along the baseline and down from it.
struct TPlacedGlyph {
    std::shared_ptr<const TRenderedGlyph> Glyph;
    double Along = 0;
    double Down = 0;
};

struct TGlyphRun {
    std::vector<TPlacedGlyph> Glyphs;
    int32_t Width = 0;
};

// Text that joins or runs right to left is shaped in visual order; other
// text, and any text with explicit advances, goes character by character.
TGlyphRun LayOutGlyphs(TFontFace& face, const std::u32string& text, const int32_t* dx)
{
    TGlyphRun run;
    if (!dx && NeedsShaping(text)) {
        const TShapedText shaped = face.Shape(text);
        for (const TShapedGlyph& glyph : shaped.Glyphs)
            run.Glyphs.push_back({face.Render(glyph), glyph.Along, glyph.Down});
        run.Width = shaped.Width;
        return run;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= 0x20) // control characters advance without ink
            run.Glyphs.push_back({face.Render(text[i]), static_cast<double>(run.Width), 0});
        run.Width += dx ? dx[i] : face.Advance(text[i]);
    }
    return run;
}

// Where a run of text starts: the device point on its baseline, and the
// baseline's direction.
struct TRunPlacement {
    double OriginX = 0;
    double OriginY = 0;
    TTextFrame Frame;
};

TRunPlacement PlaceRun(const TTextMetric& m, double angle, uint32_t align, TPoint reference, int32_t width)
{
    const uint32_t horizontal = align & TA_CENTER, vertical = align & TA_BASELINE;
    const double along = horizontal == TA_RIGHT ? -width : horizontal == TA_CENTER ? -(width / 2) : 0;
    const double down = vertical == TA_TOP ? m.tmAscent : vertical == TA_BOTTOM ? -m.tmDescent : 0;
    TRunPlacement run;
    run.Frame = {std::cos(angle), std::sin(angle)};
    run.OriginX = reference.X + run.Frame.X(along, down);
    run.OriginY = reference.Y + run.Frame.Y(along, down);
    return run;
}

// The current position after a run drawn with TA_UPDATECP.
TPoint MovedPenPosition(const TRunPlacement& run, uint32_t align, TPoint reference, int32_t width)
{
    const uint32_t horizontal = align & TA_CENTER;
    const int32_t move = horizontal == TA_RIGHT ? -width : horizontal == TA_CENTER ? 0 : width;
    return {reference.X + RoundToPixel(run.Frame.X(move, 0)), reference.Y + RoundToPixel(run.Frame.Y(move, 0))};
}

std::vector<TSpan> ClipSpansToRect(std::vector<TSpan> spans, const TRect* clip)
{
    if (!clip)
        return spans;
    std::vector<TSpan> kept;
    for (TSpan s : spans) {
        s.X0 = std::max(s.X0, clip->Left);
        s.X1 = std::min(s.X1, clip->Right);
        if (s.Y >= clip->Top && s.Y < clip->Bottom && s.X0 < s.X1)
            kept.push_back(s);
    }
    return kept;
}

// A band along the run's baseline from `top` to `bottom` (measured down
// from the baseline): the text cell, underline and strike-out.
std::vector<TSpan> BandSpans(const TRunPlacement& run, int32_t width, double top, double bottom, TRowWindow rows,
                             const TRect* clip)
{
    std::vector<TPoint> corners;
    for (auto [u, v] : {std::pair<double, double>{0, top}, {width, top}, {width, bottom}, {0, bottom}})
        corners.push_back(
            {RoundToPixel(run.OriginX + run.Frame.X(u, v)), RoundToPixel(run.OriginY + run.Frame.Y(u, v))});
    return ClipSpansToRect(PolygonSpans(corners, ALTERNATE, rows), clip);
}

} // namespace

TFontFace& TCanvas::CurrentFace()
{
    const bool antialiased = WantsAntialiasing(FFont.Quality(), Surface().Bpp);
    if (!FFace || FFaceAntialiased != antialiased) {
        FFace = TFontFace::Get(FFont, antialiased);
        FFaceAntialiased = antialiased;
    }
    return *FFace;
}

TTextMetric TCanvas::GetTextMetrics() { return CurrentFace().Metrics(); }

TSize TCanvas::TextExtent(const std::string& text)
{
    TFontFace& face = CurrentFace();
    const std::u32string characters = Utf8ToUtf32(text);
    if (NeedsShaping(characters))
        return {face.Shape(characters).Width, face.Metrics().tmHeight};
    int32_t width = 0;
    for (char32_t c : characters)
        width += face.Advance(c);
    return {width, face.Metrics().tmHeight};
}

void TCanvas::TextOut(int32_t x, int32_t y, const std::string& text)
{
    ExtTextOut(x, y, 0, nullptr, text);
    if (!(FTextAlign & TA_UPDATECP))
        MoveTo(x + TextWidth(text), y);
}

void TCanvas::TextRect(const TRect& rect, int32_t x, int32_t y, const std::string& text)
{
    const uint32_t options = ETO_CLIPPED | (FBrush.Style() != bsClear ? ETO_OPAQUE : 0);
    ExtTextOut(x, y, options, &rect, text);
}

void TCanvas::ExtTextOut(int32_t x, int32_t y, uint32_t options, const TRect* rect, const std::string& text,
                         const int32_t* dx)
{
    DrawGlyphRun(x, y, options, rect, Utf8ToUtf32(text), dx);
    FTarget->SetModified(true);
}

void TCanvas::BlendCoverage(int32_t y, int32_t x0, const uint8_t* coverage, int32_t count, const TRect* clip,
                            uint32_t textRaw, TColor textRgb)
{
    const TRasterSurface s = Surface();
    if (y < 0 || y >= s.Height || (clip && (y < clip->Top || y >= clip->Bottom)))
        return;
    int32_t from = x0, to = x0 + count;
    if (clip) {
        from = std::max(from, clip->Left);
        to = std::min(to, clip->Right);
    }
    uint8_t* row = s.Row(y);
    ForEachVisible(y, from, to, [&](int32_t a, int32_t b) {
        for (int32_t x = a; x < b; ++x) {
            const uint32_t c = coverage[x - x0];
            if (c == 0)
                continue;
            if (c == 255) {
                WriteRaw(row, x, s.Bpp, textRaw);
                continue;
            }
            const TColor d = RawToRgb(ReadRaw(row, x, s.Bpp), s.Bpp, s.Palette);
            auto mix = [&](uint8_t t, uint8_t v) { return static_cast<uint8_t>((t * c + v * (255 - c) + 127) / 255); };
            const TColor out = RGB(mix(GetRValue(textRgb), GetRValue(d)), mix(GetGValue(textRgb), GetGValue(d)),
                                   mix(GetBValue(textRgb), GetBValue(d)));
            WriteRaw(row, x, s.Bpp, RgbToRaw(out, s.Bpp, s.Palette));
        }
    });
}

void TCanvas::DrawGlyphRun(int32_t x, int32_t y, uint32_t options, const TRect* rect, const std::u32string& text,
                           const int32_t* dx)
{
    TFontFace& face = CurrentFace();
    const TTextMetric& m = face.Metrics();
    const TGlyphRun glyphs = LayOutGlyphs(face, text, dx);
    const int32_t width = glyphs.Width;
    const bool updateCP = (FTextAlign & TA_UPDATECP) != 0;
    const TPoint reference = updateCP ? FPenPos : TPoint{x, y};
    const TRunPlacement run = PlaceRun(m, face.Angle(), FTextAlign, ToDevice(reference.X, reference.Y), width);
    if (updateCP)
        FPenPos = MovedPenPosition(run, FTextAlign, reference, width);

    std::optional<TRect> clip;
    if (rect && (options & ETO_CLIPPED))
        clip = OffsetRect(*rect, FViewport.X, FViewport.Y);
    const TRect* clipRect = clip ? &*clip : nullptr;
    const TRowWindow rows{VisibleBox().Top, VisibleBox().Bottom};
    if ((options & ETO_OPAQUE) && rect) {
        const TRect d = OffsetRect(*rect, FViewport.X, FViewport.Y);
        PaintSpans(ShapeSpans(RectShape(d.Left, d.Top, d.Right, d.Bottom, rows)), RawOf(FBackColor), R2_COPYPEN);
    } else if (FBackMode == OPAQUE && width > 0) {
        PaintSpans(BandSpans(run, width, -m.tmAscent, m.tmDescent, rows, clipRect), RawOf(FBackColor), R2_COPYPEN);
    }

    const uint32_t textRaw = RawOf(FTextColor);
    const TColor textRgb = ColorToPixelRGB(FTextColor);
    for (const TPlacedGlyph& placed : glyphs.Glyphs) {
        const TRenderedGlyph& glyph = *placed.Glyph;
        const int32_t gx = RoundToPixel(run.OriginX + run.Frame.X(placed.Along, placed.Down)) + glyph.Left;
        const int32_t gy = RoundToPixel(run.OriginY + run.Frame.Y(placed.Along, placed.Down)) + glyph.Top;
        for (int32_t r = 0; r < glyph.Rows; ++r)
            BlendCoverage(gy + r, gx, glyph.Coverage.data() + static_cast<size_t>(r) * glyph.Width, glyph.Width,
                          clipRect, textRaw, textRgb);
    }
    if (face.Underline() && width > 0)
        PaintSpans(BandSpans(run, width, face.UnderlineOffset(), face.UnderlineOffset() + face.UnderlineThickness(),
                             rows, clipRect),
                   textRaw, R2_COPYPEN);
    if (face.StrikeOut() && width > 0)
        PaintSpans(BandSpans(run, width, face.StrikeOutOffset(), face.StrikeOutOffset() + face.StrikeOutThickness(),
                             rows, clipRect),
                   textRaw, R2_COPYPEN);
}
