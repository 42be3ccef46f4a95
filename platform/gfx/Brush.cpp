#include "platform/gfx/Brush.h"

void TBrush::SetColor(TColor value)
{
    if (FColor == value && !(FStyle == bsClear))
        return;
    FColor = value;
    if (FStyle == bsClear)
        FStyle = bsSolid;
    Changed();
}

void TBrush::Assign(const TPersistent* persistent)
{
    const auto* other = dynamic_cast<const TBrush*>(persistent);
    if (!other) {
        TPersistent::Assign(persistent);
        return;
    }
    const TBrush& source = *other;
    if (&source == this)
        return;
    const bool changed = FColor != source.FColor || FStyle != source.FStyle || FBitmap != source.FBitmap;
    FColor = source.FColor;
    FStyle = source.FStyle;
    FBitmap = source.FBitmap;
    if (changed)
        Changed();
}
