#pragma once
// A font realised at its pixel size through FreeType: metrics, advances and
// rendered glyphs (aliased or 256-level coverage), rotated by the font's
// orientation. Faces are shared and cached by their attributes; a face may
// be used from several threads.

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// One rendered glyph: coverage rows (0 = none, 255 = full) placed relative
// to the pen position on the baseline, y growing downward.
struct TRenderedGlyph {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Rows = 0;
    std::vector<uint8_t> Coverage;
};

// One glyph of shaped text, in visual order: a glyph of one of the face's
// font files (0 the face's own, others its fallbacks) and where its origin
// goes, in pixels from the run's start along the baseline and down from it.
struct TShapedGlyph {
    uint32_t FaceIndex = 0;
    uint32_t Glyph = 0;
    // The index of the first character the glyph shows.
    uint32_t Cluster = 0;
    double Along = 0;
    double Down = 0;
};

struct TShapedText {
    std::vector<TShapedGlyph> Glyphs;
    int32_t Width = 0;
};

// Text in scripts whose letters join or that run right to left (Arabic,
// Persian, Hebrew, Syriac, Thaana), which goes through the bidirectional
// algorithm and shaping; every other text is drawn character by character.
bool NeedsShaping(const std::u32string& text);

class TFontFace {
public:
    // The face for the font's attributes, realised once per process.
    static std::shared_ptr<TFontFace> Get(const TFont& font, bool antialiased);
    ~TFontFace();

    const TTextMetric& Metrics() const { return FMetrics; }
    // Integer advance of a character along the baseline, in pixels.
    int32_t Advance(char32_t character);
    // The glyph rotated by the orientation; the pen position is the origin.
    // Rendered once and kept.
    std::shared_ptr<const TRenderedGlyph> Render(char32_t character);
    // The text put into visual order by the bidirectional algorithm (the
    // paragraph's direction taken from its first strong character) and
    // shaped run by run, each run with the face file that has its first
    // letter.
    TShapedText Shape(const std::u32string& text);
    std::shared_ptr<const TRenderedGlyph> Render(const TShapedGlyph& glyph);
    // Baseline direction in radians, counter-clockwise.
    double Angle() const { return FAngle; }
    // Offsets below the baseline (positive down) and thicknesses in pixels.
    int32_t UnderlineOffset() const { return FUnderlineOffset; }
    int32_t UnderlineThickness() const { return FUnderlineThickness; }
    int32_t StrikeOutOffset() const { return FStrikeOutOffset; }
    int32_t StrikeOutThickness() const { return FStrikeOutThickness; }
    bool Underline() const { return FUnderline; }
    bool StrikeOut() const { return FStrikeOut; }

    struct TFaceData;

private:
    TFontFace() = default;
    void Realise(const TFont& font, bool antialiased);
    TRenderedGlyph RenderGlyph(char32_t character);
    // The outline in the slot (nothing when null) rendered as this face draws.
    TRenderedGlyph RenderSlot(struct FT_GlyphSlotRec_* slot);

    std::unique_ptr<TFaceData> FData;
    std::mutex FLock;
    TTextMetric FMetrics;
    double FAngle = 0;
    int32_t FUnderlineOffset = 1;
    int32_t FUnderlineThickness = 1;
    int32_t FStrikeOutOffset = -3;
    int32_t FStrikeOutThickness = 1;
    bool FUnderline = false;
    bool FStrikeOut = false;
    std::map<char32_t, int32_t> FAdvances;
    std::map<char32_t, std::shared_ptr<const TRenderedGlyph>> FGlyphs;
    std::map<std::pair<uint32_t, uint32_t>, std::shared_ptr<const TRenderedGlyph>> FShapedGlyphs;
};
