#pragma once
// File-name masks of the file dialogs: "*" and "?" wildcards, compared
// without regard to case, and filter strings of the form
// "Name|*.ext;*.ext|Other|*.x".

#include <string>
#include <vector>

struct TFileFilter {
    std::string Name;
    std::vector<std::string> Masks;
};

// True when `name` matches `mask` ('*' any run, '?' one character).
bool MatchesMask(const std::string& name, const std::string& mask);
bool MatchesAnyMask(const std::string& name, const std::vector<std::string>& masks);

// The name and mask pairs of a filter string. A name without its mask
// part stands for every file; empty names and masks are dropped.
std::vector<TFileFilter> ParseFileFilter(const std::string& filter);
