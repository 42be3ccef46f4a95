#include "platform/ui/DialogIcons.h"

#include <algorithm>
#include <array>
#include <memory>
#include <numbers>
#include <utility>

#include "platform/core/Files.h"
#include "platform/core/Strings.h"
#include "platform/gfx/CairoScratch.h"

namespace {

struct TRgb {
    double R, G, B;
};

void SetSource(cairo_t* cr, TRgb c) { cairo_set_source_rgb(cr, c.R, c.G, c.B); }

// A shape filled with `fill` and outlined one pixel wide in `rim`.
void FillAndOutline(cairo_t* cr, TRgb fill, TRgb rim)
{
    SetSource(cr, fill);
    cairo_fill_preserve(cr);
    SetSource(cr, rim);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void Disc(cairo_t* cr, TRgb fill, TRgb rim)
{
    cairo_arc(cr, 16, 16, 15, 0, 2 * std::numbers::pi);
    FillAndOutline(cr, fill, rim);
}

void Line(cairo_t* cr, double x0, double y0, double x1, double y1, double width)
{
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

void Dot(cairo_t* cr, double x, double y, double radius)
{
    cairo_arc(cr, x, y, radius, 0, 2 * std::numbers::pi);
    cairo_fill(cr);
}

constexpr TRgb White{1, 1, 1};
constexpr TRgb Ink{0.1, 0.1, 0.1};
constexpr TRgb Blue{0.16, 0.38, 0.82};
constexpr TRgb DarkBlue{0.08, 0.22, 0.55};

void PaintMessageIcon(cairo_t* cr, TMsgDlgType type)
{
    switch (type) {
    case mtError:
        Disc(cr, {0.86, 0.17, 0.14}, {0.55, 0.07, 0.05});
        SetSource(cr, White);
        Line(cr, 10.5, 10.5, 21.5, 21.5, 3.5);
        Line(cr, 21.5, 10.5, 10.5, 21.5, 3.5);
        break;
    case mtWarning:
        cairo_move_to(cr, 16, 2.5);
        cairo_line_to(cr, 30.5, 28.5);
        cairo_line_to(cr, 1.5, 28.5);
        cairo_close_path(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        FillAndOutline(cr, {0.98, 0.82, 0.16}, {0.45, 0.33, 0.0});
        SetSource(cr, Ink);
        Line(cr, 16, 11, 16, 19.5, 3.5);
        Dot(cr, 16, 24.5, 2);
        break;
    case mtInformation:
        Disc(cr, Blue, DarkBlue);
        SetSource(cr, White);
        Dot(cr, 16, 9, 2.25);
        Line(cr, 16, 14.5, 16, 24, 3.5);
        break;
    case mtConfirmation:
        Disc(cr, Blue, DarkBlue);
        SetSource(cr, White);
        cairo_set_line_width(cr, 3.25);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_arc(cr, 16, 12.5, 4.5, std::numbers::pi, 2.4 * std::numbers::pi);
        cairo_line_to(cr, 16, 19);
        cairo_stroke(cr);
        Dot(cr, 16, 24, 2);
        break;
    case mtCustom: break;
    }
}

void PaintFileIcon(cairo_t* cr, TFileIcon icon)
{
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    if (icon == fiFolder) {
        // A tab at the top left, then the body.
        cairo_move_to(cr, 1.5, 3.5);
        cairo_line_to(cr, 6.5, 3.5);
        cairo_line_to(cr, 8, 5.5);
        cairo_line_to(cr, 14.5, 5.5);
        cairo_line_to(cr, 14.5, 13.5);
        cairo_line_to(cr, 1.5, 13.5);
        cairo_close_path(cr);
        FillAndOutline(cr, {0.96, 0.78, 0.33}, {0.62, 0.45, 0.1});
        return;
    }
    // A sheet with its top right corner folded.
    cairo_move_to(cr, 3.5, 1.5);
    cairo_line_to(cr, 10, 1.5);
    cairo_line_to(cr, 13.5, 5);
    cairo_line_to(cr, 13.5, 14.5);
    cairo_line_to(cr, 3.5, 14.5);
    cairo_close_path(cr);
    FillAndOutline(cr, White, {0.4, 0.4, 0.4});
    cairo_move_to(cr, 10, 1.5);
    cairo_line_to(cr, 10, 5);
    cairo_line_to(cr, 13.5, 5);
    cairo_stroke(cr);
    if (icon == fiVideo) {
        // A play sign on the sheet.
        cairo_move_to(cr, 6.5, 7);
        cairo_line_to(cr, 11.5, 10);
        cairo_line_to(cr, 6.5, 13);
        cairo_close_path(cr);
        SetSource(cr, Blue);
        cairo_fill(cr);
    }
}

// A transparent 32-bit bitmap with `paint` drawn on it, alpha premultiplied.
template <class F>
std::unique_ptr<TBitmap> PaintIcon(int32_t size, F paint)
{
    auto bitmap = std::make_unique<TBitmap>(size, size, pf32bit);
    for (int32_t y = 0; y < size; ++y)
        std::fill_n(reinterpret_cast<uint32_t*>(bitmap->ScanLine(y)), size, 0u);
    TCairoScratch scratch(*bitmap, Rect(0, 0, size, size), saPremultiplied);
    paint(scratch.Context());
    scratch.Commit();
    return bitmap;
}

// Image lists take straight alpha.
void Unpremultiply(TBitmap& bitmap)
{
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(bitmap.ScanLine(y));
        for (int32_t x = 0; x < bitmap.Width(); ++x) {
            const uint32_t alpha = row[x] >> 24;
            if (alpha == 0 || alpha == 255)
                continue;
            uint32_t pixel = alpha << 24;
            for (int shift = 0; shift < 24; shift += 8) {
                const uint32_t channel = (row[x] >> shift) & 0xFF;
                pixel |= std::min<uint32_t>(255, (channel * 255 + alpha / 2) / alpha) << shift;
            }
            row[x] = pixel;
        }
    }
}

// The icons are drawn on a 32-pixel grid, scaled to the size asked.
void DrawMessageIconAt(TCanvas& canvas, int32_t x, int32_t y, TMsgDlgType type, int32_t size)
{
    if (type == mtCustom)
        return;
    auto icon = PaintIcon(size, [type, size](cairo_t* cr) {
        const double scale = double(size) / MessageIconSize;
        cairo_scale(cr, scale, scale);
        PaintMessageIcon(cr, type);
    });
    canvas.AlphaBlend(x, y, size, size, icon->Canvas(), 0, 0, size, size, TBlendFunction{255, true});
}

} // namespace

void DrawMessageIcon(TCanvas& canvas, int32_t x, int32_t y, TMsgDlgType type)
{
    DrawMessageIconAt(canvas, x, y, type, MessageIconSize);
}

bool DrawSystemIcon(TCanvas& canvas, int32_t x, int32_t y, int32_t iconId, int32_t size)
{
    const std::pair<int32_t, TMsgDlgType> stock[] = {{IDI_HAND, mtError},
                                                     {IDI_QUESTION, mtConfirmation},
                                                     {IDI_EXCLAMATION, mtWarning},
                                                     {IDI_ASTERISK, mtInformation}};
    for (const auto& [id, type] : stock)
        if (id == iconId && size > 0) {
            DrawMessageIconAt(canvas, x, y, type, size);
            return true;
        }
    return false;
}

void AddFileIcons(TCustomImageList& images)
{
    for (TFileIcon icon : {fiFolder, fiFile, fiVideo}) {
        auto bitmap = PaintIcon(16, [icon](cairo_t* cr) { PaintFileIcon(cr, icon); });
        Unpremultiply(*bitmap);
        images.Add(bitmap.get(), nullptr);
    }
}

TFileIcon FileIconFor(const std::string& fileName)
{
    static const std::array<const char*, 14> videoExtensions = {".3gp", ".avi", ".flv",  ".m2ts", ".m4v",
                                                                ".mkv", ".mov", ".mp4",  ".mpeg", ".mpg",
                                                                ".ogv", ".ts",  ".webm", ".wmv"};
    const std::string extension = ExtractFileExt(fileName);
    for (const char* video : videoExtensions)
        if (SameText(extension, video))
            return fiVideo;
    return fiFile;
}
