#pragma once
// The EXIF side of TIFF: the EXIF-related tags of an image directory and
// the EXIF and GPS directories, read into and written from the parameters.

#include <cstdint>

class TIOParamsVals;
class TTiffDirectory;
class TTiffEntryWriter;

constexpr uint16_t ExifIfdTag = 34665;
constexpr uint16_t GpsIfdTag = 34853;

// After the image's own tags: the image directory's EXIF fields, then those
// of the EXIF and GPS directories it points to.
void ReadExifFields(const TTiffDirectory& directory, TIOParamsVals& params);
// Adds the EXIF-related image tags (in place of the plain description and
// resolution) and writes the EXIF and, with a GPS version, GPS directories.
void WriteExifIfds(TTiffEntryWriter& entries, TIOParamsVals& params);
