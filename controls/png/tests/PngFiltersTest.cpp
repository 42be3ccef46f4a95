#include "controls/png/PngFilters.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PngCrc, MatchesKnownChunkCrcs)
{
    const uint8_t iend[4] = {'I', 'E', 'N', 'D'};
    EXPECT_EQ(ChunkCrc(iend, nullptr, 0), 0xAE426082u);
    const uint8_t text[4] = {'t', 'E', 'X', 't'};
    const uint8_t data[] = {'a', 0, 'b'};
    // Feeding name and data in pieces gives the same CRC as one pass.
    uint32_t running = UpdateChunkCrc(0xFFFFFFFFu, text, 4);
    running = UpdateChunkCrc(running, data, 1);
    running = UpdateChunkCrc(running, data + 1, 2);
    EXPECT_EQ(~running, ChunkCrc(text, data, 3));
}

TEST(PngFilters, PaethPrefersLeftThenAboveThenUpperLeft)
{
    struct Case {
        uint8_t left, above, upperLeft, expected;
    };
    const Case cases[] = {
        {10, 10, 10, 10}, // all equal: left
        {10, 20, 10, 20}, // p = 20: above is exact
        {20, 10, 10, 20}, // p = 20: left is exact
        {10, 20, 15, 15}, // p = 15: upper-left is exact
        {200, 100, 255, 100}, // p = 45: above is nearest
    };
    for (const Case& c : cases)
        EXPECT_EQ(PaethPredict(c.left, c.above, c.upperLeft), c.expected)
            << int(c.left) << "," << int(c.above) << "," << int(c.upperLeft);
}

TEST(PngFilters, EveryFilterRoundTripsThroughUnfilter)
{
    const size_t distance = 3;
    const std::vector<uint8_t> first = {250, 3, 7, 9, 255, 128, 0, 1, 2, 200, 100, 50};
    const std::vector<uint8_t> second = {1, 2, 3, 250, 251, 252, 9, 9, 9, 0, 255, 77};
    for (uint8_t type = FILTER_SUB; type <= FILTER_PAETH; ++type) {
        TRowFilterChooser chooser(static_cast<TFilters>(1 << type), distance);
        chooser.Restart(first.size());
        std::vector<uint8_t> previous(first.size(), 0);
        for (const auto* raw : {&first, &second}) {
            const uint8_t* filtered = nullptr;
            ASSERT_EQ(chooser.Choose(raw->data(), filtered), type);
            std::vector<uint8_t> row(filtered, filtered + raw->size());
            UnfilterRow(type, row.data(), previous.data(), row.size(), distance);
            EXPECT_EQ(row, *raw) << "filter " << int(type);
            previous = row;
        }
    }
}

TEST(PngFilters, UnknownFilterTypeLeavesRowUnchanged)
{
    std::vector<uint8_t> row = {1, 2, 3};
    const std::vector<uint8_t> previous = {9, 9, 9};
    UnfilterRow(5, row.data(), previous.data(), row.size(), 1);
    EXPECT_EQ(row, (std::vector<uint8_t>{1, 2, 3}));
}

TEST(PngFilters, ChoiceFollowsTheSetAndTheRepeatScore)
{
    // A rising ramp: Sub turns it into a run of equal bytes, Up does not help
    // on the first row, so Sub scores highest.
    const std::vector<uint8_t> ramp = {10, 20, 30, 40, 50, 60, 70, 80};
    // Bytes that repeat nothing under any filter of the first row.
    const std::vector<uint8_t> noise = {1, 90, 7, 200, 33, 150, 61, 240};
    const std::vector<uint8_t> flat = {5, 5, 5, 5};
    struct Case {
        TFilters filters;
        const std::vector<uint8_t>* row;
        uint8_t expected;
    };
    const Case cases[] = {
        {0, &ramp, FILTER_NONE},
        {pfNone, &ramp, FILTER_NONE},
        {pfSub, &noise, FILTER_SUB}, // a single member is taken without scoring
        {pfPaeth, &noise, FILTER_PAETH},
        {pfNone | pfSub | pfUp, &ramp, FILTER_SUB},
        {pfUp | pfAverage, &noise, FILTER_NONE}, // every score 0: None even outside the set
        {pfUp | pfPaeth, &flat, FILTER_UP}, // equal scores: the lower type stays
    };
    for (const Case& c : cases) {
        TRowFilterChooser chooser(c.filters, 1);
        chooser.Restart(c.row->size());
        const uint8_t* filtered = nullptr;
        EXPECT_EQ(chooser.Choose(c.row->data(), filtered), c.expected) << "filters " << int(c.filters);
    }
}

TEST(PngGeometry, RowBytesAndPassColumns)
{
    EXPECT_EQ(RowBytesFor(COLOR_GRAYSCALE, 1, 9), 2u);
    EXPECT_EQ(RowBytesFor(COLOR_PALETTE, 2, 5), 2u);
    EXPECT_EQ(RowBytesFor(COLOR_RGB, 16, 3), 18u);
    EXPECT_EQ(RowBytesFor(COLOR_GRAYSCALEALPHA, 8, 3), 6u);
    EXPECT_EQ(RowBytesFor(COLOR_RGBALPHA, 16, 2), 16u);
    EXPECT_EQ(FilterDistanceFor(COLOR_GRAYSCALE, 16), 2u);
    EXPECT_EQ(FilterDistanceFor(COLOR_RGBALPHA, 16), 8u);
    EXPECT_EQ(FilterDistanceFor(COLOR_GRAYSCALEALPHA, 8), 2u);
    // A one-pixel-wide image has pixels only in passes 1, 3, 5 and 7.
    const uint32_t expected[7] = {1, 0, 1, 0, 1, 0, 1};
    for (int pass = 0; pass < 7; ++pass)
        EXPECT_EQ(Adam7PassColumns(Adam7Passes[pass], 1), expected[pass]) << "pass " << pass + 1;
    EXPECT_EQ(Adam7PassColumns(Adam7Passes[1], 5), 1u);
}
