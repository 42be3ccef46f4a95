#include "platform/gfx/HatchPattern.h"

namespace {

bool OnHatchLine(TBrushStyle style, int x, int y)
{
    switch (style) {
    case bsHorizontal: return y == 0;
    case bsVertical: return x == 0;
    case bsFDiagonal: return x == y;
    case bsBDiagonal: return x + y == 7;
    case bsCross: return x == 0 || y == 0;
    case bsDiagCross: return x == y || x + y == 7;
    default: return false;
    }
}

} // namespace

uint64_t HatchBits(TBrushStyle style)
{
    uint64_t bits = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (OnHatchLine(style, x, y))
                bits |= uint64_t{1} << (y * 8 + x);
    return bits;
}
