// Clearing, colour reduction and cropping of the whole image.

#include "imaging/core/BrelvixProc.h"

#include "imaging/core/QkColorReduction.h"
#include "imaging/core/QkOpaqueBounds.h"

#include "platform/core/Strings.h"

#include <algorithm>
#include <vector>

namespace {

// The inclusive rectangle of `source` as a new bitmap of its format; what
// lies beyond the source stays zero. nullptr when it cannot be allocated.
std::unique_ptr<TQkBitmap> CroppedCopy(TQkBitmap& source, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    const int32_t width = x2 - x1 + 1;
    const int32_t height = y2 - y1 + 1;
    auto cropped = std::make_unique<TQkBitmap>();
    if (!cropped->Allocate(width, height, source.GetPixelFormat()))
        return nullptr;
    source.CopyPaletteTo(cropped.get());
    source.CopyRectTo(*cropped, x1, y1, 0, 0, width, height);
    return cropped;
}

} // namespace

void TBrelvixProc::Clear()
{
    if (!PrepareBitmap({}))
        return;
    if (FAutoUndo)
        SaveUndoWithCaption("Clear", qkuImage);
    FWorkBitmap->Fill(Background());
    NotifyImageChanged();
    DoFinishWork();
}

void TBrelvixProc::ConvertTo(int32_t colours, bool useThreshold)
{
    ReduceColours(colours, {}, useThreshold, Format("ConvertTo %d", colours));
}

void TBrelvixProc::ConvertToPalette(int32_t colours, std::span<TRGBPixel> palette, bool useThreshold)
{
    if (colours == 0)
        return;
    ReduceColours(colours, palette, useThreshold, "ConvertToPalette");
}

// A palette shorter than the colours asked for gets the first entries only:
// the quantizer never writes beyond the caller's span.
void TBrelvixProc::ReduceColours(int32_t colours, std::span<TRGBPixel> palette, bool useThreshold,
                                 const std::string& caption)
{
    if (!PrepareBitmap({qk24RGB}))
        return;
    if (FAutoUndo)
        SaveUndoWithCaption(caption, qkuImage);
    TQkFilterProgress progress;
    progress.OnProgress = OnProgress;
    progress.Sender = this;
    if (colours < 3) {
        if (useThreshold)
            ThresholdTo1Bit(*FWorkBitmap, -1, &progress);
        else
            DitherTo1Bit(*FWorkBitmap, &progress);
        if (palette.size() >= 2) {
            palette[0] = MakeRGBPixel(0, 0, 0);
            palette[1] = MakeRGBPixel(255, 255, 255);
        }
    } else if (colours <= 1024) {
        std::vector<TRGBPixel> own;
        if (palette.size() < static_cast<size_t>(colours)) {
            own.resize(static_cast<size_t>(colours));
            QuantizeInPlace(*FWorkBitmap, colours, own, &progress);
            std::copy_n(own.begin(), palette.size(), palette.begin());
        } else {
            QuantizeInPlace(*FWorkBitmap, colours, palette.first(static_cast<size_t>(colours)), &progress);
        }
    }
    NotifyImageChanged();
    DoFinishWork();
}

void TBrelvixProc::Crop(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    if (!PrepareBitmap({}) || x2 < x1 || y2 < y1)
        return;
    if (x1 == 0 && y1 == 0 && FWorkBitmap->GetWidth() == x2 + 1 && FWorkBitmap->GetHeight() == y2 + 1)
        return;
    std::unique_ptr<TQkBitmap> cropped = CroppedCopy(*FWorkBitmap, x1, y1, x2, y2);
    std::unique_ptr<TQkBitmap> alpha;
    if (FWorkBitmap->HasAlphaChannel())
        alpha = CroppedCopy(*FWorkBitmap->GetAlphaChannel(), x1, y1, x2, y2);
    if (!cropped || (FWorkBitmap->HasAlphaChannel() && !alpha))
        return;
    if (FAutoUndo)
        SaveUndoWithCaption(Format("Crop %d, %d, %d, %d", x1, y1, x2, y2), qkuImage);
    FWorkBitmap->AssignImage(*cropped);
    if (alpha) {
        alpha->UpdateFullAlphaFlag();
        FWorkBitmap->AttachAlphaChannel(std::move(alpha));
    }
    NotifyImageChanged();
    DoFinishWork();
}

void TBrelvixProc::CropToRect(const TRect& rect) { Crop(rect.Left, rect.Top, rect.Right, rect.Bottom); }

void TBrelvixProc::CropTransparentBorders()
{
    if (!PrepareBitmap({}))
        return;
    const TRect bounds = GetOpaqueBounds(*FWorkBitmap);
    if (bounds.Right < bounds.Left)
        return;
    const bool autoUndo = FAutoUndo;
    FAutoUndo = false;
    CropToRect(bounds);
    FAutoUndo = autoUndo;
}
