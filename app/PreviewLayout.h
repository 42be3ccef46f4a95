#pragma once
// Where the preview draws: the output frame inside the preview area, the
// source picture inside that frame, and the watermark laid over it.

#include <cstdint>
#include <string>

#include "platform/gfx/Geometry.h"

// `source` scaled to fill `target` in one dimension, centred in the other.
// An empty rectangle at the target's origin when either has no area.
TRect FitRect(const TRect& source, const TRect& target);

// What the output panel asks of the simulated output frame.
struct TOutputChoice {
    std::string Extension;
    std::string Kind;
    int32_t FrameSizeIndex = 0;
    std::string FrameSizeText;
    bool FrameSizeVisible = true;
    bool RotateEnabled = true;
    std::string RotateText = "0";
};

// The output frame's size for a `frameWidth` x `frameHeight` source, and the
// preview's rotation in the imaging core's sense (counter-clockwise), which
// turns the output's clockwise "90" into "270" and back.
struct TOutputFrame {
    int32_t Width = 0;
    int32_t Height = 0;
    std::string Rotation = "0";
};
TOutputFrame OutputFrameOf(const TOutputChoice& choice, int32_t frameWidth, int32_t frameHeight);

// The preview of one frame: the output frame inside the preview area, the
// picture inside the output frame (relative to it), the picture's size
// before it is turned, and the angle it is turned by.
struct TPreviewLayout {
    TRect Frame;
    TRect Picture;
    int32_t PictureWidth = 0;
    int32_t PictureHeight = 0;
    int32_t Angle = 0;
    bool Empty() const { return IsRectEmpty(Picture); }
};
TPreviewLayout LayOutPreview(int32_t frameWidth, int32_t frameHeight, const TRect& output, bool stretch,
                             const std::string& rotation, const TRect& area);

// A watermark placement 0..8: its column is placement / 3 (left, centre,
// right), its row placement % 3 (top, middle, bottom).
// The watermark's top-left corner in source pixels, margins `marginX`,
// `marginY` from the nearest edges; may be negative.
TPoint WatermarkPosition(int32_t placement, int32_t marginX, int32_t marginY, int32_t sourceWidth, int32_t sourceHeight,
                         int32_t pngWidth, int32_t pngHeight);

// The watermark's bounds in the preview's output frame.
struct TWatermarkPreview {
    int32_t Placement = 0;
    int32_t MarginX = 0;
    int32_t MarginY = 0;
    int32_t PngWidth = 0;
    int32_t PngHeight = 0;
    double ScaleX = 1.0;
    double ScaleY = 1.0;
    TRect Frame; // the output frame, in its parent
    TPoint Picture; // the picture's top-left inside the output frame
};
TRect WatermarkPreviewBounds(const TWatermarkPreview& preview);
