#include "engine/Deinterlace.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/AVUtilStubs.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

namespace {

uint8_t Clamped(int Value) { return static_cast<uint8_t>(std::clamp(Value, 0, 255)); }

// One plane: the odd lines are filtered from the original lines around them.
// Line y - 2 (of the same field) was already rewritten, so its original is
// kept in Previous before the rewrite. A line clamped onto the target itself
// is read at each sample before that sample is written.
void DeinterlacePlane(uint8_t* Plane, int Stride, int Width, int Height, std::vector<uint8_t>& Previous,
                      std::vector<uint8_t>& Current) {
  const auto line = [&](int y) { return Plane + static_cast<ptrdiff_t>(std::clamp(y, 0, Height - 1)) * Stride; };
  std::memcpy(Previous.data(), line(-1), Width);
  for (int y = 1; y < Height; y += 2) {
    uint8_t* target = line(y);
    std::memcpy(Current.data(), target, Width);
    const uint8_t* above = line(y - 1);
    const uint8_t* below = line(y + 1);
    const uint8_t* twoBelow = line(y + 2);
    for (int x = 0; x < Width; ++x) {
      const int sum = -Previous[x] + 4 * above[x] + 2 * Current[x] + 4 * below[x] - twoBelow[x];
      target[x] = Clamped((sum + 4) >> 3);
    }
    std::swap(Previous, Current);
  }
}

int PlaneExtent(int Size, int Shift) { return -((-Size) >> Shift); }

}  // namespace

bool CanDeinterlace(AVPixelFormat Format) {
  const AVPixFmtDescriptor* descriptor = av::av_pix_fmt_desc_get(Format);
  if (!descriptor) return false;
  const uint64_t refused = AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_HWACCEL |
                           AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_FLOAT;
  if (!(descriptor->flags & AV_PIX_FMT_FLAG_PLANAR) && descriptor->nb_components > 1) return false;
  if (descriptor->flags & refused) return false;
  for (int i = 0; i < descriptor->nb_components; ++i) {
    const AVComponentDescriptor& component = descriptor->comp[i];
    if (component.depth != 8 || component.step != 1 || component.shift != 0 || component.offset != 0) return false;
  }
  return true;
}

bool DeinterlaceInPlace(uint8_t* const Data[4], const int Linesize[4], AVPixelFormat Format, int Width, int Height) {
  if (Width < 1 || Height < 1 || !CanDeinterlace(Format)) return false;
  const AVPixFmtDescriptor* descriptor = av::av_pix_fmt_desc_get(Format);
  for (int i = 0; i < descriptor->nb_components; ++i)
    if (!Data[descriptor->comp[i].plane]) return false;
  std::vector<uint8_t> previous(static_cast<size_t>(Width)), current(static_cast<size_t>(Width));
  for (int i = 0; i < descriptor->nb_components; ++i) {
    const bool chroma = i == 1 || i == 2;
    const int width = chroma ? PlaneExtent(Width, descriptor->log2_chroma_w) : Width;
    const int height = chroma ? PlaneExtent(Height, descriptor->log2_chroma_h) : Height;
    const int plane = descriptor->comp[i].plane;
    DeinterlacePlane(Data[plane], Linesize[plane], width, height, previous, current);
  }
  return true;
}
