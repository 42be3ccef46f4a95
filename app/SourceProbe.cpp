#include "app/SourceProbe.h"

#include <algorithm>

#include "engine/decode/FFDecode.h"

TSourceKind OpenSourceKind(TFFDecoder& decoder, const std::string& path)
{
    if (!decoder.LoadFile(path)) {
        decoder.CloseFile();
        return skFailed;
    }
    const std::string format = decoder.GetInputFormatName();
    if (format == "image2")
        return skPictures;
    if (format == "mp3")
        return skAudio;
    if (decoder.VideoStreamCount() > 0)
        return skVideo;
    if (decoder.AudioStreamCount() > 0)
        return skAudio;
    return skFailed;
}

bool SourceHasTiming(TFFDecoder& decoder)
{
    TFileStreamInfo file;
    decoder.GetFileStreamInfo(file);
    return file.Duration >= 0 && decoder.GetInputFormatName() != "image2";
}

void ReadSourceProperties(TFFDecoder& decoder, int32_t videoStream, int32_t audioStream, TCusOutputOptions& record)
{
    TVideoStreamInfo video;
    decoder.GetVideoStreamInfo(videoStream, video);
    record.SourceWidth = std::max(video.Width, 0);
    record.SourceHeight = std::max(video.Height, 0);
    record.SourceFrameRate = video.FrameRate.den != 0 ? double(video.FrameRate.num) / video.FrameRate.den : 0.0;
    TAudioStreamInfo audio;
    decoder.GetAudioStreamInfo(audioStream, audio);
    // A source without audio leaves the unknown values at 0.
    record.SourceAudioBitRate = std::max(audio.BitRate, 0);
    record.SourceSampleRate = std::max(audio.SampleRate, 0);
}
