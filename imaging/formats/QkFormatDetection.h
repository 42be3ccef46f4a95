#pragma once
// Which image format a stream or a file holds, by its content: the stream
// headers the component writes and the plain BMP, GIF and PCX signatures,
// then the format probes in a fixed order, a JPEG start-of-image search,
// the probes of external formats and last the camera-raw probe. Missing
// bytes never match, and the stream's position is the same afterwards,
// whatever the answer.

#include <cstdint>
#include <string>

#include "imaging/formats/QkFileFormats.h"
#include "imaging/formats/QkFormatRows.h"

class TStream;

// The probe order of the built-in formats: DICOM first, since a DICOM
// preamble may hold a TIFF header.
inline constexpr int32_t DetectionProbeOrder[] = {ioDICOM, ioHDP, ioTIFF, ioPNG, ioICO, ioCUR, ioTGA, ioPXM, ioJP2,
                                                  ioJ2K,   ioAVI, ioDCX,  ioWMF, ioEMF, ioPSD, ioQKV, ioLYR, ioALL};

// The file-type id of the data at the position; 0 when nothing matched or
// a probe raised.
int32_t DetectStreamFormat(TStream& stream);
// Opens the file and detects its content; with `checkExtension` the content
// must agree with the extension's entry (icon and cursor content take the
// extension's id). 0 for an empty or missing name.
int32_t DetectFileFormat(const std::string& fileName, bool checkExtension);

// "RIFF", four bytes, "AVI ".
bool IsAviStream(TStream& stream);
// With `search`, the position of the first FF D8 FF that starts within 150
// bytes from the position; without, the position itself when the bytes are
// there; otherwise -1. The position is restored.
int64_t FindJpegSoi(TStream& stream, bool search);
