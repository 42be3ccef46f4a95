// The coverage mask of the anti-aliased text engine: measuring, rendering
// at N times the size and averaging down, and the mask effects.

#include "controls/aa/AAFont.h"

#include "platform/core/Strings.h"
#include "platform/core/Types.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

int32_t ScaleOf(TAAQuality quality)
{
    switch (quality) {
    case aqHigh: return 4;
    case aqNormal: return 3;
    case aqLow: return 2;
    default: return 1;
    }
}

// The canvas font at `scale` times its size.
void ScaleFont(TFont& font, const TFont& source, int32_t scale)
{
    font.Assign(&source);
    font.SetHeight(source.Height() * scale);
}

int32_t CeilDiv(int32_t value, int32_t divisor) { return (value + divisor - 1) / divisor; }

uint8_t AverageBlock(const TBitmap& samples, int32_t x, int32_t y, TAAQuality quality)
{
    auto s = [&](int32_t row, int32_t column) -> uint32_t { return samples.ScanLine(y + row)[x + column]; };
    switch (quality) {
    case aqHigh: {
        uint32_t sum = 0;
        for (int32_t row = 0; row < 4; ++row)
            for (int32_t column = 0; column < 4; ++column)
                sum += s(row, column);
        return static_cast<uint8_t>(sum >> 4);
    }
    case aqNormal:
        // Two opposite corners count half, so eight weights sum to the shift.
        return static_cast<uint8_t>(
            (s(0, 0) + s(0, 1) + s(0, 2) / 2 + s(1, 0) + s(1, 1) + s(1, 2) + s(2, 0) / 2 + s(2, 1) + s(2, 2)) >> 3);
    case aqLow: return static_cast<uint8_t>((s(0, 0) + s(0, 1) + s(1, 0) + s(1, 1)) >> 2);
    default: return static_cast<uint8_t>(s(0, 0));
    }
}

} // namespace

const TPalette& GrayPalette()
{
    static const TPalette palette = TPalette::Grey256();
    return palette;
}

TTextExtent RotatedTextBox(int32_t width, int32_t height, double angle)
{
    const double s = std::sin(-angle), c = std::cos(-angle);
    const double hw = width / 2.0, hh = height / 2.0;
    const double corners[4][2] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
    TPoint mapped[4];
    for (int i = 0; i < 4; ++i) {
        const double px = corners[i][0], py = corners[i][1];
        mapped[i] = {static_cast<int32_t>(Round(px * c - py * s)), static_cast<int32_t>(Round(px * s + py * c))};
    }
    auto [minX, maxX] = std::minmax({mapped[0].X, mapped[1].X, mapped[2].X, mapped[3].X});
    auto [minY, maxY] = std::minmax({mapped[0].Y, mapped[1].Y, mapped[2].Y, mapped[3].Y});
    TTextExtent extent;
    extent.Size = {maxX - minX, maxY - minY};
    extent.Origin = {extent.Size.cx / 2 + mapped[0].X, extent.Size.cy / 2 + mapped[0].Y};
    return extent;
}

TAAMask::TAAMask(TAAFont* font) : FFont(font) {}

void TAAMask::SetQuality(TAAQuality value)
{
    FQuality = value;
    FScale = ScaleOf(value);
}

uint8_t* TAAMask::MaskRow(int32_t y)
{
    if (y < 0 || y >= FHeight)
        throw EInvalidLine();
    return FBuffer.data() + static_cast<size_t>(FHeight - 1 - y) * FRowStride;
}

const uint8_t* TAAMask::MaskRow(int32_t y) const { return const_cast<TAAMask*>(this)->MaskRow(y); }

void TAAMask::SetSize(int32_t width, int32_t height)
{
    FWidth = std::max(width, 0);
    FHeight = std::max(height, 0);
    FRowStride = (FWidth + 3) / 4 * 4;
    FBuffer.assign(static_cast<size_t>(FRowStride) * FHeight, 0);
}

TTextExtent TAAMask::MeasureText(const std::string& text) const
{
    TCanvas* canvas = FFont ? FFont->Canvas() : nullptr;
    if (!canvas)
        return {};
    const TFont& source = *canvas->Font();
    TBitmap screen(1, 1);
    TFont* font = screen.Canvas()->Font();
    ScaleFont(*font, source, FScale);
    // The extent along the baseline; the turned box follows below.
    font->SetOrientation(0);
    TSize size = screen.Canvas()->TextExtent(text);
    size.cx = CeilDiv(size.cx, FScale);
    size.cy = CeilDiv(size.cy, FScale);
    const auto length = static_cast<int32_t>(Utf8ToUtf32(text).size());
    if (source.Style().Contains(fsItalic) && length > 0)
        size.cx += static_cast<int32_t>(Round(static_cast<long double>(size.cx) / length * 0.3L));
    if (source.Orientation() == 0)
        return {size, {0, 0}};
    return RotatedTextBox(size.cx, size.cy, source.Orientation() * std::numbers::pi / 1800);
}

void TAAMask::BuildMask(const std::string& text, TSize size, TPoint point)
{
    TCanvas* canvas = FFont ? FFont->Canvas() : nullptr;
    if (!canvas)
        return;
    const TFont& source = *canvas->Font();
    TBitmap samples(std::max(size.cx * FScale, 1), std::max(size.cy * FScale, 1), pf8bit);
    samples.SetPalette(GrayPalette());
    TCanvas& sampleCanvas = *samples.Canvas();
    sampleCanvas.Brush()->SetColor(clBlack);
    sampleCanvas.Brush()->SetStyle(bsSolid);
    ScaleFont(*sampleCanvas.Font(), source, FScale);
    sampleCanvas.Font()->SetColor(clWhite);
    sampleCanvas.FillRect(Rect(0, 0, samples.Width(), samples.Height()));
    TPoint start{point.X * FScale, point.Y * FScale};
    if (source.Orientation() != 0) {
        TPoint origin = MeasureText(text).Origin;
        start.X += origin.X * FScale;
        start.Y += origin.Y * FScale;
    }
    sampleCanvas.TextOut(start.X, start.Y, text);
    SetSize(size.cx, size.cy);
    Downsample(samples);
}

void TAAMask::Downsample(TBitmap& samples)
{
    for (int32_t y = 0; y < FHeight; ++y) {
        uint8_t* row = MaskRow(y);
        for (int32_t x = 0; x < FWidth; ++x)
            row[x] = AverageBlock(samples, x * FScale, y * FScale, FQuality);
    }
}

void TAAMask::BuildTextMask(const std::string& text) { BuildMask(text, MeasureText(text).Size, {0, 0}); }

void TAAMask::OutlineMask()
{
    if (FHeight < 3)
        return;
    TAAMask copy(FFont);
    copy.Assign(this);
    for (int32_t y = 1; y < FHeight - 1; ++y) {
        const uint8_t* above = copy.MaskRow(y - 1);
        const uint8_t* here = copy.MaskRow(y);
        const uint8_t* below = copy.MaskRow(y + 1);
        uint8_t* out = MaskRow(y);
        for (int32_t x = 1; x < FWidth - 1; ++x) {
            const int32_t v = std::abs(below[x + 1] - above[x - 1]) + std::abs(below[x] - above[x]) +
                std::abs(here[x + 1] - here[x - 1]) + std::abs(below[x - 1] - above[x + 1]);
            out[x] = static_cast<uint8_t>(v < 1024 ? v / 4 : 255);
        }
    }
}

void TAAMask::BlurMask(int32_t amount)
{
    if (FWidth == 0 || FHeight == 0)
        return;
    const int32_t a = static_cast<int32_t>(Round(std::clamp(amount, 0, 100) * 255 / 100.0L));
    const std::vector<uint8_t> original = FBuffer;
    auto at = [&](int32_t x, int32_t y) {
        x = std::clamp(x, 0, FWidth - 1);
        y = std::clamp(y, 0, FHeight - 1);
        return static_cast<int32_t>(original[static_cast<size_t>(FHeight - 1 - y) * FRowStride + x]);
    };
    for (int32_t y = 0; y < FHeight; ++y) {
        uint8_t* row = MaskRow(y);
        for (int32_t x = 0; x < FWidth; ++x) {
            int32_t sum = 0;
            for (int32_t dy = -2; dy <= 2; ++dy)
                for (int32_t dx = -2; dx <= 2; ++dx)
                    sum += at(x + dx, y + dy);
            const auto average = static_cast<int32_t>(Round(sum / 25.0L));
            if (a == 255)
                row[x] = static_cast<uint8_t>(average);
            else // an arithmetic shift floors a negative difference
                row[x] = static_cast<uint8_t>(row[x] + (((average - row[x]) * a) >> 8));
        }
    }
}

void TAAMask::SprayMask(int32_t amount, TAARandom& random)
{
    for (int32_t y = 0; y < FHeight; ++y) {
        uint8_t* row = MaskRow(y);
        for (int32_t x = 0; x < FWidth; ++x) {
            const int32_t c = random.Random(amount + 1);
            const int32_t sx = std::clamp(x + c - random.Random(2 * c), 0, FWidth - 1);
            const int32_t sy = std::clamp(y + c - random.Random(2 * c), 0, FHeight - 1);
            row[x] = MaskRow(sy)[sx];
        }
    }
}

void TAAMask::MirrorHorizontally()
{
    for (int32_t y = 0; y < FHeight; ++y)
        std::reverse(MaskRow(y), MaskRow(y) + FWidth);
}

void TAAMask::MirrorVertically()
{
    for (int32_t y = 0; y < FHeight / 2; ++y)
        std::swap_ranges(MaskRow(y), MaskRow(y) + FRowStride, MaskRow(FHeight - 1 - y));
}

void TAAMask::Assign(const TPersistent* source)
{
    if (const auto* other = dynamic_cast<const TAAMask*>(source)) {
        FQuality = other->FQuality;
        FScale = other->FScale;
        FWidth = other->FWidth;
        FHeight = other->FHeight;
        FRowStride = other->FRowStride;
        FBuffer = other->FBuffer;
        return;
    }
    TPersistent::Assign(source);
}

int32_t TAARandom::Next(int32_t range) { return std::uniform_int_distribution<int32_t>(0, range - 1)(FEngine); }
