#pragma once
// The format of a run of characters in the text editing control, and its
// fixed 280-byte record (the clipboard block's per-character record).

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/gfx/Colors.h"

class TFont;

// Paragraph alignments of a run.
enum TQkParagraphAlignment : uint8_t { paLeft, paRight, paCenter, paJustify };

// Font style bits of a run.
constexpr uint8_t qkBold = 1;
constexpr uint8_t qkItalic = 2;
constexpr uint8_t qkUnderline = 4;
constexpr uint8_t qkStrikeOut = 8;

struct TQkFormatRun {
    int32_t RefCount = 0;
    std::string FontName; // UTF-8, at most 255 bytes once serialized
    int32_t FontHeight = 0;
    uint8_t FontStyle = 0;
    std::array<uint8_t, 3> StyleFiller{};
    TColor FontColor = 0;
    TColor BackColor = 0;
    uint8_t BackStyle = 0; // a TBrushStyle
    uint8_t Alignment = paLeft;
    std::array<uint8_t, 2> TailFiller{};
};

constexpr size_t FormatRunRecordSize = 280;
using TQkFormatRunRecord = std::array<uint8_t, FormatRunRecordSize>;

// Little-endian; the font name as a length byte and at most 255 bytes, cut
// at a code-point boundary, the rest of the name field zero.
TQkFormatRunRecord SerializeFormatRun(const TQkFormatRun& run);
// Nothing for a record a run could not have written: a name that is not
// valid UTF-8 or has bytes after its length, an alignment above 3, a back
// style that is no brush style.
std::optional<TQkFormatRun> DeserializeFormatRun(const uint8_t* record);

// The little-endian 32-bit fields of the record and of the clipboard block.
void PutLittleEndian32(uint8_t* bytes, uint32_t value);
uint32_t GetLittleEndian32(const uint8_t* bytes);

// Runs are the same format when their records agree from the font name on,
// fillers included; the reference count does not count.
bool SameFormat(const TQkFormatRun& a, const TQkFormatRun& b);

// The run's font: name, height, styles and colour.
void RunToFont(const TQkFormatRun& run, TFont& font);
