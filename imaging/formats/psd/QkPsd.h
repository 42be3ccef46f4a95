#pragma once
// Photoshop documents ("8BPS", version 1): the merged image, or the layers
// with their alpha channels and layer masks, and the resources the library
// keeps (resolution, IPTC, ICC profile, XMP and the JPEG thumbnail).

#include <memory>
#include <vector>

#include "imaging/core/QkView.h"
#include "imaging/formats/QkFormatRows.h"

class TStream;

using TQkLayerList = std::vector<std::unique_ptr<IQkLayer>>;
// Layers that belong to someone else, a view's for instance.
using TQkLayerRefs = std::vector<IQkLayer*>;

// True when the 26-byte header at the position is a version-1 document with
// 1-24 channels, depth 1-16 and a colour mode below 10; the position is
// left where it was.
bool IsPsdStream(TStream& stream);

// With ParamsOnly, or without a layer list, the layers are not read unless
// there is a single one. Read layers are appended to `layers` (TQkLayerData
// objects). The merged image is decoded into the request's bitmap unless
// layers were loaded or the thumbnail replaced it. A bad header, a depth
// other than 1, 8 or 16, a compression the reader does not know or a size
// past the decode limit set Aborting.
void ReadPsdImage(TQkReadRequest& request, bool loadLayers, TQkLayerList* layers);

// The merged bitmap (the request's) and the layers; a layer followed by a
// layer flagged as a mask carries that mask. An unsupported pixel format
// sets Aborting and writes nothing.
void WritePsdImage(TQkWriteRequest& request, const TQkLayerRefs& layers);
void WritePsdImage(TQkWriteRequest& request, const TQkLayerList& layers);

// The input/output component's forms: the merged image, with the alpha
// channel of a document's single layer; the bitmap without layers.
void ReadPsdFile(TQkReadRequest& request);
void WritePsdFile(TQkWriteRequest& request);
