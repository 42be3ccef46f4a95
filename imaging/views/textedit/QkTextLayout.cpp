#include <algorithm>

#include "imaging/core/QkCanvas.h"
#include "imaging/views/textedit/QkTextControl.h"
#include "platform/core/Strings.h"
#include "platform/core/Types.h"
#include "platform/gfx/Canvas.h"

namespace {

bool IsBlank(char32_t c) { return c == U' ' || c == U'\n'; }

} // namespace

// Line of the layout: [Start, End) with its tallest height, leading and
// descent.
struct TQkTextControl::TLine {
    int32_t Start = 0;
    int32_t End = 0;
    int32_t Height = 0;
    int32_t Leading = 0;
    int32_t Descent = 0;
    bool StopsLayout = false;
};

TQkCharMetrics TQkTextControl::MeasureChar(int32_t index)
{
    TCharLayout& cached = layout_[index];
    if (cached.Width != 0 || cached.Height != 0)
        return {cached.Width, cached.Height, cached.Leading, cached.Descent};
    TFont font;
    RunToFont(singleFormat_ ? DefaultRun() : CharRun(index), font);
    const char32_t c = chars_[index];
    TQkCharMetrics metrics = measurer_->Measure(c <= 30 || c == 127 ? U' ' : c, font);
    if (fixedCharHeight_ != 0)
        metrics = {metrics.Width, fixedCharHeight_, 0, 0};
    cached.Width = metrics.Width;
    cached.Height = metrics.Height;
    cached.Leading = metrics.Leading;
    cached.Descent = metrics.Descent;
    return metrics;
}

void TQkTextControl::ApplyRun(TCanvas& canvas, const TQkFormatRun& given, bool selected) const
{
    const TQkFormatRun run = singleFormat_ ? DefaultRun() : given;
    const TColor fontColor = canvas.Font()->Color();
    const TColor backColor = canvas.Brush()->Color();
    RunToFont(run, *canvas.Font());
    canvas.Font()->SetHeight(static_cast<int32_t>(Trunc(run.FontHeight * zoom_)));
    if (monochromeDraw_)
        canvas.Font()->SetColor(fontColor);
    else
        canvas.Brush()->SetColor(run.BackColor);
    canvas.Brush()->SetStyle(static_cast<TBrushStyle>(run.BackStyle));
    if (monochromeDraw_)
        canvas.Brush()->SetColor(backColor);
    if (selected) {
        canvas.Font()->SetColor(~canvas.Font()->Color() & 0xFFFFFF);
        canvas.Brush()->SetColor(~canvas.Brush()->Color() & 0xFFFFFF);
        canvas.Brush()->SetStyle(bsSolid);
    }
}

void TQkTextControl::RenderText(TQkCanvas& canvas, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (width <= 1 || height <= 1)
        return;
    collectedText_.clear();
    TCanvas& target = *canvas.GetHandle();
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(monochromeDraw_ ? defaultFont_.Color() : framePen_.Color());
    canvas.Pen().SetStyle(framePen_.Style());
    canvas.Brush().SetColor(boxBrush_.Color());
    canvas.Brush().SetStyle(boxBrush_.Style());
    canvas.Rectangle(x, y, x + static_cast<int32_t>(Round(width * zoom_)),
                     y + static_cast<int32_t>(Round(height * zoom_)));
    canvas.Pen().SetStyle(psSolid);

    const int32_t w = static_cast<int32_t>(Trunc(width - width * marginRight_ / 100 - width * marginLeft_ / 100)) - 2;
    const int32_t h =
        static_cast<int32_t>(Trunc(height - height * marginBottom_ / 100 - height * marginTop_ / 100)) - 2;
    const int32_t ox = static_cast<int32_t>(Trunc(width * marginLeft_ / 100)) + 1;
    const int32_t oy = static_cast<int32_t>(Trunc(height * marginTop_ / 100)) + 1;
    const TRect clip{x + ox, y + oy, x + ox + static_cast<int32_t>(Trunc(w * zoom_)),
                     y + oy + static_cast<int32_t>(Trunc(h * zoom_))};

    std::vector<TGlyph> glyphs;
    int32_t lineTop = 0;
    int32_t lastDescent = 0;
    int32_t lastHeight = 0;
    bool stopped = false;
    for (int32_t start = 0; start < TextLength() && !stopped;) {
        const TLine line = MeasureLine(start, w);
        if (line.StopsLayout)
            break;
        const int32_t baseline = y + oy + lineTop + line.Height - line.Leading;
        if (autoHeight_ && Visible() && HasParent() && baseline + line.Descent > y + oy + h) {
            SetHeight(static_cast<int32_t>(Trunc((baseline + line.Descent + line.Height) * zoom_)));
            stopped = true;
            break;
        }
        stopped = PlaceLine(line, x, y, ox, oy, w, h, lineTop, baseline, glyphs);
        lastHeight = line.Height;
        lastDescent = line.Descent;
        lineTop += line.Height + lineSpacing_;
        start = line.End;
    }
    PlaceCaret(ox, oy, lineTop, lastHeight);
    DrawGlyphs(target, glyphs, x, y, clip);
    ScaleLayout();
    if (!stopped && autoHeight_ && Visible() && HasParent() &&
        caretY_ + caretHeight_ > static_cast<int32_t>(Trunc(h * zoom_)))
        SetHeight(caretY_ + caretHeight_ + lastDescent);
}

TQkTextControl::TLine TQkTextControl::MeasureLine(int32_t start, int32_t w)
{
    TLine line;
    line.Start = start;
    int32_t x = 0;
    int32_t lastSpace = -1;
    int32_t i = start;
    for (; i < TextLength(); ++i) {
        const TQkCharMetrics metrics = MeasureChar(i);
        if (chars_[i] == U'\n') {
            ++i;
            break;
        }
        if (x + metrics.Width + 2 >= w) {
            if (i == start) {
                // A character wider than the text area on an empty line ends
                // the layout: it could never be placed.
                line.StopsLayout = true;
                return line;
            }
            i = lastSpace >= 0 ? lastSpace + 1 : i;
            break;
        }
        x += metrics.Width;
        if (chars_[i] == U' ')
            lastSpace = i;
    }
    line.End = i;
    for (int32_t k = start; k < line.End; ++k) {
        const TQkCharMetrics metrics = MeasureChar(k);
        line.Height = std::max(line.Height, metrics.Height);
        line.Leading = std::max(line.Leading, metrics.Leading);
        line.Descent = std::max(line.Descent, metrics.Descent);
    }
    return line;
}

bool TQkTextControl::PlaceLine(const TLine& line, int32_t x, int32_t y, int32_t ox, int32_t oy, int32_t w, int32_t h,
                               int32_t lineTop, int32_t baseline, std::vector<TGlyph>& glyphs)
{
    int32_t last = line.End - 1;
    while (last >= line.Start && IsBlank(chars_[last]))
        --last;
    int32_t end = 0;
    for (int32_t k = line.Start; k <= last; ++k)
        end += layout_[k].Width;
    const uint8_t alignment = singleFormat_ ? defaultAlignment_ : CharRun(std::max(last, line.Start)).Alignment;
    const bool paragraphEnd = line.End >= TextLength() || chars_[line.End - 1] == U'\n';
    int32_t startX = 0;
    double factor = 1.0;
    if (alignment == paRight)
        startX = w - end - 1;
    else if (alignment == paCenter)
        startX = (w - end) / 2;
    else if (alignment == paJustify && !paragraphEnd)
        factor = static_cast<double>(w) / (end + 1);

    int32_t sum = 0;
    int32_t previousEnd = startX;
    for (int32_t i = line.Start; i < line.End; ++i) {
        const int32_t charX = startX + static_cast<int32_t>(Trunc(sum * factor));
        for (int32_t gap = previousEnd; gap < charX; ++gap)
            glyphs.push_back({x + ox + gap, baseline, U' ', i});
        glyphs.push_back({x + ox + charX, baseline, chars_[i], i});
        layout_[i].X = ox + charX;
        layout_[i].LineY = oy + lineTop;
        sum += layout_[i].Width;
        previousEnd = charX + layout_[i].Width;
        if (collectText_) {
            if (baseline > y + oy + h)
                return true;
            collectedText_ += Utf8Encode(chars_[i]);
        }
    }
    if (collectText_)
        collectedText_ += "\n";
    return false;
}

void TQkTextControl::PlaceCaret(int32_t ox, int32_t oy, int32_t nextLineTop, int32_t lastHeight)
{
    const int32_t n = TextLength();
    if (n == 0) {
        TFont font;
        RunToFont(DefaultRun(), font);
        caretX_ = ox;
        caretY_ = oy;
        caretHeight_ = fixedCharHeight_ != 0 ? fixedCharHeight_ : measurer_->Measure(U' ', font).Height;
    } else if (caretIndex_ < n && layout_[caretIndex_].X >= 0) {
        caretX_ = layout_[caretIndex_].X;
        caretY_ = layout_[caretIndex_].LineY;
        caretHeight_ = LineHeightAt(caretIndex_);
    } else if (caretIndex_ > 0 && layout_[caretIndex_ - 1].X >= 0) {
        const int32_t before = caretIndex_ - 1;
        if (chars_[before] == U'\n') {
            caretX_ = ox;
            caretY_ = caretIndex_ == n ? oy + nextLineTop : layout_[before].LineY + LineHeightAt(before) + lineSpacing_;
            caretHeight_ = lastHeight;
        } else {
            caretX_ = layout_[before].X + layout_[before].Width;
            caretY_ = layout_[before].LineY;
            caretHeight_ = LineHeightAt(before);
        }
    }
}

int32_t TQkTextControl::LineHeightAt(int32_t index) const
{
    int32_t height = 0;
    for (size_t i = 0; i < chars_.size(); ++i)
        if (layout_[i].LineY == layout_[index].LineY)
            height = std::max(height, layout_[i].Height);
    return height;
}

void TQkTextControl::DrawGlyphs(TCanvas& target, const std::vector<TGlyph>& glyphs, int32_t x, int32_t y,
                                const TRect& clip)
{
    const uint32_t savedAlign = target.TextAlign();
    const int state = target.SaveDC();
    target.IntersectClipRect(clip.Left, clip.Top, clip.Right, clip.Bottom);
    target.SetTextAlign(TA_BASELINE | TA_LEFT);
    for (const TGlyph& glyph : glyphs) {
        const bool selected = glyph.Index >= selStart_ && glyph.Index < selEnd_;
        ApplyRun(target, CharRun(glyph.Index), selected);
        const int32_t gx = x + static_cast<int32_t>(Trunc((glyph.X - x) * zoom_));
        const int32_t gy = y + static_cast<int32_t>(Trunc((glyph.Baseline - y) * zoom_));
        target.TextOut(gx, gy, glyph.Character == U'\n' ? std::string(" ") : Utf8Encode(glyph.Character));
    }
    target.RestoreDC(state);
    target.SetTextAlign(savedAlign);
}

void TQkTextControl::ScaleLayout()
{
    if (zoom_ != 1.0) {
        for (TCharLayout& cell : layout_) {
            if (cell.X >= 0)
                cell.X = static_cast<int32_t>(Trunc(cell.X * zoom_));
            if (cell.LineY >= 0)
                cell.LineY = static_cast<int32_t>(Trunc(cell.LineY * zoom_));
        }
        caretX_ = static_cast<int32_t>(Trunc(caretX_ * zoom_));
        caretY_ = static_cast<int32_t>(Trunc(caretY_ * zoom_));
        caretHeight_ = static_cast<int32_t>(Trunc(caretHeight_ * zoom_));
    }
    layout_[caretIndex_].X = caretX_;
    layout_[caretIndex_].LineY = caretY_;
}

void TQkTextControl::PaintBufferBackground()
{
    TCanvas& buffer = *bufferBitmap_->Canvas();
    const TRect area{0, 0, bufferBitmap_->Width(), bufferBitmap_->Height()};
    if (boxBrush_.Style() != bsSolid && backgroundBitmap_ != nullptr)
        buffer.CopyRect(area, backgroundBitmap_->Canvas(), {Left(), Top(), Left() + area.Right, Top() + area.Bottom});
    if (boxBrush_.Style() != bsClear) {
        buffer.Brush()->Assign(&boxBrush_);
        buffer.FillRect(area);
    }
}

void TQkTextControl::Paint()
{
    if (!Visible() || !HasParent())
        return;
    if (bufferBitmap_->Width() != ClientWidth() || bufferBitmap_->Height() != ClientHeight())
        bufferBitmap_->SetSize(ClientWidth(), ClientHeight());
    PaintBufferBackground();
    {
        TQkCanvas canvas(*bufferBitmap_->Canvas(), true, false);
        RenderText(canvas, 0, 0, static_cast<int32_t>(Trunc(ClientWidth() / zoom_)),
                   static_cast<int32_t>(Trunc(ClientHeight() / zoom_)));
    }
    Canvas()->Draw(0, 0, bufferBitmap_.get());
    PlaceSystemCaret();
}
