// The frame of the selection-aware operations.

#include "imaging/core/BrelvixProc.h"

#include "imaging/core/QkMask.h"

bool TBrelvixProc::BeginRegionOperation(TQkPixelFormatSet allowed, const std::string& caption, TQkRegionWork& work)
{
    if (FAutoUndo)
        SaveUndoWithCaption(caption, qkuImage);
    if (!PrepareBitmap(allowed))
        return false;
    const TPoint* polygon = nullptr;
    int32_t polygonCount = 0;
    GetWorkRegion(work.Rect, work.Mask, polygon, polygonCount);
    work.Target = FWorkBitmap;
    if (!work.Mask || work.Mask->IsEmpty())
        return true;
    const TQkMask& mask = *work.Mask;
    const int32_t width = mask.Right() - mask.Left() + 1;
    const int32_t height = mask.Bottom() - mask.Top() + 1;
    auto box = std::make_unique<TQkBitmap>();
    if (!box->Allocate(width, height, FWorkBitmap->GetPixelFormat()))
        return false;
    FWorkBitmap->CopyPaletteTo(box.get());
    FWorkBitmap->CopyRectTo(*box, mask.Left(), mask.Top(), 0, 0, width, height);
    if (FWorkBitmap->HasAlphaChannel())
        FWorkBitmap->GetAlphaChannel()->CopyRectTo(*box->GetAlphaChannel(), mask.Left(), mask.Top(), 0, 0, width,
                                                   height);
    work.Rect = {0, 0, width, height};
    work.Target = box.get();
    work.OwnedTarget = std::move(box);
    return true;
}

void TBrelvixProc::EndRegionOperation(TQkRegionWork& work)
{
    if (work.OwnedTarget && work.Mask) {
        TQkBitmap& box = *work.OwnedTarget;
        work.Mask->CopyBitmapThroughMask(*FWorkBitmap, box, false, true, false);
        if (box.HasAlphaChannel() && !box.GetAlphaChannel()->Full()) {
            TQkBitmap& alpha = *FWorkBitmap->GetAlphaChannel();
            work.Mask->CopyBitmapThroughMask(alpha, *box.GetAlphaChannel(), false, true, false);
            alpha.SetFull(false);
        }
    }
    work.OwnedTarget.reset();
    work.Target = nullptr;
    NotifyImageChanged();
}
