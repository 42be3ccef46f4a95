#pragma once
// What a codec reader needs to decode one encapsulated frame on its own.

#include <atomic>
#include <cstdint>
#include <vector>

#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFilterProgress.h"
#include "imaging/formats/dicom/QkDicomContext.h"
#include "platform/core/Streams.h"

// The frame's bytes as a stream, scratch parameters and an aborting flag
// of its own, so that a frame the codec refuses fails only that frame.
struct TDicomCodecRead {
    TDicomCodecRead(TDicomContext& context, const std::vector<uint8_t>& frame)
        : Params(context.Request.Params.Owner()), Progress(context.Request.Progress)
    {
        Coded.Write(frame.data(), int64_t(frame.size()));
        Coded.SetPosition(0);
        Progress.Aborting = &Aborting;
    }

    TMemoryStream Coded;
    TQkBitmap Decoded;
    TIOParamsVals Params;
    std::atomic<bool> Aborting{false};
    TQkFilterProgress Progress;
};
