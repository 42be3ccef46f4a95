// The image view's repaint of a 24-megapixel test card in a 1280 x 800
// view at fit, 100 % and 400 %: one full re-render of the back buffer
// against pixman scaling the same source rectangle into a 24-bit image,
// unfiltered (nearest) and filtered (bilinear); a clean repaint (copy only)
// against a pixman copy; and a turned layer's second rendering against the
// same layer unturned. Times are this thread's processor milliseconds.

#include <pixman.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "BenchTools.h"
#include "imaging/core/QkBitmap.h"
#include "imaging/core/QkStartup.h"
#include "imaging/views/BrelvixView.h"
#include "imaging/views/BrelvixViewStartup.h"
#include "platform/backend/HeadlessBackend.h"
#include "platform/ui/Form.h"

namespace {

constexpr int32_t CardWidth = 6000, CardHeight = 4000;
constexpr int32_t ViewWidth = 1280, ViewHeight = 800;

// Noise with sharp-edged tiles, so neither filter meets flat areas only.
void FillCard(TQkBitmap& card, std::vector<uint8_t>& packed, int32_t stride)
{
    uint32_t noise = 12345;
    for (int32_t y = 0; y < CardHeight; ++y) {
        uint8_t* row = card.GetScanline(y);
        for (int32_t x = 0; x < CardWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const uint8_t tile = ((x / 300 + y / 300) % 2) ? 200 : 40;
            for (int32_t c = 0; c < 3; ++c)
                row[3 * x + c] = static_cast<uint8_t>(tile + ((noise >> (8 * c)) & 31));
        }
        std::copy(row, row + 3 * CardWidth, packed.begin() + std::ptrdiff_t(y) * stride);
    }
}

struct TPixmanPair {
    std::vector<uint8_t> SourceBits;
    std::vector<uint8_t> DestBits = std::vector<uint8_t>(size_t(ViewWidth * 3 + 1) / 4 * 4 * ViewHeight + 16);
    pixman_image_t* Source = nullptr;
    pixman_image_t* Dest = nullptr;
    int32_t SourceStride = (CardWidth * 3 + 3) / 4 * 4;

    TPixmanPair()
    {
        SourceBits.resize(size_t(SourceStride) * CardHeight);
        const int32_t destStride = (ViewWidth * 3 + 3) / 4 * 4;
        Dest = pixman_image_create_bits(PIXMAN_r8g8b8, ViewWidth, ViewHeight,
                                        reinterpret_cast<uint32_t*>(DestBits.data()), destStride);
    }
    ~TPixmanPair()
    {
        pixman_image_unref(Dest);
        if (Source)
            pixman_image_unref(Source);
    }
    void Bind()
    {
        Source = pixman_image_create_bits(PIXMAN_r8g8b8, CardWidth, CardHeight,
                                          reinterpret_cast<uint32_t*>(SourceBits.data()), SourceStride);
    }
    // The visible source rectangle from (sx, sy) scaled by zoom into the view.
    void Scale(double zoom, int32_t sx, int32_t sy, pixman_filter_t filter)
    {
        pixman_transform_t transform;
        pixman_transform_init_scale(&transform, pixman_double_to_fixed(100 / zoom), pixman_double_to_fixed(100 / zoom));
        pixman_transform_translate(nullptr, &transform, pixman_int_to_fixed(sx), pixman_int_to_fixed(sy));
        pixman_image_set_transform(Source, &transform);
        pixman_image_set_filter(Source, filter, nullptr, 0);
        const int32_t w = std::min(ViewWidth, int32_t(CardWidth * zoom / 100));
        const int32_t h = std::min(ViewHeight, int32_t(CardHeight * zoom / 100));
        pixman_image_composite32(PIXMAN_OP_SRC, Source, nullptr, Dest, 0, 0, 0, 0, 0, 0, w, h);
    }
    void Copy()
    {
        pixman_image_set_transform(Source, nullptr);
        pixman_image_set_filter(Source, PIXMAN_FILTER_NEAREST, nullptr, 0);
        pixman_image_composite32(PIXMAN_OP_SRC, Source, nullptr, Dest, 0, 0, 0, 0, 0, 0, ViewWidth, ViewHeight);
    }
};

void Row(const char* name, double ours, double peer, double goal)
{
    std::printf("%-34s %9.2f ms  %-8s %9.2f ms  ratio %5.2f (goal <= %.1f)\n", name, ours * 1000, "pixman", peer * 1000,
                ours / peer, goal);
}

} // namespace

int main()
{
    InstallBrelvixViewStartup();
    LibraryStaticInit();
    THeadlessDesktop desktop;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, ViewWidth, ViewHeight);
    auto* view = new TBrelvixView(form.get());
    view->SetBorderStyle(bsNone);
    view->SetScrollBars(ssNone);
    view->SetParent(form.get());
    view->SetBounds(0, 0, ViewWidth, ViewHeight);
    view->SetLegacyBitmap(false);
    TQkBitmap& card = *view->GetImageBitmap();
    card.SetLocation(qkMemory);
    card.Allocate(CardWidth, CardHeight, qk24RGB);
    TPixmanPair pixman;
    FillCard(card, pixman.SourceBits, pixman.SourceStride);
    pixman.Bind();
    view->Update();
    form->Show();
    desktop.Pump();
    const TRect whole = Rect(0, 0, ViewWidth, ViewHeight);
    auto rerender = [&] {
        view->BackBufferDirty = true;
        view->PaintToCanvas(whole);
    };

    const double fit = std::min(double(ViewWidth) / CardWidth, double(ViewHeight) / CardHeight) * 100;
    struct TZoomRow {
        const char* Name;
        double Zoom;
    };
    for (const TZoomRow& zoom : {TZoomRow{"fit", fit}, TZoomRow{"100 %", 100}, TZoomRow{"400 %", 400}}) {
        view->ChangeZoom(zoom.Zoom);
        view->SetViewXY(0, 0);
        desktop.Pump();
        const TQkViewGeometry& g = view->Geometry();
        for (const auto& [filter, pixmanFilter, label, goal] :
             {std::tuple{rfNone, PIXMAN_FILTER_NEAREST, "nearest", 1.5},
              std::tuple{rfFastLinear, PIXMAN_FILTER_BILINEAR, "filtered", 2.0}}) {
            view->ZoomFilter = filter;
            const double ours = SecondsPerCall(rerender);
            const double peer =
                SecondsPerCall([&] { pixman.Scale(zoom.Zoom, g.VisibleX(), g.VisibleY(), pixmanFilter); });
            const std::string name = std::string("re-render ") + zoom.Name + " " + label;
            Row(name.c_str(), ours, peer, goal);
        }
    }
    view->ZoomFilter = rfNone;
    view->ChangeZoom(100);
    desktop.Pump();
    Row("clean repaint (copy only)", SecondsPerCall([&] { view->PaintToCanvas(whole); }),
        SecondsPerCall([&] { pixman.Copy(); }), 1.2);

    auto layer = std::make_unique<TQkBitmap>(1000, 700, qk24RGB);
    layer->Fill(clRed);
    const int32_t index = view->AddLayer(std::move(layer));
    view->Layer(index).Left = 100;
    view->Layer(index).Top = 50;
    view->Update();
    const double unturned = SecondsPerCall(rerender);
    view->Layer(index).SetAngle(30);
    view->Update();
    rerender();
    const double turned = SecondsPerCall(rerender);
    std::printf("%-34s %9.2f ms  %-8s %9.2f ms  ratio %5.2f (goal <= 1.2)\n", "turned layer, second render",
                turned * 1000, "unturned", unturned * 1000, turned / unturned);
    form.reset();
    LibraryStaticFinal();
    return 0;
}
