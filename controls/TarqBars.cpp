#include "controls/TarqBars.h"

#include <algorithm>
#include <string>

#include "controls/TarqGrafx.h"
#include "platform/core/Types.h"
#include "platform/gfx/Bitmap.h"
#include "platform/ui/Themes.h"

namespace {

std::string PercentText(bool showPercent, uint32_t percent)
{
    return showPercent ? std::to_string(percent) + "%" : std::string();
}

int32_t BarLength(int32_t extent, uint32_t percent)
{
    if (percent >= 100)
        return extent;
    return static_cast<int32_t>(Round(static_cast<long double>(percent) * extent / 100));
}

// The rectangle left after the bar part.
TRect RestRect(const TRect& rect, const TRect& bar, TOrientation orientation)
{
    if (orientation == orVertical)
        return Rect(rect.Left, rect.Top, rect.Right, bar.Top);
    return Rect(bar.Right, rect.Top, rect.Right, rect.Bottom);
}

// Writes `text` centred over `part`, clipped to it.
void PercentTextRect(TCanvas& canvas, const TRect& rect, const TRect& part, const std::string& text)
{
    const uint32_t oldAlign = canvas.TextAlign();
    canvas.SetTextAlign(TA_CENTER);
    const int32_t x = rect.Left + rect.Width() / 2;
    const int32_t y = rect.Top + (rect.Height() - canvas.TextHeight("X")) / 2;
    canvas.TextRect(part, x, y, text);
    canvas.SetTextAlign(oldAlign);
}

void DrawThemedChunk(TCanvas& canvas, const TRect& rect, TOrientation orientation, uint32_t percent)
{
    TThemeServices* themes = ThemeServices();
    const TRect inner = InflateRect(rect, -1, -1);
    const TRect chunk = BarPartRect(inner, orientation, percent);
    if (orientation == orHorizontal) {
        themes->DrawElement(canvas, themes->GetElementDetails(TThemedClass::Progress, PP_CHUNK, 1), chunk);
        return;
    }
    const int32_t height = std::max(chunk.Height(), 1);
    if (chunk.Width() <= 0)
        return;
    TBitmap work(chunk.Width(), height);
    themes->DrawElement(*work.Canvas(), themes->GetElementDetails(TThemedClass::Progress, PP_CHUNKVERT, 1),
                        Rect(0, 0, chunk.Width(), height));
    FlipBitmapVertically(work);
    canvas.Draw(chunk.Left, chunk.Bottom - height, &work);
}

struct TSegmentLayout {
    int32_t Size = 0;
    int32_t Count = 0;
    int32_t Margin = 0;
};

TSegmentLayout LayoutSegments(int32_t extent, int32_t segments)
{
    TSegmentLayout s;
    s.Count = std::max(segments, 1);
    s.Size = extent / s.Count;
    if (extent <= 80 && s.Count > 10) {
        s.Size = extent / 10;
        s.Count = 10;
    }
    if (s.Size > 0 && (extent - s.Size * s.Count) / s.Size > 0)
        s.Count += (extent - s.Size * s.Count) / s.Size;
    s.Margin = (extent - s.Size * s.Count) / 2;
    return s;
}

void DrawSegments(TCanvas& canvas, const TRect& r, TOrientation orientation, bool transparent, uint32_t percent,
                  int32_t segments, TColor backColor, TColor barColor)
{
    const bool vertical = orientation == orVertical;
    const int32_t extent = vertical ? r.Height() : r.Width();
    const TSegmentLayout s = LayoutSegments(extent, segments);
    if (!transparent) {
        canvas.Brush()->SetColor(backColor);
        const int32_t end = s.Margin + s.Size * s.Count;
        if (vertical) {
            canvas.FillRect(Rect(r.Left, r.Top, r.Right, r.Top + s.Margin));
            canvas.FillRect(Rect(r.Left, r.Top + end, r.Right, r.Bottom));
        } else {
            canvas.FillRect(Rect(r.Left, r.Top, r.Left + s.Margin, r.Bottom));
            canvas.FillRect(Rect(r.Left + end, r.Top, r.Right, r.Bottom));
        }
    }
    canvas.Pen()->SetWidth(1);
    canvas.Pen()->SetStyle(transparent ? psClear : psSolid);
    canvas.Pen()->SetColor(backColor);
    const int32_t lit = static_cast<int32_t>(Trunc(static_cast<long double>(percent) * s.Count / 100));
    for (int32_t i = 1; i <= s.Count; ++i) {
        TRect seg = vertical
            ? Rect(r.Left, r.Top + s.Margin + s.Size * (s.Count - i), r.Right,
                   r.Top + s.Margin + s.Size * (s.Count - i + 1))
            : Rect(r.Left + s.Margin + s.Size * (i - 1), r.Top, r.Left + s.Margin + s.Size * i, r.Bottom);
        if (i <= lit) {
            if (transparent) {
                ++seg.Left;
                ++seg.Top;
            }
            canvas.Brush()->SetColor(barColor);
            canvas.Rectangle(seg);
        } else if (!transparent) {
            canvas.Brush()->SetColor(backColor);
            canvas.Rectangle(seg);
        }
    }
}

} // namespace

TRect BarPartRect(const TRect& rect, TOrientation orientation, uint32_t percent)
{
    if (orientation == orVertical)
        return Rect(rect.Left, rect.Bottom - BarLength(rect.Height(), percent), rect.Right, rect.Bottom);
    return Rect(rect.Left, rect.Top, rect.Left + BarLength(rect.Width(), percent), rect.Bottom);
}

void DrawPlainBar(TCanvas& canvas, const TRect& rect, TOrientation orientation, bool transparent, bool showPercent,
                  uint32_t percent, TColor backColor, TColor barColor)
{
    const std::string text = PercentText(showPercent, percent);
    const TRect bar = BarPartRect(rect, orientation, percent);
    canvas.Font()->SetColor(backColor);
    canvas.Brush()->SetColor(barColor);
    PercentTextRect(canvas, rect, bar, text);
    canvas.Font()->SetColor(barColor);
    canvas.Brush()->SetColor(backColor);
    if (transparent)
        canvas.Brush()->SetStyle(bsClear);
    PercentTextRect(canvas, rect, RestRect(rect, bar, orientation), text);
}

void DrawGradientBar(TCanvas& canvas, const TRect& rect, TOrientation orientation, bool transparent, bool showPercent,
                     uint32_t percent, const TGradientBarColors& colors)
{
    const std::string text = PercentText(showPercent, percent);
    const TRect bar = BarPartRect(rect, orientation, percent);
    const TRect rest = RestRect(rect, bar, orientation);
    DrawGradientFill(canvas, bar, colors.Direction, colors.Bar, colors.BarStop, 1);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->SetColor(colors.Back);
    PercentTextRect(canvas, rect, bar, text);
    if (!transparent)
        DrawGradientFill(canvas, rest, colors.Direction, colors.Back, colors.BackStop, 1);
    canvas.Brush()->SetStyle(bsClear);
    canvas.Font()->SetColor(colors.Bar);
    PercentTextRect(canvas, rect, rest, text);
}

void DrawSegmentedBar(TCanvas& canvas, const TRect& rect, TOrientation orientation, bool transparent, bool themed,
                      uint32_t percent, int32_t segments, TColor backColor, TColor barColor)
{
    if (themed && ThemeServices()->ThemesEnabled())
        DrawThemedChunk(canvas, rect, orientation, percent);
    else
        DrawSegments(canvas, rect, orientation, transparent, percent, segments, backColor, barColor);
}
