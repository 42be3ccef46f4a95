#pragma once
// The filtered pre-pass of the renderer and of StretchRectTo: the source
// rectangle resampled to the destination size with a filter into a
// temporary, which is then drawn 1:1.

#include "imaging/core/QkRender.h"

class TQkBitmap;

bool IsProjectFilter(TResampleFilter filter);

// The source's alpha channel is drawn when asked for, present, of the
// source's size and not wholly opaque.
bool UsesAlphaChannel(TQkBitmap& source, bool useAlpha);

// Whether the renderer's pre-pass takes the draw: a filter, a change of size
// and a qk1g or qk24RGB source.
bool TakesFilteredPrePass(TQkBitmap& source, const TQkRenderArea& area, TResampleFilter filter);

// How the temporary is made: `Resample` runs the filter's resampler (any
// source format; qk1g through the bilevel one, the others as qk24RGB);
// otherwise a qk1g source is box-averaged to gray. `WithAlpha` carries the
// source's alpha channel, resampled, with its `Full`.
struct TQkFilteredTemporary {
    TResampleFilter Filter = rfNone;
    bool Resample = true;
    bool WithAlpha = false;
};

// The source rectangle at width x height in `result`, which takes the
// source's rendering adjustments; false when it cannot be made.
bool MakeFilteredTemporary(TQkBitmap& source, const TQkRenderRect& rect, int32_t width, int32_t height,
                           const TQkFilteredTemporary& how, TQkBitmap& result);

// Draws the area's source rectangle resampled; `useAlpha` says whether the
// source's alpha channel is drawn. Caller tables are not used: the
// temporaries have tables of their own.
bool RenderFiltered(TQkBitmap& source, TQkBitmap& destination, const TQkRenderArea& area,
                    const TQkRenderOptions& options, bool useAlpha);
