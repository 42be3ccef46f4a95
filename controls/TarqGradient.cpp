// The gradient engine: channels run in 16.16 fixed point, equal neighbouring
// colours merge into one band, linear gradients are computed on an 8-pixel
// strip and spread by doubling copies, box gradients on one quadrant and
// mirrored.

#include <algorithm>
#include <cmath>
#include <vector>

#include "controls/TarqGrafx.h"

namespace {

constexpr int32_t StripSize = 8;

// One colour channel set moving from `begin` toward `end` in `steps` steps.
class TColorRamp {
public:
    TColorRamp(TColor begin, TColor end, int64_t steps)
    {
        const TColor b = ColorToRGB(begin), e = ColorToRGB(end);
        const int64_t n = std::max<int64_t>(steps, 1);
        Init(0, GetRValue(b), GetRValue(e), n);
        Init(1, GetGValue(b), GetGValue(e), n);
        Init(2, GetBValue(b), GetBValue(e), n);
    }
    TColor Color() const
    {
        return RGB(static_cast<uint8_t>(value_[0] >> 16), static_cast<uint8_t>(value_[1] >> 16),
                   static_cast<uint8_t>(value_[2] >> 16));
    }
    void Advance()
    {
        for (int i = 0; i < 3; ++i)
            value_[i] += inc_[i];
    }

private:
    void Init(int i, uint8_t begin, uint8_t end, int64_t steps)
    {
        value_[i] = int64_t{begin} << 16;
        inc_[i] = ((int64_t{end} << 16) - (int64_t{begin} << 16)) / steps;
    }
    int64_t value_[3] = {};
    int64_t inc_[3] = {};
};

// A band keeps the colour it started with and takes further positions while
// the colour stays the same or it holds no more than `slack` positions.
class TBand {
public:
    explicit TBand(int32_t slack) : slack_(slack) {}
    bool Open() const { return count_ > 0; }
    TColor Color() const { return color_; }
    bool Takes(TColor color) const { return Open() && (color == color_ || count_ < slack_ + 1); }
    void Start(TColor color)
    {
        color_ = color;
        count_ = 1;
    }
    void Grow() { ++count_; }
    void Close() { count_ = 0; }

private:
    int32_t slack_;
    TColor color_ = 0;
    int32_t count_ = 0;
};

int32_t BandSlack(int32_t step, bool boxRings)
{
    if (step <= 8)
        return std::max(step, 1) - 1;
    return (boxRings ? 256 : 255) / step;
}

void FillBand(TCanvas& work, const TRect& rect, TColor color)
{
    if (IsRectEmpty(rect))
        return;
    work.Brush()->SetColor(color);
    work.FillRect(rect);
}

// Positions `from` down to `to` (from >= to); position p covers row p - 1
// (or column p - 1) of the strip; the first position gets `begin`.
void GradientLinearStrip(TCanvas& work, bool alongY, int32_t from, int32_t to, TColor begin, TColor end, int32_t step)
{
    if (from < to)
        return;
    TColorRamp ramp(begin, end, from - to + 1);
    TBand band(BandSlack(step, false));
    int32_t bandFirst = from, last = from;
    auto flush = [&] {
        const TRect r = alongY ? Rect(0, last - 1, StripSize, bandFirst) : Rect(last - 1, 0, bandFirst, StripSize);
        FillBand(work, r, band.Color());
    };
    for (int32_t p = from; p >= to; --p) {
        const TColor color = ramp.Color();
        if (band.Takes(color)) {
            band.Grow();
        } else {
            if (band.Open())
                flush();
            band.Start(color);
            bandFirst = p;
        }
        last = p;
        ramp.Advance();
    }
    flush();
}

// Copies the strip beside itself, doubling it until it spans the bitmap.
void ReplicateGradientStrip(TCanvas& work, bool alongY, int32_t width, int32_t height)
{
    const int32_t extent = alongY ? width : height;
    for (int32_t done = StripSize; done < extent;) {
        const int32_t n = std::min(done, extent - done);
        if (alongY)
            work.BitBlt(done, 0, n, height, &work, 0, 0, SRCCOPY);
        else
            work.BitBlt(0, done, width, n, &work, 0, 0, SRCCOPY);
        done += n;
    }
}

void LinearGradient(TCanvas& work, TGradientDirection direction, int32_t width, int32_t height, TColor start,
                    TColor stop, int32_t step)
{
    const bool alongY = direction == gdHorizontalEnd || direction == gdHorizontalCenter;
    const bool centred = direction == gdHorizontalCenter || direction == gdVerticalCenter;
    const int32_t extent = alongY ? height : width;
    if (centred) {
        const int32_t c = extent / 2;
        GradientLinearStrip(work, alongY, c + 1, 1, stop, start, step);
        GradientLinearStrip(work, alongY, extent, c + 2, start, stop, step);
    } else {
        GradientLinearStrip(work, alongY, extent, 1, stop, start, step);
    }
    ReplicateGradientStrip(work, alongY, width, height);
}

// L-shaped rings on the top-left quadrant, from the core around
// (cx, cy) out to the bitmap's corner.
void GradientBoxRings(TCanvas& work, TGradientDirection direction, int32_t width, int32_t height, TColor start,
                      TColor stop, int32_t step)
{
    const int32_t cx = (width - 1) / 2, cy = (height - 1) / 2;
    int32_t dx = 0, dy = 0;
    if (direction == gdHorizontalBox || direction == gdBigSquareBox)
        dx = width / 4;
    if (direction == gdVerticalBox || direction == gdBigSquareBox)
        dy = height / 4;
    const int32_t ax = cx - dx, ay = cy - dy;
    const int32_t n = std::max(ax, ay) + 1;
    const int64_t xStep = (int64_t{ax} << 16) / n, yStep = (int64_t{ay} << 16) / n;
    TColorRamp ramp(stop, start, n);
    TBand band(BandSlack(step, true));
    int32_t fromX = cx + 1, fromY = cy + 1, lastX = fromX, lastY = fromY;
    auto flush = [&] {
        FillBand(work, Rect(lastX, lastY, cx + 1, fromY), band.Color());
        FillBand(work, Rect(lastX, fromY, fromX, cy + 1), band.Color());
    };
    int64_t x = int64_t{ax} << 16, y = int64_t{ay} << 16;
    for (int32_t k = 0; k <= n; ++k) {
        const TColor color = ramp.Color();
        if (band.Takes(color)) {
            band.Grow();
        } else {
            if (band.Open()) {
                flush();
                fromX = lastX;
                fromY = lastY;
            }
            band.Start(color);
        }
        lastX = static_cast<int32_t>(x >> 16);
        lastY = static_cast<int32_t>(y >> 16);
        x -= xStep;
        y -= yStep;
        ramp.Advance();
    }
    flush();
}

// Copies the top-left quadrant, mirrored, into the other three.
void MirrorBoxQuadrant(TCanvas& work, int32_t width, int32_t height)
{
    const int32_t hw = width / 2, hh = height / 2, p = hw % 2;
    work.StretchBlt(0, height - 1, hw + 1, -hh, &work, 0, 0, hw, hh, SRCCOPY);
    work.StretchBlt(width - 1, 0, -(hw + p), height, &work, 0, 0, hw - p, height, SRCCOPY);
}

void BoxGradient(TCanvas& work, TGradientDirection direction, int32_t width, int32_t height, TColor start, TColor stop,
                 int32_t step)
{
    if (ColorToRGB(start) == ColorToRGB(stop) || width < 5 || height <= 4) {
        FillBand(work, Rect(0, 0, width, height), ColorToRGB(start));
        return;
    }
    if (direction == gdHorizontalBox || direction == gdSquareBox)
        FillBand(work, Rect(0, 0, width, height), ColorToRGB(start));
    GradientBoxRings(work, direction, width, height, start, stop, step);
    MirrorBoxQuadrant(work, width, height);
}

// Bands parallel to one diagonal, sweeping from one corner to the opposite
// one in two halves that meet on the other diagonal.
class TDiagonalBands {
public:
    TDiagonalBands(TCanvas& work, int32_t width, int32_t height, bool up, TColor start, TColor stop, int32_t step)
        : work_(work), width_(width), height_(height),
          steps_(static_cast<int32_t>(std::sqrt(double(width) * width + double(height) * height)) + 1),
          ramp_(up ? start : stop, up ? stop : start, steps_), band_(BandSlack(step, false)), x0_(up ? 0 : width),
          far_(up ? width : 0), xStep_((up ? 1 : -1) * ((int64_t{width} << 16) / std::max(steps_ / 2, 1))),
          yStep_((int64_t{height} << 16) / std::max(steps_ / 2, 1))
    {}

    void Draw()
    {
        Half(false);
        Half(true);
    }

private:
    // The band from the previous corner points to the new ones.
    std::vector<TPoint> Quad(bool second, int32_t xPrev, int32_t yPrev, int32_t xNew, int32_t yNew) const
    {
        if (!second)
            return {{x0_, yNew}, {x0_, yPrev}, {xPrev, height_}, {xNew, height_}};
        return {{xNew, 0}, {xPrev, 0}, {far_, yPrev}, {far_, yNew}};
    }

    void Fill(const std::vector<TPoint>& points, TColor color)
    {
        work_.Brush()->SetColor(color);
        work_.Polygon(points);
    }

    void Half(bool second)
    {
        int64_t x = int64_t{x0_} << 16, y = int64_t{height_} << 16;
        int32_t fromX = x0_, fromY = height_, lastX = x0_, lastY = height_;
        band_.Close();
        auto flush = [&] {
            if (lastX != fromX || lastY != fromY)
                Fill(Quad(second, fromX, fromY, lastX, lastY), band_.Color());
        };
        while (y - yStep_ >= 0) {
            x += xStep_;
            y -= yStep_;
            const TColor color = ramp_.Color();
            if (band_.Takes(color)) {
                band_.Grow();
            } else {
                if (band_.Open()) {
                    flush();
                    fromX = lastX;
                    fromY = lastY;
                }
                band_.Start(color);
            }
            lastX = static_cast<int32_t>(x >> 16);
            lastY = static_cast<int32_t>(y >> 16);
            ramp_.Advance();
        }
        if (band_.Open())
            flush();
        // The closing band reaches the diagonal (first half) or the far corner.
        const TColor color = ramp_.Color();
        if (!second)
            Fill({{x0_, 0}, {x0_, lastY}, {lastX, height_}, {far_, height_}}, color);
        else
            Fill({{far_, 0}, {lastX, 0}, {far_, lastY}}, color);
    }

    TCanvas& work_;
    int32_t width_, height_, steps_;
    TColorRamp ramp_;
    TBand band_;
    int32_t x0_, far_;
    int64_t xStep_, yStep_;
};

void DiagonalGradient(TCanvas& work, TGradientDirection direction, int32_t width, int32_t height, TColor start,
                      TColor stop, int32_t step)
{
    if (ColorToRGB(start) == ColorToRGB(stop)) {
        FillBand(work, Rect(0, 0, width, height), ColorToRGB(start));
        return;
    }
    TDiagonalBands(work, width, height, direction == gdDiagonalUp, start, stop, step).Draw();
}

} // namespace

void DrawGradientFill(TCanvas& canvas, const TRect& rect, TGradientDirection direction, TColor start, TColor stop,
                      int32_t step)
{
    const int32_t width = rect.Width(), height = rect.Height();
    if (width <= 0 || height <= 0)
        return;
    TBitmap bitmap(width, height);
    TCanvas& work = *bitmap.Canvas();
    work.Pen()->SetWidth(1);
    work.Pen()->SetStyle(psClear);
    work.SetCopyMode(SRCCOPY);
    work.Brush()->SetStyle(bsSolid);
    switch (direction) {
    case gdDiagonalUp:
    case gdDiagonalDown: DiagonalGradient(work, direction, width, height, start, stop, step); break;
    case gdHorizontalBox:
    case gdVerticalBox:
    case gdSquareBox:
    case gdBigSquareBox: BoxGradient(work, direction, width, height, start, stop, step); break;
    default: LinearGradient(work, direction, width, height, start, stop, step); break;
    }
    canvas.Draw(rect.Left, rect.Top, &bitmap);
}
