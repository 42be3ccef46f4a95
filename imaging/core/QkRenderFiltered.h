#pragma once
// The renderer's filtered pre-pass: the source rectangle resampled to the
// destination size with a filter, then drawn 1:1.

#include "imaging/core/QkRender.h"

class TQkBitmap;

// Whether the pre-pass takes the draw: a filter, a change of size and a
// qk1g or qk24RGB source.
bool TakesFilteredPrePass(TQkBitmap& source, const TQkRenderArea& area, TResampleFilter filter);

// Draws the area's source rectangle resampled; `useAlpha` says whether the
// source's alpha channel is drawn. Caller tables are not used: the
// temporaries have tables of their own.
bool RenderFiltered(TQkBitmap& source, TQkBitmap& destination, const TQkRenderArea& area,
                    const TQkRenderOptions& options, bool useAlpha);
