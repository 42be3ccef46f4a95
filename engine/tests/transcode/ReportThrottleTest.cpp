#include <gtest/gtest.h>

#include "engine/transcode/Transcoder.h"

namespace {

TEST(ReportThrottleTest, FirstCallStartsTheClockThenOneReportPerInterval)
{
    constexpr int64_t Interval = 500000;
    struct Step {
        int64_t now;
        bool due;
    } steps[] = {{1000000, false}, {1400000, false}, {1499999, false}, {1500000, true},
                 {1900000, false}, {2100000, true},  {2599999, false}, {2600000, true}};
    TReportThrottle throttle;
    for (const Step& step : steps)
        EXPECT_EQ(throttle.Due(step.now, Interval), step.due) << step.now;
}

} // namespace
