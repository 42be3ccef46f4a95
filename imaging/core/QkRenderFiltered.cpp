#include "imaging/core/QkRenderFiltered.h"

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkFastResample.h"
#include "imaging/core/QkResample.h"

namespace {

// The source rectangle in a bitmap of its own, with its alpha when carried.
// Formats other than qk1g and qk24RGB are resampled as qk24RGB.
bool CopySourceRect(TQkBitmap& source, const TQkRenderRect& rect, bool withAlpha, TQkBitmap& copy)
{
    const TQkPixelFormat format = source.GetPixelFormat();
    if (!copy.Allocate(rect.Width, rect.Height, format))
        return false;
    source.CopyRectTo(copy, rect.X, rect.Y, 0, 0, rect.Width, rect.Height);
    if (format != qk1g && format != qk24RGB && !copy.ConvertToPixelFormat(qk24RGB))
        return false;
    if (withAlpha) {
        TQkBitmap& alpha = *source.GetAlphaChannel();
        alpha.CopyRectTo(*copy.GetAlphaChannel(), rect.X, rect.Y, 0, 0, rect.Width, rect.Height);
        copy.GetAlphaChannel()->SetFull(alpha.Full());
    }
    return true;
}

// Colour sources, enlarged or alpha-carrying bilevel ones.
bool ResampleSourceRect(TQkBitmap& source, const TQkRenderRect& rect, int32_t width, int32_t height,
                        const TQkFilteredTemporary& how, TQkBitmap& resampled)
{
    TQkBitmap copied;
    const bool mono = source.GetPixelFormat() == qk1g;
    const TQkPixelFormat format = mono && IsProjectFilter(how.Filter) ? qk1g : qk24RGB;
    // A whole bitmap the resamplers read as it is needs no copy: a large
    // picture shown whole would otherwise be copied at every rendering.
    const bool whole = rect.X == 0 && rect.Y == 0 && rect.Width == source.GetWidth() &&
        rect.Height == source.GetHeight() && (mono || source.GetPixelFormat() == qk24RGB);
    if ((!whole && !CopySourceRect(source, rect, how.WithAlpha, copied)) || !resampled.Allocate(width, height, format))
        return false;
    TQkBitmap& copy = whole ? source : copied;
    if (mono)
        ResampleMonoFiltered(copy, resampled, how.Filter);
    else
        ResampleFiltered(copy, resampled, how.Filter, nullptr, TQkProgressEvent());
    if (how.WithAlpha) {
        ResampleGrayFiltered(*copy.GetAlphaChannel(), *resampled.GetAlphaChannel(), how.Filter);
        resampled.GetAlphaChannel()->SetFull(copy.GetAlphaChannel()->Full());
    }
    return true;
}

// A bilevel source reduced without alpha becomes gray.
bool AverageSourceRect(TQkBitmap& source, const TQkRenderRect& rect, int32_t width, int32_t height, TQkBitmap& averaged)
{
    if (source.GetPixelFormat() != qk1g || !averaged.Allocate(width, height, qk24RGB))
        return false;
    BoxAverageMonoToGray(source, rect.X, rect.Y, rect.X + rect.Width - 1, rect.Y + rect.Height - 1, averaged);
    return true;
}

} // namespace

bool IsProjectFilter(TResampleFilter filter) { return filter == rfProjectBW || filter == rfProjectWB; }

bool UsesAlphaChannel(TQkBitmap& source, bool useAlpha)
{
    if (!useAlpha || !source.HasAlphaChannel())
        return false;
    TQkBitmap& alpha = *source.GetAlphaChannel();
    return !alpha.Full() && alpha.GetPixelFormat() == qk8g && alpha.GetWidth() == source.GetWidth() &&
        alpha.GetHeight() == source.GetHeight();
}

bool MakeFilteredTemporary(TQkBitmap& source, const TQkRenderRect& rect, int32_t width, int32_t height,
                           const TQkFilteredTemporary& how, TQkBitmap& result)
{
    const bool made = how.Resample ? ResampleSourceRect(source, rect, width, height, how, result)
                                   : AverageSourceRect(source, rect, width, height, result);
    if (made)
        result.RenderAdjustments() = source.RenderAdjustments();
    return made;
}

bool TakesFilteredPrePass(TQkBitmap& source, const TQkRenderArea& area, TResampleFilter filter)
{
    const TQkPixelFormat format = source.GetPixelFormat();
    return filter != rfNone && (format == qk1g || format == qk24RGB) &&
        (area.Source.Width != area.Destination.Width || area.Source.Height != area.Destination.Height);
}

bool RenderFiltered(TQkBitmap& source, TQkBitmap& destination, const TQkRenderArea& area,
                    const TQkRenderOptions& options, bool useAlpha)
{
    const TQkRenderRect& target = area.Destination;
    TQkFilteredTemporary how;
    how.Filter = options.Filter;
    how.Resample = target.Width > area.Source.Width || source.GetPixelFormat() != qk1g || useAlpha ||
        IsProjectFilter(options.Filter);
    how.WithAlpha = useAlpha;
    TQkBitmap resampled;
    if (!MakeFilteredTemporary(source, area.Source, target.Width, target.Height, how, resampled))
        return false;
    TQkRenderOptions oneToOne = options;
    oneToOne.Filter = rfNone;
    oneToOne.FreeTables = true;
    TQkRenderTables tables;
    return RenderToTQkBitmapEx(resampled, destination, tables, target, {0, 0, target.Width, target.Height}, oneToOne);
}
