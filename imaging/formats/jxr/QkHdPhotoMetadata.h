#pragma once
// The parameters' EXIF fields as jxrlib writes them into the container: the
// EXIF and GPS directories cut from the EXIF block, and the image
// directory's texts as descriptive metadata.

#include "imaging/formats/jxr/QkJxrLib.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TIOParamsVals;

struct TQkHdPhotoMetadata {
    // Each directory alone at offset 0, little-endian, its values after it;
    // empty for none.
    std::vector<uint8_t> Exif;
    std::vector<uint8_t> Gps;
    // Image directory tags (description, make, model, software, date and
    // time, artist, copyright) with their texts.
    std::vector<std::pair<uint16_t, std::string>> Texts;
};

// Empty when the parameters hold no EXIF data or the block cannot be made.
TQkHdPhotoMetadata BuildHdPhotoMetadata(TIOParamsVals& params);
// Before the first pixels; false when jxrlib refuses a part.
bool SetHdPhotoMetadata(PKImageEncode& encoder, TQkHdPhotoMetadata& metadata);
