#pragma once
// The window system's logical-font record, for code that builds fonts
// field by field (rotated fonts, scaled copies) and for stored font records.

#include "platform/gfx/Font.h"

#include <cstdint>
#include <string>

// lfQuality values.
constexpr uint8_t DEFAULT_QUALITY = 0, DRAFT_QUALITY = 1, PROOF_QUALITY = 2, NONANTIALIASED_QUALITY = 3,
                  ANTIALIASED_QUALITY = 4, CLEARTYPE_QUALITY = 5, CLEARTYPE_NATURAL_QUALITY = 6;
// Low bits of lfPitchAndFamily.
constexpr uint8_t DEFAULT_PITCH = 0, FIXED_PITCH = 1, VARIABLE_PITCH = 2;
constexpr int32_t FW_NORMAL = 400, FW_BOLD = 700;

struct TLogFont {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0; // not used by the renderer: glyphs keep their own proportions
    int32_t lfEscapement = 0; // tenths of a degree
    int32_t lfOrientation = 0;
    int32_t lfWeight = FW_NORMAL;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = DEFAULT_CHARSET;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = DEFAULT_QUALITY;
    uint8_t lfPitchAndFamily = DEFAULT_PITCH;
    std::string lfFaceName;
};

TLogFont FontToLogFont(const TFont& font);
// Sets every property of the font from the record (weights of 600 and more
// are bold; the escapement becomes the orientation); the colour stays.
void LogFontToFont(const TLogFont& logFont, TFont& font);
