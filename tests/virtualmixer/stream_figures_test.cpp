// How the rig tools count a stream: the benchmark's missed and late buffers come from here,
// for the probe (completion times only) and the check host (times and sample positions).
#include <gtest/gtest.h>

#include "virtualmixer/client/stream_figures.h"

namespace rkx::vmix::test {
namespace {

constexpr uint32_t kFrames = 256;
constexpr uint64_t kPeriodUs = 5333;

TEST(StreamFigures, JitterIsNeitherMissedNorLateButALateSwitchIsBoth)
{
    StreamFigures figures(kFrames);
    for (int i = 0; i < 97; ++i) figures.AddSwitch(i % 2 ? kPeriodUs + 2000 : kPeriodUs - 2000, kFrames);
    EXPECT_EQ(figures.missed(), 0u);
    EXPECT_EQ(figures.late(), 0u);
    figures.AddSwitch(3 * kPeriodUs, kFrames);  // two buffers' time with nothing: two lost
    EXPECT_EQ(figures.missed(), 2u);
    EXPECT_EQ(figures.late(), 1u);
    EXPECT_EQ(figures.switches(), 98u);
    EXPECT_NEAR(figures.MissedPercent(), 100.0 * 2 / 100, 1e-9) << "of the 100 buffers the run should have had";
}

TEST(StreamFigures, AGapInThePositionsIsMissedEvenWhenTheSwitchCameOnTime)
{
    // A driver that skipped buffers but kept calling on time: only its positions tell.
    StreamFigures figures(kFrames);
    figures.AddSwitch(kPeriodUs, kFrames);
    figures.AddSwitch(kPeriodUs, 4 * kFrames);
    EXPECT_EQ(figures.missed(), 3u);
    EXPECT_EQ(figures.late(), 0u);
    // Late and with a gap: counted once, by whichever says more.
    figures.AddSwitch(3 * kPeriodUs, 2 * kFrames);
    EXPECT_EQ(figures.missed(), 5u);
    EXPECT_EQ(figures.late(), 1u);
}

TEST(StreamFigures, PeriodsAreSummarisedByTheSharedHistogram)
{
    StreamFigures figures(64);
    EXPECT_EQ(figures.Periods().count, 0u);
    EXPECT_EQ(figures.MissedPercent(), 0.0);
    for (uint64_t us : {1333u, 1334u, 1332u, 4000u}) figures.AddSwitch(us);
    const RkxTimingFigures periods = figures.Periods();
    EXPECT_EQ(periods.count, 4u);
    EXPECT_EQ(periods.maxUs, 4000u);
    EXPECT_EQ(periods.meanUs, (1333u + 1334u + 1332u + 4000u) / 4);
    EXPECT_EQ(figures.missed(), 2u) << "4 ms at 64 frames is three buffers' time";
}

}  // namespace
}  // namespace rkx::vmix::test
