#include "controls/TarqFonts.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

TTextMetric MetricsOf(const TFont& font)
{
    TBitmap screen(1, 1);
    screen.Canvas()->Font()->Assign(&font);
    return screen.Canvas()->GetTextMetrics();
}

} // namespace

std::unique_ptr<TFont> CreateRotatedFont(const TFont& font, int32_t angle)
{
    auto rotated = std::make_unique<TFont>();
    rotated->Assign(&font);
    rotated->SetOrientation(angle * 10);
    return rotated;
}

bool FontIsTrueType(const TFont& font) { return (MetricsOf(font).tmPitchAndFamily & TMPF_TRUETYPE) != 0; }

int32_t FontLineHeight(const TFont& font) { return MetricsOf(font).tmHeight + 2; }
