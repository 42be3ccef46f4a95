#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkColorRoutines.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/dicom/QkDicomPixels.h"

namespace {

// Rescale and, when a window is given, the window's linear function
// (PS 3.3 C.11.2.1.2); a width of 1 or less is a threshold at centre - 0.5.
class TGrayMapping {
public:
    TGrayMapping(const TDicomContext& context, double top)
        : slope_(context.RescaleSlope), intercept_(context.RescaleIntercept), center_(context.WindowCenter),
          width_(context.WindowWidth), windowed_(context.WindowCenter != -1 && context.WindowWidth != -1), top_(top)
    {}

    double operator()(int32_t sample) const
    {
        const double v = sample * slope_ + intercept_;
        if (!windowed_)
            return v;
        const double middle = center_ - 0.5;
        if (width_ <= 1)
            return v <= middle ? 0 : top_;
        const double half = (width_ - 1) / 2;
        if (v <= std::trunc(middle - half))
            return 0;
        if (v < std::trunc(middle + half))
            return ((v - middle) / (width_ - 1) + 0.5) * top_;
        return top_;
    }

private:
    double slope_, intercept_, center_, width_;
    bool windowed_;
    double top_;
};

bool ShowGrayFrame(TDicomContext& context, const TDicomSamples& samples)
{
    const bool wide = context.BitsStored > 8;
    const double top = wide ? 65535 : 255;
    const TGrayMapping map(context, top);
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (int32_t sample : samples) {
        const double v = map(sample);
        low = std::min(low, v);
        high = std::max(high, v);
    }
    TQkBitmap& bitmap = context.Request.Bitmap;
    if (!bitmap.Allocate(context.Columns, context.Rows, wide ? qk16g : qk8g))
        return false;
    const double scale = high > low ? top / (high - low) : 0;
    const uint32_t invert = context.IsMonochrome1() ? uint32_t(top) : 0;
    TQkRowProgress progress(context.Request.Progress, context.Rows);
    const size_t columns = size_t(context.Columns);
    for (int32_t y = 0; y < context.Rows; ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        const int32_t* in = samples.data() + size_t(y) * columns;
        for (size_t x = 0; x < columns; ++x) {
            const uint32_t value = uint32_t((map(in[x]) - low) * scale) ^ invert;
            if (wide)
                reinterpret_cast<uint16_t*>(row)[x] = uint16_t(value);
            else
                row[x] = uint8_t(value);
        }
        progress.Report(y + 1);
    }
    return true;
}

bool ShowPaletteFrame(TDicomContext& context, const TDicomSamples& samples)
{
    if (context.BitsAllocated > 16 || context.Red.Entries.empty() || context.Green.Entries.empty() ||
        context.Blue.Entries.empty())
        return false;
    const bool wide = context.BitsStored > 8;
    TQkBitmap& bitmap = context.Request.Bitmap;
    if (!bitmap.Allocate(context.Columns, context.Rows, wide ? qkRGB48 : qk24RGB))
        return false;
    TQkRowProgress progress(context.Request.Progress, context.Rows);
    const size_t columns = size_t(context.Columns);
    for (int32_t y = 0; y < context.Rows; ++y) {
        uint8_t* row = bitmap.GetScanline(y);
        const int32_t* in = samples.data() + size_t(y) * columns;
        for (size_t x = 0; x < columns; ++x) {
            const uint16_t red = context.Red.Map(in[x]);
            const uint16_t green = context.Green.Map(in[x]);
            const uint16_t blue = context.Blue.Map(in[x]);
            if (wide) {
                uint16_t* out = reinterpret_cast<uint16_t*>(row) + x * 3;
                out[0] = red;
                out[1] = green;
                out[2] = blue;
            } else {
                uint8_t* out = row + x * 3;
                out[0] = uint8_t(blue / 257);
                out[1] = uint8_t(green / 257);
                out[2] = uint8_t(red / 257);
            }
        }
        progress.Report(y + 1);
    }
    return true;
}

bool IsFullYCbCr(const std::string& photometric) { return photometric == "YBR_FULL" || photometric == "YBR_FULL_422"; }

} // namespace

int32_t DicomSampleValue(const TDicomContext& context, uint32_t raw)
{
    const int32_t bits = context.BitsStored;
    if (bits >= 32)
        return int32_t(raw);
    raw &= (uint32_t(1) << bits) - 1;
    if (context.Signed() && (raw >> (bits - 1)) != 0)
        return int32_t(int64_t(raw) - (int64_t(1) << bits));
    return int32_t(raw);
}

bool ShowOneSampleFrame(TDicomContext& context, const TDicomSamples& samples)
{
    if (context.IsPalette())
        return ShowPaletteFrame(context, samples);
    if (context.Photometric != "MONOCHROME1" && context.Photometric != "MONOCHROME2" && !context.Photometric.empty())
        return false;
    return ShowGrayFrame(context, samples);
}

bool ShowColourFrame(TDicomContext& context, const std::vector<uint8_t>& interleaved)
{
    const bool ycbcr = IsFullYCbCr(context.Photometric);
    if (!ycbcr && context.Photometric != "RGB")
        return false;
    TQkBitmap& bitmap = context.Request.Bitmap;
    if (!bitmap.Allocate(context.Columns, context.Rows, qk24RGB))
        return false;
    TQkRowProgress progress(context.Request.Progress, context.Rows);
    const size_t rowBytes = size_t(context.Columns) * 3;
    std::vector<uint8_t> row(rowBytes);
    for (int32_t y = 0; y < context.Rows; ++y) {
        std::copy_n(interleaved.data() + size_t(y) * rowBytes, rowBytes, row.data());
        ConvertColor(row.data(), ycbcr ? ckYCbCr : ckRGB, bitmap.GetScanline(y), ckBGR, context.Columns, nullptr);
        progress.Report(y + 1);
    }
    return true;
}
