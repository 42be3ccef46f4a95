#include "engine/transcode/vf_rotate.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <numbers>

#include "engine/binding/AVFilterStubs.h"
#include "engine/binding/AVUtilStubs.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Types.h"

const AVPixelFormat RotatePixelFormats[] = {AV_PIX_FMT_YUV444P,  AV_PIX_FMT_YUV422P, AV_PIX_FMT_YUV420P,
                                            AV_PIX_FMT_YUV411P,  AV_PIX_FMT_YUV410P, AV_PIX_FMT_YUV440P,
                                            AV_PIX_FMT_YUVA420P, AV_PIX_FMT_NONE};

bool IsRotatePixelFormat(AVPixelFormat Format)
{
    for (const AVPixelFormat* f = RotatePixelFormats; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == Format)
            return true;
    return false;
}

TRotateGeometry RotateGeometry(int32_t Angle, int32_t Width, int32_t Height)
{
    TRotateGeometry g;
    g.Angle = Angle;
    const double a = Angle * std::numbers::pi / 180.0;
    g.SinX = static_cast<float>(std::sin(a));
    g.CosX = static_cast<float>(std::cos(a));
    const double w = Width, h = Height, s = g.SinX, c = g.CosX;
    g.TransX = static_cast<float>(std::max(0.0, h * s) + std::max(0.0, -w * c));
    g.TransY = static_cast<float>(std::max(0.0, -h * c) + std::max(0.0, -w * s));
    g.OutW = static_cast<int32_t>(std::floor(std::max(0.0, w * c) + std::max(0.0, -s * h) + g.TransX));
    g.OutH = static_cast<int32_t>(std::floor(std::max(0.0, h * c) + std::max(0.0, w * s) + g.TransY));
    return g;
}

bool ParseRotateAngle(const std::string& Argument, int32_t& Angle)
{
    if (Argument.empty()) {
        Angle = 45;
        return true;
    }
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(Argument.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < INT32_MIN || value > INT32_MAX)
        return false;
    Angle = static_cast<int32_t>(value);
    return true;
}

namespace {

// Size of a plane whose samples stand for 2^shift luma samples, rounded up.
int32_t SubsampledSize(int32_t Size, int32_t Shift) { return -((-Size) >> Shift); }

// Luma and alpha: nearest sample, rounding by floor(v + 0.5).
void RotateFullPlanes(const TRotateGeometry& g, const TRotateFormat& f, const uint8_t* const* in, const int* inLinesize,
                      int32_t inW, int32_t inH, uint8_t* const* out, const int* outLinesize)
{
    for (int32_t y = 0; y < g.OutH; ++y) {
        const double dy = y - static_cast<double>(g.TransY);
        uint8_t* luma = out[0] + static_cast<ptrdiff_t>(y) * outLinesize[0];
        uint8_t* alpha = f.HasAlpha ? out[3] + static_cast<ptrdiff_t>(y) * outLinesize[3] : nullptr;
        for (int32_t x = 0; x < g.OutW; ++x) {
            const double dx = x - static_cast<double>(g.TransX);
            const auto sx = static_cast<int64_t>(std::floor(dy * g.SinX + dx * g.CosX + 0.5));
            const auto sy = static_cast<int64_t>(std::floor(dy * g.CosX - dx * g.SinX + 0.5));
            const bool inside = sx >= 0 && sx < inW && sy >= 0 && sy < inH;
            luma[x] = inside ? in[0][sy * inLinesize[0] + sx] : RotateFill[0];
            if (alpha)
                alpha[x] = inside ? in[3][sy * inLinesize[3] + sx] : RotateFill[3];
        }
    }
}

// Chroma: positions on the luma grid, truncated toward zero; every sample
// of the rounded-up plane is written and source indices stay in the plane.
void RotateChromaPlanes(const TRotateGeometry& g, const TRotateFormat& f, const uint8_t* const* in,
                        const int* inLinesize, int32_t inW, int32_t inH, uint8_t* const* out, const int* outLinesize)
{
    const int32_t outCW = SubsampledSize(g.OutW, f.HSub), outCH = SubsampledSize(g.OutH, f.VSub);
    const int32_t inCW = SubsampledSize(inW, f.HSub), inCH = SubsampledSize(inH, f.VSub);
    const int32_t hHalf = f.HSub / 2, vHalf = f.VSub / 2;
    for (int32_t y = 0; y < outCH; ++y) {
        const double dy = static_cast<double>((vHalf + y) << f.VSub) - g.TransY;
        for (int32_t x = 0; x < outCW; ++x) {
            const double dx = static_cast<double>((hHalf + x) << f.HSub) - g.TransX;
            const auto tx = static_cast<int64_t>(std::trunc(dy * g.SinX + dx * g.CosX + 0.5));
            const auto ty = static_cast<int64_t>(std::trunc(dy * g.CosX - dx * g.SinX + 0.5));
            const bool inside = tx >= 0 && tx < inW && ty >= 0 && ty < inH;
            const int64_t col = std::min<int64_t>((tx + hHalf) >> f.HSub, inCW - 1);
            const int64_t row = std::min<int64_t>((ty + vHalf) >> f.VSub, inCH - 1);
            for (int plane = 1; plane <= 2; ++plane) {
                uint8_t* target = out[plane] + static_cast<ptrdiff_t>(y) * outLinesize[plane] + x;
                *target = inside ? in[plane][row * inLinesize[plane] + col] : RotateFill[plane];
            }
        }
    }
}

} // namespace

void RotatePicture(const TRotateGeometry& Geometry, const TRotateFormat& Format, const uint8_t* const* InData,
                   const int* InLinesize, int32_t InWidth, int32_t InHeight, uint8_t* const* OutData,
                   const int* OutLinesize)
{
    RotateFullPlanes(Geometry, Format, InData, InLinesize, InWidth, InHeight, OutData, OutLinesize);
    RotateChromaPlanes(Geometry, Format, InData, InLinesize, InWidth, InHeight, OutData, OutLinesize);
}

int32_t TRotateStage::Configure(int32_t Angle, int32_t Width, int32_t Height, AVPixelFormat Format)
{
    if (!IsRotatePixelFormat(Format) || Width <= 0 || Height <= 0)
        return AVERROR(EINVAL);
    int hsub = 0, vsub = 0;
    const int result = av::av_pix_fmt_get_chroma_sub_sample(Format, &hsub, &vsub);
    if (result < 0)
        return result;
    planes_ = {hsub, vsub, Format == AV_PIX_FMT_YUVA420P};
    geometry_ = RotateGeometry(Angle, Width, Height);
    if (geometry_.OutW <= 0 || geometry_.OutH <= 0)
        return AVERROR(EINVAL);
    format_ = Format;
    inWidth_ = Width;
    inHeight_ = Height;
    return 0;
}

int32_t TRotateStage::Process(const AVFrame* In, AVFrame* Out) const
{
    if (In->width != inWidth_ || In->height != inHeight_ || In->format != format_)
        return AVERROR(EINVAL);
    Out->width = geometry_.OutW;
    Out->height = geometry_.OutH;
    Out->format = format_;
    int result = av::av_frame_get_buffer(Out, 0);
    if (result < 0)
        return result;
    result = av::av_frame_copy_props(Out, In);
    if (result < 0)
        return result;
    RotatePicture(geometry_, planes_, In->data, In->linesize, inWidth_, inHeight_, Out->data, Out->linesize);
    return 0;
}

bool RegisterRotateFilter(bool Silent)
{
    if (av::avfilter_graph_alloc && av::av_frame_get_buffer && av::av_pix_fmt_get_chroma_sub_sample)
        return true;
    if (Silent)
        return false;
    throw Exception("Failed to register video filter. It requires several private APIs of ffmpeg libraries.");
}
