#include "imaging/core/QkBitmap.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/views/BrelvixView.h"
#include "imaging/views/layers/QkLayersStream.h"
#include "platform/core/Streams.h"

// The current image may have been drawn on through its legacy bitmap, which
// SyncLayers brings into the image first.
void TBrelvixView::SaveLayersToStream(TMemoryStream& stream, int32_t imageFormat)
{
    SyncLayers();
    WriteLayersStream(stream, layers_, imageFormat);
}

// Layer 0 stays the same object, since it shares the view's image; it takes
// the read properties and pixels. The last layer read becomes current, and
// SyncLayers gives it its legacy bitmap when the view keeps one.
bool TBrelvixView::LoadLayersFromStream(TStream& stream)
{
    TQkLayer& background = *layers_[0];
    TQkReadLayers read;
    if (!ReadLayersStream(stream, background, read))
        return false;
    layers_.resize(1);
    if (read.Background) {
        background.AssignProperties(*read.Background);
        background.ScreenRect = TRect{0, 0, 0, 0};
        background.Bitmap()->TakeOver(*read.Background->Bitmap());
    }
    for (std::unique_ptr<TQkLayer>& layer : read.Above)
        layers_.push_back(std::move(layer));
    currentLayer_ = GetLayerCount() - 1;
    if (io_) {
        TIOParamsVals& params = io_->Params();
        params.Width = params.StoredWidth = background.Bitmap()->GetWidth();
        params.Height = params.StoredHeight = background.Bitmap()->GetHeight();
    }
    SyncLayers();
    CallBitmapChangeHandlers();
    Update();
    return true;
}

bool TBrelvixView::LoadLayersFromFile(const std::string& fileName)
{
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    return LoadLayersFromStream(file);
}
