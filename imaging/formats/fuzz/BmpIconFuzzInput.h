#pragma once
// What the bitmap and icon fuzz target does with one input, shared with the
// unit tests that replay inputs which once failed: the first byte picks the
// reader (bitmap file, bitmap without file header, icon, cursor) in its low
// two bits, the image index in the next two, and the headerless,
// parameters-only, ignore-alpha and native-format switches in the high
// four; the rest is the file. Format errors are fine; crashes, hangs and
// reads outside the bytes are not.

#include <cstddef>
#include <cstdint>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/bmp/QkBmp.h"
#include "imaging/formats/ico/QkIco.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Streams.h"

inline void ReadAsBitmapOrIcon(const uint8_t* data, size_t size)
{
    if (size == 0)
        return;
    const uint8_t choice = data[0];
    TMemoryStream stream;
    stream.Write(data + 1, static_cast<int64_t>(size - 1));
    stream.SetPosition(0);
    TQkBitmap bitmap;
    TIOParamsVals params(nullptr);
    params.HeaderlessStream = (choice & 0x10) != 0;
    params.NativePixelFormat = (choice & 0x80) != 0;
    params.IcoImageIndex = params.CurImageIndex = (choice >> 2) & 3;
    std::atomic<bool> aborting = false;
    TQkFilterProgress progress;
    progress.Aborting = &aborting;
    TQkReadRequest request(stream, bitmap, params, progress);
    request.ParamsOnly = (choice & 0x20) != 0;
    request.IgnoreAlpha = (choice & 0x40) != 0;
    try {
        switch (choice & 3) {
        case 0: ReadBmpImage(request); break;
        case 1: ReadBmpImage(request, true); break;
        case 2:
            IsIcoStream(stream);
            ReadIconImage(request);
            break;
        default:
            IsCurStream(stream);
            ReadCursorImage(request);
            break;
        }
    } catch (const Exception&) {
        // A PNG entry without the PNG filter, or an unsupported native depth.
    }
}
