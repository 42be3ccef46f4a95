#pragma once
// Every output setting of one source row. Each row owns its own copy, so each
// file can be converted with different settings; an automatic choice is an
// empty string (or 0 for `Channels`), and the job builder picks the value.

#include <cstdint>
#include <string>

struct TCusOutputOptions {
    bool Valid = false; // may be converted: false once it failed to open as video
    bool Saved = false; // the output panel was saved into it at least once
    std::string SourceFile;

    // Track-bar state of the preview.
    int32_t BarMax = 0;
    int32_t BarPosition = 0;
    int32_t BarSelStart = 0;
    int32_t BarSelEnd = 0;
    int64_t CurrentPTS = 0; // µs, the frame shown

    // First video and audio stream of the source.
    int32_t SourceWidth = 0;
    int32_t SourceHeight = 0;
    double SourceFrameRate = 0.0;
    int32_t SourceAudioBitRate = 0; // bit/s
    int32_t SourceSampleRate = 0; // Hz

    std::string OutputFolder; // ends with "/" unless empty
    int32_t FormatIndex = 0; // row of the format table
    std::string VideoEncoder; // display name
    std::string FrameSize; // "WxH"
    bool Stretch = false; // stretch to the frame size instead of letterboxing
    std::string VideoBitRate; // kbit/s
    std::string FrameRate;
    std::string AspectRatio; // "4:3" or "16:9"
    std::string AudioEncoder;
    std::string AudioBitRate; // kbit/s, "4.75" … "320"
    std::string SampleRate; // Hz
    int32_t Channels = 0; // 0 automatic, 1 mono, 2 stereo

    bool CutEnabled = false;
    bool CutChecked = false;
    int64_t ClipStart = 0; // µs
    int64_t ClipEnd = 0; // µs
    int64_t SeekOffset = 0; // µs, where the input is entered for a clip

    std::string Rotation; // degrees: "0", "90", "180" or "270"

    bool WatermarkOn = false;
    std::string WatermarkFile; // PNG picture
    int32_t WatermarkPosition = 0; // placement 0..8
    int32_t MarginX = 0; // source pixels
    int32_t MarginY = 0;
    int32_t WatermarkX = 0; // top-left corner in source pixels
    int32_t WatermarkY = 0;
};
