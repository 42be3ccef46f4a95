#pragma once
// The layer and mask section of a Photoshop document.

#include "imaging/formats/psd/QkPsd.h"
#include "imaging/formats/psd/QkPsdLayout.h"

class TPsdInput;

struct TPsdLayerSection {
    TPsdHeader Header;
    int32_t TransparentIndex = -1;
    const std::vector<TRGBPixel>* Palette = nullptr;
};

// Reads the section at the input's position (its length field first) and
// leaves the input after it. Layers are read when `layers` is given and
// either `loadLayers` is set or the document has a single layer; read
// layers are appended, those with an empty bitmap left out. False when a
// channel could not be decoded or the layers pass the decode limit.
bool ReadPsdLayerSection(TPsdInput& input, const TPsdLayerSection& section, bool loadLayers, TQkLayerList* layers,
                         TQkFilterProgress& progress);
