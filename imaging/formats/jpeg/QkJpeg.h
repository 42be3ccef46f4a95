#pragma once
// JPEG files through libjpeg: the reader, the writer, and the scans of a
// JPEG stream that other formats embedding JPEG data need.

#include <cstdint>
#include <string>

#include "imaging/formats/QkFormatRows.h"
#include "platform/core/Exceptions.h"

class TStream;
class TQkBitmap;
class TIOParamsVals;

class EQkJpegException : public Exception {
public:
    using Exception::Exception;
};

// The text of a library message code; codes the table does not hold give
// "Corrupted".
std::string JpegMessageText(int code);

// The bytes from the current position to just after the end-of-image
// marker, or to the end of the stream; the position is restored.
int64_t GetJpegStreamLength(TStream& stream);
// The APP2 colour profile of the stream at the current position into the
// parameters' input profile; the position is restored. A profile missing a
// chunk, or with malformed chunks, is not loaded.
void ReadJpegIccProfile(TStream& stream, TIOParamsVals& params);

struct TQkJpegReadOptions {
    // An abbreviated tables-only stream read before the image, or nil.
    TStream* Tables = nullptr;
    bool ParamsOnly = false;
    // YCbCr samples delivered unconverted.
    bool RawYCbCr = false;
    // IPTC, EXIF and XMP from the markers.
    bool Metadata = true;
    // CMYK stored with 0 meaning no ink.
    bool InvertCmyk = false;
    // After a profile conversion, the APP2 markers leave the marker list.
    bool DropProfile = true;
    bool ReadIcc = true;
    // -1 reads every row.
    int32_t RowsToRead = -1;
    // Gray and CMYK images stay qk8g and qkCMYK instead of becoming qk24RGB.
    bool Native = false;
};

// Returns the rows read. Never raises: failures set the progress record's
// aborting flag, and the parameters and markers read so far stay.
int32_t ReadJpegImage(TStream& source, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress,
                      const TQkJpegReadOptions& options);
// The input/output component's form.
void ReadJpegFile(TQkReadRequest& request);

// Raises EQkJpegException on a library error (a marker too long for its
// segment included, before anything is written); a short write to the
// stream sets the aborting flag and leaves the JPEG unfinished.
void WriteJpegImage(TStream& destination, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress);
void WriteJpegFile(TQkWriteRequest& request);
