#pragma once
// What the EXIF block fuzz target does with one input, shared with the unit
// tests that replay inputs which once failed: the bytes behind an "Exif"
// header through LoadExifFromBuffer, then as a TIFF stream through the
// camera-file loaders and the probes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreams.h"
#include "imaging/formats/tiff/QkTiff.h"

inline void ReadAsExifBlock(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> block = {'E', 'x', 'i', 'f', 0, 0};
    block.insert(block.end(), data, data + size);
    TIOParamsVals params(nullptr);
    LoadExifFromBuffer(block.data(), int64_t(block.size()), params);
    TQkMemStream stream(data, int64_t(size));
    LoadExifAndThumbnailFromTiff(stream, params);
    LoadExifFromTiffStream(stream, params);
    IsCameraRawTiff(stream);
    IsHdPhotoStream(stream);
}
