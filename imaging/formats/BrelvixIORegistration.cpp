#include "imaging/formats/BrelvixIO.h"
#include "platform/core/ClassRegistry.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Image.h"

namespace {

const TEnumInfo& PreviewsParamInfo()
{
    static const TEnumInfo info{"TIOPreviewsParam", {"ioppDefaultLockPreview", "ioppApplyButton"}};
    return info;
}

const TEnumInfo& DialogsMeasureUnitInfo()
{
    static const TEnumInfo info{"TQkDialogsMeasureUnit", {"qkduInches", "qkduCentimeters"}};
    return info;
}

} // namespace

void RegisterBrelvixIOClass()
{
    using I = TBrelvixIO;
    RegisterClass<I, TComponent>("TBrelvixIO")
        .Property("AttachedBrelvix", &I::AttachedBrelvix, &I::SetAttachedBrelvix)
        .Property("AttachedTImage", &I::AttachedTImage, &I::SetAttachedTImage)
        .Property("Background", ColorGetter(&I::Background), ColorSetter(&I::SetBackground))
        .Default(ColorProp(clBlack))
        .Idents(ColorIdents())
        .Property("NativePixelFormat", &I::NativePixelFormat, &I::SetNativePixelFormat)
        .Property("StreamHeaders", &I::StreamHeaders, &I::SetStreamHeaders)
        .Enum("MsgLanguage", &I::MsgLanguage, &I::SetMsgLanguage, MsgLanguageInfo())
        .Default(msSystem)
        .Set("PreviewsParams", &I::PreviewsParams, &I::SetPreviewsParams, PreviewsParamInfo())
        .Default(TIOPreviewsParams{})
        .Property("PreviewFont", &I::PreviewFont)
        .Enum("DialogsMeasureUnit", &I::DialogsMeasureUnit, &I::SetDialogsMeasureUnit, DialogsMeasureUnitInfo())
        .Default(qkduInches)
        .Property("AutoAdjustDPI", &I::AutoAdjustDPI, &I::SetAutoAdjustDPI)
        .Property("FilteredAdjustDPI", &I::FilteredAdjustDPI, &I::SetFilteredAdjustDPI)
        .Property("SimplifiedParamsDialogs", &I::SimplifiedParamsDialogs, &I::SetSimplifiedParamsDialogs)
        .Default(true)
        .Event("OnProgress", &I::OnProgress)
        .Event("OnFinishWork", &I::OnFinishWork)
        .Event("OnAcquireBitmap", &I::OnAcquireBitmap)
        .Event("OnIOPreview", &I::OnIOPreview)
        .Event("OnDoPreviews", &I::OnDoPreviews);
}
