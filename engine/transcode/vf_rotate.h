#pragma once
// The engine's own rotation filter, "nativerotate=<degrees>": rotates each
// picture about its centre into the smallest upright box, fills the uncovered
// corners, and takes every output sample from the nearest input sample.
// libavfilter 5.1 cannot register outside filters, so the filter-graph
// builder runs this as a stage of its own between two libavfilter graphs.

#include <cstdint>
#include <string>

extern "C" {
#include <libavutil/pixfmt.h>
}

struct AVFrame;

// The formats the stage accepts, in order of preference; ends with NONE.
extern const AVPixelFormat RotatePixelFormats[];
bool IsRotatePixelFormat(AVPixelFormat Format);

// Placement of the rotated picture; sine, cosine and translation are kept in
// single precision, as the sampling loops use them.
struct TRotateGeometry {
    int32_t Angle = 0; // degrees, clockwise on screen
    float SinX = 0;
    float CosX = 1;
    float TransX = 0;
    float TransY = 0;
    int32_t OutW = 0;
    int32_t OutH = 0;
};

TRotateGeometry RotateGeometry(int32_t Angle, int32_t Width, int32_t Height);

// The filter's argument: whole degrees, 45 when empty. False for any other text.
bool ParseRotateAngle(const std::string& Argument, int32_t& Angle);

// Plane pointers and line sizes of one picture; plane 3 is alpha when present.
struct TRotatePlanes {
    const uint8_t* const* Data;
    const int* Linesize;
};

struct TRotateFormat {
    int32_t HSub = 0; // chroma shifts
    int32_t VSub = 0;
    bool HasAlpha = false;
};

// Fill values per plane: Y, U, V, A.
constexpr uint8_t RotateFill[4] = {16, 128, 128, 0};

// Writes every sample of the OutW x OutH output (chroma planes of rounded-up
// size). Source indices are clamped to their planes.
void RotatePicture(const TRotateGeometry& Geometry, const TRotateFormat& Format, const uint8_t* const* InData,
                   const int* InLinesize, int32_t InWidth, int32_t InHeight, uint8_t* const* OutData,
                   const int* OutLinesize);

// One configured rotation between two graphs.
class TRotateStage {
public:
    // 0, or -22 for a format the stage does not take.
    int32_t Configure(int32_t Angle, int32_t Width, int32_t Height, AVPixelFormat Format);
    const TRotateGeometry& Geometry() const { return geometry_; }
    AVPixelFormat Format() const { return format_; }
    // Out receives a new picture with In's properties; 0 or a negative FFmpeg code.
    int32_t Process(const AVFrame* In, AVFrame* Out) const;

private:
    TRotateGeometry geometry_;
    TRotateFormat planes_;
    AVPixelFormat format_ = AV_PIX_FMT_NONE;
    int32_t inWidth_ = 0;
    int32_t inHeight_ = 0;
};

// True once libavfilter is bound: filter descriptions may then use
// "nativerotate". Without it: false when Silent, else raises Exception.
bool RegisterRotateFilter(bool Silent);
