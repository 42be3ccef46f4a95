#pragma once
// Colour tables of palette bitmaps (1, 4 and 8 bits per pixel).

#include "platform/gfx/Colors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct TPaletteEntry {
    uint8_t peRed = 0;
    uint8_t peGreen = 0;
    uint8_t peBlue = 0;
    uint8_t peFlags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

class TPalette {
public:
    TPalette() = default;
    explicit TPalette(std::vector<TPaletteEntry> entries);

    size_t Count() const { return FEntries.size(); }
    const TPaletteEntry& Entry(size_t index) const { return FEntries.at(index); }
    void SetEntry(size_t index, const TPaletteEntry& entry) { FEntries.at(index) = entry; }
    const std::vector<TPaletteEntry>& Entries() const { return FEntries; }
    TColor EntryColor(size_t index) const;

    // The index of the entry closest to the colour (least squared RGB
    // distance; the lowest index wins a tie). 0 for an empty palette.
    uint32_t NearestIndex(TColor color) const;

    // Black and white.
    static TPalette Monochrome();
    // The sixteen colours of the classic 4-bit display.
    static TPalette Vga16();
    // The sixteen VGA colours, a 6x6x6 colour cube and 24 greys between them.
    static TPalette Default256();
    // Entry i is grey level i, so a pixel's index is its brightness.
    static TPalette Grey256();
    // The default palette for a bit depth of 1, 4 or 8.
    static TPalette ForBitCount(int bits);

    friend bool operator==(const TPalette&, const TPalette&) = default;

private:
    std::vector<TPaletteEntry> FEntries;
};
