#pragma once
// A reader's request over the file part of one fuzz input, with the
// bitmap, parameters and aborting flag it needs.

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFormatRows.h"
#include "platform/core/Streams.h"

struct TFuzzReadRequest {
    TFuzzReadRequest(const uint8_t* file, size_t size, bool native = false)
    {
        Stream.Write(file, static_cast<int64_t>(size));
        Stream.SetPosition(0);
        Params.NativePixelFormat = native;
        Progress.Aborting = &Aborting;
    }

    TMemoryStream Stream;
    TQkBitmap Bitmap;
    TIOParamsVals Params{nullptr};
    std::atomic<bool> Aborting = false;
    TQkFilterProgress Progress;
    TQkReadRequest Request{Stream, Bitmap, Params, Progress};
};
