#include "platform/ui/FileMasks.h"

#include "platform/core/Strings.h"

namespace {

bool Matches(const std::u32string& name, size_t n, const std::u32string& mask, size_t m)
{
    // Greedy matching with one back-tracking point for the last '*'.
    size_t starMask = std::u32string::npos;
    size_t starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == U'?' || mask[m] == name[n])) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == U'*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::u32string::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == U'*')
        ++m;
    return m == mask.size();
}

std::vector<std::string> SplitMasks(const std::string& masks)
{
    std::vector<std::string> result;
    size_t start = 0;
    while (start <= masks.size()) {
        size_t end = masks.find(';', start);
        if (end == std::string::npos)
            end = masks.size();
        std::string mask = Trim(masks.substr(start, end - start));
        if (!mask.empty())
            result.push_back(mask);
        start = end + 1;
    }
    return result;
}

} // namespace

bool MatchesMask(const std::string& name, const std::string& mask)
{
    // "*.*" stands for every file, with or without an extension.
    if (mask == "*.*")
        return true;
    return Matches(Utf8ToUtf32(AnsiUpperCase(name)), 0, Utf8ToUtf32(AnsiUpperCase(mask)), 0);
}

bool MatchesAnyMask(const std::string& name, const std::vector<std::string>& masks)
{
    for (const std::string& mask : masks)
        if (MatchesMask(name, mask))
            return true;
    return false;
}

std::vector<TFileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        size_t end = filter.find('|', start);
        if (end == std::string::npos)
            end = filter.size();
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<TFileFilter> result;
    for (size_t i = 0; i < parts.size(); i += 2) {
        std::string name = Trim(parts[i]);
        std::vector<std::string> masks =
            i + 1 < parts.size() ? SplitMasks(parts[i + 1]) : std::vector<std::string>{"*"};
        if (!name.empty() && !masks.empty())
            result.push_back({name, masks});
    }
    return result;
}
