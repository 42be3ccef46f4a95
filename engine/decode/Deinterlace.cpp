#include "engine/decode/Deinterlace.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/binding/AVUtilStubs.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace {

uint8_t Clamped(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// One plane: the odd lines are filtered from the original lines around them.
// Line y - 2 (of the same field) was already rewritten, so its original is
// kept in `previous` before the rewrite. A line clamped onto the target
// itself is read at each sample before that sample is written.
void DeinterlacePlane(uint8_t* plane, int stride, int width, int height, std::vector<uint8_t>& previous,
                      std::vector<uint8_t>& current)
{
    const auto line = [&](int y) { return plane + static_cast<ptrdiff_t>(std::clamp(y, 0, height - 1)) * stride; };
    std::memcpy(previous.data(), line(-1), static_cast<size_t>(width));
    for (int y = 1; y < height; y += 2) {
        uint8_t* target = line(y);
        std::memcpy(current.data(), target, static_cast<size_t>(width));
        const uint8_t* above = line(y - 1);
        const uint8_t* below = line(y + 1);
        const uint8_t* twoBelow = line(y + 2);
        for (int x = 0; x < width; ++x) {
            const int sum = -previous[x] + 4 * above[x] + 2 * current[x] + 4 * below[x] - twoBelow[x];
            target[x] = Clamped((sum + 4) >> 3);
        }
        std::swap(previous, current);
    }
}

// A chroma plane's extent: the picture's, divided by 2^shift and rounded up.
int PlaneExtent(int size, int shift) { return -((-size) >> shift); }

} // namespace

bool CanDeinterlace(AVPixelFormat Format)
{
    const AVPixFmtDescriptor* descriptor = av::av_pix_fmt_desc_get(Format);
    if (!descriptor)
        return false;
    const uint64_t refused = AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL |
        AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT;
    if ((descriptor->flags & refused) ||
        (!(descriptor->flags & AV_PIX_FMT_FLAG_PLANAR) && descriptor->nb_components > 1))
        return false;
    for (int i = 0; i < descriptor->nb_components; ++i) {
        const AVComponentDescriptor& component = descriptor->comp[i];
        if (component.depth != 8 || component.step != 1 || component.shift != 0 || component.offset != 0)
            return false;
    }
    return true;
}

bool DeinterlaceInPlace(uint8_t* const Data[4], const int Linesize[4], AVPixelFormat Format, int Width, int Height)
{
    if (Width < 1 || Height < 1 || !CanDeinterlace(Format))
        return false;
    const AVPixFmtDescriptor* descriptor = av::av_pix_fmt_desc_get(Format);
    for (int i = 0; i < descriptor->nb_components; ++i)
        if (!Data[descriptor->comp[i].plane])
            return false;
    std::vector<uint8_t> previous(static_cast<size_t>(Width)), current(static_cast<size_t>(Width));
    for (int i = 0; i < descriptor->nb_components; ++i) {
        const bool chroma = i == 1 || i == 2;
        const int plane = descriptor->comp[i].plane;
        DeinterlacePlane(Data[plane], Linesize[plane], chroma ? PlaneExtent(Width, descriptor->log2_chroma_w) : Width,
                         chroma ? PlaneExtent(Height, descriptor->log2_chroma_h) : Height, previous, current);
    }
    return true;
}
