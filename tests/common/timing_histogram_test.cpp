// The one place every streaming figure (the mixer's clock, the probe, the check host) is
// summarised: its p99 must bound 99 % of the values and its missed count must not call
// jitter a loss.
#include <gtest/gtest.h>

#include <memory>

#include "common/timing_histogram.h"

namespace {

std::unique_ptr<RkxTimingHistogram> Fresh()
{
    auto histogram = std::make_unique<RkxTimingHistogram>();
    RkxTimingClear(histogram.get());
    return histogram;
}

TEST(TimingHistogram, FiguresOfAFewValuesAndOfNone)
{
    auto h = Fresh();
    EXPECT_EQ(RkxTimingSummary(h.get()).count, 0u);
    EXPECT_EQ(RkxTimingSummary(h.get()).p99Us, 0u);
    for (uint64_t us : {1000u, 1333u, 1335u}) RkxTimingAdd(h.get(), us);
    const RkxTimingFigures f = RkxTimingSummary(h.get());
    EXPECT_EQ(f.count, 3u);
    EXPECT_EQ(f.meanUs, 1222u);
    EXPECT_EQ(f.maxUs, 1335u);
    EXPECT_EQ(f.p99Us, 1335u) << "never above the largest value";
}

TEST(TimingHistogram, P99BoundsNinetyNinePercentAndLeavesTheWorstPercentOut)
{
    auto h = Fresh();
    for (int i = 0; i < 990; ++i) RkxTimingAdd(h.get(), 5333);
    for (int i = 0; i < 10; ++i) RkxTimingAdd(h.get(), 9000);
    EXPECT_EQ(RkxTimingSummary(h.get()).p99Us, 5340u) << "the upper edge of the 10 us bucket";
    RkxTimingAdd(h.get(), 9000);  // 11 of 1001: more than 1 % are slow now
    EXPECT_EQ(RkxTimingSummary(h.get()).p99Us, 9000u) << "the bucket's edge, but never above the largest value";
}

TEST(TimingHistogram, ValuesBeyondTheTableKeepTheirMaximum)
{
    auto h = Fresh();
    RkxTimingAdd(h.get(), 20000000);  // a 20 s stall
    RkxTimingAdd(h.get(), 0x1FFFFFFFFull);
    const RkxTimingFigures f = RkxTimingSummary(h.get());
    EXPECT_EQ(f.maxUs, 0xFFFFFFFFu);
    EXPECT_EQ(f.p99Us, 0xFFFFFFFFu);
    EXPECT_EQ(h->bucket[RKX_TIMING_BUCKETS - 1], 2u);
}

TEST(TimingHistogram, MissedPeriodsCountWholeBuffersPastTheExpectedOne)
{
    EXPECT_EQ(RkxMissedPeriods(1333, 1333), 0u);
    EXPECT_EQ(RkxMissedPeriods(1999, 1333), 0u) << "jitter below 1.5 buffers is absorbed";
    EXPECT_EQ(RkxMissedPeriods(2001, 1333), 1u);
    EXPECT_EQ(RkxMissedPeriods(2666, 1333), 1u);
    EXPECT_EQ(RkxMissedPeriods(4000, 1333), 2u);
    EXPECT_EQ(RkxMissedPeriods(160000, 5333), 29u);
    EXPECT_EQ(RkxMissedPeriods(5000, 0), 0u);
}

}  // namespace
