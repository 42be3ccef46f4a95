// A layer showing a bitmap that belongs to someone else, and its way back
// to a bitmap of its own.

#include "imaging/core/QkBitmap.h"
#include "imaging/views/layers/QkLayer.h"

void TQkLayer::ShowOutsideBitmap(TQkBitmap* bitmap)
{
    if (!OwnsBitmap)
        static_cast<void>(bitmap_.release());
    bitmap_.reset(bitmap);
    OwnsBitmap = false;
}

void TQkLayer::OwnNewBitmap(TQkLocation location)
{
    if (!OwnsBitmap)
        static_cast<void>(bitmap_.release());
    bitmap_ = std::make_unique<TQkBitmap>();
    bitmap_->SetLocation(location);
    OwnsBitmap = true;
}
