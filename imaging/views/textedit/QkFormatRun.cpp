#include "imaging/views/textedit/QkFormatRun.h"

#include <algorithm>
#include <cstring>

#include "platform/core/Strings.h"
#include "platform/gfx/Brush.h"
#include "platform/gfx/Font.h"

namespace {

constexpr size_t NameOffset = 4;
constexpr size_t NameBytes = 255;
constexpr size_t HeightOffset = 260;
constexpr size_t StyleOffset = 264;
constexpr size_t FontColorOffset = 268;
constexpr size_t BackColorOffset = 272;
constexpr size_t BackStyleOffset = 276;
constexpr size_t AlignmentOffset = 277;
constexpr size_t TailFillerOffset = 278;

void Put32(TQkFormatRunRecord& record, size_t offset, uint32_t value)
{
    PutLittleEndian32(record.data() + offset, value);
}

uint32_t Get32(const uint8_t* record, size_t offset) { return GetLittleEndian32(record + offset); }

bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The longest prefix of at most `limit` bytes that ends on a code point.
size_t CodePointPrefix(const std::string& text, size_t limit)
{
    size_t length = std::min(text.size(), limit);
    while (length > 0 && length < text.size() && IsContinuation(static_cast<uint8_t>(text[length])))
        --length;
    return length;
}

// Malformed bytes decode to U+FFFD one byte at a time, so they do not
// survive the round trip.
bool ValidUtf8(const std::string& text) { return Utf32ToUtf8(Utf8ToUtf32(text)) == text; }

} // namespace

void PutLittleEndian32(uint8_t* bytes, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLittleEndian32(const uint8_t* bytes)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return value;
}

TQkFormatRunRecord SerializeFormatRun(const TQkFormatRun& run)
{
    TQkFormatRunRecord record{};
    Put32(record, 0, static_cast<uint32_t>(run.RefCount));
    const size_t nameLength = CodePointPrefix(run.FontName, NameBytes);
    record[NameOffset] = static_cast<uint8_t>(nameLength);
    std::memcpy(record.data() + NameOffset + 1, run.FontName.data(), nameLength);
    Put32(record, HeightOffset, static_cast<uint32_t>(run.FontHeight));
    record[StyleOffset] = run.FontStyle;
    std::copy(run.StyleFiller.begin(), run.StyleFiller.end(), record.begin() + StyleOffset + 1);
    Put32(record, FontColorOffset, run.FontColor);
    Put32(record, BackColorOffset, run.BackColor);
    record[BackStyleOffset] = run.BackStyle;
    record[AlignmentOffset] = run.Alignment;
    std::copy(run.TailFiller.begin(), run.TailFiller.end(), record.begin() + TailFillerOffset);
    return record;
}

std::optional<TQkFormatRun> DeserializeFormatRun(const uint8_t* record)
{
    const size_t nameLength = record[NameOffset];
    const uint8_t* name = record + NameOffset + 1;
    const std::string fontName(reinterpret_cast<const char*>(name), nameLength);
    if (!ValidUtf8(fontName) || std::any_of(name + nameLength, name + NameBytes, [](uint8_t b) { return b != 0; }))
        return std::nullopt;
    if (record[AlignmentOffset] > paJustify || record[BackStyleOffset] > bsDiagCross)
        return std::nullopt;
    TQkFormatRun run;
    run.RefCount = static_cast<int32_t>(Get32(record, 0));
    run.FontName = fontName;
    run.FontHeight = static_cast<int32_t>(Get32(record, HeightOffset));
    run.FontStyle = record[StyleOffset];
    std::copy(record + StyleOffset + 1, record + StyleOffset + 4, run.StyleFiller.begin());
    run.FontColor = Get32(record, FontColorOffset);
    run.BackColor = Get32(record, BackColorOffset);
    run.BackStyle = record[BackStyleOffset];
    run.Alignment = record[AlignmentOffset];
    std::copy(record + TailFillerOffset, record + FormatRunRecordSize, run.TailFiller.begin());
    return run;
}

bool SameFormat(const TQkFormatRun& a, const TQkFormatRun& b)
{
    const TQkFormatRunRecord left = SerializeFormatRun(a);
    const TQkFormatRunRecord right = SerializeFormatRun(b);
    return std::equal(left.begin() + NameOffset, left.end(), right.begin() + NameOffset);
}

void RunToFont(const TQkFormatRun& run, TFont& font)
{
    font.SetName(run.FontName);
    font.SetHeight(run.FontHeight);
    TFontStyles style;
    if (run.FontStyle & qkBold)
        style = style + TFontStyles{fsBold};
    if (run.FontStyle & qkItalic)
        style = style + TFontStyles{fsItalic};
    if (run.FontStyle & qkUnderline)
        style = style + TFontStyles{fsUnderline};
    if (run.FontStyle & qkStrikeOut)
        style = style + TFontStyles{fsStrikeOut};
    font.SetStyle(style);
    font.SetColor(run.FontColor);
}
