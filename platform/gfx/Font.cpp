#include "platform/gfx/Font.h"

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
