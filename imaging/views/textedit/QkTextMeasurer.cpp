#include "imaging/views/textedit/QkTextMeasurer.h"

#include "platform/core/Strings.h"
#include "platform/gfx/Canvas.h"

TCanvasTextMeasurer::TCanvasTextMeasurer() : bitmap_(std::make_unique<TBitmap>(1, 1, pf24bit)) {}

TQkCharMetrics TCanvasTextMeasurer::Measure(char32_t character, const TFont& font)
{
    TCanvas& canvas = *bitmap_->Canvas();
    canvas.Font()->Assign(&font);
    const TTextMetric metric = canvas.GetTextMetrics();
    return {canvas.TextWidth(Utf8Encode(character)), metric.tmHeight, metric.tmInternalLeading, metric.tmDescent};
}
