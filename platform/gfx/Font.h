#pragma once
// Logical fonts. The height follows the classic rule at 96 pixels per inch:
// a negative height is the character height (the em size) in pixels, a
// positive height the cell height (ascent plus descent); Size is in points,
// Size = -Height * 72 / 96. Text renders with an em of at most 2048 pixels.

#include "platform/core/Set.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/GraphicsObject.h"

#include <cstdint>
#include <string>
#include <vector>

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

using TFontStyles = TSet<TFontStyle>;

enum TFontPitch { fpDefault, fpVariable, fpFixed };

// Aliased or grey-level rendering. fqDefault renders grey on targets of 15
// bits and more and aliased on palette bitmaps.
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType, fqClearTypeNatural };

using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, MAC_CHARSET = 77,
                       SHIFTJIS_CHARSET = 128, HANGEUL_CHARSET = 129, JOHAB_CHARSET = 130, GB2312_CHARSET = 134,
                       CHINESEBIG5_CHARSET = 136, GREEK_CHARSET = 161, TURKISH_CHARSET = 162, VIETNAMESE_CHARSET = 163,
                       HEBREW_CHARSET = 177, ARABIC_CHARSET = 178, BALTIC_CHARSET = 186, RUSSIAN_CHARSET = 204,
                       THAI_CHARSET = 222, EASTEUROPE_CHARSET = 238, OEM_CHARSET = 255;

constexpr int32_t ScreenPixelsPerInch = 96;

// Character-set names of form resources ("DEFAULT_CHARSET", ...).
struct TIdentMapEntry;
const std::vector<TIdentMapEntry>& CharsetIdents();

class TFont : public TGraphicsObject {
public:
    const std::string& Name() const { return FName; }
    void SetName(const std::string& value) { Update(FName, value); }
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t value) { Update(FHeight, value); }
    // Points, rounded half to even from the height.
    int32_t Size() const;
    void SetSize(int32_t points);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles value) { Update(FStyle, value); }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { Update(FColor, value); }
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset value) { Update(FCharset, value); }
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch value) { Update(FPitch, value); }
    // Angle of the baseline in tenths of a degree, counter-clockwise.
    int32_t Orientation() const { return FOrientation; }
    void SetOrientation(int32_t value) { Update(FOrientation, value); }
    TFontQuality Quality() const { return FQuality; }
    void SetQuality(TFontQuality value) { Update(FQuality, value); }

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;
    bool SameAs(const TFont& other) const;

private:
    std::string FName = "MS Sans Serif";
    int32_t FHeight = -11;
    TFontStyles FStyle;
    TColor FColor = clWindowText;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
    int32_t FOrientation = 0;
    TFontQuality FQuality = fqDefault;
};
