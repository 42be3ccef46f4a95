#include "imaging/views/transitions/QkTransitionEffects.h"

#include <array>
#include <memory>
#include <utility>

#include "imaging/core/QkEffects.h"
#include "imaging/views/transitions/QkTransitionFamilies.h"

namespace {

struct TEffectRow {
    const char* Name;
    uint32_t Flags;
    TFamilyPainter Family;
};

// Effect n is row n - 1. The flags classify the effects into families;
// nothing reads them, but each row keeps its value.
constexpr TEffectRow EffectRows[EffectCount] = {
    {"Cross Fade", 0x100, nullptr}, // 1
    {"Fade Out", 0x011, nullptr}, // 2
    {"Fade In", 0x011, nullptr}, // 3
    {"Fade Out then In", 0x000, nullptr}, // 4
    {"Wipe Left to Right", 0x101, nullptr}, // 5
    {"Wipe Left to Right 2", 0x101, nullptr}, // 6
    {"Wipe Right to Left", 0x101, nullptr}, // 7
    {"Wipe Right to Left 2", 0x101, nullptr}, // 8
    {"Wipe Top to Bottom", 0x101, nullptr}, // 9
    {"Wipe Top to Bottom 2", 0x101, nullptr}, // 10
    {"Wipe Bottom to Top", 0x101, nullptr}, // 11
    {"Wipe Bottom to Top 2", 0x101, nullptr}, // 12
    {"Slide from Top Left", 0x009, nullptr}, // 13
    {"Slide from Top Right", 0x009, nullptr}, // 14
    {"Slide from Bottom Left", 0x009, nullptr}, // 15
    {"Slide from Bottom Right", 0x009, nullptr}, // 16
    {"Push Left to Right", 0x00A, nullptr}, // 17
    {"Slide Out Left to Right", 0x009, nullptr}, // 18
    {"Push Right to Left", 0x00A, nullptr}, // 19
    {"Slide Out Right to Left", 0x009, nullptr}, // 20
    {"Push Top to Bottom", 0x00A, nullptr}, // 21
    {"Slide Out Top to Bottom", 0x009, nullptr}, // 22
    {"Push Bottom to Top", 0x00A, nullptr}, // 23
    {"Slide Out Bottom to Top", 0x009, nullptr}, // 24
    {"Random Points", 0x10E, nullptr}, // 25
    {"Random Boxes", 0x10E, nullptr}, // 26
    {"Wipe Out from Center", 0x101, nullptr}, // 27
    {"Wipe In to Center", 0x101, nullptr}, // 28
    {"Expand Out from Center", 0x00C, nullptr}, // 29
    {"Expand In to Center", 0x00C, nullptr}, // 30
    {"Expand from Left", 0x00C, PaintBlocks}, // 31
    {"Expand from Right", 0x00C, PaintBlocks}, // 32
    {"Expand from Top", 0x00C, PaintBlocks}, // 33
    {"Expand from Bottom", 0x00C, PaintBlocks}, // 34
    {"Expand from Top Left", 0x00C, PaintBlocks}, // 35
    {"Expand from Top Right", 0x00C, PaintBlocks}, // 36
    {"Expand from Bottom Left", 0x00C, PaintBlocks}, // 37
    {"Expand from Bottom Right", 0x00C, PaintBlocks}, // 38
    {"Expand in from Left", 0x00C, PaintBlocks}, // 39
    {"Expand in from Right", 0x00C, PaintBlocks}, // 40
    {"Expand in from Top", 0x00C, PaintBlocks}, // 41
    {"Expand in from Bottom", 0x00C, PaintBlocks}, // 42
    {"Expand in to Vertical Center", 0x00C, PaintBlocks}, // 43
    {"Expand in to Horizon", 0x00C, PaintBlocks}, // 44
    {"Expand in from Sides", 0x00C, PaintBlocks}, // 45
    {"Expand in from Top and Bottom", 0x00C, PaintBlocks}, // 46
    {"Expand out from Horizon", 0x00C, PaintBlocks}, // 47
    {"Expand out from Vertical Center", 0x00C, PaintBlocks}, // 48
    {"Wipe from Top Left", 0x101, PaintBlocks}, // 49
    {"Wipe from Top Right", 0x101, PaintBlocks}, // 50
    {"Wipe from Bottom Left", 0x101, PaintBlocks}, // 51
    {"Wipe from Bottom Right", 0x101, PaintBlocks}, // 52
    {"Wipe in from Top and Bottom", 0x101, PaintBlocks}, // 53
    {"Wipe from Horizon", 0x101, PaintBlocks}, // 54
    {"Wipe in from Sides", 0x101, PaintBlocks}, // 55
    {"Wipe out from Vertical Center", 0x101, PaintBlocks}, // 56
    {"Build up from Left", 0x010, PaintBlocks}, // 57
    {"Build up from Right", 0x010, PaintBlocks}, // 58
    {"Build up from Top", 0x010, PaintBlocks}, // 59
    {"Build up from Bottom", 0x010, PaintBlocks}, // 60
    {"Unroll from Left", 0x102, PaintUnroll}, // 61
    {"Unroll from Right", 0x102, PaintUnroll}, // 62
    {"Unroll from Top", 0x102, PaintUnroll}, // 63
    {"Unroll from Bottom", 0x102, PaintUnroll}, // 64
    {"Slide in from Left", 0x009, PaintBlocks}, // 65
    {"Slide in from Right", 0x009, PaintBlocks}, // 66
    {"Slide in from Top", 0x009, PaintBlocks}, // 67
    {"Slide in from Bottom", 0x009, PaintBlocks}, // 68
    {"Shrink to Top Left", 0x00B, PaintBlocks}, // 69
    {"Shrink to Top Right", 0x00B, PaintBlocks}, // 70
    {"Shrink to Bottom Left", 0x00B, PaintBlocks}, // 71
    {"Shrink to Bottom Right", 0x00B, PaintBlocks}, // 72
    {"Shrink to Center", 0x00B, PaintBlocks}, // 73
    {"Quarters Wipe in to Center", 0x101, PaintBlocks}, // 74
    {"Quarters Expand to Center", 0x00C, PaintBlocks}, // 75
    {"Quarters Slide in to Center", 0x009, PaintBlocks}, // 76
    {"Curved Wipe from Left", 0x103, PaintCurvedWipe}, // 77
    {"Curved Wipe from Right", 0x103, PaintCurvedWipe}, // 78
    {"Curved Wipe from Top", 0x103, PaintCurvedWipe}, // 79
    {"Curved Wipe from Bottom", 0x103, PaintCurvedWipe}, // 80
    {"Curved Wipe from Top Left", 0x103, PaintCurvedWipe}, // 81
    {"Curved Wipe from Top Right", 0x103, PaintCurvedWipe}, // 82
    {"Curved Wipe from Bottom Left", 0x103, PaintCurvedWipe}, // 83
    {"Curved Wipe from Bottom Right", 0x103, PaintCurvedWipe}, // 84
    {"Bars in from Left", 0x108, PaintBars}, // 85
    {"Bars in from Right", 0x108, PaintBars}, // 86
    {"Bars from Top", 0x108, PaintBars}, // 87
    {"Bars from Bottom", 0x108, PaintBars}, // 88
    {"Bars Left then Right", 0x108, PaintBars}, // 89
    {"Bars Right then Left", 0x108, PaintBars}, // 90
    {"Bars Top then Bottom", 0x108, PaintBars}, // 91
    {"Bars Bottom then Top", 0x108, PaintBars}, // 92
    {"Bars from both Sides", 0x108, PaintBars}, // 93
    {"Bars from Top and Bottom", 0x108, PaintBars}, // 94
    {"Shredded from Left", 0x107, PaintShredded}, // 95
    {"Shredded from Right", 0x107, PaintShredded}, // 96
    {"Shredded from Top", 0x107, PaintShredded}, // 97
    {"Shredded from Bottom", 0x107, PaintShredded}, // 98
    {"Shredded from Top and Left", 0x107, PaintShredded}, // 99
    {"Shredded from Top and Right", 0x107, PaintShredded}, // 100
    {"Shredded from Bottom and Left", 0x107, PaintShredded}, // 101
    {"Shredded from Bottom and Right", 0x107, PaintShredded}, // 102
    {"Shredded from Horizon and Left", 0x107, PaintShredded}, // 103
    {"Shredded from Horizon and Right", 0x107, PaintShredded}, // 104
    {"Shredded from Top and Vertical Center", 0x107, PaintShredded}, // 105
    {"Shredded from Bottom and Vertical Center", 0x107, PaintShredded}, // 106
    {"Shredded from Center", 0x107, PaintShredded}, // 107
    {"Shredded to Center", 0x107, PaintShredded}, // 108
    {"Shredded in to Horizon", 0x107, PaintShredded}, // 109
    {"Shredded in to Vertical Center", 0x107, PaintShredded}, // 110
    {"Shredded out from Horizon", 0x107, PaintShredded}, // 111
    {"Shredded out from Vertical Center", 0x107, PaintShredded}, // 112
    {"Expanding Rectangles", 0x10D, PaintExpandingRectangles}, // 113
    {"Expanding Triangles", 0x10D, PaintPolygonGrid}, // 114
    {"Expanding Circles", 0x10D, PaintExpandingShapes}, // 115
    {"Expanding Diamonds", 0x10D, PaintPolygonGrid}, // 116
    {"Circular Wipe from Center", 0x105, PaintCenterShapeWipe}, // 117
    {"Circular Wipe to Center", 0x105, PaintCenterShapeWipe}, // 118
    {"Crisscross Wipe from Top Left", 0x108, PaintBars}, // 119
    {"Crisscross Wipe from Top Right", 0x108, PaintBars}, // 120
    {"Crisscross Wipe from Bottom Left", 0x108, PaintBars}, // 121
    {"Crisscross Wipe from Bottom Right", 0x108, PaintBars}, // 122
    {"Crisscross Wipe Bounce from Top Left", 0x108, PaintBars}, // 123
    {"Crisscross Wipe Bounce from Top Right", 0x108, PaintBars}, // 124
    {"Crisscross Wipe Bounce from Bottom Left", 0x108, PaintBars}, // 125
    {"Crisscross Wipe Bounce from Bottom Right", 0x108, PaintBars}, // 126
    {"Crisscross Wipe from Left Right and Top", 0x108, PaintBars}, // 127
    {"Crisscross Wipe from Left Right and Bottom", 0x108, PaintBars}, // 128
    {"Crisscross Wipe from Left Top and Bottom", 0x108, PaintBars}, // 129
    {"Crisscross Wipe from Top Left Right and Bottom", 0x108, PaintBars}, // 130
    {"Crisscross Wipe from Right Top and Bottom", 0x108, PaintBars}, // 131
    {"Crisscross Wipe from Bottom Left Top Right", 0x108, PaintBars}, // 132
    {"Wipe diagonal from Top Left", 0x104, PaintPolygonWipe}, // 133
    {"Wipe diagonal from Top Right", 0x104, PaintPolygonWipe}, // 134
    {"Wipe diagonal from Bottom Left", 0x104, PaintPolygonWipe}, // 135
    {"Wipe diagonal from Bottom Right", 0x104, PaintPolygonWipe}, // 136
    {"Diagonal Sweep Clockwise", 0x10F, PaintPolygonWipe}, // 137
    {"Diagonal Sweep Counter-Clockwise", 0x10F, PaintPolygonWipe}, // 138
    {"Sweep Clockwise", 0x10F, PaintSweep}, // 139
    {"Sweep Counter-Clockwise", 0x10F, PaintSweep}, // 140
    {"Starburst Clockwise", 0x10F, PaintPolygonWipe}, // 141
    {"Starburst Counter-Clockwise", 0x10F, PaintPolygonWipe}, // 142
    {"Rotational Rectangle Clockwise", 0x10F, PaintRotatingPolygon}, // 143
    {"Rotational Rectangle Counter-Clockwise", 0x10F, PaintRotatingPolygon}, // 144
    {"Rotational Star Clockwise", 0x10F, PaintRotatingPolygon}, // 145
    {"Rotational Star Counter-Clockwise", 0x10F, PaintRotatingPolygon}, // 146
    {"Speckled Wipe from Left", 0x102, PaintSpeckled}, // 147
    {"Speckled Wipe from Right", 0x102, PaintSpeckled}, // 148
    {"Speckled Wipe from Top", 0x102, PaintSpeckled}, // 149
    {"Speckled Wipe from Bottom", 0x102, PaintSpeckled}, // 150
    {"Push Left and Slide out", 0x00A, PaintBlocks}, // 151
    {"Push Right and Slide out", 0x00A, PaintBlocks}, // 152
    {"Push up and Slide out", 0x00A, PaintBlocks}, // 153
    {"Push down and Slide out", 0x00A, PaintBlocks}, // 154
    {"Push and Squeeze Left", 0x00A, PaintBlocks}, // 155
    {"Push and Squeeze Right", 0x00A, PaintBlocks}, // 156
    {"Push and Squeeze up", 0x00A, PaintBlocks}, // 157
    {"Push and Squeeze down", 0x00A, PaintBlocks}, // 158
    {"Horizontal Blinds", 0x110, PaintBlinds}, // 159
    {"Vertical Blinds", 0x110, PaintBlinds}, // 160
    {"Uneven Blinds from Left", 0x110, PaintBlinds}, // 161
    {"Uneven Blinds from Right", 0x110, PaintBlinds}, // 162
    {"Uneven Blinds from Top", 0x110, PaintBlinds}, // 163
    {"Uneven Blinds from Bottom", 0x110, PaintBlinds}, // 164
    {"Rectangles from the Left", 0x111, PaintRectangles}, // 165
    {"Rectangles from the Right", 0x111, PaintRectangles}, // 166
    {"Rectangles from the Top", 0x111, PaintRectangles}, // 167
    {"Rectangles from the Bottom", 0x111, PaintRectangles}, // 168
    {"Spiralling Rectangle Clockwise", 0x10F, PaintRotatingPolygon}, // 169
    {"Spiralling Rectangle Counter-Clockwise", 0x10F, PaintRotatingPolygon}, // 170
    {"Arrow Wipe from Left", 0x104, PaintPolygonWipe}, // 171
    {"Arrow Wipe from Right", 0x104, PaintPolygonWipe}, // 172
    {"Arrow Wipe from Top", 0x104, PaintPolygonWipe}, // 173
    {"Arrow Wipe from Bottom", 0x104, PaintPolygonWipe}, // 174
    {"Horizontal Bow Tie Wipe", 0x104, PaintPolygonWipe}, // 175
    {"Vertical Bow Tie Wipe", 0x104, PaintPolygonWipe}, // 176
    {"Diagonal Cross from Center", 0x105, PaintPolygonWipe}, // 177
    {"Diagonal Cross to Center", 0x105, PaintPolygonWipe}, // 178
    {"Zigzag Wipe from Horizon", 0x104, PaintZigzag}, // 179
    {"Zigzag Wipe from Vertical Center", 0x104, PaintZigzag}, // 180
    {"Diamond Wipe from Center", 0x105, PaintPolygonWipe}, // 181
    {"Diamond Wipe to Center", 0x105, PaintPolygonWipe}, // 182
    {"Diamond Wipe In and Out", 0x106, PaintShapeInAndOut}, // 183
    {"Triangular Wipe", 0x104, PaintTriangularWipe}, // 184
    {"Random Big Boxes", 0x10E, PaintRandomBigBoxes}, // 185
    {"Page Flip", 0x000, PaintPageFlip}, // 186
    {"Page Flip 2", 0x000, PaintPageFlip}, // 187
    {"Reverse Page Flip", 0x000, PaintPageFlip}, // 188
    {"Reverse Page Flip 2", 0x000, PaintPageFlip}, // 189
    {"Zigzag Wipe To Horizon", 0x104, PaintZigzag}, // 190
    {"Zigzag Wipe To Vertical Center", 0x104, PaintZigzag}, // 191
    {"Random Hearts", 0x10E, PaintRandomShapes}, // 192
    {"Random 5 Pointed Stars", 0x10E, PaintRandomShapes}, // 193
    {"Random 6 Pointed Stars", 0x10E, PaintRandomShapes}, // 194
    {"Random Explosions", 0x10E, PaintRandomShapes}, // 195
    {"Expanding Hearts", 0x10D, PaintExpandingShapes}, // 196
    {"Expanding 5 Pointed Stars", 0x10D, PaintExpandingShapes}, // 197
    {"Expanding 6 Pointed Stars", 0x10D, PaintExpandingShapes}, // 198
    {"Expanding Explosions", 0x10D, PaintExpandingShapes}, // 199
    {"Expanding Lightning Bolts", 0x10D, PaintExpandingShapes}, // 200
    {"Heart Wipe from Center", 0x105, PaintCenterShapeWipe}, // 201
    {"Heart Wipe to Center", 0x105, PaintCenterShapeWipe}, // 202
    {"5 Pointed Star Wipe from Center", 0x105, PaintCenterShapeWipe}, // 203
    {"5 Pointed Star Wipe to Center", 0x105, PaintCenterShapeWipe}, // 204
    {"6 Pointed Star Wipe from Center", 0x105, PaintCenterShapeWipe}, // 205
    {"6 Pointed Star Wipe to Center", 0x105, PaintCenterShapeWipe}, // 206
    {"Explosion Wipe from Center", 0x105, PaintCenterShapeWipe}, // 207
    {"Explosion Wipe to Center", 0x105, PaintCenterShapeWipe}, // 208
    {"Cross Wipe from Center", 0x105, PaintCenterShapeWipe}, // 209
    {"Cross Wipe to Center", 0x105, PaintCenterShapeWipe}, // 210
    {"Heart Wipe In and Out", 0x106, PaintShapeInAndOut}, // 211
    {"5 Pointed Star Wipe In and Out", 0x106, PaintShapeInAndOut}, // 212
    {"6 Pointed Star Wipe In and Out", 0x106, PaintShapeInAndOut}, // 213
    {"Explosion Wipe In and Out", 0x106, PaintShapeInAndOut}, // 214
};

// Keeps a painter that draws beyond a smaller rectangle inside it.
class TFrameClip {
public:
    TFrameClip(TCanvas& canvas, int32_t w, int32_t h) : FCanvas(canvas)
    {
        const TBitmap& target = *canvas.Target();
        if (target.Width() <= w && target.Height() <= h)
            return;
        const TRegion bounds(TRect{0, 0, w, h});
        FCanvas.SelectClipRgn(&bounds);
        FClipped = true;
    }
    ~TFrameClip()
    {
        if (FClipped)
            FCanvas.SelectClipRgn(nullptr);
    }
    TFrameClip(const TFrameClip&) = delete;
    TFrameClip& operator=(const TFrameClip&) = delete;

private:
    TCanvas& FCanvas;
    bool FClipped = false;
};

bool Covers(const TBitmap& image, int32_t w, int32_t h) { return image.Width() >= w && image.Height() >= h; }

void PaintRow(int32_t effect, TCanvas& canvas, TBitmap& prev, TBitmap& next, int32_t progress, int32_t factor,
              const TRect& rect)
{
    TTransitionFrame frame{canvas, prev, next, progress, factor};
    GetProgressSizes(rect, progress, frame.W, frame.H, frame.PW, frame.PH);
    // An empty frame has no progress sizes (they divide by W or H), and
    // images smaller than the frame would be read past their rows.
    if (frame.W <= 0 || frame.H <= 0 || !Covers(prev, frame.W, frame.H) || !Covers(next, frame.W, frame.H))
        return;
    const TFrameClip clip(canvas, frame.W, frame.H);
    EffectRows[effect - 1].Family(frame, effect);
}

template <int32_t Effect>
void PaintNumbered(TCanvas& canvas, TBitmap& prev, TBitmap& next, int32_t progress, int32_t factor, const TRect& rect)
{
    PaintRow(Effect, canvas, prev, next, progress, factor, rect);
}

template <size_t... Index>
constexpr std::array<TEffectPainter, EffectCount> MakePainters(std::index_sequence<Index...>)
{
    return {&PaintNumbered<static_cast<int32_t>(Index) + 1>...};
}

constexpr std::array<TEffectPainter, EffectCount> Painters = MakePainters(std::make_index_sequence<EffectCount>());

} // namespace

void RegisterTransitionEffects()
{
    for (size_t i = 0; i < EffectCount; ++i) {
        TEffect& effect = Effects()[i];
        effect.Name = EffectRows[i].Name;
        effect.Flags = EffectRows[i].Flags;
        effect.Painter = EffectRows[i].Family ? Painters[i] : nullptr;
    }
}

void UnregisterTransitionEffects() { Effects().fill(TEffect{}); }
