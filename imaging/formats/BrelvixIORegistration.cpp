#include "imaging/formats/BrelvixIO.h"
#include "platform/core/ClassRegistry.h"
#include "platform/gfx/Colors.h"
#include "platform/ui/Image.h"

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
        .Property("AutoAdjustDPI", &I::AutoAdjustDPI, &I::SetAutoAdjustDPI)
        .Property("FilteredAdjustDPI", &I::FilteredAdjustDPI, &I::SetFilteredAdjustDPI)
        .Event("OnProgress", &I::OnProgress)
        .Event("OnFinishWork", &I::OnFinishWork);
}
