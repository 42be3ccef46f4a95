#pragma once
// The preview's test media, made with the ffmpeg tool once per build tree.

#include <string>

#include "app/tests/ConversionTestSupport.h"

namespace preview_test {

using conversion_test::Generate;
using conversion_test::MediaFolder;

// 640 x 480, 25 fps H.264 with B-frames, stereo AAC, 2 s.
inline const std::string VideoClip = MediaFolder + "preview.mp4";
inline const std::string AudioFile = MediaFolder + "preview.mp3";
// A numbered PNG sequence, opened by its pattern.
inline const std::string PictureSequence = MediaFolder + "preview%03d.png";
// A raw H.264 stream, 1 s at 25 fps: none of its pictures has a time stamp.
inline const std::string UntimedClip = MediaFolder + "untimed.h264";
// Text under a video file's name.
inline const std::string BogusVideo = MediaFolder + "bogus.mp4";
// 640 x 480 blue with a red 160 x 120 block in the top-left corner, 1 s.
inline const std::string MarkerClip = MediaFolder + "marker.mp4";
// Watermarks: 100 x 50 yellow, 800 x 600 yellow, and text under a PNG name.
inline const std::string WatermarkPng = MediaFolder + "mark.png";
inline const std::string LargeWatermarkPng = MediaFolder + "large-mark.png";
inline const std::string BogusPng = MediaFolder + "bogus.png";

inline void GeneratePreviewMedia()
{
    Generate(VideoClip,
             "-f lavfi -i testsrc=size=640x480:rate=25:duration=2 "
             "-f lavfi -i \"sine=frequency=440:sample_rate=44100:duration=2\" -ac 2 "
             "-c:v libx264 -bf 2 -g 12 -pix_fmt yuv420p -c:a aac");
    Generate(AudioFile, "-f lavfi -i \"sine=frequency=440:sample_rate=44100:duration=1\" -c:a libmp3lame");
    Generate(MediaFolder + "preview001.png", "-f lavfi -i testsrc=size=64x48:rate=1:duration=1 -frames:v 1");
    Generate(MediaFolder + "preview002.png", "-f lavfi -i testsrc=size=64x48:rate=1:duration=1 -frames:v 1");
    Generate(UntimedClip, "-f lavfi -i testsrc=size=320x240:rate=25:duration=1 -c:v libx264 -bf 2 -g 12");
    Generate(MarkerClip,
             "-f lavfi -i \"color=c=blue:size=640x480:rate=25:duration=1,"
             "drawbox=x=0:y=0:w=160:h=120:color=red:t=fill\" -c:v libx264 -pix_fmt yuv420p");
    Generate(WatermarkPng, "-f lavfi -i color=c=yellow:size=100x50 -frames:v 1");
    Generate(LargeWatermarkPng, "-f lavfi -i color=c=yellow:size=800x600 -frames:v 1");
    for (const std::string& bogus : {BogusVideo, BogusPng})
        if (access(bogus.c_str(), F_OK) != 0)
            std::system(("echo 'not a picture' > \"" + bogus + "\"").c_str());
}

} // namespace preview_test
