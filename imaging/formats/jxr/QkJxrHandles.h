#pragma once
// jxrlib's objects with owners, and its stream interface over the library's
// TStream: offsets count from the stream's position when the bridge is made.

#include "imaging/formats/jxr/QkJxrLib.h"

#include <cstdint>
#include <memory>

class TStream;

struct TJxrDecoderRelease {
    void operator()(PKImageDecode* decoder) const { decoder->Release(&decoder); }
};
struct TJxrEncoderRelease {
    void operator()(PKImageEncode* encoder) const { encoder->Release(&encoder); }
};
struct TJxrConverterRelease {
    void operator()(PKFormatConverter* converter) const { converter->Release(&converter); }
};
using TJxrDecoder = std::unique_ptr<PKImageDecode, TJxrDecoderRelease>;
using TJxrEncoder = std::unique_ptr<PKImageEncode, TJxrEncoderRelease>;
using TJxrConverter = std::unique_ptr<PKFormatConverter, TJxrConverterRelease>;

// jxrlib holds a pointer to `Base` and calls back through it; the stream
// outlives every object made over it. Reading stops at Start + Length;
// exceptions of the stream end as jxrlib errors and are remembered.
struct TJxrStream {
    TJxrStream(TStream& stream, int64_t length);
    TJxrStream(const TJxrStream&) = delete;
    TJxrStream& operator=(const TJxrStream&) = delete;

    WMPStream Base{};
    TStream& Stream;
    int64_t Start = 0;
    int64_t Length = 0;
    bool Failed = false;
};
