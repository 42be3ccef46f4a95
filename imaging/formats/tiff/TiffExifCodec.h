#pragma once
// The TIFF reader and writer behind the imaging core's EXIF block routines.

// Fills the core's ExifTiffCodec, and empties it again.
void InstallExifTiffCodec();
void RemoveExifTiffCodec();
