#include "imaging/formats/avi/QkAviReader.h"

#include <algorithm>

#include "engine/binding/FFLoad.h"
#include "engine/decode/FFDecode.h"
#include "imaging/core/QkSettings.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Types.h"
#include "platform/gfx/Bitmap.h"

namespace {

// Asked once a process: the engine shares the libraries, so nothing here
// unloads them.
bool AviLibraryInitialized = false;

} // namespace

int32_t AviFrameDelay(uint32_t rate, uint32_t scale)
{
    if (rate == 0 || scale == 0)
        return 0;
    return static_cast<int32_t>(uint64_t(1000) * scale / rate);
}

bool AviSampleLayout(int32_t bitCount, int32_t& bitsPerSample, int32_t& samplesPerPixel)
{
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        bitsPerSample = bitCount;
        samplesPerPixel = 1;
        return true;
    case 15:
        bitsPerSample = 5;
        samplesPerPixel = 3;
        return true;
    case 16:
    case 24:
    case 32:
        bitsPerSample = 8;
        samplesPerPixel = 3;
        return true;
    default: return false;
    }
}

TQkAviReader::TQkAviReader() = default;

TQkAviReader::~TQkAviReader() = default;

bool TQkAviReader::Fail(const std::string& text)
{
    lastError_ = text;
    return false;
}

bool TQkAviReader::Open(const std::string& fileName)
{
    decoder_.reset();
    info_ = {};
    held_ = -1;
    if (!AviLibraryInitialized || !FFLoader.LibrariesLoaded(DecoderLibraries)) {
        AviLibraryInitialized = true;
        if (!FFLoader.LoadLibraries(DecoderLibraries))
            return Fail(FFLoader.LastErrorText());
    }
    auto decoder = std::make_unique<TFFDecoder>(nullptr);
    try {
        if (!decoder->LoadFile(fileName, "avi"))
            return Fail(decoder->LastErrorText());
    } catch (const Exception& error) {
        return Fail(error.Message());
    }
    decoder_ = std::move(decoder);
    if (!TakeStreamInfo()) {
        decoder_.reset();
        return false;
    }
    // Palette streams carry their palette with the first packet only: the
    // decoder must have seen it before any seek.
    held_ = decoder_->Decode() ? HeldFrame() : -1;
    return true;
}

bool TQkAviReader::TakeStreamInfo()
{
    const int32_t index = decoder_->FirstVideoStreamIndex();
    if (index < 0)
        return Fail("no video stream");
    const AVStream* stream = decoder_->FormatContext()->streams[index];
    const AVCodecParameters* codec = stream->codecpar;
    if (codec->width <= 0 || codec->height <= 0)
        return Fail("the video stream has no picture size");
    if (!WithinDecodeLimit(codec->width, codec->height))
        return Fail("the frames are larger than the decode limit");
    // The header's rate over scale is the inverse of the stream's time base.
    info_.Rate = stream->time_base.den > 0 ? static_cast<uint32_t>(stream->time_base.den) : 0;
    info_.Scale = stream->time_base.num > 0 ? static_cast<uint32_t>(stream->time_base.num) : 0;
    info_.Length = stream->nb_frames > 0 ? static_cast<uint32_t>(std::min<int64_t>(stream->nb_frames, INT32_MAX)) : 0;
    info_.BitCount = codec->bits_per_coded_sample;
    info_.Width = codec->width;
    info_.Height = codec->height;
    return true;
}

int64_t TQkAviReader::HeldFrame() const
{
    if (!decoder_->PictureReady() || decoder_->CurrentPTS() == AV_NOPTS_VALUE || info_.Scale == 0)
        return -1;
    return Round(static_cast<long double>(decoder_->CurrentPTS()) * info_.Rate /
                 (static_cast<long double>(info_.Scale) * MicrosecondsPerSecond));
}

bool TQkAviReader::ReadFrame(int64_t index, TBitmap& bitmap)
{
    if (!decoder_)
        return Fail("no AVI file is open");
    if (index < 0 || index >= info_.Length)
        return Fail("frame " + std::to_string(index) + " is out of range");
    if (!DecodeAt(index))
        return Fail("frame " + std::to_string(index) + " cannot be decoded");
    if (!WithinDecodeLimit(decoder_->FrameWidth(), decoder_->FrameHeight()))
        return Fail("the frame is larger than the decode limit");
    decoder_->Converter().SetBitsPixel(24);
    if (!decoder_->CopyToBitmap(bitmap))
        return Fail(decoder_->LastErrorText());
    return true;
}

bool TQkAviReader::DecodeAt(int64_t index)
{
    if (held_ >= 0 && index == held_)
        return true;
    if (held_ >= 0 && index == held_ + 1) {
        held_ = decoder_->Decode() ? HeldFrame() : -1;
        if (held_ == index)
            return true;
    }
    return SeekAndDecode(index);
}

bool TQkAviReader::SeekAndDecode(int64_t index)
{
    held_ = -1;
    if (info_.Rate == 0)
        return false;
    const int64_t time =
        static_cast<int64_t>(static_cast<long double>(index) * info_.Scale * MicrosecondsPerSecond / info_.Rate);
    if (!decoder_->Seek(sfBackward, time))
        return false;
    while (decoder_->Decode()) {
        held_ = HeldFrame();
        if (held_ >= index)
            return held_ == index;
    }
    held_ = -1;
    return false;
}
