#pragma once
// The decoder component: opens one media file through FFmpeg and reports its
// file and stream information (TCustomDecoder); decodes video picture by
// picture, steps by frame and by key frame, seeks, and copies the current
// picture into a bitmap (TFFDecoder).

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

#include "engine/FFBaseComponent.h"
#include "engine/FFLog.h"
#include "engine/FFUtils.h"
#include "engine/decode/FormatConverter.h"

class TBitmap;

struct TFileStreamInfo {
    int64_t StartTime = AV_NOPTS_VALUE; // microseconds, as FFmpeg gives it
    int64_t Duration = -1; // microseconds
    int32_t BitRate = -1;
    int32_t Year = -1;
    int32_t Track = -1;
    std::string Title;
    std::string Author;
    std::string Copyright;
    std::string Comment;
    std::string Album;
    std::string Genre;
};

struct TAudioStreamInfo {
    std::string Language;
    std::string CodecName;
    int64_t StartTime = -1; // in the stream's time base
    int64_t StartTimeUs = -1;
    int64_t Duration = -1; // in the stream's time base
    int64_t DurationUs = -1;
    int32_t BitRate = -1;
    int32_t Channels = -1;
    int32_t SampleRate = -1;
    int32_t SampleFormat = -1;
};

struct TVideoStreamInfo {
    std::string Language;
    std::string CodecName;
    int64_t StartTime = -1;
    int64_t StartTimeUs = -1;
    int64_t Duration = -1;
    int64_t DurationUs = -1;
    int32_t BitRate = -1;
    int32_t Height = -1;
    int32_t Width = -1;
    float PixelAspect = -1.0f;
    float DisplayAspect = -1.0f;
    AVRational SampleAspectRatio{0, 1};
    AVRational DisplayAspectRatio{0, 1};
    int32_t PixelFormat = -1;
    AVRational FrameRate{0, 1};
};

using TBeforeFindStreamInfoEvent = std::function<void(TObject* Sender, AVFormatContext* AFormatContext)>;

class TCustomDecoder : public TFFBaseComponent {
public:
    explicit TCustomDecoder(TComponent* owner);
    ~TCustomDecoder() override;

    // Opens a file (formatName forces the input format when not empty).
    // Raises "Library %s not loaded." when a decoder library is missing;
    // other failures give false with LastErrorText and no file.
    bool LoadFile(const std::string& fileName, const std::string& formatName = "");
    // Closes an owned context, forgets an attached one.
    virtual void CloseFile();
    // Uses a context opened elsewhere, without owning it; only the stream
    // information is available then.
    virtual void AttachFormatContext(AVFormatContext* context);
    virtual void UpdateStreamInfo();

    // Failures leave the reset record and set LastErrorText. A negative
    // stream index means the first stream of the kind.
    void GetFileStreamInfo(TFileStreamInfo& info);
    void GetAudioStreamInfo(int32_t streamIndex, TAudioStreamInfo& info);
    void GetVideoStreamInfo(int32_t streamIndex, TVideoStreamInfo& info);
    void GetFirstVideoStreamInfo(TVideoStreamInfo& info);
    // The input format's short name; empty without a file.
    std::string GetInputFormatName();
    bool IsVideoStream(int32_t streamIndex) const;

    AVFormatContext* FormatContext() const { return formatContext_; }
    TFFOptions& Options() { return options_; }
    bool OwnsContext() const { return ownContext_ != nullptr; }
    const std::string& LastErrorText() const { return lastErrorText_; }
    const std::string& ForcedFormatName() const { return forcedFormatName_; }

    // -1 without a file.
    int64_t FileSize() const { return fileSize_; }
    int32_t StreamCount() const { return streamCount_; }
    int32_t ProgramCount() const { return programCount_; }
    int32_t AudioStreamCount() const { return audioStreamCount_; }
    int32_t VideoStreamCount() const { return videoStreamCount_; }
    int32_t SubtitleStreamCount() const { return subtitleStreamCount_; }
    int32_t FirstAudioStreamIndex() const { return firstAudioStreamIndex_; }
    int32_t FirstVideoStreamIndex() const { return firstVideoStreamIndex_; }
    int32_t FirstSubtitleStreamIndex() const { return firstSubtitleStreamIndex_; }

    bool TriggerEventInMainThread() const { return triggerEventInMainThread_; }
    void SetTriggerEventInMainThread(bool value) { triggerEventInMainThread_ = value; }
    TBeforeFindStreamInfoEvent OnBeforeFindStreamInfo() const { return onBeforeFindStreamInfo_; }
    void SetOnBeforeFindStreamInfo(TBeforeFindStreamInfoEvent value) { onBeforeFindStreamInfo_ = std::move(value); }

    // The microsecond clock at the start of the current blocking I/O step;
    // the I/O time-out (ReadTimeout) counts from it. INT64_MAX means no
    // time-out, 0 cancels the running I/O.
    int64_t OpenTime() const { return openTime_; }
    void SetOpenTime(int64_t value) { openTime_ = value; }

protected:
    // Sets LastErrorText and logs it with this decoder as the sender.
    void SetLastError(TLogLevel level, const std::string& text);
    void SetLastErrorFmt(TLogLevel level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void SetLastErrorText(const std::string& text) { lastErrorText_ = text; }
    // Receives the "sws_flags" value of the options after a file was opened.
    virtual void ApplyScalerFlags(int64_t) {}
    // The stream `streamIndex` of the given kind (negative: the first one),
    // or nullptr with LastErrorText set.
    AVStream* ChooseStream(int32_t streamIndex, AVMediaType type);
    void RestartIOClock();

private:
    bool FailOpen(const std::string& text);
    bool OpenInput(const std::string& fileName, const AVInputFormat* format);
    bool FindStreamInfo(const std::string& fileName);
    void LogUnusedFormatOptions();
    void CallBeforeFindStreamInfo();
    void TakeScalerFlags();
    int64_t ComputeFileSize() const;

    AVFormatContext* formatContext_ = nullptr; // the context in use: its own, or a task's
    TInputContextPtr ownContext_; // empty while a task's context is attached
    TFFOptions options_;
    std::string lastErrorText_;
    std::string forcedFormatName_;
    int64_t fileSize_ = -1;
    int32_t streamCount_ = -1;
    int32_t programCount_ = -1;
    int32_t audioStreamCount_ = -1;
    int32_t videoStreamCount_ = -1;
    int32_t subtitleStreamCount_ = -1;
    int32_t firstAudioStreamIndex_ = -1;
    int32_t firstVideoStreamIndex_ = -1;
    int32_t firstSubtitleStreamIndex_ = -1;
    bool triggerEventInMainThread_ = true;
    TBeforeFindStreamInfoEvent onBeforeFindStreamInfo_;
    std::atomic<int64_t> openTime_{INT64_MAX};
};

// FFmpeg's interrupt callback of a decoder's I/O: 1 aborts the I/O when it
// has run longer than the decoder's ReadTimeout.
extern "C" int DecoderIOInterrupt(void* decoder);

// The seek flags of TFFDecoder::Seek (FFmpeg's).
constexpr uint8_t sfBackward = 1;
constexpr uint8_t sfByte = 2;
constexpr uint8_t sfAny = 4;
constexpr uint8_t sfFrame = 8;

class TFFDecoder : public TCustomDecoder {
public:
    explicit TFFDecoder(TComponent* owner);
    ~TFFDecoder() override;

    void CloseFile() override;

    // Every operation below takes a stream index: a negative one means the
    // selected video stream, else the first video stream. On a context
    // attached from elsewhere they raise "file cannot be seeked, handle is
    // readonly.".

    // True when a new picture is held. At the end of the file the pictures
    // the codec still holds come first; then false until a seek.
    bool Decode(int32_t streamIndex = -1);
    bool DecodeNextKeyFrame(int32_t streamIndex = -1);
    bool DecodePreviousFrame(int32_t streamIndex = -1);
    bool DecodePreviousKeyFrame(int32_t streamIndex = -1);
    // Flags: sfBackward, sfByte, sfAny, sfFrame. Without sfByte the position
    // is in microseconds from the start of the selected video stream (of the
    // file when none is selected).
    virtual bool Seek(uint8_t flags, int64_t position);
    // The held picture as a bottom-up bitmap of the converter's layout
    // (32 bits unless changed) and the picture's size. Without a picture:
    // false with "picture not ready, please decode first". A failed
    // conversion leaves the bitmap black and false.
    bool CopyToBitmap(TBitmap& bitmap);

    TFormatConverter& Converter() { return converter_; }

    // Deinterlaces every picture as it is stored. A picture it cannot
    // deinterlace is kept as decoded and switches the property off.
    bool Deinterlace() const { return deinterlace_; }
    void SetDeinterlace(bool Value) { deinterlace_ = Value; }

    int32_t VideoStreamIndex() const { return videoStreamIndex_; }
    int32_t SeekStreamIndex() const { return seekStreamIndex_; }
    AVRational FrameRate() const { return frameRate_; }
    bool EndOfStream() const { return endOfStream_; }
    bool Draining() const { return draining_; }

    // The held picture; -1 sizes and format without one.
    bool PictureReady() const { return pictureReady_; }
    int32_t PixelFormat() const { return pixelFormat_; }
    int32_t FrameWidth() const { return frameWidth_; }
    int32_t FrameHeight() const { return frameHeight_; }
    bool KeyFrame() const { return keyFrame_; }
    int32_t PictureType() const { return pictureType_; }
    // Microseconds from the video stream's start time; AV_NOPTS_VALUE when
    // absent.
    int64_t CurrentPTS() const { return currentPTS_; }
    int64_t PreviousPTS() const { return previousPTS_; }
    int64_t PacketDTS() const { return packetDTS_; }
    int64_t PacketPTS() const { return packetPTS_; }
    int32_t PacketStreamIndex() const { return packetStreamIndex_; }
    int64_t PacketPos() const { return packetPos_; }
    const TFFPicture& Picture() const { return picture_; }

protected:
    void ApplyScalerFlags(int64_t flags) override;

private:
    bool CheckOpen();
    int32_t SelectVideoStream(int32_t streamIndex);
    AVCodecContext* OpenVideoCodec(int32_t index);
    void CloseVideoCodec();
    bool AllocateFrameAndPacket();
    bool IsImageSequence() const;
    bool ReceiveOrRead(AVCodecContext* codec, int32_t index);
    bool FinishDraining();
    bool StorePicture(const AVFrame* frame, int32_t index);
    int64_t RawTimestamp(const AVFrame* frame) const;
    bool CopyFrame(const AVFrame* frame);
    void DeinterlacePicture();
    void ResetVideoState();
    bool CanSeek();
    int SeekFile(int64_t target, int flags);
    int64_t SeekTarget(int flags, int64_t position) const;
    void LogIOPosition(const char* format);
    int64_t FrameDuration() const;
    bool DecodeUntilPreviousFrame(int32_t index, int64_t reference, int64_t limit);

    TFormatConverter converter_;
    bool deinterlace_ = false;
    AVCodecContext* videoCodec_ = nullptr;
    int32_t videoCodecStream_ = -1;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    int32_t seekStreamIndex_ = -1;
    int32_t videoStreamIndex_ = -1;
    AVRational frameRate_{0, 0};
    bool endOfStream_ = false;
    bool draining_ = false;
    int readError_ = 0; // the read result that started the draining

    bool pictureReady_ = false;
    int32_t pixelFormat_ = -1;
    int32_t frameWidth_ = -1;
    int32_t frameHeight_ = -1;
    bool keyFrame_ = false;
    int32_t pictureType_ = 0;
    int64_t currentPTS_ = AV_NOPTS_VALUE;
    int64_t previousPTS_ = AV_NOPTS_VALUE;
    int64_t packetDTS_ = AV_NOPTS_VALUE;
    int64_t packetPTS_ = AV_NOPTS_VALUE;
    int32_t packetStreamIndex_ = -1;
    int64_t packetPos_ = -1;
    TFFPicture picture_;
    uint8_t* pictureBuffer_ = nullptr;
    int32_t pictureBufferSize_ = 0;
};
