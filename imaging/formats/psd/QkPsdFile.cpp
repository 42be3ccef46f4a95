#include <algorithm>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkView.h"
#include "imaging/formats/psd/QkPsd.h"

namespace {

// The image's alpha channel becomes the layer's, placed at the layer's
// position; the rest of the image is transparent.
void TakeLayerAlpha(TQkBitmap& image, IQkLayer& layer)
{
    TQkBitmap* source = layer.Bitmap()->GetAlphaChannel();
    TQkBitmap* target = image.GetAlphaChannel();
    if (!source || !target)
        return;
    target->Fill(0);
    const int32_t left = std::max(0, layer.PosX());
    const int32_t top = std::max(0, layer.PosY());
    const int32_t right = std::min(image.GetWidth(), layer.PosX() + source->GetWidth());
    const int32_t bottom = std::min(image.GetHeight(), layer.PosY() + source->GetHeight());
    for (int32_t y = top; y < bottom; ++y)
        std::copy_n(source->GetScanline(y - layer.PosY()) + (left - layer.PosX()), std::max(0, right - left),
                    target->GetScanline(y) + left);
}

} // namespace

void ReadPsdFile(TQkReadRequest& request)
{
    // Layers go into an image view; the component holds none, so it reads
    // the merged image.
    TQkLayerList layers;
    ReadPsdImage(request, false, request.ParamsOnly ? nullptr : &layers);
    if (layers.size() == 1 && !request.Params.ReadThumbnail && !request.Bitmap.IsEmpty())
        TakeLayerAlpha(request.Bitmap, *layers.front());
}

void WritePsdFile(TQkWriteRequest& request) { WritePsdImage(request, TQkLayerList()); }
