#include <algorithm>
#include <array>
#include <memory>

#include "imaging/core/QkCanvas.h"
#include "imaging/core/QkPixels.h"
#include "platform/gfx/HatchPattern.h"

namespace {

bool gdiPlusSwitch = true;
bool gdiPlusLoaded = false;
bool gdiPlusLoadFails = false;
int32_t gdiPlusUseCount = 0;

void SetSourceColor(cairo_t* cr, TColor color, uint8_t opacity)
{
    const TRGBAPixel p = ColorToRGBAPixel(color, opacity);
    cairo_set_source_rgba(cr, p.r / 255.0, p.g / 255.0, p.b / 255.0, p.a / 255.0);
}

// Dash patterns in pen widths.
std::vector<double> DashPattern(TPenStyle style)
{
    switch (style) {
    case psDash: return {3, 1};
    case psDot: return {1, 1};
    case psDashDot: return {3, 1, 1, 1};
    case psDashDotDot: return {3, 1, 1, 1, 1, 1};
    default: return {};
    }
}

cairo_line_join_t CairoLineJoin(uint8_t join)
{
    switch (join) {
    case 0: return CAIRO_LINE_JOIN_MITER;
    case 1: return CAIRO_LINE_JOIN_BEVEL;
    default: return CAIRO_LINE_JOIN_ROUND;
    }
}

// Cairo's premultiplied ARGB.
uint32_t Premultiplied(TColor color, uint8_t opacity)
{
    const TRGBAPixel p = ColorToRGBAPixel(color, opacity);
    auto scaled = [&](uint8_t channel) { return static_cast<uint32_t>((channel * opacity + 127) / 255); };
    return (uint32_t{opacity} << 24) | (scaled(p.r) << 16) | (scaled(p.g) << 8) | scaled(p.b);
}

struct TSurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct TPatternDeleter {
    void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};

std::unique_ptr<cairo_surface_t, TSurfaceDeleter> HatchCell(TBrushStyle style, uint32_t fore, uint32_t back)
{
    std::unique_ptr<cairo_surface_t, TSurfaceDeleter> cell(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8));
    cairo_surface_flush(cell.get());
    uint8_t* data = cairo_image_surface_get_data(cell.get());
    const int stride = cairo_image_surface_get_stride(cell.get());
    const uint64_t hatch = HatchBits(style);
    for (int y = 0; y < 8; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + y * stride);
        for (int x = 0; x < 8; ++x)
            row[x] = HatchLineAt(hatch, x, y) ? fore : back;
    }
    cairo_surface_mark_dirty(cell.get());
    return cell;
}

} // namespace

void CanvasStaticInit()
{
    gdiPlusSwitch = true;
    gdiPlusLoaded = false;
    gdiPlusUseCount = 0;
}

void CanvasStaticFinal() {}

bool IsGdiPlusLoaded() { return gdiPlusLoaded; }

bool IsGdiPlusActive() { return gdiPlusSwitch && gdiPlusLoaded; }

void LoadGdiPlus()
{
    ++gdiPlusUseCount;
    if (gdiPlusSwitch && !gdiPlusLoaded)
        gdiPlusLoaded = !gdiPlusLoadFails;
}

void UnloadGdiPlus()
{
    // An unload without a matching load changes nothing.
    if (gdiPlusUseCount == 0)
        return;
    --gdiPlusUseCount;
    if (gdiPlusUseCount == 0)
        gdiPlusLoaded = false;
}

bool GdiPlusSwitch() { return gdiPlusSwitch; }

void SetGdiPlusSwitch(bool on) { gdiPlusSwitch = on; }

void SetGdiPlusLoadFails(bool fails) { gdiPlusLoadFails = fails; }

TQkPen::TQkPen(TPen& pen)
    : FPen(pen), FColor(pen.Color()), FWidth(static_cast<float>(pen.Width())), FStyle(pen.Style()), FMode(pen.Mode())
{}

void TQkPen::SetColor(TColor value)
{
    FColor = value;
    FPen.SetColor(value);
}

void TQkPen::SetWidth(float value)
{
    FWidth = value;
    FPen.SetWidth(static_cast<int32_t>(std::clamp(value, -1e9f, 1e9f)));
}

void TQkPen::SetStyle(TPenStyle value)
{
    FStyle = value;
    FPen.SetStyle(value);
}

void TQkPen::SetMode(TPenMode value)
{
    FMode = value;
    FPen.SetMode(value);
}

void TQkPen::ApplyTo(cairo_t* cr) const
{
    SetSourceColor(cr, FColor, FStyle == psClear ? 0 : FOpacity);
    const double width = std::clamp(static_cast<double>(FWidth), 0.0, 1e6);
    cairo_set_line_width(cr, width);
    std::vector<double> dashes = DashPattern(FStyle);
    for (double& dash : dashes)
        dash *= std::max(width, 1.0);
    cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), 0);
    cairo_set_line_join(cr, CairoLineJoin(FLineJoin));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

TQkBrush::TQkBrush(TBrush& brush) : FBrush(brush), FColor(brush.Color()), FStyle(brush.Style()) {}

void TQkBrush::SetColor(TColor value)
{
    FColor = value;
    FBrush.SetColor(value);
    FStyle = FBrush.Style();
}

void TQkBrush::SetStyle(TBrushStyle value)
{
    FStyle = value;
    FBrush.SetStyle(value);
}

void TQkBrush::ApplyTo(cairo_t* cr, double originX, double originY) const
{
    if (FStyle == bsSolid || FStyle == bsClear) {
        SetSourceColor(cr, FColor, FStyle == bsClear ? 0 : FOpacity);
        return;
    }
    const auto cell =
        HatchCell(FStyle, Premultiplied(FColor, FOpacity), Premultiplied(FHatchBackColor, FHatchBackOpacity));
    std::unique_ptr<cairo_pattern_t, TPatternDeleter> pattern(cairo_pattern_create_for_surface(cell.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(pattern.get(), CAIRO_FILTER_NEAREST);
    cairo_matrix_t matrix;
    cairo_matrix_init_translate(&matrix, originX, originY);
    cairo_pattern_set_matrix(pattern.get(), &matrix);
    cairo_set_source(cr, pattern.get());
}
