// The steps that reach into an image view's layers: Photoshop documents
// load their layers into the attached view and save the view's layers, and
// the layered files (vector objects, layers, both) load through the view's
// own loaders, or through a temporary view when none is attached.

#include <algorithm>

#include "imaging/core/QkFileStreams.h"
#include "imaging/formats/BrelvixIO.h"
#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/psd/QkPsd.h"

namespace {

// The read layer's place becomes the image's: a first layer that does not
// start at the origin lies over a locked, fully transparent background of
// the document's size.
void MakeBackgroundLayer(IQkLayer& layer, int32_t width, int32_t height)
{
    layer.SetDefaults();
    layer.SetLocked(true);
    TQkBitmap& bitmap = *layer.Bitmap();
    bitmap.Allocate(width, height, qk24RGB);
    bitmap.Fill(0);
    bitmap.GetAlphaChannel()->Fill(0);
}

} // namespace

IBrelvixView* TBrelvixIO::AttachedImageView() const
{
    return attachedView_ != nullptr ? attachedView_->AsBrelvixView() : nullptr;
}

void TBrelvixIO::ReadPsd(TQkReadRequest& request)
{
    IBrelvixView* view = AttachedImageView();
    if (view == nullptr || !params_->PsdLoadLayers || request.ParamsOnly) {
        ReadPsdFile(request);
        return;
    }
    TQkLayerList layers;
    ReadPsdImage(request, true, &layers);
    // The view changes only once the document was read.
    if (*request.Progress.Aborting || layers.empty())
        return;
    int32_t target = 0;
    if (params_->PsdReplaceLayers)
        view->RemoveAllLayers();
    else
        target = view->AddLayer(nullptr);
    if (layers.front()->PosX() != 0 || layers.front()->PosY() != 0) {
        MakeBackgroundLayer(*view->GetLayer(target), params_->Width, params_->Height);
        target = view->AddLayer(nullptr);
    }
    view->GetLayer(target)->Assign(*layers.front());
    for (size_t i = 1; i < layers.size(); ++i)
        view->GetLayer(view->AddLayer(nullptr))->Assign(*layers[i]);
}

// The document's merged image is the view's layers flattened, in the pixel
// format of layer 0; the layers themselves follow it.
void TBrelvixIO::WritePsd(TQkWriteRequest& request)
{
    IBrelvixView* view = AttachedImageView();
    if (view == nullptr) {
        WritePsdFile(request);
        return;
    }
    TQkBitmap merged;
    merged.SetLocation(qkMemory);
    view->FlattenLayersTo(merged);
    merged.ConvertToPixelFormat(view->GetLayer(0)->Bitmap()->GetPixelFormat());
    TQkLayerRefs layers;
    for (int32_t i = 0; i < view->GetLayerCount(); ++i)
        layers.push_back(view->GetLayer(i));
    TQkWriteRequest flattened{request.Stream, merged, request.Params, request.Progress};
    WritePsdImage(flattened, layers);
}

// Vector objects (25) and layers and objects (27) need the vector-object
// view, which is not part of the library yet: they stay unsupported.
// A file that cannot be opened still finishes the operation once before the
// error goes to the caller.
void TBrelvixIO::LoadLayeredFromFile(const std::string& fileName, int32_t fileType)
{
    if (fileType != ioLYR)
        NotSupported(fileType, true);
    IBrelvixView* view = AttachedImageView();
    const std::unique_ptr<TQkView> temporary = view ? nullptr : CreateTemporaryView();
    if (!view && (!temporary || !temporary->AsBrelvixView()))
        NotSupported(fileType, true);
    if (!view && !PrepareBitmap()) {
        Fail();
        return;
    }
    try {
        aborting_ = !(view ? view : temporary->AsBrelvixView())->LoadLayersFromFile(fileName);
        if (temporary && !aborting_) {
            temporary->AsBrelvixView()->FlattenLayers();
            bitmap_->Assign(temporary->GetImageBitmap());
            RefreshAttachedImage();
        }
    } catch (...) {
        Fail();
        throw;
    }
    params_->FileType = fileType;
    DoFinishWork();
}

// Only an attached view of the right kind takes a stream; anything else
// loads nothing and says so.
void TBrelvixIO::LoadLayeredFromStream(TStream& stream, int32_t fileType)
{
    IBrelvixView* view = AttachedImageView();
    aborting_ = fileType != ioLYR || view == nullptr || !view->LoadLayersFromStream(stream);
    params_->FileType = fileType;
}
