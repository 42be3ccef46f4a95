#include "platform/gfx/Brush.h"

#include "platform/core/ClassRegistry.h"

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
    const bool changed = FColor != source.FColor || FStyle != source.FStyle || FBitmap != source.FBitmap ||
        FWholeBitmap != source.FWholeBitmap;
    FColor = source.FColor;
    FStyle = source.FStyle;
    FBitmap = source.FBitmap;
    FWholeBitmap = source.FWholeBitmap;
    if (changed)
        Changed();
}

namespace {

const TEnumInfo BrushStyleInfo{
    "TBrushStyle",
    {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"}};

const bool registered = [] {
    RegisterClass<TBrush, TPersistent>("TBrush")
        .Property("Color", ColorGetter(&TBrush::Color), ColorSetter(&TBrush::SetColor))
        .Default(ColorProp(clWhite))
        .Idents(ColorIdents())
        .Enum("Style", &TBrush::Style, &TBrush::SetStyle, BrushStyleInfo)
        .Default(bsSolid);
    return true;
}();

} // namespace
