#include "platform/ui/GraphicControlsRegistration.h"

#include "platform/core/ClassRegistry.h"
#include "platform/ui/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/XPManifest.h"

namespace {

const TEnumInfo AlignmentInfo{"TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"}};

void RegisterLabel()
{
    RegisterClass<TCustomLabel, TGraphicControl>("TCustomLabel")
        .Enum("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment, AlignmentInfo)
        .Default(taLeftJustify)
        .Property("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize)
        .Default(true)
        .Property("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Default(true)
        .Property("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar)
        .Default(true)
        .Property("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent)
        .Default(false);
    RegisterClass<TLabel, TCustomLabel>("TLabel");
}

void RegisterImage()
{
    RegisterClass<TImage, TGraphicControl>("TImage")
        .Property("Picture", &TImage::Picture)
        .Property("Center", &TImage::Center, &TImage::SetCenter)
        .Default(false)
        .Property("Stretch", &TImage::Stretch, &TImage::SetStretch)
        .Default(false)
        .Property("Transparent", &TImage::Transparent, &TImage::SetTransparent)
        .Default(false);
}

} // namespace

void RegisterGraphicControls()
{
    static const bool registered = [] {
        RegisterLabel();
        RegisterImage();
        RegisterClass<TXPManifest, TComponent>("TXPManifest");
        return true;
    }();
    (void)registered;
}
