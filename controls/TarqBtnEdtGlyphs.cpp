// The button edit's built-in glyphs, drawn here: each resource is a 20 x 10
// strip of two cells, the glyph in black and its disabled look in grey, on
// an olive background that the buttons treat as transparent.

#include <array>
#include <memory>

#include "controls/TarqBtnEdt.h"
#include "platform/gfx/Resources.h"

namespace {

using TCellArt = std::array<const char*, 10>;

struct TKindArt {
    TButtonKind Kind;
    const char* Name;
    TCellArt Art;
};

const TKindArt KindArt[] = {
    {bkLookup,
     "TARQBTNEDT_LOOKUP",
     {"..........", "..........", "..........", "..........", "..........", "..........", "##.##.##..", "##.##.##..",
      "..........", ".........."}},
    {bkDropDown,
     "TARQBTNEDT_DROPDOWN",
     {"..........", "..........", "..........", ".#######..", "..#####...", "...###....", "....#.....", "..........",
      "..........", ".........."}},
    {bkCalendar,
     "TARQBTNEDT_CALENDAR",
     {"..........", "#########.", "#########.", "#.#.#.#.#.", "#########.", "#.#.#.#.#.", "#########.", "#.#.#.#.#.",
      "#########.", ".........."}},
    {bkAccept,
     "TARQBTNEDT_ACCEPT",
     {"..........", ".......#..", "......##..", "#....##...", "##..##....", ".####.....", "..##......", "..........",
      "..........", ".........."}},
    {bkReject,
     "TARQBTNEDT_REJECT",
     {"..........", ".#.....#..", "..#...#...", "...#.#....", "....#.....", "...#.#....", "..#...#...", ".#.....#..",
      "..........", ".........."}},
    {bkFolder,
     "TARQBTNEDT_FOLDER",
     {"..........", ".###......", "#...####..", "#.......#.", "#.#######.", "##......#.", "#......#..", "########..",
      "..........", ".........."}},
    {bkFind,
     "TARQBTNEDT_FIND",
     {"..###.....", ".#...#....", "#.....#...", "#.....#...", "#.....#...", ".#...#....", "..####....", "......##..",
      ".......##.", "........##"}},
    {bkSearch,
     "TARQBTNEDT_SEARCH",
     {"..........", "##....##..", "##....##..", "###..###..", "########..", "###..###..", "###..###..", "###..###..",
      "..........", ".........."}},
};

constexpr int32_t CellSize = 10;
constexpr TColor GlyphBackground = clOlive;
constexpr TColor GlyphInk = clBlack;
constexpr TColor DisabledInk = clGray;

std::unique_ptr<TBitmap> DrawGlyphStrip(const TCellArt& art)
{
    auto strip = std::make_unique<TBitmap>(2 * CellSize, CellSize);
    TCanvas& canvas = *strip->Canvas();
    canvas.FillSolidRect(Rect(0, 0, 2 * CellSize, CellSize), GlyphBackground);
    for (int32_t y = 0; y < CellSize; ++y)
        for (int32_t x = 0; x < CellSize; ++x)
            if (art[y][x] == '#') {
                canvas.SetPixel(x, y, GlyphInk);
                canvas.SetPixel(CellSize + x, y, DisabledInk);
            }
    strip->SetPixelFormat(pf8bit);
    return strip;
}

// Start-up of the unit: the resources can be loaded by name from then on.
const bool glyphResourcesRegistered = [] {
    for (const TKindArt& entry : KindArt)
        RegisterBitmapResource(entry.Name, [art = entry.Art] { return DrawGlyphStrip(art); });
    return true;
}();

const char* ResourceName(TButtonKind kind)
{
    for (const TKindArt& entry : KindArt)
        if (entry.Kind == kind)
            return entry.Name;
    return nullptr;
}

} // namespace

const TBitmap& GetButtonKindGlyph(TButtonKind kind)
{
    static std::array<std::unique_ptr<TBitmap>, bkSearch + 1> cache;
    static const TBitmap none;
    (void)glyphResourcesRegistered;
    const char* name = ResourceName(kind);
    if (!name)
        return none;
    std::unique_ptr<TBitmap>& slot = cache[kind];
    if (!slot)
        slot = LoadBitmapResource(name);
    return *slot;
}
