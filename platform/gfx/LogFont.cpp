#include "platform/gfx/LogFont.h"

namespace {

uint8_t QualityToLog(TFontQuality quality)
{
    switch (quality) {
    case fqDraft: return DRAFT_QUALITY;
    case fqProof: return PROOF_QUALITY;
    case fqNonAntialiased: return NONANTIALIASED_QUALITY;
    case fqAntialiased: return ANTIALIASED_QUALITY;
    case fqClearType: return CLEARTYPE_QUALITY;
    case fqClearTypeNatural: return CLEARTYPE_NATURAL_QUALITY;
    default: return DEFAULT_QUALITY;
    }
}

TFontQuality QualityFromLog(uint8_t quality)
{
    switch (quality) {
    case DRAFT_QUALITY: return fqDraft;
    case PROOF_QUALITY: return fqProof;
    case NONANTIALIASED_QUALITY: return fqNonAntialiased;
    case ANTIALIASED_QUALITY: return fqAntialiased;
    case CLEARTYPE_QUALITY: return fqClearType;
    case CLEARTYPE_NATURAL_QUALITY: return fqClearTypeNatural;
    default: return fqDefault;
    }
}

} // namespace

TLogFont FontToLogFont(const TFont& font)
{
    TLogFont log;
    log.lfHeight = font.Height();
    log.lfEscapement = font.Orientation();
    log.lfOrientation = font.Orientation();
    log.lfWeight = font.Style().Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    log.lfItalic = font.Style().Contains(fsItalic) ? 1 : 0;
    log.lfUnderline = font.Style().Contains(fsUnderline) ? 1 : 0;
    log.lfStrikeOut = font.Style().Contains(fsStrikeOut) ? 1 : 0;
    log.lfCharSet = font.Charset();
    log.lfQuality = QualityToLog(font.Quality());
    log.lfPitchAndFamily = font.Pitch() == fpFixed ? FIXED_PITCH
        : font.Pitch() == fpVariable               ? VARIABLE_PITCH
                                                   : DEFAULT_PITCH;
    log.lfFaceName = font.Name();
    return log;
}

void LogFontToFont(const TLogFont& log, TFont& font)
{
    TFontStyles style;
    if (log.lfWeight >= 600)
        style.Include(fsBold);
    if (log.lfItalic)
        style.Include(fsItalic);
    if (log.lfUnderline)
        style.Include(fsUnderline);
    if (log.lfStrikeOut)
        style.Include(fsStrikeOut);
    const uint8_t pitch = log.lfPitchAndFamily & 3;
    font.SetName(log.lfFaceName);
    font.SetHeight(log.lfHeight);
    font.SetStyle(style);
    font.SetOrientation(log.lfEscapement);
    font.SetCharset(log.lfCharSet);
    font.SetQuality(QualityFromLog(log.lfQuality));
    font.SetPitch(pitch == FIXED_PITCH ? fpFixed : pitch == VARIABLE_PITCH ? fpVariable : fpDefault);
}
