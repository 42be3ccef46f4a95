#include "imaging/core/QkContributors.h"

#include "imaging/core/QkPixels.h"

#include "platform/core/Types.h"

#include <algorithm>

namespace {

constexpr size_t WeightLanes = 8;

// The weights of one destination index, from the source index `first` on.
struct TSpanWeights {
    int32_t First;
    std::vector<int32_t> Values;
};

TSpanWeights SpanWeights(double centre, double scale, const TResampleKernel& kernel)
{
    const bool enlarging = scale >= 1;
    const double width = enlarging ? kernel.Support : kernel.Support / scale;
    const int32_t left = FloorInt(centre - width);
    const int32_t right = CeilInt(centre + width);
    TSpanWeights span{left, {}};
    span.Values.reserve(static_cast<size_t>(right) - left + 1);
    for (int32_t j = left; j <= right; ++j) {
        const double weight =
            enlarging ? kernel.Function(centre - j) * 256 : kernel.Function((centre - j) * scale) * 256 * scale;
        span.Values.push_back(static_cast<int32_t>(Round(weight)));
    }
    return span;
}

// Drops the zero weights at both ends of the span.
void TrimSpan(TSpanWeights& span)
{
    const auto isWeight = [](int32_t value) { return value != 0; };
    const auto last = std::find_if(span.Values.rbegin(), span.Values.rend(), isWeight).base();
    span.Values.erase(last, span.Values.end());
    const auto first = std::find_if(span.Values.begin(), span.Values.end(), isWeight);
    span.First += static_cast<int32_t>(first - span.Values.begin());
    span.Values.erase(span.Values.begin(), first);
}

} // namespace

int32_t MirrorSourceIndex(int32_t index, int32_t length)
{
    int64_t mirrored = index;
    if (mirrored < 0)
        mirrored = -mirrored;
    else if (mirrored >= length)
        mirrored = 2 * static_cast<int64_t>(length) - mirrored - 1;
    return static_cast<int32_t>(std::clamp<int64_t>(mirrored, 0, length - 1));
}

double ResampleScale(int32_t sourceLength, int32_t destinationLength)
{
    if (sourceLength == 1 || destinationLength == 1)
        return static_cast<double>(destinationLength) / sourceLength;
    return static_cast<double>(destinationLength - 1) / (sourceLength - 1);
}

TContributors BuildContributors(int32_t sourceLength, int32_t destinationLength, const TResampleKernel& kernel)
{
    TContributors lists;
    if (sourceLength <= 0 || destinationLength <= 0)
        return lists;
    const double scale = ResampleScale(sourceLength, destinationLength);
    lists.Items.resize(destinationLength);
    for (int32_t i = 0; i < destinationLength; ++i) {
        TSpanWeights span = SpanWeights(i / scale, scale, kernel);
        TrimSpan(span);
        // Reducing by more than about 1/512 rounds every weight to 0, which
        // would make the pixel black: the nearest source pixel stands in.
        if (span.Values.empty())
            span = {static_cast<int32_t>(Round(i / scale)), {1}};
        // Zero weights up to a whole number of vector lanes: the sums stay
        // the same and the multiply-add loops need no scalar tail.
        span.Values.resize((span.Values.size() + WeightLanes - 1) / WeightLanes * WeightLanes, 0);
        TContributor& item = lists.Items[i];
        item.First = span.First;
        item.Count = static_cast<int32_t>(span.Values.size());
        item.Offset = static_cast<int32_t>(lists.Weights.size());
        int32_t total = 0;
        for (const int32_t value : span.Values) {
            lists.Weights.push_back(static_cast<int16_t>(value));
            total += value;
        }
        item.Total = total == 0 ? 256 : total;
        if (item.Count > 0) {
            lists.PadBefore = std::max(lists.PadBefore, -item.First);
            lists.PadAfter = std::max(lists.PadAfter, item.First + item.Count - sourceLength);
        }
    }
    return lists;
}
