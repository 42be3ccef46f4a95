#include "platform/gfx/Pen.h"

#include "platform/core/ClassRegistry.h"
#include "platform/gfx/Raster.h"

int PenModeToRop2(TPenMode mode)
{
    static const int Rop2Of[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                 R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                 R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                 R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    return Rop2Of[mode];
}

void TPen::Assign(const TPersistent* persistent)
{
    const auto* other = dynamic_cast<const TPen*>(persistent);
    if (!other) {
        TPersistent::Assign(persistent);
        return;
    }
    const TPen& source = *other;
    if (&source == this)
        return;
    const bool changed =
        FColor != source.FColor || FWidth != source.FWidth || FStyle != source.FStyle || FMode != source.FMode;
    FColor = source.FColor;
    FWidth = source.FWidth;
    FStyle = source.FStyle;
    FMode = source.FMode;
    if (changed)
        Changed();
}

namespace {

const TEnumInfo PenStyleInfo{"TPenStyle",
                             {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
const TEnumInfo PenModeInfo{"TPenMode",
                            {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                             "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                             "pmNotMask", "pmXor", "pmNotXor"}};

const bool registered = [] {
    RegisterClass<TPen, TPersistent>("TPen")
        .Property("Color", ColorGetter(&TPen::Color), ColorSetter(&TPen::SetColor))
        .Default(ColorProp(clBlack))
        .Idents(ColorIdents())
        .Enum("Mode", &TPen::Mode, &TPen::SetMode, PenModeInfo)
        .Default(pmCopy)
        .Enum("Style", &TPen::Style, &TPen::SetStyle, PenStyleInfo)
        .Default(psSolid)
        .Property("Width", &TPen::Width, &TPen::SetWidth)
        .Default(1);
    return true;
}();

} // namespace
