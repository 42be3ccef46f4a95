#pragma once
// What the filters fuzz target does with one input, shared with the unit
// tests that replay inputs which once failed: the first byte picks the
// portable bitmap reader, the wireless bitmap reader, the headerless raw
// reader (its layout taken from the next bytes) or the metafile probes; the
// rest is the file. Format errors are fine; crashes, hangs and reads
// outside the bytes are not.

#include <cstddef>
#include <cstdint>
#include <string>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFormatErrors.h"
#include "imaging/formats/fuzz/FuzzReadRequest.h"
#include "imaging/formats/metafile/QkMetafileProbes.h"
#include "imaging/formats/pnm/QkPnm.h"
#include "imaging/formats/raw/QkRawBitmapReader.h"
#include "imaging/formats/wbmp/QkWbmp.h"
#include "platform/core/Streams.h"

// Width, height, pixel format, alignment, ASCII form, planar and BGR flags
// and offset, one byte each.
inline constexpr size_t RawLayoutBytes = 7;

inline void ReadRawWithLayout(const uint8_t* layout, TQkReadRequest& request)
{
    TIOParamsVals& params = request.Params;
    params.BmpRawRowAlign = static_cast<int8_t>(layout[3]);
    params.BmpRawFormat = layout[4] % 3;
    params.BmpRawPlanar = layout[5] & 1;
    params.BmpRawBGR = (layout[5] & 2) != 0;
    params.BmpRawDataOffset = static_cast<int8_t>(layout[6]);
    const auto format = static_cast<TQkPixelFormat>(layout[2] % QkPixelFormatCount);
    if (!request.Bitmap.Allocate(layout[0] % 64 + 1, layout[1] % 64 + 1, format))
        return;
    try {
        ReadRawBitmap(request);
    } catch (const EQkFormatNotSupported&) {
        // Hexadecimal data into a float bitmap.
    }
}

inline void ReadAsFilter(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    TFuzzReadRequest call(data + 1, size - 1, (choice & 0x80) != 0);
    TMemoryStream& stream = call.Stream;
    TQkReadRequest& request = call.Request;
    switch (choice % 4) {
    case 0:
        if (IsPnmStream(stream))
            ReadPnmImage(request);
        break;
    case 1: ReadWbmpImage(request); break;
    case 2:
        if (size > RawLayoutBytes) {
            stream.SetPosition(RawLayoutBytes);
            ReadRawWithLayout(data + 1, request);
        }
        break;
    default:
        IsWmfStream(stream);
        IsEmfStream(stream);
        break;
    }
}
