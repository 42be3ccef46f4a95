#pragma once
// The settings of a source row holding the test clip: 640 x 480 at 25 fps,
// audio at 128,000 bit/s, 44100 Hz; everything automatic, no clip, no
// rotation. Shared by the tests and the gallery.

#include <cstdint>
#include <string>

#include "app/CusOutputOptions.h"

inline TCusOutputOptions ClipRow(const std::string& source, const std::string& folder, int32_t formatIndex)
{
    TCusOutputOptions settings;
    settings.Valid = settings.Saved = true;
    settings.SourceFile = source;
    settings.SourceWidth = 640;
    settings.SourceHeight = 480;
    settings.SourceFrameRate = 25.0;
    settings.SourceAudioBitRate = 128000;
    settings.SourceSampleRate = 44100;
    settings.OutputFolder = folder;
    settings.FormatIndex = formatIndex;
    settings.Rotation = "0";
    return settings;
}
