// The track bar's thumb pictures and cursors, drawn here and registered as
// named resources. Every thumb comes as a normal, "_HOT", "_DISABLED" and
// "_MASK" bitmap. The classic shapes are painted in the key colours that
// the track bar replaces by system and highlight colours when it loads
// them; the XP shapes carry their own colours. Outside the shape the
// pictures are black and the mask white, so that the mask (SRCAND) and the
// picture (SRCPAINT) leave the background there as it was.

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "controls/TarqTrkBar.h"
#include "platform/gfx/Resources.h"

namespace {

enum class TShape { Box, Mixer, PointerUp, PointerDown, Flat, RoundedBox };
// The part of the thumb a pixel belongs to.
enum TRole { Outside, Light, Face, Shadow, Outline };
// Colours of Light, Face, Shadow and Outline.
using TPalette4 = std::array<TColor, 4>;

struct TThumbDesign {
    const char* Name;
    TShape Shape;
    int32_t Width; // along a horizontal track
    int32_t Height;
    TPalette4 Normal;
    TPalette4 Hot;
    TPalette4 Disabled;
};

// Key colours ($BBGGRR) of the colour mapping.
constexpr TColor KeyFace = 0xC0C0C0, KeyShadow = 0x808080, KeyDarkShadow = 0x008080, KeyLight = 0x00FFFF,
                 KeyShadowLight = 0x00FF00, KeyHighlight = 0xFF0000, KeyHighlightDark = 0x800000,
                 KeyHighlightLight = 0xFFFF00, KeyHot1 = 0x0000FF, KeyHot2 = 0x000080, KeyHot3 = 0xFF00FF,
                 KeyShadowAlt = 0x808000, KeyShadowDark = 0x800080;

constexpr TPalette4 ClassicNormal{KeyLight, KeyFace, KeyShadow, KeyDarkShadow};
constexpr TPalette4 ClassicHot{KeyHot3, KeyHot1, KeyHot2, KeyDarkShadow};
constexpr TPalette4 ClassicDisabled{KeyLight, KeyFace, KeyShadowLight, KeyShadowAlt};
constexpr TPalette4 FlatNormal{KeyHighlightLight, KeyHighlight, KeyHighlight, KeyHighlightDark};
constexpr TPalette4 FlatHot{KeyHot3, KeyHot1, KeyHot1, KeyHot2};
constexpr TPalette4 FlatDisabled{KeyFace, KeyFace, KeyFace, KeyShadowDark};
constexpr TPalette4 XPNormal{0xFFFFFF, 0xF3F0EE, 0xD6CFC8, 0xA5511C};
constexpr TPalette4 XPHot{0xFFFFFF, 0xF3F0EE, 0x7AC8FF, 0x3C8CF0};
constexpr TPalette4 XPDisabled{0xFFFFFF, 0xF3F3F3, 0xE0E0E0, 0xB4B4B4};

const std::vector<TThumbDesign>& Designs()
{
    static const std::vector<TThumbDesign> designs{
        {"BOX", TShape::Box, 11, 20, ClassicNormal, ClassicHot, ClassicDisabled},
        {"MIXER", TShape::Mixer, 10, 20, ClassicNormal, ClassicHot, ClassicDisabled},
        {"PTR", TShape::PointerUp, 11, 19, ClassicNormal, ClassicHot, ClassicDisabled},
        {"WIN95", TShape::PointerDown, 11, 19, ClassicNormal, ClassicHot, ClassicDisabled},
        {"FLAT", TShape::Flat, 8, 16, FlatNormal, FlatHot, FlatDisabled},
        {"XPPTR", TShape::PointerUp, 11, 19, XPNormal, XPHot, XPDisabled},
        {"XPBOX", TShape::RoundedBox, 11, 20, XPNormal, XPHot, XPDisabled},
    };
    return designs;
}

bool Inside(const TThumbDesign& design, int32_t x, int32_t y)
{
    if (x < 0 || y < 0 || x >= design.Width || y >= design.Height)
        return false;
    const int32_t taper = design.Width / 2; // rows of the pointer's tip
    const int32_t centre = (design.Width - 1) / 2;
    switch (design.Shape) {
    case TShape::PointerUp: return y >= taper || std::abs(x - centre) <= y;
    case TShape::PointerDown: {
        const int32_t fromTip = design.Height - 1 - y;
        return fromTip >= taper || std::abs(x - centre) <= fromTip;
    }
    case TShape::RoundedBox: {
        const bool cornerColumn = x == 0 || x == design.Width - 1;
        const bool cornerRow = y == 0 || y == design.Height - 1;
        return !(cornerColumn && cornerRow);
    }
    default: return true;
    }
}

bool OnLowerEdge(const TThumbDesign& design, int32_t x, int32_t y)
{
    return Inside(design, x, y) && (!Inside(design, x + 1, y) || !Inside(design, x, y + 1));
}

// Light from the top left: upper edges light, lower edges outlined with a
// shadow inside them; a mixer knob has a groove across its middle.
TRole RoleAt(const TThumbDesign& design, int32_t x, int32_t y)
{
    if (!Inside(design, x, y))
        return Outside;
    const bool upperEdge = !Inside(design, x - 1, y) || !Inside(design, x, y - 1);
    if (design.Shape == TShape::Flat)
        return upperEdge || OnLowerEdge(design, x, y) ? Outline : Face;
    if (upperEdge)
        return Light;
    if (OnLowerEdge(design, x, y))
        return Outline;
    if (OnLowerEdge(design, x + 1, y) || OnLowerEdge(design, x, y + 1))
        return Shadow;
    if (design.Shape == TShape::Mixer && y == design.Height / 2 - 1)
        return Outline;
    if (design.Shape == TShape::Mixer && y == design.Height / 2)
        return Light;
    return Face;
}

// A vertical thumb is the horizontal one mirrored about its diagonal.
std::unique_ptr<TBitmap> PaintThumb(const TThumbDesign& design, bool vertical, const TPalette4* palette)
{
    const int32_t w = vertical ? design.Height : design.Width;
    const int32_t h = vertical ? design.Width : design.Height;
    auto bitmap = std::make_unique<TBitmap>(w, h);
    TCanvas* canvas = bitmap->Canvas();
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const TRole role = vertical ? RoleAt(design, y, x) : RoleAt(design, x, y);
            TColor colour;
            if (!palette)
                colour = role == Outside ? clWhite : clBlack;
            else
                colour = role == Outside ? clBlack : (*palette)[role - Light];
            canvas->SetPixel(x, y, colour);
        }
    return bitmap;
}

void RegisterThumb(const TThumbDesign& design, bool vertical)
{
    const std::string base = design.Shape == TShape::PointerDown
        ? std::string("TARQTRKBAR_") + design.Name
        : std::string("TARQTRKBAR_") + (vertical ? "V_" : "H_") + design.Name;
    const TThumbDesign* d = &design;
    RegisterBitmapResource(base, [d, vertical] { return PaintThumb(*d, vertical, &d->Normal); });
    RegisterBitmapResource(base + "_HOT", [d, vertical] { return PaintThumb(*d, vertical, &d->Hot); });
    RegisterBitmapResource(base + "_DISABLED", [d, vertical] { return PaintThumb(*d, vertical, &d->Disabled); });
    RegisterBitmapResource(base + "_MASK", [d, vertical] { return PaintThumb(*d, vertical, nullptr); });
}

// A white double arrow with a black outline along the track, hot spot in
// the middle.
TCursorImage PaintDoubleArrowCursor(bool vertical)
{
    constexpr int32_t size = 32;
    const std::vector<TPoint> along{{4, 16},  {10, 10}, {10, 13}, {22, 13}, {22, 10},
                                    {28, 16}, {22, 22}, {22, 19}, {10, 19}, {10, 22}};
    std::vector<TPoint> outline;
    for (const TPoint& p : along)
        outline.push_back(vertical ? TPoint{p.Y, p.X} : p);
    TBitmap picture(size, size);
    TCanvas* canvas = picture.Canvas();
    canvas->FillSolidRect(Rect(0, 0, size, size), clFuchsia);
    canvas->Brush()->SetColor(clWhite);
    canvas->Pen()->SetColor(clBlack);
    canvas->Polygon(outline);
    return CursorFromBitmap(picture, clFuchsia, {size / 2, size / 2});
}

} // namespace

void RegisterTarqTrackBarResources()
{
    static const bool registered = [] {
        for (const TThumbDesign& design : Designs()) {
            RegisterThumb(design, false);
            if (design.Shape != TShape::PointerDown) // vertical bars share the standard pointer
                RegisterThumb(design, true);
        }
        RegisterCursorResource("TARQTRKBAR_H_CURSOR", [] { return PaintDoubleArrowCursor(false); });
        RegisterCursorResource("TARQTRKBAR_V_CURSOR", [] { return PaintDoubleArrowCursor(true); });
        return true;
    }();
    (void)registered;
}

namespace {
// Registered at start-up, as the resources of a linked unit are.
const bool resourcesAtStartup = (RegisterTarqTrackBarResources(), true);
} // namespace
