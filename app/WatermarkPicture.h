#pragma once
// The watermark's PNG file, read the way both the preview and a conversion
// judge it.

#include <string>

class TPicture;

// The file exists and its extension, lower-cased, is ".png".
bool IsPngFile(const std::string& path);

// Loads a PNG watermark file into `picture`; false, with the picture left as
// it was, when the file is no PNG or does not decode.
bool LoadWatermarkPicture(TPicture& picture, const std::string& path);
