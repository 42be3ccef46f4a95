#pragma once
// OpenJPEG handles with owners, and its streams over the library's TStream:
// offsets count from the stream's position when the bridge is made.

#include <openjpeg.h>

#include <cstdint>
#include <memory>

class TStream;

struct TOpjStreamFree {
    void operator()(opj_stream_t* stream) const { opj_stream_destroy(stream); }
};
struct TOpjCodecFree {
    void operator()(opj_codec_t* codec) const { opj_destroy_codec(codec); }
};
struct TOpjImageFree {
    void operator()(opj_image_t* image) const { opj_image_destroy(image); }
};
using TOpjStream = std::unique_ptr<opj_stream_t, TOpjStreamFree>;
using TOpjCodec = std::unique_ptr<opj_codec_t, TOpjCodecFree>;
using TOpjImage = std::unique_ptr<opj_image_t, TOpjImageFree>;

// The caller's stream as OpenJPEG sees it. Reading stops at Start + Length;
// a short or failed write is remembered.
struct TJ2kStreamBridge {
    TStream& Stream;
    int64_t Start = 0;
    int64_t Length = 0;
    bool WriteFailed = false;
};

// `length` bytes from the stream's position; -1 up to its end.
TJ2kStreamBridge MakeJ2kBridge(TStream& stream, int64_t length);
TOpjStream OpenJ2kInput(TJ2kStreamBridge& bridge);
TOpjStream OpenJ2kOutput(TJ2kStreamBridge& bridge);

// A codec whose messages go nowhere: failures show in its results.
TOpjCodec SilentCodec(opj_codec_t* codec);
