// The row renderers: every source format's pixels turned into 24-bit
// colour, adjusted, combined and blended into the destination rows.

#include "imaging/core/QkRenderRows.h"

#include <cmath>
#include <cstring>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/core/QkCombinePixel.h"

namespace {

// Fetches destination rows: from the table, or, for file storage, one at a
// time from the bitmap, each address used only until the next fetch.
uint8_t* DestinationRow(const TQkRowRenderJob& job, int32_t row)
{
    return job.Rows.empty() ? job.Destination.GetScanline(row) : job.Rows[size_t(row)];
}

int32_t SourceRow(const TQkRowRenderJob& job, int32_t row)
{
    const TQkRenderArea& area = job.Area;
    return job.RowMap.empty() ? area.Source.Y + (row - area.Destination.Y) : job.RowMap[size_t(row - area.FirstRow)];
}

int32_t SourceColumn(const TQkRowRenderJob& job, int32_t column)
{
    const TQkRenderArea& area = job.Area;
    return job.Columns.empty() ? area.Source.X + (column - area.Destination.X)
                               : job.Columns[size_t(column - area.FirstColumn)];
}

// Makes destination rows drawn from the same source row as the row before
// them copies of it, from a copy the renderer keeps: a file-stored row's
// address dies with the next fetch.
class TDuplicateRows {
public:
    TDuplicateRows(const TQkRowRenderJob& job, bool enabled)
        : enabled_(enabled), start_(3 * size_t(job.Area.FirstColumn)),
          bytes_(3 * size_t(job.Area.LastColumn - job.Area.FirstColumn + 1))
    {}

    bool CopyInto(uint8_t* target, int32_t sourceRow) const
    {
        if (!enabled_ || sourceRow != previousSource_)
            return false;
        std::memcpy(target + start_, previous_.data(), bytes_);
        return true;
    }

    void Keep(const uint8_t* target, int32_t sourceRow)
    {
        if (!enabled_)
            return;
        previous_.assign(target + start_, target + start_ + bytes_);
        previousSource_ = sourceRow;
    }

private:
    bool enabled_;
    size_t start_;
    size_t bytes_;
    std::vector<uint8_t> previous_;
    int32_t previousSource_ = -1;
};

void CopyRow24RGB(const TQkRowRenderJob& job, uint8_t* target, const uint8_t* source)
{
    const TQkRenderArea& area = job.Area;
    uint8_t* pixel = target + 3 * size_t(area.FirstColumn);
    if (job.Columns.empty()) {
        std::memcpy(pixel, source + 3 * size_t(SourceColumn(job, area.FirstColumn)),
                    3 * size_t(area.LastColumn - area.FirstColumn + 1));
        return;
    }
    for (const int32_t column : job.Columns) {
        std::memcpy(pixel, source + 3 * size_t(column), 3);
        pixel += 3;
    }
}

// The unadjusted qk24RGB member: rows copied, or pixels copied by the maps.
void CopyRows24RGB(TQkBitmap& source, const TQkRowRenderJob& job)
{
    TDuplicateRows duplicates(job, job.DuplicateRows);
    for (int32_t row = job.Area.FirstRow; row <= job.Area.LastRow; ++row) {
        const int32_t sourceRow = SourceRow(job, row);
        uint8_t* target = DestinationRow(job, row);
        if (duplicates.CopyInto(target, sourceRow))
            continue;
        CopyRow24RGB(job, target, source.GetScanline(sourceRow));
        duplicates.Keep(target, sourceRow);
    }
}

// The destination moves toward `result` by weight/256; it never quite
// reaches it.
uint8_t BlendChannel(uint8_t destination, uint8_t result, int32_t weight)
{
    return static_cast<uint8_t>(destination + (((result - destination) * weight) >> 8));
}

void BlendPixel(TRGBPixel& destination, const TRGBPixel& result, int32_t weight)
{
    destination.r = BlendChannel(destination.r, result.r, weight);
    destination.g = BlendChannel(destination.g, result.g, weight);
    destination.b = BlendChannel(destination.b, result.b, weight);
}

// How one source format's pixels reach the destination.
struct TRowStyle {
    TQkRenderOperation Operation = 0;
    bool Blend = false;
    bool DuplicateRows = false;
};

// The common walk of every member: `colourOf(row, column, pixel)` gives the
// source colour and false for a pixel that draws nothing.
template <typename ColourOf>
void RenderRowsWith(TQkBitmap& source, const TQkRowRenderJob& job, TRowStyle style, ColourOf colourOf)
{
    TQkBitmap* alpha = job.UseAlphaChannel ? source.GetAlphaChannel() : nullptr;
    TDuplicateRows duplicates(job, style.DuplicateRows);
    for (int32_t row = job.Area.FirstRow; row <= job.Area.LastRow; ++row) {
        const int32_t sourceRow = SourceRow(job, row);
        uint8_t* target = DestinationRow(job, row);
        if (duplicates.CopyInto(target, sourceRow))
            continue;
        const uint8_t* sourcePixels = source.GetScanline(sourceRow);
        const uint8_t* alphaRow = alpha ? alpha->GetScanline(sourceRow) : nullptr;
        for (int32_t column = job.Area.FirstColumn; column <= job.Area.LastColumn; ++column) {
            const int32_t sourceColumn = SourceColumn(job, column);
            TRGBPixel colour;
            if (!colourOf(sourcePixels, sourceColumn, colour))
                continue;
            auto* pixel = reinterpret_cast<TRGBPixel*>(target + 3 * size_t(column));
            if (!style.Blend) {
                CombinePixel(colour, *pixel, style.Operation, row);
                continue;
            }
            TRGBPixel result = *pixel;
            CombinePixel(colour, result, style.Operation, row);
            const int32_t weight = alphaRow ? IntMin(job.Transparency, alphaRow[sourceColumn]) : job.Transparency;
            BlendPixel(*pixel, result, weight);
        }
        duplicates.Keep(target, sourceRow);
    }
}

TRGBPixel Gray(uint8_t value) { return MakeRGBPixel(value, value, value); }

// Real values shown black to white between low and high.
uint8_t GrayInRange(double value, double low, double high)
{
    const double gray = (value - low) / (high - low) * 255;
    return gray >= 0 && gray <= 255 ? static_cast<uint8_t>(gray) : gray > 255 ? 255 : 0;
}

// qk8g and qk16g values limited to the range's whole numbers first.
uint8_t IntegerGrayInRange(int32_t value, double low, double high)
{
    const auto lowest = static_cast<int32_t>(low);
    return GrayInRange(IntClamp(value, lowest, static_cast<int32_t>(high)) - lowest, 0, high - low);
}

bool HasRange(TQkBitmap& bitmap) { return bitmap.RangeMin() != bitmap.RangeMax(); }

// The contrast and channel offsets of colour sources.
class TColourAdjustment {
public:
    explicit TColourAdjustment(TQkBitmap& bitmap)
    {
        const TQkRenderAdjustments& adjustments = bitmap.RenderAdjustments();
        const int32_t contrast = adjustments.Contrast;
        factor_ = contrast < 0 ? 1 - std::sqrt(-contrast) / 10 : contrast / 10.0 + 1;
        fixedFactor_ = static_cast<int64_t>(factor_ * 65536);
        if (adjustments.ChannelOffsetEnabled)
            offsets_ = adjustments.ChannelOffset;
    }

    TRGBPixel Adjust(const TRGBPixel& pixel) const
    {
        return MakeRGBPixel(Channel(pixel.r, offsets_[0]), Channel(pixel.g, offsets_[1]),
                            Channel(pixel.b, offsets_[2]));
    }

    TRGBPixel Adjust(const TRGB48Pixel& pixel) const
    {
        return MakeRGBPixel(Channel48(pixel.r, offsets_[0]), Channel48(pixel.g, offsets_[1]),
                            Channel48(pixel.b, offsets_[2]));
    }

private:
    uint8_t Channel(int32_t value, int32_t offset) const
    {
        return ByteClamp(static_cast<int32_t>((fixedFactor_ * (int64_t(value) + offset - 128)) >> 16) + 128);
    }

    // Values pushed below black stay black.
    uint8_t Channel48(int32_t value, int32_t offset) const
    {
        const double shifted = std::floor(std::trunc((double(value) + offset - 32768) * factor_ + 32768) / 256);
        return shifted <= 0 ? 0 : shifted >= 255 ? 255 : static_cast<uint8_t>(shifted);
    }

    double factor_ = 1;
    int64_t fixedFactor_ = 65536;
    std::array<int32_t, 4> offsets_{};
};

bool NeedsAdjusting(TQkBitmap& bitmap, TQkRenderOperation operation)
{
    const TQkRenderAdjustments& adjustments = bitmap.RenderAdjustments();
    return adjustments.ChannelOffsetEnabled || adjustments.Contrast != 0 || operation != 0;
}

// qk24RGB, qk32RGB: the pixel as it stands, or through the adjustments;
// the plain qk24RGB member also applies the value range.
void RenderRGB(TQkBitmap& source, const TQkRowRenderJob& job, bool blend, int32_t bytesPerPixel)
{
    const bool plain24 = !blend && bytesPerPixel == 3;
    const bool range = plain24 && HasRange(source);
    const bool adjust = NeedsAdjusting(source, job.Operation);
    if (plain24 && !adjust && !range) {
        CopyRows24RGB(source, job);
        return;
    }
    const TColourAdjustment adjustment(source);
    const double low = source.RangeMin();
    const double high = source.RangeMax();
    const TRowStyle style{job.Operation, blend, !blend && job.DuplicateRows && !range};
    RenderRowsWith(source, job, style, [&](const uint8_t* row, int32_t column, TRGBPixel& colour) {
        std::memcpy(&colour, row + size_t(bytesPerPixel) * size_t(column), 3);
        if (adjust)
            colour = adjustment.Adjust(colour);
        if (range)
            colour = MakeRGBPixel(IntegerGrayInRange(colour.r, low, high), IntegerGrayInRange(colour.g, low, high),
                                  IntegerGrayInRange(colour.b, low, high));
        return true;
    });
}

void RenderRGB48(TQkBitmap& source, const TQkRowRenderJob& job, bool blend)
{
    const bool adjust = NeedsAdjusting(source, job.Operation);
    const TColourAdjustment adjustment(source);
    RenderRowsWith(
        source, job, {job.Operation, blend, false}, [&](const uint8_t* row, int32_t column, TRGBPixel& colour) {
            TRGB48Pixel pixel;
            std::memcpy(&pixel, row + 6 * size_t(column), 6);
            colour = adjust ? adjustment.Adjust(pixel)
                            : MakeRGBPixel(uint8_t(pixel.r >> 8), uint8_t(pixel.g >> 8), uint8_t(pixel.b >> 8));
            return true;
        });
}

void Render1g(TQkBitmap& source, const TQkRowRenderJob& job, bool blend)
{
    RenderRowsWith(source, job, {0, blend, !blend && job.DuplicateRows},
                   [](const uint8_t* row, int32_t column, TRGBPixel& colour) {
                       colour = Gray(GetBit(row, column) ? 255 : 0);
                       return true;
                   });
}

void Render8g(TQkBitmap& source, const TQkRowRenderJob& job, bool blend)
{
    const bool range = HasRange(source);
    const double low = source.RangeMin();
    const double high = source.RangeMax();
    RenderRowsWith(source, job, {0, blend, false}, [&](const uint8_t* row, int32_t column, TRGBPixel& colour) {
        colour = Gray(range ? IntegerGrayInRange(row[column], low, high) : row[column]);
        return true;
    });
}

void Render16g(TQkBitmap& source, const TQkRowRenderJob& job, bool blend)
{
    const bool range = HasRange(source);
    const double low = source.RangeMin();
    const double high = source.RangeMax();
    RenderRowsWith(source, job, {0, blend, false}, [&](const uint8_t* row, int32_t column, TRGBPixel& colour) {
        uint16_t value;
        std::memcpy(&value, row + 2 * size_t(column), 2);
        colour = Gray(range ? IntegerGrayInRange(value, low, high) : uint8_t(value >> 8));
        return true;
    });
}

void Render32f(TQkBitmap& source, const TQkRowRenderJob& job, bool blend)
{
    const bool range = HasRange(source);
    const double low = range ? source.RangeMin() : 0;
    const double high = range ? source.RangeMax() : 1;
    RenderRowsWith(source, job, {0, blend, false}, [&](const uint8_t* row, int32_t column, TRGBPixel& colour) {
        float value;
        std::memcpy(&value, row + 4 * size_t(column), 4);
        colour = Gray(GrayInRange(range ? std::fmax(low, std::fmin(double(value), high)) : value, low, high));
        return true;
    });
}

// Indices beyond the palette draw nothing, like a source without one.
void Render8p(TQkBitmap& source, const TQkRowRenderJob& job, bool blend)
{
    const TRGBPixel* palette = source.GetPalette();
    const int32_t entries = source.GetPaletteLength();
    RenderRowsWith(source, job, {0, blend, false}, [&](const uint8_t* row, int32_t column, TRGBPixel& colour) {
        if (row[column] >= entries)
            return false;
        colour = palette[row[column]];
        return true;
    });
}

void RenderCMYK(TQkBitmap& source, const TQkRowRenderJob& job, bool blend)
{
    RenderRowsWith(source, job, {0, blend, false}, [](const uint8_t* row, int32_t column, TRGBPixel& colour) {
        TCMYKPixel pixel;
        std::memcpy(&pixel, row + 4 * size_t(column), 4);
        CmykToRgb(pixel, colour);
        return true;
    });
}

void RenderCIELab(TQkBitmap& source, const TQkRowRenderJob& job, bool blend)
{
    RenderRowsWith(source, job, {0, blend, false}, [](const uint8_t* row, int32_t column, TRGBPixel& colour) {
        TCIELabPixel pixel;
        std::memcpy(&pixel, row + 3 * size_t(column), 3);
        CieLabToRgb(colour, pixel);
        return true;
    });
}

} // namespace

void TQkBitmap::RenderRows24RGB(const TQkRowRenderJob& job) { RenderRGB(*this, job, false, 3); }
void TQkBitmap::RenderRows24RGBAlpha(const TQkRowRenderJob& job) { RenderRGB(*this, job, true, 3); }
void TQkBitmap::RenderRows32RGB(const TQkRowRenderJob& job) { RenderRGB(*this, job, false, 4); }
void TQkBitmap::RenderRows32RGBAlpha(const TQkRowRenderJob& job) { RenderRGB(*this, job, true, 4); }
void TQkBitmap::RenderRows1g(const TQkRowRenderJob& job) { Render1g(*this, job, false); }
void TQkBitmap::RenderRows1gAlpha(const TQkRowRenderJob& job) { Render1g(*this, job, true); }
void TQkBitmap::RenderRows8g(const TQkRowRenderJob& job) { Render8g(*this, job, false); }
void TQkBitmap::RenderRows8gAlpha(const TQkRowRenderJob& job) { Render8g(*this, job, true); }
void TQkBitmap::RenderRows8p(const TQkRowRenderJob& job) { Render8p(*this, job, false); }
void TQkBitmap::RenderRows8pAlpha(const TQkRowRenderJob& job) { Render8p(*this, job, true); }
void TQkBitmap::RenderRows16g(const TQkRowRenderJob& job) { Render16g(*this, job, false); }
void TQkBitmap::RenderRows16gAlpha(const TQkRowRenderJob& job) { Render16g(*this, job, true); }
void TQkBitmap::RenderRows32f(const TQkRowRenderJob& job) { Render32f(*this, job, false); }
void TQkBitmap::RenderRows32fAlpha(const TQkRowRenderJob& job) { Render32f(*this, job, true); }
void TQkBitmap::RenderRowsCMYK(const TQkRowRenderJob& job) { RenderCMYK(*this, job, false); }
void TQkBitmap::RenderRowsCMYKAlpha(const TQkRowRenderJob& job) { RenderCMYK(*this, job, true); }
void TQkBitmap::RenderRowsCIELab(const TQkRowRenderJob& job) { RenderCIELab(*this, job, false); }
void TQkBitmap::RenderRowsCIELabAlpha(const TQkRowRenderJob& job) { RenderCIELab(*this, job, true); }
void TQkBitmap::RenderRowsRGB48(const TQkRowRenderJob& job) { RenderRGB48(*this, job, false); }
void TQkBitmap::RenderRowsRGB48Alpha(const TQkRowRenderJob& job) { RenderRGB48(*this, job, true); }
