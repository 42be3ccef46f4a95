// TFFDecoder: video decoding, stepping, seeking and the picture copy.

#include "engine/decode/FFDecode.h"

#include <algorithm>
#include <new>

#include "engine/MyUtils.h"
#include "engine/binding/AVCodecStubs.h"
#include "engine/binding/AVFormatStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "engine/decode/Deinterlace.h"
#include "platform/core/ClassRegistry.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

const char* const DecodeOperation = "Decode() for video";
const char* const SeekOperation = "Seek()";

bool Known(int64_t timestamp) { return timestamp != AV_NOPTS_VALUE; }

} // namespace

// The FFmpeg libraries may be loaded after the decoder is created (the
// encoder creates its decoder at once): nothing here may call into them.
TFFDecoder::TFFDecoder(TComponent* owner) : TCustomDecoder(owner) {}

TFFDecoder::~TFFDecoder()
{
    TFFDecoder::CloseFile();
    if (pictureBuffer_)
        av::av_free(pictureBuffer_);
    if (frame_)
        av::av_frame_free(&frame_);
    if (packet_)
        av::av_packet_free(&packet_);
}

void TFFDecoder::CloseFile()
{
    seekStreamIndex_ = videoStreamIndex_ = -1;
    frameRate_ = {0, 0};
    endOfStream_ = draining_ = false;
    ResetVideoState();
    previousPTS_ = AV_NOPTS_VALUE;
    CloseVideoCodec();
    TCustomDecoder::CloseFile();
}

void TFFDecoder::ApplyScalerFlags(int64_t flags) { converter_.SwsFlags = static_cast<uint32_t>(flags); }

void TFFDecoder::ResetVideoState()
{
    if (Known(currentPTS_))
        previousPTS_ = currentPTS_;
    pixelFormat_ = frameWidth_ = frameHeight_ = -1;
    keyFrame_ = false;
    pictureType_ = 0;
    currentPTS_ = packetDTS_ = packetPTS_ = AV_NOPTS_VALUE;
    packetStreamIndex_ = -1;
    packetPos_ = -1;
    pictureReady_ = false;
}

bool TFFDecoder::CheckOpen()
{
    if (!FormatContext()) {
        SetLastError(llWarning, "file not loaded.");
        return false;
    }
    if (!OwnsContext()) {
        SetLastError(llWarning, "file cannot be seeked, handle is readonly.");
        throw Exception("file cannot be seeked, handle is readonly.");
    }
    return true;
}

int32_t TFFDecoder::SelectVideoStream(int32_t streamIndex)
{
    if (!CheckOpen())
        return -1;
    if (streamIndex < 0 && videoStreamIndex_ >= 0)
        streamIndex = videoStreamIndex_;
    AVStream* stream = ChooseStream(streamIndex, AVMEDIA_TYPE_VIDEO);
    if (!stream)
        return -1;
    if (stream->index != videoStreamIndex_) {
        ResetVideoState();
        const AVRational average = stream->avg_frame_rate;
        frameRate_ = average.num != 0 && average.den != 0 ? average : stream->r_frame_rate;
    }
    videoStreamIndex_ = seekStreamIndex_ = stream->index;
    return stream->index;
}

int64_t TFFDecoder::FrameDuration() const
{
    // A rate above a million frames per second would give a step of 0.
    return std::max<int64_t>(FrameDurationUs(frameRate_.num, frameRate_.den), 1);
}

AVCodecContext* TFFDecoder::OpenVideoCodec(int32_t index)
{
    AVStream* stream = FormatContext()->streams[index];
    const AVCodecParameters* parameters = stream->codecpar;
    if (parameters->codec_type != AVMEDIA_TYPE_VIDEO)
        throw EInvalidOperation("OpenVideoCodec needs a video stream");
    if (parameters->width == 0 || parameters->height == 0) {
        SetLastError(llError, "frame size of codec is invalid.");
        return nullptr;
    }
    if (videoCodec_ && videoCodecStream_ == index)
        return videoCodec_;
    CloseVideoCodec();
    const AVCodec* codec = av::avcodec_find_decoder(parameters->codec_id);
    if (!codec) {
        SetLastErrorFmt(llError, "Unsupported codec (id=%d) for input file stream #%d", parameters->codec_id, index);
        return nullptr;
    }
    videoCodec_ = av::avcodec_alloc_context3(codec);
    if (!videoCodec_ || av::avcodec_parameters_to_context(videoCodec_, parameters) < 0) {
        CloseVideoCodec();
        SetLastErrorFmt(llError, "Error while opening codec for input file stream #%d", index);
        return nullptr;
    }
    // One thread: a packet that completes a picture yields it at once.
    videoCodec_->thread_count = 1;
    videoCodec_->pkt_timebase = stream->time_base;
    if (av::avcodec_open2(videoCodec_, codec, nullptr) < 0) {
        CloseVideoCodec();
        SetLastErrorFmt(llError, "Error while opening codec for input file stream #%d", index);
        return nullptr;
    }
    videoCodecStream_ = index;
    return videoCodec_;
}

void TFFDecoder::CloseVideoCodec()
{
    if (videoCodec_)
        av::avcodec_free_context(&videoCodec_);
    videoCodecStream_ = -1;
}

bool TFFDecoder::AllocateFrameAndPacket()
{
    if (!frame_)
        frame_ = av::av_frame_alloc();
    if (!packet_)
        packet_ = av::av_packet_alloc();
    if (frame_ && packet_)
        return true;
    SetLastError(llError, "frame malloc error.");
    return false;
}

bool TFFDecoder::IsImageSequence() const
{
    const AVInputFormat* format = FormatContext()->iformat;
    return format && av::av_strcasecmp(format->name, "image2") == 0;
}

bool TFFDecoder::Decode(int32_t streamIndex)
{
    const int32_t index = SelectVideoStream(streamIndex);
    if (index < 0)
        return false;
    // A still image keeps its one picture.
    if (pictureReady_ && IsImageSequence())
        return true;
    if (endOfStream_ && draining_) {
        SetLastErrorFmt(llInfo, "%s.%s: stream eof reached.", ClassName().c_str(), DecodeOperation);
        return false;
    }
    AVCodecContext* codec = OpenVideoCodec(index);
    return codec && AllocateFrameAndPacket() && ReceiveOrRead(codec, index);
}

// Takes the next picture the codec has ready, feeding it packets of the
// stream until it has one. Once the reader fails, the codec is drained of
// every picture it still holds.
bool TFFDecoder::ReceiveOrRead(AVCodecContext* codec, int32_t index)
{
    for (;;) {
        if (av::avcodec_receive_frame(codec, frame_) >= 0) {
            const bool stored = StorePicture(frame_, index);
            av::av_frame_unref(frame_);
            return stored;
        }
        if (draining_)
            return FinishDraining();
        RestartIOClock();
        const int result = av::av_read_frame(FormatContext(), packet_);
        if (result == AVERROR(EAGAIN)) {
            SetLastErrorFmt(llInfo, "%s.%s: no data, please try again.", ClassName().c_str(), DecodeOperation);
            return false;
        }
        if (result < 0) {
            draining_ = true;
            readError_ = result;
            av::avcodec_send_packet(codec, nullptr);
            continue;
        }
        // A packet the codec refuses yields no picture; reading goes on.
        if (packet_->stream_index == index)
            av::avcodec_send_packet(codec, packet_);
        av::av_packet_unref(packet_);
    }
}

bool TFFDecoder::FinishDraining()
{
    AVIOContext* io = FormatContext()->pb;
    const bool endOfFile = readError_ == AVERROR(EPIPE) || readError_ == AVERROR_EOF || (io && av::avio_feof(io));
    if (!endOfFile) {
        SetLastErrorFmt(llInfo, "%s.%s: unknown error #%d.", ClassName().c_str(), DecodeOperation, readError_);
        return false;
    }
    SetLastErrorFmt(llInfo, "%s.%s: stream eof reached.", ClassName().c_str(), DecodeOperation);
    endOfStream_ = true;
    return false;
}

int64_t TFFDecoder::RawTimestamp(const AVFrame* frame) const
{
    if (Known(frame->best_effort_timestamp))
        return frame->best_effort_timestamp;
    return Known(frame->pts) ? frame->pts : frame->pkt_dts;
}

bool TFFDecoder::StorePicture(const AVFrame* frame, int32_t index)
{
    if (!CopyFrame(frame)) {
        SetLastError(llError, "picture buffer malloc error.");
        return false;
    }
    if (deinterlace_)
        DeinterlacePicture();
    keyFrame_ = frame->key_frame == 1;
    pictureType_ = frame->pict_type;
    const AVStream* stream = FormatContext()->streams[index];
    const int64_t raw = RawTimestamp(frame);
    // Without a timestamp the last step is repeated while draining.
    const int64_t extrapolated = draining_ && Known(previousPTS_) && Known(currentPTS_)
        ? currentPTS_ + (currentPTS_ - previousPTS_)
        : AV_NOPTS_VALUE;
    if (Known(currentPTS_))
        previousPTS_ = currentPTS_;
    if (Known(raw)) {
        const int64_t fromStart = Known(stream->start_time) ? raw - stream->start_time : raw;
        currentPTS_ = av::av_rescale_q(fromStart, stream->time_base, AV_TIME_BASE_Q);
        Logger()->LogFmt(this, llDebug, "decode PTS: %0.3f", static_cast<double>(currentPTS_) / 1000000);
    } else {
        currentPTS_ = extrapolated;
    }
    packetDTS_ = frame->pkt_dts;
    packetPTS_ = frame->pts;
    packetStreamIndex_ = index;
    packetPos_ = frame->pkt_pos;
    Logger()->LogFmt(this, llDebug, "pkt.st_idx=%d, dts=%lld, pts=%lld, flags=%d, pict_type=%d(%s)", index,
                     static_cast<long long>(packetDTS_), static_cast<long long>(packetPTS_), frame->flags, pictureType_,
                     PictureTypeName(pictureType_).c_str());
    pictureReady_ = true;
    return true;
}

// Copies the frame into the decoder's own buffer, so the codec may reuse its
// frames; the buffer only grows.
bool TFFDecoder::CopyFrame(const AVFrame* frame)
{
    const auto format = static_cast<AVPixelFormat>(frame->format);
    const int size = av::av_image_get_buffer_size(format, frame->width, frame->height, 1);
    if (size < 0)
        return false;
    if (size > pictureBufferSize_) {
        av::av_free(pictureBuffer_);
        pictureBuffer_ = static_cast<uint8_t*>(av::av_malloc(static_cast<size_t>(size) + PictureBufferPadding));
        pictureBufferSize_ = pictureBuffer_ ? size : 0;
        if (!pictureBuffer_)
            return false;
    }
    pixelFormat_ = frame->format;
    frameWidth_ = frame->width;
    frameHeight_ = frame->height;
    av::av_image_fill_arrays(picture_.Data, picture_.Linesize, pictureBuffer_, format, frame->width, frame->height, 1);
    av::av_image_copy(picture_.Data, picture_.Linesize, const_cast<const uint8_t**>(frame->data), frame->linesize,
                      format, frame->width, frame->height);
    return true;
}

// Works on the decoder's own copy, so the codec's frames stay as they are.
void TFFDecoder::DeinterlacePicture()
{
    bool done = false;
    try {
        done = DeinterlaceInPlace(picture_.Data, picture_.Linesize, static_cast<AVPixelFormat>(pixelFormat_),
                                  frameWidth_, frameHeight_);
    } catch (const std::bad_alloc&) {
        SetLastError(llError, "deinterlace buffer malloc error.");
        deinterlace_ = false;
        return;
    }
    if (!done) {
        SetLastError(llError, "deinterlacing failed.");
        deinterlace_ = false;
    }
}

bool TFFDecoder::CopyToBitmap(TBitmap& bitmap)
{
    if (!pictureReady_) {
        SetLastError(llError, "picture not ready, please decode first");
        return false;
    }
    if (converter_.PictureToBitmap(&picture_, static_cast<AVPixelFormat>(pixelFormat_), true, frameHeight_,
                                   frameWidth_)) {
        bitmap.Assign(converter_.Bitmap());
        return true;
    }
    bitmap.SetSize(frameWidth_, frameHeight_);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(canvas->ClipRect());
    SetLastError(llError, converter_.LastErrorText);
    return false;
}

// ---------------------------------------------------------------------------
// Seeking

bool TFFDecoder::CanSeek()
{
    if (!CheckOpen())
        return false;
    if (IsImageSequence()) {
        SetLastError(llInfo, "\"image2\" format cannot to be seeked.");
        return false;
    }
    return true;
}

void TFFDecoder::LogIOPosition(const char* format)
{
    if (AVIOContext* io = FormatContext()->pb)
        Logger()->LogFmt(this, llDebug, format, ClassName().c_str(), SeekOperation,
                         static_cast<long long>(AVIOTell(io)));
}

// The position in the units av_seek_frame takes for the seek stream.
int64_t TFFDecoder::SeekTarget(int flags, int64_t position) const
{
    int64_t target = position;
    // Half a frame before the start, so that the first picture is found.
    if (position == 0 && frameRate_.den != 0 && IsVideoStream(seekStreamIndex_))
        target = -FrameDuration() / 2;
    if (flags & AVSEEK_FLAG_BYTE)
        return target;
    int64_t start = FormatContext()->start_time;
    if (seekStreamIndex_ >= 0) {
        const AVStream* stream = FormatContext()->streams[seekStreamIndex_];
        target = av::av_rescale_q(target, AV_TIME_BASE_Q, stream->time_base);
        start = stream->start_time;
    }
    return Known(start) ? target + start : target;
}

int TFFDecoder::SeekFile(int64_t target, int flags)
{
    AVFormatContext* context = FormatContext();
    if (context->iformat->read_seek2)
        return av::avformat_seek_file(context, seekStreamIndex_, INT64_MIN, target, INT64_MAX, flags);
    return av::av_seek_frame(context, seekStreamIndex_, target, flags);
}

bool TFFDecoder::Seek(uint8_t flags, int64_t position)
{
    if (!CanSeek())
        return false;
    LogIOPosition("%s.%s: current position %lld bytes");
    const int seekFlags = SeekFlagsToInt(flags);
    const int64_t target = SeekTarget(seekFlags, position);
    if (videoCodec_)
        av::avcodec_flush_buffers(videoCodec_);
    endOfStream_ = draining_ = false;
    ResetVideoState();
    // The time-out counts from here: a seek after a long pause is no stalled
    // read.
    RestartIOClock();
    int result = SeekFile(target, seekFlags);
    if (result < 0)
        result = SeekFile(target, seekFlags ^ AVSEEK_FLAG_BACKWARD);
    if (result < 0) {
        if (seekFlags & AVSEEK_FLAG_BYTE)
            SetLastErrorFmt(llError, "%s.%s: could not seek to position %lld bytes", ClassName().c_str(), SeekOperation,
                            static_cast<long long>(position));
        else
            SetLastErrorFmt(llError, "%s.%s: could not seek to position %0.3f seconds", ClassName().c_str(),
                            SeekOperation, static_cast<double>(position) / 1000000);
        return false;
    }
    LogIOPosition("%s.%s: seek to position %lld bytes");
    return true;
}

// ---------------------------------------------------------------------------
// Stepping

bool TFFDecoder::DecodeNextKeyFrame(int32_t streamIndex)
{
    const int32_t index = SelectVideoStream(streamIndex);
    if (index < 0)
        return false;
    const int64_t target = FrameDuration() + (currentPTS_ > 0 ? currentPTS_ : 0);
    return Seek(0, target) && Decode(index);
}

// Seeks back in growing steps of one frame until a picture before the
// reference decodes. Steps whose seek did not move the reader before a
// position already tried skip the decode. The search gives up once a step
// has gone past the start of the file.
bool TFFDecoder::DecodePreviousKeyFrame(int32_t streamIndex)
{
    const int32_t index = SelectVideoStream(streamIndex);
    if (index < 0)
        return false;
    const int64_t frameDuration = FrameDuration();
    const int64_t duration = FormatContext()->duration;
    const int64_t reference = Known(currentPTS_) ? currentPTS_
        : Known(previousPTS_)                    ? previousPTS_
        : Known(duration)                        ? duration
                                                 : 0;
    AVIOContext* io = FormatContext()->pb;
    const int64_t startPosition = io ? AVIOTell(io) : -1;
    int64_t triedPosition = -2; // -2 before the first decode, -1 when unset
    for (int64_t step = 1;; ++step) {
        const int64_t back = step * frameDuration;
        const bool pastStart = back > reference;
        const int64_t before = io ? AVIOTell(io) : -1;
        Seek(sfBackward, reference - back);
        const int64_t after = io ? AVIOTell(io) : -1;
        if (io && !pastStart) {
            if (after >= startPosition && startPosition > 0 && after != before)
                continue;
            if (triedPosition == -1)
                triedPosition = after;
            else if (triedPosition > 0 && after >= triedPosition)
                continue;
        }
        if (triedPosition == -2)
            triedPosition = -1;
        if (!Decode(index)) {
            if (pastStart || endOfStream_)
                break;
            continue;
        }
        // A picture without a timestamp tells nothing about where the
        // reader landed.
        if (Known(currentPTS_) &&
            (currentPTS_ < reference || currentPTS_ <= 0 || (currentPTS_ == reference && pastStart)))
            return true;
        if (pastStart)
            break;
        if (after < triedPosition)
            triedPosition = -1;
    }
    SetLastErrorText("Could not seek to the previous key-frame. " + LastErrorText());
    return false;
}

bool TFFDecoder::DecodePreviousFrame(int32_t streamIndex)
{
    const int32_t index = SelectVideoStream(streamIndex);
    if (index < 0)
        return false;
    const int64_t reference = Known(currentPTS_) ? currentPTS_ : Known(previousPTS_) ? previousPTS_ : 0;
    const int64_t limit = reference - 2 * FrameDuration();
    if (!DecodePreviousKeyFrame(index))
        return false;
    return DecodeUntilPreviousFrame(index, reference, limit);
}

// Decodes forward from a key frame to the picture before `reference`. When
// the reference comes back without a picture in between, the last picture
// below it is found again from the previous key frame.
bool TFFDecoder::DecodeUntilPreviousFrame(int32_t index, int64_t reference, int64_t limit)
{
    int64_t best = AV_NOPTS_VALUE;
    bool keyFrameSearchFailed = false;
    for (;;) {
        if (currentPTS_ > limit)
            return true;
        if (!Decode(index))
            return false;
        if (currentPTS_ < reference)
            best = currentPTS_;
        if (currentPTS_ != reference)
            continue;
        // Decoding forward again after a failed search would only come back
        // here.
        if (keyFrameSearchFailed)
            return false;
        if (!DecodePreviousKeyFrame(index)) {
            keyFrameSearchFailed = true;
            continue;
        }
        if (!Known(best))
            return true;
        while (currentPTS_ < best && Decode(index)) {}
        return true;
    }
}

namespace {

const bool registered = [] {
    RegisterClass<TFFDecoder, TCustomDecoder>("TFFDecoder");
    return true;
}();

} // namespace
