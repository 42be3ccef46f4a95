#pragma once
// The HD Photo container's first directory, read within the stream's bytes
// before jxrlib sees any of them.

#include "imaging/formats/jxr/QkJxrLib.h"

#include <cstdint>
#include <optional>

class TStream;

struct TQkHdPhotoDirectory {
    PKPixelFormatGUID PixelFormat{};
    int64_t Width = 0;
    int64_t Height = 0;
    int64_t ImageOffset = 0;
    int64_t ImageBytes = 0;
    // Zero without a separate alpha plane.
    int64_t AlphaOffset = 0;
    int64_t AlphaBytes = 0;
};

// The directory at the position's first-directory offset when the header
// is HD Photo's and the directory names the pixel format, the size and the
// image's place; the position is left where it was.
std::optional<TQkHdPhotoDirectory> ReadHdPhotoDirectory(TStream& stream);
// The coded planes lie inside `available` bytes, jxrlib knows the pixel
// format and the size is within the decode limit.
bool IsDecodable(const TQkHdPhotoDirectory& directory, int64_t available);
