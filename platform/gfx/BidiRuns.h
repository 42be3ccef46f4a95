#pragma once
// The Unicode bidirectional algorithm over one line, through FriBidi: the
// line split into runs of one embedding level, in visual order.

#include <cstddef>
#include <string>
#include <vector>

struct TBidiRun {
    size_t Start = 0;
    size_t Length = 0;
    bool RightToLeft = false;
};

// The paragraph's direction comes from its first strong character (left
// to right without one). Runs are listed left to right on the screen; a
// right-to-left run's characters are still in logical order.
std::vector<TBidiRun> VisualBidiRuns(const std::u32string& text);
