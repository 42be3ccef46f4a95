#include "imaging/core/QkRenderFiltered.h"

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkFastResample.h"
#include "imaging/core/QkResample.h"

namespace {

bool IsProjectFilter(TResampleFilter filter) { return filter == rfProjectBW || filter == rfProjectWB; }

// The source rectangle in a bitmap of its own, with its alpha when drawn.
bool CopySourceRect(TQkBitmap& source, const TQkRenderRect& rect, bool useAlpha, TQkBitmap& copy)
{
    if (!copy.Allocate(rect.Width, rect.Height, source.GetPixelFormat()))
        return false;
    source.CopyRectTo(copy, rect.X, rect.Y, 0, 0, rect.Width, rect.Height);
    if (useAlpha) {
        TQkBitmap& alpha = *source.GetAlphaChannel();
        alpha.CopyRectTo(*copy.GetAlphaChannel(), rect.X, rect.Y, 0, 0, rect.Width, rect.Height);
        copy.GetAlphaChannel()->SetFull(alpha.Full());
    }
    return true;
}

// Case A: colour sources, enlarged or alpha-carrying bilevel ones.
bool ResampleSourceRect(TQkBitmap& source, const TQkRenderArea& area, TResampleFilter filter, bool useAlpha,
                        TQkBitmap& resampled)
{
    TQkBitmap copy;
    const bool mono = source.GetPixelFormat() == qk1g;
    const TQkPixelFormat format = mono && IsProjectFilter(filter) ? qk1g : qk24RGB;
    if (!CopySourceRect(source, area.Source, useAlpha, copy) ||
        !resampled.Allocate(area.Destination.Width, area.Destination.Height, format))
        return false;
    if (mono)
        ResampleMonoFiltered(copy, resampled, filter);
    else
        ResampleFiltered(copy, resampled, filter, nullptr, TQkProgressEvent());
    if (useAlpha) {
        ResampleGrayFiltered(*copy.GetAlphaChannel(), *resampled.GetAlphaChannel(), filter);
        resampled.GetAlphaChannel()->SetFull(copy.GetAlphaChannel()->Full());
    }
    return true;
}

// Case B: a bilevel source reduced without alpha becomes gray.
bool AverageSourceRect(TQkBitmap& source, const TQkRenderArea& area, TQkBitmap& averaged)
{
    if (!averaged.Allocate(area.Destination.Width, area.Destination.Height, qk24RGB))
        return false;
    const TQkRenderRect& rect = area.Source;
    BoxAverageMonoToGray(source, rect.X, rect.Y, rect.X + rect.Width - 1, rect.Y + rect.Height - 1, averaged);
    return true;
}

} // namespace

bool TakesFilteredPrePass(TQkBitmap& source, const TQkRenderArea& area, TResampleFilter filter)
{
    const TQkPixelFormat format = source.GetPixelFormat();
    return filter != rfNone && (format == qk1g || format == qk24RGB) &&
        (area.Source.Width != area.Destination.Width || area.Source.Height != area.Destination.Height);
}

bool RenderFiltered(TQkBitmap& source, TQkBitmap& destination, const TQkRenderArea& area,
                    const TQkRenderOptions& options, bool useAlpha)
{
    const bool caseA = area.Destination.Width > area.Source.Width || source.GetPixelFormat() != qk1g || useAlpha ||
        IsProjectFilter(options.Filter);
    TQkBitmap resampled;
    const bool made = caseA ? ResampleSourceRect(source, area, options.Filter, useAlpha, resampled)
                            : AverageSourceRect(source, area, resampled);
    if (!made)
        return false;
    resampled.RenderAdjustments() = source.RenderAdjustments();
    TQkRenderOptions oneToOne = options;
    oneToOne.Filter = rfNone;
    oneToOne.FreeTables = true;
    TQkRenderTables tables;
    return RenderToTQkBitmapEx(resampled, destination, tables, area.Destination,
                               {0, 0, area.Destination.Width, area.Destination.Height}, oneToOne);
}
