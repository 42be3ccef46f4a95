#include "controls/TarqTypes.h"

#define TARQ_ENUM_INFO(function, typeName, ...)                                                                        \
    const TEnumInfo& function()                                                                                        \
    {                                                                                                                  \
        static const TEnumInfo info{typeName, {__VA_ARGS__}};                                                          \
        return info;                                                                                                   \
    }

TARQ_ENUM_INFO(SideInfo, "TSide", "sdLeft", "sdTop", "sdRight", "sdBottom")
TARQ_ENUM_INFO(FrameStyleInfo, "TFrameStyle", "fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered", "fsButtonDown",
               "fsRaised", "fsButtonUp", "fsStatus", "fsPopup", "fsFlatBold")
TARQ_ENUM_INFO(FrameStyleExInfo, "TFrameStyleEx", "fsNone", "fsFlat", "fsGroove", "fsBump", "fsLowered", "fsButtonDown",
               "fsRaised", "fsButtonUp", "fsStatus", "fsPopup", "fsFlatBold", "fsFlatRounded")
TARQ_ENUM_INFO(GradientDirectionInfo, "TGradientDirection", "gdDiagonalUp", "gdDiagonalDown", "gdHorizontalEnd",
               "gdHorizontalCenter", "gdHorizontalBox", "gdVerticalEnd", "gdVerticalCenter", "gdVerticalBox",
               "gdSquareBox", "gdBigSquareBox")
TARQ_ENUM_INFO(OrientationInfo, "TOrientation", "orHorizontal", "orVertical")
TARQ_ENUM_INFO(BarStyleInfo, "TBarStyle", "bsTraditional", "bsLED", "bsGradient")
TARQ_ENUM_INFO(AlignmentVerticalInfo, "TAlignmentVertical", "avTop", "avCenter", "avBottom")
TARQ_ENUM_INFO(TextStyleInfo, "TTextStyle", "tsNormal", "tsRaised", "tsRecessed", "tsShadow")
TARQ_ENUM_INFO(FramingPreferenceInfo, "TFramingPreference", "fpCustomFraming", "fpXPThemes")
TARQ_ENUM_INFO(VisualStyleInfo, "TTarqVisualStyle", "vsClassic", "vsWinXP", "vsGradient")
TARQ_ENUM_INFO(GradientColorStyleInfo, "TTarqGradientColorStyle", "gcsSystem", "gcsMSOffice", "gcsCustom")
TARQ_ENUM_INFO(HotTrackColorTypeInfo, "TTarqHotTrackColorType", "htctComplement", "htctActual")
TARQ_ENUM_INFO(ButtonHotTrackStyleInfo, "TTarqButtonHotTrackStyle", "htsInterior", "htsFrame")
TARQ_ENUM_INFO(AlignmentInfo, "TAlignment", "taLeftJustify", "taRightJustify", "taCenter")
TARQ_ENUM_INFO(TextLayoutInfo, "TTextLayout", "tlTop", "tlCenter", "tlBottom")
