#pragma once
// The enumerations and sets shared by every control of the library, with the
// value names their published properties use in form resources.

#include <cstdint>

#include "controls/aa/TextPlacement.h"
#include "platform/core/ClassRegistry.h"
#include "platform/core/Set.h"

enum TSide : uint8_t { sdLeft, sdTop, sdRight, sdBottom };
using TSides = TSet<TSide>;
inline constexpr TSides AllSides{sdLeft, sdTop, sdRight, sdBottom};

enum TFrameStyleEx : uint8_t {
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup,
    fsFlatBold,
    fsFlatRounded
};
// The frame styles without fsFlatRounded.
using TFrameStyle = TFrameStyleEx;

enum TGradientDirection : uint8_t {
    gdDiagonalUp,
    gdDiagonalDown,
    gdHorizontalEnd,
    gdHorizontalCenter,
    gdHorizontalBox,
    gdVerticalEnd,
    gdVerticalCenter,
    gdVerticalBox,
    gdSquareBox,
    gdBigSquareBox
};

enum TOrientation : uint8_t { orHorizontal, orVertical };
enum TBarStyle : uint8_t { bsTraditional, bsLED, bsGradient };
enum TAlignmentVertical : uint8_t { avTop, avCenter, avBottom };
enum TTextStyle : uint8_t { tsNormal, tsRaised, tsRecessed, tsShadow };
enum TFramingPreference : uint8_t { fpCustomFraming, fpXPThemes };
enum TTarqVisualStyle : uint8_t { vsClassic, vsWinXP, vsGradient };
enum TTarqGradientColorStyle : uint8_t { gcsSystem, gcsMSOffice, gcsCustom };
enum TTarqHotTrackColorType : uint8_t { htctComplement, htctActual };
enum TTarqButtonHotTrackStyle : uint8_t { htsInterior, htsFrame };
enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

// Value names for registering published properties.
const TEnumInfo& SideInfo();
const TEnumInfo& FrameStyleInfo(); // fsNone .. fsFlatBold
const TEnumInfo& FrameStyleExInfo(); // fsNone .. fsFlatRounded
const TEnumInfo& GradientDirectionInfo();
const TEnumInfo& OrientationInfo();
const TEnumInfo& BarStyleInfo();
const TEnumInfo& AlignmentVerticalInfo();
const TEnumInfo& TextStyleInfo();
const TEnumInfo& FramingPreferenceInfo();
const TEnumInfo& VisualStyleInfo();
const TEnumInfo& GradientColorStyleInfo();
const TEnumInfo& HotTrackColorTypeInfo();
const TEnumInfo& ButtonHotTrackStyleInfo();
const TEnumInfo& AlignmentInfo();
const TEnumInfo& TextLayoutInfo();
