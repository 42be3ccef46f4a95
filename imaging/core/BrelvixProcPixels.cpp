// Canvas size, gray conversion and solid fill.

#include "imaging/core/BrelvixProc.h"

#include "imaging/core/QkRegionOps.h"

#include "platform/core/Strings.h"

void TBrelvixProc::ImageResize(int32_t newWidth, int32_t newHeight, uint8_t horizAlign, uint8_t vertAlign,
                               int32_t fillAlpha)
{
    if (!PrepareBitmap({}) || newWidth <= 0 || newHeight <= 0)
        return;
    const int32_t width = FWorkBitmap->GetWidth();
    const int32_t height = FWorkBitmap->GetHeight();
    if (newWidth == width && newHeight == height)
        return;
    if (FAutoUndo)
        SaveUndoWithCaption("ImageResize " + std::to_string(newWidth) + "," + std::to_string(newHeight), qkuImage);
    // A pixel or less holds nothing to keep: it starts as the background.
    if (width < 2 && height < 2)
        FWorkBitmap->Fill(Background());
    if (fillAlpha < 255)
        FWorkBitmap->GetAlphaChannel();
    FWorkBitmap->Resize(newWidth, newHeight, Background(), fillAlpha, horizAlign, vertAlign);
    NotifyImageChanged();
    DoFinishWork();
}

void TBrelvixProc::ConvertToGray()
{
    TQkRegionWork work;
    if (!BeginRegionOperation({qk24RGB}, "ConvertToGray", work))
        return;
    ConvertRegionToGray(*work.Target, work.Rect.Left, work.Rect.Top, work.Rect.Right, work.Rect.Bottom, this,
                        OnProgress);
    EndRegionOperation(work);
    DoFinishWork();
}

void TBrelvixProc::Fill(uint32_t colour)
{
    const int32_t red = (colour >> 16) & 0xFF;
    const int32_t green = (colour >> 8) & 0xFF;
    const int32_t blue = colour & 0xFF;
    TQkRegionWork work;
    if (!BeginRegionOperation({}, Format("Fill (%d, %d, %d)", red, green, blue), work))
        return;
    FillRegion(*work.Target, work.Rect.Left, work.Rect.Top, work.Rect.Right, work.Rect.Bottom, colour, this,
               OnProgress);
    EndRegionOperation(work);
    DoFinishWork();
}
