#pragma once
// Logical fonts. The height follows the classic rule at 96 pixels per inch:
// a negative height is the character height (the em size) in pixels, a
// positive height the cell height (ascent plus descent); Size is in points,
// Size = -Height * 72 / 96.

#include "platform/gfx/Colors.h"
#include "platform/gfx/GraphicsObject.h"

#include <cstdint>
#include <string>

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

class TFontStyles {
public:
    constexpr TFontStyles() = default;
    constexpr TFontStyles(std::initializer_list<TFontStyle> styles)
    {
        for (TFontStyle s : styles)
            FBits |= Bit(s);
    }
    constexpr bool Contains(TFontStyle s) const { return (FBits & Bit(s)) != 0; }
    constexpr TFontStyles With(TFontStyle s) const { return FromBits(FBits | Bit(s)); }
    constexpr TFontStyles Without(TFontStyle s) const { return FromBits(FBits & ~Bit(s)); }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr uint8_t Bits() const { return FBits; }
    static constexpr TFontStyles FromBits(uint8_t bits)
    {
        TFontStyles s;
        s.FBits = bits & 15;
        return s;
    }
    friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

private:
    static constexpr uint8_t Bit(TFontStyle s) { return static_cast<uint8_t>(1u << s); }
    uint8_t FBits = 0;
};

enum TFontPitch { fpDefault, fpVariable, fpFixed };

// Aliased or grey-level rendering. fqDefault renders grey on targets of 15
// bits and more and aliased on palette bitmaps.
enum TFontQuality { fqDefault, fqDraft, fqProof, fqNonAntialiased, fqAntialiased, fqClearType, fqClearTypeNatural };

using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;
constexpr TFontCharset SYMBOL_CHARSET = 2;
constexpr TFontCharset GB2312_CHARSET = 134;

constexpr int32_t ScreenPixelsPerInch = 96;

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
