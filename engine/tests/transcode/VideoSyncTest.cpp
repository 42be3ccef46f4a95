#include <gtest/gtest.h>

extern "C" {
#include <libavformat/avformat.h>
}

#include "engine/options/FFmpegOpt.h"
#include "engine/transcode/FFVideoSync.h"

namespace {

TEST(VideoSyncTest, AutomaticMethodFollowsTheMuxer)
{
    EXPECT_EQ(ResolveVideoSync(VsyncAuto, AVFMT_VARIABLE_FPS | AVFMT_NOTIMESTAMPS), VsyncPassThrough);
    EXPECT_EQ(ResolveVideoSync(VsyncAuto, AVFMT_VARIABLE_FPS | AVFMT_GLOBALHEADER), VsyncVfr);
    EXPECT_EQ(ResolveVideoSync(VsyncAuto, AVFMT_NOTIMESTAMPS), VsyncCfr);
    EXPECT_EQ(ResolveVideoSync(VsyncVfr, 0), VsyncVfr);
}

TEST(VideoSyncTest, CopiesPerMethod)
{
    constexpr int64_t NoLimit = INT64_MAX;
    constexpr double Threshold = 108000; // the default DTS error threshold
    struct Case {
        const char* name;
        int32_t method;
        double pts, delta;
        int64_t sync, left;
        int64_t copies, newSync;
        bool dropped, tooMany;
    } cases[] = {
        {"cfr on time", VsyncCfr, 10, 1.0, 10, NoLimit, 1, 10, false, false},
        {"cfr 2.4 periods late: one duplicate", VsyncCfr, 11.4, 2.4, 10, NoLimit, 2, 10, false, false},
        {"cfr 2.5 late rounds to even", VsyncCfr, 11.5, 2.5, 10, NoLimit, 2, 10, false, false},
        {"cfr 3.5 late rounds to even", VsyncCfr, 12.5, 3.5, 10, NoLimit, 4, 10, false, false},
        {"cfr 1.1 is still one", VsyncCfr, 10.1, 1.1, 10, NoLimit, 1, 10, false, false},
        {"cfr 1.2 early: dropped", VsyncCfr, 8.8, -1.2, 10, NoLimit, 0, 10, true, false},
        {"cfr frame limit", VsyncCfr, 14, 5, 10, 3, 3, 10, false, false},
        {"cfr limit reached", VsyncCfr, 10, 1, 10, 0, 0, 10, true, false},
        {"cfr long gap filled", VsyncCfr, 1e5, 40000, 0, NoLimit, 40000, 0, false, false},
        {"cfr gap beyond threshold times 30", VsyncCfr, 100, 31, 0, NoLimit, 31, 0, true, true},
        {"vfr early: dropped", VsyncVfr, 9.4, -0.6, 10, NoLimit, 0, 10, true, false},
        {"vfr slightly early", VsyncVfr, 9.5, -0.5, 10, NoLimit, 1, 10, false, false},
        {"vfr late moves the sync position", VsyncVfr, 12.7, 2.7, 10, NoLimit, 1, 13, false, false},
        {"pass-through takes the pts", VsyncPassThrough, 7.5, -3, 10, NoLimit, 1, 8, false, false},
        {"drop takes the pts", VsyncDrop, 6.5, 9, 10, NoLimit, 1, 6, false, false},
    };
    for (const Case& c : cases) {
        const double threshold = std::string(c.name).find("beyond") != std::string::npos ? 1 : Threshold;
        const TVideoCopies r = VideoFrameCopies(c.method, c.pts, c.delta, c.sync, c.left, threshold);
        EXPECT_EQ(r.Copies, c.copies) << c.name;
        EXPECT_EQ(r.SyncOpts, c.newSync) << c.name;
        EXPECT_EQ(r.Dropped, c.dropped) << c.name;
        EXPECT_EQ(r.TooManyCopies, c.tooMany) << c.name;
    }
    EXPECT_THROW(VideoFrameCopies(VsyncAuto, 0, 0, 0, 1, Threshold), FFmpegException);
}

} // namespace
