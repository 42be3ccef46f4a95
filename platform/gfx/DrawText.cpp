#include "platform/gfx/DrawText.h"

#include "platform/core/Strings.h"
#include "platform/gfx/FontFace.h"
#include "platform/gfx/Shapes.h"

#include <algorithm>

namespace {

constexpr char32_t Ellipsis[] = U"...";
constexpr int TabColumns = 8;

struct TLine {
    std::u32string Text;
    std::vector<size_t> Underlined; // character indices
};

// Removes the prefix marks; underlined characters are noted per index.
TLine StripPrefixes(const std::u32string& text, uint32_t format)
{
    TLine line;
    if (format & DT_NOPREFIX) {
        line.Text = text;
        return line;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != U'&') {
            line.Text += text[i];
            continue;
        }
        if (i + 1 >= text.size())
            break;
        ++i;
        if (text[i] != U'&' && !(format & DT_HIDEPREFIX))
            line.Underlined.push_back(line.Text.size());
        line.Text += text[i];
    }
    return line;
}

class TLayout {
public:
    TLayout(TCanvas& canvas, uint32_t format) : FFace(canvas.CurrentFace()), FFormat(format)
    {
        FTabWidth = std::max(1, FFace.Metrics().tmAveCharWidth * TabColumns);
    }

    int32_t CharWidth(char32_t c, int32_t x)
    {
        if (c == U'\t' && (FFormat & DT_EXPANDTABS))
            return (x / FTabWidth + 1) * FTabWidth - x;
        if (c == U'\r' || c == U'\n')
            return 0;
        return FFace.Advance(c);
    }
    std::vector<int32_t> Advances(const std::u32string& s)
    {
        std::vector<int32_t> advances;
        int32_t x = 0;
        for (char32_t c : s) {
            advances.push_back(CharWidth(c, x));
            x += advances.back();
        }
        return advances;
    }
    // Joined and right-to-left text is measured as shaped.
    bool Shaped(const std::u32string& s) const { return NeedsShaping(s); }
    int32_t Width(const std::u32string& s)
    {
        if (Shaped(s))
            return FFace.Shape(s).Width;
        int32_t width = 0;
        for (int32_t a : Advances(s))
            width += a;
        return width;
    }

private:
    TFontFace& FFace;
    uint32_t FFormat;
    int32_t FTabWidth;
};

std::vector<TLine> SplitLines(const TLine& all, uint32_t format)
{
    std::vector<TLine> lines(1);
    for (size_t i = 0; i < all.Text.size(); ++i) {
        const char32_t c = all.Text[i];
        if (std::find(all.Underlined.begin(), all.Underlined.end(), i) != all.Underlined.end())
            lines.back().Underlined.push_back(lines.back().Text.size());
        const bool lineBreak = (c == U'\r' || c == U'\n') && !(format & DT_SINGLELINE);
        if (!lineBreak) {
            lines.back().Text += c;
            continue;
        }
        if (c == U'\r' && i + 1 < all.Text.size() && all.Text[i + 1] == U'\n')
            ++i;
        lines.emplace_back();
    }
    return lines;
}

TLine Slice(const TLine& line, size_t from, size_t to)
{
    TLine part;
    part.Text = line.Text.substr(from, to - from);
    for (size_t u : line.Underlined)
        if (u >= from && u < to)
            part.Underlined.push_back(u - from);
    return part;
}

// Ideographic scripts wrap between any two characters.
bool IsIdeographic(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
        (c >= 0xFF00 && c <= 0xFFEF);
}

// Whether a line may end before character i (i > 0): after a space's run
// or next to an ideograph.
bool MayBreakBefore(const std::u32string& s, size_t i)
{
    return (s[i] != U' ' && s[i - 1] == U' ') || IsIdeographic(s[i]) || IsIdeographic(s[i - 1]);
}

// Where the piece starting at `start` ends: the last break before the
// first character that overflows `width`, or (for an overlong word) the
// first break after it; s.size() when the rest fits.
size_t PieceEnd(const std::u32string& s, size_t start, int32_t width, TLayout& layout)
{
    size_t end = start, lastBreak = std::u32string::npos;
    int32_t x = 0;
    for (; end < s.size(); ++end) {
        if (end > start && MayBreakBefore(s, end))
            lastBreak = end;
        const int32_t w = layout.CharWidth(s[end], x);
        if (x + w > width && s[end] != U' ' && end > start)
            break;
        x += w;
    }
    if (end >= s.size())
        return s.size();
    if (lastBreak != std::u32string::npos)
        return lastBreak;
    // A word longer than the width stays whole, up to the next break.
    for (size_t i = end + 1; i < s.size(); ++i)
        if (MayBreakBefore(s, i))
            return i;
    return s.size();
}

// Breaks one line so that each piece fits `width`, dropping the spaces at
// the breaks.
void WrapLine(const TLine& line, int32_t width, TLayout& layout, std::vector<TLine>& out)
{
    const std::u32string& s = line.Text;
    size_t start = 0;
    do {
        const size_t next = PieceEnd(s, start, width, layout);
        size_t lineEnd = next;
        while (lineEnd > start && s[lineEnd - 1] == U' ')
            --lineEnd;
        out.push_back(Slice(line, start, lineEnd));
        start = next;
        while (start < s.size() && s[start] == U' ')
            ++start;
    } while (start < s.size());
}

// Shortens the end of the text and appends "..." until it fits.
std::u32string EndEllipsis(const std::u32string& s, int32_t width, TLayout& layout)
{
    std::u32string head = s;
    while (!head.empty() && layout.Width(head + Ellipsis) > width)
        head.pop_back();
    return head + Ellipsis;
}

std::u32string PathEllipsis(const std::u32string& s, int32_t width, TLayout& layout)
{
    const size_t separator = s.find_last_of(U"\\/");
    if (separator == std::u32string::npos || separator == 0)
        return EndEllipsis(s, width, layout);
    const std::u32string tail = s.substr(separator);
    std::u32string head = s.substr(0, separator);
    while (!head.empty() && layout.Width(head + Ellipsis + tail) > width)
        head.pop_back();
    const std::u32string result = head + Ellipsis + tail;
    return layout.Width(result) > width ? EndEllipsis(std::u32string(Ellipsis) + tail, width, layout) : result;
}

void ApplyEllipsis(TLine& line, int32_t width, uint32_t format, TLayout& layout)
{
    if (!(format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) || layout.Width(line.Text) <= width)
        return;
    line.Text =
        (format & DT_PATH_ELLIPSIS) ? PathEllipsis(line.Text, width, layout) : EndEllipsis(line.Text, width, layout);
    line.Underlined.clear();
}

void UnderlineCharacters(TCanvas& canvas, const TLine& line, const std::vector<int32_t>& advances, int32_t x,
                         int32_t baseline, const TRect* clip)
{
    TFontFace& face = canvas.CurrentFace();
    const TRasterSurface s = canvas.Surface();
    const uint32_t raw = RgbToRaw(ColorToPixelRGB(canvas.TextColor()), s.Bpp, s.Palette);
    const TPoint origin = canvas.ViewportOrigin();
    std::vector<TSpan> spans;
    for (size_t index : line.Underlined) {
        int32_t left = x;
        for (size_t i = 0; i < index; ++i)
            left += advances[i];
        int32_t right = left + advances[index];
        const int32_t y = baseline + face.UnderlineOffset();
        for (int32_t t = 0; t < face.UnderlineThickness(); ++t) {
            if (clip && (y + t < clip->Top || y + t >= clip->Bottom))
                continue;
            const int32_t a = clip ? std::max(left, clip->Left) : left;
            const int32_t b = clip ? std::min(right, clip->Right) : right;
            spans.push_back({y + t + origin.Y, a + origin.X, b + origin.X});
        }
    }
    canvas.PaintSpans(spans, raw, R2_COPYPEN);
}

} // namespace

int32_t DrawText(TCanvas& canvas, const std::string& text, TRect& rect, uint32_t format)
{
    TLayout layout(canvas, format);
    const TTextMetric metrics = canvas.GetTextMetrics();
    const int32_t lineHeight = metrics.tmHeight + ((format & DT_EXTERNALLEADING) ? metrics.tmExternalLeading : 0);
    const int32_t width = rect.Width();

    std::vector<TLine> lines;
    for (const TLine& line : SplitLines(StripPrefixes(Utf8ToUtf32(text), format), format)) {
        if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE))
            WrapLine(line, width, layout, lines);
        else
            lines.push_back(line);
    }
    for (TLine& line : lines)
        ApplyEllipsis(line, width, format, layout);

    const int32_t height = lineHeight * static_cast<int32_t>(lines.size());
    if (format & DT_CALCRECT) {
        int32_t widest = 0;
        for (const TLine& line : lines)
            widest = std::max(widest, layout.Width(line.Text));
        rect.Right = rect.Left + widest;
        rect.Bottom = rect.Top + height;
        return height;
    }

    int32_t top = rect.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect.Top + (rect.Height() - lineHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect.Bottom - lineHeight;
    }
    const uint32_t savedAlign = canvas.TextAlign();
    canvas.SetTextAlign(TA_LEFT | TA_TOP);
    const TRect* clip = (format & DT_NOCLIP) ? nullptr : &rect;
    for (const TLine& line : lines) {
        const int32_t lineWidth = layout.Width(line.Text);
        int32_t x = rect.Left;
        if (format & DT_CENTER)
            x = rect.Left + (width - lineWidth) / 2;
        else if (format & DT_RIGHT)
            x = rect.Right - lineWidth;
        if (layout.Shaped(line.Text)) {
            // Shaped glyphs do not map one to one onto characters, so there
            // is no character cell to underline.
            canvas.ExtTextOut(x, top, clip ? ETO_CLIPPED : 0, clip, Utf32ToUtf8(line.Text));
        } else {
            const std::vector<int32_t> advances = layout.Advances(line.Text);
            canvas.ExtTextOut(x, top, clip ? ETO_CLIPPED : 0, clip, Utf32ToUtf8(line.Text), advances.data());
            UnderlineCharacters(canvas, line, advances, x, top + metrics.tmAscent, clip);
        }
        top += lineHeight;
    }
    canvas.SetTextAlign(savedAlign);
    return (format & DT_SINGLELINE) ? top - rect.Top : height;
}
