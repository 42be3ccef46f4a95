#pragma once
// The video filters of a conversion: letterbox padding to the output's
// aspect ratio, and a PNG watermark laid over the source picture.

#include <cstdint>
#include <string>

struct TFrameSize {
    int32_t Width = 10;
    int32_t Height = 10;
};

// Letterbox margins in source pixels.
struct TPadding {
    int32_t Left = 0;
    int32_t Right = 0;
    int32_t Top = 0;
    int32_t Bottom = 0;
};

// "WxH", with an optional leading "x"; 10 x 10 when there is no second "x",
// 0 for a side that is not a number.
TFrameSize ParseFrameSize(const std::string& text);

// The margins that give a SourceWidth x SourceHeight picture the aspect ratio
// of Width x Height; none when any side is not positive.
TPadding ComputePad(int32_t sourceWidth, int32_t sourceHeight, int32_t width, int32_t height);
// "pad=W:H:left:top:black" with every margin made even toward zero; empty
// when no margin is above 0.
std::string PadFilter(int32_t sourceWidth, int32_t sourceHeight, const TPadding& pad);

// The chain with the PNG laid over the source picture at (x, y); unchanged
// when the file does not exist.
std::string WatermarkFilter(const std::string& chain, const std::string& watermarkFile, int32_t x, int32_t y);
