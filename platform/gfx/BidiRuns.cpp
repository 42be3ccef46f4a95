#include "platform/gfx/BidiRuns.h"

#include <fribidi.h>

#include <algorithm>
#include <limits>

namespace {

struct TLevelRun {
    TBidiRun Run;
    FriBidiLevel Level = 0;
};

} // namespace

std::vector<TBidiRun> VisualBidiRuns(const std::u32string& text)
{
    if (text.empty())
        return {};
    const auto length = static_cast<FriBidiStrIndex>(text.size());
    const auto* chars = reinterpret_cast<const FriBidiChar*>(text.data());
    std::vector<FriBidiCharType> types(text.size());
    std::vector<FriBidiBracketType> brackets(text.size());
    std::vector<FriBidiLevel> levels(text.size());
    fribidi_get_bidi_types(chars, length, types.data());
    fribidi_get_bracket_types(chars, length, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_ON;
    if (fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), length, &direction, levels.data()) == 0)
        return {{0, text.size(), false}};

    std::vector<TLevelRun> runs;
    for (size_t i = 0; i < text.size(); ++i) {
        if (runs.empty() || runs.back().Level != levels[i])
            runs.push_back({{i, 0, (levels[i] & 1) != 0}, levels[i]});
        ++runs.back().Run.Length;
    }
    // From the highest level down to the lowest odd one, every stretch of
    // runs at that level or above turns round.
    FriBidiLevel highest = 0, lowestOdd = std::numeric_limits<FriBidiLevel>::max();
    for (const TLevelRun& run : runs) {
        highest = std::max(highest, run.Level);
        if (run.Level & 1)
            lowestOdd = std::min(lowestOdd, run.Level);
    }
    for (FriBidiLevel level = highest; level >= lowestOdd && level > 0; --level)
        for (auto it = runs.begin(); it != runs.end();) {
            if (it->Level < level) {
                ++it;
                continue;
            }
            auto end = std::find_if(it, runs.end(), [level](const TLevelRun& r) { return r.Level < level; });
            std::reverse(it, end);
            it = end;
        }
    std::vector<TBidiRun> visual;
    for (const TLevelRun& run : runs)
        visual.push_back(run.Run);
    return visual;
}
