// One frame of each transition family at 1920 × 1080: the frame at progress
// 50 after frames 0 to 49, against pixman doing the least work such a frame
// needs, both timed in this run on this thread's processor time. Reveal
// families are compared with a SRC composite of the new image clipped to the
// same pixel set; move and stretch families with bilinear composites of the
// same blocks. Each side's time is its fastest of five rounds. Prints
// milliseconds and our time over pixman's. Effect numbers as arguments time
// only those families.

#include <pixman.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BenchTools.h"
#include "imaging/core/QkEffects.h"
#include "imaging/core/QkStartup.h"
#include "imaging/views/BrelvixViewStartup.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"

namespace {

constexpr int32_t W = 1920, H = 1080;

// A photo-like test card: smooth gradients under a grid of coloured tiles.
std::unique_ptr<TBitmap> TestCard(int seed)
{
    auto card = std::make_unique<TBitmap>(W, H, pf24bit);
    for (int32_t y = 0; y < H; ++y) {
        uint8_t* row = card->ScanLine(y);
        for (int32_t x = 0; x < W; ++x) {
            const int tile = ((x / 120) + (y / 120) * 3 + seed) % 7;
            row[3 * x] = uint8_t(x * 255 / W / (tile + 1) + seed * 40);
            row[3 * x + 1] = uint8_t(y * 255 / H - tile * 20);
            row[3 * x + 2] = uint8_t((x + y) / 12 + tile * 30);
        }
    }
    return card;
}

std::unique_ptr<TBitmap> Solid(TColor colour)
{
    auto bitmap = std::make_unique<TBitmap>(W, H, pf24bit);
    bitmap->Canvas()->FillSolidRect(TRect{0, 0, W, H}, colour);
    return bitmap;
}

void Paint(int32_t effect, TBitmap& frame, TBitmap& prev, TBitmap& next, int32_t progress)
{
    frame.Canvas()->SetStretchMode(HALFTONE);
    Effects()[size_t(effect - 1)].Painter(*frame.Canvas(), prev, next, progress, 1, TRect{0, 0, W, H});
}

struct TPixmanImage {
    std::vector<uint32_t> Bits = std::vector<uint32_t>(size_t(W) * H, 0xFF808080u);
    pixman_image_t* Image = pixman_image_create_bits(PIXMAN_x8r8g8b8, W, H, Bits.data(), W * 4);
    TPixmanImage() = default;
    TPixmanImage(const TPixmanImage&) = delete;
    TPixmanImage& operator=(const TPixmanImage&) = delete;
    ~TPixmanImage() { pixman_image_unref(Image); }
};

// The pixels a red-to-blue frame at 50 shows blue, as pixman boxes.
std::vector<pixman_box32_t> RevealedBoxes(int32_t effect)
{
    const auto prev = Solid(clRed), next = Solid(clBlue), frame = Solid(clRed);
    for (int32_t p = 0; p <= 50; ++p)
        Paint(effect, *frame, *prev, *next, p);
    std::vector<pixman_box32_t> boxes;
    for (int32_t y = 0; y < H; ++y) {
        const uint8_t* row = frame->ScanLine(y);
        for (int32_t x = 0; x < W;) {
            if (row[3 * x] != 255) {
                ++x;
                continue;
            }
            const int32_t start = x;
            while (x < W && row[3 * x] == 255)
                ++x;
            boxes.push_back({start, y, x, y + 1});
        }
    }
    return boxes;
}

struct TBlock {
    int32_t X, Y, Width, Height, SourceX, SourceY, SourceWidth, SourceHeight;
};

void CompositeBlocks(const std::vector<TBlock>& blocks, TPixmanImage& source, TPixmanImage& dest)
{
    for (const TBlock& b : blocks) {
        pixman_transform_t transform;
        pixman_transform_init_scale(&transform, pixman_double_to_fixed(double(b.SourceWidth) / b.Width),
                                    pixman_double_to_fixed(double(b.SourceHeight) / b.Height));
        pixman_image_set_transform(source.Image, &transform);
        pixman_image_set_filter(source.Image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
        pixman_image_composite32(PIXMAN_OP_SRC, source.Image, nullptr, dest.Image, b.SourceX * b.Width / b.SourceWidth,
                                 b.SourceY * b.Height / b.SourceHeight, 0, 0, b.X, b.Y, b.Width, b.Height);
    }
}

struct TFamily {
    uint32_t Flags;
    int32_t Effect;
    std::vector<TBlock> Blocks; // empty: a reveal family
    double Goal;
};

} // namespace

int main(int argc, char** argv)
{
    InstallBrelvixViewStartup();
    LibraryStaticInit();
    const auto prev = TestCard(0), next = TestCard(3);
    const int32_t pw = W / 2, ph = H / 2;
    const std::vector<TFamily> families = {
        {0x000, 186, {{pw, 0, pw, H, pw, 0, pw, H}}, 1.5},
        {0x009, 65, {{0, 0, pw, H, pw, 0, pw, H}}, 1.5},
        {0x00A, 151, {{0, 0, pw, H, pw, 0, pw, H}, {pw, 0, pw, H, 0, 0, pw, H}}, 1.5},
        {0x00B, 69, {{0, 0, W, H, 0, 0, 640, 360}}, 1.5},
        {0x00C, 31, {{0, 0, pw, H, 0, 0, W, H}}, 1.5},
        {0x010, 57, {{pw, 0, pw, H, pw, 0, pw, H}, {0, 0, pw, H, 768, 0, 192, H}}, 1.5},
        {0x101, 49, {{0, 0, pw, ph, 0, 0, pw, ph}}, 1.5},
        {0x102, 61, {{pw, 0, 194, H, pw + 192, 0, 192, H}, {0, 0, pw, H, 0, 0, pw, H}}, 1.5},
        {0x103, 77, {}, 2},
        {0x104, 133, {}, 2},
        {0x105, 117, {}, 2},
        {0x106, 183, {}, 2},
        {0x107, 95, {}, 3},
        {0x108, 85, {}, 2},
        {0x10D, 115, {}, 2},
        {0x10E, 185, {}, 2},
        {0x10F, 139, {}, 2},
        {0x110, 159, {}, 2},
        {0x111, 165, {}, 2},
        {0x102, 147, {}, 2},
        {0x104, 179, {}, 2},
    };
    TPixmanImage peerSource, peerFrame;
    std::printf("%-6s %-7s %-38s %9s %9s %7s %5s %s\n", "flags", "effect", "name", "ours_ms", "pixman_ms", "ratio",
                "goal", "rects");
    std::vector<int32_t> chosen;
    for (int i = 1; i < argc; ++i)
        chosen.push_back(std::atoi(argv[i]));
    for (const TFamily& family : families) {
        if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), family.Effect) == chosen.end())
            continue;
        auto frame = std::make_unique<TBitmap>();
        frame->Assign(prev.get());
        for (int32_t p = 0; p < 50; ++p)
            Paint(family.Effect, *frame, *prev, *next, p);
        const std::function<void()> paint = [&] { Paint(family.Effect, *frame, *prev, *next, 50); };
        std::function<void()> composite = [&] { CompositeBlocks(family.Blocks, peerSource, peerFrame); };
        size_t rects = 0;
        pixman_region32_t region;
        pixman_region32_init(&region);
        if (family.Blocks.empty()) {
            const std::vector<pixman_box32_t> boxes = RevealedBoxes(family.Effect);
            pixman_region32_fini(&region);
            pixman_region32_init_rects(&region, boxes.data(), int(boxes.size()));
            rects = size_t(pixman_region32_n_rects(&region));
            pixman_image_set_transform(peerSource.Image, nullptr);
            composite = [&] {
                pixman_image_set_clip_region32(peerFrame.Image, &region);
                pixman_image_composite32(PIXMAN_OP_SRC, peerSource.Image, nullptr, peerFrame.Image, 0, 0, 0, 0, 0, 0, W,
                                         H);
                pixman_image_set_clip_region32(peerFrame.Image, nullptr);
            };
        }
        // The fastest of alternating rounds: other programs on a shared
        // machine only ever add time, to either side.
        double ours = 1e9, peer = 1e9;
        for (int round = 0; round < 5; ++round) {
            ours = std::min(ours, SecondsPerCall(paint));
            peer = std::min(peer, SecondsPerCall(composite));
        }
        pixman_region32_fini(&region);
        const double ratio = ours / peer;
        std::printf("0x%03X  %-7d %-38s %9.3f %9.3f %7.2f %5.1f %s\n", family.Flags, family.Effect,
                    Effects()[size_t(family.Effect - 1)].Name.c_str(), ours * 1e3, peer * 1e3, ratio, family.Goal,
                    rects ? std::to_string(rects).c_str() : "");
    }
    LibraryStaticFinal();
    return 0;
}
