#include "imaging/core/BrelvixProc.h"

#include "platform/core/ClassRegistry.h"
#include "platform/gfx/Colors.h"
#include "platform/ui/Image.h"

namespace {

const TEnumInfo& PreviewsParamInfo()
{
    static const TEnumInfo info{
        "TPRPreviewsParam",
        {"prppDefaultLockPreview", "prppShowResetButton", "prppHardReset", "prppResetSelectedTab"}};
    return info;
}

} // namespace

void RegisterBrelvixProcClass()
{
    using P = TBrelvixProc;
    RegisterClass<P, TComponent>("TBrelvixProc")
        .Property("AttachedBrelvix", &P::AttachedBrelvix, &P::SetAttachedBrelvix)
        .Property("AutoUndo", &P::AutoUndo, &P::SetAutoUndo)
        .Property("Background", ColorGetter(&P::Background), ColorSetter(&P::SetBackground))
        .Default(ColorProp(clBlack))
        .Idents(ColorIdents())
        .Event("OnProgress", &P::OnProgress)
        .Enum("MsgLanguage", &P::MsgLanguage, &P::SetMsgLanguage, MsgLanguageInfo())
        .Default(msSystem)
        .Set("PreviewsParams", &P::PreviewsParams, &P::SetPreviewsParams, PreviewsParamInfo())
        .Default(TPRPreviewsParams{prppShowResetButton, prppHardReset})
        .Property("PreviewFont", &P::PreviewFont)
        .Property("AttachedTImage", &P::AttachedTImage, &P::SetAttachedTImage)
        .Event("OnPreview", &P::OnPreview)
        .Property("UndoLimit", &P::UndoLimit, &P::SetUndoLimit)
        .Default(1)
        .Event("OnFinishWork", &P::OnFinishWork)
        .Property("AutoConvertFormat", &P::AutoConvertFormat, &P::SetAutoConvertFormat)
        .Default(true)
        .Event("OnSaveUndo", &P::OnSaveUndo);
}
