#include "imaging/views/transitions/QkBlockStretch.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "imaging/views/transitions/QkDirectPixels.h"

namespace {

// Source offsets [First, Last) that one destination offset averages, the
// same boxes as the canvas's halftone shrink.
struct TBox {
    int32_t First, Last;
    int32_t Size() const { return Last - First; }
};

std::vector<TBox> BoxesOf(int32_t count, int32_t sourceCount)
{
    std::vector<TBox> boxes(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        const auto first = static_cast<int32_t>(int64_t{i} * sourceCount / count);
        const auto last = static_cast<int32_t>(int64_t{i + 1} * sourceCount / count);
        boxes[static_cast<size_t>(i)] = {first, std::max(first + 1, last)};
    }
    return boxes;
}

// The boxes of one axis take two sizes at most (the quotient of the two
// counts rounded down and up, and 1 where the axis grows): Small and Small
// + 1, or Small alone.
struct TBoxSizes {
    int32_t Small = 0;
    bool Mixed = false;
};

TBoxSizes SizesOf(const std::vector<TBox>& boxes)
{
    const auto [low, high] = std::minmax_element(boxes.begin(), boxes.end(),
                                                 [](const TBox& a, const TBox& b) { return a.Size() < b.Size(); });
    return {low->Size(), high->Size() > low->Size()};
}

// (x + n / 2) div n for the 16-bit lanes of box sums x ≤ 255n, exactly, as
// ((x + n / 2) << pre) multiplied by m, high half, >> post. The rounded-up
// reciprocal m = 2^k div n + 1 exceeds 1/n by e/(n·2^k) with e = m·n - 2^k,
// so (x·m) >> k is x div n while x·e < 2^k. One k serves all box areas of a
// block, so that two pixels of different areas share a register; none fits
// 16 bits beyond areas of about a hundred pixels.
struct TLaneDivision {
    int Pre = 0, Post = 0;
    uint16_t Multiplier[2][2] = {}; // [taller][wider]
};

std::optional<TLaneDivision> LaneDivisionOf(const uint32_t (&areas)[2][2])
{
    for (int k = 0; k < 32; ++k) {
        const uint64_t power = uint64_t{1} << k;
        TLaneDivision division{std::max(16 - k, 0), std::max(k - 16, 0)};
        bool exact = true;
        for (int taller = 0; taller < 2; ++taller)
            for (int wider = 0; wider < 2; ++wider) {
                const uint64_t n = areas[taller][wider], m = power / n + 1, largest = 255 * n + n / 2;
                if (m > 0xFFFF)
                    return std::nullopt;
                exact = exact && largest * (m * n - power) < power && (largest << division.Pre) <= 0xFFFF;
                division.Multiplier[taller][wider] = static_cast<uint16_t>(m);
            }
        if (exact)
            return division;
    }
    return std::nullopt;
}

// What two neighbouring destination pixels of one row need, by whether the
// first (bit 0) and the second (bit 1) have the wider box: in lanes 0 to 3
// the first's, in lanes 4 to 7 the second's.
struct TPairLanes {
    __m128i Half, Multiplier, Extra;
};

// Two neighbouring visible columns: where their boxes start in the row's
// sums and which pair lanes they take. The last column of an odd count
// pairs with itself.
struct TColumnPair {
    uint32_t First, Second, Lanes;
};

// The visible columns' boxes, the rows' boxes and, when every box area has
// a lane division, the column pairs with their lanes, indexed [taller][wider
// pair].
struct TShrinkPlan {
    std::vector<TBox> Columns, Rows;
    TBoxSizes ColumnSizes, RowSizes;
    bool InLanes = false;
    std::vector<TColumnPair> Pairs;
    __m128i Pre{}, Post{};
    TPairLanes Lanes[2][4] = {};
};

__m128i PairOf(uint16_t first, uint16_t second)
{
    const auto a = static_cast<int16_t>(first), b = static_cast<int16_t>(second);
    return _mm_setr_epi16(a, a, a, a, b, b, b, b);
}

void PlanLanes(TShrinkPlan& plan, const uint32_t (&areas)[2][2], const TLaneDivision& division)
{
    plan.InLanes = true;
    plan.Pre = _mm_cvtsi32_si128(division.Pre);
    plan.Post = _mm_cvtsi32_si128(division.Post);
    for (int taller = 0; taller < 2; ++taller)
        for (int pair = 0; pair < 4; ++pair) {
            const int a = pair & 1, b = pair >> 1;
            const auto half = [&](int wider) { return static_cast<uint16_t>(areas[taller][wider] / 2); };
            plan.Lanes[taller][pair] = {PairOf(half(a), half(b)),
                                        PairOf(division.Multiplier[taller][a], division.Multiplier[taller][b]),
                                        PairOf(a ? 0xFFFF : 0, b ? 0xFFFF : 0)};
        }
    const size_t count = plan.Columns.size();
    const int32_t small = plan.ColumnSizes.Small;
    for (size_t i = 0; i < count; i += 2) {
        const TBox& a = plan.Columns[i];
        const TBox& b = plan.Columns[std::min(i + 1, count - 1)];
        plan.Pairs.push_back({static_cast<uint32_t>(a.First) * 3, static_cast<uint32_t>(b.First) * 3,
                              (a.Size() > small ? 1u : 0u) | (b.Size() > small ? 2u : 0u)});
    }
}

// The boxes of destination columns first .. last - 1 and of every row.
TShrinkPlan PlanShrink(const TRect& dest, const TRect& from, int32_t first, int32_t last)
{
    TShrinkPlan plan;
    const std::vector<TBox> columns = BoxesOf(dest.Width(), from.Width());
    plan.Columns.assign(columns.begin() + first, columns.begin() + last);
    plan.Rows = BoxesOf(dest.Height(), from.Height());
    plan.ColumnSizes = SizesOf(columns);
    plan.RowSizes = SizesOf(plan.Rows);
    uint32_t areas[2][2];
    for (int taller = 0; taller < 2; ++taller)
        for (int wider = 0; wider < 2; ++wider)
            areas[taller][wider] =
                static_cast<uint32_t>((plan.RowSizes.Small + taller) * (plan.ColumnSizes.Small + wider));
    if (const std::optional<TLaneDivision> division = LaneDivisionOf(areas))
        PlanLanes(plan, areas, *division);
    return plan;
}

bool DirectShrink(TCanvas& canvas, const TRect& dest, TBitmap& source, const TRect& from)
{
    const bool shrinking = from.Width() > dest.Width() || from.Height() > dest.Height();
    return shrinking && canvas.StretchMode() == HALFTONE && dest.Width() > 0 && dest.Height() > 0 && from.Left >= 0 &&
        from.Top >= 0 && from.Right <= source.Width() && from.Bottom <= source.Height() &&
        source.PixelFormat() == pf24bit && PlainCanvasFor(canvas, source);
}

// Adds `count` bytes to as many sums; the first row of a box sets them.
template <typename TSum>
void AddRow(TSum* sums, const uint8_t* bytes, size_t count, bool first)
{
    size_t i = 0;
    if constexpr (sizeof(TSum) == 2) {
        const __m128i zero = _mm_setzero_si128();
        for (; i + 16 <= count; i += 16) {
            const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
            __m128i low = _mm_unpacklo_epi8(in, zero), high = _mm_unpackhi_epi8(in, zero);
            if (!first) {
                low = _mm_add_epi16(low, _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i)));
                high = _mm_add_epi16(high, _mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i + 8)));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + i), low);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + i + 8), high);
        }
    }
    for (; i < count; ++i)
        sums[i] = static_cast<TSum>((first ? 0 : sums[i]) + bytes[i]);
}

// The three channel sums of two pixels, in lanes 0 to 2 and 4 to 6.
__m128i PairSums(const uint16_t* first, const uint16_t* second)
{
    const __m128d low = _mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)));
    return _mm_castpd_si128(_mm_loadh_pd(low, reinterpret_cast<const double*>(second)));
}

// The averages of a column pair, packed into bytes 0 to 2 and 4 to 6.
__m128i AveragePair(const uint16_t* sums, const TShrinkPlan& plan, const TPairLanes& lanes, const TColumnPair& pair)
{
    const int32_t small = plan.ColumnSizes.Small;
    const uint16_t* first = sums + pair.First;
    const uint16_t* second = sums + pair.Second;
    __m128i total = PairSums(first, second);
    for (int32_t k = 1; k < small; ++k)
        total = _mm_add_epi16(total, PairSums(first + static_cast<size_t>(k) * 3, second + static_cast<size_t>(k) * 3));
    // The wider boxes' extra pixel, masked rather than branched on: mixed
    // sizes alternate irregularly.
    if (plan.ColumnSizes.Mixed) {
        const size_t extra = static_cast<size_t>(small) * 3;
        total = _mm_add_epi16(total, _mm_and_si128(PairSums(first + extra, second + extra), lanes.Extra));
    }
    total = _mm_sll_epi16(_mm_add_epi16(total, lanes.Half), plan.Pre);
    total = _mm_srl_epi16(_mm_mulhi_epu16(total, lanes.Multiplier), plan.Post);
    return _mm_packus_epi16(total, total);
}

template <size_t Count>
void StoreBytes(uint8_t* out, __m128i packed)
{
    const auto bytes = static_cast<uint32_t>(_mm_cvtsi128_si32(packed));
    std::memcpy(out, &bytes, Count);
}

// Averages one destination row's visible boxes from the row's column sums,
// two pixels at a time.
void AverageInLanes(uint8_t* out, const uint16_t* sums, const TShrinkPlan& plan, int32_t taller)
{
    const TPairLanes* lanes = plan.Lanes[taller];
    const size_t count = plan.Pairs.size();
    for (size_t i = 0; i < count; ++i, out += 6) {
        const TColumnPair& pair = plan.Pairs[i];
        const __m128i packed = AveragePair(sums, plan, lanes[pair.Lanes], pair);
        // Four bytes per pixel while a later pixel rewrites the fourth.
        if (i + 1 < count) {
            StoreBytes<4>(out, packed);
            StoreBytes<4>(out + 3, _mm_srli_si128(packed, 4));
            continue;
        }
        StoreBytes<3>(out, packed);
        if (plan.Columns.size() % 2 == 0)
            StoreBytes<3>(out + 3, _mm_srli_si128(packed, 4));
    }
}

// The same for boxes too large for 16-bit lanes, which leave few pixels to
// divide.
void AverageWide(uint8_t* out, const uint32_t* sums, const TShrinkPlan& plan, int32_t taller)
{
    const auto height = static_cast<uint64_t>(plan.RowSizes.Small + taller);
    for (const TBox& box : plan.Columns) {
        const uint64_t n = height * static_cast<uint64_t>(box.Size());
        for (size_t c = 0; c < 3; ++c) {
            uint64_t sum = 0;
            for (int32_t sx = box.First; sx < box.Last; ++sx)
                sum += sums[static_cast<size_t>(sx) * 3 + c];
            out[c] = static_cast<uint8_t>((sum + n / 2) / n);
        }
        out += 3;
    }
}

// Averages every destination pixel's box, summing each source row once per
// destination row into column sums.
template <typename TSum, typename TAverage>
void ShrinkRows(TBitmap& target, const TRect& dest, const TBitmap& source, const TRect& from, const TShrinkPlan& plan,
                int32_t firstX, TAverage average)
{
    const int32_t firstY = std::max(dest.Top, 0), lastY = std::min(dest.Bottom, target.Height());
    const size_t rowBytes = static_cast<size_t>(from.Width()) * 3;
    // One pixel of slack: the lanes' extra-pixel read lies past the row.
    std::vector<TSum> sums(rowBytes + 4);
    for (int32_t y = firstY; y < lastY; ++y) {
        const TBox rowBox = plan.Rows[static_cast<size_t>(y - dest.Top)];
        for (int32_t sy = rowBox.First; sy < rowBox.Last; ++sy)
            AddRow(sums.data(), source.ScanLine(from.Top + sy) + static_cast<size_t>(from.Left) * 3, rowBytes,
                   sy == rowBox.First);
        const int32_t taller = rowBox.Size() > plan.RowSizes.Small ? 1 : 0;
        average(target.ScanLine(y) + static_cast<size_t>(firstX) * 3, sums.data(), plan, taller);
    }
    target.SetModified(true);
}

} // namespace

void StretchBlock(TCanvas& canvas, const TRect& dest, TBitmap& source, const TRect& sourceRect)
{
    if (DirectShrink(canvas, dest, source, sourceRect)) {
        TBitmap& target = *canvas.Target();
        const int32_t firstX = std::max(dest.Left, 0), lastX = std::min(dest.Right, target.Width());
        if (firstX >= lastX)
            return;
        const TShrinkPlan plan = PlanShrink(dest, sourceRect, firstX - dest.Left, lastX - dest.Left);
        if (plan.InLanes)
            ShrinkRows<uint16_t>(target, dest, source, sourceRect, plan, firstX, AverageInLanes);
        else
            ShrinkRows<uint32_t>(target, dest, source, sourceRect, plan, firstX, AverageWide);
        return;
    }
    canvas.StretchBlt(dest.Left, dest.Top, dest.Width(), dest.Height(), source.Canvas(), sourceRect.Left,
                      sourceRect.Top, sourceRect.Width(), sourceRect.Height(), SRCCOPY);
}
