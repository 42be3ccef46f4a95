#include "imaging/views/vect/QkVTextFont.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "platform/gfx/LogFont.h"

namespace {

// Antialiased, ClearType, ClearType natural, default, draft, non-antialiased, proof.
constexpr uint8_t QualityTable[] = {ANTIALIASED_QUALITY, CLEARTYPE_QUALITY, CLEARTYPE_NATURAL_QUALITY,
                                    DEFAULT_QUALITY,     DRAFT_QUALITY,     NONANTIALIASED_QUALITY,
                                    PROOF_QUALITY};

} // namespace

void SelectObjectFont(TFont& font, const TQkVObject& record, double zoom, int32_t boxHeight, int32_t escapement)
{
    TLogFont logFont = record.Font.value_or(FontToLogFont(font));
    logFont.lfQuality = QualityTable[std::min<size_t>(record.FontQuality, std::size(QualityTable) - 1)];
    logFont.lfHeight = logFont.lfHeight == 0 ? boxHeight : int32_t(std::trunc(zoom * logFont.lfHeight));
    logFont.lfEscapement = escapement != 0 ? escapement : logFont.lfEscapement;
    LogFontToFont(logFont, font);
    font.SetColor(record.PenColor);
}

void SelectMeasureFont(TFont& font, const TQkVObject& record, double zoom, int32_t escapement)
{
    if (record.Font) {
        font.SetName(record.Font->lfFaceName);
        font.SetSize(std::max(3, int32_t(std::trunc(std::abs(record.Font->lfHeight) * zoom))));
    }
    font.SetOrientation(escapement);
    font.SetColor(record.PenColor);
}
