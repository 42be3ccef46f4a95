#include "platform/gfx/Font.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Types.h"

int32_t TFont::Size() const
{
    return static_cast<int32_t>(Round(static_cast<long double>(-FHeight) * 72 / ScreenPixelsPerInch));
}

void TFont::SetSize(int32_t points)
{
    SetHeight(-static_cast<int32_t>(Round(static_cast<long double>(points) * ScreenPixelsPerInch / 72)));
}

bool TFont::SameAs(const TFont& other) const
{
    return FName == other.FName && FHeight == other.FHeight && FStyle == other.FStyle && FColor == other.FColor &&
        FCharset == other.FCharset && FPitch == other.FPitch && FOrientation == other.FOrientation &&
        FQuality == other.FQuality;
}

void TFont::Assign(const TPersistent* persistent)
{
    const auto* other = dynamic_cast<const TFont*>(persistent);
    if (!other) {
        TPersistent::Assign(persistent);
        return;
    }
    const TFont& source = *other;
    if (&source == this || SameAs(source))
        return;
    FName = source.FName;
    FHeight = source.FHeight;
    FStyle = source.FStyle;
    FColor = source.FColor;
    FCharset = source.FCharset;
    FPitch = source.FPitch;
    FOrientation = source.FOrientation;
    FQuality = source.FQuality;
    Changed();
}

const TIdentMap& CharsetIdents()
{
    static const TIdentMap idents = {
        {ANSI_CHARSET, "ANSI_CHARSET"},
        {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
        {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
        {MAC_CHARSET, "MAC_CHARSET"},
        {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
        {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
        {JOHAB_CHARSET, "JOHAB_CHARSET"},
        {GB2312_CHARSET, "GB2312_CHARSET"},
        {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
        {GREEK_CHARSET, "GREEK_CHARSET"},
        {TURKISH_CHARSET, "TURKISH_CHARSET"},
        {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
        {HEBREW_CHARSET, "HEBREW_CHARSET"},
        {ARABIC_CHARSET, "ARABIC_CHARSET"},
        {BALTIC_CHARSET, "BALTIC_CHARSET"},
        {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
        {THAI_CHARSET, "THAI_CHARSET"},
        {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
        {OEM_CHARSET, "OEM_CHARSET"},
    };
    return idents;
}

namespace {

const TEnumInfo FontStyleInfo{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const TEnumInfo FontPitchInfo{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};
const TEnumInfo FontQualityInfo{
    "TFontQuality",
    {"fqDefault", "fqDraft", "fqProof", "fqNonAntialiased", "fqAntialiased", "fqClearType", "fqClearTypeNatural"}};

const bool registered = [] {
    RegisterClass<TFont, TPersistent>("TFont")
        .Property("Charset", &TFont::Charset, &TFont::SetCharset)
        .Default(DEFAULT_CHARSET)
        .Idents(CharsetIdents())
        .Property("Color", ColorGetter(&TFont::Color), ColorSetter(&TFont::SetColor))
        .Default(ColorProp(clWindowText))
        .Idents(ColorIdents())
        .Property("Height", &TFont::Height, &TFont::SetHeight)
        .Property("Name", &TFont::Name, [](TFont& f, const std::string& v) { f.SetName(v); })
        .Property("Orientation", &TFont::Orientation, &TFont::SetOrientation)
        .Default(0)
        .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, FontPitchInfo)
        .Default(fpDefault)
        .Enum("Quality", &TFont::Quality, &TFont::SetQuality, FontQualityInfo)
        .Default(fqDefault)
        .Property("Size", &TFont::Size, &TFont::SetSize)
        .Stored(false)
        .Set("Style", &TFont::Style, &TFont::SetStyle, FontStyleInfo);
    return true;
}();

} // namespace
