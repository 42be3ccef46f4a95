#pragma once
// The filters of the built-in formats: one row of callables per file-type
// id, filled by each format's own code at start-up. An empty probe answers
// no; an empty reader or writer means the format is not built, which the
// input/output component reports as "not supported".

#include <cstdint>
#include <functional>
#include <memory>

#include "imaging/core/QkMask.h"
#include "imaging/core/QkSettings.h"

class TStream;
class TQkBitmap;
class TIOParamsVals;

// What a reader is given and what it hands back. On a format error the
// reader sets *Progress.Aborting and returns normally.
struct TQkReadRequest {
    TQkReadRequest(TStream& stream, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress)
        : Stream(stream), Bitmap(bitmap), Params(params), Progress(progress)
    {}

    TStream& Stream;
    TQkBitmap& Bitmap;
    TIOParamsVals& Params;
    TQkFilterProgress& Progress;
    bool ParamsOnly = false;
    // Bytes the reader may consume from the start position; -1 up to the end.
    int64_t ByteBudget = -1;
    // Leave the alpha plane out.
    bool IgnoreAlpha = false;
    // Offsets inside the data count from the stream's position 0 rather
    // than from the start position (a TIFF behind a stream header).
    bool AbsoluteOffsets = false;
    // Out: the alpha plane, which the caller copies into the bitmap.
    std::unique_ptr<TQkMask> AlphaMask;
    // Out: frames or pages the file holds.
    int32_t ImageCount = 0;
};

// A writer stores the bitmap (its alpha channel too, where the format can)
// and sets *Progress.Aborting when the stream takes fewer bytes than given.
struct TQkWriteRequest {
    TStream& Stream;
    TQkBitmap& Bitmap;
    TIOParamsVals& Params;
    TQkFilterProgress& Progress;
};

// True when the data at the stream's position is the format; the position
// is left where it was.
using TQkStreamProbe = std::function<bool(TStream&)>;
using TQkFormatReader = std::function<void(TQkReadRequest&)>;
using TQkFormatWriter = std::function<void(TQkWriteRequest&)>;

struct TQkFormatRow {
    TQkStreamProbe Probe;
    TQkFormatReader Read;
    // Fills the parameters without decoding the pixels.
    TQkFormatReader ReadParams;
    TQkFormatWriter Write;
};

// The row of a file-type id; ids outside the registry's range share one
// empty row.
TQkFormatRow& FormatRow(int32_t fileType);
// Every row empty again, the camera-raw TIFF probe too.
void ClearFormatRows();

// TIFF-structured camera raw data, which detection keeps from answering
// TIFF; filled by the camera-raw code. Empty answers no.
extern TQkStreamProbe CameraRawTiffProbe;
