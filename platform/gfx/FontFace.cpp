#include "platform/gfx/FontFace.h"

#include "platform/core/Strings.h"
#include "platform/core/Types.h"
#include "platform/gfx/BidiRuns.h"
#include "platform/gfx/FontLookup.h"
#include "platform/gfx/Graphic.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The em size in pixels of a font whose height is 0.
constexpr int32_t DefaultEmPixels = 11;
// Larger fonts render at this size, which keeps glyph bitmaps bounded.
constexpr int32_t MaxEmPixels = 2048;
// Slant of synthetic italics (x shift per unit of height).
constexpr double SyntheticSlant = 0.2;

std::mutex LibraryLock;

FT_Library Library()
{
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        if (FT_Init_FreeType(&lib) != 0)
            throw EInvalidGraphic("Cannot initialise the font renderer");
        return lib;
    }();
    return library;
}

FT_Face OpenFace(const TFontFile& file)
{
    std::lock_guard<std::mutex> lock(LibraryLock);
    FT_Face face = nullptr;
    if (FT_New_Face(Library(), file.Path.c_str(), file.Index, &face) != 0)
        throw EInvalidGraphic(Format("Cannot open font file \"%s\"", file.Path.c_str()));
    return face;
}

void CloseFace(FT_Face face)
{
    std::lock_guard<std::mutex> lock(LibraryLock);
    FT_Done_Face(face);
}

int32_t Scale(long value, int32_t ppem, int upem)
{
    return static_cast<int32_t>(Round(static_cast<long double>(value) * ppem / upem));
}

FT_Fixed ToFixed(double v) { return static_cast<FT_Fixed>(std::lround(v * 65536.0)); }

} // namespace

bool NeedsShaping(const std::u32string& text)
{
    return std::any_of(text.begin(), text.end(), [](char32_t c) {
        return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF) ||
            c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    });
}

struct TFontFace::TFaceData {
    FT_Face Face = nullptr;
    std::map<char32_t, FT_Face> Fallbacks;
    std::vector<FT_Face> OwnedFallbacks;
    int32_t PixelsPerEm = 0;
    bool Antialiased = true;
    bool SyntheticBold = false;
    bool SyntheticItalic = false;
    FT_Pos BoldStrength = 0; // 26.6

    // HarfBuzz's view of each face file, made on first use.
    std::map<FT_Face, hb_font_t*> Shapers;

    ~TFaceData()
    {
        for (const auto& [face, shaper] : Shapers)
            hb_font_destroy(shaper);
        for (FT_Face f : OwnedFallbacks)
            CloseFace(f);
        if (Face)
            CloseFace(Face);
    }

    int32_t LoadFlags() const
    {
        return Antialiased ? (FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT) : (FT_LOAD_DEFAULT | FT_LOAD_TARGET_MONO);
    }

    // The face that has the character and its glyph index there.
    FT_Face FaceFor(char32_t c, FT_UInt& index)
    {
        index = FT_Get_Char_Index(Face, c);
        if (index != 0 || c < 0x20)
            return Face;
        auto it = Fallbacks.find(c);
        if (it == Fallbacks.end()) {
            FT_Face fallback = nullptr;
            const TFontFile file = FindFallbackFont(c);
            if (!file.Path.empty()) {
                fallback = OpenFace(file);
                FT_Set_Pixel_Sizes(fallback, 0, static_cast<FT_UInt>(PixelsPerEm));
                OwnedFallbacks.push_back(fallback);
                if (FT_Get_Char_Index(fallback, c) == 0)
                    fallback = nullptr;
            }
            it = Fallbacks.emplace(c, fallback).first;
        }
        if (!it->second)
            return Face;
        index = FT_Get_Char_Index(it->second, c);
        return it->second;
    }

    FT_GlyphSlot LoadIndex(FT_Face face, FT_UInt index)
    {
        if (FT_Load_Glyph(face, index, LoadFlags()) != 0 && FT_Load_Glyph(face, 0, LoadFlags()) != 0)
            return nullptr;
        return face->glyph;
    }

    FT_GlyphSlot Load(char32_t c)
    {
        FT_UInt index = 0;
        FT_Face face = FaceFor(c, index);
        return LoadIndex(face, index);
    }

    FT_Face FaceAt(uint32_t index) const
    {
        return index == 0 || index > OwnedFallbacks.size() ? Face : OwnedFallbacks[index - 1];
    }

    uint32_t IndexOf(FT_Face face) const
    {
        const auto it = std::find(OwnedFallbacks.begin(), OwnedFallbacks.end(), face);
        return it == OwnedFallbacks.end() ? 0 : static_cast<uint32_t>(it - OwnedFallbacks.begin() + 1);
    }

    hb_font_t* ShaperFor(FT_Face face)
    {
        hb_font_t*& shaper = Shapers[face];
        if (!shaper) {
            shaper = hb_ft_font_create_referenced(face);
            hb_ft_font_set_load_flags(shaper, LoadFlags());
        }
        return shaper;
    }
};

std::shared_ptr<TFontFace> TFontFace::Get(const TFont& font, bool antialiased)
{
    static std::mutex cacheLock;
    static std::map<std::string, std::shared_ptr<TFontFace>> cache;
    const std::string key = Format(
        "%s|%d|%d|%d|%d|%d|%d", UpperCase(font.Name()).c_str(), font.Height(), static_cast<int>(font.Style().Bits()),
        font.Orientation(), static_cast<int>(font.Pitch()), static_cast<int>(font.Charset()), antialiased ? 1 : 0);
    std::lock_guard<std::mutex> lock(cacheLock);
    std::shared_ptr<TFontFace>& slot = cache[key];
    if (!slot) {
        std::shared_ptr<TFontFace> face(new TFontFace());
        face->Realise(font, antialiased);
        slot = face;
    }
    return slot;
}

TFontFace::~TFontFace() = default;

void TFontFace::Realise(const TFont& font, bool antialiased)
{
    const bool bold = font.Style().Contains(fsBold), italic = font.Style().Contains(fsItalic);
    const TFontFile file = FindFontFile(font.Name(), bold, italic, font.Pitch() == fpFixed);
    FData = std::make_unique<TFaceData>();
    FData->Face = OpenFace(file);
    FData->Antialiased = antialiased;
    FData->SyntheticBold = file.SyntheticBold;
    FData->SyntheticItalic = file.SyntheticItalic;
    FT_Face face = FData->Face;

    const int upem = face->units_per_EM ? face->units_per_EM : 2048;
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    const auto* post = static_cast<const TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    const long winAscent = os2 ? os2->usWinAscent : face->ascender;
    const long winDescent = os2 ? os2->usWinDescent : -face->descender;
    const long cellUnits = std::max(1L, winAscent + winDescent);

    const int32_t height = font.Height();
    int32_t ppem = height < 0 ? -height : DefaultEmPixels;
    if (height > 0)
        ppem = static_cast<int32_t>(Round(static_cast<long double>(height) * upem / cellUnits));
    ppem = std::clamp(ppem, 1, MaxEmPixels);
    FData->PixelsPerEm = ppem;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ppem));
    FData->BoldStrength = FData->SyntheticBold ? std::max<FT_Pos>(64, ppem * 64 / 24) : 0;

    TTextMetric& m = FMetrics;
    m.tmAscent = Scale(winAscent, ppem, upem);
    m.tmDescent = height > 0 ? height - m.tmAscent : Scale(winDescent, ppem, upem);
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = std::max(0, m.tmHeight - ppem);
    if (hhea)
        m.tmExternalLeading =
            std::max(0, Scale(hhea->Ascender - hhea->Descender + hhea->Line_Gap - cellUnits, ppem, upem));
    m.tmAveCharWidth = os2 ? Scale(os2->xAvgCharWidth, ppem, upem) : ppem / 2;
    m.tmMaxCharWidth = Scale(face->bbox.xMax - face->bbox.xMin, ppem, upem);
    m.tmWeight = bold ? 700 : 400;
    m.tmItalic = italic ? 1 : 0;
    m.tmUnderlined = font.Style().Contains(fsUnderline) ? 1 : 0;
    m.tmStruckOut = font.Style().Contains(fsStrikeOut) ? 1 : 0;
    // As the classic metric has it, the "fixed pitch" bit marks a variable-pitch font.
    m.tmPitchAndFamily =
        static_cast<uint8_t>((FT_IS_SCALABLE(face) ? TMPF_VECTOR : 0) | (FT_IS_SFNT(face) ? TMPF_TRUETYPE : 0) |
                             (FT_IS_FIXED_WIDTH(face) ? 0 : TMPF_FIXED_PITCH));
    m.tmCharSet = font.Charset();

    if (post) {
        FUnderlineOffset = std::max(1, Scale(-post->underlinePosition, ppem, upem));
        FUnderlineThickness = std::max(1, Scale(post->underlineThickness, ppem, upem));
    }
    if (os2) {
        FStrikeOutOffset = -Scale(os2->yStrikeoutPosition, ppem, upem);
        FStrikeOutThickness = std::max(1, Scale(os2->yStrikeoutSize, ppem, upem));
    }
    FUnderline = m.tmUnderlined != 0;
    FStrikeOut = m.tmStruckOut != 0;
    FAngle = font.Orientation() / 10.0 * std::numbers::pi / 180.0;
}

int32_t TFontFace::Advance(char32_t character)
{
    std::lock_guard<std::mutex> lock(FLock);
    if (const auto it = FAdvances.find(character); it != FAdvances.end())
        return it->second;
    FT_GlyphSlot slot = FData->Load(character);
    const int32_t advance = slot ? static_cast<int32_t>((slot->advance.x + FData->BoldStrength + 32) >> 6) : 0;
    FAdvances[character] = advance;
    return advance;
}

std::shared_ptr<const TRenderedGlyph> TFontFace::Render(char32_t character)
{
    std::lock_guard<std::mutex> lock(FLock);
    std::shared_ptr<const TRenderedGlyph>& cached = FGlyphs[character];
    if (!cached)
        cached = std::make_shared<const TRenderedGlyph>(RenderGlyph(character));
    return cached;
}

TShapedText TFontFace::Shape(const std::u32string& text)
{
    std::lock_guard<std::mutex> lock(FLock);
    std::unique_ptr<hb_buffer_t, decltype(&hb_buffer_destroy)> buffer(hb_buffer_create(), &hb_buffer_destroy);
    TShapedText shaped;
    hb_position_t pen = 0; // 26.6
    for (const TBidiRun& run : VisualBidiRuns(text)) {
        // The run's face is the one that has its first letter.
        const auto letter =
            std::find_if(text.begin() + run.Start, text.begin() + run.Start + run.Length,
                         [](char32_t c) { return c >= 0x80 || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'); });
        FT_UInt unused = 0;
        FT_Face face =
            FData->FaceFor(letter == text.begin() + run.Start + run.Length ? text[run.Start] : *letter, unused);
        hb_buffer_clear_contents(buffer.get());
        hb_buffer_add_utf32(buffer.get(), reinterpret_cast<const uint32_t*>(text.data()), static_cast<int>(text.size()),
                            static_cast<unsigned>(run.Start), static_cast<int>(run.Length));
        hb_buffer_set_direction(buffer.get(), run.RightToLeft ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
        hb_buffer_guess_segment_properties(buffer.get());
        hb_shape(FData->ShaperFor(face), buffer.get(), nullptr, 0);
        unsigned count = 0;
        const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
        const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer.get(), &count);
        for (unsigned i = 0; i < count; ++i) {
            shaped.Glyphs.push_back({FData->IndexOf(face), infos[i].codepoint, infos[i].cluster,
                                     (pen + positions[i].x_offset) / 64.0, -positions[i].y_offset / 64.0});
            pen += positions[i].x_advance + static_cast<hb_position_t>(FData->BoldStrength);
        }
    }
    shaped.Width = static_cast<int32_t>((pen + 32) >> 6);
    return shaped;
}

TRenderedGlyph TFontFace::RenderGlyph(char32_t character) { return RenderSlot(FData->Load(character)); }

std::shared_ptr<const TRenderedGlyph> TFontFace::Render(const TShapedGlyph& glyph)
{
    std::lock_guard<std::mutex> lock(FLock);
    std::shared_ptr<const TRenderedGlyph>& cached = FShapedGlyphs[{glyph.FaceIndex, glyph.Glyph}];
    if (!cached)
        cached = std::make_shared<const TRenderedGlyph>(
            RenderSlot(FData->LoadIndex(FData->FaceAt(glyph.FaceIndex), glyph.Glyph)));
    return cached;
}

TRenderedGlyph TFontFace::RenderSlot(FT_GlyphSlot slot)
{
    TRenderedGlyph glyph;
    if (!slot || slot->format != FT_GLYPH_FORMAT_OUTLINE)
        return glyph;
    if (FData->BoldStrength)
        FT_Outline_Embolden(&slot->outline, FData->BoldStrength);
    if (FData->SyntheticItalic) {
        FT_Matrix shear{0x10000, ToFixed(SyntheticSlant), 0, 0x10000};
        FT_Outline_Transform(&slot->outline, &shear);
    }
    if (FAngle != 0) {
        const double c = std::cos(FAngle), s = std::sin(FAngle);
        FT_Matrix rotation{ToFixed(c), ToFixed(-s), ToFixed(s), ToFixed(c)};
        FT_Outline_Transform(&slot->outline, &rotation);
    }
    if (FT_Render_Glyph(slot, FData->Antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO) != 0)
        return glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    glyph.Left = slot->bitmap_left;
    glyph.Top = -slot->bitmap_top;
    glyph.Width = static_cast<int32_t>(bitmap.width);
    glyph.Rows = static_cast<int32_t>(bitmap.rows);
    glyph.Coverage.resize(static_cast<size_t>(glyph.Width) * static_cast<size_t>(glyph.Rows));
    for (int32_t y = 0; y < glyph.Rows; ++y) {
        const uint8_t* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
        uint8_t* out = glyph.Coverage.data() + static_cast<size_t>(y) * glyph.Width;
        for (int32_t x = 0; x < glyph.Width; ++x)
            out[x] = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0) : row[x];
    }
    return glyph;
}
