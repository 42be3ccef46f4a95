#pragma once
// How the text control measures one character in one font: its advance
// width, the height of its font and the font's internal leading and descent.

#include <cstdint>
#include <memory>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Font.h"

struct TQkCharMetrics {
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Leading = 0;
    int32_t Descent = 0;
};

class TQkTextMeasurer {
public:
    virtual ~TQkTextMeasurer() = default;
    virtual TQkCharMetrics Measure(char32_t character, const TFont& font) = 0;
};

// Measures with the platform's FreeType text on a canvas of its own.
class TCanvasTextMeasurer : public TQkTextMeasurer {
public:
    TCanvasTextMeasurer();
    TQkCharMetrics Measure(char32_t character, const TFont& font) override;

private:
    std::unique_ptr<TBitmap> bitmap_;
};
