#include "platform/gfx/FontLookup.h"

#include "platform/core/Strings.h"
#include "platform/gfx/Graphic.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

namespace {

std::mutex LookupLock;

struct TPatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using TPatternPtr = std::unique_ptr<FcPattern, TPatternDeleter>;

TFontFile MatchPattern(FcPattern* pattern, bool bold, bool italic)
{
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    TPatternPtr match(FcFontMatch(nullptr, pattern, &result));
    TFontFile file;
    FcChar8* path = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &path) != FcResultMatch)
        return file;
    file.Path = reinterpret_cast<const char*>(path);
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &file.Index);
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match.get(), FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match.get(), FC_SLANT, 0, &slant);
    file.SyntheticBold = bold && weight < FC_WEIGHT_DEMIBOLD;
    file.SyntheticItalic = italic && slant == FC_SLANT_ROMAN;
    return file;
}

} // namespace

std::string SubstituteFamily(const std::string& family)
{
    static const std::map<std::string, std::string> substitutes = {
        {"TAHOMA", "DejaVu Sans"},       {"MS SANS SERIF", "DejaVu Sans"},  {"MICROSOFT SANS SERIF", "DejaVu Sans"},
        {"MS SHELL DLG", "DejaVu Sans"}, {"MS SHELL DLG 2", "DejaVu Sans"}, {"VERDANA", "DejaVu Sans"},
        {"SYSTEM", "DejaVu Sans"},       {"ARIAL", "Liberation Sans"},      {"SIMSUN", "WenQuanYi Micro Hei"},
        {"宋体", "WenQuanYi Micro Hei"},
    };
    const auto it = substitutes.find(UpperCase(family));
    return it == substitutes.end() ? family : it->second;
}

bool LoadFontConfiguration()
{
    std::lock_guard<std::mutex> lock(LookupLock);
    return FcInit() == FcTrue;
}

TFontFile FindFontFile(const std::string& family, bool bold, bool italic, bool fixedPitch)
{
    static std::map<std::tuple<std::string, bool, bool, bool>, TFontFile> cache;
    std::lock_guard<std::mutex> lock(LookupLock);
    const auto key = std::make_tuple(family, bold, italic, fixedPitch);
    if (const auto it = cache.find(key); it != cache.end())
        return it->second;
    TPatternPtr pattern(FcPatternCreate());
    const std::string name = SubstituteFamily(family);
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    if (fixedPitch)
        FcPatternAddInteger(pattern.get(), FC_SPACING, FC_MONO);
    TFontFile file = MatchPattern(pattern.get(), bold, italic);
    if (file.Path.empty())
        throw EInvalidGraphic(Format("No font found for \"%s\"", family.c_str()));
    cache[key] = file;
    return file;
}

TFontFile FindFallbackFont(char32_t character)
{
    static std::map<char32_t, TFontFile> cache;
    std::lock_guard<std::mutex> lock(LookupLock);
    if (const auto it = cache.find(character); it != cache.end())
        return it->second;
    TPatternPtr pattern(FcPatternCreate());
    FcCharSet* charset = FcCharSetCreate();
    FcCharSetAddChar(charset, character);
    FcPatternAddCharSet(pattern.get(), FC_CHARSET, charset);
    FcCharSetDestroy(charset);
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    TFontFile file = MatchPattern(pattern.get(), false, false);
    cache[character] = file;
    return file;
}

std::vector<std::string> InstalledFontFamilies()
{
    std::lock_guard<std::mutex> lock(LookupLock);
    TPatternPtr pattern(FcPatternCreate());
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(FcObjectSetBuild(FC_FAMILY, nullptr),
                                                                        &FcObjectSetDestroy);
    std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> fonts(FcFontList(nullptr, pattern.get(), objects.get()),
                                                                  &FcFontSetDestroy);
    std::vector<std::string> families;
    for (int i = 0; fonts && i < fonts->nfont; ++i) {
        FcChar8* family = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &family) == FcResultMatch)
            families.emplace_back(reinterpret_cast<const char*>(family));
    }
    std::sort(families.begin(), families.end(),
              [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    families.erase(std::unique(families.begin(), families.end()), families.end());
    return families;
}
