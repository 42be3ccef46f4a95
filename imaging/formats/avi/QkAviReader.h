#pragma once
// Single frames of AVI files by index, through the engine's decoder: the
// first video stream of a file read with the AVI demuxer, decoded in order
// when the frames are asked in order, else from the key frame at or before
// the frame asked for.

#include <cstdint>
#include <memory>
#include <string>

class TBitmap;
class TFFDecoder;

// What the stream header of the first video stream says.
struct TQkAviStreamInfo {
    // Frames a second are Rate / Scale.
    uint32_t Rate = 0;
    uint32_t Scale = 0;
    uint32_t Length = 0;
    // The bit count of the stream's stored pictures; 0 when it has none.
    int32_t BitCount = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// Milliseconds a frame, cut toward zero; 0 when either value is 0.
int32_t AviFrameDelay(uint32_t rate, uint32_t scale);
// Bits a sample and samples a pixel for the stream's bit count; false for a
// count without an entry, which leaves them as they were.
bool AviSampleLayout(int32_t bitCount, int32_t& bitsPerSample, int32_t& samplesPerPixel);

class TQkAviReader {
public:
    TQkAviReader();
    ~TQkAviReader();
    TQkAviReader(const TQkAviReader&) = delete;
    TQkAviReader& operator=(const TQkAviReader&) = delete;

    // False with LastError when the file is no AVI, has no video stream, or
    // its frames are larger than the decode limit.
    bool Open(const std::string& fileName);
    const TQkAviStreamInfo& Info() const { return info_; }
    // Frame `index` as a bottom-up 24-bit bitmap; false with LastError when
    // the index is out of range or the frame cannot be decoded.
    bool ReadFrame(int64_t index, TBitmap& bitmap);
    const std::string& LastError() const { return lastError_; }

private:
    bool Fail(const std::string& text);
    bool TakeStreamInfo();
    // The frame number of the held picture, -1 without one.
    int64_t HeldFrame() const;
    bool DecodeAt(int64_t index);
    bool SeekAndDecode(int64_t index);

    std::unique_ptr<TFFDecoder> decoder_;
    TQkAviStreamInfo info_;
    int64_t held_ = -1;
    std::string lastError_;
};
