#include "platform/gfx/Palette.h"

#include <limits>

namespace {

TPaletteEntry EntryOf(TColor c) { return {GetRValue(c), GetGValue(c), GetBValue(c), 0}; }

const TColor Vga16Colors[16] = {clBlack,  clMaroon, clGreen, clOlive,  clNavy, clPurple,  clTeal, clGray,
                                clSilver, clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};

} // namespace

TPalette::TPalette(std::vector<TPaletteEntry> entries) : FEntries(std::move(entries)) {}

TColor TPalette::EntryColor(size_t index) const
{
    const TPaletteEntry& e = FEntries.at(index);
    return RGB(e.peRed, e.peGreen, e.peBlue);
}

uint32_t TPalette::NearestIndex(TColor color) const
{
    const TColor rgb = ColorToPixelRGB(color);
    const int r = GetRValue(rgb), g = GetGValue(rgb), b = GetBValue(rgb);
    uint32_t best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (size_t i = 0; i < FEntries.size(); ++i) {
        const TPaletteEntry& e = FEntries[i];
        const int dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<uint32_t>(i);
            if (distance == 0)
                break;
        }
    }
    return best;
}

TPalette TPalette::Monochrome() { return TPalette({EntryOf(clBlack), EntryOf(clWhite)}); }

TPalette TPalette::Vga16()
{
    std::vector<TPaletteEntry> entries;
    for (TColor c : Vga16Colors)
        entries.push_back(EntryOf(c));
    return TPalette(std::move(entries));
}

TPalette TPalette::Default256()
{
    std::vector<TPaletteEntry> entries = Vga16().Entries();
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back(EntryOf(
                    RGB(static_cast<uint8_t>(r * 51), static_cast<uint8_t>(g * 51), static_cast<uint8_t>(b * 51))));
    for (int i = 1; i <= 24; ++i) {
        const auto level = static_cast<uint8_t>(i * 255 / 25);
        entries.push_back(EntryOf(RGB(level, level, level)));
    }
    return TPalette(std::move(entries));
}

TPalette TPalette::Grey256()
{
    std::vector<TPaletteEntry> entries;
    for (int i = 0; i < 256; ++i)
        entries.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0});
    return TPalette(std::move(entries));
}

TPalette TPalette::ForBitCount(int bits)
{
    switch (bits) {
    case 1: return Monochrome();
    case 4: return Vga16();
    case 8: return Default256();
    default: return TPalette();
    }
}
