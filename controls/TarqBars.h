#pragma once
// Progress-bar painters: a solid bar with a percentage text that changes
// colour where the bar ends, a two-gradient bar, and a segmented bar.
// `rect` is the interior; vertical bars fill from the bottom.

#include <cstdint>

#include "controls/TarqTypes.h"
#include "platform/gfx/Canvas.h"

// The filled part of `rect` for `percent` (the whole rectangle at 100 or more).
TRect BarPartRect(const TRect& rect, TOrientation orientation, uint32_t percent);

void DrawPlainBar(TCanvas& canvas, const TRect& rect, TOrientation orientation, bool transparent, bool showPercent,
                  uint32_t percent, TColor backColor, TColor barColor);

struct TGradientBarColors {
    TGradientDirection Direction = gdHorizontalCenter;
    TColor Bar = clHighlight;
    TColor BarStop = clHotLight;
    TColor Back = clWhite;
    TColor BackStop = clBtnFace;
};
void DrawGradientBar(TCanvas& canvas, const TRect& rect, TOrientation orientation, bool transparent, bool showPercent,
                     uint32_t percent, const TGradientBarColors& colors);

// `themed` draws the theme's progress chunk when themes are on.
void DrawSegmentedBar(TCanvas& canvas, const TRect& rect, TOrientation orientation, bool transparent, bool themed,
                      uint32_t percent, int32_t segments, TColor backColor, TColor barColor);
